#include "readers/ZelBCsvParser.h"

#include "common/Connections.h"
#include "common/ProgressDialog.h"
#include "common/UtcTime.h"
#include "database/ArchiveManager.h"
#include "readers/ZelBArchiveWriter.h"
#include "support/ReaderTestDb.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"

#include <QSqlQuery>
#include <QFutureWatcher>
#include <QMainWindow>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QTranslator>
#include <QtConcurrent>
#include <QTemporaryDir>

using zelb::Group;

namespace {

using Outcome = ReaderOutcome;

QByteArray oneGroupLine(const QByteArray &date, const QByteArray &time, const QByteArray &name,
                        const QByteArray &value, char sep = ',', int headerGroups = 16)
{
    return zelb::line(date, time, 1, {Group{"7500", name, value}}, sep, headerGroups);
}

} // namespace

class TestZelBCsvParser : public ReaderTestCase
{
    Q_OBJECT
public:
    TestZelBCsvParser()
        : ReaderTestCase(QStringLiteral("zelb"))
    {
    }

private slots:
    void oneLineFixture();
    void unitForParameter_data();
    void unitForParameter();
    void checkHeader_data();
    void checkHeader();
    void groupCount_data();
    void groupCount();
    void values_data();
    void values();
    void lastGroupOfFullLine();
    void skippedGroups();
    void namesKeepIdsAndUnits();
    void wrongFieldCount_data();
    void wrongFieldCount();
    void emptyLineReportedAndSkipped();
    void blankLineMessagesCapped();
    void lineEnds_data();
    void lineEnds();
    void namesNotUtf8StayDistinct();
    void lastLineWithoutTerminator();
    void lineLengthLimit();
    void cancelBeforeFirstLine();
    void cancelDuringRead();
    void timeStamps_data();
    void timeStamps();
    void namesStoredAsWritten_data();
    void namesStoredAsWritten();
    void failedInsert();
    void failedCommit();
    void progressValues();
    void badInput_data();
    void badInput();
    void exampleArchives_data();
    void exampleArchives();
    void intoTemporaryDatabase();
    void unableToOpen();
    void mutatedArchivesAllOrNothing();
    void progressDialogFromWorker();
    void messagesTranslatedInReaderContext();

private:
    Outcome run(const QByteArray &bytes, ReaderLog *log = nullptr, QAtomicInteger<char> *cancel = nullptr);
};

Outcome TestZelBCsvParser::run(const QByteArray &bytes, ReaderLog *log, QAtomicInteger<char> *cancel)
{
    return runReader<ZelBCsvParser>(writeInput(QStringLiteral("csv"), bytes), m_db, log, cancel);
}

void TestZelBCsvParser::oneLineFixture()
{
    const QByteArray file = zelb::header() + oneGroupLine("2016-10-24", "09:35:57", "U1", "2.223563E+02");
    ReaderLog log;
    const Outcome o = run(file, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 2);

    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 1);
    QCOMPARE(params[0].id, 1);
    QCOMPARE(params[0].name, QStringLiteral("U1"));
    QCOMPARE(params[0].unit, QStringLiteral("V"));
    QVERIFY(params[0].idDevices.isNull());

    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].idParameters, 1);
    QCOMPARE(rows[0].value, 222.3563); // the seventh digit is kept
    QCOMPARE(rows[0].flag, 0);
    QCOMPARE(rows[0].dateTime, Q_INT64_C(1477301757000));
    QVERIFY(rows[0].observationId.isNull());

    QCOMPARE(committed(QStringLiteral("Data")), 1);
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parse table data in: ")));
    QVERIFY(log.lastConsole().text.endsWith(QStringLiteral(" ms")));
    QCOMPARE(log.lastConsole().icon, 0);
    QVERIFY(log.dialogs.isEmpty());
}

void TestZelBCsvParser::unitForParameter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::newRow("U1") << "U1" << "V";
    QTest::newRow("I2") << "I2" << "A";
    QTest::newRow("PF1 before P") << "PF1" << "";
    QTest::newRow("P1") << "P1" << "W";
    QTest::newRow("Q1") << "Q1" << "var";
    QTest::newRow("S1") << "S1" << "VA";
    QTest::newRow("THD U1") << "THD U1" << "%";
    QTest::newRow("T1") << "T1" << QStringLiteral("\u00b0C");
    QTest::newRow("Freq") << "Freq" << "Hz";
    QTest::newRow("f1") << "f1" << "Hz";
    QTest::newRow("EnP+") << "EnP+" << "kWh";
    QTest::newRow("EnQ-") << "EnQ-" << "kvarh";
    QTest::newRow("EnS") << "EnS" << "kVAh";
    QTest::newRow("lower u1") << "u1" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("other") << "cos" << "";
}

void TestZelBCsvParser::unitForParameter()
{
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QCOMPARE(ZelBCsvParser::unitForParameter(name), unit);
}

void TestZelBCsvParser::checkHeader_data()
{
    QTest::addColumn<QByteArray>("headerLine");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<char>("separator");

    QTest::newRow("comma") << zelb::header(',') << true << ',';
    QTest::newRow("semicolon") << zelb::header(';') << true << ';';
    QTest::newRow("tab") << zelb::header('\t') << true << '\t';
    QTest::newRow("comma wins over semicolon")
        << QByteArray("date,time,record index,block,register1,name1,value1,a;b\r\n") << true << ',';
    QTest::newRow("eight columns") << QByteArray("date,time,record index,block,register1,name1,value1,x\r\n")
                                   << true << ',';
    // One group: the last name stands before the line end.
    QTest::newRow("seven columns with terminator")
        << QByteArray("date,time,record index,block,register1,name1,value1\r\n") << true << ',';
    QTest::newRow("seven columns, LF") << QByteArray("date,time,record index,block,register1,name1,value1\n")
                                       << true << ',';
    QTest::newRow("six columns") << QByteArray("date,time,record index,block,register1,name1\r\n") << false
                                 << ',';
    QTest::newRow("short") << QByteArray("a,b,c\r\n") << false << ',';
    QTest::newRow("no separator") << QByteArray("date time record index block\r\n") << false << ',';
    QTest::newRow("wrong name") << QByteArray("date,time,record,block,register1,name1,value1,x\r\n") << false
                                << ',';
    QTest::newRow("case counts") << QByteArray("Date,time,record index,block,register1,name1,value1,x\r\n")
                                 << false << ',';
    QTest::newRow("blank around name")
        << QByteArray("date, time,record index,block,register1,name1,value1,x\r\n") << false << ',';
    QTest::newRow("longer than the limit") << QByteArray(zelb::header().trimmed() + QByteArray(2100, 'x') + "\r\n")
                                           << false << ',';
}

void TestZelBCsvParser::checkHeader()
{
    QFETCH(QByteArray, headerLine);
    QFETCH(bool, ok);
    QFETCH(char, separator);
    ReaderLog log;
    const Outcome o = run(headerLine, &log);
    QVERIFY(o.opened);
    QCOMPARE(o.headerOk, ok);
    if (ok) {
        QCOMPARE(o.separator, separator);
        // The file was rewound: the header is read again and not taken as data.
        QVERIFY(o.parsed);
        QCOMPARE(o.count, 1);
        QCOMPARE(testdb::rowCount(m_db, QStringLiteral("Data")), 0);
    } else {
        compareSingleError(log, QStringLiteral("File has invalid format!"));
    }
}

void TestZelBCsvParser::groupCount_data()
{
    QTest::addColumn<int>("headerGroups");
    QTest::addColumn<char>("separator");
    QTest::newRow("52 columns") << 16 << ',';
    QTest::newRow("10 columns") << 2 << ',';
    // One group: the header's last name carries the line end.
    QTest::newRow("7 columns") << 1 << ',';
    QTest::newRow("7 columns, tab") << 1 << '\t';
    QTest::newRow("52 columns, semicolon") << 16 << ';';
    QTest::newRow("52 columns, tab") << 16 << '\t';
}

void TestZelBCsvParser::groupCount()
{
    QFETCH(int, headerGroups);
    QFETCH(char, separator);
    QVector<Group> groups;
    for (int g = 0; g < headerGroups; ++g)
        groups.append(Group{"7500", "X" + QByteArray::number(g), QByteArray::number(g) + "E+00"});
    const QByteArray file =
        zelb::header(separator, headerGroups) + zelb::line("2020-01-01", "00:00:00", 1, groups, separator, headerGroups);
    const Outcome o = run(file);
    QVERIFY(o.parsed);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), headerGroups);
    for (int g = 0; g < headerGroups; ++g) {
        QCOMPARE(rows[g].idParameters, g + 1);
        QCOMPARE(rows[g].value, double(g));
    }
}

void TestZelBCsvParser::values_data()
{
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("flag");

    QTest::newRow("exponent form") << ',' << QByteArray("2.223563E+02") << 222.3563 << 0;
    QTest::newRow("negative") << ',' << QByteArray("-1.500000E-03") << -0.0015 << 0;
    QTest::newRow("plain") << ',' << QByteArray("12.5") << 12.5 << 0;
    QTest::newRow("marker +") << ',' << QByteArray("1.000000E+20") << 1e20 << 2;
    QTest::newRow("marker -") << ',' << QByteArray("-1.000000E+20") << -1e20 << 2;
    QTest::newRow("marker with a blank is a value") << ',' << QByteArray(" -1.000000E+20") << -1e20 << 0;
    QTest::newRow("same number, other text") << ',' << QByteArray("1E+20") << 1e20 << 0;
    QTest::newRow("empty is no value") << ',' << QByteArray("") << 0.0 << 2;
    QTest::newRow("garbage is no value") << ',' << QByteArray("abc") << 0.0 << 2;
    QTest::newRow("decimal comma under ;") << ';' << QByteArray("2,5") << 2.5 << 0;
    QTest::newRow("marker with comma under ;") << ';' << QByteArray("-1,000000E+20") << -1e20 << 2;
    QTest::newRow("tab separator") << '\t' << QByteArray("3.300000E+00") << 3.3 << 0;
}

void TestZelBCsvParser::values()
{
    QFETCH(char, separator);
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    QFETCH(int, flag);
    const QByteArray file =
        zelb::header(separator) + oneGroupLine("2016-10-24", "09:35:57", "P1", text, separator);
    const Outcome o = run(file);
    QVERIFY(o.parsed);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].value, value);
    QCOMPARE(rows[0].flag, flag);
}

void TestZelBCsvParser::lastGroupOfFullLine()
{
    QVector<Group> groups;
    for (int g = 0; g < 16; ++g)
        groups.append(Group{"1", "N" + QByteArray::number(g), "1.000000E+00"});
    groups[15].value = "-1.000000E+20";
    const Outcome o = run(zelb::header() + zelb::line("2016-10-24", "09:35:57", 1, groups));
    QVERIFY(o.parsed);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 16);
    QCOMPARE(rows[15].value, -1e20);
    QCOMPARE(rows[15].flag, 2);
}

void TestZelBCsvParser::skippedGroups()
{
    const QVector<Group> groups{Group{"7500", "", "1.000000E+00"}, Group{"7502", "Off", "2.000000E+00"},
                                Group{"7504", "  Off ", "3.000000E+00"}, Group{"7506", " U2 ", "4.000000E+00"},
                                Group{"7508", "I1", ""}};
    const Outcome o = run(zelb::header() + zelb::line("2016-10-24", "09:35:57", 1, groups));
    QVERIFY(o.parsed);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 2);
    QCOMPARE(params[0].name, QStringLiteral("U2")); // trimmed
    QCOMPARE(params[1].name, QStringLiteral("I1"));
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].value, 4.0);
    QCOMPARE(rows[1].flag, 2); // named but empty: no value, not a measured 0
}

void TestZelBCsvParser::namesKeepIdsAndUnits()
{
    // Names move between groups and lines; ids follow first appearance.
    QByteArray file = zelb::header();
    file += zelb::line("2016-10-24", "10:00:00", 1,
                       {Group{"1", "P1", "1.0E+00"}, Group{"2", "U1", "2.0E+00"}});
    file += zelb::line("2016-10-24", "10:01:00", 2,
                       {Group{"1", "U1", "3.0E+00"}, Group{"2", "PF1", "4.0E+00"}, Group{"3", "P1", "5.0E+00"}});
    const Outcome o = run(file);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 3);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 3);
    QCOMPARE(params[0].name, QStringLiteral("P1"));
    QCOMPARE(params[0].unit, QStringLiteral("W"));
    QCOMPARE(params[1].name, QStringLiteral("U1"));
    QCOMPARE(params[1].unit, QStringLiteral("V"));
    QCOMPARE(params[2].name, QStringLiteral("PF1"));
    QCOMPARE(params[2].unit, QString());
    // Stored as the empty text, not NULL: the import matches name and unit.
    QCOMPARE(testdb::column(m_db, QStringLiteral("SELECT quote(unit) FROM Parameters WHERE name = 'PF1'")),
             QStringList{"''"});
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 5);
    const int ids[] = {1, 2, 2, 3, 1};
    const double values[] = {1, 2, 3, 4, 5};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(rows[i].idParameters, ids[i]);
        QCOMPARE(rows[i].value, values[i]);
    }
    QCOMPARE(rows[2].dateTime - rows[0].dateTime, Q_INT64_C(60000));
}

void TestZelBCsvParser::wrongFieldCount_data()
{
    QTest::addColumn<QByteArray>("third");
    const QByteArray good = oneGroupLine("2016-10-24", "09:36:57", "U1", "1.0E+00");
    QByteArray fewer = good;
    fewer.replace(",,,\r\n", ",,\r\n");
    QTest::newRow("one field too few") << fewer;
    QTest::newRow("one field too many") << QByteArray(good.left(good.size() - 2) + ",\r\n");
    QTest::newRow("other separator") << QByteArray(good).replace(',', ';');
}

void TestZelBCsvParser::wrongFieldCount()
{
    QFETCH(QByteArray, third);
    QByteArray file = zelb::header() + oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00") + third
                      + oneGroupLine("2016-10-24", "09:37:57", "U1", "1.0E+00");
    ReaderLog log;
    const Outcome o = run(file, &log);
    QVERIFY(o.headerOk);
    QVERIFY(!o.parsed);
    QCOMPARE(o.count, -1);
    compareLastError(log, QStringLiteral("Invalid line in file (3)"));
    compareNothingCommitted();
}

void TestZelBCsvParser::emptyLineReportedAndSkipped()
{
    QByteArray file = zelb::header() + oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00") + "\r\n"
                      + oneGroupLine("2016-10-24", "09:36:57", "U1", "2.0E+00") + "\n"
                      + oneGroupLine("2016-10-24", "09:37:57", "U1", "x");
    file += "\r\n"; // an empty last line
    ReaderLog log;
    const Outcome o = run(file, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 7);
    QVERIFY(log.hasConsole(QStringLiteral("Empty line in file (3)"), 2));
    QVERIFY(log.hasConsole(QStringLiteral("Empty line in file (5)"), 2));
    QVERIFY(log.hasConsole(QStringLiteral("Empty line in file (7)"), 2));
    QCOMPARE(testdb::data(m_db).size(), 3);
}

void TestZelBCsvParser::blankLineMessagesCapped()
{
    QByteArray file = zelb::header();
    for (int i = 0; i < 10000; ++i)
        file += "\r\n";
    file += oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00");
    ReaderLog log;
    const Outcome o = run(file, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 10002);
    QVector<ReaderLog::Message> warnings;
    for (const auto &m : log.console) {
        if (m.icon == 2)
            warnings.append(m);
    }
    QCOMPARE(warnings.size(), 101);
    QCOMPARE(warnings[0].text, QStringLiteral("Empty line in file (2)"));
    QCOMPARE(warnings[99].text, QStringLiteral("Empty line in file (101)"));
    QCOMPARE(warnings[100].text, QStringLiteral("Empty line in file (9900 more lines like this not listed)"));
    QCOMPARE(log.console.size(), 102);
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parse table data in: ")));
    QCOMPARE(testdb::data(m_db).size(), 1);

    // The limit holds per read: the next read starts counting afresh.
    cleanup();
    init();
    ReaderLog again;
    QVERIFY(run(zelb::header() + "\r\n" + oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00"), &again).parsed);
    QVERIFY(again.hasConsole(QStringLiteral("Empty line in file (2)"), 2));
    QCOMPARE(again.console.size(), 2);
}

void TestZelBCsvParser::lineEnds_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<int>("count");
    QTest::newRow("CR") << QByteArray("\r") << 4;
    QTest::newRow("CR CR LF") << QByteArray("\r\r\n") << 4;
    QTest::newRow("CR CR CR LF") << QByteArray("\r\r\r\n") << 4;
    // Without an LF each CR ends a line: the second one ends an empty line.
    QTest::newRow("CR CR") << QByteArray("\r\r") << 8;
}

void TestZelBCsvParser::lineEnds()
{
    QFETCH(QByteArray, lineEnd);
    QFETCH(int, count);
    QByteArray file = zelb::header() + oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00")
                      + oneGroupLine("2016-10-24", "09:36:57", "U1", "2.0E+00")
                      + oneGroupLine("2016-10-24", "09:37:57", "U1", "3.0E+00");
    file.replace("\r\n", lineEnd);
    ReaderLog log;
    const Outcome o = run(file, &log);
    QVERIFY(o.headerOk);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, count);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[2].value, 3.0);
    QCOMPARE(rows[2].dateTime - rows[0].dateTime, Q_INT64_C(120000));
    QVERIFY(log.dialogs.isEmpty());
}

void TestZelBCsvParser::namesNotUtf8StayDistinct()
{
    // U\xb9 and U\xb2 are Latin-1 superscripts; "U\xc2\xb2" is the UTF-8 form
    // of the second and stays that name.
    const QByteArray file = zelb::header()
                            + zelb::line("2016-10-24", "09:35:57", 1,
                                         {Group{"7500", "U\xb9", "1.0E+00"}, Group{"7502", "U\xb2", "2.0E+00"}})
                            + zelb::line("2016-10-24", "09:36:57", 2, {Group{"7500", "U\xc2\xb2", "3.0E+00"}});
    const Outcome o = run(file);
    QVERIFY(o.parsed);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 2);
    QCOMPARE(params[0].name, QStringLiteral("U\u00b9"));
    QCOMPARE(params[1].name, QStringLiteral("U\u00b2"));
    QCOMPARE(params[1].unit, QStringLiteral("V"));
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].idParameters, 1);
    QCOMPARE(rows[1].idParameters, 2);
    QCOMPARE(rows[2].idParameters, 2);
}

void TestZelBCsvParser::lastLineWithoutTerminator()
{
    QByteArray last = oneGroupLine("2016-10-24", "09:36:57", "U1", "-1.000000E+20");
    last.chop(2);
    const Outcome o = run(zelb::header() + oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00") + last);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 3);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].value, -1e20);
    QCOMPARE(rows[1].flag, 2); // the marker is read without a terminator too
}

void TestZelBCsvParser::lineLengthLimit()
{
    // A line of 1999 bytes, terminator included, is read; one of 2000 is not
    // split into fragments but reported as invalid.
    const QByteArray base = oneGroupLine("2016-10-24", "09:35:57", "U1", "1.5");
    const auto padded = [&](int total) {
        QByteArray l = base;
        const int pad = total - base.size();
        l.replace(",1.5,", "," + QByteArray(pad, ' ') + "1.5,");
        return l;
    };
    QCOMPARE(padded(1999).size(), 1999);
    Outcome o = run(zelb::header() + padded(1999));
    QVERIFY(o.parsed);
    QCOMPARE(testdb::data(m_db).size(), 1);
    QCOMPARE(testdb::data(m_db)[0].value, 1.5);

    cleanup();
    init();
    ReaderLog log;
    o = run(zelb::header() + padded(2000) + base, &log);
    QVERIFY(!o.parsed);
    QCOMPARE(log.lastConsole().text, QStringLiteral("Invalid line in file (2)"));
    QCOMPARE(committed(QStringLiteral("Data")), 0);
}

void TestZelBCsvParser::cancelBeforeFirstLine()
{
    QAtomicInteger<char> flag(1);
    ReaderLog log;
    const Outcome o = run(zelb::header() + oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00"), &log, &flag);
    compareCancelledBeforeFirstLine(o, log);
    QVERIFY(log.dialogs.isEmpty());
    QCOMPARE(committed(QStringLiteral("Data")), 0);
}

void TestZelBCsvParser::cancelDuringRead()
{
    const QString path = m_dir.filePath(QStringLiteral("big.csv"));
    QVERIFY(zelb::writeArchive(path, 2000, 4, QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC)));
    QAtomicInteger<char> flag(0);
    ZelBCsvParser reader(nullptr, &flag);
    // The user cancels once a third of the file is read.
    connect(&reader, &ZelBCsvParser::progressValueChanged, &reader, [&](int v) {
        if (v >= 33)
            flag.storeRelease(1);
    });
    int count = -1;
    QVERIFY(reader.openFile(path));
    QVERIFY(reader.checkHeader());
    QVERIFY(!reader.parseFile(m_db, &count));
    QCOMPARE(count, -1);
    QCOMPARE(testdb::rowCount(m_db, QStringLiteral("Data")), 0);
    QCOMPARE(committed(QStringLiteral("Parameters")), 0);
}

void TestZelBCsvParser::timeStamps_data()
{
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<qint64>("msecs");
    QTest::newRow("fixture") << QByteArray("2016-10-24") << QByteArray("09:35:57") << Q_INT64_C(1477301757000);
    QTest::newRow("gap hour") << QByteArray("2016-03-27") << QByteArray("02:30:00") << Q_INT64_C(1459045800000);
    QTest::newRow("repeated hour") << QByteArray("2016-10-30") << QByteArray("02:30:00")
                                   << Q_INT64_C(1477794600000);
    QTest::newRow("epoch") << QByteArray("1970-01-01") << QByteArray("00:00:00") << Q_INT64_C(0);
    QTest::newRow("leap day") << QByteArray("2024-02-29") << QByteArray("23:59:59") << Q_INT64_C(1709251199000);
}

void TestZelBCsvParser::timeStamps()
{
    QFETCH(QByteArray, date);
    QFETCH(QByteArray, time);
    QFETCH(qint64, msecs);
    QCOMPARE(utc::make(QDate::fromString(QString::fromLatin1(date), QStringLiteral("yyyy-MM-dd")),
                       QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm:ss")))
                 .toMSecsSinceEpoch(),
             msecs);
    const Outcome o = run(zelb::header() + oneGroupLine(date, time, "U1", "1.0E+00"));
    QVERIFY(o.parsed);
    QCOMPARE(testdb::data(m_db).value(0).dateTime, msecs);
}

void TestZelBCsvParser::namesStoredAsWritten_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("unit");
    QTest::newRow("single quote") << QByteArray("U1'") << "V";
    QTest::newRow("place marker") << QByteArray("P%2") << "W";
    QTest::newRow("double quote") << QByteArray("I\"1\"") << "A";
    QTest::newRow("statement") << QByteArray("T'); DROP TABLE Data; --") << QStringLiteral("\u00b0C");
    QTest::newRow("utf-8") << QByteArray("THD \xc5\x81\xc3\xb3" "d\xc5\xba") << "%";
}

void TestZelBCsvParser::namesStoredAsWritten()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, unit);
    const Outcome o = run(zelb::header() + oneGroupLine("2016-10-24", "09:35:57", name, "1.0E+00")
                          + oneGroupLine("2016-10-24", "09:36:57", name, "2.0E+00"));
    QVERIFY(o.parsed);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 1);
    QCOMPARE(params[0].name, QString::fromUtf8(name));
    QCOMPARE(params[0].unit, unit);
    QCOMPARE(testdb::data(m_db).size(), 2);
}

void TestZelBCsvParser::failedInsert()
{
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Data WHEN NEW.value > 1.5 "
                                  "BEGIN SELECT RAISE(ABORT, 'value refused'); END")));
    ReaderLog log;
    const Outcome o = run(zelb::header() + oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00")
                              + oneGroupLine("2016-10-24", "09:36:57", "U1", "2.0E+00"),
                          &log);
    compareRefusedInsert(o, log, QStringLiteral("value refused"));
}

void TestZelBCsvParser::failedCommit()
{
    // A deferred constraint that every Data row violates: only COMMIT fails.
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE owner (id INTEGER PRIMARY KEY)")));
    QVERIFY(q.exec(QStringLiteral(
        "CREATE TABLE trap (x INTEGER REFERENCES owner(id) DEFERRABLE INITIALLY DEFERRED)")));
    QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER spring AFTER INSERT ON Data BEGIN INSERT INTO trap VALUES (7); END")));
    ReaderLog log;
    const Outcome o = run(zelb::header() + oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00"), &log);
    QVERIFY(o.headerOk);
    QVERIFY(!o.parsed);
    QCOMPARE(o.count, -1);
    QVERIFY(log.lastConsole().text.contains(QStringLiteral("FOREIGN KEY"), Qt::CaseInsensitive));
    QCOMPARE(log.lastConsole().icon, 3);
    QCOMPARE(committed(QStringLiteral("Data")), 0);
    QCOMPARE(testdb::rowCount(m_db, QStringLiteral("Data")), 0); // rolled back, not left open
}

void TestZelBCsvParser::progressValues()
{
    const QString path = m_dir.filePath(QStringLiteral("progress.csv"));
    QVERIFY(zelb::writeArchive(path, 500, 3, QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC)));
    ZelBCsvParser reader(nullptr, nullptr);
    ReaderLog log;
    log.attach(&reader);
    int count = 0;
    QVERIFY(reader.openFile(path));
    QVERIFY(reader.checkHeader());
    QVERIFY(reader.parseFile(m_db, &count));
    QCOMPARE(count, 501);
    QVERIFY(log.progress.size() > 50);
    QVERIFY(log.progress.size() <= 101);
    QCOMPARE(log.progress.first(), 0);
    for (int i = 1; i < log.progress.size(); ++i)
        QVERIFY(log.progress[i] >= log.progress[i - 1]);
    // The header's bytes are not counted, so the display is never ended early.
    QVERIFY(log.progress.last() < 100);
    QVERIFY(log.progress.last() >= 90);
}

void TestZelBCsvParser::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("headerOk");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QString>("message");

    const QByteArray h = zelb::header();
    const QByteArray l2 = oneGroupLine("2016-10-24", "09:35:57", "U1", "1.0E+00");
    const QByteArray garbage = binaryGarbage();
    const QString invalidFormat = QStringLiteral("File has invalid format!");

    QTest::newRow("empty file") << QByteArray() << false << false << invalidFormat;
    QTest::newRow("binary garbage") << garbage << false << false << invalidFormat;
    QTest::newRow("binary after header") << QByteArray(h + garbage) << true << false
                                         << QStringLiteral("Invalid line in file (");
    QTest::newRow("header only") << h << true << true << QString();
    QTest::newRow("header without terminator") << h.left(h.size() - 2) << true << true << QString();
    QTest::newRow("100 kB line") << QByteArray(h + QByteArray(100 * 1024, 'a') + "\r\n" + l2) << true << false
                                 << QStringLiteral("Invalid line in file (2)");
    QTest::newRow("100 kB header") << QByteArray(h.trimmed() + QByteArray(100 * 1024, ',') + "\r\n" + l2) << false
                                   << false << invalidFormat;
    QTest::newRow("cut in a line") << QByteArray(h + l2 + l2.left(40)) << true << false
                                   << QStringLiteral("Invalid line in file (3)");
    QTest::newRow("data with semicolons") << QByteArray(h + QByteArray(l2).replace(',', ';')) << true << false
                                          << QStringLiteral("Invalid line in file (2)");
    QTest::newRow("unparseable date") << QByteArray(h + oneGroupLine("2016-13-24", "09:35:57", "U1", "1.0E+00"))
                                      << true << false << QStringLiteral("Invalid line in file (2)");
    QTest::newRow("unparseable time") << QByteArray(h + oneGroupLine("2016-10-24", "9:35:57", "U1", "1.0E+00"))
                                      << true << false << QStringLiteral("Invalid line in file (2)");
    QTest::newRow("date with blank") << QByteArray(h + oneGroupLine(" 2016-10-24", "09:35:57", "U1", "1.0E+00"))
                                     << true << false << QStringLiteral("Invalid line in file (2)");
    QTest::newRow("NUL bytes") << QByteArray(h + QByteArray(300, '\0') + "\r\n") << true << false
                               << QStringLiteral("Invalid line in file (2)");
}

void TestZelBCsvParser::badInput()
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
    if (parsed)
        QCOMPARE(o.count, 1);
    else
        QCOMPARE(o.count, -1);
    compareNothingCommitted();
}

void TestZelBCsvParser::exampleArchives_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("parameters");
    QTest::addColumn<int>("markers");
    QTest::newRow("ZelB") << "zelb_example.csv" << 13 << 16 << 2;
    QTest::newRow("Ostra") << "ostra_example.csv" << 11 << 8 << 0;
    QTest::newRow("Vanta") << "vanta_example.csv" << 11 << 6 << 0;
}

void TestZelBCsvParser::exampleArchives()
{
    QFETCH(QString, file);
    QFETCH(int, lines);
    QFETCH(int, parameters);
    QFETCH(int, markers);
    QFile f(QStringLiteral(QUORLOG_TEST_DATA "/readers/") + file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    compareArchiveRead(run(f.readAll()), lines, lines - 1, parameters, markers);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(committed(QStringLiteral("Data")), (lines - 1) * parameters);
}

// As the open-file worker does it: the archive manager's temporary database
// of the kind "ZelB".
void TestZelBCsvParser::intoTemporaryDatabase()
{
    const auto check = [](QSqlDatabase db, int count) {
        QCOMPARE(count, 13);
        QCOMPARE(testdb::rowCount(db, QStringLiteral("Parameters")), 16);
        QCOMPARE(testdb::rowCount(db, QStringLiteral("Data")), 12 * 16);
    };
    readIntoTemporaryDatabase<ZelBCsvParser>(QStringLiteral("ZelB"),
        QStringLiteral(QUORLOG_TEST_DATA "/readers/zelb_example.csv"), check);
}

void TestZelBCsvParser::unableToOpen()
{
    verifyUnableToOpen<ZelBCsvParser>(m_dir.filePath(QStringLiteral("missing.csv")));
}

// As the open-file worker runs it: the reader on a pool thread, the dialog on
// the GUI thread made with maximum 0; the reader sets 100 before its first value.
void TestZelBCsvParser::progressDialogFromWorker()
{
    const QString path = m_dir.filePath(QStringLiteral("worker.csv"));
    QVERIFY(zelb::writeArchive(path, 3000, 4, QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC)));
    QMainWindow window;
    auto *dialog = new ProgressDialog(0, QStringLiteral("Loading Data"), &window, true);
    QPointer<ProgressDialog> guard(dialog);
    QAtomicInteger<char> flag(0);
    QFutureWatcher<bool> watcher;
    watcher.setFuture(QtConcurrent::run([&]() {
        ZelBCsvParser reader(dialog, &flag);
        QObject::connect(&reader, SIGNAL(progressValueChanged(int)), dialog, SLOT(update(int)));
        int count = 0;
        QSqlDatabase db = Connections::database(QStringLiteral("zelb_test"));
        return reader.openFile(path) && reader.checkHeader() && reader.parseFile(db, &count) && count == 3001;
    }));
    QTRY_VERIFY_WITH_TIMEOUT(watcher.isFinished(), 30000);
    QCoreApplication::processEvents();
    QVERIFY(watcher.result());
    QVERIFY(guard);
    QVERIFY(dialog->progressDialog());
    QCOMPARE(dialog->progressDialog()->maximum(), 100);
    QVERIFY(dialog->progressDialog()->value() >= 90);
    delete dialog;
    QCOMPARE(committed(QStringLiteral("Data")), 3000 * 4);
}

// Damaged copies of a good archive (bytes changed, cut, lines doubled or
// removed): each read either succeeds with every row committed or fails with
// nothing committed, and it never crashes.
void TestZelBCsvParser::mutatedArchivesAllOrNothing()
{
    QFile f(QStringLiteral(QUORLOG_TEST_DATA "/readers/zelb_example.csv"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    QRandomGenerator rng(20161024);
    const char pool[] = {',', ';', '\t', '\r', '\n', ' ', '0', '9', 'E', '-', '.', '\0', '\xff', 'x'};
    int succeeded = 0;
    for (int round = 0; round < 80; ++round) {
        QByteArray bytes = good;
        const int edits = 1 + int(rng.bounded(4));
        for (int e = 0; e < edits; ++e) {
            const int at = int(rng.bounded(bytes.size()));
            switch (rng.bounded(4)) {
            case 0: bytes[at] = pool[rng.bounded(int(sizeof pool))]; break;
            case 1: bytes.truncate(at); break;
            case 2: bytes.insert(at, pool[rng.bounded(int(sizeof pool))]); break;
            default: bytes.remove(at, int(rng.bounded(200))); break;
            }
            if (bytes.isEmpty())
                break;
        }
        cleanup();
        init();
        ReaderLog log;
        const Outcome o = run(bytes, &log);
        const int written = committed(QStringLiteral("Data"));
        if (o.parsed) {
            ++succeeded;
            QCOMPARE(written, testdb::rowCount(m_db, QStringLiteral("Data")));
            QVERIFY(o.count >= 1);
        } else {
            QCOMPARE(written, 0);
            QCOMPARE(committed(QStringLiteral("Parameters")), 0);
            QCOMPARE(o.count, -1);
            QVERIFY(!log.console.isEmpty());
            QCOMPARE(log.console.last().icon, 3);
        }
    }
    QVERIFY(succeeded > 0);
}

void TestZelBCsvParser::messagesTranslatedInReaderContext()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(QUORLOG_BIN_DIR "/qrlg_pl.qm")));
    QCoreApplication::installTranslator(&translator);
    ReaderLog log;
    const Outcome o = run(zelb::header() + "\r\n" + oneGroupLine("2016-10-24", "09:35:57", "U1", "x;y"), &log);
    QCoreApplication::removeTranslator(&translator);
    QVERIFY(o.parsed);
    QVERIFY(log.hasConsole(QStringLiteral("Pusta linia w pliku (2)"), 2));
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Dane tabeli przetworzono w: ")));
}

QUORLOG_TEST_MAIN(TestZelBCsvParser)
#include "tst_zelbcsvparser.moc"
