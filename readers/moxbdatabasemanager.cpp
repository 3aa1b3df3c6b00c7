#include "readers/moxbdatabasemanager.h"

#include "common/Connections.h"
#include "common/Trace.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>

const char *const moxbdatabasemanager::kConnectionName = "Data_con_1";
QAtomicPointer<moxbdatabasemanager> moxbdatabasemanager::s_owner;

namespace {

QString connectionName()
{
    return QLatin1String(moxbdatabasemanager::kConnectionName);
}

} // namespace

moxbdatabasemanager::moxbdatabasemanager(QObject *parent)
    : QObject(parent)
{
}

moxbdatabasemanager::~moxbdatabasemanager()
{
    // A newer manager may own the name by now: its connection stays.
    if (s_owner.testAndSetOrdered(this, nullptr)) {
        m_db.reset();
        Connections::remove(connectionName());
        TRACE() << "Database connection removed.";
    }
}

void moxbdatabasemanager::becomeOwner()
{
    s_owner.storeRelease(this);
    m_useGivenDatabase = false;
    m_db.reset();
}

bool moxbdatabasemanager::ownsConnection() const
{
    return s_owner.loadAcquire() == this;
}

void moxbdatabasemanager::adoptConnection()
{
    becomeOwner();
}

bool moxbdatabasemanager::openDatabase(QString path)
{
    TRACE() << "Trying to open database file:" << path;
    const QString name = connectionName();
    const bool registered = !Connections::contains(name);
    if (registered) {
        Connections::Options options;
        options.readOnly = true;
        Connections::registerFile(name, path, options);
    } else {
        TRACE() << "Reusing existing database connection: " << name;
    }
    becomeOwner();
    QSqlDatabase db = database();
    // SQLite opens any file lazily: a file that is no database shows on the
    // first read.
    QString error = db.lastError().text();
    bool ok = db.isOpen();
    if (ok) {
        QSqlQuery probe(db);
        ok = probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
        if (!ok)
            error = probe.lastError().text();
    }
    if (!ok) {
        TRACE() << "Failed to open database: " << error;
        db = QSqlDatabase();
        // A name registered for this failed attempt is not left behind.
        if (registered)
            closeDatabase();
        return false;
    }
    const QStringList tables = fetchTables();
    TRACE() << "Database opened successfully. Available tables: " << tables;
    return true;
}

QSqlDatabase moxbdatabasemanager::database()
{
    if (m_useGivenDatabase)
        return m_db.database();
    const QString name = connectionName();
    return Connections::contains(name) ? Connections::database(name) : QSqlDatabase();
}

QStringList moxbdatabasemanager::fetchTables()
{
    QSqlDatabase db = database();
    if (!db.isValid()) {
        TRACE() << "Invalid or closed database connection! Reopening...";
        TRACE() << "Failed to open database while fetching tables.";
        return QStringList();
    }
    if (!db.isOpen()) {
        TRACE() << "Invalid or closed database connection! Reopening...";
        if (!db.open()) {
            TRACE() << "Failed to open database while fetching tables.";
            return QStringList();
        }
    }
    QStringList tables = db.tables(QSql::Tables);
    tables.removeAll(QStringLiteral("sqlite_sequence"));
    return tables;
}

QSqlTableModel *moxbdatabasemanager::loadTableModel(QString tableName)
{
    QSqlDatabase db = database();
    if (!db.isOpen()) {
        TRACE() << "Database not open!";
        return nullptr;
    }
    if (tableName.isEmpty()) {
        TRACE() << "Empty table name provided!";
        return nullptr;
    }
    TRACE() << "Attempting to load table model for: " << tableName;
    auto *model = new QSqlTableModel(this, db);
    model->setTable(tableName);
    if (!model->select()) {
        TRACE() << "Failed to load table: " << tableName << "SQL Error: " << model->lastError().text();
        delete model;
        return nullptr;
    }
    TRACE() << "Table model loaded. Rows: " << model->rowCount();
    return model;
}

bool moxbdatabasemanager::hasInstrumentInfoTable(QSqlDatabase db)
{
    m_db = Connections::Binding(db);
    m_useGivenDatabase = true;
    const QStringList tables = fetchTables();
    return tables.contains(QStringLiteral("Informacje systemowe")) || tables.contains(QStringLiteral("Instrument information"));
}

void moxbdatabasemanager::closeDatabase()
{
    m_db.reset();
    m_useGivenDatabase = false;
    if (s_owner.testAndSetOrdered(this, nullptr))
        Connections::remove(connectionName());
}
