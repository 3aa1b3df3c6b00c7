#include "tables/MoxBTableModel.h"

#include "common/Trace.h"

#include <QElapsedTimer>
#include <QSqlQueryModel>

MoxBTableModel::MoxBTableModel(QSqlDatabase db, QObject *parent)
    : MyAbstractSqlModelMoxB(db, parent)
{
    TRACE_FUNC() << db.databaseName() << db.connectionName();
    updateQuery();
}

MoxBTableModel::~MoxBTableModel()
{
    TRACE_FUNC();
    TRACE() << "MoxBTableModel destroy";
}

MyAbstractTableModel *MoxBTableModel::clone() const
{
    return new MoxBTableModel(currentConnection(), nullptr);
}

QList<bool> MoxBTableModel::getColumnsVisibilityList() const
{
    return columnsVisibilityList;
}

void MoxBTableModel::setGroupByDate(bool group)
{
    // The rows are never grouped: the box flips the order.
    Q_UNUSED(group)
    descending = !descending;
    reload();
}

QString MoxBTableModel::getDateTimeFormat() const
{
    return QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
}

void MoxBTableModel::updateQuery()
{
    QElapsedTimer timer;
    timer.start();
    ResetScope reset(this);
    queryModel->clear();
    resultHeaders.clear();
    columnsVisibilityList.clear();
    colNamesGroup.clear();
    if (!listById(QStringLiteral("Data"), descending, &totalRowCount))
        return;
    if (queryModel->rowCount() > 0)
        TRACE() << "First row id:" << queryModel->data(queryModel->index(0, 0)).toString();
    if (queryModel->rowCount() > 1)
        TRACE() << "Second row id:" << queryModel->data(queryModel->index(1, 0)).toString();
    for (int i = 0; i < queryModel->columnCount(); ++i)
        columnsVisibilityList << true;
    TRACE() << "Query fetched " << queryModel->rowCount() << " rows in " << timer.elapsed() << " ms";
}

int MoxBTableModel::getDataExportRowCnt()
{
    const int rows = countRows(QStringLiteral("Data"));
    return rows < 0 ? 0 : rows;
}

bool MoxBTableModel::execDataExportQuery(uint offset, uint limit)
{
    // The table's own order, as the recorder wrote it.
    return openExportPage(QStringLiteral("Data"), QStringLiteral("SELECT * FROM Data LIMIT %1, %2"), offset, limit);
}
