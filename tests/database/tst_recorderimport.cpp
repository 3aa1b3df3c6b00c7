// Recorder rows into the wide tables of an application database with two
// instruments: first import, shared rows, re-import, the non-null overlay,
// names with quotes, tables out of order, leftovers of unfinished imports, and
// failures and cancels at every step leaving the stored table as it was.
#include "support/TestMain.h"

#include "common/Connections.h"
#include "database/RecorderImport.h"
#include "database/RecorderMerge.h"
#include "support/DbTestUtil.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

using testdb::column;
using testdb::exec;
using Source = RecorderImport::Source;
using Result = RecorderImport::Result;

Q_DECLARE_METATYPE(RecorderImport::Result)

namespace {

const QString kApp = QStringLiteral("recorderapp");
const QString kSrc = QStringLiteral("recordersrc");
const int kHall = 1;
const int kYard = 2;
const int kQuoted = 3;

using testdb::rows;

// Everything an import may change: schema, wide table, parameters, ids.
QStringList snapshot(QSqlDatabase db)
{
    QStringList out = rows(db, QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY type, name"));
    out << rows(db, QStringLiteral("SELECT * FROM sqlite_sequence ORDER BY name"));
    out << rows(db, QStringLiteral("SELECT * FROM Parameters ORDER BY id"));
    if (testdb::tables(db).contains(QStringLiteral("DataMoxB")))
        out << rows(db, QStringLiteral("SELECT * FROM DataMoxB ORDER BY id"));
    out << rows(db, QStringLiteral("PRAGMA database_list")).filter(QStringLiteral("tempDB"));
    return out;
}

} // namespace

class TestRecorderImport : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    int serial = 0;
    QAtomicInteger<char> cancel;

    QSqlDatabase app() { return Connections::database(kApp); }

    // A fresh application database with the instruments Hall, Yard and one
    // whose name holds quotes.
    QSqlDatabase newApp()
    {
        QSqlDatabase db = testdb::createSchemaDatabase(kApp, dir.filePath(QStringLiteral("app%1.qdb").arg(++serial)));
        const QStringList failures =
            exec(db, {QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'Hall', 17), (2, 'Yard', 17), "
                                     "(3, 'Hall \"A\" ''x''', 17)")});
        if (!failures.isEmpty())
            qFatal("%s", qPrintable(failures.join('\n')));
        return db;
    }

    // A scratch file holding a table of rows; cells "NULL" stay empty.
    QString source(const QString &table, const QStringList &columns, const QList<QStringList> &cells,
                   const QStringList &types = {})
    {
        const QString path = dir.filePath(QStringLiteral("src%1.sqlite").arg(++serial));
        {
            QSqlDatabase db = testdb::open(kSrc, path, testdb::Sync::Scratch);
            QStringList definitions{QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT")};
            for (int i = 0; i < columns.size(); ++i)
                definitions << QStringLiteral("\"%1\" %2").arg(columns.at(i), types.value(i, QStringLiteral("TEXT")));
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(table, definitions.join(", "))))
                qFatal("source table");
            for (const QStringList &row : cells) {
                q.prepare(QStringLiteral("INSERT INTO %1 (\"%2\") VALUES (%3)")
                              .arg(table, columns.join("\", \""), QVector<QString>(columns.size(), "?").toList().join(", ")));
                for (const QString &cell : row)
                    q.addBindValue(cell == QLatin1String("NULL") ? QVariant(QVariant::String) : QVariant(cell));
                if (!q.exec())
                    qFatal("source row");
            }
        }
        {
            // A recorder's own file keeps the rollback journal.
            QSqlQuery q(Connections::database(kSrc));
            q.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        }
        Connections::remove(kSrc);
        return path;
    }

    QString csvRows(const QList<QStringList> &cells)
    {
        return source(QStringLiteral("DataMoxB"), {"date", "time", "a", "b"}, cells);
    }

    Result importFrom(const QString &path, int device, Source kind = Source::ReaderTable,
                      std::function<void(int)> progress = nullptr, RecorderImport *out = nullptr)
    {
        RecorderImport import;
        RecorderImport::Request r;
        r.db = app();
        r.table = QStringLiteral("DataMoxB");
        r.file = path;
        r.sourceTable = kind == Source::Archive ? QStringLiteral("Data") : QStringLiteral("DataMoxB");
        r.source = kind;
        r.deviceId = device;
        r.cancelFlag = &cancel;
        r.progress = progress;
        const Result result = import.run(r);
        if (out)
            *out = import;
        return result;
    }

    // Stored rows of two instruments that the failure cases start from.
    void storeTwoInstruments()
    {
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:00", "1", "2"},
                                     {"2026-01-01", "10:00:02", "3", "4"},
                                     {"2026-01-01", "10:00:04", "5", "6"}}),
                            kHall),
                 Result::Done);
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:02", "7", "8"}}), kYard), Result::Done);
    }

    // New rows that take every road of the merge: a shared time, a time in
    // between stored ones and one after them.
    QString mixedRows()
    {
        return csvRows({{"2026-01-01", "10:00:02", "9", "NULL"},
                        {"2026-01-01", "10:00:03", "10", "11"},
                        {"2026-01-01", "10:00:09", "12", "13"}});
    }

private slots:
    void init() { cancel.storeRelease(0); }
    void cleanup() { Connections::remove(kApp); }

    void firstImport()
    {
        newApp();
        // Out of order, one time twice: the later row's values win where it has one.
        RecorderImport import;
        QCOMPARE(importFrom(csvRows({{"2026-01-02", "00:00:01", "c", "d"},
                                     {"2026-01-01", "23:59:59", "a", "b"},
                                     {"2026-01-02", "00:00:01", "e", "NULL"}}),
                            kHall, Source::ReaderTable, nullptr, &import),
                 Result::Done);
        QCOMPARE(testdb::columns(app(), "DataMoxB"), (QStringList{"id", "date", "time", "a (Hall)", "b (Hall)"}));
        QCOMPARE(testdb::columnTypes(app(), "DataMoxB"), (QStringList{"INTEGER", "TEXT", "TEXT", "TEXT", "TEXT"}));
        QCOMPARE(rows(app(), "SELECT * FROM DataMoxB ORDER BY id"),
                 (QStringList{"1|2026-01-01|23:59:59|a|b", "2|2026-01-02|00:00:01|e|d"}));
        QCOMPARE(rows(app(), "SELECT idDevices, name, unit FROM Parameters ORDER BY id"),
                 (QStringList{"1|a|None", "1|b|None"}));
        QCOMPARE(import.addedParameters(), 2);
        QCOMPARE(import.rowCount(), qint64(2));
        // No work table stays, nothing stays attached.
        QCOMPARE(testdb::tables(app()).filter("DataMoxB"), QStringList{"DataMoxB"});
        QVERIFY(rows(app(), "PRAGMA database_list").filter("tempDB").isEmpty());
    }

    void secondInstrumentSharesRows()
    {
        newApp();
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:00", "1", "2"}, {"2026-01-01", "10:00:02", "3", "4"}}),
                            kHall),
                 Result::Done);
        // Same column names, one time shared, one before and one in between.
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:02", "5", "6"},
                                     {"2026-01-01", "09:00:00", "7", "8"},
                                     {"2026-01-01", "10:00:01", "9", "NULL"}}),
                            kYard),
                 Result::Done);
        QCOMPARE(testdb::columns(app(), "DataMoxB"),
                 (QStringList{"id", "date", "time", "a (Hall)", "b (Hall)", "a (Yard)", "b (Yard)"}));
        QCOMPARE(rows(app(), "SELECT * FROM DataMoxB ORDER BY id"),
                 (QStringList{"1|2026-01-01|09:00:00|NULL|NULL|7|8", "2|2026-01-01|10:00:00|1|2|NULL|NULL",
                              "3|2026-01-01|10:00:01|NULL|NULL|9|NULL", "4|2026-01-01|10:00:02|3|4|5|6"}));
        QCOMPARE(rows(app(), "SELECT idDevices, name FROM Parameters ORDER BY id"),
                 (QStringList{"1|a", "1|b", "2|a", "2|b"}));
        // The next new id follows the rows.
        QCOMPARE(rows(app(), "SELECT seq FROM sqlite_sequence WHERE name = 'DataMoxB'"), QStringList{"4"});
    }

    // A reader's record number is one column for every instrument.
    void recordColumnKeepsItsName()
    {
        newApp();
        const QStringList columns{"date", "time", "record", "a"};
        QCOMPARE(importFrom(source("DataMoxB", columns, {{"2026-01-01", "10:00:00", "1", "x"}}), kHall),
                 Result::Done);
        QCOMPARE(importFrom(source("DataMoxB", columns, {{"2026-01-01", "10:00:00", "2", "y"}}), kYard),
                 Result::Done);
        QCOMPARE(testdb::columns(app(), "DataMoxB"), (QStringList{"id", "date", "time", "record", "a (Hall)", "a (Yard)"}));
        QCOMPARE(rows(app(), "SELECT record, \"a (Hall)\", \"a (Yard)\" FROM DataMoxB"), QStringList{"1|x|y"});
        QCOMPARE(column(app(), "SELECT name FROM Parameters WHERE idDevices = 2 ORDER BY id"),
                 (QStringList{"record", "a"}));
    }

    void reimportChangesNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("reader table") << int(Source::ReaderTable);
        QTest::newRow("archive") << int(Source::Archive);
    }
    void reimportChangesNothing()
    {
        QFETCH(int, kind);
        newApp();
        const QString table = kind == int(Source::Archive) ? QStringLiteral("Data") : QStringLiteral("DataMoxB");
        const QString path = source(table, {"date", "time", "a", "b"},
                                    {{"2026-01-01", "10:00:00", "1", "NULL"}, {"2026-01-01", "10:00:01", "2", "3"}});
        QCOMPARE(importFrom(path, kHall, Source(kind)), Result::Done);
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:00", "NULL", "4"}}), kYard), Result::Done);
        const QStringList before = snapshot(app());
        RecorderImport again;
        QCOMPARE(importFrom(path, kHall, Source(kind), nullptr, &again), Result::Done);
        QCOMPARE(snapshot(app()), before);
        QCOMPARE(again.addedParameters(), 0);
        QCOMPARE(again.rewritten(), qint64(0));
    }

    // At an equal date and time the side with priority wins, but a NULL
    // never replaces a value.
    void overlayKeepsValues_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<QString>("expected");
        const int csv = int(Source::ReaderTable);
        const int archive = int(Source::Archive);
        QTest::newRow("csv: stored value stays") << csv << "1" << "2" << "1";
        QTest::newRow("csv: fills a stored NULL") << csv << "NULL" << "2" << "2";
        QTest::newRow("csv: NULL over NULL") << csv << "NULL" << "NULL" << "NULL";
        QTest::newRow("archive: new value wins") << archive << "1" << "2" << "2";
        QTest::newRow("archive: NULL keeps the stored value") << archive << "1" << "NULL" << "1";
        QTest::newRow("archive: fills a stored NULL") << archive << "NULL" << "2" << "2";
    }
    void overlayKeepsValues()
    {
        QFETCH(int, kind);
        QFETCH(QString, stored);
        QFETCH(QString, incoming);
        QFETCH(QString, expected);
        newApp();
        const QString table = kind == int(Source::Archive) ? QStringLiteral("Data") : QStringLiteral("DataMoxB");
        QCOMPARE(importFrom(source(table, {"date", "time", "a"}, {{"2026-01-01", "10:00:00", stored}}), kHall,
                            Source(kind)),
                 Result::Done);
        QCOMPARE(importFrom(source(table, {"date", "time", "a"}, {{"2026-01-01", "10:00:00", incoming}}), kHall,
                            Source(kind)),
                 Result::Done);
        QCOMPARE(rows(app(), "SELECT id, \"a (Hall)\" FROM DataMoxB"), QStringList{"1|" + expected});
    }

    void quotedInstrumentName()
    {
        newApp();
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:00", "1", "2"}}), kQuoted), Result::Done);
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:00", "3", "4"}}), kHall), Result::Done);
        QCOMPARE(testdb::columns(app(), "DataMoxB"),
                 (QStringList{"id", "date", "time", "a (Hall \"A\" 'x')", "b (Hall \"A\" 'x')", "a (Hall)",
                              "b (Hall)"}));
        QCOMPARE(rows(app(), "SELECT * FROM DataMoxB"), QStringList{"1|2026-01-01|10:00:00|1|2|3|4"});
    }

    // An archive's declared types carry over to a new table as the names of
    // their affinities; added columns are text. The archive itself is never
    // written.
    void archiveImport()
    {
        newApp();
        const QString path = source("Data", {"date", "time", "flow", "level"},
                                    {{"2026-01-01", "10:00:00", "1.5", "2"}}, {"TEXT", "TEXT", "REAL", ""});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
        file.close();
        QCOMPARE(importFrom(path, kHall, Source::Archive), Result::Done);
        QCOMPARE(testdb::columnTypes(app(), "DataMoxB"), (QStringList{"INTEGER", "TEXT", "TEXT", "REAL", "BLOB"}));
        QCOMPARE(importFrom(path, kYard, Source::Archive), Result::Done);
        QCOMPARE(testdb::columnTypes(app(), "DataMoxB").mid(5), (QStringList{"TEXT", "TEXT"}));
        QCOMPARE(rows(app(), "SELECT * FROM DataMoxB"), QStringList{"1|2026-01-01|10:00:00|1.5|2|1.5|2"});
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256), hash);
        QVERIFY(!QFile::exists(path + "-wal"));
        QVERIFY(!QFile::exists(path + "-journal"));
    }

    // A declared type is text of the file: only the name of the affinity
    // SQLite gives it reaches the new table, by SQLite's rules.
    void declaredTypes_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QString>("stored");
        QTest::newRow("DOUBLE") << "DOUBLE" << "REAL";
        QTest::newRow("VARCHAR(20)") << "VARCHAR(20)" << "TEXT";
        QTest::newRow("BIGINT") << "BIGINT" << "INTEGER";
        QTest::newRow("INT before REAL") << "FLOATING POINT" << "INTEGER";
        QTest::newRow("CHAR before BLOB") << "CHARBLOB" << "TEXT";
        QTest::newRow("lower case clob") << "clob" << "TEXT";
        QTest::newRow("empty") << "" << "BLOB";
        QTest::newRow("BLOB before REAL") << "BLOBREAL" << "BLOB";
        QTest::newRow("DECIMAL(10,5)") << "DECIMAL(10,5)" << "NUMERIC";
        QTest::newRow("unknown word") << "STRING" << "NUMERIC";
        QTest::newRow("constraint") << "TEXT, UNIQUE (date) ON CONFLICT REPLACE" << "TEXT";
        QTest::newRow("comment") << "REAL /* x */" << "REAL";
    }
    void declaredTypes()
    {
        QFETCH(QString, declared);
        QFETCH(QString, stored);
        newApp();
        const QString path = source("Data", {"date", "time", "v"}, {{"2026-01-01", "10:00:00", "1"}},
                                    {"TEXT", "TEXT", "\"" + QString(declared).replace("\"", "\"\"") + "\""});
        QCOMPARE(rows(Connections::database(kApp), QStringLiteral("ATTACH DATABASE '%1' AS probe").arg(path)),
                 QStringList());
        QCOMPARE(rows(app(), "SELECT type FROM pragma_table_info('Data', 'probe') WHERE name = 'v'"),
                 QStringList{declared});
        rows(app(), "DETACH DATABASE probe");
        QCOMPARE(importFrom(path, kHall, Source::Archive), Result::Done);
        QCOMPARE(testdb::columnTypes(app(), "DataMoxB").value(3), stored);
        QCOMPARE(rows(app(), "SELECT sql LIKE '%UNIQUE%' OR sql LIKE '%/*%' FROM sqlite_master "
                             "WHERE name = 'DataMoxB'"),
                 QStringList{"0"});
    }

    // The constraint a declared type tried to smuggle in holds no sway over
    // later imports: rows of one date at two times stay two rows.
    void declaredTypeIsNoConstraint()
    {
        newApp();
        const QString archive = source("Data", {"date", "time", "v"}, {{"2026-01-01", "10:00:00", "1"}},
                                       {"TEXT", "TEXT", "\"TEXT, UNIQUE (date) ON CONFLICT REPLACE\""});
        QCOMPARE(importFrom(archive, kHall, Source::Archive), Result::Done);
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "11:00:00", "2", "3"}, {"2026-01-01", "12:00:00", "4", "5"}}),
                            kYard),
                 Result::Done);
        QCOMPARE(rows(app(), "SELECT date, time FROM DataMoxB ORDER BY id"),
                 (QStringList{"2026-01-01|10:00:00", "2026-01-01|11:00:00", "2026-01-01|12:00:00"}));
    }

    // A table written by an earlier version: ids out of date and time order,
    // a time stored twice. The merge puts it in order once.
    void storedTableOutOfOrder()
    {
        QSqlDatabase db = newApp();
        QCOMPARE(exec(db, {"CREATE TABLE DataMoxB (id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT, "
                           "\"a (Hall)\" TEXT)",
                           "INSERT INTO DataMoxB (date, time, \"a (Hall)\") VALUES ('2026-01-01', '10:00:05', '1'), "
                           "('2026-01-01', '10:00:01', '2'), ('2026-01-01', '10:00:05', NULL)"}),
                 QStringList());
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:03", "3", "4"}}), kYard), Result::Done);
        QCOMPARE(rows(db, "SELECT id, time, \"a (Hall)\", \"a (Yard)\" FROM DataMoxB ORDER BY id"),
                 (QStringList{"1|10:00:01|2|NULL", "2|10:00:03|NULL|3", "3|10:00:05|1|NULL"}));
        // Nothing new: the table is still put in order.
        QCOMPARE(exec(db, {"UPDATE DataMoxB SET id = id + 10"}), QStringList());
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:03", "3", "4"}}), kYard), Result::Done);
        QCOMPARE(column(db, "SELECT id FROM DataMoxB ORDER BY time"), (QStringList{"1", "2", "3"}));
    }

    void leftoversOfUnfinishedImports_data()
    {
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<Result>("result");
        QTest::addColumn<QStringList>("tablesAfter");
        const QString table = "CREATE TABLE %1 (id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT, "
                              "\"a (Yard)\" TEXT); INSERT INTO %1 (date, time, \"a (Yard)\") VALUES ('2026-01-01', "
                              "'10:00:00', 'kept')";
        QTest::newRow("old rows renamed away: restored")
            << table.arg("tmpOldDataMoxB").split("; ") << Result::Done << QStringList{"DataMoxB"};
        QTest::newRow("reader copy after a merge: removed")
            << (table.arg("DataMoxB").split("; ") + table.arg("DataMoxB_toDelete").split("; ")) << Result::Done
            << QStringList{"DataMoxB"};
        QTest::newRow("old rows beside a table: refused")
            << (table.arg("DataMoxB").split("; ") + table.arg("tmpOldDataMoxB").split("; ")) << Result::Failed
            << QStringList{"DataMoxB", "tmpOldDataMoxB"};
        QTest::newRow("work table: refused") << (table.arg("DataMoxB").split("; ") + table.arg("TempDataMoxB").split("; "))
                                              << Result::Failed << QStringList{"DataMoxB", "TempDataMoxB"};
    }
    void leftoversOfUnfinishedImports()
    {
        QFETCH(QStringList, setup);
        QFETCH(Result, result);
        QFETCH(QStringList, tablesAfter);
        QSqlDatabase db = newApp();
        QCOMPARE(exec(db, setup), QStringList());
        const QStringList before = snapshot(db);
        RecorderImport import;
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:00", "1", "2"}}), kHall, Source::ReaderTable, nullptr,
                            &import),
                 result);
        QStringList tables = testdb::tables(db).filter("DataMoxB");
        tables.sort();
        QCOMPARE(tables, tablesAfter);
        if (result == Result::Failed) {
            QVERIFY2(import.errorText().contains("unfinished import"), qPrintable(import.errorText()));
            QCOMPARE(snapshot(db), before);
        } else {
            QCOMPARE(rows(db, "SELECT date, time, \"a (Yard)\", \"a (Hall)\" FROM DataMoxB"),
                     QStringList{"2026-01-01|10:00:00|kept|1"});
        }
    }

    // Failures injected at each statement the import runs: the stored
    // table, the parameters and the schema stay exactly as they were.
    void failureLeavesEverything_data()
    {
        QTest::addColumn<QStringList>("inject");
        QTest::addColumn<int>("device");
        QTest::addColumn<QString>("message");
        const QString raise = "CREATE TRIGGER injected BEFORE %1 BEGIN SELECT RAISE(ABORT, 'injected'); END";
        QTest::newRow("parameter insert") << QStringList{raise.arg("INSERT ON Parameters")} << kQuoted << "injected";
        QTest::newRow("update in place") << QStringList{raise.arg("UPDATE ON DataMoxB")} << kHall << "injected";
        QTest::newRow("removing rows to rewrite") << QStringList{raise.arg("DELETE ON DataMoxB")} << kHall
                                                  << "injected";
        QTest::newRow("writing rows") << QStringList{raise.arg("INSERT ON DataMoxB")} << kHall << "injected";
        // A deferred foreign key fails only at the commit.
        QTest::newRow("commit") << QStringList{"CREATE TABLE Audit (d INTEGER REFERENCES Devices(id) DEFERRABLE "
                                               "INITIALLY DEFERRED)",
                                               "CREATE TRIGGER injected AFTER INSERT ON DataMoxB BEGIN INSERT INTO "
                                               "Audit VALUES (99); END"}
                                << kHall << "Committing";
        QTest::newRow("unknown instrument") << QStringList() << 42 << "No instrument";
    }
    void failureLeavesEverything()
    {
        QFETCH(QStringList, inject);
        QFETCH(int, device);
        QFETCH(QString, message);
        QSqlDatabase db = newApp();
        storeTwoInstruments();
        QCOMPARE(exec(db, inject), QStringList());
        const QStringList before = snapshot(db);
        RecorderImport import;
        QCOMPARE(importFrom(mixedRows(), device, Source::ReaderTable, nullptr, &import), Result::Failed);
        QVERIFY2(import.errorText().contains(message), qPrintable(import.errorText()));
        QCOMPARE(snapshot(db), before);
        // Nothing is left attached or half-done: the next import works.
        QCOMPARE(exec(db, {"DROP TRIGGER IF EXISTS injected"}), QStringList());
        QCOMPARE(importFrom(mixedRows(), kHall), Result::Done);
        QCOMPARE(column(db, "SELECT time FROM DataMoxB ORDER BY id"),
                 (QStringList{"10:00:00", "10:00:02", "10:00:03", "10:00:04", "10:00:09"}));
    }

    void sourceFailures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("message");
        QTest::newRow("archive missing") << "missing.sqlite3" << int(Source::Archive)
                                         << int(RecorderImport::Stage::Attach) << "Attaching";
        QTest::newRow("archive without Data") << "empty" << int(Source::Archive) << int(RecorderImport::Stage::Later)
                                              << "no table Data";
        QTest::newRow("not a database") << "text" << int(Source::Archive) << int(RecorderImport::Stage::Attach)
                                        << "Attaching";
    }
    void sourceFailures()
    {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFETCH(int, stage);
        QFETCH(QString, message);
        QSqlDatabase db = newApp();
        storeTwoInstruments();
        if (path == "empty")
            path = source("Other", {"date", "time"}, {});
        else if (path == "text")
            path = testdb::writeFile(dir.filePath("it's a #1 file?.sqlite3"), QByteArray(4096, 'x'));
        else
            path = dir.filePath(path);
        const QStringList before = snapshot(db);
        RecorderImport import;
        QCOMPARE(importFrom(path, kHall, Source(kind), nullptr, &import), Result::Failed);
        QCOMPARE(int(import.failedAt()), stage);
        QVERIFY2(import.errorText().contains(message), qPrintable(import.errorText()));
        QCOMPARE(snapshot(db), before);
    }

    // A path with quotes and URI characters attaches as it is.
    void pathWithQuotes()
    {
        newApp();
        const QString plain = source("Data", {"date", "time", "a"}, {{"2026-01-01", "10:00:00", "1"}});
        const QString odd = dir.filePath("it's \"odd\" #1 ?x=%20.sqlite3");
        QVERIFY(QFile::copy(plain, odd));
        QCOMPARE(importFrom(odd, kHall, Source::Archive), Result::Done);
        QCOMPARE(rows(app(), "SELECT \"a (Hall)\" FROM DataMoxB"), QStringList{"1"});
    }

    // A cancel at any point between the steps rolls everything back.
    void cancelAtEveryStep()
    {
        int steps = 0;
        {
            newApp();
            storeTwoInstruments();
            QCOMPARE(importFrom(mixedRows(), kHall, Source::ReaderTable, [&](int) { ++steps; }), Result::Done);
            Connections::remove(kApp);
        }
        QVERIFY(steps >= 8);
        for (int at = 1; at <= steps; ++at) {
            cancel.storeRelease(0);
            QSqlDatabase db = newApp();
            storeTwoInstruments();
            const QStringList before = snapshot(db);
            int call = 0;
            const Result result = importFrom(mixedRows(), kQuoted, Source::ReaderTable, [&](int) {
                if (++call == at)
                    cancel.storeRelease(1);
            });
            QVERIFY2(result == Result::Cancelled, qPrintable(QString::number(at)));
            QVERIFY2(snapshot(db) == before, qPrintable(QString::number(at)));
            db = QSqlDatabase();
            Connections::remove(kApp);
        }
    }

    // The merge alone: ids follow date and time whatever the new rows'
    // order, and only rows from the first new time on are written again.
    void mergeRewritesOnlyTheTail()
    {
        QSqlDatabase db = newApp();
        QList<QStringList> first;
        for (int s = 0; s < 50; s += 2)
            first << QStringList{"2026-01-01", QStringLiteral("10:00:%1").arg(s, 2, 10, QLatin1Char('0')), "x", "y"};
        QCOMPARE(importFrom(csvRows(first), kHall), Result::Done);
        RecorderImport import;
        QCOMPARE(importFrom(csvRows({{"2026-01-01", "10:00:45", "1", "2"}, {"2026-01-01", "10:00:41", "3", "4"}}),
                            kHall, Source::ReaderTable, nullptr, &import),
                 Result::Done);
        // 10:00:42, 44, 46, 48 move; 41 and 45 are new.
        QCOMPARE(import.rewritten(), qint64(6));
        QCOMPARE(import.rowCount(), qint64(27));
        QCOMPARE(column(db, "SELECT count(*) FROM DataMoxB WHERE id = (SELECT count(*) FROM DataMoxB d2 WHERE "
                            "d2.time <= DataMoxB.time)"),
                 QStringList{"27"});
        QCOMPARE(column(db, "SELECT \"a (Hall)\" FROM DataMoxB WHERE time IN ('10:00:41', '10:00:45') ORDER BY id"),
                 (QStringList{"3", "1"}));
    }
};

QUORLOG_TEST_MAIN(TestRecorderImport)
#include "tst_recorderimport.moc"
