// The chart models of the MoxB recorder's own wide tables: an opened SQLite
// archive (Data) and a data CSV file imported into DataMoxB.
#include "charts/MoxBChartModel.h"
#include "charts/RecorderWideTable.h"
#include "charts/moxbcsvchart.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Connections.h"
#include "readers/moxbcsvparser.h"
#include "support/DbTestUtil.h"
#include "support/MoxBCsvWriter.h"
#include "support/TestMain.h"
#include "ui_ChartViewPage.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

namespace {

const QString Settings = QStringLiteral("Data_con_1");
constexpr double NoValue = AbstractChartModel::NoValue;

qint64 utcMsecs(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

// One archive row: id, date, time and the cells of U1, U2, I1, P.
struct Row
{
    int id;
    QString date;
    QString time;
    QVariantList cells;
};

// An archive table Data with the recorder's columns; rows are inserted as
// given (ids as given, cells as given, NULL for an invalid QVariant).
void writeArchive(QSqlDatabase db, const QString &table, const QStringList &columns, const QList<Row> &rows)
{
    QStringList defs{QStringLiteral("id INTEGER PRIMARY KEY"), QStringLiteral("date TEXT"), QStringLiteral("time TEXT")};
    for (const QString &c : columns)
        defs << QLatin1Char('"') + c + QStringLiteral("\" TEXT");
    QVERIFY(testdb::exec(db, {QStringLiteral("DROP TABLE IF EXISTS ") + table,
                              QStringLiteral("CREATE TABLE ") + table + QLatin1Char('(') + defs.join(QStringLiteral(", "))
                                  + QLatin1Char(')')})
                .isEmpty());
    QSqlQuery q(db);
    QStringList marks;
    for (int i = 0; i < columns.size() + 3; ++i)
        marks << QStringLiteral("?");
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES (") + marks.join(QLatin1Char(','))
                      + QLatin1Char(')')));
    for (const Row &r : rows) {
        q.addBindValue(r.id);
        q.addBindValue(r.date);
        q.addBindValue(r.time);
        for (int i = 0; i < columns.size(); ++i)
            q.addBindValue(i < r.cells.size() ? r.cells.at(i) : QVariant());
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
}

// A settings database of the recorder with the unit tables in one language.
void writeSettings(const QString &path, bool english)
{
    QSqlDatabase db = testdb::open(Settings, path);
    const QString name = english ? QStringLiteral("Name") : QStringLiteral("Nazwa");
    const QString unit = english ? QStringLiteral("\"Display unit\"") : QStringLiteral("\"Wyswietlana jednostka\"");
    const QStringList tables = english ? QStringList{"Analog inputs information", "Math functions",
                                                     "Modbus master inputs", "Totalizer information"}
                                       : QStringList{"Wejscia analogowe", "Funkcje matematyczne",
                                                     "Wejscia modbus master", "Totalizer"};
    QStringList statements;
    for (const QString &t : tables)
        statements << QStringLiteral("CREATE TABLE \"%1\" (%2 TEXT, %3 TEXT, other TEXT)").arg(t, name, unit);
    auto row = [&](int table, const QString &channel, const QString &u) {
        statements << QStringLiteral("INSERT INTO \"%1\" (%2, %3) VALUES ('%4', '%5')")
                          .arg(tables.at(table), name, unit, channel, u);
    };
    row(0, QStringLiteral("U1"), QStringLiteral("V"));
    row(0, QStringLiteral("AI1: Analog input"), QStringLiteral("mA"));
    // The analog input wins over the math function of the same name.
    row(1, QStringLiteral("U1"), QStringLiteral("kV"));
    row(1, QStringLiteral("P"), QStringLiteral("kW"));
    row(2, QStringLiteral("I1"), QStringLiteral("A"));
    row(3, QStringLiteral("TOT3: Totalizer"), QStringLiteral("m3"));
    QVERIFY(testdb::exec(db, statements).isEmpty());
}

const QStringList ArchiveColumns{QStringLiteral("U1 - value"), QStringLiteral("U2"), QStringLiteral("I1 - avg"),
                                 QStringLiteral("P")};

// Seven rows, ids from 101, times with and without milliseconds.
QList<Row> archiveRows()
{
    return {
        {101, "2026-03-29", "00:59:59.500", {230.5, "231", "", "1.5"}},
        {102, "2026-03-29", "01:00:00", {"230.25", QVariant(), " n/a ", "2"}},
        // The hour that Warsaw skips: UTC wall time has it.
        {103, "2026-03-29", "02:30:00.007", {"BLANK", "---", "5.5", "None"}},
        {104, "2026-03-29", "03:00:00.250", {"abc", " ", "6", "nan"}},
        {105, "2026-03-29", "03:00:01", {"12.5", 12.5, "7", ""}},
        {106, "2026-03-30", "23:59:59.999", {QVariant(), "", "8", "3"}},
        {107, "2026-03-31", "00:00:00", {"-1e3", "4", "9", "4"}},
    };
}

QList<qint64> archiveTimes()
{
    return {utcMsecs(2026, 3, 29, 0, 59, 59, 500), utcMsecs(2026, 3, 29, 1, 0, 0),
            utcMsecs(2026, 3, 29, 2, 30, 0, 7),    utcMsecs(2026, 3, 29, 3, 0, 0, 250),
            utcMsecs(2026, 3, 29, 3, 0, 1),        utcMsecs(2026, 3, 30, 23, 59, 59, 999),
            utcMsecs(2026, 3, 31, 0, 0, 0)};
}

// The unit of a channel's six columns.
QStringList repeated(const QString &unit)
{
    QStringList out;
    for (int i = 0; i < 6; ++i)
        out << unit;
    return out;
}

// Walks the sections as the chart page counts them (on maxParamRowCnt) and
// returns how often each chart time was drawn, per parameter 0.
QMap<double, int> walkSections(AbstractChartModel &m, uint rowLen)
{
    QMap<double, int> seen;
    for (uint start = 0; start < m.maxParamRowCnt; start += rowLen) {
        if (!m.loadData(start, rowLen))
            return {};
        if (m.sectionStartRow != start)
            return {};
        for (double t : *m.timeSeries.value(0))
            seen[t] += 1;
    }
    return seen;
}

} // namespace

class TestRecorderChart : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QSqlDatabase archive;
    QSqlDatabase csv;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        archive = testdb::open(QStringLiteral("chartArchive"), dir.filePath(QStringLiteral("archive.sqlite")));
        csv = testdb::open(QStringLiteral("chartCsv"), dir.filePath(QStringLiteral("csv.sqlite")));
    }

    void init()
    {
        writeArchive(archive, QStringLiteral("Data"), ArchiveColumns, archiveRows());
    }

    void cleanup()
    {
        Connections::remove(Settings);
    }

    void recorderTimes_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("msecs");
        QTest::newRow("milliseconds") << "2026-01-14" << "03:30:36.500" << true << utcMsecs(2026, 1, 14, 3, 30, 36, 500);
        QTest::newRow("no milliseconds") << "2026-01-14" << "03:30:36" << true << utcMsecs(2026, 1, 14, 3, 30, 36);
        QTest::newRow("Warsaw's skipped hour") << "2026-03-29" << "02:30:00" << true << utcMsecs(2026, 3, 29, 2, 30, 0);
        QTest::newRow("Warsaw's repeated hour") << "2026-10-25" << "02:30:00.001" << true
                                                << utcMsecs(2026, 10, 25, 2, 30, 0, 1);
        // Digits after the point are milliseconds, as the SQL reads them.
        QTest::newRow("one digit") << "2026-01-14" << "03:30:36.5" << true << utcMsecs(2026, 1, 14, 3, 30, 36, 5);
        QTest::newRow("bare point") << "2026-01-14" << "03:30:36." << false << qint64(0);
        QTest::newRow("comma") << "2026-01-14" << "03:30:36,500" << false << qint64(0);
        QTest::newRow("bad date") << "2026-02-30" << "03:30:36" << false << qint64(0);
        QTest::newRow("short time") << "2026-01-14" << "03:30" << false << qint64(0);
        QTest::newRow("empty") << "" << "" << false << qint64(0);
    }

    void recorderTimes()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(bool, ok);
        QFETCH(qint64, msecs);
        qint64 out = -1;
        QCOMPARE(recorderwide::parseMsecs(date, time, &out), ok);
        if (ok) {
            QCOMPARE(out, msecs);
            // The SQL of the filtered tables reads the same instant.
            QSqlQuery q(archive);
            QVERIFY(q.exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS times (date TEXT, time TEXT)")));
            QVERIFY(q.exec(QStringLiteral("DELETE FROM times")));
            QVERIFY(q.prepare(QStringLiteral("INSERT INTO times VALUES (?, ?)")));
            q.addBindValue(date);
            q.addBindValue(time);
            QVERIFY(q.exec());
            QVERIFY(q.exec(QStringLiteral("SELECT ") + recorderwide::timeExpression() + QStringLiteral(" FROM times")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toLongLong(), msecs);
        }
    }

    void cellValues_data()
    {
        QTest::addColumn<QVariant>("cell");
        QTest::addColumn<double>("value");
        QTest::newRow("number") << QVariant(12.5) << 12.5;
        QTest::newRow("number as text") << QVariant("12.5") << 12.5;
        QTest::newRow("integer text") << QVariant("-7") << -7.0;
        QTest::newRow("NULL") << QVariant() << NoValue;
        QTest::newRow("empty") << QVariant("") << NoValue;
        QTest::newRow("blanks") << QVariant("   ") << NoValue;
        QTest::newRow("blank") << QVariant(" Blank ") << NoValue;
        QTest::newRow("n/a") << QVariant("N/A") << NoValue;
        QTest::newRow("dashes") << QVariant("---") << NoValue;
        QTest::newRow("none") << QVariant("NONE\t") << NoValue;
        QTest::newRow("text") << QVariant("abc") << NoValue;
        QTest::newRow("decimal comma") << QVariant("12,5") << NoValue;
        QTest::newRow("nan") << QVariant("nan") << NoValue;
        QTest::newRow("inf") << QVariant("inf") << NoValue;
    }

    void cellValues()
    {
        QFETCH(QVariant, cell);
        QFETCH(double, value);
        QCOMPARE(recorderwide::cellValue(cell), value);
    }

    // Names, cids, visibility and units from a settings database in either
    // language, or none.
    void archiveNames_data()
    {
        QTest::addColumn<int>("settings"); // 0 none, 1 English, 2 Polish
        QTest::addColumn<QStringList>("units");
        QTest::newRow("no settings") << 0 << QStringList{"", "", "", ""};
        QTest::newRow("English") << 1 << QStringList{"V", "", "A", "kW"};
        QTest::newRow("Polish") << 2 << QStringList{"V", "", "A", "kW"};
    }

    void archiveNames()
    {
        QFETCH(int, settings);
        QFETCH(QStringList, units);
        if (settings)
            writeSettings(dir.filePath(QStringLiteral("settings%1.sqlite").arg(settings)), settings == 1);

        MoxBChartModel m(archive, nullptr);
        QVERIFY(m.loadNamesDB());
        QCOMPARE(m.paramCnt, 4);
        QCOMPARE(m.paramNamesList, ArchiveColumns);
        QCOMPARE(m.paramUnitsList, units);
        QCOMPARE(m.paramVisibilityList, (QList<bool>{true, true, true, false}));
        QCOMPARE(m.paramNamesMap.keys(), (QList<int>{3, 4, 5, 6}));
        QCOMPARE(m.paramNamesMap.values(), ArchiveColumns);
        QVERIFY(m.deviceNamesList.isEmpty());

        // A second call replaces the lists.
        QVERIFY(m.loadNamesDB());
        QCOMPARE(m.paramNamesList.size(), 4);
        QCOMPARE(m.paramUnitsList.size(), 4);
    }

    // A settings database without the English analog table is read by the
    // Polish names: its English math table gives nothing.
    void settingsLanguageChosenByAnalogTable()
    {
        QSqlDatabase db = testdb::open(Settings, dir.filePath(QStringLiteral("mixed.sqlite")));
        QVERIFY(testdb::exec(db, {QStringLiteral("CREATE TABLE \"Math functions\" (Name TEXT, \"Display unit\" TEXT)"),
                                  QStringLiteral("INSERT INTO \"Math functions\" VALUES ('P', 'kW')"),
                                  QStringLiteral("CREATE TABLE Totalizer (Nazwa TEXT, \"Wyswietlana jednostka\" TEXT)"),
                                  QStringLiteral("INSERT INTO Totalizer VALUES ('U2', 'l')")})
                    .isEmpty());
        MoxBChartModel m(archive, nullptr);
        QVERIFY(m.loadNamesDB());
        QCOMPARE(m.paramUnitsList, (QStringList{"", "l", "", ""}));
    }

    void archiveCounts()
    {
        MoxBChartModel m(archive, nullptr);
        QVERIFY(m.loadNamesDB());
        QVERIFY(m.getDataExportRowCnt());
        // Cells that are neither NULL nor empty or blank text; markers count.
        QCOMPARE(m.paramRowCntList, (QList<int>{6, 4, 6, 6}));
        QCOMPARE(m.totalRowCnt, 22u);
        // The page pages through the rows of the table.
        QCOMPARE(m.maxParamRowCnt, 7u);
    }

    void archiveSeries()
    {
        MoxBChartModel m(archive, nullptr);
        QVERIFY(m.loadNamesDB());
        QVERIFY(m.getDataExportRowCnt());
        QSignalSpy console(&m, SIGNAL(consoleMessage(QString, int)));
        QSignalSpy progress(&m, SIGNAL(progressValueChanged(int)));
        QVERIFY(m.loadData(0, 50000));

        QVector<double> times;
        for (qint64 ms : archiveTimes())
            times << AbstractChartModel::toChartTime(ms);
        QCOMPARE(m.timeSeries.size(), 4);
        QCOMPARE(m.valueSeries.size(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(*m.timeSeries[i], times);
        QCOMPARE(*m.valueSeries[0], (QVector<double>{230.5, 230.25, NoValue, NoValue, 12.5, NoValue, -1000.0}));
        QCOMPARE(*m.valueSeries[1], (QVector<double>{231, NoValue, NoValue, NoValue, 12.5, NoValue, 4}));
        QCOMPARE(*m.valueSeries[2], (QVector<double>{NoValue, NoValue, 5.5, 6, 7, 8, 9}));
        QCOMPARE(*m.valueSeries[3], (QVector<double>{1.5, 2, NoValue, NoValue, NoValue, 3, 4}));
        // The axis spans the table: first and last row by id.
        QCOMPARE(m.sectionFirstTime, archiveTimes().first());
        QCOMPARE(m.sectionLastTime, archiveTimes().last());
        QCOMPARE(m.sectionStartRow, 0u);

        QCOMPARE(console.size(), 1);
        QVERIFY(console.first().at(0).toString().startsWith(QStringLiteral("Loaded 7 records for 4 parameters in: ")));
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toInt(), 50000);
    }

    // Sections of rows by position: whatever the ids, each row is drawn in
    // exactly one section, the last one included.
    void archiveSections_data()
    {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<uint>("rowLen");
        QTest::newRow("ids from 1, sections of 2") << QList<int>{1, 2, 3, 4, 5, 6, 7} << 2u;
        QTest::newRow("ids from 101, sections of 3") << QList<int>{101, 102, 103, 104, 105, 106, 107} << 3u;
        QTest::newRow("ids with gaps, sections of 2") << QList<int>{5, 6, 40, 41, 42, 1000, 70000} << 2u;
        QTest::newRow("ids from 0, one section") << QList<int>{0, 1, 2, 3, 4, 5, 6} << 7u;
        QTest::newRow("ids from 0, sections of 1") << QList<int>{0, 1, 2, 3, 4, 5, 6} << 1u;
    }

    void archiveSections()
    {
        QFETCH(QList<int>, ids);
        QFETCH(uint, rowLen);
        QList<Row> rows = archiveRows();
        for (int i = 0; i < rows.size(); ++i)
            rows[i].id = ids.at(i);
        writeArchive(archive, QStringLiteral("Data"), ArchiveColumns, rows);

        MoxBChartModel m(archive, nullptr);
        QVERIFY(m.loadNamesDB());
        QVERIFY(m.getDataExportRowCnt());
        const QMap<double, int> seen = walkSections(m, rowLen);
        QCOMPARE(seen.size(), rows.size());
        for (qint64 ms : archiveTimes())
            QCOMPARE(seen.value(AbstractChartModel::toChartTime(ms)), 1);
        // The last section ends with the last row.
        QCOMPARE(m.timeSeries[0]->last(), AbstractChartModel::toChartTime(archiveTimes().last()));
    }

    void archiveWithoutParameters()
    {
        writeArchive(archive, QStringLiteral("Data"), {}, {{1, "2026-01-01", "00:00:00", {}}});
        MoxBChartModel m(archive, nullptr);
        QVERIFY(m.loadNamesDB());
        QCOMPARE(m.paramCnt, 0);
        QVERIFY(m.paramNamesList.isEmpty());
        QVERIFY(!m.getDataExportRowCnt());
        QVERIFY(m.loadData(0, 50000));
        QVERIFY(m.timeSeries.isEmpty());
    }

    void archiveFailures()
    {
        // No Data table: its structure reads as no columns, so no parameters.
        QVERIFY(testdb::exec(archive, {QStringLiteral("DROP TABLE Data")}).isEmpty());
        MoxBChartModel none(archive, nullptr);
        QVERIFY(none.loadNamesDB());
        QCOMPARE(none.paramCnt, 0);
        QVERIFY(none.paramNamesMap.isEmpty());
        QVERIFY(!none.getDataExportRowCnt());

        // Columns gone after the names were read: the section fails with one
        // console line and empty series, and a later one loads again.
        writeArchive(archive, QStringLiteral("Data"), ArchiveColumns, archiveRows());
        MoxBChartModel m(archive, nullptr);
        QVERIFY(m.loadNamesDB());
        QVERIFY(m.getDataExportRowCnt());
        QVERIFY(testdb::exec(archive, {QStringLiteral("ALTER TABLE Data RENAME COLUMN P TO Q")}).isEmpty());
        QSignalSpy console(&m, SIGNAL(consoleMessage(QString, int)));
        QVERIFY(m.loadData(0, 50000));
        QCOMPARE(console.size(), 1);
        QVERIFY(console.first().at(0).toString().startsWith(QStringLiteral("Failed to execute query: ")));
        QCOMPARE(m.timeSeries.size(), 4);
        for (auto *t : m.timeSeries)
            QVERIFY(t->isEmpty());
        QVERIFY(testdb::exec(archive, {QStringLiteral("ALTER TABLE Data RENAME COLUMN Q TO P")}).isEmpty());
        QVERIFY(m.loadData(0, 50000));
        QCOMPARE(m.timeSeries[3]->size(), 7);
        // A failing count is a failure.
        QVERIFY(testdb::exec(archive, {QStringLiteral("ALTER TABLE Data RENAME COLUMN U2 TO X")}).isEmpty());
        QVERIFY(!m.getDataExportRowCnt());
    }

    // A data CSV file of the recorder, imported as the session imports it:
    // analog inputs and totalizers in alternate rows.
    void csvAlternatingGroups()
    {
        writeSettings(dir.filePath(QStringLiteral("csvsettings.sqlite")), true);
        const int records = 9;
        const QString path = testdb::writeFile(dir.filePath(QStringLiteral("data.csv")), moxbcsv::file(records));
        QAtomicInteger<char> cancel(0);
        moxbcsvparser reader(nullptr, &cancel);
        QVERIFY(reader.openFile(path));
        int count = 0;
        QVERIFY(reader.parseFile(csv, &count, 2));

        moxbcsvchart m(csv, nullptr);
        QVERIFY(m.loadNamesDB());
        const QStringList titles = moxbcsv::channelTitles();
        QCOMPARE(m.paramCnt, titles.size());
        QCOMPARE(m.paramNamesList, titles);
        QCOMPARE(m.paramVisibilityList.mid(0, 4), (QList<bool>{true, true, true, false}));
        // All six columns of a channel, flag included, carry its unit.
        QCOMPARE(m.paramUnitsList.mid(0, 6), repeated(QStringLiteral("mA")));
        QCOMPARE(m.paramUnitsList.mid(6, 6), repeated(QString()));
        const int tot3 = titles.indexOf(QStringLiteral("TOT3: Totalizer - value"));
        QVERIFY(tot3 > 0);
        QCOMPARE(m.paramUnitsList.mid(tot3, 6), repeated(QStringLiteral("m3")));

        QVERIFY(m.getDataExportRowCnt());
        QCOMPARE(m.paramRowCntList.first(), 5);     // odd records: analog inputs
        QCOMPARE(m.paramRowCntList.at(tot3), 4);    // even records: totalizers
        QCOMPARE(m.maxParamRowCnt, uint(records));

        // Sections of two rows reach every record once, the last (an analog
        // one) included; the totalizer columns are gaps there.
        const QDateTime start(QDate(2026, 1, 14), QTime(3, 30, 36, 500), Qt::UTC);
        const QMap<double, int> seen = walkSections(m, 2);
        QCOMPARE(seen.size(), records);
        for (int n = 1; n <= records; ++n)
            QCOMPARE(seen.value(AbstractChartModel::toChartTime(start.addMSecs((n - 1) * 500).toMSecsSinceEpoch())), 1);
        QCOMPARE(m.sectionStartRow, 8u);
        QCOMPARE(m.valueSeries[0]->size(), 1);
        QVERIFY(m.valueSeries[0]->first() != NoValue);
        QCOMPARE(m.valueSeries[tot3]->first(), NoValue);

        QVERIFY(m.loadData(0, 50000));
        for (int r = 0; r < records; ++r) {
            const bool analog = r % 2 == 0;
            QCOMPARE(m.valueSeries[0]->at(r) != NoValue, analog);
            QCOMPARE(m.valueSeries[tot3]->at(r) != NoValue, !analog);
        }
        QCOMPARE(m.valueSeries[tot3]->at(1), 1000.0 + 2);
        QCOMPARE(m.sectionFirstTime, start.toMSecsSinceEpoch());
        QCOMPARE(m.sectionLastTime, start.addMSecs((records - 1) * 500).toMSecsSinceEpoch());
    }

    // The chart page's own sections of 50,000 over a table whose two
    // channels fill alternate rows (ids from 1001, times with and without
    // milliseconds): three sections, the last one holding the last row.
    void pageReachesTheLastRow()
    {
        const int rows = 100001;
        writeArchive(csv, QStringLiteral("DataMoxB"), {QStringLiteral("A - value"), QStringLiteral("B - value")}, {});
        QVERIFY(testdb::exec(csv, {QStringLiteral(
                                       "INSERT INTO DataMoxB WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                       "FROM n WHERE i < %1) SELECT i + 1000, date(i, 'unixepoch'), "
                                       "strftime('%H:%M:%S', i, 'unixepoch') || CASE WHEN i % 2 THEN '.250' ELSE '' END, "
                                       "CASE WHEN i % 2 THEN i ELSE ' ' END, CASE WHEN i % 2 THEN ' ' ELSE -i END FROM n")
                                       .arg(rows)})
                    .isEmpty());
        moxbcsvchart m(csv, nullptr);
        ChartViewPage page(nullptr, &m);
        page.resize(1074, 562);
        QCOMPARE(m.paramRowCntList, (QList<int>{50001, 50000}));
        QCOMPARE(m.maxParamRowCnt, uint(rows));
        QCOMPARE(page.form()->sectionsLabel->text(), QStringLiteral("1/3"));
        QCOMPARE(m.valueSeries[0]->size(), 50000);
        QCOMPARE(m.valueSeries[0]->first(), 1.0);
        QCOMPARE(m.valueSeries[1]->at(1), -2.0);
        page.on_nextButton_clicked();
        QCOMPARE(m.sectionStartRow, 50000u);
        QCOMPARE(m.valueSeries[0]->first(), 50001.0);
        QCOMPARE(m.valueSeries[1]->last(), -100000.0);
        page.on_nextButton_clicked();
        QCOMPARE(page.form()->sectionsLabel->text(), QStringLiteral("3/3"));
        QVERIFY(!page.form()->nextButton->isEnabled());
        QCOMPARE(m.sectionStartRow, 100000u);
        QCOMPARE(m.timeSeries[0]->size(), 1);
        QCOMPARE(m.valueSeries[0]->first(), double(rows));
        QCOMPARE(m.timeSeries[0]->first(), AbstractChartModel::toChartTime(qint64(rows) * 1000 + 250));
        QCOMPARE(m.valueSeries[1]->first(), NoValue);
        page.on_previousButton_clicked();
        QCOMPARE(m.sectionStartRow, 50000u);
        QCOMPARE(m.valueSeries[1]->first(), NoValue);
        QCOMPARE(m.valueSeries[1]->at(1), -50002.0);
    }
};

QUORLOG_TEST_MAIN(TestRecorderChart)
#include "tst_recorderchart.moc"
