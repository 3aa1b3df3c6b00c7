#include "reports/RaportGenerator.h"

#include "app/AvailableDevices.h"
#include "common/Connections.h"
#include "support/DbTestUtil.h"
#include "support/ReportSqlFixtures.h"
#include "support/TestMain.h"
#include "support/TimeTestUtil.h"

#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace reportfixtures;

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(Rows)

namespace {

using testtime::utcMsecs;

QVariantList wide(const QString &date, const QString &time, const QVariantList &values)
{
    QVariantList row{date, time};
    row += values;
    return row;
}

// Keeps the listed columns of every row.
Rows pick(const Rows &rows, const QList<int> &columns)
{
    Rows out;
    for (const QStringList &r : rows) {
        QStringList o;
        for (int c : columns)
            o << r.value(c);
        out << o;
    }
    return out;
}

} // namespace

class TestRaportGenerator : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void stateSetters();
    void parameterClauseText_data();
    void parameterClauseText();
    void columnListText_data();
    void columnListText();
    void unsupportedKinds();

    void narrowBuckets_data();
    void narrowBuckets();
    void narrowAggregates_data();
    void narrowAggregates();
    void narrowEmptySelectionSelectsNothing();
    void flagRuleOfApplicationDatabase_data();
    void flagRuleOfApplicationDatabase();
    void flagRuleOfOpenedArchive_data();
    void flagRuleOfOpenedArchive();
    void narrowRange_data();
    void narrowRange();
    void narrowIncrement_data();
    void narrowIncrement();

    void wideValidValues();
    void wideAggregateIntervals_data();
    void wideAggregateIntervals();
    void wideIncrementPairsWithEqualLabels();
    void wideIncrementFirstAndLastInTime();
    void wideIncrementMatchesCorrelatedForm_data();
    void wideIncrementMatchesCorrelatedForm();
    void wideRange_data();
    void wideRange();
    void builderReadsItsOwnTable_data();
    void builderReadsItsOwnTable();
    void awkwardColumnNames_data();
    void awkwardColumnNames();

private:
    QSqlDatabase freshDatabase();
    QSqlDatabase narrowDatabase();
    Rows run(QSqlDatabase db, const QString &statement, QStringList *columns = nullptr);

    QTemporaryDir m_dir;
    int m_dbCount = 0;
};

void TestRaportGenerator::init()
{
    RaportGenerator::resetState();
}

QSqlDatabase TestRaportGenerator::freshDatabase()
{
    const QString name = QStringLiteral("report_%1").arg(++m_dbCount);
    return testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")));
}

QSqlDatabase TestRaportGenerator::narrowDatabase()
{
    QSqlDatabase db = freshDatabase();
    if (!createNarrowTables(db))
        qFatal("narrow tables");
    return db;
}

Rows TestRaportGenerator::run(QSqlDatabase db, const QString &statement, QStringList *columns)
{
    Rows rows;
    QString error;
    if (!runRows(db, statement, &rows, &error, columns))
        QTest::qFail(qPrintable(error), __FILE__, __LINE__);
    return rows;
}

// ---------------------------------------------------------------- state

void TestRaportGenerator::stateSetters()
{
    RaportGenerator::setGroupingType(0, 15, 0, 4);
    QCOMPARE(RaportGenerator::intervalMinutes(), 15);
    QCOMPARE(RaportGenerator::aggregationName(), QStringLiteral("min"));
    QVERIFY(!RaportGenerator::isWeekly());

    RaportGenerator::setGroupingType(1, 15, 1, 4);
    QCOMPARE(RaportGenerator::intervalMinutes(), 60);
    QCOMPARE(RaportGenerator::aggregationName(), QStringLiteral("avg"));
    RaportGenerator::setGroupingType(2, 15, 2, 4);
    QCOMPARE(RaportGenerator::intervalMinutes(), 1440);
    QCOMPARE(RaportGenerator::aggregationName(), QStringLiteral("max"));
    RaportGenerator::setGroupingType(3, 15, 3, 4);
    QCOMPARE(RaportGenerator::intervalMinutes(), 10080);
    QCOMPARE(RaportGenerator::aggregationName(), QStringLiteral("inc"));
    QVERIFY(RaportGenerator::isWeekly());
    QCOMPARE(RaportGenerator::weekStartCode(), qint16(4));
    QVERIFY(RaportGenerator::isIncrement());

    // Codes outside the tables keep what was there; the weekly flag is cleared.
    RaportGenerator::setGroupingType(7, 15, 9, 4);
    QCOMPARE(RaportGenerator::intervalMinutes(), 10080);
    QCOMPARE(RaportGenerator::aggregationName(), QStringLiteral("inc"));
    QVERIFY(!RaportGenerator::isWeekly());
    RaportGenerator::BasicSetType(-1);
    QCOMPARE(RaportGenerator::aggregationName(), QStringLiteral("inc"));

    RaportGenerator::resetState();
    QCOMPARE(RaportGenerator::intervalMinutes(), 0);
    QVERIFY(RaportGenerator::aggregationName().isEmpty());
    QVERIFY(RaportGenerator::columnNames().isEmpty());
}

void TestRaportGenerator::parameterClauseText_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QString>("clause");
    QTest::newRow("two") << QList<int>{5, 7} << QStringLiteral("(idParameters=5 or idParameters=7) ");
    QTest::newRow("one") << QList<int>{12} << QStringLiteral("(idParameters=12) ");
    QTest::newRow("empty") << QList<int>{} << QString();
}

void TestRaportGenerator::parameterClauseText()
{
    QFETCH(QList<int>, ids);
    QFETCH(QString, clause);
    RaportGenerator::parameterFilter({1, 2, 3});
    RaportGenerator::parameterFilter(ids);
    QCOMPARE(RaportGenerator::parameterClause(), clause);
}

void TestRaportGenerator::columnListText_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("list");
    QTest::newRow("unit and bare") << QStringList{QStringLiteral("P1 [kW]"), QStringLiteral("U1")}
                                   << QStringList{QStringLiteral("P1"), QStringLiteral("U1")}
                                   << QStringLiteral("\"P1\", \"U1\"");
    QTest::newRow("greedy brackets") << QStringList{QStringLiteral("A [x] B [y]")} << QStringList{QStringLiteral("A")}
                                     << QStringLiteral("\"A\"");
    QTest::newRow("trimmed") << QStringList{QStringLiteral("  T (dev-2)  [°C] ")}
                             << QStringList{QStringLiteral("T (dev-2)")} << QStringLiteral("\"T (dev-2)\"");
    QTest::newRow("quote and comma") << QStringList{QStringLiteral("a\"b, c [V]")}
                                     << QStringList{QStringLiteral("a\"b, c")} << QStringLiteral("\"a\"\"b, c\"");
    QTest::newRow("empty") << QStringList{} << QStringList{} << QString();
}

void TestRaportGenerator::columnListText()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, columns);
    QFETCH(QString, list);
    RaportGenerator::stripBrackets({QStringLiteral("old")});
    RaportGenerator::stripBrackets(names);
    QCOMPARE(RaportGenerator::columnNames(), columns);
    QCOMPARE(RaportGenerator::columnList(), list);
}

void TestRaportGenerator::unsupportedKinds()
{
    for (int kind : {1, 2, 3, 4, 6, -1}) {
        const QString s = RaportGenerator::generateQuery(kind, 0, 0);
        QVERIFY(s.isEmpty());
    }
    QVERIFY(RaportGenerator::generateQueryMoxB(4, 0, 0).isNull());
    QVERIFY(RaportGenerator::generateQueryMoxA(3, 0, 0).isNull());
    QVERIFY(RaportGenerator::generateQueryMoxBCsv(3).isNull());
    QVERIFY(!RaportGenerator::generateQueryMoxA(0, 0, 0).isNull());

    // The CSV entry point leaves the stored range alone; the others store theirs.
    RaportGenerator::generateQueryMoxB(3, 11, 22);
    RaportGenerator::generateQueryMoxBCsv(0);
    QCOMPARE(RaportGenerator::rangeStart(), qint64(11));
    QCOMPARE(RaportGenerator::rangeEnd(), qint64(22));
    RaportGenerator::generateQueryMoxA(9, 33, 44);
    QCOMPARE(RaportGenerator::rangeStart(), qint64(33));
    RaportGenerator::generateQuery(7, 55, 66);
    QCOMPARE(RaportGenerator::rangeEnd(), qint64(66));
}

// ---------------------------------------------------------------- narrow

void TestRaportGenerator::narrowBuckets_data()
{
    QTest::addColumn<int>("grouping");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QStringList>("samples");
    QTest::addColumn<Rows>("buckets"); // Start, End, minimum

    QTest::newRow("15 minutes")
        << 0 << 15
        << QStringList{"2026-03-29 00:00:00.000", "2026-03-29 00:14:59.999", "2026-03-29 00:15:00.000",
                       "2026-03-29 00:44:59.000", "2026-03-29 00:45:00.000"}
        << Rows{{"2026-03-29 00:00:00", "2026-03-29 00:14:59", "1"},
                {"2026-03-29 00:15:00", "2026-03-29 00:29:59", "3"},
                {"2026-03-29 00:30:00", "2026-03-29 00:44:59", "4"},
                {"2026-03-29 00:45:00", "2026-03-29 00:59:59", "5"}};
    // 01:00 to 02:00 UTC that day is the hour skipped by local clocks.
    QTest::newRow("hour over the local gap")
        << 1 << 30
        << QStringList{"2026-03-29 00:59:59.999", "2026-03-29 01:00:00.000", "2026-03-29 01:30:00.000",
                       "2026-03-29 02:00:00.000"}
        << Rows{{"2026-03-29 00:00:00", "2026-03-29 00:59:59", "1"},
                {"2026-03-29 01:00:00", "2026-03-29 01:59:59", "2"},
                {"2026-03-29 02:00:00", "2026-03-29 02:59:59", "4"}};
    QTest::newRow("UTC day")
        << 2 << 30 << QStringList{"2026-03-28 22:59:59.000", "2026-03-28 23:59:59.000", "2026-03-29 00:00:00.000"}
        << Rows{{"2026-03-28 00:00:00", "2026-03-28 23:59:59", "1"},
                {"2026-03-29 00:00:00", "2026-03-29 23:59:59", "3"}};
    QTest::newRow("week from Thursday")
        << 3 << 30 << QStringList{"2026-01-01 00:00:00.000", "2026-01-07 23:59:59.000", "2026-01-08 00:00:00.000"}
        << Rows{{"2026-01-01 00:00:00", "2026-01-07 23:59:59", "1"},
                {"2026-01-08 00:00:00", "2026-01-14 23:59:59", "3"}};
}

void TestRaportGenerator::narrowBuckets()
{
    QFETCH(int, grouping);
    QFETCH(int, minutes);
    QFETCH(QStringList, samples);
    QFETCH(Rows, buckets);

    QSqlDatabase db = narrowDatabase();
    QVERIFY(insertParameter(db, 1, 0, QStringLiteral("P")));
    for (int i = 0; i < samples.size(); ++i)
        QVERIFY(insertSample(db, 1, i + 1, 0, utcMsecs(samples.at(i))));

    RaportGenerator::flagFilter(QStringLiteral("ZelB"));
    RaportGenerator::parameterFilter({1});
    RaportGenerator::setGroupingType(qint16(grouping), qint16(minutes), 0, 4);
    const Rows rows = run(db, RaportGenerator::generateQuery(0, 0, 0));
    QCOMPARE(pick(rows, {0, 1, 3}), buckets);
}

void TestRaportGenerator::narrowAggregates_data()
{
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<Rows>("expected"); // Start, idParameters, value, Date

    QTest::newRow("min") << 0
                         << Rows{{"2026-01-05 10:00:00", "1", "-2.5", "2026-01-05 10:20:00"},
                                 {"2026-01-05 10:00:00", "2", "7", "2026-01-05 10:05:00"},
                                 {"2026-01-05 11:00:00", "1", "4", "2026-01-05 11:00:00"}};
    QTest::newRow("max") << 2
                         << Rows{{"2026-01-05 10:00:00", "1", "12", "2026-01-05 10:40:00"},
                                 {"2026-01-05 10:00:00", "2", "7", "2026-01-05 10:05:00"},
                                 {"2026-01-05 11:00:00", "1", "4", "2026-01-05 11:00:00"}};
    QTest::newRow("avg") << 1
                         << Rows{{"2026-01-05 10:00:00", "1", "5", "*"},
                                 {"2026-01-05 10:00:00", "2", "7", "2026-01-05 10:05:00"},
                                 {"2026-01-05 11:00:00", "1", "4", "2026-01-05 11:00:00"}};
}

void TestRaportGenerator::narrowAggregates()
{
    QFETCH(int, aggregation);
    QFETCH(Rows, expected);

    QSqlDatabase db = narrowDatabase();
    QVERIFY(insertParameter(db, 1, 0, QStringLiteral("P")));
    QVERIFY(insertParameter(db, 2, 0, QStringLiteral("Q")));
    QVERIFY(insertParameter(db, 3, 0, QStringLiteral("unselected")));
    QVERIFY(insertSample(db, 1, 5.5, 0, utcMsecs("2026-01-05 10:00:00")));
    QVERIFY(insertSample(db, 1, -2.5, 0, utcMsecs("2026-01-05 10:20:00")));
    QVERIFY(insertSample(db, 1, 12, 0, utcMsecs("2026-01-05 10:40:00")));
    QVERIFY(insertSample(db, 2, 7, 0, utcMsecs("2026-01-05 10:05:00")));
    QVERIFY(insertSample(db, 3, 100, 0, utcMsecs("2026-01-05 10:05:00")));
    QVERIFY(insertSample(db, 1, 4, 0, utcMsecs("2026-01-05 11:00:00")));

    RaportGenerator::flagFilter(QString());
    RaportGenerator::parameterFilter({2, 1});
    RaportGenerator::setGroupingType(1, 30, qint16(aggregation), 4);
    Rows rows = pick(run(db, RaportGenerator::generateQuery(0, 0, 0)), {0, 2, 3, 4});
    for (int i = 0; i < expected.size() && i < rows.size(); ++i)
        if (expected.at(i).at(3) == QLatin1String("*"))
            rows[i][3] = QStringLiteral("*");
    QCOMPARE(rows, expected);
}

void TestRaportGenerator::narrowEmptySelectionSelectsNothing()
{
    QSqlDatabase db = narrowDatabase();
    QVERIFY(insertParameter(db, 1, 0, QStringLiteral("P")));
    QVERIFY(insertSample(db, 1, 1, 0, utcMsecs("2026-01-05 10:00:00")));
    RaportGenerator::flagFilter(QString());
    RaportGenerator::parameterFilter({1});
    RaportGenerator::setGroupingType(1, 30, 0, 4);
    QCOMPARE(run(db, RaportGenerator::generateQuery(0, 0, 0)).size(), 1);

    // A later report without parameters must not reuse the earlier selection.
    RaportGenerator::parameterFilter({});
    for (int aggregation : {0, 3}) {
        RaportGenerator::setGroupingType(1, 30, qint16(aggregation), 4);
        QSqlQuery q(db);
        QVERIFY(q.exec(RaportGenerator::generateQuery(0, 0, 0)));
        QVERIFY(!q.next());
    }
}

void TestRaportGenerator::flagRuleOfApplicationDatabase_data()
{
    QTest::addColumn<QString>("deviceName");
    QTest::addColumn<Rows>("kept"); // idParameters, flag of the samples kept

    // An application database: parameters 1 to 4 belong to ZelD, ZelC, ZelDX
    // and WexB instruments, 5 to none. Its import gave every instrument's
    // flags one meaning, so whatever the first instrument is called, flag 2
    // goes and every other flag stays, as in the session's table and chart.
    Rows kept;
    for (int p = 1; p <= 5; ++p)
        kept << QStringList{QString::number(p), "0"} << QStringList{QString::number(p), "1"}
             << QStringList{QString::number(p), "256"};
    QTest::newRow("first row ZelD") << QStringLiteral("ZelD") << kept;
    QTest::newRow("first row ZelC") << QStringLiteral("ZelC") << kept;
    QTest::newRow("first row ZelDX") << QStringLiteral("ZelDX") << kept;
    QTest::newRow("first row WexB") << QStringLiteral("WexB") << kept;
    QTest::newRow("lower case name") << QStringLiteral("zeld") << kept;
    QTest::newRow("user's name") << QStringLiteral("Substation 1") << kept;
}

void TestRaportGenerator::flagRuleOfApplicationDatabase()
{
    QFETCH(QString, deviceName);
    QFETCH(Rows, kept);

    QSqlDatabase db = narrowDatabase();
    QVERIFY(insertDevice(db, 1, QStringLiteral("Substation 1"), ZelD));
    QVERIFY(insertDevice(db, 2, QStringLiteral("Feeder"), ZelC));
    QVERIFY(insertDevice(db, 3, QStringLiteral("Quality"), ZelDX));
    QVERIFY(insertDevice(db, 4, QStringLiteral("Boiler"), WexB));
    for (int p = 1; p <= 5; ++p)
        QVERIFY(insertParameter(db, p, p <= 4 ? p : 0, QStringLiteral("P%1").arg(p)));
    // Each flag in an hour of its own, the value telling the flag.
    const QList<int> flags{0, 1, 2, 256};
    for (int p = 1; p <= 5; ++p)
        for (int i = 0; i < flags.size(); ++i)
            QVERIFY(insertSample(db, p, flags.at(i), flags.at(i), utcMsecs("2026-02-02 00:00:00") + i * 3600000LL));

    RaportGenerator::flagFilter(deviceName);
    RaportGenerator::parameterFilter({1, 2, 3, 4, 5});
    RaportGenerator::setGroupingType(1, 30, 2, 4);
    Rows rows = pick(run(db, RaportGenerator::generateQuery(5, 0, 0)), {2, 3});
    std::sort(rows.begin(), rows.end(), [](const QStringList &a, const QStringList &b) {
        return a.at(0).toInt() != b.at(0).toInt() ? a.at(0).toInt() < b.at(0).toInt() : a.at(1).toInt() < b.at(1).toInt();
    });
    QCOMPARE(rows, kept);

    // The increment keeps the same samples.
    RaportGenerator::setGroupingType(1, 30, 3, 4);
    Rows inc = pick(run(db, RaportGenerator::generateQuery(5, 0, 0)), {2, 3});
    QCOMPARE(inc.size(), kept.size() * 2);
}

void TestRaportGenerator::flagRuleOfOpenedArchive_data()
{
    QTest::addColumn<QString>("deviceName");
    QTest::addColumn<QStringList>("kept"); // flags of the samples kept

    QTest::newRow("ZelD") << QStringLiteral("ZelD") << QStringList{"0", "2"};
    QTest::newRow("ZelC") << QStringLiteral("ZelC") << QStringList{"0", "2"};
    QTest::newRow("ZelDX") << QStringLiteral("ZelDX") << QStringList{"0", "2"};
    QTest::newRow("WexB") << QStringLiteral("WexB") << QStringList{"0", "1", "256"};
    QTest::newRow("lower case name") << QStringLiteral("zeld") << QStringList{"0", "1", "256"};
}

// An instrument's own archive has no instrument type to go by (its Devices
// holds id and name, its Parameters may lack idDevices): the named rule holds.
void TestRaportGenerator::flagRuleOfOpenedArchive()
{
    QFETCH(QString, deviceName);
    QFETCH(QStringList, kept);

    QSqlDatabase db = freshDatabase();
    QCOMPARE(testdb::exec(db, {QStringLiteral("CREATE TABLE Devices (id INTEGER PRIMARY KEY, name TEXT)"),
                               QStringLiteral("CREATE TABLE Parameters (id INTEGER PRIMARY KEY, name TEXT, unit TEXT)"),
                               QStringLiteral("CREATE TABLE Data (id INTEGER PRIMARY KEY AUTOINCREMENT, idParameters "
                                              "INTEGER, dateTime INTEGER, value REAL, flag INTEGER, observationId INTEGER)"),
                               QStringLiteral("INSERT INTO Devices (id, name) VALUES (1, 'Analyser')"),
                               QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'U1', 'V')")}),
             QStringList());
    const QList<int> flags{0, 1, 2, 256};
    for (int i = 0; i < flags.size(); ++i)
        QVERIFY(insertSample(db, 1, flags.at(i), flags.at(i), utcMsecs("2026-02-02 00:00:00") + i * 3600000LL));

    RaportGenerator::flagFilter(deviceName);
    RaportGenerator::parameterFilter({1});
    RaportGenerator::setGroupingType(1, 30, 2, 4);
    QStringList values;
    for (const QStringList &r : run(db, RaportGenerator::generateQuery(0, 0, 0)))
        values << r.at(3);
    QCOMPARE(values, kept);

    RaportGenerator::setGroupingType(1, 30, 3, 4);
    QStringList pairs;
    for (const QStringList &r : run(db, RaportGenerator::generateQuery(0, 0, 0)))
        pairs << r.at(3);
    QStringList expected;
    for (const QString &k : kept)
        expected << k << k;
    QCOMPARE(pairs, expected);
}

void TestRaportGenerator::narrowRange_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<QStringList>("values"); // one per result row

    const QString first = QStringLiteral("2026-01-05 10:00:00.000");
    const QString last = QStringLiteral("2026-01-05 12:00:00.000");
    QTest::newRow("inclusive") << 5 << first << last << 0 << QStringList{"1", "2", "3"};
    QTest::newRow("inside") << 5 << "2026-01-05 10:00:00.001" << "2026-01-05 11:59:59.999" << 0 << QStringList{"2"};
    QTest::newRow("start 0") << 5 << QString() << "2026-01-05 10:30:00.000" << 0 << QStringList{"0", "1", "2", "3", "4"};
    QTest::newRow("end 0") << 5 << first << QString() << 0 << QStringList{"0", "1", "2", "3", "4"};
    QTest::newRow("kind 0 ignores it") << 0 << first << first << 0 << QStringList{"0", "1", "2", "3", "4"};
    QTest::newRow("no sample") << 5 << "2026-01-05 10:00:00.001" << "2026-01-05 10:59:59.000" << 0 << QStringList{};
    QTest::newRow("increment inclusive") << 5 << first << last << 3 << QStringList{"1", "1", "2", "2", "3", "3"};
}

void TestRaportGenerator::narrowRange()
{
    QFETCH(int, kind);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, aggregation);
    QFETCH(QStringList, values);

    QSqlDatabase db = narrowDatabase();
    QVERIFY(insertParameter(db, 1, 0, QStringLiteral("P")));
    const QStringList times{"2026-01-05 09:00:00.000", "2026-01-05 10:00:00.000", "2026-01-05 11:00:00.000",
                            "2026-01-05 12:00:00.000", "2026-01-05 13:00:00.000"};
    for (int i = 0; i < times.size(); ++i)
        QVERIFY(insertSample(db, 1, i, 0, utcMsecs(times.at(i))));

    RaportGenerator::flagFilter(QString());
    RaportGenerator::parameterFilter({1});
    RaportGenerator::setGroupingType(1, 30, qint16(aggregation), 4);
    const QString statement = RaportGenerator::generateQuery(kind, start.isEmpty() ? 0 : utcMsecs(start),
                                                             end.isEmpty() ? 0 : utcMsecs(end));
    QSqlQuery q(db);
    QVERIFY(q.exec(statement));
    QStringList got;
    while (q.next())
        got << q.value(3).toString();
    QCOMPARE(got, values);
}

void TestRaportGenerator::narrowIncrement_data()
{
    QTest::addColumn<QList<QVariantList>>("samples"); // id, idParameters, value, time
    QTest::addColumn<Rows>("expected");               // Start, End, idParameters, value

    const QString h = QStringLiteral("2026-01-05 10:");
    QTest::newRow("rising") << QList<QVariantList>{{1, 1, 10.0, h + "10:00"}, {2, 1, 11.0, h + "20:00"},
                                                   {3, 1, 12.5, h + "50:00"}}
                            << Rows{{"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "10"},
                                    {"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "12.5"}};
    QTest::newRow("falling") << QList<QVariantList>{{1, 1, 20.0, h + "00:00"}, {2, 1, 25.0, h + "10:00"},
                                                    {3, 1, 15.0, h + "59:59"}}
                             << Rows{{"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "20"},
                                     {"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "15"}};
    QTest::newRow("counter reset") << QList<QVariantList>{{1, 1, 9990.0, h + "00:00"}, {2, 1, 3.0, h + "30:00"}}
                                   << Rows{{"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "9990"},
                                           {"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "3"}};
    // An older archive imported after a newer one: ids do not follow time.
    QTest::newRow("ids out of time order")
        << QList<QVariantList>{{1, 1, 30.0, h + "40:00"}, {2, 1, 40.0, h + "50:00"}, {3, 1, 10.0, h + "00:00"},
                               {4, 1, 20.0, h + "20:00"}}
        << Rows{{"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "10"},
                {"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "40"}};
    QTest::newRow("equal times, id decides")
        << QList<QVariantList>{{5, 1, 3.0, h + "00:00"}, {4, 1, 1.0, h + "00:00"}, {7, 1, 8.0, h + "30:00"},
                               {6, 1, 9.0, h + "30:00"}}
        << Rows{{"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "1"},
                {"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "8"}};
    QTest::newRow("single sample") << QList<QVariantList>{{1, 1, 7.0, h + "15:00"}}
                                   << Rows{{"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "7"},
                                           {"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "7"}};
    QTest::newRow("parameters and hours")
        << QList<QVariantList>{{1, 2, 1.0, h + "00:00"}, {2, 1, 5.0, h + "00:00"}, {3, 2, 2.0, h + "30:00"},
                               {4, 1, 6.0, "2026-01-05 11:05:00"}, {5, 1, 4.0, h + "59:00"}}
        << Rows{{"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "5"},
                {"2026-01-05 10:00:00", "2026-01-05 10:59:59", "1", "4"},
                {"2026-01-05 10:00:00", "2026-01-05 10:59:59", "2", "1"},
                {"2026-01-05 10:00:00", "2026-01-05 10:59:59", "2", "2"},
                {"2026-01-05 11:00:00", "2026-01-05 11:59:59", "1", "6"},
                {"2026-01-05 11:00:00", "2026-01-05 11:59:59", "1", "6"}};
}

void TestRaportGenerator::narrowIncrement()
{
    QFETCH(QList<QVariantList>, samples);
    QFETCH(Rows, expected);

    QSqlDatabase db = narrowDatabase();
    QVERIFY(insertParameter(db, 1, 0, QStringLiteral("P")));
    QVERIFY(insertParameter(db, 2, 0, QStringLiteral("Q")));
    for (const QVariantList &s : samples)
        QVERIFY(insertSample(db, s.at(1).toInt(), s.at(2), 0, utcMsecs(s.at(3).toString()), s.at(0).toLongLong()));
    // A flagged sample never takes part in a pair.
    QVERIFY(insertSample(db, 1, 1000.0, 2, utcMsecs("2026-01-05 10:59:59.999"), 99));

    RaportGenerator::flagFilter(QStringLiteral("WexB"));
    RaportGenerator::parameterFilter({1, 2});
    RaportGenerator::setGroupingType(1, 30, 3, 4);
    QStringList columns;
    const Rows rows = run(db, RaportGenerator::generateQuery(0, 0, 0), &columns);
    QCOMPARE(columns, (QStringList{"Start", "End", "idParameters", "ResultValue"}));
    QCOMPARE(rows, expected);
}

// ---------------------------------------------------------------- wide

void TestRaportGenerator::wideValidValues()
{
    QSqlDatabase db = freshDatabase();
    const QStringList cols{QStringLiteral("U"), QStringLiteral("I"), QStringLiteral("E")};
    QVERIFY(createWideTable(db, QStringLiteral("DataMoxA"), cols));
    const QString d = QStringLiteral("2026-01-14");
    QVERIFY(insertWideRows(db, QStringLiteral("DataMoxA"), cols,
                           {wide(d, "10:00:00", {" ", "", " "}), wide(d, "10:00:10", {"8", " ", QVariant()}),
                            wide(d, "10:00:20", {"12", "abc", ""}), wide(d, "10:00:30", {"", "  ", " "}),
                            wide(d, "10:00:40", {"  ", "0.5E+01", QVariant()}),
                            wide(d, "10:00:50", {"n/a", " ", " "})}));

    RaportGenerator::stripBrackets({QStringLiteral("U [V]"), QStringLiteral("I [A]"), QStringLiteral("E")});
    // Numbers compare as numbers ("8" below "12"); blanks and other texts are missing.
    const QList<QPair<int, QStringList>> aggregates{
        {0, {"8", "5", "NULL"}}, {1, {"10", "5", "NULL"}}, {2, {"12", "5", "NULL"}}};
    for (const auto &a : aggregates) {
        RaportGenerator::setGroupingType(0, 1, qint16(a.first), 4);
        const Rows rows = run(db, RaportGenerator::generateQueryMoxA(0, 0, 0));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).mid(2), a.second);
    }

    // Increment: '' and ' ' are skipped, two blanks and other texts count.
    RaportGenerator::setGroupingType(0, 1, 3, 4);
    QStringList columns;
    const Rows rows = run(db, RaportGenerator::generateQueryMoxA(0, 0, 0), &columns);
    QCOMPARE(columns, (QStringList{"TimeValue", "BoundaryType", "U", "I", "E"}));
    QCOMPARE(rows, (Rows{{"2026-01-14 10:00:00", "end", "n/a", "0.5E+01", "NULL"},
                         {"2026-01-14 10:00:00", "start", "8", "abc", "NULL"}}));
}

void TestRaportGenerator::wideAggregateIntervals_data()
{
    QTest::addColumn<int>("grouping");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<Rows>("expected"); // Start, End, max

    QTest::newRow("5 minutes after a gap")
        << 0 << 5 << QStringList{"10:00:30", "10:01:10.250", "10:07:45", "10:21:00"}
        << Rows{{"2026-01-14 10:00:00", "2026-01-14 10:04:59", "2"},
                {"2026-01-14 10:05:00", "2026-01-14 10:09:59", "3"},
                {"2026-01-14 10:20:00", "2026-01-14 10:24:59", "4"}};
    QTest::newRow("daily from 13:27:40") << 2 << 30 << QStringList{"13:27:40", "23:59:59.999"}
                                         << Rows{{"2026-01-14 13:27:00", "2026-01-15 13:26:59", "2"}};
    QTest::newRow("hourly from the first minute") << 1 << 30 << QStringList{"10:15:59", "11:14:59", "11:15:00"}
                                                  << Rows{{"2026-01-14 10:15:00", "2026-01-14 11:14:59", "2"},
                                                          {"2026-01-14 11:15:00", "2026-01-14 12:14:59", "3"}};
}

void TestRaportGenerator::wideAggregateIntervals()
{
    QFETCH(int, grouping);
    QFETCH(int, minutes);
    QFETCH(QStringList, times);
    QFETCH(Rows, expected);

    QSqlDatabase db = freshDatabase();
    QVERIFY(createWideTable(db, QStringLiteral("DataMoxB"), {QStringLiteral("X")}));
    QList<QVariantList> rows;
    for (int i = 0; i < times.size(); ++i)
        rows << wide(QStringLiteral("2026-01-14"), times.at(i), {QString::number(i + 1)});
    QVERIFY(insertWideRows(db, QStringLiteral("DataMoxB"), {QStringLiteral("X")}, rows));

    RaportGenerator::stripBrackets({QStringLiteral("X")});
    RaportGenerator::setGroupingType(qint16(grouping), qint16(minutes), 2, 4);
    QStringList columns;
    QCOMPARE(run(db, RaportGenerator::generateQueryMoxBCsv(0), &columns), expected);
    QCOMPARE(columns, (QStringList{"Start", "End", "X"}));
}

void TestRaportGenerator::wideIncrementPairsWithEqualLabels()
{
    // Origin 10:00:30, one-minute intervals: intervals 1 and 2 both start
    // their samples within 10:02.
    QSqlDatabase db = freshDatabase();
    QVERIFY(createWideTable(db, QStringLiteral("DataMoxA"), {QStringLiteral("A")}));
    const QString d = QStringLiteral("2026-01-14");
    QVERIFY(insertWideRows(db, QStringLiteral("DataMoxA"), {QStringLiteral("A")},
                           {wide(d, "10:00:30", {"1"}), wide(d, "10:02:10", {"2"}), wide(d, "10:02:20", {"3"}),
                            wide(d, "10:02:40", {"10"}), wide(d, "10:03:00", {"14"})}));
    RaportGenerator::stripBrackets({QStringLiteral("A")});
    RaportGenerator::setGroupingType(0, 1, 3, 4);
    QCOMPARE(run(db, RaportGenerator::generateQueryMoxA(0, 0, 0)),
             (Rows{{"2026-01-14 10:00:00", "end", "1"},
                   {"2026-01-14 10:00:00", "start", "1"},
                   {"2026-01-14 10:02:00", "end", "3"},
                   {"2026-01-14 10:02:00", "start", "2"},
                   {"2026-01-14 10:02:00", "end", "14"},
                   {"2026-01-14 10:02:00", "start", "10"}}));
}

void TestRaportGenerator::wideIncrementFirstAndLastInTime()
{
    // Rows merged into the application database out of time order.
    QSqlDatabase db = freshDatabase();
    QVERIFY(createWideTable(db, QStringLiteral("DataMoxB"), {QStringLiteral("E")}));
    const QString d = QStringLiteral("2026-01-14");
    QVERIFY(insertWideRows(db, QStringLiteral("DataMoxB"), {QStringLiteral("E")},
                           {wide(d, "10:00:40", {"30"}), wide(d, "10:00:50", {"40"}), wide(d, "10:00:00", {"10"}),
                            wide(d, "10:00:20", {"20"}), wide(d, "10:00:20", {"25"})}));
    RaportGenerator::stripBrackets({QStringLiteral("E")});
    RaportGenerator::setGroupingType(0, 1, 3, 4);
    QCOMPARE(run(db, RaportGenerator::generateQueryMoxB(3, 0, 0)),
             (Rows{{"2026-01-14 10:00:00", "end", "40"}, {"2026-01-14 10:00:00", "start", "10"}}));
}

void TestRaportGenerator::wideIncrementMatchesCorrelatedForm_data()
{
    QTest::addColumn<int>("minutes");
    QTest::newRow("1 minute") << 1;
    QTest::newRow("5 minutes") << 5;
    QTest::newRow("hour") << 60;
}

// On rows in time order the one-pass increment gives what the plain form with
// a correlated MIN(id) / MAX(id) per column and interval gives (that form is
// quadratic, so only a small table).
void TestRaportGenerator::wideIncrementMatchesCorrelatedForm()
{
    QFETCH(int, minutes);

    const QStringList cols{QStringLiteral("c1"), QStringLiteral("c2"), QStringLiteral("c3")};
    QSqlDatabase db = freshDatabase();
    QVERIFY(createWideTable(db, QStringLiteral("DataMoxA"), cols));
    QRandomGenerator random(quint32(minutes) * 7919u);
    const QVariantList pool{QStringLiteral(" "), QStringLiteral(""), QStringLiteral("  "), QStringLiteral("abc"),
                            QVariant(QVariant::String)};
    QDateTime t(QDate(2026, 1, 14), QTime(10, 0, 0), Qt::UTC);
    QList<QVariantList> rows;
    for (int i = 0; i < 400; ++i) {
        QVariantList values;
        for (int c = 0; c < cols.size(); ++c)
            values << (random.bounded(3) == 0 ? pool.at(random.bounded(pool.size()))
                                              : QVariant(QString::number(random.bounded(1000) / 10.0)));
        rows << wide(t.toString(QStringLiteral("yyyy-MM-dd")), t.toString(QStringLiteral("HH:mm:ss.zzz")), values);
        t = t.addMSecs(random.bounded(500, 90000) + (random.bounded(40) == 0 ? 3600000 : 0));
    }
    QVERIFY(insertWideRows(db, QStringLiteral("DataMoxA"), cols, rows));

    QStringList cleaned, firstIds, lastIds, firstOut, lastOut, firstJoins, lastJoins;
    for (const QString &c : cols) {
        cleaned << QStringLiteral("NULLIF(NULLIF(%1, ''), ' ') AS %1").arg(c);
        firstIds << QStringLiteral("(SELECT MIN(t2.id) FROM Rounded t2 WHERE t2.grp = t1.grp AND t2.%1 IS NOT NULL) AS f_%1").arg(c);
        lastIds << QStringLiteral("(SELECT MAX(t2.id) FROM Rounded t2 WHERE t2.grp = t1.grp AND t2.%1 IS NOT NULL) AS l_%1").arg(c);
        firstOut << QStringLiteral("vf_%1.%1 AS %1").arg(c);
        lastOut << QStringLiteral("vl_%1.%1 AS %1").arg(c);
        firstJoins << QStringLiteral("LEFT JOIN Rounded vf_%1 ON f.f_%1 = vf_%1.id").arg(c);
        lastJoins << QStringLiteral("LEFT JOIN Rounded vl_%1 ON l.l_%1 = vl_%1.id").arg(c);
    }
    const QString reference =
        QStringLiteral(
            "WITH Rounded AS (SELECT id, datetime(date || ' ' || time) AS original, "
            "CAST((strftime('%s', datetime(date || ' ' || time)) - strftime('%s', (SELECT MIN(datetime(date || ' ' || time)) "
            "FROM DataMoxA))) / (MINUTES * 60) AS INT) AS grp, CLEANED FROM DataMoxA), "
            "Firsts AS (SELECT t1.grp, MIN(t1.original) AS startTime, FIRSTIDS FROM Rounded t1 GROUP BY t1.grp), "
            "Lasts AS (SELECT t1.grp, MIN(t1.original) AS startTime, LASTIDS FROM Rounded t1 GROUP BY t1.grp) "
            "SELECT strftime('%Y-%m-%d %H:%M:00', f.startTime) AS TimeValue, 'start' AS BoundaryType, FIRSTOUT "
            "FROM Firsts f FIRSTJOINS UNION ALL "
            "SELECT strftime('%Y-%m-%d %H:%M:00', l.startTime) AS TimeValue, 'end' AS BoundaryType, LASTOUT "
            "FROM Lasts l LASTJOINS ORDER BY TimeValue, BoundaryType")
            .replace(QStringLiteral("MINUTES"), QString::number(minutes))
            .replace(QStringLiteral("CLEANED"), cleaned.join(QStringLiteral(", ")))
            .replace(QStringLiteral("FIRSTIDS"), firstIds.join(QStringLiteral(", ")))
            .replace(QStringLiteral("LASTIDS"), lastIds.join(QStringLiteral(", ")))
            .replace(QStringLiteral("FIRSTOUT"), firstOut.join(QStringLiteral(", ")))
            .replace(QStringLiteral("LASTOUT"), lastOut.join(QStringLiteral(", ")))
            .replace(QStringLiteral("FIRSTJOINS"), firstJoins.join(QLatin1Char(' ')))
            .replace(QStringLiteral("LASTJOINS"), lastJoins.join(QLatin1Char(' ')));
    const Rows expected = run(db, reference);
    QVERIFY(expected.size() > 10);

    RaportGenerator::stripBrackets(cols);
    RaportGenerator::setGroupingType(0, qint16(minutes), 3, 4);
    const Rows got = run(db, RaportGenerator::generateQueryMoxA(0, 0, 0));
    // Pairs with equal time labels may sort apart in the plain form; compare
    // as pairs in time order.
    QCOMPARE(got.size(), expected.size());
    QMultiMap<QString, QStringList> a, b;
    for (const QStringList &r : got)
        a.insert(r.at(0) + r.at(1), r);
    for (const QStringList &r : expected)
        b.insert(r.at(0) + r.at(1), r);
    QCOMPARE(a.keys(), b.keys());
    for (const QString &k : a.uniqueKeys()) {
        QList<QStringList> x = a.values(k), y = b.values(k);
        std::sort(x.begin(), x.end());
        std::sort(y.begin(), y.end());
        QCOMPARE(x, y);
    }
}

void TestRaportGenerator::wideRange_data()
{
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<Rows>("expected");

    QTest::newRow("inclusive with milliseconds")
        << 0 << "2026-01-14 10:00:00.500" << "2026-01-14 10:00:59.000"
        << Rows{{"2026-01-14 10:00:00", "2026-01-14 10:00:59", "2"}};
    QTest::newRow("start 0") << 0 << QString() << "2026-01-14 10:00:00.500"
                             << Rows{{"2026-01-14 10:00:00", "2026-01-14 10:00:59", "1"},
                                     {"2026-01-14 10:01:00", "2026-01-14 10:01:59", "4"}};
    QTest::newRow("no sample") << 0 << "2026-01-14 11:00:00.000" << "2026-01-14 12:00:00.000" << Rows{};
    QTest::newRow("origin inside the range")
        << 2 << "2026-01-14 10:00:59.000" << "2026-01-14 10:01:00.000"
        << Rows{{"2026-01-14 10:00:00", "2026-01-14 10:00:59", "3"},
                {"2026-01-14 10:01:00", "2026-01-14 10:01:59", "4"}};
    QTest::newRow("increment") << 3 << "2026-01-14 10:00:00.500" << "2026-01-14 10:00:59.000"
                               << Rows{{"2026-01-14 10:00:00", "end", "3"}, {"2026-01-14 10:00:00", "start", "2"}};
}

void TestRaportGenerator::wideRange()
{
    QFETCH(int, aggregation);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(Rows, expected);

    QSqlDatabase db = freshDatabase();
    QVERIFY(createWideTable(db, QStringLiteral("DataMoxB"), {QStringLiteral("X")}));
    const QString d = QStringLiteral("2026-01-14");
    QVERIFY(insertWideRows(db, QStringLiteral("DataMoxB"), {QStringLiteral("X")},
                           {wide(d, "10:00:00.000", {"1"}), wide(d, "10:00:00.500", {"2"}),
                            wide(d, "10:00:59", {"3"}), wide(d, "10:01:00", {"4"})}));
    RaportGenerator::stripBrackets({QStringLiteral("X")});
    RaportGenerator::setGroupingType(0, 1, qint16(aggregation), 4);
    const QString statement = RaportGenerator::generateQueryMoxB(3, start.isEmpty() ? 0 : utcMsecs(start),
                                                                 end.isEmpty() ? 0 : utcMsecs(end));
    QCOMPARE(run(db, statement), expected);
}

void TestRaportGenerator::builderReadsItsOwnTable_data()
{
    QTest::addColumn<QString>("builder");
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<QString>("value");

    const QList<QPair<QString, QString>> builders{{"MoxB archive", "1"},
                                                  {"MoxB CSV", "2"},
                                                  {"MoxB range", "2"},
                                                  {"MoxA", "3"},
                                                  {"MoxA range", "3"}};
    for (const auto &b : builders) {
        QTest::addRow("%s max", qPrintable(b.first)) << b.first << 2 << b.second;
        QTest::addRow("%s inc", qPrintable(b.first)) << b.first << 3 << b.second;
    }
}

void TestRaportGenerator::builderReadsItsOwnTable()
{
    QFETCH(QString, builder);
    QFETCH(int, aggregation);
    QFETCH(QString, value);

    // The three wide tables side by side, each with its own value and time.
    QSqlDatabase db = freshDatabase();
    const QStringList tables{QStringLiteral("Data"), QStringLiteral("DataMoxB"), QStringLiteral("DataMoxA")};
    for (int i = 0; i < tables.size(); ++i) {
        QVERIFY(createWideTable(db, tables.at(i), {QStringLiteral("V")}));
        QVERIFY(insertWideRows(db, tables.at(i), {QStringLiteral("V")},
                               {wide(QStringLiteral("2026-01-1%1").arg(i + 1), "08:00:00", {QString::number(i + 1)})}));
    }
    RaportGenerator::stripBrackets({QStringLiteral("V")});
    RaportGenerator::setGroupingType(1, 30, qint16(aggregation), 4);
    const qint64 from = utcMsecs("2026-01-01 00:00:00");
    const qint64 to = utcMsecs("2026-02-01 00:00:00");
    QString statement;
    if (builder == QLatin1String("MoxB archive"))
        statement = RaportGenerator::generateQueryMoxB(0, from, to);
    else if (builder == QLatin1String("MoxB CSV"))
        statement = RaportGenerator::generateQueryMoxBCsv(0);
    else if (builder == QLatin1String("MoxB range"))
        statement = RaportGenerator::generateQueryMoxB(3, from, to);
    else if (builder == QLatin1String("MoxA"))
        statement = RaportGenerator::generateQueryMoxA(0, from, to);
    else
        statement = RaportGenerator::generateQueryMoxA(4, from, to);

    const Rows rows = run(db, statement);
    QCOMPARE(rows.size(), aggregation == 3 ? 2 : 1);
    const QString day = QStringLiteral("2026-01-1%1 08:00:00").arg(value);
    for (const QStringList &r : rows) {
        QCOMPARE(r.at(0), day);
        QCOMPARE(r.at(2), value);
    }
}

void TestRaportGenerator::awkwardColumnNames_data()
{
    QTest::addColumn<int>("aggregation");
    QTest::newRow("min") << 0;
    QTest::newRow("avg") << 1;
    QTest::newRow("inc") << 3;
}

void TestRaportGenerator::awkwardColumnNames()
{
    QFETCH(int, aggregation);

    const QStringList columns{QStringLiteral("P/1 (dev-2)"), QStringLiteral("100% load"), QStringLiteral("T (°C) %1"),
                              QStringLiteral("a\"b"),        QStringLiteral("it's"),      QStringLiteral("L1, L2"),
                              QStringLiteral("U1 (A.B)"),    QStringLiteral("U1_A_B_")};
    QStringList selected;
    for (const QString &c : columns)
        selected << c + QStringLiteral(" [u]");

    QSqlDatabase db = freshDatabase();
    QVERIFY(createWideTable(db, QStringLiteral("DataMoxA"), columns));
    QVariantList first, second;
    for (int i = 0; i < columns.size(); ++i) {
        first << QString::number(i + 1);
        second << QString::number(10 * (i + 1));
    }
    QVERIFY(insertWideRows(db, QStringLiteral("DataMoxA"), columns,
                           {wide("2026-01-14", "10:00:00", first), wide("2026-01-14", "10:00:30", second)}));

    RaportGenerator::stripBrackets(selected);
    RaportGenerator::setGroupingType(0, 1, qint16(aggregation), 4);
    QStringList names;
    const Rows rows = run(db, RaportGenerator::generateQueryMoxA(4, utcMsecs("2026-01-14 00:00:00"), utcMsecs("2026-01-15 00:00:00")),
                          &names);
    // Qt's SQLite driver drops double quotes from result column names.
    QStringList expectedNames = columns;
    expectedNames.replaceInStrings(QStringLiteral("\""), QString());
    QCOMPARE(names.mid(2), expectedNames);
    for (int i = 0; i < columns.size(); ++i) {
        const int n = i + 1;
        if (aggregation == 0) {
            QCOMPARE(rows.size(), 1);
            QCOMPARE(rows.at(0).at(2 + i), QString::number(n));
        } else if (aggregation == 1) {
            QCOMPARE(rows.at(0).at(2 + i), QString::number(5.5 * n));
        } else {
            QCOMPARE(rows.size(), 2);
            QCOMPARE(rows.at(0).at(2 + i), QString::number(10 * n));
            QCOMPARE(rows.at(1).at(2 + i), QString::number(n));
        }
    }
}

QUORLOG_TEST_MAIN(TestRaportGenerator)
#include "tst_raportgenerator.moc"
