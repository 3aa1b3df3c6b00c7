#include "readers/moxbcsvparser.h"

#include "common/ProgressDialog.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "database/DatabaseStructure.h"
#include "database/RecorderColumns.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTextCodec>
#include <QTextDecoder>

namespace {

const QString kBlank = QStringLiteral(" ");

// Fields of one line after the trailing empty ones are dropped.
QVector<QStringRef> splitTrimmed(const QStringRef &line)
{
    QVector<QStringRef> fields = line.trimmed().split(QLatin1Char(','));
    while (!fields.isEmpty() && fields.last().trimmed().isEmpty())
        fields.removeLast();
    return fields;
}

} // namespace

moxbcsvparser::moxbcsvparser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_progress(progress)
    , m_cancelFlag(cancelFlag)
{
}

moxbcsvparser::~moxbcsvparser()
{
    if (m_file.isOpen())
        m_file.close();
}

bool moxbcsvparser::openFile(QString path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        emit consoleMessage(QStringLiteral("Unable to open file."), 3);
        return false;
    }
    return true;
}

QStringList moxbcsvparser::columnList(const QString &header, int *recordIndex)
{
    QStringList titles = header.trimmed().split(QLatin1Char(','));
    while (!titles.isEmpty() && titles.last().trimmed().isEmpty())
        titles.removeLast();
    const int record = titles.indexOf(QStringLiteral("record"));
    for (int i = 0; i < titles.size(); ++i) {
        if (titles.at(i).isEmpty())
            titles[i] = QStringLiteral("Column_%1").arg(i + 1);
    }
    if (record >= 0)
        titles.removeAt(record);
    if (recordIndex)
        *recordIndex = record;
    return titles;
}

QString moxbcsvparser::columnConflict(const QStringList &columns)
{
    // SQLite compares column names without ASCII letter case.
    const auto key = &recorderColumns::foldCase;
    QHash<QString, QString> seen;
    seen.reserve(columns.size());
    for (const QString &name : columns) {
        const QString k = key(name);
        if (k == QLatin1String("id"))
            return tr("The header holds a column %1, the name of the table's key column.").arg(name);
        const auto it = seen.constFind(k);
        if (it != seen.constEnd() && it.value() == name)
            return tr("The header names the column %1 twice.").arg(name);
        if (it != seen.constEnd())
            return tr("The column %1 repeats the column %2 of the header: column names that differ only in "
                      "letter case are one column.")
                .arg(name, it.value());
        seen.insert(k, name);
    }
    return QString();
}

bool moxbcsvparser::parseFile(QSqlDatabase db, int *count, int code)
{
    Q_UNUSED(code)
    QElapsedTimer timer;
    timer.start();

    // Rolled back on every early return: nothing of a cancelled or failed
    // read stays behind, whoever closes the database afterwards.
    TransactionGuard transaction(db);
    if (!transaction.isActive()) {
        emit consoleMessage(QStringLiteral("Failed to start database transaction."), 3);
        return false;
    }

    // Read and decoded piece by piece: a large file takes a second before its
    // first line, and a cancel is to be seen within moments meanwhile.
    const qint64 firstByte = m_file.pos();
    QString text;
    // What lies beyond the first NUL is not read; only NULs there lose nothing.
    m_skippedLines = 0;
    int stoppedAt = 0;
    {
        constexpr qint64 kPiece = 4 * 1024 * 1024;
        QTextDecoder decoder(QTextCodec::codecForName("UTF-8"));
        bool afterNul = false;
        bool beyondNuls = false;
        bool pieceHolds = false; // the current line of the tail holds text
        for (;;) {
            if (m_cancelFlag && m_cancelFlag->loadAcquire() != 0) {
                emit consoleMessage(QStringLiteral("Import canceled by user."), 2);
                return false;
            }
            const QByteArray piece = m_file.read(kPiece);
            if (piece.isEmpty())
                break;
            int tailFrom = 0;
            if (!afterNul) {
                // The text ends at a NUL; the whole file counts for the progress.
                const int nul = piece.indexOf('\0');
                text += decoder.toUnicode(piece.constData(), nul < 0 ? piece.size() : nul);
                if (nul < 0)
                    continue;
                afterNul = true;
                tailFrom = nul;
            }
            for (int i = tailFrom; i < piece.size(); ++i) {
                const char c = piece.at(i);
                if (c == '\0')
                    continue;
                beyondNuls = true;
                if (c == '\n') {
                    m_skippedLines += pieceHolds ? 1 : 0;
                    pieceHolds = false;
                } else if (c != '\r') {
                    pieceHolds = true;
                }
            }
        }
        if (beyondNuls) {
            m_skippedLines = qMax<qint64>(m_skippedLines + (pieceHolds ? 1 : 0), 1);
            stoppedAt = text.count(QLatin1Char('\n')) + 1;
        }
    }
    const double totalBytes = double(m_file.size() - firstByte);

    if (m_progress)
        ProgressDialog::postMaximum(QPointer<ProgressDialog>(m_progress), 100);
    emit progressValueChanged(0);
    int lastPercent = 0;

    QStringList columns;
    int recordIndex = -1;
    int rowCounter = 0;
    qint64 characters = 0;
    QVector<Row> batch;
    batch.reserve(BatchSize);
    bool header = true;
    WideRowWriter writer;

    int start = 0;
    const int length = text.size();
    while (start <= length) {
        int end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = length;
        const QStringRef line(&text, start, end - start);
        start = end + 1;

        if (m_cancelFlag && m_cancelFlag->loadAcquire() != 0) {
            emit consoleMessage(QStringLiteral("Import canceled by user."), 2);
            return false;
        }
        // The line end counts too, so a whole file reads as 100 percent.
        characters += line.size() + (end < length ? 1 : 0);

        if (header) {
            header = false;
            columns = columnList(line.toString(), &recordIndex);
            const QString conflict = columnConflict(columns);
            if (!conflict.isEmpty()) {
                emit consoleMessage(conflict, 3);
                emit dialogMessage(conflict, QString(), 3);
                return false;
            }
            DatabaseStructure structure;
            structure.ensureDataMoxBTable(db, columns);
            continue;
        }

        ++rowCounter;
        QVector<QStringRef> fields = splitTrimmed(line);
        if (fields.isEmpty())
            continue;
        if (recordIndex >= 0 && recordIndex < fields.size()) {
            fields.removeAt(recordIndex);
            if (fields.isEmpty())
                continue;
        }
        if (fields.size() == 1 && fields.first().trimmed().isEmpty())
            continue;
        // Without columns there is nothing a row could hold.
        if (columns.isEmpty())
            continue;

        // A missing cell reads as one blank: stored cells are never empty.
        Row row(columns.size(), QStringRef(&kBlank));
        const int n = qMin(fields.size(), columns.size());
        for (int i = 0; i < n; ++i) {
            if (!fields.at(i).isEmpty())
                row[i] = fields.at(i);
        }
        batch.append(row);

        if (batch.size() >= BatchSize) {
            if (!insertBatch(writer, db, columns, batch))
                return false;
            batch.clear();
        }
        // Only a changed value is sent: one queued call per row would flood
        // the window's event queue on a large file.
        const int percent = totalBytes > 0 ? int(double(characters) / totalBytes * 100.0) : 0;
        if (percent != lastPercent) {
            lastPercent = percent;
            emit progressValueChanged(percent);
        }
    }
    if (!batch.isEmpty() && !insertBatch(writer, db, columns, batch))
        return false;

    if (!transaction.commit()) {
        emit consoleMessage(QStringLiteral("Database commit failed."), 3);
        return false;
    }
    emit consoleMessage(QStringLiteral("Parsed %1 rows in %2 ms").arg(rowCounter).arg(timer.elapsed()), 1);
    if (stoppedAt > 0)
        emit consoleMessage(tr("Reading stopped at a NUL byte in line %1; the rest of the file was not read.")
                                .arg(stoppedAt),
                            2);
    *count = rowCounter;
    return true;
}

bool moxbcsvparser::insertBatch(WideRowWriter &writer, QSqlDatabase db, const QStringList &columns,
                                const QVector<Row> &rows)
{
    if (rows.isEmpty())
        return true;
    if (writer.columnCount() == 0 && !writer.prepare(db, QStringLiteral("DataMoxB"), columns)) {
        TRACE() << "Query preparation failed: " << writer.errorText();
        return false;
    }
    for (const Row &row : rows) {
        if (row.size() != columns.size()) {
            TRACE() << "Skipping row due to incorrect size: " << row.size();
            continue;
        }
        for (int i = 0; i < row.size(); ++i)
            writer.bindText(i, row.at(i).unicode(), row.at(i).size());
        if (!writer.insertRow()) {
            TRACE() << "Batch insert failed: " << writer.errorText();
            return false;
        }
    }
    return true;
}
