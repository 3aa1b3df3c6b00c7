#include "readers/WexArchiveReader.h"

#include "common/Trace.h"

namespace readers {

WexArchiveReader::WexArchiveReader(LineReaderKit &kit, WexVariant variant)
    : m_kit(kit)
    , m_variant(variant)
    , m_format(QStringLiteral("yyyy-MM-ddHH:mm:ss"))
    , m_unitRule(variant == WexVariant::A ? &WexArchiveReader::unitTableA : &WexArchiveReader::unitTableB)
{
}

bool WexArchiveReader::checkHeader()
{
    Field line;
    if (m_kit.readLine(&line) != LineReaderKit::Read::Line)
        return m_kit.failInvalidFormat();
    if (m_variant == WexVariant::C) {
        m_separator = '\t';
    } else {
        m_separator = chooseSeparator(line);
        if (!m_separator) {
            m_separator = '\t';
            return m_kit.failInvalidFormat();
        }
    }
    if (line.size <= 10 || line.size >= kMaxLineLength)
        return m_kit.failInvalidFormat();
    // The header rules count the fields left once every empty field and every
    // bare line end is gone.
    splitFields(line, m_separator, &m_raw);
    m_fields.clear();
    for (const Field &f : m_raw) {
        if (f.isEmpty() || isLineEnd(f)) {
            TRACE() << "delete void";
            continue;
        }
        m_fields.append(f);
    }
    const int n = m_fields.size();
    bool ok = n >= 3 && m_fields[0].equals("date") && m_fields[1].equals("time");
    if (ok && m_variant == WexVariant::A)
        ok = n == 4 || (n > 4 && m_fields[4].equals("R8000"));
    if (!ok)
        return m_kit.failInvalidFormat();
    return m_kit.rewind();
}

void WexArchiveReader::columns(const Field &line, bool isRow, FieldList *out) const
{
    splitFields(line.withoutTerminator(), m_separator, out);
    if (out->size() > 2 && (*out)[2].isEmpty())
        out->remove(2);
    if (out->size() > 2) {
        const Field &last = out->last();
        if (last.isEmpty() || (isRow && last.equals(" ")))
            out->removeLast();
    }
}

bool WexArchiveReader::parseFile(QSqlDatabase db, int *count)
{
    m_kit.startParse();
    Field header;
    if (m_kit.readLine(&header) != LineReaderKit::Read::Line)
        return m_kit.failInvalidFormat();
    columns(header, false, &m_fields);
    m_headerColumns = m_fields.size();
    if (m_headerColumns < 3)
        return m_kit.failInvalidFormat();
    m_names.clear();
    for (int i = 2; i < m_fields.size(); ++i)
        m_names.append(m_fields[i].trimmed().bytes());
    return m_kit.runReadLoop(db, count, 1, "ZelBCsvParser omit line !!!",
                             [this](const Field &line, qint64 n) { return handleLine(line, n); });
}

bool WexArchiveReader::handleLine(const Field &line, qint64 lineNumber)
{
    // Values pair with the header's names by position, so a missing value
    // never moves the ones after it onto other parameters.
    columns(line, true, &m_fields);
    const int values = m_fields.size() - 2;
    qint64 msecs = 0;
    if (values < 0 || values >= m_headerColumns - 1 || !m_format.parse(m_fields[0], m_fields[1], &msecs)) {
        m_kit.reportInvalidLine(lineNumber, line);
        return false;
    }
    MeasurementWriter &writer = m_kit.writer();
    for (int k = 0; k < values; ++k) {
        const QByteArray &name = m_names.at(k);
        if (name.isEmpty()) {
            // A value under a column without a name: the row has slipped
            // against the header, and every value of it may be misplaced.
            if (!m_fields[k + 2].trimmed().isEmpty()) {
                m_kit.reportInvalidLine(lineNumber, line);
                return false;
            }
            continue;
        }
        if (name == "Off")
            continue;
        const Measurement m = readMeasurement(m_fields[k + 2], NoValueMarker::Number);
        const int id = writer.parameterId(Field{name.constData(), name.size()}, m_unitRule);
        if (id < 0 || !writer.insertValue(id, m.value, m.flag, msecs)) {
            m_kit.reportDatabaseError(writer.errorText(), writer.failedStatement());
            return false;
        }
    }
    return true;
}

QString WexArchiveReader::unitTableA(QString name)
{
    static const UnitByPrefix rules[] = {
        {"U", "V"},   {"I", "A"},  {"PF", ""},  {"P", "W"},       {"Q", "var"},   {"S", "VA"},     {"THD", "%"},
        {"f", "Hz"},  {"F", "Hz"}, {"T", "\u00b0C"}, {"EnP", "kWh"}, {"EnQ", "kvarh"}, {"EnS", "kVAh"},
    };
    return unitByPrefix(name, rules);
}

QString WexArchiveReader::unitTableB(QString name)
{
    static const UnitByPrefix rules[] = {
        {"U", "V"},         {"I", "A"},       {"P", "W"},       {"Q", "var"},     {"S", "VA"},
        {"THD", "%"},       {"f", "Hz"},      {"F", "Hz"},      {"T", "\u00b0C"}, {"EnP", "kWh"},
        {"EnQ", "kvarh"},   {"EnS", "kVAh"},  {"dU", "V"},      {"dI", "A"},      {"t  s", "s"},
        {"t GG,MM", "GG,MM"}, {"C  Ah", "Ah"},
    };
    return unitByPrefix(name, rules);
}

} // namespace readers
