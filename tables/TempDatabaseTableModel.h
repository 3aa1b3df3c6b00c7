#pragma once
#include "tables/MyAbstractSqlModel.h"

// Table of a session whose measurements sit in the narrow Data table: a
// temporary database filled by a reader, or the application database seen
// through a filter. Flat (one row per value) or grouped by time (one value
// and one hidden flag column per parameter).
class TempDatabaseTableModel : public MyAbstractSqlModel
{
    Q_OBJECT
public:
    explicit TempDatabaseTableModel(QSqlDatabase db, QObject *parent = nullptr);
    TempDatabaseTableModel(QSqlDatabase db, FiltersCfg filters, QObject *parent = nullptr);
    ~TempDatabaseTableModel() override;

    MyAbstractTableModel *clone() const override;
    void updateQuery() override;

protected:
    qint64 groupedRowCount() override;

private:
    // Whether to read Data in time order rather than through the parameter
    // index: true unless the filter picks a small share of the parameters.
    bool scanByTime() const;
    // Earliest time of the selected parameters, 0 when they have none.
    qint64 firstSelectedTime();
};
