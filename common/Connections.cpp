#include "common/Connections.h"

#include "common/Trace.h"

#include <QHash>
#include <QSqlDriver>
#include <QMutex>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <sqlite3.h>

namespace {

struct Entry
{
    QString path;
    Connections::Options options;
    QSet<QString> threadConnections;
};

QMutex &registryMutex()
{
    static QMutex m;
    return m;
}

QHash<QString, Entry> &registry()
{
    static QHash<QString, Entry> r;
    return r;
}

QString threadConnectionName(const QString &name)
{
    return name + QLatin1Char('@') + QString::number(reinterpret_cast<quintptr>(QThread::currentThread()), 16);
}

void dropConnections(const QSet<QString> &names)
{
    for (const QString &conn : names) {
        // Only the owning thread may look its connection up and close it; another
        // thread's connection is dropped from the registry and closes with its
        // last handle.
        const QString own = threadConnectionName(conn.section(QLatin1Char('@'), 0, -2));
        if (conn == own && QSqlDatabase::contains(conn)) {
            QSqlDatabase db = QSqlDatabase::database(conn, false);
            if (db.isValid())
                db.close();
        }
        QSqlDatabase::removeDatabase(conn);
    }
}

// SQLite reads a double-quoted name that matches no column as a text literal, so
// a missing column would show its own name instead of failing. The program's
// statements get no such fallback; DDL keeps it so instruments' own schemas open.
void refuseQuotedLiterals(QSqlDatabase &db)
{
    if (sqlite3 *raw = Connections::handle(db))
        sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
}

bool configure(QSqlDatabase &db, const Connections::Options &options)
{
    refuseQuotedLiterals(db);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA foreign_keys = ON")))
        return false;
    if (!options.readOnly) {
        q.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        if (options.scratch)
            q.exec(QStringLiteral("PRAGMA synchronous = OFF"));
    }
    return true;
}

} // namespace

void Connections::registerFile(const QString &name, const QString &path, Options options)
{
    QSet<QString> old;
    {
        QMutexLocker lock(&registryMutex());
        auto it = registry().find(name);
        if (it != registry().end()) {
            old = it->threadConnections;
            registry().erase(it);
        }
        Entry e;
        e.path = path;
        e.options = options;
        registry().insert(name, e);
    }
    dropConnections(old);
}

bool Connections::contains(const QString &name)
{
    QMutexLocker lock(&registryMutex());
    return registry().contains(name);
}

QString Connections::filePath(const QString &name)
{
    QMutexLocker lock(&registryMutex());
    return registry().value(name).path;
}

QSqlDatabase Connections::database(const QString &name)
{
    const QString conn = threadConnectionName(name);
    Entry entry;
    {
        QMutexLocker lock(&registryMutex());
        auto it = registry().find(name);
        if (it == registry().end())
            return QSqlDatabase();
        entry = *it;
        it->threadConnections.insert(conn);
    }
    if (QSqlDatabase::contains(conn)) {
        QSqlDatabase db = QSqlDatabase::database(conn, false);
        // A finished thread's address can be reused by a new thread; its
        // leftover connection is not ours then.
        if (db.isValid() && db.databaseName() == entry.path) {
            if (!db.isOpen() && db.open())
                configure(db, entry.options);
            return db;
        }
        QSqlDatabase::removeDatabase(conn);
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
    db.setDatabaseName(entry.path);
    QString connectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000");
    if (entry.options.readOnly)
        connectOptions += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(connectOptions);
    if (!db.open()) {
        TRACE() << "Connections: cannot open" << entry.path << db.lastError().text();
        return db;
    }
    if (!configure(db, entry.options))
        TRACE() << "Connections: cannot configure" << entry.path << db.lastError().text();
    return db;
}

void Connections::remove(const QString &name)
{
    QSet<QString> old;
    {
        QMutexLocker lock(&registryMutex());
        auto it = registry().find(name);
        if (it == registry().end())
            return;
        old = it->threadConnections;
        registry().erase(it);
    }
    dropConnections(old);
}

void Connections::closeForThisThread(const QString &name)
{
    const QString conn = threadConnectionName(name);
    {
        QMutexLocker lock(&registryMutex());
        auto it = registry().find(name);
        if (it != registry().end())
            it->threadConnections.remove(conn);
    }
    dropConnections({conn});
}

sqlite3 *Connections::handle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}
