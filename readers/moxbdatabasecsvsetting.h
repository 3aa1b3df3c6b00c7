#pragma once
// The MoxB recorder's settings CSV: titled sections, each a header line and
// rows, become one table per section of the database handed in; two pairs
// of one-field lines add the temperature channels' wire type.
#include "readers/LineReaderKit.h"

#include <QAtomicInteger>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class ProgressDialog;

class moxbdatabasecsvsetting : public QObject
{
    Q_OBJECT
public:
    moxbdatabasecsvsetting(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~moxbdatabasecsvsetting() override;

    bool openFile(QString path);
    // count: rows inserted so far. code is accepted and not used. One
    // transaction: on failure or cancel nothing of the file stays.
    bool parseFile(QSqlDatabase db, int *count, int code);

    // Section titles that would replace a table of the application schema.
    static bool isReservedTitle(const QString &title);
    // The database handed to parseFile is a scratch database of the caller's
    // own: titles named like application tables are ordinary sections there.
    void setApplicationTitlesAllowed(bool allowed) { m_applicationTitlesAllowed = allowed; }

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);

private:
    bool fail(const QString &trace, const QString &message);

    readers::LineReaderKit m_kit;
    QAtomicInteger<char> *m_cancelFlag;
    bool m_applicationTitlesAllowed = false;
};
