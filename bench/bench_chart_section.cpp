// Chart sections of 20 parameters: the first and the last section of a
// temporary database of 5 million Data rows, reached as the chart page
// reaches them (section after section), next to the first section of a
// 100-thousand-row database. A section here holds 50,000 points (2,500
// distinct times of 20 parameters); late sections must cost what early
// ones do. The page's own section length (50,000 times, a million points)
// is measured on the large database as well.
//
// A recorder section of the chart page (60 parameters, 50,000 rows of a MoxB
// CSV table): the longest the window's thread waited between two ticks of a
// 10 ms timer while a click on Next loaded and drew it (goal: 0.2 s).
#include "charts/AbstractChartModel.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Connections.h"
#include "support/RecorderChartFixture.h"
#include "tables/NarrowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Parameters = 20;
constexpr uint SectionTimes = 2500; // x 20 parameters = 50,000 points
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

QSqlDatabase makeDatabase(const QTemporaryDir &dir, const QString &name, qint64 rows)
{
    Connections::Options options;
    options.scratch = true;
    Connections::registerFile(name, dir.filePath(name + QStringLiteral(".sqlite")), options);
    QSqlDatabase db = Connections::database(name);
    QString error;
    if (!NarrowFixture::writeLarge(db, rows, Parameters, &error))
        qFatal("cannot write %s: %s", qPrintable(name), qPrintable(error));
    return db;
}

std::unique_ptr<AbstractChartModel> openModel(QSqlDatabase db, double *countMs)
{
    std::unique_ptr<AbstractChartModel> m(new AbstractChartModel(db, nullptr));
    m->setFlagModel(nullptr);
    QElapsedTimer t;
    t.start();
    if (!m->loadNamesDB() || !m->getDataExportRowCnt())
        qFatal("cannot count the chart rows");
    if (countMs)
        *countMs = t.nsecsElapsed() / 1e6;
    return m;
}

double timedLoad(AbstractChartModel &m, uint rowIndex, uint rowLen)
{
    QElapsedTimer t;
    t.start();
    if (!m.loadData(rowIndex, rowLen))
        qFatal("section %u failed", rowIndex);
    const double ms = t.nsecsElapsed() / 1e6;
    qint64 points = 0;
    for (auto *v : m.valueSeries)
        points += v->size();
    if (points < qint64(rowLen) * Parameters / 2)
        qFatal("section %u holds only %lld points", rowIndex, points);
    return ms;
}

double firstSection(QSqlDatabase db, uint rowLen)
{
    std::vector<double> times;
    for (int i = 0; i < Repeats; ++i) {
        auto m = openModel(db, nullptr);
        times.push_back(timedLoad(*m, 0, rowLen));
    }
    return median(times);
}

// The last section, reached by stepping through every section before it.
double lastSection(QSqlDatabase db, uint rowLen, double *countMs)
{
    auto m = openModel(db, countMs);
    const uint total = m->maxParamRowCnt;
    const uint lastStart = (total - 1) / rowLen * rowLen;
    for (uint start = 0; start < lastStart; start += rowLen)
        timedLoad(*m, start, rowLen);
    std::vector<double> times;
    for (int i = 0; i < Repeats; ++i)
        times.push_back(timedLoad(*m, lastStart, std::min(rowLen, total - lastStart)));
    return median(times);
}

// The second section of a two-section recorder table, loaded by a click on
// Next: the section's time (median of three) and the longest gap between
// the timer's ticks in any of them.
void recorderSection(const QTemporaryDir &dir, double *loadMs, double *gapMs)
{
    const QString name = QStringLiteral("recorder");
    Connections::Options options;
    options.scratch = true;
    Connections::registerFile(name, dir.filePath(name + QStringLiteral(".sqlite")), options);
    QSqlDatabase db = Connections::database(name);
    if (!recchart::writeTable(db, recchart::Kind::MoxBCsv, int(2 * AbstractChartModel::SectionRows), 60))
        qFatal("cannot write the recorder table");
    std::vector<double> loads;
    double gap = 0;
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<AbstractChartModel> model(recchart::newModel(recchart::Kind::MoxBCsv, db));
        std::unique_ptr<ChartViewPage> page(new ChartViewPage(nullptr, model.get()));
        page->resize(1074, 562);
        page->show();
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&]() {
            longest = std::max(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        clock.start();
        timer.start();
        QTest::mouseClick(recchart::nextButton(page.get()), Qt::LeftButton);
        longest = std::max(longest, clock.elapsed() - last);
        loads.push_back(clock.nsecsElapsed() / 1e6);
        timer.stop();
        if (model->sectionStartRow != AbstractChartModel::SectionRows)
            qFatal("the recorder's second section did not load");
        gap = std::max(gap, double(longest));
        page.reset();
        QCoreApplication::processEvents();
    }
    *loadMs = median(loads);
    *gapMs = gap;
    db = QSqlDatabase();
    Connections::remove(name);
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    // Runs without a display, as the other benchmarks do.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    QElapsedTimer t;
    t.start();
    QSqlDatabase small = makeDatabase(dir, QStringLiteral("small"), 100000);
    QSqlDatabase large = makeDatabase(dir, QStringLiteral("large"), 5000000);
    print("setup_ms", t.elapsed());

    const double smallFirst = firstSection(small, SectionTimes);
    const double largeFirst = firstSection(large, SectionTimes);
    double countMs = 0;
    const double largeLast = lastSection(large, SectionTimes, &countMs);
    print("count_5m_ms", countMs);
    print("small_first_section_ms", smallFirst);
    print("large_first_section_ms", largeFirst);
    print("large_last_section_ms", largeLast);
    print("large_first_page_section_ms", firstSection(large, AbstractChartModel::SectionRows));
    print("large_last_page_section_ms", lastSection(large, AbstractChartModel::SectionRows, nullptr));
    double recorderLoad = 0;
    double recorderGap = 0;
    recorderSection(dir, &recorderLoad, &recorderGap);
    print("recorder_section_ms", recorderLoad);
    print("recorder_section_largest_window_gap_ms", recorderGap);
    print("ratio", largeLast / smallFirst);
    return 0;
}
