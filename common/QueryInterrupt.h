#pragma once
// Stops the statements of a connection that another thread runs. A bare
// COUNT(*) is one step of SQLite's machine, during which the progress handler
// is never called; sqlite3_interrupt stops it within milliseconds. The thread
// running the statements publishes its connection's handle while it uses it,
// and interrupt() may be called from any thread at any time, also before the
// statements start or after they ended.
#include <QAtomicInt>
#include <QMutex>
#include <QSqlDatabase>

struct sqlite3;

class QueryInterrupt
{
public:
    QueryInterrupt() = default;
    ~QueryInterrupt();
    QueryInterrupt(const QueryInterrupt &) = delete;
    QueryInterrupt &operator=(const QueryInterrupt &) = delete;

    // On the thread that runs the statements, with the connection open:
    // until release(), interrupt() stops what runs on it. An interrupt asked
    // before stops the first statement.
    void attach(const QSqlDatabase &db);
    // On the same thread, before the connection closes.
    void release();

    void interrupt();
    bool isInterrupted() const { return m_stopped.loadAcquire() != 0; }

private:
    mutable QMutex m_mutex;
    sqlite3 *m_handle = nullptr;
    QAtomicInt m_stopped;
};
