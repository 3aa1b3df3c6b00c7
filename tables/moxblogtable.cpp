#include "tables/moxblogtable.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlQueryModel>

namespace moxbflags {

bool isValid(int flag)
{
    return flag != 1 && flag != 256;
}

QString text(int flag)
{
    if (!isValid(flag))
        return MyAbstractTableModel::FlagInvalidSymbol;
    if (flag == 128)
        return MyAbstractTableModel::FlagNotReadySymbol;
    return MyAbstractTableModel::FlagValidSymbol;
}

} // namespace moxbflags

MoxBLogTable::MoxBLogTable(QSqlDatabase db, QObject *parent, const QString &table)
    : MyAbstractSqlModelMoxB(db, parent)
    , m_table(table)
{
}

MoxBLogTable::~MoxBLogTable() = default;

QStringList MoxBLogTable::getColumnNames() const
{
    // The CSV export names its columns from here.
    return resultHeaders;
}

bool MoxBLogTable::isFlagValid(int flag) const
{
    return moxbflags::isValid(flag);
}

QString MoxBLogTable::getFlagText(int flag) const
{
    return moxbflags::text(flag);
}

QString MoxBLogTable::getDateTimeFormat() const
{
    return QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
}

void MoxBLogTable::updateQuery()
{
    QElapsedTimer timer;
    timer.start();
    {
        ResetScope reset(this);
        queryModel->clear();
        resultHeaders.clear();
        const QStringList columns = tableColumns(m_table);
        if (!columns.isEmpty()
            && setModelQuery(QStringLiteral("SELECT * FROM %1").arg(sql::quoteIdentifier(m_table)), {}, columns)) {
            // A log is read whole, whatever the load-all flag says.
            while (queryModel->canFetchMore())
                queryModel->fetchMore();
        } else {
            TRACE() << "Cannot read" << m_table;
        }
    }
    reportConsole(tr("Table data query time: ") + QString::number(timer.elapsed()) + QStringLiteral(" ms"), 0);
}

int MoxBLogTable::getDataExportRowCnt()
{
    QSqlQuery q(currentConnection());
    if (q.exec(QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT id FROM %1);").arg(sql::quoteIdentifier(m_table)))
        && q.next())
        return q.value(0).toInt();
    return 0;
}

bool MoxBLogTable::execDataExportQuery(uint offset, uint limit)
{
    return openExportPage(m_table, QStringLiteral("SELECT * FROM %1 LIMIT %2, %3")
                                       .arg(sql::quoteIdentifier(m_table), QStringLiteral("%1"), QStringLiteral("%2")),
                          offset, limit);
}

bool MoxBLogTable::getNextExportRecord(ParamInfo &rec)
{
    Q_UNUSED(rec)
    return false;
}

void MoxBLogTable::setLoadAllData(bool all)
{
    loadAllData = all;
    reload();
}

bool MoxBLogTable::flagNotReady(int flag) const
{
    TRACE() << metaObject()->className() + QByteArray("::flagNotReady");
    return flag == 128;
}

moxbalarmtable::moxbalarmtable(QSqlDatabase db, QObject *parent)
    : MoxBLogTable(db, parent, QStringLiteral("AlarmLog"))
{
    TRACE_FUNC() << db.databaseName() << db.connectionName();
    updateQuery();
}

moxbalarmtable::~moxbalarmtable()
{
    TRACE_FUNC();
    TRACE() << "moxbalarmtable destroy";
}

MyAbstractTableModel *moxbalarmtable::clone() const
{
    return new moxbalarmtable(currentConnection(), nullptr);
}

moxbaudittable::moxbaudittable(QSqlDatabase db, QObject *parent)
    : MoxBLogTable(db, parent, QStringLiteral("AuditLog"))
{
    TRACE_FUNC() << db.databaseName() << db.connectionName();
    updateQuery();
}

moxbaudittable::~moxbaudittable()
{
    TRACE_FUNC();
    TRACE() << "moxbaudittable destroy";
}

MyAbstractTableModel *moxbaudittable::clone() const
{
    return new moxbaudittable(currentConnection(), nullptr);
}
