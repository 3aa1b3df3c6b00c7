// The readers' and the recorder import's messages in Polish: every text has
// its entry in the program's translation, under the context the code asks it
// in, and the code asks in that context.
#include "app/Framework.h"
#include "common/Connections.h"
#include "database/RecorderImport.h"
#include "readers/MoxAparser.h"
#include "readers/QuilArchiveWriter.h"
#include "readers/QuilxCsvParser.h"
#include "readers/FileWorkerStrategy.h"
#include "readers/moxbcsvparser.h"
#include "support/ReaderTestUtil.h"
#include "support/TestMain.h"

#include <QTranslator>

class TestReaderTexts : public ReaderTestCase
{
    Q_OBJECT
public:
    TestReaderTexts()
        : ReaderTestCase(QStringLiteral("readertexts"))
    {
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_translator.load(QStringLiteral(QUORLOG_BIN_DIR "/qrlg_pl.qm")));
        QCoreApplication::installTranslator(&m_translator);
    }
    void cleanupTestCase() { QCoreApplication::removeTranslator(&m_translator); }

    void entries_data();
    void entries();
    void recorderImportInPolish();
    void readersInPolish();

private:
    QTranslator m_translator;
};

void TestReaderTexts::entries_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    const char *const recorderImport[] = {
        "Attaching the file: ",
        "Beginning the transaction: ",
        "Committing: ",
        "Restoring the table of an unfinished import: ",
        "Removing the work table of an unfinished import: ",
        "The database holds %1 left by an unfinished import; nothing was imported.",
        "Reading the instrument: ",
        "No instrument with the id %1.",
        "Creating the table Parameters: ",
        "Reading the file's columns: ",
        "The file has no table %1 with date and time columns.",
        "Looking up a parameter: ",
        "Adding a parameter: ",
        "Creating the table: ",
        "Reading the table's columns: ",
        "Adding a column: ",
    };
    for (const char *s : recorderImport)
        QTest::newRow(s) << "RecorderImport" << s;
    const char *const recorderMerge[] = {
        "Reading the order of the rows: ",
        "Reading the columns of the table: ",
        "No columns to merge.",
        "The table has no column ",
        "Creating the date and time index: ",
        "Creating the work table: ",
        "Reading the new rows: ",
        "Updating the stored rows: ",
        "Sorting out the new rows: ",
        "Reading the stored rows: ",
        "Removing the rows to write again: ",
        "Restarting the ids: ",
        "Writing the rows: ",
        "Comparing the new rows with the table: ",
    };
    for (const char *s : recorderMerge)
        QTest::newRow(s) << "RecorderMerge" << s;
    // What the import worker adds to them.
    for (const char *s : {"Imported into %1: %2 rows in the table, %3 of them written, %4 new parameters, in: %5 ms",
                          "Data import was canceled.", "An error occurred during transaction start.",
                          "An error occurred during database import.",
                          "The file was imported, but not whole: %1",
                          "Values of the file not written, as the table already holds other values at their date "
                          "and time: %1",
                          "Values of the file not written, as a later row of the file holds another value at the same "
                          "date and time: %1",
                          "Opening of the file %1 was cancelled."})
        QTest::newRow(s) << "Framework" << s;
    // The count a read ends with, in each context of a reader that skips lines.
    for (const char *context : {"QuilACsvParser", "ZelCAuditParser", "ZelCDipSwellParser", "ZelCAlarmParser",
                                "MoxBTotalizerParser", "moxbauditparser"})
        QTest::newRow(context) << context << "Lines of the file that cannot be read, skipped: %1";
    QTest::newRow("MoxB, cut at a NUL")
        << "moxbcsvparser" << "Reading stopped at a NUL byte in line %1; the rest of the file was not read.";
    QTest::newRow("step-driven reader's end") << "NormalDeviceParser" << "Parse table data in: ";
    QTest::newRow("event log, unreadable") << "moxbauditparser" << "File has invalid format!";
    QTest::newRow("MoxA, no export") << "MoxAparser" << "File has invalid format!";
    for (const char *s : {"The column %1 repeats the column %2 of the file: column names that differ only in letter "
                          "case are one column.",
                          "it holds a NUL byte", "it has fewer than 4 fields",
                          "its date and time \"%1 %2\" cannot be read", "Line %1 was skipped: %2.",
                          "%1 more skipped lines are not listed.", "Lines of the file that cannot be read, skipped: %1"})
        QTest::newRow(s) << "MoxAparser" << s;
    QTest::newRow("MoxB, column twice") << "moxbcsvparser" << "The header names the column %1 twice.";
    QTest::newRow("MoxB, letter case")
        << "moxbcsvparser"
        << "The column %1 repeats the column %2 of the header: column names that differ only in letter case are one "
           "column.";
    QTest::newRow("MoxB, key column") << "moxbcsvparser"
                                      << "The header holds a column %1, the name of the table's key column.";
    QTest::newRow("PQDIF, no data") << "ZelDXPqdifParser" << "Series without data: %1 more not listed.";
    QTest::newRow("PQDIF, no times") << "ZelDXPqdifParser" << "Series without timestamps: %1 more not listed.";
}

void TestReaderTexts::entries()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    const QString polish = m_translator.translate(context.toLatin1().constData(), source.toUtf8().constData());
    QVERIFY2(!polish.isEmpty(), qPrintable(context + QStringLiteral(": ") + source));
    QVERIFY(polish != source);
    // Place markers survive the translation.
    for (const QString &marker : {QStringLiteral("%1"), QStringLiteral("%2"), QStringLiteral("%3")})
        QCOMPARE(polish.contains(marker), source.contains(marker));
}

void TestReaderTexts::recorderImportInPolish()
{
    const QString name = QStringLiteral("readertexts_app");
    QSqlDatabase app = testdb::createSchemaDatabase(name, m_dir.filePath(QStringLiteral("app.qdb")));
    QVERIFY(app.isOpen());
    RecorderImport import;
    RecorderImport::Request request;
    request.db = app;
    request.table = QStringLiteral("DataMoxB");
    request.file = m_dir.filePath(QStringLiteral("rows.sqlite"));
    request.sourceTable = QStringLiteral("DataMoxB");
    request.deviceId = 42;
    QCOMPARE(import.run(request), RecorderImport::Result::Failed);
    QCOMPARE(import.errorText(), QStringLiteral("Brak przyrządu o identyfikatorze 42."));
    app = QSqlDatabase();
    Connections::remove(name);
}

void TestReaderTexts::readersInPolish()
{
    {
        QAtomicInteger<char> flag(0);
        MoxAparser reader(nullptr, &flag);
        ReaderLog log;
        log.attach(&reader);
        int count = 0;
        QVERIFY(reader.openFile(writeInput(QStringLiteral("CSV"), "date,time\nnot,a,recorder,line\n")));
        QVERIFY(!reader.parseFile(m_db, &count, 0));
        compareSingleError(log, QStringLiteral("Plik ma nieprawidłowy format!"));
    }
    {
        QAtomicInteger<char> flag(0);
        moxbcsvparser reader(nullptr, &flag);
        ReaderLog log;
        log.attach(&reader);
        int count = 0;
        QVERIFY(reader.openFile(writeInput(QStringLiteral("csv"), "date,time,id\n")));
        QVERIFY(!reader.parseFile(m_db, &count, 2));
        compareSingleError(log, QStringLiteral("Nagłówek zawiera kolumnę id, nazwaną jak kolumna klucza tabeli."));
    }
    {
        QAtomicInteger<char> flag(0);
        QuilxCsvParser reader(nullptr, &flag, nullptr);
        QStringList console;
        QObject::connect(&reader, qOverload<QString, int>(&Parser::consoleMessage), &reader,
                         [&console](QString msg, int) { console << msg; });
        QVERIFY(reader.openFile(writeInput(QStringLiteral("txt"), quil::headerLine() + quil::columnLine(quil::channels())
                                                                      + quil::row(1, "2015-09-01", "00:00:00",
                                                                                  {"1", "2", "3", "4"}))));
        reader.setDatabase(m_db, nullptr, nullptr, Framework::SessionInfo());
        QVERIFY(reader.checkHeader());
        QVERIFY(reader.skipLines(1));
        QCOMPARE(runParserSteps(&reader), 1);
        QVERIFY(!console.isEmpty());
        QVERIFY2(console.last().startsWith(QStringLiteral("Dane tabeli przetworzono w: ")), qPrintable(console.last()));
    }
}

QUORLOG_TEST_MAIN(TestReaderTexts)
#include "tst_readertexts.moc"
