#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// Archive time stamps are UTC wall-clock. Parse date and time separately and
// build the instant in UTC; parsing as local time would lose the hour of a
// daylight-saving gap.
namespace utc {

QDateTime make(const QDate &date, const QTime &time);

// Parses date and time texts with the given formats; false when either is invalid.
bool parse(const QString &dateText, const QString &dateFormat,
           const QString &timeText, const QString &timeFormat, QDateTime *out);

// Epoch milliseconds of the parsed pair; false when either part is invalid.
bool parseMsecs(const QString &dateText, const QString &dateFormat,
                const QString &timeText, const QString &timeFormat, qint64 *msecs);

// The UTC date-time of epoch milliseconds.
QDateTime fromMsecs(qint64 msecs);

} // namespace utc
