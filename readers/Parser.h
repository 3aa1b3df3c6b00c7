#pragma once
// The step-driven readers: a reader whose work is cut into virtual steps
// (check the header, begin, parse, finish, make the models), driven by
// runParserSteps. Unlike the direct readers it keeps the session's database,
// models and a copy of the session record.
#include "database/SessionInfo.h"
#include "readers/LineReaderKit.h"

#include <QAtomicInteger>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QString>

#include <memory>
#include <stdexcept>

class AbstractChartModel;
class MainWindow;
class MyAbstractTableModel;
class ProgressDialog;
class TransactionGuard;

namespace readers {

// A step's fault after it has been reported to the user; its text is the
// reader's error template joined with the detail.
class ParserError : public std::runtime_error
{
public:
    explicit ParserError(const QString &text);
    QString text() const { return QString::fromUtf8(what()); }
};

} // namespace readers

class Parser : public QObject
{
    Q_OBJECT
public:
    Parser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, MainWindow *mainWindow,
           QObject *parent = nullptr);
    ~Parser() override;

    virtual bool checkHeader();
    // Reads the first records of a table model; the three further arguments
    // are carried for readers that would want them.
    virtual int readRecords(MyAbstractTableModel *model, int reserved1 = 0, int reserved2 = 0, int reserved3 = 0);
    virtual bool createModels(int count) = 0;
    virtual bool beginParsing() = 0;
    virtual bool parseFile() = 0;
    // The number of lines read, or -1 when the read could not be finished.
    virtual int finishParsing() = 0;
    virtual QString unitForParameter(const QString &name) = 0;

    void setDatabase(QSqlDatabase db, MyAbstractTableModel *tableModel, AbstractChartModel *chartModel,
                     const SessionInfo &session);
    bool openFile(const QString &path);
    // Passes over the next lines of the input, so that beginParsing takes the
    // right line as the column line; false when the file has fewer.
    bool skipLines(int lines);

    static void trimFieldList(readers::FieldList *items);

    QSqlDatabase database() const { return m_db; }
    MyAbstractTableModel *tableModel() const { return m_tableModel; }
    AbstractChartModel *chartModel() const { return m_chartModel; }
    SessionInfo session() const { return m_session; }
    QString separator() const { return m_separator; }

    // Undoes what a failed run left: an open transaction is rolled back.
    void abandonRun();

signals:
    void consoleMessage(QString msg, int icon);
    void consoleMessage(QString msg);
    void dialogMessage(QString msg, QString title, int icon);
    void dialogMessage(QString msg, QString title);
    void dialogMessage(QString msg);
    void progressValueChanged(int value);

protected:
    char separatorChar() const { return m_separator.isEmpty() ? '\0' : m_separator.at(0).toLatin1(); }
    bool cancelRequested() const { return m_cancelFlag && m_cancelFlag->loadAcquire() == 1; }
    void postProgressMaximum();

    MainWindow *m_mainWindow;
    QSqlDatabase m_db;
    MyAbstractTableModel *m_tableModel = nullptr;
    AbstractChartModel *m_chartModel = nullptr;
    SessionInfo m_session;
    int m_maxLineLength = 5000;
    QString m_dateTimeFormat;
    QPointer<ProgressDialog> m_progress;
    QAtomicInteger<char> *m_cancelFlag;
    // The input file, read in lines of at most m_maxLineLength bytes.
    readers::LineReaderKit m_input;
    QString m_separator;
    // The transaction of a read, from beginParsing to finishParsing.
    std::unique_ptr<TransactionGuard> m_transaction;
    // Lines passed over by skipLines since the file was opened.
    int m_linesSkipped = 0;
};
