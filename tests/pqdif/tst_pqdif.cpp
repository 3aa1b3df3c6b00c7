#include "pqdif/PqdifFile.h"
#include "pqdif/PqdifPhysical.h"
#include "pqdif/PqdifWriter.h"
#include "support/TestMain.h"

#include <QTemporaryDir>

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <memory>

using namespace pqdif;

Q_DECLARE_METATYPE(PqdifWriter::Options)

namespace {

const PqdifTimeStamp kStart = pqdifTime(2024, 1, 1, 43200.0); // 2024-01-01 12:00:00 UTC
const qint64 kStartMs = 1704110400000LL;

std::unique_ptr<CPQDIF_PC_FlatFile> readImage(const std::vector<uint8_t> &image)
{
    std::unique_ptr<CPQDIF_PC_FlatFile> pc(theFactory.NewPersistController(CPQDIF_Factory::PersistFlatFile));
    if (!pc->ReadHeadersFromMemory(image.data(), image.size()))
        qWarning("%s", pc->GetLastError().c_str());
    return pc;
}

PqdifSeriesDefnDesc timeDefn(uint32_t units = ID_QU_SECONDS, uint32_t storage = ID_SERIES_METHOD_VALUES)
{
    PqdifSeriesDefnDesc s;
    s.valueType = ID_SERIES_VALUE_TYPE_TIME;
    s.units = units;
    s.characteristic = ID_QC_NONE;
    s.storage = storage;
    return s;
}

PqdifSeriesDefnDesc valueDefn(uint32_t storage = ID_SERIES_METHOD_VALUES)
{
    PqdifSeriesDefnDesc s;
    s.storage = storage;
    return s;
}

// Container, data source "M1" with channel "U1" (series 0 time in seconds,
// series 1 scaled values) and one observation: series 0 REAL8 offsets, series 1
// values with scale 2 and offset 1.
std::vector<uint8_t> mainFixture(const PqdifWriter::Options &options)
{
    PqdifWriter w(options);
    w.addContainer();
    PqdifChannelDefnDesc ch;
    ch.name = "U1";
    ch.series = {timeDefn(), valueDefn(ID_SERIES_METHOD_VALUES | ID_SERIES_METHOD_SCALED)};
    w.addRecord(*pqdifDataSourceRecord("M1", {ch}));
    PqdifChannelInstDesc inst;
    inst.series = {PqdifSeriesInstDesc::real8({0.0, 0.5, 1.25, 86400.0}),
                   PqdifSeriesInstDesc::real8({10.0, -3.5, 0.0, 1e6}).scaled(2.0, 1.0)};
    w.addRecord(*pqdifObservationRecord("Obs", kStart, {inst}, 7));
    return w.bytes();
}

std::vector<double> realValues(const CPQDIF_E_Vector *v)
{
    std::vector<double> out;
    for (long i = 0; v && i < v->GetCount(); ++i) {
        double d = 0;
        if (!v->GetValueAsReal(i, d))
            d = std::nan("");
        out.push_back(d);
    }
    return out;
}

std::vector<qint64> resolvedMs(const CPQDIF_R_Observation *obs, long chan, long series)
{
    std::unique_ptr<CPQDIF_E_Vector> ts(obs->NewResolvedSeriesTimeStamp(chan, series, false));
    std::vector<qint64> out;
    for (long i = 0; ts && i < ts->GetCount(); ++i) {
        PqdifTimeStamp t;
        out.push_back(ts->GetValueTimeStamp(i, t) ? timeStampToMSecs(t) : -2);
    }
    return out;
}

struct Bound
{
    std::unique_ptr<CPQDIF_PC_FlatFile> pc;
    std::unique_ptr<CPQDIF_R_Observation> obs;
};

// Reads an image and wraps its first observation with the data source and
// monitor settings that precede it.
Bound wrapFirstObservation(const std::vector<uint8_t> &image)
{
    Bound b;
    b.pc = readImage(image);
    const CPQDIFRecord *ds = nullptr;
    const CPQDIFRecord *ms = nullptr;
    for (long i = 0; i < b.pc->GetCountRecords(); ++i) {
        const CPQDIFRecord *r = b.pc->GetRecord(i);
        if (r->GetTag() == tagRecDataSource) {
            ds = r;
            ms = nullptr;
        } else if (r->GetTag() == tagRecMonitorSettings) {
            ms = r;
        } else if (r->GetTag() == tagRecObservation) {
            b.obs.reset(ms ? theFactory.NewObservationWrapper2(r, ds, ms) : theFactory.NewObservationWrapper(r, ds));
            break;
        }
    }
    return b;
}

PqdifWriter::Options plainOptions()
{
    return PqdifWriter::Options();
}

PqdifWriter::Options compressedOptions()
{
    PqdifWriter::Options o;
    o.compress = true;
    return o;
}

// A data source with one channel and observations of it, each a time series
// and a value series of the given length.
std::vector<uint8_t> observationsFile(const PqdifWriter::Options &options, int observations, int values)
{
    PqdifWriter w(options);
    w.addContainer();
    PqdifChannelDefnDesc ch;
    ch.name = "U1";
    ch.series = {timeDefn(), valueDefn()};
    w.addRecord(*pqdifDataSourceRecord("M1", {ch}));
    std::vector<double> times(static_cast<size_t>(values)), v(static_cast<size_t>(values));
    for (int o = 0; o < observations; ++o) {
        for (int j = 0; j < values; ++j) {
            times[size_t(j)] = j * 0.25;
            v[size_t(j)] = 230.0 + (int64_t(j) * 7919 + o) % 1000 * 0.01;
        }
        PqdifChannelInstDesc inst;
        inst.series = {PqdifSeriesInstDesc::real8(times), PqdifSeriesInstDesc::real8(v)};
        w.addRecord(*pqdifObservationRecord("Obs", kStart, {inst}, o + 1));
    }
    return w.bytes();
}

} // namespace

class TestPqdif : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleReads();
    void observationReadsBack_data();
    void observationReadsBack();
    void compressedReadsIdentically();
    void readsFromFile();
    void dataSourceTextsInOrder();
    void timeStampSeries();
    void incrementStorage_data();
    void incrementStorage();
    void sharedSeries();
    void sharingLoopEndsWithoutValues();
    void cyclesUseNominalFrequency();
    void numericTimeAxes_data();
    void numericTimeAxes();
    void physicalTypesRoundTrip_data();
    void physicalTypesRoundTrip();
    void checksumVariants_data();
    void checksumVariants();
    void chainFollowsLinksNotOrder();
    void unknownRecordsAndTagsAreSkipped();
    void wrapperNeedsMatchingRecords();
    void timeStampRule_data();
    void timeStampRule();
    void unitNames();
    void adler32MatchesZlib();
    void cancelStopsTheRead_data();
    void cancelStopsTheRead();
    void recordsOutliveTheirReading();
};

void TestPqdif::workedExampleReads()
{
    // The byte-for-byte worked example of the public format notes, typed in, not
    // made by our writer: 100 V at 12:00:00.0 and -100 V at 12:00:00.5.
    QFile f(QStringLiteral(QUORLOG_TEST_DATA "/pqdif/worked_example.pqd"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray raw = f.readAll();
    const std::vector<uint8_t> image(raw.begin(), raw.end());
    Bound b = wrapFirstObservation(image);
    QCOMPARE(b.pc->GetCountRecords(), 3L);
    QVERIFY(b.pc->GetWarnings().empty()); // Adler-32 checksums match
    QVERIFY(b.obs);
    QCOMPARE(b.obs->GetName(), std::string("Obs"));
    QCOMPARE(b.obs->GetCountChannels(), 1L);
    std::string name;
    uint32_t phase = 0, measured = 0;
    PqdifGuid qt;
    QVERIFY(b.obs->GetChannelInfo(0, name, phase, qt, measured));
    QCOMPARE(phase, 1u);
    QVERIFY(qt == ID_QT_WAVEFORM);
    QCOMPARE(realValues(b.obs->GetSeriesValues(0, 1)), (std::vector<double>{100.0, -100.0}));
    QCOMPARE(resolvedMs(b.obs.get(), 0, 1), (std::vector<qint64>{kStartMs, kStartMs + 500}));
    auto *container = dynamic_cast<CPQDIF_R_Container *>(b.pc->GetRecord(0));
    QVERIFY(container);
    QCOMPARE(container->GetFileName(), std::string("a.pqd"));
    uint32_t version[4] = {};
    QVERIFY(container->GetVersionInfo(version));
    QCOMPARE(version[1], 5u);
}

void TestPqdif::observationReadsBack_data()
{
    QTest::addColumn<PqdifWriter::Options>("options");
    QTest::newRow("plain") << plainOptions();
    QTest::newRow("record-compressed") << compressedOptions();
    PqdifWriter::Options o;
    o.embed = PqdifWriter::EmbedUpTo8;
    o.collectionLinkSize = PqdifWriter::WholeSubtree;
    QTest::newRow("embedded REAL8, sub-tree link sizes") << o;
    o = PqdifWriter::Options();
    o.embed = PqdifWriter::EmbedNone;
    o.lastNextIsFileSize = true;
    QTest::newRow("nothing embedded, last link at file end") << o;
}

void TestPqdif::observationReadsBack()
{
    QFETCH(PqdifWriter::Options, options);
    Bound b = wrapFirstObservation(mainFixture(options));
    QCOMPARE(b.pc->GetCountRecords(), 3L);
    QVERIFY(b.pc->GetWarnings().empty());
    QCOMPARE(b.pc->GetRecord(2)->IsCompressed(), options.compress);
    QCOMPARE(b.pc->GetCompressionStyle(), options.compress ? uint32_t(ID_COMP_STYLE_RECORDLEVEL) : 0u);
    QVERIFY(b.obs);

    QCOMPARE(b.obs->GetCountChannels(), 1L);
    QCOMPARE(b.obs->GetCountSeries(0), 2L);
    std::string name;
    uint32_t phase = 0, measured = 0;
    PqdifGuid qt;
    QVERIFY(b.obs->GetChannelInfo(0, name, phase, qt, measured));
    QCOMPARE(name, std::string("U1"));
    long defn = -1;
    QVERIFY(b.obs->GetChannelDefnIdx(0, defn));
    QCOMPARE(defn, 0L);

    uint32_t units = 99;
    PqdifGuid vt, qc;
    QVERIFY(b.obs->GetSeriesInfo(0, 0, units, vt, qc));
    QCOMPARE(units, uint32_t(ID_QU_SECONDS));
    QVERIFY(vt == ID_SERIES_VALUE_TYPE_TIME);
    QVERIFY(b.obs->GetSeriesInfo(0, 1, units, vt, qc));
    QCOMPARE(units, uint32_t(ID_QU_VOLTS));
    QVERIFY(qc == ID_QC_RMS);

    // Series 0: REAL8 offsets, no scaling.
    const CPQDIF_E_Vector *offsets = b.obs->GetSeriesValues(0, 0);
    QVERIFY(offsets);
    QCOMPARE(offsets->GetPhysicalType(), int(ID_PHYS_TYPE_REAL8));
    QCOMPARE(realValues(offsets), (std::vector<double>{0.0, 0.5, 1.25, 86400.0}));
    double scale = 0, offset = 9;
    QVERIFY(!b.obs->GetSeriesScale(0, 0, scale, offset));
    QCOMPARE(scale, 1.0);
    QCOMPARE(offset, 0.0);

    // Series 1: raw values, scale 2 and offset 1 to apply.
    const CPQDIF_E_Vector *values = b.obs->GetSeriesValues(0, 1);
    QVERIFY(values);
    QVERIFY(b.obs->GetSeriesScale(0, 1, scale, offset));
    QCOMPARE(scale, 2.0);
    QCOMPARE(offset, 1.0);
    std::vector<double> scaled;
    for (double raw : realValues(values))
        scaled.push_back(raw * scale + offset);
    QCOMPARE(scaled, (std::vector<double>{21.0, -6.0, 1.0, 2000001.0}));

    // Absolute times: the start plus the offsets, for either series.
    const std::vector<qint64> expected{kStartMs, kStartMs + 500, kStartMs + 1250, kStartMs + 86400000};
    QCOMPARE(resolvedMs(b.obs.get(), 0, 1), expected);
    QCOMPARE(resolvedMs(b.obs.get(), 0, 0), expected);
    std::unique_ptr<CPQDIF_E_Vector> rel(b.obs->NewResolvedSeriesTimeStamp(0, 1, true));
    QVERIFY(rel);
    QCOMPARE(realValues(rel.get()), (std::vector<double>{0.0, 0.5, 1.25, 86400.0}));

    PqdifTimeStamp start;
    QVERIFY(b.obs->GetStartTime(start));
    QCOMPARE(start.day, 45292u);
    const CPQDIF_E_Scalar *serial = b.obs->GetObservationExtendedData(tagObservationSerial)->AsScalar();
    QVERIFY(serial);
    PqdifValue sv;
    QVERIFY(serial->GetValue(sv));
    QCOMPARE(sv.physicalType, int(ID_PHYS_TYPE_UNS_INTEGER4));
    QCOMPARE(sv.v.uint4, 7u);
    QVERIFY(!b.obs->GetObservationExtendedData(tagChannelName));

    // Out of range asks give nothing rather than garbage.
    QVERIFY(!b.obs->GetSeriesValues(0, 2));
    QVERIFY(!b.obs->GetSeriesValues(1, 0));
    QVERIFY(!b.obs->GetSeriesValues(-1, 0));
    QVERIFY(!b.obs->NewResolvedSeriesTimeStamp(0, 5, false));
    QVERIFY(!b.obs->GetChannelInfo(3, name, phase, qt, measured));
    double d = 0;
    QVERIFY(!values->GetValueREAL8(4, d));
    QVERIFY(!values->GetValueREAL8(-1, d));
}

void TestPqdif::compressedReadsIdentically()
{
    const std::vector<uint8_t> plain = mainFixture(plainOptions());
    const std::vector<uint8_t> packed = mainFixture(compressedOptions());
    QVERIFY(plain != packed);
    auto a = readImage(plain);
    auto b = readImage(packed);
    QCOMPARE(a->GetCountRecords(), b->GetCountRecords());
    // The container differs only in its compression tags.
    for (long i = 1; i < a->GetCountRecords(); ++i) {
        const RecordData &ra = *a->GetRecord(i)->data();
        const RecordData &rb = *b->GetRecord(i)->data();
        QVERIFY(ra.header.type == rb.header.type);
        // Inflated bodies equal the plain ones byte for byte.
        QCOMPARE(std::vector<uint8_t>(rb.body, rb.body + rb.bodySize),
                 std::vector<uint8_t>(ra.body, ra.body + ra.bodySize));
    }
}

void TestPqdif::readsFromFile()
{
    QTemporaryDir dir;
    PqdifWriter w(compressedOptions());
    w.addContainer();
    w.addRecord(*pqdifDataSourceRecord("M1", {}));
    const QString path = dir.filePath(QStringLiteral("zapis ąę.pqd"));
    QVERIFY(w.save(path));
    std::unique_ptr<CPQDIF_PC_FlatFile> pc(theFactory.NewPersistController(0));
    pc->SetFileName(QFile::encodeName(path).constData());
    QVERIFY2(pc->ReadHeaders(), pc->GetLastError().c_str());
    QCOMPARE(pc->GetCountRecords(), 2L);
    QVERIFY(!pc->GetRecord(2));
    QVERIFY(!pc->GetRecord(-1));

    pc->SetFileName(QFile::encodeName(dir.filePath(QStringLiteral("missing.pqd"))).constData());
    QVERIFY(!pc->ReadHeaders());
    QVERIFY(!pc->GetLastError().empty());
    QCOMPARE(pc->GetCountRecords(), 0L);
    QVERIFY(!theFactory.NewPersistController(1));
}

void TestPqdif::dataSourceTextsInOrder()
{
    PqdifWriter w;
    w.addContainer();
    auto ds = pqdifDataSourceRecord("Licznik 1 ąę", {});
    ds->guid(tagVendorID, PqdifGuid::fromString("01020304-0506-0708-090a-0b0c0d0e0f10"));
    ds->string(tagSerialNumberDS, "SN42");
    ds->string(tagVersionDS, "v2.1");
    ds->string(tagOwnerDS, "Owner");
    ds->string(tagLocationDS, "Hall B");
    ds->string(tagTimeZoneDS, "CET");
    w.addRecord(*ds);
    auto pc = readImage(w.bytes());
    auto *rec = dynamic_cast<CPQDIF_R_DataSource *>(pc->GetRecord(1));
    QVERIFY(rec);
    PqdifGuid type, vendor, equipment;
    std::string texts[6];
    QVERIFY(rec->GetInfo(type, vendor, equipment, texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]));
    QVERIFY(type == ID_DS_TYPE_MEASURE);
    QCOMPARE(vendor.toString(), std::string("01020304-0506-0708-090a-0b0c0d0e0f10"));
    QVERIFY(equipment.isNull());
    // The name comes third, as UTF-8 bytes the way the file holds them.
    QCOMPARE(QString::fromUtf8(texts[2].c_str()), QStringLiteral("Licznik 1 ąę"));
    QCOMPARE(texts[0], std::string("SN42"));
    QCOMPARE(texts[1], std::string("v2.1"));
    QCOMPARE(texts[3], std::string("Owner"));
    QCOMPARE(texts[4], std::string("Hall B"));
    QCOMPARE(texts[5], std::string("CET"));
    PqdifTimeStamp eff;
    QVERIFY(rec->GetEffective(eff));
    QCOMPARE(eff.day, 45292u);
}

void TestPqdif::timeStampSeries()
{
    PqdifWriter w;
    w.addContainer();
    PqdifChannelDefnDesc ch;
    ch.series = {timeDefn(ID_QU_TIMESTAMP, ID_SERIES_METHOD_VALUES | ID_SERIES_METHOD_SCALED), valueDefn()};
    w.addRecord(*pqdifDataSourceRecord("M1", {ch}));
    PqdifChannelInstDesc inst;
    const std::vector<PqdifTimeStamp> times{pqdifTime(2024, 3, 31, 0.0), pqdifTime(2024, 3, 31, 3600.25),
                                            pqdifTime(2024, 3, 31, 7199.9995)};
    inst.series = {PqdifSeriesInstDesc::timeStamps(times).scaled(5.0, 5.0), PqdifSeriesInstDesc::real8({1, 2, 3})};
    w.addRecord(*pqdifObservationRecord("TS", kStart, {inst}));
    Bound b = wrapFirstObservation(w.bytes());
    QVERIFY(b.obs);
    const CPQDIF_E_Vector *v = b.obs->GetSeriesValues(0, 0);
    QVERIFY(v);
    QCOMPARE(v->GetPhysicalType(), int(ID_PHYS_TYPE_TIMESTAMPPQDIF));
    PqdifValue value;
    QVERIFY(v->GetValue(1, value));
    QCOMPARE(value.timeStamp.sec, 3600.25);
    double d = 0;
    QVERIFY(!v->GetValueREAL8(0, d));
    QVERIFY(!value.toReal8(d));
    // Time stamps are never scaled, whatever the storage method says.
    double scale = 0, offset = 0;
    QVERIFY(!b.obs->GetSeriesScale(0, 0, scale, offset));
    QCOMPARE(scale, 1.0);
    QCOMPARE(offset, 0.0);
    // 2024-03-31 is the spring-forward day in Warsaw: UTC times stay as written.
    const qint64 day = 1711843200000LL;
    QCOMPARE(resolvedMs(b.obs.get(), 0, 1), (std::vector<qint64>{day, day + 3600250, day + 7200000}));
    std::unique_ptr<CPQDIF_E_Vector> rel(b.obs->NewResolvedSeriesTimeStamp(0, 1, true));
    QVERIFY(rel);
    QVERIFY(rel->GetValueREAL8(0, d));
    QCOMPARE(d, (day - kStartMs) / 1000.0);
}

void TestPqdif::incrementStorage_data()
{
    QTest::addColumn<int>("physicalType");
    QTest::addColumn<std::vector<double>>("raw");
    QTest::addColumn<std::vector<double>>("expected");
    QTest::newRow("single rate, REAL4 counts") << int(ID_PHYS_TYPE_REAL4) << std::vector<double>{1, 4, 0.25}
                                               << std::vector<double>{0, 0.25, 0.5, 0.75};
    QTest::newRow("two rates") << int(ID_PHYS_TYPE_REAL8) << std::vector<double>{2, 2, 1, 3, 0.5}
                               << std::vector<double>{0, 1, 2, 2.5, 3};
    QTest::newRow("integer vector") << int(ID_PHYS_TYPE_INTEGER4) << std::vector<double>{1, 3, 2}
                                    << std::vector<double>{0, 2, 4};
    QTest::newRow("zero runs") << int(ID_PHYS_TYPE_REAL8) << std::vector<double>{0} << std::vector<double>{};
    QTest::newRow("runs missing") << int(ID_PHYS_TYPE_REAL8) << std::vector<double>{3, 2, 1}
                                  << std::vector<double>{-1};
    QTest::newRow("fractional count") << int(ID_PHYS_TYPE_REAL8) << std::vector<double>{1, 2.5, 1}
                                      << std::vector<double>{-1};
    QTest::newRow("huge count") << int(ID_PHYS_TYPE_REAL8) << std::vector<double>{1, 4e9, 1}
                                << std::vector<double>{-1};
    QTest::newRow("more points than the record has bytes") << int(ID_PHYS_TYPE_REAL8)
                                                           << std::vector<double>{1, 100000, 0.001}
                                                           << std::vector<double>{-1};
}

void TestPqdif::incrementStorage()
{
    QFETCH(int, physicalType);
    QFETCH(std::vector<double>, raw);
    QFETCH(std::vector<double>, expected);
    std::vector<uint8_t> bytes(raw.size() * static_cast<size_t>(physicalTypeSize(physicalType)));
    for (size_t i = 0; i < raw.size(); ++i) {
        if (physicalType == ID_PHYS_TYPE_REAL4) {
            const float f = static_cast<float>(raw[i]);
            std::memcpy(bytes.data() + 4 * i, &f, 4);
        } else if (physicalType == ID_PHYS_TYPE_INTEGER4) {
            const int32_t n = static_cast<int32_t>(raw[i]);
            std::memcpy(bytes.data() + 4 * i, &n, 4);
        } else {
            std::memcpy(bytes.data() + 8 * i, &raw[i], 8);
        }
    }
    PqdifWriter w;
    w.addContainer();
    PqdifChannelDefnDesc ch;
    ch.quantityType = ID_QT_WAVEFORM;
    ch.series = {timeDefn(ID_QU_SECONDS, ID_SERIES_METHOD_INCREMENT), valueDefn()};
    w.addRecord(*pqdifDataSourceRecord("M1", {ch}));
    PqdifChannelInstDesc inst;
    inst.series = {PqdifSeriesInstDesc::raw(physicalType, bytes.data(), static_cast<long>(raw.size())),
                   PqdifSeriesInstDesc::real8({5, 6, 7, 8, 9})};
    w.addRecord(*pqdifObservationRecord("W", kStart, {inst}));
    Bound b = wrapFirstObservation(w.bytes());
    QVERIFY(b.obs);
    const CPQDIF_E_Vector *axis = b.obs->GetSeriesValues(0, 0);
    if (expected == std::vector<double>{-1}) {
        QVERIFY(!axis);
        QVERIFY(!b.obs->NewResolvedSeriesTimeStamp(0, 1, false));
        return;
    }
    QVERIFY(axis);
    QCOMPARE(axis->GetPhysicalType(), int(ID_PHYS_TYPE_REAL8));
    QCOMPARE(realValues(axis), expected);
    QCOMPARE(b.obs->GetSeriesValues(0, 0), axis); // decoded once, kept by the wrapper
    std::vector<qint64> ms;
    for (double x : expected)
        ms.push_back(kStartMs + llround(x * 1000));
    QCOMPARE(resolvedMs(b.obs.get(), 0, 1), ms);
}

void TestPqdif::sharedSeries()
{
    PqdifWriter w;
    w.addContainer();
    PqdifChannelDefnDesc a, c;
    a.name = "U1";
    a.series = {timeDefn(), valueDefn(ID_SERIES_METHOD_VALUES | ID_SERIES_METHOD_SCALED)};
    c.name = "U2";
    c.series = {timeDefn(), valueDefn(ID_SERIES_METHOD_VALUES | ID_SERIES_METHOD_SCALED)};
    w.addRecord(*pqdifDataSourceRecord("M1", {a, c}));
    PqdifChannelInstDesc i0, i1, i2;
    i0.series = {PqdifSeriesInstDesc::real8({0, 60, 120}), PqdifSeriesInstDesc::real8({1, 2, 3}).scaled(10, 0)};
    i1.defnIdx = 1;
    // Time shared with channel 0; values shared with channel 0 series 1 but own scaling.
    i1.series = {PqdifSeriesInstDesc::shared(0, 0), PqdifSeriesInstDesc::shared(0, 1).scaled(100, 1)};
    i2.defnIdx = 1;
    // A chain: channel 2 series 1 -> channel 1 series 1 -> channel 0 series 1, scaling from the end.
    i2.series = {PqdifSeriesInstDesc::shared(1, 0), PqdifSeriesInstDesc::shared(1, 1)};
    w.addRecord(*pqdifObservationRecord("S", kStart, {i0, i1, i2}));
    Bound b = wrapFirstObservation(w.bytes());
    QVERIFY(b.obs);
    QCOMPARE(b.obs->GetCountChannels(), 3L);
    QCOMPARE(b.obs->GetSeriesValues(1, 0), b.obs->GetSeriesValues(0, 0));
    QCOMPARE(b.obs->GetSeriesValues(2, 1), b.obs->GetSeriesValues(0, 1));
    double scale = 0, offset = 0;
    QVERIFY(b.obs->GetSeriesScale(1, 1, scale, offset));
    QCOMPARE(scale, 100.0);
    QCOMPARE(offset, 1.0);
    QVERIFY(b.obs->GetSeriesScale(2, 1, scale, offset));
    QCOMPARE(scale, 10.0);
    QCOMPARE(offset, 0.0);
    const std::vector<qint64> ms{kStartMs, kStartMs + 60000, kStartMs + 120000};
    QCOMPARE(resolvedMs(b.obs.get(), 1, 1), ms);
    QCOMPARE(resolvedMs(b.obs.get(), 2, 1), ms);
}

void TestPqdif::sharingLoopEndsWithoutValues()
{
    PqdifWriter w;
    w.addContainer();
    PqdifChannelDefnDesc a;
    a.series = {timeDefn(), valueDefn()};
    w.addRecord(*pqdifDataSourceRecord("M1", {a, a}));
    PqdifChannelInstDesc i0, i1;
    i0.series = {PqdifSeriesInstDesc::shared(1, 0), PqdifSeriesInstDesc::shared(0, 1)};
    i1.defnIdx = 1;
    i1.series = {PqdifSeriesInstDesc::shared(0, 0), PqdifSeriesInstDesc::shared(7, 0)};
    w.addRecord(*pqdifObservationRecord("L", kStart, {i0, i1}));
    Bound b = wrapFirstObservation(w.bytes());
    QVERIFY(b.obs);
    QVERIFY(!b.obs->GetSeriesValues(0, 0)); // 0/0 -> 1/0 -> 0/0
    QVERIFY(!b.obs->GetSeriesValues(0, 1)); // shares itself
    QVERIFY(!b.obs->GetSeriesValues(1, 1)); // channel 7 does not exist
    QVERIFY(!b.obs->NewResolvedSeriesTimeStamp(0, 1, false));
    double scale = 0, offset = 0;
    QVERIFY(!b.obs->GetSeriesScale(0, 1, scale, offset));
}

void TestPqdif::cyclesUseNominalFrequency()
{
    for (const bool withSettings : {true, false}) {
        PqdifWriter w;
        w.addContainer();
        PqdifChannelDefnDesc a;
        a.series = {timeDefn(ID_QU_CYCLES), valueDefn()};
        w.addRecord(*pqdifDataSourceRecord("M1", {a}));
        if (withSettings)
            w.addRecord(*pqdifMonitorSettingsRecord(pqdifTime(2024, 1, 1), 50.0));
        PqdifChannelInstDesc i0;
        i0.series = {PqdifSeriesInstDesc::real8({0, 10, 150}), PqdifSeriesInstDesc::real8({1, 2, 3})};
        w.addRecord(*pqdifObservationRecord("C", kStart, {i0}));
        Bound b = wrapFirstObservation(w.bytes());
        QVERIFY(b.obs);
        // 50 Hz from the monitor settings; without them the customary 60 Hz.
        const std::vector<qint64> ms = withSettings
            ? std::vector<qint64>{kStartMs, kStartMs + 200, kStartMs + 3000}
            : std::vector<qint64>{kStartMs, kStartMs + 167, kStartMs + 2500};
        QCOMPARE(resolvedMs(b.obs.get(), 0, 1), ms);
    }
}

void TestPqdif::numericTimeAxes_data()
{
    // Time axes that are not REAL8: other numeric types, scaled when the
    // storage method says so (here milliseconds stored as integers).
    QTest::addColumn<int>("physicalType");
    QTest::addColumn<bool>("scaled");
    QTest::addColumn<std::vector<qint64>>("expected");
    QTest::newRow("REAL4 seconds") << int(ID_PHYS_TYPE_REAL4) << false
                                   << std::vector<qint64>{kStartMs - 2000, kStartMs, kStartMs + 1500};
    QTest::newRow("INTEGER4 milliseconds, scale 0.001") << int(ID_PHYS_TYPE_INTEGER4) << true
                                                        << std::vector<qint64>{kStartMs - 2, kStartMs, kStartMs + 2};
    QTest::newRow("INTEGER2 seconds") << int(ID_PHYS_TYPE_INTEGER2) << false
                                      << std::vector<qint64>{kStartMs - 2000, kStartMs, kStartMs + 2000};
}

void TestPqdif::numericTimeAxes()
{
    QFETCH(int, physicalType);
    QFETCH(bool, scaled);
    QFETCH(std::vector<qint64>, expected);
    std::vector<uint8_t> raw;
    if (physicalType == ID_PHYS_TYPE_REAL4) {
        for (float f : {-2.0f, 0.0f, 1.5f})
            raw.insert(raw.end(), reinterpret_cast<uint8_t *>(&f), reinterpret_cast<uint8_t *>(&f) + 4);
    } else if (physicalType == ID_PHYS_TYPE_INTEGER4) {
        for (int32_t n : {-2, 0, 2})
            raw.insert(raw.end(), reinterpret_cast<uint8_t *>(&n), reinterpret_cast<uint8_t *>(&n) + 4);
    } else {
        for (int16_t n : {int16_t(-2), int16_t(0), int16_t(2)})
            raw.insert(raw.end(), reinterpret_cast<uint8_t *>(&n), reinterpret_cast<uint8_t *>(&n) + 2);
    }
    PqdifWriter w;
    w.addContainer();
    PqdifChannelDefnDesc ch;
    ch.series = {timeDefn(ID_QU_SECONDS, scaled ? ID_SERIES_METHOD_VALUES | ID_SERIES_METHOD_SCALED
                                                : ID_SERIES_METHOD_VALUES),
                 valueDefn()};
    w.addRecord(*pqdifDataSourceRecord("M1", {ch}));
    PqdifChannelInstDesc inst;
    PqdifSeriesInstDesc axis = PqdifSeriesInstDesc::raw(physicalType, raw.data(), 3);
    if (scaled)
        axis.scaled(0.001, 0.0);
    inst.series = {axis, PqdifSeriesInstDesc::real8({1, 2, 3})};
    w.addRecord(*pqdifObservationRecord("N", kStart, {inst}));
    Bound b = wrapFirstObservation(w.bytes());
    QVERIFY(b.obs);
    QCOMPARE(b.obs->GetSeriesValues(0, 0)->GetPhysicalType(), physicalType);
    QCOMPARE(resolvedMs(b.obs.get(), 0, 1), expected);
}

void TestPqdif::physicalTypesRoundTrip_data()
{
    QTest::addColumn<int>("physicalType");
    QTest::addColumn<int>("embed");
    const int types[] = {ID_PHYS_TYPE_BOOLEAN1, ID_PHYS_TYPE_BOOLEAN2, ID_PHYS_TYPE_BOOLEAN4,
                         ID_PHYS_TYPE_CHAR1, ID_PHYS_TYPE_CHAR2, ID_PHYS_TYPE_INTEGER1,
                         ID_PHYS_TYPE_INTEGER2, ID_PHYS_TYPE_INTEGER4, ID_PHYS_TYPE_UNS_INTEGER1,
                         ID_PHYS_TYPE_UNS_INTEGER2, ID_PHYS_TYPE_UNS_INTEGER4, ID_PHYS_TYPE_REAL4,
                         ID_PHYS_TYPE_REAL8, ID_PHYS_TYPE_COMPLEX8, ID_PHYS_TYPE_COMPLEX16,
                         ID_PHYS_TYPE_TIMESTAMPPQDIF, ID_PHYS_TYPE_GUID};
    for (int t : types) {
        QTest::addRow("type %d, small scalars embedded", t) << t << int(PqdifWriter::EmbedBelow8);
        QTest::addRow("type %d, 8-byte scalars embedded", t) << t << int(PqdifWriter::EmbedUpTo8);
        QTest::addRow("type %d, nothing embedded", t) << t << int(PqdifWriter::EmbedNone);
    }
}

void TestPqdif::physicalTypesRoundTrip()
{
    QFETCH(int, physicalType);
    QFETCH(int, embed);
    const int size = physicalTypeSize(physicalType);
    QVERIFY(size > 0);
    // Three values with every byte different and the sign bits set somewhere.
    std::vector<uint8_t> values(static_cast<size_t>(size) * 3);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<uint8_t>(0x81 + 37 * i);
    if (physicalType == ID_PHYS_TYPE_TIMESTAMPPQDIF) {
        const PqdifTimeStamp ts[3] = {pqdifTime(2024, 1, 1, 1.5), pqdifTime(1999, 12, 31, 86399.999),
                                      {kNoTimeDay, 0.0}};
        for (int i = 0; i < 3; ++i) {
            std::memcpy(values.data() + 12 * i, &ts[i].day, 4);
            std::memcpy(values.data() + 12 * i + 4, &ts[i].sec, 8);
        }
    }
    const PqdifGuid scalarTag = PqdifGuid::fromString("11111111-2222-3333-4444-555555555555");
    const PqdifGuid vectorTag = PqdifGuid::fromString("11111111-2222-3333-4444-666666666666");
    PqdifWriter::Options o;
    o.embed = PqdifWriter::EmbedPolicy(embed);
    PqdifWriter w(o);
    w.addContainer();
    PqdifNode root(tagRecDataSource);
    root.scalar(scalarTag, physicalType, values.data() + size);
    root.vector(vectorTag, physicalType, values.data(), 3);
    root.vector(tagChannelName, physicalType, values.data(), 0); // empty vectors are legal
    w.addRecord(root);
    const std::vector<uint8_t> image = w.bytes();
    const bool embedded = (embed == PqdifWriter::EmbedBelow8 && size < 8)
                          || (embed == PqdifWriter::EmbedUpTo8 && size <= 8);
    QCOMPARE(image[w.recordOffsets()[1] + 64 + 4 + 18], uint8_t(embedded ? 1 : 0));

    auto pc = readImage(image);
    QCOMPARE(pc->GetCountRecords(), 2L);
    const CPQDIF_E_Collection *c = pc->GetRecord(1)->GetMainCollection();
    const CPQDIF_E_Scalar *s = c->FindScalar(scalarTag);
    const CPQDIF_E_Vector *v = c->FindVector(vectorTag);
    QVERIFY(s && v);
    QCOMPARE(s->GetPhysicalType(), physicalType);
    QCOMPARE(v->GetPhysicalType(), physicalType);
    QCOMPARE(v->GetCount(), 3L);
    QCOMPARE(c->FindVector(tagChannelName)->GetCount(), 0L);
    QCOMPARE(std::vector<uint8_t>(v->GetRawData(), v->GetRawData() + 3 * size), values);

    // Every value decodes to exactly the bytes written.
    auto encode = [&](const PqdifValue &pv) {
        std::vector<uint8_t> out(static_cast<size_t>(size));
        if (physicalType == ID_PHYS_TYPE_TIMESTAMPPQDIF) {
            std::memcpy(out.data(), &pv.timeStamp.day, 4);
            std::memcpy(out.data() + 4, &pv.timeStamp.sec, 8);
        } else if (physicalType == ID_PHYS_TYPE_GUID) {
            std::memcpy(out.data(), pv.guid.bytes, 16);
        } else {
            std::memcpy(out.data(), &pv.v, out.size());
        }
        return out;
    };
    PqdifValue pv;
    QVERIFY(s->GetValue(pv));
    QCOMPARE(pv.physicalType, physicalType);
    QCOMPARE(encode(pv), std::vector<uint8_t>(values.begin() + size, values.begin() + 2 * size));
    for (long i = 0; i < 3; ++i) {
        QVERIFY(v->GetValue(i, pv));
        QCOMPARE(encode(pv), std::vector<uint8_t>(values.begin() + i * size, values.begin() + (i + 1) * size));
    }
    QVERIFY(!v->GetValue(3, pv));

    // Numeric types read as doubles; the others refuse.
    double d = 0;
    QCOMPARE(v->GetValueAsReal(0, d), isNumericType(physicalType));
    QCOMPARE(s->GetValueAsReal(d), isNumericType(physicalType));
    QCOMPARE(v->GetValue(1, d), isNumericType(physicalType));
    QCOMPARE(s->GetValue(d), isNumericType(physicalType));
    QVERIFY(!v->GetValue(3, d));
    if (physicalType == ID_PHYS_TYPE_UNS_INTEGER4) {
        uint32_t expected;
        std::memcpy(&expected, values.data() + 4, 4);
        QVERIFY(v->GetValue(1, d));
        QCOMPARE(d, double(expected));
        QVERIFY(s->GetValue(d)); // the scalar holds the same bytes as value 1
        QCOMPARE(d, double(expected));
    }
    if (physicalType == ID_PHYS_TYPE_INTEGER2) {
        int16_t expected;
        std::memcpy(&expected, values.data(), 2);
        QVERIFY(v->GetValueAsReal(0, d));
        QCOMPARE(d, double(expected));
    }
    QCOMPARE(v->GetValueREAL8(0, d), physicalType == ID_PHYS_TYPE_REAL8);
    QCOMPARE(s->GetValueREAL8(d), physicalType == ID_PHYS_TYPE_REAL8);
    PqdifTimeStamp ts;
    QCOMPARE(v->GetValueTimeStamp(2, ts), physicalType == ID_PHYS_TYPE_TIMESTAMPPQDIF);
    if (physicalType == ID_PHYS_TYPE_TIMESTAMPPQDIF)
        QCOMPARE(timeStampToMSecs(ts), qint64(-1));
    PqdifGuid g;
    QCOMPARE(s->GetValueGUID(g), physicalType == ID_PHYS_TYPE_GUID);
    if (physicalType == ID_PHYS_TYPE_CHAR2) {
        QVERIFY(!v->GetString().empty());
    }
}

void TestPqdif::checksumVariants_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("compress");
    QTest::addColumn<bool>("warns");
    QTest::newRow("Adler-32 of stored bytes") << int(PqdifWriter::Adler32OfStored) << false << false;
    QTest::newRow("Adler-32, compressed") << int(PqdifWriter::Adler32OfStored) << true << false;
    QTest::newRow("zero") << int(PqdifWriter::Zero) << true << false;
    QTest::newRow("CRC-32 of unpacked body") << int(PqdifWriter::Crc32OfUnpacked) << true << false;
    QTest::newRow("CRC-32, plain") << int(PqdifWriter::Crc32OfUnpacked) << false << false;
    QTest::newRow("wrong") << int(PqdifWriter::Wrong) << false << true;
    QTest::newRow("wrong, compressed") << int(PqdifWriter::Wrong) << true << true;
}

void TestPqdif::checksumVariants()
{
    QFETCH(int, mode);
    QFETCH(bool, compress);
    QFETCH(bool, warns);
    PqdifWriter::Options o;
    o.checksum = PqdifWriter::ChecksumMode(mode);
    o.compress = compress;
    Bound b = wrapFirstObservation(mainFixture(o));
    // A checksum mismatch alone never stops the reading.
    QVERIFY(b.obs);
    QCOMPARE(b.pc->GetWarnings().empty(), !warns);
    if (warns)
        QCOMPARE(b.pc->GetWarnings().size(), size_t(3));
    QCOMPARE(realValues(b.obs->GetSeriesValues(0, 1)), (std::vector<double>{10.0, -3.5, 0.0, 1e6}));
}

void TestPqdif::chainFollowsLinksNotOrder()
{
    // Records stored out of order with unreferenced bytes between them: the
    // chain is container -> data source -> observation by links only.
    const std::vector<uint8_t> good = mainFixture(plainOptions());
    Bound ref = wrapFirstObservation(good);
    const std::vector<size_t> off{0, size_t(ref.pc->GetRecord(1)->GetFilePosition()),
                                  size_t(ref.pc->GetRecord(2)->GetFilePosition())};
    const std::vector<uint8_t> c(good.begin(), good.begin() + off[1]);
    const std::vector<uint8_t> ds(good.begin() + off[1], good.begin() + off[2]);
    const std::vector<uint8_t> ob(good.begin() + off[2], good.end());
    std::vector<uint8_t> image = c;
    image.insert(image.end(), 13, 0xEE); // junk, odd length
    const size_t obPos = image.size();
    image.insert(image.end(), ob.begin(), ob.end());
    image.insert(image.end(), 5, 0xAB);
    const size_t dsPos = image.size();
    image.insert(image.end(), ds.begin(), ds.end());
    auto setNext = [&](size_t headerPos, size_t next) {
        const int32_t n = static_cast<int32_t>(next);
        std::memcpy(image.data() + headerPos + 40, &n, 4);
    };
    setNext(0, dsPos);
    setNext(dsPos, obPos);
    setNext(obPos, 0);
    Bound b = wrapFirstObservation(image);
    QCOMPARE(b.pc->GetCountRecords(), 3L);
    QVERIFY(b.pc->GetRecord(1)->GetTag() == tagRecDataSource);
    QCOMPARE(b.pc->GetRecord(2)->GetFilePosition(), int64_t(obPos));
    QVERIFY(b.obs);
    QCOMPARE(resolvedMs(b.obs.get(), 0, 1), resolvedMs(ref.obs.get(), 0, 1));
}

void TestPqdif::unknownRecordsAndTagsAreSkipped()
{
    const PqdifGuid unknownRecord = PqdifGuid::fromString("deadbeef-0000-1111-2222-333344445555");
    const PqdifGuid unknownTag = PqdifGuid::fromString("deadbeef-0000-1111-2222-666677778888");
    PqdifWriter w;
    w.addContainer();
    PqdifNode blank(tagBlank);
    blank.uint4(tagBlank, 0);
    w.addRecord(blank);
    auto ds = pqdifDataSourceRecord("M1", {});
    ds->collection(unknownTag).real8(unknownTag, 1.0).uint4(tagBlank, 0);
    w.addRecord(*ds);
    PqdifNode other(unknownRecord);
    other.string(unknownTag, "x");
    w.addRecord(other);
    auto pc = readImage(w.bytes());
    QCOMPARE(pc->GetCountRecords(), 4L);
    QVERIFY(pc->GetRecord(1)->GetTag() == tagBlank);
    QVERIFY(pc->GetRecord(3)->GetTag() == unknownRecord);
    QVERIFY(!dynamic_cast<CPQDIF_R_Observation *>(pc->GetRecord(3)));
    QVERIFY(dynamic_cast<CPQDIF_R_DataSource *>(pc->GetRecord(2)));
    QCOMPARE(pc->GetRecord(3)->GetMainCollection()->FindString(unknownTag), std::string("x"));
}

void TestPqdif::wrapperNeedsMatchingRecords()
{
    PqdifWriter w;
    w.addContainer();
    PqdifChannelDefnDesc a;
    a.name = "U1";
    a.series = {timeDefn(), valueDefn()};
    PqdifSeriesDefnDesc hinted = valueDefn();
    hinted.greekPrefix = 7;
    hinted.preferredUnits = 2;
    a.series.push_back(hinted);
    w.addRecord(*pqdifDataSourceRecord("M1", {a}));
    w.addRecord(*pqdifMonitorSettingsRecord(pqdifTime(2024, 1, 1), 50.0));
    PqdifChannelInstDesc i0, bad;
    i0.series = {PqdifSeriesInstDesc::real8({0}), PqdifSeriesInstDesc::real8({1}), PqdifSeriesInstDesc::real8({2})};
    bad.defnIdx = 4; // no such definition
    bad.series = {PqdifSeriesInstDesc::real8({0})};
    w.addRecord(*pqdifObservationRecord("O", kStart, {i0, bad}));
    auto pc = readImage(w.bytes());
    const CPQDIFRecord *ds = pc->GetRecord(1);
    const CPQDIFRecord *ms = pc->GetRecord(2);
    const CPQDIFRecord *ob = pc->GetRecord(3);
    QVERIFY(!theFactory.NewObservationWrapper(nullptr, ds));
    QVERIFY(!theFactory.NewObservationWrapper(ds, ds));
    QVERIFY(!theFactory.NewObservationWrapper(ob, ms));
    QVERIFY(!theFactory.NewObservationWrapper2(ob, ds, ds));
    std::unique_ptr<CPQDIF_R_Observation> obs(theFactory.NewObservationWrapper2(ob, ds, ms));
    QVERIFY(obs);

    // Series definitions and their scalars, through the data source.
    auto *dsr = dynamic_cast<const CPQDIF_R_DataSource *>(ds);
    QCOMPARE(dsr->GetCountChannelDefns(), 1L);
    QCOMPARE(dsr->GetCountSeriesDefns(0), 3L);
    uint32_t units = 0, storage = 0;
    PqdifGuid vt, qc;
    QVERIFY(dsr->GetSeriesDefnInfo(0, 0, units, vt, qc, storage));
    QCOMPARE(units, uint32_t(ID_QU_SECONDS));
    QCOMPARE(storage, uint32_t(ID_SERIES_METHOD_VALUES));
    QVERIFY(!dsr->GetSeriesDefnInfo(0, 3, units, vt, qc, storage));
    QVERIFY(!dsr->GetSeriesDefnInfo(1, 0, units, vt, qc, storage));
    const CPQDIF_E_Collection *defn = dsr->GetOneSeriesDefn(0, 2);
    QVERIFY(defn);
    uint32_t prefix = 0, display = 0;
    QVERIFY(defn->FindScalar(tagHintGreekPrefixID)->GetValueUINT4(prefix));
    QVERIFY(defn->FindScalar(tagHintPreferredUnitsID)->GetValueUINT4(display));
    QCOMPARE(prefix, 7u);
    QCOMPARE(display, 2u);
    QVERIFY(!dsr->GetOneSeriesDefn(0, 1)->FindScalar(tagHintGreekPrefixID));
    auto *msr = dynamic_cast<const CPQDIF_R_MonitorSettings *>(ms);
    double hz = 0;
    QVERIFY(msr->GetNominalFrequency(hz));
    QCOMPARE(hz, 50.0);

    // A channel whose definition index points nowhere has no definition, no
    // series information and no time axis, but its values are still there.
    long idx = 0;
    QVERIFY(obs->GetChannelDefnIdx(0, idx));
    QVERIFY(!obs->GetChannelDefnIdx(1, idx));
    std::string name;
    uint32_t phase = 0, measured = 0;
    QVERIFY(!obs->GetChannelInfo(1, name, phase, vt, measured));
    QVERIFY(!obs->GetSeriesInfo(1, 0, units, vt, qc));
    QVERIFY(obs->GetSeriesValues(1, 0));
    QVERIFY(!obs->NewResolvedSeriesTimeStamp(1, 0, false));
}

void TestPqdif::timeStampRule_data()
{
    QTest::addColumn<uint>("day");
    QTest::addColumn<double>("sec");
    QTest::addColumn<qint64>("ms");
    QTest::newRow("no time") << 4294967295u << 12.0 << qint64(-1);
    QTest::newRow("unix epoch") << 25569u << 0.0 << qint64(0);
    QTest::newRow("2024-01-01 12:00") << 45292u << 43200.0 << kStartMs;
    QTest::newRow("negative seconds count as 0") << 45292u << -5.0 << qint64(1704067200000LL);
    QTest::newRow("half a millisecond rounds up") << 25569u << 0.0005 << qint64(1);
    QTest::newRow("below half rounds down") << 25569u << 0.00049 << qint64(0);
    QTest::newRow("before 1970") << 25568u << 0.0 << qint64(-86400000LL);
    QTest::newRow("before 1970, within the day") << 25568u << 43200.25 << qint64(-43199750LL);
}

void TestPqdif::timeStampRule()
{
    QFETCH(uint, day);
    QFETCH(double, sec);
    QFETCH(qint64, ms);
    PqdifTimeStamp ts;
    ts.day = day;
    ts.sec = sec;
    QCOMPARE(timeStampToMSecs(ts), ms);
    const PqdifTimeStamp moved = addSeconds(pqdifTime(2024, 1, 1, 86000.0), 800.5);
    QCOMPARE(moved.day, 45293u);
    QCOMPARE(moved.sec, 400.5);
    const PqdifTimeStamp back = addSeconds(pqdifTime(2024, 1, 1, 10.0), -20.0);
    QCOMPARE(back.day, 45291u);
    QCOMPARE(back.sec, 86390.0);
}

void TestPqdif::unitNames()
{
    QCOMPARE(QString::fromLatin1(theInfo.GetNameOfID(tagQuantityUnitsID, ID_QU_VOLTS)), QStringLiteral("Volts"));
    QCOMPARE(QString::fromLatin1(theInfo.GetNameOfID(tagQuantityUnitsID, 7)), QStringLiteral("Amps"));
    QCOMPARE(QString::fromLatin1(theInfo.GetNameOfID(tagQuantityUnitsID, 15)), QStringLiteral("Hertz"));
    QCOMPARE(QString::fromLatin1(theInfo.GetNameOfID(tagQuantityUnitsID, 19)), QStringLiteral("Percent"));
    QCOMPARE(QString::fromLatin1(theInfo.GetNameOfID(tagQuantityUnitsID, 23)), QStringLiteral("Watthours"));
    // Units without a common English word go by their symbol: per unit must read
    // as "pu" so that no multiplier prefix is put in front of it.
    QCOMPARE(QString::fromLatin1(theInfo.GetNameOfID(tagQuantityUnitsID, 20)), QStringLiteral("pu"));
    QCOMPARE(QString::fromLatin1(theInfo.GetNameOfID(tagQuantityUnitsID, 11)), QStringLiteral("Ohm"));
    QCOMPARE(QString::fromLatin1(theInfo.GetNameOfID(tagQuantityUnitsID, 39)), QStringLiteral("A/V"));
    QVERIFY(!theInfo.GetNameOfID(tagQuantityUnitsID, 0));
    QVERIFY(!theInfo.GetNameOfID(tagQuantityUnitsID, 4));
    QVERIFY(!theInfo.GetNameOfID(tagQuantityUnitsID, 5));
    QVERIFY(!theInfo.GetNameOfID(tagQuantityUnitsID, 40));
    QVERIFY(!theInfo.GetNameOfID(tagPhaseID, 1));
    // Every assigned code has a name that fits a stored unit whole.
    for (uint32_t code = 1; code <= 39; ++code) {
        if (code == 4 || code == 5)
            continue;
        const char *name = theInfo.GetNameOfID(tagQuantityUnitsID, code);
        QVERIFY2(name && *name, qPrintable(QString::number(code)));
        QVERIFY2(std::strlen(name) <= 10, name);
    }
    QCOMPARE(tagQuantityUnitsID.toString(), std::string("b48d859b-f5f5-11cf-9d89-0080c72e70a3"));
    // Identifiers written in registry form, braces and upper case, are the same tags.
    QVERIFY(PqdifGuid::fromString("{B48D859B-F5F5-11CF-9D89-0080C72E70A3}") == tagQuantityUnitsID);
    QVERIFY(PqdifGuid::fromString("{8973861A-F1C3-11CF-9D89-0080C72E70A3}") == tagRecObservation);
    QVERIFY(PqdifGuid::fromString("{3D786F90-F76E-11CF-9D89-0080C72E70A3}") == tagObservationSerial);
}

void TestPqdif::adler32MatchesZlib()
{
    // Our block-wise Adler-32 against zlib's, over lengths and alignments that
    // hit every path (tails, block edges, all-0xFF worst case for the sums).
    std::vector<uint8_t> data(40000);
    uint32_t x = 12345;
    for (uint8_t &b : data) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 24);
    }
    std::vector<uint8_t> ones(20000, 0xFF);
    for (const std::vector<uint8_t> *buf : {&data, &ones}) {
        for (size_t len : {size_t(0), size_t(1), size_t(15), size_t(16), size_t(17), size_t(5551), size_t(5552),
                           size_t(5553), size_t(11104), size_t(19999)}) {
            for (size_t start : {size_t(0), size_t(1), size_t(3)}) {
                if (start + len > buf->size())
                    continue;
                const uint8_t *p = buf->data() + start;
                const uint32_t expected = static_cast<uint32_t>(::adler32(::adler32(0, nullptr, 0), p, uInt(len)));
                QCOMPARE(pqdif::adler32(p, len), expected);
                // Long bodies are summed in pieces: the second goes on from the first.
                const size_t cut = len / 3;
                QCOMPARE(pqdif::adler32(p + cut, len - cut, pqdif::adler32(p, cut)), expected);
                const uint32_t crc = static_cast<uint32_t>(::crc32(0, p, uInt(len)));
                QCOMPARE(pqdif::crc32(p + cut, len - cut, pqdif::crc32(p, cut)), crc);
            }
        }
    }
}

void TestPqdif::cancelStopsTheRead_data()
{
    QTest::addColumn<bool>("compress");
    QTest::addColumn<bool>("fromDisk");
    QTest::addColumn<int>("observations");
    QTest::addColumn<int>("values");
    // Looks at the cancel that a whole read must take at the least.
    QTest::addColumn<int>("minimumLooks");
    // Between records: one look before each.
    QTest::newRow("records, plain") << false << false << 40 << 50 << 42;
    QTest::newRow("records, compressed, from the disk") << true << true << 40 << 50 << 42;
    // 2 x 9.6 MB in one body: its inflating in steps of 4 MB.
    QTest::newRow("one long compressed body") << true << false << 1 << 1200000 << 3 + 4;
    // 19 MB read from the disk and summed in pieces of 16 MB.
    QTest::newRow("one long plain body, from the disk") << false << true << 1 << 1200000 << 3 + 2;
}

// The read looks at the cancel between records and every few megabytes of a
// long one; a cancel at any look ends it with nothing read and says so, and
// the same controller reads the whole file afterwards.
void TestPqdif::cancelStopsTheRead()
{
    QFETCH(bool, compress);
    QFETCH(bool, fromDisk);
    QFETCH(int, observations);
    QFETCH(int, values);
    QFETCH(int, minimumLooks);
    const std::vector<uint8_t> image =
        observationsFile(compress ? compressedOptions() : plainOptions(), observations, values);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.pqd"));
    if (fromDisk) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(reinterpret_cast<const char *>(image.data()), qint64(image.size())), qint64(image.size()));
    }
    CPQDIF_PC_FlatFile pc;
    pc.SetFileName(QFile::encodeName(path).constData());
    auto read = [&]() { return fromDisk ? pc.ReadHeaders() : pc.ReadHeadersFromMemory(image.data(), image.size()); };

    int looks = 0;
    pc.SetCancelCheck([&looks]() {
        ++looks;
        return false;
    });
    QVERIFY2(read(), pc.GetLastError().c_str());
    QVERIFY(!pc.IsCancelled());
    QCOMPARE(pc.GetCountRecords(), long(observations + 2));
    QVERIFY2(looks >= minimumLooks, qPrintable(QString::number(looks)));

    for (const int at : {1, looks / 2, looks}) {
        int n = 0;
        pc.SetCancelCheck([&n, at]() { return ++n >= at; });
        QVERIFY(!read());
        QVERIFY(pc.IsCancelled());
        QCOMPARE(n, at); // nothing more after the cancel
        QCOMPARE(pc.GetLastError(), std::string("The read was cancelled."));
        QCOMPARE(pc.GetCountRecords(), 0L);
        QVERIFY(!pc.GetRecord(0));
    }

    pc.SetCancelCheck([]() { return false; });
    QVERIFY2(read(), pc.GetLastError().c_str());
    QVERIFY(!pc.IsCancelled());
    QCOMPARE(pc.GetCountRecords(), long(observations + 2));
    std::unique_ptr<CPQDIF_R_Observation> last(
        theFactory.NewObservationWrapper(pc.GetRecord(observations + 1), pc.GetRecord(1)));
    QVERIFY(last);
    const CPQDIF_E_Vector *v = last->GetSeriesValues(0, 1);
    QVERIFY(v);
    QCOMPARE(v->GetCount(), long(values));
    double d = 0;
    QVERIFY(v->GetValueREAL8(values - 1, d));
    QCOMPARE(d, 230.0 + (int64_t(values - 1) * 7919 + observations - 1) % 1000 * 0.01);
}

// A record's body is inflated and its tree built when it is asked for them;
// what is handed out stays valid for as long as its holder keeps it, also
// after the controller is gone, and a record read for one wrapper is the
// same as one the controller keeps.
void TestPqdif::recordsOutliveTheirReading()
{
    for (const PqdifWriter::Options &options : {plainOptions(), compressedOptions()}) {
        const std::vector<uint8_t> image = observationsFile(options, 3, 4);
        auto pc = readImage(image);
        QCOMPARE(pc->GetCountRecords(), 5L);
        std::unique_ptr<CPQDIF_R_Observation> first(theFactory.NewObservationWrapper(pc->GetRecord(2), pc->GetRecord(1)));
        // Kept by the controller, then wrapped.
        const auto kept = pc->GetRecord(3)->data();
        QCOMPARE(pc->GetRecord(3)->dataForOneUse(), kept);
        std::unique_ptr<CPQDIF_R_Observation> second(theFactory.NewObservationWrapper(pc->GetRecord(3), pc->GetRecord(1)));
        // Read for the wrapper alone: the same bytes as kept ones.
        const auto once = pc->GetRecord(4)->dataForOneUse();
        QVERIFY(once != pc->GetRecord(4)->dataForOneUse());
        const auto &third = pc->GetRecord(4)->data();
        QCOMPARE(std::vector<uint8_t>(once->body, once->body + once->bodySize),
                 std::vector<uint8_t>(third->body, third->body + third->bodySize));
        pc.reset();

        for (const CPQDIF_R_Observation *obs : {first.get(), second.get()}) {
            QCOMPARE(obs->GetCountChannels(), 1L);
            QCOMPARE(realValues(obs->GetSeriesValues(0, 0)), (std::vector<double>{0.0, 0.25, 0.5, 0.75}));
            QCOMPARE(resolvedMs(obs, 0, 1), (std::vector<qint64>{kStartMs, kStartMs + 250, kStartMs + 500, kStartMs + 750}));
        }
        QCOMPARE(realValues(second->GetSeriesValues(0, 1)),
                 (std::vector<double>{230.0 + 1 * 0.01, 230.0 + 7920 % 1000 * 0.01, 230.0 + 15839 % 1000 * 0.01,
                                      230.0 + 23758 % 1000 * 0.01}));
    }
}

QUORLOG_TEST_MAIN(TestPqdif)
#include "tst_pqdif.moc"
