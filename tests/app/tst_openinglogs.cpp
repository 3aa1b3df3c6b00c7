// Opening event logs: the analysers' audit, dip and swell and alarm logs and
// the recorder's audit and alarm CSV logs each open into a session of their
// type with a table alone, over their own temporary database.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "app/SourceTypeFile.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "readers/moxbdatabasemanager.h"
#include "tables/ZelCEventTableModel.h"
#include "tables/moxbeventcsv.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

const QByteArray kTabLog = "2022-04-24\t02:07:28.125\tFirst\t\r\n"
                           "2022-04-24\t02:07:29.5\tSecond\t\r\n";
const QByteArray kTabLogSeconds = "2022-04-24\t02:07:28\tFirst\t\r\n"
                                  "2022-04-24\t02:07:29\tSecond\t\r\n";
const QByteArray kCsvLog = "Date,Time,Event\r\n"
                           "2024-01-02,10:00:00,Door open\r\n"
                           "2024-01-02,10:05:00,Door closed\r\n";

} // namespace

class TestOpeningLogs : public QObject
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

    void init() { closeSession(); }

    void eventLogs_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("sourceType");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("tmpDb");
        QTest::addColumn<bool>("zelcModel");
        QTest::newRow("ZelC audit") << int(ZelC) << int(ZelC_AUDIT_FILE) << kTabLogSeconds << "ZelCAudit" << true;
        QTest::newRow("ZelD dip and swell")
            << int(ZelD) << int(ZelC_DEEP_SWELL_FILE) << kTabLog << "ZelCDipSwell" << true;
        // The alarm log shares the dip and swell log's temporary database.
        QTest::newRow("ZelDX alarm") << int(ZelDX) << int(ZelC_ALARM_FILE) << kTabLogSeconds << "ZelCDipSwell" << true;
        QTest::newRow("MoxB audit CSV") << int(MoxB) << int(MoxB_AUDIT_FILE_CSV) << kCsvLog << "MoxBEvent" << false;
        QTest::newRow("MoxB alarm CSV") << int(MoxB) << int(MoxB_ALARM_FILE_CSV) << kCsvLog << "MoxBEvent" << false;
    }

    void eventLogs()
    {
        QFETCH(int, type);
        QFETCH(int, sourceType);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, tmpDb);
        QFETCH(bool, zelcModel);
        const QString path = writeTemp(QStringLiteral("events_%1_%2.csv").arg(type).arg(sourceType), bytes);
        QVERIFY(!path.isEmpty());

        g_framework->openFile(path, avaibleDevices_t(type), sourceType, {});
        settle();

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), type);
        QCOMPARE(s.fileName, path);
        // A table alone: no chart, no report, no CSV export.
        QCOMPARE(s.views, Framework::SessionInfo::ViewTable);
        QVERIFY(!g_framework->chartModel);
        QVERIFY(!g_framework->reportModel);
        QVERIFY(g_framework->tableModel);
        if (zelcModel)
            QVERIFY(qobject_cast<ZelCEventTableModel *>(g_framework->tableModel));
        else
            QVERIFY(qobject_cast<moxbeventcsv *>(g_framework->tableModel));
        QCOMPARE(g_framework->tableModel->thread(), qApp->thread());
        QCOMPARE(g_framework->tableModel->rowCount(), 2);
        QCOMPARE(g_framework->dataDatabase.path(),
                 ArchiveManager::tmpDatabasePath(tmpDb));
        if (!zelcModel)
            QCOMPARE(g_framework->tableModel->data(g_framework->tableModel->index(1, 2)).toString(),
                     QStringLiteral("Door closed"));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }

    // Kinds without a reader in this build, and kinds the family does not
    // have, leave no session.
    void otherKindsLeaveNoSession_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("sourceType");
        QTest::newRow("ZelC kind 0") << int(ZelC) << 0;
        QTest::newRow("ZelC kind 5") << int(ZelC) << 5;
        QTest::newRow("MoxB kind 0") << int(MoxB) << 0;
        QTest::newRow("MoxB kind 9") << int(MoxB) << 9;
    }

    void otherKindsLeaveNoSession()
    {
        QFETCH(int, type);
        QFETCH(int, sourceType);
        const QString path = writeTemp(QStringLiteral("other.csv"), kCsvLog);
        g_framework->openFile(path, avaibleDevices_t(type), sourceType, {});
        settle();
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!g_framework->tableModel);
    }

    // A log the reader cannot open ends without a session.
    void missingLog()
    {
        g_framework->openFile(QDir(QDir::tempPath()).filePath(QStringLiteral("no_such_audit.csv")), ZelC,
                              ZelC_AUDIT_FILE, {});
        settle();
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!g_framework->tableModel);
        QVERIFY(!g_framework->dataDatabase.isValid());
    }

    // Closing the recorder's settings connection: the manager lets go of it
    // and the connection is gone; without one there is nothing to close.
    void closeMoxBDataConnection()
    {
        const QString name = QStringLiteral("Data_con_1");
        QVERIFY(!g_framework->closeMoxBDataConnection());
        const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("settings_close.sqlite3"));
        QFile::remove(path);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE \"General settings\" (k TEXT)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("make"));
        moxbdatabasemanager *manager = g_framework->moxbManager;
        QVERIFY(manager->openDatabase(path));
        QVERIFY(manager->database().isOpen());
        QVERIFY(g_framework->closeMoxBDataConnection());
        QVERIFY(!Connections::contains(name));
        QVERIFY(!manager->ownsConnection());
        QVERIFY(!manager->database().isValid());
        QVERIFY(!g_framework->closeMoxBDataConnection());
    }
};

QUORLOG_TEST_MAIN(TestOpeningLogs)
#include "tst_openinglogs.moc"
