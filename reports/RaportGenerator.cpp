#include "reports/RaportGenerator.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QRegularExpression>

namespace {

struct State
{
    QString aggregationName;
    int intervalMinutes = 0;
    QString parameterClause;
    QStringList columnNames;
    QString flagClause;
    qint64 rangeStart = 0;
    qint64 rangeEnd = 0;
    bool weekly = false;
    qint16 weekStart = 0;
    bool increment = false;
};

State &state()
{
    static State s;
    return s;
}

// Replaces the markers %1 … %9 in a single scan, so text that has been put in
// (names, clauses, SQLite's own %s and %Y) is never taken for a marker.
QString fill(const QString &tpl, const QStringList &args)
{
    QString out;
    out.reserve(tpl.size() + 256);
    const int n = tpl.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = tpl.at(i);
        if (c == QLatin1Char('%') && i + 1 < n) {
            const int d = tpl.at(i + 1).digitValue();
            if (d >= 1 && d <= args.size()) {
                out += args.at(d - 1);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

const char *const kTimeFormat = "'%Y-%m-%d %H:%M:%S'";

} // namespace

void RaportGenerator::setGroupingType(qint16 grouping, qint16 minutes, qint16 aggregation, qint16 weekStart)
{
    State &s = state();
    s.weekly = false;
    switch (grouping) {
    case 0:
        s.intervalMinutes = minutes;
        break;
    case 1:
        s.intervalMinutes = 60;
        break;
    case 2:
        s.intervalMinutes = 1440;
        break;
    case 3:
        s.intervalMinutes = 10080;
        s.weekStart = weekStart;
        s.weekly = true;
        break;
    default:
        break;
    }
    BasicSetType(aggregation);
}

void RaportGenerator::BasicSetType(qint16 aggregation)
{
    TRACE() << "[RaportGenerator] BasicSetType called with groupType:" << aggregation;
    static const char *const names[] = {"min", "avg", "max", "inc"};
    if (aggregation >= 0 && aggregation <= 3)
        state().aggregationName = QLatin1String(names[aggregation]);
    state().increment = state().aggregationName == QLatin1String("inc");
}

void RaportGenerator::flagFilter(const QString &deviceName)
{
    const bool flag1Rule = deviceName == QLatin1String("ZelC") || deviceName == QLatin1String("ZelD")
        || deviceName == QLatin1String("ZelDX");
    state().flagClause =
        flag1Rule ? QStringLiteral("AND (flag != 1 AND flag != 256) ") : QStringLiteral("AND (flag != %1) ").arg(2);
}

void RaportGenerator::parameterFilter(const QList<int> &selectedParamIds)
{
    // An empty selection must not fall back on the previous report's ids.
    if (selectedParamIds.isEmpty()) {
        state().parameterClause.clear();
        return;
    }
    QStringList parts;
    parts.reserve(selectedParamIds.size());
    for (int id : selectedParamIds)
        parts << QStringLiteral("idParameters=") + QString::number(id);
    state().parameterClause = QLatin1Char('(') + parts.join(QStringLiteral(" or ")) + QStringLiteral(") ");
}

void RaportGenerator::stripBrackets(const QStringList &selectedParamNames)
{
    static const QRegularExpression unit(QStringLiteral("\\s*\\[.*\\]\\s*"));
    QStringList names;
    names.reserve(selectedParamNames.size());
    for (const QString &name : selectedParamNames) {
        QString n = name.trimmed();
        n.remove(unit);
        names << n;
    }
    state().columnNames = names;
}

void RaportGenerator::columnFilter(const QStringList &columnNames)
{
    state().columnNames = columnNames;
}

QString RaportGenerator::generateQuery(int kind, qint64 start, qint64 end)
{
    state().rangeStart = start;
    state().rangeEnd = end;
    if (kind == 0)
        return buildNarrowQuery(false);
    if (kind == 5)
        return buildNarrowQuery(true);
    return QStringLiteral("");
}

QString RaportGenerator::generateQueryMoxB(int kind, qint64 start, qint64 end)
{
    state().rangeStart = start;
    state().rangeEnd = end;
    if (kind == 0)
        return buildMoxBArchiveQuery();
    if (kind == 3)
        return buildMoxBRangeQuery();
    return QString();
}

QString RaportGenerator::generateQueryMoxBCsv(int kind)
{
    if (kind == 0)
        return buildMoxBCsvQuery();
    return QString();
}

QString RaportGenerator::generateQueryMoxA(int kind, qint64 start, qint64 end)
{
    state().rangeStart = start;
    state().rangeEnd = end;
    if (kind == 0)
        return buildMoxAQuery();
    if (kind == 4)
        return buildMoxARangeQuery();
    return QString();
}

QString RaportGenerator::buildMoxBRangeQuery()
{
    return buildWideQuery(QStringLiteral("DataMoxB"), true, "MoxB");
}

QString RaportGenerator::buildMoxBArchiveQuery()
{
    return buildWideQuery(QStringLiteral("Data"), false, "MoxB");
}

QString RaportGenerator::buildMoxBCsvQuery()
{
    return buildWideQuery(QStringLiteral("DataMoxB"), false, "MoxB");
}

QString RaportGenerator::buildMoxAQuery()
{
    return buildWideQuery(QStringLiteral("DataMoxA"), false, "MoxA");
}

QString RaportGenerator::buildMoxARangeQuery()
{
    return buildWideQuery(QStringLiteral("DataMoxA"), true, "MoxA");
}

QString RaportGenerator::aggregationName() { return state().aggregationName; }
int RaportGenerator::intervalMinutes() { return state().intervalMinutes; }
QString RaportGenerator::parameterClause() { return state().parameterClause; }
QStringList RaportGenerator::columnNames() { return state().columnNames; }
QString RaportGenerator::columnList() { return sql::quoteIdentifiers(state().columnNames); }
QString RaportGenerator::flagClause() { return state().flagClause; }
qint64 RaportGenerator::rangeStart() { return state().rangeStart; }
qint64 RaportGenerator::rangeEnd() { return state().rangeEnd; }
bool RaportGenerator::isWeekly() { return state().weekly; }
qint16 RaportGenerator::weekStartCode() { return state().weekStart; }
bool RaportGenerator::isIncrement() { return state().increment; }

void RaportGenerator::resetState()
{
    state() = State();
}

qint64 RaportGenerator::intervalSeconds()
{
    // A zero or negative interval would divide by zero inside the statement.
    return qint64(qMax(1, state().intervalMinutes)) * 60;
}

QString RaportGenerator::buildNarrowQuery(bool ranged)
{
    const State &s = state();
    TRACE() << "[RaportGenerator] Grouping Type: " << s.aggregationName;
    TRACE() << "[RaportGenerator] Parameters ID: " << s.parameterClause;
    TRACE() << "[RaportGenerator] Time To Query: " << s.intervalMinutes;

    const QString seconds = QString::number(intervalSeconds());
    const QString params = s.parameterClause.isEmpty() ? QStringLiteral("(0) ") : s.parameterClause;
    QString range;
    if (ranged && s.rangeStart != 0 && s.rangeEnd != 0)
        range = QStringLiteral(" AND dateTime BETWEEN ") + QString::number(s.rangeStart) + QStringLiteral(" AND ")
            + QString::number(s.rangeEnd) + QLatin1Char(' ');
    const QString format = QLatin1String(kTimeFormat);
    // Ranged statements run on the application database only, where the
    // import has given every instrument's flags one meaning: 2 is invalid.
    const QString flags = ranged ? QStringLiteral("AND (flag != 2) ") : s.flagClause;

    if (s.aggregationName != QLatin1String("inc")) {
        const QString name = s.aggregationName.toLower();
        QString aggregate;
        if (name == QLatin1String("avg"))
            aggregate = QStringLiteral("AVG(CAST(value AS REAL))");
        else if (name == QLatin1String("min"))
            aggregate = QStringLiteral("MIN(CAST(value AS REAL))");
        else
            aggregate = QStringLiteral("MAX(CAST(value AS REAL))");
        // [Date] is a bare column: SQLite takes it from the row of the single
        // MIN or MAX, so it tells when the extreme was measured.
        return fill(QStringLiteral(
                        "SELECT STRFTIME(%6, (ROUND((CAST(dateTime / 1000 AS INT) / %1), 0) * %1), 'unixepoch') as [Start], "
                        "STRFTIME(%6, (ROUND((CAST(dateTime / 1000 AS INT) / %1), 0) * %1 + %1 - 1), 'unixepoch') as [End], "
                        "idParameters, %2 as [ResultValue], "
                        "STRFTIME(%6, CAST(dateTime / 1000 AS INT), 'unixepoch') as [Date] "
                        "FROM Data WHERE %3 %5 %4 "
                        "GROUP BY ROUND((CAST(dateTime / 1000 AS INT) / %1), 0), idParameters ORDER BY [Start], idParameters"),
                    {seconds, aggregate, params, flags, range, format});
    }

    // Increment: per bucket and parameter the first and the last sample in
    // time (id breaking ties), first row first, so the caller's "second minus
    // first" is last minus first. One sample gives the same row twice.
    const QString statement = fill(
        QStringLiteral(
            "WITH Samples AS (SELECT id, idParameters, value, dateTime, CAST(dateTime / 1000 AS INT) / %1 AS bucket "
            "FROM Data WHERE %2 %3 %4), "
            "Ranked AS (SELECT bucket, idParameters, value, ROW_NUMBER() OVER win AS position, "
            "COUNT(*) OVER (win ROWS BETWEEN UNBOUNDED PRECEDING AND UNBOUNDED FOLLOWING) AS sampleCount "
            "FROM Samples WINDOW win AS (PARTITION BY bucket, idParameters ORDER BY dateTime, id)), "
            "Pairs AS (SELECT bucket, idParameters, value, 0 AS pairPosition FROM Ranked WHERE position = 1 "
            "UNION ALL SELECT bucket, idParameters, value, 1 AS pairPosition FROM Ranked WHERE position = sampleCount) "
            "SELECT STRFTIME(%5, bucket * %1, 'unixepoch') as [Start], "
            "STRFTIME(%5, bucket * %1 + %1 - 1, 'unixepoch') as [End], "
            "idParameters, value as [ResultValue] FROM Pairs ORDER BY bucket, idParameters, pairPosition"),
        {seconds, params, range, flags, format});
    TRACE() << "FINAL INC QUERY:\n" << statement;
    return statement;
}

QString RaportGenerator::wideRangeClause()
{
    const State &s = state();
    if (s.rangeStart == 0 || s.rangeEnd == 0)
        return QString();
    // The sample's time read as UTC, milliseconds from characters 10 to 12 of
    // `time` (0 when it has none); both bounds inclusive.
    return fill(QStringLiteral(" WHERE CAST(CAST(strftime('%s', date || ' ' || substr(time, 1, 8)) AS INTEGER) * 1000 + "
                               "CAST(substr(time, 10, 3) AS INTEGER) AS INTEGER) BETWEEN %1 AND %2 "),
                {QString::number(s.rangeStart), QString::number(s.rangeEnd)});
}

QString RaportGenerator::buildWideQuery(const QString &table, bool ranged, const char *logTag)
{
    const State &s = state();
    TRACE() << "[RaportGenerator] Grouping Type: " << s.aggregationName;
    TRACE() << "[RaportGenerator] Parameters ID: " << columnList();
    TRACE() << "[RaportGenerator] Time To Query: " << s.intervalMinutes;

    const QString where = ranged ? wideRangeClause() : QString();
    if (s.aggregationName == QLatin1String("inc")) {
        const QString statement = buildWideIncrement(table, where);
        TRACE() << QStringLiteral("[SQL] Generated %1 Query (INC - SQLite old): \n").arg(QLatin1String(logTag)) + statement;
        return statement;
    }
    const QString statement = buildWideAggregate(table, where);
    TRACE() << QStringLiteral("[SQL] Generated %1 Query: ").arg(QLatin1String(logTag)) + statement;
    return statement;
}

// Values of the wide tables are texts. Only texts that are numbers take part
// (CAST(x AS REAL) = x holds exactly when SQLite reads the whole text as a
// number), compared as numbers; blanks and placeholders count as missing.
// Intervals are labelled from their nominal start, origin + k * interval.
QString RaportGenerator::buildWideAggregate(const QString &table, const QString &where)
{
    const State &s = state();
    const QString name = s.aggregationName.toLower();
    const QString function = name == QLatin1String("avg") ? QStringLiteral("AVG")
        : name == QLatin1String("min")                    ? QStringLiteral("MIN")
                                                          : QStringLiteral("MAX");
    QString sampleColumns, numberedColumns, outputColumns;
    for (int i = 0; i < s.columnNames.size(); ++i) {
        const QString column = sql::quoteIdentifier(s.columnNames.at(i));
        const QString alias = QStringLiteral("v") + QString::number(i + 1);
        sampleColumns += fill(QStringLiteral(", CASE WHEN CAST(%1 AS REAL) = %1 THEN CAST(%1 AS REAL) END AS %2"),
                              {column, alias});
        numberedColumns += QStringLiteral(", ") + alias;
        outputColumns += fill(QStringLiteral(", %1(%2) AS %3"), {function, alias, column});
    }
    return fill(QStringLiteral(
                    "WITH Samples AS (SELECT CAST(strftime('%s', date || ' ' || time) AS INTEGER) / 60 * 60 AS minuteSec%2 "
                    "FROM %1%3), "
                    "Origin AS (SELECT MIN(minuteSec) AS origin FROM Samples), "
                    "Numbered AS (SELECT (minuteSec - origin) / %4 AS slot, origin%5 FROM Samples, Origin "
                    "WHERE minuteSec IS NOT NULL) "
                    "SELECT strftime(%7, origin + slot * %4, 'unixepoch') AS Start, "
                    "strftime(%7, origin + slot * %4 + %4 - 1, 'unixepoch') AS \"End\"%6 "
                    "FROM Numbered GROUP BY slot ORDER BY slot;"),
                {table, sampleColumns, where, QString::number(intervalSeconds()), numberedColumns, outputColumns,
                 QLatin1String(kTimeFormat)});
}

// First and last valid value of each column per interval in one pass: each
// valid value is prefixed with a fixed-width position (seconds from the origin,
// then id), so MIN and MAX over the texts pick the first and the last sample in
// time, id breaking ties, and substr() takes the value back. A value is valid
// unless it is NULL, '' or ' '. The 'end' row comes before the 'start' row, and
// rows are ordered by interval, so equal time labels never mix two pairs.
QString RaportGenerator::buildWideIncrement(const QString &table, const QString &where)
{
    const State &s = state();
    QString cleaned, keyed, firstLast, endRow, startRow, output;
    for (int i = 0; i < s.columnNames.size(); ++i) {
        const QString column = sql::quoteIdentifier(s.columnNames.at(i));
        const QString n = QString::number(i + 1);
        cleaned += fill(QStringLiteral(", NULLIF(NULLIF(%1, ''), ' ') AS v%2"), {column, n});
        keyed += fill(QStringLiteral(", v%1"), {n});
        firstLast += fill(QStringLiteral(", substr(MIN(position || v%1), 33) AS f%1, substr(MAX(position || v%1), 33) AS l%1"),
                          {n});
        endRow += fill(QStringLiteral(", l%1 AS c%1"), {n});
        startRow += fill(QStringLiteral(", f%1 AS c%1"), {n});
        output += fill(QStringLiteral(", c%1 AS %2"), {n, column});
    }
    return fill(QStringLiteral(
                    "WITH Samples AS (SELECT id, CAST(strftime('%s', date || ' ' || time) AS INTEGER) AS sec%2 FROM %1%3), "
                    "Origin AS (SELECT MIN(sec) AS origin FROM Samples), "
                    "Keyed AS (SELECT (sec - origin) / %4 AS slot, sec, printf('%012d%020d', sec - origin, id) AS position%5 "
                    "FROM Samples, Origin WHERE sec IS NOT NULL), "
                    "Intervals AS (SELECT slot, strftime('%Y-%m-%d %H:%M:00', MIN(sec), 'unixepoch') AS TimeValue%6 "
                    "FROM Keyed GROUP BY slot) "
                    "SELECT TimeValue, BoundaryType%9 FROM ("
                    "SELECT slot, TimeValue, 'end' AS BoundaryType%7 FROM Intervals "
                    "UNION ALL SELECT slot, TimeValue, 'start' AS BoundaryType%8 FROM Intervals) "
                    "ORDER BY slot, BoundaryType;"),
                {table, cleaned, where, QString::number(intervalSeconds()), keyed, firstLast, endRow, startRow, output});
}
