#include "support/TimeTestUtil.h"

#include "common/UtcTime.h"

namespace testtime {

qint64 utcMsecs(const QString &text)
{
    const QString date = text.left(10);
    const QString time = text.mid(11);
    qint64 out = 0;
    if (!utc::parseMsecs(date, QStringLiteral("yyyy-MM-dd"), time,
                         time.size() > 8 ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"), &out))
        qFatal("unreadable time stamp %s", qPrintable(text));
    return out;
}

} // namespace testtime
