#pragma once
// A small PQDIF writer for fixtures: element trees, records, the record chain
// with checksums, plain or with record-level zlib compression, and helpers that
// build container, data source, monitor settings and observation records.
#include "pqdif/PqdifTags.h"
#include "pqdif/PqdifTypes.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

// One element to write: a collection with children, a scalar or a vector.
struct PqdifNode
{
    PqdifGuid tag;
    int elementType = ID_ELEMENT_TYPE_COLLECTION;
    int physicalType = 0;
    std::vector<uint8_t> value; // scalar: the value bytes; vector: the values
    long count = 0;             // vector: number of values written as its count
    std::vector<std::unique_ptr<PqdifNode>> children;

    explicit PqdifNode(const PqdifGuid &t = PqdifGuid()) : tag(t) {}
    std::unique_ptr<PqdifNode> clone() const;

    // Builders; each returns this collection (or the new child for collection()).
    PqdifNode &scalar(const PqdifGuid &t, int physicalType, const void *bytes);
    PqdifNode &uint4(const PqdifGuid &t, uint32_t v);
    PqdifNode &real8(const PqdifGuid &t, double v);
    PqdifNode &guid(const PqdifGuid &t, const PqdifGuid &v);
    PqdifNode &timeStamp(const PqdifGuid &t, const PqdifTimeStamp &v);
    PqdifNode &string(const PqdifGuid &t, const std::string &text); // CHAR1 with its NUL
    PqdifNode &vector(const PqdifGuid &t, int physicalType, const void *values, long count);
    PqdifNode &real8Vector(const PqdifGuid &t, const std::vector<double> &values);
    PqdifNode &collection(const PqdifGuid &t);
    PqdifNode &add(std::unique_ptr<PqdifNode> child);
};

// Series and channel descriptions for the record helpers.
struct PqdifSeriesDefnDesc
{
    PqdifGuid valueType = pqdif::ID_SERIES_VALUE_TYPE_VAL;
    uint32_t units = pqdif::ID_QU_VOLTS;
    PqdifGuid characteristic = pqdif::ID_QC_RMS;
    uint32_t storage = pqdif::ID_SERIES_METHOD_VALUES;
    int greekPrefix = -1;    // tagHintGreekPrefixID when >= 0
    int preferredUnits = -1; // tagHintPreferredUnitsID when >= 0
};

struct PqdifChannelDefnDesc
{
    std::string name;
    uint32_t phase = pqdif::ID_PHASE_AN;
    PqdifGuid quantityType = pqdif::ID_QT_VALUELOG;
    uint32_t quantityMeasured = pqdif::ID_QM_VOLTAGE;
    std::vector<PqdifSeriesDefnDesc> series;
};

struct PqdifSeriesInstDesc
{
    int physicalType = ID_PHYS_TYPE_REAL8;
    std::vector<uint8_t> values; // raw values; absent when shared
    long count = 0;
    bool hasValues = true;
    int scalePhysicalType = ID_PHYS_TYPE_REAL8;
    std::vector<uint8_t> scale, offset; // raw scalars when not empty
    int shareChannel = -1, shareSeries = -1;

    static PqdifSeriesInstDesc real8(const std::vector<double> &v);
    static PqdifSeriesInstDesc real4(const std::vector<float> &v);
    static PqdifSeriesInstDesc timeStamps(const std::vector<PqdifTimeStamp> &v);
    static PqdifSeriesInstDesc raw(int physicalType, const void *values, long count);
    static PqdifSeriesInstDesc shared(int channel, int series);
    // REAL8 scale and offset.
    PqdifSeriesInstDesc &scaled(double s, double o);
};

struct PqdifChannelInstDesc
{
    uint32_t defnIdx = 0;
    int groupId = -1; // tagChannelGroupID (INT2) when >= 0
    std::vector<PqdifSeriesInstDesc> series;
};

class PqdifWriter
{
public:
    enum ChecksumMode { Adler32OfStored, Zero, Crc32OfUnpacked, Wrong };
    // Which scalars go into their entry instead of behind a link.
    enum EmbedPolicy { EmbedBelow8, EmbedUpTo8, EmbedNone };
    // Link size of a nested collection: its own entries, or the whole sub-tree.
    enum CollectionLinkSize { OwnEntries, WholeSubtree };

    struct Options
    {
        bool compress = false;
        ChecksumMode checksum = Adler32OfStored;
        EmbedPolicy embed = EmbedBelow8;
        CollectionLinkSize collectionLinkSize = OwnEntries;
        bool lastNextIsFileSize = false; // last record links to the file end instead of 0
    };

    PqdifWriter();
    explicit PqdifWriter(const Options &options);

    // Adds the container record (file name "fixture.pqd", version 1.5.1.5) with
    // the compression tags the options call for. Call it first.
    void addContainer();
    void addRecord(const PqdifNode &root); // root tag = record type

    // The file image; recordOffsets() then tells where each header starts.
    std::vector<uint8_t> bytes() const;
    const std::vector<size_t> &recordOffsets() const { return m_offsets; }
    bool save(const QString &path) const;

    // Body bytes of one element tree, as the file stores them before compression.
    std::vector<uint8_t> body(const PqdifNode &root) const;

private:
    void writeCollection(const PqdifNode &node, std::vector<uint8_t> &buf) const;

    Options m_options;
    std::vector<std::unique_ptr<PqdifNode>> m_records;
    mutable std::vector<size_t> m_offsets;
};

// Time stamp of a UTC wall-clock time.
PqdifTimeStamp pqdifTime(int year, int month, int day, double secondsOfDay = 0.0);

// Record helpers.
std::unique_ptr<PqdifNode> pqdifDataSourceRecord(const std::string &name,
                                                 const std::vector<PqdifChannelDefnDesc> &channels);
std::unique_ptr<PqdifNode> pqdifMonitorSettingsRecord(const PqdifTimeStamp &effective, double nominalFrequency);
// serial >= 0 adds tagObservationSerial as a UINT4 scalar.
std::unique_ptr<PqdifNode> pqdifObservationRecord(const std::string &name, const PqdifTimeStamp &start,
                                                  const std::vector<PqdifChannelInstDesc> &channels,
                                                  long long serial = -1);
