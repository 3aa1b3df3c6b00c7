#include "export/CsvConverter.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/ProgressDialog.h"
#include "common/Trace.h"
#include "export/CsvText.h"
#include "tables/MyAbstractTableModel.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>

#include <charconv>
#include <cmath>

namespace {

// Rows read from the model at a time: the table never has to be held whole.
constexpr int SectionRows = 50000;
// Bytes gathered before they go to the file.
constexpr int ChunkBytes = 256 * 1024;
// The progress window is updated at most this often (ms): every update runs
// the event loop.
constexpr int ProgressIntervalMs = 100;

const QByteArray LineEnd("\r\n");

} // namespace

CsvConverter::CsvConverter(QString fileName, CsvExportSettings settings, MyAbstractTableModel *model, QObject *parent)
    : QObject(parent)
    , fileName(std::move(fileName))
    , filesOpened(0)
    , settings(std::move(settings))
    , model(model)
{
    TRACE_FUNC();
    modelDateTimeFormat = model ? model->getDateTimeFormat() : QStringLiteral("yyyy-MM-dd HH:mm:ss");
    // The table models' own patterns are read by hand: the general parser
    // would cost more than the rest of a row.
    m_fastStamp = modelDateTimeFormat == QLatin1String("yyyy-MM-dd HH:mm:ss");
    m_fastStampMs = modelDateTimeFormat == QLatin1String("yyyy-MM-dd HH:mm:ss.zzz");
    m_fastTimeMs = this->settings.timeFormat == QLatin1String("HH:mm:ss.zzz");
    m_fastTime = m_fastTimeMs || this->settings.timeFormat == QLatin1String("HH:mm:ss");
    const int blank = modelDateTimeFormat.indexOf(QLatin1Char(' '));
    if (blank >= 0) {
        m_stampDatePattern = modelDateTimeFormat.left(blank);
        m_stampTimePattern = modelDateTimeFormat.mid(blank + 1);
    }
}

CsvConverter::~CsvConverter()
{
    if (outputFile.isOpen())
        outputFile.close();
}

QWidget *CsvConverter::progressParent() const
{
    return g_framework ? g_framework->mainWindow.data() : nullptr;
}

CsvConverter::Recorder CsvConverter::sessionRecorder()
{
    if (!g_framework)
        return Recorder::None;
    switch (g_framework->getSessionInfo().deviceType) {
    case MoxB:
    case MoxB_FILTERED:
        return Recorder::MoxB;
    case MoxA:
    case MoxA_FILTERED:
        return Recorder::MoxA;
    default:
        return Recorder::None;
    }
}

bool CsvConverter::convert()
{
    if (!model) {
        const QString msg = tr("Unable to read the table data");
        emit consoleMessage(msg, 3);
        emit dialogMessage(msg, QString(""), 3);
        return false;
    }
    switch (sessionRecorder()) {
    case Recorder::MoxB:
        return csvConverterMoxB();
    case Recorder::MoxA:
        return csvConverterMoxA();
    case Recorder::None:
        break;
    }
    return convertGeneric();
}

bool CsvConverter::convertGeneric()
{
    const bool grouped = settings.groupByDate;
    const char sep = settings.columnSeparator;
    QVector<int> written; // the columns a row writes
    int writtenFor = -1;

    RowPass pass;
    pass.setGrouping = true;
    pass.startText = tr("Start converting to csv");
    pass.endText = tr("Saved %1 records in: %2 ms");
    pass.appendRow = [&](const MyAbstractTableModel::ExportSection &section, int r, QByteArray &out) {
        const int columns = section.columns;
        if (columns != writtenFor) {
            // Read from the loaded model: a reload for the grouping may
            // change which columns it hides.
            const QList<bool> visible = model->getColumnsVisibilityList();
            written.clear();
            for (int c = 1; c < columns; ++c) {
                if (grouped ? (c % 2 == 1) : visible.value(c, true))
                    written.append(c);
            }
            writtenFor = columns;
        }
        if (columns > 0)
            appendDateTime(section.shownAt(r, 0).toString(), out);
        for (int c : qAsConst(written)) {
            out += sep;
            appendCell(section, r, c, out);
        }
    };
    return writeRows(pass);
}

bool CsvConverter::writeRows(const RowPass &pass)
{
    QElapsedTimer timer;
    timer.start();
    emit consoleMessage(pass.startText, 0);

    // Escape or a closed window may delete a progress window while the rows
    // are still being written: every use goes through a guarded pointer.
    QPointer<ProgressDialog> progress = new ProgressDialog(0, tr("Converting..."), progressParent(), false);
    progress->show();
    auto removeProgress = [&progress]() {
        if (progress) {
            progress->close();
            progress->deleteLater();
        }
        progress = nullptr;
    };

    if (pass.setGrouping)
        model->setGroupByDate(settings.groupByDate);
    if (!model->beginRowExport()) {
        removeProgress();
        reportReadFailure();
        return false;
    }
    struct StreamEnd
    {
        MyAbstractTableModel *m;
        ~StreamEnd() { m->endRowExport(); }
    } streamEnd{model};

    if (pass.prepare)
        pass.prepare();
    if (!openNextFile()) {
        outputFile.close();
        removeProgress();
        return false;
    }

    // A model that cannot tell its row count cheaply gets a busy window
    // that counts the records written.
    const int total = model->rowExportCount();
    removeProgress();
    progress = new ProgressDialog(qMax(0, total), tr("Converting..."), progressParent(), false);
    progress->show();
    QElapsedTimer sinceUpdate;
    sinceUpdate.start();

    const bool limited = settings.limitRecordsPerFile && settings.maxRecordsPerFile > 0;
    MyAbstractTableModel::ExportSection section;
    qint64 inFile = 0;
    m_records = 0;

    for (;;) {
        if (!model->readRowExport(section, SectionRows)) {
            outputFile.close();
            removeProgress();
            reportReadFailure();
            return false;
        }
        if (section.rows == 0)
            break;
        for (int r = 0; r < section.rows; ++r) {
            if (limited && inFile == settings.maxRecordsPerFile) {
                if (!openNextFile()) {
                    outputFile.close();
                    removeProgress();
                    return false;
                }
                inFile = 0;
            }
            // CR LF goes between lines: before every row but a file's first.
            if (inFile > 0)
                m_pending += LineEnd;
            pass.appendRow(section, r, m_pending);
            ++inFile;
            ++m_records;
            if (m_pending.size() >= ChunkBytes && !flushPending()) {
                outputFile.close();
                removeProgress();
                return false;
            }
        }
        if (progress && sinceUpdate.elapsed() >= ProgressIntervalMs) {
            sinceUpdate.restart();
            if (total > 0)
                progress->update(int(qMin<qint64>(m_records, total)));
            else
                progress->updateText(tr("Converting...") + QLatin1Char(' ') + QString::number(m_records));
        }
    }

    if (!finishFile()) {
        removeProgress();
        return false;
    }
    removeProgress();
    emit consoleMessage(pass.endText.arg(m_records).arg(timer.elapsed()), 1);
    return true;
}

void CsvConverter::reportReadFailure()
{
    // The session's database file went: the session says so, once.
    if (model->databaseGone())
        return;
    const QString msg = tr("Unable to read the table data");
    emit consoleMessage(msg, 3);
    emit dialogMessage(msg, QString(""), 3);
}

bool CsvConverter::writeHeader()
{
    switch (sessionRecorder()) {
    case Recorder::MoxB:
        return headerLineMoxB();
    case Recorder::MoxA:
        return headerLineMoxA();
    case Recorder::None:
        break;
    }
    // The header names one field per field of the rows below it, so the
    // columns of both always line up.
    const QStringList names = model->getColumnNames();
    const QList<bool> visible = model->getColumnsVisibilityList();
    const char sep = settings.columnSeparator;
    const int columns = model->columnCount();

    QByteArray line = tr("Date").toUtf8();
    if (settings.separateDateTimeColumns)
        line += sep;
    line += tr("Time").toUtf8();
    auto appendName = [&](int i) {
        QString name = names.value(i);
        name.replace(QLatin1Char('\n'), QLatin1Char(' '));
        line += sep;
        line += quoteField(name.toUtf8(), sep);
    };
    if (settings.groupByDate) {
        for (int c = 1; c < columns; c += 2)
            appendName((c + 1) / 2);
    } else {
        for (int c = 1; c < columns; ++c)
            if (visible.value(c, true))
                appendName(c);
    }
    line += LineEnd;
    m_pending += line;
    return flushPending();
}

bool CsvConverter::openNextFile()
{
    QString name = fileName;
    if (filesOpened > 0) {
        if (!finishFile())
            return false;
        const QFileInfo info(fileName);
        name = info.absolutePath() + QLatin1Char('/') + info.baseName() + QLatin1Char('_')
               + QString::number(filesOpened) + QLatin1Char('.') + info.completeSuffix();
    }
    outputFile.setFileName(name);
    if (!outputFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        reportWriteFailure();
        return false;
    }
    m_files << name;
    ++filesOpened;
    if (!writeHeader()) {
        // writeHeader reported a failed write already; a header refused
        // without one still gets the message.
        if (outputFile.error() == QFileDevice::NoError)
            reportWriteFailure();
        return false;
    }
    return true;
}

bool CsvConverter::flushPending()
{
    if (m_pending.isEmpty())
        return true;
    const qint64 n = outputFile.write(m_pending);
    if (n != m_pending.size()) {
        m_pending.clear();
        reportWriteFailure();
        return false;
    }
    m_pending.clear();
    return true;
}

bool CsvConverter::finishFile()
{
    if (!outputFile.isOpen())
        return true;
    if (!flushPending()) {
        outputFile.close();
        return false;
    }
    // A file is saved only when its last bytes reached the disk.
    const bool flushed = outputFile.flush();
    outputFile.close();
    if (!flushed || outputFile.error() != QFileDevice::NoError) {
        reportWriteFailure();
        return false;
    }
    return true;
}

void CsvConverter::reportWriteFailure()
{
    const QString msg = tr("Unable to write into a file");
    TRACE() << "CSV write failed:" << outputFile.fileName() << outputFile.errorString();
    emit consoleMessage(msg + QStringLiteral(" (") + fileName + QLatin1Char(')'), 3);
    emit dialogMessage(msg, QString(""), 3);
}

bool CsvConverter::parseStamp(const QString &stamp, QDate *date, QTime *time) const
{
    // Stored times are UTC wall-clock texts: read as they stand, with no zone
    // conversion (a local reading would lose the hour of a daylight-saving
    // gap).
    if (m_fastStamp || m_fastStampMs) {
        const int length = m_fastStampMs ? 23 : 19;
        if (stamp.size() != length)
            return false;
        const QChar *p = stamp.constData();
        if (p[4] != QLatin1Char('-') || p[7] != QLatin1Char('-') || p[10] != QLatin1Char(' ')
            || p[13] != QLatin1Char(':') || p[16] != QLatin1Char(':'))
            return false;
        if (m_fastStampMs && p[19] != QLatin1Char('.'))
            return false;
        const int y = csvtext::digits(p, 4), mo = csvtext::digits(p + 5, 2), d = csvtext::digits(p + 8, 2);
        const int h = csvtext::digits(p + 11, 2), mi = csvtext::digits(p + 14, 2), s = csvtext::digits(p + 17, 2);
        const int ms = m_fastStampMs ? csvtext::digits(p + 20, 3) : 0;
        if (y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0 || s < 0 || ms < 0)
            return false;
        if (!QDate::isValid(y, mo, d) || !QTime::isValid(h, mi, s, ms))
            return false;
        *date = QDate(y, mo, d);
        *time = QTime(h, mi, s, ms);
        return true;
    }
    if (!m_stampDatePattern.isEmpty()) {
        const int blank = stamp.indexOf(QLatin1Char(' '));
        if (blank < 0)
            return false;
        *date = QDate::fromString(stamp.left(blank), m_stampDatePattern);
        *time = QTime::fromString(stamp.mid(blank + 1), m_stampTimePattern);
        return date->isValid() && time->isValid();
    }
    const QDateTime dt = QDateTime::fromString(stamp, modelDateTimeFormat);
    if (!dt.isValid())
        return false;
    *date = dt.date();
    *time = dt.time();
    return true;
}

void CsvConverter::appendDateTime(const QString &stamp, QByteArray &out)
{
    QDate date;
    QTime time;
    if (!parseStamp(stamp, &date, &time)) {
        if (settings.separateDateTimeColumns)
            out += settings.columnSeparator;
        return;
    }
    appendDate(date, out);
    out += settings.separateDateTimeColumns ? settings.columnSeparator : settings.dateTimeSeparator;
    appendTime(time, out);
}

void CsvConverter::appendDate(const QDate &date, QByteArray &out)
{
    // Rows of one day follow each other: the text is made once per day.
    if (date != m_lastDate || m_lastDateText.isNull()) {
        m_lastDate = date;
        m_lastDateText = QLocale::c().toString(date, settings.dateFormat).toLatin1();
    }
    out += m_lastDateText;
}

void CsvConverter::appendTime(const QTime &time, QByteArray &out) const
{
    if (m_fastTime) {
        // The two 24-hour patterns by hand: the general formatter would cost
        // more than the rest of the row.
        char buf[12];
        const int h = time.hour(), m = time.minute(), sec = time.second();
        buf[0] = char('0' + h / 10);
        buf[1] = char('0' + h % 10);
        buf[2] = ':';
        buf[3] = char('0' + m / 10);
        buf[4] = char('0' + m % 10);
        buf[5] = ':';
        buf[6] = char('0' + sec / 10);
        buf[7] = char('0' + sec % 10);
        int n = 8;
        if (m_fastTimeMs) {
            const int ms = time.msec();
            buf[8] = '.';
            buf[9] = char('0' + ms / 100);
            buf[10] = char('0' + ms / 10 % 10);
            buf[11] = char('0' + ms % 10);
            n = 12;
        }
        out.append(buf, n);
        return;
    }
    out += QLocale::c().toString(time, settings.timeFormat).toLatin1();
}

void CsvConverter::appendCell(const MyAbstractTableModel::ExportSection &section, int r, int column,
                              QByteArray &out)
{
    const char sep = settings.columnSeparator;
    if (settings.groupByDate && settings.incorrectValuesHandling != 0) {
        const QVariant &value = section.storedAt(r, column);
        const QVariant flag = column + 1 < section.columns ? section.storedAt(r, column + 1) : QVariant();
        // Nothing stored at this time: an empty field, whatever the handling.
        if (value.isNull() && flag.isNull())
            return;
        // The flag first: a stored sample marked invalid gets the handling
        // even when it holds no number.
        if (!model->isFlagValid(flag.toInt())) {
            if (settings.incorrectValuesHandling == 2)
                out += quoteField(settings.errorValueCustomString.toUtf8(), sep);
            return;
        }
        if (!value.isNull())
            out += quoteField(formatNumber(value.toDouble(), settings.decimalPlaces, settings.decimalPoint), sep);
        return;
    }
    const QVariant &v = section.shownAt(r, column);
    if (v.isNull())
        return;
    if (csvtext::isNumber(v))
        out += quoteField(formatNumber(v.toDouble(), settings.decimalPlaces, settings.decimalPoint), sep);
    else
        out += quoteField(v.toString().toUtf8(), sep);
}

namespace {

// Significant digits of the automatic places: decimal text of up to 15
// digits reads back as the same double, and computed values lose the noise
// of their last binary digits.
constexpr int AutoDigits = 15;

// Past this magnitude a double is an even integer: no rounding tie left.
constexpr double TwoPow53 = 9007199254740992.0;

// A value exactly halfway between two texts of `places` decimals: x * 10^places
// = k + 1/2 holds exactly when x * 2^(places + 1) is an odd integer.
bool fixedTie(double value, int places)
{
    const double y = std::ldexp(value, places + 1);
    return std::fabs(y) < TwoPow53 && y == std::trunc(y) && std::fmod(y, 2.0) != 0.0;
}

// A value exactly halfway between two texts of 15 significant digits: its
// exact decimal has 16 significant digits, the last a 5.
bool significantTie(double value)
{
    const double a = std::fabs(value);
    if (a >= 1e15) {
        // Ties need 16 significant digits: an integer below 1e17.
        if (a >= 1e17 || a != std::trunc(a))
            return false;
        const quint64 n = quint64(a);
        return a < 1e16 ? n % 10 == 5 : n % 100 == 50;
    }
    // Below 1e15 a tie is m / 2^j with m odd: its exact decimal has j
    // places, so 16 significant digits mean 10^15 <= m * 5^j < 10^16.
    int exponent = 0;
    const double mantissa = std::frexp(a, &exponent);
    quint64 m = quint64(std::ldexp(mantissa, 53));
    int j = 53 - exponent;
    if (m == 0 || j <= 0)
        return false;
    while ((m & 1) == 0) {
        m >>= 1;
        --j;
    }
    if (j <= 0 || j > 22)
        return false;
    unsigned __int128 scaled = m;
    for (int i = 0; i < j; ++i)
        scaled *= 5;
    return scaled >= 1000000000000000ULL && scaled < 10000000000000000ULL;
}

// The decimals of an exact tie, rounded half away from zero: the text of one
// more place ends in the 5, which goes. A dyadic tie of two or more places
// ends in 25 or 75, so the digit before it only goes up and never carries.
int roundTieAway(double value, int places, char *buf, int size)
{
    const std::to_chars_result r = std::to_chars(buf, buf + size, value, std::chars_format::fixed, places + 1);
    if (r.ec != std::errc())
        return -1;
    char *last = r.ptr - 2;
    if (*last < '0' || *last >= '9')
        return -1; // not the shape of a tie: the toolkit decides
    ++*last;
    return int(r.ptr - 1 - buf);
}

} // namespace

QByteArray CsvConverter::formatNumber(double value, int decimalPlaces, char decimalPoint)
{
    // The toolkit's conversion ('g' with 15 significant digits, or 'f' with
    // the places) gives the text; its common cases are made here at the
    // export's speed, with the same digits: both round the double's exact
    // binary value, and only exact ties, which the toolkit rounds away from
    // zero, need more.
    const bool fixed = decimalPlaces > 0;
    char buf[400];
    int n = -1;
    if (std::isfinite(value)) {
        if (value == 0)
            value = 0.0; // the toolkit writes no sign for a negative zero
        if (fixed) {
            if (!fixedTie(value, decimalPlaces)) {
                const std::to_chars_result r =
                    std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimalPlaces);
                n = r.ec == std::errc() ? int(r.ptr - buf) : -1;
            } else {
                n = roundTieAway(value, decimalPlaces, buf, int(sizeof buf));
            }
        } else if (!significantTie(value)) {
            const std::to_chars_result r =
                std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, AutoDigits);
            n = r.ec == std::errc() ? int(r.ptr - buf) : -1;
        }
    }
    QByteArray text = n >= 0 ? QByteArray(buf, n)
                             : QByteArray::number(value, fixed ? 'f' : 'g', fixed ? decimalPlaces : AutoDigits);
    if (decimalPoint != '.')
        text.replace('.', decimalPoint);
    return text;
}

QByteArray CsvConverter::quoteField(const QByteArray &field, char separator)
{
    bool special = false;
    for (char ch : field) {
        if (ch == separator || ch == '"' || ch == '\n' || ch == '\r') {
            special = true;
            break;
        }
    }
    if (!special)
        return field;
    QByteArray out;
    out.reserve(field.size() + 8);
    out += '"';
    for (char ch : field) {
        if (ch == '"')
            out += '"';
        out += ch;
    }
    out += '"';
    return out;
}
