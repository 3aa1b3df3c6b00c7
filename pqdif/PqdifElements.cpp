#include "pqdif/PqdifElements.h"

#include <cstring>

CPQDIF_Element::CPQDIF_Element(const PqdifGuid &tag, int elementType)
    : m_tag(tag)
    , m_elementType(elementType)
{
}

CPQDIF_Element::~CPQDIF_Element() = default;

const CPQDIF_E_Collection *CPQDIF_Element::AsCollection() const
{
    return m_elementType == ID_ELEMENT_TYPE_COLLECTION ? static_cast<const CPQDIF_E_Collection *>(this) : nullptr;
}

const CPQDIF_E_Scalar *CPQDIF_Element::AsScalar() const
{
    return m_elementType == ID_ELEMENT_TYPE_SCALAR ? static_cast<const CPQDIF_E_Scalar *>(this) : nullptr;
}

const CPQDIF_E_Vector *CPQDIF_Element::AsVector() const
{
    return m_elementType == ID_ELEMENT_TYPE_VECTOR ? static_cast<const CPQDIF_E_Vector *>(this) : nullptr;
}

// ---------------------------------------------------------------------------

CPQDIF_E_Scalar::CPQDIF_E_Scalar(const PqdifGuid &tag, int physicalType, const uint8_t *bytes)
    : CPQDIF_Element(tag, ID_ELEMENT_TYPE_SCALAR)
    , m_physicalType(physicalType)
{
    const int size = pqdif::physicalTypeSize(physicalType);
    if (size > 0 && bytes)
        std::memcpy(m_raw, bytes, static_cast<size_t>(size));
}

bool CPQDIF_E_Scalar::GetValue(PqdifValue &out) const
{
    if (pqdif::physicalTypeSize(m_physicalType) == 0)
        return false;
    out = PqdifValue::fromBytes(m_physicalType, m_raw);
    return true;
}

bool CPQDIF_E_Scalar::GetValueREAL8(double &out) const
{
    if (m_physicalType != ID_PHYS_TYPE_REAL8)
        return false;
    std::memcpy(&out, m_raw, 8);
    return true;
}

bool CPQDIF_E_Scalar::GetValueUINT4(uint32_t &out) const
{
    if (m_physicalType != ID_PHYS_TYPE_UNS_INTEGER4)
        return false;
    std::memcpy(&out, m_raw, 4);
    return true;
}

bool CPQDIF_E_Scalar::GetValueTimeStamp(PqdifTimeStamp &out) const
{
    if (m_physicalType != ID_PHYS_TYPE_TIMESTAMPPQDIF)
        return false;
    out = PqdifValue::fromBytes(m_physicalType, m_raw).timeStamp;
    return true;
}

bool CPQDIF_E_Scalar::GetValueGUID(PqdifGuid &out) const
{
    if (m_physicalType != ID_PHYS_TYPE_GUID)
        return false;
    out = PqdifGuid::fromBytes(m_raw);
    return true;
}

bool CPQDIF_E_Scalar::GetValueAsReal(double &out) const
{
    PqdifValue v;
    return GetValue(v) && v.toReal8(out);
}

bool CPQDIF_E_Scalar::GetValueAsUINT4(uint32_t &out) const
{
    if (!pqdif::isIntegerType(m_physicalType))
        return false;
    double d = 0;
    if (!GetValueAsReal(d) || d < 0)
        return false;
    out = static_cast<uint32_t>(d);
    return true;
}

// ---------------------------------------------------------------------------

CPQDIF_E_Vector::CPQDIF_E_Vector(const PqdifGuid &tag, int physicalType, const uint8_t *data, long count)
    : CPQDIF_Element(tag, ID_ELEMENT_TYPE_VECTOR)
    , m_physicalType(physicalType)
    , m_valueSize(pqdif::physicalTypeSize(physicalType))
    , m_count(count)
    , m_data(data)
{
}

CPQDIF_E_Vector::CPQDIF_E_Vector(const PqdifGuid &tag, int physicalType, std::vector<uint8_t> owned)
    : CPQDIF_Element(tag, ID_ELEMENT_TYPE_VECTOR)
    , m_physicalType(physicalType)
    , m_valueSize(pqdif::physicalTypeSize(physicalType))
    , m_count(0)
    , m_data(nullptr)
    , m_owned(std::move(owned))
{
    if (m_valueSize > 0)
        m_count = static_cast<long>(m_owned.size() / static_cast<size_t>(m_valueSize));
    m_data = m_owned.data();
}

bool CPQDIF_E_Vector::GetValue(long idx, PqdifValue &out) const
{
    if (idx < 0 || idx >= m_count || m_valueSize == 0)
        return false;
    out = PqdifValue::fromBytes(m_physicalType, m_data + static_cast<size_t>(idx) * m_valueSize);
    return true;
}

bool CPQDIF_E_Vector::GetValueUINT4(long idx, uint32_t &out) const
{
    if (m_physicalType != ID_PHYS_TYPE_UNS_INTEGER4 || idx < 0 || idx >= m_count)
        return false;
    std::memcpy(&out, m_data + static_cast<size_t>(idx) * 4, 4);
    return true;
}

bool CPQDIF_E_Vector::GetValueTimeStamp(long idx, PqdifTimeStamp &out) const
{
    if (m_physicalType != ID_PHYS_TYPE_TIMESTAMPPQDIF || idx < 0 || idx >= m_count)
        return false;
    out = PqdifValue::fromBytes(m_physicalType, m_data + static_cast<size_t>(idx) * 12).timeStamp;
    return true;
}

bool CPQDIF_E_Vector::GetValueAsReal(long idx, double &out) const
{
    if (m_physicalType == ID_PHYS_TYPE_REAL8)
        return GetValueREAL8(idx, out);
    PqdifValue v;
    return GetValue(idx, v) && v.toReal8(out);
}

static void appendUtf8(std::string &s, uint32_t cp)
{
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string CPQDIF_E_Vector::GetString() const
{
    std::string s;
    if (m_physicalType == ID_PHYS_TYPE_CHAR1) {
        const char *p = reinterpret_cast<const char *>(m_data);
        size_t n = 0;
        while (n < static_cast<size_t>(m_count) && p[n] != '\0')
            ++n;
        s.assign(p, n);
    } else if (m_physicalType == ID_PHYS_TYPE_CHAR2) {
        for (long i = 0; i < m_count; ++i) {
            uint16_t u = 0;
            std::memcpy(&u, m_data + i * 2, 2);
            if (u == 0)
                break;
            uint32_t cp = u;
            if (u >= 0xD800 && u < 0xDC00 && i + 1 < m_count) {
                uint16_t lo = 0;
                std::memcpy(&lo, m_data + (i + 1) * 2, 2);
                if (lo >= 0xDC00 && lo < 0xE000) {
                    cp = 0x10000 + ((static_cast<uint32_t>(u) - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                }
            }
            if (cp >= 0xD800 && cp < 0xE000)
                cp = 0xFFFD; // lone surrogate
            appendUtf8(s, cp);
        }
    }
    return s;
}

// ---------------------------------------------------------------------------

CPQDIF_E_Collection::CPQDIF_E_Collection(const PqdifGuid &tag)
    : CPQDIF_Element(tag, ID_ELEMENT_TYPE_COLLECTION)
{
}

const CPQDIF_Element *CPQDIF_E_Collection::GetElement(long idx) const
{
    if (idx < 0 || idx >= GetCount())
        return nullptr;
    return m_elements[static_cast<size_t>(idx)].get();
}

const CPQDIF_Element *CPQDIF_E_Collection::FindElement(const PqdifGuid &tag, long occurrence) const
{
    for (const auto &e : m_elements) {
        if (e->GetTag() == tag) {
            if (occurrence == 0)
                return e.get();
            --occurrence;
        }
    }
    return nullptr;
}

const CPQDIF_E_Collection *CPQDIF_E_Collection::FindCollection(const PqdifGuid &tag, long occurrence) const
{
    long seen = 0;
    for (const auto &e : m_elements) {
        if (e->GetTag() == tag && e->GetElementType() == ID_ELEMENT_TYPE_COLLECTION) {
            if (seen == occurrence)
                return e->AsCollection();
            ++seen;
        }
    }
    return nullptr;
}

const CPQDIF_E_Scalar *CPQDIF_E_Collection::FindScalar(const PqdifGuid &tag) const
{
    for (const auto &e : m_elements)
        if (e->GetTag() == tag && e->GetElementType() == ID_ELEMENT_TYPE_SCALAR)
            return e->AsScalar();
    return nullptr;
}

const CPQDIF_E_Vector *CPQDIF_E_Collection::FindVector(const PqdifGuid &tag) const
{
    for (const auto &e : m_elements)
        if (e->GetTag() == tag && e->GetElementType() == ID_ELEMENT_TYPE_VECTOR)
            return e->AsVector();
    return nullptr;
}

long CPQDIF_E_Collection::CountTag(const PqdifGuid &tag) const
{
    long n = 0;
    for (const auto &e : m_elements)
        if (e->GetTag() == tag)
            ++n;
    return n;
}

std::vector<const CPQDIF_E_Collection *> CPQDIF_E_Collection::FindCollections(const PqdifGuid &tag) const
{
    std::vector<const CPQDIF_E_Collection *> out;
    for (const auto &e : m_elements)
        if (e->GetTag() == tag && e->GetElementType() == ID_ELEMENT_TYPE_COLLECTION)
            out.push_back(e->AsCollection());
    return out;
}

std::string CPQDIF_E_Collection::FindString(const PqdifGuid &tag) const
{
    const CPQDIF_E_Vector *v = FindVector(tag);
    return v ? v->GetString() : std::string();
}

void CPQDIF_E_Collection::Append(std::unique_ptr<CPQDIF_Element> element)
{
    m_elements.push_back(std::move(element));
}
