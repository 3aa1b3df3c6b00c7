#pragma once
// Plain database helpers for tests: a fresh file with the application schema,
// statements run in a row, the tables a file holds and how many rows they have.
#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace testdb {

// Registers name for the file at path and returns this thread's connection to
// it; a scratch file skips the disk syncs.
enum class Sync { Full, Scratch };
QSqlDatabase open(const QString &name, const QString &path, Sync sync = Sync::Full);

// Registers name for a new file at path and returns this thread's connection
// with the application schema created on it.
QSqlDatabase createSchemaDatabase(const QString &name, const QString &path);

// Runs each statement; returns one "statement error" line per failure.
QStringList exec(QSqlDatabase db, const QStringList &statements);

// One column of a query's rows as text; empty when the query fails.
QStringList column(QSqlDatabase db, const QString &query, int column = 0);

// Every row of a query as "v1|v2|…", NULL spelled out; a failed query gives
// the one line "error: " with the statement and the database's reason.
QStringList rows(QSqlDatabase db, const QString &statement);

// The file's own tables in the order they were made.
QStringList tables(QSqlDatabase db);
// The names and the declared types of a table's columns, in order.
QStringList columns(QSqlDatabase db, const QString &table);
QStringList columnTypes(QSqlDatabase db, const QString &table);

// Rows of the table, or -1 when it cannot be counted.
qint64 count(QSqlDatabase db, const QString &table);
int rowCount(QSqlDatabase db, const QString &table);
// Rows of the table that another connection to the file sees: what was committed.
int committedRowCount(const QString &path, const QString &table);

// An application database whose record count takes long while its period
// stays a few index look-ups: a recorder instrument "Hall" (MoxB, parameter
// "U1") with rows in DataMoxB, one row per page of 512 bytes, and an index
// on (date, time) that only the look-ups can use (partial), so a bare
// COUNT(*) walks every page of the table. Times: one second apart from
// 2024-03-01 00:00:00 UTC. False when it cannot be made.
bool makeLongCountDatabase(const QString &path, int rows);

// An application database made to the schema alone, as an older version or
// another tool writes it: the five tables, none of the program's indexes, in
// SQLite's rollback journal mode. One instrument "Meter" (type 4) with
// parameters "P1".."P<parameters>" and values of them in turn, one round per
// second from 2024-03-01 00:00:00 UTC (kSchemaOnlyFirst). Opening it is the
// index build. False when it cannot be made.
constexpr qint64 kSchemaOnlyFirst = Q_INT64_C(1709251200000);
bool makeSchemaOnlyDatabase(const QString &path, int values, int parameters = 10);

// What must not change in an application database whatever happens to it:
// its schema entries (tables and indexes with their statements) and a digest
// of the Data rows, and whether SQLite finds it sound. Read outside the
// registry: the file keeps its journal mode.
QStringList contentDigest(const QString &path);

// Writes bytes to a file; returns its path.
QString writeFile(const QString &path, const QByteArray &bytes);

} // namespace testdb
