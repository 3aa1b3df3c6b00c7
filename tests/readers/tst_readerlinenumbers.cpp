// Every reader names a line of the file as a text editor numbers it: the
// first line of the file is line 1, header lines included.
#include "app/Framework.h"
#include "readers/FileWorkerStrategy.h"
#include "readers/MoxBTotalizerParser.h"
#include "readers/QuilACsvParser.h"
#include "readers/QuilArchiveWriter.h"
#include "readers/QuilxCsvParser.h"
#include "readers/WexACsvParser.h"
#include "readers/WexBCsvParser.h"
#include "readers/WexCCsvParser.h"
#include "readers/ZelACsvParser.h"
#include "readers/ZelBCsvParser.h"
#include "readers/ZelCAlarmParser.h"
#include "readers/ZelCAuditParser.h"
#include "readers/ZelCDipSwellParser.h"
#include "readers/moxbauditparser.h"
#include "readers/moxbdatabasecsvsetting.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"

namespace {

enum class Kind {
    ZelB,
    ZelA,
    WexA,
    WexB,
    WexC,
    QuilA,
    QuilSteps,
    ZelCAudit,
    ZelCAlarm,
    ZelCDipSwell,
    MoxBTotalizer,
    MoxBEventLog,
    MoxBSettings,
};

// "icon:text" of each console line.
QStringList consoleLines(const QVector<ReaderLog::Message> &console)
{
    QStringList lines;
    for (const ReaderLog::Message &m : console)
        lines << QString::number(m.icon) + QLatin1Char(':') + m.text;
    return lines;
}

// Reads path with a reader that takes an event code and has no header check.
template <class Reader>
QStringList readCoded(const QString &path, QSqlDatabase db, int code)
{
    QAtomicInteger<char> flag(0);
    Reader reader(nullptr, &flag);
    ReaderLog log;
    log.attach(&reader);
    int count = 0;
    if (reader.openFile(path))
        reader.parseFile(db, &count, code);
    return consoleLines(log.console);
}

template <class Reader>
QStringList readChecked(const QString &path, QSqlDatabase db)
{
    ReaderLog log;
    runReader<Reader>(path, db, &log);
    return consoleLines(log.console);
}

// The step-driven reader as its tests place it: past the "#" line, so that
// the column line is taken as such.
QStringList readSteps(const QString &path, QSqlDatabase db)
{
    QAtomicInteger<char> flag(0);
    QuilxCsvParser reader(nullptr, &flag, nullptr);
    QStringList lines;
    QObject::connect(&reader, qOverload<QString, int>(&Parser::consoleMessage), &reader,
                     [&lines](QString msg, int icon) { lines << QString::number(icon) + QLatin1Char(':') + msg; });
    if (!reader.openFile(path))
        return lines;
    reader.setDatabase(db, nullptr, nullptr, Framework::SessionInfo());
    if (reader.checkHeader() && reader.skipLines(1))
        runParserSteps(&reader);
    return lines;
}

const QByteArray kZelBHeader = "date,time,record index,block,register1,name1,value1\r\n";
const QByteArray kZelBLine = "2016-10-24,09:35:57,0000000001,1,7500,U1,2.223563E+02\r\n";
const QByteArray kWexHeader = "date\ttime\t\tU\t \r\n";
const QByteArray kWexRow = "2017-12-04\t00:00:00\t\t1,0e+00\r\n";
const QByteArray kTabEvent = "2022-04-24\t02:07:28\tAlarm 1\r\n";

} // namespace

class TestReaderLineNumbers : public ReaderTestCase
{
    Q_OBJECT
public:
    TestReaderLineNumbers()
        : ReaderTestCase(QStringLiteral("linenumbers"))
    {
    }

private slots:
    void badLineNamed_data();
    void badLineNamed();
};

void TestReaderLineNumbers::badLineNamed_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line"); // "icon:text" of the console line that names it

    QTest::newRow("ZelB, wrong field count on line 3")
        << int(Kind::ZelB) << QByteArray(kZelBHeader + kZelBLine + "2016-10-24,09:35:58,1\r\n" + kZelBLine)
        << "3:Invalid line in file (3)";
    QTest::newRow("ZelB, empty line 3") << int(Kind::ZelB) << QByteArray(kZelBHeader + kZelBLine + "\r\n" + kZelBLine)
                                        << "2:Empty line in file (3)";
    // No header: the first record is line 1.
    QTest::newRow("ZelA, wrong field count on line 2")
        << int(Kind::ZelA) << QByteArray("1,2016-10-24 09:35,2.2E+02 W\r\n1,2016-10-24 09:36\r\n")
        << "3:Invalid line in file (2)";
    const QByteArray wex = kWexHeader + "\r\n" + kWexRow + "2017-12-04\t00:01:00\t\t1\t2\t3\r\n";
    QTest::newRow("WexA, too wide on line 4") << int(Kind::WexA) << wex << "3:Invalid line in file (4)";
    QTest::newRow("WexB, too wide on line 4") << int(Kind::WexB) << wex << "3:Invalid line in file (4)";
    QTest::newRow("WexC, too wide on line 4") << int(Kind::WexC) << wex << "3:Invalid line in file (4)";
    QTest::newRow("WexB, empty line 2") << int(Kind::WexB) << wex << "2:Empty line in file (2)";
    // Header line, column line, one row, then the faulty one.
    const QByteArray quil = quil::headerLine() + quil::columnLine(quil::channels()) + "\r\n"
                            + quil::row(1, "2015-09-01", "00:00:00", {"1", "2", "3", "4"})
                            + quil::row(2, "2015-09-01", "00:30:00", {"1", "2", "3", "4", "5"});
    QTest::newRow("QuilA, skipped on line 5") << int(Kind::QuilA) << quil << "2:Line skipped, wrong number of values (5)";
    const QByteArray steps = quil::headerLine() + quil::columnLine(quil::channels())
                             + quil::row(1, "2015-09-01", "00:00:00", {"1", "2", "3", "4"})
                             + quil::row(2, "2015-09-01", "00:30:00", {"1", "2", "3", "4", "5"});
    QTest::newRow("step-driven Quil, too wide on line 4") << int(Kind::QuilSteps) << steps << "3:Invalid line in file (4)";
    // The tab-separated logs have no header line.
    const QByteArray tab = kTabEvent + "garbage\r\n" + kTabEvent;
    QTest::newRow("ZelC audit log, line 2") << int(Kind::ZelCAudit) << tab << "2:Line skipped, wrong number of fields (2)";
    QTest::newRow("ZelC alarm log, line 2") << int(Kind::ZelCAlarm) << tab << "2:Line skipped, wrong number of fields (2)";
    QTest::newRow("ZelC dip and swell log, line 2")
        << int(Kind::ZelCDipSwell) << QByteArray("2022-04-24\t02:07:28.125\tDip\r\n2022-04-24\t02:07:29\tDip\r\n")
        << "2:Line skipped, invalid date or time (2)";
    QTest::newRow("MoxB totalizer log, line 2") << int(Kind::MoxBTotalizer) << tab
                                                << "2:Line skipped, wrong number of fields (2)";
    QTest::newRow("MoxB event log, line 3") << int(Kind::MoxBEventLog) << QByteArray("Date,Time,Event\r\nd,t,e\r\nd,t\r\n")
                                            << "2:Skipping line (not exactly 3 parts): 3";
    QTest::newRow("MoxB settings, line 4") << int(Kind::MoxBSettings) << QByteArray("A\nx,y\n1,2\n1,2,3\n")
                                           << "3:Invalid line in file (4)";
}

void TestReaderLineNumbers::badLineNamed()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    const QString path = writeInput(QStringLiteral("txt"), bytes);
    QStringList console;
    switch (Kind(kind)) {
    case Kind::ZelB: console = readChecked<ZelBCsvParser>(path, m_db); break;
    case Kind::ZelA: console = readChecked<ZelACsvParser>(path, m_db); break;
    case Kind::WexA: console = readChecked<WexACsvParser>(path, m_db); break;
    case Kind::WexB: console = readChecked<WexBCsvParser>(path, m_db); break;
    case Kind::WexC: console = readChecked<WexCCsvParser>(path, m_db); break;
    case Kind::QuilA: console = readChecked<QuilACsvParser>(path, m_db); break;
    case Kind::QuilSteps: console = readSteps(path, m_db); break;
    case Kind::ZelCAudit: console = readCoded<ZelCAuditParser>(path, m_db, 2); break;
    case Kind::ZelCAlarm: console = readCoded<ZelCAlarmParser>(path, m_db, 4); break;
    case Kind::ZelCDipSwell: console = readCoded<ZelCDipSwellParser>(path, m_db, 3); break;
    case Kind::MoxBTotalizer: console = readCoded<MoxBTotalizerParser>(path, m_db, 0); break;
    case Kind::MoxBEventLog: console = readCoded<moxbauditparser>(path, m_db, 4); break;
    case Kind::MoxBSettings: console = readCoded<moxbdatabasecsvsetting>(path, m_db, 8); break;
    }
    QVERIFY2(console.contains(line), qPrintable(console.join(QLatin1String(" / "))));
}

QUORLOG_TEST_MAIN(TestReaderLineNumbers)
#include "tst_readerlinenumbers.moc"
