// The MoxA table models share their wide-table base with the MoxB ones; these
// tests cover where the MoxA family differs: its own table DataMoxA (beside a
// DataMoxB or log tables in the same file), the reader's column names, the
// copies it hands the CSV export, and its listing in either order.
#include "tables/MoxAtable.h"
#include "tables/MyAbstractSqlModelMoxA.h"
#include "tables/TempDatabaseTableModelMoxA.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "support/RecorderTableFixture.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"

#include <QColor>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>

#include <memory>

namespace {

QStringList rowTexts(const QAbstractItemModel &m, int row)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.data(m.index(row, c)).toString();
    return out;
}

QStringList headers(const QAbstractItemModel &m)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.headerData(c, Qt::Horizontal).toString();
    return out;
}

QStringList column(const QAbstractItemModel &m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.data(m.index(r, c)).toString();
    return out;
}

FiltersCfg filter(QList<int> ids, qint64 start = 0, qint64 end = 0)
{
    FiltersCfg f;
    f.selectedParamId = std::move(ids);
    f.startDateTime = start;
    f.endDateTime = end;
    return f;
}

qint64 utcMs(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

// Column names as the MoxA reader makes them.
const QString kCol1 = QStringLiteral("block1_value1_Temp \"in\"_40001_t0");
const QString kCol2 = QStringLiteral("block1_value2_it's_40002_t0");

} // namespace

class TestMoxATableModels : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void branchSelection_data();
    void branchSelection();
    void fileSessionReadsDataMoxA();
    void filteredFullNamesAndPeriod_data();
    void filteredFullNamesAndPeriod();
    void groupingReloadsOnModelThread();
    void csvListingBothOrders();
    void recordColumnHidden_data();
    void recordColumnHidden();
    void firstFetchAndLoadAll();
    void exportPagesFollowOrder();
    void clones();
    void builtOnWorkerReadOnGui();

private:
    QSqlDatabase makeDb(const QStringList &statements = {});
    // A wide table (id, date, time, the given columns) with rows of (date,
    // time, cells...), in a new file or in db.
    QSqlDatabase wideDb(const QString &table, const QStringList &columns, const QVector<QStringList> &rows,
                        QSqlDatabase db = QSqlDatabase());

    QTemporaryDir m_dir;
    int m_serial = 0;
    QStringList m_names;
};

void TestMoxATableModels::init()
{
    m_names.clear();
}

void TestMoxATableModels::cleanup()
{
    for (const QString &n : qAsConst(m_names))
        Connections::remove(n);
}

QSqlDatabase TestMoxATableModels::makeDb(const QStringList &statements)
{
    const QString name = QStringLiteral("moxamodel_%1").arg(++m_serial);
    m_names << name;
    QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
    const QStringList errors = testdb::exec(db, statements);
    if (!errors.isEmpty())
        qWarning() << errors;
    return db;
}

QSqlDatabase TestMoxATableModels::wideDb(const QString &table, const QStringList &columns,
                                         const QVector<QStringList> &rows, QSqlDatabase db)
{
    if (!db.isValid())
        db = makeDb();
    rectable::writeTexts(db, table, columns, rows);
    return db;
}

void TestMoxATableModels::branchSelection_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QList<int>>("filterIds");
    QTest::addColumn<QList<int>>("paramIds");
    QTest::addColumn<QStringList>("paramNames");
    QTest::addColumn<QStringList>("flatNames");
    QTest::addColumn<int>("rows"); // rows the base itself fetched

    const QString moxa = QStringLiteral("CREATE TABLE DataMoxA (id INTEGER PRIMARY KEY, date TEXT, time TEXT, A TEXT)");
    const QString moxb = QStringLiteral("CREATE TABLE DataMoxB (id INTEGER PRIMARY KEY, date TEXT, time TEXT, B TEXT)");
    const QString alarm = QStringLiteral("CREATE TABLE AlarmLog (id INTEGER PRIMARY KEY, date TEXT, event TEXT)");
    const QString alarmRows = QStringLiteral("INSERT INTO AlarmLog (date, event) VALUES ('d', 'x'), ('d', 'y')");
    const QString data = QStringLiteral("CREATE TABLE Data (id INTEGER PRIMARY KEY, date TEXT, time TEXT, P1 TEXT)");
    const QStringList wide{"id", "date", "time", "A"};

    QTest::newRow("DataMoxA") << QStringList{moxa} << QList<int>() << QList<int>{1, 2, 3, 4} << wide << wide << 0;
    // The MoxA family has no log archives: a log table is not its listing.
    QTest::newRow("log tables are not MoxA's")
        << QStringList{moxa, alarm, alarmRows} << QList<int>() << QList<int>{1, 2, 3, 4} << wide << wide << 0;
    QTest::newRow("DataMoxB beside it") << QStringList{moxb, moxa} << QList<int>{4} << QList<int>{1, 2, 3, 4} << wide
                                        << wide << 0;
    QTest::newRow("only DataMoxB: the Data branch finds nothing")
        << QStringList{moxb} << QList<int>() << QList<int>() << QStringList() << QStringList() << 0;
    QTest::newRow("archive Data") << QStringList{data} << QList<int>() << QList<int>{1, 2, 3, 4}
                                  << QStringList{"id", "date", "time", "P1"} << QStringList{"id", "date", "time", "P1"}
                                  << 0;
    QTest::newRow("filters without DataMoxA") << QStringList{data} << QList<int>{1, 7, -1} << QList<int>()
                                              << QStringList() << QStringList() << 0;
}

void TestMoxATableModels::branchSelection()
{
    QFETCH(QStringList, statements);
    QFETCH(QList<int>, filterIds);
    QFETCH(QList<int>, paramIds);
    QFETCH(QStringList, paramNames);
    QFETCH(QStringList, flatNames);
    QFETCH(int, rows);
    QSqlDatabase db = makeDb(statements);
    std::unique_ptr<MyAbstractSqlModelMoxA> m(filterIds.isEmpty() ? new MyAbstractSqlModelMoxA(db)
                                                                  : new MyAbstractSqlModelMoxA(db, filter(filterIds)));
    QCOMPARE(m->getParamIds(), paramIds);
    QCOMPARE(m->getParamNames(), paramNames);
    QCOMPARE(m->getColumnNames(), flatNames);
    QCOMPARE(m->rowCount(), rows);
    QCOMPARE(m->getDateTimeFormat(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void TestMoxATableModels::fileSessionReadsDataMoxA()
{
    // A MoxB table in the same file must not leak into the MoxA listing.
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"B"}, {{"2026-01-14", "03:30:36", "b"}});
    wideDb(QStringLiteral("DataMoxA"), {kCol1, kCol2},
           {{"2026-03-29", "02:30:00", "21.5", " "}, {"2026-03-29", "02:31:00.250", " ", "7"}}, db);
    TempDatabaseTableModelMoxA m(db);
    QCOMPARE(headers(m), (QStringList{"id", "date", "time", kCol1, kCol2}));
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(rowTexts(m, 1), (QStringList{"2", "2026-03-29", "02:31:00.250", " ", "7"}));
    QCOMPARE(m.getColumnsVisibilityList(), (QList<bool>{true, true, true, true, true}));

    // Only id, date and time: nothing to show.
    QSqlDatabase bare = wideDb(QStringLiteral("DataMoxA"), {}, {{"2026-01-14", "03:30:36"}});
    TempDatabaseTableModelMoxA empty(bare);
    QCOMPARE(empty.rowCount(), 0);
    QCOMPARE(empty.columnCount(), 0);
    MoxAtable csv(bare);
    QCOMPARE(headers(csv), (QStringList{"id", "date", "time"}));
    QCOMPARE(csv.rowCount(), 1);
}

void TestMoxATableModels::filteredFullNamesAndPeriod_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<QStringList>("columns"); // after id, date, time
    QTest::addColumn<QStringList>("idsShown");

    // The gap hour of the test zone: the period is read as UTC wall time.
    const qint64 from = utcMs(2026, 3, 29, 2, 0, 0, 1);
    const qint64 to = utcMs(2026, 3, 29, 2, 59, 59, 999);
    QTest::newRow("every row") << QList<int>{2, 1} << qint64(0) << qint64(0)
                               << QStringList{"Flow (Rec \"A\")", "Temp (Rec \"A\")"}
                               << QStringList{"1", "2", "3", "4"};
    QTest::newRow("end only") << QList<int>{1} << qint64(0) << to << QStringList{"Temp (Rec \"A\")"}
                              << QStringList{"1", "2", "3", "4"};
    QTest::newRow("gap hour, bounds in ms") << QList<int>{3} << from << to << QStringList{"Temp (it's)"}
                                            << QStringList{"2", "3"};
    QTest::newRow("unknown id skipped") << QList<int>{42, 3} << qint64(0) << qint64(0)
                                        << QStringList{"Temp (it's)"} << QStringList{"1", "2", "3", "4"};
    QTest::newRow("only unknown ids") << QList<int>{42} << qint64(0) << qint64(0) << QStringList() << QStringList();
}

void TestMoxATableModels::filteredFullNamesAndPeriod()
{
    QFETCH(QList<int>, ids);
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, idsShown);

    QSqlDatabase db = wideDb(QStringLiteral("DataMoxA"), {"Temp (Rec \"A\")", "Flow (Rec \"A\")", "Temp (it's)"},
                             {{"2026-03-29", "02:00:00", "1", "2", "3"},
                              {"2026-03-29", "02:00:00.001", "4", "5", "6"},
                              {"2026-03-29", "02:59:59.999", "7", "8", "9"},
                              {"2026-03-29", "03:00:00", "10", "11", "12"}});
    QVERIFY(testdb::exec(db, {"CREATE TABLE Devices (id INTEGER PRIMARY KEY, name TEXT)",
                              "CREATE TABLE Parameters (id INTEGER PRIMARY KEY, name TEXT, unit TEXT, idDevices INTEGER)",
                              "INSERT INTO Devices VALUES (1, 'Rec \"A\"'), (2, 'it''s')",
                              "INSERT INTO Parameters VALUES (1, 'Temp', 'C', 1), (2, 'Flow', 'm3', 1), "
                              "(3, 'Temp', 'C', 2)"})
                .isEmpty());
    TempDatabaseTableModelMoxA m(db, filter(ids, start, end));
    if (columns.isEmpty()) {
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.columnCount(), 0);
        return;
    }
    QCOMPARE(headers(m), (QStringList{"id", "date", "time"} + columns));
    QCOMPARE(column(m, 0), idsShown);
}

void TestMoxATableModels::groupingReloadsOnModelThread()
{
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxA"), {kCol1, "f"},
                             {{"2026-01-14", "03:30:36.500", "10", "2"},
                              {"2026-01-15", "00:00:00.000", "20", "1"},
                              {"2026-01-14", "03:30:36.500", "30", "2"},
                              {"2026-01-14", "23:59:59.999", "40", "0"}});
    TempDatabaseTableModelMoxA m(db);
    QCOMPARE(m.rowCount(), 4);
    QList<QThread *> resetThreads;
    connect(&m, &QAbstractItemModel::modelReset, this,
            [&resetThreads]() { resetThreads << QThread::currentThread(); }, Qt::DirectConnection);
    m.setGroupByDate(true);
    // setGroupByDate returns before its reload, which follows the ticks.
    QCOMPARE(m.rowCount(), 4);
    QTRY_COMPARE_WITH_TIMEOUT(m.rowCount(), 3, 10000);
    QStringList order;
    for (int r = 0; r < m.rowCount(); ++r)
        order << m.data(m.index(r, 1)).toString() + QLatin1Char(' ') + m.data(m.index(r, 2)).toString();
    QCOMPARE(order, (QStringList{"2026-01-15 00:00:00.000", "2026-01-14 23:59:59.999", "2026-01-14 03:30:36.500"}));
    QVERIFY(!resetThreads.isEmpty());
    for (QThread *t : qAsConst(resetThreads))
        QCOMPARE(t, m.thread());
    // MoxA has no flag columns: grouped, a value next to one reading 2 or 1
    // shows as stored.
    QCOMPARE(m.data(m.index(0, 3)).toString(), QStringLiteral("20"));
    QCOMPARE(m.data(m.index(1, 3)).toString(), QStringLiteral("40"));
    for (int r = 0; r < m.rowCount(); ++r)
        QVERIFY(!m.data(m.index(r, 3), Qt::ForegroundRole).isValid());
    QVERIFY(m.getColumnNames().isEmpty());
}

void TestMoxATableModels::csvListingBothOrders()
{
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxA"), {kCol1},
                             {{"2026-01-14", "03:30:36", "1"}, {"2026-01-14", "03:30:37", "2"},
                              {"2026-01-14", "03:30:38", "3"}});
    MoxAtable m(db);
    QCOMPARE(m.getTotalRowCount(), 3);
    QCOMPARE(column(m, 3), (QStringList{"1", "2", "3"}));
    // Every toggle flips, whatever its argument; two bring the order back.
    m.setGroupByDate(true);
    QCOMPARE(column(m, 3), (QStringList{"3", "2", "1"}));
    QVERIFY(m.isDescending());
    m.setGroupByDate(true);
    QCOMPARE(column(m, 3), (QStringList{"1", "2", "3"}));
    m.setGroupByDate(false);
    QCOMPARE(column(m, 3), (QStringList{"3", "2", "1"}));
    QCOMPARE(m.getDateTimeFormat(), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    // Only the text, no other role.
    QCOMPARE(m.data(m.index(0, 3)).toString(), QStringLiteral("3"));
    for (int role : {int(Qt::TextAlignmentRole), int(Qt::ForegroundRole), int(Qt::FontRole)})
        QVERIFY(!m.data(m.index(0, 3), role).isValid());
    QVERIFY(!m.data(QModelIndex()).isValid());
}

void TestMoxATableModels::recordColumnHidden_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("shown");
    QTest::newRow("Record") << "Record" << false;
    QTest::newRow("blanks around") << " record " << false;
    QTest::newRow("record_t0") << "record_t0" << true;
}

void TestMoxATableModels::recordColumnHidden()
{
    QFETCH(QString, title);
    QFETCH(bool, shown);
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxA"), {title, kCol1}, {{"2026-01-14", "03:30:36", "1", "2"}});
    MoxAtable m(db);
    QCOMPARE(m.getColumnsVisibilityList(), (QList<bool>{true, true, true, shown, true}));
    QCOMPARE(m.headerData(3, Qt::Horizontal).toString(), title);
}

void TestMoxATableModels::firstFetchAndLoadAll()
{
    QVector<QStringList> rows;
    for (int i = 0; i < 2500; ++i)
        rows.append({"2026-01-14", QTime(0, 0).addSecs(i).toString("HH:mm:ss"), QString::number(i)});
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxA"), {kCol1}, rows);

    MoxAtable m(db);
    QVERIFY(m.rowCount() >= 1000);
    QVERIFY(m.rowCount() < 2500);
    const int initial = m.rowCount();
    QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
    while (m.canFetchMore(QModelIndex())) {
        const int before = m.rowCount();
        m.fetchMore(QModelIndex());
        QVERIFY(m.rowCount() > before);
    }
    QCOMPARE(m.rowCount(), 2500);
    QVERIFY(inserted.count() >= 1);
    QCOMPARE(inserted.first().at(1).toInt(), initial);
    // The known count stops the fetching at the end of the table.
    QVERIFY(!m.canFetchMore(QModelIndex()));

    MoxAtable all(db);
    all.setLoadAllData(true);
    QCOMPARE(all.rowCount(), 2500);
    QVERIFY(!all.canFetchMore(QModelIndex()));
    all.fetchMore(QModelIndex());
    QCOMPARE(all.rowCount(), 2500);
    QCOMPARE(all.data(all.index(2499, 3)).toString(), QStringLiteral("2499"));
}

void TestMoxATableModels::exportPagesFollowOrder()
{
    QVector<QStringList> rows;
    for (int i = 1; i <= 20; ++i)
        rows.append({"2026-01-14", "03:30:36", QString::number(i)});
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxA"), {kCol1}, rows);
    MoxAtable m(db);
    MyAbstractSqlModelMoxA::ParamInfo rec;
    QVERIFY(!m.getNextExportRecord(rec));
    QCOMPARE(m.getDataExportRowCnt(), 20);

    // Newest first: the 11th to 15th highest ids.
    m.setGroupByDate(true);
    QVERIFY(m.execDataExportQuery(10, 5));
    QStringList got;
    while (m.getNextExportRecord(rec)) {
        QCOMPARE(rec.columnNames, (QStringList{"id", "date", "time", kCol1}));
        QCOMPARE(rec.rows.size(), 1);
        got << rec.rows.first().first();
    }
    QCOMPARE(got, (QStringList{"10", "9", "8", "7", "6"}));

    QSqlDatabase empty = wideDb(QStringLiteral("DataMoxA"), {kCol1}, {});
    MoxAtable none(empty);
    QCOMPARE(none.getDataExportRowCnt(), 0);
    QVERIFY(none.execDataExportQuery(0, 10));
    QVERIFY(!none.getNextExportRecord(rec));
    QCOMPARE(rec.rows.first().first(), QStringLiteral("6")); // untouched
}

void TestMoxATableModels::clones()
{
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxA"), {kCol1, kCol2},
                             {{"d", "t1", "1", "2"}, {"d", "t2", "3", "4"}});
    MoxAtable csv(db);
    csv.setGroupByDate(true); // newest first
    csv.setLoadAllData(true);
    std::unique_ptr<MyAbstractTableModel> copy(csv.clone());
    // The CSV export's copy is the plain MoxA model: every column, by id.
    QVERIFY(qobject_cast<TempDatabaseTableModelMoxA *>(copy.get()));
    QVERIFY(!qobject_cast<MoxAtable *>(copy.get()));
    auto *wide = static_cast<TempDatabaseTableModelMoxA *>(copy.get());
    QVERIFY(!wide->isGroupedByDate());
    QVERIFY(!wide->isLoadingAllData());
    QCOMPARE(headers(*copy), (QStringList{"id", "date", "time", kCol1, kCol2}));
    QCOMPARE(column(*copy, 0), (QStringList{"1", "2"}));

    // A filtered model's copy keeps the filter.
    QVERIFY(testdb::exec(db, {"CREATE TABLE Devices (id INTEGER PRIMARY KEY, name TEXT)",
                              "CREATE TABLE Parameters (id INTEGER PRIMARY KEY, name TEXT, unit TEXT, idDevices INTEGER)",
                              "INSERT INTO Devices VALUES (1, 'block1')",
                              "INSERT INTO Parameters VALUES (5, 'value1_Temp \"in\"_40001_t0', '', 1)"})
                .isEmpty());
    QVERIFY(testdb::exec(db, {QStringLiteral("ALTER TABLE DataMoxA ADD COLUMN %1 TEXT")
                                  .arg(sql::quoteIdentifier("value1_Temp \"in\"_40001_t0 (block1)"))})
                .isEmpty());
    TempDatabaseTableModelMoxA filtered(db, filter({5}, utcMs(1970, 1, 1, 0, 0, 0), utcMs(2100, 1, 1, 0, 0, 0)));
    std::unique_ptr<MyAbstractTableModel> filteredCopy(filtered.clone());
    QCOMPARE(headers(*filteredCopy), headers(filtered));
    QCOMPARE(filteredCopy->columnCount(), 4);
}

void TestMoxATableModels::builtOnWorkerReadOnGui()
{
    // As a session gets it: built on a pool thread over that thread's own
    // connection, then moved to the GUI thread, where the view reads it.
    QVector<QStringList> rows;
    for (int i = 1; i <= 1500; ++i)
        rows.append({"2026-01-14", "03:30:36", QString::number(i)});
    wideDb(QStringLiteral("DataMoxA"), {kCol1}, rows);
    const QString name = m_names.last();
    QThread *gui = QThread::currentThread();
    MoxAtable *model = QtConcurrent::run([name, gui]() {
                           auto *m = new MoxAtable(Connections::database(name), nullptr);
                           m->moveToThread(gui);
                           return m;
                       }).result();
    std::unique_ptr<MoxAtable> owner(model);
    QTRY_VERIFY(model->rowCount() >= 1000);
    QCOMPARE(model->data(model->index(0, 3)).toString(), QStringLiteral("1"));
    model->setLoadAllData(true);
    QCOMPARE(model->rowCount(), 1500);
    QCOMPARE(model->data(model->index(1499, 3)).toString(), QStringLiteral("1500"));
}

QUORLOG_TEST_MAIN(TestMoxATableModels)
#include "tst_moxatablemodels.moc"
