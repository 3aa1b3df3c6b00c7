// A MoxB recorder's settings imported as the import dialog does it, through
// Framework::importData with the kind "MoxBSettings": into an application
// database with two recorders, what the user sees on success and failure.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "support/DbTestUtil.h"
#include "support/MoxBSettingsWriter.h"

#include <QSqlQuery>
#include <QTemporaryDir>

using moxbsettings::Language;
Q_DECLARE_METATYPE(moxbsettings::Language)

namespace {

const QString kDataCon = QStringLiteral("Data_con");
const QString kKind = QStringLiteral("MoxBSettings");

} // namespace

class TestImportMoxBSettings : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QTemporaryDir dir;
    int serial = 0;
    int recorder = 0;
    int second = 0;

    QSqlDatabase appDb() { return Connections::database(kDataCon); }
    int addRecorder(const QString &name, const QList<const char *> &parameters = {"U1", "U1 avg", "T_1", "TX1"})
    {
        if (!g_framework->archiveManager.addDevice(name, MoxB, QString(), false, QString(), 0, QString(), QString(),
                                                   {}))
            return -1;
        const int id = g_framework->archiveManager.getDevices().lastKey();
        // The columns of its data files, as the data imports leave them.
        QSqlQuery q(appDb());
        for (const char *name : parameters) {
            q.prepare(QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (?, ?, 'None')"));
            q.addBindValue(id);
            q.addBindValue(QString::fromLatin1(name));
            if (!q.exec())
                return -1;
        }
        return id;
    }
    QStringList units(int device)
    {
        return testdb::column(appDb(), QStringLiteral("SELECT name || '=' || unit FROM Parameters WHERE idDevices = "
                                                      "%1 ORDER BY id")
                                           .arg(device));
    }
    QString settingsFile(Language language, bool sqlite, QList<moxbsettings::Section> extra = {})
    {
        auto sections = moxbsettings::sections(language, {QStringLiteral("U1 [V]"), QStringLiteral("T_1 [C]")});
        sections += extra;
        const QString path =
            dir.filePath(QStringLiteral("settings%1.%2").arg(++serial).arg(sqlite ? "SQLITE3" : "csv"));
        if (sqlite)
            return moxbsettings::writeSqlite(path, sections) ? path : QString();
        return testdb::writeFile(path, moxbsettings::csv(sections));
    }
    bool import(const QString &path, int id, const QString &kind = kKind)
    {
        const bool ok = g_framework->importData(path, QStringLiteral("1/1"), MoxB, id, kind);
        settle();
        return ok;
    }

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
        const QString path = dir.filePath(QStringLiteral("app%1.qdb").arg(++serial));
        QVERIFY(ArchiveManager::createDatabase(path));
        g_framework->openFile(path, INTERNAL_DB, 0, {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        recorder = addRecorder(QStringLiteral("Hall"));
        second = addRecorder(QStringLiteral("Roof \"50%_x\" O'Brien"));
        QVERIFY(recorder > 0 && second > 0);
        prompts->calls.clear();
    }

    void imported_data()
    {
        QTest::addColumn<Language>("language");
        QTest::addColumn<bool>("sqlite");
        QTest::newRow("English SQLite") << Language::English << true;
        QTest::newRow("Polish CSV") << Language::Polish << false;
    }

    void imported()
    {
        QFETCH(Language, language);
        QFETCH(bool, sqlite);
        const QString path = settingsFile(language, sqlite);
        QVERIFY(import(path, second));
        QVERIFY(prompts->messageTexts().isEmpty());
        // A unit is named for one parameter exactly: U1's is not U1 avg's.
        QCOMPARE(units(second), (QStringList{"U1=V", "U1 avg=None", "T_1=C", "TX1=None"}));
        QCOMPARE(units(recorder), (QStringList{"U1=None", "U1 avg=None", "T_1=None", "TX1=None"}));
        for (const QString &table : moxbsettings::storedTables(language))
            QVERIFY2(testdb::count(appDb(), table) > 0, qPrintable(table));

        // Again, and then the units alone from a file of another kind.
        QVERIFY(import(path, second));
        QVERIFY(import(dir.filePath(QStringLiteral("any.txt")), recorder));
        QCOMPARE(units(recorder), units(second));
        QVERIFY(prompts->messageTexts().isEmpty());
    }

    // The recorder's settings CSV (the sections the user guide describes):
    // its display units reach the parameters it names exactly, whether their
    // names are the channels' own or the recorder's column titles; the
    // parameters it gives no unit keep "None".
    void settingsFixtureUnits()
    {
        const QString settings = QStringLiteral(QUORLOG_TEST_DATA "/moxb/settings.MoxBArch.csv");
        const int id = addRecorder(QStringLiteral("Hall 2"),
                                   {"AI1", "AI2", "AI3", "AI10", "ai1", "XAI1 total", "AI1: Analog input - value",
                                    "AI2: Analog input - avg", "AI12: Analog input - value", "TOT3: Totalizer - value",
                                    "TOT4: Totalizer - value", "MB1", "MF1"});
        QVERIFY(id > 0);
        QVERIFY(import(settings, id));
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(units(id), (QStringList{"AI1=m3/h", "AI2=bar", "AI3=None", "AI10=None", "ai1=None",
                                         "XAI1 total=None", "AI1: Analog input - value=m3/h",
                                         "AI2: Analog input - avg=bar", "AI12: Analog input - value=None",
                                         "TOT3: Totalizer - value=m3", "TOT4: Totalizer - value=None", "MB1=kW",
                                         "MF1=None"}));
        QCOMPARE(units(recorder), (QStringList{"U1=None", "U1 avg=None", "T_1=None", "TX1=None"}));
        for (const char *table : {"General settings", "Instrument information", "Analog inputs information",
                                  "Math functions", "Modbus master inputs", "Totalizer information",
                                  "Temperature information", "ParametersSettings"})
            QVERIFY2(testdb::count(appDb(), QString::fromLatin1(table)) > 0, table);
    }

    // A failing file is said, with what is wrong with it, changes nothing,
    // and ends the dialog's run.
    void failures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        QTest::newRow("application table in the file")
            << "data" << "An error occurred during settings import."
            << "named like a table of the application database: Data";
        QTest::newRow("no parameters section")
            << "noparameters" << "An error occurred during settings import."
            << "has no parameters section (\"Parameters\" or \"Parametry\")";
        QTest::newRow("missing CSV file") << "missing.csv" << "Unable to open file" << "";
        QTest::newRow("units without stored settings")
            << "any.txt" << "An error occurred during settings import." << "(ParametersSettings)";
    }

    void failures()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        if (path == QLatin1String("data")) {
            path = settingsFile(Language::English, true, {{QStringLiteral("Data"), {QStringLiteral("x")}, {{"1"}}}});
        } else if (path == QLatin1String("noparameters")) {
            auto sections = moxbsettings::sections(Language::English, {QStringLiteral("U1 [V]")});
            sections.removeAt(2);
            path = testdb::writeFile(dir.filePath(QStringLiteral("noparameters.csv")), moxbsettings::csv(sections));
        } else {
            path = dir.filePath(path);
        }
        const QStringList tables = testdb::tables(appDb());
        QVERIFY(!import(path, recorder));
        QCOMPARE(prompts->messageTexts().size(), 1);
        QCOMPARE(prompts->messageTexts().first().section(QLatin1Char('\n'), 0, 0), message);
        QVERIFY2(prompts->messageTexts().first().contains(detail), qPrintable(prompts->messageTexts().first()));
        QCOMPARE(testdb::tables(appDb()), tables);
        QCOMPARE(units(recorder), (QStringList{"U1=None", "U1 avg=None", "T_1=None", "TX1=None"}));
    }
};

QUORLOG_TEST_MAIN(TestImportMoxBSettings)
#include "tst_importmoxbsettings.moc"
