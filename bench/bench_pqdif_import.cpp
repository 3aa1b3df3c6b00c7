// Importing a large PQDIF file (2,000 observations x 20 series x 250 values)
// into a temporary database with the analysers' reader, next to the layer's
// own read of the same file and to the same rows written by one bare prepared
// statement (the floor of any import into these tables).
#include "common/Connections.h"
#include "database/DatabaseStructure.h"
#include "pqdif/PqdifFile.h"
#include "pqdif/PqdifBenchFile.h"
#include "readers/ZelDXPqdifParser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <cmath>
#include <cstdio>
#include <memory>

using namespace pqdif;

namespace {

using namespace pqdifbench;

QSqlDatabase freshDatabase(const QString &name, const QString &path)
{
    QFile::remove(path);
    Connections::Options scratch;
    scratch.scratch = true;
    Connections::registerFile(name, path, scratch);
    QSqlDatabase db = Connections::database(name);
    DatabaseStructure().initStructure(db);
    return db;
}

// The layer's read: records, wrappers, every value scaled, series 0 to times.
double layerRead(const QString &path, long long *values)
{
    QElapsedTimer t;
    t.start();
    std::unique_ptr<CPQDIF_PC_FlatFile> pc(theFactory.NewPersistController(0));
    pc->SetFileName(QFile::encodeName(path).constData());
    if (!pc->ReadHeaders())
        return -1;
    *values = 0;
    double sum = 0;
    const CPQDIFRecord *ds = nullptr;
    for (long i = 0; i < pc->GetCountRecords(); ++i) {
        const CPQDIFRecord *r = pc->GetRecord(i);
        if (r->GetTag() == tagRecDataSource)
            ds = r;
        if (r->GetTag() != tagRecObservation || !ds)
            continue;
        std::unique_ptr<CPQDIF_R_Observation> obs(theFactory.NewObservationWrapper(r, ds));
        PqdifTimeStamp start;
        obs->GetStartTime(start);
        const double startSec = timeStampToUnixSeconds(start);
        for (long c = 0; c < obs->GetCountChannels(); ++c) {
            for (long s = 0; s < obs->GetCountSeries(c); ++s) {
                const CPQDIF_E_Vector *v = obs->GetSeriesValues(c, s);
                double scale = 1, offset = 0;
                obs->GetSeriesScale(c, s, scale, offset);
                for (long j = 0; v && j < v->GetCount(); ++j) {
                    double d = 0;
                    if (!v->GetValueREAL8(j, d))
                        v->GetValueAsReal(j, d);
                    sum += s == 0 ? double(roundHalfAway((startSec + d) * 1000.0) % 1000) : d * scale + offset;
                    ++*values;
                }
            }
        }
    }
    if (sum == 0)
        std::fprintf(stderr, "no values\n");
    return t.nsecsElapsed() / 1e6;
}

// The rows the reader writes, through one bare prepared statement.
double bareInserts(QSqlDatabase db, long long *rows)
{
    QElapsedTimer t;
    t.start();
    db.transaction();
    QSqlQuery q(db);
    q.exec(QStringLiteral("INSERT INTO Devices (name, type) VALUES ('Bench', 19)"));
    q.prepare(QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (1, ?, 'V')"));
    for (int p = 0; p < kObservations * kChannels * (kSeriesPerChannel - 1); ++p) {
        q.bindValue(0, QStringLiteral("P%1").arg(p));
        q.exec();
    }
    q.prepare(QStringLiteral("INSERT INTO Data (idParameters, value, flag, dateTime, observationId) "
                             "VALUES (?, ?, ?, ?, ?)"));
    *rows = 0;
    const qint64 base = 1704067200000LL;
    int parameter = 0;
    for (int o = 0; o < kObservations; ++o) {
        for (int p = 0; p < kChannels * (kSeriesPerChannel - 1); ++p) {
            ++parameter;
            for (int j = 0; j < kValues; ++j) {
                q.bindValue(0, parameter);
                q.bindValue(1, 230.0 + j * 0.01);
                q.bindValue(2, 0);
                q.bindValue(3, base + o * 50000LL + j * 200LL);
                q.bindValue(4, o + 1);
                if (!q.exec()) {
                    std::fprintf(stderr, "insert failed: %s\n", qPrintable(q.lastError().text()));
                    return -1;
                }
                ++*rows;
            }
        }
    }
    db.commit();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.pqd"));
    if (!writeFile(file, false)) {
        std::fprintf(stderr, "cannot write the file\n");
        return 1;
    }

    long long values = 0;
    double readMs = 1e300;
    for (int round = 0; round < 3; ++round)
        readMs = std::min(readMs, layerRead(file, &values));

    long long bareRows = 0;
    double bareMs = 0;
    {
        QSqlDatabase db = freshDatabase(QStringLiteral("bench_bare"), dir.filePath(QStringLiteral("bare.sqlite")));
        bareMs = bareInserts(db, &bareRows);
    }
    Connections::remove(QStringLiteral("bench_bare"));

    int count = 0;
    double importMs = 0;
    {
        QSqlDatabase db = freshDatabase(QStringLiteral("bench_import"), dir.filePath(QStringLiteral("import.sqlite")));
        QAtomicInteger<char> cancel(0);
        ZelDXPqdifParser reader(nullptr, &cancel);
        QElapsedTimer t;
        t.start();
        if (!reader.openFile(file) || !reader.parseFile(db, &count)) {
            std::fprintf(stderr, "import failed\n");
            return 1;
        }
        importMs = t.nsecsElapsed() / 1e6;
        QSqlQuery plan(db);
        plan.exec(QStringLiteral("EXPLAIN QUERY PLAN SELECT id FROM Parameters WHERE idDevices = 1 AND name = 'x' "
                                 "AND IFNULL(unit, '') = ''"));
        while (plan.next())
            std::printf("parameter_lookup_plan: %s\n", qPrintable(plan.value(3).toString()));
    }
    Connections::remove(QStringLiteral("bench_import"));
    if (count != bareRows) {
        std::fprintf(stderr, "rows differ: %d vs %lld\n", count, bareRows);
        return 1;
    }

    std::printf("file_bytes: %lld\n", static_cast<long long>(QFile(file).size()));
    std::printf("values_in_file: %lld\n", values);
    std::printf("rows_written: %d\n", count);
    std::printf("layer_read_ms: %.1f\n", readMs);
    std::printf("bare_insert_ms: %.1f\n", bareMs);
    std::printf("import_ms: %.1f\n", importMs);
    std::printf("import_rows_per_s: %.0f\n", count / (importMs / 1000.0));
    std::printf("ratio_vs_layer_read: %.2f\n", importMs / readMs);
    std::printf("ratio: %.2f\n", importMs / (readMs + bareMs));
    return 0;
}
