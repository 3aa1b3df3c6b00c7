#include "readers/ZelACsvParser.h"

#include "common/Connections.h"
#include "database/ArchiveManager.h"
#include "support/ReaderTestDb.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"

#include <QTemporaryDir>

namespace {

using Outcome = ReaderOutcome;

QByteArray record(int index, const QByteArray &dateTime, const QByteArray &value)
{
    return QByteArray::number(index) + "," + dateTime + "," + value + "\r\n";
}

} // namespace

class TestZelACsvParser : public ReaderTestCase
{
    Q_OBJECT
public:
    TestZelACsvParser()
        : ReaderTestCase(QStringLiteral("zela"))
    {
    }

private slots:
    void oneLineFixture();
    void unitForParameter_data();
    void unitForParameter();
    void checkHeader_data();
    void checkHeader();
    void values_data();
    void values();
    void everyLineIsARecord_data();
    void everyLineIsARecord();
    void laterLineWithOtherFieldCount();
    void emptyLineReportedAndSkipped();
    void lastLineWithoutTerminator();
    void progressOfTenEqualLines();
    void cancelBeforeFirstLine();
    void timeStamps_data();
    void timeStamps();
    void badInput_data();
    void badInput();
    void intoTemporaryDatabase();

private:
    Outcome run(const QByteArray &bytes, ReaderLog *log = nullptr, QAtomicInteger<char> *cancel = nullptr);
};

Outcome TestZelACsvParser::run(const QByteArray &bytes, ReaderLog *log, QAtomicInteger<char> *cancel)
{
    return runReader<ZelACsvParser>(writeInput(QStringLiteral("csv"), bytes), m_db, log, cancel);
}

void TestZelACsvParser::oneLineFixture()
{
    ReaderLog log;
    const Outcome o = run(record(1, "2016-10-24 09:35", "2.223563E+02 W"), &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 1);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 1);
    QCOMPARE(params[0].id, 1);
    QCOMPARE(params[0].name, QStringLiteral("P"));
    QCOMPARE(params[0].unit, QStringLiteral("W"));
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].idParameters, 1);
    QCOMPARE(rows[0].value, 222.3563);
    QCOMPARE(rows[0].flag, 0);
    QCOMPARE(rows[0].dateTime, Q_INT64_C(1477301700000));
    QVERIFY(rows[0].observationId.isNull());
    QCOMPARE(committed(QStringLiteral("Data")), 1);
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parse table data in: ")));
}

void TestZelACsvParser::unitForParameter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::newRow("P") << "P" << "W";
    QTest::newRow("PF") << "PF" << "W";
    QTest::newRow("lower p") << "p" << "";
    QTest::newRow("U") << "U" << "";
    QTest::newRow("empty") << "" << "";
}

void TestZelACsvParser::unitForParameter()
{
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QCOMPARE(ZelACsvParser::unitForParameter(name), unit);
}

void TestZelACsvParser::checkHeader_data()
{
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<bool>("ok");
    QTest::newRow("three fields") << record(1, "2016-10-24 09:35", "2.223563E+02 W") << true;
    QTest::newRow("eleven bytes") << QByteArray("1,a,bcdef\r\n") << true;
    QTest::newRow("ten bytes") << QByteArray("1,a,bcde\r\n") << false;
    QTest::newRow("two fields") << QByteArray("1,2016-10-24 09:35\r\n") << false;
    QTest::newRow("four fields") << QByteArray("1,2016-10-24 09:35,2.2E+02 W,x\r\n") << false;
    QTest::newRow("no comma") << QByteArray("1;2016-10-24 09:35;2.2E+02 W\r\n") << false;
    QTest::newRow("longer than the limit") << QByteArray("1,2016-10-24 09:35," + QByteArray(2100, '1') + "\r\n")
                                           << false;
}

void TestZelACsvParser::checkHeader()
{
    QFETCH(QByteArray, firstLine);
    QFETCH(bool, ok);
    ReaderLog log;
    const Outcome o = run(firstLine, &log);
    QVERIFY(o.opened);
    QCOMPARE(o.headerOk, ok);
    if (!ok) {
        compareSingleError(log, QStringLiteral("File has invalid format!"));
    }
}

void TestZelACsvParser::values_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("flag");
    QTest::newRow("value and unit") << QByteArray("2.223563E+02 W") << 222.3563 << 0;
    QTest::newRow("unit in the file ignored") << QByteArray("1.500000E+00 kW") << 1.5 << 0;
    QTest::newRow("marker +") << QByteArray("1.000000E+20 W") << 1e20 << 2;
    QTest::newRow("marker -") << QByteArray("-1.000000E+20 W") << -1e20 << 2;
    QTest::newRow("number without unit") << QByteArray("2.5") << 2.5 << 0;
    QTest::newRow("marker without unit") << QByteArray("-1.000000E+20") << -1e20 << 2;
    QTest::newRow("leading blank") << QByteArray(" 2.5 W") << 0.0 << 2;
    QTest::newRow("garbage") << QByteArray("abc W") << 0.0 << 2;
    QTest::newRow("empty") << QByteArray("") << 0.0 << 2;
}

void TestZelACsvParser::values()
{
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    QFETCH(int, flag);
    // A first line that passes the shape test, then the line under test.
    const Outcome o = run(record(1, "2016-10-24 09:35", "1.0E+00 W") + record(2, "2016-10-24 09:50", text));
    QVERIFY(o.parsed);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].value, value);
    QCOMPARE(rows[1].flag, flag);
    QCOMPARE(rows[1].idParameters, 1);
}

void TestZelACsvParser::everyLineIsARecord_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("lines");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("step");
    QTest::addColumn<int>("markers");
    QTest::newRow("ZelA") << "zela_example.csv" << 20 << Q_INT64_C(1477301700000) << Q_INT64_C(15 * 60000) << 1;
    // Across the night the clocks go forward: the archive's times stay evenly spaced.
    QTest::newRow("Ravel") << "ravel_example.csv" << 16 << Q_INT64_C(1521936000000) << Q_INT64_C(30 * 60000) << 0;
}

void TestZelACsvParser::everyLineIsARecord()
{
    QFETCH(QString, file);
    QFETCH(int, lines);
    QFETCH(qint64, first);
    QFETCH(qint64, step);
    QFETCH(int, markers);
    QFile f(QStringLiteral(QUORLOG_TEST_DATA "/readers/") + file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const Outcome o = run(f.readAll());
    QVERIFY(o.parsed);
    QCOMPARE(o.count, lines);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 1);
    QCOMPARE(params[0].name, QStringLiteral("P"));
    QCOMPARE(params[0].unit, QStringLiteral("W"));
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), lines);
    int flagged = 0;
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i].dateTime, first + i * step);
        flagged += rows[i].flag == 2;
    }
    QCOMPARE(flagged, markers);
    QCOMPARE(committed(QStringLiteral("Data")), lines);
}

void TestZelACsvParser::laterLineWithOtherFieldCount()
{
    ReaderLog log;
    const Outcome o = run(record(1, "2016-10-24 09:35", "1.0E+00 W") + record(2, "2016-10-24 09:50", "1.0E+00 W")
                              + "3,2016-10-24 10:05,1.0E+00 W,extra\r\n" + record(4, "2016-10-24 10:20", "1 W"),
                          &log);
    QVERIFY(o.headerOk);
    QVERIFY(!o.parsed);
    QCOMPARE(o.count, -1);
    compareLastError(log, QStringLiteral("Invalid line in file (3)"));
    compareNothingCommitted();
}

void TestZelACsvParser::emptyLineReportedAndSkipped()
{
    ReaderLog log;
    const Outcome o =
        run(record(1, "2016-10-24 09:35", "1.0E+00 W") + "\r\n" + record(3, "2016-10-24 09:50", "2.0E+00 W"), &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 3);
    QVERIFY(log.hasConsole(QStringLiteral("Empty line in file (2)"), 2));
    QCOMPARE(testdb::data(m_db).size(), 2);
}

void TestZelACsvParser::lastLineWithoutTerminator()
{
    QByteArray last = record(2, "2016-10-24 09:50", "1.000000E+20 W");
    last.chop(2);
    const Outcome o = run(record(1, "2016-10-24 09:35", "1.0E+00 W") + last);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 2);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].flag, 2);
}

void TestZelACsvParser::progressOfTenEqualLines()
{
    QByteArray file;
    for (int i = 0; i < 10; ++i)
        file += record(i, "2016-10-24 09:35", "2.223563E+02 W");
    ReaderLog log;
    const Outcome o = run(file, &log);
    QVERIFY(o.parsed);
    QCOMPARE(log.progress, (QVector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

void TestZelACsvParser::cancelBeforeFirstLine()
{
    QAtomicInteger<char> flag(1);
    ReaderLog log;
    const Outcome o = run(record(1, "2016-10-24 09:35", "1.0E+00 W"), &log, &flag);
    compareCancelledBeforeFirstLine(o, log);
}

void TestZelACsvParser::timeStamps_data()
{
    QTest::addColumn<QByteArray>("dateTime");
    QTest::addColumn<qint64>("msecs");
    QTest::newRow("fixture") << QByteArray("2016-10-24 09:35") << Q_INT64_C(1477301700000);
    QTest::newRow("gap hour") << QByteArray("2016-03-27 02:30") << Q_INT64_C(1459045800000);
    QTest::newRow("repeated hour") << QByteArray("2016-10-30 02:30") << Q_INT64_C(1477794600000);
}

void TestZelACsvParser::timeStamps()
{
    QFETCH(QByteArray, dateTime);
    QFETCH(qint64, msecs);
    const Outcome o = run(record(1, dateTime, "1.0E+00 W"));
    QVERIFY(o.parsed);
    QCOMPARE(testdb::data(m_db).value(0).dateTime, msecs);
}

void TestZelACsvParser::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("headerOk");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QString>("message");

    const QByteArray r1 = record(1, "2016-10-24 09:35", "1.0E+00 W");
    const QByteArray r2 = record(2, "2016-10-24 09:50", "2.0E+00 W");
    const QByteArray garbage = binaryGarbage();
    const QString invalidFormat = QStringLiteral("File has invalid format!");

    QTest::newRow("empty file") << QByteArray() << false << false << invalidFormat;
    QTest::newRow("binary garbage") << garbage << false << false << invalidFormat;
    QTest::newRow("first line only") << r1 << true << true << QString();
    QTest::newRow("binary after first line") << QByteArray(r1 + garbage) << true << false
                                             << QStringLiteral("Invalid line in file (");
    QTest::newRow("100 kB line") << QByteArray(r1 + QByteArray(100 * 1024, 'a') + "\r\n" + r2) << true << false
                                 << QStringLiteral("Invalid line in file (2)");
    QTest::newRow("100 kB first line") << QByteArray("1,2," + QByteArray(100 * 1024, 'a') + "\r\n" + r2) << false
                                       << false << invalidFormat;
    QTest::newRow("cut in a line") << QByteArray(r1 + r2 + "3,2016-10") << true << false
                                   << QStringLiteral("Invalid line in file (3)");
    QTest::newRow("semicolons later") << QByteArray(r1 + QByteArray(r2).replace(',', ';')) << true << false
                                      << QStringLiteral("Invalid line in file (2)");
    QTest::newRow("unparseable date") << QByteArray(r1 + record(2, "2016-02-30 09:50", "1 W")) << true << false
                                      << QStringLiteral("Invalid line in file (2)");
    QTest::newRow("seconds in time") << QByteArray(r1 + record(2, "2016-10-24 09:50:00", "1 W")) << true << false
                                     << QStringLiteral("Invalid line in file (2)");
    QTest::newRow("unparseable first date") << record(1, "24.10.2016 09:35", "1 W") << true << false
                                            << QStringLiteral("Invalid line in file (1)");
}

void TestZelACsvParser::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, headerOk);
    QFETCH(bool, parsed);
    QFETCH(QString, message);
    ReaderLog log;
    const Outcome o = run(bytes, &log);
    QVERIFY(o.opened);
    QCOMPARE(o.headerOk, headerOk);
    QCOMPARE(o.parsed, parsed);
    if (!message.isEmpty())
        compareLastErrorStartsWith(log, message);
    QCOMPARE(o.count, parsed ? 1 : -1);
    QCOMPARE(committed(QStringLiteral("Data")), parsed ? 1 : 0);
    if (!parsed)
        QCOMPARE(committed(QStringLiteral("Parameters")), 0);
}

void TestZelACsvParser::intoTemporaryDatabase()
{
    const auto check = [](QSqlDatabase db, int count) {
        QCOMPARE(count, 20);
        QCOMPARE(testdb::rowCount(db, QStringLiteral("Data")), 20);
    };
    readIntoTemporaryDatabase<ZelACsvParser>(QStringLiteral("ZelA"),
        QStringLiteral(QUORLOG_TEST_DATA "/readers/zela_example.csv"), check);
}

QUORLOG_TEST_MAIN(TestZelACsvParser)
#include "tst_zelacsvparser.moc"
