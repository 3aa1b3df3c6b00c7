#include "common/SqliteStatement.h"

#include "common/Connections.h"

#include <sqlite3.h>

namespace sql {

QString diskFullText()
{
    return QString::fromUtf8(sqlite3_errstr(SQLITE_FULL));
}

bool isDiskFull(const QString &errorText)
{
    return errorText.contains(diskFullText());
}

} // namespace sql

SqliteStatement::~SqliteStatement()
{
    finalize();
}

void SqliteStatement::finalize()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
}

void SqliteStatement::setError(const QString &fallback)
{
    m_code = m_db ? (sqlite3_errcode(m_db) & 0xff) : SQLITE_MISUSE;
    m_error = m_db && m_code != SQLITE_OK ? QString::fromUtf8(sqlite3_errmsg(m_db)) : fallback;
}

bool SqliteStatement::prepare(const QSqlDatabase &db, const QString &text)
{
    finalize();
    m_error.clear();
    m_code = 0;
    m_db = db.isOpen() ? Connections::handle(db) : nullptr;
    if (!m_db) {
        setError(QStringLiteral("Not an open SQLite connection"));
        return false;
    }
    const QByteArray utf8 = text.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), utf8.size(), &m_stmt, nullptr) != SQLITE_OK) {
        setError(QStringLiteral("Statement refused"));
        finalize();
        return false;
    }
    return true;
}

void SqliteStatement::bind(int i, qint64 value)
{
    sqlite3_bind_int64(m_stmt, i, value);
}

void SqliteStatement::bind(int i, double value)
{
    sqlite3_bind_double(m_stmt, i, value);
}

void SqliteStatement::bindNull(int i)
{
    sqlite3_bind_null(m_stmt, i);
}

SqliteStatement::Step SqliteStatement::step()
{
    if (!m_stmt) {
        m_code = SQLITE_MISUSE;
        m_error = QStringLiteral("No statement");
        return Error;
    }
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return Row;
    // The error of a failed step is read before the reset, which would
    // report it again but keeps nothing else.
    if (rc != SQLITE_DONE)
        setError(QStringLiteral("Statement failed"));
    sqlite3_reset(m_stmt);
    return rc == SQLITE_DONE ? Done : Error;
}

void SqliteStatement::reset()
{
    if (m_stmt)
        sqlite3_reset(m_stmt);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 SqliteStatement::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double SqliteStatement::real(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}
