// The recorder layouts of CsvConverter: the wide tables of the MoxB and MoxA
// recorders (an ID, perhaps a record number, the date and time or one
// date-time column, then one column per quantity).
#include "export/CsvConverter.h"

#include "common/Trace.h"
#include "export/CsvText.h"

#include <QLocale>

namespace {

const QString RecorderDatePattern = QStringLiteral("yyyy-MM-dd");
const QString MoxBTimePattern = QStringLiteral("HH:mm:ss.zzz");
const QString MoxATimePattern = QStringLiteral("HH:mm:ss");
const QString StampDatePattern = QStringLiteral("M/d/yyyy");
const QString StampTimePattern = QStringLiteral("H:mm");

bool nameHas(const QStringList &names, int i, const char *word)
{
    return i < names.size() && names.at(i).toLower().contains(QLatin1String(word));
}

// "yyyy-MM-dd" read by hand: the general parser costs more than a whole row.
bool readIsoDate(const QString &text, QDate *date)
{
    if (text.size() != 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return false;
    const QChar *p = text.constData();
    const int y = csvtext::digits(p, 4), m = csvtext::digits(p + 5, 2), d = csvtext::digits(p + 8, 2);
    if (y < 0 || m < 0 || d < 0 || !QDate::isValid(y, m, d))
        return false;
    *date = QDate(y, m, d);
    return true;
}

// "HH:mm:ss" or, with milliseconds, "HH:mm:ss.zzz", read by hand.
bool readClock(const QString &text, bool withMs, QTime *time)
{
    if (text.size() != (withMs ? 12 : 8) || text.at(2) != QLatin1Char(':') || text.at(5) != QLatin1Char(':'))
        return false;
    if (withMs && text.at(8) != QLatin1Char('.'))
        return false;
    const QChar *p = text.constData();
    const int h = csvtext::digits(p, 2), m = csvtext::digits(p + 3, 2), s = csvtext::digits(p + 6, 2);
    const int ms = withMs ? csvtext::digits(p + 9, 3) : 0;
    if (h < 0 || m < 0 || s < 0 || ms < 0 || !QTime::isValid(h, m, s, ms))
        return false;
    *time = QTime(h, m, s, ms);
    return true;
}

QByteArray headerName(QString name, char separator)
{
    name.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return CsvConverter::quoteField(name.toUtf8(), separator);
}

} // namespace

CsvConverter::RecorderLayout CsvConverter::detectRecorderLayout(const QStringList &names)
{
    if (names.size() > 1 && nameHas(names, 1, "record"))
        return names.size() > 3 && nameHas(names, 3, "time") ? RecorderLayout::Format2 : RecorderLayout::Format3;
    // Only a table whose columns 1 and 2 are its date and time has them
    // re-formatted; any other (the recorder's logs) keeps its own columns,
    // so no column is merged into another.
    if (names.size() > 1 && !(nameHas(names, 1, "date") && nameHas(names, 2, "time")))
        return RecorderLayout::Plain;
    return RecorderLayout::Format1;
}

bool CsvConverter::csvConverterMoxB()
{
    return convertRecorder(Recorder::MoxB);
}

bool CsvConverter::csvConverterMoxA()
{
    return convertRecorder(Recorder::MoxA);
}

bool CsvConverter::headerLineMoxB()
{
    return headerLineRecorder(Recorder::MoxB);
}

bool CsvConverter::headerLineMoxA()
{
    return headerLineRecorder(Recorder::MoxA);
}

bool CsvConverter::convertRecorder(Recorder family)
{
    const bool moxb = family == Recorder::MoxB;
    TRACE() << (moxb ? "CsvConverter::csvConverterMoxB() called" : "CsvConverter::csvConverterMoxA() called");
    TRACE() << "Limit records per file:" << settings.limitRecordsPerFile << ", Max records per file:"
            << settings.maxRecordsPerFile;

    RowPass pass;
    // The recorder tables are written in their own order, ungrouped.
    pass.setGrouping = false;
    pass.startText = moxb ? tr("Start converting to csv for MoxB") : tr("Start converting to csv for MoxA");
    pass.endText = moxb ? tr("Saved %1 records in: %2 ms for MoxB") : tr("Saved %1 records in: %2 ms for MoxA");
    pass.prepare = [this, family]() { buildRecorderPlan(family); };
    pass.appendRow = [this](const MyAbstractTableModel::ExportSection &section, int r, QByteArray &out) {
        appendRecorderRow(section, r, out);
    };
    m_recorder.built = false;
    return writeRows(pass);
}

void CsvConverter::buildRecorderPlan(Recorder family)
{
    RecorderPlan plan;
    plan.built = true;
    plan.family = family;

    // One name per column. A model that gives none (or a list that is not
    // its columns) is named by its own headers.
    const int columns = model->columnCount();
    plan.names = model->getColumnNames();
    if (plan.names.size() != columns) {
        TRACE() << "Column names" << plan.names.size() << "for" << columns << "columns: taking the headers";
        plan.names.clear();
        for (int c = 0; c < columns; ++c)
            plan.names << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    plan.layout = detectRecorderLayout(plan.names);

    int recordColumn = -1, dateColumn = -1, timeColumn = -1, stampColumn = -1;
    switch (plan.layout) {
    case RecorderLayout::Format1:
        TRACE() << "Detected Format 1: [ID, Date, Time, ...]";
        dateColumn = 1;
        timeColumn = 2;
        break;
    case RecorderLayout::Format2:
        TRACE() << "Detected Format 2: [ID, Record, Date, Time, ...]";
        recordColumn = 1;
        dateColumn = 2;
        timeColumn = 3;
        break;
    case RecorderLayout::Format3:
        TRACE() << "Detected Format 3: [ID, Record, DateTime, ...]";
        recordColumn = 1;
        stampColumn = 2;
        break;
    case RecorderLayout::Plain:
        TRACE() << "Detected the table's own columns: [ID, ...]";
        break;
    }
    if (timeColumn >= columns)
        timeColumn = -1;

    // A model that keeps no visibility list hides nothing; in a list, a
    // column without an entry is hidden. The header and the rows follow the
    // same fields, whatever the grouping choice says.
    const QList<bool> visible = model->getColumnsVisibilityList();
    TRACE() << "colVisList size:" << visible.size() << " colCnt:" << columns;
    auto shown = [&visible](int c) { return visible.isEmpty() || visible.value(c, false); };

    const bool separate = settings.separateDateTimeColumns;
    for (int c = 0; c < columns; ++c) {
        if (!shown(c) || c == recordColumn)
            continue;
        if (c == 0)
            plan.fields.append({RecorderField::Id, c, -1});
        else if (c == dateColumn)
            plan.fields.append(separate ? RecorderField{RecorderField::Date, c, -1}
                                        : RecorderField{RecorderField::DateAndTime, c, timeColumn});
        else if (c == timeColumn) {
            // In the one-field form the time goes with the date.
            if (separate)
                plan.fields.append({RecorderField::Time, c, -1});
        } else if (c == stampColumn)
            plan.fields.append({RecorderField::Stamp, c, -1});
        else
            plan.fields.append({RecorderField::Value, c, -1});
    }
    m_recorder = std::move(plan);
    m_lastRawDate.clear();
    m_lastRecorderDate.clear();
}

bool CsvConverter::headerLineRecorder(Recorder family)
{
    if (!m_recorder.built || m_recorder.family != family)
        buildRecorderPlan(family);
    const char sep = settings.columnSeparator;
    const bool separate = settings.separateDateTimeColumns;
    QByteArray line;
    bool first = true;
    auto append = [&](const QByteArray &name) {
        if (!first)
            line += sep;
        first = false;
        line += name;
    };
    for (const RecorderField &f : qAsConst(m_recorder.fields)) {
        switch (f.kind) {
        case RecorderField::Id:
        case RecorderField::Value:
        case RecorderField::Date:
        case RecorderField::Time:
            append(headerName(m_recorder.names.value(f.column), sep));
            break;
        case RecorderField::DateAndTime:
            append("DateTime");
            break;
        case RecorderField::Stamp:
            if (separate) {
                append("Date");
                append("Time");
            } else {
                append("DateTime");
            }
            break;
        }
    }
    line += "\r\n";
    TRACE() << (family == Recorder::MoxB ? "Final header line for MoxB:" : "Final header line for MoxA:") << line;
    m_pending += line;
    return flushPending();
}

void CsvConverter::appendRecorderRow(const MyAbstractTableModel::ExportSection &section, int r, QByteArray &out)
{
    const char sep = settings.columnSeparator;
    const bool separate = settings.separateDateTimeColumns;
    auto text = [&section, r](int c) {
        return c >= 0 && c < section.columns ? section.shownAt(r, c).toString() : QString();
    };
    bool first = true;
    for (const RecorderField &f : qAsConst(m_recorder.fields)) {
        if (!first)
            out += sep;
        first = false;
        switch (f.kind) {
        case RecorderField::Id:
            out += quoteField(text(f.column).toUtf8(), sep);
            break;
        case RecorderField::Value:
            if (f.column < section.columns)
                appendRecorderValue(section.shownAt(r, f.column), out);
            break;
        case RecorderField::Date:
            out += quoteField(recorderDate(text(f.column)), sep);
            break;
        case RecorderField::Time:
            out += quoteField(recorderTime(text(f.column)), sep);
            break;
        case RecorderField::DateAndTime: {
            QByteArray field = recorderDate(text(f.column));
            field += settings.dateTimeSeparator;
            if (f.timeColumn >= 0)
                field += recorderTime(text(f.timeColumn));
            out += quoteField(field, sep);
            break;
        }
        case RecorderField::Stamp: {
            QByteArray date, time;
            recorderStamp(text(f.column), &date, &time);
            if (separate) {
                out += quoteField(date, sep);
                out += sep;
                out += quoteField(time, sep);
            } else {
                out += quoteField(date + settings.dateTimeSeparator + time, sep);
            }
            break;
        }
        }
    }
}

void CsvConverter::appendRecorderValue(const QVariant &value, QByteArray &out) const
{
    const char sep = settings.columnSeparator;
    if (value.isNull())
        return;
    const QString text = value.toString();
    const QString trimmed = text.trimmed();
    // No value: the recorder tables keep a blank or "NA" for it.
    if (trimmed.isEmpty() || trimmed.compare(QLatin1String("na"), Qt::CaseInsensitive) == 0)
        return;
    if (csvtext::isNumber(value)) {
        const double d = value.toDouble();
        if (d == 0) {
            out += '0';
            return;
        }
        out += formatNumber(d, settings.decimalPlaces, settings.decimalPoint);
        return;
    }
    bool numeric = false;
    const double d = text.toDouble(&numeric);
    if (numeric && d == 0) {
        out += '0';
        return;
    }
    // A number held as text keeps its digits; only its decimal mark follows
    // the choice. Any other text is written as it stands.
    QByteArray bytes = text.toUtf8();
    if (numeric && settings.decimalPoint != '.')
        bytes.replace('.', settings.decimalPoint);
    out += quoteField(bytes, sep);
}

QByteArray CsvConverter::recorderDate(const QString &raw)
{
    if (raw == m_lastRawDate && !m_lastRecorderDate.isNull())
        return m_lastRecorderDate;
    QDate date;
    if (!readIsoDate(raw, &date))
        date = QDate::fromString(raw, RecorderDatePattern);
    QByteArray out;
    if (date.isValid()) {
        appendDate(date, out);
    } else {
        TRACE() << "Unexpected failure to parse Date:" << raw << " with format: " << RecorderDatePattern;
        out = raw.toUtf8();
    }
    m_lastRawDate = raw;
    m_lastRecorderDate = out;
    return out;
}

QByteArray CsvConverter::recorderTime(const QString &raw)
{
    const bool moxb = m_recorder.family == Recorder::MoxB;
    const QString &pattern = moxb ? MoxBTimePattern : MoxATimePattern;
    QTime time;
    if (!readClock(raw, moxb, &time))
        time = QTime::fromString(raw, pattern);
    QByteArray out;
    if (time.isValid()) {
        appendTime(time, out);
    } else {
        TRACE() << "Unexpected failure to parse Time:" << raw << " with format: " << pattern;
        out = raw.toUtf8();
    }
    return out;
}

void CsvConverter::recorderStamp(const QString &raw, QByteArray *date, QByteArray *time)
{
    // "M/d/yyyy H:mm" read as a date and a clock time of their own: the
    // stamps are wall-clock texts, and a local reading of the whole would
    // lose the hour a daylight-saving change skips.
    const int blank = raw.indexOf(QLatin1Char(' '));
    QDate d;
    QTime t;
    if (blank > 0) {
        d = QDate::fromString(raw.left(blank), StampDatePattern);
        t = QTime::fromString(raw.mid(blank + 1), StampTimePattern);
    }
    date->clear();
    time->clear();
    if (d.isValid() && t.isValid()) {
        appendDate(d, *date);
        appendTime(t, *time);
        return;
    }
    TRACE() << "Unexpected failure to parse DateTime:" << raw << " with format: M/d/yyyy H:mm";
    const QStringList pieces = raw.split(QLatin1Char(' '));
    *date = pieces.value(0).toUtf8();
    *time = pieces.value(1).toUtf8();
}
