#include "pqdif/PqdifTypes.h"

#include <cmath>
#include <cstring>

// Values are copied byte for byte from the file; the file is little endian.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the PQDIF layer assumes a little-endian host");

PqdifGuid PqdifGuid::fromBytes(const uint8_t *p)
{
    PqdifGuid g;
    std::memcpy(g.bytes, p, 16);
    return g;
}

std::string PqdifGuid::toString() const
{
    static const char digits[] = "0123456789abcdef";
    // Byte index in file order for each pair of the canonical text.
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string s;
    s.reserve(36);
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            s += '-';
        const uint8_t b = bytes[order[i]];
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

bool PqdifGuid::isNull() const
{
    for (uint8_t b : bytes)
        if (b)
            return false;
    return true;
}

namespace pqdif {

int64_t roundHalfAway(double v)
{
    const double r = std::round(v);
    if (r != r)
        return 0;
    if (r >= 9.2e18)
        return INT64_MAX;
    if (r <= -9.2e18)
        return INT64_MIN;
    return static_cast<int64_t>(r);
}

double timeStampToUnixSeconds(const PqdifTimeStamp &ts)
{
    return (static_cast<double>(ts.day) - kUnixEpochDay) * 86400.0 + ts.sec;
}

int64_t timeStampToMSecs(const PqdifTimeStamp &ts)
{
    if (ts.day == kNoTimeDay)
        return -1;
    const double sec = ts.sec > 0.0 ? ts.sec : 0.0; // also catches NaN
    return roundHalfAway(((static_cast<double>(ts.day) - kUnixEpochDay) * 86400.0 + sec) * 1000.0);
}

PqdifTimeStamp addSeconds(const PqdifTimeStamp &ts, double seconds)
{
    double total = ts.sec + seconds;
    const double days = std::floor(total / 86400.0);
    total -= days * 86400.0;
    if (total >= 86400.0) // rounding at the very end of a day
        total = 0.0;
    PqdifTimeStamp out;
    const double day = static_cast<double>(ts.day) + days;
    out.day = (day >= 0.0 && day < 4294967295.0) ? static_cast<uint32_t>(day) : kNoTimeDay;
    out.sec = total;
    return out;
}

int physicalTypeSize(int physicalType)
{
    switch (physicalType) {
    case ID_PHYS_TYPE_BOOLEAN1:
    case ID_PHYS_TYPE_CHAR1:
    case ID_PHYS_TYPE_INTEGER1:
    case ID_PHYS_TYPE_UNS_INTEGER1:
        return 1;
    case ID_PHYS_TYPE_BOOLEAN2:
    case ID_PHYS_TYPE_CHAR2:
    case ID_PHYS_TYPE_INTEGER2:
    case ID_PHYS_TYPE_UNS_INTEGER2:
        return 2;
    case ID_PHYS_TYPE_BOOLEAN4:
    case ID_PHYS_TYPE_INTEGER4:
    case ID_PHYS_TYPE_UNS_INTEGER4:
    case ID_PHYS_TYPE_REAL4:
        return 4;
    case ID_PHYS_TYPE_REAL8:
    case ID_PHYS_TYPE_COMPLEX8:
        return 8;
    case ID_PHYS_TYPE_TIMESTAMPPQDIF:
        return 12;
    case ID_PHYS_TYPE_COMPLEX16:
    case ID_PHYS_TYPE_GUID:
        return 16;
    default:
        return 0;
    }
}

bool isIntegerType(int physicalType)
{
    switch (physicalType) {
    case ID_PHYS_TYPE_INTEGER1:
    case ID_PHYS_TYPE_INTEGER2:
    case ID_PHYS_TYPE_INTEGER4:
    case ID_PHYS_TYPE_UNS_INTEGER1:
    case ID_PHYS_TYPE_UNS_INTEGER2:
    case ID_PHYS_TYPE_UNS_INTEGER4:
        return true;
    default:
        return false;
    }
}

bool isNumericType(int physicalType)
{
    switch (physicalType) {
    case ID_PHYS_TYPE_BOOLEAN1:
    case ID_PHYS_TYPE_BOOLEAN2:
    case ID_PHYS_TYPE_BOOLEAN4:
    case ID_PHYS_TYPE_REAL4:
    case ID_PHYS_TYPE_REAL8:
        return true;
    default:
        return isIntegerType(physicalType);
    }
}

} // namespace pqdif

bool PqdifValue::toReal8(double &out) const
{
    switch (physicalType) {
    case ID_PHYS_TYPE_BOOLEAN1: out = v.bool1 ? 1.0 : 0.0; return true;
    case ID_PHYS_TYPE_BOOLEAN2: out = v.bool2 ? 1.0 : 0.0; return true;
    case ID_PHYS_TYPE_BOOLEAN4: out = v.bool4 ? 1.0 : 0.0; return true;
    case ID_PHYS_TYPE_INTEGER1: out = v.int1; return true;
    case ID_PHYS_TYPE_INTEGER2: out = v.int2; return true;
    case ID_PHYS_TYPE_INTEGER4: out = v.int4; return true;
    case ID_PHYS_TYPE_UNS_INTEGER1: out = v.uint1; return true;
    case ID_PHYS_TYPE_UNS_INTEGER2: out = v.uint2; return true;
    case ID_PHYS_TYPE_UNS_INTEGER4: out = v.uint4; return true;
    case ID_PHYS_TYPE_REAL4: out = v.real4; return true;
    case ID_PHYS_TYPE_REAL8: out = v.real8; return true;
    default: return false;
    }
}

PqdifValue PqdifValue::fromBytes(int physicalType, const uint8_t *p)
{
    PqdifValue value;
    value.physicalType = physicalType;
    switch (physicalType) {
    case ID_PHYS_TYPE_TIMESTAMPPQDIF:
        std::memcpy(&value.timeStamp.day, p, 4);
        std::memcpy(&value.timeStamp.sec, p + 4, 8);
        break;
    case ID_PHYS_TYPE_GUID:
        value.guid = PqdifGuid::fromBytes(p);
        break;
    default: {
        const int size = pqdif::physicalTypeSize(physicalType);
        if (size > 0)
            std::memcpy(&value.v, p, static_cast<size_t>(size));
        else
            value.physicalType = 0;
        break;
    }
    }
    return value;
}
