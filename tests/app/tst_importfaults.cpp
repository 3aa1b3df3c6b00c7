// Faults on the way of an import into the application database: its file
// deleted or replaced while open (also half-way through an import), its disk
// full, the temporary folder full, a recorder import's disk full, and a file
// in a folder that cannot be written. Everywhere, an SQLite page limit on the
// import task's own connection stands in for a full disk. As extras, small
// file systems the test mounts where it may (root, where mounting is allowed);
// where CI runs as root they are expected to mount, and not mounting fails.
#include "support/SessionTestUtil.h"
#include "support/ConsoleSpyUtil.h"
#include "support/TestMain.h"

#include "app/ApplicationDatabaseCheck.h"
#include "app/Framework.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "readers/ZelBArchiveWriter.h"
#include "support/MoxACsvWriter.h"
#include "support/DbTestUtil.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

const QString kDataCon = QStringLiteral("Data_con");

// A small file system of its own, gone again however the test ends.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &path)
        : m_path(path)
    {
    }
    ~SmallDisk() { unmount(); }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mount(const QString &size)
    {
        QDir().mkpath(m_path);
        m_mounted = QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                                QStringLiteral("-o"), QStringLiteral("size=") + size,
                                                                QStringLiteral("tmpfs"), m_path})
                    == 0;
        return m_mounted;
    }
    // "size=…", "ro", "rw".
    bool remount(const QString &options)
    {
        return m_mounted
               && QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,") + options,
                                                              m_path})
                      == 0;
    }
    void unmount()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_path});
        m_mounted = false;
    }
    QString path() const { return m_path; }

private:
    QString m_path;
    bool m_mounted = false;
};

bool isRoot()
{
    return ::geteuid() == 0;
}

// Root where mounting is allowed (a container may refuse it even to root).
bool canMount()
{
    static const bool can = [] {
        if (!isRoot())
            return false;
        QTemporaryDir probe;
        SmallDisk disk(probe.filePath(QStringLiteral("probe")));
        return probe.isValid() && disk.mount(QStringLiteral("1m"));
    }();
    return can;
}

// Skips a case that needs a file system of its own where none can be
// mounted; on CI as root one is expected, and its absence is a failure.
#define SMALL_DISK_OR_SKIP(available, why)                                                                        \
    do {                                                                                                           \
        if (!(available)) {                                                                                        \
            if (qEnvironmentVariable("CI") == QLatin1String("true") && isRoot())                                   \
                QFAIL("CI runs as root and is expected to mount a small file system: " why);                       \
            QSKIP(why);                                                                                            \
        }                                                                                                          \
    } while (false)

// The connection of this thread for the name may not grow its file past the
// pages it has now: a full disk for that connection alone.
bool limitPages(const QString &name)
{
    QSqlQuery q(Connections::database(name));
    if (!q.exec(QStringLiteral("PRAGMA page_count")) || !q.next())
        return false;
    const int pages = q.value(0).toInt();
    return q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
}

bool unlimitPages(const QString &name)
{
    QSqlQuery q(Connections::database(name));
    return q.exec(QStringLiteral("PRAGMA max_page_count = 1073741823"));
}

// Fills a file system to the last byte; the filler goes with the disk.
bool fill(const QString &folder)
{
    QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(64 * 1024, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    // The last bytes, one page at a time.
    const QByteArray page(4096, 'x');
    while (filler.write(page) == page.size() && filler.flush()) {
    }
    return true;
}


} // namespace

class TestImportFaults : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    consolespy::Lines *console = nullptr;
    QString files; // archives and databases, on the ordinary disk
    std::unique_ptr<SmallDisk> temporaryDisk;
    int serial = 0;

    QSqlDatabase appDb() { return Connections::database(kDataCon); }
    // A new application database at path opened as the session, with one
    // ZelB instrument; its id.
    int openDatabase(const QString &path)
    {
        const int id = openNewDatabase(path, ZelB, QStringLiteral("Meter"));
        console->take();
        prompts->calls.clear();
        return id;
    }
    QString archive(int lines)
    {
        const QString path = QDir(files).filePath(QStringLiteral("archive%1.csv").arg(++serial));
        return zelb::writeArchive(path, lines, 16, QDateTime(QDate(2024, 1, 1), QTime(), Qt::UTC)) ? path : QString();
    }
    bool import(const QString &path, int id)
    {
        const bool ok = g_framework->importData(path, QStringLiteral("1/1"), ZelB, id, QString());
        settle();
        return ok;
    }
    qint64 countIn(const QString &path, const QString &table)
    {
        Connections::registerFile(QStringLiteral("check"), path);
        const qint64 n = testdb::count(Connections::database(QStringLiteral("check")), table);
        Connections::remove(QStringLiteral("check"));
        return n;
    }

    // Runs action once on the import task's thread: at its first progress
    // value (reader or merge), or, with afterFirstSection, once the merge has
    // committed its first section. Disconnected when the returned object goes.
    struct TaskHook
    {
        QMetaObject::Connection connection;
        ~TaskHook() { QObject::disconnect(connection); }
    };
    std::unique_ptr<TaskHook> onTask(std::function<void()> action, bool afterFirstSection = false)
    {
        auto fired = std::make_shared<QAtomicInt>(0);
        auto hook = std::make_unique<TaskHook>();
        if (afterFirstSection)
            hook->connection = connect(
                g_framework, &Framework::consoleMessage, g_framework,
                [fired, action](const QString &text, int) {
                    if (text.startsWith(QLatin1String("Imported parameters: ")) && fired->testAndSetOrdered(0, 1))
                        action();
                },
                Qt::DirectConnection);
        else
            hook->connection = connect(
                g_framework, &Framework::progressValueChanged, g_framework,
                [fired, action](int value) {
                    if (value >= 1 && fired->testAndSetOrdered(0, 1))
                        action();
                },
                Qt::DirectConnection);
        return hook;
    }

private slots:
    void initTestCase()
    {
        files = QDir::tempPath();
        // As root, everything temporary of this process goes to a small file
        // system of its own, before anything (SQLite included) asks where
        // the temporary folder is.
        if (canMount()) {
            temporaryDisk = std::make_unique<SmallDisk>(QDir(files).filePath(QStringLiteral("smalltmp")));
            QVERIFY(temporaryDisk->mount(QStringLiteral("16m")));
            qputenv("TMPDIR", QFile::encodeName(temporaryDisk->path()));
        }
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        console = new consolespy::Lines(g_framework);
    }

    void cleanupTestCase()
    {
        g_framework->closeOpenedFile();
        settle();
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

    void cleanup()
    {
        g_framework->closeOpenedFile();
        settle();
    }

    // Deleted: no write reaches the deleted file and no new file is made;
    // replaced: nothing reaches the other database. Both are said.
    void deletedOrReplacedDatabase_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::newRow("deleted") << false;
        QTest::newRow("replaced") << true;
    }
    void deletedOrReplacedDatabase()
    {
        QFETCH(bool, replaced);
        const QString path = QDir(files).filePath(QStringLiteral("open%1.qdb").arg(++serial));
        const int id = openDatabase(path);
        QVERIFY(id > 0);
        const QString first = archive(30);
        QVERIFY(import(first, id));
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(480));

        const QString other = QDir(files).filePath(QStringLiteral("other%1.qdb").arg(serial));
        if (replaced) {
            QVERIFY(ArchiveManager::createDatabase(other));
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(other, path));
        } else {
            QVERIFY(QFile::remove(path));
        }
        prompts->calls.clear();
        console->take();

        QVERIFY(!import(archive(30), id));
        const QString refusal = QStringLiteral("The database file %1 was deleted or replaced while it was open. "
                                               "Nothing was written to it; open the database again.")
                                    .arg(path);
        QCOMPARE(prompts->messageTexts(), QStringList{refusal});
        // Renaming the instrument is refused the same way.
        const DeviceCfg meter = g_framework->archiveManager.getDevices().value(id);
        QVERIFY(!g_framework->archiveManager.editDevice(id, QStringLiteral("Renamed"), ZelB, meter.filesPath, false,
                                                        QString(), 0, QString(), QString()));
        settle();
        QCOMPARE(prompts->messageTexts(), (QStringList{refusal, refusal}));

        g_framework->closeOpenedFile();
        settle();
        if (replaced) {
            QCOMPARE(countIn(path, QStringLiteral("Data")), qint64(0));
            QCOMPARE(countIn(path, QStringLiteral("Devices")), qint64(0));
        } else {
            QVERIFY(!QFile::exists(path));
        }
    }

    // Replaced once the first section is in: the later sections are refused,
    // and the user reads one thing, that nothing was written to the file now
    // at the path (what went in before is in the file that is gone).
    void replacedDuringImport()
    {
        const QString path = QDir(files).filePath(QStringLiteral("midway%1.qdb").arg(++serial));
        const int id = openDatabase(path);
        QVERIFY(id > 0);
        const QString other = QDir(files).filePath(QStringLiteral("midwayother%1.qdb").arg(serial));
        QVERIFY(ArchiveManager::createDatabase(other));
        const QString big = archive(7500); // 120000 values: three sections
        bool replaced = false;
        {
            const auto hook = onTask([&]() { replaced = QFile::remove(path) && QFile::rename(other, path); }, true);
            QVERIFY(!import(big, id));
        }
        QVERIFY(replaced);
        const QString refusal = QStringLiteral("The database file %1 was deleted or replaced while it was open. "
                                               "Nothing was written to it; open the database again.")
                                    .arg(path);
        QCOMPARE(prompts->messageTexts(), QStringList{refusal});
        const QStringList lines = console->take();
        QVERIFY2(lines.filter(QStringLiteral("were stored before")).isEmpty(), qPrintable(lines.join('\n')));
        QVERIFY(lines.filter(QStringLiteral("The whole file was imported")).isEmpty());
        g_framework->closeOpenedFile();
        settle();
        QCOMPARE(countIn(path, QStringLiteral("Data")), qint64(0));
    }

    // The application database cannot grow once the first section is in:
    // the second goes back whole with the database's reason, the console
    // says what stayed, and with room again the same file completes it.
    void fullDatabaseByPageLimit()
    {
        const int id = openDatabase(QDir(files).filePath(QStringLiteral("limited%1.qdb").arg(++serial)));
        QVERIFY(id > 0);
        const QString big = archive(4000); // 64000 values: two sections
        bool limited = false;
        {
            const auto hook = onTask([&]() { limited = limitPages(kDataCon); }, true);
            QVERIFY(!import(big, id));
        }
        QVERIFY(limited);
        QCOMPARE(prompts->messageTexts(), QStringList{"An error occurred: database or disk is full"});
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(50000));
        QCOMPARE(testdb::column(appDb(), QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
        QCOMPARE(console->take().last(), QStringLiteral("50000 values of the file %1 were stored before the failure; "
                                                        "importing the file again completes it.")
                                             .arg(big));

        prompts->calls.clear();
        {
            // The task may run on the same pool thread, with the same connection.
            const auto hook = onTask([&]() { unlimitPages(kDataCon); });
            QVERIFY(import(big, id));
        }
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(64000));
        QCOMPARE(console->take().last(), QStringLiteral("The whole file was imported: ") + big);
    }

    // The scratch database of the reader cannot grow: the user reads which
    // folder and why, nothing reaches the application database or stays in
    // the temporary folder, and the next import goes through.
    void fullTemporaryDatabaseByPageLimit()
    {
        const int id = openDatabase(QDir(files).filePath(QStringLiteral("tmplimited%1.qdb").arg(++serial)));
        QVERIFY(id > 0);
        const QString path = archive(4000);
        bool limited = false;
        {
            const auto hook = onTask([&]() { limited = limitPages(QStringLiteral("temp_Data_con")); });
            QVERIFY(!import(path, id));
        }
        QVERIFY(limited);
        QCOMPARE(prompts->messageTexts(),
                 QStringList{QStringLiteral("The temporary folder %1 cannot take the data of the import: database or "
                                            "disk is full")
                                 .arg(QDir::toNativeSeparators(QDir::tempPath()))});
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(0));
        QCOMPARE(QDir(ArchiveManager::scratchFolder()).entryList(QDir::Files), QStringList());

        prompts->calls.clear();
        QVERIFY(import(path, id));
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(64000));
        QCOMPARE(QDir(ArchiveManager::scratchFolder()).entryList(QDir::Files), QStringList());
    }

    // A recorder's CSV goes into its wide table in one transaction: with the
    // disk full nothing of it stays, the reason is shown, and with room again
    // it goes in whole.
    void recorderImportFullDatabase()
    {
        QVERIFY(openDatabase(QDir(files).filePath(QStringLiteral("reclimited%1.qdb").arg(++serial))) > 0);
        QVERIFY(g_framework->archiveManager.addDevice(QStringLiteral("Recorder"), MoxA, QString(), false, QString(), 0,
                                                      QString(), QString(), {}));
        const int id = g_framework->archiveManager.getDevices().lastKey();
        const QString path = testdb::writeFile(QDir(files).filePath(QStringLiteral("rec%1.csv").arg(serial)),
                                               moxacsv::file(3000));
        QVERIFY(!path.isEmpty());
        prompts->calls.clear();
        console->take();
        bool limited = false;
        {
            const auto hook = onTask([&]() { limited = limitPages(kDataCon); });
            QVERIFY(!g_framework->importData(path, QStringLiteral("1/1"), MoxA, id, QStringLiteral("data")));
            settle();
        }
        QVERIFY(limited);
        QCOMPARE(prompts->messageTexts(),
                 QStringList{QStringLiteral("An error occurred during database import.\ndatabase or disk is full")});
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'DataMoxA'")),
                 QStringList{"0"});
        QCOMPARE(testdb::column(appDb(), QStringLiteral("SELECT count(*) FROM Parameters WHERE idDevices = %1").arg(id)),
                 QStringList{"0"});
        QCOMPARE(testdb::column(appDb(), QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});

        prompts->calls.clear();
        {
            const auto hook = onTask([&]() { unlimitPages(kDataCon); });
            QVERIFY(g_framework->importData(path, QStringLiteral("1/1"), MoxA, id, QStringLiteral("data")));
            settle();
        }
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(testdb::count(appDb(), QStringLiteral("DataMoxA")), qint64(3000));
    }

    // The disk of the application database fills during the merge: the
    // section goes back whole with the database's reason, and once there is
    // room the same file imported again completes the database exactly.
    void fullDatabaseDisk()
    {
        SMALL_DISK_OR_SKIP(canMount(), "Needs a file system of its own (root, mounting allowed); "
                                       "fullDatabaseByPageLimit covers the fault everywhere.");
        SmallDisk disk(QDir(files).filePath(QStringLiteral("smallqdb")));
        QVERIFY(disk.mount(QStringLiteral("3m")));
        const QString path = QDir(disk.path()).filePath(QStringLiteral("full.qdb"));
        const int id = openDatabase(path);
        QVERIFY(id > 0);
        const QString big = archive(4000); // 64000 values: two sections
        QVERIFY(!import(big, id));
        QCOMPARE(prompts->messageTexts(), QStringList{"An error occurred: database or disk is full"});
        const qint64 kept = testdb::count(appDb(), QStringLiteral("Data"));
        QVERIFY2(kept == 0 || kept == 50000, qPrintable(QString::number(kept)));
        QCOMPARE(testdb::column(appDb(), QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});

        QVERIFY(disk.remount(QStringLiteral("size=64m")));
        prompts->calls.clear();
        QVERIFY(import(big, id));
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(64000));
        g_framework->closeOpenedFile();
        settle();
    }

    // No room in the temporary folder, or not enough for the whole archive:
    // the user reads which folder and why, the import leaves nothing there,
    // and with room again it goes through.
    void fullTemporaryFolder_data()
    {
        QTest::addColumn<int>("leftKb");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no room at all") << 0 << "no room left";
        QTest::newRow("room for a part of it") << 768 << "database or disk is full";
    }
    void fullTemporaryFolder()
    {
        QFETCH(int, leftKb);
        QFETCH(QString, reason);
        SMALL_DISK_OR_SKIP(temporaryDisk, "Needs a file system of its own (root, mounting allowed); "
                                          "fullTemporaryDatabaseByPageLimit covers the fault everywhere.");
        const int id = openDatabase(QDir(files).filePath(QStringLiteral("tmpfull%1.qdb").arg(++serial)));
        QVERIFY(id > 0);
        const QString path = archive(4000);
        QVERIFY(fill(temporaryDisk->path()));
        const QString filler = QDir(temporaryDisk->path()).filePath(QStringLiteral("filler"));
        QVERIFY(QFile::resize(filler, qMax<qint64>(0, QFileInfo(filler).size() - leftKb * 1024)));
        QVERIFY(!import(path, id));
        QCOMPARE(prompts->messageTexts(), QStringList{QStringLiteral("The temporary folder %1 cannot take the data of the "
                                                            "import: %2")
                                                 .arg(temporaryDisk->path(), reason)});
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(0));
        QCOMPARE(QDir(ArchiveManager::scratchFolder()).entryList(QDir::Files), QStringList());

        QVERIFY(QFile::remove(filler));
        prompts->calls.clear();
        QVERIFY(import(path, id));
        QVERIFY(prompts->messageTexts().isEmpty());
        QCOMPARE(testdb::count(appDb(), QStringLiteral("Data")), qint64(64000));
        QCOMPARE(QDir(ArchiveManager::scratchFolder()).entryList(QDir::Files), QStringList());
    }

    // A valid database in a folder that cannot be written is refused as
    // such, not as "no SQLite database".
    void readOnlyFolder()
    {
        SmallDisk disk(QDir(files).filePath(QStringLiteral("readonly")));
        QString folder = QDir(files).filePath(QStringLiteral("readonly"));
        // Root passes every permission: only a read-only file system stops it.
        SMALL_DISK_OR_SKIP(!isRoot() || canMount(), "Root without a file system of its own writes into any folder.");
        if (isRoot())
            QVERIFY(disk.mount(QStringLiteral("4m")));
        else
            QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(QStringLiteral("r3.qdb"));
        QVERIFY(ArchiveManager::createDatabase(path));
        QVERIFY(QFile::exists(path));
        if (isRoot()) {
            QVERIFY(disk.remount(QStringLiteral("ro")));
        } else {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
        struct Restore
        {
            QString folder;
            ~Restore()
            {
                if (!folder.isEmpty())
                    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            }
        } restore{isRoot() ? QString() : folder};

        QCOMPARE(int(checkApplicationDatabaseFile(path)), int(DatabaseFileKind::NotWritable));
        g_framework->openFile(path, INTERNAL_DB, 0, {});
        settle();
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QCOMPARE(prompts->messageTexts(), QStringList{"The file 'r3.qdb' cannot be opened as the Quorlog database: the file or "
                                             "its folder cannot be written."});
    }
};

QUORLOG_TEST_MAIN(TestImportFaults)
#include "tst_importfaults.moc"
