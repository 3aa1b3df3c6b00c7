#pragma once
// The physical layer: the record chain with its 64-byte headers and checksums,
// record-level zlib compression and the element tree of each body. Every offset
// and size taken from the file is checked before use; a damaged file is a
// failure with a text, never a read outside the buffer or an endless walk.
#include "pqdif/PqdifElements.h"

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

struct RecordHeader
{
    int64_t position = 0; // file offset of the header
    PqdifGuid type;
    int32_t headerSize = 0;
    int32_t bodySize = 0; // as stored
    int32_t next = 0;
    uint32_t checksum = 0;
};

// One record as read: header, body (inflated when the file compresses records)
// and its element tree, whose vectors point into the body.
struct RecordData
{
    RecordHeader header;
    bool compressed = false;
    std::shared_ptr<const std::vector<uint8_t>> storage; // owns the body bytes
    const uint8_t *body = nullptr;
    size_t bodySize = 0; // after inflating
    std::unique_ptr<CPQDIF_E_Collection> root;
};

struct FileContents
{
    uint32_t compressionStyle = 0;
    uint32_t compressionAlgorithm = 0;
    std::vector<std::shared_ptr<RecordData>> records; // in chain order, container first
    std::vector<std::string> warnings;
};

// Reads a whole file image. On failure returns false and sets error.
bool readFile(std::shared_ptr<const std::vector<uint8_t>> file, FileContents &out, std::string &error);

// Element tree of one (inflated) body; the root collection at offset 0 gets rootTag.
std::unique_ptr<CPQDIF_E_Collection> parseBody(const uint8_t *body, size_t size, const PqdifGuid &rootTag,
                                               std::string &error);

// One zlib stream (RFC 1950) inflated to its end.
bool inflateBody(const uint8_t *data, size_t size, std::vector<uint8_t> &out, std::string &error);

uint32_t adler32(const uint8_t *data, size_t size);
uint32_t crc32(const uint8_t *data, size_t size);

} // namespace pqdif
