#include "charts/RecorderFilteredChartModel.h"

#include "charts/RecorderWideTable.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

QString number(qint64 v)
{
    return QString::number(v);
}

// "c1 IS NOT NULL OR c2 IS NOT NULL ..." nested as a balanced tree: SQLite
// refuses expressions deeper than 1000, and a filter may choose many columns.
QString anyNotNull(const QString &table, const QStringList &columns, int from, int to)
{
    if (to - from == 1)
        return recorderwide::column(table, columns.at(from)) + QStringLiteral(" IS NOT NULL");
    const int mid = from + (to - from) / 2;
    return QLatin1Char('(') + anyNotNull(table, columns, from, mid) + QStringLiteral(" OR ")
           + anyNotNull(table, columns, mid, to) + QLatin1Char(')');
}

} // namespace

RecorderFilteredChartModel::RecorderFilteredChartModel(QSqlDatabase db, FiltersCfg cfg, const QString &table,
                                                       QObject *parent)
    : AbstractChartModel(db, std::move(cfg), parent)
    , m_table(table)
{
}

QString RecorderFilteredChartModel::getTimeExprStr() const
{
    return recorderwide::timeExpression();
}

QMap<int, QString> RecorderFilteredChartModel::getFullParamNames()
{
    QMap<int, QString> names;
    const QSqlDatabase db = connection();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!db.isOpen()
        || !query.prepare(QStringLiteral("SELECT T1.id, T1.name, T2.name FROM Parameters AS T1 JOIN Devices AS T2 "
                                         "ON T1.idDevices = T2.id"))
        || !query.exec()) {
        TRACE() << "SQL Error in getFullParamNames: " << query.lastError().text();
        return names;
    }
    // Joined, not substituted: a name may itself hold "%1".
    while (query.next())
        names[query.value(0).toInt()] = query.value(1).toString() + QStringLiteral(" (") + query.value(2).toString()
                                        + QLatin1Char(')');
    return names;
}

QString RecorderFilteredChartModel::periodCondition() const
{
    if (!filtersCfg.hasPeriod())
        return QString();
    return QStringLiteral(" AND ") + getTimeExprStr() + QStringLiteral(" BETWEEN ") + number(filtersCfg.startDateTime)
           + QStringLiteral(" AND ") + number(filtersCfg.endDateTime);
}

QStringList RecorderFilteredChartModel::chosenColumns(const QMap<int, QString> &fullNames) const
{
    QStringList columns;
    for (auto it = paramNamesMap.constBegin(); it != paramNamesMap.constEnd(); ++it) {
        const QString name = fullNames.value(it.key());
        if (!name.isEmpty() && !columns.contains(name))
            columns << name;
    }
    return columns;
}

QString RecorderFilteredChartModel::sectionRowsCondition(const QStringList &columns) const
{
    return getTimeExprStr() + QStringLiteral(" IS NOT NULL") + periodCondition() + QStringLiteral(" AND ")
           + anyNotNull(m_table, columns, 0, columns.size());
}

bool RecorderFilteredChartModel::getDataExportRowCnt()
{
    totalRowCnt = 0;
    maxParamRowCnt = 0;
    paramRowCntList.clear();
    m_window = Window();

    const QMap<int, QString> fullNames = getFullParamNames();
    if (fullNames.isEmpty()) {
        TRACE() << "Cannot get full parameter names. Aborting.";
        return false;
    }

    const QSqlDatabase db = connection();
    if (!db.isOpen())
        return false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString table = sql::quoteIdentifier(m_table);
    for (auto it = paramNamesMap.constBegin(); it != paramNamesMap.constEnd(); ++it) {
        const auto name = fullNames.constFind(it.key());
        if (name == fullNames.constEnd()) {
            TRACE() << "Warning: Full name not found for parameter ID:" << it.key();
            continue;
        }
        QStringList conditions;
        if (filtersCfg.hasPeriod())
            conditions << getTimeExprStr() + QStringLiteral(" BETWEEN ") + number(filtersCfg.startDateTime)
                              + QStringLiteral(" AND ") + number(filtersCfg.endDateTime);
        conditions << recorderwide::column(m_table, name.value()) + QStringLiteral(" IS NOT NULL");
        const QString text = QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE ")
                             + conditions.join(QStringLiteral(" AND "));
        TRACE() << "getDataExportRowCnt queryStr: " << text;
        if (!query.exec(text) || !query.next()) {
            TRACE() << "SQL Error: " << query.lastError().text();
            return false;
        }
        const int n = query.value(0).toInt();
        query.finish();
        paramRowCntList.append(n);
        totalRowCnt += uint(n);
        maxParamRowCnt = qMax(maxParamRowCnt, uint(n));
    }

    // The sections page through the rows in which any chosen parameter has
    // a value: parameters recorded in different rows would otherwise leave
    // the later rows out of every section.
    const QStringList columns = chosenColumns(fullNames);
    if (!columns.isEmpty()) {
        const QString text = QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE ")
                             + sectionRowsCondition(columns);
        if (query.exec(text) && query.next())
            maxParamRowCnt = uint(query.value(0).toLongLong());
        else
            TRACE() << "SQL Error: " << query.lastError().text();
        query.finish();
    }
    return totalRowCnt != 0;
}

void RecorderFilteredChartModel::findWindow(uint rowIndex, uint rowLen)
{
    m_window = Window();
    m_window.known = true;
    m_window.rowIndex = rowIndex;
    m_window.rowLen = rowLen;
    const QStringList columns = chosenColumns(getFullParamNames());
    const QSqlDatabase db = connection();
    if (columns.isEmpty() || rowLen == 0 || !db.isOpen())
        return;

    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT t, r FROM (SELECT ") + getTimeExprStr() + QStringLiteral(" AS t, rowid AS r FROM ")
                  + sql::quoteIdentifier(m_table) + QStringLiteral(" WHERE ") + sectionRowsCondition(columns)
                  + QLatin1Char(')') + recorderwide::positionWindowClause(QStringLiteral("t, r")));
    query.addBindValue(qulonglong(rowLen));
    query.addBindValue(qulonglong(rowIndex));
    if (!query.exec()) {
        TRACE() << "SQL Error: " << query.lastError().text();
        return;
    }
    while (query.next()) {
        const RowKey key{query.value(0).toLongLong(), query.value(1).toLongLong()};
        if (m_window.empty) {
            m_window.first = key;
            m_window.empty = false;
        }
        m_window.last = key;
    }
}

void RecorderFilteredChartModel::makeStringQueryDB_maxTime(QString &query, uint rowIndex, uint rowLen)
{
    // The loader asks for the last time first: the section's rows are found
    // afresh here and serve the first time and the series after it.
    findWindow(rowIndex, rowLen);
    query = m_window.empty ? QStringLiteral("SELECT NULL")
                           : QStringLiteral("SELECT MAX(") + getTimeExprStr() + QStringLiteral(") FROM ")
                                 + sql::quoteIdentifier(m_table) + QStringLiteral(" WHERE rowid = ")
                                 + number(m_window.last.row);
    TRACE() << "makeStringQueryDB_maxTime queryStr: " << query;
}

void RecorderFilteredChartModel::makeStringQueryDB_minTime(QString &query, uint rowIndex, uint rowLen)
{
    if (!m_window.known || m_window.rowIndex != rowIndex || m_window.rowLen != rowLen)
        findWindow(rowIndex, rowLen);
    query = m_window.empty ? QStringLiteral("SELECT NULL")
                           : QStringLiteral("SELECT MIN(") + getTimeExprStr() + QStringLiteral(") FROM ")
                                 + sql::quoteIdentifier(m_table) + QStringLiteral(" WHERE rowid = ")
                                 + number(m_window.first.row);
    TRACE() << "makeStringQueryDB_minTime queryStr: " << query;
}

void RecorderFilteredChartModel::makeOneParamStringQueryDB_Limit(QString &query,
                                                                 QMap<int, QString>::const_iterator parameter)
{
    const QString name = getFullParamNames().value(parameter.key());
    if (name.isEmpty()) {
        TRACE() << "Full column name not found for ID:" << parameter.key();
    }
    const QString column = recorderwide::column(m_table, name);
    if (name.isEmpty() || m_window.empty) {
        query = QStringLiteral("SELECT NULL AS dateTime_u, NULL AS value WHERE 0");
        return;
    }
    // The rows of the section are those between its first and last row in
    // (time, row) order; the cell tests are the recorder tables' empty marks.
    // A zero is a measured value and is drawn like any other.
    const QString ft = number(m_window.first.time);
    const QString fr = number(m_window.first.row);
    const QString lt = number(m_window.last.time);
    const QString lr = number(m_window.last.row);
    query = QStringLiteral("SELECT DISTINCT t AS dateTime_u, v AS value FROM (SELECT ") + getTimeExprStr()
            + QStringLiteral(" AS t, rowid AS r, ") + column + QStringLiteral(" AS v FROM ")
            + sql::quoteIdentifier(m_table) + QStringLiteral(" WHERE ") + column + QStringLiteral(" IS NOT NULL AND ")
            + column + QStringLiteral(" != '' AND ") + column
            + QStringLiteral(" != ' ') WHERE (t > ") + ft + QStringLiteral(" OR (t = ") + ft
            + QStringLiteral(" AND r >= ") + fr + QStringLiteral(")) AND (t < ") + lt + QStringLiteral(" OR (t = ")
            + lt + QStringLiteral(" AND r <= ") + lr + QStringLiteral(")) ORDER BY dateTime_u ASC");
    TRACE() << "makeOneParamStringQueryDB_Limit queryStr: " << query;
}
