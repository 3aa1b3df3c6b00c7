#include "readers/MoxBTotalizerParser.h"
#include "readers/ZelCAlarmParser.h"
#include "readers/ZelCAuditParser.h"
#include "readers/ZelCDipSwellParser.h"
#include "readers/moxbauditparser.h"

#include "support/ReaderTestDb.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

enum Kind { Audit, Alarm, DipSwell, Totalizer };

struct EventRow
{
    QString name;
    qint64 dateTime;
    int eventType;
};

QVector<EventRow> tabEvents(QSqlDatabase db)
{
    QVector<EventRow> out;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name, dateTime, eventType FROM Events ORDER BY id"));
    while (q.next())
        out.append({q.value(0).toString(), q.value(1).toLongLong(), q.value(2).toInt()});
    return out;
}

QVector<QStringList> textEvents(QSqlDatabase db)
{
    QVector<QStringList> out;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT date, time, event, name, eventType FROM Events ORDER BY id"));
    while (q.next()) {
        out.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
        // The text logs fill only the three text columns.
        if (!q.value(3).isNull() || !q.value(4).isNull())
            out.last() << QStringLiteral("other columns written");
    }
    return out;
}

QStringList warnings(const ReaderLog &log)
{
    QStringList out;
    for (const auto &m : log.console) {
        if (m.icon != 0)
            out << QStringLiteral("%1:%2").arg(m.icon).arg(m.text);
    }
    return out;
}

constexpr qint64 kAlarmTime = Q_INT64_C(1650766048000); // 2022-04-24 02:07:28 UTC

} // namespace

class TestEventLogParsers : public ReaderTestCase
{
    Q_OBJECT
public:
    TestEventLogParsers()
        : ReaderTestCase(QStringLiteral("events"))
    {
    }

private slots:
    void tabLines_data();
    void tabLines();
    void tabCountAndOrder();
    void tabEmptyFile();
    void tabCancelBeforeFirstLine();
    void tabFailedInsert();
    void textLogLines_data();
    void textLogLines();
    void textLogCountAndCancel();
    void unableToOpen();

private:
    ReaderOutcome runTab(int kind, const QByteArray &bytes, int code, ReaderLog *log = nullptr,
                         QAtomicInteger<char> *cancel = nullptr);
    ReaderOutcome runText(const QByteArray &bytes, ReaderLog *log = nullptr, QAtomicInteger<char> *cancel = nullptr);
};

template <class Reader>
static ReaderOutcome runEventReader(const QString &path, QSqlDatabase db, int code, ReaderLog *log,
                                    QAtomicInteger<char> *cancel)
{
    QAtomicInteger<char> localFlag(0);
    Reader reader(nullptr, cancel ? cancel : &localFlag);
    if (log)
        log->attach(&reader);
    ReaderOutcome o;
    o.opened = reader.openFile(path);
    o.headerOk = o.opened;
    if (o.opened)
        o.parsed = reader.parseFile(db, &o.count, code);
    if (o.parsed)
        o.skipped = reader.skippedLines();
    return o;
}

ReaderOutcome TestEventLogParsers::runTab(int kind, const QByteArray &bytes, int code, ReaderLog *log,
                                          QAtomicInteger<char> *cancel)
{
    const QString path = writeInput(QStringLiteral("csv"), bytes);
    switch (kind) {
    case Audit:
        return runEventReader<ZelCAuditParser>(path, m_db, code, log, cancel);
    case Alarm:
        return runEventReader<ZelCAlarmParser>(path, m_db, code, log, cancel);
    case DipSwell:
        return runEventReader<ZelCDipSwellParser>(path, m_db, code, log, cancel);
    default:
        return runEventReader<MoxBTotalizerParser>(path, m_db, code, log, cancel);
    }
}

ReaderOutcome TestEventLogParsers::runText(const QByteArray &bytes, ReaderLog *log, QAtomicInteger<char> *cancel)
{
    return runEventReader<moxbauditparser>(writeInput(QStringLiteral("log"), bytes), m_db, 4, log, cancel);
}

void TestEventLogParsers::tabLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("name"); // empty: no row
    QTest::addColumn<qint64>("dateTime");
    QTest::addColumn<QString>("warning"); // the one console warning, if any

    // The line is the file's first: line 1, as an editor numbers it.
    const QString wrongCount = QStringLiteral("2:Line skipped, wrong number of fields (1)");
    const QString badTime = QStringLiteral("2:Line skipped, invalid date or time (1)");
    for (int kind : {Audit, Alarm, Totalizer}) {
        const QByteArray tag = QByteArray::number(kind) + ": ";
        QTest::newRow(tag + "trailing TAB, CR LF") << kind << QByteArray("2022-04-24\t02:07:28\tAlarm 1\t\r\n")
                                                   << "Alarm 1" << kAlarmTime << QString();
        // The line end is no part of the name, whether a TAB stands before
        // it or not, and an LF ends a line as CR LF does.
        QTest::newRow(tag + "no trailing TAB") << kind << QByteArray("2022-04-24\t02:07:28\tAlarm 1\r\n")
                                               << "Alarm 1" << kAlarmTime << QString();
        QTest::newRow(tag + "trailing TAB, LF") << kind << QByteArray("2022-04-24\t02:07:28\tAlarm 1\t\n")
                                                << "Alarm 1" << kAlarmTime << QString();
        QTest::newRow(tag + "doubled TABs") << kind << QByteArray("2022-04-24\t\t02:07:28\t\tA  b \r\n") << "A  b "
                                            << kAlarmTime << QString();
        QTest::newRow(tag + "NUL in the name") << kind << QByteArray("2022-04-24\t02:07:28\tAl\0arm\r\n", 28)
                                               << "Al" << kAlarmTime << QString();
        QTest::newRow(tag + "only CR LF") << kind << QByteArray("\r\n") << QString() << qint64(0) << QString();
        QTest::newRow(tag + "blanks only") << kind << QByteArray("\t\t\r\n") << QString() << qint64(0) << QString();
        QTest::newRow(tag + "two fields") << kind << QByteArray("2022-04-24\t02:07:28\r\n") << QString() << qint64(0)
                                          << wrongCount;
        QTest::newRow(tag + "four fields") << kind << QByteArray("2022-04-24\t02:07:28\tA\tB\r\n") << QString()
                                           << qint64(0) << wrongCount;
        QTest::newRow(tag + "month 13") << kind << QByteArray("2022-13-24\t02:07:28\tA\r\n") << QString()
                                        << qint64(0) << badTime;
        QTest::newRow(tag + "hour without zero") << kind << QByteArray("2022-04-24\t2:07:28\tA\r\n") << QString()
                                                 << qint64(0) << badTime;
        QTest::newRow(tag + "milliseconds") << kind << QByteArray("2022-04-24\t02:07:28.125\tA\r\n") << QString()
                                            << qint64(0) << badTime;
    }
    QTest::newRow("dip: .125") << int(DipSwell) << QByteArray("2022-04-24\t02:07:28.125\tDip L1\r\n") << "Dip L1"
                               << kAlarmTime + 125 << QString();
    // The part after the point counts milliseconds: 5 is 5 ms, not 500.
    QTest::newRow("dip: .5") << int(DipSwell) << QByteArray("2022-04-24\t02:07:28.5\tSwell L2\r\n") << "Swell L2"
                             << kAlarmTime + 5 << QString();
    QTest::newRow("dip: .000") << int(DipSwell) << QByteArray("2022-04-24\t02:07:28.000\tA\r\n") << "A" << kAlarmTime
                               << QString();
    QTest::newRow("dip: no point") << int(DipSwell) << QByteArray("2022-04-24\t02:07:28\tA\r\n") << QString()
                                   << qint64(0) << badTime;
    QTest::newRow("dip: two points") << int(DipSwell) << QByteArray("2022-04-24\t02:07:28.1.2\tA\r\n") << QString()
                                     << qint64(0) << badTime;
    QTest::newRow("dip: letters") << int(DipSwell) << QByteArray("2022-04-24\t02:07:28.1x\tA\r\n") << QString()
                                  << qint64(0) << badTime;
    QTest::newRow("dip: empty part") << int(DipSwell) << QByteArray("2022-04-24\t02:07:28.\tA\r\n") << QString()
                                     << qint64(0) << badTime;
    QTest::newRow("dip: four digits") << int(DipSwell) << QByteArray("2022-04-24\t02:07:28.1250\tA\r\n")
                                      << QString() << qint64(0) << badTime;
}

void TestEventLogParsers::tabLines()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, line);
    QFETCH(QString, name);
    QFETCH(qint64, dateTime);
    QFETCH(QString, warning);
    ReaderLog log;
    const ReaderOutcome o = runTab(kind, line, 7, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 2);
    const auto rows = tabEvents(m_db);
    if (name.isEmpty()) {
        QCOMPARE(rows.size(), 0);
    } else {
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].name, name);
        QCOMPARE(rows[0].dateTime, dateTime);
        QCOMPARE(rows[0].eventType, 7);
    }
    // A skipped line is counted, and the count told once the read is done.
    QStringList told;
    if (!warning.isEmpty())
        told << warning << QStringLiteral("2:Lines of the file that cannot be read, skipped: 1");
    QCOMPARE(warnings(log), told);
    QCOMPARE(o.skipped, qint64(warning.isEmpty() ? 0 : 1));
    QVERIFY(log.dialogs.isEmpty());
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parse table data in: ")));
}

void TestEventLogParsers::tabCountAndOrder()
{
    // A skipped line in the middle keeps its number; count is the reads + 1.
    const QByteArray file = "2022-04-24\t02:07:28\tFirst\r\n"
                            "garbage\r\n"
                            "\r\n"
                            "2016-03-27\t02:30:00\tIn the gap hour\r\n";
    ReaderLog log;
    const ReaderOutcome o = runTab(Audit, file, 2, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 5);
    // The empty line held nothing: only the other one is left out.
    QCOMPARE(warnings(log), (QStringList{QStringLiteral("2:Line skipped, wrong number of fields (2)"),
                                         QStringLiteral("2:Lines of the file that cannot be read, skipped: 1")}));
    QCOMPARE(o.skipped, qint64(1));
    const auto rows = tabEvents(m_db);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].name, QStringLiteral("First"));
    // 02:30 does not exist in Warsaw that night; the log's clock is UTC.
    QCOMPARE(rows[1].dateTime, Q_INT64_C(1459045800000));
    QCOMPARE(rows[1].eventType, 2);
    QCOMPARE(committed(QStringLiteral("Events")), 2);
}

void TestEventLogParsers::tabEmptyFile()
{
    for (int kind : {Audit, Alarm, DipSwell, Totalizer}) {
        cleanup();
        init();
        ReaderLog log;
        const ReaderOutcome o = runTab(kind, QByteArray(), 3, &log);
        QVERIFY(o.parsed);
        QCOMPARE(o.count, 1);
        QCOMPARE(log.console.size(), 1);
        QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parse table data in: ")));
        QCOMPARE(tabEvents(m_db).size(), 0);
    }
}

void TestEventLogParsers::tabCancelBeforeFirstLine()
{
    QAtomicInteger<char> flag(1);
    ReaderLog log;
    const ReaderOutcome o = runTab(DipSwell, "2022-04-24\t02:07:28.125\tDip\r\n", 3, &log, &flag);
    QVERIFY(!o.parsed);
    QCOMPARE(o.count, -1);
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parser work was canceled in: ")));
    QCOMPARE(committed(QStringLiteral("Events")), 0);
}

void TestEventLogParsers::tabFailedInsert()
{
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Events WHEN NEW.name = 'bad' "
                                  "BEGIN SELECT RAISE(ABORT, 'event refused'); END")));
    ReaderLog log;
    const ReaderOutcome o = runTab(Alarm, "2022-04-24\t02:07:28\tgood\r\n2022-04-24\t02:07:29\tbad\r\n", 4, &log);
    QVERIFY(!o.parsed);
    QCOMPARE(o.count, -1);
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("event refused")));
    QCOMPARE(log.lastConsole().icon, 3);
    QCOMPARE(committed(QStringLiteral("Events")), 0);
}

void TestEventLogParsers::textLogLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("row"); // empty: no row
    QTest::addColumn<bool>("leftOut");    // a line that held something
    const QStringList dte{QStringLiteral("2024-01-02"), QStringLiteral("10:00:00"), QStringLiteral("Door open")};
    QTest::newRow("CR LF") << QByteArray("2024-01-02,10:00:00,Door open\r\n") << dte << false;
    QTest::newRow("final comma, CR LF") << QByteArray("2024-01-02,10:00:00,Door open,\r\n") << dte << false;
    // A final comma before an LF alone leaves no field either.
    QTest::newRow("final comma, LF") << QByteArray("2024-01-02,10:00:00,Door open,\n") << dte << false;
    QTest::newRow("empty field") << QByteArray("2024-01-02,,10:00:00,Door open\r\n") << dte << false;
    QTest::newRow("blanks around") << QByteArray("  2024-01-02 , 10:00:00 ,\tDoor open  \r\n") << dte << false;
    QTest::newRow("no line end") << QByteArray("2024-01-02,10:00:00,Door open") << dte << false;
    QTest::newRow("unparsed texts") << QByteArray("yesterday,noon,Zażółć\r\n")
                                    << QStringList{QStringLiteral("yesterday"), QStringLiteral("noon"),
                                                   QStringLiteral("Za\u017c\u00f3\u0142\u0107")}
                                    << false;
    QTest::newRow("comma in the text") << QByteArray("2024-01-02,10:00:00,Door, open\r\n") << QStringList()
                                       << true;
    QTest::newRow("empty line") << QByteArray("\r\n") << QStringList() << false;
    QTest::newRow("two fields") << QByteArray("2024-01-02,10:00:00\r\n") << QStringList() << true;
}

void TestEventLogParsers::textLogLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, row);
    QFETCH(bool, leftOut);
    ReaderLog log;
    // The header line is never stored, even with three fields.
    const ReaderOutcome o = runText("Date,Time,Event\r\n" + line, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 2);
    const auto rows = textEvents(m_db);
    if (row.isEmpty()) {
        QCOMPARE(rows.size(), 0);
        QStringList told{QStringLiteral("2:Skipping line (not exactly 3 parts): 2")};
        if (leftOut)
            told << QStringLiteral("2:Lines of the file that cannot be read, skipped: 1");
        QCOMPARE(warnings(log), told);
    } else {
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0], row);
        QVERIFY(warnings(log).isEmpty());
    }
    QCOMPARE(o.skipped, qint64(leftOut ? 1 : 0));
}

void TestEventLogParsers::textLogCountAndCancel()
{
    QByteArray file = "header\r\n";
    for (int i = 0; i < 150; ++i)
        file += "x\r\n";
    file += "2024-01-02,10:00:00,Last\r\n";
    ReaderLog log;
    const ReaderOutcome o = runText(file, &log);
    QVERIFY(o.parsed);
    QCOMPARE(o.count, 152);
    QCOMPARE(textEvents(m_db).size(), 1);
    const QStringList w = warnings(log);
    QCOMPARE(w.size(), 102);
    QCOMPARE(w.first(), QStringLiteral("2:Skipping line (not exactly 3 parts): 2"));
    QCOMPARE(w.at(100), QStringLiteral("2:Skipping line (not exactly 3 parts) (50 more lines like this not listed)"));
    QCOMPARE(w.last(), QStringLiteral("2:Lines of the file that cannot be read, skipped: 150"));
    QCOMPARE(o.skipped, qint64(150));

    cleanup();
    init();
    QAtomicInteger<char> flag(1);
    ReaderLog cancelled;
    const ReaderOutcome c = runText(file, &cancelled, &flag);
    QVERIFY(!c.parsed);
    QCOMPARE(c.count, -1);
    QVERIFY(cancelled.lastConsole().text.startsWith(QStringLiteral("Parser work was canceled in: ")));
    QCOMPARE(committed(QStringLiteral("Events")), 0);
}

void TestEventLogParsers::unableToOpen()
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.csv"));
    verifyUnableToOpen<ZelCAuditParser>(missing);
    verifyUnableToOpen<ZelCAlarmParser>(missing);
    verifyUnableToOpen<ZelCDipSwellParser>(missing);
    verifyUnableToOpen<MoxBTotalizerParser>(missing);
    verifyUnableToOpen<moxbauditparser>(missing);
}

QUORLOG_TEST_MAIN(TestEventLogParsers)
#include "tst_eventlogparsers.moc"
