#pragma once
#include <QMap>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

// Schema of the application database, held as data: one descriptor per table
// with its columns in order and its table constraint. Every instance is alike
// and immutable after construction, so one instance may serve every thread.
class DatabaseStructure
{
public:
    // Tags that give each table descriptor a type of its own.
    struct DEVICES {};
    struct PARAMETERS {};
    struct DATA {};
    struct EVENTS {};
    struct EVENT_DATA {};

    enum TableId { DevicesTable = 0, ParametersTable = 1, DataTable = 2, EventsTable = 3, EventDataTable = 4 };

    struct Column
    {
        QString name;
        QString type; // everything after the name in the definition, verbatim
    };

    class ITable
    {
    public:
        virtual ~ITable() = default;
        virtual QString createTableQuery() const = 0;
        virtual QString tableName() const = 0;
        // The query has just run "PRAGMA table_info(<table>);" and stands
        // before its first row. True when a column was added; statements that
        // failed are appended to errors (when given).
        virtual bool missingColumns(QSqlQuery query, QStringList *errors = nullptr) const = 0;
        virtual bool addColumns(QSqlQuery query, QSet<QString> names, QStringList *errors = nullptr) const = 0;
    };

    template<typename Tag>
    class table : public ITable
    {
    public:
        table() = default;
        table(const QString &name, const QList<Column> &columns, const QString &constraint)
            : m_name(name), m_constraint(constraint)
        {
            int position = 0;
            for (const Column &c : columns)
                m_columns.insert(position++, c);
        }

        QString tableName() const override { return m_name; }
        QString columnsDefinition() const;
        QString createTableQuery() const override;
        bool missingColumns(QSqlQuery query, QStringList *errors = nullptr) const override;
        bool addColumns(QSqlQuery query, QSet<QString> names, QStringList *errors = nullptr) const override;

        const QMap<int, Column> &columns() const { return m_columns; }
        QString constraint() const { return m_constraint; }

    private:
        QString m_name;
        QMap<int, Column> m_columns; // position -> column, in table order
        QString m_constraint;
    };

    DatabaseStructure();
    ~DatabaseStructure();
    DatabaseStructure(const DatabaseStructure &) = delete;
    DatabaseStructure &operator=(const DatabaseStructure &) = delete;

    // Foreign keys on, then Devices, Parameters, Data and Events and their
    // indexes. False at the first failing statement.
    bool initStructure(QSqlDatabase db) const;

    // Creates missing tables (all five, with their indexes) and appends
    // missing columns. True when a statement that changed the schema
    // succeeded. Failures are appended to errors (when given) for the caller
    // to show; they never count as changes. The indexes of tables that exist
    // already are left to IndexBuild: on millions of rows they take seconds,
    // which the window's thread, where this runs, cannot give.
    bool createOrUpdate(QSqlDatabase db, QStringList *errors = nullptr) const;

    // Executes the CREATE TABLE statement of the table registered under id
    // on the query (by reference, so the caller can read its error).
    bool execQuery(QSqlQuery &query, int tableId) const;

    static QString columnDefinition(const Column &column);

    // Wide recorder tables: one TEXT column per name; missing ones are
    // created or appended. Failures are only logged.
    void ensureDataMoxBTable(QSqlDatabase &db, QStringList &columns) const;
    void ensureDataMoxATable(QSqlDatabase &db, QStringList &columns) const;

    const ITable *tableById(int tableId) const { return m_tables.value(tableId, nullptr); }

    // The indexes of the schema, in the order they are made.
    struct Index
    {
        int tableId;
        QString name;
        QString statement; // CREATE INDEX IF NOT EXISTS
    };
    static QList<Index> indexes();
    // Index statements of a table; empty for tables without one.
    static QStringList indexQueries(int tableId);

    // Makes a fresh process-wide instance and points g_databaseStructure at
    // it. Earlier instances stay alive until the process ends, so a pointer
    // taken before stays valid.
    static DatabaseStructure *installNewInstance();

private:
    void ensureWideTable(const QString &tableName, QSqlDatabase &db, const QStringList &columns) const;

    table<DEVICES> m_devices;
    table<PARAMETERS> m_parameters;
    table<DATA> m_data;
    table<EVENTS> m_events;
    table<EVENT_DATA> m_eventData;
    QMap<int, ITable *> m_tables; // id -> descriptor above, not owned
};

extern DatabaseStructure *g_databaseStructure;
