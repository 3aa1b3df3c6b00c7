#pragma once
// Basic value types of the IEEE 1159.3 (PQDIF) format: identifiers, time
// stamps, physical type codes and one decoded value of any physical type.
// Plain C++ (no Qt) so that the fuzz target can build this layer on its own.
#include <cstddef>
#include <cstdint>
#include <string>

// A PQDIF identifier, kept as its 16 bytes in file order (Data1..Data3 little
// endian, Data4 as is), so that comparing with file contents is a byte compare.
struct PqdifGuid
{
    uint8_t bytes[16] = {};

    // Canonical text "aabbccdd-eeff-gghh-iijj-kkllmmnnoopp" (either case, with or
    // without the braces of the registry form "{...}"); usable in constant
    // expressions so tag tables cost nothing at start-up.
    static constexpr PqdifGuid fromString(const char *text)
    {
        PqdifGuid g;
        if (text[0] == '{')
            ++text;
        // Positions of the 16 byte pairs in the canonical text, in file order.
        constexpr int pos[16] = {6, 4, 2, 0, 11, 9, 16, 14, 19, 21, 24, 26, 28, 30, 32, 34};
        for (int i = 0; i < 16; ++i)
            g.bytes[i] = static_cast<uint8_t>(hex(text[pos[i]]) * 16 + hex(text[pos[i] + 1]));
        return g;
    }
    static PqdifGuid fromBytes(const uint8_t *p);

    // Canonical lower-case text.
    std::string toString() const;
    bool isNull() const;

    friend constexpr bool operator==(const PqdifGuid &a, const PqdifGuid &b)
    {
        for (int i = 0; i < 16; ++i)
            if (a.bytes[i] != b.bytes[i])
                return false;
        return true;
    }
    friend constexpr bool operator!=(const PqdifGuid &a, const PqdifGuid &b) { return !(a == b); }

private:
    static constexpr int hex(char c)
    {
        return (c >= '0' && c <= '9') ? c - '0'
             : (c >= 'a' && c <= 'f') ? c - 'a' + 10
             : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                      : 0;
    }
};

// TIMESTAMPPQDIF: serial day (day 25569 is 1970-01-01) and seconds of that day.
struct PqdifTimeStamp
{
    uint32_t day = 0;
    double sec = 0.0;
};

namespace pqdif {

// Day value that marks a time stamp as "no time".
constexpr uint32_t kNoTimeDay = 0xFFFFFFFFu;
constexpr uint32_t kUnixEpochDay = 25569;

// Milliseconds since 1970-01-01 UTC, rounded half away from zero, with negative
// seconds of day taken as 0; -1 for the "no time" day.
int64_t timeStampToMSecs(const PqdifTimeStamp &ts);
// Seconds since 1970-01-01 UTC as a double (no "no time" check).
double timeStampToUnixSeconds(const PqdifTimeStamp &ts);
// A time stamp moved by a number of seconds, seconds of day kept within [0, 86400).
PqdifTimeStamp addSeconds(const PqdifTimeStamp &ts, double seconds);

// Round half away from zero, as the stored milliseconds need.
int64_t roundHalfAway(double v);

} // namespace pqdif

// Element types of a collection entry.
enum PqdifElementType : int {
    ID_ELEMENT_TYPE_COLLECTION = 1,
    ID_ELEMENT_TYPE_SCALAR = 2,
    ID_ELEMENT_TYPE_VECTOR = 3,
};

// Physical types of scalars and vectors.
enum PqdifPhysicalType : int {
    ID_PHYS_TYPE_BOOLEAN1 = 1,
    ID_PHYS_TYPE_BOOLEAN2 = 2,
    ID_PHYS_TYPE_BOOLEAN4 = 3,
    ID_PHYS_TYPE_CHAR1 = 10,
    ID_PHYS_TYPE_CHAR2 = 11,
    ID_PHYS_TYPE_INTEGER1 = 20,
    ID_PHYS_TYPE_INTEGER2 = 21,
    ID_PHYS_TYPE_INTEGER4 = 22,
    ID_PHYS_TYPE_UNS_INTEGER1 = 30,
    ID_PHYS_TYPE_UNS_INTEGER2 = 31,
    ID_PHYS_TYPE_UNS_INTEGER4 = 32,
    ID_PHYS_TYPE_REAL4 = 40,
    ID_PHYS_TYPE_REAL8 = 41,
    ID_PHYS_TYPE_COMPLEX8 = 42,
    ID_PHYS_TYPE_COMPLEX16 = 43,
    ID_PHYS_TYPE_TIMESTAMPPQDIF = 50,
    ID_PHYS_TYPE_GUID = 60,
};

namespace pqdif {
// Bytes of one value of a physical type; 0 for an invalid code.
int physicalTypeSize(int physicalType);
// Numeric types (booleans and integers included) that convert to a double.
bool isIntegerType(int physicalType);
bool isNumericType(int physicalType);
} // namespace pqdif

// One value of any physical type, as read from a scalar or a vector.
struct PqdifValue
{
    int physicalType = 0;
    union {
        int8_t bool1;
        int16_t bool2;
        int32_t bool4;
        char char1;
        char16_t char2;
        int8_t int1;
        int16_t int2;
        int32_t int4;
        uint8_t uint1;
        uint16_t uint2;
        uint32_t uint4;
        float real4;
        double real8;
        float complex8[2];
        double complex16[2];
    } v = {};
    PqdifTimeStamp timeStamp;
    PqdifGuid guid;

    // The value as a double for every numeric type (booleans give 0 or 1);
    // false for text, complex, time stamp and identifier values.
    bool toReal8(double &out) const;

    // Decodes one value of the given type from raw little-endian bytes.
    static PqdifValue fromBytes(int physicalType, const uint8_t *p);
};
