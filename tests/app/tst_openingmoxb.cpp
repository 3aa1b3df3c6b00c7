// Opening the MoxB recorder's data: its own SQLite archive (read in place,
// never changed) and its data CSV (read into a temporary database) each open
// into a session with a table and the CSV export, and the main window then
// offers the settings file, except once after the built-in example.
#include "support/SessionTestUtil.h"
#include "support/MoxBCsvWriter.h"
#include "support/MoxBSettingsWriter.h"
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "app/SourceTypeFile.h"
#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "common/Prompts.h"
#include "charts/moxbcsvchart.h"
#include "readers/moxbdatabasemanager.h"
#include "reports/RecorderReportModel.h"
#include "tables/MoxBTableModel.h"
#include "tables/moxbcsvtable.h"
#include "tables/moxblogtable.h"
#include "tables/ui/SettingsMoxBPage.h"

#include <QAction>
#include <QTableView>
#include <QTranslator>
#include <QToolButton>

#include <functional>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the window shows of a session: its title, the view buttons that are
// enabled and whether File > Close is.
QString windowState()
{
    MainWindow *window = g_framework->mainWindow.data();
    QStringList enabled;
    for (const char *name : {"dataFilterButton", "tableViewButton", "chartViewButton", "reportViewButton",
                             "exportCSVButton", "SettingsViewMoxBButton"}) {
        auto *button = window->findChild<QToolButton *>(QLatin1String(name));
        if (button && button->isEnabled())
            enabled << QLatin1String(name);
    }
    return window->windowTitle() + QStringLiteral("; ") + enabled.join(QLatin1Char(','))
           + QStringLiteral("; close ")
           + (window->findChild<QAction *>(QStringLiteral("actionClosedata"))->isEnabled() ? "on" : "off");
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// A recorder archive: Data with id, date, time and two parameters.
// Both logs in one file, so each branch must pick its own table.
QString writeLogFile(const QString &name)
{
    const QString path = QDir(QDir::tempPath()).filePath(name);
    QFile::remove(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("log_writer"));
        db.setDatabaseName(path);
        if (!db.open())
            return QString();
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE AlarmLog (id INTEGER PRIMARY KEY, dateTime TEXT, alarm TEXT)"));
        q.exec(QStringLiteral("INSERT INTO AlarmLog VALUES (1, '2026-01-14 03:30:00', 'AI1 high')"));
        q.exec(QStringLiteral("CREATE TABLE AuditLog (id INTEGER PRIMARY KEY, dateTime TEXT, user TEXT, what TEXT)"));
        q.exec(QStringLiteral("INSERT INTO AuditLog VALUES (1, '2026-01-14 03:31:00', 'admin', 'login'), "
                              "(2, '2026-01-14 03:32:00', 'admin', 'logout')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("log_writer"));
    return path;
}

// A recorder archive: Data with id, date, time and the given parameters
// ("AI1 value" and "AI2 value" unless named), the i-th row holding i and 2i
// in the first two and i in the others.
QString writeArchive(const QString &name, int rows,
                     const QStringList &parameters = {QStringLiteral("AI1 value"), QStringLiteral("AI2 value")})
{
    const QString path = QDir(QDir::tempPath()).filePath(name);
    QFile::remove(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("archive_writer"));
        db.setDatabaseName(path);
        if (!db.open())
            return QString();
        QSqlQuery q(db);
        QStringList columns;
        for (const QString &p : parameters)
            columns << sql::quoteIdentifier(p) + QStringLiteral(" TEXT");
        q.exec(QStringLiteral("CREATE TABLE Data (id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT, %1)")
                   .arg(columns.join(QStringLiteral(", "))));
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO Data (date, time, %1) VALUES (?, ?, %2)")
                      .arg(sql::quoteIdentifiers(parameters), sql::placeholders(parameters.size())));
        for (int i = 0; i < rows; ++i) {
            q.addBindValue(QStringLiteral("2026-01-14"));
            q.addBindValue(QTime(3, 30).addSecs(i).toString(QStringLiteral("HH:mm:ss.zzz")));
            for (int p = 0; p < parameters.size(); ++p)
                q.addBindValue(QString::number(p == 1 ? 2 * i : i));
            q.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("archive_writer"));
    return path;
}

// A settings file of the recorder: one table per section.
QString writeSettingsArchive(const QString &name, bool withTables)
{
    const QString path = QDir(QDir::tempPath()).filePath(name);
    QFile::remove(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("settings_writer"));
        db.setDatabaseName(path);
        if (!db.open())
            return QString();
        QSqlQuery q(db);
        if (withTables) {
            q.exec(QStringLiteral("CREATE TABLE \"Analog inputs information\" (Name TEXT, \"Display unit\" TEXT)"));
            q.exec(QStringLiteral("INSERT INTO \"Analog inputs information\" VALUES ('AI1', 'm3/h')"));
        } else {
            q.exec(QStringLiteral("PRAGMA user_version = 1"));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("settings_writer"));
    return path;
}

// Scripted answers that can also look at the program when a message is asked.
class WatchedPrompts : public ScriptedPrompts
{
public:
    std::function<void(const QString &title)> onMessage;

    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                        const QString &text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        if (onMessage)
            onMessage(title);
        return ScriptedPrompts::message(parent, icon, title, text, buttons, defaultButton);
    }
};

const QByteArray kSettingsCsv = "General settings\r\n"
                                "Name,Value\r\n"
                                "Interval, 10 s\r\n"
                                "Analog inputs information\r\n"
                                "Name,Display unit\r\n"
                                "AI1,m3/h\r\n";

} // namespace

class TestOpeningMoxB : public QObject
{
    Q_OBJECT

    WatchedPrompts *prompts = nullptr;

    void closeSession()
    {
        g_framework->closeOpenedFile();
        settle();
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new WatchedPrompts();
    }

    void cleanupTestCase()
    {
        closeSession();
        delete prompts;
    }

    void init()
    {
        closeSession();
        prompts->calls.clear();
        prompts->messageAnswers.clear();
        prompts->fileAnswers.clear();
        prompts->onMessage = nullptr;
        g_framework->loadingExample = false;
    }

    void dataCsv()
    {
        const QString path = writeTemp(QStringLiteral("2026-01-14_03_30_53.MoxBArch.csv"), moxbcsv::file(1200));
        QVERIFY(!path.isEmpty());
        QSignalSpy loaded(g_framework, &Framework::dataFileLoadedSuccessfully);
        prompts->messageAnswers << QMessageBox::No; // the settings-file offer

        g_framework->openFile(path, MoxB, MoxB_DATA_FILE_CSV, {});
        settle();

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), int(MoxB));
        QCOMPARE(s.fileName, path);
        QCOMPARE(s.views, Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewChart | Framework::SessionInfo::ViewReport
                              | Framework::SessionInfo::ViewCsvExport);
        auto *model = qobject_cast<moxbcsvtable *>(g_framework->tableModel);
        QVERIFY(model);
        QCOMPARE(model->thread(), qApp->thread());
        QTRY_VERIFY(model->rowCount() >= 1000);
        QCOMPARE(model->columnCount(), 63);
        QCOMPARE(model->data(model->index(0, 1)).toString(), QStringLiteral("2026-01-14"));
        model->setLoadAllData(true);
        QCOMPARE(model->rowCount(), 1200);
        QCOMPARE(g_framework->dataDatabase.path(),
                 ArchiveManager::tmpDatabasePath(QStringLiteral("Data_con")));

        QCOMPARE(loaded.count(), 1);
        QTRY_COMPARE(prompts->count(QStringLiteral("message")), 1);
        QCOMPARE(prompts->calls.last().title, QStringLiteral("Upload Setting File"));
        QCOMPARE(prompts->count(QStringLiteral("open")), 0);
    }

    void dataArchiveInPlace()
    {
        const QString path = writeArchive(QStringLiteral("2026-01-14.MoxBArch.sqlite3"), 1500);
        QVERIFY(!path.isEmpty());
        const QByteArray before = fileHash(path);
        QSignalSpy loaded(g_framework, &Framework::dataFileLoadedSuccessfully);
        prompts->messageAnswers << QMessageBox::No;

        g_framework->openFile(path, MoxB, MoxB_DATA_FILE_Sqlite3, {});
        settle();

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(s.views, Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewChart | Framework::SessionInfo::ViewReport
                              | Framework::SessionInfo::ViewCsvExport);
        auto *model = qobject_cast<MoxBTableModel *>(g_framework->tableModel);
        QVERIFY(model);
        QTRY_VERIFY(model->rowCount() >= 1000);
        QCOMPARE(model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("AI1 value"));
        model->setGroupByDate(true); // flips to descending
        QCOMPARE(model->data(model->index(0, 0)).toString(), QStringLiteral("1500"));
        QCOMPARE(g_framework->dataDatabase.path(), path);
        QCOMPARE(loaded.count(), 1);

        closeSession();
        QCOMPARE(fileHash(path), before);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    }

    // Settings loaded beside an archive renew the archive's own kind of
    // report model, whichever form the settings file has: the report reads
    // the archive's table Data, which a CSV report would not find.
    void archiveSettingsKeepTheArchiveReport_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::newRow("SQLite settings") << writeSettingsArchive(QStringLiteral("settings.MoxBArch.arch.sqlite3"), true);
        QTest::newRow("CSV settings") << writeTemp(QStringLiteral("settings.MoxBArch.arch.csv"), kSettingsCsv);
    }

    void archiveSettingsKeepTheArchiveReport()
    {
        QFETCH(QString, settings);
        const QString path = writeArchive(QStringLiteral("2026-01-15.MoxBArch.sqlite3"), 120);
        const QByteArray before = fileHash(path);
        prompts->messageAnswers << QMessageBox::Yes;
        prompts->fileAnswers << settings;
        g_framework->openFile(path, MoxB, MoxB_DATA_FILE_Sqlite3, {});
        settle();
        QTRY_VERIFY(g_framework->getSessionInfo().fileName == settings);
        QVERIFY(g_framework->getSessionInfo().views & Framework::SessionInfo::ViewSettingsMoxB);

        auto *report = qobject_cast<moxbreportmodel *>(g_framework->reportModel);
        QVERIFY(report);
        QCOMPARE(report->getParametersFullName(), (QStringList{"AI1 value", "AI2 value"}));
        report->appendReportParam(1);
        report->setGroupingType(1);
        report->setAggregationType(2);
        report->updateQuery(0);
        QCOMPARE(report->rowCount(), 1);
        QCOMPARE(report->getReportRows().first().at(2), QStringLiteral("238.00"));

        closeSession();
        QCOMPARE(fileHash(path), before);
    }

    // The offer comes once the data file's session has started and its open
    // task has ended: a settings file chosen at once is never opened while
    // the data file is still being read (the data task, ending last, took
    // the session back, and both tasks worked on the settings connection at
    // once). Each pair is run many times, as the old race showed about once
    // in thirty runs.
    void settingsOfferAfterTheDataSession_data()
    {
        QTest::addColumn<int>("dataKind");
        QTest::addColumn<QString>("settings");
        const QString sqlite = writeSettingsArchive(QStringLiteral("settings.MoxBArch.offer.sqlite3"), true);
        const QString csv = writeTemp(QStringLiteral("settings.MoxBArch.offer.csv"), kSettingsCsv);
        QTest::newRow("archive, SQLite settings") << int(MoxB_DATA_FILE_Sqlite3) << sqlite;
        QTest::newRow("archive, CSV settings") << int(MoxB_DATA_FILE_Sqlite3) << csv;
        QTest::newRow("CSV, SQLite settings") << int(MoxB_DATA_FILE_CSV) << sqlite;
        QTest::newRow("CSV, CSV settings") << int(MoxB_DATA_FILE_CSV) << csv;
    }

    void settingsOfferAfterTheDataSession()
    {
        QFETCH(int, dataKind);
        QFETCH(QString, settings);
        QVERIFY(!settings.isEmpty());
        const QString data = dataKind == MoxB_DATA_FILE_Sqlite3
                                 ? writeArchive(QStringLiteral("offer.MoxBArch.sqlite3"), 300)
                                 : writeTemp(QStringLiteral("offer.MoxBArch.csv"), moxbcsv::file(300));
        QVERIFY(!data.isEmpty());
        QString atOffer;
        bool openingData = false;
        prompts->onMessage = [&atOffer, &data, &openingData](const QString &title) {
            if (title != QLatin1String("Upload Setting File"))
                return;
            const Framework::SessionInfo s = g_framework->getSessionInfo();
            auto yesNo = [](bool b) { return QLatin1String(b ? "yes" : "no"); };
            atOffer = QStringLiteral("session open %1, on the data file %2, inside its open %3")
                          .arg(yesNo(s.isOpen), yesNo(s.fileName == data), yesNo(openingData));
        };
        for (int run = 0; run < 15; ++run) {
            closeSession();
            atOffer.clear();
            prompts->messageAnswers << QMessageBox::Yes;
            prompts->fileAnswers << settings;
            openingData = true;
            g_framework->openFile(data, MoxB, dataKind, {});
            openingData = false;
            settle();
            QTRY_COMPARE(g_framework->getSessionInfo().fileName, settings);
            settle();
            QCOMPARE(atOffer, QStringLiteral("session open yes, on the data file yes, inside its open no"));
            const Framework::SessionInfo s = g_framework->getSessionInfo();
            QVERIFY(s.isOpen);
            QCOMPARE(s.views, Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewChart
                                  | Framework::SessionInfo::ViewReport | Framework::SessionInfo::ViewCsvExport
                                  | Framework::SessionInfo::ViewSettingsMoxB);
            QCOMPARE(g_framework->mainWindow->windowTitle(), settings + QStringLiteral(" - Quorlog"));
            QVERIFY(g_framework->tableModel);
            g_framework->tableModel->setLoadAllData(true);
            QCOMPARE(g_framework->tableModel->rowCount(), 300);
            QVERIFY(g_framework->moxbManager);
            QVERIFY(!g_framework->moxbManager->fetchTables().isEmpty());
            QCOMPARE(prompts->count(QStringLiteral("message")), run + 1);
        }
        prompts->onMessage = nullptr;
        g_framework->closeMoxBDataConnection();
    }

    // The recorder's settings beside its data give the report and the chart
    // legend each channel's display unit, found by the channel's exact name.
    void settingsUnitsReachTheReport_data()
    {
        QTest::addColumn<int>("dataKind");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("units");
        QTest::newRow("archive") << int(MoxB_DATA_FILE_Sqlite3)
                                 << QStringList{"AI1 [m3/h]", "AI2 [bar]", "AI3", "AI10", "TOT3 [m3]", "MB1 [kW]"}
                                 << QStringList{"m3/h", "bar", "", "", "m3", "kW"};
        QStringList names, units;
        for (const QString &title : moxbcsv::channelTitles()) {
            const QString channel = title.section(QLatin1Char(':'), 0, 0);
            const QString unit = channel == QLatin1String("AI1")    ? QStringLiteral("m3/h")
                                 : channel == QLatin1String("AI2")  ? QStringLiteral("bar")
                                 : channel == QLatin1String("TOT3") ? QStringLiteral("m3")
                                                                    : QString();
            names << (unit.isEmpty() ? title : title + QStringLiteral(" [") + unit + QLatin1Char(']'));
            units << unit;
        }
        QTest::newRow("CSV") << int(MoxB_DATA_FILE_CSV) << names << units;
    }

    void settingsUnitsReachTheReport()
    {
        QFETCH(int, dataKind);
        QFETCH(QStringList, names);
        QFETCH(QStringList, units);
        const QString settings = QStringLiteral(QUORLOG_TEST_DATA "/moxb/settings.MoxBArch.csv");
        QVERIFY(QFile::exists(settings));
        QString data;
        if (dataKind == MoxB_DATA_FILE_CSV) {
            data = writeTemp(QStringLiteral("units.MoxBArch.csv"), moxbcsv::file(40));
        } else {
            data = writeArchive(QStringLiteral("units.MoxBArch.sqlite3"), 120,
                                {"AI1", "AI2", "AI3", "AI10", "TOT3", "MB1"});
        }
        QVERIFY(!data.isEmpty());
        prompts->messageAnswers << QMessageBox::Yes;
        prompts->fileAnswers << settings;
        g_framework->openFile(data, MoxB, dataKind, {});
        settle();
        QTRY_COMPARE(g_framework->getSessionInfo().fileName, settings);
        QVERIFY(g_framework->getSessionInfo().views & Framework::SessionInfo::ViewSettingsMoxB);

        QVERIFY(g_framework->reportModel);
        const QStringList offered = g_framework->reportModel->getParametersFullName();
        QCOMPARE(offered, names);
        QVERIFY(g_framework->chartModel->loadNamesDB());
        QCOMPARE(g_framework->chartModel->paramUnitsList, units);

        // A report's columns carry the unit too.
        g_framework->reportModel->appendReportParam(0);
        g_framework->reportModel->setGroupingType(1);
        g_framework->reportModel->setAggregationType(2);
        g_framework->reportModel->updateQuery(0);
        QVERIFY(g_framework->reportModel->columnCount() > 2);
        QCOMPARE(g_framework->reportModel->headerData(2, Qt::Horizontal).toString(), names.first() + " MAX");
        g_framework->closeMoxBDataConnection();
    }

    void logArchiveInPlace_data()
    {
        QTest::addColumn<int>("sourceType");
        QTest::addColumn<QString>("className");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::newRow("audit") << int(MoxB_AUDIT_FILE_Sqlite3) << "moxbaudittable" << 2 << 4;
        QTest::newRow("alarm") << int(MoxB_ALARM_FILE_Sqlite3) << "moxbalarmtable" << 1 << 3;
    }

    void logArchiveInPlace()
    {
        QFETCH(int, sourceType);
        QFETCH(QString, className);
        QFETCH(int, rows);
        QFETCH(int, columns);
        const QString path = writeLogFile(QStringLiteral("2026-01-14.MoxBLog.SQLITE3"));
        QVERIFY(!path.isEmpty());
        const QByteArray before = fileHash(path);

        g_framework->openFile(path, MoxB, sourceType, {});
        settle();

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(s.views, Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewCsvExport);
        auto *model = qobject_cast<MoxBLogTable *>(g_framework->tableModel);
        QVERIFY(model);
        QCOMPARE(QString(model->metaObject()->className()), className);
        QTRY_COMPARE(model->rowCount(), rows);
        QCOMPARE(model->columnCount(), columns);
        QCOMPARE(model->getColumnNames().size(), columns);
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);

        closeSession();
        QCOMPARE(fileHash(path), before);
    }

    void failuresLeaveNoSession_data()
    {
        QTest::addColumn<int>("sourceType");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message"); // the one message box, if any
        QTest::newRow("missing archive") << int(MoxB_DATA_FILE_Sqlite3)
                                         << QDir(QDir::tempPath()).filePath(QStringLiteral("none.sqlite3")) << QString();
        QTest::newRow("missing CSV") << int(MoxB_DATA_FILE_CSV)
                                     << QDir(QDir::tempPath()).filePath(QStringLiteral("none.csv")) << QString();
        QTest::newRow("log without .sqlite3") << int(MoxB_ALARM_FILE_Sqlite3) << writeLogFile(QStringLiteral("log.db"))
                                              << QString();
        QTest::newRow("missing log") << int(MoxB_AUDIT_FILE_Sqlite3)
                                     << QDir(QDir::tempPath()).filePath(QStringLiteral("none.sqlite3")) << QString();
        // A title given twice: the table cannot be made, and the user is told
        // which column it is.
        QTest::newRow("CSV refused by the database")
            << int(MoxB_DATA_FILE_CSV)
            << writeTemp(QStringLiteral("twice.csv"), "record,date,time,a,a,\r\n1,d,t,1,2,\r\n")
            << QStringLiteral("The header names the column a twice.");
    }

    void failuresLeaveNoSession()
    {
        QFETCH(int, sourceType);
        QFETCH(QString, path);
        QFETCH(QString, message);
        QSignalSpy loaded(g_framework, &Framework::dataFileLoadedSuccessfully);
        g_framework->openFile(path, MoxB, sourceType, {});
        settle();
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!g_framework->tableModel);
        QCOMPARE(loaded.count(), 0);
        QCOMPARE(prompts->count(QStringLiteral("message")), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(prompts->calls.last().text, message);
    }

    // A file named like one of the recorder's SQLite files that is not one
    // is refused with a message, before any session or offer, and stays as
    // it was (no journal beside it either).
    void notOfTheKindIsRefused_data()
    {
        QTest::addColumn<int>("sourceType");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QByteArray text = "this is not a database\n";
        const QString archive = QStringLiteral("The file %1 is not a recorder archive.");
        const QString audit = QStringLiteral("The file %1 is not a recorder audit log.");
        const QString alarm = QStringLiteral("The file %1 is not a recorder alarm log.");
        QTest::newRow("text as data") << int(MoxB_DATA_FILE_Sqlite3)
                                      << writeTemp(QStringLiteral("garbage.MoxBArch.sqlite3"), text) << archive;
        QTest::newRow("empty file as data") << int(MoxB_DATA_FILE_Sqlite3)
                                            << writeTemp(QStringLiteral("empty.MoxBArch.sqlite3"), QByteArray())
                                            << archive;
        QTest::newRow("a log as data") << int(MoxB_DATA_FILE_Sqlite3)
                                       << writeLogFile(QStringLiteral("logs.MoxBArch.sqlite3")) << archive;
        QTest::newRow("text as audit log") << int(MoxB_AUDIT_FILE_Sqlite3)
                                           << writeTemp(QStringLiteral("garbage_audit.log.sqlite3"), text) << audit;
        QTest::newRow("text as alarm log") << int(MoxB_ALARM_FILE_Sqlite3)
                                           << writeTemp(QStringLiteral("garbage_alarm.log.sqlite3"), text) << alarm;
        QTest::newRow("archive as audit log")
            << int(MoxB_AUDIT_FILE_Sqlite3) << writeArchive(QStringLiteral("data_audit.log.sqlite3"), 3) << audit;
        QTest::newRow("archive as alarm log")
            << int(MoxB_ALARM_FILE_Sqlite3) << writeArchive(QStringLiteral("data_alarm.log.sqlite3"), 3) << alarm;
    }

    void notOfTheKindIsRefused()
    {
        QFETCH(int, sourceType);
        QFETCH(QString, path);
        QFETCH(QString, message);
        QVERIFY(!path.isEmpty());
        const QByteArray before = fileBytes(path);
        QSignalSpy loaded(g_framework, &Framework::dataFileLoadedSuccessfully);

        g_framework->openFile(path, MoxB, sourceType, {});
        settle();

        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!g_framework->tableModel && !g_framework->chartModel && !g_framework->reportModel);
        QCOMPARE(loaded.count(), 0);
        QTRY_COMPARE(prompts->count(QStringLiteral("message")), 1);
        QCOMPARE(prompts->calls.last().text, message.arg(QDir::toNativeSeparators(path)));
        QVERIFY(!Connections::contains(QStringLiteral("Data_con")));
        QCOMPARE(fileBytes(path), before);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    }

    // The offer answered with a settings file loads it beside the data.
    void settingsOfferLoadsIntoTheSession_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("table");
        QTest::newRow("SQLite") << writeSettingsArchive(QStringLiteral("settings.MoxBArch.sqlite3"), true)
                                << "Analog inputs information";
        QTest::newRow("CSV") << writeTemp(QStringLiteral("settings.MoxBArch.csv"), kSettingsCsv)
                             << "General settings";
        // An English settings file has a section titled like an application
        // table; the session's own settings database holds no such table.
        QTest::newRow("CSV with Parameters")
            << writeTemp(QStringLiteral("settings.MoxBArch.params.csv"),
                         moxbsettings::csv(moxbsettings::sections(moxbsettings::Language::English, {QStringLiteral("1")})))
            << "Parameters";
    }

    void settingsOfferLoadsIntoTheSession()
    {
        QFETCH(QString, settings);
        QFETCH(QString, table);
        QVERIFY(!settings.isEmpty());
        const QString data = writeTemp(QStringLiteral("data.MoxBArch.csv"), moxbcsv::file(5));
        prompts->messageAnswers << QMessageBox::Yes;
        prompts->fileAnswers << settings;

        g_framework->openFile(data, MoxB, MoxB_DATA_FILE_CSV, {});
        settle();
        QTRY_VERIFY(g_framework->getSessionInfo().fileName == settings);

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(s.views, Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewChart | Framework::SessionInfo::ViewReport
                              | Framework::SessionInfo::ViewCsvExport
                              | Framework::SessionInfo::ViewSettingsMoxB);
        // The data file's table stays the session's.
        auto *model = qobject_cast<moxbcsvtable *>(g_framework->tableModel);
        QVERIFY(model);
        QCOMPARE(model->rowCount(), 5);
        // A new report model over the data file's table, of the data file's kind.
        auto *report = qobject_cast<moxbcsvreport *>(g_framework->reportModel);
        QVERIFY(report);
        QCOMPARE(report->thread(), qApp->thread());
        QCOMPARE(report->getParametersFullName().size(), moxbcsv::channelTitles().size());
        QVERIFY(qobject_cast<moxbcsvchart *>(g_framework->chartModel));
        QCOMPARE(g_framework->dataDatabase.path(),
                 ArchiveManager::tmpDatabasePath(QStringLiteral("Data_con")));
        QVERIFY(g_framework->moxbManager);
        QVERIFY(g_framework->moxbManager->fetchTables().contains(table));
        // The temporary database's own schema is gone; only the file's sections remain.
        if (table != QLatin1String("Parameters"))
            QVERIFY(!g_framework->moxbManager->fetchTables().contains(QStringLiteral("Parameters")));
        {
            // The settings page shows the file's sections through the session's manager.
            SettingsMoxBPage page(nullptr);
            page.onTableSelected(table);
            auto *view = page.findChild<QTableView *>(QStringLiteral("SettingsView"));
            QVERIFY(view && view->model());
            QVERIFY(view->model()->columnCount() > 0);
        }
        g_framework->closeMoxBDataConnection();
    }

    // A settings file that holds no section, a SQLite one without its
    // suffix, or one whose temporary database cannot be made: only the
    // settings are refused, the data session stays as it was in every part
    // the window shows, and File > Close still closes it.
    void settingsFailureKeepsTheDataSession_data()
    {
        QTest::addColumn<int>("sourceType");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("blockTmpDb");
        QTest::newRow("no tables") << int(MoxB_SETTING_FILE_Sqlite3)
                                   << writeSettingsArchive(QStringLiteral("settings.MoxBArch.empty.sqlite3"), false)
                                   << false;
        QTest::newRow("suffix") << int(MoxB_SETTING_FILE_Sqlite3)
                                << writeSettingsArchive(QStringLiteral("settings.MoxBArch.db"), true) << false;
        QTest::newRow("empty CSV") << int(MoxB_SETTING_FILE_CSV)
                                   << writeTemp(QStringLiteral("settings.MoxBArch.empty.csv"), QByteArray()) << false;
        QTest::newRow("no temporary database for the CSV")
            << int(MoxB_SETTING_FILE_CSV) << writeTemp(QStringLiteral("settings.MoxBArch.tmp.csv"), kSettingsCsv)
            << true;
        QTest::newRow("not a database") << int(MoxB_SETTING_FILE_Sqlite3)
                                        << writeTemp(QStringLiteral("settings.MoxBArch.junk.sqlite3"),
                                                     "this is not a database\n")
                                        << false;
    }

    void settingsFailureKeepsTheDataSession()
    {
        QFETCH(int, sourceType);
        QFETCH(QString, settings);
        QFETCH(bool, blockTmpDb);
        const QString data = writeTemp(QStringLiteral("data2.MoxBArch.csv"), moxbcsv::file(5));
        prompts->messageAnswers << QMessageBox::No;
        g_framework->openFile(data, MoxB, MoxB_DATA_FILE_CSV, {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        MainWindow *window = g_framework->mainWindow.data();
        window->changePage(MainWindow::TABLE_VIEW_PAGE);
        auto *tableView = window->cachedPages().value(MainWindow::TABLE_VIEW_PAGE)->findChild<QTableView *>();
        QVERIFY(tableView && tableView->model());
        MyAbstractTableModel *model = g_framework->tableModel;
        AbstractReportModel *report = g_framework->reportModel;
        const quint32 views = g_framework->getSessionInfo().views;
        const QString shown = windowState();
        QVERIFY2(shown.startsWith(data + QStringLiteral(" - Quorlog")), qPrintable(shown));
        const int messages = prompts->count(QStringLiteral("message"));
        const QByteArray settingsBytes = fileBytes(settings);

        // A folder where the temporary database's file goes cannot be removed.
        const QString blocker = ArchiveManager::tmpDatabasePath(QStringLiteral("Data_con_1"));
        if (blockTmpDb) {
            QFile::remove(blocker);
            QVERIFY(QDir().mkpath(blocker + QStringLiteral("/inside")));
        }
        g_framework->openFile(settings, MoxB, sourceType, {});
        settle();
        if (blockTmpDb)
            QVERIFY(QDir(blocker).removeRecursively());

        QVERIFY(g_framework->getSessionInfo().isOpen);
        QCOMPARE(g_framework->getSessionInfo().fileName, data);
        QCOMPARE(g_framework->tableModel, model);
        QCOMPARE(g_framework->reportModel, report);
        QCOMPARE(g_framework->getSessionInfo().views, views);
        QVERIFY(!(views & Framework::SessionInfo::ViewSettingsMoxB));
        QCOMPARE(windowState(), shown);
        QCOMPARE(model->rowCount(), 5);
        // The table page still shows the data, over a working connection.
        QCOMPARE(window->cachedPages().value(MainWindow::TABLE_VIEW_PAGE)->findChild<QTableView *>(), tableView);
        QVERIFY(tableView->model());
        model->setLoadAllData(true);
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(model->data(model->index(4, 1)).toString(), QStringLiteral("2026-01-14"));
        // Only the settings are refused, and the user is told so.
        QTRY_COMPARE(prompts->count(QStringLiteral("message")), messages + 1);
        QCOMPARE(prompts->calls.last().text,
                 QStringLiteral("The settings file %1 could not be read; the data stay open.")
                     .arg(QDir::toNativeSeparators(settings)));
        QVERIFY(!Connections::contains(QStringLiteral("Data_con_1")));
        QCOMPARE(fileBytes(settings), settingsBytes);

        // File > Close ends the session the window shows.
        QVERIFY(window->findChild<QAction *>(QStringLiteral("actionClosedata"))->isEnabled());
        window->findChild<QAction *>(QStringLiteral("actionClosedata"))->trigger();
        settle();
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!g_framework->tableModel);
        QCOMPARE(window->windowTitle(), QStringLiteral("Quorlog"));
        QVERIFY(!window->findChild<QAction *>(QStringLiteral("actionClosedata"))->isEnabled());
    }

    // The guide's word on recorder report intervals, checked on the example
    // it names: the first sample is at 03:30:36.5, and intervals start at
    // that sample's minute.
    void exampleReportIntervalsAsTheGuideSays_data()
    {
        QTest::addColumn<int>("grouping");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QStringList>("first"); // start and end of the first rows
        QTest::newRow("every minute") << 0 << 1
                                      << QStringList{"2026-01-14 03:30:00", "2026-01-14 03:30:59",
                                                     "2026-01-14 03:31:00", "2026-01-14 03:31:59"};
        QTest::newRow("hourly") << 1 << 60 << QStringList{"2026-01-14 03:30:00", "2026-01-14 04:29:59"};
    }

    void exampleReportIntervalsAsTheGuideSays()
    {
        QFETCH(int, grouping);
        QFETCH(int, minutes);
        QFETCH(QStringList, first);
        g_framework->mainWindow->loadExample(MoxB);
        settle();
        QTRY_VERIFY(g_framework->getSessionInfo().isOpen);
        AbstractReportModel *report = g_framework->reportModel;
        QVERIFY(report);
        report->appendReportParam(0);
        report->setGroupingType(grouping);
        report->setIntervalMinutes(minutes);
        report->setAggregationType(2);
        report->setReportOptions(grouping == 0, grouping == 1, false, false, minutes);
        report->updateQuery(0);
        const QVector<QVector<QString>> rows = report->getReportRows();
        QStringList got;
        for (int i = 0; i < rows.size() && got.size() < first.size(); ++i)
            got << rows.at(i).at(0) << rows.at(i).at(1);
        QCOMPARE(got, first);

        // Both languages of the guide give these intervals for the example.
        for (const char *guide : {":/guide/_resources/guide/guide_en.html", ":/guide/_resources/guide/guide_pl.html"}) {
            QFile f{QString::fromLatin1(guide)};
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(f.readAll()).simplified();
            QVERIFY2(text.contains(QStringLiteral("03:30:36")), guide);
            const QString interval = first.at(0).mid(11) + QStringLiteral("&ndash;") + first.at(1).mid(11);
            QVERIFY2(text.contains(interval), qPrintable(interval));
        }
    }

    // The refusals and import messages have their Polish texts.
    void messagesInPolish_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("archive") << "The file %1 is not a recorder archive.";
        QTest::newRow("audit log") << "The file %1 is not a recorder audit log.";
        QTest::newRow("alarm log") << "The file %1 is not a recorder alarm log.";
        QTest::newRow("settings") << "The settings file %1 could not be read; the data stay open.";
        QTest::newRow("no parameters")
            << "The settings file %1 has no parameters section (\"Parameters\" or \"Parametry\").";
        QTest::newRow("no stored settings")
            << "The file %1 is no settings file (.sqlite3 or .csv), and the database holds no settings of an "
               "earlier import (ParametersSettings) to take the units from.";
    }

    void messagesInPolish()
    {
        QFETCH(QString, text);
        QTranslator polish;
        QVERIFY(polish.load(QStringLiteral("qrlg_pl.qm"), QDir::currentPath()));
        const QString translated = polish.translate("Framework", text.toUtf8().constData());
        QVERIFY2(!translated.isEmpty() && translated != text, qPrintable(text));
        QVERIFY(translated.contains(QStringLiteral("%1")));
    }

    // The example opens without the offer; the next data file gets it.
    void exampleSkipsTheOfferOnce()
    {
        g_framework->mainWindow->loadExample(MoxB);
        settle();
        QTRY_VERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY(qobject_cast<moxbcsvtable *>(g_framework->tableModel));
        QVERIFY(g_framework->tableModel->rowCount() > 0);
        QCOMPARE(g_framework->getSessionInfo().views,
                 Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewChart
                     | Framework::SessionInfo::ViewReport | Framework::SessionInfo::ViewCsvExport);
        settle();
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
        QVERIFY(!g_framework->loadingExample);

        closeSession();
        const QString path = writeTemp(QStringLiteral("again.MoxBArch.csv"), moxbcsv::file(3));
        prompts->messageAnswers << QMessageBox::No;
        g_framework->openFile(path, MoxB, MoxB_DATA_FILE_CSV, {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QTRY_COMPARE(prompts->count(QStringLiteral("message")), 1);
    }
};

QUORLOG_TEST_MAIN(TestOpeningMoxB)
#include "tst_openingmoxb.moc"
