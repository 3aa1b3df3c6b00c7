#include "database/ApplicationDatabaseFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutex>
#include <QSet>

namespace appdb {

namespace {

struct Gone
{
    QMutex mutex;
    GoneHandler handler;
    QSet<quint64> passedOn; // registrations whose loss the handler heard of
    QSet<quint64> told;     // registrations whose loss the user read of
};

Gone &gone()
{
    static Gone *g = new Gone; // threads may still read while statics go
    return *g;
}

void passOn(const Connections::Binding &binding)
{
    GoneHandler handler;
    {
        Gone &g = gone();
        QMutexLocker lock(&g.mutex);
        if (g.passedOn.contains(binding.registration()))
            return;
        g.passedOn.insert(binding.registration());
        handler = g.handler;
    }
    if (handler)
        handler(binding.registration(), goneMessage(binding.path()));
}

} // namespace

void registerSession(const QString &name, const QString &path)
{
    Connections::Options options;
    options.mustExist = true;
    options.sameFile = true;
    Connections::registerFile(name, path, options);
}

QString goneMessage(const QString &path)
{
    return QCoreApplication::translate("ArchiveManager",
                                       "The database file %1 was deleted or replaced while it was open. Nothing was "
                                       "written to it; open the database again.")
        .arg(QDir::toNativeSeparators(path));
}

QString writeRefusal(const QString &name)
{
    if (!Connections::contains(name) || Connections::isSameFile(name))
        return QString();
    // Every writer shows it: a read that finds the same file gone later
    // ends the session without saying it again.
    {
        Gone &g = gone();
        QMutexLocker lock(&g.mutex);
        g.told.insert(Connections::registration(name));
    }
    return goneMessage(Connections::filePath(name));
}

QSqlDatabase readConnection(const Connections::Binding &binding, bool *goneOut)
{
    if (goneOut)
        *goneOut = false;
    QSqlDatabase db = binding.database();
    // What the connection did decides: it is open on its file, or it did
    // not open for a reason of its own. Only then is the file looked at.
    if (db.isOpen() ? !Connections::hasMoved(db) : !db.isValid())
        return db;
    if (!binding.fileChanged())
        return db;
    if (goneOut)
        *goneOut = true;
    passOn(binding);
    return QSqlDatabase();
}

QSqlDatabase readConnection(const QString &name, bool *goneOut)
{
    return readConnection(Connections::Binding::of(name), goneOut);
}

bool tellNow(quint64 registration)
{
    Gone &g = gone();
    QMutexLocker lock(&g.mutex);
    if (g.told.contains(registration))
        return false;
    g.told.insert(registration);
    return true;
}

void setGoneHandler(GoneHandler handler)
{
    Gone &g = gone();
    QMutexLocker lock(&g.mutex);
    g.handler = std::move(handler);
}

} // namespace appdb
