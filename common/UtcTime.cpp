#include "common/UtcTime.h"

namespace utc {

QDateTime make(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::UTC);
}

bool parse(const QString &dateText, const QString &dateFormat,
           const QString &timeText, const QString &timeFormat, QDateTime *out)
{
    const QDate d = QDate::fromString(dateText, dateFormat);
    const QTime t = QTime::fromString(timeText, timeFormat);
    if (!d.isValid() || !t.isValid())
        return false;
    if (out)
        *out = make(d, t);
    return true;
}

bool parseMsecs(const QString &dateText, const QString &dateFormat,
                const QString &timeText, const QString &timeFormat, qint64 *msecs)
{
    QDateTime dt;
    if (!parse(dateText, dateFormat, timeText, timeFormat, &dt))
        return false;
    if (msecs)
        *msecs = dt.toMSecsSinceEpoch();
    return true;
}

QDateTime fromMsecs(qint64 msecs)
{
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

} // namespace utc
