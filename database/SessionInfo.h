#pragma once
// What the open session is: whether one is open, the views it offers, its
// instrument type and file. Readers fill one in; the application keeps the
// current one (Framework::SessionInfo names this type).
#include "database/DeviceTypes.h"

#include <QString>
#include <QtGlobal>

// The current session; copied by value.
struct SessionInfo
{
    // View bits; each enables one view button of the main window.
    static constexpr quint32 ViewDataFilter = 1;
    static constexpr quint32 ViewTable = 2;
    static constexpr quint32 ViewChart = 4;
    static constexpr quint32 ViewReport = 8;
    static constexpr quint32 ViewLogs = 16; // no session offers it
    static constexpr quint32 ViewCsvExport = 32;
    static constexpr quint32 ViewSettingsMoxB = 64;

    SessionInfo();
    bool hasView(quint32 view) const { return (views & view) != 0; }

    bool isOpen;
    quint32 views;
    avaibleDevices_t deviceType;
    QString fileName;
};
