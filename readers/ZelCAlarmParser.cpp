#include "readers/ZelCAlarmParser.h"

#include <QCoreApplication>

using readers::TabEventLogReader;

namespace {

// Texts the shared kit and the event-log design show, translated in this
// reader's context.
[[maybe_unused]] const char *const kTexts[] = {
    QT_TRANSLATE_NOOP("ZelCAlarmParser", "Unable to open file"),
    QT_TRANSLATE_NOOP("ZelCAlarmParser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("ZelCAlarmParser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("ZelCAlarmParser", "Line skipped, wrong number of fields"),
    QT_TRANSLATE_NOOP("ZelCAlarmParser", "Line skipped, invalid date or time"),
    QT_TRANSLATE_NOOP("ZelCAlarmParser", "Line skipped, too long"),
    QT_TRANSLATE_NOOP("ZelCAlarmParser", "%1 (%2 more lines like this not listed)"),
    QT_TRANSLATE_NOOP("ZelCAlarmParser", "Lines of the file that cannot be read, skipped: %1"),
};

} // namespace

ZelCAlarmParser::ZelCAlarmParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("ZelCAlarmParser", progress, cancelFlag, TabEventLogReader::kMaxLineLength, this)
    , m_reader(m_kit, readers::EventTime::Seconds, "ZelCAuditParser omit line !!!")
{
    m_kit.forwardSignalsTo(this);
}

ZelCAlarmParser::~ZelCAlarmParser() = default;

bool ZelCAlarmParser::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool ZelCAlarmParser::parseFile(QSqlDatabase db, int *count, int eventType)
{
    return m_reader.parseFile(db, count, eventType);
}
