// The first open of an application database made to the schema alone (no
// index of the program's): 4 million values. The open builds the three
// indexes on its task, behind its progress window.
//
// - bare_create_index_rows_per_s: the three CREATE INDEX statements alone on a
//   copy of the file, through SQLite with nothing else;
// - index_build_rows_per_s: the build inside the open through the real window
//   (from the console line that announces it to the session's start);
// - largest_window_gap_during_build_ms: the longest the window's thread went
//   without serving a 10 ms timer while the indexes were built (this open
//   and the cancelled ones); largest_window_gap_whole_open_ms: the same over
//   the whole open, the data-filter page it shows included;
// - cancel_latency_ms: the longest time from a click on the progress
//   window's Cancel (during each of the three indexes) to the open's end;
// - ratio: the build's time against the bare statements' (smaller is better).
#include "support/DbTestUtil.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "database/DatabaseStructure.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

#include <sqlite3.h>

namespace {

constexpr int kValues = 4000000;
constexpr int kParameters = 20;

void print(const char *name, double value)
{
    std::printf("%s: %.3f\n", name, value);
    std::fflush(stdout);
}

bool copyFixture(const QString &from, const QString &to)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(to + QLatin1String(suffix));
    return QFile::copy(from, to);
}

// The page cache holds the file alike for every run.
void readThrough(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        while (!file.read(1 << 20).isEmpty()) {
        }
}

double bareCreateIndexMs(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(path));
    QElapsedTimer timer;
    timer.start();
    for (const DatabaseStructure::Index &index : DatabaseStructure::indexes())
        if (sqlite3_exec(db, index.statement.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            qFatal("%s: %s", qPrintable(index.statement), sqlite3_errmsg(db));
    const double ms = timer.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    return ms;
}

struct OpenRun
{
    double buildMs = -1;
    double maxGapMs = 0;      // the whole open, the page it opens included
    double buildGapMs = 0;    // while the indexes were built
    double cancelMs = -1;
    bool sessionOpen = false;
};

// OPEN DATABASE as the user clicks it. With a label, Cancel is clicked
// cancelAfterMs after the progress window first shows a text starting so.
OpenRun openThroughWindow(ScriptedPrompts &prompts, const QString &path, const QString &label = QString(),
                          int cancelAfterMs = 0)
{
    MainWindow *window = g_framework->mainWindow.data();
    OpenRun run;
    QElapsedTimer clock;
    clock.start();
    QAtomicInteger<qint64> buildStart(-1), buildEnd(-1);
    const QMetaObject::Connection lines = QObject::connect(
        g_framework, &Framework::consoleMessage, g_framework,
        [&](const QString &text, int) {
            if (text.startsWith(QLatin1String("Preparing the database ")))
                buildStart.storeRelease(clock.nsecsElapsed());
            else if (text.startsWith(QLatin1String("Session opened in: ")))
                buildEnd.storeRelease(clock.nsecsElapsed());
        },
        Qt::DirectConnection);

    prompts.fileAnswers.enqueue(path);
    qint64 labelSeen = -1, cancelledAt = -1, lastTick = 0;
    QTimer user;
    user.setInterval(10);
    QObject::connect(&user, &QTimer::timeout, [&]() {
        const qint64 now = clock.nsecsElapsed();
        run.maxGapMs = qMax(run.maxGapMs, (now - lastTick) / 1e6);
        const qint64 start = buildStart.loadAcquire();
        if (start >= 0 && lastTick >= start && buildEnd.loadAcquire() < 0)
            run.buildGapMs = qMax(run.buildGapMs, (now - lastTick) / 1e6);
        lastTick = now;
        if (label.isEmpty() || cancelledAt >= 0)
            return;
        for (QProgressDialog *dialog : window->findChildren<QProgressDialog *>()) {
            if (!dialog->isVisible() || !dialog->labelText().section(QLatin1Char('\n'), -1).startsWith(label))
                continue;
            if (labelSeen < 0)
                labelSeen = now;
            if ((now - labelSeen) / 1e6 >= cancelAfterMs) {
                if (QPushButton *cancel = dialog->findChild<QPushButton *>()) {
                    cancelledAt = clock.nsecsElapsed();
                    cancel->click();
                }
            }
        }
    });
    user.start();
    lastTick = clock.nsecsElapsed();
    window->findChild<QToolButton *>(QStringLiteral("openDatabaseButton"))->click();
    const qint64 end = clock.nsecsElapsed();
    run.maxGapMs = qMax(run.maxGapMs, (end - lastTick) / 1e6);
    user.stop();
    QObject::disconnect(lines);
    if (cancelledAt >= 0)
        run.cancelMs = (end - cancelledAt) / 1e6;
    if (buildStart.loadAcquire() >= 0 && buildEnd.loadAcquire() >= 0)
        run.buildMs = (buildEnd.loadAcquire() - buildStart.loadAcquire()) / 1e6;
    run.sessionOpen = g_framework->getSessionInfo().isOpen;
    window->on_actionClosedata_triggered();
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlog"));
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString fixture = dir.filePath(QStringLiteral("fixture.qdb"));
    const QString bare = dir.filePath(QStringLiteral("bare.qdb"));
    const QString opened = dir.filePath(QStringLiteral("opened.qdb"));

    QElapsedTimer fill;
    fill.start();
    if (!testdb::makeSchemaOnlyDatabase(fixture, kValues, kParameters))
        qFatal("cannot write the fixture");
    print("fill_seconds", fill.elapsed() / 1000.0);
    std::printf("values: %d\n", kValues);

    g_framework = new Framework();
    g_framework->createMainWindow();
    ScriptedPrompts prompts;

    if (!copyFixture(fixture, bare))
        qFatal("cannot copy the fixture");
    readThrough(bare);
    const double bareMs = bareCreateIndexMs(bare);
    QFile::remove(bare);

    if (!copyFixture(fixture, opened))
        qFatal("cannot copy the fixture");
    readThrough(opened);
    const OpenRun built = openThroughWindow(prompts, opened);
    if (!built.sessionOpen || built.buildMs < 0)
        qFatal("the open did not build the indexes");

    // Cancel as soon as the build shows, and well into each of the two
    // indexes that sort every value (that of Parameters is over at once).
    struct Moment
    {
        const char *name;
        QString label;
        int afterMs;
    };
    const QString building = QStringLiteral("Building the database indexes (");
    const Moment moments[] = {{"cancel_latency_at_start_ms", building, 0},
                              {"cancel_latency_in_index_2_ms", building + QStringLiteral("2 of "), 150},
                              {"cancel_latency_in_index_3_ms", building + QStringLiteral("3 of "), 150}};
    double cancelMs = 0;
    double cancelGapMs = 0;
    double cancelBuildGapMs = 0;
    for (const Moment &moment : moments) {
        if (!copyFixture(fixture, opened))
            qFatal("cannot copy the fixture");
        readThrough(opened);
        const OpenRun cancelled = openThroughWindow(prompts, opened, moment.label, moment.afterMs);
        if (cancelled.sessionOpen || cancelled.cancelMs < 0)
            qFatal("%s: the cancel did not end the open", moment.name);
        print(moment.name, cancelled.cancelMs);
        cancelMs = qMax(cancelMs, cancelled.cancelMs);
        cancelGapMs = qMax(cancelGapMs, cancelled.maxGapMs);
        cancelBuildGapMs = qMax(cancelBuildGapMs, cancelled.buildGapMs);
    }

    print("bare_create_index_ms", bareMs);
    print("index_build_ms", built.buildMs);
    print("bare_create_index_rows_per_s", kValues / (bareMs / 1000.0));
    print("index_build_rows_per_s", kValues / (built.buildMs / 1000.0));
    print("largest_window_gap_during_build_ms", qMax(built.buildGapMs, cancelBuildGapMs));
    print("largest_window_gap_whole_open_ms", qMax(built.maxGapMs, cancelGapMs));
    print("cancel_latency_ms", cancelMs);
    print("ratio", built.buildMs / bareMs);
    return 0;
}
