#pragma once
// Instrument types. 18 and 21 are filtered sessions over the application
// database's MoxB and MoxA data and have no name.
enum avaibleDevices_t {
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
