#include "pqdif/PqdifFile.h"

#include "pqdif/PqdifPhysical.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

const CPQDIF_Factory theFactory;
const CPQDIF_Info theInfo;

CPQDIF_PC_FlatFile::CPQDIF_PC_FlatFile() = default;
CPQDIF_PC_FlatFile::~CPQDIF_PC_FlatFile() = default;

void CPQDIF_PC_FlatFile::SetFileName(const char *fileName)
{
    m_fileName = fileName ? fileName : "";
}

namespace {
const char kOutOfMemory[] = "Not enough memory to read the file.";
// The file comes in pieces of this size, with a look at the cancel between them.
constexpr size_t kReadPiece = size_t(16) << 20;
}

bool CPQDIF_PC_FlatFile::cancelled()
{
    if (m_cancelled && m_cancelled()) {
        m_wasCancelled = true;
        m_error = pqdif::kReadCancelled;
    }
    return m_wasCancelled;
}

bool CPQDIF_PC_FlatFile::ReadHeaders()
{
    m_records.clear();
    m_warnings.clear();
    m_error.clear();
    m_wasCancelled = false;
    // A file image of up to 2 GiB, and compressed bodies that may inflate to a
    // thousand times their size, can exhaust memory: that is a failure to read,
    // not an exception through the caller.
    try {
        return readFromDisk();
    } catch (const std::bad_alloc &) {
        m_records.clear();
        m_warnings.clear();
        m_error = kOutOfMemory;
        return false;
    }
}

bool CPQDIF_PC_FlatFile::readFromDisk()
{
    // Closed on every way out, an allocation failure included.
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(m_fileName.c_str(), "rb"), &std::fclose);
    std::FILE *f = file.get();
    if (!f) {
        m_error = "Cannot open the file: " + std::string(std::strerror(errno)) + ".";
        return false;
    }
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok && size > 0x7FFFFFFFL) {
        m_error = "The file is larger than the format allows.";
        return false;
    }
    std::shared_ptr<pqdif::Buffer> image;
    if (ok) {
        image = std::make_shared<pqdif::Buffer>(static_cast<size_t>(size));
        for (size_t done = 0; ok && done < image->size(); done += kReadPiece) {
            if (cancelled())
                return false;
            const size_t piece = std::min(kReadPiece, image->size() - done);
            ok = std::fread(image->data() + done, 1, piece, f) == piece;
        }
    }
    file.reset();
    if (!ok) {
        m_error = "Cannot read the file.";
        return false;
    }
    return readImage(std::move(image));
}

bool CPQDIF_PC_FlatFile::ReadHeadersFromMemory(const uint8_t *data, size_t size)
{
    m_records.clear();
    m_warnings.clear();
    m_error.clear();
    m_wasCancelled = false;
    try {
        auto image = std::make_shared<pqdif::Buffer>(size);
        if (size > 0)
            std::memcpy(image->data(), data, size);
        return readImage(std::move(image));
    } catch (const std::bad_alloc &) {
        m_records.clear();
        m_warnings.clear();
        m_error = kOutOfMemory;
        return false;
    }
}

bool CPQDIF_PC_FlatFile::readImage(std::shared_ptr<const pqdif::Buffer> image)
{
    pqdif::FileContents contents;
    if (!pqdif::readFile(std::move(image), contents, m_error, [this]() { return cancelled(); }))
        return false;
    m_compressionStyle = contents.compressionStyle;
    m_compressionAlgorithm = contents.compressionAlgorithm;
    m_warnings = std::move(contents.warnings);
    m_records.reserve(contents.records.size());
    for (auto &stored : contents.records) {
        const PqdifGuid type = stored->header.type;
        std::shared_ptr<const pqdif::StoredRecord> d = std::move(stored);
        if (type == pqdif::tagRecDataSource)
            m_records.push_back(std::make_unique<CPQDIF_R_DataSource>(std::move(d)));
        else if (type == pqdif::tagRecMonitorSettings)
            m_records.push_back(std::make_unique<CPQDIF_R_MonitorSettings>(std::move(d)));
        else if (type == pqdif::tagRecObservation)
            m_records.push_back(std::make_unique<CPQDIF_R_Observation>(std::move(d)));
        else if (type == pqdif::tagContainer)
            m_records.push_back(std::make_unique<CPQDIF_R_Container>(std::move(d)));
        else
            m_records.push_back(std::make_unique<CPQDIFRecord>(std::move(d)));
    }
    return true;
}

CPQDIFRecord *CPQDIF_PC_FlatFile::GetRecord(long idx) const
{
    if (idx < 0 || idx >= GetCountRecords())
        return nullptr;
    return m_records[static_cast<size_t>(idx)].get();
}

// ---------------------------------------------------------------------------

CPQDIF_PC_FlatFile *CPQDIF_Factory::NewPersistController(int kind) const
{
    return kind == PersistFlatFile ? new CPQDIF_PC_FlatFile : nullptr;
}

CPQDIF_R_Observation *CPQDIF_Factory::NewObservationWrapper(const CPQDIFRecord *observation,
                                                            const CPQDIFRecord *dataSource) const
{
    return NewObservationWrapper2(observation, dataSource, nullptr);
}

CPQDIF_R_Observation *CPQDIF_Factory::NewObservationWrapper2(const CPQDIFRecord *observation,
                                                             const CPQDIFRecord *dataSource,
                                                             const CPQDIFRecord *settings) const
{
    if (!observation || observation->GetTag() != pqdif::tagRecObservation)
        return nullptr;
    if (!dataSource || dataSource->GetTag() != pqdif::tagRecDataSource)
        return nullptr;
    if (settings && settings->GetTag() != pqdif::tagRecMonitorSettings)
        return nullptr;
    return new CPQDIF_R_Observation(observation->dataForOneUse(), dataSource->data(),
                                    settings ? settings->data() : nullptr);
}

// ---------------------------------------------------------------------------

const char *CPQDIF_Info::GetNameOfID(const PqdifGuid &tag, uint32_t id) const
{
    if (tag != pqdif::tagQuantityUnitsID)
        return nullptr;
    // Index = units code; "no unit" (0) and the unassigned codes 4 and 5 have no
    // name. The names serve as unit texts: the common units by their English
    // word, the rest by their symbol, none longer than the 10 characters a stored
    // unit keeps.
    static const char *const units[] = {
        nullptr,    "Timestamp", "Seconds",   "Cycles",  nullptr, nullptr, "Volts",   "Amps",
        "VA",       "Watts",     "Vars",      "Ohm",     "S",     "V/A",   "J",       "Hertz",
        "Celsius",  "deg",       "dB",        "Percent", "pu",    "samples", "Varhours", "Watthours",
        "VAhours",  "m/s",       "mph",       "bar",     "Pa",    "N",     "N m",     "rpm",
        "rad/s",    "m",         "Wb-turns",  "T",       "Wb",    "V/V",   "A/A",     "A/V",
    };
    return id < sizeof units / sizeof units[0] ? units[id] : nullptr;
}
