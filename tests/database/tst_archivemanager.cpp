#include "common/Connections.h"
#include "common/QueryInterrupt.h"
#include "database/ArchiveManager.h"
#include "database/DatabaseStructure.h"
#include "support/ConsoleSpyUtil.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "support/TimeTestUtil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

using testdb::count;
using testdb::exec;
using testdb::tables;
using testtime::utcMsecs;

const QString kDataCon = QStringLiteral("Data_con");
const QString kUpdated = QStringLiteral("The Quorlog database has been updated.");

const QStringList kSchemaTables{"Devices", "Parameters", "Data", "Events"};

// Started again with QUORLOG_SCRATCH_CHILD set, this executable stands for a
// second running copy of the program: it makes the import's temporary
// database, writes its mark into it, prints the file's path, waits for a
// line on its input and ends as the program does.
const int kScratchChild = [] {
    const QByteArray mark = qgetenv("QUORLOG_SCRATCH_CHILD");
    if (mark.isEmpty())
        return 0;
    int argc = 1;
    char name[] = "scratch-child";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    {
        ArchiveManager manager;
        QSqlDatabase db = manager.openTmpDatabase(QStringLiteral("temp_Data_con"));
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO Devices (name, type) VALUES (?, 4)"));
        q.addBindValue(QString::fromLatin1(mark));
        if (!q.exec())
            std::exit(2);
        std::printf("%s\n", qPrintable(Connections::filePath(QStringLiteral("temp_Data_con"))));
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            std::exit(3);
        q.finish();
    }
    Connections::remove(QStringLiteral("temp_Data_con"));
    std::exit(0);
}();

} // namespace

class TestArchiveManager : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void constructionAndTemporaryFile();
    void relaySlots();
    void openTmpDatabaseTwiceGivesFreshSchema();
    void openTmpDatabaseOnWorkerThread();
    void openTmpDatabaseLeavesUndeletableFile();
    void twoCopiesKeepTheirOwnTemporaryDatabases();
    void createDatabaseOverFilledFile();
    void createDatabaseFailures();
    void createDatabaseReplacesOpenApplicationDatabase();
    void getArchiveInfo_data();
    void getArchiveInfo();
    void updateMessageOnceOnOlderFile();
    void failedUpgradeIsReportedNotAnnounced();
    void notOpened();
    void sqliteTemporaryFilesInScratchFolder();
    void scratchFoldersOfEndedCopiesRemoved();

private:
    QString newDatabase(const QString &fileName);

    QTemporaryDir m_dir;
};

void TestArchiveManager::cleanup()
{
    Connections::remove(kDataCon);
}

QString TestArchiveManager::newDatabase(const QString &fileName)
{
    const QString path = m_dir.filePath(fileName);
    if (!ArchiveManager::createDatabase(path))
        return QString();
    return path;
}

void TestArchiveManager::constructionAndTemporaryFile()
{
    const QString fixed = ArchiveManager::scratchFolder() + QStringLiteral("/qrlgTmpDbFile.sqlite");
    DatabaseStructure *before = g_databaseStructure;
    {
        ArchiveManager manager;
        QVERIFY(g_databaseStructure);
        QVERIFY(g_databaseStructure != before);
        QCOMPARE(manager.tmpDbFilePath(), fixed);
        QFile f(fixed);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    QVERIFY(!QFile::exists(fixed));
    // Nothing there: the destructor has nothing to do.
    { ArchiveManager manager; }
    QVERIFY(!QFile::exists(fixed));
}

void TestArchiveManager::relaySlots()
{
    ArchiveManager manager;
    QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
    QSignalSpy console(&manager, &ArchiveManager::consoleMessage);
    manager.forwardDialogMessage(QStringLiteral("only text"));
    manager.forwardDialogMessage(QStringLiteral("all"), QStringLiteral("Title"), 3);
    manager.forwardConsoleMessage(QStringLiteral("line"));
    manager.forwardConsoleMessage(QStringLiteral("warn"), 2);
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(dialogs.at(0), (QList<QVariant>{"only text", QString(), 0}));
    QCOMPARE(dialogs.at(1), (QList<QVariant>{"all", "Title", 3}));
    QCOMPARE(console.size(), 2);
    QCOMPARE(console.at(0), (QList<QVariant>{"line", 0}));
    QCOMPARE(console.at(1), (QList<QVariant>{"warn", 2}));
}

void TestArchiveManager::openTmpDatabaseTwiceGivesFreshSchema()
{
    ArchiveManager manager;
    const QString path = ArchiveManager::tmpDatabasePath(QStringLiteral("ZelB"));
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("ZelB_TmpDb.sqlite"));
    {
        QSqlDatabase db = manager.openTmpDatabase(QStringLiteral("ZelB"));
        QVERIFY(db.isOpen());
        QCOMPARE(QFileInfo(db.databaseName()).absoluteFilePath(), QFileInfo(path).absoluteFilePath());
        QCOMPARE(tables(db), kSchemaTables);
        QCOMPARE(exec(db, {QStringLiteral("INSERT INTO Parameters (name, unit) VALUES ('U1', 'V')"),
                           QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1.5, 0, 1000, NULL)")}),
                 QStringList());
        // Foreign keys are on for the handle the readers get.
        QCOMPARE(exec(db, {QStringLiteral("INSERT INTO Data VALUES (NULL, 42, 1.5, 0, 1000, NULL)")}).size(), 1);
    }
    QVERIFY(QFile::exists(path));
    {
        QSqlDatabase db = manager.openTmpDatabase(QStringLiteral("ZelB"));
        QVERIFY(db.isOpen());
        QCOMPARE(tables(db), kSchemaTables);
        QCOMPARE(count(db, QStringLiteral("Parameters")), 0);
        QCOMPARE(count(db, QStringLiteral("Data")), 0);
    }
    // Another kind has a file of its own; the first stays.
    {
        QSqlDatabase db = manager.openTmpDatabase(QStringLiteral("temp_Data_con"));
        QVERIFY(db.isOpen());
        QVERIFY(QFile::exists(ArchiveManager::tmpDatabasePath(QStringLiteral("temp_Data_con"))));
    }
    QVERIFY(QFile::exists(path));
    Connections::remove(QStringLiteral("ZelB"));
    Connections::remove(QStringLiteral("temp_Data_con"));
}

void TestArchiveManager::openTmpDatabaseOnWorkerThread()
{
    ArchiveManager manager;
    // The workers ask for their database and use it on their own thread.
    auto work = [&manager]() -> qint64 {
        QSqlDatabase db = manager.openTmpDatabase(QStringLiteral("WexA"));
        if (!db.isOpen())
            return -1;
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("INSERT INTO Parameters (name, unit) VALUES ('I1', 'A')")))
            return -2;
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM Parameters")) || !q.next())
            return -3;
        return q.value(0).toLongLong();
    };
    QCOMPARE(QtConcurrent::run(work).result(), 1);
    QCOMPARE(QtConcurrent::run(work).result(), 1);
    Connections::remove(QStringLiteral("WexA"));
}

void TestArchiveManager::openTmpDatabaseLeavesUndeletableFile()
{
    ArchiveManager manager;
    // A folder in place of the file cannot be deleted as a file.
    const QString path = ArchiveManager::tmpDatabasePath(QStringLiteral("Brena"));
    QVERIFY(QDir().mkpath(path));
    QFile inside(path + QStringLiteral("/keep.txt"));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.close();
    // An earlier connection of that name stays as it was.
    const QString earlier = m_dir.filePath(QStringLiteral("earlier.sqlite"));
    Connections::registerFile(QStringLiteral("Brena"), earlier);
    QVERIFY(Connections::database(QStringLiteral("Brena")).isOpen());

    QSqlDatabase db = manager.openTmpDatabase(QStringLiteral("Brena"));
    QVERIFY(!db.isValid());
    QVERIFY(!db.isOpen());
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(QFile::exists(path + QStringLiteral("/keep.txt")));
    QCOMPARE(Connections::filePath(QStringLiteral("Brena")), earlier);
    QVERIFY(Connections::database(QStringLiteral("Brena")).isOpen());
    Connections::remove(QStringLiteral("Brena"));
}

// Two copies of the program importing at the same time: each has its own
// temporary database, neither touches the other's, and each removes its own
// folder when it ends.
void TestArchiveManager::twoCopiesKeepTheirOwnTemporaryDatabases()
{
    QVERIFY(kScratchChild == 0);
    QProcess first, second;
    QStringList paths;
    for (QProcess *copy : {&first, &second}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUORLOG_SCRATCH_CHILD"), copy == &first ? QStringLiteral("A") : QStringLiteral("B"));
        copy->setProcessEnvironment(env);
        copy->start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(copy->waitForStarted(10000));
        QVERIFY(copy->waitForReadyRead(30000));
        paths << QString::fromLocal8Bit(copy->readLine()).trimmed();
    }
    QVERIFY(paths.at(0) != paths.at(1));
    QVERIFY(QFileInfo(paths.at(0)).absolutePath() != QFileInfo(paths.at(1)).absolutePath());
    for (int i = 0; i < 2; ++i) {
        QVERIFY(paths.at(i).startsWith(QDir::tempPath() + QLatin1Char('/')));
        QCOMPARE(QFileInfo(paths.at(i)).fileName(), QStringLiteral("temp_Data_con_TmpDb.sqlite"));
        Connections::Options options;
        options.readOnly = true;
        Connections::registerFile(QStringLiteral("copy"), paths.at(i), options);
        QCOMPARE(testdb::column(Connections::database(QStringLiteral("copy")), QStringLiteral("SELECT name FROM Devices")),
                 QStringList{i == 0 ? "A" : "B"});
        Connections::remove(QStringLiteral("copy"));
    }
    for (QProcess *copy : {&first, &second}) {
        copy->write("end\n");
        QVERIFY(copy->waitForFinished(30000));
        QCOMPARE(copy->exitCode(), 0);
    }
    for (const QString &path : paths)
        QVERIFY(!QFileInfo::exists(QFileInfo(path).absolutePath()));
}

void TestArchiveManager::createDatabaseOverFilledFile()
{
    ArchiveManager manager;
    const QString path = newDatabase(QStringLiteral("filled.qdb"));
    QVERIFY(!path.isEmpty());
    QVERIFY(!Connections::contains(kDataCon)); // left to the session
    Connections::registerFile(QStringLiteral("check"), path);
    {
        QSqlDatabase db = Connections::database(QStringLiteral("check"));
        QCOMPARE(tables(db), kSchemaTables);
        QCOMPARE(exec(db, {QStringLiteral("INSERT INTO Devices (name, type) VALUES ('M1', 4)"),
                           QStringLiteral("CREATE TABLE extra (x)")}),
                 QStringList());
    }
    Connections::remove(QStringLiteral("check"));

    QVERIFY(ArchiveManager::createDatabase(path));
    QVERIFY(!Connections::contains(kDataCon));
    QVERIFY(!QFile::exists(path + QStringLiteral(".creating")));
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    Connections::registerFile(QStringLiteral("check"), path);
    {
        QSqlDatabase db = Connections::database(QStringLiteral("check"));
        QCOMPARE(tables(db), kSchemaTables);
        QCOMPARE(count(db, QStringLiteral("Devices")), 0);
    }
    Connections::remove(QStringLiteral("check"));
}

void TestArchiveManager::createDatabaseFailures()
{
    ArchiveManager manager;
    // A folder that does not exist: nothing is created.
    const QString missing = m_dir.filePath(QStringLiteral("no/such/folder/x.qdb"));
    QVERIFY(!ArchiveManager::createDatabase(missing));
    QVERIFY(!QFile::exists(missing));
    // A folder in place of the file.
    const QString folder = m_dir.filePath(QStringLiteral("folder.qdb"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(!ArchiveManager::createDatabase(folder));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(!Connections::contains(kDataCon));
}

void TestArchiveManager::createDatabaseReplacesOpenApplicationDatabase()
{
    ArchiveManager manager;
    const QString path = newDatabase(QStringLiteral("open.qdb"));
    QVERIFY(!path.isEmpty());
    Connections::registerFile(kDataCon, path);
    {
        QSqlDatabase db = Connections::database(kDataCon);
        QCOMPARE(exec(db, {QStringLiteral("INSERT INTO Devices (name, type) VALUES ('M1', 4)")}), QStringList());
    }
    QVERIFY(ArchiveManager::createDatabase(path));
    // The connection of the replaced file is gone; the session reopens.
    QVERIFY(!Connections::contains(kDataCon));
    Connections::registerFile(kDataCon, path);
    QSqlDatabase db = Connections::database(kDataCon);
    QCOMPARE(tables(db), kSchemaTables);
    QCOMPARE(count(db, QStringLiteral("Devices")), 0);
}

void TestArchiveManager::getArchiveInfo_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("moxB"); // wide-table columns, empty: no table
    QTest::addColumn<QStringList>("moxA");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    QTest::addColumn<quint32>("rows");

    const QStringList devices{QStringLiteral("INSERT INTO Devices (name, type) VALUES ('R1', 17)"),
                              QStringLiteral("INSERT INTO Devices (name, type) VALUES ('M1', 4)"),
                              QStringLiteral("INSERT INTO Devices (name, type) VALUES ('A1', 20)"),
                              QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (2, 'U1', 'V')")};
    const QStringList narrow{QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 0, 1700000003000, NULL)"),
                             QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 2, 0, 1700000001000, NULL)"),
                             QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 3, 0, 1700000009000, NULL)")};
    const QStringList wideB{QStringLiteral("INSERT INTO DataMoxB (date, time, \"U (R1)\") VALUES ('2023-11-14', '22:13:25.500', '1')"),
                            QStringLiteral("INSERT INTO DataMoxB (date, time, \"U (R1)\") VALUES ('2016-03-27', '02:30:00.250', '2')"),
                            QStringLiteral("INSERT INTO DataMoxB (date, time, \"U (R1)\") VALUES ('2016-03-27', '02:40:00.000', '3')")};
    const QStringList wideA{QStringLiteral("INSERT INTO DataMoxA (date, time, \"T (A1)\") VALUES ('2030-01-01', '00:00:00', '1')"),
                            QStringLiteral("INSERT INTO DataMoxA (date, time, \"T (A1)\") VALUES ('2023-10-29', '02:30:00', '2')")};
    const QStringList colsB{"date", "time", "U (R1)"};
    const QStringList colsA{"date", "time", "T (A1)"};

    QTest::newRow("empty") << QStringList() << QStringList() << QStringList() << Q_INT64_C(0) << Q_INT64_C(0) << 0u;
    QTest::newRow("empty with devices") << devices << QStringList() << QStringList() << Q_INT64_C(0) << Q_INT64_C(0)
                                        << 0u;
    QTest::newRow("empty wide tables") << devices << colsB << colsA << Q_INT64_C(0) << Q_INT64_C(0) << 0u;
    QTest::newRow("narrow only") << (devices + narrow) << QStringList() << QStringList() << Q_INT64_C(1700000001000)
                                 << Q_INT64_C(1700000009000) << 3u;
    // Recorder times are UTC wall-clock, also in the Warsaw gap hour.
    QTest::newRow("MoxB only") << (devices + wideB) << colsB << QStringList() << utcMsecs("2016-03-27 02:30:00.250")
                               << utcMsecs("2023-11-14 22:13:25.500") << 3u;
    QTest::newRow("MoxA only") << (devices + wideA) << QStringList() << colsA << utcMsecs("2023-10-29 02:30:00")
                               << utcMsecs("2030-01-01 00:00:00") << 2u;
    // The first instrument is a MoxB, yet the narrow rows count too.
    QTest::newRow("narrow and MoxB") << (devices + narrow + wideB) << colsB << QStringList()
                                     << utcMsecs("2016-03-27 02:30:00.250") << Q_INT64_C(1700000009000) << 6u;
    QTest::newRow("all three") << (devices + narrow + wideB + wideA) << colsB << colsA
                               << utcMsecs("2016-03-27 02:30:00.250") << utcMsecs("2030-01-01 00:00:00") << 8u;
    // A row without its time bounds nothing (its joined text is NULL).
    QTest::newRow("MoxB row without time") << (devices + wideB
                                               + QStringList{QStringLiteral("INSERT INTO DataMoxB (date, time, \"U (R1)\") "
                                                                            "VALUES ('2010-01-01', NULL, '4')")})
                                           << colsB << QStringList() << utcMsecs("2016-03-27 02:30:00.250")
                                           << utcMsecs("2023-11-14 22:13:25.500") << 4u;
    QTest::newRow("narrow and empty MoxB") << (devices + narrow) << colsB << QStringList()
                                           << Q_INT64_C(1700000001000) << Q_INT64_C(1700000009000) << 3u;
}

void TestArchiveManager::getArchiveInfo()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, moxB);
    QFETCH(QStringList, moxA);
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    QFETCH(quint32, rows);

    ArchiveManager manager;
    const QString path = newDatabase(QStringLiteral("info_%1.qdb").arg(QTest::currentDataTag()).replace(' ', '_'));
    QVERIFY(!path.isEmpty());
    Connections::registerFile(kDataCon, path);
    {
        QSqlDatabase db = Connections::database(kDataCon);
        QVERIFY(g_databaseStructure->createOrUpdate(db)); // brings eventData
        if (!moxB.isEmpty())
            g_databaseStructure->ensureDataMoxBTable(db, moxB);
        if (!moxA.isEmpty())
            g_databaseStructure->ensureDataMoxATable(db, moxA);
        QCOMPARE(exec(db, setup), QStringList());
    }
    QSignalSpy console(&manager, &ArchiveManager::consoleMessage);
    const ArchiveInfo info = manager.getArchiveInfo();
    QCOMPARE(info.firstRecordDate, first);
    QCOMPARE(info.lastRecordDate, last);
    QCOMPARE(info.allRecordsCnt, rows);
    // The same period without counting, and the count alone, on any thread.
    const ArchivePeriod period = manager.getArchivePeriod();
    QCOMPARE(period.firstRecordDate, first);
    QCOMPARE(period.lastRecordDate, last);
    QCOMPARE(period.hasRecords, rows > 0);
    QCOMPARE(ArchiveManager::countRecords(kDataCon), qint64(rows));
    QString error = QStringLiteral("not run");
    const qint64 counted = QtConcurrent::run([&error]() {
                               const qint64 n = ArchiveManager::countRecords(kDataCon, &error);
                               Connections::closeForThisThread(kDataCon);
                               return n;
                           }).result();
    QCOMPARE(counted, qint64(rows));
    QCOMPARE(error, QString());
    // Stopped: no count, and nothing to report.
    QueryInterrupt stop;
    stop.interrupt();
    QCOMPARE(ArchiveManager::countRecords(kDataCon, &error, &stop), qint64(-1));
    QCOMPARE(error, QString());
    QCOMPARE(console.size(), 0);
}

void TestArchiveManager::updateMessageOnceOnOlderFile()
{
    ArchiveManager manager;
    const QString path = m_dir.filePath(QStringLiteral("older.qdb"));
    const QStringList olderSchema = {
        QStringLiteral("CREATE TABLE Devices (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, name VARCHAR(50), "
                       "type SMALLINT DEFAULT(0))"),
        QStringLiteral("CREATE TABLE Parameters (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, idDevices INTEGER, "
                       "name VARCHAR(80), unit VARCHAR(10))"),
        QStringLiteral("CREATE TABLE Data (id integer PRIMARY KEY, idParameters INTEGER, value DOUBLE, flag SMALLINT, "
                       "dateTime INT8, observationId INT8)"),
        QStringLiteral("INSERT INTO Devices (name, type) VALUES ('M1', 4)"),
        QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (1, 'U1', 'V')"),
        QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 230, 0, 5000, NULL)")};
    Connections::registerFile(kDataCon, path);
    QCOMPARE(exec(Connections::database(kDataCon), olderSchema), QStringList());
    QSignalSpy console(&manager, &ArchiveManager::consoleMessage);
    const ArchiveInfo a = manager.getArchiveInfo();
    const ArchiveInfo b = manager.getArchiveInfo();
    QCOMPARE(consolespy::count(console, kUpdated, 1), 1);
    QCOMPARE(console.size(), 1);
    QCOMPARE(a.allRecordsCnt, 1u);
    QCOMPARE(b.firstRecordDate, Q_INT64_C(5000));
    {
        QSqlDatabase db = Connections::database(kDataCon);
        QCOMPARE(tables(db), (QStringList{"Devices", "Parameters", "Data", "Events", "eventData"}));
        QCOMPARE(count(db, QStringLiteral("Data")), 1);
    }

    // Another older file opened under the same name is brought up to date too.
    const QString second = m_dir.filePath(QStringLiteral("older2.qdb"));
    Connections::registerFile(kDataCon, second);
    QCOMPARE(exec(Connections::database(kDataCon), olderSchema), QStringList());
    console.clear();
    manager.getArchivePeriod();
    manager.getArchivePeriod();
    QCOMPARE(consolespy::count(console, kUpdated, 1), 1);
    QVERIFY(tables(Connections::database(kDataCon)).contains(QStringLiteral("eventData")));
}

void TestArchiveManager::failedUpgradeIsReportedNotAnnounced()
{
    ArchiveManager manager;
    const QString path = newDatabase(QStringLiteral("blocked.qdb"));
    Connections::registerFile(kDataCon, path);
    QCOMPARE(exec(Connections::database(kDataCon), {QStringLiteral("CREATE VIEW eventData AS SELECT 1 AS id")}),
             QStringList());
    QSignalSpy console(&manager, &ArchiveManager::consoleMessage);
    manager.getArchiveInfo();
    QCOMPARE(consolespy::count(console, kUpdated, 1), 0);
    QCOMPARE(console.size(), 1);
    QCOMPARE(console.at(0).at(1).toInt(), 2);
    QVERIFY(console.at(0).at(0).toString().contains(QStringLiteral("eventData")));
}

void TestArchiveManager::notOpened()
{
    ArchiveManager manager;
    QSignalSpy console(&manager, &ArchiveManager::consoleMessage);
    QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
    ArchiveInfo info = manager.getArchiveInfo();
    QCOMPARE(info.firstRecordDate, Q_INT64_C(0));
    QCOMPARE(info.lastRecordDate, Q_INT64_C(0));
    QCOMPARE(info.allRecordsCnt, 0u);
    QCOMPARE(console.size(), 1);
    QCOMPARE(console.at(0), (QList<QVariant>{"Database is not opened.", 2}));

    // Registered, but the file cannot be opened.
    Connections::registerFile(kDataCon, m_dir.filePath(QStringLiteral("missing/folder/x.qdb")));
    info = manager.getArchiveInfo();
    QCOMPARE(info.allRecordsCnt, 0u);
    QCOMPARE(console.size(), 2);
    QCOMPARE(console.at(1), (QList<QVariant>{"Database is not opened.", 2}));
    QCOMPARE(dialogs.size(), 0);
    QString error;
    QCOMPARE(ArchiveManager::countRecords(kDataCon, &error), qint64(-1));
    QCOMPARE(error, QStringLiteral("Database is not opened."));
}

namespace {

// Where the process's open files are; SQLite unlinks its temporary files as
// soon as it opens them, so they are seen only here.
QStringList openFiles()
{
    QStringList targets;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const ssize_t n = ::readlink(QFile::encodeName(fds.filePath(fd)).constData(), target, sizeof target - 1);
        if (n > 0)
            targets << QFile::decodeName(QByteArray(target, int(n)));
    }
    return targets;
}

// What the program writes into its scratch folder to name its owner.
QByteArray markOf(qint64 pid, const QByteArray &startTime = QByteArray())
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile boot(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!stat.open(QIODevice::ReadOnly) || !boot.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return QByteArray::number(pid) + ' ' + (startTime.isEmpty() ? fields.value(19) : startTime) + ' '
           + boot.readAll().trimmed();
}

QString scratchLike(const QString &name, const QByteArray &mark)
{
    const QString folder = QDir::tempPath() + QLatin1Char('/') + name;
    if (!QDir().mkpath(folder))
        return QString();
    QFile(folder + QStringLiteral("/data_TmpDb.sqlite")).open(QIODevice::WriteOnly);
    if (!mark.isNull()) {
        QFile owner(folder + QStringLiteral("/.owner"));
        if (!owner.open(QIODevice::WriteOnly) || owner.write(mark + '\n') < 0)
            return QString();
    }
    return folder;
}

} // namespace

void TestArchiveManager::sqliteTemporaryFilesInScratchFolder()
{
    ArchiveManager manager;
    const QString folder = ArchiveManager::scratchFolder();
    QVERIFY(QFileInfo(folder).fileName().startsWith(QStringLiteral("quorlog-")));
    const QString path = newDatabase(QStringLiteral("spill.qdb"));
    Connections::registerFile(kDataCon, path);
    QStringList spills;
    {
        QSqlQuery q(Connections::database(kDataCon));
        // A temporary table larger than its cache, and a sort larger than the
        // main cache, go to files of SQLite's own.
        QCOMPARE(exec(Connections::database(kDataCon),
                      {QStringLiteral("PRAGMA temp_store = FILE"), QStringLiteral("PRAGMA cache_size = 10"),
                       QStringLiteral("PRAGMA temp.cache_size = 10"), QStringLiteral("CREATE TEMP TABLE spill (x)"),
                       QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 3000) "
                                      "INSERT INTO spill SELECT randomblob(1000) FROM c")}),
                 QStringList());
        QVERIFY(q.exec(QStringLiteral("SELECT x FROM spill ORDER BY x")));
        QVERIFY(q.next());
        for (const QString &file : openFiles())
            if (file.contains(QStringLiteral("/etilqs_")))
                spills << file;
        q.finish();
        QVERIFY(q.exec(QStringLiteral("DROP TABLE spill")));
    }
    Connections::remove(kDataCon);
    QVERIFY2(!spills.isEmpty(), "SQLite kept its temporary data in memory");
    for (const QString &file : qAsConst(spills))
        QVERIFY2(file.startsWith(folder + QLatin1Char('/')), qPrintable(file));
}

void TestArchiveManager::scratchFoldersOfEndedCopiesRemoved()
{
    QVERIFY(kScratchChild == 0);
    ArchiveManager manager;
    const QString own = ArchiveManager::scratchFolder();
    QVERIFY(QFile::exists(own + QStringLiteral("/.owner")));

    // A running copy of the program; it would remove the folders below as
    // well, so they are made once it runs.
    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORLOG_SCRATCH_CHILD"), QStringLiteral("C"));
    copy.setProcessEnvironment(env);
    copy.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(copy.waitForStarted(10000));
    QVERIFY(copy.waitForReadyRead(30000));
    const QString running = QFileInfo(QString::fromLocal8Bit(copy.readLine()).trimmed()).absolutePath();
    QVERIFY(QFileInfo(running).fileName().startsWith(QStringLiteral("quorlog-")));

    // A process that has ended, with the mark it had while it ran.
    QProcess ended;
    ended.start(QStringLiteral("/bin/sleep"), {QStringLiteral("60")});
    QVERIFY(ended.waitForStarted(10000));
    const QByteArray endedMark = markOf(ended.processId());
    QVERIFY(!endedMark.isEmpty());
    ended.kill();
    QVERIFY(ended.waitForFinished(10000));

    const QString dead = scratchLike(QStringLiteral("quorlog-Dead01"), endedMark);
    // The number of a running process, which started at another time: one
    // that ended long ago, whose number came back.
    const QString reused = scratchLike(QStringLiteral("quorlog-Reuse1"), markOf(::getpid(), "1"));
    // Being made by another copy right now, or of another program.
    const QString unmarked = scratchLike(QStringLiteral("quorlog-NoMrk1"), QByteArray());
    const QString garbled = scratchLike(QStringLiteral("quorlog-Garbl1"), QByteArray("12 x"));
    const QString otherName = scratchLike(QStringLiteral("quorlog-dead"), endedMark);
    for (const QString &folder : {dead, reused, unmarked, garbled, otherName})
        QVERIFY(!folder.isEmpty());

    QStringList removed = ArchiveManager::removeStaleScratchFolders();
    removed.sort();
    QCOMPARE(removed, (QStringList{dead, reused}));
    for (const QString &folder : {dead, reused})
        QVERIFY(!QFileInfo::exists(folder));
    for (const QString &folder : {unmarked, garbled, otherName, own, running})
        QVERIFY2(QFileInfo(folder).isDir(), qPrintable(folder));
    QVERIFY(QFile::exists(own + QStringLiteral("/.owner")));

    // Killed, the copy leaves its folder behind; the next start removes it.
    copy.kill();
    QVERIFY(copy.waitForFinished(10000));
    QVERIFY(QFileInfo(running).isDir());
    QCOMPARE(ArchiveManager::removeStaleScratchFolders(), QStringList{running});
    QVERIFY(!QFileInfo::exists(running));
    QVERIFY(QFileInfo(own).isDir());
    for (const QString &folder : {unmarked, garbled, otherName})
        QDir(folder).removeRecursively();
}

QUORLOG_TEST_MAIN(TestArchiveManager)
#include "tst_archivemanager.moc"
