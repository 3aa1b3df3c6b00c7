#pragma once
// While it lives, a long statement of the connection stops within moments of
// the cancel flag turning 1: it fails as "interrupted", and SQLite rolls its
// transaction back. A sort of millions of rows or a set-based merge then ends
// as soon as a loop that polls the flag would. Statements of a few steps (one
// row, a commit, a rollback) are never interrupted, so the clean-up after a
// cancel still runs. One watch per connection at a time.
//
// Some work of SQLite is no statement step: the checkpoint that follows a
// large commit copies the whole log into the file. A watch that stops at once
// is also interrupted by cancel(), which the cancel's owner calls right after
// it set the flag: whatever runs on the connection then stops, a single-row
// statement too (a commit that has begun completes; only its checkpoint
// stops). Only code that takes every failure after a cancel for the cancel
// may run under such a watch.
#include <QAtomicInteger>
#include <QSqlDatabase>

struct sqlite3;

class CancelWatch
{
public:
    enum class Stop {
        Polled, // long statements, through the progress handler
        AtOnce, // and whatever runs when cancel() is called
    };

    CancelWatch(const QSqlDatabase &db, QAtomicInteger<char> *cancelFlag, Stop stop = Stop::Polled);
    ~CancelWatch();
    CancelWatch(const CancelWatch &) = delete;
    CancelWatch &operator=(const CancelWatch &) = delete;

    // From any thread, once the flag is 1: interrupts the connections that
    // watches of this flag stop at once.
    static void cancel(QAtomicInteger<char> *cancelFlag);

private:
    sqlite3 *m_db = nullptr;
    QAtomicInteger<char> *m_flag = nullptr;
    bool m_atOnce = false;
};

// While it lives, a commit of the connection only writes its write-ahead log:
// moving the log into the database file (SQLite's checkpoint, which after a
// commit of millions of rows runs about as long as the commit itself, and
// outside the statement machine that a watch can stop) is left to
// checkpointUnlessCancelled.
class DeferredCheckpoint
{
public:
    explicit DeferredCheckpoint(const QSqlDatabase &db);
    ~DeferredCheckpoint();
    DeferredCheckpoint(const DeferredCheckpoint &) = delete;
    DeferredCheckpoint &operator=(const DeferredCheckpoint &) = delete;

private:
    sqlite3 *m_db = nullptr;
    int m_pages = 0; // the automatic checkpoint's threshold to restore
};

// Moves the connection's write-ahead log into the database file, unless the
// cancel flag is 1, and stops within moments of it turning 1. Stopping loses
// nothing: what was committed stays committed, and a later checkpoint moves
// the rest of the log.
void checkpointUnlessCancelled(const QSqlDatabase &db, QAtomicInteger<char> *cancelFlag);
