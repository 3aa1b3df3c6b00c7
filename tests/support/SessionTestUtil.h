#pragma once
// Helpers of the tests that drive whole sessions through the Framework.
#include "database/DeviceTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Lets queued calls and deferred deletions of a finished task run, and
// what waits for the window to be idle.
void settle();

// Waits for the global pool's tasks and ends all its threads, as the pool
// does after a session sat idle: what a worker opened must outlive it.
void endPoolThreads();

// Writes bytes to a file of that name in the temporary folder; the path, or
// an empty text when it cannot be written.
QString writeTemp(const QString &name, const QByteArray &bytes);

// The messages the main window's console shows, oldest first, without their
// time stamps: what readers send to the window, as the user reads it.
QStringList windowConsoleLines();

// A new application database at path (a file there is replaced), opened as
// the session with one instrument of the type named name; the instrument's
// id, or -1 when any step failed.
int openNewDatabase(const QString &path, avaibleDevices_t type, const QString &name,
                    const QString &folder = QString(), const QStringList &configFiles = {});

// The text of a PDF file as poppler's pdftotext reads it.
QString pdfText(const QString &path);
