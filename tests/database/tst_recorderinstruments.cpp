// Recorder instruments of an application database and their columns in the
// wide tables: names that would share columns are refused on add, rename and
// import; a rename takes the instrument's columns along; a removal takes its
// columns and the rows left without a value out of both tables; the device
// information counts a recorder's own rows.
#include "support/TestMain.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "database/ArchiveManager.h"
#include "database/RecorderColumns.h"
#include "database/RecorderImport.h"
#include "support/DbTestUtil.h"
#include "support/RecorderTableFixture.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTranslator>

using testdb::column;
using testdb::exec;

namespace {

const QString kDataCon = QStringLiteral("Data_con");
const QString kSource = QStringLiteral("instrumentsource");

using testdb::rows;

// Everything a refused or failed change must leave as it was.
QStringList snapshot(QSqlDatabase db)
{
    QStringList out = rows(db, QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY type, name"));
    out << rows(db, QStringLiteral("SELECT * FROM Devices ORDER BY id"));
    out << rows(db, QStringLiteral("SELECT * FROM Parameters ORDER BY id"));
    for (const QString &table : recorderColumns::wideTables())
        if (testdb::tables(db).contains(table))
            out << rows(db, QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table));
    return out;
}

QString quoted(const QString &name)
{
    return sql::quoteIdentifier(name);
}

} // namespace

class TestRecorderInstruments : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    int serial = 0;

    QSqlDatabase db() { return Connections::database(kDataCon); }

    QSqlDatabase newDatabase()
    {
        const QString path = dir.filePath(QStringLiteral("app%1.qdb").arg(++serial));
        if (!ArchiveManager::createDatabase(path))
            qFatal("database");
        Connections::registerFile(kDataCon, path);
        return db();
    }

    // As an earlier version stored it, without any check of the name.
    int storedDevice(const QString &name, avaibleDevices_t type = MoxB)
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("INSERT INTO Devices (name, type, filesPath, onlineCfgEnable) VALUES (?, ?, '', 0)"));
        q.addBindValue(name);
        q.addBindValue(int(type));
        if (!q.exec())
            qFatal("device");
        return q.lastInsertId().toInt();
    }
    int addedDevice(ArchiveManager &manager, const QString &name, avaibleDevices_t type = MoxB)
    {
        if (!manager.addDevice(name, type, QString(), false, QString(), 0, QString(), QString(), {}))
            return -1;
        return manager.getDevices().lastKey();
    }
    bool rename(ArchiveManager &manager, int id, const QString &name)
    {
        const DeviceCfg d = manager.getDevices().value(id);
        return manager.editDevice(id, name, d.type, d.filesPath, false, QString(), 0, QString(), QString());
    }

    // Rows of a reader's table (date, time, then one cell per parameter; a
    // null text is NULL) brought into table for the instrument.
    RecorderImport::Result import(int device, const QStringList &parameters, const QVector<QStringList> &cells,
                                  const QString &table = QStringLiteral("DataMoxB"), QString *error = nullptr,
                                  RecorderImport::Stage *stage = nullptr)
    {
        const QString path = dir.filePath(QStringLiteral("src%1.sqlite").arg(++serial));
        rectable::writeTexts(testdb::open(kSource, path, testdb::Sync::Scratch), table, parameters, cells);
        Connections::remove(kSource);
        RecorderImport import;
        RecorderImport::Request r;
        r.db = db();
        r.table = table;
        r.file = path;
        r.sourceTable = table;
        r.deviceId = device;
        const RecorderImport::Result result = import.run(r);
        if (error)
            *error = import.errorText();
        if (stage)
            *stage = import.failedAt();
        return result;
    }
    // One row for every parameter at 10:00:00 with the value "v<n>".
    RecorderImport::Result importOne(int device, const QStringList &parameters, QString *error = nullptr,
                                     RecorderImport::Stage *stage = nullptr)
    {
        QStringList row{QStringLiteral("2026-01-01"), QStringLiteral("10:00:00")};
        for (int i = 0; i < parameters.size(); ++i)
            row << QStringLiteral("v%1").arg(i);
        return import(device, parameters, {row}, QStringLiteral("DataMoxB"), error, stage);
    }

private slots:
    void cleanup() { Connections::remove(kDataCon); }

    // ---- one table of names for add, rename, import and removal

    void instrumentNames_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QStringList>("firstParameters");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("secondParameters");
        QTest::addColumn<QString>("refusal");        // add and rename; empty: accepted
        QTest::addColumn<QString>("sharedColumn");   // import of the second after the first; empty: both kept

        const QString same = QStringLiteral("Device with this name already exists.");
        const QString twin = QStringLiteral("Device \"%1\" already exists. Names that differ only in letter case "
                                            "would share its data columns.");
        const QString mark = QStringLiteral("The name \"%1\" cannot be used beside device \"%2\": when a name ends "
                                            "in \" (\" and another device's name, their data columns cannot be told "
                                            "apart.");
        const QStringList u1{QStringLiteral("U1")};

        QTest::newRow("equal names") << "Hall" << u1 << "Hall" << u1 << same << "U1 (Hall)";
        QTest::newRow("equal names, other parameters") << "Hall" << u1 << "Hall" << QStringList{"U2"} << same << "";
        QTest::newRow("case twins") << "Hall" << u1 << "hall" << u1 << twin.arg("Hall") << "U1 (Hall)";
        QTest::newRow("case twins, other parameters") << "Hall" << u1 << "HALL" << QStringList{"I1"} << twin.arg("Hall")
                                                      << "";
        // SQLite folds ASCII letters only: these columns stay apart, the
        // names are refused all the same.
        QTest::newRow("Polish letters in another case")
            << QStringLiteral("Łąka") << u1 << QStringLiteral("łąka") << u1 << twin.arg(QStringLiteral("Łąka")) << "";
        QTest::newRow(") ( after the other's column") << "b" << QStringList{"Q (a)"} << "a) (b" << QStringList{"Q"}
                                                      << mark.arg("a) (b", "b") << "Q (a) (b)";
        QTest::newRow(") ( before the other's column") << "a) (b" << QStringList{"Q"} << "b" << QStringList{"Q (a)"}
                                                       << mark.arg("b", "a) (b") << "Q (a) (b)";
        QTest::newRow(") ( and a case twin") << "B" << QStringList{"q (A)"} << "a) (b" << QStringList{"Q"}
                                             << mark.arg("a) (b", "B") << "q (A) (B)";
        QTest::newRow("( without )") << "b" << QStringList{"Q (x"} << "x (b" << QStringList{"Q"}
                                     << mark.arg("x (b", "b") << "Q (x (b)";
        QTest::newRow(") ( with columns apart") << "b" << QStringList{"P"} << "a) (b" << QStringList{"Q"}
                                                << mark.arg("a) (b", "b") << "";
        QTest::newRow("one name in the other") << "A" << u1 << "AB" << u1 << "" << "";
        QTest::newRow("in parentheses") << "x" << u1 << "(x)" << u1 << "" << "";
        QTest::newRow("quotes") << "Hall \"A\"" << QStringList{"U \"1\""} << "Hall 'A'" << QStringList{"U \"1\""} << ""
                                << "";
        QTest::newRow("brackets") << "[x]" << QStringList{"U [V]"} << "x]" << QStringList{"U [V]"} << "" << "";
    }

    void instrumentNames()
    {
        QFETCH(QString, first);
        QFETCH(QStringList, firstParameters);
        QFETCH(QString, second);
        QFETCH(QStringList, secondParameters);
        QFETCH(QString, refusal);
        QFETCH(QString, sharedColumn);

        // Add: the second name is refused beside the first, with the notice.
        {
            newDatabase();
            ArchiveManager manager;
            QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
            QVERIFY(addedDevice(manager, first) > 0);
            QCOMPARE(addedDevice(manager, second) > 0, refusal.isEmpty());
            if (!refusal.isEmpty()) {
                QCOMPARE(dialogs.size(), 1);
                QCOMPARE(dialogs.at(0), (QList<QVariant>{refusal, QString(), 1}));
            } else {
                QVERIFY(dialogs.isEmpty());
            }
            QCOMPARE(testdb::count(db(), QStringLiteral("Devices")), qint64(refusal.isEmpty() ? 2 : 1));
            cleanup();
        }

        // Rename: an instrument with data may not take the second name; when
        // it may, its columns go with it.
        {
            newDatabase();
            ArchiveManager manager;
            const int a = addedDevice(manager, first);
            const int other = addedDevice(manager, QStringLiteral("Other"));
            QCOMPARE(importOne(a, firstParameters), RecorderImport::Result::Done);
            QCOMPARE(importOne(other, secondParameters), RecorderImport::Result::Done);
            const QStringList before = snapshot(db());
            QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
            QCOMPARE(rename(manager, other, second), refusal.isEmpty());
            if (!refusal.isEmpty()) {
                QCOMPARE(dialogs.size(), 1);
                QCOMPARE(dialogs.at(0).at(0).toString(), refusal);
                QCOMPARE(snapshot(db()), before);
            } else {
                QVERIFY(dialogs.isEmpty());
                for (int i = 0; i < secondParameters.size(); ++i)
                    QCOMPARE(column(db(), QStringLiteral("SELECT %1 FROM DataMoxB")
                                              .arg(quoted(recorderColumns::columnName(secondParameters.at(i), second)))),
                             QStringList{QStringLiteral("v%1").arg(i)});
            }
            cleanup();
        }

        // Import: two instruments that an earlier version let in; the second
        // may not write into a column that the first's parameter has.
        newDatabase();
        ArchiveManager manager;
        const int a = storedDevice(first);
        const int b = storedDevice(second);
        QCOMPARE(importOne(a, firstParameters), RecorderImport::Result::Done);
        const QStringList before = snapshot(db());
        QString error;
        RecorderImport::Stage stage = RecorderImport::Stage::None;
        const RecorderImport::Result result = importOne(b, secondParameters, &error, &stage);
        if (!sharedColumn.isEmpty()) {
            QCOMPARE(result, RecorderImport::Result::Failed);
            QCOMPARE(int(stage), int(RecorderImport::Stage::Refused));
            const QString parameter = sharedColumn.left(sharedColumn.size() - recorderColumns::mark(first).size());
            QCOMPARE(error, QStringLiteral("The column \"%1\" of device \"%2\" would be the column \"%3\" of parameter "
                                           "\"%4\" of device \"%5\". Nothing was imported.")
                                .arg(recorderColumns::columnName(secondParameters.first(), second), second,
                                     sharedColumn, parameter, first));
            QCOMPARE(snapshot(db()), before);
        } else {
            QCOMPARE(result, RecorderImport::Result::Done);
            QCOMPARE(testdb::count(db(), QStringLiteral("DataMoxB")), qint64(1));
        }

        // Removal of the first takes exactly its columns; the second's stay
        // with their values.
        QStringList secondColumns;
        for (const QString &p : secondParameters)
            secondColumns << recorderColumns::columnName(p, second);
        const bool secondStored = sharedColumn.isEmpty();
        QVERIFY(manager.removeDevice(a));
        const QStringList left = testdb::columns(db(), QStringLiteral("DataMoxB"));
        QCOMPARE(left, QStringList({"id", "date", "time"}) + (secondStored ? secondColumns : QStringList()));
        QCOMPARE(testdb::count(db(), QStringLiteral("DataMoxB")), qint64(secondStored ? 1 : 0));
        QVERIFY(manager.removeDevice(b));
        QCOMPARE(testdb::columns(db(), QStringLiteral("DataMoxB")), QStringList({"id", "date", "time"}));
        QCOMPARE(manager.getArchiveInfo().allRecordsCnt, 0u);
    }

    // ---- rename

    // The instrument's columns in both wide tables take the new name in one
    // transaction with its record; values, parameters and the other
    // instrument stay; the next import lands in the renamed columns.
    void renameTakesColumnsAlong_data()
    {
        QTest::addColumn<QString>("to");
        QTest::newRow("new name") << "Hall 2";
        QTest::newRow("letter case only") << "HALL";
        QTest::newRow("quotes and brackets") << "Hall \"[2]\" 'x'";
        QTest::newRow("own name after ) (") << "a) (Hall";
    }
    void renameTakesColumnsAlong()
    {
        QFETCH(QString, to);
        newDatabase();
        ArchiveManager manager;
        const int hall = addedDevice(manager, QStringLiteral("Hall"));
        const int yard = addedDevice(manager, QStringLiteral("Yard"));
        // "U (a)" of Hall is named like "U" of "a) (Hall" would be: the
        // rename has to pass it on the way.
        const QStringList parameters{"U", "U (a)", "I"};
        for (const QString &table : recorderColumns::wideTables()) {
            QCOMPARE(import(hall, parameters, {{"2026-01-01", "10:00:00", "1", "2", "3"}}, table),
                     RecorderImport::Result::Done);
            QCOMPARE(import(yard, {"U"}, {{"2026-01-01", "10:00:01", "4"}}, table), RecorderImport::Result::Done);
        }
        const QStringList parametersBefore = rows(db(), "SELECT * FROM Parameters ORDER BY id");

        QVERIFY(rename(manager, hall, to));
        for (const QString &table : recorderColumns::wideTables()) {
            QStringList expected{"id", "date", "time"};
            for (const QString &p : parameters)
                expected << recorderColumns::columnName(p, to);
            expected << "U (Yard)";
            QCOMPARE(testdb::columns(db(), table), expected);
            QCOMPARE(rows(db(), QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table)),
                     (QStringList{"1|2026-01-01|10:00:00|1|2|3|NULL", "2|2026-01-01|10:00:01|NULL|NULL|NULL|4"}));
        }
        QCOMPARE(rows(db(), "SELECT * FROM Parameters ORDER BY id"), parametersBefore);
        QCOMPARE(manager.getDevices().value(hall).name, to);

        // Imported again under the new name: into the same columns.
        QCOMPARE(import(hall, {"U"}, {{"2026-01-01", "10:00:02", "5"}}), RecorderImport::Result::Done);
        QCOMPARE(testdb::columns(db(), "DataMoxB").size(), 7);
        QCOMPARE(column(db(), QStringLiteral("SELECT %1 FROM DataMoxB ORDER BY id")
                                  .arg(quoted(recorderColumns::columnName("U", to)))),
                 (QStringList{"1", "", "5"}));
    }

    void renameRefusedOrFailedChangesNothing_data()
    {
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("icon");
        // A column of no registered parameter, left by an earlier version.
        QTest::newRow("another column of the new name")
            << QStringList{"ALTER TABLE DataMoxA ADD COLUMN \"u (New)\" TEXT"}
            << "Device \"Hall\" cannot be renamed to \"New\": one of its data columns would take the name of the "
               "column \"u (New)\" in DataMoxA, which holds other data."
            << 2;
        QTest::newRow("the record cannot be written")
            << QStringList{"CREATE TRIGGER injected BEFORE UPDATE ON Devices BEGIN SELECT RAISE(ABORT, 'kept'); END"}
            << "Failed to edit device." << 2;
    }
    void renameRefusedOrFailedChangesNothing()
    {
        QFETCH(QStringList, setup);
        QFETCH(QString, dialog);
        QFETCH(int, icon);
        newDatabase();
        ArchiveManager manager;
        const int hall = addedDevice(manager, QStringLiteral("Hall"));
        for (const QString &table : recorderColumns::wideTables())
            QCOMPARE(import(hall, {"U"}, {{"2026-01-01", "10:00:00", "1"}}, table), RecorderImport::Result::Done);
        QCOMPARE(exec(db(), setup), QStringList());
        const QStringList before = snapshot(db());
        QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
        QVERIFY(!rename(manager, hall, QStringLiteral("New")));
        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs.at(0), (QList<QVariant>{dialog, QString(), icon}));
        QCOMPARE(snapshot(db()), before);
    }

    // ---- removal

    // Both wide tables lose the instrument's columns and the rows in which
    // no value is left (NULL, '' and ' ' are none): the database then counts,
    // begins and ends as one that held only the other instrument's values.
    void removalAsIfNeverThere()
    {
        const QVector<QStringList> hallRows{{"2026-01-01", "09:00:00", "1", "2"},
                                            {"2026-01-01", "10:00:00", "3", QString()},
                                            {"2026-01-01", "11:00:00", "5", "6"},
                                            {"2026-01-01", "12:00:00", "7", "8"},
                                            {"2026-01-01", "13:00:00", "9", "10"}};
        const QVector<QStringList> yardRows{{"2026-01-01", "10:00:00", "0"}, {"2026-01-01", "12:30:00", "x"}};
        // Where Yard recorded nothing at Hall's times.
        const QVector<QStringList> yardBlanks{{"2026-01-01", "11:00:00", ""}, {"2026-01-01", "12:00:00", " "}};
        ArchiveManager manager;

        newDatabase();
        int yard = addedDevice(manager, QStringLiteral("Yard"));
        for (const QString &table : recorderColumns::wideTables())
            QCOMPARE(import(yard, {"U"}, yardRows, table), RecorderImport::Result::Done);
        const ArchiveInfo without = manager.getArchiveInfo();
        QCOMPARE(without.allRecordsCnt, 2u * 2u);
        const QStringList withoutRows = rows(db(), "SELECT * FROM DataMoxA ORDER BY id");
        cleanup();

        newDatabase();
        const int hall = addedDevice(manager, QStringLiteral("Hall"));
        yard = addedDevice(manager, QStringLiteral("Yard"));
        for (const QString &table : recorderColumns::wideTables()) {
            QCOMPARE(import(hall, {"U", "I"}, hallRows, table), RecorderImport::Result::Done);
            QCOMPARE(import(yard, {"U"}, yardRows + yardBlanks, table), RecorderImport::Result::Done);
        }
        QCOMPARE(exec(db(), {"CREATE INDEX extra ON DataMoxA (\"U (Yard)\")",
                             "CREATE INDEX gone ON DataMoxA (\"U (Hall)\")"}),
                 QStringList());
        QCOMPARE(manager.getArchiveInfo().allRecordsCnt, 2u * 6u);

        QVERIFY(manager.removeDevice(hall));
        const ArchiveInfo info = manager.getArchiveInfo();
        QCOMPARE(info.allRecordsCnt, without.allRecordsCnt);
        QCOMPARE(info.firstRecordDate, without.firstRecordDate);
        QCOMPARE(info.lastRecordDate, without.lastRecordDate);
        for (const QString &table : recorderColumns::wideTables()) {
            QCOMPARE(testdb::columns(db(), table), (QStringList{"id", "date", "time", "U (Yard)"}));
            // Renumbered in order; the key and its counter as they were.
            QCOMPARE(rows(db(), QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table)), withoutRows);
            QCOMPARE(column(db(), QStringLiteral("SELECT pk FROM pragma_table_info('%1') WHERE name = 'id'").arg(table)),
                     QStringList{"1"});
            QCOMPARE(exec(db(), {QStringLiteral("INSERT INTO %1 (date) VALUES ('2026-01-02')").arg(table)}),
                     QStringList());
            QCOMPARE(column(db(), QStringLiteral("SELECT MAX(id) FROM %1").arg(table)), QStringList{"3"});
        }
        // The indexes of the columns that stay come back.
        const QStringList indexes = column(db(), "SELECT name FROM sqlite_master WHERE type = 'index'");
        QVERIFY(indexes.contains("extra"));
        QVERIFY(!indexes.contains("gone"));
    }

    // Columns of instruments an earlier version let in side by side: a
    // removal takes only what is the removed instrument's alone.
    void removalOfLegacyNeighbours_data()
    {
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("columns");     // as stored
        QTest::addColumn<QStringList>("parameters");  // "<instrument>|<parameter>"
        QTest::addColumn<QStringList>("columnsAfter");
        QTest::newRow("case twins share a column")
            << "hall" << "Hall" << QStringList{"U (Hall)", "I (hall)"} << QStringList{"Hall|U", "hall|U", "hall|I"}
            << QStringList{"U (Hall)"};
        QTest::newRow(") ( names: the shorter removed")
            << "b" << "a) (b" << QStringList{"P (b)", "Q (a) (b)"} << QStringList{"b|P", "a) (b|Q"}
            << QStringList{"Q (a) (b)"};
        QTest::newRow(") ( names: the longer removed")
            << "a) (b" << "b" << QStringList{"P (b)", "Q (a) (b)"} << QStringList{"b|P", "a) (b|Q"}
            << QStringList{"P (b)"};
        // No parameter names these: the name at the end tells, the longest.
        QTest::newRow("unregistered columns") << "b" << "a) (b" << QStringList{"X (b)", "Y (a) (b)", "Z (B)"}
                                              << QStringList() << QStringList{"Y (a) (b)", "Z (B)"};
    }
    void removalOfLegacyNeighbours()
    {
        QFETCH(QString, removed);
        QFETCH(QString, kept);
        QFETCH(QStringList, columns);
        QFETCH(QStringList, parameters);
        QFETCH(QStringList, columnsAfter);
        newDatabase();
        QHash<QString, int> ids;
        ids.insert(removed, storedDevice(removed));
        ids.insert(kept, storedDevice(kept));
        for (const QString &p : parameters) {
            QSqlQuery q(db());
            q.prepare("INSERT INTO Parameters (idDevices, name, unit) VALUES (?, ?, 'None')");
            q.addBindValue(ids.value(p.section('|', 0, 0)));
            q.addBindValue(p.section('|', 1));
            QVERIFY(q.exec());
        }
        QStringList cells{"2026-01-01", "10:00:00"};
        for (int i = 0; i < columns.size(); ++i)
            cells << QString::number(i);
        rectable::writeTexts(db(), "DataMoxB", columns, {cells});
        ArchiveManager manager;
        QVERIFY(manager.removeDevice(ids.value(removed)));
        QCOMPARE(testdb::columns(db(), "DataMoxB"), QStringList({"id", "date", "time"}) + columnsAfter);
        QCOMPARE(testdb::count(db(), "DataMoxB"), qint64(1));
    }

    // The table keeps its definition through a removal: a key that is the
    // row id is renumbered, any other id is kept as it is.
    void removalKeepsTheTableShape_data()
    {
        QTest::addColumn<QString>("definition");
        QTest::addColumn<QStringList>("sqlAfter"); // the columns' declarations in sqlite_master
        QTest::addColumn<QStringList>("idsAfter");
        QTest::newRow("row id key with its counter")
            << "id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT, \"U (Hall)\" TEXT, \"U (Yard)\" REAL"
            << QStringList{"\"id\" INTEGER PRIMARY KEY AUTOINCREMENT", "\"U (Yard)\" REAL"} << QStringList{"1", "2"};
        // As a copy made with CREATE TABLE ... AS SELECT leaves it.
        QTest::newRow("plain id column") << "id INT, date TEXT, time TEXT, \"U (Hall)\" TEXT, \"U (Yard)\" NUM"
                                         << QStringList{"\"id\" INT,", "\"U (Yard)\" NUM"} << QStringList{"5", "9"};
        QTest::newRow("not null and default")
            << "id INTEGER PRIMARY KEY, date TEXT NOT NULL DEFAULT '', time TEXT, \"U (Hall)\" TEXT, "
               "\"U (Yard)\" TEXT DEFAULT 'n/a'"
            << QStringList{"\"date\" TEXT NOT NULL DEFAULT ('')", "\"U (Yard)\" TEXT DEFAULT ('n/a')"}
            << QStringList{"1", "2"};
    }
    void removalKeepsTheTableShape()
    {
        QFETCH(QString, definition);
        QFETCH(QStringList, sqlAfter);
        QFETCH(QStringList, idsAfter);
        newDatabase();
        const int hall = storedDevice(QStringLiteral("Hall"));
        storedDevice(QStringLiteral("Yard"));
        QCOMPARE(exec(db(), {QStringLiteral("CREATE TABLE DataMoxB (%1)").arg(definition),
                             "INSERT INTO DataMoxB (id, date, time, \"U (Hall)\", \"U (Yard)\") VALUES "
                             "(5, '2026-01-01', '10:00:00', '1', '2'), (7, '2026-01-01', '10:00:01', '3', NULL), "
                             "(9, '2026-01-01', '10:00:02', '4', '5')"}),
                 QStringList());
        ArchiveManager manager;
        QVERIFY(manager.removeDevice(hall));
        const QString sql = column(db(), "SELECT sql FROM sqlite_master WHERE name = 'DataMoxB'").value(0);
        for (const QString &declaration : sqlAfter)
            QVERIFY2(sql.contains(declaration), qPrintable(sql));
        QCOMPARE(testdb::columns(db(), "DataMoxB"), (QStringList{"id", "date", "time", "U (Yard)"}));
        QCOMPARE(column(db(), "SELECT id FROM DataMoxB ORDER BY time"), idsAfter);
        QCOMPARE(column(db(), "SELECT \"U (Yard)\" FROM DataMoxB ORDER BY time"), (QStringList{"2", "5"}));
    }

    // A failure after the columns went brings them back, rows and all.
    void removalFailureKeepsBothTables()
    {
        newDatabase();
        ArchiveManager manager;
        const int hall = addedDevice(manager, QStringLiteral("Hall"));
        for (const QString &table : recorderColumns::wideTables())
            QCOMPARE(import(hall, {"U"}, {{"2026-01-01", "10:00:00", "1"}}, table), RecorderImport::Result::Done);
        QCOMPARE(exec(db(), {"CREATE TRIGGER injected BEFORE DELETE ON Devices BEGIN SELECT RAISE(ABORT, 'kept'); END"}),
                 QStringList());
        const QStringList before = snapshot(db());
        QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
        QVERIFY(!manager.removeDevice(hall));
        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs.at(0), (QList<QVariant>{"Failed to remove device.", QString(), 2}));
        QCOMPARE(snapshot(db()), before);
    }

    // ---- device information

    void recorderDeviceInfo_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("DataMoxB") << "DataMoxB";
        QTest::newRow("DataMoxA") << "DataMoxA";
    }
    void recorderDeviceInfo()
    {
        QFETCH(QString, table);
        newDatabase();
        ArchiveManager manager;
        const int hall = addedDevice(manager, QStringLiteral("Hall"));
        const int yard = addedDevice(manager, QStringLiteral("Yard"));
        const int none = addedDevice(manager, QStringLiteral("None"));
        // Hall has a value at 10:00:01 (".5" millisecond time), 10:00:03 and
        // 10:00:04; Yard at 09:00:00 and 11:00:00.
        QCOMPARE(import(hall, {"U", "I"},
                        {{"2026-01-01", "10:00:01.500", "1", QString()},
                         {"2026-01-01", "10:00:02", "", " "},
                         {"2026-01-01", "10:00:03", QString(), "0"},
                         {"2026-01-01", "10:00:04", "x", "y"}},
                        table),
                 RecorderImport::Result::Done);
        QCOMPARE(import(yard, {"U"}, {{"2026-01-01", "09:00:00", "1"}, {"2026-01-01", "11:00:00", "2"},
                                      {"2026-01-01", "10:00:04", QString()}},
                        table),
                 RecorderImport::Result::Done);

        ArchiveInfo info = manager.getDeviceInfo(hall);
        QCOMPARE(info.allRecordsCnt, 3u);
        QCOMPARE(info.firstRecordDate, QDateTime(QDate(2026, 1, 1), QTime(10, 0, 1, 500), Qt::UTC).toMSecsSinceEpoch());
        QCOMPARE(info.lastRecordDate, QDateTime(QDate(2026, 1, 1), QTime(10, 0, 4), Qt::UTC).toMSecsSinceEpoch());
        info = manager.getDeviceInfo(yard);
        QCOMPARE(info.allRecordsCnt, 2u);
        QCOMPARE(info.firstRecordDate, QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch());
        QCOMPARE(info.lastRecordDate, QDateTime(QDate(2026, 1, 1), QTime(11, 0), Qt::UTC).toMSecsSinceEpoch());
        info = manager.getDeviceInfo(none);
        QCOMPARE(info.allRecordsCnt, 0u);
        QCOMPARE(info.firstRecordDate, Q_INT64_C(0));
        QCOMPARE(info.lastRecordDate, Q_INT64_C(0));
    }

    // The refusals reach a Polish user in Polish.
    void refusalsTranslated()
    {
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(QUORLOG_BIN_DIR "/qrlg_pl.qm")));
        QCoreApplication::installTranslator(&translator);
        newDatabase();
        ArchiveManager manager;
        QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
        const int hall = addedDevice(manager, QStringLiteral("Hall"));
        QVERIFY(addedDevice(manager, QStringLiteral("HALL")) < 0);
        QVERIFY(addedDevice(manager, QStringLiteral("x (Hall")) < 0);
        const int twin = storedDevice(QStringLiteral("hall"));
        QCOMPARE(importOne(hall, {"U"}), RecorderImport::Result::Done);
        QString error;
        QCOMPARE(importOne(twin, {"U"}, &error), RecorderImport::Result::Failed);
        const QString missing = QCoreApplication::translate("MyAbstractTableModel", "The data cannot be read: %1");
        QCoreApplication::removeTranslator(&translator);

        QCOMPARE(dialogs.size(), 2);
        QCOMPARE(dialogs.at(0).at(0).toString(),
                 QStringLiteral("Urządzenie \"Hall\" już istnieje. Nazwy różniące się tylko wielkością liter dzieliłyby "
                                "jego kolumny danych."));
        QVERIFY(dialogs.at(1).at(0).toString().startsWith(QStringLiteral("Nazwy \"x (Hall\" nie można użyć obok")));
        QCOMPARE(error, QStringLiteral("Kolumna \"U (hall)\" urządzenia \"hall\" byłaby kolumną \"U (Hall)\" parametru "
                                       "\"U\" urządzenia \"Hall\". Niczego nie zaimportowano."));
        QCOMPARE(missing, QStringLiteral("Nie można odczytać danych: %1"));
    }
};

QUORLOG_TEST_MAIN(TestRecorderInstruments)
#include "tst_recorderinstruments.moc"
