#pragma once
// The MoxA recorder's CSV export: one line per block and time stamp with up
// to six (register, channel, value) groups. Lines of one time stamp merge into
// one row of DataMoxA; a change of the time step, or time going back, starts
// a new sampling segment so its readings land in columns of their own.
#include <QAtomicInteger>
#include <QFile>
#include <QMap>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

class ProgressDialog;
class WideRowWriter;

class MoxAparser : public QObject
{
    Q_OBJECT
public:
    // Rows written by one prepared statement inside the file's transaction.
    static constexpr int BatchSize = 500;
    // Value groups a line can carry.
    static constexpr int GroupCount = 6;

    MoxAparser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~MoxAparser() override;

    bool openFile(QString path);
    // code is accepted and not used. On success count holds the time points
    // written; on failure it is left alone.
    bool parseFile(QSqlDatabase db, int *count, int code);

    // "block<block>_value<k>_<name>_<register>_t<segment>", fields as written.
    static QString columnName(const QString &block, int group, const QString &name, const QString &reg, int segment);

    // Data lines of the last parseFile that could not be read and were
    // skipped (a NUL byte, fewer than 4 fields, a date and time that does
    // not parse).
    qint64 skippedLines() const { return m_skippedLines; }

    // Two columns whose names differ only in letter case (SQLite takes them
    // for one): the refusal that names both, empty when there are none.
    static QString caseTwinRefusal(const QStringList &columns);

    using Row = QVector<QString>;
    // Writes rows whose cells follow header, through writer (prepared on
    // first use). A row of the wrong size is skipped.
    bool insertBatch(WideRowWriter &writer, QSqlDatabase db, const QStringList &header, const QVector<Row> &rows);

signals:
    void progressValueChanged(int value);
    // As the workers wire it: the text first, then the title. Only a file
    // that is no export of this kind is refused in a message box.
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString message, int type);

private:
    QFile m_file;
    ProgressDialog *m_progress;
    QAtomicInteger<char> *m_cancelFlag;
    qint64 m_skippedLines = 0;
};
