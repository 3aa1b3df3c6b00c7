#include "readers/ZelBCsvParser.h"

#include "common/Trace.h"

#include <QCoreApplication>

using readers::Field;
using readers::LineReaderKit;

namespace {

// Texts the shared kit shows, translated in this reader's context.
[[maybe_unused]] const char *const kKitTexts[] = {
    QT_TRANSLATE_NOOP("ZelBCsvParser", "Unable to open file"),
    QT_TRANSLATE_NOOP("ZelBCsvParser", "File has invalid format!"),
    QT_TRANSLATE_NOOP("ZelBCsvParser", "Empty line in file"),
    QT_TRANSLATE_NOOP("ZelBCsvParser", "Invalid line in file"),
    QT_TRANSLATE_NOOP("ZelBCsvParser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("ZelBCsvParser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("ZelBCsvParser", "%1 (%2 more lines like this not listed)"),
};

constexpr int kMaxLineLength = 2000;
const char *const kHeaderNames[] = {"date", "time", "record index", "block", "register1", "name1", "value1"};

} // namespace

ZelBCsvParser::ZelBCsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("ZelBCsvParser", progress, cancelFlag, kMaxLineLength, this)
    , m_format(QStringLiteral("yyyy-MM-ddHH:mm:ss"))
{
    m_kit.forwardSignalsTo(this);
}

ZelBCsvParser::~ZelBCsvParser() = default;

bool ZelBCsvParser::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool ZelBCsvParser::checkHeader()
{
    Field line;
    const LineReaderKit::Read r = m_kit.readLine(&line);
    if (r != LineReaderKit::Read::Line)
        return m_kit.failInvalidFormat();
    const char separator = readers::chooseSeparator(line);
    if (!separator)
        return m_kit.failInvalidFormat();
    m_separator = separator;
    if (line.size < 11 || line.size >= kMaxLineLength)
        return m_kit.failInvalidFormat();
    // Without the line end, so that a header of one group, whose last name
    // would carry it, is a header too.
    readers::splitFields(line.withoutTerminator(), m_separator, &m_fields);
    bool ok = m_fields.size() >= 7;
    for (int i = 0; ok && i < 7; ++i)
        ok = m_fields[i].equals(kHeaderNames[i]);
    if (!ok)
        return m_kit.failInvalidFormat();
    return m_kit.rewind();
}

bool ZelBCsvParser::parseFile(QSqlDatabase db, int *count)
{
    m_kit.startParse();
    Field header;
    if (m_kit.readLine(&header) != LineReaderKit::Read::Line)
        return m_kit.failInvalidFormat();
    readers::splitFields(header, m_separator, &m_fields);
    m_columnCount = m_fields.size();
    m_groupCount = (m_columnCount - 4) / 3;
    if (m_columnCount < 7)
        return m_kit.failInvalidFormat();
    return m_kit.runReadLoop(db, count, 1, "ZelBCsvParser omit line !!!",
                             [this](const Field &line, qint64 n) { return handleLine(line, n); });
}

bool ZelBCsvParser::handleLine(const Field &line, qint64 lineNumber)
{
    readers::splitFields(line.withoutTerminator(), m_separator, &m_fields);
    qint64 msecs = 0;
    // A line whose time stamp cannot be read is as invalid as one with a
    // wrong field count: its values would land at an invented time.
    if (m_fields.size() != m_columnCount || !m_format.parse(m_fields[0], m_fields[1], &msecs)) {
        m_kit.reportInvalidLine(lineNumber, line);
        return false;
    }
    readers::MeasurementWriter &writer = m_kit.writer();
    for (int k = 0; k < m_groupCount; ++k) {
        const Field name = m_fields[5 + 3 * k].trimmed();
        if (name.isEmpty() || name.equals("Off"))
            continue;
        const readers::Measurement m =
            readers::readMeasurement(m_fields[6 + 3 * k], readers::NoValueMarker::ExactText);
        const int id = writer.parameterId(name, &ZelBCsvParser::unitForParameter);
        if (id < 0 || !writer.insertValue(id, m.value, m.flag, msecs)) {
            m_kit.reportDatabaseError(writer.errorText(), writer.failedStatement());
            return false;
        }
    }
    return true;
}

QString ZelBCsvParser::unitForParameter(QString name)
{
    static const readers::UnitByPrefix rules[] = {
        {"U", "V"},   {"I", "A"},    {"PF", ""},   {"P", "W"},       {"Q", "var"},     {"S", "VA"},
        {"THD", "%"}, {"f", "Hz"},   {"F", "Hz"},  {"T", "\u00b0C"}, {"EnP", "kWh"},   {"EnQ", "kvarh"},
        {"EnS", "kVAh"},
    };
    return readers::unitByPrefix(name, rules);
}
