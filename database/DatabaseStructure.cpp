#include "database/DatabaseStructure.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QMutex>
#include <QSqlError>
#include <QSqlRecord>

#include <memory>
#include <vector>

namespace {

QString lastError(const QSqlQuery &query)
{
    return query.lastError().text();
}

// Owner of every process-wide instance ever installed: they are never freed
// before exit, so a pointer read from g_databaseStructure stays valid.
DatabaseStructure *keepInstance(std::unique_ptr<DatabaseStructure> instance)
{
    static QMutex mutex;
    static std::vector<std::unique_ptr<DatabaseStructure>> instances;
    QMutexLocker lock(&mutex);
    instances.push_back(std::move(instance));
    return instances.back().get();
}

} // namespace

DatabaseStructure *g_databaseStructure = keepInstance(std::make_unique<DatabaseStructure>());

DatabaseStructure *DatabaseStructure::installNewInstance()
{
    g_databaseStructure = keepInstance(std::make_unique<DatabaseStructure>());
    return g_databaseStructure;
}

// ---------------------------------------------------------------------------
// Table descriptors

template<typename Tag>
QString DatabaseStructure::table<Tag>::columnsDefinition() const
{
    QString out;
    for (const Column &c : m_columns)
        out += QStringLiteral("%1, ").arg(columnDefinition(c));
    // Without a constraint the definitions end the list; with one, the comma
    // and blank stay and the constraint follows them.
    if (m_constraint.isEmpty())
        out.chop(2);
    return out;
}

template<typename Tag>
QString DatabaseStructure::table<Tag>::createTableQuery() const
{
    return QStringLiteral("CREATE TABLE %1 (%2 %3);").arg(m_name, columnsDefinition(), m_constraint);
}

template<typename Tag>
bool DatabaseStructure::table<Tag>::missingColumns(QSqlQuery query, QStringList *errors) const
{
    QSet<QString> existing;
    int count = 0;
    while (query.next()) {
        existing.insert(query.value(1).toString());
        ++count;
    }
    // A table with as many columns as declared, or more, is left as it is.
    if (count >= m_columns.size())
        return false;
    QSet<QString> missing;
    for (const Column &c : m_columns) {
        if (!existing.contains(c.name))
            missing.insert(c.name);
    }
    return addColumns(query, missing, errors);
}

template<typename Tag>
bool DatabaseStructure::table<Tag>::addColumns(QSqlQuery query, QSet<QString> names, QStringList *errors) const
{
    bool changed = false;
    // Position order keeps positional inserts into the table valid.
    for (const Column &c : m_columns) {
        if (!names.contains(c.name))
            continue;
        const QString statement = QStringLiteral("ALTER TABLE %1 ADD %2;").arg(m_name, columnDefinition(c));
        if (query.exec(statement)) {
            changed = true;
        } else {
            const QString text = QStringLiteral("%1 %2").arg(statement, lastError(query));
            qCWarning(lcTrace).noquote() << text;
            if (errors)
                errors->append(text);
        }
    }
    return changed;
}

template class DatabaseStructure::table<DatabaseStructure::DEVICES>;
template class DatabaseStructure::table<DatabaseStructure::PARAMETERS>;
template class DatabaseStructure::table<DatabaseStructure::DATA>;
template class DatabaseStructure::table<DatabaseStructure::EVENTS>;
template class DatabaseStructure::table<DatabaseStructure::EVENT_DATA>;

// ---------------------------------------------------------------------------

DatabaseStructure::DatabaseStructure()
    : m_devices(QStringLiteral("Devices"),
                {{QStringLiteral("id"), QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL")},
                 {QStringLiteral("name"), QStringLiteral("VARCHAR(50)")},
                 {QStringLiteral("type"), QStringLiteral("SMALLINT DEFAULT(0)")},
                 {QStringLiteral("filesPath"), QStringLiteral("VARCHAR(500)")},
                 {QStringLiteral("onlineCfgEnable"), QStringLiteral("INTEGER1 DEFAULT(0)")},
                 {QStringLiteral("addresIP"), QStringLiteral("VARCHAR(50)")},
                 {QStringLiteral("protocolType"), QStringLiteral("INTEGER1")},
                 {QStringLiteral("user"), QStringLiteral("VARCHAR(50)")},
                 {QStringLiteral("pass"), QStringLiteral("VARCHAR(50)")},
                 {QStringLiteral("otherCfg"), QStringLiteral("BLOB")}},
                QString())
    , m_parameters(QStringLiteral("Parameters"),
                   {{QStringLiteral("id"), QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL")},
                    {QStringLiteral("idDevices"), QStringLiteral("INTEGER")},
                    {QStringLiteral("name"), QStringLiteral("VARCHAR(80)")},
                    {QStringLiteral("unit"), QStringLiteral("VARCHAR(10)")},
                    {QStringLiteral("unitId"), QStringLiteral("INTEGER")},
                    {QStringLiteral("unitPrefixId"), QStringLiteral("INTEGER")},
                    {QStringLiteral("unitPreferredId"), QStringLiteral("INTEGER")},
                    {QStringLiteral("nominal"), QStringLiteral("DOUBLE")},
                    {QStringLiteral("precisionDigits"), QStringLiteral("INTEGER")},
                    {QStringLiteral("resolution"), QStringLiteral("DOUBLE")},
                    {QStringLiteral("valueTypeGuid"), QStringLiteral("VARCHAR(40)")},
                    {QStringLiteral("characteristicGuid"), QStringLiteral("VARCHAR(40)")}},
                   QStringLiteral("FOREIGN KEY(idDevices) REFERENCES Devices(id) ON DELETE CASCADE ON UPDATE CASCADE"))
    , m_data(QStringLiteral("Data"),
             {{QStringLiteral("id"), QStringLiteral("integer PRIMARY KEY")},
              {QStringLiteral("idParameters"), QStringLiteral("INTEGER")},
              {QStringLiteral("value"), QStringLiteral("DOUBLE")},
              {QStringLiteral("flag"), QStringLiteral("SMALLINT")},
              {QStringLiteral("dateTime"), QStringLiteral("INT8")},
              {QStringLiteral("observationId"), QStringLiteral("INT8")}},
             QStringLiteral("FOREIGN KEY(idParameters) REFERENCES Parameters(id) ON DELETE CASCADE ON UPDATE CASCADE"))
    , m_events(QStringLiteral("Events"),
               {{QStringLiteral("id"), QStringLiteral("integer PRIMARY KEY")},
                {QStringLiteral("idDevices"), QStringLiteral("INTEGER")},
                {QStringLiteral("name"), QStringLiteral("VARCHAR(200)")},
                {QStringLiteral("dateTime"), QStringLiteral("INT8")},
                {QStringLiteral("eventType"), QStringLiteral("CHAR")},
                {QStringLiteral("date"), QStringLiteral("VARCHAR(50)")},
                {QStringLiteral("time"), QStringLiteral("VARCHAR(50)")},
                {QStringLiteral("event"), QStringLiteral("VARCHAR(500)")}},
               QStringLiteral("FOREIGN KEY(idDevices) REFERENCES Devices(id) ON DELETE CASCADE ON UPDATE CASCADE"))
    , m_eventData(QStringLiteral("eventData"),
                  {{QStringLiteral("id"), QStringLiteral("integer PRIMARY KEY")},
                   {QStringLiteral("idEvents"), QStringLiteral("INTEGER")},
                   {QStringLiteral("value"), QStringLiteral("DOUBLE")}},
                  QStringLiteral("FOREIGN KEY(idEvents) REFERENCES Events(id) ON DELETE CASCADE ON UPDATE CASCADE"))
{
    TRACE_FUNC();
    m_tables.insert(DevicesTable, &m_devices);
    m_tables.insert(ParametersTable, &m_parameters);
    m_tables.insert(DataTable, &m_data);
    m_tables.insert(EventsTable, &m_events);
    m_tables.insert(EventDataTable, &m_eventData);
}

DatabaseStructure::~DatabaseStructure() = default;

QString DatabaseStructure::columnDefinition(const Column &column)
{
    return QStringLiteral("%1 %2").arg(column.name, column.type);
}

QList<DatabaseStructure::Index> DatabaseStructure::indexes()
{
    // Make the time-span, per-parameter and by-name look-ups index searches;
    // they change no result.
    return {{ParametersTable, QStringLiteral("idx_Parameters_idDevices_name"),
             QStringLiteral("CREATE INDEX IF NOT EXISTS idx_Parameters_idDevices_name ON Parameters(idDevices, name);")},
            {DataTable, QStringLiteral("idx_Data_idParameters_dateTime"),
             QStringLiteral("CREATE INDEX IF NOT EXISTS idx_Data_idParameters_dateTime ON Data(idParameters, dateTime);")},
            {DataTable, QStringLiteral("idx_Data_dateTime"),
             QStringLiteral("CREATE INDEX IF NOT EXISTS idx_Data_dateTime ON Data(dateTime);")}};
}

QStringList DatabaseStructure::indexQueries(int tableId)
{
    QStringList statements;
    for (const Index &index : indexes())
        if (index.tableId == tableId)
            statements << index.statement;
    return statements;
}

bool DatabaseStructure::execQuery(QSqlQuery &query, int tableId) const
{
    const ITable *t = m_tables.value(tableId, nullptr);
    if (!t)
        return false;
    return query.exec(t->createTableQuery());
}

bool DatabaseStructure::initStructure(QSqlDatabase db) const
{
    TRACE() << "tworzymy strukturę!";
    QSqlQuery query(db);
    const bool pragmaOk = query.exec(QStringLiteral("PRAGMA foreign_keys = ON;"));
    TRACE() << "DB Error: " << lastError(query);
    if (!pragmaOk)
        return false;
    for (int id = DevicesTable; id <= EventsTable; ++id) {
        if (!execQuery(query, id)) {
            qCWarning(lcTrace).noquote() << m_tables.value(id)->tableName() << lastError(query);
            return false;
        }
        for (const QString &statement : indexQueries(id)) {
            if (!query.exec(statement)) {
                qCWarning(lcTrace).noquote() << statement << lastError(query);
                return false;
            }
        }
    }
    return true;
}

bool DatabaseStructure::createOrUpdate(QSqlDatabase db, QStringList *errors) const
{
    // Only a statement that succeeded counts as a change; a failure goes to
    // the caller, which shows it.
    auto fail = [errors](const QString &text) {
        qCWarning(lcTrace).noquote() << text;
        if (errors)
            errors->append(text);
    };

    bool changed = false;
    for (auto it = m_tables.constBegin(); it != m_tables.constEnd(); ++it) {
        const ITable *t = it.value();
        const QString name = t->tableName();

        QSqlQuery check(db);
        check.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name=?;"));
        check.addBindValue(name);
        if (!check.exec()) {
            fail(QStringLiteral("%1: %2").arg(name, lastError(check)));
            continue;
        }
        const bool exists = check.next();
        check.finish();

        QSqlQuery query(db);
        if (exists) {
            TRACE() << "Sprawdzam parametry " << name;
            if (!query.exec(QStringLiteral("PRAGMA table_info(%1);").arg(sql::quoteIdentifier(name)))) {
                fail(QStringLiteral("%1: %2").arg(name, lastError(query)));
                continue;
            }
            if (t->missingColumns(query, errors))
                changed = true;
            query.finish();
        } else {
            TRACE() << "Tworze baze danych " << name;
            if (!execQuery(query, it.key())) {
                fail(QStringLiteral("%1 %2").arg(t->createTableQuery(), lastError(query)));
                continue;
            }
            changed = true;
            // The new table is empty: its indexes cost nothing now.
            for (const QString &statement : indexQueries(it.key())) {
                if (!query.exec(statement))
                    fail(QStringLiteral("%1 %2").arg(statement, lastError(query)));
            }
        }
    }
    return changed;
}

// ---------------------------------------------------------------------------
// Wide recorder tables

void DatabaseStructure::ensureDataMoxBTable(QSqlDatabase &db, QStringList &columns) const
{
    ensureWideTable(QStringLiteral("DataMoxB"), db, columns);
}

void DatabaseStructure::ensureDataMoxATable(QSqlDatabase &db, QStringList &columns) const
{
    ensureWideTable(QStringLiteral("DataMoxA"), db, columns);
}

void DatabaseStructure::ensureWideTable(const QString &tableName, QSqlDatabase &db, const QStringList &columns) const
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name=?;"));
    query.addBindValue(tableName);
    if (!query.exec()) {
        qCWarning(lcTrace).noquote() << "Error checking table existence:" << lastError(query);
        return;
    }
    const bool exists = query.next();
    query.finish();

    // The table names are ours; the column names come from archive headers.
    if (exists) {
        TRACE() << QStringLiteral("Table %1 exists. Checking columns...").arg(tableName);
        if (!query.exec(QStringLiteral("PRAGMA table_info(%1);").arg(tableName))) {
            qCWarning(lcTrace).noquote() << "Error retrieving table info:" << lastError(query);
            return;
        }
        QSet<QString> existing;
        const int nameField = query.record().indexOf(QStringLiteral("name"));
        while (query.next())
            existing.insert(query.value(nameField).toString());
        query.finish();
        // Exact comparison: a name differing only in letter case is tried and
        // refused by SQLite, which the log shows.
        for (const QString &column : columns) {
            if (existing.contains(column))
                continue;
            const QString statement =
                QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT;").arg(tableName, sql::quoteIdentifier(column));
            if (query.exec(statement))
                TRACE() << "Added missing column:" << column;
            else
                qCWarning(lcTrace).noquote() << "Error adding column:" << column << lastError(query);
        }
        return;
    }

    TRACE() << QStringLiteral("Creating %1 table...").arg(tableName);
    QString statement = QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL").arg(tableName);
    for (const QString &column : columns)
        statement += QStringLiteral(", %1 TEXT").arg(sql::quoteIdentifier(column));
    statement += QStringLiteral(");");
    if (query.exec(statement))
        TRACE() << QStringLiteral("%1 table created successfully.").arg(tableName);
    else
        qCWarning(lcTrace).noquote() << QStringLiteral("Error creating %1 table:").arg(tableName) << lastError(query);
}
