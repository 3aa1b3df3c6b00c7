#pragma once
// Inserts rows of text cells into a recorder's wide table through one
// prepared statement on the connection's own SQLite handle: a row of sixty
// cells costs no allocation, where binding through QSqlQuery costs several
// per cell. Cells are UTF-16 text that must stay alive until insertRow().
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

class WideRowWriter
{
public:
    WideRowWriter() = default;
    ~WideRowWriter();
    WideRowWriter(const WideRowWriter &) = delete;
    WideRowWriter &operator=(const WideRowWriter &) = delete;

    // "INSERT INTO <table> (<columns>) VALUES (?, …)", names quoted. False
    // (see errorText) when the connection is not SQLite or the statement is
    // refused.
    bool prepare(QSqlDatabase db, const QString &table, const QStringList &columns);
    int columnCount() const { return m_columns; }

    // Binds cell i (0-based) as text; an empty cell is NULL.
    void bindText(int i, const QChar *text, int size);
    // Runs the statement with the cells bound since the last row.
    bool insertRow();

    QString errorText() const { return m_error; }

private:
    void finalize();
    void setError(const QString &what);

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    int m_columns = 0;
    QString m_error;
};
