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

QString column(const QString &table, const QString &name)
{
    return sql::quoteIdentifier(table) + QLatin1Char('.') + sql::quoteIdentifier(name);
}

QString positionWindowClause(const QString &order)
{
    return QStringLiteral(" ORDER BY ") + order + QStringLiteral(" LIMIT ? OFFSET ?");
}

MoxBSettingsUnits sessionSettingsUnits()
{
    MoxBSettingsUnits units;
    if (!Connections::contains(SettingsConnection)) {
        TRACE() << "Warning: INTERNAL_DB_CON_NAME_1 database connection does not exist! Skipping additional tables.";
        return units;
    }
    QSqlDatabase settings = Connections::database(SettingsConnection);
    if (!settings.isValid() || !settings.isOpen()) {
        TRACE() << "Warning: INTERNAL_DB_CON_NAME_1 database connection is not open! Skipping additional tables.";
        return units;
    }
    units.load(settings);
    return units;
}

} // namespace recorderwide
