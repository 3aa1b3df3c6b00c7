#include "common/SqlUtil.h"

#include <QSqlError>
#include <QSqlQuery>

namespace sql {

QString quoteIdentifier(const QString &name)
{
    QString out;
    out.reserve(name.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : name) {
        if (c == QLatin1Char('"'))
            out += QLatin1Char('"');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

QString quoteIdentifiers(const QStringList &names, const QString &separator)
{
    QStringList quoted;
    quoted.reserve(names.size());
    for (const QString &n : names)
        quoted << quoteIdentifier(n);
    return quoted.join(separator);
}

QString placeholders(int count)
{
    QStringList marks;
    marks.reserve(count);
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

QString userTablesStatement(const QString &schema)
{
    const QString master = schema.isEmpty() ? QStringLiteral("sqlite_master")
                                            : quoteIdentifier(schema) + QStringLiteral(".sqlite_master");
    return QStringLiteral("SELECT name FROM ") + master
           + QStringLiteral(" WHERE type = 'table' AND substr(name, 1, 7) <> 'sqlite_'");
}

QString errorText(const QSqlQuery &query)
{
    return query.lastError().text();
}

} // namespace sql

TransactionGuard::TransactionGuard(QSqlDatabase db)
    : m_db(db)
{
    m_active = m_db.isOpen() && m_db.transaction();
    if (!m_active)
        m_error = m_db.lastError().text();
}

TransactionGuard::~TransactionGuard()
{
    rollback();
}

bool TransactionGuard::commit()
{
    if (!m_active)
        return false;
    if (m_db.commit()) {
        m_active = false;
        return true;
    }
    m_error = m_db.lastError().text();
    // SQLite may leave the transaction open after a failed COMMIT (a deferred
    // constraint, a busy database); the destructor rolls it back.
    return false;
}

void TransactionGuard::rollback()
{
    if (m_active) {
        m_db.rollback();
        m_active = false;
    }
}
