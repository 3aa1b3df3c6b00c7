#pragma once
// Whether a file may be opened as the application database. The check only
// reads: a file that is refused is left exactly as it was (no journal files,
// no change of its journal mode).
#include <QString>

enum class DatabaseFileKind {
    Application, // SQLite with at least one of the application's tables
    Unreadable,  // missing, a folder, or not readable
    NotSqlite,   // anything that is not an SQLite 3 database
    NotWritable, // an SQLite database that cannot be written, or in a folder that cannot
    ForeignSqlite, // SQLite without any of the application's tables
};

DatabaseFileKind checkApplicationDatabaseFile(const QString &path);

// What the user is told when a file is refused (empty for Application).
QString applicationDatabaseRefusal(DatabaseFileKind kind, const QString &path);
