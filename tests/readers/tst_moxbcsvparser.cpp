#include "readers/moxbcsvparser.h"

#include "support/MoxBCsvWriter.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

struct Run
{
    bool opened = false;
    bool parsed = false;
    int count = -1;
};

// Every stored row of DataMoxB in id order: the cells after id.
QVector<QStringList> storedRows(QSqlDatabase db)
{
    QVector<QStringList> rows;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT * FROM DataMoxB ORDER BY id")))
        return rows;
    while (q.next()) {
        QStringList row;
        for (int i = 1; i < q.record().count(); ++i)
            row << (q.isNull(i) ? QStringLiteral("<null>") : q.value(i).toString());
        rows.append(row);
    }
    return rows;
}

} // namespace

class TestMoxBCsvParser : public ReaderTestCase
{
    Q_OBJECT
public:
    TestMoxBCsvParser()
        : ReaderTestCase(QStringLiteral("moxbcsv"))
    {
    }

private slots:
    void headerColumns_data();
    void headerColumns();
    void recordLines_data();
    void recordLines();
    void recordsInFileOrder_data();
    void recordsInFileOrder();
    void instrumentFile();
    void quotesInTitles();
    void cancelBeforeHeader();
    void refusedTableLeavesNothing();
    void headerConflicts_data();
    void headerConflicts();
    void emptyFile();
    void unableToOpen();

private:
    Run run(const QByteArray &bytes, ReaderLog *log = nullptr, QAtomicInteger<char> *cancel = nullptr);
};

Run TestMoxBCsvParser::run(const QByteArray &bytes, ReaderLog *log, QAtomicInteger<char> *cancel)
{
    QAtomicInteger<char> flag(0);
    moxbcsvparser reader(nullptr, cancel ? cancel : &flag);
    if (log)
        log->attach(&reader);
    Run r;
    r.opened = reader.openFile(writeInput(QStringLiteral("csv"), bytes));
    if (r.opened)
        r.parsed = reader.parseFile(m_db, &r.count, 2);
    return r;
}

void TestMoxBCsvParser::headerColumns_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<int>("recordIndex");

    QTest::newRow("trailing comma, empty title inside") << QByteArray("a,,b,") << QStringList{"a", "Column_2", "b"} << -1;
    // The position is counted before the record title goes.
    QTest::newRow("record before an empty title")
        << QByteArray("x,record,,y") << QStringList{"x", "Column_3", "y"} << 1;
    QTest::newRow("several trailing empty titles") << QByteArray("a, ,,  ,\r") << QStringList{"a"} << -1;
    QTest::newRow("title of blanks kept") << QByteArray("a,  ,b") << QStringList{"a", "  ", "b"} << -1;
    QTest::newRow("Record in capitals is a column") << QByteArray("Record,date") << QStringList{"Record", "date"} << -1;
    QTest::newRow("only the first record title goes")
        << QByteArray("record,date,record") << QStringList{"date", "record"} << 0;
    QTest::newRow("empty") << QByteArray("") << QStringList() << -1;
}

void TestMoxBCsvParser::headerColumns()
{
    QFETCH(QByteArray, header);
    QFETCH(QStringList, columns);
    QFETCH(int, recordIndex);
    int index = -7;
    QCOMPARE(moxbcsvparser::columnList(QString::fromUtf8(header), &index), columns);
    QCOMPARE(index, recordIndex);

    // The same columns, in that order, make the table.
    const Run r = run(header + "\n");
    QVERIFY(r.parsed);
    QCOMPARE(testdb::columns(m_db, QStringLiteral("DataMoxB")), QStringList{"id"} + columns);
}

void TestMoxBCsvParser::recordLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("row"); // empty: nothing stored

    QTest::newRow("empty cells read as a blank")
        << QByteArray("2,2026-01-14,03:30:36.600,,,,1.5,\r\n")
        << QStringList{"2026-01-14", "03:30:36.600", " ", " ", " ", "1.5"};
    QTest::newRow("short line padded") << QByteArray("3,2026-01-14,03:30:37.000,7\r\n")
                                       << QStringList{"2026-01-14", "03:30:37.000", "7", " ", " ", " "};
    QTest::newRow("long line cut") << QByteArray("4,d,t,1,2,3,4,5,6,7\n")
                                   << QStringList{"d", "t", "1", "2", "3", "4"};
    QTest::newRow("cells kept as written") << QByteArray("5, d ,t,-1e+06,999999,0,x y\r\n")
                                           << QStringList{" d ", "t", "-1e+06", "999999", "0", "x y"};
    QTest::newRow("only commas") << QByteArray(",,,,,,,\r\n") << QStringList();
    QTest::newRow("only blanks") << QByteArray("   \t \r\n") << QStringList();
    QTest::newRow("only the record number") << QByteArray("6,,,\r\n") << QStringList();
    QTest::newRow("record number and a blank") << QByteArray("7, ,\r\n") << QStringList();
}

void TestMoxBCsvParser::recordLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, row);
    ReaderLog log;
    const Run r = run(QByteArray("record,date,time,a,b,c,d,\r\n") + line, &log);
    QVERIFY(r.parsed);
    // Stored or skipped, the line is counted, and so is the end after it.
    QCOMPARE(r.count, 2);
    const QVector<QStringList> rows = storedRows(m_db);
    if (row.isEmpty()) {
        QVERIFY(rows.isEmpty());
    } else {
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first(), row);
    }
    QCOMPARE(log.lastConsole().icon, 1);
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parsed 2 rows in ")));
    QVERIFY(log.dialogs.isEmpty());
}

void TestMoxBCsvParser::recordsInFileOrder_data()
{
    QTest::addColumn<int>("records");
    for (int n : {1, 499, 500, 501, 1000, 10000})
        QTest::newRow(QByteArray::number(n)) << n;
}

void TestMoxBCsvParser::recordsInFileOrder()
{
    QFETCH(int, records);
    // Records carry their number in column a; ids must follow file order
    // across the batch boundaries.
    QByteArray bytes("record,date,time,a,\n");
    for (int n = 1; n <= records; ++n)
        bytes += QByteArray::number(n) + ",2026-01-14,00:00:00," + QByteArray::number(n) + ",\n";
    ReaderLog log;
    const Run r = run(bytes, &log);
    QVERIFY(r.parsed);
    QCOMPARE(r.count, records + 1);
    QCOMPARE(committed(QStringLiteral("DataMoxB")), records);
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM DataMoxB WHERE CAST(a AS INTEGER) <> id")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    QCOMPARE(log.lastConsole().text.section(QLatin1Char(' '), 0, 2),
             QStringLiteral("Parsed %1 rows").arg(records + 1));
    // Progress ends at 100 and never goes back.
    QVERIFY(!log.progress.isEmpty());
    QCOMPARE(log.progress.first(), 0);
    QCOMPARE(log.progress.last(), 100);
    QVERIFY(std::is_sorted(log.progress.cbegin(), log.progress.cend()));
}

void TestMoxBCsvParser::instrumentFile()
{
    const Run r = run(moxbcsv::file(4));
    QVERIFY(r.parsed);
    QCOMPARE(r.count, 5);
    const QStringList columns = testdb::columns(m_db, QStringLiteral("DataMoxB"));
    QCOMPARE(columns.size(), 63);
    QCOMPARE(columns.mid(0, 4).join('|'), QStringLiteral("id|date|time|AI1: Analog input - value"));
    QCOMPARE(columns.last(), QStringLiteral("TOT6: Totalizer - flag"));
    for (const QString &c : columns)
        QVERIFY2(c != QLatin1String("record") && !c.startsWith(QLatin1String("Column_")), qPrintable(c));

    const QVector<QStringList> rows = storedRows(m_db);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(0).mid(0, 3).join(QLatin1Char('|')), QStringLiteral("2026-01-14|03:30:36.500|280.013"));
    QCOMPARE(rows.at(0).at(2 + 36), QStringLiteral(" ")); // TOT3 value empty on an analog record
    QCOMPARE(rows.at(1).at(2), QStringLiteral(" "));
    QCOMPARE(rows.at(1).at(2 + 36), QStringLiteral("1002"));
}

void TestMoxBCsvParser::quotesInTitles()
{
    const QByteArray bytes("record,date,time,AI1: \"Flow\" - value,it's,a\"\",\r\n"
                           "1,2026-01-14,03:30:36.500,1.5,2,3,\r\n");
    const Run r = run(bytes);
    QVERIFY(r.parsed);
    QCOMPARE(testdb::columns(m_db, QStringLiteral("DataMoxB")),
             (QStringList{"id", "date", "time", "AI1: \"Flow\" - value", "it's", "a\"\""}));
    QCOMPARE(storedRows(m_db), (QVector<QStringList>{{"2026-01-14", "03:30:36.500", "1.5", "2", "3"}}));
}

void TestMoxBCsvParser::cancelBeforeHeader()
{
    QAtomicInteger<char> cancel(1);
    ReaderLog log;
    const Run r = run(moxbcsv::file(10), &log, &cancel);
    QVERIFY(r.opened);
    QVERIFY(!r.parsed);
    QCOMPARE(r.count, -1);
    QCOMPARE(log.lastConsole().text, QStringLiteral("Import canceled by user."));
    QCOMPARE(log.lastConsole().icon, 2);
    QVERIFY(!testdb::tables(m_db).contains(QStringLiteral("DataMoxB")));
}

void TestMoxBCsvParser::refusedTableLeavesNothing()
{
    // A title given twice: the table cannot be made, the first insert fails
    // and nothing of the file stays.
    ReaderLog log;
    const Run r = run("record,date,time,a,a,\n1,d,t,1,2,\n", &log);
    QVERIFY(!r.parsed);
    QCOMPARE(r.count, -1);
    QVERIFY(!testdb::tables(m_db).contains(QStringLiteral("DataMoxB")));
    QVERIFY(!log.hasConsole(QStringLiteral("Database commit failed."), 3));
}

void TestMoxBCsvParser::headerConflicts_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("message"); // empty: the file is read
    const QString caseMessage = QStringLiteral("The column %1 repeats the column %2 of the header: column names that "
                                               "differ only in letter case are one column.");
    const QString keyMessage = QStringLiteral("The header holds a column %1, the name of the table's key column.");
    QTest::newRow("letter case") << QByteArray("date,time,U1,u1,") << caseMessage.arg("u1", "U1");
    QTest::newRow("date in capitals") << QByteArray("record,date,time,AI1,DATE,") << caseMessage.arg("DATE", "date");
    QTest::newRow("same name twice") << QByteArray("date,time,a,a,")
                                     << QStringLiteral("The header names the column a twice.");
    QTest::newRow("made name meets a title") << QByteArray("a,,Column_2")
                                             << QStringLiteral("The header names the column Column_2 twice.");
    QTest::newRow("key column") << QByteArray("date,time,id,U1,") << keyMessage.arg("id");
    QTest::newRow("key column in capitals") << QByteArray("record,date,time,Id,") << keyMessage.arg("Id");
    // SQLite folds ASCII letters only; blanks are part of a name.
    QTest::newRow("other letters differ") << QByteArray("date,time,\xc3\x9c" "1,\xc3\xbc" "1,") << QString();
    QTest::newRow("blank makes another name") << QByteArray("date,time,a,a ,") << QString();
    QTest::newRow("id inside a name") << QByteArray("date,time,idle,ID1,") << QString();
}

void TestMoxBCsvParser::headerConflicts()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, message);
    ReaderLog log;
    const Run r = run(header + "\n2026-01-14,03:30:36.500,1,2,3,\n", &log);
    if (message.isEmpty()) {
        QVERIFY(r.parsed);
        QCOMPARE(storedRows(m_db).size(), 1);
        QVERIFY(log.dialogs.isEmpty());
        return;
    }
    QVERIFY(!r.parsed);
    QCOMPARE(r.count, -1);
    compareSingleError(log, message);
    QVERIFY(!testdb::tables(m_db).contains(QStringLiteral("DataMoxB")));
}

void TestMoxBCsvParser::emptyFile()
{
    const Run r = run(QByteArray());
    QVERIFY(r.parsed);
    QCOMPARE(r.count, 0);
    QCOMPARE(testdb::columns(m_db, QStringLiteral("DataMoxB")), QStringList{"id"});
}

void TestMoxBCsvParser::unableToOpen()
{
    moxbcsvparser reader(nullptr, nullptr);
    ReaderLog log;
    log.attach(&reader);
    QVERIFY(!reader.openFile(m_dir.filePath(QStringLiteral("missing.csv"))));
    QCOMPARE(log.console.size(), 1);
    QCOMPARE(log.lastConsole().text, QStringLiteral("Unable to open file."));
    QCOMPARE(log.lastConsole().icon, 3);
    QVERIFY(log.dialogs.isEmpty());
}

QUORLOG_TEST_MAIN(TestMoxBCsvParser)
#include "tst_moxbcsvparser.moc"
