// Recorder files imported through Framework::importData as the device dialogs
// call it: MoxB and MoxA data CSV files and a MoxB archive into the wide
// tables of an application database with two instruments, a re-import, and
// a failing import that reports itself and leaves the table as it was.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "support/ConsoleSpyUtil.h"
#include "support/DbTestUtil.h"
#include "support/MoxACsvWriter.h"
#include "support/MoxBCsvWriter.h"

#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

const QString kDataCon = QStringLiteral("Data_con");

// The whole wide table as text, for before/after comparisons.
QStringList dump(QSqlDatabase db, const QString &table)
{
    QStringList out = testdb::columns(db, table);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table)))
        return {QStringLiteral("error")};
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < out.size(); ++i)
            cells << (q.isNull(i) ? QStringLiteral("NULL") : q.value(i).toString());
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace

class TestImportRecorder : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QTemporaryDir dir;
    int serial = 0;
    int hall = -1;
    int yard = -1;

    QSqlDatabase appDb() { return Connections::database(kDataCon); }
    // A new application database as the session, with Hall and Yard of the type.
    bool openDatabase(avaibleDevices_t type)
    {
        hall = openNewDatabase(dir.filePath(QStringLiteral("rec%1.qdb").arg(++serial)), type, QStringLiteral("Hall"));
        if (hall < 0)
            return false;
        ArchiveManager &devices = g_framework->archiveManager;
        if (!devices.addDevice(QStringLiteral("Yard"), type, QString(), false, QString(), 0, QString(), QString(), {}))
            return false;
        yard = devices.getDevices().lastKey();
        prompts->calls.clear();
        return true;
    }
    bool import(const QString &path, avaibleDevices_t type, int id)
    {
        const bool ok = g_framework->importData(path, QStringLiteral("1/1"), type, id, QStringLiteral("data"));
        settle();
        return ok;
    }
    QString file(const QString &name, const QByteArray &bytes) { return testdb::writeFile(dir.filePath(name), bytes); }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
    }
    void cleanupTestCase()
    {
        g_framework->closeOpenedFile();
        delete prompts;
    }
    void init()
    {
        g_framework->closeOpenedFile();
        settle();
    }

    void moxbCsvTwoInstruments()
    {
        QVERIFY(openDatabase(MoxB));
        const QString path = file(QStringLiteral("hall.csv"), moxbcsv::file(40));
        QVERIFY(import(path, MoxB, hall));
        const QStringList titles = moxbcsv::channelTitles();
        QStringList columns = testdb::columns(appDb(), QStringLiteral("DataMoxB"));
        QCOMPARE(columns.mid(0, 3), (QStringList{"id", "date", "time"}));
        QCOMPARE(columns.size(), 3 + titles.size());
        QCOMPARE(columns.at(3), titles.first() + QStringLiteral(" (Hall)"));
        QCOMPARE(testdb::count(appDb(), QStringLiteral("DataMoxB")), qint64(40));
        QCOMPARE(testdb::column(appDb(), "SELECT count(*) FROM Parameters WHERE unit = 'None' AND idDevices = "
                                             + QString::number(hall)),
                 QStringList{QString::number(titles.size())});

        // The second instrument recorded at the same half-seconds, and on.
        QVERIFY(import(file(QStringLiteral("yard.CSV"), moxbcsv::file(60)), MoxB, yard));
        QCOMPARE(testdb::count(appDb(), QStringLiteral("DataMoxB")), qint64(60));
        QCOMPARE(testdb::columns(appDb(), QStringLiteral("DataMoxB")).size(), 3 + 2 * titles.size());
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT count(*) FROM DataMoxB WHERE \"%1 (Hall)\" IS NOT "
                                                        "NULL AND \"%1 (Yard)\" IS NOT NULL")
                                             .arg(titles.at(1))),
                 QStringList{"40"});
        QCOMPARE(testdb::column(appDb(), "SELECT min(id), max(id) FROM DataMoxB"), QStringList{"1"});

        // Importing the file again changes nothing.
        const QStringList before = dump(appDb(), QStringLiteral("DataMoxB"));
        QVERIFY(import(path, MoxB, hall));
        QCOMPARE(dump(appDb(), QStringLiteral("DataMoxB")), before);
        QVERIFY(prompts->messageTexts().isEmpty());
    }

    void moxaCsv()
    {
        QVERIFY(openDatabase(MoxA));
        QVERIFY(import(file(QStringLiteral("a.CSV"), moxacsv::file(30)), MoxA, hall));
        QVERIFY(import(file(QStringLiteral("b.csv"), moxacsv::file(30)), MoxA, yard));
        const QStringList columns = testdb::columns(appDb(), QStringLiteral("DataMoxA"));
        QVERIFY(columns.size() > 3);
        QCOMPARE(columns.filter(QStringLiteral(" (Hall)")).size(), columns.filter(QStringLiteral(" (Yard)")).size());
        QCOMPARE(columns.filter(QStringLiteral(" (Hall)")).size() * 2, columns.size() - 3);
        QCOMPARE(testdb::count(appDb(), QStringLiteral("DataMoxA")), qint64(30));
        QVERIFY(!testdb::tables(appDb()).contains(QStringLiteral("DataMoxB")));
    }

    void moxbArchive()
    {
        QVERIFY(openDatabase(MoxB));
        const QString path = dir.filePath(QStringLiteral("logger.SQLITE3"));
        {
            QSqlDatabase db = testdb::open(QStringLiteral("archive"), path);
            QCOMPARE(testdb::exec(db, {"CREATE TABLE Data (id INTEGER PRIMARY KEY, date TEXT, time TEXT, AI1 REAL, "
                                       "AI2 REAL)",
                                       "INSERT INTO Data (date, time, AI1, AI2) VALUES ('2026-01-14', '03:30:36.500', "
                                       "1.5, NULL), ('2026-01-14', '03:30:37.000', 2.5, 3)"}),
                     QStringList());
        }
        Connections::remove(QStringLiteral("archive"));
        // CSV rows at the same times first: the archive's values win where it has one.
        QVERIFY(import(file(QStringLiteral("hall.csv"), moxbcsv::file(4)), MoxB, hall));
        QVERIFY(import(path, MoxB, yard));
        QCOMPARE(testdb::column(appDb(), "SELECT time || ' ' || coalesce(\"AI1 (Yard)\", '-') || ' ' || "
                                         "coalesce(\"AI2 (Yard)\", '-') FROM DataMoxB ORDER BY id"),
                 (QStringList{"03:30:36.500 1.5 -", "03:30:37.000 2.5 3.0", "03:30:37.500 - -", "03:30:38.000 - -"}));
        QVERIFY(prompts->messageTexts().isEmpty());
    }

    // Blocks (or channel names) in two letter cases would be one column of
    // the table: the file is refused by name, and nothing is stored.
    void moxaCaseTwinsRefused_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("earlier");
        QTest::addColumn<QString>("later");
        QTest::newRow("blocks") << QByteArray("2025-03-10,17:14:43,1,A,14500,Ch1,1.5\n"
                                              "2025-03-10,17:14:44,2,a,14500,Ch1,2.5\n")
                                << "blockA_value1_Ch1_14500_t1" << "blocka_value1_Ch1_14500_t1";
        QTest::newRow("channels") << QByteArray("2025-03-10,17:14:43,1,1,14500,Ch1,1.5\n"
                                                "2025-03-10,17:14:44,2,1,14500,CH1,2.5\n")
                                  << "block1_value1_CH1_14500_t1" << "block1_value1_Ch1_14500_t1";
    }
    void moxaCaseTwinsRefused()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, earlier);
        QFETCH(QString, later);
        QVERIFY(openDatabase(MoxA));
        QVERIFY(import(file(QStringLiteral("a.CSV"), moxacsv::file(5)), MoxA, hall));
        const QStringList before = dump(appDb(), QStringLiteral("DataMoxA"));
        const QString refusal = QStringLiteral("The column %1 repeats the column %2 of the file: column names that "
                                               "differ only in letter case are one column.")
                                    .arg(later, earlier);
        const int shown = windowConsoleLines().size();
        QVERIFY(!import(file(QStringLiteral("twins.CSV"), moxacsv::header() + lines), MoxA, yard));
        QCOMPARE(prompts->messageTexts(), QStringList{refusal});
        QVERIFY(windowConsoleLines().mid(shown).contains(refusal));
        QCOMPARE(dump(appDb(), QStringLiteral("DataMoxA")), before);
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT count(*) FROM Parameters WHERE idDevices = %1")
                                             .arg(yard)),
                 QStringList{"0"});
    }

    // Lines that cannot be read are skipped, each named (up to the readers'
    // cap), counted, and the file is not called imported whole.
    void moxaSkippedLinesTold_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<int>("rows");
        const QByteArray nul = QByteArray("2025-03-10,17:14:44,2,1,14500,Ch1,2") + '\0' + QByteArray(".5\n");
        QTest::newRow("three kinds")
            << (QByteArray("2025-03-10,17:14:43,1,1,14500,Ch1,1.5\n") + nul
                + "2025-13-45,17:14:45,3,1,14500,Ch1,3.5\n"
                  "x,y\n"
                  "2025-03-10,17:14:46,4,1,14500,Ch1,4.5\n")
            << QStringList{"Line 3 was skipped: it holds a NUL byte.",
                           "Line 4 was skipped: its date and time \"2025-13-45 17:14:45\" cannot be read.",
                           "Line 5 was skipped: it has fewer than 4 fields.",
                           "Lines of the file that cannot be read, skipped: 3"}
            << 2;
        QByteArray many("2025-03-10,17:14:43,1,1,14500,Ch1,1.5\n");
        QStringList told;
        for (int i = 0; i < 150; ++i) {
            many += "2025-03-10,17:61:00,1,1,14500,Ch1,1.5\n";
            if (i < 100)
                told << QStringLiteral("Line %1 was skipped: its date and time \"2025-03-10 17:61:00\" cannot be "
                                       "read.")
                            .arg(i + 3);
        }
        told << "50 more skipped lines are not listed." << "Lines of the file that cannot be read, skipped: 150";
        QTest::newRow("past the cap") << many << told << 1;
    }
    void moxaSkippedLinesTold()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QStringList, told);
        QFETCH(int, rows);
        QVERIFY(openDatabase(MoxA));
        consolespy::Lines console(g_framework);
        const int shown = windowConsoleLines().size();
        const QString path = file(QStringLiteral("damaged.CSV"), moxacsv::header() + lines);
        QVERIFY(import(path, MoxA, hall));
        // The reader tells the window; the import's verdict comes last.
        QCOMPARE(windowConsoleLines().mid(shown).filter(QStringLiteral("skipped")), told);
        const QStringList seen = console.take();
        QVERIFY(!seen.contains(QStringLiteral("The whole file was imported: ") + path));
        QCOMPARE(seen.last(), QStringLiteral("The file was imported, but not whole: ") + path);
        QCOMPARE(testdb::count(appDb(), QStringLiteral("DataMoxA")), qint64(rows));
        QVERIFY(prompts->messageTexts().isEmpty());
    }

    // The table keeps one row per date and time: a value of the file that
    // differs from the one kept at its time is counted, and the file is not
    // called imported whole.
    void differingValuesTold()
    {
        QVERIFY(openDatabase(MoxB));
        const QByteArray header("record,date,time,U1,U2,\n");
        consolespy::Lines console(g_framework);
        const QString first = file(QStringLiteral("first.csv"), header + "1,2026-01-14,00:00:00.000,1,5,\n");
        QVERIFY(import(first, MoxB, hall));
        QCOMPARE(console.take().last(), QStringLiteral("The whole file was imported: ") + first);

        // U1 = 9 where 1 is stored; U2 the same value; a new time.
        const QString second = file(QStringLiteral("second.csv"), header + "1,2026-01-14,00:00:00.000,9,5,\n"
                                                                           "2,2026-01-14,00:00:01.000,2,6,\n");
        QVERIFY(import(second, MoxB, hall));
        QStringList lines = console.take();
        QVERIFY(lines.contains(QStringLiteral("Values of the file not written, as the table already holds other values "
                                              "at their date and time: 1")));
        QCOMPARE(lines.last(), QStringLiteral("The file was imported, but not whole: ") + second);
        QCOMPARE(testdb::column(appDb(), "SELECT \"U1 (Hall)\" FROM DataMoxB ORDER BY id"), (QStringList{"1", "2"}));

        // One time twice in a file, for an instrument the table holds no
        // value of: the later value is kept and the earlier one counted in
        // words of its own; a blank is no value and replaces none.
        const QString twice = file(QStringLiteral("twice.csv"), header + "1,2026-01-14,00:00:00.000,1,3,\n"
                                                                         "2,2026-01-14,00:00:00.000,7,,\n");
        QVERIFY(import(twice, MoxB, yard));
        lines = console.take();
        QVERIFY(lines.contains(QStringLiteral("Values of the file not written, as a later row of the file holds "
                                              "another value at the same date and time: 1")));
        QVERIFY(lines.filter(QStringLiteral("already holds")).isEmpty());
        QCOMPARE(lines.last(), QStringLiteral("The file was imported, but not whole: ") + twice);
        QCOMPARE(testdb::column(appDb(), "SELECT \"U1 (Yard)\" || '|' || \"U2 (Yard)\" FROM DataMoxB WHERE \"time\" = "
                                         "'00:00:00.000'"),
                 QStringList{"7|3"});

        // Both at once, each counted apart: U1 at 00:00:00 differs from the
        // stored 1; 00:00:05 is in the file twice.
        const QString both = file(QStringLiteral("both.csv"), header + "1,2026-01-14,00:00:00.000,4,5,\n"
                                                                       "2,2026-01-14,00:00:05.000,3,,\n"
                                                                       "3,2026-01-14,00:00:05.000,8,,\n");
        QVERIFY(import(both, MoxB, hall));
        lines = console.take();
        QVERIFY(lines.contains(QStringLiteral("Values of the file not written, as the table already holds other values "
                                              "at their date and time: 1")));
        QVERIFY(lines.contains(QStringLiteral("Values of the file not written, as a later row of the file holds "
                                              "another value at the same date and time: 1")));
        QCOMPARE(lines.last(), QStringLiteral("The file was imported, but not whole: ") + both);

        // The same line twice loses nothing.
        const QString same = file(QStringLiteral("same.csv"), header + "1,2026-01-14,00:00:09.000,6,6,\n"
                                                                       "1,2026-01-14,00:00:09.000,6,6,\n");
        QVERIFY(import(same, MoxB, hall));
        lines = console.take();
        QVERIFY(lines.filter(QStringLiteral("not written")).isEmpty());
        QCOMPARE(lines.last(), QStringLiteral("The whole file was imported: ") + same);

        // The first file again: every value is the one stored.
        QVERIFY(import(first, MoxB, hall));
        lines = console.take();
        QVERIFY(lines.filter(QStringLiteral("not written")).isEmpty());
        QCOMPARE(lines.last(), QStringLiteral("The whole file was imported: ") + first);
        QVERIFY(prompts->messageTexts().isEmpty());
    }

    // A failure in the merge is said, marks the import failed, and leaves the
    // stored table as it was.
    void failureReported()
    {
        QVERIFY(openDatabase(MoxB));
        QVERIFY(import(file(QStringLiteral("hall.csv"), moxbcsv::file(10)), MoxB, hall));
        QCOMPARE(testdb::exec(appDb(), {"CREATE TRIGGER injected BEFORE UPDATE ON DataMoxB BEGIN SELECT "
                                        "RAISE(ABORT, 'injected'); END"}),
                 QStringList());
        const QStringList before = dump(appDb(), QStringLiteral("DataMoxB"));
        const QStringList parameters = testdb::column(appDb(), QStringLiteral("SELECT * FROM Parameters"));
        QVERIFY(!import(file(QStringLiteral("yard.csv"), moxbcsv::file(10)), MoxB, yard));
        QCOMPARE(prompts->messageTexts(), QStringList{"An error occurred during database import."});
        QCOMPARE(dump(appDb(), QStringLiteral("DataMoxB")), before);
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT * FROM Parameters")), parameters);
    }

    // Cancelling once the file is read stops the merge and keeps the table.
    void cancelDuringMerge()
    {
        QVERIFY(openDatabase(MoxB));
        QVERIFY(import(file(QStringLiteral("hall.csv"), moxbcsv::file(10)), MoxB, hall));
        const QStringList before = dump(appDb(), QStringLiteral("DataMoxB"));
        QStringList console;
        const QMetaObject::Connection lines = connect(
            g_framework, &Framework::consoleMessage, this, [&console](const QString &msg, int) { console << msg; },
            Qt::DirectConnection);
        const QMetaObject::Connection cancel = connect(
            g_framework, &Framework::progressValueChanged, this,
            [](int percent) {
                if (percent >= 50)
                    g_framework->cancelDataImport();
            },
            Qt::DirectConnection);
        QVERIFY(!import(file(QStringLiteral("yard.csv"), moxbcsv::file(20)), MoxB, yard));
        disconnect(cancel);
        disconnect(lines);
        QVERIFY(console.contains(QStringLiteral("Data import was canceled.")));
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(dump(appDb(), QStringLiteral("DataMoxB")), before);
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT count(*) FROM Parameters WHERE idDevices = %1")
                                             .arg(yard)),
                 QStringList{"0"});
    }
};

QUORLOG_TEST_MAIN(TestImportRecorder)
#include "tst_importrecorder.moc"
