#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "database/DatabaseStructure.h"
#include "database/IndexBuild.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

using testdb::columns;
using testdb::columnTypes;
using testdb::count;
using testdb::exec;
using testdb::tables;

const QString kDevicesDdl = QStringLiteral(
    "CREATE TABLE Devices (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, name VARCHAR(50), type SMALLINT DEFAULT(0), "
    "filesPath VARCHAR(500), onlineCfgEnable INTEGER1 DEFAULT(0), addresIP VARCHAR(50), protocolType INTEGER1, "
    "user VARCHAR(50), pass VARCHAR(50), otherCfg BLOB )");
const QString kParametersDdl = QStringLiteral(
    "CREATE TABLE Parameters (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, idDevices INTEGER, name VARCHAR(80), "
    "unit VARCHAR(10), unitId INTEGER, unitPrefixId INTEGER, unitPreferredId INTEGER, nominal DOUBLE, "
    "precisionDigits INTEGER, resolution DOUBLE, valueTypeGuid VARCHAR(40), characteristicGuid VARCHAR(40),  "
    "FOREIGN KEY(idDevices) REFERENCES Devices(id) ON DELETE CASCADE ON UPDATE CASCADE)");
const QString kDataDdl = QStringLiteral(
    "CREATE TABLE Data (id integer PRIMARY KEY, idParameters INTEGER, value DOUBLE, flag SMALLINT, dateTime INT8, "
    "observationId INT8,  FOREIGN KEY(idParameters) REFERENCES Parameters(id) ON DELETE CASCADE ON UPDATE CASCADE)");
const QString kEventsDdl = QStringLiteral(
    "CREATE TABLE Events (id integer PRIMARY KEY, idDevices INTEGER, name VARCHAR(200), dateTime INT8, eventType CHAR, "
    "date VARCHAR(50), time VARCHAR(50), event VARCHAR(500),  FOREIGN KEY(idDevices) REFERENCES Devices(id) ON DELETE "
    "CASCADE ON UPDATE CASCADE)");
const QString kEventDataDdl = QStringLiteral(
    "CREATE TABLE eventData (id integer PRIMARY KEY, idEvents INTEGER, value DOUBLE,  FOREIGN KEY(idEvents) REFERENCES "
    "Events(id) ON DELETE CASCADE ON UPDATE CASCADE)");

const QStringList kParameterColumns{
    "id", "idDevices", "name", "unit", "unitId", "unitPrefixId", "unitPreferredId", "nominal", "precisionDigits",
    "resolution", "valueTypeGuid", "characteristicGuid"};

QStringList indexNames(QSqlDatabase db)
{
    return testdb::column(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' ORDER BY name"));
}

QStringList names(const QList<DatabaseStructure::Index> &indexes)
{
    QStringList out;
    for (const DatabaseStructure::Index &index : indexes)
        out << index.name;
    return out;
}

QString storedDdl(QSqlDatabase db, const QString &table)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name=?"));
    q.addBindValue(table);
    if (!q.exec() || !q.next())
        return QString();
    return q.value(0).toString();
}

} // namespace

class TestDatabaseStructure : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createStatementsAreExact();
    void initStructureOnEmptyFile();
    void initStructureStopsAtExistingTable();
    void createOrUpdate_data();
    void createOrUpdate();
    void createOrUpdateSecondRunChangesNothing();
    void createOrUpdateIndexesOnlyNewTables();
    void missingIndexes_data();
    void missingIndexes();
    void indexBuild_data();
    void indexBuild();
    void foreignKeysCascade();
    void wideTable_data();
    void wideTable();

private:
    QSqlDatabase freshDatabase();

    QTemporaryDir m_dir;
    int m_serial = 0;
    QString m_name;
};

void TestDatabaseStructure::init()
{
    m_name = QStringLiteral("structure%1").arg(++m_serial);
}

void TestDatabaseStructure::cleanup()
{
    Connections::remove(m_name);
}

QSqlDatabase TestDatabaseStructure::freshDatabase()
{
    return testdb::open(m_name, m_dir.filePath(m_name + QStringLiteral(".qdb")));
}

void TestDatabaseStructure::createStatementsAreExact()
{
    const DatabaseStructure s;
    const QStringList expected{kDevicesDdl, kParametersDdl, kDataDdl, kEventsDdl, kEventDataDdl};
    for (int id = 0; id < expected.size(); ++id) {
        QVERIFY(s.tableById(id));
        QCOMPARE(s.tableById(id)->createTableQuery(), expected.at(id) + QLatin1Char(';'));
    }
    QVERIFY(!s.tableById(5));
    QCOMPARE(DatabaseStructure::columnDefinition({QStringLiteral("a"), QStringLiteral("INT8")}), QStringLiteral("a INT8"));
}

void TestDatabaseStructure::initStructureOnEmptyFile()
{
    QSqlDatabase db = freshDatabase();
    QVERIFY(db.isOpen());
    QVERIFY(g_databaseStructure);
    QVERIFY(g_databaseStructure->initStructure(db));

    QCOMPARE(tables(db), (QStringList{"Devices", "Parameters", "Data", "Events"}));
    QCOMPARE(storedDdl(db, QStringLiteral("Devices")), kDevicesDdl);
    QCOMPARE(storedDdl(db, QStringLiteral("Parameters")), kParametersDdl);
    QCOMPARE(storedDdl(db, QStringLiteral("Data")), kDataDdl);
    QCOMPARE(storedDdl(db, QStringLiteral("Events")), kEventsDdl);
    QCOMPARE(storedDdl(db, QStringLiteral("eventData")), QString());

    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND name LIKE 'idx_%' ORDER BY name")));
    QStringList indexes;
    while (q.next())
        indexes << q.value(0).toString();
    QCOMPARE(indexes, (QStringList{"idx_Data_dateTime", "idx_Data_idParameters_dateTime", "idx_Parameters_idDevices_name"}));

    // The time-span queries are index searches, not scans.
    QVERIFY(q.exec(QStringLiteral("EXPLAIN QUERY PLAN SELECT MIN(dateTime) FROM Data")));
    QVERIFY(q.next());
    QVERIFY2(q.value(3).toString().contains(QStringLiteral("idx_Data_dateTime")), qPrintable(q.value(3).toString()));
}

void TestDatabaseStructure::initStructureStopsAtExistingTable()
{
    QSqlDatabase db = freshDatabase();
    QCOMPARE(exec(db, {QStringLiteral("CREATE TABLE Devices (id INTEGER PRIMARY KEY)")}), QStringList());
    QVERIFY(!g_databaseStructure->initStructure(db));
    QCOMPARE(tables(db), QStringList{"Devices"});
}

void TestDatabaseStructure::createOrUpdate_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("errorCount");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columnsAfter");

    const QStringList fullFour{kDevicesDdl, kParametersDdl, kDataDdl, kEventsDdl};

    QTest::newRow("empty database: five tables") << QStringList() << true << 0 << "eventData"
                                                 << QStringList{"id", "idEvents", "value"};
    QTest::newRow("four tables: eventData added") << fullFour << true << 0 << "eventData"
                                                  << QStringList{"id", "idEvents", "value"};
    QTest::newRow("full schema: nothing") << (fullFour + QStringList{kEventDataDdl}) << false << 0 << "Parameters"
                                          << kParameterColumns;
    QTest::newRow("old Parameters: eight columns appended")
        << QStringList{kDevicesDdl,
                       "CREATE TABLE Parameters (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, idDevices INTEGER, "
                       "name VARCHAR(80), unit VARCHAR(10))",
                       kDataDdl, kEventsDdl, kEventDataDdl}
        << true << 0 << "Parameters" << kParameterColumns;
    QTest::newRow("missing tables and columns together")
        << QStringList{kDevicesDdl, "CREATE TABLE Parameters (id INTEGER PRIMARY KEY, idDevices INTEGER, name, unit)"}
        << true << 0 << "Parameters" << kParameterColumns;
    QTest::newRow("as many columns, other names: unchanged")
        << (fullFour + QStringList{"CREATE TABLE eventData (a, b, c)"}) << false << 0 << "eventData"
        << QStringList{"a", "b", "c"};
    QTest::newRow("more columns than declared: unchanged")
        << (fullFour + QStringList{"CREATE TABLE eventData (id, idEvents, value, extra)"}) << false << 0 << "eventData"
        << QStringList{"id", "idEvents", "value", "extra"};
    // Case differs: SQLite refuses "unit" next to "Unit"; the rest is added.
    QTest::newRow("column differing in case")
        << QStringList{kDevicesDdl, "CREATE TABLE Parameters (id INTEGER PRIMARY KEY, idDevices INTEGER, name, Unit)",
                       kDataDdl, kEventsDdl, kEventDataDdl}
        << true << 1 << "Parameters"
        << (QStringList{"id", "idDevices", "name", "Unit"} + kParameterColumns.mid(4));
    // Every ALTER fails (a key column cannot be added): no change reported.
    QTest::newRow("only failing ALTER")
        << QStringList{"CREATE TABLE Devices (name, type, filesPath, onlineCfgEnable, addresIP, protocolType, user, "
                       "pass, otherCfg)",
                       kParametersDdl, kDataDdl, kEventsDdl, kEventDataDdl}
        << false << 1 << "Devices"
        << QStringList{"name", "type", "filesPath", "onlineCfgEnable", "addresIP", "protocolType", "user", "pass",
                       "otherCfg"};
    // A view holds the name, so the CREATE fails: no change reported.
    QTest::newRow("failing CREATE")
        << (fullFour + QStringList{"CREATE VIEW eventData AS SELECT 1 AS id"}) << false << 1 << "Devices"
        << QStringList{"id", "name", "type", "filesPath", "onlineCfgEnable", "addresIP", "protocolType", "user",
                       "pass", "otherCfg"};
}

void TestDatabaseStructure::createOrUpdate()
{
    QFETCH(QStringList, setup);
    QFETCH(bool, changed);
    QFETCH(int, errorCount);
    QFETCH(QString, table);
    QFETCH(QStringList, columnsAfter);

    QSqlDatabase db = freshDatabase();
    QCOMPARE(exec(db, setup), QStringList());
    QStringList errors;
    QCOMPARE(g_databaseStructure->createOrUpdate(db, &errors), changed);
    QCOMPARE(errors.size(), errorCount);
    QCOMPARE(columns(db, table), columnsAfter);
    for (const char *t : {"Devices", "Parameters", "Data", "Events"})
        QVERIFY2(tables(db).contains(QLatin1String(t)), t);
    if (table == QLatin1String("Parameters") && columnsAfter == kParameterColumns) {
        QCOMPARE(columnTypes(db, table).mid(4),
                 (QStringList{"INTEGER", "INTEGER", "INTEGER", "DOUBLE", "INTEGER", "DOUBLE", "VARCHAR(40)",
                              "VARCHAR(40)"}));
    }
    // A second run has nothing left that it could do.
    errors.clear();
    QVERIFY(!g_databaseStructure->createOrUpdate(db, &errors));
}

void TestDatabaseStructure::createOrUpdateSecondRunChangesNothing()
{
    QSqlDatabase db = freshDatabase();
    QVERIFY(g_databaseStructure->createOrUpdate(db));
    QCOMPARE(tables(db), (QStringList{"Devices", "Parameters", "Data", "Events", "eventData"}));
    QCOMPARE(storedDdl(db, QStringLiteral("eventData")), kEventDataDdl);
    QCOMPARE(storedDdl(db, QStringLiteral("Devices")), kDevicesDdl);
    QStringList errors;
    QVERIFY(!g_databaseStructure->createOrUpdate(db, &errors));
    QCOMPARE(errors, QStringList());

    // A local instance behaves alike, and a fresh process-wide one too.
    const DatabaseStructure local;
    QVERIFY(!local.createOrUpdate(db));
    DatabaseStructure *before = g_databaseStructure;
    DatabaseStructure *installed = DatabaseStructure::installNewInstance();
    QCOMPARE(installed, g_databaseStructure);
    QVERIFY(before != g_databaseStructure);
    QVERIFY(!before->createOrUpdate(db)); // the old instance stays usable
}

// The indexes of a table that holds rows are the open's to build, off the
// window's thread; a table made now is empty and gets them at once.
void TestDatabaseStructure::createOrUpdateIndexesOnlyNewTables()
{
    {
        QSqlDatabase db = freshDatabase();
        QCOMPARE(exec(db, {kDevicesDdl, kParametersDdl, kDataDdl}), QStringList());
        QVERIFY(g_databaseStructure->createOrUpdate(db)); // Events and eventData
        QCOMPARE(indexNames(db), QStringList());
    }
    Connections::remove(m_name);
    m_name += QStringLiteral("b");
    QSqlDatabase empty = freshDatabase();
    QVERIFY(g_databaseStructure->createOrUpdate(empty));
    QCOMPARE(indexNames(empty),
             (QStringList{"idx_Data_dateTime", "idx_Data_idParameters_dateTime", "idx_Parameters_idDevices_name"}));
}

void TestDatabaseStructure::missingIndexes_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("missing");

    const QStringList schemaAlone{kDevicesDdl, kParametersDdl, kDataDdl, kEventsDdl, kEventDataDdl};
    QTest::newRow("no tables") << QStringList() << QStringList();
    QTest::newRow("schema alone: all, in schema order")
        << schemaAlone
        << QStringList{"idx_Parameters_idDevices_name", "idx_Data_idParameters_dateTime", "idx_Data_dateTime"};
    QTest::newRow("one there already")
        << (schemaAlone + QStringList{"CREATE INDEX idx_Data_dateTime ON Data(dateTime)"})
        << QStringList{"idx_Parameters_idDevices_name", "idx_Data_idParameters_dateTime"};
    // The name decides: another tool's index of that name counts as there.
    QTest::newRow("same name, other columns")
        << (schemaAlone + QStringList{"CREATE INDEX idx_Parameters_idDevices_name ON Parameters(unit)"})
        << QStringList{"idx_Data_idParameters_dateTime", "idx_Data_dateTime"};
    QTest::newRow("no Data table") << QStringList{kDevicesDdl, kParametersDdl}
                                   << QStringList{"idx_Parameters_idDevices_name"};
    QTest::newRow("the program's own file") << QStringList{"INIT"} << QStringList();
    const QString wide = QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, date TEXT, time TEXT, \"U\" TEXT)");
    QTest::newRow("wide recorder tables without their index")
        << QStringList{wide.arg("DataMoxB"), wide.arg("DataMoxA")}
        << QStringList{"idx_DataMoxB_date_time", "idx_DataMoxA_date_time"};
    QTest::newRow("wide recorder table with its index")
        << QStringList{wide.arg("DataMoxB"), "CREATE INDEX idx_DataMoxB_date_time ON DataMoxB(date, time)"}
        << QStringList();
}

void TestDatabaseStructure::missingIndexes()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, missing);

    QSqlDatabase db = freshDatabase();
    if (setup == QStringList{"INIT"})
        QVERIFY(g_databaseStructure->initStructure(db));
    else
        QCOMPARE(exec(db, setup), QStringList());
    QString error = QStringLiteral("stale");
    QCOMPARE(names(indexBuild::missing(db, &error)), missing);
    QCOMPARE(error, QString());
}

void TestDatabaseStructure::indexBuild_data()
{
    QTest::addColumn<QString>("dataDdl");
    QTest::addColumn<bool>("cancelFirst");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<QStringList>("indexesAfter");

    QTest::newRow("built") << kDataDdl << false << int(indexBuild::Outcome::Built) << QList<int>{0, 1, 2}
                           << QStringList{"idx_Data_dateTime", "idx_Data_idParameters_dateTime",
                                          "idx_Parameters_idDevices_name"};
    QTest::newRow("cancelled before it starts")
        << kDataDdl << true << int(indexBuild::Outcome::Cancelled) << QList<int>() << QStringList();
    // The second index fails: the first, already made, goes back with it.
    QTest::newRow("failed: nothing stays")
        << QStringLiteral("CREATE TABLE Data (id integer PRIMARY KEY, idParameters INTEGER, value DOUBLE)") << false
        << int(indexBuild::Outcome::Failed) << QList<int>{0, 1} << QStringList();
}

void TestDatabaseStructure::indexBuild()
{
    QFETCH(QString, dataDdl);
    QFETCH(bool, cancelFirst);
    QFETCH(int, outcome);
    QFETCH(QList<int>, steps);
    QFETCH(QStringList, indexesAfter);

    QSqlDatabase db = freshDatabase();
    QCOMPARE(exec(db, {kDevicesDdl, kParametersDdl, dataDdl, QStringLiteral("INSERT INTO Devices (name) VALUES ('M')"),
                       QStringLiteral("INSERT INTO Parameters (idDevices, name) VALUES (1, 'U1')"),
                       QStringLiteral("INSERT INTO Data (idParameters, value) VALUES (1, 2.5)")}),
             QStringList());
    const QList<DatabaseStructure::Index> all = DatabaseStructure::indexes();
    QAtomicInteger<char> flag(cancelFirst ? 1 : 0);
    QList<int> seen;
    QString error;
    QCOMPARE(int(indexBuild::run(db, all, &flag, [&seen](int i) { seen << i; }, &error)), outcome);
    QCOMPARE(seen, steps);
    QCOMPARE(indexNames(db), indexesAfter);
    QCOMPARE(error.isEmpty(), outcome != int(indexBuild::Outcome::Failed));
    // No transaction is left open, and the rows are as they were.
    QCOMPARE(exec(db, {QStringLiteral("BEGIN"), QStringLiteral("COMMIT")}), QStringList());
    QCOMPARE(count(db, QStringLiteral("Data")), 1);
}

void TestDatabaseStructure::foreignKeysCascade()
{
    QSqlDatabase db = freshDatabase();
    QVERIFY(g_databaseStructure->initStructure(db));
    QVERIFY(g_databaseStructure->createOrUpdate(db)); // adds eventData
    QCOMPARE(exec(db, {QStringLiteral("INSERT INTO Devices (name, type) VALUES ('M1', 4)"),
                       QStringLiteral("INSERT INTO Devices (name, type) VALUES ('M2', 4)"),
                       QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (1, 'U1', 'V')"),
                       QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (2, 'U1', 'V')"),
                       QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 230.5, 0, 1000, NULL)"),
                       QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 231.5, 0, 2000, NULL)"),
                       QStringLiteral("INSERT INTO Data VALUES (NULL, 2, 229.0, 0, 1000, NULL)"),
                       QStringLiteral("INSERT INTO Events (idDevices, name, dateTime) VALUES (1, 'dip', 1500)"),
                       QStringLiteral("INSERT INTO eventData (idEvents, value) VALUES (1, 180.0)")}),
             QStringList());
    QCOMPARE(exec(db, {QStringLiteral("DELETE FROM Devices WHERE id = 1")}), QStringList());
    QCOMPARE(count(db, QStringLiteral("Devices")), 1);
    QCOMPARE(count(db, QStringLiteral("Parameters")), 1);
    QCOMPARE(count(db, QStringLiteral("Data")), 1);
    QCOMPARE(count(db, QStringLiteral("Events")), 0);
    QCOMPARE(count(db, QStringLiteral("eventData")), 0);
    // A reference to a missing parent is refused.
    QCOMPARE(exec(db, {QStringLiteral("INSERT INTO Data VALUES (NULL, 99, 1, 0, 1, NULL)")}).size(), 1);
}

void TestDatabaseStructure::wideTable_data()
{
    QTest::addColumn<QString>("existing"); // CREATE TABLE of an existing wide table, "" for none
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("columnsAfter"); // empty: no table

    QTest::newRow("missing, empty list") << QString() << QStringList() << QStringList{"id"};
    QTest::newRow("missing, names")
        << QString() << QStringList{"date", "time", "U1 (M1)", "P: total - L1"}
        << QStringList{"id", "date", "time", "U1 (M1)", "P: total - L1"};
    QTest::newRow("missing, quotes in names")
        << QString() << QStringList{"date", "it's", "a\"b", "\"", "'); DROP TABLE Devices; --"}
        << QStringList{"id", "date", "it's", "a\"b", "\"", "'); DROP TABLE Devices; --"};
    QTest::newRow("missing, name twice: no table") << QString() << QStringList{"date", "U1", "U1"} << QStringList();
    QTest::newRow("missing, names differing in case: no table")
        << QString() << QStringList{"date", "U1", "u1"} << QStringList();
    QTest::newRow("existing, all present")
        << "(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, 'date' TEXT, 'time' TEXT, 'U1 (M1)' TEXT)"
        << QStringList{"time", "date", "U1 (M1)"} << QStringList{"id", "date", "time", "U1 (M1)"};
    QTest::newRow("existing, new names appended in list order")
        << "(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, 'date' TEXT, 'time' TEXT)"
        << QStringList{"date", "time", "Z (M2)", "A (M2)"} << QStringList{"id", "date", "time", "Z (M2)", "A (M2)"};
    QTest::newRow("existing, quotes in new names")
        << "(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, 'date' TEXT)"
        << QStringList{"date", "it's (M1)", "say \"hi\""} << QStringList{"id", "date", "it's (M1)", "say \"hi\""};
    QTest::newRow("existing, name twice: added once")
        << "(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, 'date' TEXT)" << QStringList{"U1", "U1"}
        << QStringList{"id", "date", "U1"};
    QTest::newRow("existing, differing only in case: refused")
        << "(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, 'date' TEXT, 'U1' TEXT)" << QStringList{"DATE", "u1", "U2"}
        << QStringList{"id", "date", "U1", "U2"};
}

void TestDatabaseStructure::wideTable()
{
    QFETCH(QString, existing);
    QFETCH(QStringList, names);
    QFETCH(QStringList, columnsAfter);

    for (const QString &table : {QStringLiteral("DataMoxB"), QStringLiteral("DataMoxA")}) {
        {
            QSqlDatabase db = freshDatabase();
            QVERIFY(g_databaseStructure->initStructure(db));
            if (!existing.isEmpty()) {
                QCOMPARE(exec(db, {QStringLiteral("CREATE TABLE %1 %2").arg(table, existing),
                                   QStringLiteral("INSERT INTO %1 (date) VALUES ('2024-01-01')").arg(table)}),
                         QStringList());
            }
            QStringList list = names;
            const DatabaseStructure local;
            if (table == QLatin1String("DataMoxB"))
                local.ensureDataMoxBTable(db, list);
            else
                local.ensureDataMoxATable(db, list);
            QCOMPARE(list, names);
            QCOMPARE(columns(db, table), columnsAfter);
            // The other wide table is never touched; the narrow ones stay.
            const QString other = table == QLatin1String("DataMoxB") ? QStringLiteral("DataMoxA") : QStringLiteral("DataMoxB");
            QCOMPARE(columns(db, other), QStringList());
            QVERIFY(tables(db).contains(QStringLiteral("Devices")));
            if (!existing.isEmpty())
                QCOMPARE(count(db, table), 1);
        }
        Connections::remove(m_name);
        for (const char *suffix : {".qdb", ".qdb-wal", ".qdb-shm"})
            QFile::remove(m_dir.filePath(m_name + QLatin1String(suffix)));
    }
}

QUORLOG_TEST_MAIN(TestDatabaseStructure)
#include "tst_databasestructure.moc"
