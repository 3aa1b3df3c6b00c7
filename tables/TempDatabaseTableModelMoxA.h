#pragma once
#include "tables/MyAbstractSqlModelMoxA.h"

// DataMoxA as a table: every column of a temporary database filled from a
// MoxA CSV file, or the chosen parameters of a filtered application database
// by their full names "name (instrument)", limited to the filter's period;
// listed by id or grouped by date and time, newest first.
class TempDatabaseTableModelMoxA : public MyAbstractSqlModelMoxA
{
    Q_OBJECT
public:
    // A file session: every column of DataMoxA.
    explicit TempDatabaseTableModelMoxA(QSqlDatabase db, QObject *parent = nullptr);
    // A filtered session: the filter's parameters and period.
    TempDatabaseTableModelMoxA(QSqlDatabase db, FiltersCfg filters, QObject *parent = nullptr);
    ~TempDatabaseTableModelMoxA() override;

    MyAbstractTableModel *clone() const override;
    void updateQuery() override;

protected:
    // For subclasses that replace the query: the base's own is not run.
    struct NoQuery
    {
    };
    TempDatabaseTableModelMoxA(QSqlDatabase db, QObject *parent, NoQuery);

private:
    bool m_filtered = false;
};
