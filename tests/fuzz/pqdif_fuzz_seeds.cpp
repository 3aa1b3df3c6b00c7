// Writes a seed corpus for fuzz_pqdif: small sound files that reach every
// storage method, sharing, time units and both compression settings.
#include "pqdif/PqdifWriter.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace pqdif;

static PqdifSeriesDefnDesc timeDefn(uint32_t units, uint32_t storage)
{
    PqdifSeriesDefnDesc s;
    s.valueType = ID_SERIES_VALUE_TYPE_TIME;
    s.units = units;
    s.characteristic = ID_QC_NONE;
    s.storage = storage;
    return s;
}

static void write(const QDir &dir, const QString &name, const PqdifWriter &w, int &count)
{
    if (w.save(dir.filePath(name)))
        ++count;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath(QStringLiteral("."));
    int count = 0;
    const PqdifTimeStamp start = pqdifTime(2024, 1, 1, 43200.0);

    for (const bool compress : {false, true}) {
        const QString suffix = compress ? QStringLiteral("_z.pqd") : QStringLiteral(".pqd");
        PqdifWriter::Options o;
        o.compress = compress;

        // Values with scale and offset; time in seconds.
        {
            PqdifWriter w(o);
            w.addContainer();
            PqdifChannelDefnDesc ch;
            ch.name = "U1";
            PqdifSeriesDefnDesc v;
            v.storage = ID_SERIES_METHOD_VALUES | ID_SERIES_METHOD_SCALED;
            v.greekPrefix = 7;
            ch.series = {timeDefn(ID_QU_SECONDS, ID_SERIES_METHOD_VALUES), v};
            w.addRecord(*pqdifDataSourceRecord("M1", {ch}));
            PqdifChannelInstDesc i;
            i.series = {PqdifSeriesInstDesc::real8({0, 0.5, 1}),
                        PqdifSeriesInstDesc::real8({1, 2, 3}).scaled(2, 1)};
            w.addRecord(*pqdifObservationRecord("Obs", start, {i}, 3));
            write(dir, QStringLiteral("scaled") + suffix, w, count);
        }
        // Increment axis in cycles, monitor settings, shared time series.
        {
            PqdifWriter w(o);
            w.addContainer();
            PqdifChannelDefnDesc ch;
            ch.quantityType = ID_QT_WAVEFORM;
            ch.series = {timeDefn(ID_QU_CYCLES, ID_SERIES_METHOD_INCREMENT), PqdifSeriesDefnDesc()};
            w.addRecord(*pqdifDataSourceRecord("W", {ch, ch}));
            w.addRecord(*pqdifMonitorSettingsRecord(start, 50.0));
            PqdifChannelInstDesc a, b;
            a.series = {PqdifSeriesInstDesc::real4({2, 2, 1, 3, 0.5f}), PqdifSeriesInstDesc::real4({1, 2, 3, 4, 5})};
            b.defnIdx = 1;
            b.series = {PqdifSeriesInstDesc::shared(0, 0), PqdifSeriesInstDesc::shared(0, 1)};
            w.addRecord(*pqdifObservationRecord("Wave", start, {a, b}));
            write(dir, QStringLiteral("increment") + suffix, w, count);
        }
        // Time stamp axis, CHAR2 text, several data sources.
        {
            PqdifWriter w(o);
            w.addContainer();
            PqdifChannelDefnDesc ch;
            ch.series = {timeDefn(ID_QU_TIMESTAMP, ID_SERIES_METHOD_VALUES), PqdifSeriesDefnDesc()};
            auto ds = pqdifDataSourceRecord("A", {ch});
            const char16_t text[] = u"Zaz\u00f3\u0142\u0107";
            ds->vector(tagLocationDS, ID_PHYS_TYPE_CHAR2, text, 8);
            w.addRecord(*ds);
            PqdifChannelInstDesc i;
            i.series = {PqdifSeriesInstDesc::timeStamps({start, pqdifTime(2024, 1, 1, 43260.0)}),
                        PqdifSeriesInstDesc::real8({230.0, 231.5})};
            w.addRecord(*pqdifObservationRecord("T", start, {i}));
            w.addRecord(*pqdifDataSourceRecord("B", {ch}));
            w.addRecord(*pqdifObservationRecord("T2", start, {i}));
            write(dir, QStringLiteral("timestamps") + suffix, w, count);
        }
    }
    QFile::copy(QStringLiteral(QUORLOG_TEST_DATA "/pqdif/worked_example.pqd"), dir.filePath(QStringLiteral("worked_example.pqd")));
    std::printf("seeds: %d\n", count + 1);
    return 0;
}
