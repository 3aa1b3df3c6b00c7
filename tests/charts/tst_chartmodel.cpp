#include "charts/AbstractChartModel.h"
#include "charts/ZelBChartModel.h"
#include "charts/ZelCChartModel.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/MyAbstractTableModel.h"
#include "tables/NarrowFixture.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

namespace {

constexpr qint64 T0 = NarrowFixture::T0;
constexpr qint64 Step = NarrowFixture::Step;
const QString QuotedName = QStringLiteral("it's \"I\"");

// The session's flag rule, as the table models of the text archives have it:
// flag 2 is not a valid value.
class FlagModel : public MyAbstractTableModel
{
public:
    QStringList getColumnNames() const override { return {}; }
    bool isFlagValid(int flag) const override { return flag != 2; }
    int rowCount(const QModelIndex & = QModelIndex()) const override { return 0; }
    int columnCount(const QModelIndex & = QModelIndex()) const override { return 0; }
    QVariant data(const QModelIndex &, int) const override { return QVariant(); }
};

qint64 at(int k)
{
    return T0 + k * Step;
}

// Parameter 3 "U1" [V] at times 0..4 (value NULL at 1, flag 2 at 3);
// parameter 7 (a name with both quotes) [A] at times 2..6, and twice at 4
// with different values (the second stored twice). Distinct times: 0..6 (seven); per parameter five.
void writeNarrow(QSqlDatabase db)
{
    QVERIFY(NarrowFixture::createSchema(db));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'Meter A', 2)")));
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (?, ?, ?, ?)")));
    for (const auto &p : {std::make_tuple(3, QVariant(1), QStringLiteral("U1"), QStringLiteral("V")),
                          std::make_tuple(7, QVariant(), QuotedName, QStringLiteral("A"))}) {
        q.addBindValue(std::get<0>(p));
        q.addBindValue(std::get<1>(p));
        q.addBindValue(std::get<2>(p));
        q.addBindValue(std::get<3>(p));
        QVERIFY(q.exec());
    }
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Data (idParameters, value, flag, dateTime) VALUES (?, ?, ?, ?)")));
    auto add = [&](int id, QVariant value, int flag, qint64 time) {
        q.addBindValue(id);
        q.addBindValue(value);
        q.addBindValue(flag);
        q.addBindValue(time);
        QVERIFY(q.exec());
    };
    for (int k = 0; k < 5; ++k)
        add(3, k == 1 ? QVariant(QVariant::Double) : QVariant(100.0 + k), k == 3 ? 2 : 0, at(k));
    for (int k = 2; k < 7; ++k)
        add(7, 200.0 + k, 0, at(k));
    add(7, 299.0, 0, at(4));
    // An exact repeat counts once.
    add(7, 299.0, 0, at(4));
}

QVector<double> chartTimes(std::initializer_list<int> ks)
{
    QVector<double> out;
    for (int k : ks)
        out << AbstractChartModel::toChartTime(at(k));
    return out;
}

FiltersCfg filter(QList<int> ids, qint64 start = 0, qint64 end = 0)
{
    FiltersCfg f;
    f.selectedParamId = ids;
    f.startDateTime = start;
    f.endDateTime = end;
    return f;
}

} // namespace

class TestChartModel : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QSqlDatabase narrow;
    FlagModel flags;

    std::unique_ptr<AbstractChartModel> openModel(FiltersCfg cfg = FiltersCfg())
    {
        std::unique_ptr<AbstractChartModel> m(new AbstractChartModel(narrow, cfg, nullptr));
        m->setFlagModel(&flags);
        if (!m->loadNamesDB() || !m->getDataExportRowCnt())
            return nullptr;
        return m;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        narrow = testdb::open(QStringLiteral("chartNarrow"), dir.filePath(QStringLiteral("narrow.sqlite")));
        writeNarrow(narrow);
    }

    void chartTimeAndNoValue()
    {
        QCOMPARE(AbstractChartModel::toChartTime(0), 62135596800.0);
        QCOMPARE(AbstractChartModel::toChartTime(1500), 62135596801.5);

        auto m = openModel();
        QVERIFY(m);
        QVERIFY(m->loadData(0, 50000));
        QCOMPARE(m->timeSeries.size(), 2);
        QCOMPARE(m->valueSeries.size(), 2);
        QCOMPARE(*m->timeSeries[0], chartTimes({0, 1, 2, 3, 4}));
        // A NULL value and a rejected flag keep their time, without a value.
        QCOMPARE(*m->valueSeries[0], (QVector<double>{100, AbstractChartModel::NoValue, 102,
                                                      AbstractChartModel::NoValue, 104}));
        // Two values at one time are both kept, in time order.
        QCOMPARE(*m->timeSeries[1], chartTimes({2, 3, 4, 4, 5, 6}));
        QCOMPARE(m->valueSeries[1]->size(), 6);
        QCOMPARE(m->sectionFirstTime, at(0));
        QCOMPARE(m->sectionLastTime, at(6));
        QCOMPARE(m->sectionStartRow, 0u);
    }

    void zelModels()
    {
        ZelCChartModel c(narrow, nullptr);
        ZelBChartModel b(narrow, nullptr);
        QVERIFY(c.loadNamesDB());
        QVERIFY(b.loadNamesDB());
        QCOMPARE(c.paramNamesList, b.paramNamesList);
        QCOMPARE(c.paramCnt, 2);
    }

    // Windows of distinct times over both parameters: the window, the points
    // of each series in it and the outcome, for a fresh model (found by
    // offset) and for one that walked there section by section (found from
    // where the previous section ended).
    void sections_data()
    {
        QTest::addColumn<uint>("rowIndex");
        QTest::addColumn<uint>("rowLen");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("points3");
        QTest::addColumn<int>("points7");
        QTest::newRow("first three") << 0u << 3u << true << 0 << 2 << 3 << 1;
        QTest::newRow("second three") << 3u << 3u << true << 3 << 5 << 2 << 4;
        QTest::newRow("tail") << 6u << 3u << true << 6 << 6 << 0 << 1;
        QTest::newRow("one") << 4u << 1u << true << 4 << 4 << 1 << 2;
        // Past the last distinct time but not past the total: an empty
        // window (read as time 0), no points.
        QTest::newRow("past the times") << 7u << 3u << true << -1 << -1 << 0 << 0;
        QTest::newRow("at the total") << 10u << 3u << true << -1 << -1 << 0 << 0;
        QTest::newRow("beyond the total") << 11u << 3u << false << -1 << -1 << 0 << 0;
    }

    void sections()
    {
        QFETCH(uint, rowIndex);
        QFETCH(uint, rowLen);
        QFETCH(bool, ok);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, points3);
        QFETCH(int, points7);

        for (bool walk : {false, true}) {
            auto m = openModel();
            QVERIFY(m);
            QCOMPARE(m->totalRowCnt, 10u);
            if (walk) {
                for (uint start = rowIndex % rowLen; start < rowIndex; start += rowLen)
                    QVERIFY(m->loadData(start, rowLen));
            }
            QCOMPARE(m->loadData(rowIndex, rowLen), ok);
            if (!ok)
                continue;
            QCOMPARE(m->sectionFirstTime, first < 0 ? 0 : at(first));
            QCOMPARE(m->sectionLastTime, last < 0 ? 0 : at(last));
            QCOMPARE(m->timeSeries[0]->size(), points3);
            QCOMPARE(m->timeSeries[1]->size(), points7);
            QCOMPARE(m->valueSeries[0]->size(), points3);
            QCOMPARE(m->valueSeries[1]->size(), points7);
            QCOMPARE(m->sectionStartRow, rowIndex);
        }
    }

    // The sections the page counts reach every time of both parameters.
    void sectionsCoverTheUnion()
    {
        auto m = openModel();
        QVERIFY(m);
        QCOMPARE(m->paramRowCntList, (QList<int>{5, 5}));
        QCOMPARE(m->maxParamRowCnt, 7u);
        QSet<double> seen;
        for (uint start = 0; start < m->maxParamRowCnt; start += 2) {
            QVERIFY(m->loadData(start, 2));
            for (auto *t : m->timeSeries)
                for (double v : *t)
                    seen.insert(v);
        }
        QCOMPARE(seen.size(), 7);
    }

    void progress()
    {
        auto m = openModel();
        QVERIFY(m);
        QSignalSpy spy(m.get(), SIGNAL(progressValueChanged(int)));
        QSignalSpy console(m.get(), SIGNAL(consoleMessage(QString, int)));
        QVERIFY(m->loadData(0, 50000));
        QVERIFY(spy.size() >= 2);
        int previous = -1;
        for (const QList<QVariant> &args : spy) {
            QVERIFY(args.at(0).toInt() >= previous);
            previous = args.at(0).toInt();
        }
        QCOMPARE(spy.first().at(0).toInt(), 0);
        // min(total - rowIndex, rowLen) * parameters
        QCOMPARE(previous, 20);
        QCOMPARE(console.size(), 1);
        QVERIFY(console.first().at(0).toString().startsWith(QStringLiteral("Loaded 6 records for 2 parameters in: ")));
    }

    void noParameters()
    {
        const QSqlDatabase empty = testdb::createSchemaDatabase(QStringLiteral("chartEmpty"),
                                                                dir.filePath(QStringLiteral("empty.sqlite")));
        AbstractChartModel m(empty, nullptr);
        QVERIFY(m.loadNamesDB());
        QCOMPARE(m.paramCnt, 0);
        QVERIFY(!m.getDataExportRowCnt());
        QVERIFY(m.loadData(0, 50000));
        QVERIFY(m.timeSeries.isEmpty());
        QVERIFY(m.valueSeries.isEmpty());
    }

    // Names follow ascending id whatever order the filter lists them in,
    // so name i belongs to series i; a quoted name loads like any other.
    void namesFollowSeries()
    {
        auto m = openModel(filter({7, 3}));
        QVERIFY(m);
        QCOMPARE(m->paramNamesMap.keys(), (QList<int>{3, 7}));
        QCOMPARE(m->paramNamesList, (QStringList{QStringLiteral("U1"), QuotedName}));
        QCOMPARE(m->paramUnitsList, (QStringList{QStringLiteral("V"), QStringLiteral("A")}));
        QVERIFY(m->loadData(0, 50000));
        QCOMPARE(m->valueSeries[1]->first(), 202.0);

        auto only = openModel(filter({7}));
        QVERIFY(only);
        QCOMPARE(only->paramNamesList, QStringList{QuotedName});
        QVERIFY(only->loadData(0, 50000));
        QCOMPARE(only->timeSeries[0]->size(), 6);
    }

    void counts_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<QList<int>>("perParameter");
        QTest::addColumn<uint>("times");
        QTest::newRow("no period") << qint64(0) << qint64(0) << QList<int>{5, 5} << 7u;
        QTest::newRow("period") << at(1) << at(3) << QList<int>{3, 2} << 3u;
        // One bound alone is no period.
        QTest::newRow("start only") << at(1) << qint64(0) << QList<int>{5, 5} << 7u;
    }

    void counts()
    {
        QFETCH(qint64, start);
        QFETCH(qint64, end);
        QFETCH(QList<int>, perParameter);
        QFETCH(uint, times);
        auto m = openModel(filter({3, 7}, start, end));
        QVERIFY(m);
        QCOMPARE(m->paramRowCntList, perParameter);
        QCOMPARE(m->totalRowCnt, uint(perParameter[0] + perParameter[1]));
        QCOMPARE(m->maxParamRowCnt, times);
        // The section stays inside the period.
        QVERIFY(m->loadData(0, 50000));
        if (end != 0 && start != 0) {
            QCOMPARE(m->sectionFirstTime, start);
            QCOMPARE(m->sectionLastTime, end);
        }
    }

    void names()
    {
        // With Devices: the device of each parameter, empty when it has none.
        AbstractChartModel m(narrow, nullptr);
        QVERIFY(m.loadNamesDB());
        QCOMPARE(m.deviceNamesList, (QStringList{QStringLiteral("Meter A"), QString()}));
        QVERIFY(!m.deviceNamesList[1].isNull());

        // Without: three columns, no device names; the first three are drawn.
        const QSqlDatabase plain = testdb::open(QStringLiteral("chartPlain"), dir.filePath(QStringLiteral("plain.sqlite")));
        QVERIFY(testdb::exec(plain, {QStringLiteral("CREATE TABLE Parameters (id INTEGER, name TEXT, unit TEXT)"),
                                     QStringLiteral("INSERT INTO Parameters VALUES (5,'e','V'),(1,'a','V'),(2,'b',NULL),"
                                                    "(4,'d','A'),(3,'c','W')")})
                    .isEmpty());
        AbstractChartModel p(plain, nullptr);
        QVERIFY(p.loadNamesDB());
        QCOMPARE(p.paramCnt, 5);
        QCOMPARE(p.paramNamesList, (QStringList{"a", "b", "c", "d", "e"}));
        QCOMPARE(p.paramUnitsList[1], QString(""));
        QCOMPARE(p.deviceNamesList, (QStringList{"", "", "", "", ""}));
        QCOMPARE(p.paramVisibilityList, (QList<bool>{true, true, true, false, false}));

        // A second call replaces the first.
        QVERIFY(testdb::exec(plain, {QStringLiteral("DELETE FROM Parameters WHERE id > 2")}).isEmpty());
        QVERIFY(p.loadNamesDB());
        QCOMPARE(p.paramCnt, 2);
        QCOMPARE(p.paramNamesMap.size(), 2);
        QCOMPARE(p.paramNamesList, (QStringList{"a", "b"}));
        QCOMPARE(p.paramVisibilityList.size(), 2);

        // No Parameters table: false and nothing.
        QVERIFY(testdb::exec(plain, {QStringLiteral("DROP TABLE Parameters")}).isEmpty());
        QVERIFY(!p.loadNamesDB());
        QCOMPARE(p.paramCnt, 0);
        QVERIFY(p.paramNamesMap.isEmpty());
        QVERIFY(p.paramNamesList.isEmpty());
    }
};

QUORLOG_TEST_MAIN(TestChartModel)
#include "tst_chartmodel.moc"
