#pragma once
// The application database file a session opened. Its connections never
// create the file (a deleted one stays deleted) and take no write once the
// path names another file or none: the open connection would still write
// into the deleted file, where nothing is ever read again, and a new one into
// another database. Every writer asks writeRefusal() before it writes, so the
// user is told why; a commit that comes through anyway is refused.
#include <QString>

namespace appdb {

// Registers the session's connection name for the file at path.
void registerSession(const QString &name, const QString &path);

// Empty while the registered application database may be written (also when
// none is registered under name); otherwise the message for the user.
QString writeRefusal(const QString &name = QStringLiteral("Data_con"));

} // namespace appdb
