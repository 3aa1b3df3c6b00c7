#include "readers/MoxAparser.h"

#include "support/MoxACsvWriter.h"
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

const QByteArray kHeader = "date,time,record index,block,register1,name1,value1\n";

// A line of block 1 with one group (register 14500, Ch1).
QByteArray line(const char *date, const char *time, const char *value = "1")
{
    return QByteArray(date) + ',' + time + ",0,1,14500,Ch1," + value + '\n';
}

// Every row of DataMoxA in id order, as "column=value" for each cell that
// is not a single blank, after the date and the time.
QStringList storedRows(QSqlDatabase db)
{
    QStringList rows;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT * FROM DataMoxA ORDER BY id")))
        return rows;
    while (q.next()) {
        const QSqlRecord r = q.record();
        QStringList cells{q.value(1).toString() + QLatin1Char(' ') + q.value(2).toString()};
        for (int i = 3; i < r.count(); ++i) {
            if (q.isNull(i))
                cells << r.fieldName(i) + QStringLiteral("=<null>");
            else if (q.value(i).toString() != QLatin1String(" "))
                cells << r.fieldName(i) + QLatin1Char('=') + q.value(i).toString();
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList valueColumns(QSqlDatabase db)
{
    QStringList names = testdb::columns(db, QStringLiteral("DataMoxA"));
    return names.mid(3);
}

} // namespace

class TestMoxAParser : public ReaderTestCase
{
    Q_OBJECT
public:
    TestMoxAParser()
        : ReaderTestCase(QStringLiteral("moxa"))
    {
    }

private slots:
    void segments_data();
    void segments();
    void equalStampsMerge();
    void emptyInputs_data();
    void emptyInputs();
    void notAnExport_data();
    void notAnExport();
    void nulBytes_data();
    void nulBytes();
    void groupsAndLines_data();
    void groupsAndLines();
    void columnOrder();
    void daylightSavingKept_data();
    void daylightSavingKept();
    void syntheticExport();
    void cancelKeepsTable();
    void quotedColumnNames();
    void unableToOpen();

private:
    Run run(const QByteArray &bytes, ReaderLog *log = nullptr, QAtomicInteger<char> *cancel = nullptr);
};

Run TestMoxAParser::run(const QByteArray &bytes, ReaderLog *log, QAtomicInteger<char> *cancel)
{
    QAtomicInteger<char> flag(0);
    MoxAparser reader(nullptr, cancel ? cancel : &flag);
    if (log)
        log->attach(&reader);
    Run r;
    r.opened = reader.openFile(writeInput(QStringLiteral("CSV"), bytes));
    if (r.opened)
        r.parsed = reader.parseFile(m_db, &r.count, 7);
    return r;
}

void TestMoxAParser::segments_data()
{
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QStringList>("segments"); // segment of each line, in file order

    QTest::newRow("one-second steps") << QStringList{"10:00:00", "10:00:01", "10:00:02", "10:00:03"}
                                      << QStringList{"1", "1", "1", "1"};
    QTest::newRow("298 s gap") << QStringList{"10:00:00", "10:00:01", "10:00:02", "10:05:00", "10:05:01"}
                               << QStringList{"1", "1", "1", "2", "2"};
    QTest::newRow("drift 60, 61, 62 s") << QStringList{"10:00:00", "10:01:00", "10:02:01", "10:03:03"}
                                        << QStringList{"1", "1", "1", "1"};
    QTest::newRow("drift of two seconds") << QStringList{"10:00:00", "10:01:00", "10:02:02"}
                                          << QStringList{"1", "1", "2"};
    // The first step after a reset only sets the step.
    QTest::newRow("gap, then another step") << QStringList{"10:00:00", "10:00:01", "10:00:10", "10:00:40"}
                                            << QStringList{"1", "1", "2", "2"};
    QTest::newRow("repeated stamp after 1 s steps") << QStringList{"10:00:00", "10:00:01", "10:00:01", "10:00:02"}
                                                    << QStringList{"1", "1", "1", "1"};
    QTest::newRow("repeated stamp after 5 s steps") << QStringList{"10:00:00", "10:00:05", "10:00:05", "10:00:10"}
                                                    << QStringList{"1", "1", "2", "2"};
    QTest::newRow("repeated first stamp") << QStringList{"10:00:00", "10:00:00", "10:00:01"}
                                          << QStringList{"1", "1", "1"};
    QTest::newRow("backward step, nothing set") << QStringList{"10:00:05", "10:00:00", "10:00:01"}
                                                << QStringList{"1", "2", "2"};
    QTest::newRow("backward step after 1 s steps")
        << QStringList{"10:00:00", "10:00:01", "10:00:02", "09:59:00", "09:59:01"}
        << QStringList{"1", "1", "1", "2", "2"};
    QTest::newRow("two backward steps") << QStringList{"10:00:10", "10:00:05", "10:00:00"}
                                        << QStringList{"1", "2", "3"};
}

void TestMoxAParser::segments()
{
    QFETCH(QStringList, times);
    QFETCH(QStringList, segments);
    // Each line has its own value so a row shows which segment it went to.
    QByteArray bytes = kHeader;
    QMap<QString, QMap<QString, QString>> byTime;
    for (int i = 0; i < times.size(); ++i) {
        bytes += line("2025-03-10", times.at(i).toLatin1().constData(), QByteArray::number(i).constData());
        byTime[times.at(i)][QStringLiteral("block1_value1_Ch1_14500_t") + segments.at(i)] = QString::number(i);
    }
    QStringList expected;
    for (auto it = byTime.cbegin(); it != byTime.cend(); ++it) {
        QStringList cells{QStringLiteral("2025-03-10 ") + it.key()};
        for (auto c = it.value().cbegin(); c != it.value().cend(); ++c)
            cells << c.key() + QLatin1Char('=') + c.value();
        expected << cells.join(QLatin1Char('|'));
    }
    const Run r = run(bytes);
    QVERIFY(r.parsed);
    // Rows in time order; a repeated stamp keeps the later line's value.
    QCOMPARE(storedRows(m_db), expected);
    QCOMPARE(r.count, byTime.size());
}

void TestMoxAParser::equalStampsMerge()
{
    const QByteArray bytes = kHeader + "2025-03-10,10:00:00,0,1,14500,Ch1,a,14502,Ch2,b\n"
                                       "2025-03-10,10:00:00,1,2,14500,Ch1,c\n"
                                       "2025-03-10,10:00:00,2,1,14500,Ch1,a2\n"
                                       "2025-03-10,10:00:01,3,2,14500,Ch1,d\n";
    ReaderLog log;
    const Run r = run(bytes, &log);
    QVERIFY(r.parsed);
    QCOMPARE(r.count, 2);
    QCOMPARE(storedRows(m_db),
             (QStringList{"2025-03-10 10:00:00|block1_value1_Ch1_14500_t1=a2|block1_value2_Ch2_14502_t1=b|"
                          "block2_value1_Ch1_14500_t1=c",
                          "2025-03-10 10:00:01|block2_value1_Ch1_14500_t1=d"}));
    QCOMPARE(log.progress.last(), 100);
    QVERIFY(log.console.isEmpty());
}

void TestMoxAParser::emptyInputs_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("header only") << kHeader;
    QTest::newRow("header without line end") << kHeader.left(kHeader.size() - 1);
    QTest::newRow("blank lines") << kHeader + "\r\n   \n\n";
    QTest::newRow("all values blank") << kHeader + line("2025-03-10", "10:00:00", "  ");
}

void TestMoxAParser::emptyInputs()
{
    QFETCH(QByteArray, bytes);
    const Run r = run(bytes);
    QVERIFY(r.parsed);
    QCOMPARE(r.count, 0);
    QCOMPARE(testdb::columns(m_db, QStringLiteral("DataMoxA")), (QStringList{"id", "date", "time"}));
    QCOMPARE(storedRows(m_db), QStringList());
}

void TestMoxAParser::notAnExport_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("short lines") << kHeader + "\r\n   \n2025-03-10,10:00:00,0\n";
    QTest::newRow("bad date and time") << kHeader + line("2025-02-30", "10:00:00") + line("2025-03-10", "24:00:00")
                                                  + line("10.03.2025", "10:00:00");
    QTest::newRow("transducer archive") << QByteArray("date\ttime\t\tU\tI\t \r\n\r\n"
                                                      "2017-12-04\t00:00:00\t\t2,3e+02\t5,0e+00\r\n"
                                                      "2017-12-04\t00:10:00\t\t2,3e+02\t5,1e+00\r\n");
    QTest::newRow("only line holds a NUL") << kHeader + QByteArray("2025-03-10,10:00:00,0,1,14500,Ch1,1\0\n", 37);
}

// Data lines of which none gives a time stamp: another kind of file, refused
// before the table is touched.
void TestMoxAParser::notAnExport()
{
    QFETCH(QByteArray, bytes);
    ReaderLog log;
    const Run r = run(bytes, &log);
    QVERIFY(r.opened);
    QVERIFY(!r.parsed);
    QCOMPARE(r.count, -1);
    compareSingleError(log, QStringLiteral("File has invalid format!"));
    QVERIFY(!testdb::tables(m_db).contains(QStringLiteral("DataMoxA")));
}

void TestMoxAParser::nulBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    // A NUL ends neither the text nor the file.
    QTest::newRow("NUL in the header") << QByteArray("date,time\0,x\n", 13) + line("2025-03-10", "10:00:00", "a")
                                       << QStringList{"2025-03-10 10:00:00|block1_value1_Ch1_14500_t1=a"};
    // The line that holds one is malformed and left out like any other.
    QTest::newRow("NUL in a value") << kHeader + line("2025-03-10", "10:00:00", "a")
                                           + QByteArray("2025-03-10,10:00:01,0,1,14500,Ch1,b\0c\n", 38)
                                           + line("2025-03-10", "10:00:02", "d")
                                    << QStringList{"2025-03-10 10:00:00|block1_value1_Ch1_14500_t1=a",
                                                   "2025-03-10 10:00:02|block1_value1_Ch1_14500_t1=d"};
}

void TestMoxAParser::nulBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    const Run r = run(bytes);
    QVERIFY(r.parsed);
    QCOMPARE(storedRows(m_db), rows);
    QCOMPARE(r.count, rows.size());
}

void TestMoxAParser::groupsAndLines_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("values kept as written, blank when missing")
        << QByteArray("2025-03-10,10:00:00,9,1,14500,Ch1,0.000000E+00, 14502 ,Ch 2, x ,,,\r\n"
                      "2025-03-10,10:00:01,9,1,14500,Ch1,3.147412E+01\r\n")
        << QStringList{"2025-03-10 10:00:00|block1_value1_Ch1_14500_t1=0.000000E+00|block1_value2_Ch 2_ 14502 _t1= x ",
                       "2025-03-10 10:00:01|block1_value1_Ch1_14500_t1=3.147412E+01"};
    // A group needs its value field; a partial one is left out.
    QTest::newRow("line cut inside a group")
        << QByteArray("2025-03-10,10:00:00,9,1,14500,Ch1,5,14502,Ch2\n")
        << QStringList{"2025-03-10 10:00:00|block1_value1_Ch1_14500_t1=5"};
    QTest::newRow("sixth group, extra fields ignored")
        << QByteArray("2025-03-10,10:00:00,9,3,,,,,,,,,,,,,,,,7,R,6,8,9\n")
        << QStringList{"2025-03-10 10:00:00|block3_value6_R_7_t1=6"};
    // No row of its own, but the stamp still counts for the segment rule.
    QTest::newRow("line without values sets the step")
        << QByteArray("2025-03-10,10:00:00,9,1,14500,Ch1,1\n"
                      "2025-03-10,10:00:05,9,1,14500,Ch1,\n"
                      "2025-03-10,10:00:06,9,1,14500,Ch1,2\n")
        << QStringList{"2025-03-10 10:00:00|block1_value1_Ch1_14500_t1=1",
                       "2025-03-10 10:00:06|block1_value1_Ch1_14500_t2=2"};
    // Fields are put into the name in one pass: a '%' in one of them is text.
    QTest::newRow("percent signs stay text")
        << QByteArray("2025-03-10,10:00:00,9,%3,1,N,a\n"
                      "2025-03-10,10:00:00,9,N,1,N,b\n"
                      "2025-03-10,10:00:00,9,%1,%2,%5,c\n")
        << QStringList{"2025-03-10 10:00:00|block%1_value1_%5_%2_t1=c|block%3_value1_N_1_t1=a|blockN_value1_N_1_t1=b"};
    QTest::newRow("lines out of order written in time order")
        << QByteArray("2025-03-11,00:00:00,9,1,1,A,late\n"
                      "2025-03-10,23:59:59,9,1,1,A,early\n")
        << QStringList{"2025-03-10 23:59:59|block1_value1_A_1_t2=early", "2025-03-11 00:00:00|block1_value1_A_1_t1=late"};
}

void TestMoxAParser::groupsAndLines()
{
    QFETCH(QByteArray, lines);
    QFETCH(QStringList, rows);
    const Run r = run(kHeader + lines);
    QVERIFY(r.parsed);
    QCOMPARE(storedRows(m_db), rows);
    QCOMPARE(r.count, rows.size());
}

void TestMoxAParser::columnOrder()
{
    QByteArray bytes = kHeader;
    for (int s = 0; s < 11; ++s) // each line a step back: segments 1..11
        bytes += "2025-03-10,10:00:" + QByteArray::number(59 - s) + ",0," + (s == 0 ? "10" : "1") + ",1,A,v\n";
    QVERIFY(run(bytes).parsed);
    const QStringList columns = valueColumns(m_db);
    QCOMPARE(columns.first(), QStringLiteral("block10_value1_A_1_t1"));
    QVERIFY(columns.indexOf("block1_value1_A_1_t10") < columns.indexOf("block1_value1_A_1_t2"));
    QVERIFY(columns.indexOf("block1_value1_A_1_t11") < columns.indexOf("block1_value1_A_1_t2"));
    QCOMPARE(columns.size(), 11);
    // The newest line (smallest time) is the first row.
    QCOMPARE(storedRows(m_db).first(), QStringLiteral("2025-03-10 10:00:49|block1_value1_A_1_t11=v"));
}

void TestMoxAParser::daylightSavingKept_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QStringList>("rows");
    // Warsaw skips 02:00-03:00 on 2025-03-30: none of these stamps may go.
    QTest::newRow("spring forward")
        << QByteArray(line("2025-03-30", "01:59:59", "a") + line("2025-03-30", "02:00:00", "b")
                      + line("2025-03-30", "02:30:00", "c") + line("2025-03-30", "03:00:00", "d"))
        << QStringList{"2025-03-30 01:59:59|block1_value1_Ch1_14500_t1=a",
                       "2025-03-30 02:00:00|block1_value1_Ch1_14500_t1=b",
                       "2025-03-30 02:30:00|block1_value1_Ch1_14500_t2=c",
                       "2025-03-30 03:00:00|block1_value1_Ch1_14500_t2=d"};
    // Warsaw repeats 02:00-03:00 on 2025-10-26: a recorder on local time
    // goes from 02:59:59 of summer time to 02:00:00 of winter time, a step of
    // one second, not back.
    QTest::newRow("fall back")
        << QByteArray(line("2025-10-26", "02:59:59", "a") + line("2025-10-26", "02:00:00", "b")
                      + line("2025-10-26", "02:00:01", "c"))
        << QStringList{"2025-10-26 02:00:00|block1_value1_Ch1_14500_t1=b",
                       "2025-10-26 02:00:01|block1_value1_Ch1_14500_t1=c",
                       "2025-10-26 02:59:59|block1_value1_Ch1_14500_t1=a"};
    // A recorder that follows daylight saving keeps one column set across
    // both changes; steps are measured on the workstation's clock.
    QTest::newRow("spring, one-second steps")
        << QByteArray(line("2025-03-30", "01:59:58", "a") + line("2025-03-30", "01:59:59", "b")
                      + line("2025-03-30", "03:00:00", "c") + line("2025-03-30", "03:00:01", "d"))
        << QStringList{"2025-03-30 01:59:58|block1_value1_Ch1_14500_t1=a",
                       "2025-03-30 01:59:59|block1_value1_Ch1_14500_t1=b",
                       "2025-03-30 03:00:00|block1_value1_Ch1_14500_t1=c",
                       "2025-03-30 03:00:01|block1_value1_Ch1_14500_t1=d"};
    QTest::newRow("spring, half-hour steps")
        << QByteArray(line("2025-03-30", "01:00:00", "a") + line("2025-03-30", "01:30:00", "b")
                      + line("2025-03-30", "03:00:00", "c") + line("2025-03-30", "03:30:00", "d"))
        << QStringList{"2025-03-30 01:00:00|block1_value1_Ch1_14500_t1=a",
                       "2025-03-30 01:30:00|block1_value1_Ch1_14500_t1=b",
                       "2025-03-30 03:00:00|block1_value1_Ch1_14500_t1=c",
                       "2025-03-30 03:30:00|block1_value1_Ch1_14500_t1=d"};
    QTest::newRow("autumn, one-second steps")
        << QByteArray(line("2025-10-26", "02:59:58", "a") + line("2025-10-26", "02:59:59", "b")
                      + line("2025-10-26", "02:00:00", "c") + line("2025-10-26", "02:00:01", "d"))
        << QStringList{"2025-10-26 02:00:00|block1_value1_Ch1_14500_t1=c",
                       "2025-10-26 02:00:01|block1_value1_Ch1_14500_t1=d",
                       "2025-10-26 02:59:58|block1_value1_Ch1_14500_t1=a",
                       "2025-10-26 02:59:59|block1_value1_Ch1_14500_t1=b"};
    // The repeated hour in full: rows of equal date and time merge, the later
    // line's value kept, and the column set does not split.
    QTest::newRow("autumn, the hour twice")
        << QByteArray(line("2025-10-26", "01:30:00", "a") + line("2025-10-26", "02:00:00", "b")
                      + line("2025-10-26", "02:30:00", "c") + line("2025-10-26", "02:00:00", "d")
                      + line("2025-10-26", "02:30:00", "e") + line("2025-10-26", "03:00:00", "f")
                      + line("2025-10-26", "03:30:00", "g"))
        << QStringList{"2025-10-26 01:30:00|block1_value1_Ch1_14500_t1=a",
                       "2025-10-26 02:00:00|block1_value1_Ch1_14500_t1=d",
                       "2025-10-26 02:30:00|block1_value1_Ch1_14500_t1=e",
                       "2025-10-26 03:00:00|block1_value1_Ch1_14500_t1=f",
                       "2025-10-26 03:30:00|block1_value1_Ch1_14500_t1=g"};
    // A recorder on a clock without daylight saving: stamps the workstation
    // never shows are measured on the wall clock.
    QTest::newRow("spring, recorder without daylight saving")
        << QByteArray(line("2025-03-30", "01:30:00", "a") + line("2025-03-30", "02:00:00", "b")
                      + line("2025-03-30", "02:30:00", "c") + line("2025-03-30", "03:00:00", "d")
                      + line("2025-03-30", "03:30:00", "e"))
        << QStringList{"2025-03-30 01:30:00|block1_value1_Ch1_14500_t1=a",
                       "2025-03-30 02:00:00|block1_value1_Ch1_14500_t1=b",
                       "2025-03-30 02:30:00|block1_value1_Ch1_14500_t1=c",
                       "2025-03-30 03:00:00|block1_value1_Ch1_14500_t1=d",
                       "2025-03-30 03:30:00|block1_value1_Ch1_14500_t1=e"};
    // A real jump across the change still opens a segment.
    QTest::newRow("spring, gap after the change")
        << QByteArray(line("2025-03-30", "01:59:58", "a") + line("2025-03-30", "01:59:59", "b")
                      + line("2025-03-30", "03:00:10", "c"))
        << QStringList{"2025-03-30 01:59:58|block1_value1_Ch1_14500_t1=a",
                       "2025-03-30 01:59:59|block1_value1_Ch1_14500_t1=b",
                       "2025-03-30 03:00:10|block1_value1_Ch1_14500_t2=c"};
}

void TestMoxAParser::daylightSavingKept()
{
    QCOMPARE(qgetenv("TZ"), QByteArray("Europe/Warsaw"));
    QFETCH(QByteArray, lines);
    QFETCH(QStringList, rows);
    const Run r = run(kHeader + lines);
    QVERIFY(r.parsed);
    QCOMPARE(storedRows(m_db), rows);
}

void TestMoxAParser::syntheticExport()
{
    const int lines = 12577;
    ReaderLog log;
    const Run r = run(moxacsv::file(lines), &log);
    QVERIFY(r.parsed);
    QCOMPARE(r.count, lines);
    QCOMPARE(valueColumns(m_db), (QStringList{"block1_value1_Ch1_14500_t1", "block1_value2_Ch2_14502_t1",
                                              "block1_value3_Ch3_14504_t1", "block1_value4_Ch4_14506_t1"}));
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*), MIN(id), MAX(id), MIN(date || ' ' || time), "
                                  "MAX(date || ' ' || time) FROM DataMoxA")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), lines);
    QCOMPARE(q.value(2).toInt() - q.value(1).toInt() + 1, lines);
    QCOMPARE(q.value(3).toString(), QStringLiteral("2025-03-10 17:14:43"));
    QCOMPARE(q.value(4).toString(), QStringLiteral("2025-03-10 20:44:19"));
    QVERIFY(q.exec(QStringLiteral("SELECT * FROM DataMoxA ORDER BY id LIMIT 1")));
    QVERIFY(q.next());
    QCOMPARE(q.value(3).toString(), QStringLiteral("0.000000E+00"));
    QCOMPARE(q.value(6).toString(), QStringLiteral("3.147412E+01"));
    // Progress climbs to 100 without repeating a value.
    QCOMPARE(log.progress.last(), 100);
    for (int i = 1; i < log.progress.size(); ++i)
        QVERIFY(log.progress.at(i) > log.progress.at(i - 1));
    QCOMPARE(committed(QStringLiteral("DataMoxA")), lines);
}

void TestMoxAParser::cancelKeepsTable()
{
    QAtomicInteger<char> cancel(1);
    const Run r = run(moxacsv::file(20), nullptr, &cancel);
    QVERIFY(!r.parsed);
    QCOMPARE(r.count, -1);
    QCOMPARE(valueColumns(m_db).size(), 4);
    QCOMPARE(committed(QStringLiteral("DataMoxA")), 0);
}

void TestMoxAParser::quotedColumnNames()
{
    // Names from the file are data: quotes, brackets and SQL text stay names.
    const QByteArray bytes = kHeader + "2025-03-10,10:00:00,0,1\",1,x\"); DROP TABLE Data; --,5\n";
    const Run r = run(bytes);
    QVERIFY(r.parsed);
    QCOMPARE(valueColumns(m_db), QStringList{"block1\"_value1_x\"); DROP TABLE Data; --_1_t1"});
    QCOMPARE(storedRows(m_db).size(), 1);
    QVERIFY(testdb::columns(m_db, QStringLiteral("Data")).size() > 0);
}

void TestMoxAParser::unableToOpen()
{
    MoxAparser reader(nullptr, nullptr);
    ReaderLog log;
    log.attach(&reader);
    QVERIFY(!reader.openFile(QStringLiteral("/nonexistent/10171443.CSV")));
    QCOMPARE(log.console.size(), 1);
    QCOMPARE(log.console.first().text, QStringLiteral("Unable to open file."));
    QCOMPARE(log.console.first().icon, 3);
    QVERIFY(log.dialogs.isEmpty());
}

QUORLOG_TEST_MAIN(TestMoxAParser)
#include "tst_moxaparser.moc"
