// Long work through the real window, as its user meets it: each row starts
// one operation from the main window and clicks, with events posted as the
// window system posts a user's, at one moment of one of its phases. All the
// time the task runs its progress window is in view and the window's thread
// turns; a Cancel ends the task promptly; a click on the main window does
// nothing; and what the user is told at the end agrees with what was stored.
//
// A row is an operation of longwork::Operations (how it starts and how its
// outcome is checked) and a moment: the phase line of the progress window,
// the progress value and the time in that phase at which to click.
#include "support/LongWorkOperations.h"
#include "support/LongWorkProbe.h"
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"

#include <QTemporaryDir>
#include <QToolButton>

using longwork::Moment;
using longwork::Operations;
Q_DECLARE_METATYPE(Moment::Target)

namespace {

// Margins that hold on a loaded machine; the benchmark measures the figures.
constexpr qint64 kLargestGapMs = 1000;
constexpr qint64 kCancelMs = 1000;

} // namespace

class TestLongWork : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QTemporaryDir dir;
    Operations *operations = nullptr;

    QWidget *mainWindowButton() { return g_framework->mainWindow->findChild<QToolButton *>("openDatabaseButton"); }

    static void row(const QString &operation, const QString &phase, int value, int afterMs,
                    Moment::Target target = Moment::Cancel, bool mustCancel = false)
    {
        const QString what = target == Moment::Cancel ? QStringLiteral("Cancel") : QStringLiteral("main window");
        const QString name = QStringLiteral("%1: %2 in %3 at %4, +%5 ms")
                                 .arg(operation, what, phase.isEmpty() ? QStringLiteral("any phase") : phase)
                                 .arg(value)
                                 .arg(afterMs);
        QTest::newRow(qPrintable(name)) << operation << phase << value << afterMs << target << mustCancel;
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(g_framework->mainWindow.data()));
        prompts = new ScriptedPrompts();
        QVERIFY(dir.isValid());
        operations = new Operations(dir.path(), 1);
        QVERIFY(mainWindowButton());
    }

    void cleanupTestCase()
    {
        g_framework->closeOpenedFile();
        settle();
        delete operations;
        delete prompts;
    }

    void longWork_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("afterMs");
        QTest::addColumn<Moment::Target>("target");
        // A Cancel before anything can have been committed must end in a cancel.
        QTest::addColumn<bool>("mustCancel");

        const QString reading = Operations::reading();
        const QString writing = Operations::writing();
        const QString merging = Operations::merging();
        const auto mainWindow = Moment::MainWindow;
        const auto cancel = Moment::Cancel;

        // Each operation once whole, with a click on the main window while
        // it writes: it stays in view in every phase and the click is lost.
        row(QStringLiteral("text import"), writing, 30, 0, mainWindow);
        row(QStringLiteral("text import"), reading, 10, 0, cancel, true);
        row(QStringLiteral("text import"), reading, 70, 0, cancel, true);
        row(QStringLiteral("text import"), writing, 0, 0);
        row(QStringLiteral("text import"), writing, 40, 0);
        row(QStringLiteral("text import"), writing, 85, 0);

        row(QStringLiteral("PQDIF import"), reading, 0, 0, mainWindow);
        // Early: the header read.
        row(QStringLiteral("PQDIF import"), reading, 0, 100, cancel, true);
        row(QStringLiteral("PQDIF import"), reading, 30, 0, cancel, true);
        row(QStringLiteral("PQDIF import"), reading, 80, 0, cancel, true);
        // The view and the commit: before it nothing is kept, after it all.
        row(QStringLiteral("PQDIF import"), writing, 0, 0);

        row(QStringLiteral("PQDIF open"), reading, 0, 0, mainWindow);
        row(QStringLiteral("PQDIF open"), reading, 0, 100, cancel, true);
        row(QStringLiteral("PQDIF open"), reading, 50, 0, cancel, true);
        row(QStringLiteral("PQDIF open"), writing, 0, 0);

        row(QStringLiteral("MoxB CSV import"), merging, 0, 0, mainWindow);
        row(QStringLiteral("MoxB CSV import"), reading, 20, 0, cancel, true);
        row(QStringLiteral("MoxB CSV import"), reading, 80, 0, cancel, true);
        row(QStringLiteral("MoxB CSV import"), merging, 0, 0, cancel, true);
        row(QStringLiteral("MoxB CSV import"), merging, 35, 0, cancel, true);
        row(QStringLiteral("MoxB CSV import"), merging, 80, 0);

        row(QStringLiteral("MoxA CSV import"), merging, 0, 0, mainWindow);
        // Early: the time points are gathered before any is written.
        row(QStringLiteral("MoxA CSV import"), reading, 0, 100, cancel, true);
        row(QStringLiteral("MoxA CSV import"), reading, 50, 0, cancel, true);
        row(QStringLiteral("MoxA CSV import"), merging, 0, 0, cancel, true);
        row(QStringLiteral("MoxA CSV import"), merging, 80, 0);

        // The first open of an older database: Cancel in either index that
        // sorts the values leaves none of the build.
        const QString index2 = Operations::indexPhase(2);
        const QString index3 = Operations::indexPhase(3);
        row(QStringLiteral("index build"), index2, 0, 0, mainWindow);
        row(QStringLiteral("index build"), index2, 0, 0, cancel, true);
        row(QStringLiteral("index build"), index2, 0, 150, cancel, true);
        row(QStringLiteral("index build"), index3, 0, 50, cancel, true);

        // No Cancel button by design: in view, served, the main window deaf.
        row(QStringLiteral("Accept"), QString(), 0, 0, mainWindow);
        row(QStringLiteral("recorder chart section"), QString(), 0, 0, mainWindow);
    }

    void longWork()
    {
        QFETCH(QString, operation);
        QFETCH(QString, phase);
        QFETCH(int, value);
        QFETCH(int, afterMs);
        QFETCH(Moment::Target, target);
        QFETCH(bool, mustCancel);
        const longwork::Operation *op = operations->find(operation);
        QVERIFY(op);
        QVERIFY2(op->prepare(), qPrintable(operation));
        endPoolThreads();
        // Questions of the preparation (a recorder's settings offer) aside.
        const int messagesBefore = prompts->messageTexts().size();

        longwork::Probe probe(g_framework->mainWindow.data(), mainWindowButton());
        probe.clickAt({phase, value, afterMs, target});
        probe.start();
        op->run();
        probe.stop();
        settle();

        const QString seen = QStringLiteral("phases seen: ") + probe.phases().join(QStringLiteral(" / "));
        QVERIFY2(probe.clicked(), qPrintable(QStringLiteral("the moment never came; ") + seen));
        QVERIFY2(probe.alwaysInView(),
                 qPrintable(QStringLiteral("no progress window %1 (%2 of %3 turns)")
                                .arg(probe.firstTurnWithoutWindow())
                                .arg(probe.turnsWithoutWindow())
                                .arg(probe.turns())));
        QVERIFY2(probe.largestGapMs() < kLargestGapMs,
                 qPrintable(QStringLiteral("the window stood still %1 ms").arg(probe.largestGapMs())));
        QCOMPARE(probe.targetPresses(), 0);

        const longwork::Outcome outcome = op->check();
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        if (target == Moment::Cancel) {
            QVERIFY2(probe.latencyMs() < kCancelMs,
                     qPrintable(QStringLiteral("Cancel in %1 took effect after %2 ms")
                                    .arg(probe.clickedPhase())
                                    .arg(probe.latencyMs())));
            if (mustCancel)
                QVERIFY(outcome.cancelled);
        } else {
            // Untouched, the operation goes through every phase to its end.
            QVERIFY(!outcome.cancelled);
            for (const QString &expected : op->phases)
                QVERIFY2(probe.phases().contains(expected), qPrintable(expected + QStringLiteral("; ") + seen));
        }
        QVERIFY2(prompts->messageTexts().size() == messagesBefore,
                 qPrintable(prompts->messageTexts().mid(messagesBefore).join(QStringLiteral(" | "))));
        endPoolThreads();
    }
};

QUORLOG_TEST_MAIN(TestLongWork)
#include "tst_longwork.moc"
