#include "charts/MoxAchart.h"
#include "common/Connections.h"
#include "support/DbTestUtil.h"
#include "support/RecorderTableFixture.h"
#include "support/TestMain.h"

#include <QSet>
#include <QTemporaryDir>
#include <memory>

namespace {

const QStringList kColumns = {QStringLiteral("AI1 - Flow"), QStringLiteral("AI2 - Temp"),
                              QStringLiteral("TOT3 - Volume"), QStringLiteral("Say \"hi\" [x]")};

qint64 utcMs(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

// Ten rows with ids from 101 and a gap after 105; the analog channels fill
// odd rows, the totalizer and the quoted channel even ones (as a recorder
// alternates its groups). Half of the rows carry milliseconds. The times run
// through the hour the local zone skips (2026-03-29 02:00-03:00 Warsaw).
QVector<rectable::Row> alternatingRows()
{
    QVector<rectable::Row> rows;
    for (int k = 0; k < 10; ++k) {
        const qint64 id = k < 5 ? 101 + k : 110 + k;
        const QTime t = QTime(1, 55, 0).addSecs(k * 120);
        const QString time = k % 2 ? t.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(".250")
                                   : t.toString(QStringLiteral("HH:mm:ss"));
        QVariantList cells;
        if (k % 2)
            cells << QString::number(k) << QString::number(10 * k) << QVariant(QVariant::String) << QString();
        else
            cells << QString() << QVariant(QVariant::String) << QString::number(100 * k) << QString::number(k + 0.5);
        rows.append({id, QStringLiteral("2026-03-29"), time, cells});
    }
    return rows;
}

qint64 rowMs(int k)
{
    return utcMs(2026, 3, 29, 1, 55, 0) + k * 120000 + (k % 2 ? 250 : 0);
}

} // namespace

class TestMoxAChart : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_serial = 0;

    QSqlDatabase freshDatabase(const QStringList &columns, const QVector<rectable::Row> &rows)
    {
        const QString name = QStringLiteral("moxa_chart_%1").arg(++m_serial);
        QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
        if (!rectable::write(db, QStringLiteral("DataMoxA"), columns, rows))
            return QSqlDatabase();
        return db;
    }

    // Every section the page would load, rowLen rows each, in page order.
    static QVector<QVector<double>> loadAllSections(MoxAchart &model, uint rowLen, int series)
    {
        QVector<QVector<double>> sections;
        for (uint start = 0; start < model.maxParamRowCnt; start += rowLen) {
            model.loadDataWorker(start, rowLen, nullptr);
            sections.append(*model.timeSeries.at(series));
        }
        return sections;
    }

private slots:
    void init() { Connections::remove(QStringLiteral("Data_con_1")); }
    void cleanupTestCase() { Connections::remove(QStringLiteral("Data_con_1")); }

    void namesFollowTheTable()
    {
        QSqlDatabase db = freshDatabase(kColumns, alternatingRows());
        MoxAchart model(db, nullptr);
        QVERIFY(model.loadNamesDB());
        QCOMPARE(model.paramCnt, 4);
        QCOMPARE(model.paramNamesList, kColumns);
        QCOMPARE(model.paramNamesMap.keys(), (QList<int>{3, 4, 5, 6}));
        QCOMPARE(model.paramVisibilityList, (QList<bool>{true, true, true, false}));
        // No settings database: every unit is empty, and the chart still opens.
        QCOMPARE(model.paramUnitsList, (QStringList{"", "", "", ""}));
    }

    void tableWithoutChannels()
    {
        QSqlDatabase db = freshDatabase({}, {{1, QStringLiteral("2026-01-01"), QStringLiteral("00:00:00"), {}}});
        MoxAchart model(db, nullptr);
        QVERIFY(model.loadNamesDB());
        QCOMPARE(model.paramCnt, 0);
        QVERIFY(model.paramNamesList.isEmpty());
        QVERIFY(!model.getDataExportRowCnt());
    }

    void tableMissing()
    {
        const QString name = QStringLiteral("moxa_chart_empty");
        QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")));
        MoxAchart model(db, nullptr);
        // PRAGMA table_info of a missing table gives no rows, not an error.
        QVERIFY(model.loadNamesDB());
        QCOMPARE(model.paramCnt, 0);
        QVERIFY(!model.getDataExportRowCnt());
    }

    void unitsFromSettings_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QStringList>("units");
        QTest::newRow("English tables") << int(rectable::Language::English) << true
                                        << QStringList{"m3/h", "°C", "m3", ""};
        QTest::newRow("Polish tables") << int(rectable::Language::Polish) << true
                                       << QStringList{"m3/h", "°C", "m3", ""};
        QTest::newRow("no settings loaded") << int(rectable::Language::English) << false
                                            << QStringList{"", "", "", ""};
    }

    void unitsFromSettings()
    {
        QFETCH(int, language);
        QFETCH(bool, loaded);
        QFETCH(QStringList, units);
        const QString path = m_dir.filePath(QStringLiteral("settings_%1.sqlite3").arg(++m_serial));
        // AI1 also stands among the totalizers: the analog input's unit wins.
        // TEMP is a math function; the quoted channel is named nowhere.
        QVERIFY(rectable::writeSettings(path, rectable::Language(language),
                                        {{{QStringLiteral("AI1"), QStringLiteral("m3/h")}},
                                         {{QStringLiteral("AI2"), QStringLiteral("°C")}},
                                         {},
                                         {{QStringLiteral("AI1"), QStringLiteral("kg")},
                                          {QStringLiteral("TOT3"), QStringLiteral("m3")}}}));
        if (loaded) {
            Connections::Options readOnly;
            readOnly.readOnly = true;
            Connections::registerFile(QStringLiteral("Data_con_1"), path, readOnly);
        }
        QSqlDatabase db = freshDatabase(kColumns, alternatingRows());
        MoxAchart model(db, nullptr);
        QVERIFY(model.loadNamesDB());
        QCOMPARE(model.paramUnitsList, units);
    }

    void sectionsReachEveryRow_data()
    {
        QTest::addColumn<uint>("rowLen");
        QTest::newRow("one row") << 1u;
        QTest::newRow("three rows, last section short") << 3u;
        QTest::newRow("five rows, exact") << 5u;
        QTest::newRow("one section") << 50000u;
    }

    void sectionsReachEveryRow()
    {
        QFETCH(uint, rowLen);
        QSqlDatabase db = freshDatabase(kColumns, alternatingRows());
        MoxAchart model(db, nullptr);
        QVERIFY(model.loadNamesDB());
        QVERIFY(model.getDataExportRowCnt());
        // Each channel fills half of the rows; the page still pages through all ten.
        QCOMPARE(model.paramRowCntList, (QList<int>{5, 5, 5, 5}));
        QCOMPARE(model.totalRowCnt, 20u);
        QCOMPARE(model.maxParamRowCnt, 10u);

        QVector<double> seen;
        for (const QVector<double> &section : loadAllSections(model, rowLen, 0))
            seen += section;
        QVector<double> expected;
        for (int k = 0; k < 10; ++k)
            expected << AbstractChartModel::toChartTime(rowMs(k));
        QCOMPARE(seen, expected);

        // A section opened directly (no earlier section read) is the same
        // window as when it is reached by paging.
        if (rowLen < 10) {
            MoxAchart direct(db, nullptr);
            QVERIFY(direct.loadNamesDB());
            QVERIFY(direct.getDataExportRowCnt());
            direct.loadDataWorker(rowLen, rowLen, nullptr);
            QCOMPARE(*direct.timeSeries.at(0), expected.mid(int(rowLen), int(rowLen)));
            QCOMPARE(direct.sectionStartRow, rowLen);
        }
    }

    void sectionValuesAndTimes()
    {
        QSqlDatabase db = freshDatabase(kColumns, alternatingRows());
        MoxAchart model(db, nullptr);
        QVERIFY(model.loadNamesDB());
        QVERIFY(model.getDataExportRowCnt());
        model.loadDataWorker(0, 4, nullptr);
        const double nv = AbstractChartModel::NoValue;
        QCOMPARE(*model.valueSeries.at(0), (QVector<double>{nv, 1, nv, 3}));
        QCOMPARE(*model.valueSeries.at(1), (QVector<double>{nv, 10, nv, 30}));
        QCOMPARE(*model.valueSeries.at(2), (QVector<double>{0, nv, 200, nv}));
        QCOMPARE(*model.valueSeries.at(3), (QVector<double>{0.5, nv, 2.5, nv}));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(model.timeSeries.at(i)->size(), 4);
        // The axis spans the whole table, wall-clock as written.
        QCOMPARE(model.sectionFirstTime, rowMs(0));
        QCOMPARE(model.sectionLastTime, rowMs(9));
    }

    void loadOnThePool()
    {
        // The real path: the section read on a pool thread through that
        // thread's own connection, under the modal busy window.
        QSqlDatabase db = freshDatabase(kColumns, alternatingRows());
        MoxAchart model(db, nullptr);
        QVERIFY(model.loadNamesDB());
        QVERIFY(model.getDataExportRowCnt());
        QVERIFY(model.loadData(5, 5));
        QCOMPARE(model.timeSeries.at(2)->size(), 5);
        QCOMPARE(model.timeSeries.at(2)->first(), AbstractChartModel::toChartTime(rowMs(5)));
    }
};

QUORLOG_TEST_MAIN(TestMoxAChart)
#include "tst_moxachart.moc"
