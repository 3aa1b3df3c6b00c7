#pragma once
// Display units of a recorder's channels from its settings database (the
// logical connection "Data_con_1"), whose tables carry English or Polish
// names depending on the recorder's language.
#include <QMap>
#include <QString>
#include <QVector>

namespace recorder {

class SettingsUnits
{
public:
    // Reads the four unit tables of the loaded settings database; empty when
    // none is loaded or a table is missing.
    static SettingsUnits load();

    // The unit of a channel: the first of analog inputs, math functions,
    // Modbus master inputs and totalizers that names it; empty when none.
    QString unitOf(const QString &channel) const;

private:
    QVector<QMap<QString, QString>> m_maps;
};

} // namespace recorder
