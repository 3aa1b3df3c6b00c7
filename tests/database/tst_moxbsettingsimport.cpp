// A MoxB recorder's settings brought into an application database with two
// recorder instruments: from SQLite and CSV files in English and Polish, the
// units written only where the settings name a parameter exactly, the same
// import twice,
// and a failure or cancel at every step leaving the database as it was.
#include "support/TestMain.h"

#include "common/Connections.h"
#include "database/MoxBSettingsImport.h"
#include "readers/moxbdatabasecsvsetting.h"
#include "support/DbTestUtil.h"
#include "support/MoxBSettingsWriter.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

using moxbsettings::Language;
using Result = MoxBSettingsImport::Result;
Q_DECLARE_METATYPE(moxbsettings::Language)
Q_DECLARE_METATYPE(MoxBSettingsImport::Result)

namespace {

const QString kApp = QStringLiteral("app");

// Index texts of the recorder's parameters table.
const QStringList kIndexes = {
    QStringLiteral("U1 [V]"),             // U1 only: not U1 avg, not U12
    QStringLiteral("U1 avg [mV] (mean)"),
    QStringLiteral("T_1 [\u00b0C]"),      // "_" is no wildcard: TX1 keeps its unit
    QStringLiteral("Flow - total [m3/h]"),
    QStringLiteral("Status"),             // no unit, and no parameter of that name
    QString(),                            // a blank Index names no parameter
    QStringLiteral("100% [x]"),           // "%" is no wildcard: "1000 Hz" keeps its unit
};
const QStringList kParameters = {QStringLiteral("U1"),          QStringLiteral("U1 avg"), QStringLiteral("U12"),
                                 QStringLiteral("T_1"),         QStringLiteral("TX1"),
                                 QStringLiteral("Flow: total"), QStringLiteral("1000 Hz"), QStringLiteral("Other")};
// The units the settings give the target instrument's parameters, in the order above.
const QStringList kUnits = {QStringLiteral("V"),      QStringLiteral("mV"),   QStringLiteral("None"),
                            QStringLiteral("\u00b0C"), QStringLiteral("None"), QStringLiteral("m3/h"),
                            QStringLiteral("None"),   QStringLiteral("None")};

QStringList noneUnits()
{
    QStringList out;
    for (int i = 0; i < kParameters.size(); ++i)
        out << QStringLiteral("None");
    return out;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Everything a database holds: its schema and every row of every table.
QStringList dump(QSqlDatabase db)
{
    QStringList out;
    QStringList tables;
    QSqlQuery master(db);
    master.exec(QStringLiteral("SELECT type, name, sql FROM main.sqlite_master ORDER BY type, name"));
    while (master.next()) {
        out << master.value(0).toString() + QLatin1Char('|') + master.value(1).toString() + QLatin1Char('|')
                   + master.value(2).toString();
        if (master.value(0).toString() == QLatin1String("table"))
            tables << master.value(1).toString();
    }
    for (const QString &table : qAsConst(tables)) {
        QSqlQuery rows(db);
        rows.exec(QStringLiteral("SELECT * FROM main.\"%1\" ORDER BY rowid").arg(table));
        while (rows.next()) {
            QStringList values;
            for (int i = 0; i < rows.record().count(); ++i)
                values << (rows.value(i).isNull() ? QStringLiteral("<null>") : rows.value(i).toString());
            out << table + QLatin1Char(':') + values.join(QLatin1Char('|'));
        }
    }
    return out;
}

struct Outcome
{
    Result result = Result::Failed;
    QStringList dialogs;
    QStringList console;
};

} // namespace

class TestMoxBSettingsImport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;
    QSqlDatabase m_db;
    int m_target = 0; // the instrument the settings belong to
    int m_other = 0;  // a second recorder with a name full of SQL's characters
    int m_meter = 0;  // an instrument of another type

    QString path(const QString &name) { return m_dir.filePath(QString::number(m_serial) + name); }

    int addDevice(const QString &name, int type)
    {
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("INSERT INTO Devices (name, type) VALUES (?, ?)"));
        q.addBindValue(name);
        q.addBindValue(type);
        return q.exec() ? q.lastInsertId().toInt() : -1;
    }
    void addParameter(int device, const QString &name, const QString &unit)
    {
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("INSERT INTO Parameters (idDevices, name, unit, nominal) VALUES (?, ?, ?, 230)"));
        q.addBindValue(device);
        q.addBindValue(name);
        q.addBindValue(unit);
        QVERIFY(q.exec());
    }
    QStringList units(int device)
    {
        return testdb::column(m_db, QStringLiteral("SELECT unit FROM Parameters WHERE idDevices = %1 ORDER BY id")
                                        .arg(device));
    }
    // Every Parameters row but its unit.
    QStringList parametersWithoutUnits()
    {
        return testdb::column(m_db, QStringLiteral("SELECT id || '|' || idDevices || '|' || name || '|' || "
                                                   "nominal FROM Parameters ORDER BY id"));
    }
    QString settingsFile(Language language, bool sqlite, const QStringList &indexes = kIndexes)
    {
        const auto sections = moxbsettings::sections(language, indexes);
        if (sqlite) {
            const QString p = path(QStringLiteral("settings.sqlite3"));
            return moxbsettings::writeSqlite(p, sections) ? p : QString();
        }
        return testdb::writeFile(path(QStringLiteral("settings.csv")), moxbsettings::csv(sections));
    }

    Outcome run(const QString &file, int device, QAtomicInteger<char> *flag = nullptr,
                std::function<void(QObject *)> wire = {})
    {
        QAtomicInteger<char> own(0);
        Outcome out;
        MoxBSettingsImport import;
        connect(&import, &MoxBSettingsImport::dialogMessage, this,
                [&out](const QString &text, const QString &, int) { out.dialogs << text; });
        connect(&import, &MoxBSettingsImport::consoleMessage, this,
                [&out](const QString &text, int) { out.console << text; });
        MoxBSettingsImport::Input input;
        input.path = file;
        input.deviceId = device;
        input.target = m_db;
        input.cancelFlag = flag ? flag : &own;
        // The CSV reader's own messages are part of what the user sees.
        input.wireReader = [&out, wire](QObject *reader) {
            auto *csv = qobject_cast<moxbdatabasecsvsetting *>(reader);
            QVERIFY(csv);
            QObject::connect(csv, &moxbdatabasecsvsetting::dialogMessage,
                             [&out](const QString &text, const QString &, int) { out.dialogs << text; });
            QObject::connect(csv, &moxbdatabasecsvsetting::consoleMessage,
                             [&out](const QString &text, int) { out.console << text; });
            if (wire)
                wire(reader);
        };
        out.result = import.run(input);
        return out;
    }
    void checkNothingLeft()
    {
        QVERIFY(!testdb::column(m_db, QStringLiteral("PRAGMA database_list"), 1)
                     .contains(QStringLiteral("tempSettingsDB"), Qt::CaseInsensitive));
        QVERIFY(!Connections::contains(QStringLiteral("MoxBSettingsCsv")));
        // No transaction of the import stays open.
        QVERIFY(m_db.transaction());
        QVERIFY(m_db.rollback());
    }

private slots:
    void init()
    {
        ++m_serial;
        m_db = testdb::createSchemaDatabase(kApp, path(QStringLiteral("app.qdb")));
        QVERIFY(m_db.isOpen());
        m_target = addDevice(QStringLiteral("Recorder"), 17);
        m_other = addDevice(QStringLiteral("B \"50%_x\" O'Brien"), 17);
        m_meter = addDevice(QStringLiteral("Meter"), 4);
        for (int device : {m_target, m_other})
            for (const QString &name : kParameters)
                addParameter(device, name, QStringLiteral("None"));
        addParameter(m_meter, QStringLiteral("U1"), QStringLiteral("kV"));
    }

    void cleanup()
    {
        m_db = QSqlDatabase();
        Connections::remove(kApp);
    }

    void splitIndex_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("unit");
        QTest::newRow("unit") << " U1 [ V ] " << "U1" << "V";
        QTest::newRow("text after the unit") << "P [kW] avg" << "P" << "kW";
        QTest::newRow("no brackets") << " Status " << "Status" << " ";
        QTest::newRow("closing bracket first") << "a ] b [c" << "a ] b [c" << " ";
        QTest::newRow("only an opening bracket") << "a [b" << "a [b" << " ";
        QTest::newRow("dash") << "Flow - total - x [l]" << "Flow: total - x" << "l";
        QTest::newRow("empty unit") << "E []" << "E" << "";
        QTest::newRow("empty") << "" << "" << " ";
    }

    void splitIndex()
    {
        QFETCH(QString, index);
        QFETCH(QString, name);
        QFETCH(QString, unit);
        const MoxBSettingsImport::NameAndUnit got = MoxBSettingsImport::splitIndex(index);
        QCOMPARE(got.name, name);
        QCOMPARE(got.unit, unit);
    }

    void sourceOfSuffix_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("source");
        QTest::newRow("sqlite3") << "/a/s.sqlite3" << int(MoxBSettingsImport::Source::SqliteFile);
        QTest::newRow("SQLITE3") << "/a/s.SQLite3" << int(MoxBSettingsImport::Source::SqliteFile);
        QTest::newRow("csv") << "/a/s.csv" << int(MoxBSettingsImport::Source::CsvFile);
        QTest::newRow("CSV") << "/a/s.CSV" << int(MoxBSettingsImport::Source::CsvFile);
        QTest::newRow("sqlite") << "/a/s.sqlite" << int(MoxBSettingsImport::Source::None);
        QTest::newRow("csv in the name") << "/a/s.csv.txt" << int(MoxBSettingsImport::Source::None);
    }

    void sourceOfSuffix()
    {
        QFETCH(QString, path);
        QFETCH(int, source);
        QCOMPARE(int(MoxBSettingsImport::sourceOf(path)), source);
    }

    void planRefusesApplicationTables_data()
    {
        QTest::addColumn<QStringList>("tables");
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<QStringList>("refused");
        QTest::newRow("English") << QStringList{"A", "Parameters", "B"}
                                 << QStringList{"A", "ParametersSettings", "B"} << QStringList{};
        QTest::newRow("Polish") << QStringList{"Parametry", "Temperatura"}
                                << QStringList{"ParametersSettings", "Temperatura"} << QStringList{};
        QTest::newRow("both: the English one is the parameters table")
            << QStringList{"Parametry", "Parameters"} << QStringList{"Parametry", "ParametersSettings"}
            << QStringList{};
        QTest::newRow("application tables in any case")
            << QStringList{"Parameters", "devices", "Data", "EVENTS", "eventData", "DataMoxB", "DataMoxA"}
            << QStringList{"ParametersSettings"}
            << QStringList{"devices", "Data", "EVENTS", "eventData", "DataMoxB", "DataMoxA"};
        QTest::newRow("work tables")
            << QStringList{"Parameters", "tmpOldDataMoxB", "TempDataMoxA", "DataMoxB_toDelete", "ParametersFromDataTmp"}
            << QStringList{"ParametersSettings"}
            << QStringList{"tmpOldDataMoxB", "TempDataMoxA", "DataMoxB_toDelete", "ParametersFromDataTmp"};
        QTest::newRow("a second parameters table")
            << QStringList{"Parameters", "ParametersSettings"} << QStringList{"ParametersSettings"}
            << QStringList{"ParametersSettings"};
        QTest::newRow("lower-case parameters") << QStringList{"parameters"} << QStringList{}
                                               << QStringList{"parameters"};
    }

    void planRefusesApplicationTables()
    {
        QFETCH(QStringList, tables);
        QFETCH(QStringList, targets);
        QFETCH(QStringList, refused);
        QStringList gotRefused;
        QStringList gotTargets;
        for (const MoxBSettingsImport::Copy &copy : MoxBSettingsImport::plan(tables, &gotRefused))
            gotTargets << copy.target;
        QCOMPARE(gotTargets, targets);
        QCOMPARE(gotRefused, refused);
    }

    // Every table lands under its own name, the parameters table as
    // ParametersSettings; the instrument's parameters get their units and
    // nothing else of Parameters changes.
    void imported_data()
    {
        QTest::addColumn<Language>("language");
        QTest::addColumn<bool>("sqlite");
        QTest::addColumn<bool>("oddInstrument");
        QTest::newRow("English SQLite") << Language::English << true << false;
        QTest::newRow("Polish SQLite") << Language::Polish << true << false;
        QTest::newRow("English CSV") << Language::English << false << false;
        QTest::newRow("Polish CSV") << Language::Polish << false << false;
        QTest::newRow("English SQLite, instrument named with quotes, % and _") << Language::English << true << true;
        QTest::newRow("Polish CSV, instrument named with quotes, % and _") << Language::Polish << false << true;
    }

    void imported()
    {
        QFETCH(Language, language);
        QFETCH(bool, sqlite);
        QFETCH(bool, oddInstrument);
        const int device = oddInstrument ? m_other : m_target;
        const int untouched = oddInstrument ? m_target : m_other;
        const QString file = settingsFile(language, sqlite);
        const QByteArray original = fileBytes(file);
        const QStringList parameters = parametersWithoutUnits();
        const QStringList tablesBefore = testdb::tables(m_db);
        const QStringList schema = testdb::column(m_db, QStringLiteral("SELECT sql FROM sqlite_master WHERE "
                                                                       "tbl_name = 'Parameters' ORDER BY name"));

        const Outcome out = run(file, device);
        QCOMPARE(int(out.result), int(Result::Done));
        QVERIFY(out.dialogs.isEmpty());
        QVERIFY(out.console.isEmpty());

        QCOMPARE(testdb::tables(m_db), tablesBefore + moxbsettings::storedTables(language));
        QCOMPARE(testdb::column(m_db, QStringLiteral("SELECT \"Index\" FROM ParametersSettings ORDER BY rowid")),
                 kIndexes);
        const QString temperature = moxbsettings::storedTables(language).last();
        QCOMPARE(testdb::column(m_db, QStringLiteral("SELECT Name || '=' || Value FROM \"%1\"").arg(temperature)),
                 QStringList{"T1=21.5"});

        QCOMPARE(units(device), kUnits);
        QCOMPARE(units(untouched), noneUnits());
        QCOMPARE(units(m_meter), QStringList{"kV"});
        QCOMPARE(parametersWithoutUnits(), parameters);
        QCOMPARE(testdb::column(m_db, QStringLiteral("SELECT sql FROM sqlite_master WHERE tbl_name = 'Parameters' "
                                                     "ORDER BY name")),
                 schema);
        // The recorder's file is only read.
        QCOMPARE(fileBytes(file), original);
        checkNothingLeft();
    }

    // The same file again, or the other language's file over the first:
    // the settings tables are replaced, nothing piles up.
    void reimport_data()
    {
        QTest::addColumn<bool>("sqlite");
        QTest::newRow("SQLite") << true;
        QTest::newRow("CSV") << false;
    }

    void reimport()
    {
        QFETCH(bool, sqlite);
        const QString file = settingsFile(Language::English, sqlite);
        QCOMPARE(int(run(file, m_target).result), int(Result::Done));
        const QStringList once = dump(m_db);
        const Outcome again = run(file, m_target);
        QCOMPARE(int(again.result), int(Result::Done));
        QVERIFY(again.dialogs.isEmpty());
        QCOMPARE(dump(m_db), once);

        // A new unit for a parameter overwrites the old one; parameters the
        // new file names no unit for keep theirs.
        const QString changed = settingsFile(Language::English, sqlite, {QStringLiteral("U1 [kV]")});
        QCOMPARE(int(run(changed, m_target).result), int(Result::Done));
        QCOMPARE(units(m_target).mid(0, 3), (QStringList{"kV", "mV", "None"}));
        QCOMPARE(testdb::count(m_db, QStringLiteral("ParametersSettings")), qint64(1));
    }

    // A file of another kind: only the units, from the ParametersSettings an
    // earlier import left; without one the import fails and changes nothing.
    void unitsOnly()
    {
        const QString other = testdb::writeFile(path(QStringLiteral("settings.txt")), QByteArray("x"));
        const QStringList before = dump(m_db);
        Outcome out = run(other, m_target);
        QCOMPARE(int(out.result), int(Result::Failed));
        QCOMPARE(out.dialogs.size(), 1);
        QVERIFY(out.dialogs.first().startsWith(QStringLiteral("An error occurred during settings import.\n")));
        // What is missing is said.
        QVERIFY(out.dialogs.first().contains(QStringLiteral("no settings file (.sqlite3 or .csv)")));
        QVERIFY(out.dialogs.first().contains(QStringLiteral("ParametersSettings")));
        QVERIFY(out.console.first().contains(QStringLiteral("ParametersSettings")));
        QCOMPARE(dump(m_db), before);

        QCOMPARE(int(run(settingsFile(Language::English, true), m_other).result), int(Result::Done));
        QCOMPARE(units(m_target), noneUnits());
        out = run(other, m_target);
        QCOMPARE(int(out.result), int(Result::Done));
        QCOMPARE(units(m_target), kUnits);
        checkNothingLeft();
    }

    // Tables whose names only look like SQLite's own are the file's: copied,
    // and replaced by the next import.
    void tablesNamedLikeSqlites()
    {
        QList<moxbsettings::Section> sections = moxbsettings::sections(Language::English, kIndexes);
        sections.append({QStringLiteral("sqlite1"), {QStringLiteral("x")}, {{QStringLiteral("1")}}});
        sections.append({QStringLiteral("sqliteXstat"), {QStringLiteral("x")}, {{QStringLiteral("2")}}});
        const QString file = path(QStringLiteral("sqlitenames.sqlite3"));
        QVERIFY(moxbsettings::writeSqlite(file, sections));
        for (int time = 0; time < 2; ++time) {
            QCOMPARE(int(run(file, m_target).result), int(Result::Done));
            QCOMPARE(testdb::column(m_db, QStringLiteral("SELECT x FROM sqlite1")), QStringList{"1"});
            QCOMPARE(testdb::column(m_db, QStringLiteral("SELECT x FROM sqliteXstat")), QStringList{"2"});
        }
        checkNothingLeft();
    }

    // A settings table without an Index column names no unit.
    void noIndexColumn()
    {
        QList<moxbsettings::Section> sections = moxbsettings::sections(Language::English, kIndexes);
        sections[2].header[1] = QStringLiteral("Label");
        const QString file = path(QStringLiteral("noindex.sqlite3"));
        QVERIFY(moxbsettings::writeSqlite(file, sections));
        QCOMPARE(int(run(file, m_target).result), int(Result::Done));
        QCOMPARE(units(m_target), noneUnits());
        QCOMPARE(testdb::count(m_db, QStringLiteral("ParametersSettings")), qint64(kIndexes.size()));
    }

    // Each step that can fail, after an earlier import of the same
    // instrument's settings: the database is exactly as before, the failure
    // is said, nothing stays attached or open.
    void failureLeavesDatabase_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("console");

        const QString import = QStringLiteral("An error occurred during settings import.");
        const int failed = int(Result::Failed);
        QTest::newRow("missing SQLite file") << "missing.sqlite3" << failed << import << "Unable to open file: ";
        QTest::newRow("file of another kind") << "junk.sqlite3" << failed << import << "file is not a database";
        QTest::newRow("application table in the file")
            << "refused.sqlite3" << failed << import
            << "The settings file holds a table named like a table of the application database: Data";
        QTest::newRow("application section in the CSV")
            << "refused.csv" << failed << import
            << "The settings file holds a table named like a table of the application database: Devices";
        QTest::newRow("no parameters table")
            << "noparameters.sqlite3" << failed << import
            << "has no parameters section (\"Parameters\" or \"Parametry\").";
        QTest::newRow("no parameters section in the CSV")
            << "noparameters.csv" << failed << import
            << "has no parameters section (\"Parameters\" or \"Parametry\").";
        QTest::newRow("missing CSV file") << "missing.csv" << failed << "Unable to open file" << "Unable to open file";
        QTest::newRow("CSV line the reader refuses")
            << "wide.csv" << failed << import << "Invalid line in file (";
        QTest::newRow("transaction cannot begin") << "busy.sqlite3" << failed
                                                  << "An error occurred during settings transaction start."
                                                  << "cannot start a transaction within a transaction";
        QTest::newRow("table cannot be made") << "view.sqlite3" << failed
                                              << "An error occurred during table creation."
                                              << "use DROP VIEW to delete view Notes";
        QTest::newRow("unit cannot be written") << "trigger.sqlite3" << failed << import << "refused unit";
        QTest::newRow("commit fails") << "commit.sqlite3" << failed << import << "FOREIGN KEY constraint failed";
        QTest::newRow("cancelled before") << "cancel.sqlite3" << int(Result::Cancelled) << "" << "";
        QTest::newRow("cancelled while the CSV is read") << "cancel.csv" << int(Result::Cancelled) << ""
                                                         << "Parser work was canceled in: ";
    }

    void failureLeavesDatabase()
    {
        QFETCH(QString, step);
        QFETCH(int, result);
        QFETCH(QString, dialog);
        QFETCH(QString, console);

        QCOMPARE(int(run(settingsFile(Language::English, true), m_target).result), int(Result::Done));
        // The failing file would give other units and other settings.
        QList<moxbsettings::Section> sections =
            moxbsettings::sections(Language::English, {QStringLiteral("U1 [kV]"), QStringLiteral("Other [A]")});
        sections[0].rows.append(QStringList{QStringLiteral("Mode"), QStringLiteral("fast")});
        const QString file = path(step);
        QAtomicInteger<char> flag(0);
        std::function<void(QObject *)> wire;
        bool outerTransaction = false;

        if (step == QLatin1String("junk.sqlite3")) {
            testdb::writeFile(file, QByteArray(4096, 'x'));
        } else if (step == QLatin1String("refused.sqlite3")) {
            sections.append({QStringLiteral("Data"), {QStringLiteral("x")}, {{QStringLiteral("1")}}});
            QVERIFY(moxbsettings::writeSqlite(file, sections));
        } else if (step == QLatin1String("refused.csv")) {
            sections.insert(1, {QStringLiteral("Devices"), {QStringLiteral("id"), QStringLiteral("name")},
                                {{QStringLiteral("1"), QStringLiteral("x")}}});
            testdb::writeFile(file, moxbsettings::csv(sections));
        } else if (step == QLatin1String("noparameters.sqlite3")) {
            sections.removeAt(2);
            QVERIFY(moxbsettings::writeSqlite(file, sections));
        } else if (step == QLatin1String("noparameters.csv")) {
            sections.removeAt(2);
            testdb::writeFile(file, moxbsettings::csv(sections));
        } else if (step == QLatin1String("wide.csv")) {
            sections[1].rows.append(QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
            testdb::writeFile(file, moxbsettings::csv(sections));
        } else if (step == QLatin1String("busy.sqlite3")) {
            QVERIFY(moxbsettings::writeSqlite(file, sections));
            outerTransaction = true;
        } else if (step == QLatin1String("view.sqlite3")) {
            // The last table's name is taken by a view of the application database.
            sections.append({QStringLiteral("Notes"), {QStringLiteral("x")}, {{QStringLiteral("1")}}});
            QVERIFY(moxbsettings::writeSqlite(file, sections));
            QVERIFY(testdb::exec(m_db, {QStringLiteral("CREATE VIEW Notes AS SELECT name FROM Devices")}).isEmpty());
        } else if (step == QLatin1String("trigger.sqlite3")) {
            // The last unit written is refused.
            QVERIFY(moxbsettings::writeSqlite(file, sections));
            QVERIFY(testdb::exec(m_db, {QStringLiteral("CREATE TRIGGER refuseUnit BEFORE UPDATE OF unit ON "
                                                       "Parameters WHEN NEW.unit = 'A' BEGIN "
                                                       "SELECT RAISE(ABORT, 'refused unit'); END")})
                        .isEmpty());
        } else if (step == QLatin1String("commit.sqlite3")) {
            // A deferred reference that is still unmet when the import commits.
            QVERIFY(moxbsettings::writeSqlite(file, sections));
            QVERIFY(testdb::exec(m_db, {QStringLiteral("CREATE TABLE unitLog (idDevices INTEGER REFERENCES "
                                                       "Devices(id) DEFERRABLE INITIALLY DEFERRED)"),
                                        QStringLiteral("CREATE TRIGGER logUnit AFTER UPDATE OF unit ON Parameters "
                                                       "BEGIN INSERT INTO unitLog VALUES (999); END")})
                        .isEmpty());
        } else if (step == QLatin1String("cancel.sqlite3")) {
            QVERIFY(moxbsettings::writeSqlite(file, sections));
            flag.storeRelease(1);
        } else if (step == QLatin1String("cancel.csv")) {
            testdb::writeFile(file, moxbsettings::csv(sections));
            wire = [&flag](QObject *) { flag.storeRelease(1); };
        }

        const QStringList before = dump(m_db);
        const QStringList unitsBefore = units(m_target);
        if (outerTransaction)
            QVERIFY(m_db.transaction());
        const Outcome out = run(file, m_target, &flag, wire);
        if (outerTransaction)
            QVERIFY(m_db.rollback());

        QCOMPARE(int(out.result), result);
        // The box names the failure and says what went wrong: the same
        // detail as the console.
        if (dialog.isEmpty()) {
            QVERIFY(out.dialogs.isEmpty());
        } else {
            QCOMPARE(out.dialogs.size(), 1);
            QCOMPARE(out.dialogs.first().section(QLatin1Char('\n'), 0, 0), dialog);
            QVERIFY2(out.dialogs.first().contains(console), qPrintable(out.dialogs.first()));
        }
        if (console.isEmpty())
            QVERIFY(out.console.isEmpty());
        else
            QVERIFY2(out.console.join(QLatin1Char('\n')).contains(console), qPrintable(out.console.join('\n')));
        QCOMPARE(dump(m_db), before);
        QCOMPARE(units(m_target), unitsBefore);
        QCOMPARE(unitsBefore.first(), QStringLiteral("V"));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("%1missing.sqlite3").arg(m_serial))));
        // Inside the caller's transaction the settings file cannot be
        // detached; the next import on the connection must not trip on it.
        if (!outerTransaction)
            checkNothingLeft();
        flag.storeRelease(0);
        QVERIFY(testdb::exec(m_db, {QStringLiteral("DROP TRIGGER IF EXISTS refuseUnit"),
                                    QStringLiteral("DROP TRIGGER IF EXISTS logUnit"),
                                    QStringLiteral("DROP VIEW IF EXISTS Notes")})
                    .isEmpty());
        QCOMPARE(int(run(settingsFile(Language::English, false), m_target).result), int(Result::Done));
        checkNothingLeft();
    }
};

QUORLOG_TEST_MAIN(TestMoxBSettingsImport)
#include "tst_moxbsettingsimport.moc"
