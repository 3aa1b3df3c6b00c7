#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace sql {

// Quotes an identifier that comes from data (parameter, instrument, column
// names): "…" with every inner " doubled. Never paste such text unquoted.
QString quoteIdentifier(const QString &name);
QString quoteIdentifiers(const QStringList &names, const QString &separator = QStringLiteral(", "));

// "?, ?, …" for binding a list of values (an IN list, a VALUES row).
QString placeholders(int count);

// The statement that lists a database's own tables by name, SQLite's
// internal "sqlite_…" tables left out (the prefix taken literally: in LIKE
// its "_" would match any character, and a table "sqlite1" would be missed).
// schema: an attached database's name, empty for the main one.
QString userTablesStatement(const QString &schema = QString());

// A statement's text with its last error, for console messages.
QString errorText(const class QSqlQuery &query);

// The name of the affinity SQLite gives a column declared with this type
// (INTEGER, TEXT, BLOB, REAL or NUMERIC, by SQLite's own rules): a type read
// from a file goes into a statement only as one of these five words.
QString affinityName(const QString &declaredType);

} // namespace sql

// Begins a transaction on construction; rolls back on every exit that did not
// commit. A failed commit is reported by commit() and errorText().
class TransactionGuard
{
public:
    explicit TransactionGuard(QSqlDatabase db);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard &) = delete;
    TransactionGuard &operator=(const TransactionGuard &) = delete;

    bool isActive() const { return m_active; }
    bool commit();
    void rollback();
    QString errorText() const { return m_error; }
    // The database's own words for the failure ("database or disk is full").
    QString databaseText() const { return m_databaseText; }

private:
    void setError();

    QSqlDatabase m_db;
    bool m_active = false;
    QString m_error;
    QString m_databaseText;
};
