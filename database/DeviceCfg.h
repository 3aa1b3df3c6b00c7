#pragma once
// One configured instrument of the application database and the stored form
// of its file-server password.
#include "database/DeviceTypes.h"

#include <QList>
#include <QMetaType>
#include <QString>

struct DeviceParameter
{
    int id = 0;
    int idDevice = 0;
    QString name;
    QString unit;
};

struct DeviceCfg
{
    int id = 0;
    QString name;
    avaibleDevices_t type = DEVICE_UNDEFINED;
    QString extraText; // carried along, never stored
    QList<DeviceParameter> parameters;
    QString filesPath;
    bool onlineCfgEnable = false;
    QString addresIP;
    int protocolType = 0; // 1 FTPS, anything else plain FTP
    QString user;
    QString pass; // plain text; stored encoded
};
Q_DECLARE_METATYPE(DeviceCfg)

namespace storedPassword {

// Databases already written hold this exact form: Base64 of the UTF-8 bytes of
// the password followed by a fixed salt; the empty password stays empty.
QString encode(const QString &password);
// The stored text back to the password; anything shorter than the salt
// (including an empty or NULL column) is returned whole.
QString decode(const QString &stored);

} // namespace storedPassword
