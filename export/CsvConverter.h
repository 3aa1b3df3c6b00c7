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

class ProgressDialog;
class QWidget;

// Writes the rows of a table model to one or more CSV files: a header line,
// then one line per row, CR LF between lines and none after the last line of
// a file; past the record limit the rows go on in numbered files
// (export.csv, export_1.csv, ...), each with the header. Runs on the GUI
// thread; reports through its two message signals.
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

    // Text of one number under the given places (0 automatic) and decimal mark.
    static QByteArray formatNumber(double value, int decimalPlaces, char decimalPoint);
    // The field as it stands, or in double quotes (inner quotes doubled) when
    // it holds the separator, a double quote or a line break.
    static QByteArray quoteField(const QByteArray &field, char separator);

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

private:
    bool convertGeneric();
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
};
