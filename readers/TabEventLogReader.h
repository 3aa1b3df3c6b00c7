#pragma once
// The tab-separated event logs (the analysers' audit, alarm and dip and swell
// logs, the recorder's totalizer log): per line a date, a time and the event
// name, written into Events with the caller's event-type code. The readers
// share this design and differ in the time field and their debug text.
#include "readers/LineReaderKit.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace readers {

enum class EventTime {
    Seconds,      // "HH:mm:ss"
    Milliseconds, // "HH:mm:ss" "." and a count of milliseconds
};

class TabEventLogReader
{
public:
    static constexpr int kMaxLineLength = 5000;

    TabEventLogReader(LineReaderKit &kit, EventTime time, const char *emptyLineTrace);

    bool parseFile(QSqlDatabase db, int *count, int eventType);

    // Texts of a skipped line, for the readers' translations.
    static const char *const kWrongFieldCount;
    static const char *const kBadTimeStamp;
    static const char *const kTooLong;

private:
    bool handleLine(const Field &line, qint64 lineNumber);
    bool readTime(qint64 *msecs) const;

    LineReaderKit &m_kit;
    const EventTime m_time;
    const char *const m_emptyLineTrace;
    const TimeStampFormat m_format;
    QSqlDatabase m_db;
    QSqlQuery m_insert;
    bool m_prepared = false;
    int m_eventType = 0;
    FieldList m_raw;
    FieldList m_fields;
};

} // namespace readers
