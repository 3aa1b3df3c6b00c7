#pragma once
// The MoxB recorder's data CSV: a header of column titles, then one record
// per line. Every title becomes a text column of DataMoxB and every record a
// row whose cells keep the file's texts unchanged.
#include <QAtomicInteger>
#include <QFile>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

#include "readers/WideRowWriter.h"

class ProgressDialog;

class moxbcsvparser : public QObject
{
    Q_OBJECT
public:
    // Rows written by one prepared statement inside the file's transaction.
    static constexpr int BatchSize = 500;

    moxbcsvparser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~moxbcsvparser() override;

    bool openFile(QString path);
    // code is accepted and not used. On success count holds the lines after
    // the header, stored or skipped (a final line end counts one).
    bool parseFile(QSqlDatabase db, int *count, int code);
    // Reading stops at the first NUL byte. Lines after it that the last
    // parse left unread, when more than NUL bytes follow (a tail of NULs is
    // a logger's unused space); 0 for a file read to its end.
    qint64 skippedLines() const { return m_skippedLines; }

    // The header's titles as DataMoxB columns: trailing empty titles dropped,
    // an empty title between others named "Column_<position>", the "record"
    // title left out (its position, or -1, goes to recordIndex).
    static QStringList columnList(const QString &header, int *recordIndex);
    // Why the columns cannot make a table (a name SQLite takes for another of
    // them or for the key "id"); empty when they can.
    static QString columnConflict(const QStringList &columns);

    // One row: the cells in column order, pointing into the file's text.
    using Row = QVector<QStringRef>;

signals:
    void progressValueChanged(int value);
    // As the workers wire it: the text first, then the title. Only a header
    // that cannot make a table is refused in a message box.
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString message, int type);

private:
    // Writes one batch through the writer, preparing it on first use.
    bool insertBatch(WideRowWriter &writer, QSqlDatabase db, const QStringList &columns, const QVector<Row> &rows);

    QFile m_file;
    qint64 m_skippedLines = 0;
    ProgressDialog *m_progress;
    QAtomicInteger<char> *m_cancelFlag;
};
