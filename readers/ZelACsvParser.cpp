#include "readers/ZelACsvParser.h"

#include "common/Trace.h"

#include <QCoreApplication>

#include <cstring>

using readers::Field;
using readers::LineReaderKit;

namespace {

// Texts the shared kit shows, translated in this reader's context.
[[maybe_unused]] const char *const kKitTexts[] = {
    QT_TRANSLATE_NOOP("ZelACsvParser", "Unable to open file"),
    QT_TRANSLATE_NOOP("ZelACsvParser", "File has invalid format!"),
    QT_TRANSLATE_NOOP("ZelACsvParser", "Empty line in file"),
    QT_TRANSLATE_NOOP("ZelACsvParser", "Invalid line in file"),
    QT_TRANSLATE_NOOP("ZelACsvParser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("ZelACsvParser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("ZelACsvParser", "%1 (%2 more lines like this not listed)"),
};

constexpr int kMaxLineLength = 2000;

} // namespace

ZelACsvParser::ZelACsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("ZelACsvParser", progress, cancelFlag, kMaxLineLength, this)
    , m_format(QStringLiteral("yyyy-MM-dd HH:mm"))
{
    m_kit.forwardSignalsTo(this);
}

ZelACsvParser::~ZelACsvParser() = default;

bool ZelACsvParser::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool ZelACsvParser::checkHeader()
{
    Field line;
    const LineReaderKit::Read r = m_kit.readLine(&line);
    const QByteArray first = r == LineReaderKit::Read::End ? QByteArray() : line.bytes();
    if (!m_kit.rewind())
        return m_kit.failInvalidFormat();
    if (!first.contains(','))
        return m_kit.failInvalidFormat();
    m_separator = ',';
    // A first line longer than the limit (no terminator within it) is no record.
    if (r == LineReaderKit::Read::Line && first.size() >= 11 && first.size() < kMaxLineLength
        && first.count(m_separator) == 2)
        return true;
    TRACE() << first;
    return m_kit.failInvalidFormat();
}

bool ZelACsvParser::parseFile(QSqlDatabase db, int *count)
{
    m_kit.startParse();
    Field first;
    if (m_kit.readLine(&first) != LineReaderKit::Read::Line)
        return m_kit.failInvalidFormat();
    TRACE() << first.bytes();
    readers::splitFields(first, m_separator, &m_fields);
    m_fieldCount = m_fields.size();
    TRACE() << m_fieldCount;
    if (m_fieldCount < 3)
        return m_kit.failInvalidFormat();
    // The first line is the first record: read it again in the loop.
    if (!m_kit.rewind())
        return m_kit.failInvalidFormat();
    return m_kit.runReadLoop(db, count, 0, "ZelACsvParser omit line !!!",
                             [this](const Field &line, qint64 n) { return handleLine(line, n); });
}

bool ZelACsvParser::handleLine(const Field &line, qint64 lineNumber)
{
    readers::splitFields(line.withoutTerminator(), m_separator, &m_fields);
    qint64 msecs = 0;
    if (m_fields.size() != m_fieldCount || !m_format.parse(m_fields[1], &msecs)) {
        m_kit.reportInvalidLine(lineNumber, line);
        return false;
    }
    // The number stands before the first blank; the unit text after it is not
    // read. The line end is not part of the number: a field without a unit
    // still gives its value rather than a 0 that was never measured.
    Field valueText = m_fields[2];
    if (const void *blank = std::memchr(valueText.data, ' ', size_t(valueText.size)))
        valueText.size = int(static_cast<const char *>(blank) - valueText.data);
    const readers::Measurement m = readers::readMeasurement(valueText, readers::NoValueMarker::ExactText);

    readers::MeasurementWriter &writer = m_kit.writer();
    const int id = writer.parameterId(QStringLiteral("P"), &ZelACsvParser::unitForParameter);
    if (id < 0 || !writer.insertValue(id, m.value, m.flag, msecs)) {
        m_kit.reportDatabaseError(writer.errorText(), writer.failedStatement());
        return false;
    }
    return true;
}

QString ZelACsvParser::unitForParameter(QString name)
{
    return name.startsWith(QLatin1Char('P')) ? QStringLiteral("W") : QString();
}
