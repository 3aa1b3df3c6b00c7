#include "database/ArchiveManager.h"

#include "common/Connections.h"
#include "database/ApplicationDatabaseFile.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "common/UtcTime.h"
#include "database/DatabaseStructure.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSqlError>
#include <QTemporaryDir>
#include <QSqlQuery>

#include <cstdio>
#include <memory>

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

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// "yyyy-MM-dd HH:mm:ss[.zzz]" of a recorder table, taken as UTC wall-clock.
bool parseWideTime(const QString &text, qint64 *msecs)
{
    const QString date = text.section(QLatin1Char(' '), 0, 0);
    const QString time = text.section(QLatin1Char(' '), 1);
    return utc::parseMsecs(date, QStringLiteral("yyyy-MM-dd"), time, QStringLiteral("HH:mm:ss.zzz"), msecs)
        || utc::parseMsecs(date, QStringLiteral("yyyy-MM-dd"), time, QStringLiteral("HH:mm:ss"), msecs);
}

struct Span
{
    bool hasSpan = false;
    qint64 first = 0;
    qint64 last = 0;
    quint64 count = 0;

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
    QSqlDatabase db = Connections::database(kDataConnection);
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
    // Made again when something emptied the temporary folder meanwhile.
    if (!s.dir || !QFileInfo(s.dir->path()).isDir()) {
        auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quorlog-XXXXXX"));
        if (!dir->isValid()) {
            if (error)
                *error = dir->errorString();
            return QString();
        }
        s.dir = std::move(dir);
    }
    return s.dir->path();
}

QString ArchiveManager::temporaryFolderRefusal(const QString &reason)
{
    return tr("The temporary folder %1 cannot take the data of the import: %2")
        .arg(QDir::toNativeSeparators(QDir::tempPath()), reason);
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
    QSqlDatabase db = dataConnection(Channel::Console);
    if (!db.isValid())
        return info;

    QStringList errors;
    if (g_databaseStructure->createOrUpdate(db, &errors))
        emit consoleMessage(tr("The Quorlog database has been updated."), 1);
    for (const QString &error : qAsConst(errors))
        emit consoleMessage(error, 2);

    Span span;
    QSqlQuery query(db);
    // Separate sub-selects: SQLite answers a lone MIN or MAX from the
    // dateTime index and a bare COUNT(*) from the smallest b-tree, but scans
    // every row for MIN and MAX together.
    if (query.exec(QStringLiteral("SELECT (SELECT MIN(dateTime) FROM Data), (SELECT MAX(dateTime) FROM Data), "
                                  "(SELECT COUNT(*) FROM Data)"))) {
        if (query.next()) {
            span.count += query.value(2).toULongLong();
            if (!query.value(0).isNull() && !query.value(1).isNull())
                span.add(query.value(0).toLongLong(), query.value(1).toLongLong());
        }
    } else {
        emit consoleMessage(sql::errorText(query), 2);
    }
    query.finish();

    // Recorder instruments keep their rows in the wide tables; a database
    // holding several kinds of instrument spans all of them.
    for (const QString &table : {QStringLiteral("DataMoxB"), QStringLiteral("DataMoxA")}) {
        query.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name=?"));
        query.addBindValue(table);
        if (!query.exec()) {
            emit consoleMessage(sql::errorText(query), 2);
            continue;
        }
        const bool exists = query.next();
        query.finish();
        if (!exists)
            continue;
        if (!query.exec(QStringLiteral("SELECT MIN(date || ' ' || time), MAX(date || ' ' || time), COUNT(*) FROM %1")
                            .arg(table))) {
            emit consoleMessage(sql::errorText(query), 2);
            continue;
        }
        if (query.next()) {
            span.count += query.value(2).toULongLong();
            qint64 first = 0;
            qint64 last = 0;
            if (parseWideTime(query.value(0).toString(), &first) && parseWideTime(query.value(1).toString(), &last))
                span.add(first, last);
        }
        query.finish();
    }

    if (span.hasSpan) {
        info.firstRecordDate = span.first;
        info.lastRecordDate = span.last;
    }
    info.allRecordsCnt = static_cast<quint32>(span.count); // low 32 bits, as the record holds
    return info;
}
