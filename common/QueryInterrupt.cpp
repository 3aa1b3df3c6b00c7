#include "common/QueryInterrupt.h"

#include "common/Connections.h"

#include <QDir>
#include <QFileInfo>
#include <QList>

#include <sqlite3.h>

namespace {

// The texts that name a file: its absolute path and, while it exists, the
// path with links resolved. A file deleted meanwhile is still found by the
// path it had.
QStringList fileKeys(const QString &file)
{
    if (file.isEmpty())
        return {};
    const QFileInfo info(file);
    QStringList keys{QDir::cleanPath(info.absoluteFilePath())};
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty() && canonical != keys.first())
        keys << canonical;
    return keys;
}

bool sameFile(const QStringList &a, const QStringList &b)
{
    for (const QString &key : a)
        if (b.contains(key))
            return true;
    return false;
}

// The interrupts made for a file, while they live. Never destroyed: a count
// may still end on a pool thread while the program's statics go.
struct Registry
{
    QMutex mutex;
    QList<QueryInterrupt *> list;
};

Registry &registry()
{
    static Registry *const instance = new Registry;
    return *instance;
}

} // namespace

QueryInterrupt::QueryInterrupt(const QString &file)
    : m_file(fileKeys(file))
{
    if (m_file.isEmpty())
        return;
    QMutexLocker lock(&registry().mutex);
    registry().list.append(this);
}

QueryInterrupt::~QueryInterrupt()
{
    if (!m_file.isEmpty()) {
        QMutexLocker lock(&registry().mutex);
        registry().list.removeOne(this);
    }
    release();
}

void QueryInterrupt::interruptReadersOf(const QString &file)
{
    const QStringList keys = fileKeys(file);
    if (keys.isEmpty())
        return;
    // Under the registry's lock: none of them is destroyed meanwhile.
    QMutexLocker lock(&registry().mutex);
    for (QueryInterrupt *stop : qAsConst(registry().list))
        if (sameFile(stop->m_file, keys))
            stop->interrupt();
}

void QueryInterrupt::attach(const QSqlDatabase &db)
{
    sqlite3 *raw = db.isOpen() ? Connections::handle(db) : nullptr;
    if (!raw)
        return;
    QMutexLocker lock(&m_mutex);
    m_handle = raw;
    // sqlite3_interrupt is forgotten when no statement of the connection is
    // running, so one that comes between two statements, or just before the
    // first, would be lost: the handler stops the next one at its first jump.
    sqlite3_progress_handler(
        raw, 1, [](void *flag) { return static_cast<QAtomicInt *>(flag)->loadAcquire(); }, &m_stopped);
    if (isInterrupted())
        sqlite3_interrupt(raw);
}

void QueryInterrupt::release()
{
    QMutexLocker lock(&m_mutex);
    if (!m_handle)
        return;
    sqlite3_progress_handler(m_handle, 0, nullptr, nullptr);
    m_handle = nullptr;
}

void QueryInterrupt::interrupt()
{
    // Under the lock: the handle stays open until release() has run.
    QMutexLocker lock(&m_mutex);
    m_stopped.storeRelease(1);
    if (m_handle)
        sqlite3_interrupt(m_handle);
}
