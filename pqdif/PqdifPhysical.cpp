#include "pqdif/PqdifPhysical.h"

#include "pqdif/PqdifTags.h"

#include <zlib.h>

#include <cstring>
#include <set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pqdif {

namespace {

int32_t readInt32(const uint8_t *p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

uint32_t readUInt32(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::string at(int64_t offset)
{
    return " (offset " + std::to_string(offset) + ")";
}

class TreeParser
{
public:
    TreeParser(const uint8_t *body, size_t size)
        : m_body(body)
        , m_size(size)
        // Entries of a sound tree never overlap, so a body holds at most size/28 of
        // them; a tree that links the same collection over and over runs out here
        // instead of growing without bound.
        , m_entriesLeft(size / kEntrySize)
    {
    }

    bool parseCollection(size_t offset, int depth, CPQDIF_E_Collection &into)
    {
        if (depth > kMaxDepth)
            return fail("collections nested too deeply" + at(offset));
        if (offset > m_size || m_size - offset < 4)
            return fail("collection lies past the end of the body" + at(offset));
        const int32_t count = readInt32(m_body + offset);
        if (count < 0)
            return fail("negative entry count" + at(offset));
        const size_t room = (m_size - offset - 4) / kEntrySize;
        if (static_cast<size_t>(count) > room)
            return fail("collection has more entries than its body holds" + at(offset));
        if (static_cast<size_t>(count) > m_entriesLeft)
            return fail("element tree larger than its body" + at(offset));
        m_entriesLeft -= static_cast<size_t>(count);

        for (int32_t i = 0; i < count; ++i) {
            const size_t e = offset + 4 + static_cast<size_t>(i) * kEntrySize;
            const PqdifGuid tag = PqdifGuid::fromBytes(m_body + e);
            const int elementType = static_cast<int8_t>(m_body[e + 16]);
            const int physicalType = static_cast<int8_t>(m_body[e + 17]);
            const bool embedded = m_body[e + 18] != 0;
            const int32_t link = readInt32(m_body + e + 20);
            const int32_t linkSize = readInt32(m_body + e + 24);

            switch (elementType) {
            case ID_ELEMENT_TYPE_COLLECTION: {
                if (embedded)
                    return fail("embedded collection" + at(e));
                if (link < 0 || static_cast<size_t>(link) >= m_size)
                    return fail("collection link points outside the body" + at(e));
                auto child = std::make_unique<CPQDIF_E_Collection>(tag);
                if (!parseCollection(static_cast<size_t>(link), depth + 1, *child))
                    return false;
                into.Append(std::move(child));
                break;
            }
            case ID_ELEMENT_TYPE_SCALAR: {
                const int size = physicalTypeSize(physicalType);
                if (size == 0)
                    return fail("invalid physical type " + std::to_string(physicalType) + at(e));
                const uint8_t *value = nullptr;
                if (embedded) {
                    if (size > 8)
                        return fail("embedded scalar larger than 8 bytes" + at(e));
                    value = m_body + e + 20;
                } else {
                    if (link < 0 || static_cast<size_t>(link) > m_size
                        || m_size - static_cast<size_t>(link) < static_cast<size_t>(size))
                        return fail("scalar link points outside the body" + at(e));
                    value = m_body + link;
                }
                into.Append(std::make_unique<CPQDIF_E_Scalar>(tag, physicalType, value));
                break;
            }
            case ID_ELEMENT_TYPE_VECTOR: {
                const int size = physicalTypeSize(physicalType);
                if (size == 0)
                    return fail("invalid physical type " + std::to_string(physicalType) + at(e));
                if (embedded)
                    return fail("embedded vector" + at(e));
                if (link < 0 || static_cast<size_t>(link) > m_size || m_size - static_cast<size_t>(link) < 4)
                    return fail("vector link points outside the body" + at(e));
                const int32_t n = readInt32(m_body + link);
                if (n < 0)
                    return fail("negative vector count" + at(link));
                const size_t bytes = static_cast<size_t>(n) * static_cast<size_t>(size);
                if (bytes > m_size - static_cast<size_t>(link) - 4)
                    return fail("vector count larger than its bytes" + at(link));
                // The link size is only a sanity check, but a count that runs past
                // its own block would read the next element's bytes as values.
                if (linkSize > 0 && bytes + 4 > static_cast<size_t>(linkSize))
                    return fail("vector count larger than its block" + at(link));
                into.Append(std::make_unique<CPQDIF_E_Vector>(tag, physicalType, m_body + link + 4, static_cast<long>(n)));
                break;
            }
            default:
                return fail("invalid element type " + std::to_string(elementType) + at(e));
            }
        }
        return true;
    }

    const std::string &error() const { return m_error; }

private:
    bool fail(const std::string &text)
    {
        m_error = text;
        return false;
    }

    const uint8_t *m_body;
    size_t m_size;
    size_t m_entriesLeft;
    std::string m_error;
};

bool readScalarUInt(const CPQDIF_E_Collection *c, const PqdifGuid &tag, uint32_t &out)
{
    out = 0;
    const CPQDIF_E_Scalar *s = c ? c->FindScalar(tag) : nullptr;
    return s && s->GetValueAsUINT4(out);
}

} // namespace

uint32_t adler32(const uint8_t *data, size_t size)
{
    // RFC 1950 Adler-32 over blocks short enough for 32-bit sums; the stored
    // bodies of a large file are all hashed, so 16 bytes go at a time.
    constexpr uint32_t kBase = 65521;
    constexpr size_t kBlock = 5552 / 16 * 16;
    uint64_t a = 1, b = 0;
    while (size > 0) {
        size_t n = size < kBlock ? size : kBlock;
        size -= n;
#if defined(__SSE2__)
        const size_t chunks = n / 16;
        if (chunks > 0) {
            const __m128i zero = _mm_setzero_si128();
            const __m128i wHi = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
            const __m128i wLo = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
            __m128i s1 = zero, prefix = zero, s2 = zero;
            for (size_t j = 0; j < chunks; ++j) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + 16 * j));
                prefix = _mm_add_epi32(prefix, s1);
                s1 = _mm_add_epi32(s1, _mm_sad_epu8(v, zero));
                s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), wHi));
                s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), wLo));
            }
            uint32_t l1[4], lp[4], l2[4];
            _mm_storeu_si128(reinterpret_cast<__m128i *>(l1), s1);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(lp), prefix);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(l2), s2);
            const uint64_t sum1 = uint64_t(l1[0]) + l1[2];
            const uint64_t sumPrefix = uint64_t(lp[0]) + lp[2];
            const uint64_t sum2 = uint64_t(l2[0]) + l2[1] + l2[2] + l2[3];
            b += 16 * chunks * a + 16 * sumPrefix + sum2;
            a += sum1;
            data += 16 * chunks;
            n -= 16 * chunks;
        }
#endif
        for (; n > 0; --n) {
            a += *data++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return static_cast<uint32_t>((b << 16) | a);
}

uint32_t crc32(const uint8_t *data, size_t size)
{
    uLong c = ::crc32(0L, Z_NULL, 0);
    while (size > 0) {
        const uInt chunk = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
        c = ::crc32(c, data, chunk);
        data += chunk;
        size -= chunk;
    }
    return static_cast<uint32_t>(c);
}

bool inflateBody(const uint8_t *data, size_t size, std::vector<uint8_t> &out, std::string &error)
{
    out.clear();
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit(&zs) != Z_OK) {
        error = "cannot start zlib";
        return false;
    }
    zs.next_in = const_cast<Bytef *>(data);
    zs.avail_in = static_cast<uInt>(size);
    size_t capacity = size < (size_t(1) << 20) ? size * 4 + 1024 : size * 2;
    if (capacity > kMaxBodySize)
        capacity = kMaxBodySize;
    out.resize(capacity);
    size_t produced = 0;
    int rc = Z_OK;
    for (;;) {
        if (produced == out.size()) {
            if (out.size() >= kMaxBodySize) {
                inflateEnd(&zs);
                error = "inflated body too large";
                return false;
            }
            size_t grown = out.size() * 2;
            if (grown > kMaxBodySize)
                grown = kMaxBodySize;
            out.resize(grown);
        }
        zs.next_out = out.data() + produced;
        const size_t room = out.size() - produced;
        zs.avail_out = static_cast<uInt>(room > 0x40000000u ? 0x40000000u : room);
        const uInt before = zs.avail_out;
        rc = inflate(&zs, Z_NO_FLUSH);
        produced += before - zs.avail_out;
        if (rc == Z_STREAM_END)
            break;
        if (rc == Z_BUF_ERROR && zs.avail_out != 0) {
            // No progress possible with output room left: the input ran out.
            inflateEnd(&zs);
            error = "compressed body is truncated";
            return false;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            inflateEnd(&zs);
            error = std::string("compressed body is damaged") + (zs.msg ? std::string(": ") + zs.msg : std::string());
            return false;
        }
        if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) {
            inflateEnd(&zs);
            error = "compressed body is truncated";
            return false;
        }
    }
    inflateEnd(&zs);
    out.resize(produced);
    return true;
}

std::unique_ptr<CPQDIF_E_Collection> parseBody(const uint8_t *body, size_t size, const PqdifGuid &rootTag,
                                               std::string &error)
{
    auto root = std::make_unique<CPQDIF_E_Collection>(rootTag);
    TreeParser parser(body, size);
    if (!parser.parseCollection(0, 0, *root)) {
        error = parser.error();
        return nullptr;
    }
    return root;
}

bool readFile(std::shared_ptr<const std::vector<uint8_t>> file, FileContents &out, std::string &error)
{
    out = FileContents();
    const std::vector<uint8_t> &bytes = *file;
    const size_t fileSize = bytes.size();
    if (fileSize == 0) {
        error = "The file is empty.";
        return false;
    }
    if (fileSize > 0x7FFFFFFFu) {
        error = "The file is larger than the format allows.";
        return false;
    }

    // Walk the chain of headers first: the links decide which bytes are records.
    std::vector<RecordHeader> headers;
    std::set<int64_t> visited;
    int64_t pos = 0;
    for (;;) {
        if (pos < 0 || static_cast<size_t>(pos) + kRecordHeaderSize > fileSize) {
            error = "Record header lies past the end of the file" + at(pos) + ".";
            return false;
        }
        const uint8_t *h = bytes.data() + pos;
        if (PqdifGuid::fromBytes(h) != signature) {
            error = pos == 0 ? "The file is not a PQDIF file (wrong signature)."
                             : "Record without PQDIF signature" + at(pos) + ".";
            return false;
        }
        RecordHeader rh;
        rh.position = pos;
        rh.type = PqdifGuid::fromBytes(h + 16);
        rh.headerSize = readInt32(h + 32);
        rh.bodySize = readInt32(h + 36);
        rh.next = readInt32(h + 40);
        rh.checksum = readUInt32(h + 44);
        if (rh.headerSize < kRecordHeaderSize) {
            error = "Record header size is too small" + at(pos) + ".";
            return false;
        }
        if (static_cast<size_t>(pos) + static_cast<size_t>(rh.headerSize) > fileSize) {
            error = "Record header size points past the end of the file" + at(pos) + ".";
            return false;
        }
        if (rh.bodySize < 0
            || static_cast<size_t>(pos) + static_cast<size_t>(rh.headerSize) + static_cast<size_t>(rh.bodySize) > fileSize) {
            error = "Record body size points past the end of the file" + at(pos) + ".";
            return false;
        }
        headers.push_back(rh);
        visited.insert(pos);
        if (rh.next == 0)
            break;
        // A writer that was not told which record is last leaves the end of the
        // file there instead of 0.
        if (static_cast<size_t>(rh.next) == fileSize)
            break;
        if (rh.next < 0 || static_cast<size_t>(rh.next) > fileSize) {
            error = "Next-record offset points past the end of the file" + at(pos) + ".";
            return false;
        }
        if (visited.count(rh.next)) {
            error = "Next-record offset loops back to an earlier record" + at(pos) + ".";
            return false;
        }
        pos = rh.next;
    }

    if (headers.front().type != tagContainer) {
        error = "The first record is not a container record.";
        return false;
    }

    for (size_t i = 0; i < headers.size(); ++i) {
        const RecordHeader &rh = headers[i];
        auto rec = std::make_shared<RecordData>();
        rec->header = rh;
        const uint8_t *stored = bytes.data() + rh.position + rh.headerSize;
        const size_t storedSize = static_cast<size_t>(rh.bodySize);
        // The container tells whether later bodies are compressed; it never is itself.
        rec->compressed = i > 0 && out.compressionStyle == ID_COMP_STYLE_RECORDLEVEL
                          && out.compressionAlgorithm == ID_COMP_ALG_ZLIB;
        const std::string where = "record " + std::to_string(i) + at(rh.position);
        if (rec->compressed) {
            auto inflated = std::make_shared<std::vector<uint8_t>>();
            std::string zerr;
            if (!inflateBody(stored, storedSize, *inflated, zerr)) {
                error = "Cannot read " + where + ": " + zerr + ".";
                return false;
            }
            rec->body = inflated->data();
            rec->bodySize = inflated->size();
            rec->storage = std::move(inflated);
        } else {
            rec->storage = file;
            rec->body = stored;
            rec->bodySize = storedSize;
        }
        // Writers disagree on the checksum (Adler-32 of the stored bytes, CRC-32
        // of the unpacked body, or 0): a mismatch is only worth a warning.
        if (rh.checksum != 0 && rh.checksum != adler32(stored, storedSize)
            && rh.checksum != crc32(rec->body, rec->bodySize))
            out.warnings.push_back("Checksum mismatch in " + where + ".");

        std::string perr;
        rec->root = parseBody(rec->body, rec->bodySize, rh.type, perr);
        if (!rec->root) {
            error = "Cannot read " + where + ": " + perr + ".";
            return false;
        }
        if (i == 0) {
            readScalarUInt(rec->root.get(), tagCompressionStyleID, out.compressionStyle);
            readScalarUInt(rec->root.get(), tagCompressionAlgorithmID, out.compressionAlgorithm);
            const uint32_t style = out.compressionStyle;
            const uint32_t alg = out.compressionAlgorithm;
            // Whole-file compression and the PKZIP algorithm are deprecated and
            // have no open description; no/none mixes mean uncompressed.
            if (style != ID_COMP_STYLE_NONE && alg != ID_COMP_ALG_NONE
                && !(style == ID_COMP_STYLE_RECORDLEVEL && alg == ID_COMP_ALG_ZLIB)) {
                error = "Unsupported compression (style " + std::to_string(style) + ", algorithm "
                        + std::to_string(alg) + ").";
                return false;
            }
        }
        out.records.push_back(std::move(rec));
    }
    return true;
}

} // namespace pqdif
