#pragma once
// While it lives, a long statement of the connection stops within moments of
// the cancel flag turning 1: it fails as "interrupted", and SQLite rolls its
// transaction back. A sort of millions of rows or a set-based merge then ends
// as soon as a loop that polls the flag would. Statements of a few steps (one
// row, a commit, a rollback) are never interrupted, so the clean-up after a
// cancel still runs. One watch per connection at a time.
#include <QAtomicInteger>
#include <QSqlDatabase>

struct sqlite3;

class CancelWatch
{
public:
    CancelWatch(const QSqlDatabase &db, QAtomicInteger<char> *cancelFlag);
    ~CancelWatch();
    CancelWatch(const CancelWatch &) = delete;
    CancelWatch &operator=(const CancelWatch &) = delete;

private:
    sqlite3 *m_db = nullptr;
};
