#pragma once
// CSV archives of the ZelA analysers (also used for Ravel): no header, three
// fields per line: an unused field, "yyyy-MM-dd HH:mm", and the value
// followed by a blank and its unit. Every value belongs to the parameter "P".
#include "readers/LineReaderKit.h"

#include <QAtomicInteger>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

class ProgressDialog;

class ZelACsvParser : public QObject
{
    Q_OBJECT
public:
    ZelACsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~ZelACsvParser() override;

    bool openFile(QString path);
    // Checks the shape of the first line; the file stays at its start.
    bool checkHeader();
    bool parseFile(QSqlDatabase db, int *count);
    // Lines the last parse left out as unreadable (the kit counts them).
    qint64 skippedLines() const { return m_kit.skippedLines(); }

    static QString unitForParameter(QString name);

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);

private:
    bool handleLine(const readers::Field &line, qint64 lineNumber);

    readers::LineReaderKit m_kit;
    const readers::TimeStampFormat m_format;
    char m_separator = ',';
    int m_fieldCount = 0;
    readers::FieldList m_fields;
};
