// Damaged PQDIF files: each must be reported as a failure to read, never a
// crash, a read outside the file or an endless walk. CTest also runs this
// executable under valgrind when it is installed.
#include "pqdif/PqdifFile.h"
#include "pqdif/PqdifWriter.h"
#include "support/TestMain.h"

#include <QDir>

#include <cstring>
#include <functional>
#include <memory>

using namespace pqdif;

namespace {

using Image = std::vector<uint8_t>;

struct Fixture
{
    Image image;
    std::vector<size_t> offsets; // record headers: container, data source, observation
    size_t body(int record) const { return offsets[static_cast<size_t>(record)] + 64; }
    // Entry i of the root collection of a record (uncompressed files only).
    size_t entry(int record, int i) const { return body(record) + 4 + 28 * static_cast<size_t>(i); }
};

Fixture makeFixture(bool compress)
{
    PqdifWriter::Options o;
    o.compress = compress;
    PqdifWriter w(o);
    w.addContainer();
    PqdifChannelDefnDesc ch;
    ch.name = "U1";
    PqdifSeriesDefnDesc t;
    t.valueType = ID_SERIES_VALUE_TYPE_TIME;
    t.units = ID_QU_SECONDS;
    ch.series = {t, PqdifSeriesDefnDesc()};
    // Data source root: 0 type (GUID), 1 name, 2 effective, 3 channel definitions.
    w.addRecord(*pqdifDataSourceRecord("M1", {ch}));
    PqdifChannelInstDesc inst;
    inst.series = {PqdifSeriesInstDesc::real8({0, 1, 2}), PqdifSeriesInstDesc::real8({5, 6, 7})};
    // Observation root: 0 name, 1 created, 2 start, 3 trigger (embedded), 4 channel instances.
    w.addRecord(*pqdifObservationRecord("Obs", pqdifTime(2024, 1, 1), {inst}));
    Fixture f;
    f.image = w.bytes();
    f.offsets = w.recordOffsets();
    return f;
}

int32_t getInt(const Image &img, size_t at)
{
    int32_t v;
    std::memcpy(&v, img.data() + at, 4);
    return v;
}

void setInt(Image &img, size_t at, int32_t v)
{
    std::memcpy(img.data() + at, &v, 4);
}

QByteArray toBytes(const Image &img)
{
    return QByteArray(reinterpret_cast<const char *>(img.data()), static_cast<int>(img.size()));
}

// Drives the whole logical layer over whatever a controller accepted, the way
// an importer would; it must stay inside the data whatever the file says.
void exerciseRecords(const CPQDIF_PC_FlatFile &pc)
{
    const CPQDIFRecord *ds = nullptr;
    const CPQDIFRecord *ms = nullptr;
    for (long i = 0; i < pc.GetCountRecords(); ++i) {
        const CPQDIFRecord *r = pc.GetRecord(i);
        if (r->GetTag() == tagRecDataSource) {
            ds = r;
            ms = nullptr;
            PqdifGuid a, b, c;
            std::string s[6];
            static_cast<const CPQDIF_R_DataSource *>(r)->GetInfo(a, b, c, s[0], s[1], s[2], s[3], s[4], s[5]);
        } else if (r->GetTag() == tagRecMonitorSettings) {
            ms = r;
        } else if (r->GetTag() == tagRecObservation && ds) {
            std::unique_ptr<CPQDIF_R_Observation> obs(theFactory.NewObservationWrapper2(r, ds, ms));
            for (long c = 0; obs && c < obs->GetCountChannels(); ++c) {
                std::string name;
                uint32_t phase = 0, measured = 0, units = 0;
                PqdifGuid qt, vt, qc;
                obs->GetChannelInfo(c, name, phase, qt, measured);
                for (long s = 0; s < obs->GetCountSeries(c); ++s) {
                    obs->GetSeriesInfo(c, s, units, vt, qc);
                    double scale = 0, offset = 0, sum = 0, d = 0;
                    obs->GetSeriesScale(c, s, scale, offset);
                    if (const CPQDIF_E_Vector *v = obs->GetSeriesValues(c, s))
                        for (long j = 0; j < v->GetCount(); ++j)
                            if (v->GetValueAsReal(j, d))
                                sum += d;
                    std::unique_ptr<CPQDIF_E_Vector> ts(obs->NewResolvedSeriesTimeStamp(c, s, false));
                    PqdifTimeStamp t;
                    for (long j = 0; ts && j < ts->GetCount(); ++j)
                        ts->GetValueTimeStamp(j, t);
                    (void)sum;
                }
            }
        }
    }
}

} // namespace

class TestPqdifDamaged : public QObject
{
    Q_OBJECT

private slots:
    void damagedInputFails_data();
    void damagedInputFails();
    void everySingleByteDamageIsSafe_data();
    void everySingleByteDamageIsSafe();
    void checksumMismatchAloneStillReads();
    void fuzzFindingsStayHarmless();
};

void TestPqdifDamaged::damagedInputFails_data()
{
    QTest::addColumn<QByteArray>("image");

    const Fixture plain = makeFixture(false);
    const Fixture packed = makeFixture(true);
    const size_t size = plain.image.size();
    const int32_t dsBody = getInt(plain.image, plain.offsets[1] + 36);
    const int32_t obsBody = getInt(plain.image, plain.offsets[2] + 36);

    auto add = [](const char *name, const Fixture &f, const std::function<void(Image &)> &damage) {
        Image img = f.image;
        damage(img);
        QTest::newRow(name) << toBytes(img);
    };

    QTest::newRow("empty file") << QByteArray();
    add("ten bytes", plain, [](Image &i) { i.resize(10); });
    add("header cut short", plain, [](Image &i) { i.resize(40); });
    add("wrong signature", plain, [](Image &i) { i[15] ^= 0xFF; });
    add("wrong signature in a later record", plain, [&](Image &i) { i[plain.offsets[1]] ^= 1; });
    add("first record not a container", plain, [](Image &i) { i[16] = 0x19; });
    add("header size past the end", plain, [&](Image &i) { setInt(i, plain.offsets[1] + 32, 0x7FFFFFF0); });
    add("header size too small", plain, [&](Image &i) { setInt(i, plain.offsets[1] + 32, 16); });
    add("body size past the end", plain, [&](Image &i) { setInt(i, plain.offsets[1] + 36, int32_t(size)); });
    add("last body one byte too long", plain, [&](Image &i) { setInt(i, plain.offsets[2] + 36, obsBody + 1); });
    add("negative body size", plain, [&](Image &i) { setInt(i, plain.offsets[1] + 36, -1); });
    add("next record past the end", plain, [&](Image &i) { setInt(i, 40, int32_t(size + 64)); });
    add("next record negative", plain, [&](Image &i) { setInt(i, 40, -64); });
    add("next record loops back", plain, [&](Image &i) { setInt(i, plain.offsets[2] + 40, int32_t(plain.offsets[1])); });
    add("next record points at itself", plain, [&](Image &i) { setInt(i, plain.offsets[1] + 40, int32_t(plain.offsets[1])); });
    add("next record inside a body", plain, [&](Image &i) { setInt(i, 40, int32_t(plain.body(1) + 8)); });
    add("file cut inside the last body", plain, [&](Image &i) { i.resize(plain.body(2) + size_t(obsBody) / 2); });
    add("element link past the end", plain, [&](Image &i) { setInt(i, plain.entry(2, 0) + 20, obsBody + 8); });
    add("element link negative", plain, [&](Image &i) { setInt(i, plain.entry(2, 0) + 20, -4); });
    add("scalar link past the end", plain, [&](Image &i) { setInt(i, plain.entry(1, 0) + 20, dsBody - 8); });
    add("collection link past the end", plain, [&](Image &i) { setInt(i, plain.entry(1, 3) + 20, dsBody); });
    add("collection link negative", plain, [&](Image &i) { setInt(i, plain.entry(1, 3) + 20, INT32_MIN); });
    add("collection links to itself", plain, [&](Image &i) { setInt(i, plain.entry(1, 3) + 20, 0); });
    add("collection count larger than the body", plain, [&](Image &i) { setInt(i, plain.body(1), 1000); });
    add("negative collection count", plain, [&](Image &i) { setInt(i, plain.body(1), -1); });
    add("vector count larger than its bytes", plain, [&](Image &i) {
        const int32_t link = getInt(i, plain.entry(2, 0) + 20);
        setInt(i, plain.body(2) + size_t(link), 0x10000000);
    });
    add("vector count overflowing 32 bits", plain, [&](Image &i) {
        const int32_t link = getInt(i, plain.entry(2, 0) + 20);
        setInt(i, plain.body(2) + size_t(link), 0x7FFFFFFF);
    });
    add("vector count larger than its block", plain, [&](Image &i) {
        const int32_t link = getInt(i, plain.entry(1, 1) + 20);
        setInt(i, plain.body(1) + size_t(link), 4 + 4); // "M1\0" padded to 4; 8 runs into the next block
    });
    add("negative vector count", plain, [&](Image &i) {
        const int32_t link = getInt(i, plain.entry(2, 0) + 20);
        setInt(i, plain.body(2) + size_t(link), -2);
    });
    add("invalid physical type", plain, [&](Image &i) { i[plain.entry(2, 0) + 17] = 99; });
    add("invalid element type", plain, [&](Image &i) { i[plain.entry(2, 0) + 16] = 9; });
    add("embedded vector", plain, [&](Image &i) { i[plain.entry(2, 0) + 18] = 1; });
    add("embedded 12-byte scalar", plain, [&](Image &i) { i[plain.entry(2, 2) + 18] = 1; });
    add("embedded collection", plain, [&](Image &i) { i[plain.entry(2, 4) + 18] = 1; });
    add("whole-file compression", plain, [&](Image &i) {
        setInt(i, plain.entry(0, 3) + 20, int32_t(ID_COMP_STYLE_TOTALFILE));
        setInt(i, plain.entry(0, 4) + 20, int32_t(ID_COMP_ALG_ZLIB));
    });
    add("PKZIP compression", plain, [&](Image &i) {
        setInt(i, plain.entry(0, 3) + 20, int32_t(ID_COMP_STYLE_RECORDLEVEL));
        setInt(i, plain.entry(0, 4) + 20, int32_t(ID_COMP_ALG_PKZIPCL));
    });
    add("plain bodies declared compressed", plain, [&](Image &i) {
        setInt(i, plain.entry(0, 3) + 20, int32_t(ID_COMP_STYLE_RECORDLEVEL));
        setInt(i, plain.entry(0, 4) + 20, int32_t(ID_COMP_ALG_ZLIB));
    });

    const size_t packedObsBody = size_t(getInt(packed.image, packed.offsets[2] + 36));
    add("truncated zlib body", packed, [&](Image &i) {
        i.resize(i.size() - 10);
        setInt(i, packed.offsets[2] + 36, int32_t(packedObsBody - 10));
    });
    add("zlib body of two bytes", packed, [&](Image &i) {
        i.resize(packed.body(2) + 2);
        setInt(i, packed.offsets[2] + 36, 2);
    });
    add("empty zlib body", packed, [&](Image &i) {
        i.resize(packed.body(2));
        setInt(i, packed.offsets[2] + 36, 0);
    });
    add("damaged zlib body", packed, [&](Image &i) {
        for (size_t k = packed.body(2) + 6; k < packed.body(2) + 16; ++k)
            i[k] ^= 0x5A;
    });
    add("zlib trailer wrong", packed, [&](Image &i) { i[i.size() - 1] ^= 0x01; });
}

void TestPqdifDamaged::damagedInputFails()
{
    QFETCH(QByteArray, image);
    CPQDIF_PC_FlatFile pc;
    const bool ok = pc.ReadHeadersFromMemory(reinterpret_cast<const uint8_t *>(image.constData()),
                                             static_cast<size_t>(image.size()));
    QVERIFY(!ok);
    QVERIFY(!pc.GetLastError().empty());
    qInfo("%s", pc.GetLastError().c_str());
    QCOMPARE(pc.GetCountRecords(), 0L);
    QVERIFY(!pc.GetRecord(0));
}

void TestPqdifDamaged::everySingleByteDamageIsSafe_data()
{
    QTest::addColumn<bool>("compress");
    QTest::newRow("plain") << false;
    QTest::newRow("record-compressed") << true;
}

void TestPqdifDamaged::everySingleByteDamageIsSafe()
{
    // Each byte of a small file set to 0, 0xFF and its value + 1 in turn: the
    // file may read or fail, but it must do either cleanly (valgrind and the
    // sanitizer builds watch for anything else).
    QFETCH(bool, compress);
    const Fixture f = makeFixture(compress);
    int read = 0, failed = 0;
    for (size_t pos = 0; pos < f.image.size(); ++pos) {
        for (const int mode : {0, 1, 2}) {
            Image img = f.image;
            img[pos] = mode == 0 ? 0 : mode == 1 ? 0xFF : static_cast<uint8_t>(img[pos] + 1);
            CPQDIF_PC_FlatFile pc;
            if (pc.ReadHeadersFromMemory(img.data(), img.size())) {
                ++read;
                exerciseRecords(pc);
            } else {
                ++failed;
                QVERIFY(!pc.GetLastError().empty());
            }
        }
    }
    QVERIFY(read > 0);
    QVERIFY(failed > 0);
}

void TestPqdifDamaged::checksumMismatchAloneStillReads()
{
    for (const bool compress : {false, true}) {
        Fixture f = makeFixture(compress);
        setInt(f.image, f.offsets[1] + 44, 0x0BADF00D);
        CPQDIF_PC_FlatFile pc;
        QVERIFY2(pc.ReadHeadersFromMemory(f.image.data(), f.image.size()), pc.GetLastError().c_str());
        QCOMPARE(pc.GetCountRecords(), 3L);
        QCOMPARE(pc.GetWarnings().size(), size_t(1));
    }
}

void TestPqdifDamaged::fuzzFindingsStayHarmless()
{
    // Inputs the fuzzer once found troublesome (e.g. a 30-byte INCREMENT vector
    // asking for millions of time stamps per series): read them the way an
    // importer would; a hang here ends in the CTest timeout.
    QDir dir(QStringLiteral(QUORLOG_TEST_DATA "/pqdif/fuzz"));
    const QStringList files = dir.entryList(QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray raw = f.readAll();
        CPQDIF_PC_FlatFile pc;
        if (pc.ReadHeadersFromMemory(reinterpret_cast<const uint8_t *>(raw.constData()), size_t(raw.size())))
            exerciseRecords(pc);
    }
}

QUORLOG_TEST_MAIN(TestPqdifDamaged)
#include "tst_pqdifdamaged.moc"
