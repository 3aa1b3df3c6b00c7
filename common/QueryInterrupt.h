#pragma once
// Stops the statements of a connection that another thread runs. A bare
// COUNT(*) is one step of SQLite's machine, during which the progress handler
// is never called; sqlite3_interrupt stops it within milliseconds. The thread
// running the statements publishes its connection's handle while it uses it,
// and interrupt() may be called from any thread at any time, also before the
// statements start or after they ended.
//
// One made for a file is also stopped by interruptReadersOf(file): closing a
// session stops every count and look-up still reading its database, whoever
// started them.
#include <QAtomicInt>
#include <QMutex>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct sqlite3;

class QueryInterrupt
{
public:
    // file: the database the statements read; empty when no closing of a
    // file is to stop them.
    explicit QueryInterrupt(const QString &file = QString());
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

    // Interrupts every live QueryInterrupt made for this file (the same
    // file by any path that names it). Any thread.
    static void interruptReadersOf(const QString &file);

private:
    mutable QMutex m_mutex;
    sqlite3 *m_handle = nullptr;
    QAtomicInt m_stopped;
    const QStringList m_file; // the texts that name the file
};
