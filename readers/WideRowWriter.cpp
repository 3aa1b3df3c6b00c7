#include "readers/WideRowWriter.h"

#include "common/SqlUtil.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

WideRowWriter::~WideRowWriter()
{
    finalize();
}

void WideRowWriter::finalize()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_db = nullptr;
    m_columns = 0;
}

void WideRowWriter::setError(const QString &what)
{
    m_error = what;
    if (m_db)
        m_error += QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db));
}

bool WideRowWriter::prepare(QSqlDatabase db, const QString &table, const QStringList &columns)
{
    finalize();
    m_error.clear();
    const QVariant handle = db.isOpen() && db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        setError(QStringLiteral("Not an open SQLite connection"));
        return false;
    }
    m_db = *static_cast<sqlite3 *const *>(handle.constData());
    if (!m_db) {
        setError(QStringLiteral("Not an open SQLite connection"));
        return false;
    }
    const QString text = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                             .arg(sql::quoteIdentifier(table), sql::quoteIdentifiers(columns, QStringLiteral(",")),
                                  sql::placeholders(columns.size()));
    const QByteArray utf8 = text.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), utf8.size(), &m_stmt, nullptr) != SQLITE_OK) {
        setError(QStringLiteral("Query preparation failed"));
        if (m_stmt)
            sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        return false;
    }
    m_columns = columns.size();
    return true;
}

void WideRowWriter::bindText(int i, const QChar *text, int size)
{
    if (!m_stmt || i < 0 || i >= m_columns)
        return;
    if (size <= 0)
        sqlite3_bind_null(m_stmt, i + 1);
    else
        sqlite3_bind_text16(m_stmt, i + 1, text, size * int(sizeof(QChar)), SQLITE_STATIC);
}

bool WideRowWriter::insertRow()
{
    if (!m_stmt) {
        setError(QStringLiteral("No statement"));
        return false;
    }
    const int rc = sqlite3_step(m_stmt);
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    if (rc != SQLITE_DONE) {
        setError(QStringLiteral("Insert failed"));
        return false;
    }
    return true;
}
