#pragma once
#include <QStringList>
// Helpers of the tests that drive whole sessions through the Framework.
#include "support/SessionTestUtil.h"
#include <QByteArray>
#include <QString>

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
