#include "support/DbTestUtil.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "database/DatabaseStructure.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace testdb {

QSqlDatabase open(const QString &name, const QString &path, Sync sync)
{
    Connections::Options options;
    options.scratch = sync == Sync::Scratch;
    Connections::registerFile(name, path, options);
    return Connections::database(name);
}

QSqlDatabase createSchemaDatabase(const QString &name, const QString &path)
{
    QFile::remove(path);
    QSqlDatabase db = open(name, path, Sync::Scratch);
    // The schema a temporary database gets from the archive manager.
    if (!DatabaseStructure().initStructure(db))
        qFatal("cannot create the schema in %s", qPrintable(path));
    return db;
}

QStringList exec(QSqlDatabase db, const QStringList &statements)
{
    QStringList failures;
    QSqlQuery q(db);
    for (const QString &s : statements) {
        if (!q.exec(s))
            failures << s + QLatin1Char(' ') + q.lastError().text();
    }
    return failures;
}

QStringList column(QSqlDatabase db, const QString &query, int column)
{
    QSqlQuery q(db);
    q.exec(query);
    QStringList out;
    while (q.next())
        out << q.value(column).toString();
    return out;
}

QStringList rows(QSqlDatabase db, const QString &statement)
{
    QSqlQuery q(db);
    if (!q.exec(statement))
        return {QStringLiteral("error: ") + statement + QStringLiteral(": ") + q.lastError().text()};
    QStringList out;
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i)
            cells << (q.isNull(i) ? QStringLiteral("NULL") : q.value(i).toString());
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QStringList tables(QSqlDatabase db)
{
    return column(db, sql::userTablesStatement() + QStringLiteral(" ORDER BY rowid"));
}

QStringList columns(QSqlDatabase db, const QString &table)
{
    return column(db, QStringLiteral("PRAGMA table_info(%1)").arg(sql::quoteIdentifier(table)), 1);
}

QStringList columnTypes(QSqlDatabase db, const QString &table)
{
    return column(db, QStringLiteral("PRAGMA table_info(%1)").arg(sql::quoteIdentifier(table)), 2);
}

qint64 count(QSqlDatabase db, const QString &table)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(sql::quoteIdentifier(table))) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

int rowCount(QSqlDatabase db, const QString &table)
{
    return int(count(db, table));
}

int committedRowCount(const QString &path, const QString &table)
{
    const QString name = QStringLiteral("committed_check");
    const int n = rowCount(open(name, path), table);
    Connections::remove(name);
    return n;
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace testdb
