#include "readers/ZelCDipSwellParser.h"

#include <QCoreApplication>

using readers::TabEventLogReader;

namespace {

// Texts the shared kit and the event-log design show, translated in this
// reader's context.
[[maybe_unused]] const char *const kTexts[] = {
    QT_TRANSLATE_NOOP("ZelCDipSwellParser", "Unable to open file"),
    QT_TRANSLATE_NOOP("ZelCDipSwellParser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("ZelCDipSwellParser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("ZelCDipSwellParser", "Line skipped, wrong number of fields"),
    QT_TRANSLATE_NOOP("ZelCDipSwellParser", "Line skipped, invalid date or time"),
    QT_TRANSLATE_NOOP("ZelCDipSwellParser", "Line skipped, too long"),
    QT_TRANSLATE_NOOP("ZelCDipSwellParser", "%1 (%2 more lines like this not listed)"),
    QT_TRANSLATE_NOOP("ZelCDipSwellParser", "Lines of the file that cannot be read, skipped: %1"),
};

} // namespace

ZelCDipSwellParser::ZelCDipSwellParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("ZelCDipSwellParser", progress, cancelFlag, TabEventLogReader::kMaxLineLength, this)
    , m_reader(m_kit, readers::EventTime::Milliseconds, "ZelCAuditParser omit line !!!")
{
    m_kit.forwardSignalsTo(this);
}

ZelCDipSwellParser::~ZelCDipSwellParser() = default;

bool ZelCDipSwellParser::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool ZelCDipSwellParser::parseFile(QSqlDatabase db, int *count, int eventType)
{
    return m_reader.parseFile(db, count, eventType);
}
