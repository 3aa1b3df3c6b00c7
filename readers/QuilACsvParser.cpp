#include "readers/QuilACsvParser.h"

#include "common/Trace.h"
#include "readers/QuilArchiveFormat.h"

#include <QCoreApplication>

using readers::Field;
using readers::LineReaderKit;

namespace {

// Texts the shared kit shows, translated in this reader's context.
[[maybe_unused]] const char *const kKitTexts[] = {
    QT_TRANSLATE_NOOP("QuilACsvParser", "Unable to open file"),
    QT_TRANSLATE_NOOP("QuilACsvParser", "File has invalid format!"),
    QT_TRANSLATE_NOOP("QuilACsvParser", "Empty line in file"),
    QT_TRANSLATE_NOOP("QuilACsvParser", "Invalid line in file"),
    QT_TRANSLATE_NOOP("QuilACsvParser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("QuilACsvParser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("QuilACsvParser", "%1 (%2 more lines like this not listed)"),
    QT_TRANSLATE_NOOP("QuilACsvParser", "Lines of the file that cannot be read, skipped: %1"),
};

const char *const kInvalidHeader = QT_TRANSLATE_NOOP("QuilACsvParser", "Invalid header format!");
const char *const kWrongValueCount = QT_TRANSLATE_NOOP("QuilACsvParser", "Line skipped, wrong number of values");
const char *const kBadTimeStamp = QT_TRANSLATE_NOOP("QuilACsvParser", "Line skipped, invalid date or time");
const char *const kTooLong = QT_TRANSLATE_NOOP("QuilACsvParser", "Line skipped, too long");

constexpr int kMaxLineLength = 5000;

} // namespace

QuilACsvParser::QuilACsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("QuilACsvParser", progress, cancelFlag, kMaxLineLength, this)
    , m_format(QStringLiteral("yyyy-MM-ddHH:mm:ss"))
{
    m_kit.forwardSignalsTo(this);
    // Like every other faulty line of these archives, an over-long one is
    // skipped and the read goes on.
    m_kit.setLongLineHandler([this](qint64 lineNumber) { skipLine(kTooLong, lineNumber); });
}

QuilACsvParser::~QuilACsvParser() = default;

bool QuilACsvParser::openFile(QString path)
{
    return m_kit.openFile(path);
}

void QuilACsvParser::splitItems(const Field &line, bool trace)
{
    readers::quil::splitItems(line, m_separator, &m_raw, &m_items);
    if (trace && m_items.size() < m_raw.size())
        TRACE() << "delete void";
}

bool QuilACsvParser::checkHeader()
{
    Field line;
    if (m_kit.readLine(&line) != LineReaderKit::Read::Line)
        return m_kit.failInvalidFormat();
    if (line.data[0] == '#') {
        if (!readers::quil::readHeaderPairs(line, &m_header)) {
            m_kit.report(m_kit.text(kInvalidHeader), 3, true);
            return false;
        }
    }

    if (m_kit.readLine(&line) != LineReaderKit::Read::Line || line.data[0] == '#')
        return m_kit.failInvalidFormat();
    const char separator = readers::chooseSeparator(line);
    if (!separator)
        return m_kit.failInvalidFormat();
    m_separator = separator;
    if (line.size <= 10)
        return m_kit.failInvalidFormat();
    splitItems(line, true);
    if (!readers::quil::headerAndColumnsMatch(m_header, m_items))
        return m_kit.failInvalidFormat();
    return m_kit.rewind();
}

bool QuilACsvParser::parseFile(QSqlDatabase db, int *count)
{
    m_kit.startParse();
    Field line;
    if (m_kit.readLine(&line) != LineReaderKit::Read::Line || m_kit.readLine(&line) != LineReaderKit::Read::Line)
        return m_kit.failInvalidFormat();
    splitItems(line, false);
    m_columnCount = m_items.size();
    if (m_columnCount < 3)
        return m_kit.failInvalidFormat();
    m_names.clear();
    for (int i = 3; i < m_columnCount; ++i)
        m_names.append(m_items[i].trimmed().bytes());
    // Messages name the line as an editor shows it; count stays one less, the
    // number of lines after the header line.
    const bool ok = m_kit.runReadLoop(db, count, 2, "ZelBCsvParser omit line !!!",
                                      [this](const Field &l, qint64 n) { return handleLine(l, n); });
    if (ok && count)
        --*count;
    return ok;
}

void QuilACsvParser::skipLine(const char *text, qint64 lineNumber)
{
    m_kit.skipLine(text, lineNumber);
}

bool QuilACsvParser::handleLine(const Field &line, qint64 lineNumber)
{
    splitItems(line, false);
    const int valueCount = m_items.size() - 3;
    if (valueCount != m_columnCount - 3) {
        TRACE() << "NIEZGODNOŚĆ ilości wartości w linii - lineNumb:" << lineNumber << " valueCnt: " << valueCount
                << " colCnt: " << m_columnCount;
        skipLine(kWrongValueCount, lineNumber);
        return true;
    }
    qint64 msecs = 0;
    if (!m_format.parse(m_items[1], m_items[2], &msecs)) {
        skipLine(kBadTimeStamp, lineNumber);
        return true;
    }
    readers::MeasurementWriter &writer = m_kit.writer();
    for (int i = 0; i < valueCount; ++i) {
        const QByteArray &name = m_names.at(i);
        if (name.isEmpty() || name == "Off")
            continue;
        const readers::Measurement m = readers::quil::readValue(m_items[3 + i]);
        const int id = writer.parameterId(Field{name.constData(), name.size()}, &QuilACsvParser::unitForParameter);
        if (id < 0 || !writer.insertValue(id, m.value, m.flag, msecs)) {
            m_kit.reportDatabaseError(writer.errorText(), writer.failedStatement());
            return false;
        }
    }
    return true;
}

QString QuilACsvParser::unitForParameter(QString name)
{
    static const readers::UnitByPrefix rules[] = {
        {"T", "\u00b0C"}, {"RH", "%"}, {"DP", "\u00b0C"}, {"AH", "g/m3"}, {"Wet-b", "\u00b0C"}, {"Enth", "kJ/kg"},
    };
    return readers::unitByPrefix(name, rules);
}
