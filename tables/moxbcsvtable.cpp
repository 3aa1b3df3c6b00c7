#include "tables/moxbcsvtable.h"

#include "common/Trace.h"

#include <QSqlQueryModel>

moxbcsvtable::moxbcsvtable(QSqlDatabase db, QObject *parent)
    : TempDatabaseTableModelMoxB(db, parent, NoQuery())
{
    TRACE_FUNC() << db.databaseName() << db.connectionName();
    updateQuery();
}

moxbcsvtable::~moxbcsvtable()
{
    TRACE_FUNC();
    TRACE() << "moxbcsvtable destroy";
}

int moxbcsvtable::rowCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return queryModel->rowCount();
}

QVariant moxbcsvtable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    return queryModel->data(queryModel->index(index.row(), index.column()), Qt::DisplayRole);
}

void moxbcsvtable::fetchMore(const QModelIndex &parent)
{
    TempDatabaseTableModelMoxB::fetchMore(parent);
}

bool moxbcsvtable::canFetchMore(const QModelIndex &parent) const
{
    if (loadAllData || parent.isValid())
        return false;
    return queryModel->canFetchMore() && (totalRowCount == -1 || queryModel->rowCount() < totalRowCount);
}

void moxbcsvtable::setGroupByDate(bool group)
{
    // The rows are never grouped: the box flips the order.
    Q_UNUSED(group)
    descending = !descending;
    reload();
}

void moxbcsvtable::setLoadAllData(bool all)
{
    loadAllData = all;
    reload();
}

QString moxbcsvtable::getDateTimeFormat() const
{
    return QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
}

void moxbcsvtable::updateQuery()
{
    listFileRows(descending, &totalRowCount);
}

int moxbcsvtable::getDataExportRowCnt()
{
    const int rows = countRows(QStringLiteral("DataMoxB"));
    if (rows < 0)
        return 0;
    totalRowCount = rows;
    return rows;
}

bool moxbcsvtable::execDataExportQuery(uint offset, uint limit)
{
    return openIdOrderedPage(QStringLiteral("DataMoxB"), descending, offset, limit);
}
