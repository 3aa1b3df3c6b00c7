// The merge of a source database into the application database's narrow
// tables: parameter matching, exact values, flags, sections, duplicates,
// cancel and failures.
#include "support/TestMain.h"

#include "app/Framework.h"
#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "database/DataMerge.h"
#include "database/DataSurplusWriter.h"
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
    void fullDatabaseRollsBackTheSection();
    void replacedTargetIsNotWritten();
    void surplusRule_data();
    void surplusRule();

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

// The disk fills in the middle of the second section: that section goes
// back whole, the first stays, the user reads the database's reason, and the
// same source merged again once there is room completes the target exactly.
void TestDataMerge::fullDatabaseRollsBackTheSection()
{
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'A', 'V'), "
                                            "(2, 'B', 'V')"),
                             QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                            "WHERE i < 120000) INSERT INTO Data (idParameters, value, flag, "
                                            "dateTime) SELECT 1 + i % 2, i * 0.25, 0, i * 1000 FROM n")}),
             QStringList());
    bool limited = false;
    TempDatabaseTableModel model(m_source);
    const Run run = merge(&model, ZelB, nullptr, [&](int percent) {
        if (percent < 55 || limited)
            return;
        // No page more than the file has now: the next one it needs fails.
        QSqlQuery q(m_target);
        QVERIFY(q.exec(QStringLiteral("PRAGMA page_count")) && q.next());
        QVERIFY(q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(q.value(0).toInt())));
        limited = true;
    });
    QVERIFY(limited);
    QCOMPARE(int(run.result), int(DataMerge::Result::Failed));
    QCOMPARE(run.dialogs, QStringList{"3|An error occurred: database or disk is full"});
    QCOMPARE(statistics(run.console).size(), 1);
    QCOMPARE(run.added, quint64(50000));
    QCOMPARE(testdb::count(m_target, QStringLiteral("Data")), qint64(50000));
    QCOMPARE(testdb::committedRowCount(m_target.databaseName(), QStringLiteral("Data")), 50000);

    QCOMPARE(exec(m_target, {QStringLiteral("PRAGMA max_page_count = 1073741823")}), QStringList());
    TempDatabaseTableModel again(m_source);
    const Run complete = merge(&again);
    QCOMPARE(int(complete.result), int(DataMerge::Result::Done));
    QCOMPARE(complete.added, quint64(70001));
    QCOMPARE(complete.skipped, quint64(50000));
    QCOMPARE(column(m_target, QStringLiteral("SELECT COUNT(*) || '|' || COUNT(DISTINCT dateTime) || '|' || SUM(value) "
                                             "FROM Data")),
             QStringList{"120001|120001|1800015000.0"});
}

// The target stops being the file it was (replaced, deleted): the merge says
// so and writes no further section.
void TestDataMerge::replacedTargetIsNotWritten()
{
    QCOMPARE(exec(m_source, {QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (1, 'A', 'V')"),
                             QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                            "WHERE i < 60000) INSERT INTO Data (idParameters, value, flag, "
                                            "dateTime) SELECT 1, i, 0, i * 1000 FROM n")}),
             QStringList());
    bool replaced = false;
    TempDatabaseTableModel model(m_source);
    Run run;
    {
        const uint count = uint(model.getDataExportRowCnt());
        QVERIFY(model.execDataExportQuery(0, qMin(count, DataMerge::SectionSize)));
        DataMerge merger;
        connect(&merger, &DataMerge::dialogMessage,
                [&](const QString &text, const QString &, int icon) { run.dialogs << QString::number(icon) + '|' + text; });
        connect(&merger, &DataMerge::progressValueChanged, [&](int percent) { replaced = replaced || percent >= 90; });
        DataMerge::Input input;
        input.source = &model;
        input.count = count;
        input.firstSection = qMin(count, DataMerge::SectionSize);
        input.type = ZelB;
        input.deviceId = kDevice;
        input.target = m_target;
        input.writeRefusal = [&]() { return replaced ? QStringLiteral("replaced") : QString(); };
        run.result = merger.run(input);
        run.added = merger.added();
    }
    QCOMPARE(int(run.result), int(DataMerge::Result::Failed));
    QCOMPARE(run.dialogs, QStringList{"3|replaced"});
    QCOMPARE(run.added, quint64(50000));
    QCOMPARE(testdb::count(m_target, QStringLiteral("Data")), qint64(50000));
}

void TestDataMerge::surplusRule_data()
{
    // Rows as "time:value:flag" (value "nan" for no number), separated by
    // blanks; split: the file's rows go in two transactions at this index.
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("split");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("added");

    QTest::newRow("nothing stored") << "" << "1:5:0 1:5:0 2:6:0" << -1 << "1:5:0 1:5:0 2:6:0" << 3;
    QTest::newRow("the same file again") << "1:5:0 1:5:0 2:6:0" << "1:5:0 1:5:0 2:6:0" << -1
                                         << "1:5:0 1:5:0 2:6:0" << 0;
    QTest::newRow("a second value at a stored time") << "1:5:0" << "1:5:0 1:9:0" << -1 << "1:5:0 1:9:0" << 1;
    QTest::newRow("held once more than stored") << "1:5:0" << "1:5:0 1:5:0" << -1 << "1:5:0 1:5:0" << 1;
    QTest::newRow("held less often than stored") << "1:5:0 1:5:0" << "1:5:0" << -1 << "1:5:0 1:5:0" << 0;
    QTest::newRow("another flag is another row") << "1:5:0" << "1:5:2" << -1 << "1:5:0 1:5:2" << 1;
    QTest::newRow("overlapping times") << "1:1:0 2:2:0" << "2:2:0 3:3:0 0:0:0" << -1 << "0:0:0 1:1:0 2:2:0 3:3:0"
                                       << 2;
    QTest::newRow("no number matches no number") << "1:nan:0" << "1:nan:0 1:nan:0" << -1 << "1:nan:0 1:nan:0" << 1;
    QTest::newRow("out of time order") << "5:1:0" << "5:1:0 3:1:0 5:1:0 4:1:0" << -1 << "3:1:0 4:1:0 5:1:0 5:1:0"
                                       << 3;
    QTest::newRow("over two transactions") << "1:5:0 1:5:0" << "1:5:0 1:5:0 1:5:0 1:5:0" << 1
                                           << "1:5:0 1:5:0 1:5:0 1:5:0" << 2;
}

// The rule every import writes by, on its own: the file's surplus over what
// was stored before the import, whatever the order of its rows.
void TestDataMerge::surplusRule()
{
    QFETCH(QString, stored);
    QFETCH(QString, file);
    QFETCH(int, split);
    QFETCH(QString, after);
    QFETCH(int, added);
    struct Row
    {
        qint64 time;
        double value;
        int flag;
    };
    const auto parse = [](const QString &text) {
        QVector<Row> rows;
        for (const QString &item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList f = item.split(QLatin1Char(':'));
            rows.append({f.at(0).toLongLong() * 1000,
                         f.at(1) == QLatin1String("nan") ? std::nan("") : f.at(1).toDouble(), f.at(2).toInt()});
        }
        return rows;
    };
    QCOMPARE(exec(m_target, {QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES "
                                            "(1, %1, 'U1', 'V'), (2, %1, 'U2', 'V')")
                                 .arg(kDevice)}),
             QStringList());
    DataSurplusWriter writer;
    QVERIFY(writer.begin(m_target));
    for (const Row &r : parse(stored)) {
        QCOMPARE(int(writer.add(1, r.value, r.flag, r.time)), int(DataSurplusWriter::Added));
        // Another parameter's rows at the same times never match.
        QCOMPARE(int(writer.add(2, r.value, r.flag, r.time)), int(DataSurplusWriter::Added));
    }
    writer.end();

    QVERIFY(writer.begin(m_target));
    const QVector<Row> rows = parse(file);
    int written = 0;
    for (int part = 0; part < 2; ++part) {
        const int from = part == 0 ? 0 : (split < 0 ? rows.size() : split);
        const int to = part == 0 ? (split < 0 ? rows.size() : split) : rows.size();
        TransactionGuard transaction(m_target);
        QVERIFY(transaction.isActive());
        for (int i = from; i < to; ++i) {
            const DataSurplusWriter::Result result = writer.add(1, rows[i].value, rows[i].flag, rows[i].time);
            QVERIFY2(result != DataSurplusWriter::Failed, qPrintable(writer.errorText()));
            written += result == DataSurplusWriter::Added ? 1 : 0;
        }
        QVERIFY(transaction.commit());
    }
    writer.end();
    QCOMPARE(written, added);
    QStringList expected;
    for (const Row &r : parse(after))
        expected << QStringLiteral("%1:%2:%3")
                        .arg(r.time / 1000)
                        .arg(std::isnan(r.value) ? QStringLiteral("nan") : QString::number(r.value))
                        .arg(r.flag);
    QCOMPARE(column(m_target, QStringLiteral("SELECT (dateTime / 1000) || ':' || CASE WHEN value IS NULL THEN 'nan' "
                                             "ELSE printf('%g', value) END || ':' || flag FROM Data WHERE idParameters = 1 "
                                             "ORDER BY dateTime, value, flag")),
             expected);
    // Nothing of the writer is left on the connection.
    QCOMPARE(column(m_target, QStringLiteral("SELECT COUNT(*) FROM temp.sqlite_master")), QStringList{"0"});
}

QUORLOG_TEST_MAIN(TestDataMerge)
#include "tst_datamerge.moc"
