#pragma once
// Kind of file opened for the families that keep several kinds; numbered
// per family, so the same number means different kinds in different
// families. 0 stands for every family with a single kind.
enum SourceTypeFile : int {
    SINGLE_KIND_FILE = 0,

    // ZelC family (ZelD, ZelC, ZelDX)
    ZelC_DATA_FILE = 1,
    ZelC_AUDIT_FILE = 2,
    ZelC_DEEP_SWELL_FILE = 3,
    ZelC_ALARM_FILE = 4,

    // MoxB recorder: each kind first as SQLite file, then as CSV file
    MoxB_DATA_FILE_Sqlite3 = 1,
    MoxB_DATA_FILE_CSV = 2,
    MoxB_AUDIT_FILE_Sqlite3 = 3,
    MoxB_AUDIT_FILE_CSV = 4,
    MoxB_ALARM_FILE_Sqlite3 = 5,
    MoxB_ALARM_FILE_CSV = 6,
    MoxB_SETTING_FILE_Sqlite3 = 7,
    MoxB_SETTING_FILE_CSV = 8,
};
