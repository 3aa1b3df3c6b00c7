#include "charts/WideTableSections.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QDate>
#include <QSqlError>

namespace wide {

Section Section::prepare(QSqlQuery &query, const QString &table, const QStringList &columns, uint rowIndex,
                         uint rowLen, qint64 afterId)
{
    QString text = QStringLiteral("SELECT id, date, time");
    for (const QString &column : columns)
        text += QStringLiteral(", ") + sql::quoteIdentifier(column);
    text += QStringLiteral(" FROM ") + sql::quoteIdentifier(table);
    const bool keyset = afterId >= 0;
    if (keyset)
        text += QStringLiteral(" WHERE id > :after");
    text += QStringLiteral(" ORDER BY id LIMIT :len");
    if (!keyset && rowIndex > 0)
        text += QStringLiteral(" OFFSET :offset");

    Section section;
    if (!query.prepare(text)) {
        TRACE() << "Section query not prepared:" << query.lastError().text();
        return section;
    }
    if (keyset)
        query.bindValue(QStringLiteral(":after"), afterId);
    query.bindValue(QStringLiteral(":len"), qint64(rowLen));
    if (!keyset && rowIndex > 0)
        query.bindValue(QStringLiteral(":offset"), qint64(rowIndex));
    section.ok = query.exec();
    if (!section.ok)
        TRACE() << "Section query failed:" << query.lastError().text();
    return section;
}

namespace {

int digits(const QString &s, int at, int count)
{
    int v = 0;
    for (int i = at; i < at + count; ++i) {
        const int d = s.at(i).unicode() - '0';
        if (d < 0 || d > 9)
            return -1;
        v = v * 10 + d;
    }
    return v;
}

} // namespace

bool recorderMsecs(const QString &date, const QString &time, qint64 *msecs)
{
    // Read by hand: a section is up to 50000 rows, and the general parser
    // costs more than the rest of the row.
    if (date.size() != 10 || date.at(4) != QLatin1Char('-') || date.at(7) != QLatin1Char('-'))
        return false;
    if (time.size() < 8 || time.at(2) != QLatin1Char(':') || time.at(5) != QLatin1Char(':'))
        return false;
    int ms = 0;
    if (time.size() > 8) {
        // ".z" to ".zzz": the fraction of a second.
        const int fraction = time.size() - 9;
        if (time.at(8) != QLatin1Char('.') || fraction < 1 || fraction > 3)
            return false;
        ms = digits(time, 9, fraction);
        if (ms < 0)
            return false;
        for (int i = fraction; i < 3; ++i)
            ms *= 10;
    }
    const int y = digits(date, 0, 4), mo = digits(date, 5, 2), da = digits(date, 8, 2);
    const QDate d = y < 0 || mo < 0 || da < 0 ? QDate() : QDate(y, mo, da);
    const int h = digits(time, 0, 2), m = digits(time, 3, 2), s = digits(time, 6, 2);
    if (!d.isValid() || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        return false;
    const qint64 days = d.toJulianDay() - QDate(1970, 1, 1).toJulianDay();
    *msecs = days * 86400000LL + ((h * 60LL + m) * 60 + s) * 1000 + ms;
    return true;
}

} // namespace wide
