#include "pqdif/PqdifPhysical.h"

#include "pqdif/PqdifTags.h"

#include <zlib.h>

#include <cstring>
#include <new>
#include <set>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

    // Builds the elements into into; with into null only checks them, with
    // the same checks.
    bool parseCollection(size_t offset, int depth, CPQDIF_E_Collection *into)
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
            // Only a tree that is built needs the tags.
            const PqdifGuid tag = into ? PqdifGuid::fromBytes(m_body + e) : PqdifGuid();
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
                std::unique_ptr<CPQDIF_E_Collection> child;
                if (into)
                    child = std::make_unique<CPQDIF_E_Collection>(tag);
                if (!parseCollection(static_cast<size_t>(link), depth + 1, child.get()))
                    return false;
                if (into)
                    into->Append(std::move(child));
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
                if (into)
                    into->Append(std::make_unique<CPQDIF_E_Scalar>(tag, physicalType, value));
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
                if (into)
                    into->Append(std::make_unique<CPQDIF_E_Vector>(tag, physicalType, m_body + link + 4,
                                                                   static_cast<long>(n)));
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

uint32_t adler32(const uint8_t *data, size_t size, uint32_t start)
{
    // RFC 1950 Adler-32 over blocks short enough for 32-bit sums; the stored
    // bodies of a large file are all hashed, so 16 bytes go at a time.
    constexpr uint32_t kBase = 65521;
    constexpr size_t kBlock = 5552 / 16 * 16;
    uint64_t a = start & 0xFFFF, b = start >> 16;
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

uint32_t crc32(const uint8_t *data, size_t size, uint32_t start)
{
    uLong c = start;
    while (size > 0) {
        const uInt chunk = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
        c = ::crc32(c, data, chunk);
        data += chunk;
        size -= chunk;
    }
    return static_cast<uint32_t>(c);
}

namespace {

// Output of one inflate call: a body of hundreds of megabytes is inflated in
// steps, with a look at the cancel between them.
constexpr size_t kInflateStep = size_t(4) << 20;
// Long bodies are hashed in pieces of this size, for the same reason.
constexpr size_t kChecksumPiece = size_t(16) << 20;

bool isCancelled(const CancelCheck &cancelled)
{
    return cancelled && cancelled();
}

// Room for the inflated bodies of one read: it grows to the largest body of
// the file instead of once per record.
class Scratch
{
public:
    uint8_t *data() { return m_bytes ? m_bytes->data() : nullptr; }
    size_t capacity() const { return m_bytes ? m_bytes->size() : 0; }
    // At least room bytes, of which the first keep are kept.
    void reserve(size_t room, size_t keep)
    {
        if (room <= capacity())
            return;
        auto grown = std::make_unique<Buffer>(room);
        if (keep > 0)
            std::memcpy(grown->data(), m_bytes->data(), keep);
        m_bytes = std::move(grown);
    }

private:
    std::unique_ptr<Buffer> m_bytes;
};

enum class Inflated { Done, Failed, Cancelled };

// One zlib stream inflated to its end into out; produced gets its length.
Inflated inflateInto(const uint8_t *data, size_t size, Scratch &out, size_t &produced, std::string &error,
                     const CancelCheck &cancelled)
{
    produced = 0;
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit(&zs) != Z_OK) {
        error = "cannot start zlib";
        return Inflated::Failed;
    }
    struct End
    {
        z_stream &zs;
        ~End() { inflateEnd(&zs); }
    } end{zs};
    zs.next_in = const_cast<Bytef *>(data);
    zs.avail_in = static_cast<uInt>(size);
    size_t guess = size < (size_t(1) << 20) ? size * 4 + 1024 : size * 2;
    if (guess > kMaxBodySize)
        guess = kMaxBodySize;
    out.reserve(guess, 0);
    for (;;) {
        if (produced == out.capacity()) {
            if (out.capacity() >= kMaxBodySize) {
                error = "inflated body too large";
                return Inflated::Failed;
            }
            size_t grown = out.capacity() * 2;
            if (grown > kMaxBodySize)
                grown = kMaxBodySize;
            out.reserve(grown, produced);
        }
        zs.next_out = out.data() + produced;
        const size_t room = out.capacity() - produced;
        zs.avail_out = static_cast<uInt>(room > kInflateStep ? kInflateStep : room);
        const uInt before = zs.avail_out;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        produced += before - zs.avail_out;
        if (rc == Z_STREAM_END)
            return Inflated::Done;
        if (rc == Z_BUF_ERROR && zs.avail_out != 0) {
            // No progress possible with output room left: the input ran out.
            error = "compressed body is truncated";
            return Inflated::Failed;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            error = std::string("compressed body is damaged") + (zs.msg ? std::string(": ") + zs.msg : std::string());
            return Inflated::Failed;
        }
        if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) {
            error = "compressed body is truncated";
            return Inflated::Failed;
        }
        if (isCancelled(cancelled))
            return Inflated::Cancelled;
    }
}

// A stream that inflateInto accepted, inflated again into exactly the room
// it needs. Its header and trailer were checked then: only the deflated data
// between them is read now, which spares the trailer's checksum.
bool inflateExactly(const uint8_t *data, size_t size, uint8_t *out, size_t outSize)
{
    constexpr size_t kZlibHeader = 2;
    if (size < kZlibHeader)
        return false;
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit2(&zs, -MAX_WBITS) != Z_OK)
        return false;
    zs.next_in = const_cast<Bytef *>(data + kZlibHeader);
    zs.avail_in = static_cast<uInt>(size - kZlibHeader);
    zs.next_out = out;
    zs.avail_out = static_cast<uInt>(outSize);
    int rc = Z_OK;
    // Every Z_OK made progress; no progress ends in Z_BUF_ERROR.
    while (rc == Z_OK)
        rc = inflate(&zs, Z_NO_FLUSH);
    const bool whole = rc == Z_STREAM_END && zs.total_out == outSize;
    inflateEnd(&zs);
    return whole;
}

// Adler-32 of the stored bytes or CRC-32 of the body, in pieces; false at a cancel.
template <class Sum>
bool checksumInPieces(const uint8_t *data, size_t size, uint32_t &sum, Sum piece, const CancelCheck &cancelled)
{
    for (size_t done = 0; done < size; done += kChecksumPiece) {
        if (done > 0 && isCancelled(cancelled))
            return false;
        sum = piece(data + done, size - done < kChecksumPiece ? size - done : kChecksumPiece, sum);
    }
    return true;
}

const uint8_t *storedBody(const StoredRecord &record)
{
    return record.file->data() + record.header.position + record.header.headerSize;
}

} // namespace

Buffer::Buffer(size_t size)
    : m_size(size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // A large image in pages of 2 MiB: the first touch of each 4 KiB page
    // costs a fault, and on virtual machines that is most of a read's time.
    constexpr size_t kHuge = size_t(2) << 20;
    if (size >= kHuge) {
        const size_t length = (size + kHuge - 1) / kHuge * kHuge;
        void *raw = mmap(nullptr, length + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED)
            throw std::bad_alloc();
        // Aligned to the large page; the rest of the reservation goes back.
        const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
        const uintptr_t aligned = (start + kHuge - 1) / kHuge * kHuge;
        if (aligned > start)
            munmap(raw, aligned - start);
        if (start + kHuge > aligned)
            munmap(reinterpret_cast<void *>(aligned + length), start + kHuge - aligned);
        m_bytes = reinterpret_cast<uint8_t *>(aligned);
        m_mapped = length;
        madvise(m_bytes, length, MADV_HUGEPAGE);
        return;
    }
#endif
    m_bytes = new uint8_t[size];
}

Buffer::~Buffer()
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (m_mapped > 0) {
        munmap(m_bytes, m_mapped);
        return;
    }
#endif
    delete[] m_bytes;
}

std::unique_ptr<CPQDIF_E_Collection> parseBody(const uint8_t *body, size_t size, const PqdifGuid &rootTag,
                                               std::string &error)
{
    auto root = std::make_unique<CPQDIF_E_Collection>(rootTag);
    TreeParser parser(body, size);
    if (!parser.parseCollection(0, 0, root.get())) {
        error = parser.error();
        return nullptr;
    }
    return root;
}

std::shared_ptr<const RecordData> readRecord(const StoredRecord &record)
{
    auto rec = std::make_shared<RecordData>();
    rec->header = record.header;
    rec->compressed = record.compressed;
    const uint8_t *stored = storedBody(record);
    const size_t storedSize = static_cast<size_t>(record.header.bodySize);
    bool ok = true;
    if (record.compressed) {
        auto body = std::make_shared<Buffer>(record.bodySize);
        ok = inflateExactly(stored, storedSize, body->data(), body->size());
        rec->body = body->data();
        rec->bodySize = ok ? body->size() : 0;
        rec->storage = std::move(body);
    } else {
        rec->storage = record.file;
        rec->body = stored;
        rec->bodySize = storedSize;
    }
    std::string error;
    if (ok)
        rec->root = parseBody(rec->body, rec->bodySize, record.header.type, error);
    // The same bytes passed when the file was read, so this is only a guard.
    if (!rec->root)
        rec->root = std::make_unique<CPQDIF_E_Collection>(record.header.type);
    return rec;
}

bool readFile(std::shared_ptr<const Buffer> file, FileContents &out, std::string &error, const CancelCheck &cancelled)
{
    out = FileContents();
    const uint8_t *bytes = file->data();
    const size_t fileSize = file->size();
    if (fileSize == 0) {
        error = "The file is empty.";
        return false;
    }
    if (fileSize > 0x7FFFFFFFu) {
        error = "The file is larger than the format allows.";
        return false;
    }
    auto cancel = [&]() {
        out.cancelled = true;
        error = kReadCancelled;
        return false;
    };

    // Walk the chain of headers first: the links decide which bytes are records.
    std::vector<RecordHeader> headers;
    std::set<int64_t> visited;
    int64_t pos = 0;
    for (;;) {
        if (pos < 0 || static_cast<size_t>(pos) + kRecordHeaderSize > fileSize) {
            error = "Record header lies past the end of the file" + at(pos) + ".";
            return false;
        }
        const uint8_t *h = bytes + pos;
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

    out.records.reserve(headers.size());
    Scratch scratch;
    for (size_t i = 0; i < headers.size(); ++i) {
        if (isCancelled(cancelled))
            return cancel();
        const RecordHeader &rh = headers[i];
        auto rec = std::make_shared<StoredRecord>();
        rec->header = rh;
        rec->file = file;
        const uint8_t *stored = storedBody(*rec);
        const size_t storedSize = static_cast<size_t>(rh.bodySize);
        // The container tells whether later bodies are compressed; it never is itself.
        rec->compressed = i > 0 && out.compressionStyle == ID_COMP_STYLE_RECORDLEVEL
                          && out.compressionAlgorithm == ID_COMP_ALG_ZLIB;
        auto where = [&]() { return "record " + std::to_string(i) + at(rh.position); };
        const uint8_t *body = stored;
        size_t bodySize = storedSize;
        if (rec->compressed) {
            std::string zerr;
            switch (inflateInto(stored, storedSize, scratch, bodySize, zerr, cancelled)) {
            case Inflated::Done:
                break;
            case Inflated::Failed:
                error = "Cannot read " + where() + ": " + zerr + ".";
                return false;
            case Inflated::Cancelled:
                return cancel();
            }
            body = scratch.data();
        }
        rec->bodySize = bodySize;
        // Writers disagree on the checksum (Adler-32 of the stored bytes, CRC-32
        // of the unpacked body, or 0): a mismatch is only worth a warning.
        if (rh.checksum != 0) {
            uint32_t adler = 1, crc = 0;
            if (!checksumInPieces(stored, storedSize, adler, adler32, cancelled))
                return cancel();
            if (adler != rh.checksum) {
                if (!checksumInPieces(body, bodySize, crc, crc32, cancelled))
                    return cancel();
                if (crc != rh.checksum)
                    out.warnings.push_back("Checksum mismatch in " + where() + ".");
            }
        }

        // Only checked here: readRecord builds the tree when it is asked for.
        TreeParser parser(body, bodySize);
        std::unique_ptr<CPQDIF_E_Collection> container;
        if (i == 0)
            container = std::make_unique<CPQDIF_E_Collection>(rh.type);
        if (!parser.parseCollection(0, 0, container.get())) {
            error = "Cannot read " + where() + ": " + parser.error() + ".";
            return false;
        }
        if (i == 0) {
            readScalarUInt(container.get(), tagCompressionStyleID, out.compressionStyle);
            readScalarUInt(container.get(), tagCompressionAlgorithmID, out.compressionAlgorithm);
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
