#include "common/Connections.h"
#include "common/GuiCall.h"
#include "common/Prompts.h"
#include "common/SqlUtil.h"
#include "common/UtcTime.h"
#include "support/TestMain.h"

#include <QDialog>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>

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
    void missingQuotedColumnIsAnError_data();
    void missingQuotedColumnIsAnError();
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
