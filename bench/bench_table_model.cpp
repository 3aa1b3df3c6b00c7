// First screen of the narrow table model on a small and a large temporary
// database: constructing TempDatabaseTableModel and reading its first 256
// rows, flat and grouped by time. The large one must not be slower in
// proportion to its size.
#include "common/Connections.h"
#include "tables/NarrowFixture.h"
#include "tables/TempDatabaseTableModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Parameters = 20;
constexpr int ScreenRows = 256;
constexpr int Repeats = 7;

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
double readScreen(MyAbstractTableModel &m)
{
    double sum = 0;
    const int rows = std::min(ScreenRows, m.rowCount());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < m.columnCount(); ++c)
            sum += m.data(m.index(r, c)).toString().size();
    return sum;
}

// Milliseconds to construct the model and read the first screen.
double firstScreen(QSqlDatabase db, bool grouped, const FiltersCfg &filters)
{
    std::vector<double> times;
    for (int i = 0; i < Repeats; ++i) {
        QElapsedTimer t;
        t.start();
        TempDatabaseTableModel m(db, filters);
        if (grouped)
            m.setGroupByDate(true);
        if (m.rowCount() < ScreenRows) {
            std::fprintf(stderr, "only %d rows\n", m.rowCount());
            return -1;
        }
        readScreen(m);
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(times);
}

double exportAll(QSqlDatabase db, qint64 *records)
{
    TempDatabaseTableModel m(db);
    QElapsedTimer t;
    t.start();
    const uint count = uint(m.getDataExportRowCnt());
    *records = 0;
    MyAbstractSqlModel::ExportRecord r;
    for (uint offset = 0; offset < count; offset += 50000) {
        if (!m.execDataExportQuery(offset, std::min(50000u, count - offset)))
            break;
        while (m.getNextExportRecord(r))
            ++*records;
    }
    return t.nsecsElapsed() / 1e6;
}

QSqlDatabase build(const QTemporaryDir &dir, const QString &name, qint64 rows)
{
    Connections::Options o;
    o.scratch = true;
    Connections::registerFile(name, dir.filePath(name + QStringLiteral(".sqlite")), o);
    QSqlDatabase db = Connections::database(name);
    QString error;
    QElapsedTimer t;
    t.start();
    if (!NarrowFixture::writeLarge(db, rows, Parameters, &error)) {
        std::fprintf(stderr, "cannot build %s: %s\n", qPrintable(name), qPrintable(error));
        std::exit(1);
    }
    return db;
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;

    QElapsedTimer t;
    t.start();
    QSqlDatabase small = build(dir, QStringLiteral("small"), 50000);
    print("build_50k_ms", t.elapsed());
    t.restart();
    QSqlDatabase large = build(dir, QStringLiteral("large"), 5000000);
    print("build_5m_ms", t.elapsed());

    FiltersCfg none;
    FiltersCfg all; // every parameter, whole period: the filtered session form
    for (int p = 1; p <= Parameters; ++p)
        all.selectedParamId << p;
    all.startDateTime = NarrowFixture::T0;
    all.endDateTime = NarrowFixture::T0 + 10LL * 365 * 24 * 3600 * 1000;
    FiltersCfg two; // a small share of the parameters
    two.selectedParamId = {3, 17};

    const double smallFlat = firstScreen(small, false, none);
    const double largeFlat = firstScreen(large, false, none);
    const double smallGrouped = firstScreen(small, true, none);
    const double largeGrouped = firstScreen(large, true, none);
    print("first_screen_flat_50k_ms", smallFlat);
    print("first_screen_flat_5m_ms", largeFlat);
    print("first_screen_grouped_50k_ms", smallGrouped);
    print("first_screen_grouped_5m_ms", largeGrouped);
    print("first_screen_flat_filtered_all_5m_ms", firstScreen(large, false, all));
    print("first_screen_grouped_filtered_all_5m_ms", firstScreen(large, true, all));
    print("first_screen_flat_filtered_two_5m_ms", firstScreen(large, false, two));
    print("first_screen_grouped_filtered_two_5m_ms", firstScreen(large, true, two));

    qint64 n = 0;
    const double exportSmall = exportAll(small, &n);
    print("export_50k_ms", exportSmall);
    const double exportLarge = exportAll(large, &n);
    print("export_5m_ms", exportLarge);
    print("export_5m_records", double(n));

    const double ratioFlat = largeFlat / smallFlat;
    const double ratioGrouped = largeGrouped / smallGrouped;
    print("ratio_flat", ratioFlat);
    print("ratio_grouped", ratioGrouped);
    std::printf("ratio: %.3f\n", std::max(ratioFlat, ratioGrouped));
    return 0;
}
