#include "app/AvailableDevices.h"
#include "app/Framework.h"
#include "app/SessionModelKinds.h"
#include "common/Connections.h"
#include "readers/FileWorkerStrategy.h"
#include "readers/NormalDeviceParser.h"
#include "readers/QuilArchiveWriter.h"
#include "readers/QuilxCsvParser.h"
#include "support/ReaderTestDb.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"
#include "tables/TempDatabaseTableModel.h"

#include <QSqlQuery>
#include <QStringList>
#include <QThread>

#include <stdexcept>

namespace {

const QString kInvalidFormat = QStringLiteral("File has invalid format!");
const QString kQuilTemplate = QStringLiteral("Parser QuilACsv dostał błędny plik do przeparsowania. ");

// What a step reader tells the user.
struct StepLog
{
    ReaderLog::Message lastConsole;
    QVector<ReaderLog::Message> console;
    QVector<ReaderLog::Message> dialogs;

    void attach(Parser *p)
    {
        QObject::connect(p, qOverload<QString, int>(&Parser::consoleMessage), p,
                         [this](QString msg, int icon) { console.append({msg, QString(), icon}); });
        QObject::connect(p, qOverload<QString, QString, int>(&Parser::dialogMessage), p,
                         [this](QString msg, QString title, int icon) { dialogs.append({msg, title, icon}); });
    }
    ReaderLog::Message last() const { return console.isEmpty() ? ReaderLog::Message{} : console.last(); }
};

enum class Outcome { Succeed, Fail, ThrowCode, ThrowText, ThrowStd, ThrowOther };

// Records the order of the steps; one step ends as the test asks.
class ScriptedParser : public NormalDeviceParser
{
public:
    ScriptedParser(const QString &failingStep, Outcome outcome)
        : NormalDeviceParser(nullptr, nullptr, nullptr)
        , m_failingStep(failingStep)
        , m_outcome(outcome)
    {
    }
    bool beginParsing() override { return step(QStringLiteral("begin")); }
    bool parseFile() override { return step(QStringLiteral("parse")); }
    int finishParsing() override { return step(QStringLiteral("finish")) ? 3 : -1; }

    QStringList steps;

private:
    bool step(const QString &name)
    {
        steps << name;
        if (name != m_failingStep)
            return true;
        switch (m_outcome) {
        case Outcome::Succeed:
            return true;
        case Outcome::Fail:
            return false;
        case Outcome::ThrowCode:
            throw 7;
        case Outcome::ThrowText:
            throwError(true, false, 3, QStringLiteral("step fault"), QStringLiteral("detail"));
        case Outcome::ThrowStd:
            throw std::runtime_error("out of range");
        case Outcome::ThrowOther:
            throw 2.5;
        }
        return true;
    }
    QString m_failingStep;
    Outcome m_outcome;
};

// Where a reader has left its input: the next line it would read.
template <class Reader>
class InputProbe : public Reader
{
public:
    InputProbe()
        : Reader(nullptr, nullptr, nullptr)
    {
    }
    QByteArray nextLine()
    {
        readers::Field line;
        return this->m_input.readLine(&line) == readers::LineReaderKit::Read::Line ? line.bytes() : QByteArray();
    }
};

// A table model whose export answers are set by the test.
class CountingModel : public TempDatabaseTableModel
{
public:
    CountingModel(QSqlDatabase db, int rows, bool queryOk)
        : TempDatabaseTableModel(db)
        , m_rows(rows)
        , m_queryOk(queryOk)
    {
    }
    int getDataExportRowCnt() override { return m_rows; }
    bool execDataExportQuery(uint offset, uint limit) override
    {
        asked = {offset, limit};
        return m_queryOk;
    }
    QPair<uint, uint> asked{99, 99};

private:
    int m_rows;
    bool m_queryOk;
};

QByteArray columns(const QList<QByteArray> &names = {"T", "RH"})
{
    return quil::columnLine(names);
}

QByteArray row(int index, const QList<QByteArray> &values, const QByteArray &time = "00:00:00")
{
    return quil::row(index, "2015-09-01", time, values);
}

} // namespace

class TestStepParsers : public ReaderTestCase
{
    Q_OBJECT
public:
    TestStepParsers()
        : ReaderTestCase(QStringLiteral("steps"))
    {
    }

private slots:
    void runSteps_data();
    void runSteps();
    void noExceptionLeavesWorkerThread_data();
    void noExceptionLeavesWorkerThread();
    void createParser();
    void beginParsingPlacesFile_data();
    void beginParsingPlacesFile();
    void normalParseFileOpensArchive();
    void checkHeader_data();
    void checkHeader();
    void readsDataLines();
    void unitForParameter_data();
    void unitForParameter();
    void failedLineFailsRun_data();
    void failedLineFailsRun();
    void fewerValuesAreRead();
    void refusedInsertFailsRun();
    void cancelFailsRun();
    void createModels();
    void readRecords_data();
    void readRecords();

private:
    // A Quil step reader over bytes, placed after the header line.
    std::unique_ptr<QuilxCsvParser> quilReader(const QByteArray &bytes, StepLog *log, QAtomicInteger<char> *cancel);
    QAtomicInteger<char> m_cancel{0};
};

std::unique_ptr<QuilxCsvParser> TestStepParsers::quilReader(const QByteArray &bytes, StepLog *log,
                                                            QAtomicInteger<char> *cancel)
{
    auto p = std::make_unique<QuilxCsvParser>(nullptr, cancel ? cancel : &m_cancel, nullptr);
    log->attach(p.get());
    if (!p->openFile(writeInput(QStringLiteral("txt"), bytes)))
        return nullptr;
    p->setDatabase(m_db, nullptr, nullptr, Framework::SessionInfo());
    if (!p->checkHeader() || !p->skipLines(1))
        return nullptr;
    return p;
}

void TestStepParsers::runSteps_data()
{
    QTest::addColumn<QString>("failingStep");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("steps");

    const QStringList all = {"begin", "parse", "finish"};
    QTest::newRow("all succeed") << QString() << int(Outcome::Succeed) << 1 << all;
    QTest::newRow("begin fails") << "begin" << int(Outcome::Fail) << 0 << QStringList{"begin"};
    QTest::newRow("parse fails") << "parse" << int(Outcome::Fail) << 0 << QStringList{"begin", "parse"};
    QTest::newRow("finish fails") << "finish" << int(Outcome::Fail) << 0 << all;
    QTest::newRow("code 7") << "parse" << int(Outcome::ThrowCode) << 0 << QStringList{"begin", "parse"};
    QTest::newRow("text exception") << "begin" << int(Outcome::ThrowText) << 0 << QStringList{"begin"};
    QTest::newRow("std exception") << "finish" << int(Outcome::ThrowStd) << 0 << all;
    QTest::newRow("other exception") << "parse" << int(Outcome::ThrowOther) << 0 << QStringList{"begin", "parse"};
}

void TestStepParsers::runSteps()
{
    QFETCH(QString, failingStep);
    QFETCH(int, outcome);
    QFETCH(int, result);
    QFETCH(QStringList, steps);
    ScriptedParser p(failingStep, Outcome(outcome));
    StepLog log;
    log.attach(&p);
    QCOMPARE(runParserSteps(&p), result);
    QCOMPARE(p.steps, steps);
    if (Outcome(outcome) == Outcome::ThrowText) {
        // Reported once, by the step.
        QCOMPARE(log.console.size(), 1);
        QCOMPARE(log.last().text, QStringLiteral("step fault"));
    }
    if (Outcome(outcome) == Outcome::ThrowStd) {
        QCOMPARE(log.last().text, QStringLiteral("Reading stopped by an unexpected error: out of range"));
        QCOMPARE(log.last().icon, 3);
    }
    if (Outcome(outcome) == Outcome::ThrowOther)
        QCOMPARE(log.last().text, QStringLiteral("Reading stopped by an unexpected error."));
}

void TestStepParsers::noExceptionLeavesWorkerThread_data()
{
    QTest::addColumn<int>("outcome");
    QTest::newRow("code") << int(Outcome::ThrowCode);
    QTest::newRow("text") << int(Outcome::ThrowText);
    QTest::newRow("std") << int(Outcome::ThrowStd);
    QTest::newRow("other") << int(Outcome::ThrowOther);
}

void TestStepParsers::noExceptionLeavesWorkerThread()
{
    QFETCH(int, outcome);
    ScriptedParser p(QStringLiteral("parse"), Outcome(outcome));
    int result = -1;
    // An exception leaving the thread's function would end the test program.
    std::unique_ptr<QThread> worker(QThread::create([&] { result = runParserSteps(&p); }));
    worker->start();
    QVERIFY(worker->wait(10000));
    QCOMPARE(result, 0);
}

void TestStepParsers::createParser()
{
    QAtomicInteger<char> flag(0);
    for (int kind = -1; kind <= 22; ++kind) {
        std::unique_ptr<Parser> p(AvailableDevices::createParser(kind, nullptr, &flag, nullptr));
        const char *expected = kind == 1 ? "NormalDeviceParser" : (kind == 8 || kind == 11) ? "QuilxCsvParser" : "";
        QCOMPARE(p ? p->metaObject()->className() : "", expected);
        if (p)
            QVERIFY(!p->parent());
    }
}

void TestStepParsers::beginParsingPlacesFile_data()
{
    QTest::addColumn<bool>("rewind");
    QTest::newRow("rewind") << true;
    QTest::newRow("stay") << false;
}

void TestStepParsers::beginParsingPlacesFile()
{
    QFETCH(bool, rewind);
    const QByteArray columnLine = "a;b;;c\r\n";
    InputProbe<NormalDeviceParser> p;
    QVERIFY(p.openFile(writeInput(QStringLiteral("txt"), columnLine + "1;2;3;4\r\n")));
    p.setDatabase(m_db, nullptr, nullptr, Framework::SessionInfo());
    p.setRewindAfterColumns(rewind);
    p.setTrimColumns(true);
    QVERIFY(p.beginParsing());
    // The separator of the base reader is empty: the line is one item.
    QCOMPARE(p.columnCount(), 1);
    QCOMPARE(p.lineCount(), rewind ? 0 : 1);
    QCOMPARE(p.bytesRead(), rewind ? 0 : columnLine.size());
    QCOMPARE(p.finishParsing(), rewind ? 0 : 1);
    QCOMPARE(p.nextLine(), rewind ? columnLine : QByteArray("1;2;3;4\r\n"));
}

void TestStepParsers::normalParseFileOpensArchive()
{
    {
        NormalDeviceParser p(nullptr, &m_cancel, nullptr);
        QVERIFY(p.openFile(m_dbPath));
        Framework::SessionInfo session;
        session.views = Framework::SessionInfo::ViewChart;
        p.setDatabase(QSqlDatabase(), nullptr, nullptr, session);
        QVERIFY(p.parseFile());
        QVERIFY(p.database().isOpen());
        QCOMPARE(p.database().databaseName(), m_dbPath);
        QCOMPARE(p.session().views, Framework::SessionInfo::ViewChart | Framework::SessionInfo::ViewDataFilter);
        QCOMPARE(p.unitForParameter(QStringLiteral("T")), QString(""));
    }
    Connections::remove(QStringLiteral("Data_con"));
}

void TestStepParsers::checkHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("detail");

    const QByteArray header = quil::headerLine();
    QTest::newRow("good") << header + columns() << QString();
    QTest::newRow("field not key:value") << QByteArray("#dev:QuilA;filever\r\n") + columns()
                                         << QStringLiteral("Nagłówek nie jest formatu \"Key\":\"Value\".");
    QTest::newRow("column line is a comment") << header + "#idx\tdate\ttime\t\tT\r\n"
                                              << QStringLiteral("Druga linijka jest komentarzem.");
    QTest::newRow("no separator") << header + "idx date time T RH\r\n"
                                  << QStringLiteral("Niestety, separator jest błędny.");
    QTest::newRow("short column line") << header + "idx\tdate\r\n"
                                       << QStringLiteral("Plik archiwum jest źle zakończony.");
    QTest::newRow("unknown model") << quil::headerLine("QuilX") + columns()
                                   << QStringLiteral("Plik archiwum jest źle zakończony.");
    QTest::newRow("other file version") << quil::headerLine("QuilC", "1.01") + columns()
                                        << QStringLiteral("Plik archiwum jest źle zakończony.");
    QTest::newRow("wrong fixed columns") << header + "idx\ttime\tdate\t\tT\r\n"
                                         << QStringLiteral("Plik archiwum jest źle zakończony.");
    QTest::newRow("no column line") << header << QStringLiteral("Plik archiwum jest źle zakończony.");
}

void TestStepParsers::checkHeader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, detail);
    InputProbe<QuilxCsvParser> p;
    StepLog log;
    log.attach(&p);
    QVERIFY(p.openFile(writeInput(QStringLiteral("txt"), bytes)));
    QString thrown;
    try {
        QVERIFY(p.checkHeader());
    } catch (const readers::ParserError &e) {
        thrown = e.text();
    }
    if (detail.isEmpty()) {
        QVERIFY(thrown.isEmpty());
        QCOMPARE(p.nextLine(), quil::headerLine());
        QCOMPARE(p.separator(), QStringLiteral("\t"));
        QCOMPARE(p.headerValues().value(QStringLiteral("dev")), QStringLiteral("QuilA"));
        return;
    }
    QCOMPARE(thrown, kQuilTemplate + detail);
    QCOMPARE(log.console.size(), 1);
    QCOMPARE(log.last().text, kInvalidFormat);
    QCOMPARE(log.last().icon, 3);
    QCOMPARE(log.dialogs.size(), 1);
    QCOMPARE(log.dialogs.last().text, kInvalidFormat);
    QCOMPARE(log.dialogs.last().title, QString(""));
    QCOMPARE(log.dialogs.last().icon, 3);
}

void TestStepParsers::readsDataLines()
{
    StepLog log;
    auto p = quilReader(quil::headerLine() + columns({"T", "RH", "Off", "DP"})
                            + row(1, {"    22,43", "     *", "  1,0", "  3,5"})
                            + row(2, {"    22,50", "  45,1", "  1,0", "  3,25"}, "00:30:00"),
                        &log, nullptr);
    QVERIFY(p);
    QCOMPARE(runParserSteps(p.get()), 1);
    QVERIFY(log.last().text.startsWith(QStringLiteral("Parse table data in: ")));

    const auto params = testdb::parameters(m_db);
    QCOMPARE(params.size(), 3);
    QCOMPARE(params[0].name, QStringLiteral("T"));
    QCOMPARE(params[0].unit, QStringLiteral("\u00b0C"));
    QCOMPARE(params[1].name, QStringLiteral("RH"));
    QCOMPARE(params[2].name, QStringLiteral("DP"));
    QCOMPARE(committed(QStringLiteral("Data")), 6);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows[0].value, 22.43);
    QCOMPARE(rows[0].flag, 0);
    QCOMPARE(rows[1].value, 1e20);
    QCOMPARE(rows[1].flag, 2);
    QCOMPARE(rows[5].value, 3.25);
    // UTC wall clock, whatever the local zone.
    QCOMPARE(rows[0].dateTime, QDateTime(QDate(2015, 9, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch());
    QCOMPARE(rows[3].dateTime, QDateTime(QDate(2015, 9, 1), QTime(0, 30), Qt::UTC).toMSecsSinceEpoch());
}

void TestStepParsers::unitForParameter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::newRow("T") << "T" << QStringLiteral("\u00b0C");
    QTest::newRow("RH") << "RH" << "%";
    QTest::newRow("DP") << "DP" << QStringLiteral("\u00b0C");
    QTest::newRow("AH") << "AH" << "g/m3";
    QTest::newRow("with unit text") << "T [^C]" << "";
    QTest::newRow("other") << "Enth" << "";
}

void TestStepParsers::unitForParameter()
{
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QuilxCsvParser p(nullptr, &m_cancel, nullptr);
    const QString got = p.unitForParameter(name);
    QCOMPARE(got, unit);
    QVERIFY(!got.isNull());
}

void TestStepParsers::failedLineFailsRun_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("dialog");
    QTest::newRow("empty line") << QByteArray("\r\n") << "Empty line in file" << 2 << false;
    // The faulty line is the fourth of the file: header, columns, one row.
    QTest::newRow("one value too many") << row(3, {"1", "2", "3"}) << "Invalid line in file (4)" << 3 << true;
    QTest::newRow("unreadable time") << quil::row(3, "2015-09-01", "25:00:00", {"1", "2"})
                                     << "Invalid line in file (4)" << 3 << true;
}

void TestStepParsers::failedLineFailsRun()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, message);
    QFETCH(int, icon);
    QFETCH(bool, dialog);
    StepLog log;
    auto p = quilReader(quil::headerLine() + columns() + row(1, {"1", "2"}) + line + row(4, {"1", "2"}), &log,
                        nullptr);
    QVERIFY(p);
    QCOMPARE(runParserSteps(p.get()), 0);
    QCOMPARE(log.last().text, message);
    QCOMPARE(log.last().icon, icon);
    QCOMPARE(log.dialogs.size(), dialog ? 1 : 0);
    // Nothing of a failed run stays written.
    compareNothingCommitted();
    QCOMPARE(testdb::rowCount(m_db, QStringLiteral("Data")), 0);
}

void TestStepParsers::fewerValuesAreRead()
{
    StepLog log;
    auto p = quilReader(quil::headerLine() + columns() + row(1, {"1"}) + row(2, {"1", "2"}), &log, nullptr);
    QVERIFY(p);
    QCOMPARE(runParserSteps(p.get()), 1);
    QCOMPARE(committed(QStringLiteral("Data")), 3);
}

void TestStepParsers::refusedInsertFailsRun()
{
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Parameters WHEN NEW.name = 'RH' "
                                  "BEGIN SELECT RAISE(ABORT, 'name refused'); END")));
    StepLog log;
    auto p = quilReader(quil::headerLine() + columns() + row(1, {"1", "2"}), &log, nullptr);
    QVERIFY(p);
    QCOMPARE(runParserSteps(p.get()), 0);
    QVERIFY(log.last().text.contains(QStringLiteral("name refused")));
    QCOMPARE(log.last().icon, 3);
    QVERIFY(log.dialogs.isEmpty());
    compareNothingCommitted();
}

void TestStepParsers::cancelFailsRun()
{
    QAtomicInteger<char> cancel(0);
    StepLog log;
    auto p = quilReader(quil::headerLine() + columns() + row(1, {"1", "2"}), &log, &cancel);
    QVERIFY(p);
    cancel.storeRelease(1);
    QCOMPARE(runParserSteps(p.get()), 0);
    QVERIFY(log.last().text.startsWith(QStringLiteral("Parser work was canceled in: ")));
    QVERIFY(log.last().text.endsWith(QStringLiteral(" ms")));
    QCOMPARE(log.last().icon, 3);
    QVERIFY(log.dialogs.isEmpty());
    compareNothingCommitted();
}

void TestStepParsers::createModels()
{
    QuilxCsvParser p(nullptr, &m_cancel, nullptr);
    Framework::SessionInfo session;
    session.views = Framework::SessionInfo::ViewDataFilter;
    p.setDatabase(m_db, nullptr, nullptr, session);
    QVERIFY(p.createModels(5));
    std::unique_ptr<MyAbstractTableModel> table(p.tableModel());
    QVERIFY(table);
    QVERIFY(!table->parent());
    quint32 expected = Framework::SessionInfo::ViewDataFilter | Framework::SessionInfo::ViewTable
                       | Framework::SessionInfo::ViewCsvExport;
    std::unique_ptr<AbstractChartModel> chart(p.chartModel());
    QVERIFY(chart);
    QCOMPARE(chart->totalRowCnt, 5u);
    expected |= Framework::SessionInfo::ViewChart;
    QCOMPARE(p.session().views, expected);
}

void TestStepParsers::readRecords_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("queryOk");
    QTest::addColumn<uint>("limit");
    QTest::addColumn<int>("result");
    QTest::newRow("ten rows") << 10 << true << 10u << 0;
    QTest::newRow("more than a section") << 50001 << true << 50000u << 0;
    QTest::newRow("query fails") << 10 << false << 10u << 1;
}

void TestStepParsers::readRecords()
{
    QFETCH(int, rows);
    QFETCH(bool, queryOk);
    QFETCH(uint, limit);
    QFETCH(int, result);
    QuilxCsvParser p(nullptr, &m_cancel, nullptr);
    CountingModel model(m_db, rows, queryOk);
    QCOMPARE(p.readRecords(&model), result);
    QCOMPARE(model.asked.first, 0u);
    QCOMPARE(model.asked.second, limit);
}

QUORLOG_TEST_MAIN(TestStepParsers)
#include "tst_stepparsers.moc"
