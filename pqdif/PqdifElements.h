#pragma once
// The element tree inside a record body: collections of tagged entries, each a
// nested collection, a scalar or a vector of one physical type.
#include "pqdif/PqdifTypes.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

class CPQDIF_E_Collection;
class CPQDIF_E_Scalar;
class CPQDIF_E_Vector;

class CPQDIF_Element
{
public:
    virtual ~CPQDIF_Element();
    CPQDIF_Element(const CPQDIF_Element &) = delete;
    CPQDIF_Element &operator=(const CPQDIF_Element &) = delete;

    const PqdifGuid &GetTag() const { return m_tag; }
    // ID_ELEMENT_TYPE_COLLECTION, _SCALAR or _VECTOR.
    int GetElementType() const { return m_elementType; }
    // Physical type of a scalar or vector; 0 for a collection.
    virtual int GetPhysicalType() const { return 0; }

    const CPQDIF_E_Collection *AsCollection() const;
    const CPQDIF_E_Scalar *AsScalar() const;
    const CPQDIF_E_Vector *AsVector() const;

protected:
    CPQDIF_Element(const PqdifGuid &tag, int elementType);

private:
    PqdifGuid m_tag;
    int m_elementType;
};

class CPQDIF_E_Scalar : public CPQDIF_Element
{
public:
    // Copies the value (physicalTypeSize bytes) from raw file bytes.
    CPQDIF_E_Scalar(const PqdifGuid &tag, int physicalType, const uint8_t *bytes);

    int GetPhysicalType() const override { return m_physicalType; }
    bool GetValue(PqdifValue &out) const;
    // Any numeric type as a double; false for text, complex, time stamp and
    // identifier values.
    bool GetValue(double &out) const { return GetValueAsReal(out); }
    // Typed reads succeed only for that exact physical type.
    bool GetValueREAL8(double &out) const;
    bool GetValueUINT4(uint32_t &out) const;
    bool GetValueTimeStamp(PqdifTimeStamp &out) const;
    bool GetValueGUID(PqdifGuid &out) const;
    // Any numeric type as a double.
    bool GetValueAsReal(double &out) const;
    // Any integer type that holds a value from 0 to UINT32_MAX.
    bool GetValueAsUINT4(uint32_t &out) const;

private:
    int m_physicalType;
    uint8_t m_raw[16] = {};
};

class CPQDIF_E_Vector : public CPQDIF_Element
{
public:
    // Values that live in a record body (kept alive by the record).
    CPQDIF_E_Vector(const PqdifGuid &tag, int physicalType, const uint8_t *data, long count);
    // Values that the vector owns (decoded or resolved series).
    CPQDIF_E_Vector(const PqdifGuid &tag, int physicalType, std::vector<uint8_t> owned);

    int GetPhysicalType() const override { return m_physicalType; }
    long GetCount() const { return m_count; }

    bool GetValue(long idx, PqdifValue &out) const;
    // Any numeric type as a double; false for an index out of range and for
    // text, complex, time stamp and identifier values.
    bool GetValue(long idx, double &out) const { return GetValueAsReal(idx, out); }
    // Typed reads succeed only for that exact physical type and an index in range.
    bool GetValueREAL8(long idx, double &out) const
    {
        // Inline: importers call it once per value.
        if (m_physicalType != ID_PHYS_TYPE_REAL8 || idx < 0 || idx >= m_count)
            return false;
        std::memcpy(&out, m_data + static_cast<size_t>(idx) * 8, 8);
        return true;
    }
    bool GetValueUINT4(long idx, uint32_t &out) const;
    bool GetValueTimeStamp(long idx, PqdifTimeStamp &out) const;
    // Any numeric type as a double.
    bool GetValueAsReal(long idx, double &out) const;
    // CHAR1 text as stored, CHAR2 text as UTF-8; cut at the first NUL.
    std::string GetString() const;
    const uint8_t *GetRawData() const { return m_data; }

private:
    int m_physicalType;
    int m_valueSize;
    long m_count;
    const uint8_t *m_data;
    std::vector<uint8_t> m_owned;
};

class CPQDIF_E_Collection : public CPQDIF_Element
{
public:
    explicit CPQDIF_E_Collection(const PqdifGuid &tag);

    long GetCount() const { return static_cast<long>(m_elements.size()); }
    const CPQDIF_Element *GetElement(long idx) const;

    // The occurrence-th entry (from 0) carrying the tag, in file order.
    const CPQDIF_Element *FindElement(const PqdifGuid &tag, long occurrence = 0) const;
    const CPQDIF_E_Collection *FindCollection(const PqdifGuid &tag, long occurrence = 0) const;
    const CPQDIF_E_Scalar *FindScalar(const PqdifGuid &tag) const;
    const CPQDIF_E_Vector *FindVector(const PqdifGuid &tag) const;
    long CountTag(const PqdifGuid &tag) const;
    // All entries carrying the tag, in file order.
    std::vector<const CPQDIF_E_Collection *> FindCollections(const PqdifGuid &tag) const;

    // Text of a CHAR1/CHAR2 vector entry; empty when absent.
    std::string FindString(const PqdifGuid &tag) const;

    void Append(std::unique_ptr<CPQDIF_Element> element);

private:
    std::vector<std::unique_ptr<CPQDIF_Element>> m_elements;
};
