#pragma once
// The application database file a session opened. Its connections never
// create the file (a deleted one stays deleted) and take no write once the
// path names another file or none: the open connection would still write
// into the deleted file, where nothing is ever read again, and a new one into
// another database. Every writer asks writeRefusal() before it writes, so the
// user is told why; a commit that comes through anyway is refused.
// Reads go through readConnection(): a read that finds the file gone reads
// nothing, and the user is told once per opened file.
#include "common/Connections.h"

#include <QString>

#include <functional>

namespace appdb {

// Registers the session's connection name for the file at path.
void registerSession(const QString &name, const QString &path);

// Empty while the registered application database may be written (also when
// none is registered under name); otherwise the message for the user, which
// the caller shows.
QString writeRefusal(const QString &name = QStringLiteral("Data_con"));

// What the user is told about a database file that was deleted or replaced
// while it was open.
QString goneMessage(const QString &path);

// The calling thread's connection of a registration, for a read. For the
// application database it is handed out only while it is on the file that
// was opened: when that file was deleted or replaced (no connection opens on
// it, or the open one reads the file that went), the handle is invalid,
// *gone is set, and the handler hears of it (once per registration). Other
// registrations get their connection as it is.
QSqlDatabase readConnection(const Connections::Binding &binding, bool *gone = nullptr);
QSqlDatabase readConnection(const QString &name, bool *gone = nullptr);

// Told, from whichever thread found it, that a registration's file is gone:
// the registration and the message for the user. The application installs it.
using GoneHandler = std::function<void(quint64 registration, const QString &message)>;
void setGoneHandler(GoneHandler handler);

// True the first time for a registration whose file is gone: the user is to
// read the message now. A refused write (writeRefusal) has shown it already.
bool tellNow(quint64 registration);

} // namespace appdb
