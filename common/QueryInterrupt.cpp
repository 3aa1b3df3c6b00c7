#include "common/QueryInterrupt.h"

#include "common/Connections.h"

#include <sqlite3.h>

QueryInterrupt::~QueryInterrupt()
{
    release();
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
