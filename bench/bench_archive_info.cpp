// Archive summary of an application database: 100 thousand against
// 10 million Data rows. MIN and MAX come from the dateTime index in a few page
// reads; COUNT(*) still walks the smallest index, so it sets the large figure.
// The first call includes opening the file and the schema check.
//
// Then the device list page's refresh of its period limits on the 10 million
// rows. What the refresh asks of the database (the period look-up: the first
// and last times, whether a record exists, which recorder tables there are)
// against the MIN/MAX statement alone gives page_refresh_ratio. The whole
// refresh is printed too, for 100 thousand and 10 million rows: it does not
// grow with the rows (the count runs on the pool); beyond the look-up it sets
// the editors and calendars (one calendar day per day of the period: the large
// database spans more days than the small one).
//
// Last the instrument details on the 10 million rows: the look-up the page
// makes on the window's thread (first and last record from the indexes)
// against the same MIN/MAX statement gives details_ratio (the instrument has
// ten parameters: two index seeks each, in one statement), against the
// page's period look-up (the same path through the archive manager)
// details_to_period_ratio; the instrument's count, which follows on the
// pool, is printed beside them.
#include "acquisition/DataFilterPage.h"
#include "app/Framework.h"
#include "common/Connections.h"
#include "database/ArchiveManager.h"
#include "database/IndexBuild.h"
#include "ui_DataFilterPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>

namespace {

const QString kDataCon = QStringLiteral("Data_con");
constexpr int kParameters = 10;
constexpr int kRuns = 7;

bool exec(QSqlQuery &q, const QString &statement)
{
    if (q.exec(statement))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(statement), qPrintable(q.lastError().text()));
    return false;
}

// One instrument with ten parameters, rows spread evenly over them, one
// value per parameter and second.
bool makeDatabase(const QString &path, qint64 rows)
{
    if (!ArchiveManager::createDatabase(path))
        return false;
    const QString name = QStringLiteral("bench_fill");
    Connections::registerFile(name, path);
    bool ok = true;
    {
        QSqlDatabase db = Connections::database(name);
        QSqlQuery q(db);
        // Bulk fill without journal; indexes built once afterwards, sorted.
        ok = exec(q, QStringLiteral("PRAGMA journal_mode = OFF")) && exec(q, QStringLiteral("PRAGMA synchronous = OFF"))
            && exec(q, QStringLiteral("DROP INDEX idx_Data_dateTime"))
            && exec(q, QStringLiteral("DROP INDEX idx_Data_idParameters_dateTime"))
            && exec(q, QStringLiteral("INSERT INTO Devices (name, type) VALUES ('M1', 4)"));
        for (int p = 1; ok && p <= kParameters; ++p)
            ok = exec(q, QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (1, 'P%1', 'V')").arg(p));
        ok = ok && db.transaction();
        if (ok) {
            q.prepare(QStringLiteral(
                "INSERT INTO Data (idParameters, value, flag, dateTime) "
                "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x + 1 < :rows) "
                "SELECT x / :per + 1, x * 0.5, 0, :base + (x % :per) * 1000 FROM c"));
            q.bindValue(QStringLiteral(":rows"), rows);
            q.bindValue(QStringLiteral(":per"), rows / kParameters);
            q.bindValue(QStringLiteral(":base"), Q_INT64_C(1600000000000));
            ok = q.exec();
            if (!ok)
                std::fprintf(stderr, "fill: %s\n", qPrintable(q.lastError().text()));
            ok = db.commit() && ok;
        }
        QString error; // rebuilds the indexes
        ok = ok && indexBuild::run(db, indexBuild::missing(db), nullptr, {}, &error) == indexBuild::Outcome::Built;
        if (!error.isEmpty())
            std::fprintf(stderr, "indexes: %s\n", qPrintable(error));
        q.finish();
    }
    Connections::remove(name);
    // The fill ran unsynced; flush it now so that the first timed open does
    // not pay for writing the whole file back.
    QFile file(path);
    ok = ok && file.open(QIODevice::ReadOnly) && ::fsync(file.handle()) == 0;
    return ok;
}

double median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

struct Timing
{
    double firstMs = 0;
    double medianMs = 0;
    ArchiveInfo info;
};

Timing timeArchiveInfo(ArchiveManager &manager, const QString &path)
{
    Connections::registerFile(kDataCon, path);
    Timing t;
    std::vector<double> runs;
    for (int i = 0; i <= kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        t.info = manager.getArchiveInfo();
        const double ms = timer.nsecsElapsed() / 1e6;
        if (i == 0)
            t.firstMs = ms;
        else
            runs.push_back(ms);
    }
    t.medianMs = median(runs);
    Connections::remove(kDataCon);
    return t;
}

// MIN, MAX and COUNT(id) in one statement, as a plain summary would ask: one
// scan of every row, for comparison.
double singleStatementMs(const QString &path)
{
    Connections::registerFile(kDataCon, path);
    double ms = 0;
    {
        QSqlQuery q(Connections::database(kDataCon));
        QElapsedTimer timer;
        timer.start();
        if (exec(q, QStringLiteral("SELECT MIN(dateTime), MAX(dateTime), COUNT(id) FROM Data")) && q.next())
            ms = timer.nsecsElapsed() / 1e6;
    }
    Connections::remove(kDataCon);
    return ms;
}

// Until the page shows the record count of its last refresh.
bool waitForCount(DataFilterPage &page, const QString &expected)
{
    QElapsedTimer timer;
    timer.start();
    while (page.form()->dataRecordsValueLabel->text() != expected) {
        if (timer.elapsed() > 30000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

struct RefreshTiming
{
    double pageMs = 0;
    double periodMs = 0;
    double minMaxMs = 0;
    double detailsMs = 0;
    double deviceCountMs = 0;
    bool ok = false;
};

// The page as the main window shows it for the open database, refreshed
// again and again; the statement alone on the same (GUI) thread.
RefreshTiming timePageRefresh(const QString &path, qint64 rows)
{
    RefreshTiming t;
    Connections::registerFile(kDataCon, path);
    const QString count = DataFilterPage::formatRecordCount(quint64(rows));
    {
        DataFilterPage page;
        if (!waitForCount(page, count))
            return t;
        std::vector<double> runs;
        for (int i = 0; i < kRuns; ++i) {
            QElapsedTimer timer;
            timer.start();
            page.updateTimeConstrains();
            runs.push_back(timer.nsecsElapsed() / 1e6);
            // The count runs on the pool; it must not overlap the next run.
            if (!waitForCount(page, count))
                return t;
        }
        t.pageMs = median(runs);
        runs.clear();
        for (int i = 0; i < kRuns; ++i) {
            QElapsedTimer timer;
            timer.start();
            const ArchivePeriod period = g_framework->archiveManager.getArchivePeriod();
            runs.push_back(timer.nsecsElapsed() / 1e6);
            if (!period.hasRecords)
                return t;
        }
        t.periodMs = median(runs);
        runs.clear();
        for (int i = 0; i < kRuns; ++i) {
            QElapsedTimer timer;
            timer.start();
            const ArchivePeriod period = g_framework->archiveManager.getDevicePeriod(1);
            runs.push_back(timer.nsecsElapsed() / 1e6);
            if (!period.hasRecords)
                return t;
        }
        t.detailsMs = median(runs);
        QElapsedTimer timer;
        timer.start();
        if (ArchiveManager::countDeviceRecords(kDataCon, 1) != rows)
            return t;
        t.deviceCountMs = timer.nsecsElapsed() / 1e6;
    }
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        QSqlQuery q(Connections::database(kDataCon));
        QElapsedTimer timer;
        timer.start();
        if (!exec(q, QStringLiteral("SELECT (SELECT MIN(dateTime) FROM Data), (SELECT MAX(dateTime) FROM Data)"))
            || !q.next())
            return t;
        runs.push_back(timer.nsecsElapsed() / 1e6);
    }
    t.minMaxMs = median(runs);
    Connections::remove(kDataCon);
    t.ok = true;
    return t;
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
    QTextStream out(stdout);
    ArchiveManager manager;

    const qint64 smallRows = 100000;
    const qint64 largeRows = 10000000;
    const QString smallPath = dir.filePath(QStringLiteral("small.qdb"));
    const QString largePath = dir.filePath(QStringLiteral("large.qdb"));

    QElapsedTimer fill;
    fill.start();
    if (!makeDatabase(smallPath, smallRows) || !makeDatabase(largePath, largeRows)) {
        std::fprintf(stderr, "cannot build the databases\n");
        return 1;
    }
    out << "fill_seconds: " << QString::number(fill.elapsed() / 1000.0, 'f', 1) << "\n";

    const Timing small = timeArchiveInfo(manager, smallPath);
    const Timing large = timeArchiveInfo(manager, largePath);
    if (small.info.allRecordsCnt != smallRows || large.info.allRecordsCnt != largeRows) {
        std::fprintf(stderr, "wrong counts: %u %u\n", small.info.allRecordsCnt, large.info.allRecordsCnt);
        return 1;
    }
    out << "rows_small: " << small.info.allRecordsCnt << "\n";
    out << "rows_large: " << large.info.allRecordsCnt << "\n";
    out << "archive_info_small_first_ms: " << QString::number(small.firstMs, 'f', 3) << "\n";
    out << "archive_info_large_first_ms: " << QString::number(large.firstMs, 'f', 3) << "\n";
    out << "archive_info_small_ms: " << QString::number(small.medianMs, 'f', 3) << "\n";
    out << "archive_info_large_ms: " << QString::number(large.medianMs, 'f', 3) << "\n";
    out << "single_statement_large_ms: " << QString::number(singleStatementMs(largePath), 'f', 3) << "\n";

    g_framework = new Framework();
    const RefreshTiming smallRefresh = timePageRefresh(smallPath, smallRows);
    const RefreshTiming refresh = timePageRefresh(largePath, largeRows);
    if (!smallRefresh.ok || !refresh.ok) {
        std::fprintf(stderr, "the page did not show the count\n");
        return 1;
    }
    out << "page_refresh_small_ms: " << QString::number(smallRefresh.pageMs, 'f', 3) << "\n";
    out << "page_refresh_large_ms: " << QString::number(refresh.pageMs, 'f', 3) << "\n";
    out << "period_lookup_large_ms: " << QString::number(refresh.periodMs, 'f', 3) << "\n";
    out << "min_max_statement_large_ms: " << QString::number(refresh.minMaxMs, 'f', 3) << "\n";
    out << "page_refresh_ratio: " << QString::number(refresh.periodMs / refresh.minMaxMs, 'f', 2) << "\n";
    out << "details_lookup_large_ms: " << QString::number(refresh.detailsMs, 'f', 3) << "\n";
    out << "device_count_large_ms: " << QString::number(refresh.deviceCountMs, 'f', 3) << "\n";
    out << "details_ratio: " << QString::number(refresh.detailsMs / refresh.minMaxMs, 'f', 2) << "\n";
    out << "details_to_period_ratio: " << QString::number(refresh.detailsMs / refresh.periodMs, 'f', 2) << "\n";
    out << "ratio: " << QString::number(large.medianMs / small.medianMs, 'f', 2) << "\n";
    return 0;
}
