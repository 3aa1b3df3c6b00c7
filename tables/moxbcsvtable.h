#pragma once
#include "tables/TempDatabaseTableModelMoxB.h"

// DataMoxB of a MoxB data CSV read into a temporary database, flat in id
// order and fetched as the view scrolls; grouping flips the order instead.
// A column titled "record" (any case, any blanks around) is hidden.
class moxbcsvtable : public TempDatabaseTableModelMoxB
{
    Q_OBJECT
public:
    explicit moxbcsvtable(QSqlDatabase db, QObject *parent = nullptr);
    ~moxbcsvtable() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    void fetchMore(const QModelIndex &parent) override;
    bool canFetchMore(const QModelIndex &parent) const override;

    void setGroupByDate(bool group) override;
    void setLoadAllData(bool all) override;
    QString getDateTimeFormat() const override;
    void updateQuery() override;
    int getDataExportRowCnt() override;
    bool execDataExportQuery(uint offset, uint limit) override;

    bool isDescending() const { return descending; }

private:
    bool descending = false;
    int totalRowCount = -1; // -1: not counted
};
