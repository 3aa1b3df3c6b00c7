#pragma once
#include "tables/TempDatabaseTableModelMoxA.h"

// DataMoxA of a MoxA CSV file read into a temporary database, flat in id
// order and fetched as the view scrolls; grouping flips the order instead.
// A column titled "record" (any case, any blanks around) is hidden.
class MoxAtable : public TempDatabaseTableModelMoxA
{
    Q_OBJECT
public:
    explicit MoxAtable(QSqlDatabase db, QObject *parent = nullptr);
    ~MoxAtable() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;

    void setGroupByDate(bool group) override;
    void setLoadAllData(bool all) override;
    QString getDateTimeFormat() const override;
    void updateQuery() override;
    int getDataExportRowCnt() override;
    bool execDataExportQuery(uint offset, uint limit) override;

    bool isDescending() const { return descending; }
    int getTotalRowCount() const { return totalRowCount; }

private:
    bool descending = false;
    int totalRowCount = -1; // -1: not counted
};
