#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// Builds the SQLite statement of an interval report. The report model sets the
// process-wide state (flag rule, parameter selection, interval, aggregation),
// then asks the entry point of its report kind for the statement. Reports are
// built one at a time on the GUI thread, so the state is not locked.
//
// Narrow statements (table Data: one sample per row) give per bucket and
// parameter the columns [Start], [End], idParameters, [ResultValue] and, for
// the aggregates, [Date]. Buckets are aligned to 1970-01-01 00:00 UTC.
//
// Wide statements (DataMoxB, DataMoxA, the Data of an opened MoxB archive)
// give Start, End and one column per selected name (aggregates), or
// TimeValue, BoundaryType and one column per name, two rows per interval with
// the 'end' row (last valid values) before the 'start' row (increments).
// Intervals are counted from the earliest sample.
class RaportGenerator
{
public:
    RaportGenerator() = delete;

    // grouping: 0 every N minutes, 1 hourly, 2 daily, 3 weekly (other codes keep
    // the interval); then BasicSetType(aggregation).
    static void setGroupingType(qint16 grouping, qint16 minutes, qint16 aggregation, qint16 weekStart);
    // 0 "min", 1 "avg", 2 "max", 3 "inc"; other codes keep the previous name.
    static void BasicSetType(qint16 aggregation);
    // "ZelC", "ZelD" and "ZelDX" drop flags 1 and 256, every other name flag 2.
    // The basic statements (one instrument's database) apply this rule; the
    // ranged ones (the application database, whose import maps every
    // instrument's flags to one meaning) drop flag 2 for every instrument.
    static void flagFilter(const QString &deviceName);
    // The narrow parameter clause; an empty list selects no parameter.
    static void parameterFilter(const QList<int> &selectedParamIds);
    // The wide column list: each name trimmed and stripped of its bracketed unit.
    static void stripBrackets(const QStringList &selectedParamNames);
    // The wide column list as given: the table's own column names.
    static void columnFilter(const QStringList &columnNames);

    // kind 0: the whole Data table; kind 5: within [start, end] when both are
    // non-zero; other kinds an empty string.
    static QString generateQuery(int kind, qint64 start, qint64 end);
    // kind 0: buildMoxBArchiveQuery, kind 3: buildMoxBRangeQuery, else null.
    static QString generateQueryMoxB(int kind, qint64 start, qint64 end);
    // kind 0: buildMoxBCsvQuery, else null; the stored range is left alone.
    static QString generateQueryMoxBCsv(int kind);
    // kind 0: buildMoxAQuery, kind 4: buildMoxARangeQuery, else null.
    static QString generateQueryMoxA(int kind, qint64 start, qint64 end);

    static QString buildMoxBRangeQuery();   // DataMoxB within the stored range
    static QString buildMoxBArchiveQuery(); // Data of an opened MoxB archive
    static QString buildMoxBCsvQuery();     // DataMoxB
    static QString buildMoxAQuery();        // DataMoxA
    static QString buildMoxARangeQuery();   // DataMoxA within the stored range

    // The state, read back.
    static QString aggregationName();
    static int intervalMinutes();
    static QString parameterClause();
    static QStringList columnNames();
    static QString columnList(); // the column names quoted, joined by ", "
    static QString flagClause();
    static qint64 rangeStart();
    static qint64 rangeEnd();
    static bool isWeekly();
    static qint16 weekStartCode();
    static bool isIncrement();

    // Back to the state at program start (tests).
    static void resetState();

private:
    static QString buildNarrowQuery(bool ranged);
    static QString buildWideQuery(const QString &table, bool ranged, const char *logTag);
    static QString buildWideAggregate(const QString &table, const QString &where);
    static QString buildWideIncrement(const QString &table, const QString &where);
    static QString wideRangeClause();
    static qint64 intervalSeconds();
};
