#include "readers/LineReaderKit.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QCoreApplication>

#include "app/ProgressDialog.h"

namespace readers {

namespace {

QString numbered(const QString &text, qint64 lineNumber)
{
    return text + QStringLiteral(" (") + QString::number(lineNumber) + QLatin1Char(')');
}

} // namespace

LineReaderKit::LineReaderKit(const char *context, ProgressDialog *progress, QAtomicInteger<char> *cancelFlag,
                             int maxLineLength, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_progress(progress)
    , m_cancelFlag(cancelFlag)
    , m_maxLineLength(maxLineLength)
{
}

LineReaderKit::~LineReaderKit()
{
    if (m_file.isOpen())
        m_file.close();
}

QString LineReaderKit::text(const char *source) const
{
    return QCoreApplication::translate(m_context, source);
}

bool LineReaderKit::openFile(const QString &path)
{
    if (m_file.isOpen())
        m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        report(text("Unable to open file"), 3, true);
        return false;
    }
    return true;
}

bool LineReaderKit::rewind()
{
    return m_file.seek(0);
}

LineReaderKit::Read LineReaderKit::readLine(Field *line)
{
    if (m_buffer.size() != m_maxLineLength)
        m_buffer.resize(m_maxLineLength);
    if (!m_file.isOpen() || m_file.atEnd())
        return Read::End;
    const qint64 n = m_file.readLine(m_buffer.data(), m_maxLineLength);
    if (n < 0)
        return m_file.atEnd() ? Read::End : Read::Error;
    *line = Field{m_buffer.constData(), int(n)};
    // A full buffer without a line feed means the physical line goes on:
    // reading its fragments as lines of their own would invent records.
    if (n == m_maxLineLength - 1 && m_buffer[int(n) - 1] != '\n' && !m_file.atEnd())
        return Read::TooLong;
    return Read::Line;
}

LineReaderKit::Read LineReaderKit::skipRestOfLine(qint64 *bytes)
{
    Field piece;
    for (;;) {
        const Read r = readLine(&piece);
        if (r == Read::End || r == Read::Error)
            return r;
        *bytes += piece.size;
        if (r == Read::Line)
            return r;
    }
}

void LineReaderKit::report(const QString &msg, int icon, bool withDialog)
{
    emit consoleMessage(msg, icon);
    if (withDialog)
        emit dialogMessage(msg, QString(), icon);
}

bool LineReaderKit::failInvalidFormat()
{
    report(text("File has invalid format!"), 3, true);
    return false;
}

void LineReaderKit::reportInvalidLine(qint64 lineNumber, const Field &line)
{
    report(numbered(text("Invalid line in file"), lineNumber), 3, true);
    TRACE() << "line len = " << line.size << ", conenet = " << line.bytes();
}

void LineReaderKit::reportDatabaseError(const QString &errorText, const QString &statement)
{
    TRACE() << statement << ", " << errorText;
    emit consoleMessage(errorText, 3);
}

void LineReaderKit::startParse()
{
    m_timer.start();
}

void LineReaderKit::setProgressMaximum()
{
    // The dialog lives on the GUI thread and may be gone after a cancel: a
    // queued, guarded call, posted before the first progress value.
    if (m_progress)
        ProgressDialog::postMaximum(m_progress, 100);
}

bool LineReaderKit::cancelRequested() const
{
    return m_cancelFlag && m_cancelFlag->loadAcquire() != 0;
}

bool LineReaderKit::runReadLoop(QSqlDatabase db, int *count, qint64 firstLineNumber, const char *emptyLineTrace,
                                const LineHandler &handleLine)
{
    if (!m_timer.isValid())
        m_timer.start();
    setProgressMaximum();
    emit progressValueChanged(0);
    const qint64 size = m_file.size();

    TransactionGuard transaction(db);
    if (!transaction.isActive()) {
        reportDatabaseError(transaction.errorText(), QStringLiteral("BEGIN"));
        return false;
    }
    m_writer.begin(db);
    // Statements go before the transaction ends, on every way out.
    struct WriterRelease
    {
        MeasurementWriter &writer;
        ~WriterRelease() { writer.finish(); }
    } release{m_writer};

    qint64 lineNumber = firstLineNumber;
    qint64 bytesRead = 0;
    int nextPercent = 1;
    // Nothing is delivered to this thread's objects while reading; the event
    // loop is given a turn now and then rather than per line.
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    Field line;

    for (;;) {
        if (sinceEvents.elapsed() >= 50) {
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        if (cancelRequested()) {
            TRACE() << "Parser work was canceled";
            m_writer.finish();
            transaction.rollback();
            emit consoleMessage(text("Parser work was canceled in: ") + QString::number(m_timer.elapsed())
                                    + QStringLiteral(" ms"),
                                0);
            return false;
        }
        const Read r = readLine(&line);
        if (r == Read::End)
            break;
        ++lineNumber;
        if (r == Read::Error) {
            TRACE() << m_file.fileName() << ", " << m_file.errorString();
            emit consoleMessage(m_file.errorString(), 3);
            return false;
        }
        bool tooLong = false;
        if (r == Read::TooLong) {
            if (!m_longLineHandler) {
                reportInvalidLine(lineNumber, line);
                return false;
            }
            tooLong = true;
            bytesRead += line.size;
            if (skipRestOfLine(&bytesRead) == Read::Error) {
                TRACE() << m_file.fileName() << ", " << m_file.errorString();
                emit consoleMessage(m_file.errorString(), 3);
                return false;
            }
        } else {
            bytesRead += line.size;
        }
        if (size > 0) {
            const double p = double(bytesRead) / double(size) * 100.0;
            if (p > nextPercent) {
                ++nextPercent;
                TRACE() << "progress: " << int(p);
                emit progressValueChanged(int(p));
            }
        }
        if (tooLong) {
            m_longLineHandler(lineNumber);
            continue;
        }
        if (line.size < 3) {
            TRACE() << emptyLineTrace;
            emit consoleMessage(numbered(text("Empty line in file"), lineNumber), 2);
            continue;
        }
        if (!handleLine(line, lineNumber))
            return false;
    }

    m_writer.finish();
    if (!transaction.commit()) {
        reportDatabaseError(transaction.errorText(), QStringLiteral("COMMIT"));
        return false;
    }
    emit consoleMessage(text("Parse table data in: ") + QString::number(m_timer.elapsed()) + QStringLiteral(" ms"), 0);
    if (count)
        *count = int(lineNumber);
    return true;
}

} // namespace readers
