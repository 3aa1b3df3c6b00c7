#include "readers/NormalDeviceParser.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"

NormalDeviceParser::NormalDeviceParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag,
                                       MainWindow *mainWindow, QObject *parent)
    : Parser(progress, cancelFlag, mainWindow, parent)
    , m_parametersInsert(QLatin1String(""))
    , m_dataInsert(QLatin1String(""))
    , m_errorTemplate(QStringLiteral("Abstrakcyjny błąd. Coś zrobiłeś źle."))
{
}

NormalDeviceParser::~NormalDeviceParser() = default;

bool NormalDeviceParser::createModels(int count)
{
    Q_UNUSED(count);
    return true;
}

QString NormalDeviceParser::unitForParameter(const QString &name)
{
    Q_UNUSED(name);
    return QLatin1String("");
}

double NormalDeviceParser::progressPercent() const
{
    return m_fileSize > 0 ? double(m_bytesRead) * 100.0 / double(m_fileSize) : 100.0;
}

bool NormalDeviceParser::beginParsing()
{
    m_timer.start();
    m_parameterIds.clear();
    m_nextPercent = 1;

    readers::Field line;
    const readers::LineReaderKit::Read read = m_input.readLine(&line);
    m_line = read == readers::LineReaderKit::Read::Line ? line.bytes() : QByteArray();
    const qint64 columnLineSize = m_input.lastReadSize();
    readers::splitFields(readers::Field{m_line.constData(), m_line.size()}, separatorChar(), &m_columns);
    if (m_trimColumns)
        trimFieldList(&m_columns);
    m_colCnt = m_columns.size();

    postProgressMaximum();
    emit progressValueChanged(0);
    m_fileSize = m_input.file().size();

    m_transaction.reset(new TransactionGuard(m_db));
    // A read whose writes could not be kept in one transaction is not begun.
    const bool begun = m_transaction->isActive();
    if (!begun) {
        emit consoleMessage(m_transaction->errorText(), 3);
        m_transaction.reset();
    }
    if (m_rewindAfterColumns) {
        m_bytesRead = 0;
        m_lineCnt = 0;
        m_lineBase = 0;
        return m_input.rewind() && begun;
    }
    m_bytesRead = columnLineSize;
    m_lineCnt = 1;
    m_lineBase = m_linesSkipped;
    return begun;
}

bool NormalDeviceParser::parseFile()
{
    TRACE() << "wywołuje?";
    // The instrument's own archive: opened in place, never changed.
    Connections::Options options;
    options.readOnly = true;
    Connections::registerFile(QStringLiteral("Data_con"), m_input.file().fileName(), options);
    m_db = Connections::database(QStringLiteral("Data_con"));
    const bool opened = m_db.isOpen();
    if (opened)
        m_session.views |= SessionInfo::ViewDataFilter;
    return opened;
}

int NormalDeviceParser::finishParsing()
{
    if (m_transaction) {
        // A commit that fails keeps nothing: the read has failed.
        const bool committed = m_transaction->commit();
        const QString error = m_transaction->errorText();
        m_transaction.reset();
        if (!committed) {
            emit consoleMessage(error, 3);
            return -1;
        }
    }
    emit consoleMessage(tr("Parse table data in: ") + QString::number(m_timer.elapsed())
                            + QStringLiteral(" ms"),
                        0);
    return m_lineCnt;
}

void NormalDeviceParser::throwError(bool toConsole, bool toDialog, int icon, const QString &message,
                                    const QString &detail)
{
    if (toConsole)
        emit consoleMessage(message, icon);
    if (toDialog)
        emit dialogMessage(message, QLatin1String(""), icon);
    throw readers::ParserError(m_errorTemplate + detail);
}

void NormalDeviceParser::fail(bool toConsole, bool toDialog, int icon, const QString &message, const QString &detail)
{
    throwError(toConsole, toDialog, icon, message, detail);
    throw readers::ParserError(m_errorTemplate + detail);
}
