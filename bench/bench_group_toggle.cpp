// Grouping by date and back after "Load all data" on 1.6 million values
// (100,000 time stamps of 16 parameters): the time from the toggle to the
// first screen, next to the first screen of a freshly built model.
#include "common/Connections.h"
#include "tables/NarrowFixture.h"
#include "tables/TempDatabaseTableModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Parameters = 16;
constexpr qint64 Values = 1600000;
constexpr int ScreenRows = 50;
constexpr int Repeats = 5;

void print(const char *name, double value)
{
    std::printf("%s: %.3f\n", name, value);
    std::fflush(stdout);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Reads the cells of the first rows as a view painting them would.
void readScreen(MyAbstractTableModel &m)
{
    const int rows = std::min(ScreenRows, m.rowCount());
    int sum = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < m.columnCount(); ++c)
            sum += m.data(m.index(r, c)).toString().size();
    if (sum < 0)
        std::printf("?\n");
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;

    Connections::Options o;
    o.scratch = true;
    Connections::registerFile(QStringLiteral("toggle"), dir.filePath(QStringLiteral("toggle.sqlite")), o);
    QSqlDatabase db = Connections::database(QStringLiteral("toggle"));
    QElapsedTimer t;
    t.start();
    QString error;
    if (!NarrowFixture::writeLarge(db, Values, Parameters, &error)) {
        std::fprintf(stderr, "cannot build: %s\n", qPrintable(error));
        return 1;
    }
    print("build_1_6m_ms", t.elapsed());

    std::vector<double> fresh;
    for (int i = 0; i < Repeats; ++i) {
        t.restart();
        TempDatabaseTableModel m(db);
        readScreen(m);
        fresh.push_back(t.nsecsElapsed() / 1e6);
    }
    const double freshMs = median(fresh);
    print("first_screen_fresh_model_ms", freshMs);
    std::vector<double> freshGrouped;
    for (int i = 0; i < Repeats; ++i) {
        t.restart();
        TempDatabaseTableModel m(db);
        m.setGroupByDate(true);
        readScreen(m);
        freshGrouped.push_back(t.nsecsElapsed() / 1e6);
    }
    const double freshGroupedMs = median(freshGrouped);
    print("first_screen_fresh_model_grouped_ms", freshGroupedMs);

    TempDatabaseTableModel model(db);
    t.restart();
    model.setLoadAllData(true);
    print("load_all_ms", t.elapsed());
    print("load_all_rows", model.rowCount());

    // Once each: every toggle waits for the rows of the other form, which a
    // load-all of 1.3 million rows makes long.
    t.restart();
    model.setGroupByDate(true);
    readScreen(model);
    const double groupMs = t.nsecsElapsed() / 1e6;
    t.restart();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    print("release_flat_rows_ms", t.nsecsElapsed() / 1e6);
    t.restart();
    while (model.isFillingInBackground())
        QCoreApplication::processEvents();
    print("grouped_fill_ms", t.elapsed());
    print("grouped_rows", model.rowCount());

    t.restart();
    model.setGroupByDate(false);
    readScreen(model);
    const double ungroupMs = t.nsecsElapsed() / 1e6;
    t.restart();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    print("release_grouped_rows_ms", t.nsecsElapsed() / 1e6);
    t.restart();
    while (model.isFillingInBackground())
        QCoreApplication::processEvents();
    print("flat_fill_ms", t.elapsed());
    print("flat_rows", model.rowCount());

    print("toggle_group_first_screen_ms", groupMs);
    print("toggle_ungroup_first_screen_ms", ungroupMs);
    // Each toggle against a fresh model in the form it toggles to.
    print("ratio_group", groupMs / freshGroupedMs);
    print("ratio_ungroup", ungroupMs / freshMs);
    std::printf("ratio: %.3f\n", std::max(groupMs / freshGroupedMs, ungroupMs / freshMs));
    return 0;
}
