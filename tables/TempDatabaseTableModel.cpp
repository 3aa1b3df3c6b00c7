#include "tables/TempDatabaseTableModel.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlQueryModel>

namespace {

const QString TimeText = QStringLiteral("strftime('%Y-%m-%d %H:%M:%S', dateTime / 1000, 'unixepoch') AS dateTime_s");

} // namespace

TempDatabaseTableModel::TempDatabaseTableModel(QSqlDatabase db, QObject *parent)
    : MyAbstractSqlModel(db, parent)
{
    TRACE_FUNC();
    updateQuery();
}

TempDatabaseTableModel::TempDatabaseTableModel(QSqlDatabase db, FiltersCfg filters, QObject *parent)
    : MyAbstractSqlModel(db, std::move(filters), parent)
{
    TRACE_FUNC();
    updateQuery();
}

TempDatabaseTableModel::~TempDatabaseTableModel()
{
    TRACE() << "TempDatabaseTableModel destroy";
}

MyAbstractTableModel *TempDatabaseTableModel::clone() const
{
    return new TempDatabaseTableModel(boundConnection(), filters, nullptr);
}

bool TempDatabaseTableModel::scanByTime() const
{
    // With a time index, walking Data in time order yields the first screen
    // after about 256 / share rows; the parameter index makes SQLite sort
    // every selected row first. Only a tiny share of the parameters is worth
    // that.
    return !filters.hasParameters() || qint64(filters.selectedParamId.size()) * 64 >= totalParameterCount;
}

qint64 TempDatabaseTableModel::firstSelectedTime()
{
    // One index probe per parameter: where the selected data begins, so the
    // walk in time order does not wade through other instruments' earlier
    // rows first.
    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!db.isOpen() || !q.prepare(QStringLiteral("SELECT MIN(dateTime) FROM Data WHERE idParameters = ?")))
        return 0;
    bool any = false;
    qint64 first = 0;
    for (int id : qAsConst(filters.selectedParamId)) {
        q.addBindValue(id);
        if (!q.exec())
            return 0;
        if (q.next() && !q.value(0).isNull()) {
            const qint64 t = q.value(0).toLongLong();
            first = any ? qMin(first, t) : t;
            any = true;
        }
        q.finish();
    }
    return any ? first : 0;
}

void TempDatabaseTableModel::updateQuery()
{
    QElapsedTimer timer;
    timer.start();
    {
        ResetScope reset(this);
        releaseRows();
        columnsVisibilityList.clear();
        groupColumnNames.clear();

        const bool byTime = scanByTime();
        QVariantList values;
        // A lower time bound that changes no result but lets the time-ordered
        // walk start where the selected parameters begin.
        qint64 lowerBound = 0;
        bool useLowerBound = false;
        if (byTime && filters.hasParameters()) {
            lowerBound = firstSelectedTime();
            useLowerBound = lowerBound != 0 && (!filters.hasPeriod() || lowerBound > filters.startDateTime);
        }

        if (!pivot) {
            QString text = QStringLiteral("SELECT ") + TimeText
                           + (hasDeviceLink ? QStringLiteral(", Devices.name") : QStringLiteral(", NULL"))
                           + QStringLiteral(", Parameters.name, value, unit, flag FROM ");
            // CROSS JOIN keeps Data as the outer loop in SQLite.
            text += byTime ? QStringLiteral("Data CROSS JOIN Parameters ON Parameters.id = Data.idParameters")
                           : QStringLiteral("Parameters INNER JOIN Data ON Parameters.id = Data.idParameters");
            if (hasDeviceLink)
                text += QStringLiteral(" LEFT JOIN Devices ON Parameters.idDevices = Devices.id");
            QStringList conditions;
            if (filters.hasParameters()) {
                conditions << QStringLiteral("%1 IN (%2)")
                                  .arg(byTime ? QStringLiteral("+Data.idParameters") : QStringLiteral("Parameters.id"),
                                       sql::placeholders(filters.selectedParamId.size()));
                for (int id : qAsConst(filters.selectedParamId))
                    values << id;
            }
            if (filters.hasPeriod()) {
                conditions << QStringLiteral("dateTime >= ? AND dateTime <= ?");
                values << filters.startDateTime << filters.endDateTime;
            }
            if (useLowerBound) {
                conditions << QStringLiteral("dateTime >= ?");
                values << lowerBound;
            }
            if (!conditions.isEmpty())
                text += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
            text += QStringLiteral(" ORDER BY dateTime ASC, Data.id ASC");

            setModelQuery(text, values);
            for (int i = 0; i < flatColumnNames.size(); ++i) {
                queryModel->setHeaderData(i, Qt::Horizontal, flatColumnNames.at(i), Qt::EditRole);
                columnsVisibilityList.append(i != 1 || filters.hasParameters());
            }
        } else if (!paramIds.isEmpty()) {
            QString text = QStringLiteral("SELECT ") + TimeText;
            columnsVisibilityList.append(true);
            groupColumnNames.append(QStringLiteral("dateTime_s"));
            for (int i = 0; i < paramIds.size(); ++i) {
                text += QStringLiteral(", sum(case when idParameters = ? then value end) AS ")
                        + sql::quoteIdentifier(paramHeaders.at(i))
                        + QStringLiteral(", sum(case when idParameters = ? then flag end) AS ")
                        + sql::quoteIdentifier(paramNames.at(i) + QStringLiteral("_flag"));
                values << paramIds.at(i) << paramIds.at(i);
                columnsVisibilityList << true << false;
                groupColumnNames.append(paramHeaders.at(i));
            }
            text += QStringLiteral(" FROM Data WHERE %1 IN (%2)")
                        .arg(byTime ? QStringLiteral("+idParameters") : QStringLiteral("idParameters"),
                             sql::placeholders(paramIds.size()));
            for (int id : qAsConst(paramIds))
                values << id;
            if (filters.hasPeriod()) {
                text += QStringLiteral(" AND dateTime >= ? AND dateTime <= ?");
                values << filters.startDateTime << filters.endDateTime;
            }
            if (useLowerBound) {
                text += QStringLiteral(" AND dateTime >= ?");
                values << lowerBound;
            }
            text += QStringLiteral(" GROUP BY dateTime ORDER BY dateTime");

            if (setModelQuery(text, values)) {
                // The driver drops double quotes from result column names:
                // titles are set here, as the aliases read.
                queryModel->setHeaderData(0, Qt::Horizontal, flatColumnNames.value(0), Qt::EditRole);
                for (int i = 0; i < paramIds.size(); ++i) {
                    queryModel->setHeaderData(2 * i + 1, Qt::Horizontal, paramHeaders.at(i), Qt::EditRole);
                    queryModel->setHeaderData(2 * i + 2, Qt::Horizontal, paramNames.at(i) + QStringLiteral("_flag"),
                                              Qt::EditRole);
                }
            }
        }
        // Grouped without parameters: nothing to pivot, the table stays empty.

        if (loadAll)
            fetchAllRows();
    }
    // Nothing was read from a file that is gone.
    if (!databaseGone())
        reportConsole(tr("Table data query time: ") + QString::number(timer.elapsed()) + QStringLiteral(" ms"), 0);
}

qint64 TempDatabaseTableModel::groupedRowCount()
{
    // The grouped statement's rows: one per time stamp of its parameters.
    if (paramIds.isEmpty())
        return 0;
    QString text = QStringLiteral("SELECT COUNT(DISTINCT dateTime) FROM Data WHERE idParameters IN (%1)")
                       .arg(sql::placeholders(paramIds.size()));
    QVariantList values;
    for (int id : qAsConst(paramIds))
        values << id;
    if (filters.hasPeriod()) {
        text += QStringLiteral(" AND dateTime >= ? AND dateTime <= ?");
        values << filters.startDateTime << filters.endDateTime;
    }
    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!db.isOpen() || !q.prepare(text))
        return -1;
    for (const QVariant &v : qAsConst(values))
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        return -1;
    return q.value(0).toLongLong();
}
