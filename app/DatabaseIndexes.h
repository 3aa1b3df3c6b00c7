#pragma once
// The open task's step for an application database that lacks the schema's
// indexes: they are built here, under the open's progress window, before the
// session starts, so that no look-up of the session builds them on the
// window's thread. A cancel ends the open and leaves the file as it was.
#include <QString>

class Framework;
class ProgressDialog;

enum class DatabaseIndexes {
    Ready,     // built now, there already, or not buildable (the console says why)
    Cancelled, // the console says so; the file is as it was
};

// On the open task's thread, with the session's connection open.
DatabaseIndexes prepareDatabaseIndexes(Framework &framework, ProgressDialog *progress, const QString &path);
