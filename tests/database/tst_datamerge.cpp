// The merge of a source database into the application database's narrow
// tables: parameter matching, exact values, flags, sections, duplicates,
// cancel and failures.
#include "support/TestMain.h"

#include "app/Framework.h"
#include "common/Connections.h"
#include "database/DataMerge.h"
#include "support/DbTestUtil.h"
#include "tables/TempDatabaseTableModel.h"
#include "tables/ZelCFixture.h"
#include "tables/ZelCTableModel.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cmath>
#include <limits>
#include <memory>

using testdb::column;
using testdb::exec;

namespace {

const QString kSource = QStringLiteral("mergesource");
const QString kTarget = QStringLiteral("mergetarget");
const int kDevice = 7;

struct Run
{
    DataMerge::Result result = DataMerge::Result::Failed;
    QStringList console; // "icon|text"
    QStringList dialogs;
    QList<int> progress;
    int maximum = -1;
    quint64 added = 0;
    quint64 skipped = 0;
};

QStringList statistics(const QStringList &console)
{
    QStringList lines;
    for (const QString &line : console)
        if (line.startsWith(QLatin1String("1|Imported parameters: ")))
            lines << line;
    return lines;
}

} // namespace

class TestDataMerge : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void parameterMatching();
    void quotedNames();
    void exactValues();
    void analyserFlags();
    void skippedValues();
    void mergedTwice();
    void threeSections();
    void cancelInSecondSection();
    void emptySource();
    void failedCommitIsAFailure();

private:
    Run merge(MyAbstractSqlModel *model, avaibleDevices_t type = ZelB, QAtomicInteger<char> *cancel = nullptr,
              std::function<void(int)> onProgress = {});
    Run mergeSource(avaibleDevices_t type = ZelB)
    {
        TempDatabaseTableModel model(m_source);
        return merge(&model, type);
    }

    QTemporaryDir m_dir;
    QSqlDatabase m_source;
    QSqlDatabase m_target;
    int m_serial = 0;
};

void TestDataMerge::init()
{
    ++m_serial;
    m_source = testdb::createSchemaDatabase(kSource, m_dir.filePath(QStringLiteral("src%1.sqlite").arg(m_serial)));
    m_target = testdb::createSchemaDatabase(kTarget, m_dir.filePath(QStringLiteral("app%1.qdb").arg(m_serial)));
    QCOMPARE(exec(m_target, {QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (%1, 'M', 4), "
                                            "(8, 'Other', 4)")
                                 .arg(kDevice)}),
             QStringList());
}

void TestDataMerge::cleanup()
{
    m_source = QSqlDatabase();
    m_target = QSqlDatabase();
    Connections::remove(kSource);
    Connections::remove(kTarget);
}

Run TestDataMerge::merge(MyAbstractSqlModel *model, avaibleDevices_t type, QAtomicInteger<char> *cancel,
                         std::function<void(int)> onProgress)
{
    Run run;
    const uint count = uint(model->getDataExportRowCnt());
    const uint first = qMin(count, DataMerge::SectionSize);
    if (!model->execDataExportQuery(0, first))
        qFatal("first section");
    DataMerge merger;
    connect(&merger, &DataMerge::consoleMessage,
            [&](const QString &text, int icon) { run.console << QString::number(icon) + QLatin1Char('|') + text; });
    connect(&merger, &DataMerge::dialogMessage, [&](const QString &text, const QString &, int icon) {
        run.dialogs << QString::number(icon) + QLatin1Char('|') + text;
    });
    connect(&merger, &DataMerge::progressValueChanged, [&](int value) {
        run.progress << value;
        if (onProgress)
            onProgress(value);
    });
    QElapsedTimer timer;
    timer.start();
    DataMerge::Input input;
    input.source = model;
    input.count = count;
    input.firstSection = first;
    input.type = type;
    input.deviceId = kDevice;
    input.target = m_target;
    input.cancelFlag = cancel;
    input.timer = &timer;
    input.mapFlag = &Framework::convertDeviceFlag;
    input.setProgressMaximum = [&](int maximum) { run.maximum = maximum; };
    run.result = merger.run(input);
    run.added = merger.added();
    run.skipped = merger.skipped();
    return run;
}

void TestDataMerge::parameterMatching()
{
    // In the application database: U1 [V] of this instrument, PF1 with a
    // NULL unit (written before the empty unit was stored as ''), P1 [kW],
    // and U1 [V] of another instrument.
    QCOMPARE(exec(m_target, {QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES "
                                            "(10, %1, 'U1', 'V'), (11, %1, 'PF1', NULL), (12, %1, 'P1', 'kW'), "
                                            "(13, 8, 'I1', 'A')")
                                 .arg(kDevice)}),
             QStringList());
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'U1', 'V'), "
                                            "(2, 'PF1', ''), (3, 'P1', 'W'), (4, 'I1', 'A'), (5, 'Q1', NULL)"),
                             QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 0, 1000, NULL), "
                                            "(NULL, 2, 2, 0, 1000, NULL), (NULL, 3, 3, 0, 1000, NULL), "
                                            "(NULL, 4, 4, 0, 1000, NULL), (NULL, 5, 5, 0, 1000, NULL)")}),
             QStringList());
    const Run run = mergeSource();
    QCOMPARE(int(run.result), int(DataMerge::Result::Done));
    QVERIFY(run.dialogs.isEmpty());
    // Reused: U1 and PF1; new: P1 [W], I1 [A] (another instrument's), Q1 [''].
    QCOMPARE(column(m_target, QStringLiteral("SELECT id || '|' || name || '|' || quote(unit) FROM Parameters "
                                             "WHERE idDevices = %1 ORDER BY id")
                                  .arg(kDevice)),
             (QStringList{"10|U1|'V'", "11|PF1|NULL", "12|P1|'kW'", "14|P1|'W'", "15|I1|'A'", "16|Q1|''"}));
    QCOMPARE(column(m_target, QStringLiteral("SELECT idParameters || ':' || value FROM Data ORDER BY value")),
             (QStringList{"10:1.0", "11:2.0", "14:3.0", "15:4.0", "16:5.0"}));

    // A second import of the same source adds no parameter and no value.
    const Run again = mergeSource();
    QCOMPARE(int(again.result), int(DataMerge::Result::Done));
    QCOMPARE(testdb::count(m_target, QStringLiteral("Parameters")), qint64(7));
    QCOMPARE(testdb::count(m_target, QStringLiteral("Data")), qint64(5));
    QCOMPARE(again.added, quint64(0));
    QCOMPARE(again.skipped, quint64(5));
}

void TestDataMerge::quotedNames()
{
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES "
                                            "(1, 'U''1 \"x\" %2', 'V''s'), (2, '%1', '%3')"),
                             QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 0, 1000, NULL), "
                                            "(NULL, 2, 2, 0, 1000, NULL)")}),
             QStringList());
    const Run run = mergeSource();
    QCOMPARE(int(run.result), int(DataMerge::Result::Done));
    QCOMPARE(column(m_target, QStringLiteral("SELECT name || '|' || unit FROM Parameters ORDER BY id")),
             (QStringList{"U'1 \"x\" %2|V's", "%1|%3"}));
    QCOMPARE(testdb::count(m_target, QStringLiteral("Data")), qint64(2));
    QCOMPARE(statistics(run.console).size(), 1);
}

void TestDataMerge::exactValues()
{
    const QList<double> values{1234567.891, 0.0012, -0.0, 1e-9, -987654321.123456789, 2.2250738585072014e-308};
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'U1', 'V')")}),
             QStringList());
    QSqlQuery q(m_source);
    q.prepare(QStringLiteral("INSERT INTO Data VALUES (NULL, 1, ?, 0, ?, NULL)"));
    for (int i = 0; i < values.size(); ++i) {
        q.addBindValue(values.at(i));
        q.addBindValue(qint64(i) * 1000);
        QVERIFY(q.exec());
    }
    const Run run = mergeSource();
    QCOMPARE(int(run.result), int(DataMerge::Result::Done));
    QSqlQuery read(m_target);
    QVERIFY(read.exec(QStringLiteral("SELECT value FROM Data ORDER BY dateTime")));
    for (const double expected : values) {
        QVERIFY(read.next());
        const double stored = read.value(0).toDouble();
        // Every digit; SQLite keeps a REAL without fraction as an integer,
        // so a negative zero comes back as zero.
        QVERIFY(stored == expected);
        if (expected != 0.0)
            QCOMPARE(QByteArray::number(stored, 'g', 17), QByteArray::number(expected, 'g', 17));
    }
    QVERIFY(!read.next());
}

void TestDataMerge::analyserFlags()
{
    const QString path = m_dir.filePath(QStringLiteral("archive%1.sqlite").arg(m_serial));
    QSqlDatabase archive = testdb::open(QStringLiteral("zelcarchive"), path);
    QVERIFY(ZelCFixture::createSchema(archive));
    QVERIFY(ZelCFixture::addParameter(archive, 1, QStringLiteral("U1"), QStringLiteral("V")));
    const QList<int> flags{128, 1, 256, 0, 5};
    for (int i = 0; i < flags.size(); ++i)
        QVERIFY(ZelCFixture::addValue(archive, 1, 1000 * i, i, flags.at(i)));
    {
        ZelCTableModel model(archive);
        const Run run = merge(&model, ZelC);
        QCOMPARE(int(run.result), int(DataMerge::Result::Done));
    }
    QCOMPARE(column(m_target, QStringLiteral("SELECT flag FROM Data ORDER BY dateTime")),
             (QStringList{"1", "2", "2", "0", "0"}));
    archive = QSqlDatabase();
    Connections::remove(QStringLiteral("zelcarchive"));

    // Other families keep their flags.
    QCOMPARE(exec(m_target, {QStringLiteral("DELETE FROM Data")}), QStringList());
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'U1', 'V')"),
                             QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 256, 1000, NULL)")}),
             QStringList());
    QCOMPARE(int(mergeSource(ZelB).result), int(DataMerge::Result::Done));
    QCOMPARE(column(m_target, QStringLiteral("SELECT flag FROM Data")), QStringList{"256"});
}

void TestDataMerge::skippedValues()
{
    // An infinity cannot be a measurement; a value of a parameter the source
    // does not list has nothing to be stored under (it is not parameter 0).
    QCOMPARE(exec(m_source, {QStringLiteral("PRAGMA foreign_keys = OFF"),
                             QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'U1', 'V')"),
                             QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 0, 1000, NULL), "
                                            "(NULL, 1, 9e999, 0, 2000, NULL), (NULL, 1, -9e999, 0, 3000, NULL), "
                                            "(NULL, 42, 4, 0, 1000, NULL), (NULL, 1, 5, 0, 5000, NULL)")}),
             QStringList());
    const Run run = mergeSource();
    QCOMPARE(int(run.result), int(DataMerge::Result::Done));
    QCOMPARE(column(m_target, QStringLiteral("SELECT value || '' FROM Data ORDER BY dateTime")),
             (QStringList{"1.0", "5.0"}));
    QCOMPARE(testdb::count(m_target, QStringLiteral("Data")), qint64(2));
    QCOMPARE(statistics(run.console).size(), 1);
    QVERIFY(statistics(run.console).first().endsWith(QStringLiteral(" ms (added: 2, skipped: 3)")));
    QVERIFY(statistics(run.console).first().startsWith(QStringLiteral("1|Imported parameters: 5 in: ")));
}

void TestDataMerge::mergedTwice()
{
    // Two values at one time are both stored; a value already stored for
    // its parameter and time is not stored again.
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'U1', 'V')"),
                             QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 0, 1000, NULL), "
                                            "(NULL, 1, 2, 0, 2000, NULL), (NULL, 1, 9, 0, 2000, NULL)")}),
             QStringList());
    Run run = mergeSource();
    QCOMPARE(run.added, quint64(3));
    QCOMPARE(run.skipped, quint64(0));
    const QStringList once = column(m_target, QStringLiteral("SELECT idParameters, value, flag, dateTime FROM Data"));
    run = mergeSource();
    QCOMPARE(run.added, quint64(0));
    QCOMPARE(run.skipped, quint64(3));
    QCOMPARE(column(m_target, QStringLiteral("SELECT idParameters, value, flag, dateTime FROM Data")), once);
    QCOMPARE(testdb::count(m_target, QStringLiteral("Data")), qint64(3));
}

void TestDataMerge::threeSections()
{
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'A', 'V'), "
                                            "(2, 'B', 'V'), (3, 'C', 'V')"),
                             QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                            "WHERE i < 100000) INSERT INTO Data (idParameters, value, flag, "
                                            "dateTime) SELECT 1 + i % 3, i * 0.5, 0, i * 1000 FROM n")}),
             QStringList());
    const Run run = mergeSource();
    QCOMPARE(int(run.result), int(DataMerge::Result::Done));
    QCOMPARE(statistics(run.console).size(), 3);
    QVERIFY(statistics(run.console).last().endsWith(QStringLiteral(" ms (added: 100001, skipped: 0)")));
    QCOMPARE(testdb::count(m_target, QStringLiteral("Data")), qint64(100001));
    // Every source row exactly once, under its own parameter.
    QCOMPARE(column(m_target, QStringLiteral("SELECT COUNT(DISTINCT dateTime) FROM Data")), QStringList{"100001"});
    QCOMPARE(column(m_target, QStringLiteral("SELECT SUM(value) = 2500025000.0 FROM Data")), QStringList{"1"});
    QCOMPARE(column(m_target, QStringLiteral("SELECT COUNT(*) FROM Data JOIN Parameters ON Parameters.id = "
                                             "Data.idParameters WHERE Parameters.name = "
                                             "char(65 + (dateTime / 1000) % 3)")),
             QStringList{"100001"});
    // Progress: 0, then one signal per whole percent passed.
    QCOMPARE(run.maximum, 100);
    QCOMPARE(run.progress.size(), 101);
    for (int i = 1; i < run.progress.size(); ++i)
        QCOMPARE(run.progress.at(i), i - 1);
}

void TestDataMerge::cancelInSecondSection()
{
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'A', 'V')"),
                             QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                            "WHERE i < 100000) INSERT INTO Data (idParameters, value, flag, "
                                            "dateTime) SELECT 1, i, 0, i * 1000 FROM n")}),
             QStringList());
    QAtomicInteger<char> cancel(0);
    TempDatabaseTableModel model(m_source);
    const Run run = merge(&model, ZelB, &cancel, [&](int percent) {
        if (percent == 70)
            cancel.storeRelease(1);
    });
    QCOMPARE(int(run.result), int(DataMerge::Result::Cancelled));
    QCOMPARE(testdb::count(m_target, QStringLiteral("Data")), qint64(50000));
    QCOMPARE(testdb::committedRowCount(m_target.databaseName(), QStringLiteral("Data")), 50000);
    QCOMPARE(statistics(run.console).size(), 1);
    QVERIFY(run.console.contains(QStringLiteral("2|Data import was canceled.")));
    QVERIFY(run.progress.last() < 80);
}

void TestDataMerge::emptySource()
{
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'U1', 'V')")}),
             QStringList());
    const Run run = mergeSource();
    QCOMPARE(int(run.result), int(DataMerge::Result::Done));
    QCOMPARE(column(m_target, QStringLiteral("SELECT name FROM Parameters")), QStringList{"U1"});
    QCOMPARE(statistics(run.console).size(), 1);
    QVERIFY(statistics(run.console).first().startsWith(QStringLiteral("1|Imported parameters: 0 in: ")));
    QVERIFY(statistics(run.console).first().endsWith(QStringLiteral(" ms (added: 0, skipped: 0)")));
    QCOMPARE(run.progress, QList<int>{0});
}

void TestDataMerge::failedCommitIsAFailure()
{
    // A deferred constraint fails only at commit: the section is not
    // reported as added, and the merge fails.
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'U1', 'V')"),
                             QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 0, 1000, NULL)")}),
             QStringList());
    QCOMPARE(exec(m_target, {QStringLiteral("CREATE TABLE guard (x REFERENCES Devices(id) DEFERRABLE INITIALLY "
                                            "DEFERRED)"),
                             QStringLiteral("CREATE TRIGGER late AFTER INSERT ON Data BEGIN "
                                            "INSERT INTO guard VALUES (999); END")}),
             QStringList());
    const Run run = mergeSource();
    QCOMPARE(int(run.result), int(DataMerge::Result::Failed));
    // With the database's own reason.
    QCOMPARE(run.dialogs, QStringList{"3|An error occurred: FOREIGN KEY constraint failed"});
    QCOMPARE(statistics(run.console).size(), 0);
    QCOMPARE(testdb::count(m_target, QStringLiteral("Data")), qint64(0));
}

QUORLOG_TEST_MAIN(TestDataMerge)
#include "tst_datamerge.moc"
