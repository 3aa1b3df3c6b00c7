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
    QString name;
    QString path;
    Connections::Options options;
    quint64 generation = 0;
    const FileIdentity *identity = nullptr; // with sameFile only
    // The file its first connection opened: after the name has ended, a
    // Binding opens nothing else at the path.
    const FileIdentity *seen = nullptr;
};

// A connection this registry added to Qt's list, by its Qt name.
struct Opened
{
    QString logical;
    quint64 generation = 0;
    quint64 owner = 0; // thread tag
    QString path;
    bool open = false;     // opened on the registration's file
    bool writable = false; // SQLite may keep its log and index files beside it
};

struct Registry
{
    QMutex mutex;
    QHash<QString, Registration> names;
    // Registrations whose name was removed or registered again while a
    // Binding still held them, by generation.
    QHash<quint64, Registration> ended;
    QHash<quint64, int> pins; // Bindings per registration
    QHash<QString, Opened> opened;
    QHash<quint64, int> busy; // threads inside a TaskScope
    quint64 nextGeneration = 0;
    quint64 nextThreadTag = 0;
    quint64 guiThreadTag = 0;

    // Under the mutex: the registration still serves connections.
    bool isLive(const QString &logical, quint64 generation) const
    {
        auto it = names.constFind(logical);
        return (it != names.cend() && it->generation == generation) || ended.contains(generation);
    }
    const Registration *find(const QString &logical, quint64 generation) const
    {
        auto it = names.constFind(logical);
        if (it != names.cend() && it->generation == generation)
            return &*it;
        auto e = ended.constFind(generation);
        return e == ended.cend() ? nullptr : &*e;
    }
};

// Never destroyed: a Binding or a thread may let go after static destruction
// has begun.
Registry &registry()
{
    static Registry *r = new Registry;
    return *r;
}

// A file deleted, renamed or replaced under an open connection: SQLite then
// leaves its write-ahead log beside the path when it closes, and a database
// that comes to that path later would be read through the old one's log.
// The log is emptied into the old file first.
void emptyLogOfMovedFile(QSqlDatabase &db)
{
    if (Connections::hasMoved(db))
        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

// Under the mutex: a connection of this registry is open on the path.
bool openOn(const Registry &r, const QString &path)
{
    for (const Opened &o : r.opened)
        if (o.open && o.path == path)
            return true;
    return false;
}

// Once the last connection to a file that is no longer at its path has
// closed, the log and index files SQLite left beside the path belong to
// nothing: they go, so nothing stays in the user's folder. A log that still
// holds pages stays (they would be lost), as does everything beside a path
// that names a file again.
void removeOrphanedSidecars(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (path.isEmpty() || QFileInfo::exists(path))
            continue;
        {
            Registry &r = registry();
            QMutexLocker lock(&r.mutex);
            if (openOn(r, path))
                continue;
        }
        const QString wal = path + QStringLiteral("-wal");
        const QFileInfo log(wal);
        if (log.exists() && log.size() > 0)
            continue;
        QFile::remove(wal);
        QFile::remove(path + QStringLiteral("-shm"));
    }
}

// The files of the connections this thread has just taken out of the
// registry, looked at once they are closed.
thread_local QStringList t_claimedPaths;

// Under the mutex: an entry leaves the registry.
QHash<QString, Opened>::iterator claim(Registry &r, QHash<QString, Opened>::iterator it)
{
    if (it->writable)
        t_claimedPaths.append(it->path);
    return r.opened.erase(it);
}

// Connections this thread closed whose entry in Qt's list goes at its next
// call here: the caller that removed a name may still hold a handle of it
// in the same scope (closed, unused), and Qt would warn of it as in use.
thread_local QStringList t_closedPending;

void removeClosed()
{
    QStringList pending;
    pending.swap(t_closedPending);
    if (!QCoreApplication::instance())
        return;
    for (const QString &conn : qAsConst(pending))
        QSqlDatabase::removeDatabase(conn);
}

// Closes at once; the entry goes now (now) or at the thread's next call.
void closeOwn(const QString &conn, bool now)
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
    if (now)
        QSqlDatabase::removeDatabase(conn);
    else
        t_closedPending.append(conn);
}

// Closes connections already taken out of the registry. Another thread's idle
// connection cannot be looked up from here; removing it closes it.
void closeClaimed(const QStringList &own, const QStringList &others, bool now = false)
{
    QStringList paths;
    paths.swap(t_claimedPaths);
    for (const QString &conn : own)
        closeOwn(conn, now);
    if (!QCoreApplication::instance())
        return;
    for (const QString &conn : others)
        QSqlDatabase::removeDatabase(conn);
    paths.removeDuplicates();
    removeOrphanedSidecars(paths);
}

struct ThreadState
{
    quint64 tag = 0;
    ~ThreadState();
};

// Nothing outside the thread holds its connections (handles stay on the
// thread that opened them), so they end with it.
ThreadState::~ThreadState()
{
    QStringList own;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        for (auto it = r.opened.begin(); it != r.opened.end();) {
            if (it->owner == tag) {
                own.append(it.key());
                it = claim(r, it);
            } else {
                ++it;
            }
        }
        r.busy.remove(tag);
    }
    closeClaimed(own, {}, true);
    removeClosed();
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

// Under the mutex: takes the connections of a name whose registration no
// longer serves out of the registry, where they may be closed now; others'
// busy ones stay for their owners to drop.
void claimEndedOf(Registry &r, const QString &name, quint64 me, QStringList *own, QStringList *others)
{
    for (auto it = r.opened.begin(); it != r.opened.end();) {
        const bool ownerBusy = it->owner == r.guiThreadTag || r.busy.value(it->owner) > 0;
        if (it->logical == name && !r.isLive(it->logical, it->generation) && (it->owner == me || !ownerBusy)) {
            (it->owner == me ? own : others)->append(it.key());
            it = claim(r, it);
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
        if (it->owner == me && !r.isLive(it->logical, it->generation)) {
            own->append(it.key());
            it = claim(r, it);
            continue;
        }
        ++it;
    }
}

// Under the mutex: the name stops naming its registration, which a Binding
// may still hold.
void endRegistration(Registry &r, const QString &name, quint64 me, QStringList *own, QStringList *others)
{
    auto it = r.names.find(name);
    if (it != r.names.end()) {
        if (r.pins.value(it->generation) > 0)
            r.ended.insert(it->generation, *it);
        r.names.erase(it);
    }
    claimEndedOf(r, name, me, own, others);
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
        reg.name = name;
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
        reg.name = name;
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

quint64 Connections::registration(const QString &name)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.names.value(name).generation;
}

QString Connections::filePath(const QString &name)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.names.value(name).path;
}

namespace {

// Opens a connection on the registration's file and on nothing else: not on
// a file that came to the path after the registration's own went (sameFile,
// or a name that has ended), never on an empty name (SQLite would make a
// private temporary database of it and call it open), and never creating a
// file where the registration must not.
bool openOnRegisteredFile(QSqlDatabase &db, const Registration &reg, bool ended)
{
    if (reg.path.isEmpty())
        return false;
    const FileIdentity *was = reg.identity ? reg.identity : (ended ? reg.seen : nullptr);
    if (was && !was->isStill()) {
        TRACE() << "Connections: the registered file is gone or replaced:" << reg.path;
        return false;
    }
    QString connectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000");
    if (reg.options.readOnly) {
        connectOptions += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setDatabaseName(reg.path);
    } else if (reg.options.mustExist || ended) {
        // SQLite creates a missing file unless a URI tells it not to; a file
        // whose name has ended may have been deleted with it.
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
        return false;
    }
    // The path may have changed between the look and the open.
    if (was && (!was->isStill() || Connections::hasMoved(db))) {
        TRACE() << "Connections: opened another file than the registered one:" << reg.path;
        db.close();
        return false;
    }
    if (!configure(db, reg.options, reg.identity)) {
        TRACE() << "Connections: cannot configure" << reg.path << db.lastError().text();
        // Another file than the one registered: nothing is read or written.
        if (reg.options.sameFile) {
            db.close();
            return false;
        }
    }
    return true;
}

// The calling thread's connection of a registration: the name's current one
// (generation 0) or the one given, current or held by a Binding.
QSqlDatabase connectionFor(const QString &name, quint64 generation)
{
    const quint64 me = threadTag();
    removeClosed();
    Registry &r = registry();
    QStringList stale;
    Registration reg;
    QString conn;
    bool known = false;
    bool ended = false;
    {
        QMutexLocker lock(&r.mutex);
        claimStale(r, me, &stale);
        const Registration *found = nullptr;
        if (generation == 0) {
            auto it = r.names.constFind(name);
            if (it != r.names.cend())
                found = &*it;
        } else {
            found = r.find(name, generation);
        }
        if (found) {
            reg = *found;
            ended = !r.names.contains(name) || r.names.value(name).generation != reg.generation;
            conn = name + QLatin1Char('@') + QString::number(me) + QLatin1Char('#')
                   + QString::number(reg.generation);
            known = r.opened.contains(conn);
            if (!known) {
                Opened entry;
                entry.logical = name;
                entry.generation = reg.generation;
                entry.owner = me;
                entry.path = QFileInfo(reg.path).absoluteFilePath();
                entry.writable = !reg.options.readOnly;
                r.opened.insert(conn, entry);
            }
        }
    }
    closeClaimed(stale, {});
    if (conn.isEmpty())
        return QSqlDatabase();

    QSqlDatabase db = known && QSqlDatabase::contains(conn)
                          ? QSqlDatabase::database(conn, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
    // An open connection stays what it is; one that did not open (or was
    // closed as another file) is opened afresh, with every check again.
    if (db.isOpen() || !openOnRegisteredFile(db, reg, ended))
        return db;

    const FileIdentity *seen = reg.seen ? nullptr : identityOf(reg.path);
    QMutexLocker lock(&r.mutex);
    auto entry = r.opened.find(conn);
    if (entry != r.opened.end())
        entry->open = true;
    if (seen) {
        if (r.names.contains(name) && r.names[name].generation == reg.generation)
            r.names[name].seen = seen;
        else if (r.ended.contains(reg.generation))
            r.ended[reg.generation].seen = seen;
    }
    return db;
}

} // namespace

QSqlDatabase Connections::database(const QString &name)
{
    return connectionFor(name, 0);
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
                it = claim(r, it);
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
    bool outermost = false;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        if (--r.busy[me] <= 0) {
            r.busy.remove(me);
            outermost = true;
        }
        claimStale(r, me, &stale);
    }
    // The task's own handles are gone once its outermost scope ends.
    closeClaimed(stale, {}, outermost);
    if (outermost)
        removeClosed();
}

bool Connections::hasMoved(const QSqlDatabase &db)
{
    sqlite3 *raw = db.isOpen() ? handle(db) : nullptr;
    int moved = 0;
    return raw && sqlite3_file_control(raw, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
}

sqlite3 *Connections::handle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// ---- Binding

struct Connections::Binding::Pin
{
    QString name;
    QString path;
    quint64 generation = 0;
    ~Pin();
};

namespace {

// Under the mutex: a new hold on a live registration.
std::shared_ptr<Connections::Binding::Pin> pinOf(Registry &r, const Registration &reg)
{
    ++r.pins[reg.generation];
    auto pin = std::make_shared<Connections::Binding::Pin>();
    pin->name = reg.name;
    pin->path = reg.path;
    pin->generation = reg.generation;
    return pin;
}

} // namespace

Connections::Binding::Pin::~Pin()
{
    const quint64 me = threadTag();
    QStringList own, others;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        if (--r.pins[generation] > 0)
            return;
        r.pins.remove(generation);
        if (!r.ended.remove(generation))
            return;
        claimEndedOf(r, name, me, &own, &others);
    }
    closeClaimed(own, others);
}

Connections::Binding::Binding(const QSqlDatabase &db)
{
    if (!db.isValid())
        return;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        auto it = r.opened.constFind(db.connectionName());
        if (it != r.opened.cend()) {
            if (const Registration *reg = r.find(it->logical, it->generation)) {
                m_pin = pinOf(r, *reg);
                return;
            }
        }
    }
    m_handle = db;
}

Connections::Binding Connections::Binding::of(const QString &name)
{
    Binding binding;
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    auto it = r.names.constFind(name);
    if (it != r.names.cend())
        binding.m_pin = pinOf(r, *it);
    return binding;
}

QSqlDatabase Connections::Binding::database() const
{
    if (!m_pin)
        return m_handle;
    return connectionFor(m_pin->name, m_pin->generation);
}

QString Connections::Binding::name() const
{
    return m_pin ? m_pin->name : QString();
}

QString Connections::Binding::path() const
{
    return m_pin ? m_pin->path : Connections::pathOf(m_handle);
}

quint64 Connections::Binding::registration() const
{
    return m_pin ? m_pin->generation : 0;
}

bool Connections::Binding::fileChanged() const
{
    if (!m_pin)
        return false;
    const FileIdentity *identity = nullptr;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        const Registration *reg = r.find(m_pin->name, m_pin->generation);
        if (!reg || !reg->options.sameFile)
            return false;
        identity = reg->identity;
    }
    return !identity || !identity->isStill();
}

bool Connections::Binding::isCurrent() const
{
    if (!m_pin)
        return m_handle.isValid();
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    auto it = r.names.constFind(m_pin->name);
    return it != r.names.cend() && it->generation == m_pin->generation;
}
