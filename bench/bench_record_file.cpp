// Memory of the meter's record-file table: a generated file of 500,000
// records is loaded, and the process's peak resident size is set against the
// file's size.
#include "tables/BrenaFileWriter.h"
#include "tables/BrenaTableModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/resource.h>

namespace {

constexpr int kRecords = 500000;
constexpr int kRecordsPerWrite = 1000;

qint64 peakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024; // kilobytes on Linux
}

// Written in slices, so that making the file leaves the peak alone.
bool writeRecordFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    BrenaFileWriter::Header h;
    h.recordCount = kRecords;
    if (file.write(BrenaFileWriter::header(h)) < 0)
        return false;
    for (int first = 0; first < kRecords; first += kRecordsPerWrite) {
        QByteArray slice;
        for (int i = first; i < first + kRecordsPerWrite; ++i) {
            const QByteArray time = QByteArray::number(10 + i / 3600 % 10) + ':'
                                    + QByteArray::number(10 + i / 60 % 50) + ':' + QByteArray::number(10 + i % 50);
            slice += BrenaFileWriter::record(BrenaFileWriter::sample(i % 8 + 1, 1, "2024-01-02", time, i));
        }
        if (file.write(slice) != slice.size())
            return false;
    }
    return file.flush();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.DBF"));
    if (!dir.isValid() || !writeRecordFile(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const qint64 fileSize = QFileInfo(path).size();
    const qint64 before = peakResidentBytes();

    QElapsedTimer timer;
    timer.start();
    BrenaTableModel model(path);
    if (!model.loadFile()) {
        std::fprintf(stderr, "load failed\n");
        return 1;
    }
    const qint64 ms = timer.elapsed();
    const qint64 peak = peakResidentBytes();

    std::printf("records: %d\n", model.rowCount());
    std::printf("file_size_bytes: %lld\n", static_cast<long long>(fileSize));
    std::printf("load_ms: %lld\n", static_cast<long long>(ms));
    std::printf("peak_rss_before_load_bytes: %lld\n", static_cast<long long>(before));
    std::printf("peak_rss_bytes: %lld\n", static_cast<long long>(peak));
    std::printf("peak_rss_growth_bytes: %lld\n", static_cast<long long>(peak - before));
    // The whole process's peak, start-up included, against the file's size.
    std::printf("ratio: %.3f\n", double(peak) / double(fileSize));
    return 0;
}
