// The open commands with the real session: each built-in example and a file
// chosen through "Select device" open into a session of their type whose
// table page shows the archive's rows; a new database replaces a file that
// the open session was reading.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/DeviceSelectDialog.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "tables/MyAbstractTableModel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>

namespace {

QString examplePath(avaibleDevices_t type)
{
    const QDir folder(QString::fromLatin1(DeviceSelectDialog::examplesFolder) + deviceTypeName(type));
    const QStringList files = folder.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    return files.isEmpty() ? QString() : folder.filePath(files.first());
}

// The analysers' SQLite examples are read from a copy, which the session names.
QString exampleSessionFile(avaibleDevices_t type)
{
    const QString path = examplePath(type);
    const bool sqliteArchive = (type == ZelC || type == ZelD || type == ZelDX)
        && !path.endsWith(QLatin1String(".pqd"), Qt::CaseInsensitive);
    return sqliteArchive ? QDir(ArchiveManager::scratchFolder()).filePath(QStringLiteral("temp_example_db.db")) : path;
}

} // namespace

class TestOpeningSession : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;

    MainWindow *window() { return g_framework->mainWindow.data(); }
    void closeSession()
    {
        window()->on_actionClosedata_triggered();
        settle();
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        settle();
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
    }

    void examples_data()
    {
        QTest::addColumn<int>("type");
        for (int type = ZelD; type <= MoxA; ++type)
            if (!examplePath(avaibleDevices_t(type)).isEmpty())
                QTest::newRow(qPrintable(deviceTypeName(avaibleDevices_t(type)))) << type;
    }

    // Each example opens into a session of its type with rows in its table.
    void examples()
    {
        QFETCH(int, type);
        window()->loadExample(avaibleDevices_t(type));
        settle();
        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), type);
        QCOMPARE(s.fileName, exampleSessionFile(avaibleDevices_t(type)));
        QVERIFY(s.hasView(Framework::SessionInfo::ViewTable));
        QVERIFY(g_framework->tableModel);
        QVERIFY(g_framework->tableModel->rowCount() > 0);
        QVERIFY(window()->windowTitle().endsWith(QStringLiteral(" - Quorlog")));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }

    // Help > Examples > ZelB, as a user clicks it.
    void examplesMenu()
    {
        prompts->execAnswers.enqueue([](QDialog *d) {
            d->findChild<QToolButton *>(QStringLiteral("ZelB_button"))->click();
            return int(QDialog::Rejected);
        });
        window()->findChild<QAction *>(QStringLiteral("actionExamples"))->trigger();
        settle();
        QCOMPARE(int(g_framework->getSessionInfo().deviceType), int(ZelB));
        QCOMPARE(g_framework->getSessionInfo().fileName, examplePath(ZelB));
    }

    // Select device > ZelB > a copy of the example on disk: the table page
    // shows its rows.
    void selectDeviceToTable()
    {
        const QString copy = QDir(QDir::tempPath()).filePath(QStringLiteral("zelb_copy.csv"));
        QFile::remove(copy);
        QVERIFY(QFile::copy(examplePath(ZelB), copy));
        prompts->execAnswers.enqueue([](QDialog *d) {
            d->findChild<QToolButton *>(QStringLiteral("ZelB_button"))->click();
            return int(QDialog::Rejected);
        });
        prompts->fileAnswers.enqueue(copy);
        window()->findChild<QToolButton *>(QStringLiteral("openDeviceButton"))->click();
        settle();

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), int(ZelB));
        QCOMPARE(window()->windowTitle(), copy + QStringLiteral(" - Quorlog"));
        QToolButton *tableButton = window()->findChild<QToolButton *>(QStringLiteral("tableViewButton"));
        QVERIFY(tableButton->isEnabled());
        tableButton->click();
        settle();
        QWidget *page = window()->cachedPages().value(MainWindow::TABLE_VIEW_PAGE);
        QVERIFY(page);
        QCOMPARE(window()->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentWidget(), page);
        QTableView *view = page->findChild<QTableView *>();
        QVERIFY(view);
        QVERIFY(view->model());
        QVERIFY(view->model()->rowCount() > 0);
    }

    // A new database over the file of the open session: the session ends
    // before the file is replaced, and the new file is handed to the open task.
    void newDatabaseOverSessionFile()
    {
        window()->loadExample(ZelB);
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        const QString sessionDb = g_framework->dataDatabase.path();
        QVERIFY(QFile::exists(sessionDb));

        prompts->fileAnswers.enqueue(sessionDb);
        prompts->messageAnswers.enqueue(QMessageBox::Yes);
        window()->on_newDatabaseButton_clicked();
        settle();

        QCOMPARE(prompts->count(QStringLiteral("message")), 1);
        // The new file is open as an application-database session.
        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), int(INTERNAL_DB));
        QCOMPARE(s.views, quint32(Framework::SessionInfo::ViewDataFilter));
        QCOMPARE(s.fileName, sessionDb);
        QCOMPARE(window()->windowTitle(), sessionDb + QStringLiteral(" - Quorlog"));
        // The file now holds the empty application schema, none of the rows
        // the old session had written into it.
        Connections::registerFile(QStringLiteral("check"), sessionDb);
        {
            QSqlDatabase db = Connections::database(QStringLiteral("check"));
            QVERIFY(db.isOpen());
            for (const char *table : {"Devices", "Parameters", "Data", "Events"}) {
                QSqlQuery q(db);
                QVERIFY2(q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))), table);
                QVERIFY(q.next());
                QCOMPARE(q.value(0).toInt(), 0);
            }
        }
        Connections::remove(QStringLiteral("check"));
    }
};

QUORLOG_TEST_MAIN(TestOpeningSession)
#include "tst_openingsession.moc"
