#include "readers/MoxBSettingsUnits.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

struct SettingsLanguage
{
    QStringList tables; // analog inputs, math functions, Modbus master inputs, totalizers
    QString nameColumn;
    QString unitColumn;
};

const SettingsLanguage &english()
{
    static const SettingsLanguage language{
        {QStringLiteral("Analog inputs information"), QStringLiteral("Math functions"),
         QStringLiteral("Modbus master inputs"), QStringLiteral("Totalizer information")},
        QStringLiteral("Name"),
        QStringLiteral("Display unit")};
    return language;
}

const SettingsLanguage &polish()
{
    static const SettingsLanguage language{
        {QStringLiteral("Wejscia analogowe"), QStringLiteral("Funkcje matematyczne"),
         QStringLiteral("Wejscia modbus master"), QStringLiteral("Totalizer")},
        QStringLiteral("Nazwa"),
        QStringLiteral("Wyswietlana jednostka")};
    return language;
}

} // namespace

void MoxBSettingsUnits::load(QSqlDatabase db, const QString &schema)
{
    m_sections.clear();
    const QString prefix = schema.isEmpty() ? QString() : sql::quoteIdentifier(schema) + QLatin1Char('.');
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QStringList tables;
    if (query.exec(sql::userTablesStatement(schema))) {
        while (query.next())
            tables << query.value(0).toString();
    } else {
        TRACE() << "Błąd podczas pobierania nazw tabel: " << query.lastError().text();
    }
    query.finish();

    const SettingsLanguage &language = tables.contains(english().tables.first()) ? english() : polish();
    for (const QString &table : language.tables) {
        QMap<QString, QString> units;
        if (!tables.contains(table)) {
            TRACE() << "Table" << table << "does not exist, skipping.";
            m_sections << units;
            continue;
        }
        const QString quoted = prefix + sql::quoteIdentifier(table);
        // Both columns qualified: SQLite would read a missing column's lone
        // quoted name as a text.
        if (!query.exec(QStringLiteral("SELECT %1.%2, %1.%3 FROM %1")
                            .arg(quoted, sql::quoteIdentifier(language.nameColumn),
                                 sql::quoteIdentifier(language.unitColumn)))) {
            TRACE() << "Failed to fetch data from" << table << ":" << query.lastError().text();
            m_sections << units;
            continue;
        }
        while (query.next()) {
            const QString channel = query.value(0).toString();
            const QString unit = query.value(1).isNull() ? QString(QLatin1String("")) : query.value(1).toString();
            units.insert(channel, unit);
            TRACE() << "Mapped unit from" << table << ":" << channel << "->" << unit;
        }
        query.finish();
        m_sections << units;
    }
}

QString MoxBSettingsUnits::unitOf(const QString &name) const
{
    for (const QString &key : keys(name)) {
        for (const QMap<QString, QString> &units : m_sections) {
            const auto it = units.constFind(key);
            if (it != units.constEnd())
                return it.value();
        }
    }
    return QString(QLatin1String(""));
}

QStringList MoxBSettingsUnits::keys(const QString &name)
{
    QStringList out{name};
    const int dash = name.indexOf(QLatin1String(" - "));
    if (dash < 0)
        return out;
    const QString channel = name.left(dash);
    out << channel;
    const int colon = channel.indexOf(QLatin1String(": "));
    if (colon > 0)
        out << channel.left(colon);
    return out;
}
