#include "pqdif/PqdifRecords.h"

#include "pqdif/PqdifPhysical.h"
#include "pqdif/PqdifTags.h"

#include <cmath>
#include <cstring>

using namespace pqdif;

namespace {

// An INCREMENT axis may not expand beyond this many values (256 MiB of REAL8),
// nor beyond the size of its record body: it times the values of the other
// series, each of which takes at least a byte there. A few bytes of counts
// must not be able to ask for gigabytes and minutes.
constexpr double kMaxExpandedValues = double(1 << 25);
constexpr double kDefaultFrequency = 60.0;

const CPQDIF_E_Collection *rootOf(const std::shared_ptr<const RecordData> &d)
{
    return d ? d->root.get() : nullptr;
}

bool scalarTime(const CPQDIF_E_Collection *c, const PqdifGuid &tag, PqdifTimeStamp &ts)
{
    const CPQDIF_E_Scalar *s = c ? c->FindScalar(tag) : nullptr;
    return s && s->GetValueTimeStamp(ts);
}

uint32_t scalarUInt(const CPQDIF_E_Collection *c, const PqdifGuid &tag)
{
    uint32_t v = 0;
    const CPQDIF_E_Scalar *s = c ? c->FindScalar(tag) : nullptr;
    if (!s || !s->GetValueAsUINT4(v))
        return 0;
    return v;
}

PqdifGuid scalarGuid(const CPQDIF_E_Collection *c, const PqdifGuid &tag)
{
    PqdifGuid g;
    const CPQDIF_E_Scalar *s = c ? c->FindScalar(tag) : nullptr;
    if (s)
        s->GetValueGUID(g);
    return g;
}

std::vector<const CPQDIF_E_Collection *> channelDefns(const CPQDIF_E_Collection *dsRoot)
{
    const CPQDIF_E_Collection *defns = dsRoot ? dsRoot->FindCollection(tagChannelDefns) : nullptr;
    return defns ? defns->FindCollections(tagOneChannelDefn) : std::vector<const CPQDIF_E_Collection *>();
}

std::vector<const CPQDIF_E_Collection *> seriesDefns(const CPQDIF_E_Collection *channelDefn)
{
    const CPQDIF_E_Collection *defns = channelDefn ? channelDefn->FindCollection(tagSeriesDefns) : nullptr;
    return defns ? defns->FindCollections(tagOneSeriesDefn) : std::vector<const CPQDIF_E_Collection *>();
}

void channelDefnInfo(const CPQDIF_E_Collection *defn, std::string &name, uint32_t &phase, PqdifGuid &quantityType,
                     uint32_t &quantityMeasured)
{
    name = defn->FindString(tagChannelName);
    phase = scalarUInt(defn, tagPhaseID);
    quantityType = scalarGuid(defn, tagQuantityTypeID);
    quantityMeasured = scalarUInt(defn, tagQuantityMeasuredID);
}

void seriesDefnInfo(const CPQDIF_E_Collection *defn, uint32_t &units, PqdifGuid &valueType,
                    PqdifGuid &characteristic, uint32_t &storage)
{
    units = scalarUInt(defn, tagQuantityUnitsID);
    valueType = scalarGuid(defn, tagValueTypeID);
    characteristic = scalarGuid(defn, tagQuantityCharacteristicID);
    storage = scalarUInt(defn, tagStorageMethodID);
}

bool integral(double v)
{
    return std::isfinite(v) && v >= 0 && std::floor(v) == v;
}

// [N, n1, r1, ... nN, rN]: n_k points r_k apart, run k starting where the
// points of the runs before it would have ended (sum of n_m * r_m).
std::unique_ptr<CPQDIF_E_Vector> expandIncrement(const CPQDIF_E_Vector *raw, double limit)
{
    double runs = 0;
    if (!raw->GetValueAsReal(0, runs) || !integral(runs) || 1 + 2 * runs > raw->GetCount())
        return nullptr;
    double total = 0;
    for (long k = 0; k < static_cast<long>(runs); ++k) {
        double n = 0;
        if (!raw->GetValueAsReal(1 + 2 * k, n) || !integral(n))
            return nullptr;
        total += n;
        if (total > limit || total > kMaxExpandedValues)
            return nullptr;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(total) * 8);
    uint8_t *out = bytes.data();
    double start = 0;
    for (long k = 0; k < static_cast<long>(runs); ++k) {
        double n = 0, rate = 0;
        raw->GetValueAsReal(1 + 2 * k, n);
        if (!raw->GetValueAsReal(2 + 2 * k, rate))
            return nullptr;
        const long count = static_cast<long>(n);
        for (long j = 0; j < count; ++j) {
            const double x = start + j * rate;
            std::memcpy(out, &x, 8);
            out += 8;
        }
        start += n * rate;
    }
    return std::make_unique<CPQDIF_E_Vector>(tagSeriesValues, ID_PHYS_TYPE_REAL8, std::move(bytes));
}

} // namespace

// ---------------------------------------------------------------------------

CPQDIFRecord::CPQDIFRecord(std::shared_ptr<const RecordData> data)
    : m_data(std::move(data))
{
}

CPQDIFRecord::CPQDIFRecord(std::shared_ptr<const StoredRecord> stored)
    : m_stored(std::move(stored))
{
}

CPQDIFRecord::~CPQDIFRecord() = default;

const RecordHeader &CPQDIFRecord::header() const
{
    return m_stored ? m_stored->header : m_data->header;
}

const std::shared_ptr<const RecordData> &CPQDIFRecord::data() const
{
    if (!m_data)
        m_data = readRecord(*m_stored);
    return m_data;
}

std::shared_ptr<const RecordData> CPQDIFRecord::dataForOneUse() const
{
    return m_data ? m_data : readRecord(*m_stored);
}

const PqdifGuid &CPQDIFRecord::GetTag() const
{
    return header().type;
}

const CPQDIF_E_Collection *CPQDIFRecord::GetMainCollection() const
{
    return data()->root.get();
}

int64_t CPQDIFRecord::GetFilePosition() const
{
    return header().position;
}

int32_t CPQDIFRecord::GetStoredBodySize() const
{
    return header().bodySize;
}

uint32_t CPQDIFRecord::GetChecksum() const
{
    return header().checksum;
}

bool CPQDIFRecord::IsCompressed() const
{
    return m_stored ? m_stored->compressed : m_data->compressed;
}

// ---------------------------------------------------------------------------

bool CPQDIF_R_Container::GetVersionInfo(uint32_t version[4]) const
{
    const CPQDIF_E_Vector *v = GetMainCollection()->FindVector(tagVersionInfo);
    if (!v || v->GetCount() < 4)
        return false;
    for (long i = 0; i < 4; ++i) {
        double d = 0;
        if (!v->GetValueAsReal(i, d) || d < 0)
            return false;
        version[i] = static_cast<uint32_t>(d);
    }
    return true;
}

std::string CPQDIF_R_Container::GetFileName() const
{
    return GetMainCollection()->FindString(tagFileName);
}

bool CPQDIF_R_Container::GetCreation(PqdifTimeStamp &ts) const
{
    return scalarTime(GetMainCollection(), tagCreation, ts);
}

uint32_t CPQDIF_R_Container::GetCompressionStyle() const
{
    return scalarUInt(GetMainCollection(), tagCompressionStyleID);
}

uint32_t CPQDIF_R_Container::GetCompressionAlgorithm() const
{
    return scalarUInt(GetMainCollection(), tagCompressionAlgorithmID);
}

// ---------------------------------------------------------------------------

bool CPQDIF_R_DataSource::GetInfo(PqdifGuid &dataSourceType, PqdifGuid &vendor, PqdifGuid &equipment,
                                  std::string &serialNumber, std::string &version, std::string &name,
                                  std::string &owner, std::string &location, std::string &timeZone) const
{
    const CPQDIF_E_Collection *c = GetMainCollection();
    dataSourceType = scalarGuid(c, tagDataSourceTypeID);
    vendor = scalarGuid(c, tagVendorID);
    equipment = scalarGuid(c, tagEquipmentID);
    serialNumber = c->FindString(tagSerialNumberDS);
    version = c->FindString(tagVersionDS);
    name = c->FindString(tagNameDS);
    owner = c->FindString(tagOwnerDS);
    location = c->FindString(tagLocationDS);
    timeZone = c->FindString(tagTimeZoneDS);
    return true;
}

bool CPQDIF_R_DataSource::GetEffective(PqdifTimeStamp &ts) const
{
    return scalarTime(GetMainCollection(), tagEffective, ts);
}

long CPQDIF_R_DataSource::GetCountChannelDefns() const
{
    return static_cast<long>(channelDefns(GetMainCollection()).size());
}

const CPQDIF_E_Collection *CPQDIF_R_DataSource::GetOneChannelDefn(long idxChannelDefn) const
{
    const CPQDIF_E_Collection *defns = GetMainCollection()->FindCollection(tagChannelDefns);
    return (defns && idxChannelDefn >= 0) ? defns->FindCollection(tagOneChannelDefn, idxChannelDefn) : nullptr;
}

bool CPQDIF_R_DataSource::GetChannelDefnInfo(long idxChannelDefn, std::string &name, uint32_t &phase,
                                             PqdifGuid &quantityType, uint32_t &quantityMeasured) const
{
    const CPQDIF_E_Collection *defn = GetOneChannelDefn(idxChannelDefn);
    if (!defn)
        return false;
    channelDefnInfo(defn, name, phase, quantityType, quantityMeasured);
    return true;
}

long CPQDIF_R_DataSource::GetCountSeriesDefns(long idxChannelDefn) const
{
    return static_cast<long>(seriesDefns(GetOneChannelDefn(idxChannelDefn)).size());
}

const CPQDIF_E_Collection *CPQDIF_R_DataSource::GetOneSeriesDefn(long idxChannelDefn, long idxSeriesDefn) const
{
    const CPQDIF_E_Collection *channelDefn = GetOneChannelDefn(idxChannelDefn);
    const CPQDIF_E_Collection *defns = channelDefn ? channelDefn->FindCollection(tagSeriesDefns) : nullptr;
    return (defns && idxSeriesDefn >= 0) ? defns->FindCollection(tagOneSeriesDefn, idxSeriesDefn) : nullptr;
}

bool CPQDIF_R_DataSource::GetSeriesDefnInfo(long idxChannelDefn, long idxSeriesDefn, uint32_t &units,
                                            PqdifGuid &valueType, PqdifGuid &characteristic,
                                            uint32_t &storageMethod) const
{
    const CPQDIF_E_Collection *defn = GetOneSeriesDefn(idxChannelDefn, idxSeriesDefn);
    if (!defn)
        return false;
    seriesDefnInfo(defn, units, valueType, characteristic, storageMethod);
    return true;
}

// ---------------------------------------------------------------------------

bool CPQDIF_R_MonitorSettings::GetEffective(PqdifTimeStamp &ts) const
{
    return scalarTime(GetMainCollection(), tagEffective, ts);
}

bool CPQDIF_R_MonitorSettings::GetNominalFrequency(double &hz) const
{
    const CPQDIF_E_Scalar *s = GetMainCollection()->FindScalar(tagNominalFrequency);
    return s && s->GetValueAsReal(hz);
}

long CPQDIF_R_MonitorSettings::GetCountChannelSettings() const
{
    const CPQDIF_E_Collection *arr = GetMainCollection()->FindCollection(tagChannelSettingsArray);
    return arr ? arr->CountTag(tagOneChannelSetting) : 0;
}

const CPQDIF_E_Collection *CPQDIF_R_MonitorSettings::GetOneChannelSetting(long idx) const
{
    const CPQDIF_E_Collection *arr = GetMainCollection()->FindCollection(tagChannelSettingsArray);
    return (arr && idx >= 0) ? arr->FindCollection(tagOneChannelSetting, idx) : nullptr;
}

// ---------------------------------------------------------------------------

CPQDIF_R_Observation::CPQDIF_R_Observation(std::shared_ptr<const RecordData> observation,
                                           std::shared_ptr<const RecordData> dataSource,
                                           std::shared_ptr<const RecordData> settings)
    : CPQDIFRecord(std::move(observation))
    , m_dataSource(std::move(dataSource))
    , m_settings(std::move(settings))
{
}

CPQDIF_R_Observation::CPQDIF_R_Observation(std::shared_ptr<const StoredRecord> stored)
    : CPQDIFRecord(std::move(stored))
{
}

CPQDIF_R_Observation::~CPQDIF_R_Observation() = default;

const std::vector<CPQDIF_R_Observation::Channel> &CPQDIF_R_Observation::channels() const
{
    if (m_channelsBuilt)
        return m_channels;
    m_channelsBuilt = true;
    const std::vector<const CPQDIF_E_Collection *> defns = channelDefns(rootOf(m_dataSource));
    const CPQDIF_E_Collection *instances = GetMainCollection()->FindCollection(tagChannelInstances);
    if (!instances)
        return m_channels;
    for (const CPQDIF_E_Collection *inst : instances->FindCollections(tagOneChannelInst)) {
        Channel ch;
        ch.instance = inst;
        const CPQDIF_E_Scalar *idx = inst->FindScalar(tagChannelDefnIdx);
        uint32_t v = 0;
        if (idx && idx->GetValueAsUINT4(v)) {
            ch.hasDefnIdx = true;
            ch.defnIdx = static_cast<long>(v);
            if (ch.defnIdx < static_cast<long>(defns.size())) {
                ch.defn = defns[static_cast<size_t>(ch.defnIdx)];
                ch.seriesDefns = seriesDefns(ch.defn);
            }
        }
        if (const CPQDIF_E_Collection *series = inst->FindCollection(tagSeriesInstances))
            ch.series = series->FindCollections(tagOneSeriesInstance);
        m_channels.push_back(std::move(ch));
    }
    return m_channels;
}

const CPQDIF_R_Observation::Channel *CPQDIF_R_Observation::channel(long idx) const
{
    const std::vector<Channel> &all = channels();
    if (idx < 0 || idx >= static_cast<long>(all.size()))
        return nullptr;
    return &all[static_cast<size_t>(idx)];
}

std::string CPQDIF_R_Observation::GetName() const
{
    return GetMainCollection()->FindString(tagObservationName);
}

bool CPQDIF_R_Observation::GetStartTime(PqdifTimeStamp &ts) const
{
    return scalarTime(GetMainCollection(), tagTimeStart, ts);
}

const CPQDIF_Element *CPQDIF_R_Observation::GetObservationExtendedData(const PqdifGuid &tag) const
{
    return GetMainCollection()->FindElement(tag);
}

long CPQDIF_R_Observation::GetCountChannels() const
{
    return static_cast<long>(channels().size());
}

bool CPQDIF_R_Observation::GetChannelInfo(long idxChannel, std::string &name, uint32_t &phase,
                                          PqdifGuid &quantityType, uint32_t &quantityMeasured) const
{
    const Channel *ch = channel(idxChannel);
    if (!ch || !ch->defn)
        return false;
    channelDefnInfo(ch->defn, name, phase, quantityType, quantityMeasured);
    return true;
}

bool CPQDIF_R_Observation::GetChannelDefnIdx(long idxChannel, long &idxChannelDefn) const
{
    const Channel *ch = channel(idxChannel);
    if (!ch || !ch->hasDefnIdx || (m_dataSource && !ch->defn))
        return false;
    idxChannelDefn = ch->defnIdx;
    return true;
}

long CPQDIF_R_Observation::GetCountSeries(long idxChannel) const
{
    const Channel *ch = channel(idxChannel);
    return ch ? static_cast<long>(ch->series.size()) : 0;
}

const CPQDIF_E_Collection *CPQDIF_R_Observation::GetSeriesDefn(long idxChannel, long idxSeries) const
{
    const Channel *ch = channel(idxChannel);
    if (!ch || idxSeries < 0 || idxSeries >= static_cast<long>(ch->seriesDefns.size()))
        return nullptr;
    return ch->seriesDefns[static_cast<size_t>(idxSeries)];
}

const CPQDIF_E_Collection *CPQDIF_R_Observation::GetSeriesInstance(long idxChannel, long idxSeries) const
{
    const Channel *ch = channel(idxChannel);
    if (!ch || idxSeries < 0 || idxSeries >= static_cast<long>(ch->series.size()))
        return nullptr;
    return ch->series[static_cast<size_t>(idxSeries)];
}

bool CPQDIF_R_Observation::GetSeriesInfo(long idxChannel, long idxSeries, uint32_t &units, PqdifGuid &valueType,
                                         PqdifGuid &characteristic) const
{
    const CPQDIF_E_Collection *defn = GetSeriesDefn(idxChannel, idxSeries);
    if (!defn)
        return false;
    uint32_t storage = 0;
    seriesDefnInfo(defn, units, valueType, characteristic, storage);
    return true;
}

uint32_t CPQDIF_R_Observation::storageMethod(long idxChannel, long idxSeries) const
{
    const CPQDIF_E_Collection *defn = GetSeriesDefn(idxChannel, idxSeries);
    return defn ? scalarUInt(defn, tagStorageMethodID) : uint32_t(ID_SERIES_METHOD_VALUES);
}

bool CPQDIF_R_Observation::resolveShare(long &idxChannel, long &idxSeries) const
{
    // Every hop visits a different series or the chain is a loop; the number of
    // series bounds the walk.
    size_t guard = 1;
    for (const Channel &ch : channels())
        guard += ch.series.size();
    for (; guard > 0; --guard) {
        const CPQDIF_E_Collection *inst = GetSeriesInstance(idxChannel, idxSeries);
        if (!inst)
            return false;
        if (inst->FindVector(tagSeriesValues))
            return true;
        const CPQDIF_E_Scalar *c = inst->FindScalar(tagSeriesShareChannelIdx);
        const CPQDIF_E_Scalar *s = inst->FindScalar(tagSeriesShareSeriesIdx);
        uint32_t vc = 0, vs = 0;
        if (!c || !s || !c->GetValueAsUINT4(vc) || !s->GetValueAsUINT4(vs))
            return false;
        idxChannel = static_cast<long>(vc);
        idxSeries = static_cast<long>(vs);
    }
    return false;
}

const CPQDIF_E_Vector *CPQDIF_R_Observation::GetSeriesValues(long idxChannel, long idxSeries) const
{
    long c = idxChannel, s = idxSeries;
    if (!resolveShare(c, s))
        return nullptr;
    const CPQDIF_E_Vector *raw = GetSeriesInstance(c, s)->FindVector(tagSeriesValues);
    // A shared series is decoded with its own definition's storage method.
    if (!(storageMethod(idxChannel, idxSeries) & ID_SERIES_METHOD_INCREMENT))
        return raw;
    const auto key = std::make_pair(idxChannel, idxSeries);
    auto it = m_expanded.find(key);
    if (it == m_expanded.end())
        it = m_expanded.emplace(key, expandIncrement(raw, static_cast<double>(data()->bodySize))).first;
    return it->second.get();
}

bool CPQDIF_R_Observation::GetSeriesScale(long idxChannel, long idxSeries, double &scale, double &offset) const
{
    scale = 1.0;
    offset = 0.0;
    const CPQDIF_E_Collection *own = GetSeriesInstance(idxChannel, idxSeries);
    if (!own || !(storageMethod(idxChannel, idxSeries) & ID_SERIES_METHOD_SCALED))
        return false;
    long c = idxChannel, s = idxSeries;
    if (!resolveShare(c, s))
        return false;
    const CPQDIF_E_Collection *target = GetSeriesInstance(c, s);
    if (target->FindVector(tagSeriesValues)->GetPhysicalType() == ID_PHYS_TYPE_TIMESTAMPPQDIF)
        return false;
    // A sharing series without scale and offset of its own takes the target's.
    const bool ownScaling = own->FindScalar(tagSeriesScale) || own->FindScalar(tagSeriesOffset);
    const CPQDIF_E_Collection *from = ownScaling ? own : target;
    bool any = false;
    if (const CPQDIF_E_Scalar *sc = from->FindScalar(tagSeriesScale))
        any |= sc->GetValueAsReal(scale);
    if (const CPQDIF_E_Scalar *of = from->FindScalar(tagSeriesOffset))
        any |= of->GetValueAsReal(offset);
    return any;
}

double CPQDIF_R_Observation::nominalFrequency() const
{
    double hz = 0;
    const CPQDIF_E_Scalar *s = m_settings ? m_settings->root->FindScalar(tagNominalFrequency) : nullptr;
    if (s && s->GetValueAsReal(hz) && std::isfinite(hz) && hz > 0)
        return hz;
    return kDefaultFrequency;
}

CPQDIF_E_Vector *CPQDIF_R_Observation::NewResolvedSeriesTimeStamp(long idxChannel, long idxSeries,
                                                                  bool relativeSeconds) const
{
    const Channel *ch = channel(idxChannel);
    if (!ch || idxSeries < 0 || idxSeries >= static_cast<long>(ch->series.size()))
        return nullptr;
    // The time axis is found by value type, not by position.
    long timeIdx = -1;
    for (size_t i = 0; i < ch->seriesDefns.size(); ++i) {
        if (scalarGuid(ch->seriesDefns[i], tagValueTypeID) == ID_SERIES_VALUE_TYPE_TIME) {
            timeIdx = static_cast<long>(i);
            break;
        }
    }
    if (timeIdx < 0)
        return nullptr;
    const CPQDIF_E_Vector *axis = GetSeriesValues(idxChannel, timeIdx);
    if (!axis)
        return nullptr;

    PqdifTimeStamp start;
    const bool hasStart = GetStartTime(start) && start.day != kNoTimeDay;
    const long n = axis->GetCount();
    std::vector<uint8_t> out(static_cast<size_t>(n) * (relativeSeconds ? 8 : 12));

    auto put = [&](long j, bool ok, const PqdifTimeStamp &ts, double rel) {
        if (relativeSeconds) {
            const double v = ok ? rel : std::nan("");
            std::memcpy(out.data() + j * 8, &v, 8);
        } else {
            const uint32_t day = ok ? ts.day : kNoTimeDay;
            const double sec = ok ? ts.sec : 0.0;
            std::memcpy(out.data() + j * 12, &day, 4);
            std::memcpy(out.data() + j * 12 + 4, &sec, 8);
        }
    };

    if (axis->GetPhysicalType() == ID_PHYS_TYPE_TIMESTAMPPQDIF) {
        if (relativeSeconds && !hasStart)
            return nullptr;
        const double startUnix = hasStart ? timeStampToUnixSeconds(start) : 0.0;
        for (long j = 0; j < n; ++j) {
            PqdifTimeStamp ts;
            const bool ok = axis->GetValueTimeStamp(j, ts) && ts.day != kNoTimeDay;
            put(j, ok, ts, ok ? timeStampToUnixSeconds(ts) - startUnix : 0.0);
        }
    } else {
        if (!hasStart || !pqdif::isNumericType(axis->GetPhysicalType()))
            return nullptr;
        double scale = 1, offset = 0;
        GetSeriesScale(idxChannel, timeIdx, scale, offset);
        const uint32_t units = scalarUInt(ch->seriesDefns[static_cast<size_t>(timeIdx)], tagQuantityUnitsID);
        const double perUnit = units == ID_QU_CYCLES ? 1.0 / nominalFrequency() : 1.0;
        for (long j = 0; j < n; ++j) {
            double v = 0;
            const bool ok = axis->GetValueAsReal(j, v) && std::isfinite(v);
            const double seconds = (v * scale + offset) * perUnit;
            put(j, ok && std::isfinite(seconds), ok ? addSeconds(start, seconds) : start, seconds);
        }
    }
    return new CPQDIF_E_Vector(tagSeriesValues,
                               relativeSeconds ? ID_PHYS_TYPE_REAL8 : ID_PHYS_TYPE_TIMESTAMPPQDIF, std::move(out));
}
