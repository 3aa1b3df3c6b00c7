#include "readers/WexCCsvParser.h"

#include <QCoreApplication>

using readers::WexArchiveReader;

namespace {

// Texts the shared kit shows, translated in this reader's context.
[[maybe_unused]] const char *const kKitTexts[] = {
    QT_TRANSLATE_NOOP("WexCCsvParser", "Unable to open file"),
    QT_TRANSLATE_NOOP("WexCCsvParser", "File has invalid format!"),
    QT_TRANSLATE_NOOP("WexCCsvParser", "Empty line in file"),
    QT_TRANSLATE_NOOP("WexCCsvParser", "Invalid line in file"),
    QT_TRANSLATE_NOOP("WexCCsvParser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("WexCCsvParser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("WexCCsvParser", "%1 (%2 more lines like this not listed)"),
};

} // namespace

WexCCsvParser::WexCCsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("WexCCsvParser", progress, cancelFlag, WexArchiveReader::kMaxLineLength, this)
    , m_reader(m_kit, readers::WexVariant::C)
{
    m_kit.forwardSignalsTo(this);
}

WexCCsvParser::~WexCCsvParser() = default;

bool WexCCsvParser::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool WexCCsvParser::checkHeader()
{
    return m_reader.checkHeader();
}

bool WexCCsvParser::parseFile(QSqlDatabase db, int *count)
{
    return m_reader.parseFile(db, count);
}

QString WexCCsvParser::unitForParameter(QString name)
{
    return WexArchiveReader::unitTableB(name);
}
