// Opening the analysers' PQDIF files: a ZelDX data file ending in ".pqd" (any
// letter case) is read into the temporary database "Data_con" and shown by
// the analysers' table model; the built-in example is one such file. A large
// file opened or imported can be cancelled while it is still being read.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/DeviceSelectDialog.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "app/SourceTypeFile.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "database/ArchiveManager.h"
#include "pqdif/PqdifBenchFile.h"
#include "pqdif/ZelDXExample.h"
#include "tables/ZelCTableModel.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>

namespace {

const QString kExample = QStringLiteral(":/examples/_resources/examples/ZelDX/ZelDX_2024_03.pqd");

} // namespace

class TestOpeningPqdif : public QObject
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

    // The example in the resources is what the generator writes (set
    // QUORLOG_WRITE_ZELDX_EXAMPLE to a path to write it there).
    void exampleIsGenerated()
    {
        const QByteArray generated = zeldxexample::bytes();
        const QString out = qEnvironmentVariable("QUORLOG_WRITE_ZELDX_EXAMPLE");
        if (!out.isEmpty()) {
            QFile w(out);
            QVERIFY(w.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(w.write(generated), qint64(generated.size()));
        }
        QFile f(kExample);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), generated);
    }

    void pqdifFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("lower case") << "day.pqd";
        QTest::newRow("capitals") << "DAY.PQD";
    }

    void pqdifFile()
    {
        QFETCH(QString, name);
        const QString path = writeTemp(name, zeldxexample::bytes());
        g_framework->openFile(path, ZelDX, ZelC_DATA_FILE, {});
        settle();
        const Framework::SessionInfo s = g_framework->getSessionInfo();
        QVERIFY(s.isOpen);
        QCOMPARE(int(s.deviceType), int(ZelDX));
        QCOMPARE(s.fileName, path);
        QVERIFY(s.hasView(Framework::SessionInfo::ViewTable));
        QVERIFY(s.hasView(Framework::SessionInfo::ViewCsvExport));
        QVERIFY(qobject_cast<ZelCTableModel *>(g_framework->tableModel));
        QCOMPARE(g_framework->tableModel->thread(), qApp->thread());
        QVERIFY(g_framework->tableModel->rowCount() > 0);
        QCOMPARE(g_framework->dataDatabase.path(),
                 ArchiveManager::tmpDatabasePath(QStringLiteral("Data_con")));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }

    // The built-in example opens straight from the resources.
    void builtInExample()
    {
        g_framework->openFile(kExample, ZelDX, exampleSourceType(ZelDX), {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY(qobject_cast<ZelCTableModel *>(g_framework->tableModel));
        // Two days of 144 values: 3 x 3 voltages, 3 currents, power,
        // frequency, THD and three harmonics.
        QSqlQuery q(g_framework->dataDatabase.database());
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT name) FROM DataConnected")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 2 * 18 * 144);
        QCOMPARE(q.value(1).toInt(), 2 * 18);
    }

    // A long file: the progress window keeps its percent scale until the
    // read ends, and the window's thread serves a 10 ms timer all along.
    void longFileKeepsTheWindowServed()
    {
        const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("long.pqd"));
        QVERIFY(pqdifbench::writeFile(path, true, 100));
        QTimer timer;
        timer.setInterval(10);
        QElapsedTimer sinceTick;
        qint64 maxGap = 0;
        int maximum = 0;
        int largestValue = -1;
        connect(&timer, &QTimer::timeout, [&]() {
            maxGap = qMax(maxGap, sinceTick.restart());
            for (QProgressDialog *window : g_framework->mainWindow->findChildren<QProgressDialog *>()) {
                maximum = qMax(maximum, window->maximum());
                largestValue = qMax(largestValue, window->value());
            }
        });
        timer.start();
        sinceTick.start();
        g_framework->openFile(path, ZelDX, ZelC_DATA_FILE, {});
        maxGap = qMax(maxGap, sinceTick.elapsed());
        timer.stop();
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY2(maxGap < 200, qPrintable(QString::number(maxGap)));
        QCOMPARE(maximum, 100);
        QVERIFY(largestValue >= 0);
        QSqlQuery q(g_framework->dataDatabase.database());
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM Data")) && q.next());
        QCOMPARE(q.value(0).toInt(), 100 * 5 * 3 * 250);
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
    }

    // A user's sequence through the window: a large file (2.7 million rows)
    // opened or imported, Cancel clicked in the progress window while the
    // file is still being read, before its first record; time passes, and
    // then a file goes through whole. The cancel ends the task within a
    // second, nothing is stored, and the console tells the cancel and, for
    // an import, that nothing of the file was stored.
    void cancelWhileTheFileIsRead_data()
    {
        QTest::addColumn<bool>("import");
        QTest::newRow("open") << false;
        QTest::newRow("import") << true;
    }

    void cancelWhileTheFileIsRead()
    {
        QFETCH(bool, import);
        const QString large = QDir(QDir::tempPath()).filePath(QStringLiteral("large.pqd"));
        if (!QFileInfo::exists(large))
            QVERIFY(pqdifbench::writeFile(large, true, 720));
        int device = -1;
        if (import) {
            const QString qdb = QDir(QDir::tempPath()).filePath(QStringLiteral("cancel.qdb"));
            device = openNewDatabase(qdb, ZelDX, QStringLiteral("Analyser"));
            QVERIFY(device >= 0);
        }
        const int messagesBefore = prompts->count(QStringLiteral("message"));
        const int linesBefore = windowConsoleLines().size();
        auto run = [&](const QString &path) {
            if (import)
                return g_framework->importData(path, QStringLiteral("1/1"), ZelDX, device, QString());
            g_framework->openFile(path, ZelDX, ZelC_DATA_FILE, {});
            return g_framework->getSessionInfo().isOpen;
        };

        // The window shows no scale until the reader reaches its records.
        QElapsedTimer sinceClick;
        int scaleAtClick = -1;
        QTimer poll;
        poll.setInterval(2);
        connect(&poll, &QTimer::timeout, [&]() {
            for (QProgressDialog *window : g_framework->mainWindow->findChildren<QProgressDialog *>()) {
                QPushButton *cancel = window->findChild<QPushButton *>();
                if (window->isVisible() && cancel && scaleAtClick < 0) {
                    scaleAtClick = window->maximum();
                    sinceClick.start();
                    QTest::mouseClick(cancel, Qt::LeftButton);
                }
            }
        });
        poll.start();
        const bool done = run(large);
        const qint64 late = sinceClick.elapsed();
        poll.stop();
        settle();

        QVERIFY(!done);
        QCOMPARE(scaleAtClick, 0);
        QVERIFY2(late < 1000, qPrintable(QString::number(late)));
        QCOMPARE(prompts->count(QStringLiteral("message")), messagesBefore);
        const QStringList lines = windowConsoleLines().mid(linesBefore);
        QVERIFY2(lines.contains(QStringLiteral("Data import was canceled.")), qPrintable(lines.join('\n')));
        QVERIFY(lines.filter(QStringLiteral("Using data source")).isEmpty());
        if (import) {
            QCOMPARE(lines.last(), QStringLiteral("Nothing of the file %1 was stored.").arg(large));
            QSqlQuery q(Connections::database(QStringLiteral("Data_con")));
            QVERIFY(q.exec(QStringLiteral("SELECT (SELECT COUNT(*) FROM Data) + (SELECT COUNT(*) FROM Parameters)")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 0);
        } else {
            QVERIFY(!g_framework->tableModel);
        }

        // Threads end while the user decides; then a file goes in whole.
        endPoolThreads();
        const QString small = writeTemp(QStringLiteral("small.pqd"), zeldxexample::bytes());
        QVERIFY(run(small));
        settle();
        QCOMPARE(prompts->count(QStringLiteral("message")), messagesBefore);
        if (import) {
            QCOMPARE(windowConsoleLines().last(), QStringLiteral("The whole file was imported: %1").arg(small));
            QSqlQuery q(Connections::database(QStringLiteral("Data_con")));
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM Data")) && q.next());
            QCOMPARE(q.value(0).toInt(), 2 * 18 * 144);
        } else {
            QVERIFY(g_framework->tableModel && g_framework->tableModel->rowCount() > 0);
        }
    }

    // Other members of the family do not read ".pqd" as PQDIF; a damaged
    // file leaves no session and says why.
    void notOpened()
    {
        const QString path = writeTemp(QStringLiteral("other.pqd"), zeldxexample::bytes());
        g_framework->openFile(path, ZelC, ZelC_DATA_FILE, {});
        settle();
        QVERIFY(!g_framework->getSessionInfo().isOpen);

        QByteArray damaged = zeldxexample::bytes();
        damaged[0] = 0;
        const int before = prompts->count(QStringLiteral("message"));
        g_framework->openFile(writeTemp(QStringLiteral("damaged.pqd"), damaged), ZelDX, ZelC_DATA_FILE, {});
        settle();
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!g_framework->tableModel);
        QCOMPARE(prompts->count(QStringLiteral("message")), before + 1);
        QCOMPARE(prompts->calls.last().text, QStringLiteral("Failed to read PQDIF headers."));
    }
};

QUORLOG_TEST_MAIN(TestOpeningPqdif)
#include "tst_openingpqdif.moc"
