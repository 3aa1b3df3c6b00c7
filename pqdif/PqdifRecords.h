#pragma once
// The logical layer: records of a PQDIF file and the observation wrapper that
// binds an observation to its data source (and monitor settings), resolving
// channels, series, storage methods, sharing and time stamps.
#include "pqdif/PqdifElements.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pqdif {
struct RecordData;
struct RecordHeader;
struct StoredRecord;
} // namespace pqdif

// A record's body and element tree are read the first time something asks
// for them, and kept (records are used by one thread at a time).
class CPQDIFRecord
{
public:
    // A record read already.
    explicit CPQDIFRecord(std::shared_ptr<const pqdif::RecordData> data);
    // A record as the controller found it in the file.
    explicit CPQDIFRecord(std::shared_ptr<const pqdif::StoredRecord> stored);
    virtual ~CPQDIFRecord();
    CPQDIFRecord(const CPQDIFRecord &) = delete;
    CPQDIFRecord &operator=(const CPQDIFRecord &) = delete;

    // Record type (tagContainer, tagRecDataSource, tagRecMonitorSettings, tagRecObservation ...).
    const PqdifGuid &GetTag() const;
    // The root collection of the body.
    const CPQDIF_E_Collection *GetMainCollection() const;

    int64_t GetFilePosition() const;
    int32_t GetStoredBodySize() const;
    uint32_t GetChecksum() const;
    bool IsCompressed() const;

    const std::shared_ptr<const pqdif::RecordData> &data() const;
    // The same, but a record not read yet is read for the caller alone and
    // not kept: an importer that wraps one observation after another holds
    // one body at a time.
    std::shared_ptr<const pqdif::RecordData> dataForOneUse() const;

private:
    const pqdif::RecordHeader &header() const;

    std::shared_ptr<const pqdif::StoredRecord> m_stored;
    mutable std::shared_ptr<const pqdif::RecordData> m_data;
};

class CPQDIF_R_Container : public CPQDIFRecord
{
public:
    using CPQDIFRecord::CPQDIFRecord;

    bool GetVersionInfo(uint32_t version[4]) const;
    std::string GetFileName() const;
    bool GetCreation(PqdifTimeStamp &ts) const;
    uint32_t GetCompressionStyle() const;
    uint32_t GetCompressionAlgorithm() const;
};

class CPQDIF_R_DataSource : public CPQDIFRecord
{
public:
    using CPQDIFRecord::CPQDIFRecord;

    // Identifiers: data source type, vendor, equipment (null when absent).
    // Texts (empty when absent), in this order: serial number, version, name,
    // owner, location, time zone.
    bool GetInfo(PqdifGuid &dataSourceType, PqdifGuid &vendor, PqdifGuid &equipment, std::string &serialNumber,
                 std::string &version, std::string &name, std::string &owner, std::string &location,
                 std::string &timeZone) const;
    bool GetEffective(PqdifTimeStamp &ts) const;

    long GetCountChannelDefns() const;
    const CPQDIF_E_Collection *GetOneChannelDefn(long idxChannelDefn) const;
    bool GetChannelDefnInfo(long idxChannelDefn, std::string &name, uint32_t &phase, PqdifGuid &quantityType,
                            uint32_t &quantityMeasured) const;

    long GetCountSeriesDefns(long idxChannelDefn) const;
    const CPQDIF_E_Collection *GetOneSeriesDefn(long idxChannelDefn, long idxSeriesDefn) const;
    // Units code, value type, quantity characteristic and storage method of a
    // series definition (absent values give 0 and the null identifier).
    bool GetSeriesDefnInfo(long idxChannelDefn, long idxSeriesDefn, uint32_t &units, PqdifGuid &valueType,
                           PqdifGuid &characteristic, uint32_t &storageMethod) const;
};

class CPQDIF_R_MonitorSettings : public CPQDIFRecord
{
public:
    using CPQDIFRecord::CPQDIFRecord;

    bool GetEffective(PqdifTimeStamp &ts) const;
    bool GetNominalFrequency(double &hz) const;
    long GetCountChannelSettings() const;
    const CPQDIF_E_Collection *GetOneChannelSetting(long idx) const;
};

// An observation record. The records that a controller hands out stand alone;
// CPQDIF_Factory::NewObservationWrapper binds one to its data source (and
// monitor settings), which gives channels their definitions, series their
// storage methods and time axes their units. A wrapper shares the record's
// bytes, so it stays valid while the caller keeps it.
class CPQDIF_R_Observation : public CPQDIFRecord
{
public:
    explicit CPQDIF_R_Observation(std::shared_ptr<const pqdif::RecordData> observation,
                                  std::shared_ptr<const pqdif::RecordData> dataSource = nullptr,
                                  std::shared_ptr<const pqdif::RecordData> settings = nullptr);
    // A record of the controller, bound to nothing.
    explicit CPQDIF_R_Observation(std::shared_ptr<const pqdif::StoredRecord> stored);
    ~CPQDIF_R_Observation() override;

    std::string GetName() const;
    bool GetStartTime(PqdifTimeStamp &ts) const;
    // A root-collection item by tag (e.g. tagObservationSerial); null when absent.
    const CPQDIF_Element *GetObservationExtendedData(const PqdifGuid &tag) const;

    long GetCountChannels() const;
    // Name, phase, quantity type and quantity measured from the channel's definition.
    bool GetChannelInfo(long idxChannel, std::string &name, uint32_t &phase, PqdifGuid &quantityType,
                        uint32_t &quantityMeasured) const;
    // The channel instance's definition index; false when absent, or outside the
    // bound data source's definitions.
    bool GetChannelDefnIdx(long idxChannel, long &idxChannelDefn) const;

    long GetCountSeries(long idxChannel) const;
    // Units code, value type and quantity characteristic of series idxSeries,
    // from its definition (series instance i pairs with definition i).
    bool GetSeriesInfo(long idxChannel, long idxSeries, uint32_t &units, PqdifGuid &valueType,
                       PqdifGuid &characteristic) const;
    const CPQDIF_E_Collection *GetSeriesDefn(long idxChannel, long idxSeries) const;
    const CPQDIF_E_Collection *GetSeriesInstance(long idxChannel, long idxSeries) const;

    // The series' values before scale and offset: sharing followed, an
    // INCREMENT axis expanded (as REAL8). Null when the series has none.
    const CPQDIF_E_Vector *GetSeriesValues(long idxChannel, long idxSeries) const;
    // Scale and offset to apply to GetSeriesValues: the stored ones when the
    // storage method has the SCALED bit, else 1 and 0 (also for time stamps).
    // True when the stored values apply.
    bool GetSeriesScale(long idxChannel, long idxSeries, double &scale, double &offset) const;

    // The absolute time of every sample of a series, from its channel's TIME
    // series (seconds or cycles after the start time, or time stamps), as a new
    // TIMESTAMP vector that the caller deletes; with relativeSeconds, REAL8
    // seconds after the start time instead. Null without a usable time axis.
    CPQDIF_E_Vector *NewResolvedSeriesTimeStamp(long idxChannel, long idxSeries, bool relativeSeconds) const;

private:
    struct Channel
    {
        const CPQDIF_E_Collection *instance = nullptr;
        bool hasDefnIdx = false;
        long defnIdx = -1;
        const CPQDIF_E_Collection *defn = nullptr;
        std::vector<const CPQDIF_E_Collection *> series;
        std::vector<const CPQDIF_E_Collection *> seriesDefns;
    };

    // Built from the channel instances at the first question.
    const std::vector<Channel> &channels() const;
    const Channel *channel(long idx) const;
    uint32_t storageMethod(long idxChannel, long idxSeries) const;
    // Follows sharing to the instance that holds the values.
    bool resolveShare(long &idxChannel, long &idxSeries) const;
    double nominalFrequency() const;

    std::shared_ptr<const pqdif::RecordData> m_dataSource;
    std::shared_ptr<const pqdif::RecordData> m_settings;
    mutable bool m_channelsBuilt = false;
    mutable std::vector<Channel> m_channels;
    mutable std::map<std::pair<long, long>, std::unique_ptr<CPQDIF_E_Vector>> m_expanded;
};
