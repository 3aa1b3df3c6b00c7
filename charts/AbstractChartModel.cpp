#include "charts/AbstractChartModel.h"

#include "common/Connections.h"
#include "common/ProgressDialog.h"
#include "common/TaskWindow.h"
#include "common/Trace.h"
#include "common/UiHost.h"
#include "database/ApplicationDatabaseFile.h"
#include "tables/MyAbstractTableModel.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QVarLengthArray>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <cmath>

namespace {

// SQLite refuses compound selects of more than 500 terms; past this many
// parameters the section window scans the time index instead of merging
// per-parameter index ranges.
constexpr int MaxMergedParameters = 200;

QString number(qint64 v)
{
    return QString::number(v);
}

std::atomic<AbstractChartModel::SessionFlagModel> sessionFlagModel{nullptr};

} // namespace

void AbstractChartModel::setSessionFlagModel(SessionFlagModel lookup)
{
    sessionFlagModel.store(lookup);
}

AbstractChartModel::AbstractChartModel(QSqlDatabase db, QObject *parent)
    : QSqlQueryModel(parent)
    , m_binding(db)
{
    TRACE() << "Function Name: " << "AbstractChartModel::AbstractChartModel(QSqlDatabase, QObject*)";
}

AbstractChartModel::AbstractChartModel(QSqlDatabase db, FiltersCfg cfg, QObject *parent)
    : QSqlQueryModel(parent)
    , filtersCfg(std::move(cfg))
    , m_binding(db)
{
    TRACE() << "Function Name: " << "AbstractChartModel::AbstractChartModel(QSqlDatabase, FiltersCfg, QObject*)";
}

AbstractChartModel::~AbstractChartModel()
{
    qDeleteAll(timeSeries);
    qDeleteAll(valueSeries);
}

QSqlDatabase AbstractChartModel::connection() const
{
    return appdb::readConnection(m_binding);
}

QString AbstractChartModel::rangeCondition() const
{
    if (!filtersCfg.hasPeriod())
        return QString();
    return QStringLiteral(" AND dateTime >= ") + number(filtersCfg.startDateTime) + QStringLiteral(" AND dateTime <= ")
           + number(filtersCfg.endDateTime);
}

void AbstractChartModel::resetSeries()
{
    qDeleteAll(valueSeries);
    valueSeries.clear();
    qDeleteAll(timeSeries);
    timeSeries.clear();
    for (int i = 0; i < paramCnt; ++i) {
        valueSeries.append(new QVector<double>());
        timeSeries.append(new QVector<double>());
    }
}

bool AbstractChartModel::loadData(uint rowIndex, uint rowLen)
{
    abortFlag = false;
    if (!m_flagModelSet) {
        const SessionFlagModel lookup = sessionFlagModel.load();
        m_flagModel = lookup ? lookup() : nullptr;
    }

    ProgressDialog *dialog = new ProgressDialog(0, tr("Loading data"), UiHost::currentDialogParent(), false);
    connect(this, SIGNAL(progressValueChanged(int)), dialog, SLOT(update(int)));
    QFuture<void> future = QtConcurrent::run([this, rowIndex, rowLen, dialog]() {
        Connections::TaskScope connections;
        loadDataWorker(rowIndex, rowLen, dialog);
    });
    // The window's thread goes on serving its timers, painting and queued
    // calls; the window stays until the caller has drawn the section.
    runTaskWindow(dialog, future, TaskWindowEnd::Stay);
    return !abortFlag;
}

void AbstractChartModel::loadDataWorker(uint rowIndex, uint rowLen, ProgressDialog *dialog)
{
    QElapsedTimer timer;
    timer.start();
    const QPointer<ProgressDialog> progress(dialog);

    resetSeries();
    QSqlDatabase conn = connection();
    if (!conn.isOpen()) {
        // Nothing was read: no section is shown as loaded.
        TRACE() << "Chart section: no connection" << conn.lastError().text();
        abortFlag = true;
        return;
    }
    QSqlQuery query(conn);
    query.setForwardOnly(true);

    const uint remaining = totalRowCnt - rowIndex; // wraps past the end: rowLen is taken
    const uint expected = qMin(remaining, rowLen) * uint(paramCnt);
    // Queued before the first progress value, so the window has its maximum
    // when that value arrives; the worker's own values never reach it.
    ProgressDialog::postMaximum(progress, int(expected + 1));
    emit progressValueChanged(0);

    QString text;
    makeStringQueryDB_maxTime(text, rowIndex, rowLen);
    TRACE() << "maxTime queryStr: " << text;
    bool windowFound = false;
    if (query.exec(text) && query.next()) {
        windowFound = !query.value(0).isNull();
        sectionLastTime = query.value(0).toLongLong();
    }
    query.finish();
    makeStringQueryDB_minTime(text, rowIndex, rowLen);
    if (query.exec(text) && query.next())
        sectionFirstTime = query.value(0).toLongLong();
    query.finish();

    const uint step = expected / 25;
    uint processed = 0;
    uint lastReported = 0;
    const MyAbstractTableModel *flags = m_flagModel;
    int i = 0;
    for (auto it = paramNamesMap.constBegin(); it != paramNamesMap.constEnd(); ++it, ++i) {
        m_seriesDistinctHere = false;
        makeOneParamStringQueryDB_Limit(text, it);
        const bool distinctHere = m_seriesDistinctHere;
        if (!query.exec(text)) {
            TRACE() << "Chart series query failed:" << query.lastError().text();
            continue;
        }
        if (rowIndex > totalRowCnt) {
            abortFlag = true;
            query.finish();
            return;
        }
        loadedRecordsCnt = 0;
        sectionStartRow = rowIndex;
        if (i >= timeSeries.size())
            break; // a map larger than paramCnt: nowhere to put it
        QVector<double> &times = *timeSeries[i];
        QVector<double> &values = *valueSeries[i];
        // Rows of one time that repeat a (value, flag) pair count once, as
        // SELECT DISTINCT would have them; the rows arrive in time order.
        qint64 groupTime = 0;
        QVarLengthArray<QPair<QVariant, int>, 4> seen;
        while (query.next()) {
            const qint64 ms = query.value(0).toLongLong();
            const QVariant value = query.value(1);
            const int flag = query.value(2).toInt();
            if (distinctHere) {
                if (seen.isEmpty() || ms != groupTime) {
                    groupTime = ms;
                    seen.clear();
                }
                bool repeated = false;
                for (const auto &s : seen) {
                    if (s.second == flag && s.first.isNull() == value.isNull() && s.first == value) {
                        repeated = true;
                        break;
                    }
                }
                if (repeated)
                    continue;
                seen.append(qMakePair(value, flag));
            }
            times.append(toChartTime(ms));
            // Text cells of the wide tables may hold words: a gap, not zero.
            bool numeric = false;
            const double reading = value.toDouble(&numeric);
            if (!value.isNull() && numeric && std::isfinite(reading) && (!flags || flags->isFlagValid(flag)))
                values.append(reading);
            else
                values.append(NoValue);
            ++processed;
            if (processed - lastReported >= step) {
                emit progressValueChanged(int(processed));
                lastReported = processed;
            }
            if (++loadedRecordsCnt > rowLen)
                break;
        }
        query.finish();
    }

    // Remember where the next section starts, so it is found by time rather
    // than by skipping every time before it.
    if (windowFound && rowLen > 0 && rowIndex + rowLen > rowIndex)
        m_sectionAfter.insert(rowIndex + rowLen, sectionLastTime);

    emit progressValueChanged(int(expected));
    emit consoleMessage(tr("Loaded %1 records for %2 parameters in: %3 ms")
                            .arg(loadedRecordsCnt)
                            .arg(paramCnt)
                            .arg(timer.elapsed()),
                        0);
}

void AbstractChartModel::cancelGetData()
{
    abortFlag = true;
}

QString AbstractChartModel::sectionTimesQuery(uint rowIndex, uint rowLen) const
{
    // Started from a known time, the window is the first rowLen distinct
    // times after it; otherwise it skips rowIndex of them.
    const auto after = m_sectionAfter.constFind(rowIndex);
    const bool keyset = rowIndex == 0 || after != m_sectionAfter.constEnd();
    const QString from = (rowIndex != 0 && keyset) ? QStringLiteral(" AND dateTime > ") + number(*after) : QString();
    const QString range = rangeCondition();
    const QString limit = keyset ? number(rowLen) : number(rowIndex) + QStringLiteral(", ") + number(rowLen);

    const QList<int> ids = paramNamesMap.keys();
    QString window;
    if (ids.size() <= MaxMergedParameters) {
        // Each parameter's first times from its own index range, merged: the
        // rowLen-th distinct time of all of them is among the first
        // (offset + rowLen) distinct times of each one.
        const QString perParam = number(qint64(keyset ? rowLen : rowIndex + qint64(rowLen)));
        QStringList parts;
        for (int id : ids)
            parts << QStringLiteral("SELECT dateTime FROM (SELECT DISTINCT dateTime FROM Data WHERE idParameters = ")
                         + number(id) + from + range + QStringLiteral(" ORDER BY dateTime LIMIT ") + perParam
                         + QLatin1Char(')');
        window = QStringLiteral("SELECT DISTINCT dateTime FROM (") + parts.join(QStringLiteral(" UNION ALL "))
                 + QStringLiteral(") ORDER BY dateTime LIMIT ") + limit;
    } else {
        QStringList list;
        for (int id : ids)
            list << number(id);
        // '+' keeps SQLite on the time index, which yields the times in order.
        window = QStringLiteral("SELECT DISTINCT dateTime FROM Data WHERE +idParameters IN (") + list.join(QLatin1Char(','))
                 + QLatin1Char(')') + from + range + QStringLiteral(" ORDER BY dateTime LIMIT ") + limit;
    }
    return window;
}

void AbstractChartModel::makeStringQueryDB_maxTime(QString &query, uint rowIndex, uint rowLen)
{
    query = QStringLiteral("SELECT MAX(dateTime) FROM (") + sectionTimesQuery(rowIndex, rowLen)
            + QStringLiteral(") AS dateTime_u");
}

void AbstractChartModel::makeStringQueryDB_minTime(QString &query, uint rowIndex, uint rowLen)
{
    const auto after = m_sectionAfter.constFind(rowIndex);
    if (rowIndex != 0 && after != m_sectionAfter.constEnd() && paramNamesMap.size() <= MaxMergedParameters
        && !paramNamesMap.isEmpty()) {
        // The first time after the previous section: one index probe per
        // parameter.
        QStringList parts;
        for (int id : paramNamesMap.keys())
            parts << QStringLiteral("SELECT (SELECT MIN(dateTime) FROM Data WHERE idParameters = ") + number(id)
                         + QStringLiteral(" AND dateTime > ") + number(*after) + rangeCondition()
                         + QStringLiteral(") AS dateTime")
                         + QString();
        query = QStringLiteral("SELECT MIN(dateTime) FROM (") + parts.join(QStringLiteral(" UNION ALL "))
                + QStringLiteral(") AS dateTime_u");
        return;
    }
    query = QStringLiteral("SELECT MIN(dateTime) FROM (") + sectionTimesQuery(rowIndex, rowLen)
            + QStringLiteral(") AS dateTime_u");
}

void AbstractChartModel::makeOneParamStringQueryDB_Limit(QString &query, QMap<int, QString>::const_iterator parameter)
{
    // The name stays out of the text: columns are read by position (0 time,
    // 1 value, 2 flag), and a name with a quote would break the statement.
    // Repeated rows are dropped while reading: DISTINCT here would make
    // SQLite build a temporary index of the whole section first.
    m_seriesDistinctHere = true;
    query = QStringLiteral("SELECT dateTime AS dateTime_u, value, flag FROM Data WHERE idParameters = ")
            + number(parameter.key()) + QStringLiteral(" AND dateTime >= ") + number(sectionFirstTime)
            + QStringLiteral(" AND dateTime <= ") + number(sectionLastTime) + QStringLiteral(" ORDER BY dateTime ASC");
}

bool AbstractChartModel::getDataExportRowCnt()
{
    paramRowCntList.clear();
    totalRowCnt = 0;
    maxParamRowCnt = 0;
    m_sectionAfter.clear();
    const QSqlDatabase conn = connection();
    if (!conn.isOpen())
        return false;
    QSqlQuery query(conn);
    query.setForwardOnly(true);
    const QString range = rangeCondition();
    QStringList ids;
    for (auto it = paramNamesMap.constBegin(); it != paramNamesMap.constEnd(); ++it) {
        if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT dateTime FROM Data WHERE idParameters = ")
                        + number(it.key()) + range + QLatin1Char(')'))
            || !query.next()) {
            TRACE() << "Chart row count failed:" << query.lastError().text();
            return false;
        }
        const int n = query.value(0).toInt();
        query.finish();
        paramRowCntList.append(n);
        totalRowCnt += uint(n);
        maxParamRowCnt = qMax(maxParamRowCnt, uint(n));
        ids << number(it.key());
    }
    if (paramNamesMap.size() > 1) {
        // A section spans the times of all parameters together: page through
        // their union, or the tail of the data is never reached.
        if (query.exec(QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT dateTime FROM Data WHERE idParameters IN (")
                       + ids.join(QLatin1Char(',')) + QLatin1Char(')') + range + QLatin1Char(')'))
            && query.next())
            maxParamRowCnt = qMax(maxParamRowCnt, uint(query.value(0).toLongLong()));
        else
            TRACE() << "Chart time count failed:" << query.lastError().text();
        query.finish();
    }
    return totalRowCnt != 0;
}

void AbstractChartModel::makeStringQueryDB(QString &query)
{
    makeStringQueryDB_Limit(query, 0, 0);
    query.remove(QStringLiteral(" ASC LIMIT 0, 0"));
}

void AbstractChartModel::makeStringQueryDB_Limit(QString &query, uint rowIndex, uint rowLen)
{
    // Generated column aliases: names stay out of the text.
    query = QStringLiteral("SELECT DISTINCT (dateTime / 1000) + 62135596800 AS dateTime_u");
    QStringList where;
    int n = 0;
    for (auto it = paramNamesMap.constBegin(); it != paramNamesMap.constEnd(); ++it, ++n) {
        const QString id = number(it.key());
        query += QStringLiteral(", sum(case when idParameters = ") + id + QStringLiteral(" then value end) AS v")
                 + QString::number(n) + QStringLiteral(", sum(case when idParameters = ") + id
                 + QStringLiteral(" then flag end) AS f") + QString::number(n);
        where << QStringLiteral("idParameters=") + id;
    }
    query += QStringLiteral(" FROM Data WHERE (") + where.join(QStringLiteral(" OR ")) + QLatin1Char(')')
             + rangeCondition() + QStringLiteral(" GROUP BY dateTime ORDER BY dateTime ASC LIMIT ") + number(rowIndex)
             + QStringLiteral(", ") + number(rowLen);
}

bool AbstractChartModel::loadNamesDB()
{
    QSqlDatabase conn = connection();
    if (!conn.isOpen()) {
        TRACE() << "Chart names: no connection" << conn.lastError().text();
        return false;
    }
    QSqlQuery schema(conn);
    bool hasDeviceColumn = false;
    if (schema.exec(QStringLiteral("PRAGMA table_info(Parameters)"))) {
        while (schema.next()) {
            if (schema.value(1).toString() == QLatin1String("idDevices")) {
                hasDeviceColumn = true;
                break;
            }
        }
    } else {
        TRACE() << "Error checking Parameters schema:" << schema.lastError().text();
    }
    schema.finish();

    QString text = hasDeviceColumn ? QStringLiteral("SELECT id, name, unit, idDevices FROM Parameters")
                                   : QStringLiteral("SELECT id, name, unit FROM Parameters");

    bool hasDevices = false;
    QSqlQuery devices(conn);
    if (schema.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name='Devices'")))
        hasDevices = schema.next();
    else
        TRACE() << "Error checking Devices table existence:" << schema.lastError().text();
    schema.finish();
    if (hasDevices)
        devices.prepare(QStringLiteral("SELECT name FROM Devices WHERE id = :id"));

    QVariantList ids;
    if (filtersCfg.hasParameters()) {
        QStringList marks;
        for (int id : qAsConst(filtersCfg.selectedParamId)) {
            marks << QStringLiteral("?");
            ids << id;
        }
        text += QStringLiteral(" WHERE id IN (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    // Series follow ascending id; the names must too, or a filter listed in
    // another order pairs names with the wrong series.
    text += QStringLiteral(" ORDER BY id");

    paramCnt = 0;
    QSqlQuery names(conn);
    names.setForwardOnly(true);
    bool ok = names.prepare(text);
    if (ok) {
        for (const QVariant &id : qAsConst(ids))
            names.addBindValue(id);
        ok = names.exec();
    }
    paramNamesMap.clear();
    paramNamesList.clear();
    paramUnitsList.clear();
    paramVisibilityList.clear();
    deviceNamesList.clear();
    if (!ok) {
        TRACE() << "SQL Error fetching parameter data:" << names.lastError().text();
        return false;
    }

    while (names.next()) {
        ++paramCnt;
        const int id = names.value(0).toInt();
        const QString name = names.value(1).toString();
        paramNamesMap[id] = name;
        paramNamesList.append(name);
        paramUnitsList.append(names.value(2).isNull() ? QString(QLatin1String("")) : names.value(2).toString());
        QString device = QLatin1String("");
        if (hasDeviceColumn && hasDevices && !names.value(3).isNull()) {
            devices.bindValue(QStringLiteral(":id"), names.value(3));
            if (!devices.exec())
                TRACE() << "SQL Error fetching device name:" << devices.lastError().text();
            else if (devices.next())
                device = devices.value(0).toString();
            devices.finish();
        }
        deviceNamesList.append(device);
        paramVisibilityList.append(paramCnt <= 3);
    }
    return true;
}
