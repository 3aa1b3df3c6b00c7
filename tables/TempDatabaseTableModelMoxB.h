#pragma once
#include "tables/MyAbstractSqlModelMoxB.h"

// DataMoxB as a table: every column of a temporary database filled from a
// MoxB CSV file, or the chosen parameters of a filtered application database
// by their full names "name (instrument)", limited to the filter's period;
// listed by id or grouped by date and time, newest first.
class TempDatabaseTableModelMoxB : public MyAbstractSqlModelMoxB
{
    Q_OBJECT
public:
    // A file session: every column of DataMoxB.
    explicit TempDatabaseTableModelMoxB(QSqlDatabase db, QObject *parent = nullptr);
    // A filtered session: the filter's parameters and period.
    TempDatabaseTableModelMoxB(QSqlDatabase db, FiltersCfg filters, QObject *parent = nullptr);
    ~TempDatabaseTableModelMoxB() override;

    MyAbstractTableModel *clone() const override;
    void updateQuery() override;

protected:
    // For subclasses that replace the query: the base's own is not run.
    struct NoQuery
    {
    };
    TempDatabaseTableModelMoxB(QSqlDatabase db, QObject *parent, NoQuery);

private:
    bool m_filtered = false;
};
