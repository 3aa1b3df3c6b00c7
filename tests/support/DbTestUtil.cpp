#include "support/DbTestUtil.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "database/ArchiveManager.h"
#include "database/DatabaseStructure.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <sqlite3.h>

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

bool makeLongCountDatabase(const QString &path, int rows)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    if (!ArchiveManager::createDatabase(path))
        return false;
    // Built outside the registry: the page size changes only out of WAL
    // mode, and the fill needs no journal.
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK;
    const QByteArray statements =
        "PRAGMA journal_mode = DELETE; PRAGMA page_size = 512; VACUUM;"
        "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;"
        "INSERT INTO Devices (id, name, type) VALUES (1, 'Hall', 17);"
        "INSERT INTO Parameters (idDevices, name, unit) VALUES (1, 'U1', 'V');"
        "CREATE TABLE DataMoxB (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, date TEXT, time TEXT, \"U1 (Hall)\" TEXT);"
        "BEGIN;"
        "INSERT INTO DataMoxB (date, time, \"U1 (Hall)\") "
        "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x + 1 < "
        + QByteArray::number(rows)
        + ") SELECT date(1709251200 + x, 'unixepoch'), time(1709251200 + x, 'unixepoch') || '.000', "
          "printf('%0400d', x) FROM c;"
          "COMMIT;"
          // Under the program's own name, so that an open takes it as there:
          // a full index on (date, time) would make the count quick.
          "CREATE INDEX idx_DataMoxB_date_time ON DataMoxB (date, time) WHERE date IS NOT NULL AND time IS NOT NULL;";
    char *error = nullptr;
    if (ok && sqlite3_exec(db, statements.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        qWarning("makeLongCountDatabase: %s", error);
        ok = false;
    }
    sqlite3_free(error);
    sqlite3_close(db);
    return ok;
}

bool makeSchemaOnlyDatabase(const QString &path, int values, int parameters)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    const DatabaseStructure schema;
    QByteArray statements = "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;";
    for (int id = DatabaseStructure::DevicesTable; id <= DatabaseStructure::EventDataTable; ++id)
        statements += schema.tableById(id)->createTableQuery().toUtf8();
    statements += "INSERT INTO Devices (id, name, type) VALUES (1, 'Meter', 4);"
                  "INSERT INTO Parameters (idDevices, name, unit) "
                  "WITH RECURSIVE p(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM p WHERE i < "
                  + QByteArray::number(parameters)
                  + ") SELECT 1, 'P' || i, 'V' FROM p;"
                    "BEGIN;"
                    "INSERT INTO Data (idParameters, value, flag, dateTime) "
                    "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x + 1 < "
                  + QByteArray::number(values) + ") SELECT x % " + QByteArray::number(parameters)
                  + " + 1, x * 0.5, 0, " + QByteArray::number(kSchemaOnlyFirst) + " + (x / "
                  + QByteArray::number(parameters)
                  + ") * 1000 FROM c;"
                    "COMMIT;"
                    "PRAGMA journal_mode = DELETE;";
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK;
    char *error = nullptr;
    if (ok && sqlite3_exec(db, statements.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        qWarning("makeSchemaOnlyDatabase: %s", error);
        ok = false;
    }
    sqlite3_free(error);
    sqlite3_close(db);
    return ok;
}

QStringList contentDigest(const QString &path)
{
    // Outside the registry, which would switch the file to WAL mode.
    sqlite3 *db = nullptr;
    QStringList out;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("cannot open ") + path};
    }
    for (const char *statement : {"SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name",
                                  "SELECT COUNT(*), SUM(idParameters), SUM(value), SUM(dateTime) FROM Data",
                                  "PRAGMA integrity_check"}) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, statement, -1, &stmt, nullptr) != SQLITE_OK) {
            out << QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db));
            continue;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                cells << (sqlite3_column_type(stmt, i) == SQLITE_NULL
                              ? QStringLiteral("NULL")
                              : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i))));
            out << cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
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
