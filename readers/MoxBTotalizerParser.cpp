#include "readers/MoxBTotalizerParser.h"

#include <QCoreApplication>

using readers::TabEventLogReader;

namespace {

// Texts the shared kit and the event-log design show, translated in this
// reader's context.
[[maybe_unused]] const char *const kTexts[] = {
    QT_TRANSLATE_NOOP("MoxBTotalizerParser", "Unable to open file"),
    QT_TRANSLATE_NOOP("MoxBTotalizerParser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("MoxBTotalizerParser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("MoxBTotalizerParser", "Line skipped, wrong number of fields"),
    QT_TRANSLATE_NOOP("MoxBTotalizerParser", "Line skipped, invalid date or time"),
    QT_TRANSLATE_NOOP("MoxBTotalizerParser", "Line skipped, too long"),
    QT_TRANSLATE_NOOP("MoxBTotalizerParser", "%1 (%2 more lines like this not listed)"),
    QT_TRANSLATE_NOOP("MoxBTotalizerParser", "Lines of the file that cannot be read, skipped: %1"),
};

} // namespace

MoxBTotalizerParser::MoxBTotalizerParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("MoxBTotalizerParser", progress, cancelFlag, TabEventLogReader::kMaxLineLength, this)
    , m_reader(m_kit, readers::EventTime::Seconds, "MoxBTotalizerParser omit line !!!")
{
    m_kit.forwardSignalsTo(this);
}

MoxBTotalizerParser::~MoxBTotalizerParser() = default;

bool MoxBTotalizerParser::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool MoxBTotalizerParser::parseFile(QSqlDatabase db, int *count, int eventType)
{
    return m_reader.parseFile(db, count, eventType);
}
