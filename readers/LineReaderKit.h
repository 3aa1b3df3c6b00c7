#pragma once
// What every line reader shares: the input file read in lines of bounded
// length, the read loop with progress, empty-line handling, cancel and one
// transaction, the messages, and the Parameters/Data writer. A reader owns
// one kit and forwards the kit's signals as its own:
//
//   ZelBCsvParser::ZelBCsvParser(...) : m_kit("ZelBCsvParser", progress, cancel, 2000, this)
//   { m_kit.forwardSignalsTo(this); }
//
//   parseFile: m_kit.startParse(); read its own header lines with readLine();
//   return m_kit.runReadLoop(db, count, firstLineNumber, "... omit line !!!",
//                            [this](const Field &line, qint64 n) { return handleLine(line, n); });
//
// The handler splits the line, writes through writer() and, on a fault,
// reports it (reportInvalidLine, reportDatabaseError, report) and returns false.
#include "readers/MeasurementWriter.h"
#include "readers/MessageCap.h"
#include "readers/ReaderText.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QVector>

#include <functional>

class ProgressDialog;

namespace readers {

class LineReaderKit : public QObject
{
    Q_OBJECT
public:
    // context: the reader's class name, the translation context of its texts.
    // maxLineLength: L; one line, terminator included, must be shorter.
    LineReaderKit(const char *context, ProgressDialog *progress, QAtomicInteger<char> *cancelFlag,
                  int maxLineLength, QObject *parent);
    ~LineReaderKit() override;

    // A text of the reader, translated in the reader's context.
    QString text(const char *source) const;

    // Opens the file read-only in binary mode; reports "Unable to open file".
    bool openFile(const QString &path);
    QFile &file() { return m_file; }
    bool rewind();

    enum class Read {
        Line,    // a line, its terminator (if any) included
        TooLong, // no terminator within the limit and more bytes follow
        End,     // nothing left
        Error,   // the file could not be read
    };
    // The line stays valid until the next read. LF, CR LF, a lone CR and a
    // run of CRs before an LF each end a line; every end but a lone LF comes
    // back as CR LF, so the readers see the line ends they were written for.
    Read readLine(Field *line);
    // The bytes of the file that the last read consumed.
    qint64 lastReadSize() const { return m_lastReadSize; }

    // A reader's own message: to the console, and in a message box (empty
    // title, same level) when withDialog.
    void report(const QString &msg, int icon, bool withDialog = false);
    // "File has invalid format!" to the console and in a message box; returns
    // false, for the reader's own "return m_kit.failInvalidFormat();".
    bool failInvalidFormat();
    // "Invalid line in file (N)" to the console and in a message box.
    void reportInvalidLine(qint64 lineNumber, const Field &line);
    // The database's error text to the console.
    void reportDatabaseError(const QString &errorText, const QString &statement);
    // A console line about one line of the file: source (translated in the
    // reader's context), " (", N, ")". A damaged file can hold millions of
    // such lines, so within one read loop only the first 100 of each source
    // text are sent; the loop ends with one line counting the rest.
    enum class LineNumberStyle {
        Parenthesised, // "text (N)"
        Appended,      // "text" directly followed by N
    };
    void reportLine(const char *source, qint64 lineNumber, int icon,
                    LineNumberStyle style = LineNumberStyle::Parenthesised);
    // A line that held something the reader could not read, passed over
    // while the read goes on: reported as reportLine does, and counted. A
    // read that ends with such lines tells their count (a text of the
    // reader's, "Lines of the file that cannot be read, skipped: %1").
    void skipLine(const char *source, qint64 lineNumber, int icon = 2,
                  LineNumberStyle style = LineNumberStyle::Parenthesised);
    // Lines skipped by the last read loop; what a file's import tells.
    qint64 skippedLines() const { return m_skippedLines; }

    MeasurementWriter &writer() { return m_writer; }

    // Starts the elapsed-time clock of a parse; call before the reader's own
    // preparation.
    void startParse();

    // Handles one non-empty line; false when it has reported a failure.
    using LineHandler = std::function<bool(const Field &line, qint64 lineNumber)>;

    // A line longer than the limit is an invalid line that ends the read. A
    // reader that skips faulty lines sets a handler instead: the rest of the
    // physical line is passed over and the handler reports the skip.
    using LongLineHandler = std::function<void(qint64 lineNumber)>;
    void setLongLineHandler(LongLineHandler handler) { m_longLineHandler = std::move(handler); }

    // Lines shorter than 3 bytes go to the handler like any other, for
    // readers that have no "Empty line in file" rule of their own.
    void setShortLinesToHandler(bool on) { m_shortLinesToHandler = on; }

    // The common read loop from the current file position to the end: progress
    // to 100, one transaction on db, empty lines reported and skipped, the
    // cancel flag tested before each line, a checked commit. The first line
    // read gets firstLineNumber + 1. On success count is the last line number.
    // On failure or cancel nothing stays written and count is untouched.
    bool runReadLoop(QSqlDatabase db, int *count, qint64 firstLineNumber, const char *emptyLineTrace,
                     const LineHandler &handleLine);

    // Connects the kit's signals to the reader's signals of the same names.
    template <class Reader>
    void forwardSignalsTo(Reader *reader)
    {
        connect(this, &LineReaderKit::dialogMessage, reader, &Reader::dialogMessage);
        connect(this, &LineReaderKit::consoleMessage, reader, &Reader::consoleMessage);
        connect(this, &LineReaderKit::progressValueChanged, reader, &Reader::progressValueChanged);
    }

signals:
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString msg, int icon);
    void progressValueChanged(int value);

public:
    // Lines of one kind sent before the rest are only counted.
    static constexpr int LineMessageLimit = MessageCap::Limit;

private:
    void setProgressMaximum();
    bool cancelRequested() const;
    // Reads on to the end of the current physical line; adds the bytes passed.
    Read skipRestOfLine(qint64 *bytes);
    void resetInput();
    // Makes at least one unread byte available; false at the end or on error.
    bool fillChunk();
    // Consumes the line end starting at the current byte (CR or LF).
    void takeLineEnd(QByteArray *normalized, qint64 *rawSize);
    void resetLineMessages();
    void sendSuppressedCounts();

    const char *m_context;
    QFile m_file;
    // Taken when the reader is made, while the worker's dialog surely exists.
    QPointer<ProgressDialog> m_progress;
    QAtomicInteger<char> *m_cancelFlag;
    int m_maxLineLength;
    // Input read in chunks; the line assembled from them.
    QByteArray m_chunk;
    int m_chunkPos = 0;
    int m_chunkLen = 0;
    bool m_atEnd = false;
    bool m_readError = false;
    QByteArray m_line;
    qint64 m_lastReadSize = 0;
    // A line end held back after a too-long chunk, returned as its own line.
    QByteArray m_pendingEnd;
    qint64 m_pendingEndSize = 0;
    // CRs of a run that no LF closed: each ends an empty line.
    qint64 m_pendingLoneCrs = 0;
    MessageCap m_lineMessages;
    qint64 m_skippedLines = 0;
    QElapsedTimer m_timer;
    MeasurementWriter m_writer;
    LongLineHandler m_longLineHandler;
    bool m_shortLinesToHandler = false;
};

} // namespace readers
