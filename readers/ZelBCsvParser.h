#pragma once
// CSV archives of the ZelB analyser and the Ostra and Vanta meters: a header
// line, then per line one time stamp and up to 16 groups of register, name
// and value.
#include "readers/LineReaderKit.h"

#include <QAtomicInteger>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

class ProgressDialog;

class ZelBCsvParser : public QObject
{
    Q_OBJECT
public:
    ZelBCsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~ZelBCsvParser() override;

    bool openFile(QString path);
    // Picks the separator and checks the first seven column names; on success
    // the file is back at its start.
    bool checkHeader();
    bool parseFile(QSqlDatabase db, int *count);
    // Lines the last parse left out as unreadable (the kit counts them).
    qint64 skippedLines() const { return m_kit.skippedLines(); }

    static QString unitForParameter(QString name);

    char separator() const { return m_separator; }

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);

private:
    bool handleLine(const readers::Field &line, qint64 lineNumber);

    readers::LineReaderKit m_kit;
    const readers::TimeStampFormat m_format;
    char m_separator = ',';
    int m_columnCount = 0;
    int m_groupCount = 0;
    readers::FieldList m_fields;
};
