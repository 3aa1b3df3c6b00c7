// A year of one-minute samples of 5 parameters (2,628,000 rows of Data), put
// into a one-minute report: the report model's whole run (statement, rows,
// headers) next to the same statement run alone and read to its last row.
// Prints times in milliseconds and the growth of the peak resident memory of
// each step in MB; the ratio is the report's time over the statement's.
#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "reports/AbstractReportModel.h"
#include "reports/RaportGenerator.h"
#include "support/DbTestUtil.h"
#include "support/ReportSqlFixtures.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

const int kMinutes = 365 * 24 * 60;
const int kParameters = 5;

// Kilobytes of a line of /proc/self/status ("VmHWM", "VmRSS").
qint64 statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key)) + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Resets the peak to the current size, where the kernel allows it.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

bool fill(QSqlDatabase db)
{
    if (!reportfixtures::createNarrowTables(db))
        return false;
    reportfixtures::insertDevice(db, 1, QStringLiteral("ZelB"), 4);
    for (int p = 1; p <= kParameters; ++p)
        reportfixtures::insertParameter(db, p, 1, QStringLiteral("P%1").arg(p));
    TransactionGuard guard(db);
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("INSERT INTO Data (dateTime, idParameters, value, flag) VALUES (?, ?, ?, 0)")))
        return false;
    const qint64 origin = QDateTime(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    for (int m = 0; m < kMinutes; ++m) {
        for (int p = 1; p <= kParameters; ++p) {
            q.bindValue(0, origin + qint64(m) * 60000 + p * 1000);
            q.bindValue(1, p);
            q.bindValue(2, 200.0 + p + (m % 997) * 0.01);
            if (!q.exec())
                return false;
        }
    }
    return guard.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QSqlDatabase db = testdb::open(QStringLiteral("bench"), dir.filePath(QStringLiteral("bench.sqlite")),
                                   testdb::Sync::Scratch);
    QTextStream out(stdout);

    QElapsedTimer fillTimer;
    fillTimer.start();
    if (!fill(db)) {
        std::fprintf(stderr, "could not build the table\n");
        return 1;
    }
    out << "samples: " << qint64(kMinutes) * kParameters << "\n";
    out << "fill_ms: " << fillTimer.elapsed() << "\n";
    out.flush();

    AbstractReportModel model(db, ZelB, nullptr);
    model.setGroupingType(0);
    model.setIntervalMinutes(1);
    model.setAggregationType(1);
    model.setReportOptions(true, false, false, false, 1);
    for (int i = 0; i < kParameters; ++i)
        model.appendReportParam(i);

    // The statement alone, read to its last row with every column touched.
    model.prepareQueryFilters(QStringLiteral("ZelB"), 0);
    const QString statement = RaportGenerator::generateQuery(0, 0, 0);
    resetPeak();
    qint64 rssBefore = statusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    qint64 resultRows = 0;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(statement))
            return 1;
        while (q.next()) {
            for (int c = 0; c < 5; ++c)
                q.value(c);
            ++resultRows;
        }
    }
    const qint64 statementMs = timer.elapsed();
    const qint64 statementPeakKb = statusKb("VmHWM:") - rssBefore;

    resetPeak();
    rssBefore = statusKb("VmRSS:");
    timer.restart();
    model.updateQuery(0);
    const qint64 reportMs = timer.elapsed();
    const qint64 reportPeakKb = statusKb("VmHWM:") - rssBefore;
    const qint64 reportKeptKb = statusKb("VmRSS:") - rssBefore;

    out << "result_rows: " << resultRows << "\n";
    out << "report_rows: " << model.rowCount() << "\n";
    out << "report_columns: " << model.columnCount() << "\n";
    out << "statement_ms: " << statementMs << "\n";
    out << "report_ms: " << reportMs << "\n";
    out << "statement_peak_mb: " << QString::number(statementPeakKb / 1024.0, 'f', 1) << "\n";
    out << "report_peak_mb: " << QString::number(reportPeakKb / 1024.0, 'f', 1) << "\n";
    out << "report_rows_kept_mb: " << QString::number(reportKeptKb / 1024.0, 'f', 1) << "\n";
    out << "ratio: " << QString::number(double(reportMs) / qMax<qint64>(1, statementMs), 'f', 2) << "\n";
    return model.rowCount() == kMinutes ? 0 : 1;
}
