// The long operations of the main window (text import, PQDIF import and open,
// the recorder CSV imports, the index build of an older database's first
// open, Accept, a recorder chart section) through the real window: for each, the
// largest time the window's thread stood still while it ran, and how long a
// Cancel clicked at moments of each of its phases took to end it (from the
// click, a posted window-system event, to the launcher's return). Goals:
// 200 ms for the gap, 300 ms for a cancel.
//
// QUORLOG_BENCH_SCALE sets the size of the files (default 2: 40,000 lines of
// a text archive with 16 values each, 600 PQDIF observations or 2,250,000
// values, 60,000 MoxB rows of 60 values, 120,000 MoxA lines). Operation names
// given as arguments run those alone.
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "support/LongWorkOperations.h"
#include "support/LongWorkProbe.h"
#include "support/SessionTestUtil.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>

using longwork::Moment;
using longwork::Operations;

namespace {

struct Figures
{
    qint64 gap = 0;
    QString gapAt;
    qint64 latency = 0;
    QString latencyAt;
};

// One run of the operation with a click at the moment (none when the phase
// is null); false when it could not be prepared or the moment never came.
bool measure(const longwork::Operation &op, const Moment *moment, Figures *figures)
{
    if (!op.prepare())
        return false;
    endPoolThreads();
    QWidget *target = g_framework->mainWindow->findChild<QToolButton *>(QStringLiteral("openDatabaseButton"));
    longwork::Probe probe(g_framework->mainWindow.data(), target);
    if (moment)
        probe.clickAt(*moment);
    probe.start();
    op.run();
    probe.stop();
    settle();
    const longwork::Outcome outcome = op.check();
    if (!outcome.error.isEmpty())
        std::fprintf(stderr, "%s: %s\n", qPrintable(op.name), qPrintable(outcome.error));
    if (!probe.alwaysInView())
        std::fprintf(stderr, "%s: no progress window %s\n", qPrintable(op.name),
                     qPrintable(probe.firstTurnWithoutWindow()));
    if (probe.largestGapMs() > figures->gap) {
        figures->gap = probe.largestGapMs();
        figures->gapAt = probe.largestGapAt();
    }
    if (moment && !probe.clicked())
        return false;
    if (qEnvironmentVariableIsSet("QUORLOG_BENCH_VERBOSE") && moment)
        std::fprintf(stderr, "%s: click in %s at %d +%d ms: ended after %lld ms, gap %lld ms\n", qPrintable(op.name),
                     qPrintable(probe.clickedPhase()), moment->value, moment->afterMs, probe.latencyMs(),
                     probe.largestGapMs());
    if (moment && moment->target == Moment::Cancel && probe.latencyMs() > figures->latency) {
        figures->latency = probe.latencyMs();
        figures->latencyAt = QStringLiteral("%1 at %2").arg(moment->phase).arg(moment->value);
    }
    endPoolThreads();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlog"));
    bool ok = false;
    int scale = qEnvironmentVariableIntValue("QUORLOG_BENCH_SCALE", &ok);
    if (!ok || scale < 1)
        scale = 2;

    g_framework = new Framework();
    g_framework->createMainWindow();
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    Operations operations(dir.path(), scale);

    Figures all;
    // Names given as arguments pick the operations to run.
    const QStringList only = app.arguments().mid(1);
    for (const longwork::Operation &op : operations.all()) {
        if (!only.isEmpty() && !only.contains(op.name))
            continue;
        Figures figures;
        // Untouched, with a click on the main window.
        const Moment click{QString(), 0, 0, Moment::MainWindow};
        if (!measure(op, &click, &figures)) {
            std::fprintf(stderr, "%s could not be run\n", qPrintable(op.name));
            return 1;
        }
        if (op.cancelable) {
            // Early in the read (the header of a PQDIF file), half-way, and
            // at the start of each later phase and a moment into it.
            // A phase of a few steps (an index of three) has no half-way value.
            const QString first = op.phases.value(0);
            const Moment later = first == Operations::reading() ? Moment{first, 50, 0, Moment::Cancel}
                                                                : Moment{first, 0, 400, Moment::Cancel};
            QVector<Moment> moments{{first, 0, 100, Moment::Cancel}, later};
            for (const QString &phase : op.phases.mid(1))
                for (int afterMs : {0, 150})
                    moments.append({phase, 0, afterMs, Moment::Cancel});
            for (const Moment &moment : qAsConst(moments))
                if (!measure(op, &moment, &figures))
                    std::fprintf(stderr, "%s: no moment %s +%d ms\n", qPrintable(op.name), qPrintable(moment.phase),
                                 moment.afterMs);
        }
        std::printf("%s largest window gap ms: %lld (%s)\n", qPrintable(op.name), figures.gap,
                    qPrintable(figures.gapAt));
        if (op.cancelable)
            std::printf("%s cancel latency ms: %lld (%s)\n", qPrintable(op.name), figures.latency,
                        qPrintable(figures.latencyAt));
        std::fflush(stdout);
        all.gap = qMax(all.gap, figures.gap);
        all.latency = qMax(all.latency, figures.latency);
    }
    std::printf("largest window gap ms: %lld\n", all.gap);
    std::printf("cancel latency ms: %lld\n", all.latency);
    g_framework->closeOpenedFile();
    settle();
    return 0;
}
