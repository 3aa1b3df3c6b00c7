// The chart models of filtered sessions over the recorders' wide tables of
// the application database (DataMoxB, DataMoxA).
#include "charts/AbstractChartModelMoxA.h"
#include "charts/AbstractChartModelMoxB.h"
#include "common/Connections.h"
#include "database/DatabaseStructure.h"
#include "database/RecorderImport.h"
#include "readers/moxbcsvparser.h"
#include "support/DbTestUtil.h"
#include "support/MoxBCsvWriter.h"
#include "support/TestMain.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSet>
#include <QTemporaryDir>
#include <memory>

namespace {

constexpr double NoValue = AbstractChartModel::NoValue;

qint64 utcMsecs(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

double chartTime(qint64 ms)
{
    return AbstractChartModel::toChartTime(ms);
}

const QString UA = QStringLiteral("U1 (Rec A)");
const QString UB = QStringLiteral("U1 (Rec B)");
const QString IA = QStringLiteral("I1 (Rec A)");
// A name with a place marker and quotes: joined, not substituted, and quoted.
const QString PA = QStringLiteral("P \"%1\" it's (Rec A)");

// Rows of two instruments in one table, in time order r1..r11 (ids not in
// time order and not from 1). Instrument A's rows and B's rows alternate;
// three rows share 02:30:00 (an hour that Warsaw skips).
struct Row
{
    int id;
    QString date;
    QString time;
    QVariant ua, ub, ia, pa;
};

const QList<Row> &rows()
{
    static const QList<Row> r{
        {500, "2026-03-29", "00:00:00.000", "1", {}, "10", "100"},      // r1 A
        {501, "2026-03-29", "00:00:00.500", {}, "2", {}, {}},            // r2 B
        {503, "2026-03-29", "00:00:01", "3", {}, "0", "n/a"},            // r3 A
        {502, "2026-03-29", "00:00:01.500", {}, "4", {}, {}},            // r4 B
        {504, "2026-03-29", "02:30:00", "5", {}, "", {}},                // r5 A
        {505, "2026-03-29", "02:30:00.000", "5", {}, {}, {}},            // r6 A, the same point again
        {506, "2026-03-29", "02:30:00", {}, "6", {}, {}},                // r7 B
        {507, "2026-03-30", "10:00:00.250", "0.0", {}, " ", "7"},        // r8 A
        {499, "2026-03-30", "10:00:01", {}, "8", {}, {}},                // r9 B
        {510, "2026-04-05", "00:00:00", "99", {}, {}, {}},               // r10 A, after the period
        {511, "bad", "x", "55", {}, {}, {}},                             // r11 A, no readable time
    };
    return r;
}

QList<qint64> rowTimes()
{
    return {utcMsecs(2026, 3, 29, 0, 0, 0),       utcMsecs(2026, 3, 29, 0, 0, 0, 500),
            utcMsecs(2026, 3, 29, 0, 0, 1),       utcMsecs(2026, 3, 29, 0, 0, 1, 500),
            utcMsecs(2026, 3, 29, 2, 30, 0),      utcMsecs(2026, 3, 29, 2, 30, 0),
            utcMsecs(2026, 3, 29, 2, 30, 0),      utcMsecs(2026, 3, 30, 10, 0, 0, 250),
            utcMsecs(2026, 3, 30, 10, 0, 1),      utcMsecs(2026, 4, 5, 0, 0, 0)};
}

// The period of r1..r9, both ends exactly on a row.
FiltersCfg period(QList<int> ids)
{
    FiltersCfg f;
    f.selectedParamId = ids;
    f.startDateTime = rowTimes().at(0);
    f.endDateTime = rowTimes().at(8);
    return f;
}

// The points of one series as (chart time, value) pairs.
QList<QPair<double, double>> points(const AbstractChartModel &m, int series)
{
    QList<QPair<double, double>> out;
    for (int i = 0; i < m.timeSeries.at(series)->size(); ++i)
        out << qMakePair(m.timeSeries.at(series)->at(i), m.valueSeries.at(series)->at(i));
    return out;
}

QPair<double, double> point(int row, double value)
{
    return qMakePair(chartTime(rowTimes().at(row - 1)), value);
}

} // namespace

class TestRecorderFilteredChart : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QSqlDatabase db;

    std::unique_ptr<AbstractChartModelMoxB> open(const FiltersCfg &cfg)
    {
        std::unique_ptr<AbstractChartModelMoxB> m(new AbstractChartModelMoxB(db, cfg, nullptr));
        if (!m->loadNamesDB())
            return nullptr;
        return m;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        db = testdb::createSchemaDatabase(QStringLiteral("filteredApp"), dir.filePath(QStringLiteral("app.qdb")));
        QVERIFY(db.isOpen());
        QVERIFY(testdb::exec(db, {QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'Rec A', 17), "
                                                 "(2, 'Rec B', 17), (3, 'Rec C', 20)"),
                                  QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES "
                                                 "(10, 1, 'U1', 'V'), (11, 2, 'U1', 'V'), (12, 1, 'I1', 'A'), "
                                                 "(13, 1, 'P \"%1\" it''s', 'kW'), (14, NULL, 'Orphan', ''), "
                                                 "(20, 3, 'T1', 'C')")})
                    .isEmpty());
        QStringList columns{QStringLiteral("date"), QStringLiteral("time"), UA, UB, IA, PA};
        g_databaseStructure->ensureDataMoxBTable(db, columns);
        QSqlQuery q(db);
        QVERIFY(q.prepare(QStringLiteral("INSERT INTO DataMoxB (id, date, time, \"U1 (Rec A)\", \"U1 (Rec B)\", "
                                         "\"I1 (Rec A)\", \"P \"\"%1\"\" it's (Rec A)\") VALUES (?, ?, ?, ?, ?, ?, ?)")));
        for (const Row &r : rows()) {
            for (const QVariant &v : {QVariant(r.id), QVariant(r.date), QVariant(r.time), r.ua, r.ub, r.ia, r.pa})
                q.addBindValue(v);
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
        QStringList moxa{QStringLiteral("date"), QStringLiteral("time"), QStringLiteral("T1 (Rec C)")};
        g_databaseStructure->ensureDataMoxATable(db, moxa);
        QVERIFY(testdb::exec(db, {QStringLiteral("INSERT INTO DataMoxA (date, time, \"T1 (Rec C)\") VALUES "
                                                 "('2026-01-01', '12:00:00', '21.5'), "
                                                 "('2026-01-01', '12:00:01.5', '22'), "
                                                 "('2026-01-01', '12:00:02', NULL)")})
                    .isEmpty());
    }

    void fullNames()
    {
        AbstractChartModelMoxB m(db, FiltersCfg(), nullptr);
        const QMap<int, QString> names = m.getFullParamNames();
        QCOMPARE(names.value(10), UA);
        QCOMPARE(names.value(11), UB);
        QCOMPARE(names.value(13), PA);
        QCOMPARE(names.value(20), QStringLiteral("T1 (Rec C)"));
        // No instrument, no full name.
        QVERIFY(!names.contains(14));
        QCOMPARE(names.size(), 5);
    }

    // Per-parameter counts of non-NULL cells in the period, and the rows the
    // sections page through (any chosen parameter has a value).
    void counts_data()
    {
        QTest::addColumn<FiltersCfg>("cfg");
        QTest::addColumn<QList<int>>("perParameter");
        QTest::addColumn<uint>("sectionRows");
        QTest::addColumn<bool>("ok");
        QTest::newRow("period, listed out of order") << period({13, 11, 10, 12}) << QList<int>{5, 4, 4, 3} << 9u << true;
        QTest::newRow("one instrument") << period({10}) << QList<int>{5} << 5u << true;
        FiltersCfg whole = period({10, 11});
        whole.endDateTime = 0;
        // One bound only: the whole table; the row without a readable time is
        // counted but has no place in a section.
        QTest::newRow("one bound") << whole << QList<int>{7, 4} << 10u << true;
        QTest::newRow("orphan left out") << period({14, 11}) << QList<int>{4} << 4u << true;
        FiltersCfg empty = period({10, 11});
        empty.startDateTime = utcMsecs(2027, 1, 1, 0, 0, 0);
        empty.endDateTime = utcMsecs(2027, 2, 1, 0, 0, 0);
        QTest::newRow("empty period") << empty << QList<int>{0, 0} << 0u << false;
    }

    void counts()
    {
        QFETCH(FiltersCfg, cfg);
        QFETCH(QList<int>, perParameter);
        QFETCH(uint, sectionRows);
        QFETCH(bool, ok);
        auto m = open(cfg);
        QVERIFY(m);
        QCOMPARE(m->getDataExportRowCnt(), ok);
        QCOMPARE(m->paramRowCntList, perParameter);
        uint total = 0;
        for (int n : perParameter)
            total += uint(n);
        QCOMPARE(m->totalRowCnt, total);
        QCOMPARE(m->maxParamRowCnt, sectionRows);
    }

    // One section over the whole period: names and devices from the base,
    // the points of each column with the recorder tables' empty marks left
    // out and repeated points drawn once.
    void wholePeriod()
    {
        auto m = open(period({13, 11, 10, 12}));
        QVERIFY(m);
        QCOMPARE(m->paramNamesList, (QStringList{"U1", "U1", "I1", "P \"%1\" it's"}));
        QCOMPARE(m->deviceNamesList, (QStringList{"Rec A", "Rec B", "Rec A", "Rec A"}));
        QCOMPARE(m->paramUnitsList, (QStringList{"V", "V", "A", "kW"}));
        QVERIFY(m->getDataExportRowCnt());
        QVERIFY(m->loadData(0, 50000));
        QCOMPARE(m->sectionFirstTime, rowTimes().at(0));
        QCOMPARE(m->sectionLastTime, rowTimes().at(8));
        QCOMPARE(points(*m, 0), (QList<QPair<double, double>>{point(1, 1), point(3, 3), point(5, 5), point(8, 0)}));
        QCOMPARE(points(*m, 1), (QList<QPair<double, double>>{point(2, 2), point(4, 4), point(7, 6), point(9, 8)}));
        // "" and " " are not drawn; "0" is a value like any other.
        QCOMPARE(points(*m, 2), (QList<QPair<double, double>>{point(1, 10), point(3, 0)}));
        // A word in a cell is a gap, not zero.
        QCOMPARE(points(*m, 3), (QList<QPair<double, double>>{point(1, 100), point(3, NoValue), point(8, 7)}));
    }

    // A zero, written "0" or "0.0", is drawn: leaving it out would draw the
    // line straight over it. NULL, empty text and a single blank stay out.
    void zeroCells_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("MoxB") << QStringLiteral("DataMoxB");
        QTest::newRow("MoxA") << QStringLiteral("DataMoxA");
    }

    void zeroCells()
    {
        QFETCH(QString, table);
        const bool moxb = table == QLatin1String("DataMoxB");
        const QString name = QStringLiteral("zero") + table;
        QSqlDatabase app = testdb::createSchemaDatabase(name, dir.filePath(name + QStringLiteral(".qdb")));
        QVERIFY(testdb::exec(app, {QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'Rec', %1)")
                                       .arg(moxb ? 17 : 20),
                                   QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES "
                                                  "(1, 1, 'AI1 - flag', '')")})
                    .isEmpty());
        QStringList columns{QStringLiteral("date"), QStringLiteral("time"), QStringLiteral("AI1 - flag (Rec)")};
        if (moxb)
            g_databaseStructure->ensureDataMoxBTable(app, columns);
        else
            g_databaseStructure->ensureDataMoxATable(app, columns);
        const QVariantList cells{"5", "0", QVariant(), "0", "", "0.0", " ", "6"};
        QSqlQuery q(app);
        QVERIFY(q.prepare(QStringLiteral("INSERT INTO %1 (date, time, \"AI1 - flag (Rec)\") VALUES (?, ?, ?)")
                              .arg(table)));
        for (int i = 0; i < cells.size(); ++i) {
            q.addBindValue(QStringLiteral("2026-05-04"));
            q.addBindValue(QStringLiteral("12:00:0%1").arg(i));
            q.addBindValue(cells.at(i));
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
        FiltersCfg cfg;
        cfg.selectedParamId = {1};
        std::unique_ptr<AbstractChartModel> m;
        if (moxb)
            m.reset(new AbstractChartModelMoxB(app, cfg, nullptr));
        else
            m.reset(new AbstractChartModelMoxA(app, cfg, nullptr));
        QVERIFY(m->loadNamesDB());
        QVERIFY(m->getDataExportRowCnt());
        QVERIFY(m->loadData(0, 50000));
        const qint64 t0 = utcMsecs(2026, 5, 4, 12, 0, 0);
        QList<QPair<double, double>> expected;
        for (int i : {0, 1, 3, 5, 7})
            expected << qMakePair(chartTime(t0 + i * 1000), cells.at(i).toDouble());
        QCOMPARE(points(*m, 0), expected);
    }

    // Sections by position over rows in time order: each shows its own
    // rows, and together they draw every row once, the last one included.
    void sections_data()
    {
        QTest::addColumn<uint>("rowLen");
        QTest::newRow("sections of 1") << 1u;
        QTest::newRow("sections of 2") << 2u;
        QTest::newRow("sections of 4") << 4u;
        QTest::newRow("one section") << 9u;
    }

    void sections()
    {
        QFETCH(uint, rowLen);
        auto m = open(period({10, 11}));
        QVERIFY(m);
        QVERIFY(m->getDataExportRowCnt());
        QCOMPARE(m->maxParamRowCnt, 9u);
        // Rows r1..r9 and which series each one's point belongs to (r6 repeats r5).
        const QList<int> series{0, 1, 0, 1, 0, 0, 1, 0, 1};
        QMap<int, int> drawn; // row -> times drawn
        for (uint start = 0; start < m->maxParamRowCnt; start += rowLen) {
            QVERIFY(m->loadData(start, rowLen));
            QCOMPARE(m->sectionStartRow, start);
            const int first = int(start);
            const int last = qMin(int(start + rowLen), 9) - 1;
            QCOMPARE(m->sectionFirstTime, rowTimes().at(first));
            QCOMPARE(m->sectionLastTime, rowTimes().at(last));
            for (int s = 0; s < 2; ++s) {
                QList<QPair<double, double>> expected;
                for (int r = first; r <= last; ++r) {
                    if (series.at(r) != s)
                        continue;
                    // r6 is r5 again: one point where both fall in one section.
                    if (r == 5 && first <= 4)
                        continue;
                    expected << point(r + 1, QList<double>{1, 2, 3, 4, 5, 5, 6, 0, 8}.at(r));
                    drawn[r] += 1;
                }
                QCOMPARE(points(*m, s), expected);
            }
        }
        for (int r = 0; r < 9; ++r)
            QCOMPARE(drawn.value(r) + (r == 5 && rowLen > 1 ? 1 : 0), 1);
        // Back to an earlier section: its own rows again.
        QVERIFY(m->loadData(0, rowLen));
        QCOMPARE(m->sectionFirstTime, rowTimes().at(0));
        // Past the last row: nothing drawn, no failure.
        QVERIFY(m->loadData(9, rowLen));
        QVERIFY(m->timeSeries.at(0)->isEmpty());
        QVERIFY(m->timeSeries.at(1)->isEmpty());
    }

    void orphanSeriesEmpty()
    {
        auto m = open(period({14, 11}));
        QVERIFY(m);
        QVERIFY(m->getDataExportRowCnt());
        QVERIFY(m->loadData(0, 50000));
        QCOMPARE(m->timeSeries.size(), 2);
        QVERIFY(m->timeSeries.at(1)->isEmpty()); // 14, no instrument (ids ascend: 11, 14)
        QCOMPARE(m->timeSeries.at(0)->size(), 4);
    }

    void missingColumnFailsCount()
    {
        QVERIFY(testdb::exec(db, {QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES "
                                                 "(30, 2, 'Never stored', '')")})
                    .isEmpty());
        auto m = open(period({11, 30}));
        QVERIFY(m);
        QVERIFY(!m->getDataExportRowCnt());
        QVERIFY(testdb::exec(db, {QStringLiteral("DELETE FROM Parameters WHERE id = 30")}).isEmpty());
    }

    void moxaTable()
    {
        FiltersCfg cfg;
        cfg.selectedParamId = {20};
        AbstractChartModelMoxA m(db, cfg, nullptr);
        QVERIFY(m.loadNamesDB());
        QVERIFY(m.getDataExportRowCnt());
        QCOMPARE(m.paramRowCntList, (QList<int>{2}));
        QCOMPARE(m.maxParamRowCnt, 2u);
        QVERIFY(m.loadData(0, 50000));
        const qint64 t0 = utcMsecs(2026, 1, 1, 12, 0, 0);
        QCOMPARE(*m.timeSeries.at(0), (QVector<double>{chartTime(t0), chartTime(t0 + 1005)}));
        QCOMPARE(*m.valueSeries.at(0), (QVector<double>{21.5, 22}));
        QCOMPARE(m.sectionLastTime, t0 + 1005);
    }

    // Two recorders' CSV files imported into an application database as the
    // device list imports them, one channel of each filtered: sections of two
    // rows reach every record of both (analog inputs in the odd records of
    // one, totalizers in the even records of the other), the last included.
    void importedRecorders()
    {
        QSqlDatabase app =
            testdb::createSchemaDatabase(QStringLiteral("importedApp"), dir.filePath(QStringLiteral("imported.qdb")));
        QVERIFY(testdb::exec(app, {QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'Hall', 17), "
                                                  "(2, 'Yard', 17)")})
                    .isEmpty());
        const QDateTime start(QDate(2026, 3, 29), QTime(0, 59, 58), Qt::UTC);
        const QList<QPair<int, QDateTime>> files{{1, start}, {2, start.addMSecs(250)}};
        const int records = 7;
        for (const auto &f : files) {
            const QString scratch = dir.filePath(QStringLiteral("scratch%1.sqlite").arg(f.first));
            const QString csvPath = testdb::writeFile(dir.filePath(QStringLiteral("rec%1.csv").arg(f.first)),
                                                      moxbcsv::file(records, f.second));
            {
                QAtomicInteger<char> cancel(0);
                moxbcsvparser reader(nullptr, &cancel);
                QVERIFY(reader.openFile(csvPath));
                int count = 0;
                QVERIFY(reader.parseFile(testdb::open(QStringLiteral("scratch"), scratch, testdb::Sync::Scratch),
                                         &count, 2));
            }
            Connections::remove(QStringLiteral("scratch"));
            RecorderImport import;
            RecorderImport::Request r;
            r.db = app;
            r.table = QStringLiteral("DataMoxB");
            r.file = scratch;
            r.sourceTable = QStringLiteral("DataMoxB");
            r.deviceId = f.first;
            QCOMPARE(int(import.run(r)), int(RecorderImport::Result::Done));
        }

        const int hallAnalog = testdb::column(app, QStringLiteral("SELECT id FROM Parameters WHERE idDevices = 1 AND "
                                                                  "name = 'AI1: Analog input - value'"))
                                   .value(0)
                                   .toInt();
        const int yardTotal = testdb::column(app, QStringLiteral("SELECT id FROM Parameters WHERE idDevices = 2 AND "
                                                                 "name = 'TOT3: Totalizer - value'"))
                                  .value(0)
                                  .toInt();
        QVERIFY(hallAnalog > 0 && yardTotal > 0);
        FiltersCfg cfg;
        cfg.selectedParamId = {yardTotal, hallAnalog};
        AbstractChartModelMoxB m(app, cfg, nullptr);
        QVERIFY(m.loadNamesDB());
        QVERIFY(m.getDataExportRowCnt());
        const QMap<int, QString> names = m.getFullParamNames();
        QCOMPARE(names.value(hallAnalog), QStringLiteral("AI1: Analog input - value (Hall)"));
        QCOMPARE(names.value(yardTotal), QStringLiteral("TOT3: Totalizer - value (Yard)"));
        QVERIFY(m.maxParamRowCnt >= 7u);
        const int hall = hallAnalog < yardTotal ? 0 : 1;
        QSet<double> hallTimes;
        QSet<double> yardTimes;
        QList<double> hallValues;
        for (uint startRow = 0; startRow < m.maxParamRowCnt; startRow += 2) {
            QVERIFY(m.loadData(startRow, 2));
            for (int i = 0; i < m.timeSeries.at(hall)->size(); ++i) {
                const double t = m.timeSeries.at(hall)->at(i);
                QVERIFY2(!hallTimes.contains(t), "a Hall record drawn twice");
                hallTimes << t;
                hallValues << m.valueSeries.at(hall)->at(i);
            }
            for (double t : *m.timeSeries.at(1 - hall)) {
                QVERIFY2(!yardTimes.contains(t), "a Yard record drawn twice");
                yardTimes << t;
            }
        }
        QSet<double> hallExpected;
        QSet<double> yardExpected;
        for (int n = 1; n <= records; ++n) {
            if (n % 2)
                hallExpected << chartTime(start.addMSecs((n - 1) * 500).toMSecsSinceEpoch());
            else
                yardExpected << chartTime(start.addMSecs(250 + (n - 1) * 500).toMSecsSinceEpoch());
        }
        QCOMPARE(hallTimes, hallExpected);
        QCOMPARE(yardTimes, yardExpected);
        for (double v : hallValues)
            QVERIFY(v > 280.0 && v < 282.0);
    }
};

QUORLOG_TEST_MAIN(TestRecorderFilteredChart)
#include "tst_recorderfilteredchart.moc"
