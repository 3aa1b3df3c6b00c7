#pragma once
#include "export/CsvExportSettings.h"
#include "tables/MyAbstractTableModel.h"

#include <QByteArray>
#include <QDate>
#include <QTime>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>

class ProgressDialog;
class QWidget;

// Writes the rows of a table model to one or more CSV files: a header line,
// then one line per row, CR LF between lines and none after the last line of
// a file; past the record limit the rows go on in numbered files
// (export.csv, export_1.csv, ...), each with the header. Sessions of the two
// recorder families (wide tables: an ID, the date and time, then one column
// per quantity) get layouts of their own (CsvConverterRecorder.cpp); the
// file handling is the same for all. Runs on the GUI thread; reports through
// its two message signals.
class CsvConverter : public QObject
{
    Q_OBJECT
public:
    CsvConverter(QString fileName, CsvExportSettings settings, MyAbstractTableModel *model,
                 QObject *parent = nullptr);
    ~CsvConverter() override;

    // Opens the first file, or closes the current one and opens the next
    // numbered one, and writes its header.
    bool openNextFile();
    // Table rows written by convert.
    qint64 recordsWritten() const { return m_records; }
    // Names of the files opened, in order.
    QStringList writtenFiles() const { return m_files; }

    // Text of one number under the given places and decimal mark, as the
    // toolkit writes it: 0 places (automatic) is its 'g' with precision 15,
    // 1 to 5 its 'f' with that many places.
    static QByteArray formatNumber(double value, int decimalPlaces, char decimalPoint);
    // The field as it stands, or in double quotes (inner quotes doubled) when
    // it holds the separator, a double quote or a line break.
    static QByteArray quoteField(const QByteArray &field, char separator);

    // The recorder tables' layouts, told apart by their column names.
    enum class RecorderLayout {
        Format1, // ID, date, time, values...
        Format2, // ID, record, date, time, values...
        Format3, // ID, record, date-time, values...
        Plain    // ID, then the table's own columns as they are (the logs)
    };
    static RecorderLayout detectRecorderLayout(const QStringList &names);

public slots:
    virtual bool convert();
    virtual bool writeHeader();

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);

protected:
    QString fileName;
    int filesOpened = 0;
    QFile outputFile;
    CsvExportSettings settings;
    MyAbstractTableModel *model;
    QString modelDateTimeFormat;

    bool csvConverterMoxB();
    bool csvConverterMoxA();
    bool headerLineMoxB();
    bool headerLineMoxA();

private:
    enum class Recorder { None, MoxB, MoxA };
    // The session's recorder family, from its device type.
    static Recorder sessionRecorder();

    // One pass over the model's rows, shared by every layout: loading,
    // progress, the files and their limit, line ends and the messages.
    struct RowPass
    {
        bool setGrouping = false; // set the model to the chosen grouping first
        QString startText;
        QString endText; // %1 records, %2 milliseconds
        std::function<void()> prepare; // after the rows are loaded, before the first file
        std::function<void(const MyAbstractTableModel::ExportSection &, int, QByteArray &)> appendRow;
    };
    bool writeRows(const RowPass &pass);
    // Tells the user that the rows could not be read.
    void reportReadFailure();

    bool convertGeneric();
    bool convertRecorder(Recorder family);
    bool headerLineRecorder(Recorder family);
    void buildRecorderPlan(Recorder family);
    void appendRecorderRow(const MyAbstractTableModel::ExportSection &section, int r, QByteArray &out);
    void appendRecorderValue(const QVariant &value, QByteArray &out) const;
    // The texts of a recorder row's date, time and date-time cells in the
    // chosen patterns; a text that does not read in the recorder's own
    // pattern stays as it is.
    QByteArray recorderDate(const QString &raw);
    QByteArray recorderTime(const QString &raw);
    void recorderStamp(const QString &raw, QByteArray *date, QByteArray *time);

    void appendDate(const QDate &date, QByteArray &out);
    void appendTime(const QTime &time, QByteArray &out) const;
    // The stored time stamp text of column 0 as the chosen date and time
    // fields (one or two), appended to out.
    void appendDateTime(const QString &stamp, QByteArray &out);
    bool parseStamp(const QString &stamp, QDate *date, QTime *time) const;
    void appendCell(const MyAbstractTableModel::ExportSection &section, int r, int column, QByteArray &out);
    // Writes the pending bytes of the current file; false (with the messages)
    // on any failure.
    bool flushPending();
    bool finishFile();
    void reportWriteFailure();
    QWidget *progressParent() const;

    QByteArray m_pending;
    qint64 m_records = 0;
    QStringList m_files;
    QDate m_lastDate;
    QByteArray m_lastDateText;
    bool m_fastStamp = false;
    bool m_fastStampMs = false;
    bool m_fastTime = false;
    bool m_fastTimeMs = false;
    QString m_stampDatePattern;
    QString m_stampTimePattern;

    // The recorder layout of the model being written: one entry per field
    // group, used for the header and every row alike.
    struct RecorderField
    {
        enum Kind { Id, Value, Date, Time, DateAndTime, Stamp } kind;
        int column;
        int timeColumn; // DateAndTime: the time column, -1 when the table has none
    };
    struct RecorderPlan
    {
        bool built = false;
        Recorder family = Recorder::None;
        RecorderLayout layout = RecorderLayout::Format1;
        QVector<RecorderField> fields;
        QStringList names; // one per model column
    };
    RecorderPlan m_recorder;
    QString m_lastRawDate;
    QByteArray m_lastRecorderDate;
};
