#include "common/CancelWatch.h"

#include "common/Connections.h"

#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <QList>
#include <QMutex>

#include <sqlite3.h>

namespace {

// Asked every so many virtual machine steps of a running statement.
constexpr int kSteps = 1000;

int stopWhenCancelled(void *flag)
{
    return static_cast<QAtomicInteger<char> *>(flag)->loadRelaxed() == 1 ? 1 : 0;
}

struct Watched
{
    sqlite3 *db;
    QAtomicInteger<char> *flag;
};

// The connections that a cancel interrupts at once. A watch leaves the list
// before its connection can close, and the list is only read under the
// lock: sqlite3_interrupt never meets a closed connection.
QMutex g_mutex;
QList<Watched> g_atOnce;

} // namespace

CancelWatch::CancelWatch(const QSqlDatabase &db, QAtomicInteger<char> *cancelFlag, Stop stop)
    : m_db(cancelFlag && db.isOpen() ? Connections::handle(db) : nullptr)
    , m_flag(cancelFlag)
    , m_atOnce(stop == Stop::AtOnce)
{
    if (!m_db)
        return;
    sqlite3_progress_handler(m_db, kSteps, stopWhenCancelled, cancelFlag);
    if (m_atOnce) {
        QMutexLocker lock(&g_mutex);
        g_atOnce.append({m_db, m_flag});
    }
}

CancelWatch::~CancelWatch()
{
    if (!m_db)
        return;
    if (m_atOnce) {
        QMutexLocker lock(&g_mutex);
        for (int i = g_atOnce.size() - 1; i >= 0; --i)
            if (g_atOnce.at(i).db == m_db && g_atOnce.at(i).flag == m_flag) {
                g_atOnce.removeAt(i);
                break;
            }
    }
    sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
}

void CancelWatch::cancel(QAtomicInteger<char> *cancelFlag)
{
    QMutexLocker lock(&g_mutex);
    for (const Watched &watched : qAsConst(g_atOnce))
        if (watched.flag == cancelFlag)
            sqlite3_interrupt(watched.db);
}

DeferredCheckpoint::DeferredCheckpoint(const QSqlDatabase &db)
    : m_db(db.isOpen() ? Connections::handle(db) : nullptr)
{
    if (!m_db)
        return;
    // SQLite's own default, should the connection not tell its threshold.
    m_pages = 1000;
    QSqlQuery pages(db);
    if (pages.exec(QStringLiteral("PRAGMA wal_autocheckpoint")) && pages.next())
        m_pages = pages.value(0).toInt();
    sqlite3_wal_autocheckpoint(m_db, 0);
}

DeferredCheckpoint::~DeferredCheckpoint()
{
    if (m_db)
        sqlite3_wal_autocheckpoint(m_db, m_pages);
}

void checkpointUnlessCancelled(const QSqlDatabase &db, QAtomicInteger<char> *cancelFlag)
{
    sqlite3 *handle = db.isOpen() ? Connections::handle(db) : nullptr;
    if (!handle || (cancelFlag && cancelFlag->loadAcquire() == 1))
        return;
    // No progress handler is called while pages are copied, but the copying
    // looks at the connection's interrupt: a thread of its own sets it. One
    // that comes just as the copying ends is cleared by the next statement
    // that starts while none runs.
    QAtomicInt done(0);
    QThread *watcher = nullptr;
    if (cancelFlag) {
        watcher = QThread::create([handle, cancelFlag, &done]() {
            while (done.loadAcquire() == 0) {
                if (cancelFlag->loadAcquire() == 1) {
                    sqlite3_interrupt(handle);
                    return;
                }
                QThread::msleep(5);
            }
        });
        watcher->start();
    }
    // Passive: readers of the file go on, and what they still read stays in the log.
    sqlite3_wal_checkpoint_v2(handle, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    done.storeRelease(1);
    if (watcher) {
        watcher->wait();
        delete watcher;
    }
}
