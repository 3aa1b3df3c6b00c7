// Importing archive files into the application database through the launcher
// and the import task: the branch choice, refusals, end-to-end imports of
// each family with a reader, re-imports, and an import while a filtered
// session of the same database is being read.
#include "support/SessionTestUtil.h"
#include "support/ConsoleSpyUtil.h"
#include "support/TestMain.h"

#include "app/Framework.h"
#include "app/ImportDataWorker.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "readers/BrenaConfigWriter.h"
#include "readers/ZelBArchiveWriter.h"
#include "support/DbTestUtil.h"
#include "pqdif/PqdifSampleFile.h"
#include "pqdif/PqdifWriter.h"
#include "pqdif/ZelDXExample.h"
#include "tables/BrenaFileWriter.h"
#include "tables/MyAbstractTableModel.h"
#include "tables/ZelCFixture.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSqlQuery>
#include <QTemporaryDir>

using Branch = ImportDataWorker::Branch;
Q_DECLARE_METATYPE(ImportDataWorker::Branch)

namespace {

const QString kDataCon = QStringLiteral("Data_con");


// The start of every fixture of the import cases.
const QDateTime kBase(QDate(2016, 10, 24), QTime(9, 35, 57), Qt::UTC);

// "seconds=value" items separated by blanks.
QVector<QPair<double, double>> samples(const QString &items)
{
    QVector<QPair<double, double>> out;
    for (const QString &item : items.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.append({item.section(QLatin1Char('='), 0, 0).toDouble(), item.section(QLatin1Char('='), 1).toDouble()});
    return out;
}

// A ZelB archive with U1 alone, one line per sample (whole seconds).
bool writeZelB(const QString &path, const QString &items)
{
    QByteArray text = zelb::header();
    int index = 0;
    for (const auto &s : samples(items)) {
        const QDateTime t = kBase.addSecs(qint64(s.first));
        text += zelb::line(t.date().toString(QStringLiteral("yyyy-MM-dd")).toLatin1(),
                           t.time().toString(QStringLiteral("HH:mm:ss")).toLatin1(), ++index,
                           {{"7500", "U1", zelb::formatValue(s.second)}});
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

bool writePqdif(const QString &path, const QString &items)
{
    std::vector<double> seconds, values;
    for (const auto &s : samples(items)) {
        seconds.push_back(s.first);
        values.push_back(s.second);
    }
    const QTime t = kBase.time();
    return pqdiffixture::writeSamples(path, "M1", pqdifTime(2016, 10, 24, t.msecsSinceStartOfDay() / 1000.0),
                                      seconds, values);
}

QStringList statistics(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        if (line.startsWith(QLatin1String("Imported parameters: ")))
            out << line.section(QStringLiteral(" ms "), 1);
    return out;
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    consolespy::Lines *console = nullptr;
    QTemporaryDir dir;
    int serial = 0;

    QSqlDatabase appDb() { return Connections::database(kDataCon); }
    // A new application database opened as the session; returns the id of
    // an instrument of the given type in it.
    int openDatabaseWithDevice(avaibleDevices_t type, const QStringList &configFiles = {})
    {
        const int id = openNewDatabase(dir.filePath(QStringLiteral("import%1.qdb").arg(++serial)), type,
                                       QStringLiteral("Instrument"), QString(), configFiles);
        console->take();
        prompts->calls.clear();
        return id;
    }
    bool import(const QString &path, avaibleDevices_t type, int id, const QString &kind = QString())
    {
        const bool ok = g_framework->importData(path, QStringLiteral("1/1"), type, id, kind);
        settle();
        return ok;
    }
    QString zelbArchive(const QString &name, int lines, int groups, const QDateTime &start)
    {
        const QString path = dir.filePath(name);
        return zelb::writeArchive(path, lines, groups, start) ? path : QString();
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        console = new consolespy::Lines(g_framework);
    }

    void cleanupTestCase()
    {
        g_framework->closeOpenedFile();
        delete console;
        delete prompts;
    }

    void init()
    {
        g_framework->closeOpenedFile();
        settle();
        console->take();
        prompts->calls.clear();
    }

    void branchChoice_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<Branch>("branch");

        QTest::newRow("ZelA") << int(ZelA) << "" << "a.txt" << Branch::ZelACsv;
        QTest::newRow("Ravel") << int(Ravel) << "x" << "a" << Branch::ZelACsv;
        QTest::newRow("ZelB") << int(ZelB) << "" << "a.csv" << Branch::ZelBCsv;
        QTest::newRow("Ostra") << int(Ostra) << "" << "a.csv" << Branch::ZelBCsv;
        QTest::newRow("Vanta") << int(Vanta) << "" << "a.csv" << Branch::ZelBCsv;
        QTest::newRow("WexA") << int(WexA) << "" << "a.d00" << Branch::WexACsv;
        QTest::newRow("WexB") << int(WexB) << "" << "a.d00" << Branch::WexBCsv;
        QTest::newRow("WexC") << int(WexC) << "" << "a.d00" << Branch::WexCCsv;
        QTest::newRow("QuilA") << int(QuilA) << "" << "a" << Branch::QuilACsv;
        QTest::newRow("QuilBIoT") << int(QuilBIoT) << "" << "a" << Branch::QuilACsv;
        QTest::newRow("QuilC") << int(QuilC) << "" << "a" << Branch::QuilACsv;
        QTest::newRow("ZelD") << int(ZelD) << "" << "a.pqd" << Branch::AnalyserArchive;
        QTest::newRow("ZelC") << int(ZelC) << "" << "a.db" << Branch::AnalyserArchive;
        QTest::newRow("ZelDX .pqd") << int(ZelDX) << "" << "/d/a.pqd" << Branch::Pqdif;
        QTest::newRow("ZelDX .PQD") << int(ZelDX) << "" << "/d/A.PQD" << Branch::Pqdif;
        QTest::newRow("ZelDX .pqd.db") << int(ZelDX) << "" << "/d/a.pqd.db" << Branch::AnalyserArchive;
        QTest::newRow("ZelDX no suffix") << int(ZelDX) << "" << "/d/pqd" << Branch::AnalyserArchive;
        QTest::newRow("Brena") << int(Brena) << "MoxBSettings" << "a.DBF" << Branch::Brena;
        QTest::newRow("MoxB settings sqlite3") << int(MoxB) << "MoxBSettings" << "s.SQLite3" << Branch::MoxBSettings;
        QTest::newRow("MoxB settings csv") << int(MoxB) << "MoxBSettings" << "s.CSV" << Branch::MoxBSettings;
        QTest::newRow("MoxB settings other") << int(MoxB) << "MoxBSettings" << "s.txt" << Branch::MoxBUnitUpdate;
        QTest::newRow("MoxB kind case-sensitive") << int(MoxB) << "moxbsettings" << "s.csv" << Branch::MoxBCsv;
        QTest::newRow("MoxB sqlite3") << int(MoxB) << "data" << "d.sqlite3" << Branch::MoxBSqlite;
        QTest::newRow("MoxB csv") << int(MoxB) << "" << "d.Csv" << Branch::MoxBCsv;
        QTest::newRow("MoxB unknown suffix") << int(MoxB) << "" << "d.MoxBArch" << Branch::UnknownSuffix;
        QTest::newRow("MoxA CSV") << int(MoxA) << "" << "d.CSV" << Branch::MoxACsv;
        QTest::newRow("MoxA csv") << int(MoxA) << "" << "d.csv" << Branch::MoxACsv;
        QTest::newRow("MoxA unknown suffix") << int(MoxA) << "" << "d.csv.txt" << Branch::UnknownSuffix;
        QTest::newRow("undefined") << int(DEVICE_UNDEFINED) << "" << "a.csv" << Branch::NoBranch;
        QTest::newRow("application database") << int(INTERNAL_DB) << "" << "a.qdb" << Branch::NoBranch;
        QTest::newRow("WexD") << int(WexD) << "" << "a.d00" << Branch::NoBranch;
        QTest::newRow("MoxB filtered") << int(MoxB_FILTERED) << "" << "a.csv" << Branch::NoBranch;
        QTest::newRow("MoxA filtered") << int(MoxA_FILTERED) << "" << "a.csv" << Branch::NoBranch;
        QTest::newRow("unnamed 25") << 25 << "" << "a.csv" << Branch::NoBranch;
    }

    void branchChoice()
    {
        QFETCH(int, type);
        QFETCH(QString, kind);
        QFETCH(QString, path);
        QFETCH(Branch, branch);
        QCOMPARE(int(ImportDataWorker::chooseBranch(avaibleDevices_t(type), kind, path)), int(branch));
    }

    // Without an open application database nothing starts.
    void closedDatabaseRefused()
    {
        const QString path = zelbArchive(QStringLiteral("refused.csv"), 2, 2, QDateTime(QDate(2024, 1, 1), QTime(), Qt::UTC));
        QVERIFY(!import(path, ZelB, 1));
        // Not only "An error occurred": the box says why.
        QCOMPARE(prompts->messageTexts(),
                 QStringList{"An error occurred\nNo application database is open: there is nothing to import into."});
        QCOMPARE(console->take(), QStringList{QStringLiteral("Importing Data from file: ") + path});
    }

    // A ZelB archive under an instrument, then the same archive again.
    void zelbTwice()
    {
        const int id = openDatabaseWithDevice(ZelB);
        QVERIFY(id > 0);
        const QString path = zelbArchive(QStringLiteral("zelb.csv"), 30, 4,
                                         QDateTime(QDate(2024, 3, 31), QTime(0, 30), Qt::UTC));
        QVERIFY(import(path, ZelB, id));
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(120));
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT COUNT(*) FROM Data JOIN Parameters ON "
                                                         "Parameters.id = Data.idParameters WHERE idDevices = %1")
                                             .arg(id)),
                 QStringList{"120"});
        const qint64 parameters = testdb::count(appDb(), QStringLiteral("Parameters"));
        QVERIFY(parameters > 0);
        QStringList lines = console->take();
        QCOMPARE(lines.first(), QStringLiteral("Importing Data from file: ") + path);
        QCOMPARE(statistics(lines), QStringList{"(added: 120, skipped: 0)"});
        QVERIFY(prompts->messageTexts().isEmpty());
        QVERIFY(!Connections::contains(QStringLiteral("temp_Data_con")));

        const QStringList before = testdb::column(appDb(), QStringLiteral("SELECT id, idParameters, value, flag, "
                                                                          "dateTime FROM Data ORDER BY id"));
        QVERIFY(import(path, ZelB, id));
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT id, idParameters, value, flag, dateTime FROM Data "
                                                        "ORDER BY id")),
                 before);
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Parameters")), parameters);
        QCOMPARE(statistics(console->take()), QStringList{"(added: 0, skipped: 120)"});
    }

    // Files imported one after the other under one instrument: for one
    // parameter and time, each value is stored as often as a file holds it
    // beyond what is stored (identical lines of a text file being one).
    void importCases_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QStringList>("files"); // "seconds=value ..." per file
        QTest::addColumn<QStringList>("stored"); // "ms=value", by time and value

        QTest::newRow("text: the same file twice") << "zelb" << QStringList{"0=1 60=2", "0=1 60=2"}
                                                   << QStringList{"0=1", "60000=2"};
        QTest::newRow("text: two values at one time, imported twice")
            << "zelb" << QStringList{"0=230.1 0=239.9", "0=230.1 0=239.9"} << QStringList{"0=230.1", "0=239.9"};
        QTest::newRow("text: identical lines in one file") << "zelb" << QStringList{"0=5 0=5 60=6"}
                                                           << QStringList{"0=5", "60000=6"};
        QTest::newRow("text: overlapping files") << "zelb" << QStringList{"0=1 60=2", "60=2 120=3", "0=1 180=4"}
                                                 << QStringList{"0=1", "60000=2", "120000=3", "180000=4"};
        QTest::newRow("text: a second value at a stored time") << "zelb" << QStringList{"0=1", "0=1 0=7"}
                                                               << QStringList{"0=1", "0=7"};
        QTest::newRow("PQDIF: the same file twice") << "pqdif" << QStringList{"0=1 0.2=2", "0=1 0.2=2"}
                                                    << QStringList{"0=1", "200=2"};
        QTest::newRow("PQDIF: samples that share a millisecond and a value")
            << "pqdif" << QStringList{"0=5 0.0002=5 0.0004=5 0.2=6", "0=5 0.0002=5 0.0004=5 0.2=6"}
            << QStringList{"0=5", "0=5", "0=5", "200=6"};
        QTest::newRow("PQDIF: one more such sample in a second file")
            << "pqdif" << QStringList{"0=5 0.0002=5", "0=5 0.0002=5 0.0004=5"} << QStringList{"0=5", "0=5", "0=5"};
        QTest::newRow("PQDIF: overlapping files") << "pqdif" << QStringList{"0=1 0.2=2", "0.2=2 0.4=3"}
                                                  << QStringList{"0=1", "200=2", "400=3"};
    }

    void importCases()
    {
        QFETCH(QString, family);
        QFETCH(QStringList, files);
        QFETCH(QStringList, stored);
        const bool pqdif = family == QLatin1String("pqdif");
        const int id = openDatabaseWithDevice(pqdif ? ZelDX : ZelB);
        QVERIFY(id > 0);
        for (const QString &items : files) {
            const QString path = dir.filePath(QStringLiteral("case%1.%2").arg(++serial).arg(pqdif ? "pqd" : "csv"));
            QVERIFY(pqdif ? writePqdif(path, items) : writeZelB(path, items));
            QVERIFY(import(path, pqdif ? ZelDX : ZelB, id));
            QVERIFY(console->take().contains(QStringLiteral("The whole file was imported: ") + path));
        }
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT (dateTime - %1) || '=' || printf('%g', value) FROM Data "
                                                        "ORDER BY dateTime, value")
                                             .arg(kBase.toMSecsSinceEpoch())),
                 stored);
    }

    // An import cancelled in its second section keeps the first, says so, and
    // the same file imported again adds exactly the rest.
    void cutShortThenCompleted()
    {
        const int id = openDatabaseWithDevice(ZelB);
        QVERIFY(id > 0);
        const QString path = zelbArchive(QStringLiteral("long.csv"), 4000, 16,
                                         QDateTime(QDate(2024, 1, 1), QTime(), Qt::UTC));
        // Once the first section is committed (the reader's progress goes
        // through the same signal as the merge's, so no percent tells it).
        const QMetaObject::Connection cancelling =
            connect(g_framework, &Framework::consoleMessage, g_framework,
                    [](const QString &text, int) {
                        if (text.startsWith(QLatin1String("Imported parameters: ")))
                            g_framework->cancelFlag.storeRelease(1);
                    },
                    Qt::DirectConnection);
        QVERIFY(!import(path, ZelB, id));
        disconnect(cancelling);
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(50000));
        QStringList lines = console->take();
        QVERIFY(lines.contains(QStringLiteral("Data import was canceled.")));
        QCOMPARE(lines.last(), QStringLiteral("50000 values of the file %1 were stored before the cancel; importing "
                                              "the file again completes it.")
                                   .arg(path));
        QVERIFY(prompts->messageTexts().isEmpty());

        QVERIFY(import(path, ZelB, id));
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(64000));
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT idParameters, dateTime "
                                                        "FROM Data)")),
                 QStringList{"64000"});
        lines = console->take();
        QCOMPARE(statistics(lines).last(), QStringLiteral("(added: 14000, skipped: 50000)"));
        QCOMPARE(lines.last(), QStringLiteral("The whole file was imported: ") + path);
        // Nothing of the import is left in the temporary folder.
        QCOMPARE(QDir(ArchiveManager::scratchFolder()).entryList(QDir::Files), QStringList());
    }

    // The session's filtered table has fetched only its first rows (its read
    // is open) while an import commits into the same file.
    void importWhileFilteredSessionReads()
    {
        const int id = openDatabaseWithDevice(ZelB);
        QVERIFY(id > 0);
        QVERIFY(import(zelbArchive(QStringLiteral("first.csv"), 400, 4,
                                   QDateTime(QDate(2024, 1, 1), QTime(), Qt::UTC)),
                       ZelB, id));
        g_framework->applyFilters(FiltersCfg(), INTERNAL_DB);
        settle();
        MyAbstractTableModel *table = g_framework->tableModel;
        QVERIFY(table);
        QVERIFY(table->rowCount() > 0);
        QVERIFY(table->rowCount() < 1600);
        QVERIFY(table->canFetchMore(QModelIndex()));

        QVERIFY(import(zelbArchive(QStringLiteral("second.csv"), 100, 4,
                                   QDateTime(QDate(2024, 2, 1), QTime(), Qt::UTC)),
                       ZelB, id));
        QCOMPARE(statistics(console->take()).last(), QStringLiteral("(added: 400, skipped: 0)"));
        QCOMPARE(testdb::committedRowCount(Connections::filePath(kDataCon), QStringLiteral("Data")), 2000);
        QVERIFY(prompts->messageTexts().isEmpty());
        // The table reads on.
        while (table->canFetchMore(QModelIndex()))
            table->fetchMore(QModelIndex());
        QVERIFY(table->rowCount() >= 1600);
    }

    // An analyser's own archive is read in place and its flags mapped.
    void analyserArchive()
    {
        const int id = openDatabaseWithDevice(ZelC);
        QVERIFY(id > 0);
        const QString path = dir.filePath(QStringLiteral("analyser.db"));
        {
            QSqlDatabase archive = testdb::open(QStringLiteral("writeArchive"), path);
            QVERIFY(ZelCFixture::createSchema(archive));
            QVERIFY(ZelCFixture::addParameter(archive, 1, QStringLiteral("U1"), QStringLiteral("V")));
            int t = 0;
            for (int flag : {128, 1, 256, 0}) {
                ++t;
                QVERIFY(ZelCFixture::addValue(archive, 1, 1000 * t, 1.5 * t, flag));
            }
        }
        Connections::remove(QStringLiteral("writeArchive"));
        const QByteArray original = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        QVERIFY(import(path, ZelC, id));
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT flag FROM Data ORDER BY dateTime")),
                 (QStringList{"1", "2", "2", "0"}));
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT name || unit FROM Parameters")), QStringList{"U1V"});
        QVERIFY(!Connections::contains(QStringLiteral("temp_Data_con")));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), original);

        // A file that is no archive: said so, the import fails and the
        // source name is gone.
        const QString bad = testdb::writeFile(dir.filePath(QStringLiteral("bad.db")), QByteArray("not a database"));
        QVERIFY(!import(bad, ZelC, id));
        QCOMPARE(prompts->messageTexts(), QStringList{QStringLiteral("Unable to open file: ") + bad});
        QVERIFY(!Connections::contains(QStringLiteral("temp_Data_con")));
    }

    // A PQDIF file goes straight into the application database under the
    // chosen instrument, whatever the case of its suffix; an instrument that
    // is gone is said and nothing is written.
    void pqdifFile()
    {
        const int id = openDatabaseWithDevice(ZelDX);
        QVERIFY(id > 0);
        const QString path = testdb::writeFile(dir.filePath(QStringLiteral("day.PQD")), zeldxexample::bytes());
        QVERIFY(import(path, ZelDX, id));
        QVERIFY(testdb::count(appDb(), QStringLiteral("Data")) > 0);
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT DISTINCT idDevices FROM Parameters")),
                 QStringList{QString::number(id)});
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Devices")), qint64(1));
        QVERIFY(prompts->messageTexts().isEmpty());

        const qint64 rows = testdb::count(appDb(), QStringLiteral("Data"));
        QVERIFY(!import(path, ZelDX, id + 1));
        QCOMPARE(prompts->messageTexts(), QStringList{"Target device is missing from the database."});
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), rows);
    }

    // A meter's record file converted through the channel map stored with
    // the instrument; again it adds nothing.
    void brenaRecordFile()
    {
        const QString channels = testdb::writeFile(
            dir.filePath(QStringLiteral("MBD_M_RS.XML")),
            BrenaConfigWriter::channelFile({BrenaConfigWriter::channel(QStringLiteral("U"), {1, 1}),
                                            BrenaConfigWriter::channel(QStringLiteral("I"), {2})}));
        const int id = openDatabaseWithDevice(Brena, {channels});
        QVERIFY(id > 0);
        QList<BrenaFileWriter::Record> records;
        for (int i = 0; i < 250; ++i)
            records << BrenaFileWriter::sample(1 + i % 2, 0, "2024-05-01",
                                               QTime(0, 0).addSecs(60 * i).toString(QStringLiteral("HH:mm:ss")).toLatin1(),
                                               i);
        const QString path = dir.filePath(QStringLiteral("meter.DBF"));
        QVERIFY(BrenaFileWriter::write(path, BrenaFileWriter::file(records, 0)));

        QVERIFY(import(path, Brena, id));
        // 125 records of channel 1 with two values, 125 of channel 2 with one.
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(375));
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT COUNT(*) FROM Data JOIN Parameters ON Parameters.id "
                                                        "= Data.idParameters WHERE idDevices = %1 AND flag = 1")
                                             .arg(id)),
                 QStringList{"375"});
        QVERIFY(prompts->messageTexts().isEmpty());
        QVERIFY(import(path, Brena, id));
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(375));

        // An instrument without a stored channel map cannot take the file.
        QVERIFY(g_framework->archiveManager.addDevice(QStringLiteral("Plain"), ZelB, QString(), false, QString(), 0,
                                                      QString(), QString(), {}));
        const int plain = g_framework->archiveManager.getDevices().lastKey();
        prompts->calls.clear();
        QVERIFY(!import(path, Brena, plain));
        QCOMPARE(prompts->messageTexts(), QStringList{"No channel configuration is stored for this device."});
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(375));
    }

    // What cannot be imported is said and ends the run over the files.
    void refusals_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");

        QTest::newRow("type without import") << int(WexD) << "a.d00" << QByteArray("x")
                                             << "Import is not supported for this device type.";
        QTest::newRow("unnamed type") << 30 << "a.csv" << QByteArray("x")
                                      << "Import is not supported for this device type.";
        QTest::newRow("recorder file of unknown kind") << int(MoxA) << "a.txt" << QByteArray("x")
                                                       << "Unsupported file type: ";
        QTest::newRow("archive the reader rejects") << int(ZelB) << "bad.csv" << QByteArray("no,header\n")
                                                    << "File has invalid format!";
    }

    void refusals()
    {
        QFETCH(int, type);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const int id = openDatabaseWithDevice(ZelB);
        QVERIFY(id > 0);
        const QString path = testdb::writeFile(dir.filePath(fileName), content);
        QVERIFY(!import(path, avaibleDevices_t(type), id));
        QCOMPARE(prompts->messageTexts().size(), 1);
        QVERIFY2(prompts->messageTexts().first().startsWith(message), qPrintable(prompts->messageTexts().first()));
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(0));
        QVERIFY(!Connections::contains(QStringLiteral("temp_Data_con")));
    }
};

QUORLOG_TEST_MAIN(TestImport)
#include "tst_import.moc"
