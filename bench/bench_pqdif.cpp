// Reading a large PQDIF file: 2,000 observations x 20 series x 250 values
// (10 million values) through the controller, observation wrappers and value
// vectors, against the time of reading the same bytes from disk.
#include "pqdif/PqdifFile.h"
#include "pqdif/PqdifBenchFile.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

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

} // namespace

int main()
{
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
    std::printf("ratio: %.2f\n", oursMs / floorMs);
    return 0;
}
