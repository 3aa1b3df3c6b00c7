#include "readers/WexACsvParser.h"

#include <QCoreApplication>

using readers::WexArchiveReader;

namespace {

// Texts the shared kit shows, translated in this reader's context.
[[maybe_unused]] const char *const kKitTexts[] = {
    QT_TRANSLATE_NOOP("WexACsvParser", "Unable to open file"),
    QT_TRANSLATE_NOOP("WexACsvParser", "File has invalid format!"),
    QT_TRANSLATE_NOOP("WexACsvParser", "Empty line in file"),
    QT_TRANSLATE_NOOP("WexACsvParser", "Invalid line in file"),
    QT_TRANSLATE_NOOP("WexACsvParser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("WexACsvParser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("WexACsvParser", "%1 (%2 more lines like this not listed)"),
};

} // namespace

WexACsvParser::WexACsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("WexACsvParser", progress, cancelFlag, WexArchiveReader::kMaxLineLength, this)
    , m_reader(m_kit, readers::WexVariant::A)
{
    m_kit.forwardSignalsTo(this);
}

WexACsvParser::~WexACsvParser() = default;

bool WexACsvParser::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool WexACsvParser::checkHeader()
{
    return m_reader.checkHeader();
}

bool WexACsvParser::parseFile(QSqlDatabase db, int *count)
{
    return m_reader.parseFile(db, count);
}

QString WexACsvParser::unitForParameter(QString name)
{
    return WexArchiveReader::unitTableA(name);
}
