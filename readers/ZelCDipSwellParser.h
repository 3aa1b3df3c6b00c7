#pragma once
// The dip and swell log of the ZelC family analysers; its times carry a count
// of milliseconds after a point: tab-separated date, time and event
// name per line, into Events with the caller's event-type code.
#include "readers/LineReaderKit.h"
#include "readers/TabEventLogReader.h"

#include <QAtomicInteger>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

class ProgressDialog;

class ZelCDipSwellParser : public QObject
{
    Q_OBJECT
public:
    ZelCDipSwellParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~ZelCDipSwellParser() override;

    bool openFile(QString path);
    bool parseFile(QSqlDatabase db, int *count, int eventType);
    // Lines the last parse left out as unreadable (the kit counts them).
    qint64 skippedLines() const { return m_kit.skippedLines(); }

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);

private:
    readers::LineReaderKit m_kit;
    readers::TabEventLogReader m_reader;
};
