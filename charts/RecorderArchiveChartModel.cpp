#include "charts/RecorderArchiveChartModel.h"

#include "common/ProgressDialog.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <climits>

RecorderArchiveChartModel::RecorderArchiveChartModel(QSqlDatabase db, const QString &table, QObject *parent)
    : AbstractChartModel(db, parent)
    , m_table(table)
{
}

void RecorderArchiveChartModel::traceColumn(const QString &, const QString &) const
{
}

bool RecorderArchiveChartModel::loadNamesDB()
{
    TRACE() << "Function Name: " << Q_FUNC_INFO << m_table;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    paramCnt = 0;
    const bool ok = query.exec(QStringLiteral("PRAGMA table_info(") + sql::quoteIdentifier(m_table)
                               + QLatin1Char(')'));
    paramNamesMap.clear();
    paramNamesList.clear();
    paramUnitsList.clear();
    paramVisibilityList.clear();
    if (!ok) {
        TRACE() << "Failed to fetch '" + m_table + "' table structure!";
        return false;
    }

    // id, date and time lead every row.
    for (int skipped = 0; skipped < 3 && query.next(); ++skipped) {
    }

    const MoxBSettingsUnits units = recorderwide::sessionSettingsUnits();
    while (query.next()) {
        ++paramCnt;
        const QString name = query.value(1).toString();
        paramNamesMap[query.value(0).toInt()] = name;
        const QString unit = units.unitOf(name);
        if (unit.isEmpty())
            TRACE() << "No unit found for column:" << name;
        else
            TRACE() << "Unit for column:" << name << "is" << unit;
        traceColumn(name, unit);
        paramNamesList.append(name);
        paramUnitsList.append(unit);
        paramVisibilityList.append(paramCnt <= 3);
    }
    return true;
}

bool RecorderArchiveChartModel::getDataExportRowCnt()
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    paramRowCntList.clear();
    totalRowCnt = 0;
    maxParamRowCnt = 0;
    const int columns = qMin(paramCnt, paramNamesList.size());
    if (columns < 1)
        return false;
    // One pass over the table for every column: the page opens on the
    // window's thread, and a scan per column of a wide table held it for
    // seconds. The CSV import writes a blank into a channel's cells in the
    // rows of other channels: such a cell is as empty as an empty one. A
    // number is never empty: SQLite sorts every number before every text, so
    // "< ''" finds one without turning it into text to trim it, which is
    // what a scan of an archive's numeric columns spent its time on.
    QStringList filled;
    for (int i = 0; i < columns; ++i) {
        const QString column = recorderwide::column(m_table, paramNamesList.at(i));
        filled << QStringLiteral("TOTAL(CASE WHEN ") + column + QStringLiteral(" < '' THEN 1 ELSE TRIM(") + column
                      + QStringLiteral(") != '' END)");
    }
    if (!query.exec(QStringLiteral("SELECT COUNT(*), ") + filled.join(QStringLiteral(", ")) + QStringLiteral(" FROM ")
                    + sql::quoteIdentifier(m_table))
        || !query.next()) {
        TRACE() << "Chart row count failed:" << query.lastError().text();
        return false;
    }
    for (int i = 0; i < columns; ++i) {
        const int n = int(query.value(i + 1).toLongLong());
        paramRowCntList.append(n);
        totalRowCnt += uint(n);
    }
    // The page pages through rows of the table, not through one column's
    // filled cells: columns filled in alternate rows would otherwise leave
    // the tail of the table out of every section.
    maxParamRowCnt = uint(query.value(0).toLongLong());
    query.finish();
    return totalRowCnt != 0;
}

void RecorderArchiveChartModel::readEdgeTime(QSqlQuery &query, const QString &aggregate, qint64 *msecs)
{
    const QString table = sql::quoteIdentifier(m_table);
    if (query.exec(QStringLiteral("SELECT date, time FROM ") + table + QStringLiteral(" WHERE id=(SELECT ") + aggregate
                   + QStringLiteral("(id) FROM ") + table + QStringLiteral(")"))
        && query.next()) {
        qint64 ms = 0;
        if (recorderwide::parseMsecs(query.value(0).toString(), query.value(1).toString(), &ms))
            *msecs = ms;
    }
    query.finish();
}

void RecorderArchiveChartModel::loadDataWorker(uint rowIndex, uint rowLen, ProgressDialog *dialog)
{
    if (paramCnt < 1)
        return;
    QElapsedTimer timer;
    timer.start();
    resetSeries();

    // The window holds the table's rows from rowIndex on, at most rowLen of
    // them (rowLen when the table was never counted). Queued before the
    // first value, so the window has its maximum when that value arrives.
    quint64 expected = rowLen;
    if (maxParamRowCnt > 0)
        expected = rowIndex < maxParamRowCnt ? qMin(rowLen, maxParamRowCnt - rowIndex) : 0;
    ProgressDialog::postMaximum(QPointer<ProgressDialog>(dialog), int(qMin<quint64>(expected + 1, INT_MAX)));

    QSqlQuery query(connection());
    query.setForwardOnly(true);
    // The axis spans the whole table, whichever section is shown.
    readEdgeTime(query, QStringLiteral("MIN"), &sectionFirstTime);
    readEdgeTime(query, QStringLiteral("MAX"), &sectionLastTime);

    QStringList columns{QStringLiteral("id"), QStringLiteral("date"), QStringLiteral("time")};
    for (const QString &name : paramNamesList.mid(0, paramCnt))
        columns << recorderwide::column(m_table, name);
    query.prepare(QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ")
                  + sql::quoteIdentifier(m_table) + recorderwide::positionWindowClause(QStringLiteral("id")));
    query.addBindValue(qulonglong(rowLen));
    query.addBindValue(qulonglong(rowIndex));
    if (!query.exec()) {
        emit consoleMessage(tr("Failed to execute query: %1").arg(query.lastError().text()), 0);
        return;
    }

    sectionStartRow = rowIndex;
    const uint step = qMax(rowLen / 25, 1u);
    uint rows = 0;
    uint unreadable = 0;
    const int count = qMin(paramCnt, timeSeries.size());
    while (query.next()) {
        ++rows;
        if (rows % step == 0)
            emit progressValueChanged(int(rows));
        qint64 ms = 0;
        if (!recorderwide::parseMsecs(query.value(1).toString(), query.value(2).toString(), &ms)) {
            // A row with no readable time has no place on the axis.
            ++unreadable;
            continue;
        }
        const double t = toChartTime(ms);
        for (int i = 0; i < count; ++i) {
            timeSeries[i]->append(t);
            valueSeries[i]->append(recorderwide::cellValue(query.value(i + 3)));
        }
    }
    query.finish();
    if (unreadable)
        TRACE() << "Rows without a readable date and time:" << unreadable;

    emit progressValueChanged(int(rowLen));
    emit consoleMessage(AbstractChartModel::tr("Loaded %1 records for %2 parameters in: %3 ms")
                            .arg(rows)
                            .arg(paramCnt)
                            .arg(timer.elapsed()),
                        0);
}

void RecorderArchiveChartModel::makeOneParamStringQueryDB_Limit(QString &query, QMap<int, QString>::const_iterator)
{
    // The worker reads every parameter of a section with one statement.
    query.clear();
}
