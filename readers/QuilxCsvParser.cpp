#include "readers/QuilxCsvParser.h"

#include "charts/SessionChartKinds.h"
#include "common/Trace.h"
#include "common/UiHost.h"
#include "readers/MeasurementWriter.h"
#include "readers/QuilArchiveFormat.h"
#include "tables/TempDatabaseTableModel.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

using readers::Field;
using readers::LineReaderKit;

namespace {

enum ErrorCode {
    HeaderNotKeyValue = 0,
    ColumnLineIsComment = 1,
    NoSeparator = 2,
    BadColumnLine = 3,
    InvalidFormat = 4,
    Canceled = 5,
    EmptyLine = 6,
};

const char *const kInvalidFormat = QT_TRANSLATE_NOOP("QuilxCsvParser", "File has invalid format!");
const char *const kCanceled = QT_TRANSLATE_NOOP("QuilxCsvParser", "Parser work was canceled in: ");
const char *const kEmptyLine = QT_TRANSLATE_NOOP("QuilxCsvParser", "Empty line in file");
const char *const kInvalidLine = QT_TRANSLATE_NOOP("QuilxCsvParser", "Invalid line in file");
// The open file is read by the framework's own input.
[[maybe_unused]] const char *const kKitTexts[] = {
    QT_TRANSLATE_NOOP("Parser", "Unable to open file"),
};

QString unitOf(QString name)
{
    static const QMap<QString, QString> units = {
        {QStringLiteral("T"), QStringLiteral("\u00b0C")},
        {QStringLiteral("RH"), QStringLiteral("%")},
        {QStringLiteral("DP"), QStringLiteral("\u00b0C")},
        {QStringLiteral("AH"), QStringLiteral("g/m3")},
    };
    return units.value(name, QLatin1String(""));
}

QString numbered(const QString &text, int lineNumber)
{
    return text + QStringLiteral(" (") + QString::number(lineNumber) + QLatin1Char(')');
}

} // namespace

QuilxCsvParser::QuilxCsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, MainWindow *mainWindow,
                               QObject *parent)
    : NormalDeviceParser(progress, cancelFlag, mainWindow, parent)
{
    m_separator = QStringLiteral("\t");
    m_parametersInsert = QStringLiteral("INSERT INTO Parameters (name, unit) VALUES ('%1', '%2')");
    m_dataInsert = QStringLiteral("INSERT INTO Data VALUES (NULL, %1, %2, %3, %4, NULL)");
    m_errorTemplate = QStringLiteral("Parser QuilACsv dostał błędny plik do przeparsowania. ");
    // The column line's empty fourth field and its line end must go as they
    // go from the data lines, so that column i names value i.
    m_trimColumns = true;

    m_errorTexts.insert(HeaderNotKeyValue, QStringLiteral("Nagłówek nie jest formatu \"Key\":\"Value\"."));
    m_errorTexts.insert(ColumnLineIsComment, QStringLiteral("Druga linijka jest komentarzem."));
    m_errorTexts.insert(NoSeparator, QStringLiteral("Niestety, separator jest błędny."));
    m_errorTexts.insert(BadColumnLine, QStringLiteral("Plik archiwum jest źle zakończony."));
    m_errorTexts.insert(InvalidFormat, tr(kInvalidFormat));
    m_errorTexts.insert(Canceled, tr(kCanceled));
    m_errorTexts.insert(EmptyLine, tr(kEmptyLine));

}

QuilxCsvParser::~QuilxCsvParser() = default;

void QuilxCsvParser::throwHeaderError(int detailCode)
{
    fail(true, true, 3, m_errorTexts.value(InvalidFormat), m_errorTexts.value(detailCode));
}

bool QuilxCsvParser::checkHeader()
{
    Field line;
    if (m_input.readLine(&line) != LineReaderKit::Read::Line)
        throwHeaderError(BadColumnLine);
    if (line.data[0] == '#' && !readers::quil::readHeaderPairs(line, &m_header))
        throwHeaderError(HeaderNotKeyValue);

    // A file that ends after its header line has no column line either.
    if (m_input.readLine(&line) != LineReaderKit::Read::Line)
        throwHeaderError(BadColumnLine);
    if (line.data[0] == '#')
        throwHeaderError(ColumnLineIsComment);
    const char separator = readers::chooseSeparator(line);
    if (!separator)
        throwHeaderError(NoSeparator);
    m_separator = QString(QLatin1Char(separator));
    if (line.size <= 10)
        throwHeaderError(BadColumnLine);
    readers::FieldList scratch;
    readers::FieldList columns;
    readers::quil::splitItems(line, separator, &scratch, &columns);
    if (!readers::quil::headerAndColumnsMatch(m_header, columns))
        throwHeaderError(BadColumnLine);
    m_input.rewind();
    m_linesSkipped = 0;
    return true;
}

int QuilxCsvParser::readRecords(MyAbstractTableModel *model, int reserved1, int reserved2, int reserved3)
{
    Q_UNUSED(reserved1);
    Q_UNUSED(reserved2);
    Q_UNUSED(reserved3);
    auto *sqlModel = dynamic_cast<MyAbstractSqlModel *>(model);
    if (!sqlModel)
        return 1;
    const int rows = qMin(sqlModel->getDataExportRowCnt(), MaxRecordsRead);
    return sqlModel->execDataExportQuery(0, uint(qMax(0, rows))) ? 0 : 1;
}

bool QuilxCsvParser::createModels(int count)
{
    auto *table = new TempDatabaseTableModel(m_db, nullptr);
    m_tableModel = table;
    UiHost *host = UiHost::of(m_mainWindow);
    if (host) {
        host->routeDialogMessages(table);
        host->routeConsoleMessages(table);
    }
    m_session.views |= SessionInfo::ViewTable;

    // Null in a build without the chart subsystem; the chart view then stays off.
    m_chartModel = session::newNarrowChartModel(m_db, count);
    if (session::modelObject(m_chartModel)) {
        if (host)
            host->routeConsoleMessages(m_chartModel);
        m_session.views |= SessionInfo::ViewChart;
    }
    m_session.views |= SessionInfo::ViewCsvExport;
    return true;
}

QString QuilxCsvParser::unitForParameter(const QString &name)
{
    return unitOf(name);
}

bool QuilxCsvParser::parseFile()
{
    readers::MeasurementWriter writer;
    writer.begin(m_db);
    // The statements go before the transaction ends, on every way out.
    struct WriterRelease
    {
        readers::MeasurementWriter &w;
        ~WriterRelease() { w.finish(); }
    } release{writer};

    // Names of the value columns, decoded once.
    QVector<QString> names;
    for (int i = 3; i < m_colCnt; ++i)
        names.append(readers::decodeName(m_columns[i].trimmed()));

    const readers::TimeStampFormat format(m_dateTimeFormat);
    const char separator = separatorChar();
    readers::FieldList scratch;
    Field line;
    for (;;) {
        QCoreApplication::processEvents();
        const LineReaderKit::Read read = m_input.readLine(&line);
        if (read == LineReaderKit::Read::End)
            break;
        if (cancelRequested()) {
            const QString msg =
                m_errorTexts.value(Canceled) + QString::number(m_timer.elapsed()) + QStringLiteral(" ms");
            abandonRun();
            fail(true, false, 3, msg, msg);
        }
        ++m_lineCnt;
        m_bytesRead += m_input.lastReadSize();
        const double percent = progressPercent();
        if (percent > m_nextPercent) {
            ++m_nextPercent;
            emit progressValueChanged(int(percent));
            TRACE() << "progress: " << percent;
        }
        if (read != LineReaderKit::Read::Line) {
            // An over-long or unreadable line is not a line of this format.
            const QString msg = numbered(tr(kInvalidLine), editorLine());
            fail(true, true, 3, msg, msg);
        }
        if (line.size < 3)
            fail(true, false, 2, m_errorTexts.value(EmptyLine), numbered(m_errorTexts.value(EmptyLine), editorLine()));
        readers::quil::splitItems(line, separator, &scratch, &m_lineItems);
        m_valueCnt = m_lineItems.size() - 3;
        if (m_valueCnt > m_colCnt - 3) {
            const QString msg = numbered(tr(kInvalidLine), editorLine());
            fail(true, true, 3, msg, msg);
        }
        qint64 msecs = 0;
        if (m_lineItems.size() < 3 || !format.parse(m_lineItems[1], m_lineItems[2], &msecs)) {
            // A time that cannot be read would file the values under no time at all.
            const QString msg = numbered(tr(kInvalidLine), editorLine());
            fail(true, true, 3, msg, msg);
        }
        m_lineTime = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
        if (m_valueCnt < 1)
            continue;
        for (m_valueIndex = 0; m_valueIndex < m_valueCnt; ++m_valueIndex) {
            m_parameterName = names.at(m_valueIndex);
            const readers::Measurement m = readers::quil::readValue(m_lineItems[3 + m_valueIndex]);
            m_value = m.value;
            m_flag = m.flag;
            if (m_parameterName.isEmpty() || m_parameterName == QLatin1String("Off"))
                continue;
            int id = m_parameterIds.value(m_parameterName, -1);
            if (id < 0) {
                id = writer.parameterId(m_parameterName, &unitOf);
                if (id < 0)
                    insertFailed(writer);
                m_parameterIds.insert(m_parameterName, id);
            }
            m_insertOk = writer.insertValue(id, m_value, m_flag, msecs);
            if (!m_insertOk)
                insertFailed(writer);
        }
    }
    return true;
}

void QuilxCsvParser::insertFailed(const readers::MeasurementWriter &writer)
{
    fail(true, false, 3, writer.errorText(), writer.errorText() + QStringLiteral(", ") + writer.failedStatement());
}
