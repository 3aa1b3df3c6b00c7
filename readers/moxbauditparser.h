#pragma once
// The MoxB recorder's audit and alarm logs: a header line, then per line a
// date, a time and the event text separated by commas, stored as texts in
// the date, time and event columns of Events.
#include "readers/LineReaderKit.h"

#include <QAtomicInteger>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

class ProgressDialog;

class moxbauditparser : public QObject
{
    Q_OBJECT
public:
    moxbauditparser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~moxbauditparser() override;

    bool openFile(QString path);
    // code (audit or alarm log) is accepted and not stored.
    bool parseFile(QSqlDatabase db, int *count, int code);
    // Lines the last parse left out as unreadable (the kit counts them).
    qint64 skippedLines() const { return m_kit.skippedLines(); }

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);

private:
    bool handleLine(const readers::Field &line, qint64 lineNumber);

    readers::LineReaderKit m_kit;
    QSqlDatabase m_db;
    QSqlQuery m_insert;
    bool m_prepared = false;
    readers::FieldList m_raw;
    readers::FieldList m_fields;
};
