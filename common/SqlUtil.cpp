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

QString affinityName(const QString &declaredType)
{
    // The rules in SQLite's order: the first that matches decides.
    const QString type = declaredType.toUpper();
    if (type.contains(QLatin1String("INT")))
        return QStringLiteral("INTEGER");
    if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("CLOB"))
        || type.contains(QLatin1String("TEXT")))
        return QStringLiteral("TEXT");
    if (type.contains(QLatin1String("BLOB")) || type.trimmed().isEmpty())
        return QStringLiteral("BLOB");
    if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA"))
        || type.contains(QLatin1String("DOUB")))
        return QStringLiteral("REAL");
    return QStringLiteral("NUMERIC");
}

} // namespace sql

TransactionGuard::TransactionGuard(QSqlDatabase db)
    : m_db(db)
{
    m_active = m_db.isOpen() && m_db.transaction();
    if (!m_active)
        setError();
}

void TransactionGuard::setError()
{
    const QSqlError error = m_db.lastError();
    m_error = error.text();
    m_databaseText = error.databaseText().isEmpty() ? error.text() : error.databaseText();
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
    setError();
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
