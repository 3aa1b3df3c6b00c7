#pragma once
#include "tables/MyAbstractSqlModelMoxB.h"

// Flags of the MoxB recorder's logs and settings: 1 and 256 mark a value
// that is not valid, 128 one that is not ready yet.
namespace moxbflags {
bool isValid(int flag);
QString text(int flag);
} // namespace moxbflags

// One of the MoxB recorder's SQLite logs (AlarmLog or AuditLog), shown as the
// table holds it: every column and row in the table's own order, grouped by
// date or not.
class MoxBLogTable : public MyAbstractSqlModelMoxB
{
    Q_OBJECT
public:
    ~MoxBLogTable() override;

    QStringList getColumnNames() const override;
    bool isFlagValid(int flag) const override;
    QString getFlagText(int flag) const override;
    QString getDateTimeFormat() const override;
    void updateQuery() override;
    int getDataExportRowCnt() override;
    bool execDataExportQuery(uint offset, uint limit) override;
    bool getNextExportRecord(ParamInfo &rec) override;
    void setLoadAllData(bool all) override;

    bool flagNotReady(int flag) const;
    QString logTable() const { return m_table; }

protected:
    MoxBLogTable(QSqlDatabase db, QObject *parent, const QString &table);
    // A log's columns are the instrument's own, with no flag beside a value:
    // grouped by date it shows its cells as stored.
    bool hasFlagColumns() const override { return false; }

private:
    QString m_table;
};

class moxbalarmtable : public MoxBLogTable
{
    Q_OBJECT
public:
    explicit moxbalarmtable(QSqlDatabase db, QObject *parent = nullptr);
    ~moxbalarmtable() override;
    MyAbstractTableModel *clone() const override;
};

class moxbaudittable : public MoxBLogTable
{
    Q_OBJECT
public:
    explicit moxbaudittable(QSqlDatabase db, QObject *parent = nullptr);
    ~moxbaudittable() override;
    MyAbstractTableModel *clone() const override;
};
