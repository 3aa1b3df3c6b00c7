// Opening the analysers' PQDIF files: a ZelDX data file ending in ".pqd" (any
// letter case) is read into the temporary database "Data_con" and shown by
// the analysers' table model; the built-in example is one such file.
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/DeviceSelectDialog.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "app/SourceTypeFile.h"
#include "common/Prompts.h"
#include "pqdif/PqdifBenchFile.h"
#include "pqdif/ZelDXExample.h"
#include "tables/ZelCTableModel.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProgressDialog>
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
