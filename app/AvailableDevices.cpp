#include "app/AvailableDevices.h"

#include "common/Trace.h"
#include "readers/NormalDeviceParser.h"
#include "readers/QuilxCsvParser.h"

#include <utility>
#include <vector>

namespace {

// Unique insertion: a repeated name keeps its first entry.
template <class V>
QMap<QString, V> buildMap(const std::vector<std::pair<const char *, V>> &rows)
{
    QMap<QString, V> map;
    for (const auto &row : rows) {
        const QString name = QString::fromLatin1(row.first);
        if (!map.contains(name))
            map.insert(name, row.second);
    }
    return map;
}

} // namespace

const QMap<QString, avaibleDevices_t> AvailableDevices::deviceTypeByName = buildMap<avaibleDevices_t>({
    {"DEVICE_UNDEFINED", DEVICE_UNDEFINED},
    {"INTERNAL_DB", INTERNAL_DB},
    {"ZelD", ZelD},
    {"ZelC", ZelC},
    {"ZelB", ZelB},
    {"Ostra", Ostra},
    {"WexA", WexA},
    {"WexB", WexB},
    {"WexC", WexC},
    {"QuilA", QuilA},
    {"Brena", Brena},
    {"WexD", WexD},
    {"QuilBIoT", QuilBIoT},
    {"QuilC", QuilC},
    {"Vanta", Vanta},
    {"ZelA", ZelA},
    {"Ravel", Ravel},
    {"MoxB", MoxB},
    {"ZelDX", ZelDX},
    {"MoxA", MoxA},
});

const QMap<QString, QString> AvailableDevices::fileMaskByName = buildMap<QString>({
    {"DEVICE_UNDEFINED", QStringLiteral("*.csv")},
    {"INTERNAL_DB", QStringLiteral("*.qdb")},
    {"ZelD", QStringLiteral("*.ZelDArch")},
    {"ZelC", QStringLiteral("*.ZelCArch")},
    {"ZelB", QStringLiteral("*.csv")},
    {"Ostra", QStringLiteral("*.csv")},
    {"WexA", QStringLiteral("*")},
    {"WexB", QStringLiteral("*.*")},
    {"WexC", QStringLiteral("*.*")},
    {"QuilA", QStringLiteral("*.*")},
    {"Brena", QStringLiteral("*.DBF")},
    {"WexD", QStringLiteral("*.csv")},
    {"QuilBIoT", QStringLiteral("*.*")},
    {"QuilC", QStringLiteral("*.*")},
    {"Vanta", QStringLiteral("*.csv")},
    {"ZelA", QStringLiteral("*.csv")},
    {"Ravel", QStringLiteral("*.csv")},
    {"MoxB", QStringLiteral("*.MoxBArch*")},
    {"ZelDX", QStringLiteral("*.ZelD*Arch*")},
    {"MoxA", QStringLiteral("????????.CSV")},
});

AvailableDevices::AvailableDevices()
{
    TRACE_FUNC();
}

QString AvailableDevices::getDeviceName(avaibleDevices_t type)
{
    QString name;
    for (auto it = deviceTypeByName.cbegin(); it != deviceTypeByName.cend(); ++it) {
        if (it.value() == type)
            name = it.key();
    }
    return name;
}

QString AvailableDevices::getFileMask(const QString &name)
{
    return fileMaskByName.value(name);
}

QString AvailableDevices::getFileMaskByType(avaibleDevices_t type)
{
    return getFileMask(getDeviceName(type));
}

QStringList AvailableDevices::getDeviceNames()
{
    QStringList names;
    for (auto it = deviceTypeByName.cbegin(); it != deviceTypeByName.cend(); ++it) {
        if (it.value() > INTERNAL_DB)
            names << it.key();
    }
    return names;
}

int AvailableDevices::getDeviceIndex(avaibleDevices_t type)
{
    const QString name = getDeviceName(type);
    if (name.isEmpty())
        return -1;
    return getDeviceNames().indexOf(name);
}

avaibleDevices_t AvailableDevices::getDeviceTypeByIndex(int index)
{
    const QStringList names = getDeviceNames();
    if (index < 0 || index >= names.size())
        return DEVICE_UNDEFINED;
    return deviceTypeByName.value(names.at(index), DEVICE_UNDEFINED);
}

Parser *AvailableDevices::createParser(int kind, ProgressDialog *progress, QAtomicInteger<char> *cancelFlag,
                                       MainWindow *mainWindow)
{
    switch (kind) {
    case 1:
        return new NormalDeviceParser(progress, cancelFlag, mainWindow);
    case 8:
    case 11:
        return new QuilxCsvParser(progress, cancelFlag, mainWindow);
    default:
        return nullptr;
    }
}
