// Reading a large PQDIF file: 2,000 observations x 20 series x 250 values
// (10 million values) through the controller, observation wrappers and value
// vectors, against the time of reading the same bytes from disk.
// Then the analysers' reader on a compressed file of 2.7 million rows: its
// time to the first record, in a process of its own as an import finds the
// machine, against the layer's own header read of the same file; how soon it
// ends after a cancel during that read; and how long its end (view, commit,
// the log moved into the file) takes, with and without a cancel.
#include "common/Connections.h"
#include "database/DatabaseStructure.h"
#include "pqdif/PqdifFile.h"
#include "pqdif/PqdifBenchFile.h"
#include "readers/ZelDXPqdifParser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <memory>

using namespace pqdif;

namespace {

using namespace pqdifbench;

// The I/O floor: the file's bytes into memory, nothing else.
double readBytes(const QString &path, size_t &bytes)
{
    QElapsedTimer t;
    t.start();
    std::FILE *f = std::fopen(QFile::encodeName(path).constData(), "rb");
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    std::vector<uint8_t> image(static_cast<size_t>(size));
    bytes = std::fread(image.data(), 1, image.size(), f);
    std::fclose(f);
    return t.nsecsElapsed() / 1e6;
}

// Everything an importer does with the layer: records, wrappers, every value
// scaled, every time of series 0 to milliseconds.
double readPqdif(const QString &path, long long &values, double &checksum, double &headersMs)
{
    QElapsedTimer t;
    t.start();
    std::unique_ptr<CPQDIF_PC_FlatFile> pc(theFactory.NewPersistController(0));
    pc->SetFileName(QFile::encodeName(path).constData());
    if (!pc->ReadHeaders()) {
        std::fprintf(stderr, "read failed: %s\n", pc->GetLastError().c_str());
        return -1;
    }
    headersMs = t.nsecsElapsed() / 1e6;
    values = 0;
    checksum = 0;
    const CPQDIFRecord *ds = nullptr;
    for (long i = 0; i < pc->GetCountRecords(); ++i) {
        const CPQDIFRecord *r = pc->GetRecord(i);
        if (r->GetTag() == tagRecDataSource) {
            ds = r;
            continue;
        }
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
                    if (s == 0)
                        checksum += static_cast<double>(roundHalfAway((startSec + d) * 1000.0) % 1000);
                    else
                        checksum += d * scale + offset;
                    ++values;
                }
            }
        }
    }
    return t.nsecsElapsed() / 1e6;
}

// 720 observations of 5 x 3 series of 250 values: 2.7 million rows.
constexpr int kReaderObservations = 720;
const char kFirstRecordArg[] = "--reader-first-record";

double layerHeaders(const QString &path)
{
    QElapsedTimer t;
    t.start();
    std::unique_ptr<CPQDIF_PC_FlatFile> pc(theFactory.NewPersistController(0));
    pc->SetFileName(QFile::encodeName(path).constData());
    if (!pc->ReadHeaders())
        return -1;
    return t.nsecsElapsed() / 1e6;
}

struct ReaderRun
{
    double firstRecordMs = -1; // parseFile's start to its first data source
    double lastRecordMs = -1;  // ... to its last record read (progress 100)
    double cancelledAtMs = -1; // when the flag was set
    double returnedMs = -1;
    bool reachedRecord = false;
    bool parsed = false;
};

enum class Stop {
    AtFirstRecord,    // nothing else is wanted: the flag is set there
    AfterDelay,       // the flag is set that long after parseFile starts
    AtLastRecord,     // the flag is set once every record is read
    Never,
};

// The reader on a thread of its own, as the import runs it, into a scratch
// database or one with the application database's settings.
ReaderRun runReader(const QString &file, const QString &dbPath, Stop stop, double delayMs = 0, bool scratch = true)
{
    static int serial = 0;
    const QString name = QStringLiteral("bench_reader%1").arg(++serial);
    Connections::Options options;
    options.scratch = scratch;
    QFile::remove(dbPath);
    Connections::registerFile(name, dbPath, options);
    ReaderRun run;
    QAtomicInteger<char> cancel(0);
    QSemaphore started;
    QElapsedTimer t;
    QThread *worker = QThread::create([&]() {
        Connections::TaskScope connections;
        QSqlDatabase db = Connections::database(name);
        DatabaseStructure().initStructure(db);
        ZelDXPqdifParser reader(nullptr, &cancel);
        QObject::connect(&reader, &ZelDXPqdifParser::consoleMessage, [&](const QString &text) {
            if (!run.reachedRecord && text.startsWith(QLatin1String("Using data source"))) {
                run.reachedRecord = true;
                run.firstRecordMs = t.nsecsElapsed() / 1e6;
                if (stop == Stop::AtFirstRecord)
                    cancel.storeRelease(1);
            }
        });
        QObject::connect(&reader, &ZelDXPqdifParser::progressValueChanged, [&](int value) {
            if (value < 100)
                return;
            run.lastRecordMs = t.nsecsElapsed() / 1e6;
            if (stop == Stop::AtLastRecord) {
                run.cancelledAtMs = run.lastRecordMs;
                cancel.storeRelease(1);
            }
        });
        reader.openFile(file);
        int count = 0;
        t.start();
        started.release();
        run.parsed = reader.parseFile(db, &count);
        run.returnedMs = t.nsecsElapsed() / 1e6;
    });
    worker->start();
    started.acquire();
    if (stop == Stop::AfterDelay) {
        QThread::usleep(static_cast<unsigned long>(delayMs * 1000));
        run.cancelledAtMs = t.nsecsElapsed() / 1e6;
        cancel.storeRelease(1);
    }
    worker->wait();
    delete worker;
    Connections::remove(name);
    QFile::remove(dbPath);
    return run;
}

// The child process: one reader run, its time to the first record.
int firstRecordChild(const QString &file, const QString &dbPath)
{
    const ReaderRun run = runReader(file, dbPath, Stop::AtFirstRecord);
    if (!run.reachedRecord)
        return 1;
    std::printf("%.3f\n", run.firstRecordMs);
    return 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// Reader figures; false when something failed.
bool benchReader(const QTemporaryDir &dir)
{
    const QString file = dir.filePath(QStringLiteral("reader_z.pqd"));
    if (!writeFile(file, true, kReaderObservations))
        return false;
    const QString dbPath = dir.filePath(QStringLiteral("reader.sqlite"));

    // The import's first read of a file in a fresh process.
    std::vector<double> fresh;
    for (int round = 0; round < 3; ++round) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(kFirstRecordArg), file, dbPath});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            std::fprintf(stderr, "the reader did not reach its first record\n");
            return false;
        }
        fresh.push_back(child.readAllStandardOutput().trimmed().toDouble());
    }
    double layerMs = 1e300, warmMs = 1e300;
    for (int round = 0; round < 5; ++round) {
        layerMs = std::min(layerMs, layerHeaders(file));
        warmMs = std::min(warmMs, runReader(file, dbPath, Stop::AtFirstRecord).firstRecordMs);
    }
    if (layerMs < 0 || warmMs < 0)
        return false;

    // Cancels early, midway and late in the header read; on a loaded machine
    // one may come after it, and then it does not count.
    double latency = -1;
    int landed = 0;
    for (const double share : {0.1, 0.4, 0.7}) {
        const ReaderRun run = runReader(file, dbPath, Stop::AfterDelay, share * warmMs);
        if (run.reachedRecord)
            continue;
        ++landed;
        latency = std::max(latency, run.returnedMs - run.cancelledAtMs);
    }
    // The end of a whole import into a database with the application
    // database's settings: view and commit, then moving the log into the
    // file; and a cancel as the last record is read, before the commit,
    // which rolls everything back.
    const ReaderRun whole = runReader(file, dbPath, Stop::Never, 0, false);
    const ReaderRun late = runReader(file, dbPath, Stop::AtLastRecord, 0, false);
    if (!whole.parsed) {
        std::fprintf(stderr, "the whole import failed\n");
        return false;
    }
    if (late.parsed || late.cancelledAtMs < 0) {
        std::fprintf(stderr, "a cancel at the last record was not heeded\n");
        return false;
    }
    const double freshMs = median(fresh);
    std::printf("reader_file_bytes: %lld\n", static_cast<long long>(QFile(file).size()));
    std::printf("reader_file_rows: %d\n", kReaderObservations * kChannels * (kSeriesPerChannel - 1) * kValues);
    std::printf("layer_read_headers_ms: %.1f\n", layerMs);
    std::printf("reader_first_record_fresh_process_ms: %.1f\n", freshMs);
    std::printf("reader_first_record_ms: %.1f\n", warmMs);
    std::printf("header_read_cancels: %d of 3\n", landed);
    std::printf("header_read_cancel_latency_ms: %.1f\n", latency);
    std::printf("reader_end_ms: %.1f\n", whole.returnedMs - whole.lastRecordMs);
    std::printf("reader_end_cancel_latency_ms: %.1f\n", late.returnedMs - late.cancelledAtMs);
    std::printf("first_record_ratio: %.2f\n", freshMs / layerMs);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], kFirstRecordArg) == 0)
        return firstRecordChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("bench.pqd"));
    const QString packed = dir.filePath(QStringLiteral("bench_z.pqd"));
    QElapsedTimer gen;
    gen.start();
    if (!writeFile(plain, false) || !writeFile(packed, true)) {
        std::fprintf(stderr, "cannot write the files\n");
        return 1;
    }
    std::printf("generate_ms: %.0f\n", gen.nsecsElapsed() / 1e6);

    double floorMs = 1e300, oursMs = 1e300, packedMs = 1e300, packedFloorMs = 1e300;
    double headersMs = 1e300, packedHeadersMs = 1e300, h = 0;
    size_t bytes = 0, packedBytes = 0;
    long long values = 0, packedValues = 0;
    double sum = 0, packedSum = 0;
    for (int round = 0; round < 5; ++round) {
        floorMs = std::min(floorMs, readBytes(plain, bytes));
        oursMs = std::min(oursMs, readPqdif(plain, values, sum, h));
        headersMs = std::min(headersMs, h);
        packedFloorMs = std::min(packedFloorMs, readBytes(packed, packedBytes));
        packedMs = std::min(packedMs, readPqdif(packed, packedValues, packedSum, h));
        packedHeadersMs = std::min(packedHeadersMs, h);
    }
    if (oursMs < 0 || packedMs < 0 || values != packedValues || sum != packedSum) {
        std::fprintf(stderr, "the two files read differently\n");
        return 1;
    }
    std::printf("file_bytes: %zu\n", bytes);
    std::printf("values: %lld\n", values);
    std::printf("io_floor_ms: %.1f\n", floorMs);
    std::printf("pqdif_read_headers_ms: %.1f\n", headersMs);
    std::printf("pqdif_read_ms: %.1f\n", oursMs);
    std::printf("pqdif_values_per_s: %.0f\n", values / (oursMs / 1000.0));
    std::printf("compressed_file_bytes: %zu\n", packedBytes);
    std::printf("compressed_io_floor_ms: %.1f\n", packedFloorMs);
    std::printf("compressed_pqdif_read_headers_ms: %.1f\n", packedHeadersMs);
    std::printf("compressed_pqdif_read_ms: %.1f\n", packedMs);
    if (!benchReader(dir))
        return 1;
    std::printf("ratio: %.2f\n", oursMs / floorMs);
    return 0;
}
