#pragma once
#include <QSqlDatabase>
#include <QString>

struct sqlite3;

// Logical database connections ("Data_con", "temp_Data_con", a reader kind...).
// A QSqlDatabase works only on the thread that added it, so each thread gets
// its own connection to the registered file, named "<name>@<thread>".
// All code asks this registry; nobody calls QSqlDatabase::database directly.
class Connections
{
public:
    struct Options
    {
        bool readOnly = false; // an instrument's own archive: never changed
        bool scratch = false;  // temporary database: synchronous = OFF
    };

    // Registers (or re-registers) a name for a file. Re-registering drops the
    // connections of the old registration.
    static void registerFile(const QString &name, const QString &path, Options options);
    static void registerFile(const QString &name, const QString &path) { registerFile(name, path, Options()); }

    static bool contains(const QString &name);
    static QString filePath(const QString &name);

    // The calling thread's connection for the name, opened on first use with
    // foreign keys on, WAL journal (unless read-only) and a busy timeout.
    // Invalid for an unknown name; not open when opening failed.
    static QSqlDatabase database(const QString &name);

    // Closes and forgets every per-thread connection of the name.
    static void remove(const QString &name);

    // Closes the calling thread's connection of the name (others stay).
    static void closeForThisThread(const QString &name);

    // SQLite's own handle of an open connection (null for another driver).
    static sqlite3 *handle(const QSqlDatabase &db);
};
