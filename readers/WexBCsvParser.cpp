#include "readers/WexBCsvParser.h"

#include <QCoreApplication>

using readers::WexArchiveReader;

namespace {

// Texts the shared kit shows, translated in this reader's context.
[[maybe_unused]] const char *const kKitTexts[] = {
    QT_TRANSLATE_NOOP("WexBCsvParser", "Unable to open file"),
    QT_TRANSLATE_NOOP("WexBCsvParser", "File has invalid format!"),
    QT_TRANSLATE_NOOP("WexBCsvParser", "Empty line in file"),
    QT_TRANSLATE_NOOP("WexBCsvParser", "Invalid line in file"),
    QT_TRANSLATE_NOOP("WexBCsvParser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("WexBCsvParser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("WexBCsvParser", "%1 (%2 more lines like this not listed)"),
};

} // namespace

WexBCsvParser::WexBCsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("WexBCsvParser", progress, cancelFlag, WexArchiveReader::kMaxLineLength, this)
    , m_reader(m_kit, readers::WexVariant::B)
{
    m_kit.forwardSignalsTo(this);
}

WexBCsvParser::~WexBCsvParser() = default;

bool WexBCsvParser::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool WexBCsvParser::checkHeader()
{
    return m_reader.checkHeader();
}

bool WexBCsvParser::parseFile(QSqlDatabase db, int *count)
{
    return m_reader.parseFile(db, count);
}

QString WexBCsvParser::unitForParameter(QString name)
{
    return WexArchiveReader::unitTableB(name);
}
