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
#include "common/Prompts.h"
#include "charts/moxbcsvchart.h"
#include "readers/moxbdatabasemanager.h"
#include "reports/RecorderReportModel.h"
#include "tables/MoxBTableModel.h"
#include "tables/moxbcsvtable.h"
#include "tables/moxblogtable.h"
#include "tables/SettingsMoxBPage.h"

#include <QTableView>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

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

QString writeArchive(const QString &name, int rows)
{
    const QString path = QDir(QDir::tempPath()).filePath(name);
    QFile::remove(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("archive_writer"));
        db.setDatabaseName(path);
        if (!db.open())
            return QString();
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE Data (id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT, "
                              "\"AI1 value\" TEXT, \"AI2 value\" TEXT)"));
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO Data (date, time, \"AI1 value\", \"AI2 value\") VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < rows; ++i) {
            q.addBindValue(QStringLiteral("2026-01-14"));
            q.addBindValue(QTime(3, 30).addSecs(i).toString(QStringLiteral("HH:mm:ss.zzz")));
            q.addBindValue(QString::number(i));
            q.addBindValue(QString::number(2 * i));
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

    ScriptedPrompts *prompts = nullptr;

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
        prompts = new ScriptedPrompts();
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
        QCOMPARE(g_framework->dataDatabase.databaseName(),
                 QDir(QDir::tempPath()).filePath(QStringLiteral("Data_con_TmpDb.sqlite")));

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
        QCOMPARE(g_framework->dataDatabase.databaseName(), path);
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
        QCOMPARE(g_framework->dataDatabase.databaseName(),
                 QDir(QDir::tempPath()).filePath(QStringLiteral("Data_con_TmpDb.sqlite")));
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

    // A settings file that holds no section, or a SQLite one without its
    // suffix, ends the whole session.
    void settingsFailureKeepsTheDataSession_data()
    {
        QTest::addColumn<int>("sourceType");
        QTest::addColumn<QString>("settings");
        QTest::newRow("no tables") << int(MoxB_SETTING_FILE_Sqlite3)
                                   << writeSettingsArchive(QStringLiteral("settings.MoxBArch.empty.sqlite3"), false);
        QTest::newRow("suffix") << int(MoxB_SETTING_FILE_Sqlite3)
                                << writeSettingsArchive(QStringLiteral("settings.MoxBArch.db"), true);
        QTest::newRow("empty CSV") << int(MoxB_SETTING_FILE_CSV)
                                   << writeTemp(QStringLiteral("settings.MoxBArch.empty.csv"), QByteArray());
    }

    void settingsFailureKeepsTheDataSession()
    {
        QFETCH(int, sourceType);
        QFETCH(QString, settings);
        const QString data = writeTemp(QStringLiteral("data2.MoxBArch.csv"), moxbcsv::file(5));
        prompts->messageAnswers << QMessageBox::No;
        g_framework->openFile(data, MoxB, MoxB_DATA_FILE_CSV, {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        MyAbstractTableModel *model = g_framework->tableModel;
        const quint32 views = g_framework->getSessionInfo().views;
        const int messages = prompts->count(QStringLiteral("message"));

        g_framework->openFile(settings, MoxB, sourceType, {});
        settle();
        // Only the settings are refused, and the user is told.
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QCOMPARE(g_framework->tableModel, model);
        QCOMPARE(g_framework->getSessionInfo().views, views);
        QVERIFY(!(views & Framework::SessionInfo::ViewSettingsMoxB));
        QCOMPARE(model->rowCount(), 5);
        QTRY_COMPARE(prompts->count(QStringLiteral("message")), messages + 1);
        QVERIFY(!Connections::contains(QStringLiteral("Data_con_1")));
        closeSession();
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
