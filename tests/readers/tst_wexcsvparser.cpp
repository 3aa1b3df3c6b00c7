#include "readers/WexACsvParser.h"
#include "readers/WexBCsvParser.h"
#include "readers/WexCCsvParser.h"

#include "common/Connections.h"
#include "database/ArchiveManager.h"
#include "readers/WexArchiveWriter.h"
#include "support/ReaderTestDb.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"

#include <QHash>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTranslator>

namespace {

enum Variant { A = 6, B = 7, C = 8 }; // the instrument types

using Outcome = ReaderOutcome;

QByteArray uiHeader()
{
    return wex::header({"U", "I"});
}

const QString kInvalidFormat = QStringLiteral("File has invalid format!");

} // namespace

class TestWexCsvParser : public ReaderTestCase
{
    Q_OBJECT
public:
    TestWexCsvParser()
        : ReaderTestCase(QStringLiteral("wex"))
    {
    }

private slots:
    void wexcArchive();
    void wexaArchive();
    void unitForParameter_data();
    void unitForParameter();
    void checkHeader_data();
    void checkHeader();
    void values_data();
    void values();
    void missingValueKeepsPairing();
    void fieldCount_data();
    void fieldCount();
    void extraSeparatorRow_data();
    void extraSeparatorRow();
    void valueUnderBlankName_data();
    void valueUnderBlankName();
    void skippedColumns();
    void sameNameTwice();
    void commaSeparatedArchive();
    void lastLineWithoutTerminator();
    void lfLineEnds();
    void timeStampsAreUtc();
    void cancelBeforeFirstLine();
    void failedInsert();
    void badInput_data();
    void badInput();
    void exampleArchives_data();
    void exampleArchives();
    void intoTemporaryDatabase();
    void unableToOpen();
    void messagesTranslatedInReaderContext();

private:
    Outcome run(int variant, const QByteArray &bytes, ReaderLog *log = nullptr,
                QAtomicInteger<char> *cancel = nullptr);
};

Outcome TestWexCsvParser::run(int variant, const QByteArray &bytes, ReaderLog *log, QAtomicInteger<char> *cancel)
{
    const QString path = writeInput(QStringLiteral("d00"), bytes);
    switch (variant) {
    case A: return runReader<WexACsvParser>(path, m_db, log, cancel);
    case B: return runReader<WexBCsvParser>(path, m_db, log, cancel);
    default: return runReader<WexCCsvParser>(path, m_db, log, cancel);
    }
}

void TestWexCsvParser::wexcArchive()
{
    const QList<QByteArray> names = wex::namesC();
    ReaderLog log;
    const Outcome o = run(C, wex::archive(names, 5), &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 7); // header, empty line, five rows

    const char *const units[] = {"V", "A", "W", "V", "A", "s", "GG,MM", "Ah", "W", "V", "A", "\u00b0C", ""};
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 13);
    for (int k = 0; k < 13; ++k) {
        QCOMPARE(params[k].id, k + 1);
        QCOMPARE(params[k].name, QString::fromUtf8(names[k]));
        QCOMPARE(params[k].unit, QString::fromUtf8(units[k]));
    }
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 5 * 13);
    for (int r = 0; r < 5; ++r) {
        for (int k = 0; k < 13; ++k) {
            const auto &row = rows[r * 13 + k];
            QCOMPARE(row.idParameters, k + 1);
            QCOMPARE(row.value, (r + 1) * 1.5 + k);
            QCOMPARE(row.flag, 0);
            QCOMPARE(row.dateTime, Q_INT64_C(1512345600000) + r * Q_INT64_C(3600000)); // 2017-12-04 00:00 UTC
        }
    }
    QVERIFY(log.hasConsole(QStringLiteral("Empty line in file (2)"), 2));
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parse table data in: ")));
    QVERIFY(log.dialogs.isEmpty());
    QCOMPARE(committed(QStringLiteral("Data")), 65);
}

// A WexA archive with the "R8000" column; its rows span the spring-forward
// hour of Warsaw, read as UTC.
void TestWexCsvParser::wexaArchive()
{
    QFile f(QStringLiteral(QUORLOG_TEST_DATA "/readers/wexa_r8000.d00"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const Outcome o = run(A, f.readAll());
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 8);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 5);
    const char *const names[] = {"U1", "I1", "R8000", "PF", "T"};
    const char *const units[] = {"V", "A", "", "", "\u00b0C"};
    for (int k = 0; k < 5; ++k) {
        QCOMPARE(params[k].name, QString::fromUtf8(names[k]));
        QCOMPARE(params[k].unit, QString::fromUtf8(units[k]));
    }
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 30);
    QCOMPARE(rows[0].value, 229.5);
    QCOMPARE(rows[2].value, 8000.0);
    QCOMPARE(rows[16].value, -1e20); // I1 at 03:00
    QCOMPARE(rows[16].flag, 2);
    QCOMPARE(rows[10].dateTime - rows[5].dateTime, Q_INT64_C(3600000));
    QCOMPARE(rows[10].dateTime, Q_INT64_C(1553997600000)); // 2019-03-31 02:00 UTC
}

void TestWexCsvParser::unitForParameter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unitA");
    QTest::addColumn<QString>("unitB");
    const QString deg = QStringLiteral("\u00b0C");
    QTest::newRow("U") << "U" << "V" << "V";
    QTest::newRow("UAV") << "UAV" << "V" << "V";
    QTest::newRow("I") << "I" << "A" << "A";
    QTest::newRow("IDM") << "IDM" << "A" << "A";
    QTest::newRow("PF") << "PF" << "" << "W";
    QTest::newRow("PAV") << "PAV" << "W" << "W";
    QTest::newRow("Q") << "Q" << "var" << "var";
    QTest::newRow("SDM") << "SDM" << "VA" << "VA";
    QTest::newRow("THD U") << "THD U" << "%" << "%";
    QTest::newRow("Temper.") << "Temper." << deg << deg;
    QTest::newRow("f") << "f" << "Hz" << "Hz";
    QTest::newRow("F") << "F" << "Hz" << "Hz";
    QTest::newRow("EnP") << "EnP+" << "kWh" << "kWh";
    QTest::newRow("EnQ") << "EnQ" << "kvarh" << "kvarh";
    QTest::newRow("EnS") << "EnS" << "kVAh" << "kVAh";
    QTest::newRow("dU") << "dU" << "" << "V";
    QTest::newRow("dI") << "dI" << "" << "A";
    QTest::newRow("t  s") << "t  s" << "" << "s";
    QTest::newRow("t s one space") << "t s" << "" << "";
    QTest::newRow("t GG,MM") << "t GG,MM" << "" << "GG,MM";
    QTest::newRow("C  Ah") << "C  Ah" << "" << "Ah";
    QTest::newRow("tg") << "tg" << "" << "";
    QTest::newRow("cos") << "cos" << "" << "";
    QTest::newRow("2-ga war") << "2-ga war" << "" << "";
    QTest::newRow("lower u") << "u" << "" << "";
    QTest::newRow("empty") << "" << "" << "";
}

void TestWexCsvParser::unitForParameter()
{
    QFETCH(QString, name);
    QFETCH(QString, unitA);
    QFETCH(QString, unitB);
    QCOMPARE(WexACsvParser::unitForParameter(name), unitA);
    QCOMPARE(WexBCsvParser::unitForParameter(name), unitB);
    QCOMPARE(WexCCsvParser::unitForParameter(name), unitB);
}

void TestWexCsvParser::checkHeader_data()
{
    QTest::addColumn<QByteArray>("headerLine");
    QTest::addColumn<bool>("okA");
    QTest::addColumn<bool>("okB");
    QTest::addColumn<bool>("okC");
    QTest::addColumn<char>("separator"); // of WexA and WexB when they accept

    const QByteArray b = wex::header(wex::namesB());
    QTest::newRow("WexB instrument header") << b << false << true << true << '\t';
    QTest::newRow("comma inside a name") << wex::header(wex::namesC()) << false << false << true << ',';
    QTest::newRow("one name: four fields") << wex::header({"U"}) << true << true << true << '\t';
    QTest::newRow("three fields") << QByteArray("date\ttime\t\tU\r\n") << false << true << true << '\t';
    QTest::newRow("R8000 fifth") << QByteArray("date\ttime\t\tU\tI\tR8000\t \r\n") << true << true << true << '\t';
    QTest::newRow("R8000 padded") << QByteArray("date\ttime\t\tU\tI\t R8000\t \r\n") << false << true << true << '\t';
    QTest::newRow("R8000 fourth") << QByteArray("date\ttime\t\tU\tR8000\tI\t \r\n") << false << true << true << '\t';
    QTest::newRow("comma") << QByteArray("date,time,,U, \r\n") << true << true << false << ',';
    QTest::newRow("comma, two names") << QByteArray("date,time,,U,I, \r\n") << false << true << false << ',';
    QTest::newRow("semicolon") << QByteArray("date;time;;U; \r\n") << true << true << false << ';';
    QTest::newRow("comma wins over TAB") << QByteArray("date\ttime\t\tU,V\t \r\n") << false << false << true << ',';
    QTest::newRow("semicolon wins over TAB") << QByteArray("date\ttime\t\tU;V\t \r\n") << false << false << true
                                             << ';';
    QTest::newRow("no separator") << QByteArray("date time U I V\r\n") << false << false << false << '\t';
    QTest::newRow("10 bytes") << QByteArray("date\ttime\n") << false << false << false << '\t';
    QTest::newRow("11 bytes") << QByteArray("date\ttime\tU") << false << true << true << '\t';
    QTest::newRow("two fields") << QByteArray("date\ttime\t\t\t\r\n") << false << false << false << '\t';
    QTest::newRow("padded date") << QByteArray(" date\ttime\t\tU\t \r\n") << false << false << false << '\t';
    QTest::newRow("case counts") << QByteArray("Date\ttime\t\tU\t \r\n") << false << false << false << '\t';
    QTest::newRow("4999 bytes") << QByteArray("date\ttime\t\tU" + QByteArray(4999 - 14, ' ') + "\r\n") << false << true
                                << true << '\t';
    QTest::newRow("5000 bytes") << QByteArray("date\ttime\t\tU" + QByteArray(5000 - 14, ' ') + "\r\n") << false
                                << false << false << '\t';
    QTest::newRow("empty file") << QByteArray() << false << false << false << '\t';
}

void TestWexCsvParser::checkHeader()
{
    QFETCH(QByteArray, headerLine);
    QFETCH(bool, okA);
    QFETCH(bool, okB);
    QFETCH(bool, okC);
    QFETCH(char, separator);
    const struct
    {
        int variant;
        bool ok;
    } cases[] = {{A, okA}, {B, okB}, {C, okC}};
    for (const auto &c : cases) {
        cleanup();
        init();
        ReaderLog log;
        const Outcome o = run(c.variant, headerLine, &log);
        QVERIFY(o.opened);
        QVERIFY2(o.headerOk == c.ok, qPrintable(QStringLiteral("type %1").arg(c.variant)));
        if (c.ok) {
            QCOMPARE(o.separator, c.variant == C ? '\t' : separator);
            // Rewound: the header is read again, not taken as a row.
            QVERIFY(o.parsed);
            QCOMPARE(o.count, 1);
            QCOMPARE(testdb::rowCount(m_db, QStringLiteral("Data")), 0);
        } else {
            compareSingleError(log, kInvalidFormat);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

void TestWexCsvParser::values_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("flag");
    QTest::newRow("-1e+20 marker") << QByteArray("-1e+20") << -1e20 << 2;
    QTest::newRow("1e+20 marker") << QByteArray("1e+20") << 1e20 << 2;
    QTest::newRow("marker, comma form") << QByteArray("-1,000000e+20") << -1e20 << 2;
    QTest::newRow("-1e+19 is a value") << QByteArray("-1e+19") << -1e19 << 0;
    QTest::newRow("1e+19 is a value") << QByteArray("1,0e+19") << 1e19 << 0;
    QTest::newRow("decimal comma, all digits") << QByteArray("1,045318e+02") << 104.5318 << 0;
    QTest::newRow("small negative") << QByteArray("-1,149271e-03") << -1.149271e-03 << 0;
    QTest::newRow("zero") << QByteArray("0e+00") << 0.0 << 0;
    QTest::newRow("decimal point") << QByteArray("3.884297e+04") << 3.884297e+04 << 0;
    QTest::newRow("blanks around") << QByteArray("  2,5 ") << 2.5 << 0;
    QTest::newRow("garbage is no value") << QByteArray("abc") << 0.0 << 2;
    QTest::newRow("half a number is no value") << QByteArray("2,5x") << 0.0 << 2;
    QTest::newRow("blanks only are no value") << QByteArray("   ") << 0.0 << 2;
}

void TestWexCsvParser::values()
{
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    QFETCH(int, flag);
    // The value under test stands first; the one after it must stay with I.
    const Outcome o = run(C, uiHeader() + "\r\n" + wex::row("2017-12-04", "10:00:00", {text, "7,0e+00"}));
    QVERIFY(o.parsed);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].idParameters, 1);
    QCOMPARE(rows[0].value, value);
    QCOMPARE(rows[0].flag, flag);
    QCOMPARE(rows[1].idParameters, 2);
    QCOMPARE(rows[1].value, 7.0);
    QCOMPARE(rows[1].flag, 0);
}

void TestWexCsvParser::missingValueKeepsPairing()
{
    const QByteArray file = wex::header({"U", "I", "P", "Q"}) + "\r\n"
                            + wex::row("2017-12-04", "10:00:00", {"1,0e+00", "", "3,0e+00", "4,0e+00"})
                            + wex::row("2017-12-04", "11:00:00", {"", "", "", "8,0e+00"});
    const Outcome o = run(B, file);
    QVERIFY(o.parsed);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 4);
    QCOMPARE(params[2].unit, QStringLiteral("W"));
    QCOMPARE(params[3].unit, QStringLiteral("var"));
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 8);
    const int flags[] = {0, 2, 0, 0, 2, 2, 2, 0};
    const double values[] = {1, 0, 3, 4, 0, 0, 0, 8};
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(rows[i].idParameters, i % 4 + 1);
        QCOMPARE(rows[i].flag, flags[i]);
        QCOMPARE(rows[i].value, values[i]);
    }
}

void TestWexCsvParser::fieldCount_data()
{
    // The header "date, time, U, I, ' '" has H = 5 fields.
    QTest::addColumn<QList<QByteArray>>("values");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<int>("dataRows");
    QTest::newRow("fewer values") << QList<QByteArray>{"1,0e+00"} << true << 1;
    QTest::newRow("one per name") << QList<QByteArray>{"1,0e+00", "2,0e+00"} << true << 2;
    // The third value stands under the blank last column: the row has slipped.
    QTest::newRow("H fields") << QList<QByteArray>{"1,0e+00", "2,0e+00", "3,0e+00"} << false << 0;
    QTest::newRow("H+1 fields") << QList<QByteArray>{"1,0e+00", "2,0e+00", "3,0e+00", "4,0e+00"} << false << 0;
    QTest::newRow("no values") << QList<QByteArray>{} << true << 0;
}

void TestWexCsvParser::fieldCount()
{
    QFETCH(QList<QByteArray>, values);
    QFETCH(bool, parsed);
    QFETCH(int, dataRows);
    ReaderLog log;
    const QByteArray file = uiHeader() + "\r\n" + wex::row("2017-12-04", "10:00:00", values)
                            + wex::row("2017-12-04", "11:00:00", {"5,0e+00"});
    const Outcome o = run(C, file, &log);
    QCOMPARE(o.parsed, parsed);
    if (parsed) {
        QCOMPARE(o.count, 4);
        QCOMPARE(testdb::data(m_db).size(), dataRows + 1);
        QVERIFY(log.dialogs.isEmpty());
    } else {
        QCOMPARE(o.count, -1);
        compareLastError(log, QStringLiteral("Invalid line in file (3)"));
        QCOMPARE(committed(QStringLiteral("Data")), 0);
    }
}

void TestWexCsvParser::extraSeparatorRow_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<bool>("parsed");
    // The header "date time <empty> U I P" has no column after P.
    QTest::newRow("I missing, as wide as the header") << QByteArray("2017-12-04\t00:00:00\t\t230\t\t5\r\n") << true;
    QTest::newRow("one separator too many") << QByteArray("2017-12-04\t00:00:00\t\t230\t\t5\t1100\r\n") << false;
    QTest::newRow("one value too many") << QByteArray("2017-12-04\t00:00:00\t\t230\t1\t5\t1100\r\n") << false;
}

void TestWexCsvParser::extraSeparatorRow()
{
    QFETCH(QByteArray, row);
    QFETCH(bool, parsed);
    const QByteArray file = "date\ttime\t\tU\tI\tP\r\n\r\n" + row;
    for (int variant : {B, C}) {
        cleanup();
        init();
        ReaderLog log;
        const Outcome o = run(variant, file, &log);
        QVERIFY(o.headerOk);
        QCOMPARE(o.parsed, parsed);
        if (!parsed) {
            compareLastError(log, QStringLiteral("Invalid line in file (3)"));
            compareNothingCommitted();
            continue;
        }
        const auto rows = testdb::data(m_db);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].value, 230.0);
        QCOMPARE(rows[1].idParameters, 2);
        QCOMPARE(rows[1].flag, 2);
        QCOMPARE(rows[2].idParameters, 3);
        QCOMPARE(rows[2].value, 5.0);
    }
}

void TestWexCsvParser::valueUnderBlankName_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QStringList>("values"); // "name=value" per Data row; empty: the file is refused
    const QByteArray blankLast = "date\ttime\t\tU\tI\tP\t \r\n";
    const QByteArray blankInside = "date\ttime\t\tU\t \tP\t \r\n";
    // One separator too many moves every later value onto the next name; the
    // last one lands under the blank column.
    QTest::newRow("one separator too many") << blankLast << QByteArray("2017-12-04\t00:00:00\t\t2,3e+02\t\t5,0e+00\t1,1e+03\r\n")
                                            << QStringList();
    QTest::newRow("value under a blank inside") << blankInside << QByteArray("2017-12-04\t00:00:00\t\t1\t2\t3\r\n")
                                                << QStringList();
    QTest::newRow("blank under a blank inside") << blankInside
                                                << QByteArray("2017-12-04\t00:00:00\t\t1\t \t3\r\n")
                                                << QStringList{"U=1", "P=3"};
    QTest::newRow("nothing under the blank last") << blankLast << QByteArray("2017-12-04\t00:00:00\t\t1\t2\t3\r\n")
                                                  << QStringList{"U=1", "I=2", "P=3"};
    QTest::newRow("blank under the blank last") << blankLast
                                                << QByteArray("2017-12-04\t00:00:00\t\t1\t2\t3\t \r\n")
                                                << QStringList{"U=1", "I=2", "P=3"};
}

// A value under a column without a name means the row has slipped against
// the header: the file is refused naming the line, as a row wider than the
// header is.
void TestWexCsvParser::valueUnderBlankName()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, row);
    QFETCH(QStringList, values);
    for (int variant : {B, C}) {
        cleanup();
        init();
        ReaderLog log;
        const Outcome o = run(variant, header + "\r\n" + row, &log);
        QVERIFY(o.headerOk);
        QCOMPARE(o.parsed, !values.isEmpty());
        if (values.isEmpty()) {
            compareLastError(log, QStringLiteral("Invalid line in file (3)"));
            compareNothingCommitted();
            continue;
        }
        QHash<int, QString> names;
        for (const auto &p : testdb::parameters(m_db))
            names.insert(p.id, p.name);
        QStringList got;
        for (const auto &d : testdb::data(m_db))
            got << names.value(d.idParameters) + QLatin1Char('=') + QString::number(d.value);
        QCOMPARE(got, values);
    }
}

void TestWexCsvParser::skippedColumns()
{
    const QByteArray file = wex::header({"Off", "", "U", " Off"}) + "\r\n"
                            + wex::row("2017-12-04", "10:00:00", {"1,0e+00", "", "3,0e+00", "4,0e+00"});
    const Outcome o = run(B, file);
    QVERIFY(o.parsed);
    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 1);
    QCOMPARE(params[0].name, QStringLiteral("U"));
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].value, 3.0);
}

void TestWexCsvParser::sameNameTwice()
{
    const QByteArray file = wex::header({"U", "I", "U"}) + "\r\n"
                            + wex::row("2017-12-04", "10:00:00", {"1,0e+00", "2,0e+00", "3,0e+00"});
    const Outcome o = run(C, file);
    QVERIFY(o.parsed);
    QCOMPARE(testdb::parameters(m_db).size(), 2);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[2].idParameters, 1);
    QCOMPARE(rows[2].value, 3.0);
}

void TestWexCsvParser::commaSeparatedArchive()
{
    const QByteArray file = wex::header({"U", "I"}, ',') + "\r\n"
                            + wex::row("2017-12-04", "10:00:00", {"2.3e+02", "1.5e+00"}, ',');
    for (int variant : {A, B}) {
        cleanup();
        init();
        const Outcome o = run(variant, variant == A ? wex::header({"U"}, ',') + "\r\n"
                                                          + wex::row("2017-12-04", "10:00:00", {"2.3e+02"}, ',')
                                                    : file);
        QVERIFY(o.parsed);
        QCOMPARE(o.separator, ',');
        const auto rows = testdb::data(m_db);
        QCOMPARE(rows.size(), variant == A ? 1 : 2);
        QCOMPARE(rows[0].value, 230.0);
    }
}

void TestWexCsvParser::lastLineWithoutTerminator()
{
    QByteArray last = wex::row("2017-12-04", "11:00:00", {"-1e+20", "2,0e+00"});
    last.chop(2);
    const Outcome o = run(C, uiHeader() + "\r\n" + wex::row("2017-12-04", "10:00:00", {"1,0e+00", "2,0e+00"}) + last);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 4);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[2].value, -1e20);
    QCOMPARE(rows[2].flag, 2);
    QCOMPARE(rows[3].value, 2.0);
}

void TestWexCsvParser::lfLineEnds()
{
    QByteArray file = wex::archive(wex::namesB(), 4);
    file.replace("\r\n", "\n");
    for (int variant : {B, C}) {
        cleanup();
        init();
        ReaderLog log;
        const Outcome o = run(variant, file, &log);
        QVERIFY(o.parsed);
        QCOMPARE(o.count, 6);
        QCOMPARE(testdb::parameters(m_db).size(), 16);
        const auto rows = testdb::data(m_db);
        QCOMPARE(rows.size(), 4 * 16);
        QCOMPARE(rows.last().value, 4 * 1.5 + 15);
        QVERIFY(log.hasConsole(QStringLiteral("Empty line in file (2)"), 2));
    }
}

void TestWexCsvParser::timeStampsAreUtc()
{
    // 02:30 on the spring-forward day does not exist in Warsaw; the archive's
    // wall clock is read as UTC all the same.
    const Outcome o = run(C, uiHeader() + "\r\n" + wex::row("2016-03-27", "02:30:00", {"1,0e+00"})
                                 + wex::row("2016-10-24", "09:35:57", {"1,0e+00"}));
    QVERIFY(o.parsed);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows[0].dateTime, Q_INT64_C(1459045800000));
    QCOMPARE(rows[1].dateTime, Q_INT64_C(1477301757000));
}

void TestWexCsvParser::cancelBeforeFirstLine()
{
    QAtomicInteger<char> flag(1);
    ReaderLog log;
    const Outcome o = run(C, wex::archive(wex::namesC(), 3), &log, &flag);
    compareCancelledBeforeFirstLine(o, log);
}

void TestWexCsvParser::failedInsert()
{
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Data WHEN NEW.value > 1.5 "
                                  "BEGIN SELECT RAISE(ABORT, 'value refused'); END")));
    ReaderLog log;
    const Outcome o = run(B, uiHeader() + "\r\n" + wex::row("2017-12-04", "10:00:00", {"1,0e+00", "2,0e+00"}), &log);
    compareRefusedInsert(o, log, QStringLiteral("value refused"));
}

void TestWexCsvParser::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("headerOk");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QString>("message");

    const QByteArray h = uiHeader() + "\r\n";
    const QByteArray r = wex::row("2017-12-04", "10:00:00", {"1,0e+00", "2,0e+00"});
    const QByteArray garbage = binaryGarbage();

    QTest::newRow("empty file") << QByteArray() << false << false << kInvalidFormat;
    QTest::newRow("binary garbage") << garbage << false << false << kInvalidFormat;
    QTest::newRow("binary after header") << QByteArray(h + garbage) << true << false
                                         << QStringLiteral("Invalid line in file (");
    QTest::newRow("header only") << uiHeader() << true << true << QString();
    QTest::newRow("100 kB line") << QByteArray(h + QByteArray(100 * 1024, '1') + "\r\n" + r) << true << false
                                 << QStringLiteral("Invalid line in file (3)");
    QTest::newRow("100 kB header") << QByteArray("date\ttime\t\tU" + QByteArray(100 * 1024, '\t') + "\r\n" + r)
                                   << false << false << kInvalidFormat;
    QTest::newRow("cut in the time") << QByteArray(h + r + r.left(15)) << true << false
                                     << QStringLiteral("Invalid line in file (4)");
    QTest::newRow("row with semicolons") << QByteArray(h + QByteArray(r).replace('\t', ';')) << true << false
                                         << QStringLiteral("Invalid line in file (3)");
    QTest::newRow("unparseable date") << QByteArray(h + wex::row("2017-13-04", "10:00:00", {"1,0e+00"})) << true
                                      << false << QStringLiteral("Invalid line in file (3)");
    QTest::newRow("unparseable time") << QByteArray(h + wex::row("2017-12-04", "1:00:00", {"1,0e+00"})) << true
                                      << false << QStringLiteral("Invalid line in file (3)");
    QTest::newRow("single word") << QByteArray(h + "garbage\r\n") << true << false
                                 << QStringLiteral("Invalid line in file (3)");
    QTest::newRow("NUL bytes") << QByteArray(h + QByteArray(300, '\0') + "\r\n") << true << false
                               << QStringLiteral("Invalid line in file (3)");
}

void TestWexCsvParser::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, headerOk);
    QFETCH(bool, parsed);
    QFETCH(QString, message);
    for (int variant : {A, B, C}) {
        cleanup();
        init();
        ReaderLog log;
        const Outcome o = run(variant, bytes, &log);
        QVERIFY(o.opened);
        // The test header has one name more than a WexA header allows.
        const bool expectHeader = headerOk && variant != A;
        QCOMPARE(o.headerOk, expectHeader);
        if (!expectHeader && headerOk)
            continue;
        QCOMPARE(o.parsed, parsed);
        if (!message.isEmpty()) {
            compareLastErrorStartsWith(log, message);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(o.count, parsed ? 1 : -1);
        compareNothingCommitted();
        if (QTest::currentTestFailed())
            return;
    }
}

void TestWexCsvParser::exampleArchives_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("parameters");
    QTest::addColumn<int>("markers");
    QTest::newRow("WexB") << ":/examples/_resources/examples/WexB/2018_02.d00" << int(B) << 50 << 16 << 1;
    QTest::newRow("WexC") << ":/examples/_resources/examples/WexC/2017_12.d00" << int(C) << 38 << 13 << 1;
}

void TestWexCsvParser::exampleArchives()
{
    QFETCH(QString, file);
    QFETCH(int, variant);
    QFETCH(int, lines);
    QFETCH(int, parameters);
    QFETCH(int, markers);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ReaderLog log;
    const Outcome o = run(variant, bytes, &log);
    compareArchiveRead(o, lines, lines - 2, parameters, markers);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(log.hasConsole(QStringLiteral("Empty line in file (2)"), 2));
    if (variant == C) {
        // The comma in "t GG,MM" makes the searching readers split at commas.
        for (int other : {A, B}) {
            cleanup();
            init();
            QVERIFY(!run(other, bytes).headerOk);
        }
    }
}

// As the open-file worker does it: the archive manager's temporary database
// of the kind "WexA", for all three types.
void TestWexCsvParser::intoTemporaryDatabase()
{
    const auto check = [](QSqlDatabase db, int count) {
        QCOMPARE(count, 50);
        QCOMPARE(testdb::rowCount(db, QStringLiteral("Parameters")), 16);
        QCOMPARE(testdb::rowCount(db, QStringLiteral("Data")), 48 * 16);
    };
    readIntoTemporaryDatabase<WexBCsvParser>(QStringLiteral("WexA"),
        QStringLiteral(":/examples/_resources/examples/WexB/2018_02.d00"), check);
}

void TestWexCsvParser::unableToOpen()
{
    verifyUnableToOpen<WexACsvParser>(m_dir.filePath(QStringLiteral("missing.d00")));
}

void TestWexCsvParser::messagesTranslatedInReaderContext()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(QUORLOG_BIN_DIR "/qrlg_pl.qm")));
    QCoreApplication::installTranslator(&translator);
    ReaderLog log;
    const Outcome o = run(C, wex::archive({"U"}, 1), &log);
    ReaderLog bad;
    run(B, QByteArray("no header here\r\n"), &bad);
    QCoreApplication::removeTranslator(&translator);
    QVERIFY(o.parsed);
    QVERIFY(log.hasConsole(QStringLiteral("Pusta linia w pliku (2)"), 2));
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Dane tabeli przetworzono w: ")));
    QCOMPARE(bad.lastConsole().text, QStringLiteral("Plik ma nieprawidłowy format!"));
}

QUORLOG_TEST_MAIN(TestWexCsvParser)
#include "tst_wexcsvparser.moc"
