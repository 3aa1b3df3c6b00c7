#pragma once
// Archives of the WexA transducer: the header separator is searched (comma,
// semicolon, TAB); four header fields, or five and more with "R8000" fifth;
// unit table A.
#include "readers/LineReaderKit.h"
#include "readers/WexArchiveReader.h"

#include <QAtomicInteger>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

class ProgressDialog;

class WexACsvParser : public QObject
{
    Q_OBJECT
public:
    WexACsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~WexACsvParser() override;

    bool openFile(QString path);
    // Checks the header line; on success the file is back at its start.
    bool checkHeader();
    bool parseFile(QSqlDatabase db, int *count);
    // Lines the last parse left out as unreadable (the kit counts them).
    qint64 skippedLines() const { return m_kit.skippedLines(); }

    static QString unitForParameter(QString name);

    char separator() const { return m_reader.separator(); }

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);

private:
    readers::LineReaderKit m_kit;
    readers::WexArchiveReader m_reader;
};
