// Report statements over a wide recorder table: a DataMoxA of 300,000 rows
// (one per second) by 4 value columns at one-minute grouping, the aggregate
// and the increment statement each timed next to a plain GROUP BY over the
// same rows. Prints the median of several runs in milliseconds; the ratio is
// the slower statement divided by the baseline.
#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "database/DatabaseStructure.h"
#include "reports/RaportGenerator.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

const int kRows = 300000;
const int kRuns = 3;

bool fill(QSqlDatabase db, const QStringList &columns)
{
    QStringList all{QStringLiteral("date"), QStringLiteral("time")};
    all += columns;
    DatabaseStructure().ensureDataMoxATable(db, all);

    TransactionGuard guard(db);
    QSqlQuery q(db);
    QStringList marks;
    for (int i = 0; i < all.size(); ++i)
        marks << QStringLiteral("?");
    if (!q.prepare(QStringLiteral("INSERT INTO DataMoxA (%1) VALUES (%2)")
                       .arg(sql::quoteIdentifiers(all, QStringLiteral(",")), marks.join(QLatin1Char(',')))))
        return false;
    QRandomGenerator random(1234);
    const QDateTime origin(QDate(2025, 3, 10), QTime(17, 14, 43), Qt::UTC);
    for (int r = 0; r < kRows; ++r) {
        const QDateTime t = origin.addSecs(r);
        q.bindValue(0, t.toString(QStringLiteral("yyyy-MM-dd")));
        q.bindValue(1, t.toString(QStringLiteral("HH:mm:ss")));
        for (int c = 0; c < columns.size(); ++c) {
            // As the recorder writes them, with the odd missing value.
            const bool missing = random.bounded(20) == 0;
            q.bindValue(2 + c, missing ? QStringLiteral(" ")
                                       : QString::asprintf("%.6E", random.generateDouble() * 400.0 - 50.0));
        }
        if (!q.exec())
            return false;
    }
    return guard.commit();
}

// Runs the statement to its last row; -1 on failure.
double timeStatement(QSqlDatabase db, const QString &statement, int *rows)
{
    QVector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(statement)) {
            std::fprintf(stderr, "failed: %s\n", qPrintable(q.lastError().text()));
            return -1;
        }
        int n = 0;
        while (q.next())
            ++n;
        times << timer.nsecsElapsed() / 1e6;
        *rows = n;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Connections::registerFile(QStringLiteral("bench"), dir.filePath(QStringLiteral("bench.qdb")));
    QSqlDatabase db = Connections::database(QStringLiteral("bench"));

    const QStringList columns{QStringLiteral("block1_value1_Ch1_14500_t1 (M1)"),
                              QStringLiteral("block1_value2_Ch2_14502_t1 (M1)"),
                              QStringLiteral("block1_value3_Ch3_14504_t1 (M1)"),
                              QStringLiteral("block1_value4_Ch4_14506_t1 (M1)")};
    QElapsedTimer fillTimer;
    fillTimer.start();
    if (!fill(db, columns)) {
        std::fprintf(stderr, "could not build the table\n");
        return 1;
    }
    QTextStream out(stdout);
    out << "rows: " << kRows << "\n";
    out << "value_columns: " << columns.size() << "\n";
    out << "fill_ms: " << fillTimer.elapsed() << "\n";

    QStringList selected;
    for (const QString &c : columns)
        selected << c + QStringLiteral(" [V]");
    RaportGenerator::stripBrackets(selected);

    // Baseline: the plain grouping by minute that any aggregate has to do.
    QStringList baselineColumns;
    for (const QString &c : columns)
        baselineColumns << QStringLiteral("AVG(%1)").arg(sql::quoteIdentifier(c));
    const QString baseline =
        QStringLiteral("SELECT strftime('%Y-%m-%d %H:%M:00', datetime(date || ' ' || time)) AS minute, %1 "
                       "FROM DataMoxA GROUP BY minute ORDER BY minute")
            .arg(baselineColumns.join(QStringLiteral(", ")));
    int baselineRows = 0, aggregateRows = 0, incrementRows = 0;
    const double baselineMs = timeStatement(db, baseline, &baselineRows);

    RaportGenerator::setGroupingType(0, 1, 1, 4);
    const double aggregateMs = timeStatement(db, RaportGenerator::generateQueryMoxA(0, 0, 0), &aggregateRows);
    RaportGenerator::setGroupingType(0, 1, 3, 4);
    const double incrementMs = timeStatement(db, RaportGenerator::generateQueryMoxA(0, 0, 0), &incrementRows);
    if (baselineMs <= 0 || aggregateMs < 0 || incrementMs < 0)
        return 1;

    out << "baseline_rows: " << baselineRows << "\n";
    out << "aggregate_rows: " << aggregateRows << "\n";
    out << "increment_rows: " << incrementRows << "\n";
    out << "baseline_group_by_ms: " << QString::number(baselineMs, 'f', 1) << "\n";
    out << "aggregate_ms: " << QString::number(aggregateMs, 'f', 1) << "\n";
    out << "increment_ms: " << QString::number(incrementMs, 'f', 1) << "\n";
    out << "aggregate_ratio: " << QString::number(aggregateMs / baselineMs, 'f', 2) << "\n";
    out << "increment_ratio: " << QString::number(incrementMs / baselineMs, 'f', 2) << "\n";
    out << "ratio: " << QString::number(std::max(aggregateMs, incrementMs) / baselineMs, 'f', 2) << "\n";
    return 0;
}
