#pragma once
// One prepared statement on a connection's own SQLite handle. For statements
// run once per value of a large import: binding and stepping through QSqlQuery
// costs several allocations per value, this costs none. It runs inside the
// connection's transactions like any other statement of that connection.
#include <QSqlDatabase>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace sql {
// Whether a database error text tells that the disk had no room left
// (SQLite's own words for it, also inside a longer driver text).
bool isDiskFull(const QString &errorText);
// Those words: "database or disk is full".
QString diskFullText();
} // namespace sql

class SqliteStatement
{
public:
    SqliteStatement() = default;
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // False (see errorText) when the connection is not open SQLite or the
    // statement is refused.
    bool prepare(const QSqlDatabase &db, const QString &text);
    bool isPrepared() const { return m_stmt != nullptr; }
    // Releases the statement; the connection may then be closed.
    void finalize();

    // Parameters count from 1, as SQLite numbers them.
    void bind(int i, qint64 value);
    void bind(int i, double value);
    void bindNull(int i);

    enum Step { Row, Done, Error };
    // After Done or Error the statement is reset, ready for new values; its
    // bindings stay.
    Step step();
    // Ends a statement that still has rows.
    void reset();

    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;

    // The database's own words for the last failure ("database or disk is
    // full"), and SQLite's primary result code of it (0 when none).
    QString errorText() const { return m_error; }
    int errorCode() const { return m_code; }

private:
    void setError(const QString &fallback);

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_error;
    int m_code = 0;
};
