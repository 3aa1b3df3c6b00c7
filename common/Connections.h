#pragma once
#include <QSqlDatabase>
#include <QString>

#include <memory>

struct sqlite3;

// Logical database connections ("Data_con", "temp_Data_con", a reader kind...).
// A QSqlDatabase works only on the thread that added it, so each thread gets
// its own connection to the registered file, and a handle never leaves that
// thread: whatever outlives one call (a model, a session, a manager) keeps a
// Binding and asks it for the calling thread's connection at each use. A
// thread's connections end with the thread.
// Removing or re-registering a name closes the connections of it at once,
// except those of a thread that may be using them right now (the GUI thread,
// or a thread inside a TaskScope): that thread drops them itself at its next
// call here, at the end of its task, or when it exits. A registration that a
// Binding still holds stays usable until the last such Binding is gone.
// All code asks this registry; nobody calls QSqlDatabase::database directly.
class Connections
{
public:
    struct Options
    {
        bool readOnly = false;  // an instrument's own archive: never changed
        bool scratch = false;   // temporary database: synchronous = OFF
        bool mustExist = false; // never create the file: opening a missing one fails
        // The file must stay the one registered (device and inode): a
        // connection that would open another file at the path does not open,
        // and a commit after the file was deleted or replaced is refused, so
        // nothing is written into a file nobody will read again.
        bool sameFile = false;
    };

    // Registers (or re-registers) a name for a file. A re-registered name never
    // hands out a connection of the old registration, even for the same path.
    static void registerFile(const QString &name, const QString &path, Options options);
    static void registerFile(const QString &name, const QString &path) { registerFile(name, path, Options()); }
    // Registers name for the file of another registration, with its options
    // and, under sameFile, the file it named when it was registered. False
    // (nothing registered) when there is no such registration.
    static bool registerAlike(const QString &name, const QString &existing);

    static bool contains(const QString &name);
    static QString filePath(const QString &name);
    // Tells registrations apart: a different value after the name was
    // registered again (even for the same path); 0 for an unknown name.
    static quint64 registration(const QString &name);
    // False when the name was registered with sameFile and its path no
    // longer names the file it named then (deleted or replaced); true
    // otherwise.
    static bool isSameFile(const QString &name);

    // The calling thread's connection for the name, opened on first use with
    // foreign keys on, WAL journal (unless read-only) and a busy timeout.
    // Invalid for an unknown name; not open when opening failed.
    static QSqlDatabase database(const QString &name);

    // Forgets the name; closes the calling thread's connection of it now and
    // every other thread's at that thread's next chance (see above).
    static void remove(const QString &name);

    // The file a handle is on (also for a handle opened without creating it).
    static QString pathOf(const QSqlDatabase &db);

    // The registered name a handle belongs to while that name still points at
    // the handle's file; empty otherwise.
    static QString logicalName(const QSqlDatabase &db);

    // Closes the calling thread's connection of the name (others stay).
    static void closeForThisThread(const QString &name);

    // SQLite's own handle of an open connection (null for another driver).
    static sqlite3 *handle(const QSqlDatabase &db);

    // An open connection whose file is no longer the one at its path
    // (deleted, renamed or replaced since it was opened): SQLite still
    // reads the old file through it.
    static bool hasMoved(const QSqlDatabase &db);

    // A lasting hold on one registration: the models and the session keep it
    // and ask it for a connection on whichever thread they run. The
    // registration stays usable while a Binding holds it, even after its name
    // was removed or registered again for another file, so a model outlives
    // neither its thread nor the next session's registration. After the name
    // has ended, a thread that had no connection yet opens the file only if it
    // still exists and is still the file the registration's connections
    // opened (under sameFile, the file registered, at any time).
    class Binding
    {
    public:
        Binding() = default;
        // The registration a handle of this registry belongs to. A handle
        // opened elsewhere is kept as it is (it then serves its own thread).
        explicit Binding(const QSqlDatabase &db);
        // The name's current registration; invalid for an unknown name.
        static Binding of(const QString &name);

        // The calling thread's connection of the registration (opened on
        // first use); invalid when the Binding is.
        QSqlDatabase database() const;
        bool isValid() const { return m_pin || m_handle.isValid(); }
        // Held through the registry (not a bare handle).
        bool isRegistered() const { return bool(m_pin); }
        // The registered name, whether or not it still names this registration.
        QString name() const;
        // The file; for a bare handle, the file it was opened on.
        QString path() const;
        // The registration held (0 for a bare handle).
        quint64 registration() const;
        // The name still stands for the registration held.
        bool isCurrent() const;
        // Registered with sameFile, and its path no longer names the file it
        // named then (deleted or replaced).
        bool fileChanged() const;
        // Lets go (the same as assigning an empty Binding).
        void reset() { *this = Binding(); }

        struct Pin;

    private:
        std::shared_ptr<Pin> m_pin;
        QSqlDatabase m_handle; // unregistered handles only
    };

    // Marks the calling thread as running a task: its connections are not
    // closed by other threads until the scope ends (then the stale ones go).
    class TaskScope
    {
    public:
        TaskScope();
        ~TaskScope();
        TaskScope(const TaskScope &) = delete;
        TaskScope &operator=(const TaskScope &) = delete;
    };
};
