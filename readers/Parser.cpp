#include "readers/Parser.h"

#include "common/ProgressDialog.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "common/UiHost.h"
#include "tables/MyAbstractTableModel.h"

#include <algorithm>

namespace readers {

ParserError::ParserError(const QString &text)
    : std::runtime_error(text.toUtf8().toStdString())
{
}

} // namespace readers

Parser::Parser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, MainWindow *mainWindow, QObject *parent)
    : QObject(parent)
    , m_mainWindow(mainWindow)
    , m_dateTimeFormat(QStringLiteral("yyyy-MM-ddHH:mm:ss"))
    , m_progress(progress)
    , m_cancelFlag(cancelFlag)
    , m_input("Parser", progress, cancelFlag, 5000, this)
    , m_separator(QLatin1String(""))
{
    TRACE() << "Function Name: " << "Parser::Parser(ProgressDialog*, QAtomicInteger<char>*, MainWindow*, QObject*)";
    m_session.isOpen = false;
    m_session.views = 0;
    m_session.deviceType = DEVICE_UNDEFINED;
    connect(&m_input, &readers::LineReaderKit::consoleMessage, this, qOverload<QString, int>(&Parser::consoleMessage));
    connect(&m_input, &readers::LineReaderKit::dialogMessage, this,
            qOverload<QString, QString, int>(&Parser::dialogMessage));
    connect(&m_input, &readers::LineReaderKit::progressValueChanged, this, &Parser::progressValueChanged);
    if (progress)
        connect(this, SIGNAL(progressValueChanged(int)), progress, SLOT(update(int)));
    if (UiHost *host = UiHost::of(mainWindow)) {
        host->routeDialogMessages(this);
        host->routeConsoleMessages(this);
    }
}

Parser::~Parser()
{
    // The transaction goes before its connection.
    m_transaction.reset();
    m_db.close();
    if (m_input.file().isOpen())
        m_input.file().close();
}

bool Parser::checkHeader()
{
    return true;
}

int Parser::readRecords(MyAbstractTableModel *model, int reserved1, int reserved2, int reserved3)
{
    Q_UNUSED(model);
    Q_UNUSED(reserved1);
    Q_UNUSED(reserved2);
    Q_UNUSED(reserved3);
    return 0;
}

void Parser::setDatabase(QSqlDatabase db, MyAbstractTableModel *tableModel, AbstractChartModel *chartModel,
                         const SessionInfo &session)
{
    m_db = db;
    m_tableModel = tableModel;
    m_chartModel = chartModel;
    m_session = session;
}

bool Parser::openFile(const QString &path)
{
    m_linesSkipped = 0;
    return m_input.openFile(path);
}

bool Parser::skipLines(int lines)
{
    readers::Field line;
    for (int i = 0; i < lines; ++i) {
        if (m_input.readLine(&line) != readers::LineReaderKit::Read::Line)
            return false;
        ++m_linesSkipped;
    }
    return true;
}

void Parser::trimFieldList(readers::FieldList *items)
{
    // A lone LF ends a line as much as CR LF does.
    auto dropped = [](const readers::Field &f) { return f.isEmpty() || readers::isLineEnd(f); };
    items->erase(std::remove_if(items->begin(), items->end(), dropped), items->end());
}

void Parser::abandonRun()
{
    if (m_transaction)
        m_transaction->rollback();
    m_transaction.reset();
}

void Parser::postProgressMaximum()
{
    // The dialog lives on the GUI thread: a queued, guarded call.
    if (m_progress)
        ProgressDialog::postMaximum(m_progress, 100);
}
