// Session lifecycle with the real readers: opening archives on the pool under
// the progress dialog, the success and failure tails, cancel, the models'
// thread and lifetime against the window's pages, closing, clearing foreign
// tables, and the flag mapping.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/ConsoleWidget.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/ProgressDialog.h"
#include "app/SessionModelKinds.h"
#include "common/TaskWindow.h"
#include "charts/AbstractChartModelMoxA.h"
#include "charts/AbstractChartModelMoxB.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "database/ArchiveManager.h"
#include "database/DatabaseStructure.h"
#include "readers/BrenaConfigWriter.h"
#include "readers/ZelBArchiveWriter.h"
#include "support/DbTestUtil.h"
#include "tables/BrenaFileWriter.h"
#include "tables/BrenaTableModel.h"
#include "tables/ui/TableViewPage.h"
#include "tables/TempDatabaseTableModel.h"
#include "tables/TempDatabaseTableModelMoxA.h"
#include "tables/TempDatabaseTableModelMoxB.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QtConcurrent>
#include <QSqlQuery>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

namespace {

struct ConsoleLine
{
    QString msg;
    int icon;
};

// Framework's console lines, recorded on whichever thread emits them.
class ConsoleRecorder : public QObject
{
public:
    explicit ConsoleRecorder(Framework *fw)
    {
        connect(
            fw, &Framework::consoleMessage, this,
            [this](const QString &msg, int icon) {
                QMutexLocker lock(&mutex);
                lines.append({msg, icon});
            },
            Qt::DirectConnection);
        connect(
            fw, &Framework::sessioneStarted, this,
            [this]() {
                QMutexLocker lock(&mutex);
                ++started;
            },
            Qt::DirectConnection);
    }
    QList<ConsoleLine> take()
    {
        QMutexLocker lock(&mutex);
        QList<ConsoleLine> out;
        out.swap(lines);
        return out;
    }
    int takeStarted()
    {
        QMutexLocker lock(&mutex);
        const int n = started;
        started = 0;
        return n;
    }

private:
    QMutex mutex;
    QList<ConsoleLine> lines;
    int started = 0;
};

QStringList messages(const QList<ConsoleLine> &lines)
{
    QStringList out;
    for (const ConsoleLine &l : lines)
        out << l.msg;
    return out;
}

QString tempPath(const QString &name)
{
    return QDir(QDir::tempPath()).filePath(name);
}

// A directory with something in it cannot be removed as a file (root can
// delete read-only files, so permissions would not do).
bool makeUndeletable(const QString &path)
{
    QFile::remove(path);
    QDir().mkpath(path);
    QFile f(QDir(path).filePath(QStringLiteral("keep")));
    return f.open(QIODevice::WriteOnly) && f.write("x") == 1;
}

void removeUndeletable(const QString &path)
{
    QDir(path).removeRecursively();
}

int countRows(const QString &connectionName, const QString &table)
{
    QSqlQuery q(Connections::database(connectionName));
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) || !q.next())
        return -1;
    return q.value(0).toInt();
}

quint32 standardViews(bool report)
{
    quint32 views = Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewCsvExport
                    | Framework::SessionInfo::ViewChart;
    if (report)
        views |= Framework::SessionInfo::ViewReport;
    return views;
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    ConsoleRecorder *recorder = nullptr;

    MainWindow *window() { return g_framework->mainWindow.data(); }
    QString windowConsoleText()
    {
        QTextEdit *edit = window()->consoleWidget()->findChild<QTextEdit *>();
        return edit ? edit->toPlainText() : QString();
    }
    void closeSession()
    {
        if (g_framework->getSessionInfo().isOpen)
            window()->on_actionClosedata_triggered();
        else
            g_framework->closeOpenedFile();
        settle();
        recorder->take();
        recorder->takeStarted();
    }
    void expectClosed()
    {
        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(!s.isOpen);
        QCOMPARE(s.views, 0u);
        QCOMPARE(int(s.deviceType), 0);
        QVERIFY(s.fileName.isEmpty());
        QVERIFY(!g_framework->tableModel);
        QVERIFY(!g_framework->chartModel);
        QVERIFY(!g_framework->reportModel);
        QVERIFY(!g_framework->dataDatabase.isValid());
    }
    QString writeZelB(const QString &name, int lines, int groups)
    {
        const QString path = tempPath(name);
        if (!zelb::writeArchive(path, lines, groups, QDateTime(QDate(2024, 3, 31), QTime(0, 30), Qt::UTC)))
            return QString();
        return path;
    }
    QString copyFixture(const QString &name)
    {
        const QString target = tempPath(name);
        QFile::remove(target);
        QFile::copy(QStringLiteral(QUORLOG_TEST_DATA "/readers/") + name, target);
        return target;
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        recorder = new ConsoleRecorder(g_framework);
    }

    void cleanupTestCase()
    {
        closeSession();
        delete recorder;
        delete prompts;
    }

    void init()
    {
        closeSession();
        prompts->calls.clear();
    }

    void textArchiveOpens_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("tmpDb");
        QTest::addColumn<bool>("report");
        QTest::newRow("ZelB") << int(ZelB) << "zelb_example.csv" << "ZelB" << true;
        QTest::newRow("Ostra") << int(Ostra) << "ostra_example.csv" << "ZelB" << true;
        QTest::newRow("Vanta") << int(Vanta) << "vanta_example.csv" << "ZelB" << true;
        QTest::newRow("ZelA") << int(ZelA) << "zela_example.csv" << "ZelA" << false;
        QTest::newRow("Ravel") << int(Ravel) << "ravel_example.csv" << "ZelA" << false;
        QTest::newRow("WexA") << int(WexA) << "wexa_r8000.d00" << "WexA" << false;
        // Built-in examples are opened straight from the resources.
        QTest::newRow("WexB") << int(WexB) << ":/examples/_resources/examples/WexB/2018_02.d00" << "WexA" << true;
        QTest::newRow("WexC") << int(WexC) << ":/examples/_resources/examples/WexC/2017_12.d00" << "WexA" << true;
        QTest::newRow("QuilA") << int(QuilA) << ":/examples/_resources/examples/QuilA/2015_09.d00" << "QuilA" << false;
        QTest::newRow("QuilBIoT") << int(QuilBIoT) << ":/examples/_resources/examples/QuilA/2015_09.d00" << "QuilA"
                                  << false;
        QTest::newRow("QuilC") << int(QuilC) << ":/examples/_resources/examples/QuilA/2015_09.d00" << "QuilA" << false;
    }

    // Each text archive opens into a session of its type over its own
    // temporary database, with the table model on the GUI thread.
    void textArchiveOpens()
    {
        QFETCH(int, type);
        QFETCH(QString, fixture);
        QFETCH(QString, tmpDb);
        QFETCH(bool, report);
        const QString path = fixture.startsWith(QLatin1Char(':')) ? fixture : copyFixture(fixture);
        QVERIFY(QFile::exists(path));

        g_framework->openFile(path, avaibleDevices_t(type), 0, {});
        settle();

        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), type);
        QCOMPARE(s.fileName, path);
        QCOMPARE(s.views, standardViews(report));
        QCOMPARE(recorder->takeStarted(), 1);
        QVERIFY(qobject_cast<TempDatabaseTableModel *>(g_framework->tableModel));
        QCOMPARE(g_framework->tableModel->thread(), qApp->thread());
        // The chart model is on the GUI thread and knows the reader's count.
        QVERIFY(g_framework->chartModel);
        QCOMPARE(g_framework->chartModel->thread(), qApp->thread());
        QVERIFY(g_framework->chartModel->totalRowCnt > 0);
        QCOMPARE(g_framework->dataDatabase.path(), ArchiveManager::tmpDatabasePath(tmpDb));

        // Every value the reader wrote is a row of the flat table.
        const int values = countRows(tmpDb, QStringLiteral("Data"));
        QVERIFY(values > 0);
        MyAbstractTableModel *model = g_framework->tableModel;
        while (model->canFetchMore(QModelIndex()))
            model->fetchMore(QModelIndex());
        QCOMPARE(model->rowCount(), values);

        const QList<ConsoleLine> lines = recorder->take();
        QVERIFY(lines.size() >= 2);
        QCOMPARE(lines.first().msg, QStringLiteral("Opening file: ") + path);
        QCOMPARE(lines.first().icon, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("^Session opened in: \\d+ ms$")).match(lines.last().msg).hasMatch(),
                 qPrintable(lines.last().msg));
        QCOMPARE(lines.last().icon, 1);
        QCOMPARE(window()->windowTitle(), path + QStringLiteral(" - Quorlog"));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }

    // A generated ZelB archive: the table shows lines x groups values, the
    // reader counted every line, the table page shows the session's model.
    void zelbArchiveInTablePage()
    {
        const QString path = writeZelB(QStringLiteral("small.csv"), 7, 3);
        QVERIFY(!path.isEmpty());
        g_framework->openFile(path, ZelB, 0, {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QCOMPARE(g_framework->tableModel->rowCount(), 21);
        QVERIFY(windowConsoleText().contains(QStringLiteral("Parse table data in: ")));

        window()->changePage(MainWindow::TABLE_VIEW_PAGE);
        auto *page = qobject_cast<TableViewPage *>(window()->cachedPages().value(MainWindow::TABLE_VIEW_PAGE));
        QVERIFY(page);
        QTableView *view = page->findChild<QTableView *>();
        QVERIFY(view);
        QCOMPARE(view->model(), static_cast<QAbstractItemModel *>(g_framework->tableModel));
        QCOMPARE(view->model()->rowCount(), 21);
    }

    // A header the reader rejects: the reader's own message, then the
    // failure tail; nothing of a session is left.
    void rejectedHeader()
    {
        const QString path = tempPath(QStringLiteral("bad.csv"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("this,is,not,an,archive,header,at all\r\n2024-01-01,00:00:00,1,1,7500,U,1\r\n");
        f.close();

        g_framework->openFile(path, ZelB, 0, {});
        settle();
        expectClosed();
        QCOMPARE(recorder->takeStarted(), 0);
        QCOMPARE(messages(recorder->take()),
                 (QStringList{QStringLiteral("Opening file: ") + path, QStringLiteral("File has invalid format!"),
                              QStringLiteral("Session closed")}));
        QCOMPARE(prompts->count(QStringLiteral("message")), 1);
        QCOMPARE(prompts->calls.last().text, QStringLiteral("File has invalid format!"));
    }

    void unnamedTypes_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("undefined") << 0;
        QTest::newRow("WexD") << 11;
        QTest::newRow("filtered MoxB") << 18;
        QTest::newRow("filtered MoxA") << 21;
        QTest::newRow("past the last") << 22;
    }

    // Types without a reader end silently in the failure tail.
    void unnamedTypes()
    {
        QFETCH(int, type);
        const QString path = copyFixture(QStringLiteral("zelb_example.csv"));
        g_framework->openFile(path, avaibleDevices_t(type), 0, {});
        settle();
        expectClosed();
        const QList<ConsoleLine> lines = recorder->take();
        QCOMPARE(messages(lines), (QStringList{QStringLiteral("Opening file: ") + path, QStringLiteral("Session closed")}));
        QCOMPARE(lines.last().icon, 1);
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
        QCOMPARE(recorder->takeStarted(), 0);
    }

    void tmpDatabaseFails_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("tmpDb");
        QTest::addColumn<bool>("message");
        QTest::newRow("ZelB reports") << int(ZelB) << "zelb_example.csv" << "ZelB" << true;
        QTest::newRow("WexA reports") << int(WexA) << "wexa_r8000.d00" << "WexA" << true;
        QTest::newRow("ZelA is silent") << int(ZelA) << "zela_example.csv" << "ZelA" << false;
    }

    void tmpDatabaseFails()
    {
        QFETCH(int, type);
        QFETCH(QString, fixture);
        QFETCH(QString, tmpDb);
        QFETCH(bool, message);
        const QString blocked = ArchiveManager::tmpDatabasePath(tmpDb);
        QVERIFY(makeUndeletable(blocked));
        const QString path = copyFixture(fixture);

        g_framework->openFile(path, avaibleDevices_t(type), 0, {});
        settle();
        removeUndeletable(blocked);

        expectClosed();
        QCOMPARE(messages(recorder->take()),
                 (QStringList{QStringLiteral("Opening file: ") + path, QStringLiteral("Session closed")}));
        if (message) {
            QCOMPARE(prompts->count(QStringLiteral("message")), 1);
            QCOMPARE(prompts->calls.last().text, QStringLiteral("Unable to create temp Database."));
            QVERIFY(prompts->calls.last().title.isEmpty());
        } else {
            QCOMPARE(prompts->count(QStringLiteral("message")), 0);
        }
    }

    // The user cancels while a large archive is being read: the task stops,
    // nothing is committed, no session, and the dialog goes afterwards.
    void cancelDuringParse()
    {
        const QString path = writeZelB(QStringLiteral("large.csv"), 40000, 16);
        QVERIFY(!path.isEmpty());
        QVERIFY(QFileInfo(path).size() > 8 * 1024 * 1024);

        bool cancelled = false;
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, [&]() {
            for (QProgressDialog *d : window()->findChildren<QProgressDialog *>()) {
                QPushButton *button = d->findChild<QPushButton *>();
                if (d->isVisible() && d->value() > 0 && button && !cancelled) {
                    cancelled = true;
                    button->click(); // the user's Cancel
                }
            }
        });
        poll.start();
        QElapsedTimer timer;
        timer.start();
        g_framework->openFile(path, ZelB, 0, {});
        poll.stop();
        settle();

        QVERIFY(cancelled);
        expectClosed();
        QCOMPARE(g_framework->cancelFlag.loadAcquire(), char(1));
        QVERIFY(windowConsoleText().contains(QStringLiteral("Parser work was canceled in: ")));
        const QStringList told = messages(recorder->take());
        QVERIFY(told.contains(QStringLiteral("Opening of the file %1 was cancelled.").arg(QDir::toNativeSeparators(path))));
        QCOMPARE(told.last(), QStringLiteral("Session closed"));
        // The reader rolled back: the temporary database holds no values.
        Connections::registerFile(QStringLiteral("checkZelB"), ArchiveManager::tmpDatabasePath(QStringLiteral("ZelB")));
        QCOMPARE(countRows(QStringLiteral("checkZelB"), QStringLiteral("Data")), 0);
        Connections::remove(QStringLiteral("checkZelB"));
        // The dialog held back during the task is released after it.
        QVERIFY(window()->findChildren<ProgressDialog *>().isEmpty());
    }

    // A cancelled dialog asks to be deleted while the task still runs: that
    // waits until the task has ended.
    void dialogOutlivesTask()
    {
        QSemaphore release;
        QPointer<ProgressDialog> dialog = new ProgressDialog(0, QStringLiteral("task"), window(), true);
        QFuture<void> task = QtConcurrent::run([&release]() { release.acquire(); });
        {
            TaskDialogGuard guard(dialog, task);
            dialog->deleteLater();
            settle();
            QVERIFY(dialog); // held back
            release.release();
            task.waitForFinished();
            dialog->deleteLater(); // the watcher's release, once the task is done
            settle();
            QVERIFY(dialog.isNull());
        }
        // A dialog nobody released is released by the guard.
        QSemaphore second;
        dialog = new ProgressDialog(0, QStringLiteral("task"), window(), true);
        task = QtConcurrent::run([&second]() { second.acquire(); });
        {
            TaskDialogGuard guard(dialog, task);
            second.release();
            task.waitForFinished();
        }
        settle();
        QVERIFY(dialog.isNull());
    }

    // A new session replaces the models of one that was not closed: the old
    // model goes only after the page that shows it.
    void oldModelsOutliveTheirPages()
    {
        const QString first = writeZelB(QStringLiteral("first.csv"), 3, 2);
        g_framework->openFile(first, ZelB, 0, {});
        settle();
        window()->changePage(MainWindow::TABLE_VIEW_PAGE);
        QPointer<QWidget> oldPage = window()->cachedPages().value(MainWindow::TABLE_VIEW_PAGE);
        QPointer<MyAbstractTableModel> oldModel = g_framework->tableModel;
        QVERIFY(oldPage && oldModel);
        bool modelAliveWhenPageWent = false;
        connect(oldPage.data(), &QObject::destroyed, [&]() { modelAliveWhenPageWent = !oldModel.isNull(); });

        const QString second = writeZelB(QStringLiteral("second.csv"), 4, 2);
        g_framework->openFile(second, Vanta, 0, {});
        settle();
        QVERIFY(oldPage.isNull());
        QVERIFY(oldModel.isNull());
        QVERIFY(modelAliveWhenPageWent);
        QCOMPARE(g_framework->tableModel->rowCount(), 8);
        QCOMPARE(int(g_framework->getSessionInfo().deviceType), int(Vanta));

        // Closing from the window: page first, then the model.
        window()->changePage(MainWindow::TABLE_VIEW_PAGE);
        oldPage = window()->cachedPages().value(MainWindow::TABLE_VIEW_PAGE);
        oldModel = g_framework->tableModel;
        modelAliveWhenPageWent = false;
        connect(oldPage.data(), &QObject::destroyed, [&]() { modelAliveWhenPageWent = !oldModel.isNull(); });
        window()->on_actionClosedata_triggered();
        QVERIFY(!g_framework->tableModel);
        settle();
        QVERIFY(oldPage.isNull());
        QVERIFY(oldModel.isNull());
        QVERIFY(modelAliveWhenPageWent);
        expectClosed();
        QCOMPARE(window()->windowTitle(), QStringLiteral("Quorlog"));
    }

    // The meter's record file without configuration files: table only.
    void brenaRecordFile()
    {
        QList<BrenaFileWriter::Record> records;
        for (int i = 0; i < 5; ++i)
            records << BrenaFileWriter::sample(1, 0, "2024-05-01", QByteArray("10:0") + QByteArray::number(i) + ":00", i);
        const QString path = tempPath(QStringLiteral("meter.DBF"));
        QVERIFY(BrenaFileWriter::write(path, BrenaFileWriter::file(records, 0)));

        g_framework->openFile(path, Brena, 0, {});
        settle();
        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), int(Brena));
        QCOMPARE(s.views, quint32(Framework::SessionInfo::ViewTable));
        auto *model = qobject_cast<BrenaTableModel *>(g_framework->tableModel);
        QVERIFY(model);
        QCOMPARE(model->thread(), qApp->thread());
        QCOMPARE(model->rowCount(), 5);
        QVERIFY(!g_framework->dataDatabase.isValid());

        // A file the model cannot read ends the session; the model's own
        // message is all the user sees.
        closeSession();
        QVERIFY(BrenaFileWriter::write(path, QByteArray("short")));
        g_framework->openFile(path, Brena, 0, {});
        settle();
        expectClosed();
        QCOMPARE(messages(recorder->take()).last(), QStringLiteral("Session closed"));
        QCOMPARE(prompts->count(QStringLiteral("message")), 1);
    }

    // With its configuration files the record file becomes measurements in
    // the "Brena" temporary database: the generic table, chart and report.
    void brenaWithConfiguration()
    {
        QList<BrenaFileWriter::Record> records;
        for (int i = 0; i < 4; ++i)
            records << BrenaFileWriter::sample(1 + i % 2, 0, "2024-05-01", QByteArray("10:0") + QByteArray::number(i) + ":00", i);
        const QString path = tempPath(QStringLiteral("meter.DBF"));
        QVERIFY(BrenaFileWriter::write(path, BrenaFileWriter::file(records, 0)));
        const QString channels = tempPath(QStringLiteral("MBD_M_RS.XML"));
        QFile::remove(channels);
        QVERIFY(!testdb::writeFile(channels, BrenaConfigWriter::channelFile({BrenaConfigWriter::channel("U", {1, 1}),
                                                                            BrenaConfigWriter::channel("I", {2})}))
                     .isEmpty());
        const QString units = tempPath(QStringLiteral("UNITS.XML"));
        QFile::remove(units);
        QVERIFY(!testdb::writeFile(units, BrenaConfigWriter::unitsFile({"-", "V", "A"})).isEmpty());

        g_framework->openFile(path, Brena, 0, {channels, units});
        settle();
        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), int(Brena));
        QCOMPARE(s.views, standardViews(true));
        QVERIFY(qobject_cast<TempDatabaseTableModel *>(g_framework->tableModel));
        QCOMPARE(g_framework->dataDatabase.path(), ArchiveManager::tmpDatabasePath(QStringLiteral("Brena")));
        // Channel 1 has two values, channel 2 one: 2 records each.
        QCOMPARE(countRows(QStringLiteral("Brena"), QStringLiteral("Data")), 6);
        QCOMPARE(countRows(QStringLiteral("Brena"), QStringLiteral("Parameters")), 3);
        QVERIFY(windowConsoleText().contains(QStringLiteral("Active parameters: 3")));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);

        // A configuration that cannot be processed ends the session with
        // the reader's message and the worker's.
        closeSession();
        prompts->calls.clear();
        QVERIFY(!testdb::writeFile(channels, QByteArray("<MBD><Ch>")).isEmpty());
        g_framework->openFile(path, Brena, 0, {channels});
        settle();
        expectClosed();
        QCOMPARE(prompts->count(QStringLiteral("message")), 2);
        QCOMPARE(prompts->calls.last().text, QStringLiteral("Error while processing config file."));
    }

    // An application database opens in place with the data-filter view only;
    // a missing or foreign file leaves no session and creates nothing.
    void applicationDatabase()
    {
        const QString path = tempPath(QStringLiteral("app.qdb"));
        QFile::remove(path);
        QVERIFY(ArchiveManager::createDatabase(path));
        g_framework->openFile(path, INTERNAL_DB, 0, {});
        settle();
        Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), int(INTERNAL_DB));
        QCOMPARE(s.views, quint32(Framework::SessionInfo::ViewDataFilter));
        QCOMPARE(s.fileName, path);
        QVERIFY(!g_framework->tableModel);
        QVERIFY(Connections::contains(QStringLiteral("Data_con")));
        QCOMPARE(Connections::filePath(QStringLiteral("Data_con")), path);
        QCOMPARE(window()->windowTitle(), path + QStringLiteral(" - Quorlog"));
        closeSession();
        QVERIFY(!Connections::contains(QStringLiteral("Data_con")));

        const QString missing = tempPath(QStringLiteral("missing.qdb"));
        QFile::remove(missing);
        g_framework->openFile(missing, INTERNAL_DB, 0, {});
        settle();
        expectClosed();
        QVERIFY(!QFile::exists(missing));

        const QString foreign = copyFixture(QStringLiteral("zelb_example.csv"));
        g_framework->openFile(foreign, INTERNAL_DB, 0, {});
        settle();
        expectClosed();
        QCOMPARE(messages(recorder->take()).last(), QStringLiteral("Session closed"));
        // Both refusals are told, not only logged.
        QCOMPARE(prompts->count(QStringLiteral("message")), 2);
        QCOMPARE(prompts->calls.last().title, QStringLiteral("Open database"));
        QVERIFY(prompts->calls.last().text.contains(QStringLiteral("is not a Quorlog database")));

        // An SQLite file of another program keeps its journal mode and content.
        const QString other = tempPath(QStringLiteral("other.qdb"));
        QFile::remove(other);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            db.setDatabaseName(other);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE notes (id INTEGER PRIMARY KEY, text TEXT)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        g_framework->openFile(other, INTERNAL_DB, 0, {});
        settle();
        expectClosed();
        QCOMPARE(prompts->count(QStringLiteral("message")), 3);
        QVERIFY(prompts->calls.last().text.contains(QStringLiteral("without the tables of a Quorlog database")));
        QVERIFY(!QFile::exists(other + QStringLiteral("-wal")));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            db.setDatabaseName(other);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("delete"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }

    void closeOpenedFileTmpDb_data()
    {
        QTest::addColumn<int>("state"); // 0 absent, 1 deletable file, 2 undeletable
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("absent") << 0 << QStringList{QStringLiteral("Session closed")};
        QTest::newRow("deletable") << 1 << QStringList{QStringLiteral("Session closed")};
        QTest::newRow("undeletable") << 2
                                     << QStringList{QStringLiteral("Delete tempDB fail"), QStringLiteral("Session closed")};
    }

    void closeOpenedFileTmpDb()
    {
        QFETCH(int, state);
        QFETCH(QStringList, expected);
        const QString path = Framework::fixedTmpDbFilePath();
        QCOMPARE(path, QDir(ArchiveManager::scratchFolder()).filePath(QStringLiteral("qrlgTmpDbFile.sqlite")));
        if (state == 1) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (state == 2) {
            QVERIFY(makeUndeletable(path));
        }
        g_framework->closeOpenedFile();
        const QList<ConsoleLine> lines = recorder->take();
        QCOMPARE(messages(lines), expected);
        for (const ConsoleLine &l : lines)
            QCOMPARE(l.icon, 1);
        QCOMPARE(QFileInfo::exists(path), state == 2);
        removeUndeletable(path);
        expectClosed();
    }

    // Foreign tables go, also those whose names only look like SQLite's own
    // ("sqlite1"); the schema and the recorder import's saved rows stay.
    void clearTempDatabaseTables()
    {
        QVERIFY(!g_framework->clearTempDatabaseTables()); // nothing open

        const QString file = tempPath(QStringLiteral("clear.qdb"));
        QFile::remove(file);
        Connections::registerFile(QStringLiteral("Data_con"), file);
        QSqlDatabase db = Connections::database(QStringLiteral("Data_con"));
        QVERIFY(db.isOpen());
        QVERIFY(g_databaseStructure->initStructure(db));
        QSqlQuery q(db);
        for (const char *name : {"DataMoxB", "DataMoxA", "tmpOldDataMoxB", "tmpOldDataMoxA", "TempDataMoxA",
                                 "DataMoxB_toDelete", "Settings", "we\"ird name", "PARAMETERS2",
                                 "sqlite1", "sqliteXstat"})
            QVERIFY2(q.exec(QStringLiteral("CREATE TABLE \"%1\" (id INTEGER)").arg(QString::fromLatin1(name).replace('"', "\"\""))),
                     name);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS eventData (id INTEGER)")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO tmpOldDataMoxB (id) VALUES (7)")));
        g_framework->dataDatabase = Connections::Binding(db);

        QVERIFY(g_framework->clearTempDatabaseTables());
        QStringList tables = db.tables();
        tables.sort();
        QStringList expected{"Data",       "DataMoxA",  "DataMoxB",       "Devices",        "Events",
                             "Parameters", "eventData", "sqlite_sequence", "tmpOldDataMoxA", "tmpOldDataMoxB"};
        expected.sort();
        QCOMPARE(tables, expected);
        QVERIFY(q.exec(QStringLiteral("SELECT id FROM tmpOldDataMoxB")) && q.next());
        QCOMPARE(q.value(0).toInt(), 7);

        // Only kept tables: nothing to drop, still a success.
        QVERIFY(g_framework->clearTempDatabaseTables());
        QCOMPARE(db.tables().size(), expected.size());
        q.finish();
        g_framework->closeOpenedFile();
        QVERIFY(!Connections::contains(QStringLiteral("Data_con")));
    }

    void cloneAndCloseConnections()
    {
        QVERIFY(!g_framework->cloneTableModel());
        const QString path = writeZelB(QStringLiteral("clone.csv"), 2, 2);
        g_framework->openFile(path, ZelB, 0, {});
        settle();
        QScopedPointer<MyAbstractTableModel> copy(g_framework->cloneTableModel());
        QVERIFY(copy);
        QVERIFY(copy.data() != g_framework->tableModel);
        QVERIFY(qobject_cast<TempDatabaseTableModel *>(copy.data()));
        QCOMPARE(copy->rowCount(), 4);
        copy.reset();

        QVERIFY(!g_framework->closeMoxBDataConnection());
        Connections::registerFile(QStringLiteral("Data_con_1"), tempPath(QStringLiteral("settings.sqlite3")));
        QVERIFY(Connections::database(QStringLiteral("Data_con_1")).isOpen());
        QVERIFY(g_framework->closeMoxBDataConnection());
        QVERIFY(!Connections::contains(QStringLiteral("Data_con_1")));

        QSqlDatabase closed;
        g_framework->closeDatabase(closed); // not open: nothing happens
        QVERIFY(recorder->take().size() >= 1);
        Connections::registerFile(QStringLiteral("temp_Data_con"), tempPath(QStringLiteral("import.sqlite")));
        QSqlDatabase import = Connections::database(QStringLiteral("temp_Data_con"));
        QVERIFY(import.isOpen());
        g_framework->closeDatabase(import);
        QVERIFY(!import.isValid());
        QVERIFY(!Connections::contains(QStringLiteral("temp_Data_con")));
        QVERIFY(recorder->take().isEmpty());
    }

    // Filters over an application database: generic filtered models, the
    // data-filter view kept, the elapsed time on the console.
    void applyFilters()
    {
        const QString file = tempPath(QStringLiteral("filters.qdb"));
        QFile::remove(file);
        Connections::registerFile(QStringLiteral("Data_con"), file);
        QSqlDatabase db = Connections::database(QStringLiteral("Data_con"));
        QVERIFY(g_databaseStructure->initStructure(db));
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("INSERT INTO Devices (id, name) VALUES (1, 'meter')")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (1, 1, 'U', 'V')")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO Data (idParameters, value, flag, dateTime) VALUES (1, 230, 0, 1000), "
                                      "(1, 231, 0, 2000)")));
        g_framework->dataDatabase = Connections::Binding(db);
        Framework::SessionInfo s;
        s.isOpen = true;
        s.views = Framework::SessionInfo::ViewDataFilter;
        s.deviceType = INTERNAL_DB;
        s.fileName = file;
        g_framework->sessionInfo = s;

        FiltersCfg filters;
        filters.selectedParamId = {1};
        g_framework->applyFilters(filters, DEVICE_UNDEFINED);
        settle();
        const Framework::SessionInfo after = g_framework->getSessionInfo();
        QCOMPARE(int(after.deviceType), int(INTERNAL_DB));
        QCOMPARE(after.fileName, file);
        QVERIFY(after.hasView(Framework::SessionInfo::ViewDataFilter));
        QVERIFY(after.hasView(Framework::SessionInfo::ViewTable));
        QVERIFY(after.hasView(Framework::SessionInfo::ViewCsvExport));
        QVERIFY(qobject_cast<TempDatabaseTableModel *>(g_framework->tableModel));
        QCOMPARE(g_framework->tableModel->thread(), qApp->thread());
        QCOMPARE(g_framework->tableModel->rowCount(), 2);
        const QList<ConsoleLine> lines = recorder->take();
        QVERIFY(!lines.isEmpty());
        QVERIFY(QRegularExpression(QStringLiteral("^Filters applied in: \\d+ ms$")).match(lines.last().msg).hasMatch());
        QCOMPARE(lines.last().icon, 0);
        QCOMPARE(recorder->takeStarted(), 1);

        // Applying again replaces the models; the old table goes after the
        // page that showed it.
        window()->changePage(MainWindow::TABLE_VIEW_PAGE);
        QPointer<QWidget> oldPage = window()->cachedPages().value(MainWindow::TABLE_VIEW_PAGE);
        QPointer<MyAbstractTableModel> oldModel = g_framework->tableModel;
        QVERIFY(oldPage && oldModel);
        filters.startDateTime = 1500;
        filters.endDateTime = 5000;
        g_framework->applyFilters(filters, DEVICE_UNDEFINED);
        settle();
        QVERIFY(oldPage.isNull());
        QVERIFY(oldModel.isNull());
        QCOMPARE(g_framework->tableModel->rowCount(), 1);
        QCOMPARE(recorder->takeStarted(), 1);
    }

    // Filters over recorders: the family's wide-table models, the report
    // over its table, and no warning on the console.
    void applyFiltersRecorders_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("sessionType");
        QTest::addColumn<QString>("table");
        QTest::newRow("MoxB") << int(MoxB) << int(MoxB_FILTERED) << "DataMoxB";
        QTest::newRow("MoxA") << int(MoxA) << int(MoxA_FILTERED) << "DataMoxA";
    }

    void applyFiltersRecorders()
    {
        QFETCH(int, family);
        QFETCH(int, sessionType);
        QFETCH(QString, table);
        const QString file = tempPath(QStringLiteral("recorders.qdb"));
        QFile::remove(file);
        Connections::registerFile(QStringLiteral("Data_con"), file);
        QSqlDatabase db = Connections::database(QStringLiteral("Data_con"));
        QVERIFY(g_databaseStructure->initStructure(db));
        QStringList columns{QStringLiteral("date"), QStringLiteral("time"), QStringLiteral("U (rec)")};
        if (family == MoxB)
            g_databaseStructure->ensureDataMoxBTable(db, columns);
        else
            g_databaseStructure->ensureDataMoxATable(db, columns);
        QVERIFY(testdb::exec(db, {QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'rec', %1)").arg(family),
                                  QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (4, 1, 'U', 'V')"),
                                  QStringLiteral("INSERT INTO %1 (date, time, \"U (rec)\") VALUES "
                                                 "('2026-01-01', '00:00:00', '1'), ('2026-01-01', '00:00:01.500', '2')")
                                      .arg(table)})
                    .isEmpty());
        g_framework->dataDatabase = Connections::Binding(db);
        Framework::SessionInfo s;
        s.isOpen = true;
        s.views = Framework::SessionInfo::ViewDataFilter;
        s.deviceType = INTERNAL_DB;
        s.fileName = file;
        g_framework->sessionInfo = s;
        recorder->take();

        FiltersCfg filters;
        filters.selectedParamId = {4};
        g_framework->applyFilters(filters, avaibleDevices_t(family));
        settle();
        const Framework::SessionInfo after = g_framework->getSessionInfo();
        QCOMPARE(int(after.deviceType), sessionType);
        for (auto view : {Framework::SessionInfo::ViewDataFilter, Framework::SessionInfo::ViewTable,
                          Framework::SessionInfo::ViewChart, Framework::SessionInfo::ViewReport,
                          Framework::SessionInfo::ViewCsvExport})
            QVERIFY(after.hasView(view));
        if (family == MoxB) {
            QVERIFY(qobject_cast<TempDatabaseTableModelMoxB *>(g_framework->tableModel));
            QVERIFY(qobject_cast<AbstractChartModelMoxB *>(g_framework->chartModel));
        } else {
            QVERIFY(qobject_cast<TempDatabaseTableModelMoxA *>(g_framework->tableModel));
            QVERIFY(qobject_cast<AbstractChartModelMoxA *>(g_framework->chartModel));
        }
        QCOMPARE(g_framework->tableModel->rowCount(), 2);
        QVERIFY(g_framework->reportModel);
        QCOMPARE(int(g_framework->reportModel->getDeviceType()), sessionType);
        AbstractChartModel *chart = g_framework->chartModel;
        QCOMPARE(chart->thread(), qApp->thread());
        QVERIFY(chart->loadNamesDB());
        QVERIFY(chart->getDataExportRowCnt());
        QCOMPARE(chart->paramRowCntList, QList<int>{2});
        QCOMPARE(chart->deviceNamesList, QStringList{QStringLiteral("rec")});
        for (const ConsoleLine &line : recorder->take())
            QVERIFY2(line.icon != 2 && line.icon != 3, qPrintable(line.msg));
        QCOMPARE(recorder->takeStarted(), 1);
    }

    void flagMapping_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("flag");
        QTest::addColumn<int>("expected");
        QTest::newRow("undefined") << 0 << 128 << 0;
        QTest::newRow("ZelD 128") << int(ZelD) << 128 << 1;
        QTest::newRow("ZelC 1") << int(ZelC) << 1 << 2;
        QTest::newRow("ZelDX 256") << int(ZelDX) << 256 << 2;
        QTest::newRow("ZelC 0") << int(ZelC) << 0 << 0;
        QTest::newRow("ZelC 129") << int(ZelC) << 129 << 0;
        QTest::newRow("MoxB 256") << int(MoxB) << 256 << 256;
        QTest::newRow("ZelB 3") << int(ZelB) << 3 << 3;
        QTest::newRow("application database 128") << int(INTERNAL_DB) << 128 << 128;
    }

    void flagMapping()
    {
        QFETCH(int, type);
        QFETCH(int, flag);
        QFETCH(int, expected);
        QCOMPARE(Framework::convertDeviceFlag(avaibleDevices_t(type), flag), expected);
    }

    void recordFlagMapping()
    {
        QCOMPARE(Framework::mapRecordFlag(128), 1);
        QCOMPARE(Framework::mapRecordFlag(1), 2);
        QCOMPARE(Framework::mapRecordFlag(256), 2);
        for (int other : {0, 2, 64, 127, 129, 255, 257, 384, -1})
            QCOMPARE(Framework::mapRecordFlag(other), 0);
    }
};

QUORLOG_TEST_MAIN(TestSession)
#include "tst_session.moc"
