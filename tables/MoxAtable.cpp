#include "tables/MoxAtable.h"

#include "common/Trace.h"

#include <QSqlQueryModel>

MoxAtable::MoxAtable(QSqlDatabase db, QObject *parent)
    : TempDatabaseTableModelMoxA(db, parent, NoQuery())
{
    TRACE_FUNC() << db.connectionName() << db.databaseName();
    updateQuery();
}

MoxAtable::~MoxAtable()
{
    TRACE_FUNC();
    TRACE() << "MoxAtable destroy";
}

int MoxAtable::rowCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return queryModel->rowCount();
}

QVariant MoxAtable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    return queryModel->data(queryModel->index(index.row(), index.column()), Qt::DisplayRole);
}

bool MoxAtable::canFetchMore(const QModelIndex &parent) const
{
    if (loadAllData || parent.isValid())
        return false;
    return queryModel->canFetchMore() && (totalRowCount == -1 || queryModel->rowCount() < totalRowCount);
}

void MoxAtable::setGroupByDate(bool group)
{
    // The rows are never grouped: the box flips the order.
    Q_UNUSED(group)
    descending = !descending;
    reload();
}

void MoxAtable::setLoadAllData(bool all)
{
    loadAllData = all;
    reload();
}

QString MoxAtable::getDateTimeFormat() const
{
    return QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
}

void MoxAtable::updateQuery()
{
    listFileRows(descending, &totalRowCount);
}

int MoxAtable::getDataExportRowCnt()
{
    const int rows = countRows(QStringLiteral("DataMoxA"));
    if (rows < 0)
        return 0;
    totalRowCount = rows;
    return rows;
}

bool MoxAtable::execDataExportQuery(uint offset, uint limit)
{
    return openIdOrderedPage(QStringLiteral("DataMoxA"), descending, offset, limit);
}
