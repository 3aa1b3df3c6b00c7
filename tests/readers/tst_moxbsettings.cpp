#include "readers/moxbdatabasecsvsetting.h"
#include "readers/MoxBSettingsUnits.h"
#include "readers/moxbdatabasemanager.h"
#include "tables/moxbeventcsv.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "support/ReaderTestDb.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QVariant>

namespace {

// Every row of a table as texts, NULL written as "<null>", in rowid order.
QVector<QStringList> rowsOf(QSqlDatabase db, const QString &table)
{
    QVector<QStringList> out;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table)))
        return out;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        out.append(row);
    }
    return out;
}

QStringList columnsOf(QSqlDatabase db, const QString &table)
{
    QStringList out;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name FROM pragma_table_info('%1') ORDER BY cid").arg(table));
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QStringList userTables(QSqlDatabase db)
{
    QStringList out;
    QSqlQuery q(db);
    q.exec(sql::userTablesStatement() + QStringLiteral(" ORDER BY name"));
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray kSettings = "General settings\r\n"
                             "Name,Value\r\n"
                             "Interval, 10 s\r\n"
                             "Language,English,\r\n"
                             "\r\n"
                             "   \r\n"
                             "Instrument information\r\n"
                             "Key,Value,Unit\r\n"
                             "Serial,1234\r\n"
                             "Temperature information\r\n"
                             "Name,Value\r\n"
                             "T1,21.5\r\n"
                             "T2,22.0\r\n"
                             "Wires type\r\n"
                             "2-wire\r\n";

} // namespace

class TestMoxBSettings : public ReaderTestCase
{
    Q_OBJECT
public:
    TestMoxBSettings()
        : ReaderTestCase(QStringLiteral("moxbset"))
    {
    }

private slots:
    void sectionsBecomeTables();
    void polishTitlesAndWireType();
    void sectionTwiceKeepsTheSecond();
    void quotedFields_data();
    void quotedFields();
    void failuresLeaveNothing_data();
    void failuresLeaveNothing();
    void reservedTitlesRefused_data();
    void reservedTitlesRefused();
    void cancelLeavesNothing();
    void notOpened();

    void managerOpensAndLists();
    void managerReusesTheRegisteredFile();
    void managerRefusesNoDatabase();
    void managerRemovesOnlyItsOwnConnection();
    void managerInstrumentInfoAndModels();

    void eventTableModel();

    void unitsByExactName_data();
    void unitsByExactName();

private:
    bool parse(const QByteArray &bytes, int *count, ReaderLog *log = nullptr, QAtomicInteger<char> *cancel = nullptr);
    QString settingsDatabase(const QString &name, const QStringList &statements);
};

bool TestMoxBSettings::parse(const QByteArray &bytes, int *count, ReaderLog *log, QAtomicInteger<char> *cancel)
{
    QAtomicInteger<char> flag(0);
    moxbdatabasecsvsetting reader(nullptr, cancel ? cancel : &flag);
    if (log)
        log->attach(&reader);
    if (!reader.openFile(writeInput(QStringLiteral("csv"), bytes)))
        return false;
    return reader.parseFile(m_db, count, 8);
}

QString TestMoxBSettings::settingsDatabase(const QString &name, const QStringList &statements)
{
    const QString path = m_dir.filePath(name);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make_settings"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        for (const QString &s : statements)
            q.exec(s);
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make_settings"));
    return path;
}

void TestMoxBSettings::sectionsBecomeTables()
{
    int count = -1;
    ReaderLog log;
    QVERIFY(parse(kSettings, &count, &log));
    QCOMPARE(count, 5);
    QVERIFY(log.console.isEmpty());
    QCOMPARE(columnsOf(m_db, QStringLiteral("General settings")), (QStringList{"Name", "Value"}));
    QCOMPARE(rowsOf(m_db, QStringLiteral("General settings")),
             (QVector<QStringList>{{"Interval", "10 s"}, {"Language", "English"}}));
    // A row shorter than its header gets NULL in the missing column.
    QCOMPARE(columnsOf(m_db, QStringLiteral("Instrument information")), (QStringList{"Key", "Value", "Unit"}));
    QCOMPARE(rowsOf(m_db, QStringLiteral("Instrument information")),
             (QVector<QStringList>{{"Serial", "1234", "<null>"}}));
    QCOMPARE(columnsOf(m_db, QStringLiteral("Temperature information")),
             (QStringList{"Name", "Value", "Wires type"}));
    QCOMPARE(rowsOf(m_db, QStringLiteral("Temperature information")),
             (QVector<QStringList>{{"T1", "21.5", "2-wire"}, {"T2", "22.0", "2-wire"}}));
    QCOMPARE(committed(QStringLiteral("General settings")), 2);
}

void TestMoxBSettings::polishTitlesAndWireType()
{
    const QByteArray file = "Ustawienia og\xc3\xb3lne\n"
                            "Nazwa, Warto\xc5\x9b\xc4\x87\n"
                            "J\xc4\x99zyk,polski\n"
                            "Temperatura\n"
                            "Nazwa,Warto\xc5\x9b\xc4\x87\n"
                            "T1,20\n"
                            "Typ przewodow\n"
                            "3-przewodowy\n";
    int count = 0;
    QVERIFY(parse(file, &count));
    QCOMPARE(count, 2);
    QCOMPARE(userTables(m_db).filter(QStringLiteral("Ustawienia")), QStringList{"Ustawienia ogolne"});
    // Header fields keep their own blanks; values are trimmed.
    QCOMPARE(columnsOf(m_db, QStringLiteral("Ustawienia ogolne")),
             (QStringList{"Nazwa", QStringLiteral(" Warto\u015b\u0107")}));
    QCOMPARE(rowsOf(m_db, QStringLiteral("Ustawienia ogolne")),
             (QVector<QStringList>{{QStringLiteral("J\u0119zyk"), "polski"}}));
    QCOMPARE(rowsOf(m_db, QStringLiteral("Temperatura")), (QVector<QStringList>{{"T1", "20", "3-przewodowy"}}));
}

void TestMoxBSettings::sectionTwiceKeepsTheSecond()
{
    int count = 0;
    QVERIFY(parse("Rows before any title,are ignored\nA\nx,y\n1,2\nA\nx,y\n3,4\n5,6\n", &count));
    QCOMPARE(count, 3);
    QCOMPARE(rowsOf(m_db, QStringLiteral("A")), (QVector<QStringList>{{"3", "4"}, {"5", "6"}}));
}

// Fields in double quotes are read as CSV writes them: the quotes are the
// file's, "" is one quote, and a comma inside is text.
void TestMoxBSettings::quotedFields_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QVector<QStringList>>("rows");
    QTest::newRow("quoted header and rows")
        << QByteArray("\"Parametry\"\r\n\"No\",\"Name\",\"Value\"\r\n\"1\",\"AI1\",\"m3/h\"\r\n2,AI2,bar\r\n")
        << "Parametry" << QStringList{"No", "Name", "Value"}
        << QVector<QStringList>{{"1", "AI1", "m3/h"}, {"2", "AI2", "bar"}};
    QTest::newRow("comma inside quotes")
        << QByteArray("Analog inputs information\nName,Display unit\n\"AI1\",\"m3/h, corrected\"\n")
        << "Analog inputs information" << QStringList{"Name", "Display unit"}
        << QVector<QStringList>{{"AI1", "m3/h, corrected"}};
    QTest::newRow("doubled quote and single quote")
        << QByteArray("Notes\n\"O'Brien's\",Text\n\"say \"\"hi\"\"\",it's\n")
        << "Notes" << QStringList{"O'Brien's", "Text"} << QVector<QStringList>{{"say \"hi\"", "it's"}};
    QTest::newRow("quoted title with a comma")
        << QByteArray("\"Flow, totals\"\nName,Value\nF1,2\n") << "Flow, totals" << QStringList{"Name", "Value"}
        << QVector<QStringList>{{"F1", "2"}};
    QTest::newRow("empty quoted value is empty text")
        << QByteArray("A\nx,y,z\n\"\",\"\", \"b\"\n") << "A" << QStringList{"x", "y", "z"}
        << QVector<QStringList>{{"", "", "b"}};
}

void TestMoxBSettings::quotedFields()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    QFETCH(QVector<QStringList>, rows);
    int count = 0;
    QVERIFY(parse(file, &count));
    QVERIFY2(userTables(m_db).contains(table), qPrintable(userTables(m_db).join(", ")));
    QCOMPARE(columnsOf(m_db, table), columns);
    QCOMPARE(rowsOf(m_db, table), rows);
    QCOMPARE(count, rows.size());
}

void TestMoxBSettings::failuresLeaveNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("wire type without its table") << QByteArray("A\nx,y\n1,2\nWires type\n")
                                                 << QStringLiteral("no such table: Temperature information");
    QTest::newRow("same column twice") << QByteArray("A\nx,y\n1,2\nB\nk,k\n") << QStringLiteral("duplicate column name: k");
    QTest::newRow("row wider than its header") << QByteArray("A\nx,y\n1,2\n1,2,3\n")
                                               << QStringLiteral("Invalid line in file (4)");
}

void TestMoxBSettings::failuresLeaveNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    int count = 0;
    ReaderLog log;
    QVERIFY(!parse(bytes, &count, &log));
    QVERIFY2(log.lastConsole().text.startsWith(message), qPrintable(log.lastConsole().text));
    QCOMPARE(log.lastConsole().icon, 3);
    // One transaction: neither the first section nor its row stays.
    QCOMPARE(committed(QStringLiteral("A")), -1);
    QVERIFY(!userTables(m_db).contains(QStringLiteral("A")));
}

void TestMoxBSettings::reservedTitlesRefused_data()
{
    QTest::addColumn<QString>("title");
    for (const char *t : {"Devices", "Parameters", "Data", "Events", "eventData", "DataMoxB", "DataMoxA",
                          "ParametersSettings", "devices", "EVENTS"})
        QTest::newRow(t) << QString::fromLatin1(t);
}

void TestMoxBSettings::reservedTitlesRefused()
{
    QFETCH(QString, title);
    // The schema database holds the application tables with a row in Data.
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Parameters (name, unit) VALUES ('U', 'V')")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 2.5, 0, 0, NULL)")));
    q = QSqlQuery();
    int count = 0;
    ReaderLog log;
    QVERIFY(!parse("A\nx,y\n1,2\n" + title.toUtf8() + "\nid,name\n1,x\n", &count, &log));
    QCOMPARE(log.lastConsole().text, QStringLiteral("Invalid section title in file (4)"));
    QCOMPARE(committed(QStringLiteral("Data")), 1);
    QCOMPARE(committed(QStringLiteral("Parameters")), 1);
    QVERIFY(!userTables(m_db).contains(QStringLiteral("A")));
}

void TestMoxBSettings::cancelLeavesNothing()
{
    QAtomicInteger<char> flag(1);
    int count = 0;
    ReaderLog log;
    QVERIFY(!parse(kSettings, &count, &log, &flag));
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parser work was canceled in: ")));
    QVERIFY(!userTables(m_db).contains(QStringLiteral("General settings")));
}

void TestMoxBSettings::notOpened()
{
    moxbdatabasecsvsetting reader(nullptr, nullptr);
    int count = -1;
    QVERIFY(!reader.parseFile(m_db, &count, 8));
    QCOMPARE(count, -1);
    verifyUnableToOpen<moxbdatabasecsvsetting>(m_dir.filePath(QStringLiteral("missing.csv")));
}

void TestMoxBSettings::managerOpensAndLists()
{
    const QString path = settingsDatabase(
        QStringLiteral("settings.sqlite3"),
        {QStringLiteral("CREATE TABLE \"Instrument information\" (id INTEGER PRIMARY KEY AUTOINCREMENT, k TEXT)"),
         QStringLiteral("INSERT INTO \"Instrument information\" (k) VALUES ('serial')"),
         QStringLiteral("CREATE TABLE \"General settings\" (k TEXT)")});
    const QByteArray before = fileBytes(path);
    {
        moxbdatabasemanager manager;
        QVERIFY(!Connections::contains(QStringLiteral("Data_con_1")));
        QVERIFY(manager.openDatabase(path));
        QVERIFY(Connections::contains(QStringLiteral("Data_con_1")));
        QStringList tables = manager.fetchTables();
        tables.sort();
        QCOMPARE(tables, (QStringList{"General settings", "Instrument information"}));
        QVERIFY(manager.database().isOpen());
    }
    // Gone with its manager, and the instrument's file untouched.
    QVERIFY(!Connections::contains(QStringLiteral("Data_con_1")));
    QCOMPARE(fileBytes(path), before);
}

void TestMoxBSettings::managerReusesTheRegisteredFile()
{
    const QString first = settingsDatabase(QStringLiteral("first.sqlite3"), {QStringLiteral("CREATE TABLE One (k)")});
    const QString second = settingsDatabase(QStringLiteral("second.sqlite3"), {QStringLiteral("CREATE TABLE Two (k)")});
    moxbdatabasemanager manager;
    QVERIFY(manager.openDatabase(first));
    // The settings page reopens the current file through openDatabase: the
    // registered file stays.
    QVERIFY(manager.openDatabase(second));
    QCOMPARE(manager.fetchTables(), QStringList{"One"});
}

void TestMoxBSettings::managerRefusesNoDatabase()
{
    const QString text = testdb::writeFile(m_dir.filePath(QStringLiteral("text.sqlite3")),
                                           QByteArray("this is no database, only text\n").repeated(100));
    moxbdatabasemanager manager;
    QVERIFY(!manager.openDatabase(text));
    QVERIFY(!Connections::contains(QStringLiteral("Data_con_1")));
    QVERIFY(!manager.openDatabase(m_dir.filePath(QStringLiteral("missing.sqlite3"))));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("missing.sqlite3"))));
    QVERIFY(manager.fetchTables().isEmpty());
}

void TestMoxBSettings::managerRemovesOnlyItsOwnConnection()
{
    const QString first = settingsDatabase(QStringLiteral("a.sqlite3"), {QStringLiteral("CREATE TABLE A (k)")});
    auto *older = new moxbdatabasemanager;
    QVERIFY(older->openDatabase(first));
    // The open-file worker replaces the manager and the connection.
    auto *newer = new moxbdatabasemanager;
    Connections::remove(QStringLiteral("Data_con_1"));
    const QString second = settingsDatabase(QStringLiteral("b.sqlite3"), {QStringLiteral("CREATE TABLE B (k)")});
    QVERIFY(newer->openDatabase(second));
    QVERIFY(newer->ownsConnection());
    QVERIFY(!older->ownsConnection());
    delete older;
    QVERIFY(Connections::contains(QStringLiteral("Data_con_1")));
    QCOMPARE(newer->fetchTables(), QStringList{"B"});
    delete newer;
    QVERIFY(!Connections::contains(QStringLiteral("Data_con_1")));
}

void TestMoxBSettings::managerInstrumentInfoAndModels()
{
    const QString path = settingsDatabase(
        QStringLiteral("info.sqlite3"),
        {QStringLiteral("CREATE TABLE \"Informacje systemowe\" (k TEXT)"),
         QStringLiteral("INSERT INTO \"Informacje systemowe\" VALUES ('a'), ('b')")});
    moxbdatabasemanager manager;
    QVERIFY(!manager.loadTableModel(QStringLiteral("Informacje systemowe")));
    QVERIFY(manager.openDatabase(path));
    QVERIFY(!manager.loadTableModel(QString()));
    QVERIFY(!manager.loadTableModel(QStringLiteral("No such table")));
    QSqlTableModel *model = manager.loadTableModel(QStringLiteral("Informacje systemowe"));
    QVERIFY(model);
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->parent(), &manager);
    QVERIFY(manager.hasInstrumentInfoTable(manager.database()));

    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE \"instrument information\" (k)")));
    q = QSqlQuery();
    QVERIFY(!manager.hasInstrumentInfoTable(m_db));
}

void TestMoxBSettings::eventTableModel()
{
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Events (date, time, event) VALUES ('2024-01-02', '10:00:00', 'Open'),"
                                  " ('2024-01-02', '10:05:00', 'Close')")));
    q = QSqlQuery();
    for (int kind : {4, 6}) {
        moxbeventcsv model(m_db, kind);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.getColumnNames(), (QStringList{"date", "time", "event"}));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("event"));
        QVERIFY(!model.headerData(3, Qt::Horizontal).isValid());
        QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
        QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("Close"));
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("10:00:00"));
        QVERIFY(!model.data(model.index(0, 0), Qt::EditRole).isValid());
        QVERIFY(!model.data(model.index(2, 0)).isValid());
        model.setGroupByDate(true);
        model.setLoadAllData(true);
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(model.getColumnsVisibilityList().isEmpty());
    }
    q = QSqlQuery();
    // Without an Events table: the headers and no rows.
    Connections::registerFile(QStringLiteral("no_events"), m_dir.filePath(QStringLiteral("no_events.sqlite")));
    {
        moxbeventcsv empty(Connections::database(QStringLiteral("no_events")), 4);
        QCOMPARE(empty.rowCount(), 0);
        QCOMPARE(empty.headerData(0, Qt::Horizontal).toString(), QStringLiteral("date"));
    }
    Connections::remove(QStringLiteral("no_events"));
}

// A channel's display unit reaches the columns of that channel only, by an
// exact name: the whole name, or the channel of a column the recorder titles
// "channel: kind - quantity". English and Polish sections, the first section
// that names a channel giving its unit.
void TestMoxBSettings::unitsByExactName_data()
{
    QTest::addColumn<bool>("polish");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("unit");
    for (bool polish : {false, true}) {
        const char *language = polish ? "Polish: " : "English: ";
        auto row = [&](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(QLatin1String(language) + QLatin1String(name)));
        };
        row("channel") << polish << "U1" << "V";
        row("longer name") << polish << "U10" << "";
        row("other case") << polish << "u1" << "";
        row("name inside another") << polish << "AU1 total" << "";
        row("recorder title") << polish << "U1: Voltage - avg" << "V";
        row("recorder title of a longer name") << polish << "U10: Voltage - avg" << "";
        row("channel of a title") << polish << "Flow: total - value" << "m3/h";
        row("channel and kind without a quantity") << polish << "U1: Voltage" << "";
        row("first section wins") << polish << "X1" << "A";
        row("empty unit") << polish << "E1" << "";
        row("totalizer") << polish << "TOT3 - value" << "m3";
    }
}

void TestMoxBSettings::unitsByExactName()
{
    QFETCH(bool, polish);
    QFETCH(QString, column);
    QFETCH(QString, unit);
    const QString name = polish ? QStringLiteral("Nazwa") : QStringLiteral("Name");
    const QString shown = polish ? QStringLiteral("Wyswietlana jednostka") : QStringLiteral("Display unit");
    const QStringList tables = polish ? QStringList{"Wejscia analogowe", "Funkcje matematyczne", "Totalizer"}
                                      : QStringList{"Analog inputs information", "Math functions",
                                                    "Totalizer information"};
    const QList<QList<QStringList>> rows = {
        {{"U1", "V"}, {"X1", "A"}, {"E1", ""}},
        {{"X1", "kW"}, {"Flow: total", "m3/h"}},
        {{"TOT3", "m3"}},
    };
    QSqlQuery q(m_db);
    for (int t = 0; t < tables.size(); ++t) {
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE %1 (%2 TEXT, Other TEXT, %3 TEXT)")
                           .arg(sql::quoteIdentifier(tables.at(t)), sql::quoteIdentifier(name),
                                sql::quoteIdentifier(shown))));
        for (const QStringList &r : rows.at(t)) {
            QVERIFY(q.prepare(QStringLiteral("INSERT INTO %1 VALUES (?, 'x', ?)").arg(sql::quoteIdentifier(tables.at(t)))));
            q.addBindValue(r.at(0));
            q.addBindValue(r.at(1));
            QVERIFY(q.exec());
        }
    }
    MoxBSettingsUnits units;
    units.load(m_db);
    QCOMPARE(units.unitOf(column), unit);
    QVERIFY(!units.unitOf(column).isNull());
}

QUORLOG_TEST_MAIN(TestMoxBSettings)
#include "tst_moxbsettings.moc"
