#include "pqdif/PqdifWriter.h"

#include <QDate>
#include <QFile>

#include <zlib.h>

#include <cstring>

using namespace pqdif;

namespace {

void putInt32(std::vector<uint8_t> &buf, size_t at, int32_t v)
{
    std::memcpy(buf.data() + at, &v, 4);
}

void appendBytes(std::vector<uint8_t> &buf, const void *p, size_t n)
{
    const uint8_t *b = static_cast<const uint8_t *>(p);
    buf.insert(buf.end(), b, b + n);
}

void pad4(std::vector<uint8_t> &buf)
{
    while (buf.size() % 4)
        buf.push_back(0);
}

size_t padded4(size_t n)
{
    return (n + 3) & ~size_t(3);
}

std::vector<uint8_t> toBytes(const void *p, size_t n)
{
    const uint8_t *b = static_cast<const uint8_t *>(p);
    return std::vector<uint8_t>(b, b + n);
}

} // namespace

std::unique_ptr<PqdifNode> PqdifNode::clone() const
{
    auto n = std::make_unique<PqdifNode>(tag);
    n->elementType = elementType;
    n->physicalType = physicalType;
    n->value = value;
    n->count = count;
    for (const auto &c : children)
        n->children.push_back(c->clone());
    return n;
}

PqdifNode &PqdifNode::scalar(const PqdifGuid &t, int pt, const void *bytes)
{
    auto n = std::make_unique<PqdifNode>(t);
    n->elementType = ID_ELEMENT_TYPE_SCALAR;
    n->physicalType = pt;
    n->value = toBytes(bytes, static_cast<size_t>(physicalTypeSize(pt)));
    children.push_back(std::move(n));
    return *this;
}

PqdifNode &PqdifNode::uint4(const PqdifGuid &t, uint32_t v)
{
    return scalar(t, ID_PHYS_TYPE_UNS_INTEGER4, &v);
}

PqdifNode &PqdifNode::real8(const PqdifGuid &t, double v)
{
    return scalar(t, ID_PHYS_TYPE_REAL8, &v);
}

PqdifNode &PqdifNode::guid(const PqdifGuid &t, const PqdifGuid &v)
{
    return scalar(t, ID_PHYS_TYPE_GUID, v.bytes);
}

PqdifNode &PqdifNode::timeStamp(const PqdifGuid &t, const PqdifTimeStamp &v)
{
    uint8_t raw[12];
    std::memcpy(raw, &v.day, 4);
    std::memcpy(raw + 4, &v.sec, 8);
    return scalar(t, ID_PHYS_TYPE_TIMESTAMPPQDIF, raw);
}

PqdifNode &PqdifNode::string(const PqdifGuid &t, const std::string &text)
{
    return vector(t, ID_PHYS_TYPE_CHAR1, text.c_str(), static_cast<long>(text.size() + 1));
}

PqdifNode &PqdifNode::vector(const PqdifGuid &t, int pt, const void *values, long n)
{
    auto node = std::make_unique<PqdifNode>(t);
    node->elementType = ID_ELEMENT_TYPE_VECTOR;
    node->physicalType = pt;
    node->count = n;
    node->value = toBytes(values, static_cast<size_t>(n) * static_cast<size_t>(physicalTypeSize(pt)));
    children.push_back(std::move(node));
    return *this;
}

PqdifNode &PqdifNode::real8Vector(const PqdifGuid &t, const std::vector<double> &values)
{
    return vector(t, ID_PHYS_TYPE_REAL8, values.data(), static_cast<long>(values.size()));
}

PqdifNode &PqdifNode::collection(const PqdifGuid &t)
{
    children.push_back(std::make_unique<PqdifNode>(t));
    return *children.back();
}

PqdifNode &PqdifNode::add(std::unique_ptr<PqdifNode> child)
{
    children.push_back(std::move(child));
    return *this;
}

// ---------------------------------------------------------------------------

PqdifSeriesInstDesc PqdifSeriesInstDesc::real8(const std::vector<double> &v)
{
    return raw(ID_PHYS_TYPE_REAL8, v.data(), static_cast<long>(v.size()));
}

PqdifSeriesInstDesc PqdifSeriesInstDesc::real4(const std::vector<float> &v)
{
    return raw(ID_PHYS_TYPE_REAL4, v.data(), static_cast<long>(v.size()));
}

PqdifSeriesInstDesc PqdifSeriesInstDesc::timeStamps(const std::vector<PqdifTimeStamp> &v)
{
    std::vector<uint8_t> bytes;
    for (const PqdifTimeStamp &ts : v) {
        appendBytes(bytes, &ts.day, 4);
        appendBytes(bytes, &ts.sec, 8);
    }
    return raw(ID_PHYS_TYPE_TIMESTAMPPQDIF, bytes.data(), static_cast<long>(v.size()));
}

PqdifSeriesInstDesc PqdifSeriesInstDesc::raw(int physicalType, const void *values, long count)
{
    PqdifSeriesInstDesc s;
    s.physicalType = physicalType;
    s.count = count;
    s.values = toBytes(values, static_cast<size_t>(count) * static_cast<size_t>(physicalTypeSize(physicalType)));
    return s;
}

PqdifSeriesInstDesc PqdifSeriesInstDesc::shared(int channel, int series)
{
    PqdifSeriesInstDesc s;
    s.hasValues = false;
    s.shareChannel = channel;
    s.shareSeries = series;
    return s;
}

PqdifSeriesInstDesc &PqdifSeriesInstDesc::scaled(double s, double o)
{
    scalePhysicalType = ID_PHYS_TYPE_REAL8;
    scale = toBytes(&s, 8);
    offset = toBytes(&o, 8);
    return *this;
}

// ---------------------------------------------------------------------------

PqdifWriter::PqdifWriter() = default;

PqdifWriter::PqdifWriter(const Options &options)
    : m_options(options)
{
}

void PqdifWriter::addContainer()
{
    PqdifNode root(tagContainer);
    const uint32_t version[4] = {1, 5, 1, 5};
    root.vector(tagVersionInfo, ID_PHYS_TYPE_UNS_INTEGER4, version, 4);
    root.string(tagFileName, "fixture.pqd");
    root.timeStamp(tagCreation, pqdifTime(2024, 1, 1));
    root.uint4(tagCompressionStyleID, m_options.compress ? ID_COMP_STYLE_RECORDLEVEL : ID_COMP_STYLE_NONE);
    root.uint4(tagCompressionAlgorithmID, m_options.compress ? ID_COMP_ALG_ZLIB : ID_COMP_ALG_NONE);
    addRecord(root);
}

void PqdifWriter::addRecord(const PqdifNode &root)
{
    m_records.push_back(root.clone());
}

void PqdifWriter::writeCollection(const PqdifNode &node, std::vector<uint8_t> &buf) const
{
    const size_t start = buf.size();
    const int32_t count = static_cast<int32_t>(node.children.size());
    appendBytes(buf, &count, 4);
    buf.resize(buf.size() + 28 * node.children.size(), 0);
    for (size_t i = 0; i < node.children.size(); ++i) {
        const PqdifNode &c = *node.children[i];
        const size_t e = start + 4 + 28 * i;
        std::memcpy(buf.data() + e, c.tag.bytes, 16);
        buf[e + 16] = static_cast<uint8_t>(c.elementType);
        buf[e + 17] = static_cast<uint8_t>(c.physicalType);
        if (c.elementType == ID_ELEMENT_TYPE_COLLECTION) {
            const size_t link = buf.size();
            writeCollection(c, buf);
            const size_t size = m_options.collectionLinkSize == OwnEntries ? 4 + 28 * c.children.size()
                                                                           : buf.size() - link;
            putInt32(buf, e + 20, static_cast<int32_t>(link));
            putInt32(buf, e + 24, static_cast<int32_t>(size));
        } else if (c.elementType == ID_ELEMENT_TYPE_SCALAR) {
            const size_t size = c.value.size();
            const bool embed = (m_options.embed == EmbedBelow8 && size < 8)
                               || (m_options.embed == EmbedUpTo8 && size <= 8);
            if (embed) {
                buf[e + 18] = 1;
                std::memcpy(buf.data() + e + 20, c.value.data(), size);
            } else {
                const size_t link = buf.size();
                appendBytes(buf, c.value.data(), size);
                pad4(buf);
                putInt32(buf, e + 20, static_cast<int32_t>(link));
                putInt32(buf, e + 24, static_cast<int32_t>(padded4(size)));
            }
        } else {
            const size_t link = buf.size();
            const int32_t n = static_cast<int32_t>(c.count);
            appendBytes(buf, &n, 4);
            appendBytes(buf, c.value.data(), c.value.size());
            pad4(buf);
            putInt32(buf, e + 20, static_cast<int32_t>(link));
            putInt32(buf, e + 24, static_cast<int32_t>(padded4(4 + c.value.size())));
        }
    }
}

std::vector<uint8_t> PqdifWriter::body(const PqdifNode &root) const
{
    std::vector<uint8_t> buf;
    writeCollection(root, buf);
    return buf;
}

std::vector<uint8_t> PqdifWriter::bytes() const
{
    std::vector<uint8_t> file;
    m_offsets.clear();
    for (size_t r = 0; r < m_records.size(); ++r) {
        const PqdifNode &root = *m_records[r];
        const std::vector<uint8_t> plain = body(root);
        std::vector<uint8_t> stored = plain;
        if (m_options.compress && r > 0) {
            uLongf size = compressBound(static_cast<uLong>(plain.size()));
            stored.resize(size);
            compress2(stored.data(), &size, plain.data(), static_cast<uLong>(plain.size()), Z_DEFAULT_COMPRESSION);
            stored.resize(size);
        }
        uint32_t checksum = 0;
        switch (m_options.checksum) {
        case Adler32OfStored:
            checksum = static_cast<uint32_t>(adler32(adler32(0, Z_NULL, 0), stored.data(), static_cast<uInt>(stored.size())));
            break;
        case Zero:
            break;
        case Crc32OfUnpacked:
            checksum = static_cast<uint32_t>(crc32(crc32(0, Z_NULL, 0), plain.data(), static_cast<uInt>(plain.size())));
            break;
        case Wrong:
            checksum = 0x12345678u;
            break;
        }
        const size_t pos = file.size();
        m_offsets.push_back(pos);
        const size_t end = pos + 64 + stored.size();
        const bool last = r + 1 == m_records.size();
        const int32_t next = last ? (m_options.lastNextIsFileSize ? static_cast<int32_t>(end) : 0)
                                  : static_cast<int32_t>(end);
        file.resize(pos + 64, 0);
        std::memcpy(file.data() + pos, signature.bytes, 16);
        std::memcpy(file.data() + pos + 16, root.tag.bytes, 16);
        putInt32(file, pos + 32, 64);
        putInt32(file, pos + 36, static_cast<int32_t>(stored.size()));
        putInt32(file, pos + 40, next);
        std::memcpy(file.data() + pos + 44, &checksum, 4);
        appendBytes(file, stored.data(), stored.size());
    }
    return file;
}

bool PqdifWriter::save(const QString &path) const
{
    const std::vector<uint8_t> image = bytes();
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 n = f.write(reinterpret_cast<const char *>(image.data()), static_cast<qint64>(image.size()));
    return n == static_cast<qint64>(image.size()) && f.flush();
}

// ---------------------------------------------------------------------------

PqdifTimeStamp pqdifTime(int year, int month, int day, double secondsOfDay)
{
    PqdifTimeStamp ts;
    ts.day = static_cast<uint32_t>(QDate(1899, 12, 30).daysTo(QDate(year, month, day)));
    ts.sec = secondsOfDay;
    return ts;
}

std::unique_ptr<PqdifNode> pqdifDataSourceRecord(const std::string &name,
                                                 const std::vector<PqdifChannelDefnDesc> &channels)
{
    auto root = std::make_unique<PqdifNode>(tagRecDataSource);
    root->guid(tagDataSourceTypeID, ID_DS_TYPE_MEASURE);
    root->string(tagNameDS, name);
    root->timeStamp(tagEffective, pqdifTime(2024, 1, 1));
    PqdifNode &defns = root->collection(tagChannelDefns);
    for (const PqdifChannelDefnDesc &ch : channels) {
        PqdifNode &c = defns.collection(tagOneChannelDefn);
        if (!ch.name.empty())
            c.string(tagChannelName, ch.name);
        c.uint4(tagPhaseID, ch.phase);
        c.uint4(tagQuantityMeasuredID, ch.quantityMeasured);
        c.guid(tagQuantityTypeID, ch.quantityType);
        PqdifNode &series = c.collection(tagSeriesDefns);
        for (const PqdifSeriesDefnDesc &s : ch.series) {
            PqdifNode &d = series.collection(tagOneSeriesDefn);
            d.guid(tagValueTypeID, s.valueType);
            d.uint4(tagQuantityUnitsID, s.units);
            d.guid(tagQuantityCharacteristicID, s.characteristic);
            d.uint4(tagStorageMethodID, s.storage);
            if (s.greekPrefix >= 0)
                d.uint4(tagHintGreekPrefixID, static_cast<uint32_t>(s.greekPrefix));
            if (s.preferredUnits >= 0)
                d.uint4(tagHintPreferredUnitsID, static_cast<uint32_t>(s.preferredUnits));
        }
    }
    return root;
}

std::unique_ptr<PqdifNode> pqdifMonitorSettingsRecord(const PqdifTimeStamp &effective, double nominalFrequency)
{
    auto root = std::make_unique<PqdifNode>(tagRecMonitorSettings);
    root->timeStamp(tagEffective, effective);
    root->timeStamp(PqdifGuid::fromString("3d786f85-f76e-11cf-9d89-0080c72e70a3"), effective); // installed
    root->real8(tagNominalFrequency, nominalFrequency);
    root->collection(tagChannelSettingsArray);
    return root;
}

std::unique_ptr<PqdifNode> pqdifObservationRecord(const std::string &name, const PqdifTimeStamp &start,
                                                  const std::vector<PqdifChannelInstDesc> &channels,
                                                  long long serial)
{
    auto root = std::make_unique<PqdifNode>(tagRecObservation);
    root->string(tagObservationName, name);
    root->timeStamp(tagTimeCreate, start);
    root->timeStamp(tagTimeStart, start);
    root->uint4(tagTriggerMethodID, 0);
    if (serial >= 0)
        root->uint4(tagObservationSerial, static_cast<uint32_t>(serial));
    PqdifNode &insts = root->collection(tagChannelInstances);
    for (const PqdifChannelInstDesc &ch : channels) {
        PqdifNode &c = insts.collection(tagOneChannelInst);
        c.uint4(tagChannelDefnIdx, ch.defnIdx);
        if (ch.groupId >= 0) {
            const int16_t group = static_cast<int16_t>(ch.groupId);
            c.scalar(tagChannelGroupID, ID_PHYS_TYPE_INTEGER2, &group);
        }
        PqdifNode &series = c.collection(tagSeriesInstances);
        for (const PqdifSeriesInstDesc &s : ch.series) {
            PqdifNode &si = series.collection(tagOneSeriesInstance);
            if (!s.scale.empty())
                si.scalar(tagSeriesScale, s.scalePhysicalType, s.scale.data());
            if (!s.offset.empty())
                si.scalar(tagSeriesOffset, s.scalePhysicalType, s.offset.data());
            if (s.shareChannel >= 0) {
                si.uint4(tagSeriesShareChannelIdx, static_cast<uint32_t>(s.shareChannel));
                si.uint4(tagSeriesShareSeriesIdx, static_cast<uint32_t>(s.shareSeries));
            }
            if (s.hasValues)
                si.vector(tagSeriesValues, s.physicalType, s.values.data(), s.count);
        }
    }
    return root;
}
