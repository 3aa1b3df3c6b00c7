#pragma once
// Entry points of the PQDIF layer: the flat-file controller that reads a file's
// records, the factory that makes controllers and observation wrappers, and
// the names of identifier values.
#include "pqdif/PqdifElements.h"
#include "pqdif/PqdifRecords.h"
#include "pqdif/PqdifTags.h"
#include "pqdif/PqdifTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pqdif {
class Buffer;
}

// Reads a PQDIF file as a chain of records. ReadHeaders walks the chain and
// reads, checks, inflates and parses every record, so that a damaged file is
// reported there (GetLastError) instead of part-way through an import. It
// keeps the file's bytes only: a record's body is inflated and its element
// tree built again when the record is first asked for them.
class CPQDIF_PC_FlatFile
{
public:
    CPQDIF_PC_FlatFile();
    ~CPQDIF_PC_FlatFile();
    CPQDIF_PC_FlatFile(const CPQDIF_PC_FlatFile &) = delete;
    CPQDIF_PC_FlatFile &operator=(const CPQDIF_PC_FlatFile &) = delete;

    // File name in the local 8-bit encoding.
    void SetFileName(const char *fileName);
    const std::string &GetFileName() const { return m_fileName; }

    bool ReadHeaders();
    // The same from a file image already in memory (copied).
    bool ReadHeadersFromMemory(const uint8_t *data, size_t size);

    // Asked between records and every few megabytes of the reading; once it
    // returns true, the reading stops and fails with IsCancelled() true.
    void SetCancelCheck(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }
    bool IsCancelled() const { return m_wasCancelled; }

    long GetCountRecords() const { return static_cast<long>(m_records.size()); }
    // Null outside 0 .. count-1. Data source, monitor settings, observation and
    // container records are CPQDIF_R_DataSource, CPQDIF_R_MonitorSettings,
    // CPQDIF_R_Observation and CPQDIF_R_Container; others plain CPQDIFRecord.
    // The controller owns them.
    CPQDIFRecord *GetRecord(long idx) const;

    uint32_t GetCompressionStyle() const { return m_compressionStyle; }
    uint32_t GetCompressionAlgorithm() const { return m_compressionAlgorithm; }

    const std::string &GetLastError() const { return m_error; }
    // Things that did not stop the reading (checksum mismatches).
    const std::vector<std::string> &GetWarnings() const { return m_warnings; }

private:
    bool readFromDisk();
    bool readImage(std::shared_ptr<const pqdif::Buffer> image);
    bool cancelled();

    std::string m_fileName;
    std::function<bool()> m_cancelled;
    bool m_wasCancelled = false;
    std::string m_error;
    std::vector<std::string> m_warnings;
    std::vector<std::unique_ptr<CPQDIFRecord>> m_records;
    uint32_t m_compressionStyle = 0;
    uint32_t m_compressionAlgorithm = 0;
};

class CPQDIF_Factory
{
public:
    enum PersistKind { PersistFlatFile = 0 };

    // A new controller of the given kind (only PersistFlatFile exists); the caller deletes it.
    CPQDIF_PC_FlatFile *NewPersistController(int kind) const;

    // An observation bound to its data source (and monitor settings); the caller
    // deletes it. Null unless observation is an observation record, dataSource a
    // data source record and settings (when given) a monitor settings record.
    CPQDIF_R_Observation *NewObservationWrapper(const CPQDIFRecord *observation,
                                                const CPQDIFRecord *dataSource) const;
    CPQDIF_R_Observation *NewObservationWrapper2(const CPQDIFRecord *observation, const CPQDIFRecord *dataSource,
                                                 const CPQDIFRecord *settings) const;
};

class CPQDIF_Info
{
public:
    // Name of an identifier value of a tag, in plain ASCII; null when the tag or
    // the value has no name. Known: the units codes of tagQuantityUnitsID.
    const char *GetNameOfID(const PqdifGuid &tag, uint32_t id) const;
};

extern const CPQDIF_Factory theFactory;
extern const CPQDIF_Info theInfo;
