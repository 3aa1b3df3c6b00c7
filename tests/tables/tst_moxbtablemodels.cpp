#include "tables/MoxBTableModel.h"
#include "tables/MyAbstractSqlModelMoxB.h"
#include "tables/TempDatabaseTableModelMoxB.h"
#include "tables/moxbcsvtable.h"

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

const QString kTimeExpr = MyAbstractSqlModelMoxB::timeExpression();

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

} // namespace

class TestMoxBTableModels : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void branchSelection_data();
    void branchSelection();
    void timeExpression_data();
    void timeExpression();
    void fileSessionListsEveryColumn();
    void fullNamesAndPeriod_data();
    void fullNamesAndPeriod();
    void groupingNewestFirst();
    void groupedFlagRule();
    void firstFetchAndLoadAll();
    void recordColumnHidden_data();
    void recordColumnHidden();
    void orderFlips();
    void csvExportPages();
    void archiveModel();
    void archiveExportPages();
    void clones();
    void builtOnWorkerReadOnGui();

private:
    QSqlDatabase makeDb(const QStringList &statements);
    // DataMoxB with the columns id, date, time and the given ones, rows of
    // (date, time, cells...).
    QSqlDatabase wideDb(const QString &table, const QStringList &columns, const QVector<QStringList> &rows);

    QTemporaryDir m_dir;
    int m_serial = 0;
    QStringList m_names;
};

void TestMoxBTableModels::init()
{
    m_names.clear();
}

void TestMoxBTableModels::cleanup()
{
    for (const QString &n : qAsConst(m_names))
        Connections::remove(n);
}

QSqlDatabase TestMoxBTableModels::makeDb(const QStringList &statements)
{
    const QString name = QStringLiteral("moxbmodel_%1").arg(++m_serial);
    m_names << name;
    QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
    const QStringList errors = testdb::exec(db, statements);
    if (!errors.isEmpty())
        qWarning() << errors;
    return db;
}

QSqlDatabase TestMoxBTableModels::wideDb(const QString &table, const QStringList &columns,
                                         const QVector<QStringList> &rows)
{
    QSqlDatabase db = makeDb({});
    rectable::writeTexts(db, table, columns, rows);
    return db;
}

void TestMoxBTableModels::branchSelection_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QList<int>>("filterIds");
    QTest::addColumn<QList<int>>("paramIds");
    QTest::addColumn<QStringList>("paramNames");
    QTest::addColumn<QStringList>("flatNames");
    QTest::addColumn<int>("rows"); // rows the base itself fetched

    const QString moxb = QStringLiteral("CREATE TABLE DataMoxB (id INTEGER PRIMARY KEY, date TEXT, time TEXT, A TEXT)");
    const QString alarm = QStringLiteral("CREATE TABLE AlarmLog (id INTEGER PRIMARY KEY, date TEXT, event TEXT)");
    const QString alarmRows = QStringLiteral("INSERT INTO AlarmLog (date, event) VALUES ('d', 'x'), ('d', 'y')");
    const QString data = QStringLiteral("CREATE TABLE Data (id INTEGER PRIMARY KEY, date TEXT, time TEXT, P1 TEXT)");
    const QStringList wide{"id", "date", "time", "A"};

    QTest::newRow("DataMoxB") << QStringList{moxb} << QList<int>() << QList<int>{1, 2, 3, 4} << wide << wide << 0;
    QTest::newRow("DataMoxB with filters") << QStringList{moxb} << QList<int>{4} << QList<int>{1, 2, 3, 4} << wide
                                           << wide << 0;
    QTest::newRow("alarm archive before DataMoxB")
        << QStringList{moxb, alarm, alarmRows} << QList<int>() << QList<int>() << QStringList() << wide << 2;
    QTest::newRow("archive Data") << QStringList{data} << QList<int>() << QList<int>{1, 2, 3, 4}
                                  << QStringList{"id", "date", "time", "P1"} << QStringList{"id", "date", "time", "P1"}
                                  << 0;
    // Without DataMoxB every id lies outside the (empty) column list.
    QTest::newRow("filters without DataMoxB") << QStringList{data} << QList<int>{1, 7, -1} << QList<int>()
                                              << QStringList() << QStringList() << 0;
}

void TestMoxBTableModels::branchSelection()
{
    QFETCH(QStringList, statements);
    QFETCH(QList<int>, filterIds);
    QFETCH(QList<int>, paramIds);
    QFETCH(QStringList, paramNames);
    QFETCH(QStringList, flatNames);
    QFETCH(int, rows);
    QSqlDatabase db = makeDb(statements);
    std::unique_ptr<MyAbstractSqlModelMoxB> m(filterIds.isEmpty() ? new MyAbstractSqlModelMoxB(db)
                                                                  : new MyAbstractSqlModelMoxB(db, filter(filterIds)));
    QCOMPARE(m->getParamIds(), paramIds);
    QCOMPARE(m->getParamNames(), paramNames);
    QCOMPARE(m->getColumnNames(), flatNames);
    QCOMPARE(m->rowCount(), rows);
}

void TestMoxBTableModels::timeExpression_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<qint64>("ms");
    QTest::newRow("milliseconds") << "1970-01-01" << "12:00:00.250" << qint64(43200250);
    QTest::newRow("no milliseconds") << "1970-01-01" << "12:00:00" << qint64(43200000);
    // Warsaw skips this hour; the archive's UTC wall clock does not.
    QTest::newRow("local gap hour") << "2026-03-29" << "02:30:00.005" << utcMs(2026, 3, 29, 2, 30, 0, 5);
}

void TestMoxBTableModels::timeExpression()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(qint64, ms);
    QSqlDatabase db = makeDb({});
    QSqlQuery q(db);
    QVERIFY(q.prepare(QStringLiteral("SELECT %1 FROM (SELECT ? AS date, ? AS time)").arg(kTimeExpr)));
    q.addBindValue(date);
    q.addBindValue(time);
    QVERIFY(q.exec() && q.next());
    QCOMPARE(q.value(0).toLongLong(), ms);
}

void TestMoxBTableModels::fileSessionListsEveryColumn()
{
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"AI1: \"Flow\" - value", "it's"},
                             {{"2026-01-14", "03:30:36.500", "1.5", "x"}, {"2026-01-14", "03:30:37.000", " ", "y"}});
    TempDatabaseTableModelMoxB m(db);
    QCOMPARE(headers(m), (QStringList{"id", "date", "time", "AI1: \"Flow\" - value", "it's"}));
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(rowTexts(m, 0), (QStringList{"1", "2026-01-14", "03:30:36.500", "1.5", "x"}));
    QCOMPARE(m.getColumnsVisibilityList(), (QList<bool>{true, true, true, true, true}));

    // Only id, date and time: nothing to show.
    QSqlDatabase bare = wideDb(QStringLiteral("DataMoxB"), {}, {{"2026-01-14", "03:30:36.500"}});
    TempDatabaseTableModelMoxB empty(bare);
    QCOMPARE(empty.rowCount(), 0);
    QCOMPARE(empty.columnCount(), 0);
}

void TestMoxBTableModels::fullNamesAndPeriod_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<QStringList>("columns"); // after id, date, time
    QTest::addColumn<QStringList>("ids_shown");

    const qint64 from = utcMs(2026, 1, 14, 3, 30, 36, 600);
    const qint64 to = utcMs(2026, 1, 14, 3, 30, 37, 0);
    QTest::newRow("all rows") << QList<int>{2, 1} << qint64(0) << qint64(0)
                              << QStringList{"I (Rec \"1\")", "U (Rec \"1\")"} << QStringList{"1", "2", "3", "4"};
    QTest::newRow("start only") << QList<int>{1} << from << qint64(0) << QStringList{"U (Rec \"1\")"}
                                << QStringList{"1", "2", "3", "4"};
    QTest::newRow("period, ms bounds inclusive") << QList<int>{3} << from << to << QStringList{"U (it's)"}
                                                 << QStringList{"2", "3"};
    QTest::newRow("unknown id skipped") << QList<int>{99, 3} << qint64(0) << qint64(0) << QStringList{"U (it's)"}
                                        << QStringList{"1", "2", "3", "4"};
    QTest::newRow("only unknown ids") << QList<int>{99} << qint64(0) << qint64(0) << QStringList()
                                      << QStringList();
    QTest::newRow("no ids") << QList<int>() << qint64(0) << qint64(0) << QStringList() << QStringList();
}

void TestMoxBTableModels::fullNamesAndPeriod()
{
    QFETCH(QList<int>, ids);
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, ids_shown);

    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"U (Rec \"1\")", "I (Rec \"1\")", "U (it's)"},
                             {{"2026-01-14", "03:30:36.500", "1", "2", "3"},
                              {"2026-01-14", "03:30:36.600", "4", "5", "6"},
                              {"2026-01-14", "03:30:37", "7", "8", "9"},
                              {"2026-01-14", "03:30:37.001", "10", "11", "12"}});
    QVERIFY(testdb::exec(db, {"CREATE TABLE Devices (id INTEGER PRIMARY KEY, name TEXT)",
                              "CREATE TABLE Parameters (id INTEGER PRIMARY KEY, name TEXT, unit TEXT, idDevices INTEGER)",
                              "INSERT INTO Devices VALUES (1, 'Rec \"1\"'), (2, 'it''s')",
                              "INSERT INTO Parameters VALUES (1, 'U', 'None', 1), (2, 'I', 'None', 1), "
                              "(3, 'U', 'None', 2)"})
                .isEmpty());
    TempDatabaseTableModelMoxB m(db, filter(ids, start, end));
    if (columns.isEmpty()) {
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.columnCount(), 0);
        return;
    }
    QCOMPARE(headers(m), (QStringList{"id", "date", "time"} + columns));
    QStringList shown;
    for (int r = 0; r < m.rowCount(); ++r)
        shown << m.data(m.index(r, 0)).toString();
    QCOMPARE(shown, ids_shown);
}

void TestMoxBTableModels::groupingNewestFirst()
{
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"A"},
                             {{"2026-01-14", "03:30:36.500", "10"},
                              {"2026-01-15", "00:00:00.000", "20"},
                              {"2026-01-14", "03:30:36.500", "30"},
                              {"2026-01-14", "23:59:59.999", "40"}});
    TempDatabaseTableModelMoxB m(db);
    QCOMPARE(m.rowCount(), 4);
    // The view reads the model on its own thread: the reload runs there too.
    QList<QThread *> resetThreads;
    connect(&m, &QAbstractItemModel::modelReset, this,
            [&resetThreads]() { resetThreads << QThread::currentThread(); }, Qt::DirectConnection);
    m.setGroupByDate(true);
    // The reload comes after the progress window's ticks.
    QTRY_COMPARE_WITH_TIMEOUT(m.rowCount(), 3, 10000);
    QStringList order;
    for (int r = 0; r < m.rowCount(); ++r)
        order << m.data(m.index(r, 1)).toString() + QLatin1Char(' ') + m.data(m.index(r, 2)).toString();
    QCOMPARE(order, (QStringList{"2026-01-15 00:00:00.000", "2026-01-14 23:59:59.999", "2026-01-14 03:30:36.500"}));
    QVERIFY(!resetThreads.isEmpty());
    for (QThread *t : qAsConst(resetThreads))
        QCOMPARE(t, m.thread());
    QVERIFY(m.getColumnNames().isEmpty());
}

void TestMoxBTableModels::groupedFlagRule()
{
    // Each channel's cells follow the channel's own flag column, not the
    // column to their right.
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"A - value", "A - max", "A - flag", "B - value", "B - flag"},
                             {{"2026-01-14", "03:30:36", "10", "2", "2", "20", "1"}});
    MyAbstractSqlModelMoxB base(db);
    TempDatabaseTableModelMoxB m(db);
    m.setGroupByDate(true);
    QTRY_VERIFY_WITH_TIMEOUT(m.isGroupedByDate() && m.rowCount() == 1 && m.data(m.index(0, 3)).toString() == "---",
                             10000);
    // id date time A-value A-max A-flag B-value B-flag
    QCOMPARE(rowTexts(m, 0), (QStringList{"1", "2026-01-14", "03:30:36", "---", "---", "2", "20", "1"}));
    QCOMPARE(m.data(m.index(0, 6), Qt::ForegroundRole).value<QColor>(), QColor(160, 160, 160));
    QVERIFY(!m.data(m.index(0, 3), Qt::ForegroundRole).isValid());
    QVERIFY(!m.data(m.index(0, 7), Qt::ForegroundRole).isValid());
}

void TestMoxBTableModels::firstFetchAndLoadAll()
{
    QVector<QStringList> rows;
    for (int i = 0; i < 2500; ++i)
        rows.append({"2026-01-14", QTime(0, 0).addSecs(i).toString("HH:mm:ss"), QString::number(i)});
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"A"}, rows);

    TempDatabaseTableModelMoxB temp(db);
    moxbcsvtable csv(db);
    for (QAbstractItemModel *m : {static_cast<QAbstractItemModel *>(&temp), static_cast<QAbstractItemModel *>(&csv)}) {
        QVERIFY(m->rowCount() >= 1000);
        QVERIFY(m->rowCount() < 2500);
        QVERIFY(m->canFetchMore(QModelIndex()));
        const int before = m->rowCount();
        QSignalSpy inserted(m, &QAbstractItemModel::rowsInserted);
        m->fetchMore(QModelIndex());
        QVERIFY(m->rowCount() > before);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), before);
    }
    temp.setLoadAllData(true);
    csv.setLoadAllData(true);
    for (QAbstractItemModel *m : {static_cast<QAbstractItemModel *>(&temp), static_cast<QAbstractItemModel *>(&csv)}) {
        QCOMPARE(m->rowCount(), 2500);
        QVERIFY(!m->canFetchMore(QModelIndex()));
        m->fetchMore(QModelIndex());
        QCOMPARE(m->rowCount(), 2500);
    }
    QCOMPARE(csv.data(csv.index(2499, 3)).toString(), QStringLiteral("2499"));
}

void TestMoxBTableModels::recordColumnHidden_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("shown");
    QTest::newRow("record") << "record" << false;
    QTest::newRow("Record") << "Record" << false;
    QTest::newRow("blanks around") << "  RECORD " << false;
    QTest::newRow("records") << "records" << true;
    QTest::newRow("record no") << "record no" << true;
}

void TestMoxBTableModels::recordColumnHidden()
{
    QFETCH(QString, title);
    QFETCH(bool, shown);
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {title, "A"}, {{"2026-01-14", "03:30:36", "1", "2"}});
    moxbcsvtable m(db);
    QCOMPARE(m.getColumnsVisibilityList(), (QList<bool>{true, true, true, shown, true}));
    QCOMPARE(m.headerData(3, Qt::Horizontal).toString(), title);
}

void TestMoxBTableModels::orderFlips()
{
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"A"},
                             {{"d", "t", "1"}, {"d", "t", "2"}, {"d", "t", "3"}});
    QSqlDatabase archive = wideDb(QStringLiteral("Data"), {"A"}, {{"d", "t", "1"}, {"d", "t", "2"}, {"d", "t", "3"}});
    moxbcsvtable csv(db);
    MoxBTableModel arch(archive);
    for (MyAbstractTableModel *m : {static_cast<MyAbstractTableModel *>(&csv), static_cast<MyAbstractTableModel *>(&arch)}) {
        QCOMPARE(m->data(m->index(0, 0)).toString(), QStringLiteral("1"));
        // The argument does not matter: every toggle flips.
        m->setGroupByDate(true);
        QCOMPARE(m->data(m->index(0, 0)).toString(), QStringLiteral("3"));
        m->setGroupByDate(true);
        QCOMPARE(m->data(m->index(0, 0)).toString(), QStringLiteral("1"));
        m->setGroupByDate(false);
        QCOMPARE(m->data(m->index(0, 0)).toString(), QStringLiteral("3"));
        QCOMPARE(m->getDateTimeFormat(), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    }
    // No roles but the text.
    QVERIFY(!csv.data(csv.index(0, 3), Qt::ForegroundRole).isValid());
    QVERIFY(!csv.data(QModelIndex()).isValid());
}

void TestMoxBTableModels::csvExportPages()
{
    QVector<QStringList> rows;
    for (int i = 1; i <= 7; ++i)
        rows.append({"2026-01-14", "03:30:36", QString::number(i)});
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"AI1: \"Flow\""}, rows);
    moxbcsvtable m(db);
    MyAbstractSqlModelMoxB::ParamInfo rec;
    QVERIFY(!m.getNextExportRecord(rec));
    QCOMPARE(m.getDataExportRowCnt(), 7);

    QVERIFY(m.execDataExportQuery(2, 3));
    QStringList got;
    while (m.getNextExportRecord(rec)) {
        QCOMPARE(rec.columnNames, (QStringList{"id", "date", "time", "AI1: \"Flow\""}));
        QCOMPARE(rec.rows.size(), 1);
        got << rec.rows.first().last();
    }
    QCOMPARE(got, (QStringList{"3", "4", "5"}));

    // The page follows the shown order.
    m.setGroupByDate(true);
    QVERIFY(m.execDataExportQuery(0, 2));
    QVERIFY(m.getNextExportRecord(rec));
    QCOMPARE(rec.rows.first().last(), QStringLiteral("7"));

    // Past the end: the page runs and holds nothing; the record stays.
    QVERIFY(m.execDataExportQuery(50, 10));
    QVERIFY(!m.getNextExportRecord(rec));
    QCOMPARE(rec.rows.first().last(), QStringLiteral("7"));
}

void TestMoxBTableModels::archiveModel()
{
    QSqlDatabase db = wideDb(QStringLiteral("Data"), {"P1", "P2"}, {});
    MoxBTableModel empty(db);
    QCOMPARE(empty.rowCount(), 0);
    QCOMPARE(headers(empty), (QStringList{"id", "date", "time", "P1", "P2"}));
    QCOMPARE(empty.getTotalRowCount(), 0);
    QCOMPARE(empty.getColumnNames(), (QStringList{"id", "date", "time", "P1", "P2"}));

    QSqlDatabase full = wideDb(QStringLiteral("Data"), {"P1"}, {{"2026-01-14", "03:30:36.500", "2"}});
    MoxBTableModel m(full);
    QCOMPARE(m.getTotalRowCount(), 1);
    // Never grouped: the stored text, the flag rule never applies.
    QCOMPARE(rowTexts(m, 0), (QStringList{"1", "2026-01-14", "03:30:36.500", "2"}));
}

void TestMoxBTableModels::archiveExportPages()
{
    QVector<QStringList> rows;
    for (int i = 1; i <= 120; ++i)
        rows.append({"d", "t", QString::number(i)});
    QSqlDatabase db = wideDb(QStringLiteral("Data"), {"P1"}, rows);
    MoxBTableModel m(db);
    MyAbstractSqlModelMoxB::ParamInfo rec;
    QVERIFY(!m.getNextExportRecord(rec));
    QCOMPARE(m.getDataExportRowCnt(), 120);
    QVERIFY(m.execDataExportQuery(50, 50));
    int n = 0;
    QString first, last;
    while (m.getNextExportRecord(rec)) {
        if (n++ == 0)
            first = rec.rows.first().last();
        last = rec.rows.first().last();
    }
    QCOMPARE(n, 50);
    QCOMPARE(first, QStringLiteral("51"));
    QCOMPARE(last, QStringLiteral("100"));
}

void TestMoxBTableModels::clones()
{
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"A", "B"}, {{"d", "t", "1", "2"}, {"d", "t", "3", "4"}});
    moxbcsvtable csv(db);
    csv.setGroupByDate(true); // descending
    std::unique_ptr<MyAbstractTableModel> copy(csv.clone());
    QVERIFY(copy);
    // The copy of the CSV model is the plain wide model: every column, by id.
    QVERIFY(qobject_cast<TempDatabaseTableModelMoxB *>(copy.get()));
    QVERIFY(!qobject_cast<moxbcsvtable *>(copy.get()));
    QCOMPARE(copy->columnCount(), 5);
    QCOMPARE(copy->data(copy->index(0, 3)).toString(), QStringLiteral("1"));

    QSqlDatabase archive = wideDb(QStringLiteral("Data"), {"P"}, {{"d", "t", "9"}});
    MoxBTableModel arch(archive);
    std::unique_ptr<MyAbstractTableModel> archCopy(arch.clone());
    QVERIFY(qobject_cast<MoxBTableModel *>(archCopy.get()));
    QCOMPARE(archCopy->rowCount(), 1);
}

void TestMoxBTableModels::builtOnWorkerReadOnGui()
{
    // As a session gets it: built on a pool thread over that thread's own
    // connection, then moved to the GUI thread, where the view reads it.
    QVector<QStringList> rows;
    for (int i = 1; i <= 1500; ++i)
        rows.append({"2026-01-14", "03:30:36", QString::number(i)});
    QSqlDatabase db = wideDb(QStringLiteral("DataMoxB"), {"A"}, rows);
    const QString name = m_names.last();
    QThread *gui = QThread::currentThread();
    moxbcsvtable *model = QtConcurrent::run([name, gui]() {
                              auto *m = new moxbcsvtable(Connections::database(name), nullptr);
                              m->moveToThread(gui);
                              return m;
                          }).result();
    std::unique_ptr<moxbcsvtable> owner(model);
    QTRY_VERIFY(model->rowCount() >= 1000);
    QCOMPARE(model->data(model->index(0, 3)).toString(), QStringLiteral("1"));
    model->setLoadAllData(true);
    QCOMPARE(model->rowCount(), 1500);
    QCOMPARE(model->data(model->index(1499, 3)).toString(), QStringLiteral("1500"));
}

QUORLOG_TEST_MAIN(TestMoxBTableModels)
#include "tst_moxbtablemodels.moc"
