#include "charts/RecorderWideTable.h"

#include "charts/AbstractChartModel.h"
#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "common/UtcTime.h"
#include "tables/MyAbstractSqlModelMoxB.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace recorderwide {

namespace {

const QString SettingsConnection = QStringLiteral("Data_con_1");

struct SettingsLanguage
{
    QStringList tables; // analog inputs, math functions, Modbus master inputs, totalizers
    QString nameColumn;
    QString unitColumn;
};

const SettingsLanguage English{{QStringLiteral("Analog inputs information"), QStringLiteral("Math functions"),
                                QStringLiteral("Modbus master inputs"), QStringLiteral("Totalizer information")},
                               QStringLiteral("Name"),
                               QStringLiteral("Display unit")};
const SettingsLanguage Polish{{QStringLiteral("Wejscia analogowe"), QStringLiteral("Funkcje matematyczne"),
                               QStringLiteral("Wejscia modbus master"), QStringLiteral("Totalizer")},
                              QStringLiteral("Nazwa"),
                              QStringLiteral("Wyswietlana jednostka")};

} // namespace

bool parseMsecs(const QString &date, const QString &time, qint64 *msecs)
{
    const QDate d = QDate::fromString(date, QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid() || time.size() < 8)
        return false;
    const QTime clock = QTime::fromString(time.left(8), QStringLiteral("HH:mm:ss"));
    if (!clock.isValid())
        return false;
    int ms = 0;
    if (time.size() > 8) {
        // ".z" to ".zzz": the digits are milliseconds, as the SQL reads them.
        if (time.at(8) != QLatin1Char('.') || time.size() == 9)
            return false;
        const QString digits = time.mid(9);
        for (const QChar c : digits)
            if (!c.isDigit())
                return false;
        ms = digits.left(3).toInt();
    }
    *msecs = utc::make(d, clock).toMSecsSinceEpoch() + ms;
    return true;
}

QString timeExpression()
{
    // One text for both families' tables.
    return MyAbstractSqlModelMoxB::timeExpression();
}

double cellValue(const QVariant &cell)
{
    if (cell.isNull())
        return AbstractChartModel::NoValue;
    const QString s = cell.toString().trimmed().toLower();
    if (s.isEmpty() || s == QLatin1String("blank") || s == QLatin1String("n/a") || s == QLatin1String("---")
        || s == QLatin1String("none"))
        return AbstractChartModel::NoValue;
    bool ok = false;
    const double v = cell.toDouble(&ok);
    // "nan" and "inf" read as numbers, but no axis can hold them.
    return ok && std::isfinite(v) ? v : AbstractChartModel::NoValue;
}

QString channelKey(const QString &columnName)
{
    return columnName.section(QStringLiteral(" - "), 0, 0);
}

QString column(const QString &table, const QString &name)
{
    return sql::quoteIdentifier(table) + QLatin1Char('.') + sql::quoteIdentifier(name);
}

QString positionWindowClause(const QString &order)
{
    return QStringLiteral(" ORDER BY ") + order + QStringLiteral(" LIMIT ? OFFSET ?");
}

void SettingsUnits::load()
{
    m_sections.clear();
    if (!Connections::contains(SettingsConnection)) {
        TRACE() << "Warning: INTERNAL_DB_CON_NAME_1 database connection does not exist! Skipping additional tables.";
        return;
    }
    QSqlDatabase settings = Connections::database(SettingsConnection);
    if (!settings.isValid() || !settings.isOpen()) {
        TRACE() << "Warning: INTERNAL_DB_CON_NAME_1 database connection is not open! Skipping additional tables.";
        return;
    }

    QSqlQuery query(settings);
    query.setForwardOnly(true);
    QStringList tables;
    if (query.exec(sql::userTablesStatement())) {
        while (query.next())
            tables << query.value(0).toString();
    } else {
        TRACE() << "Błąd podczas pobierania nazw tabel: " << query.lastError().text();
    }
    query.finish();

    const SettingsLanguage &language = tables.contains(English.tables.first()) ? English : Polish;
    for (const QString &table : language.tables) {
        QMap<QString, QString> units;
        QSqlQuery check(settings);
        check.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name=:tableName"));
        check.bindValue(QStringLiteral(":tableName"), table);
        if (!check.exec() || !check.next()) {
            TRACE() << "Table" << table << "does not exist, skipping.";
            m_sections << units;
            continue;
        }
        check.finish();
        if (!query.exec(QStringLiteral("SELECT ") + column(table, language.nameColumn) + QStringLiteral(", ")
                        + column(table, language.unitColumn) + QStringLiteral(" FROM ") + sql::quoteIdentifier(table))) {
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

QString SettingsUnits::unitOf(const QString &columnName) const
{
    const QString key = channelKey(columnName);
    for (const QMap<QString, QString> &units : m_sections) {
        const auto it = units.constFind(key);
        if (it != units.constEnd())
            return it.value();
    }
    return QString(QLatin1String(""));
}

} // namespace recorderwide
