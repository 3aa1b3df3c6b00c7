#include "common/CancelWatch.h"
#include "common/Connections.h"
#include "common/GuiCall.h"
#include "common/Prompts.h"
#include "common/QueryInterrupt.h"
#include "common/SqlUtil.h"
#include "common/SqliteStatement.h"
#include "common/UtcTime.h"
#include "common/WhenIdle.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QtConcurrent>

#include <cstdio>
#include <memory>

class TestCommon : public QObject
{
    Q_OBJECT

private slots:
    void quoteIdentifier_data();
    void quoteIdentifier();
    void quotedNamesWorkInSql();
    void utcWallClock_data();
    void utcWallClock();
    void connectionsPerThreadOnOneFile();
    void connectionsRemoveAndReRegister();
    void readOnlyConnectionLeavesFileAlone();
    void removeLeavesABusyThreadsQueryRunning();
    void removeClosesAnIdleThreadsConnection();
    void reRegisteredPathIsOpenedAfresh();
    void mustExistNeverCreates_data();
    void mustExistNeverCreates();
    void missingQuotedColumnIsAnError_data();
    void missingQuotedColumnIsAnError();
    void sameFileRefusesAnotherFile_data();
    void sameFileRefusesAnotherFile();
    void goneFileIsNeverOpenedAgain_data();
    void goneFileIsNeverOpenedAgain();
    void idleCallsWaitForTheOutermostLoop();
    void cancelWatchStopsLongStatements();
    void checkpointFollowsTheCommit();
    void closingAFileStopsItsReaders_data();
    void closingAFileStopsItsReaders();
    void cancelWatchAtOnceStopsWhatRuns_data();
    void cancelWatchAtOnceStopsWhatRuns();
    void rawStatementReportsTheDatabasesReason();
    void transactionRollsBackOnEarlyReturn();
    void transactionReportsFailedCommit();
    void queuedCallSkipsDeletedTarget();
    void scriptedPromptsDefaultToCancel();

private:
    QTemporaryDir m_dir;
};

void TestCommon::quoteIdentifier_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("plain") << "U1" << "\"U1\"";
    QTest::newRow("quote") << "a\"b" << "\"a\"\"b\"";
    QTest::newRow("single") << "it's" << "\"it's\"";
    QTest::newRow("empty") << "" << "\"\"";
    QTest::newRow("unit") << "P (kW) [M1]" << "\"P (kW) [M1]\"";
}

void TestCommon::quoteIdentifier()
{
    QFETCH(QString, name);
    QFETCH(QString, quoted);
    QCOMPARE(sql::quoteIdentifier(name), quoted);
}

void TestCommon::quotedNamesWorkInSql()
{
    const QStringList names{QStringLiteral("a\"b"), QStringLiteral("x'y"), QStringLiteral("T (°C), M1"),
                            QStringLiteral("100%")};
    Connections::registerFile(QStringLiteral("quote"), m_dir.filePath(QStringLiteral("quote.sqlite")));
    QSqlDatabase db = Connections::database(QStringLiteral("quote"));
    QVERIFY(db.isOpen());
    QSqlQuery q(db);
    QStringList cols;
    for (const QString &n : names)
        cols << sql::quoteIdentifier(n) + QStringLiteral(" TEXT");
    QVERIFY2(q.exec(QStringLiteral("CREATE TABLE t (%1)").arg(cols.join(QStringLiteral(", ")))), qPrintable(sql::errorText(q)));
    QVERIFY(q.exec(QStringLiteral("PRAGMA table_info(t)")));
    QStringList stored;
    while (q.next())
        stored << q.value(1).toString();
    QCOMPARE(stored, names);
    Connections::remove(QStringLiteral("quote"));
}

void TestCommon::utcWallClock_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<qint64>("msecs");
    QTest::newRow("gap hour in Warsaw") << "2016-03-27" << "02:30:00" << Q_INT64_C(1459045800000);
    QTest::newRow("repeated hour") << "2016-10-30" << "02:30:00" << Q_INT64_C(1477794600000);
    QTest::newRow("epoch") << "1970-01-01" << "00:00:00" << Q_INT64_C(0);
    QTest::newRow("above 2^31 s") << "2040-01-01" << "00:00:00" << Q_INT64_C(2208988800000);
}

void TestCommon::utcWallClock()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(qint64, msecs);
    qint64 got = -1;
    QVERIFY(utc::parseMsecs(date, QStringLiteral("yyyy-MM-dd"), time, QStringLiteral("HH:mm:ss"), &got));
    QCOMPARE(got, msecs);
    QCOMPARE(utc::fromMsecs(got).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), date + QLatin1Char(' ') + time);
    QVERIFY(!utc::parseMsecs(QStringLiteral("2016-02-30"), QStringLiteral("yyyy-MM-dd"), time,
                             QStringLiteral("HH:mm:ss"), &got));
    QVERIFY(!utc::parseMsecs(date, QStringLiteral("yyyy-MM-dd"), QStringLiteral("25:00:00"),
                             QStringLiteral("HH:mm:ss"), &got));
}

void TestCommon::connectionsPerThreadOnOneFile()
{
    const QString path = m_dir.filePath(QStringLiteral("two.sqlite"));
    Connections::registerFile(QStringLiteral("two"), path);
    QSqlDatabase main = Connections::database(QStringLiteral("two"));
    QVERIFY(main.isOpen());
    QSqlQuery q(main);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE v (x INTEGER)")));
    QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("wal"));
    QVERIFY(q.exec(QStringLiteral("PRAGMA foreign_keys")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 1);

    // A reader on this thread keeps a read open while a worker writes.
    QVERIFY(q.exec(QStringLiteral("INSERT INTO v VALUES (1), (2)")));
    QSqlQuery reader(main);
    reader.setForwardOnly(true);
    QVERIFY(reader.exec(QStringLiteral("SELECT x FROM v")));
    QVERIFY(reader.next());

    QString workerName;
    const bool ok = QtConcurrent::run([&workerName] {
        QSqlDatabase db = Connections::database(QStringLiteral("two"));
        workerName = db.connectionName();
        if (!db.isOpen())
            return false;
        TransactionGuard tx(db);
        QSqlQuery w(db);
        for (int i = 0; i < 100; ++i)
            if (!w.exec(QStringLiteral("INSERT INTO v VALUES (%1)").arg(i)))
                return false;
        return tx.commit();
    }).result();
    QVERIFY(ok);
    QVERIFY(workerName != main.connectionName());
    QVERIFY(workerName.startsWith(QStringLiteral("two@")));
    reader.finish();
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM v")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 102);
    Connections::remove(QStringLiteral("two"));
    QVERIFY(!Connections::contains(QStringLiteral("two")));
}

void TestCommon::connectionsRemoveAndReRegister()
{
    const QString a = m_dir.filePath(QStringLiteral("a.sqlite"));
    const QString b = m_dir.filePath(QStringLiteral("b.sqlite"));
    Connections::registerFile(QStringLiteral("re"), a);
    QCOMPARE(Connections::database(QStringLiteral("re")).databaseName(), a);
    Connections::registerFile(QStringLiteral("re"), b);
    QCOMPARE(Connections::filePath(QStringLiteral("re")), b);
    QCOMPARE(Connections::database(QStringLiteral("re")).databaseName(), b);
    Connections::remove(QStringLiteral("re"));
    QVERIFY(!Connections::database(QStringLiteral("re")).isValid());
}

void TestCommon::readOnlyConnectionLeavesFileAlone()
{
    const QString path = m_dir.filePath(QStringLiteral("orig.sqlite"));
    {
        Connections::registerFile(QStringLiteral("orig_w"), path);
        QSqlQuery q(Connections::database(QStringLiteral("orig_w")));
        QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode = DELETE")));
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE t (x)")));
        Connections::remove(QStringLiteral("orig_w"));
    }
    Connections::Options ro;
    ro.readOnly = true;
    Connections::registerFile(QStringLiteral("orig"), path, ro);
    QSqlDatabase db = Connections::database(QStringLiteral("orig"));
    QVERIFY(db.isOpen());
    QSqlQuery q(db);
    QVERIFY(!q.exec(QStringLiteral("INSERT INTO t VALUES (1)")));
    QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("delete"));
    Connections::remove(QStringLiteral("orig"));
}

namespace {

void fillNumbers(const QString &name, int count)
{
    QSqlDatabase db = Connections::database(name);
    QSqlQuery q(db);
    q.exec(QStringLiteral("CREATE TABLE n (x INTEGER)"));
    q.exec(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < %1) "
                          "INSERT INTO n SELECT i FROM c").arg(count));
}

} // namespace

// A name removed while another thread is in the middle of reading through it:
// that thread's connection stays until its task ends, then goes.
void TestCommon::removeLeavesABusyThreadsQueryRunning()
{
    const QString path = m_dir.filePath(QStringLiteral("busy.sqlite"));
    Connections::registerFile(QStringLiteral("busy"), path);
    fillNumbers(QStringLiteral("busy"), 5000);
    Connections::closeForThisThread(QStringLiteral("busy"));

    QSemaphore halfway, removed;
    int rows = 0;
    QString conn;
    bool closedAfterTask = false;
    QThread *worker = QThread::create([&] {
        {
            Connections::TaskScope task;
            QSqlDatabase db = Connections::database(QStringLiteral("busy"));
            conn = db.connectionName();
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (q.exec(QStringLiteral("SELECT x FROM n"))) {
                while (rows < 2500 && q.next())
                    ++rows;
                halfway.release();
                removed.acquire();
                while (q.next())
                    ++rows;
            } else {
                halfway.release();
            }
        }
        closedAfterTask = !QSqlDatabase::contains(conn);
    });
    worker->start();
    halfway.acquire();
    Connections::remove(QStringLiteral("busy"));
    removed.release();
    QVERIFY(worker->wait(10000));
    delete worker;
    QCOMPARE(rows, 5000);
    QVERIFY(closedAfterTask);
    QVERIFY(!Connections::database(QStringLiteral("busy")).isValid());
}

// An idle thread's connection is closed by the remove itself: the last
// connection closing is what folds the WAL back into the file.
void TestCommon::removeClosesAnIdleThreadsConnection()
{
    const QString path = m_dir.filePath(QStringLiteral("idle.sqlite"));
    Connections::registerFile(QStringLiteral("idle"), path);
    QSemaphore opened, checked;
    QString conn;
    bool goneForOwner = false;
    QThread *worker = QThread::create([&] {
        fillNumbers(QStringLiteral("idle"), 10);
        conn = Connections::database(QStringLiteral("idle")).connectionName();
        opened.release();
        checked.acquire();
        goneForOwner = !QSqlDatabase::contains(conn);
    });
    worker->start();
    opened.acquire();
    QVERIFY(QFile::exists(path + QStringLiteral("-wal")));
    Connections::remove(QStringLiteral("idle"));
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    checked.release();
    QVERIFY(worker->wait(10000));
    delete worker;
    QVERIFY(goneForOwner);
}

// A scratch file made anew at the same path is a new registration: a thread
// that still held a connection of the old one must not read the old file.
void TestCommon::reRegisteredPathIsOpenedAfresh()
{
    const QString path = m_dir.filePath(QStringLiteral("again.sqlite"));
    Connections::registerFile(QStringLiteral("again"), path);
    QSemaphore first, replaced;
    bool oldSeen = false, newSeen = false;
    QThread *worker = QThread::create([&] {
        Connections::TaskScope task;
        fillNumbers(QStringLiteral("again"), 3);
        {
            QSqlQuery q(Connections::database(QStringLiteral("again")));
            oldSeen = q.exec(QStringLiteral("SELECT COUNT(*) FROM n")) && q.next() && q.value(0).toInt() == 3;
        }
        first.release();
        replaced.acquire();
        QSqlQuery q(Connections::database(QStringLiteral("again")));
        newSeen = q.exec(QStringLiteral("SELECT COUNT(*) FROM fresh")) && q.next() && q.value(0).toInt() == 0;
    });
    worker->start();
    first.acquire();
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
    Connections::registerFile(QStringLiteral("again"), path);
    {
        QSqlQuery q(Connections::database(QStringLiteral("again")));
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE fresh (y)")));
    }
    replaced.release();
    QVERIFY(worker->wait(10000));
    delete worker;
    QVERIFY(oldSeen);
    QVERIFY(newSeen);
    Connections::remove(QStringLiteral("again"));
}

void TestCommon::mustExistNeverCreates_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain") << QStringLiteral("app.qdb");
    QTest::newRow("URI characters") << QStringLiteral("a #1 ?x=%20&y 50%.qdb");
}

void TestCommon::mustExistNeverCreates()
{
    QFETCH(QString, fileName);
    const QString path = m_dir.filePath(fileName);
    Connections::Options options;
    options.mustExist = true;
    Connections::registerFile(QStringLiteral("exist"), path, options);
    QVERIFY(!Connections::database(QStringLiteral("exist")).isOpen());
    QVERIFY(!QFile::exists(path));

    Connections::registerFile(QStringLiteral("made"), path);
    fillNumbers(QStringLiteral("made"), 4);
    Connections::remove(QStringLiteral("made"));

    Connections::registerFile(QStringLiteral("exist"), path, options);
    QSqlDatabase db = Connections::database(QStringLiteral("exist"));
    QVERIFY(db.isOpen());
    QCOMPARE(Connections::pathOf(db), path);
    QCOMPARE(Connections::logicalName(db), QStringLiteral("exist"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("INSERT INTO n VALUES (5)")));
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM n")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 5);
    q.finish();
    Connections::remove(QStringLiteral("exist"));
    QVERIFY(QFile::remove(path));
}

void TestCommon::missingQuotedColumnIsAnError_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("writable") << false;
    QTest::newRow("read-only archive") << true;
}

// A double-quoted name that is no column must fail rather than read as text;
// a schema written with such a literal (an instrument's own file) still opens.
void TestCommon::missingQuotedColumnIsAnError()
{
    QFETCH(bool, readOnly);
    const QString path = m_dir.filePath(QStringLiteral("dqs_%1.sqlite").arg(readOnly));
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dqs_raw"));
        raw.setDatabaseName(path);
        QVERIFY(raw.open());
        QSqlQuery q(raw);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE t (a TEXT DEFAULT \"dflt\", b INTEGER)")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO t (b) VALUES (7)")));
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("dqs_raw"));

    Connections::Options options;
    options.readOnly = readOnly;
    Connections::registerFile(QStringLiteral("dqs"), path, options);
    QSqlDatabase db = Connections::database(QStringLiteral("dqs"));
    QVERIFY(db.isOpen());
    QSqlQuery q(db);
    QVERIFY(!q.exec(QStringLiteral("SELECT \"missing\" FROM t")));
    QVERIFY(q.lastError().text().contains(QStringLiteral("no such column")));
    QVERIFY(!q.exec(QStringLiteral("SELECT b FROM t WHERE a = \"dflt\"")));
    QVERIFY2(q.exec(QStringLiteral("SELECT \"a\", b FROM t WHERE a = 'dflt'")), qPrintable(q.lastError().text()));
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toInt(), 7);
    q.finish();
    Connections::remove(QStringLiteral("dqs"));
}

void TestCommon::sameFileRefusesAnotherFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("unchanged") << "unchanged";
    QTest::newRow("deleted") << "deleted";
    QTest::newRow("replaced") << "replaced";
    QTest::newRow("renamed away") << "renamed";
}

// A file deleted or replaced under an open connection takes no write: not
// through the connection already open (its rows would go into the deleted
// file), not through a new one (that would create the file or open the other).
void TestCommon::sameFileRefusesAnotherFile()
{
    QFETCH(QString, change);
    const QString path = m_dir.filePath(QStringLiteral("same_%1.qdb").arg(change));
    const QString other = m_dir.filePath(QStringLiteral("other_%1.qdb").arg(change));
    for (const QString &file : {path, other}) {
        Connections::registerFile(QStringLiteral("made"), file);
        fillNumbers(QStringLiteral("made"), 3);
        Connections::remove(QStringLiteral("made"));
    }
    Connections::Options options;
    options.mustExist = true;
    options.sameFile = true;
    Connections::registerFile(QStringLiteral("same"), path, options);
    QSqlDatabase db = Connections::database(QStringLiteral("same"));
    QVERIFY(db.isOpen());
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("INSERT INTO n VALUES (10)")));

    if (change == QLatin1String("deleted"))
        QVERIFY(QFile::remove(path));
    else if (change == QLatin1String("replaced"))
        QVERIFY(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()) == 0);
    else if (change == QLatin1String("renamed"))
        QVERIFY(QFile::rename(path, path + QStringLiteral(".old")));
    const bool same = change == QLatin1String("unchanged");
    QCOMPARE(Connections::isSameFile(QStringLiteral("same")), same);

    // The open connection: a write and a transaction's commit.
    QCOMPARE(q.exec(QStringLiteral("INSERT INTO n VALUES (11)")), same);
    QVERIFY(db.transaction());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO n VALUES (12)")));
    // A refused commit leaves nothing written and no transaction open.
    QCOMPARE(db.commit(), same);
    QVERIFY(!db.rollback());
    // Another thread's new connection.
    bool opened = false;
    QThread *thread = QThread::create([&opened] {
        Connections::TaskScope scope;
        opened = Connections::database(QStringLiteral("same")).isOpen();
    });
    thread->start();
    QVERIFY(thread->wait(10000));
    delete thread;
    QCOMPARE(opened, same);
    // A name registered alike later (a call's connection of its own) holds
    // to the file the first name was registered for.
    QVERIFY(Connections::registerAlike(QStringLiteral("alike"), QStringLiteral("same")));
    QCOMPARE(Connections::database(QStringLiteral("alike")).isOpen(), same);
    QCOMPARE(Connections::isSameFile(QStringLiteral("alike")), same);
    Connections::remove(QStringLiteral("alike"));
    QVERIFY(!Connections::registerAlike(QStringLiteral("alike"), QStringLiteral("nothing")));
    QVERIFY(!Connections::contains(QStringLiteral("alike")));
    q = QSqlQuery();
    db = QSqlDatabase(); // nothing holds the connection that the removal closes
    Connections::remove(QStringLiteral("same"));

    // Nothing was made at the path, and the files hold only the writes made
    // while the path named the registered file: the log of the old file,
    // left beside the path, is not read into the file there now.
    const bool renamed = change == QLatin1String("renamed");
    if (change == QLatin1String("deleted") || renamed)
        QVERIFY(!QFile::exists(path));
    if (change != QLatin1String("deleted")) {
        Connections::registerFile(QStringLiteral("check"), renamed ? path + QStringLiteral(".old") : path);
        QSqlQuery c(Connections::database(QStringLiteral("check")));
        QVERIFY(c.exec(QStringLiteral("SELECT COUNT(*) FROM n")) && c.next());
        QCOMPARE(c.value(0).toInt(), same ? 6 : renamed ? 4 : 3);
        c.finish();
        Connections::remove(QStringLiteral("check"));
    }
}

void TestCommon::goneFileIsNeverOpenedAgain_data()
{
    QTest::addColumn<bool>("sameFile");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("ended name, deleted") << false << false;
    QTest::newRow("ended name, replaced") << false << true;
    QTest::newRow("same file, deleted") << true << false;
    QTest::newRow("same file, replaced") << true << true;
}

// A registration whose file went (its name ended and a Binding holds it, or
// a sameFile name): a thread that had no connection yet gets none, on every
// call, on nothing: not an empty name (SQLite's private temporary database),
// not the file now at the path, not a file it would create. Once its last
// connection has closed, nothing stays beside a path that names no file.
void TestCommon::goneFileIsNeverOpenedAgain()
{
    QFETCH(bool, sameFile);
    QFETCH(bool, replaced);
    const QString path = m_dir.filePath(QStringLiteral("gone_%1_%2.qdb").arg(sameFile).arg(replaced));
    const QString other = m_dir.filePath(QStringLiteral("gone_other_%1_%2.qdb").arg(sameFile).arg(replaced));
    for (const QString &file : {path, other}) {
        Connections::registerFile(QStringLiteral("made"), file);
        fillNumbers(QStringLiteral("made"), file == path ? 3 : 7);
        Connections::remove(QStringLiteral("made"));
    }
    Connections::Options options;
    options.mustExist = sameFile;
    options.sameFile = sameFile;
    Connections::registerFile(QStringLiteral("gone"), path, options);
    Connections::Binding binding = Connections::Binding::of(QStringLiteral("gone"));
    {
        QSqlQuery q(binding.database());
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM n")) && q.next());
        QCOMPARE(q.value(0).toInt(), 3);
    }
    if (!sameFile)
        Connections::remove(QStringLiteral("gone"));
    QVERIFY(QFile::remove(path));
    if (replaced)
        QVERIFY(QFile::rename(other, path));
    QCOMPARE(binding.fileChanged(), sameFile);

    struct Call
    {
        bool open = true;
        QString file;
        int rows = -1;
    };
    QList<Call> calls;
    QThread *thread = QThread::create([&binding, &calls] {
        Connections::TaskScope scope;
        for (int i = 0; i < 3; ++i) {
            QSqlDatabase db = binding.database();
            Call call;
            call.open = db.isOpen();
            call.file = db.databaseName();
            if (call.open) {
                QSqlQuery q(db);
                if (q.exec(QStringLiteral("SELECT COUNT(*) FROM n")) && q.next())
                    call.rows = q.value(0).toInt();
            }
            calls << call;
        }
    });
    thread->start();
    QVERIFY(thread->wait(10000));
    delete thread;
    QCOMPARE(calls.size(), 3);
    for (const Call &call : qAsConst(calls))
        QVERIFY2(!call.open, qPrintable(QStringLiteral("open on '%1', %2 rows").arg(call.file).arg(call.rows)));
    QCOMPARE(QFile::exists(path), replaced);

    // The thread that read before the file went still reads it.
    {
        QSqlDatabase db = binding.database();
        QVERIFY(db.isOpen());
        QVERIFY(Connections::hasMoved(db));
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM n")) && q.next());
        QCOMPARE(q.value(0).toInt(), 3);
    }
    binding.reset();
    if (sameFile)
        Connections::remove(QStringLiteral("gone"));
    if (replaced) {
        Connections::registerFile(QStringLiteral("check"), path);
        QSqlQuery q(Connections::database(QStringLiteral("check")));
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM n")) && q.next());
        QCOMPARE(q.value(0).toInt(), 7);
        q.finish();
        Connections::remove(QStringLiteral("check"));
    } else {
        for (const char *suffix : {"", "-wal", "-shm", "-journal"})
            QVERIFY2(!QFile::exists(path + QLatin1String(suffix)), suffix);
    }
}

// As in the application, whose outermost loop is QApplication::exec: a call
// posted (here from a worker) waits while a nested loop runs, since whoever
// started that loop is below it, and runs once the outermost loop is about
// to wait. A call whose context is gone by then is dropped.
void TestCommon::idleCallsWaitForTheOutermostLoop()
{
    whenIdle::setOutermostLevel(1);
    QStringList order;
    QEventLoop outer;
    auto *gone = new QObject;
    QTimer::singleShot(0, [&] {
        QThread *worker = QThread::create([&] {
            whenIdle::post(gone, [&] { order << QStringLiteral("gone"); });
            whenIdle::post(&outer, [&] {
                order << QStringLiteral("idle");
                outer.quit();
            });
        });
        worker->start();
        worker->wait();
        delete worker;
        delete gone;
        QEventLoop nested;
        QTimer::singleShot(200, &nested, &QEventLoop::quit);
        nested.exec();
        order << QStringLiteral("nested loop ended");
    });
    QTimer::singleShot(20000, &outer, &QEventLoop::quit);
    outer.exec();
    whenIdle::setOutermostLevel(0);
    QCOMPARE(order, (QStringList{QStringLiteral("nested loop ended"), QStringLiteral("idle")}));
}

// A statement that would run for hours stops once the flag is set; a short
// one after it still runs, so a rollback or clean-up does.
void TestCommon::cancelWatchStopsLongStatements()
{
    Connections::registerFile(QStringLiteral("watch"), m_dir.filePath(QStringLiteral("watch.sqlite")));
    QSqlDatabase db = Connections::database(QStringLiteral("watch"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE t (x INTEGER)")));
    QAtomicInteger<char> flag(0);
    {
        const CancelWatch watch(db, &flag);
        QVERIFY(q.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                                      "SELECT COUNT(*) FROM n")));
        q.finish();
        QThread *setter = QThread::create([&flag] {
            QThread::msleep(50);
            flag.storeRelease(1);
        });
        setter->start();
        QVERIFY(db.transaction());
        QVERIFY(!q.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                                       "INSERT INTO t SELECT i FROM n WHERE i > 1000000000000")));
        QVERIFY2(q.lastError().text().contains(QStringLiteral("interrupted")), qPrintable(q.lastError().text()));
        QVERIFY(setter->wait(10000));
        delete setter;
        db.rollback();
        QVERIFY(q.exec(QStringLiteral("INSERT INTO t VALUES (1)")));
    }
    // Without the watch the flag stops nothing.
    QVERIFY(q.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                                  "SELECT COUNT(*) FROM n")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 100000);
    q.finish();
    Connections::remove(QStringLiteral("watch"));
}

// A commit under a deferred checkpoint leaves its pages in the log; the
// checkpoint after it moves them into the file unless the flag is set, and
// the automatic one is back after the commit. A cancel during the copying
// loses nothing committed, and the connection serves on.
void TestCommon::checkpointFollowsTheCommit()
{
    const QString path = m_dir.filePath(QStringLiteral("checkpoint.sqlite"));
    Connections::registerFile(QStringLiteral("checkpoint"), path);
    QSqlDatabase db = Connections::database(QStringLiteral("checkpoint"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE t (x INTEGER, y TEXT)")));
    auto fill = [&](int rows) {
        return db.transaction()
               && q.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                        "INSERT INTO t SELECT i, hex(randomblob(64)) FROM n")
                             .arg(rows))
               && db.commit();
    };
    auto rows = [&]() {
        const int n = q.exec(QStringLiteral("SELECT COUNT(*) FROM t")) && q.next() ? q.value(0).toInt() : -1;
        q.finish(); // a read left open would hold the checkpoint back
        return n;
    };
    auto fileSize = [&]() { return QFileInfo(path).size(); };
    constexpr qint64 kMegabyte = 1 << 20;
    const qint64 empty = fileSize();

    QAtomicInteger<char> flag(1);
    {
        const DeferredCheckpoint deferred(db);
        QVERIFY(fill(40000)); // some 6 MB: past the automatic checkpoint's 1000 pages
    }
    QCOMPARE(fileSize(), empty);
    checkpointUnlessCancelled(db, &flag);
    QCOMPARE(fileSize(), empty);
    QCOMPARE(rows(), 40000);
    flag.storeRelease(0);
    checkpointUnlessCancelled(db, &flag);
    const qint64 moved = fileSize();
    QVERIFY(moved > empty + 4 * kMegabyte);
    QVERIFY(fill(40000));
    QVERIFY(fileSize() > moved + 4 * kMegabyte);

    // A cancel while a larger log is copied.
    {
        const DeferredCheckpoint deferred(db);
        QVERIFY(fill(200000));
    }
    QThread *setter = QThread::create([&flag] {
        QThread::msleep(1);
        flag.storeRelease(1);
    });
    setter->start();
    checkpointUnlessCancelled(db, &flag);
    QVERIFY(setter->wait(10000));
    delete setter;
    QCOMPARE(rows(), 280000);
    QVERIFY(fill(10));
    QCOMPARE(rows(), 280010);
    flag.storeRelease(0);
    checkpointUnlessCancelled(db, &flag);
    QVERIFY(fileSize() > moved + 30 * kMegabyte);
    q = QSqlQuery();
    db = QSqlDatabase();
    Connections::remove(QStringLiteral("checkpoint"));
}

void TestCommon::closingAFileStopsItsReaders_data()
{
    QTest::addColumn<QString>("closed"); // how the closed file is named
    QTest::addColumn<bool>("stopped");
    QTest::newRow("the same path") << "same" << true;
    QTest::newRow("a link to it") << "link" << true;
    QTest::newRow("a path with dots") << "dots" << true;
    QTest::newRow("the file deleted") << "deleted" << true;
    QTest::newRow("another file") << "other" << false;
    QTest::newRow("no file") << "" << false;
}

// Closing a file stops what reads it: a statement running on another
// thread, and one that has not started yet; readers of other files, and
// interrupts made for no file, run on.
void TestCommon::closingAFileStopsItsReaders()
{
    QFETCH(QString, closed);
    QFETCH(bool, stopped);
    const QString tag = QString::number(qHash(QString::fromUtf8(QTest::currentDataTag())));
    const QString path = m_dir.filePath(QStringLiteral("readers_%1.sqlite").arg(tag));
    const QString other = m_dir.filePath(QStringLiteral("others_%1.sqlite").arg(tag));
    const QString name = QStringLiteral("readers");
    Connections::registerFile(name, path);
    fillNumbers(name, 1);
    QueryInterrupt unrelated(m_dir.filePath(QStringLiteral("unrelated_%1.sqlite").arg(tag)));
    QueryInterrupt unnamed;
    QueryInterrupt notStarted(path);
    const auto running = std::make_shared<QueryInterrupt>(path);
    QSemaphore started;
    QFuture<QString> reader = QtConcurrent::run([name, running, &started]() {
        Connections::TaskScope scope;
        QSqlDatabase db = Connections::database(name);
        running->attach(db);
        started.release();
        QSqlQuery q(db);
        // Runs for hours unless stopped.
        const bool ok = q.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                                              "SELECT COUNT(*) FROM n WHERE i < 0"));
        running->release();
        return ok ? QStringLiteral("ran") : q.lastError().text();
    });
    QVERIFY(started.tryAcquire(1, 10000));

    QString closedPath;
    if (closed == QLatin1String("same")) {
        closedPath = path;
    } else if (closed == QLatin1String("link")) {
        closedPath = m_dir.filePath(QStringLiteral("link_%1.sqlite").arg(tag));
        QVERIFY(QFile::link(path, closedPath));
    } else if (closed == QLatin1String("dots")) {
        closedPath = m_dir.path() + QStringLiteral("/./sub/../") + QFileInfo(path).fileName();
    } else if (closed == QLatin1String("deleted")) {
        QVERIFY(QFile::remove(path));
        closedPath = path;
    } else if (closed == QLatin1String("other")) {
        closedPath = other;
    }
    QueryInterrupt::interruptReadersOf(closedPath);
    QCOMPARE(notStarted.isInterrupted(), stopped);
    QCOMPARE(running->isInterrupted(), stopped);
    QVERIFY(!unrelated.isInterrupted());
    QVERIFY(!unnamed.isInterrupted());
    if (stopped) {
        QVERIFY(reader.isFinished() || QTest::qWaitFor([&reader]() { return reader.isFinished(); }, 10000));
        QVERIFY2(reader.result().contains(QStringLiteral("interrupted")), qPrintable(reader.result()));
    } else {
        QTest::qWait(50);
        QVERIFY(!reader.isFinished());
        running->interrupt();
        QVERIFY(QTest::qWaitFor([&reader]() { return reader.isFinished(); }, 10000));
    }
    Connections::remove(name);
}

// A bare count is one step of SQLite's machine: no progress handler sees it.
// A watch that stops at once is interrupted by the cancel of its own flag;
// a polled watch, or another flag's cancel, lets the count run to its end.
void TestCommon::cancelWatchAtOnceStopsWhatRuns_data()
{
    QTest::addColumn<bool>("atOnce");
    QTest::addColumn<bool>("ownFlag");
    QTest::addColumn<bool>("stopped");
    QTest::newRow("at once") << true << true << true;
    QTest::newRow("polled") << false << true << false;
    QTest::newRow("another flag") << true << false << false;
}

void TestCommon::cancelWatchAtOnceStopsWhatRuns()
{
    QFETCH(bool, atOnce);
    QFETCH(bool, ownFlag);
    QFETCH(bool, stopped);
    const QString path = m_dir.filePath(QStringLiteral("count.qdb"));
    constexpr int kRows = 200000;
    if (!QFile::exists(path))
        QVERIFY(testdb::makeLongCountDatabase(path, kRows));
    Connections::registerFile(QStringLiteral("count"), path);
    {
        QSqlDatabase db = Connections::database(QStringLiteral("count"));
        QAtomicInteger<char> flag(0);
        QAtomicInteger<char> other(0);
        QAtomicInteger<char> *cancelled = ownFlag ? &flag : &other;
        const CancelWatch watch(db, &flag, atOnce ? CancelWatch::Stop::AtOnce : CancelWatch::Stop::Polled);
        QScopedPointer<QThread> canceller(QThread::create([cancelled] {
            QThread::msleep(50);
            cancelled->storeRelease(1);
            CancelWatch::cancel(cancelled);
        }));
        QSqlQuery q(db);
        canceller->start();
        const bool counted = q.exec(QStringLiteral("SELECT COUNT(*) FROM DataMoxB")) && q.next();
        QVERIFY(canceller->wait(10000));
        QCOMPARE(!counted, stopped);
        if (counted)
            QCOMPARE(q.value(0).toInt(), kRows);
        else
            QVERIFY2(q.lastError().text().contains(QStringLiteral("interrupted")), qPrintable(q.lastError().text()));
        q.finish();
        // What follows the cancel (a rollback, a clean-up) still runs.
        QVERIFY(q.exec(QStringLiteral("SELECT 1")));
    }
    Connections::remove(QStringLiteral("count"));
}

void TestCommon::rawStatementReportsTheDatabasesReason()
{
    Connections::registerFile(QStringLiteral("raw"), m_dir.filePath(QStringLiteral("raw.sqlite")));
    QSqlDatabase db = Connections::database(QStringLiteral("raw"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE t (x INTEGER, y REAL)")));
    // A database that may not grow: the insert that needs a new page fails
    // with SQLite's own words, which tell a full disk.
    QVERIFY(q.exec(QStringLiteral("PRAGMA page_count")) && q.next());
    const int pages = q.value(0).toInt();
    QVERIFY(q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
    q.finish();
    SqliteStatement insert;
    QVERIFY(insert.prepare(db, QStringLiteral("INSERT INTO t VALUES (?1, ?2)")));
    SqliteStatement::Step step = SqliteStatement::Done;
    for (int i = 0; i < 100000 && step == SqliteStatement::Done; ++i) {
        insert.bind(1, qint64(i));
        insert.bind(2, i * 0.5);
        step = insert.step();
    }
    QCOMPARE(int(step), int(SqliteStatement::Error));
    QVERIFY(sql::isDiskFull(insert.errorText()));
    QVERIFY(!sql::isDiskFull(QStringLiteral("no such table: x")));
    insert.finalize();
    SqliteStatement read;
    QVERIFY(!read.prepare(db, QStringLiteral("SELECT missing FROM t")));
    QVERIFY2(read.errorText().contains(QStringLiteral("no such column")), qPrintable(read.errorText()));
    Connections::remove(QStringLiteral("raw"));
}

void TestCommon::transactionRollsBackOnEarlyReturn()
{
    Connections::registerFile(QStringLiteral("tx"), m_dir.filePath(QStringLiteral("tx.sqlite")));
    QSqlDatabase db = Connections::database(QStringLiteral("tx"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE t (x INTEGER)")));
    auto work = [&db](bool bail) {
        TransactionGuard tx(db);
        QSqlQuery w(db);
        w.exec(QStringLiteral("INSERT INTO t VALUES (1)"));
        if (bail)
            return false;
        return tx.commit();
    };
    QVERIFY(!work(true));
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM t")) && q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    QVERIFY(work(false));
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM t")) && q.next());
    QCOMPARE(q.value(0).toInt(), 1);
    Connections::remove(QStringLiteral("tx"));
}

void TestCommon::transactionReportsFailedCommit()
{
    Connections::registerFile(QStringLiteral("fk"), m_dir.filePath(QStringLiteral("fk.sqlite")));
    QSqlDatabase db = Connections::database(QStringLiteral("fk"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE p (id INTEGER PRIMARY KEY)")));
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE c (pid INTEGER REFERENCES p(id) DEFERRABLE INITIALLY DEFERRED)")));
    {
        TransactionGuard tx(db);
        QVERIFY(tx.isActive());
        QVERIFY(q.exec(QStringLiteral("INSERT INTO c VALUES (42)")));
        QVERIFY(!tx.commit());
        QVERIFY(tx.errorText().contains(QStringLiteral("FOREIGN KEY"), Qt::CaseInsensitive));
    }
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM c")) && q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    // The connection is usable again after the failed commit.
    TransactionGuard tx2(db);
    QVERIFY(tx2.isActive());
    Connections::remove(QStringLiteral("fk"));
}

void TestCommon::queuedCallSkipsDeletedTarget()
{
    auto *target = new QObject;
    target->setObjectName(QStringLiteral("before"));
    QPointer<QObject> p(target);
    QtConcurrent::run([p] {
        for (int i = 0; i < 50; ++i)
            callQueued(p, [i](QObject *o) { o->setObjectName(QString::number(i)); });
    }).waitForFinished();
    QCoreApplication::processEvents();
    QCOMPARE(target->objectName(), QStringLiteral("49"));

    QtConcurrent::run([p] {
        for (int i = 0; i < 50; ++i)
            callQueued(p, [](QObject *o) { o->setObjectName(QStringLiteral("after")); });
    }).waitForFinished();
    delete target; // gone before the queued calls run
    QCoreApplication::processEvents();
    QVERIFY(p.isNull());
}

void TestCommon::scriptedPromptsDefaultToCancel()
{
    ScriptedPrompts prompts;
    QCOMPARE(&Prompts::instance(), static_cast<Prompts *>(&prompts));
    QVERIFY(Prompts::instance().getOpenFileName(nullptr, QStringLiteral("Open"), QString(), QString()).isEmpty());
    QCOMPARE(Prompts::instance().message(nullptr, QMessageBox::Question, QStringLiteral("t"), QStringLiteral("x"),
                                         QMessageBox::Yes | QMessageBox::No),
             QMessageBox::No);
    QDialog d;
    QCOMPARE(Prompts::instance().exec(&d), int(QDialog::Rejected));
    prompts.messageAnswers << QMessageBox::Yes;
    QCOMPARE(Prompts::instance().message(nullptr, QMessageBox::Question, QStringLiteral("t"), QStringLiteral("x"),
                                         QMessageBox::Yes | QMessageBox::No),
             QMessageBox::Yes);
    QCOMPARE(prompts.count(QStringLiteral("message")), 2);
}

QUORLOG_TEST_MAIN(TestCommon)
#include "tst_common.moc"
