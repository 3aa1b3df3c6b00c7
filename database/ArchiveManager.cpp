#include "database/ArchiveManager.h"

#include "common/Connections.h"
#include "database/ApplicationDatabaseFile.h"
#include "common/QueryInterrupt.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "database/DatabaseStructure.h"
#include "database/RecorderColumns.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QSaveFile>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSqlError>
#include <QTemporaryDir>
#include <QSqlQuery>

#include <cstdio>
#include <memory>
#include <mutex>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const QString kDataConnection = QStringLiteral("Data_con");

// SQLite keeps these beside a database in WAL mode; a stale one left next to a
// new file would be replayed into it.
void removeSidecars(const QString &path)
{
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

struct Scratch
{
    QMutex mutex;
    std::unique_ptr<QTemporaryDir> dir;
};

// Destroyed at exit, which removes the folder with what is left in it.
Scratch &scratch()
{
    static Scratch s;
    return s;
}

// Plain characters: read also while other files' statics are being made.
// Hidden, beside the temporary databases that listings of the folder look for.
constexpr char kOwnerMark[] = ".owner";

QByteArray bootId()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

// What tells a running process from any other, also from a later one under
// the same number: the number, its start time since boot and the boot.
// Empty when no such process runs.
QByteArray processMark(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray line = stat.readAll();
    // The name in parentheses may hold blanks and parentheses itself.
    const int close = line.lastIndexOf(')');
    if (close < 0)
        return QByteArray();
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // From the state (field 3) on; the start time is field 22.
    if (fields.size() < 20 || fields.at(19).isEmpty())
        return QByteArray();
    return QByteArray::number(pid) + ' ' + fields.at(19) + ' ' + bootId();
}

// Written whole or not at all: a mark that cannot be read is never taken
// for that of a process that ended.
void writeOwnerMark(const QString &folder)
{
    QSaveFile file(folder + QLatin1Char('/') + QLatin1String(kOwnerMark));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(processMark(QCoreApplication::applicationPid()) + '\n');
        file.commit();
    }
}

// True when the folder's mark names a process that no longer runs. A
// folder without a readable mark (another copy making its folder right now)
// stays.
bool ownerGone(const QString &folder)
{
    QFile file(folder + QLatin1Char('/') + QLatin1String(kOwnerMark));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray mark = file.read(256).trimmed();
    const QList<QByteArray> fields = mark.split(' ');
    bool ok = false;
    const qint64 pid = fields.value(0).toLongLong(&ok);
    if (fields.size() != 3 || !ok || pid <= 0 || fields.at(1).isEmpty() || fields.at(2).isEmpty())
        return false;
    return processMark(pid) != mark;
}

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

struct Span
{
    bool hasSpan = false;
    qint64 first = 0;
    qint64 last = 0;

    void add(qint64 from, qint64 to)
    {
        first = hasSpan ? qMin(first, from) : from;
        last = hasSpan ? qMax(last, to) : to;
        hasSpan = true;
    }
};

} // namespace

ArchiveManager::ArchiveManager(QObject *parent)
    : QObject(parent)
{
    TRACE_FUNC();
    prepareScratch();
    DatabaseStructure::installNewInstance();
    const QString folder = scratchFolder();
    m_tmpDbFilePath = (folder.isEmpty() ? QDir::tempPath() : folder) + QStringLiteral("/qrlgTmpDbFile.sqlite");
}

ArchiveManager::~ArchiveManager()
{
    if (QFile::exists(m_tmpDbFilePath))
        QFile::remove(m_tmpDbFilePath);
}

void ArchiveManager::forwardDialogMessage(QString msg, QString title, int icon)
{
    emit dialogMessage(msg, title, icon);
}

void ArchiveManager::forwardConsoleMessage(QString msg, int icon)
{
    emit consoleMessage(msg, icon);
}

QSqlDatabase ArchiveManager::dataConnection(Channel channel)
{
    // The registry opens the connection on first use (and again when it was
    // closed); reopening an open SQLite connection would drop its pragmas.
    // A read of a file that is gone reads nothing; the session tells why.
    bool gone = false;
    QSqlDatabase db = channel == Channel::Console ? appdb::readConnection(kDataConnection, &gone)
                                                  : Connections::database(kDataConnection);
    if (gone)
        return QSqlDatabase();
    if (db.isValid() && db.isOpen()) {
        // The members that report on the dialog channel write, or read for
        // an import that will.
        const QString refusal = channel == Channel::Dialog ? appdb::writeRefusal(kDataConnection) : QString();
        if (refusal.isEmpty())
            return db;
        emit dialogMessage(refusal, QString(), 3);
        return QSqlDatabase();
    }
    const QString text = tr("Database is not opened.");
    if (channel == Channel::Dialog)
        emit dialogMessage(text, QString(), 2);
    else
        emit consoleMessage(text, 2);
    return QSqlDatabase();
}

QString ArchiveManager::scratchFolder(QString *error)
{
    Scratch &s = scratch();
    QMutexLocker lock(&s.mutex);
    if (s.dir && QFileInfo(s.dir->path()).isDir())
        return s.dir->path();
    // Something emptied the temporary folder meanwhile: the same folder
    // again, which SQLite was told to use for its own files.
    if (s.dir && QDir().mkdir(s.dir->path())) {
        QFile::setPermissions(s.dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        writeOwnerMark(s.dir->path());
        return s.dir->path();
    }
    auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quorlog-XXXXXX"));
    if (!dir->isValid()) {
        if (error)
            *error = dir->errorString();
        return QString();
    }
    writeOwnerMark(dir->path());
    s.dir = std::move(dir);
    return s.dir->path();
}

void ArchiveManager::prepareScratch()
{
    static std::once_flag once;
    std::call_once(once, [] {
        removeStaleScratchFolders();
        // Where SQLite goes when the folder cannot be used: the temporary
        // folder the messages name, not its own choice (/var/tmp when TMPDIR
        // is unset).
        if (qEnvironmentVariableIsEmpty("SQLITE_TMPDIR"))
            qputenv("SQLITE_TMPDIR", QFile::encodeName(QDir::tempPath()));
        const QString folder = scratchFolder();
        if (!folder.isEmpty())
            sqlite3_temp_directory = sqlite3_mprintf("%s", QFile::encodeName(folder).constData());
    });
}

QStringList ArchiveManager::removeStaleScratchFolders()
{
    QStringList removed;
    // Without the process table nothing tells a running copy from an ended one.
    if (processMark(QCoreApplication::applicationPid()).isEmpty())
        return removed;
    const QString own = [] {
        Scratch &s = scratch();
        QMutexLocker lock(&s.mutex);
        return s.dir ? QFileInfo(s.dir->path()).absoluteFilePath() : QString();
    }();
    static const QRegularExpression name(QStringLiteral("^quorlog-[A-Za-z0-9]{6}$"));
    const QFileInfoList entries =
        QDir(QDir::tempPath()).entryInfoList({QStringLiteral("quorlog-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &entry : entries) {
        if (!name.match(entry.fileName()).hasMatch() || entry.isSymLink() || entry.ownerId() != ::getuid()
            || entry.absoluteFilePath() == own)
            continue;
        if (!ownerGone(entry.absoluteFilePath()))
            continue;
        if (QDir(entry.absoluteFilePath()).removeRecursively())
            removed << entry.absoluteFilePath();
    }
    return removed;
}

QString ArchiveManager::temporaryFolderRefusal(const QString &reason)
{
    return tr("The temporary folder %1 cannot take the data of the import: %2")
        .arg(QDir::toNativeSeparators(QDir::tempPath()), reason);
}

ArchiveManager::CallConnection::CallConnection(ArchiveManager *manager, Channel channel)
{
    const QSqlDatabase data = manager->dataConnection(channel);
    if (!data.isValid())
        return;
    // A statement stepped but neither finished nor reset holds the
    // connection's read snapshot.
    bool readOpen = false;
    if (sqlite3 *raw = Connections::handle(data))
        for (sqlite3_stmt *s = sqlite3_next_stmt(raw, nullptr); s && !readOpen; s = sqlite3_next_stmt(raw, s))
            readOpen = sqlite3_stmt_busy(s) != 0;
    if (!readOpen) {
        m_shared = data;
        return;
    }
    static QAtomicInteger<int> serial;
    m_own = QStringLiteral("ArchiveManager.call.%1").arg(serial.fetchAndAddRelaxed(1));
    // As the session's own: never creating the file, never writing another.
    if (Connections::registerAlike(m_own, kDataConnection) && Connections::database(m_own).isOpen())
        return;
    TRACE() << "Cannot open a connection of its own:" << Connections::database(m_own).lastError().text();
    Connections::remove(m_own);
    m_own.clear();
    const QString text = tr("Database is not opened.");
    if (channel == Channel::Dialog)
        emit manager->dialogMessage(text, QString(), 2);
    else
        emit manager->consoleMessage(text, 2);
}

ArchiveManager::CallConnection::~CallConnection()
{
    if (!m_own.isEmpty())
        Connections::remove(m_own);
}

QSqlDatabase ArchiveManager::CallConnection::database() const
{
    return m_own.isEmpty() ? m_shared : Connections::database(m_own);
}

QString ArchiveManager::CallConnection::name() const
{
    if (!m_own.isEmpty())
        return m_own;
    return m_shared.isValid() ? kDataConnection : QString();
}

QString ArchiveManager::tmpDatabasePath(const QString &name)
{
    const QString folder = scratchFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name + QStringLiteral("_TmpDb.sqlite");
}

void ArchiveManager::removeTmpDatabase(const QString &name)
{
    const QString path = Connections::contains(name) ? Connections::filePath(name) : tmpDatabasePath(name);
    Connections::remove(name);
    // Only a file of this process's own folder is ours to delete.
    const QString folder = scratchFolder();
    if (path.isEmpty() || folder.isEmpty() || QFileInfo(path).absolutePath() != QFileInfo(folder).absoluteFilePath())
        return;
    QFile::remove(path);
    removeSidecars(path);
}

bool ArchiveManager::createDatabase(const QString &path)
{
    TRACE_FUNC();
    // The new file is built beside the target and moved over it when complete,
    // so a failure leaves an existing file as it was. The probe keeps the rule
    // that a target we may not write is refused.
    QFile probe(path);
    const bool existed = probe.exists();
    if (!probe.open(QIODevice::ReadWrite))
        return false;
    probe.close();

    auto dropCreated = [&]() {
        if (!existed)
            QFile::remove(path);
    };

    const QString building = path + QStringLiteral(".creating");
    QFile::remove(building);
    removeSidecars(building);
    {
        QFile file(building);
        if (!file.open(QIODevice::WriteOnly)) {
            dropCreated();
            return false;
        }
    }

    // A private name: "Data_con" belongs to the session that opens the file.
    static QAtomicInteger<int> serial;
    const QString connection = QStringLiteral("ArchiveManager.create.%1").arg(serial.fetchAndAddRelaxed(1));
    Connections::registerFile(connection, building);
    bool ok = false;
    {
        QSqlDatabase db = Connections::database(connection);
        ok = db.isOpen() && g_databaseStructure->initStructure(db);
    }
    Connections::remove(connection); // closing checkpoints the WAL into the file

    if (ok && existed && Connections::contains(kDataConnection)
        && sameFile(Connections::filePath(kDataConnection), path)) {
        // The open application database is being replaced: its connection
        // must not outlive its file (its WAL would land in the new one).
        Connections::remove(kDataConnection);
    }
    if (ok) {
        removeSidecars(path);
        ok = std::rename(QFile::encodeName(building).constData(), QFile::encodeName(path).constData()) == 0;
    }
    if (!ok) {
        QFile::remove(building);
        removeSidecars(building);
        dropCreated();
    }
    return ok;
}

QSqlDatabase ArchiveManager::openTmpDatabase(const QString &name)
{
    TRACE_FUNC() << name;
    const QString path = tmpDatabasePath(name);
    if (path.isEmpty())
        return QSqlDatabase();
    if (QFile::exists(path) && !QFile::remove(path)) {
        TRACE() << "Cannot delete" << path;
        return QSqlDatabase();
    }
    // The previous database of this kind is gone; close its connections
    // before anything reuses the file name.
    Connections::remove(name);
    removeSidecars(path);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QSqlDatabase();
    }
    Connections::Options options;
    options.scratch = true;
    Connections::registerFile(name, path, options);
    QSqlDatabase db = Connections::database(name);
    if (db.isOpen() && !g_databaseStructure->initStructure(db))
        db.close();
    return db;
}

ArchiveInfo ArchiveManager::getArchiveInfo()
{
    TRACE_FUNC();
    ArchiveInfo info;
    const ArchivePeriod period = getArchivePeriod();
    info.firstRecordDate = period.firstRecordDate;
    info.lastRecordDate = period.lastRecordDate;
    // Nothing to count without a record (or without a readable database).
    if (!period.hasRecords)
        return info;
    QString error;
    const CallConnection connection(this, Channel::Console);
    const qint64 count = countRecords(connection.name(), &error);
    if (count < 0)
        emit consoleMessage(error, 2);
    else
        info.allRecordsCnt = static_cast<quint32>(count); // low 32 bits, as the record holds
    return info;
}

namespace {

// The recorder tables that exist in the database.
QStringList wideTables(QSqlDatabase &db, QString *error)
{
    QStringList found;
    if (!db.isOpen()) {
        *error = QObject::tr("Database is not opened.");
        return found;
    }
    for (const QString &table : recorderColumns::wideTables())
        if (sql::hasTable(db, table))
            found << table;
    return found;
}

} // namespace

qint64 ArchiveManager::runCount(const QString &connection, QString *error, QueryInterrupt *stop,
                                const std::function<qint64(QSqlDatabase &, QueryInterrupt *, QString *)> &count)
{
    QString reason;
    qint64 result = -1;
    // Stopped before it began (its session closed): the file is not opened.
    if (!stop || !stop->isInterrupted()) {
        QSqlDatabase db = Connections::database(connection);
        if (!db.isValid() || !db.isOpen()) {
            reason = ArchiveManager::tr("Database is not opened.");
        } else {
            if (stop)
                stop->attach(db);
            result = count(db, stop, &reason);
            if (stop)
                stop->release();
        }
    }
    if (stop && stop->isInterrupted()) {
        result = -1;
        reason.clear();
    } else if (result < 0 && reason.isEmpty()) {
        reason = ArchiveManager::tr("Database is not opened.");
    }
    if (error)
        *error = reason;
    return result;
}

ArchivePeriod ArchiveManager::getArchivePeriod()
{
    TRACE_FUNC();
    ArchivePeriod period;
    const CallConnection connection(this, Channel::Console);
    QSqlDatabase db = connection.database();
    if (!db.isValid())
        return period;

    // The schema is brought up to date once per opened file: the page asks
    // for the period on every refresh, and nothing else changes the schema.
    const quint64 registration = Connections::registration(kDataConnection);
    if (registration == 0 || registration != m_schemaCheckedFor) {
        QStringList errors;
        if (g_databaseStructure->createOrUpdate(db, &errors))
            emit consoleMessage(tr("The Quorlog database has been updated."), 1);
        for (const QString &error : qAsConst(errors))
            emit consoleMessage(error, 2);
        if (errors.isEmpty())
            m_schemaCheckedFor = registration;
    }

    Span span;
    QSqlQuery query(db);
    // Separate sub-selects: SQLite answers a lone MIN or MAX from the
    // dateTime index (MIN and MAX together would scan every row), and EXISTS
    // stops at the first row.
    if (query.exec(QStringLiteral("SELECT (SELECT MIN(dateTime) FROM Data), (SELECT MAX(dateTime) FROM Data), "
                                  "EXISTS (SELECT 1 FROM Data)"))) {
        if (query.next()) {
            period.hasRecords = query.value(2).toInt() != 0;
            if (!query.value(0).isNull() && !query.value(1).isNull())
                span.add(query.value(0).toLongLong(), query.value(1).toLongLong());
        }
    } else {
        emit consoleMessage(sql::errorText(query), 2);
    }
    query.finish();

    QString error;
    const QStringList tables = wideTables(db, &error);
    if (!error.isEmpty())
        emit consoleMessage(error, 2);

    // Recorder instruments keep their rows in the wide tables; a database
    // holding several kinds of instrument spans all of them.
    for (const QString &table : tables) {
        recorderColumns::Span bounds;
        bool exists = false;
        if (!recorderColumns::rowBounds(db, table, {}, &bounds, &exists, &error)) {
            emit consoleMessage(error, 2);
            continue;
        }
        period.hasRecords = period.hasRecords || exists;
        if (bounds.found)
            span.add(bounds.first, bounds.last);
    }

    if (span.hasSpan) {
        period.firstRecordDate = span.first;
        period.lastRecordDate = span.last;
    }
    return period;
}

qint64 ArchiveManager::countRecords(const QString &connection, QString *error, QueryInterrupt *stop)
{
    return runCount(connection, error, stop, [](QSqlDatabase &db, QueryInterrupt *stop, QString *reason) {
        QStringList tables = wideTables(db, reason);
        if (!reason->isEmpty())
            return qint64(-1);
        tables.prepend(QStringLiteral("Data"));
        qint64 count = 0;
        QSqlQuery query(db);
        for (const QString &table : qAsConst(tables)) {
            // A bare COUNT(*) walks the smallest index of the table.
            if ((stop && stop->isInterrupted())
                || !query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(sql::quoteIdentifier(table)))
                || !query.next()) {
                *reason = sql::errorText(query);
                return qint64(-1);
            }
            count += query.value(0).toLongLong();
            query.finish();
        }
        return count;
    });
}
