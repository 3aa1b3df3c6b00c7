#pragma once
// Archives of the WexC transducer: TAB-separated, at least three header
// fields; unit table B.
#include "readers/LineReaderKit.h"
#include "readers/WexArchiveReader.h"

#include <QAtomicInteger>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

class ProgressDialog;

class WexCCsvParser : public QObject
{
    Q_OBJECT
public:
    WexCCsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~WexCCsvParser() override;

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
