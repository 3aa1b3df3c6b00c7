#pragma once
// Instrument types. 18 and 21 are filtered sessions over the application
// database's MoxB and MoxA data and have no name.
// Fixed to int: a type read from a database that holds a value outside
// these (written by another version, or damaged) stays that value, which
// names no instrument, rather than being out of the enumeration's range.
enum avaibleDevices_t : int {
    DEVICE_UNDEFINED = 0,
    INTERNAL_DB = 1,
    ZelD = 2,
    ZelC = 3,
    ZelB = 4,
    Ostra = 5,
    WexA = 6,
    WexB = 7,
    WexC = 8,
    QuilA = 9,
    Brena = 10,
    WexD = 11,
    QuilBIoT = 12,
    QuilC = 13,
    Vanta = 14,
    ZelA = 15,
    Ravel = 16,
    MoxB = 17,
    MoxB_FILTERED = 18,
    ZelDX = 19,
    MoxA = 20,
    MoxA_FILTERED = 21,
};
