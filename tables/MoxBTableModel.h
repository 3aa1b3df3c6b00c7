#pragma once
#include "tables/MyAbstractSqlModelMoxB.h"

// The Data table of an opened MoxB data archive (the recorder's own SQLite
// file): flat, one row per record in id order; grouping flips the order.
class MoxBTableModel : public MyAbstractSqlModelMoxB
{
    Q_OBJECT
public:
    explicit MoxBTableModel(QSqlDatabase db, QObject *parent = nullptr);
    ~MoxBTableModel() override;

    MyAbstractTableModel *clone() const override;
    QList<bool> getColumnsVisibilityList() const override;
    void setGroupByDate(bool group) override;
    QString getDateTimeFormat() const override;
    void updateQuery() override;
    int getDataExportRowCnt() override;
    bool execDataExportQuery(uint offset, uint limit) override;

    bool isDescending() const { return descending; }
    int getTotalRowCount() const { return totalRowCount; }

private:
    int totalRowCount = 0; // -1 when the count failed
    bool descending = false;
};
