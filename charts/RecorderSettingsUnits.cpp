#include "charts/RecorderSettingsUnits.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace recorder {

namespace {

const char *const kSettingsConnection = "Data_con_1";

struct Language
{
    const char *tables[4];
    const char *nameColumn;
    const char *unitColumn;
};

const Language kEnglish = {{"Analog inputs information", "Math functions", "Modbus master inputs", "Totalizer information"},
                           "Name",
                           "Display unit"};
const Language kPolish = {{"Wejscia analogowe", "Funkcje matematyczne", "Wejscia modbus master", "Totalizer"},
                          "Nazwa",
                          "Wyswietlana jednostka"};

} // namespace

SettingsUnits SettingsUnits::load()
{
    SettingsUnits units;
    units.m_maps.resize(4);
    const QString name = QLatin1String(kSettingsConnection);
    if (!Connections::contains(name)) {
        TRACE() << "Warning: INTERNAL_DB_CON_NAME_1 database connection does not exist! Skipping additional tables.";
        return units;
    }
    QSqlDatabase db = Connections::database(name);
    if (!db.isOpen()) {
        TRACE() << "Warning: INTERNAL_DB_CON_NAME_1 database connection is not open! Skipping additional tables.";
        return units;
    }

    QStringList tables;
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'"))) {
        while (query.next())
            tables << query.value(0).toString();
    } else {
        TRACE() << "Błąd podczas pobierania nazw tabel: " << query.lastError().text();
    }
    query.finish();

    const Language &language = tables.contains(QLatin1String(kEnglish.tables[0])) ? kEnglish : kPolish;
    for (int n = 0; n < 4; ++n) {
        const QString table = QLatin1String(language.tables[n]);
        if (!tables.contains(table)) {
            TRACE() << "Table" << table << "does not exist, skipping.";
            continue;
        }
        if (!query.exec(QStringLiteral("SELECT ") + sql::quoteIdentifier(QLatin1String(language.nameColumn))
                        + QStringLiteral(", ") + sql::quoteIdentifier(QLatin1String(language.unitColumn))
                        + QStringLiteral(" FROM ") + sql::quoteIdentifier(table))) {
            TRACE() << "Failed to fetch data from" << table << ":" << query.lastError().text();
            continue;
        }
        while (query.next()) {
            units.m_maps[n].insert(query.value(0).toString(), query.value(1).toString());
            TRACE() << "Mapped unit from" << table << ":" << query.value(0).toString() << "->"
                    << query.value(1).toString();
        }
        query.finish();
    }
    return units;
}

QString SettingsUnits::unitOf(const QString &channel) const
{
    for (const QMap<QString, QString> &map : m_maps) {
        const auto it = map.constFind(channel);
        if (it != map.constEnd())
            return *it;
    }
    return QString(QLatin1String(""));
}

} // namespace recorder
