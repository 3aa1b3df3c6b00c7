#pragma once
#include "database/DeviceTypes.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <QAtomicInteger>

class MainWindow;
class Parser;
class ProgressDialog;

// Registry of instrument types: name <-> value and the file-dialog mask of
// each. Filled during static initialisation and never changed afterwards.
// Lookups are case-sensitive; 18 and 21 have no name and so no mask.
class AvailableDevices
{
public:
    AvailableDevices();

    static QString getDeviceName(avaibleDevices_t type);
    static QString getFileMask(const QString &name);
    static QString getFileMaskByType(avaibleDevices_t type);
    // Every instrument model (values above 1), in map order.
    static QStringList getDeviceNames();
    // Position of the type's name in getDeviceNames(), or -1.
    static int getDeviceIndex(avaibleDevices_t type);
    // Inverse of getDeviceIndex(); DEVICE_UNDEFINED outside the list.
    static avaibleDevices_t getDeviceTypeByIndex(int index);

    // A step-driven reader for the parser kind: 1 the default reader, 8 and 11
    // the Quil reader; null for any other kind. The caller owns it.
    static Parser *createParser(int kind, ProgressDialog *progress, QAtomicInteger<char> *cancelFlag,
                                MainWindow *mainWindow);

    static const QMap<QString, avaibleDevices_t> deviceTypeByName;
    static const QMap<QString, QString> fileMaskByName;
};
