#pragma once
// Archives of the Quil temperature and humidity recorders (QuilA, QuilBIoT,
// QuilC): a "#key:value;..." line, a column line, an empty line, then per line
// an index, a date, a time and one value per channel.
#include "readers/LineReaderKit.h"

#include <QAtomicInteger>
#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

class ProgressDialog;

class QuilACsvParser : public QObject
{
    Q_OBJECT
public:
    QuilACsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~QuilACsvParser() override;

    bool openFile(QString path);
    // Checks the header line and the column line and picks the separator; on
    // success the file is back at its start.
    bool checkHeader();
    bool parseFile(QSqlDatabase db, int *count);
    // Lines the last parse left out as unreadable (the kit counts them).
    qint64 skippedLines() const { return m_kit.skippedLines(); }

    static QString unitForParameter(QString name);

    char separator() const { return m_separator; }
    // The header line's pairs, as checkHeader read them.
    QMap<QString, QString> headerValues() const { return m_header; }

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);

private:
    bool handleLine(const readers::Field &line, qint64 lineNumber);
    // Splits at the separator and drops every empty item and every item that
    // is only a line end.
    void splitItems(const readers::Field &line, bool trace);
    void skipLine(const char *text, qint64 lineNumber);

    readers::LineReaderKit m_kit;
    const readers::TimeStampFormat m_format;
    char m_separator = '\t';
    QMap<QString, QString> m_header;
    int m_columnCount = 0;
    QVector<QByteArray> m_names;
    readers::FieldList m_raw;
    readers::FieldList m_items;
};
