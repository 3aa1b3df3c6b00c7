#pragma once
// The physical layer: the record chain with its 64-byte headers and checksums,
// record-level zlib compression and the element tree of each body. Every offset
// and size taken from the file is checked before use; a damaged file is a
// failure with a text, never a read outside the buffer or an endless walk.
#include "pqdif/PqdifElements.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pqdif {

constexpr int kRecordHeaderSize = 64;
constexpr int kEntrySize = 28;
// Nesting depth of collections (real files use about 5).
constexpr int kMaxDepth = 64;
// Upper bound of one inflated body; offsets inside a body are signed 32-bit.
constexpr size_t kMaxBodySize = size_t(1) << 30;

// Asked between records and every few megabytes of a long read; true stops
// the read, which then fails with this text.
using CancelCheck = std::function<bool()>;
constexpr char kReadCancelled[] = "The read was cancelled.";

// Bytes that nothing fills before they are written: a file image, an inflated
// body. Zeroing first would touch every page twice. Throws std::bad_alloc.
class Buffer
{
public:
    explicit Buffer(size_t size);
    ~Buffer();
    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;

    uint8_t *data() { return m_bytes; }
    const uint8_t *data() const { return m_bytes; }
    size_t size() const { return m_size; }

private:
    uint8_t *m_bytes = nullptr;
    size_t m_size = 0;
    size_t m_mapped = 0; // length of a mapping of its own, 0 for the heap
};

struct RecordHeader
{
    int64_t position = 0; // file offset of the header
    PqdifGuid type;
    int32_t headerSize = 0;
    int32_t bodySize = 0; // as stored
    int32_t next = 0;
    uint32_t checksum = 0;
};

// One record as the file holds it, checked whole (chain, inflating, element
// tree): its header, and its body in the file image, with the body's size
// once inflated.
struct StoredRecord
{
    RecordHeader header;
    bool compressed = false;
    std::shared_ptr<const Buffer> file;
    size_t bodySize = 0; // after inflating
};

// One record as read: header, body (inflated when the file compresses records)
// and its element tree, whose vectors point into the body.
struct RecordData
{
    RecordHeader header;
    bool compressed = false;
    std::shared_ptr<const void> storage; // owns the body bytes
    const uint8_t *body = nullptr;
    size_t bodySize = 0; // after inflating
    std::unique_ptr<CPQDIF_E_Collection> root;
};

struct FileContents
{
    uint32_t compressionStyle = 0;
    uint32_t compressionAlgorithm = 0;
    // In chain order, container first.
    std::vector<std::shared_ptr<const StoredRecord>> records;
    std::vector<std::string> warnings;
    bool cancelled = false;
};

// Checks a whole file image record by record: the chain, every body inflated
// and its element tree walked. Only what a record needs to be read again
// later is kept, so a large file costs its image and one body at a time. On
// failure returns false and sets error; a cancel (cancelled returned true)
// also sets out.cancelled.
bool readFile(std::shared_ptr<const Buffer> file, FileContents &out, std::string &error,
              const CancelCheck &cancelled = CancelCheck());

// Body and element tree of a record that readFile accepted.
std::shared_ptr<const RecordData> readRecord(const StoredRecord &record);

// Element tree of one (inflated) body; the root collection at offset 0 gets rootTag.
std::unique_ptr<CPQDIF_E_Collection> parseBody(const uint8_t *body, size_t size, const PqdifGuid &rootTag,
                                               std::string &error);

// Checksums; start continues an earlier part of the same bytes.
uint32_t adler32(const uint8_t *data, size_t size, uint32_t start = 1);
uint32_t crc32(const uint8_t *data, size_t size, uint32_t start = 0);

} // namespace pqdif
