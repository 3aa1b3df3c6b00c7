#include "readers/QuilACsvParser.h"

#include "common/Connections.h"
#include "database/ArchiveManager.h"
#include "readers/QuilArchiveWriter.h"
#include "support/ReaderTestDb.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTranslator>

namespace {

using Outcome = ReaderOutcome;

const QString kInvalidFormat = QStringLiteral("File has invalid format!");
const QString kInvalidHeader = QStringLiteral("Invalid header format!");
const QString kWrongCount = QStringLiteral("Line skipped, wrong number of values");

QByteArray head()
{
    return quil::headerLine() + quil::columnLine(quil::channels()) + "\r\n";
}

QByteArray fourValues(int index, const QByteArray &time = "00:00:00")
{
    return quil::row(index, "2015-09-01", time, {"    22,43", "     45,1", "    12,50", "     9,87"});
}

} // namespace

class TestQuilCsvParser : public ReaderTestCase
{
    Q_OBJECT
public:
    TestQuilCsvParser()
        : ReaderTestCase(QStringLiteral("quil"))
    {
    }

private slots:
    void fourChannelArchive();
    void unitForParameter_data();
    void unitForParameter();
    void checkHeader_data();
    void checkHeader();
    void headerValues();
    void values_data();
    void values();
    void skippedChannels();
    void skippedLines_data();
    void skippedLines();
    void longLinesSkipped();
    void lineEnds_data();
    void lineEnds();
    void namesNotUtf8StayDistinct();
    void commaColumnLine();
    void cancelBeforeFirstLine();
    void failedInsert();
    void badInput_data();
    void badInput();
    void exampleArchive();
    void intoTemporaryDatabase();
    void unableToOpen();
    void messagesTranslatedInReaderContext();

private:
    Outcome run(const QByteArray &bytes, ReaderLog *log = nullptr, QAtomicInteger<char> *cancel = nullptr);
};

Outcome TestQuilCsvParser::run(const QByteArray &bytes, ReaderLog *log, QAtomicInteger<char> *cancel)
{
    return runReader<QuilACsvParser>(writeInput(QStringLiteral("d00"), bytes), m_db, log, cancel);
}

void TestQuilCsvParser::fourChannelArchive()
{
    ReaderLog log;
    const Outcome o = run(quil::archive(5), &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 7); // eight lines, less the header line
    QCOMPARE(o.separator, '\t');

    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 4);
    const char *const names[] = {"T [^C]", "RH [%]", "DP [^C]", "AH[g/m3]"};
    const char *const units[] = {"\u00b0C", "%", "\u00b0C", "g/m3"};
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(params[k].id, k + 1);
        QCOMPARE(params[k].name, QString::fromUtf8(names[k]));
        QCOMPARE(params[k].unit, QString::fromUtf8(units[k]));
    }
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 20);
    const double base[] = {22.43, 45.1, 12.5, 9.87};
    for (int r = 0; r < 5; ++r) {
        for (int k = 0; k < 4; ++k) {
            const auto &row = rows[r * 4 + k];
            QCOMPARE(row.idParameters, k + 1);
            QCOMPARE(row.value, QByteArray::number(base[k] + r, 'f', 2).toDouble());
            QCOMPARE(row.flag, 0);
            QCOMPARE(row.dateTime, Q_INT64_C(1441065600000) + r * Q_INT64_C(1800000)); // 2015-09-01 00:00 UTC
        }
    }
    // The empty third line, named as an editor numbers it.
    QVERIFY(log.hasConsole(QStringLiteral("Empty line in file (3)"), 2));
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parse table data in: ")));
    QVERIFY(log.dialogs.isEmpty());
    QCOMPARE(committed(QStringLiteral("Data")), 20);
}

void TestQuilCsvParser::unitForParameter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    const QString deg = QStringLiteral("\u00b0C");
    QTest::newRow("T [^C]") << "T [^C]" << deg;
    QTest::newRow("any capital T") << "Tx [%]" << deg;
    QTest::newRow("RH") << "RH [%]" << "%";
    QTest::newRow("DP") << "DP [^C]" << deg;
    QTest::newRow("AH") << "AH[g/m3]" << "g/m3";
    QTest::newRow("Wet-b") << "Wet-bulb" << deg;
    QTest::newRow("Enth") << "Enthalpy" << "kJ/kg";
    QTest::newRow("lower t") << "t [^C]" << "";
    QTest::newRow("other") << "CO2" << "";
    QTest::newRow("empty") << "" << "";
}

void TestQuilCsvParser::unitForParameter()
{
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QCOMPARE(QuilACsvParser::unitForParameter(name), unit);
}

void TestQuilCsvParser::checkHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<char>("separator");

    const QByteArray col = quil::columnLine(quil::channels());
    QTest::newRow("QuilA") << QByteArray(quil::headerLine("QuilA") + col) << QString() << '\t';
    QTest::newRow("QuilC") << QByteArray(quil::headerLine("QuilC") + col) << QString() << '\t';
    QTest::newRow("QuilBIoT") << QByteArray(quil::headerLine("QuilBIoT") + col) << QString() << '\t';
    QTest::newRow("QuilB") << QByteArray(quil::headerLine("QuilB") + col) << QString() << '\t';
    QTest::newRow("QuilAIoT") << QByteArray(quil::headerLine("QuilAIoT") + col) << kInvalidFormat << '\t';
    QTest::newRow("model case counts") << QByteArray(quil::headerLine("quila") + col) << kInvalidFormat << '\t';
    QTest::newRow("no dev key") << QByteArray("#filever:1.00;serial:1\r\n" + col) << kInvalidFormat << '\t';
    QTest::newRow("file version 1.01") << QByteArray(quil::headerLine("QuilA", "1.01") + col) << kInvalidFormat
                                       << '\t';
    QTest::newRow("version last keeps the line end") << QByteArray("#dev:QuilA;filever:1.00\r\n" + col)
                                                     << kInvalidFormat << '\t';
    QTest::newRow("equals sign") << QByteArray("#dev=QuilA;filever:1.00;serial:1\r\n" + col) << kInvalidHeader
                                 << '\t';
    QTest::newRow("two colons") << QByteArray("#dev:QuilA;filever:1.00;firm:0:82\r\n" + col) << kInvalidHeader
                                << '\t';
    QTest::newRow("ends in ;") << QByteArray("#dev:QuilA;filever:1.00;serial:1;\r\n" + col) << kInvalidHeader
                               << '\t';
    QTest::newRow("no #") << QByteArray("dev:QuilA;filever:1.00;serial:1\r\n" + col) << kInvalidFormat << '\t';
    QTest::newRow("column line with #") << QByteArray(quil::headerLine() + "#" + col) << kInvalidFormat << '\t';
    QTest::newRow("comma column line") << QByteArray(quil::headerLine() + quil::columnLine(quil::channels(), ','))
                                       << QString() << ',';
    QTest::newRow("semicolon column line")
        << QByteArray(quil::headerLine() + quil::columnLine(quil::channels(), ';')) << QString() << ';';
    QTest::newRow("no separator") << QByteArray(quil::headerLine() + "idx date time T\r\n") << kInvalidFormat << '\t';
    QTest::newRow("10-byte column line") << QByteArray(quil::headerLine() + "idx\tdate\r\n") << kInvalidFormat
                                         << '\t';
    QTest::newRow("11-byte column line") << QByteArray(quil::headerLine() + "idx\tdate\ttime") << QString() << '\t';
    QTest::newRow("wrong column") << QByteArray(quil::headerLine() + "idx\tdate\ttim\t\tT\r\n") << kInvalidFormat
                                  << '\t';
    QTest::newRow("padded idx") << QByteArray(quil::headerLine() + " idx\tdate\ttime\t\tT\r\n") << kInvalidFormat
                                << '\t';
    QTest::newRow("header line only") << quil::headerLine() << kInvalidFormat << '\t';
    QTest::newRow("empty file") << QByteArray() << kInvalidFormat << '\t';
}

void TestQuilCsvParser::checkHeader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(char, separator);
    ReaderLog log;
    const Outcome o = run(bytes, &log);
    QVERIFY(o.opened);
    QCOMPARE(o.headerOk, message.isEmpty());
    if (o.headerOk) {
        QCOMPARE(o.separator, separator);
        // Rewound: both header lines are read again, not taken as rows.
        QVERIFY(o.parsed);
        QCOMPARE(o.count, 1);
        QCOMPARE(testdb::rowCount(m_db, QStringLiteral("Data")), 0);
    } else {
        compareSingleError(log, message);
    }
}

void TestQuilCsvParser::headerValues()
{
    const QString path = testdb::writeFile(m_dir.filePath(QStringLiteral("h.d00")), head());
    QuilACsvParser reader(nullptr, nullptr);
    QVERIFY(reader.openFile(path));
    QVERIFY(reader.checkHeader());
    const auto h = reader.headerValues();
    QCOMPARE(h.value(QStringLiteral("dev")), QStringLiteral("QuilA"));
    QCOMPARE(h.value(QStringLiteral("filever")), QStringLiteral("1.00"));
    QCOMPARE(h.value(QStringLiteral("name")), QStringLiteral("5"));
    QCOMPARE(h.value(QStringLiteral("serial")), QStringLiteral("15090417\r\n"));
}

void TestQuilCsvParser::values_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("flag");
    QTest::newRow("recorder form") << QByteArray("    22,43") << 22.43 << 0;
    QTest::newRow("star") << QByteArray("     *") << 1e20 << 2;
    QTest::newRow("star among digits") << QByteArray("  2*") << 1e20 << 2;
    QTest::newRow("-1e20") << QByteArray("   -1e20") << -1e20 << 2;
    QTest::newRow("1e20 with comma") << QByteArray("1,0e+20") << 1e20 << 2;
    QTest::newRow("1e19 is a value") << QByteArray("1e19") << 1e19 << 0;
    QTest::newRow("trailing blank") << QByteArray("12,5 ") << 12.5 << 0;
    QTest::newRow("inner blank") << QByteArray(" 1 2,5") << 12.5 << 0;
    QTest::newRow("negative") << QByteArray("    -3,07") << -3.07 << 0;
    QTest::newRow("letters are no value") << QByteArray("   abc") << 0.0 << 2;
    QTest::newRow("blanks are no value") << QByteArray("      ") << 0.0 << 2;
}

void TestQuilCsvParser::values()
{
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    QFETCH(int, flag);
    // The value under test in the second channel, the last one carrying the line end.
    const Outcome o = run(head() + quil::row(1, "2015-09-01", "00:00:00", {"    22,43", text, "    12,50", "     9,87"}));
    QVERIFY(o.parsed);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[1].value, value);
    QCOMPARE(rows[1].flag, flag);
    QCOMPARE(rows[3].value, 9.87);
    QCOMPARE(rows[3].flag, 0);
}

void TestQuilCsvParser::skippedChannels()
{
    const QByteArray file = quil::headerLine() + quil::columnLine({"Off", "   ", " T [^C]", "xyz"}) + "\r\n"
                            + quil::row(1, "2015-09-01", "00:00:00", {"1,0", "2,0", "3,0", "4,0"});
    const Outcome o = run(file);
    QVERIFY(o.parsed);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 2);
    QCOMPARE(params[0].name, QStringLiteral("T [^C]"));
    QCOMPARE(params[1].name, QStringLiteral("xyz"));
    QCOMPARE(params[1].unit, QString());
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].value, 3.0);
    QCOMPARE(rows[1].value, 4.0);
}

void TestQuilCsvParser::skippedLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("cut after the second value")
        << quil::row(2, "2015-09-01", "00:30:00", {"    22,43", "     45,1"}) << kWrongCount;
    QTest::newRow("empty value field") << quil::row(2, "2015-09-01", "00:30:00", {"    22,43", "", "1,0", "2,0"})
                                       << kWrongCount;
    QTest::newRow("one value too many")
        << quil::row(2, "2015-09-01", "00:30:00", {"1,0", "2,0", "3,0", "4,0", "5,0"}) << kWrongCount;
    QTest::newRow("unparseable date") << quil::row(2, "2015-09-31", "00:30:00", {"1,0", "2,0", "3,0", "4,0"})
                                      << QStringLiteral("Line skipped, invalid date or time");
    QTest::newRow("cut in the time") << QByteArray("2\t2015-09-01\t00:3\r\n") << kWrongCount;
}

void TestQuilCsvParser::skippedLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, message);
    ReaderLog log;
    // The line under test is the fifth; good lines before and after it.
    const Outcome o = run(head() + fourValues(1) + line + fourValues(3, "01:00:00"), &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 5);
    QCOMPARE(testdb::data(m_db).size(), 8);
    QVERIFY2(log.hasConsole(message + QStringLiteral(" (5)"), 2), qPrintable(log.console.value(1).text));
    QVERIFY(log.dialogs.isEmpty());
    QCOMPARE(committed(QStringLiteral("Data")), 8);
}

// An over-long line is skipped like any other faulty line: the lines after it
// keep their numbers and are read.
void TestQuilCsvParser::longLinesSkipped()
{
    const QByteArray limitLine = fourValues(2, "00:30:00").replace("22,43", QByteArray(5000, ' ') + "22,43");
    QVERIFY(limitLine.size() > 5000);
    const QByteArray file = head() + fourValues(1) + QByteArray(12000, '7') + "\r\n" + limitLine
                            + quil::row(5, "2015-09-01", "01:30:00", {"1,0"}) + fourValues(6, "02:00:00");
    ReaderLog log;
    const Outcome o = run(file, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 7); // eight lines, less the header line
    QVERIFY(log.hasConsole(QStringLiteral("Line skipped, too long (5)"), 2));
    QVERIFY(log.hasConsole(QStringLiteral("Line skipped, too long (6)"), 2));
    QVERIFY(log.hasConsole(kWrongCount + QStringLiteral(" (7)"), 2));
    QVERIFY(log.dialogs.isEmpty());
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 8);
    QCOMPARE(rows[4].dateTime - rows[0].dateTime, Q_INT64_C(2 * 3600 * 1000));
    QCOMPARE(committed(QStringLiteral("Data")), 8);
}

void TestQuilCsvParser::lineEnds_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR") << QByteArray("\r");
    QTest::newRow("CR CR LF") << QByteArray("\r\r\n");
}

void TestQuilCsvParser::lineEnds()
{
    QFETCH(QByteArray, lineEnd);
    const QByteArray file = quil::archive(6, lineEnd);
    ReaderLog log;
    const Outcome o = run(file, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 8);
    QCOMPARE(testdb::parameters(m_db).size(), 4);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 24);
    QCOMPARE(rows[3].value, 9.87);
    for (const auto &m : log.console)
        QVERIFY2(!m.text.startsWith(kWrongCount), qPrintable(m.text));
}

void TestQuilCsvParser::namesNotUtf8StayDistinct()
{
    // Written by a tool that knows only Latin-1: cubic and square metres.
    const QByteArray file = quil::headerLine() + quil::columnLine({"flow [m\xb3/h]", "flow [m\xb2/h]", "T [\xb0" "C]"})
                            + "\r\n" + quil::row(1, "2015-09-01", "00:00:00", {" 1,5", " 2,5", " 3,5"});
    const Outcome o = run(file);
    QVERIFY(o.parsed);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 3);
    QCOMPARE(params[0].name, QStringLiteral("flow [m\u00b3/h]"));
    QCOMPARE(params[1].name, QStringLiteral("flow [m\u00b2/h]"));
    QCOMPARE(params[2].name, QStringLiteral("T [\u00b0C]"));
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(rows[i].idParameters, i + 1);
        QCOMPARE(rows[i].value, 1.5 + i);
    }
}

void TestQuilCsvParser::commaColumnLine()
{
    const QByteArray file = quil::headerLine() + quil::columnLine({"T", "RH"}, ',') + "\r\n"
                            + quil::row(1, "2015-09-01", "00:00:00", {" 22.5", " 40"}, ',');
    const Outcome o = run(file);
    QVERIFY(o.parsed);
    QCOMPARE(o.separator, ',');
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].value, 22.5);
    QCOMPARE(rows[1].value, 40.0);
}

void TestQuilCsvParser::cancelBeforeFirstLine()
{
    QAtomicInteger<char> flag(1);
    ReaderLog log;
    const Outcome o = run(quil::archive(3), &log, &flag);
    compareCancelledBeforeFirstLine(o, log);
}

void TestQuilCsvParser::failedInsert()
{
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Parameters WHEN NEW.name = 'DP [^C]' "
                                  "BEGIN SELECT RAISE(ABORT, 'name refused'); END")));
    ReaderLog log;
    const Outcome o = run(quil::archive(2), &log);
    compareRefusedInsert(o, log, QStringLiteral("name refused"));
}

void TestQuilCsvParser::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("headerOk");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<int>("dataRows");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");

    const QByteArray garbage = binaryGarbage();
    const QByteArray good = fourValues(1);

    QTest::newRow("empty file") << QByteArray() << false << false << 0 << kInvalidFormat << 3;
    QTest::newRow("binary garbage") << garbage << false << false << 0 << kInvalidFormat << 3;
    QTest::newRow("binary after the header") << QByteArray(head() + garbage) << true << true << 0 << QString() << 0;
    QTest::newRow("header lines only") << QByteArray(quil::headerLine() + quil::columnLine(quil::channels()))
                                       << true << true << 0 << QString() << 0;
    QTest::newRow("100 kB line") << QByteArray(head() + QByteArray(100 * 1024, '1') + "\r\n" + good) << true << true
                                 << 4 << QStringLiteral("Line skipped, too long (4)") << 2;
    QTest::newRow("100 kB column line") << QByteArray(quil::headerLine() + QByteArray(100 * 1024, '\t') + "\r\n")
                                        << false << false << 0 << kInvalidFormat << 3;
    QTest::newRow("cut file") << QByteArray(head() + good + good.left(25)) << true << true << 4
                              << QStringLiteral("Line skipped, wrong number of values (5)") << 2;
    QTest::newRow("NUL bytes") << QByteArray(head() + QByteArray(300, '\0') + "\r\n" + good) << true << true << 4
                               << kWrongCount + QStringLiteral(" (4)") << 2;
}

void TestQuilCsvParser::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, headerOk);
    QFETCH(bool, parsed);
    QFETCH(int, dataRows);
    QFETCH(QString, message);
    QFETCH(int, icon);
    ReaderLog log;
    const Outcome o = run(bytes, &log);
    QVERIFY(o.opened);
    QCOMPARE(o.headerOk, headerOk);
    QCOMPARE(o.parsed, parsed);
    if (!message.isEmpty())
        QVERIFY2(log.hasConsole(message, icon), qPrintable(log.lastConsole().text));
    if (icon == 3) {
        QCOMPARE(log.dialogs.size(), 1);
        QCOMPARE(log.dialogs[0].text, message);
    } else {
        QVERIFY(log.dialogs.isEmpty());
    }
    if (!parsed)
        QCOMPARE(o.count, -1);
    QCOMPARE(committed(QStringLiteral("Data")), dataRows);
}

void TestQuilCsvParser::exampleArchive()
{
    QFile f(QStringLiteral(":/examples/_resources/examples/QuilA/2015_09.d00"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const int lines = bytes.count('\n');
    ReaderLog log;
    const Outcome o = run(bytes, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, lines - 1);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 4);
    QCOMPARE(params[3].unit, QStringLiteral("g/m3"));
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), (lines - 3) * 4);
    int starred = 0;
    for (const auto &r : rows)
        starred += r.flag == 2 && r.value == 1e20;
    QCOMPARE(starred, 1);
    QCOMPARE(log.console.size(), 2); // the empty line and the closing line
}

// As the open-file worker does it: the archive manager's temporary database
// of the kind "QuilA".
void TestQuilCsvParser::intoTemporaryDatabase()
{
    const auto check = [](QSqlDatabase db, int count) {
        QCOMPARE(testdb::rowCount(db, QStringLiteral("Parameters")), 4);
        QCOMPARE(testdb::rowCount(db, QStringLiteral("Data")), (count - 2) * 4);
    };
    readIntoTemporaryDatabase<QuilACsvParser>(QStringLiteral("QuilA"),
        QStringLiteral(":/examples/_resources/examples/QuilA/2015_09.d00"), check);
}

void TestQuilCsvParser::unableToOpen()
{
    verifyUnableToOpen<QuilACsvParser>(m_dir.filePath(QStringLiteral("missing.d00")));
}

void TestQuilCsvParser::messagesTranslatedInReaderContext()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(QUORLOG_BIN_DIR "/qrlg_pl.qm")));
    QCoreApplication::installTranslator(&translator);
    ReaderLog log;
    const Outcome o = run(head() + fourValues(1) + quil::row(2, "2015-09-01", "00:30:00", {"1,0"}), &log);
    ReaderLog bad;
    run("#dev=QuilA\r\n" + quil::columnLine(quil::channels()), &bad);
    QCoreApplication::removeTranslator(&translator);
    QVERIFY(o.parsed);
    QVERIFY(log.hasConsole(QStringLiteral("Pusta linia w pliku (3)"), 2));
    QVERIFY(log.hasConsole(QStringLiteral("Pominięto linię o nieprawidłowej liczbie wartości (5)"), 2));
    QCOMPARE(bad.lastConsole().text, QStringLiteral("Nieprawidłowy format nagłówka!"));
}

QUORLOG_TEST_MAIN(TestQuilCsvParser)
#include "tst_quilcsvparser.moc"
