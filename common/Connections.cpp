#include "common/Connections.h"

#include "common/Trace.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QThreadStorage>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>

#include <memory>
#include <vector>

namespace {

// The file a path named when it was registered. A commit hook holds its
// address: records are kept, one per registered file, until the process ends.
struct FileIdentity
{
    QByteArray path; // local 8-bit, for stat()
    dev_t device = 0;
    ino_t inode = 0;
    bool known = false;

    bool isStill() const
    {
        struct stat now;
        return known && ::stat(path.constData(), &now) == 0 && now.st_dev == device && now.st_ino == inode;
    }
};

const FileIdentity *identityOf(const QString &path)
{
    static QMutex mutex;
    static std::vector<std::unique_ptr<FileIdentity>> kept;
    FileIdentity found;
    found.path = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    struct stat st;
    if (::stat(found.path.constData(), &st) == 0) {
        found.device = st.st_dev;
        found.inode = st.st_ino;
        found.known = true;
    }
    QMutexLocker lock(&mutex);
    for (const auto &k : kept)
        if (k->known == found.known && k->device == found.device && k->inode == found.inode && k->path == found.path)
            return k.get();
    kept.push_back(std::make_unique<FileIdentity>(found));
    return kept.back().get();
}

// A non-zero answer turns the commit into a rollback.
int refuseOtherFile(void *identity)
{
    return static_cast<const FileIdentity *>(identity)->isStill() ? 0 : 1;
}

struct Registration
{
    QString path;
    Connections::Options options;
    quint64 generation = 0;
    const FileIdentity *identity = nullptr; // with sameFile only
};

// A connection this registry added to Qt's list, by its Qt name.
struct Opened
{
    QString logical;
    quint64 generation = 0;
    quint64 owner = 0; // thread tag
};

struct Registry
{
    QMutex mutex;
    QHash<QString, Registration> names;
    QHash<QString, Opened> opened;
    QHash<quint64, int> busy; // threads inside a TaskScope
    quint64 nextGeneration = 0;
    quint64 nextThreadTag = 0;
    quint64 guiThreadTag = 0;
};

Registry &registry()
{
    static Registry r;
    return r;
}

// A file deleted, renamed or replaced under an open connection: SQLite then
// leaves its write-ahead log beside the path when it closes, and a database
// that comes to that path later would be read through the old one's log.
// The log is emptied into the old file first.
void emptyLogOfMovedFile(QSqlDatabase &db)
{
    sqlite3 *raw = db.isOpen() ? Connections::handle(db) : nullptr;
    int moved = 0;
    if (!raw || sqlite3_file_control(raw, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || !moved)
        return;
    QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void closeOwn(const QString &conn)
{
    // After the application object is gone the driver list may be too.
    if (!QCoreApplication::instance())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(conn, false);
        if (db.isValid()) {
            emptyLogOfMovedFile(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(conn);
}

// Closes connections already taken out of the registry. Another thread's idle
// connection cannot be looked up from here; removing it closes it.
void closeClaimed(const QStringList &own, const QStringList &others)
{
    for (const QString &conn : own)
        closeOwn(conn);
    if (!QCoreApplication::instance())
        return;
    for (const QString &conn : others)
        QSqlDatabase::removeDatabase(conn);
}

struct ThreadState
{
    quint64 tag = 0;
    ~ThreadState();
};

ThreadState::~ThreadState()
{
    QStringList own;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        for (auto it = r.opened.begin(); it != r.opened.end();) {
            if (it->owner == tag) {
                own.append(it.key());
                it = r.opened.erase(it);
            } else {
                ++it;
            }
        }
        r.busy.remove(tag);
    }
    closeClaimed(own, {});
}

quint64 threadTag()
{
    static QThreadStorage<ThreadState *> storage;
    if (!storage.hasLocalData()) {
        auto *state = new ThreadState;
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        state->tag = ++r.nextThreadTag;
        if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
            r.guiThreadTag = state->tag;
        lock.unlock();
        storage.setLocalData(state);
    }
    return storage.localData()->tag;
}

// Under the mutex: takes the connections of a name out of the registry that
// may be closed now; others' busy ones stay for their owners to drop.
void claimConnectionsOf(Registry &r, const QString &name, quint64 me, QStringList *own, QStringList *others)
{
    for (auto it = r.opened.begin(); it != r.opened.end();) {
        const bool ownerBusy = it->owner == r.guiThreadTag || r.busy.value(it->owner) > 0;
        if (it->logical == name && (it->owner == me || !ownerBusy)) {
            (it->owner == me ? own : others)->append(it.key());
            it = r.opened.erase(it);
        } else {
            ++it;
        }
    }
}

// Under the mutex: takes the calling thread's connections whose registration
// has ended.
void claimStale(Registry &r, quint64 me, QStringList *own)
{
    for (auto it = r.opened.begin(); it != r.opened.end();) {
        if (it->owner == me) {
            auto reg = r.names.constFind(it->logical);
            if (reg == r.names.cend() || reg->generation != it->generation) {
                own->append(it.key());
                it = r.opened.erase(it);
                continue;
            }
        }
        ++it;
    }
}

void endRegistration(Registry &r, const QString &name, quint64 me, QStringList *own, QStringList *others)
{
    r.names.remove(name);
    claimConnectionsOf(r, name, me, own, others);
}

// SQLite reads a double-quoted name that matches no column as a text literal, so
// a missing column would show its own name instead of failing. The program's
// statements get no such fallback; DDL keeps it so instruments' own schemas open.
void refuseQuotedLiterals(QSqlDatabase &db)
{
    if (sqlite3 *raw = Connections::handle(db))
        sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
}

bool configure(QSqlDatabase &db, const Connections::Options &options, const FileIdentity *identity)
{
    if (identity) {
        // Opened through the path after the file there changed: not the
        // file of this registration.
        if (!identity->isStill())
            return false;
        if (sqlite3 *raw = Connections::handle(db))
            sqlite3_commit_hook(raw, refuseOtherFile, const_cast<FileIdentity *>(identity));
    }
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
    const quint64 me = threadTag();
    const FileIdentity *identity = options.sameFile ? identityOf(path) : nullptr;
    QStringList own, others;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        endRegistration(r, name, me, &own, &others);
        Registration reg;
        reg.path = path;
        reg.options = options;
        reg.generation = ++r.nextGeneration;
        reg.identity = identity;
        r.names.insert(name, reg);
    }
    closeClaimed(own, others);
}

bool Connections::registerAlike(const QString &name, const QString &existing)
{
    const quint64 me = threadTag();
    QStringList own, others;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        auto it = r.names.constFind(existing);
        if (it == r.names.cend())
            return false;
        Registration reg = *it;
        endRegistration(r, name, me, &own, &others);
        reg.generation = ++r.nextGeneration;
        r.names.insert(name, reg);
    }
    closeClaimed(own, others);
    return true;
}

bool Connections::isSameFile(const QString &name)
{
    const FileIdentity *identity = nullptr;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        auto it = r.names.constFind(name);
        if (it == r.names.cend() || !it->options.sameFile)
            return true;
        identity = it->identity;
    }
    return identity && identity->isStill();
}

bool Connections::contains(const QString &name)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.names.contains(name);
}

QString Connections::filePath(const QString &name)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.names.value(name).path;
}

QSqlDatabase Connections::database(const QString &name)
{
    const quint64 me = threadTag();
    Registry &r = registry();
    QStringList stale;
    Registration reg;
    QString conn;
    bool known = false;
    {
        QMutexLocker lock(&r.mutex);
        claimStale(r, me, &stale);
        auto it = r.names.constFind(name);
        if (it != r.names.cend()) {
            reg = *it;
            conn = name + QLatin1Char('@') + QString::number(me) + QLatin1Char('#')
                   + QString::number(reg.generation);
            known = r.opened.contains(conn);
            if (!known)
                r.opened.insert(conn, Opened{name, reg.generation, me});
        }
    }
    closeClaimed(stale, {});
    if (conn.isEmpty())
        return QSqlDatabase();

    if (known && QSqlDatabase::contains(conn)) {
        QSqlDatabase db = QSqlDatabase::database(conn, false);
        if (!db.isOpen() && db.open() && !configure(db, reg.options, reg.identity) && reg.options.sameFile)
            db.close();
        return db;
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
    QString connectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000");
    if (reg.options.readOnly) {
        connectOptions += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setDatabaseName(reg.path);
    } else if (reg.options.mustExist) {
        // SQLite creates a missing file unless a URI tells it not to.
        connectOptions += QStringLiteral(";QSQLITE_OPEN_URI");
        db.setDatabaseName(QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(reg.path).absoluteFilePath())
                                                   .toEncoded(QUrl::FullyEncoded))
                           + QStringLiteral("?mode=rw"));
    } else {
        db.setDatabaseName(reg.path);
    }
    db.setConnectOptions(connectOptions);
    if (!db.open()) {
        TRACE() << "Connections: cannot open" << reg.path << db.lastError().text();
        return db;
    }
    if (!configure(db, reg.options, reg.identity)) {
        TRACE() << "Connections: cannot configure" << reg.path << db.lastError().text();
        // Another file than the one registered: nothing is read or written.
        if (reg.options.sameFile)
            db.close();
    }
    return db;
}

void Connections::remove(const QString &name)
{
    const quint64 me = threadTag();
    QStringList own, others;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        endRegistration(r, name, me, &own, &others);
    }
    closeClaimed(own, others);
}

QString Connections::pathOf(const QSqlDatabase &db)
{
    const QString name = db.databaseName();
    if (!db.connectOptions().contains(QLatin1String("QSQLITE_OPEN_URI")))
        return name;
    return QUrl(name.section(QLatin1Char('?'), 0, 0)).toLocalFile();
}

QString Connections::logicalName(const QSqlDatabase &db)
{
    const QString name = db.connectionName();
    const int at = name.lastIndexOf(QLatin1Char('@'));
    if (at <= 0)
        return QString();
    const QString logical = name.left(at);
    if (!contains(logical) || filePath(logical) != pathOf(db))
        return QString();
    return logical;
}

void Connections::closeForThisThread(const QString &name)
{
    const quint64 me = threadTag();
    QStringList own;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        for (auto it = r.opened.begin(); it != r.opened.end();) {
            if (it->owner == me && it->logical == name) {
                own.append(it.key());
                it = r.opened.erase(it);
            } else {
                ++it;
            }
        }
    }
    closeClaimed(own, {});
}

Connections::TaskScope::TaskScope()
{
    const quint64 me = threadTag();
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    ++r.busy[me];
}

Connections::TaskScope::~TaskScope()
{
    const quint64 me = threadTag();
    QStringList stale;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        if (--r.busy[me] <= 0)
            r.busy.remove(me);
        claimStale(r, me, &stale);
    }
    closeClaimed(stale, {});
}

sqlite3 *Connections::handle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}
