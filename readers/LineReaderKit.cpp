#include "readers/LineReaderKit.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QCoreApplication>

#include "common/ProgressDialog.h"

namespace readers {

namespace {

constexpr int kChunkSize = 64 * 1024;

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
    resetInput();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        report(text("Unable to open file"), 3, true);
        return false;
    }
    return true;
}

bool LineReaderKit::rewind()
{
    resetInput();
    return m_file.seek(0);
}

void LineReaderKit::resetInput()
{
    m_chunkPos = 0;
    m_chunkLen = 0;
    m_atEnd = false;
    m_readError = false;
    m_line.clear();
    m_lastReadSize = 0;
    m_pendingEnd.clear();
    m_pendingEndSize = 0;
    m_pendingLoneCrs = 0;
}

bool LineReaderKit::fillChunk()
{
    if (m_chunkPos < m_chunkLen)
        return true;
    if (m_atEnd || m_readError)
        return false;
    if (m_chunk.size() != kChunkSize)
        m_chunk.resize(kChunkSize);
    const qint64 n = m_file.read(m_chunk.data(), kChunkSize);
    m_chunkPos = 0;
    m_chunkLen = 0;
    if (n < 0) {
        m_readError = true;
        return false;
    }
    if (n == 0) {
        m_atEnd = true;
        return false;
    }
    m_chunkLen = int(n);
    return true;
}

void LineReaderKit::takeLineEnd(QByteArray *normalized, qint64 *rawSize)
{
    if (m_chunk.at(m_chunkPos) == '\n') {
        ++m_chunkPos;
        *normalized = QByteArrayLiteral("\n");
        *rawSize = 1;
        return;
    }
    // A run of CRs may be long and cross chunks: count it without keeping it.
    qint64 crs = 0;
    while (fillChunk() && m_chunk.at(m_chunkPos) == '\r') {
        ++m_chunkPos;
        ++crs;
    }
    *normalized = QByteArrayLiteral("\r\n");
    if (fillChunk() && m_chunk.at(m_chunkPos) == '\n') {
        ++m_chunkPos;
        *rawSize = crs + 1;
        return;
    }
    // Without an LF every CR ends a line of its own.
    *rawSize = 1;
    m_pendingLoneCrs = crs - 1;
}

LineReaderKit::Read LineReaderKit::readLine(Field *line)
{
    // A reserved buffer keeps its memory when emptied: no allocation per line.
    if (m_line.capacity() < m_maxLineLength + 2)
        m_line.reserve(m_maxLineLength + 2);
    m_line.resize(0);
    m_lastReadSize = 0;
    if (!m_file.isOpen())
        return Read::End;
    if (m_pendingEndSize > 0) {
        m_line.append(m_pendingEnd);
        m_lastReadSize = m_pendingEndSize;
        m_pendingEndSize = 0;
    } else if (m_pendingLoneCrs > 0) {
        --m_pendingLoneCrs;
        m_line.append("\r\n", 2);
        m_lastReadSize = 1;
    }
    if (m_lastReadSize > 0) {
        *line = Field{m_line.constData(), m_line.size()};
        return Read::Line;
    }

    const int limit = m_maxLineLength - 1;
    for (;;) {
        if (!fillChunk())
            break;
        const char *b = m_chunk.constData() + m_chunkPos;
        const char *e = m_chunk.constData() + m_chunkLen;
        const char *p = b;
        while (p < e && *p != '\n' && *p != '\r')
            ++p;
        const int room = limit - m_line.size();
        if (p - b > room) {
            // No line end within the limit: the chunk goes back alone and
            // the read after it goes on in the same physical line.
            m_line.append(b, room);
            m_chunkPos += room;
            m_lastReadSize += room;
            *line = Field{m_line.constData(), m_line.size()};
            return Read::TooLong;
        }
        m_line.append(b, int(p - b));
        m_chunkPos += int(p - b);
        m_lastReadSize += p - b;
        if (p == e)
            continue;
        QByteArray end;
        qint64 endSize = 0;
        takeLineEnd(&end, &endSize);
        if (m_line.size() + end.size() > limit) {
            m_pendingEnd = end;
            m_pendingEndSize = endSize;
            *line = Field{m_line.constData(), m_line.size()};
            return Read::TooLong;
        }
        m_line.append(end);
        m_lastReadSize += endSize;
        *line = Field{m_line.constData(), m_line.size()};
        return Read::Line;
    }
    if (m_readError)
        return Read::Error;
    if (m_lastReadSize == 0)
        return Read::End;
    *line = Field{m_line.constData(), m_line.size()};
    return Read::Line;
}

LineReaderKit::Read LineReaderKit::skipRestOfLine(qint64 *bytes)
{
    Field chunk;
    for (;;) {
        const Read r = readLine(&chunk);
        if (r == Read::End || r == Read::Error)
            return r;
        *bytes += m_lastReadSize;
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

void LineReaderKit::reportLine(const char *source, qint64 lineNumber, int icon, LineNumberStyle style)
{
    const auto message = [&] {
        return style == LineNumberStyle::Parenthesised ? numbered(text(source), lineNumber)
                                                       : text(source) + QString::number(lineNumber);
    };
    if (m_lineMessages.admit(source, icon))
        emit consoleMessage(message(), icon);
}

void LineReaderKit::skipLine(const char *source, qint64 lineNumber, int icon, LineNumberStyle style)
{
    ++m_skippedLines;
    reportLine(source, lineNumber, icon, style);
}

void LineReaderKit::resetLineMessages()
{
    m_lineMessages.reset();
}

void LineReaderKit::sendSuppressedCounts()
{
    for (const MessageCap::Kind &c : m_lineMessages.takeOverflow()) {
        QString kind = text(c.source).trimmed();
        if (kind.endsWith(QLatin1Char(':')))
            kind.chop(1);
        emit consoleMessage(text("%1 (%2 more lines like this not listed)")
                                .arg(kind, QString::number(c.suppressed())),
                            c.icon);
    }
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

    resetLineMessages();
    m_skippedLines = 0;
    // The counts of held-back messages end the read, whichever way it ends.
    struct CountsAtEnd
    {
        LineReaderKit &kit;
        ~CountsAtEnd() { kit.sendSuppressedCounts(); }
    } countsAtEnd{*this};

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
            sendSuppressedCounts();
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
            bytesRead += m_lastReadSize;
            if (skipRestOfLine(&bytesRead) == Read::Error) {
                TRACE() << m_file.fileName() << ", " << m_file.errorString();
                emit consoleMessage(m_file.errorString(), 3);
                return false;
            }
        } else {
            bytesRead += m_lastReadSize;
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
        if (line.size < 3 && !m_shortLinesToHandler) {
            TRACE() << emptyLineTrace;
            reportLine("Empty line in file", lineNumber, 2);
            continue;
        }
        if (!handleLine(line, lineNumber))
            return false;
    }

    m_writer.finish();
    sendSuppressedCounts();
    if (!transaction.commit()) {
        reportDatabaseError(transaction.errorText(), QStringLiteral("COMMIT"));
        return false;
    }
    if (m_skippedLines > 0)
        emit consoleMessage(text("Lines of the file that cannot be read, skipped: %1").arg(m_skippedLines), 2);
    emit consoleMessage(text("Parse table data in: ") + QString::number(m_timer.elapsed()) + QStringLiteral(" ms"), 0);
    if (count)
        *count = int(lineNumber);
    return true;
}

} // namespace readers
