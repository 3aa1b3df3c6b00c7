#pragma once
#include "common/Connections.h"

#include <QAtomicPointer>
#include <QObject>
#include <QSqlDatabase>
#include <QStringList>

class QSqlTableModel;

// Access to the MoxB recorder's settings database under the connection name
// "Data_con_1": the instrument's own SQLite settings file, or the temporary
// database the settings CSV reader fills. Several managers may exist one
// after the other; only the one that registered (or adopted) the connection
// last owns it, and only the owner removes it.
class moxbdatabasemanager : public QObject
{
    Q_OBJECT
public:
    static const char *const kConnectionName; // "Data_con_1"

    explicit moxbdatabasemanager(QObject *parent = nullptr);
    ~moxbdatabasemanager() override;

    // Opens path under "Data_con_1" (read-only: the instrument's file is never
    // changed). When the name is registered already, it is reused and path
    // is not applied.
    bool openDatabase(QString path);
    // The tables of the database, "sqlite_sequence" left out.
    QStringList fetchTables();
    // The calling thread's handle of the settings database.
    QSqlDatabase database();
    // A model over one table, owned by this object; null on failure.
    QSqlTableModel *loadTableModel(QString tableName);
    // Makes db this object's database and tells whether it carries the
    // instrument-information table ("Instrument information" or
    // "Informacje systemowe").
    bool hasInstrumentInfoTable(QSqlDatabase db);

    // Takes over "Data_con_1" as registered by someone else (the temporary
    // database of a settings CSV).
    void adoptConnection();
    // Drops this object's handle and, when it owns the name, the connection.
    void closeDatabase();

    bool ownsConnection() const;

private:
    void becomeOwner();

    // A database handed in by hasInstrumentInfoTable; otherwise the registry's
    // connection of the calling thread is used. Either way the calling
    // thread's own connection: the manager is made on a worker and used on
    // the GUI thread.
    Connections::Binding m_db;
    bool m_useGivenDatabase = false;
    static QAtomicPointer<moxbdatabasemanager> s_owner;
};
