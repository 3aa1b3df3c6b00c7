#include "readers/TabEventLogReader.h"

#include "common/Trace.h"

#include <QSqlError>
#include <QVariant>

#include <cstring>

namespace readers {

const char *const TabEventLogReader::kWrongFieldCount = "Line skipped, wrong number of fields";
const char *const TabEventLogReader::kBadTimeStamp = "Line skipped, invalid date or time";
const char *const TabEventLogReader::kTooLong = "Line skipped, too long";

namespace {

// Text up to its first NUL byte.
Field beforeNul(const Field &f)
{
    const void *nul = std::memchr(f.data, '\0', size_t(f.size));
    return nul ? Field{f.data, int(static_cast<const char *>(nul) - f.data)} : f;
}

} // namespace

TabEventLogReader::TabEventLogReader(LineReaderKit &kit, EventTime time, const char *emptyLineTrace)
    : m_kit(kit)
    , m_time(time)
    , m_emptyLineTrace(emptyLineTrace)
    , m_format(QStringLiteral("yyyy-MM-ddHH:mm:ss"))
{
    // Every faulty line of a log is skipped, the over-long one included; a
    // line holding only its line end reaches the handler, which passes it
    // over without a word.
    m_kit.setShortLinesToHandler(true);
    m_kit.setLongLineHandler([this](qint64 n) { m_kit.skipLine(kTooLong, n); });
}

bool TabEventLogReader::parseFile(QSqlDatabase db, int *count, int eventType)
{
    m_kit.startParse();
    m_db = db;
    m_prepared = false;
    m_eventType = eventType;
    // The logs have no header: the first line read is line 1, as an editor
    // numbers it, while count stays the lines read plus one.
    const bool ok = m_kit.runReadLoop(db, count, 0, m_emptyLineTrace,
                                      [this](const Field &line, qint64 n) { return handleLine(line, n); });
    if (ok && count)
        ++*count;
    m_insert = QSqlQuery();
    m_db = QSqlDatabase();
    return ok;
}

bool TabEventLogReader::readTime(qint64 *msecs) const
{
    const Field date = beforeNul(m_fields[0]);
    Field time = beforeNul(m_fields[1]);
    if (m_time == EventTime::Seconds)
        return m_format.parse(date, time, msecs);
    // "HH:mm:ss.N": N counts milliseconds, so ".5" adds 5 ms, not 500.
    const char *dot = static_cast<const char *>(std::memchr(time.data, '.', size_t(time.size)));
    if (!dot)
        return false;
    const Field millis{dot + 1, int(time.data + time.size - (dot + 1))};
    time.size = int(dot - time.data);
    if (millis.size < 1 || millis.size > 3 || !m_format.parse(date, time, msecs))
        return false;
    int ms = 0;
    for (int i = 0; i < millis.size; ++i) {
        const char c = millis.data[i];
        if (c < '0' || c > '9')
            return false;
        ms = ms * 10 + (c - '0');
    }
    *msecs += ms;
    return true;
}

bool TabEventLogReader::handleLine(const Field &line, qint64 lineNumber)
{
    // The line end is no part of the event's name, whichever it is.
    splitFields(line.withoutTerminator(), '\t', &m_raw);
    m_fields.clear();
    for (const Field &f : m_raw) {
        if (!f.isEmpty())
            m_fields.append(f);
    }
    if (m_fields.isEmpty()) {
        TRACE() << m_emptyLineTrace;
        return true;
    }
    if (m_fields.size() != 3) {
        m_kit.skipLine(kWrongFieldCount, lineNumber);
        return true;
    }
    qint64 msecs = 0;
    if (!readTime(&msecs)) {
        m_kit.skipLine(kBadTimeStamp, lineNumber);
        return true;
    }
    if (!m_prepared) {
        m_insert = QSqlQuery(m_db);
        if (!m_insert.prepare(QStringLiteral("INSERT INTO Events (name, dateTime, eventType) VALUES (?, ?, ?)"))) {
            m_kit.reportDatabaseError(m_insert.lastError().text(), m_insert.lastQuery());
            return false;
        }
        m_prepared = true;
    }
    m_insert.bindValue(0, decodeName(beforeNul(m_fields[2])));
    m_insert.bindValue(1, msecs);
    m_insert.bindValue(2, m_eventType);
    if (!m_insert.exec()) {
        m_kit.reportDatabaseError(m_insert.lastError().text(), m_insert.lastQuery());
        return false;
    }
    return true;
}

} // namespace readers
