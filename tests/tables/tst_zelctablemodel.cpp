#include "common/Connections.h"
#include "support/ConsoleSpyUtil.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/ZelCEventTableModel.h"
#include "tables/ZelCFixture.h"
#include "tables/ZelCTableModel.h"

#include <QColor>
#include <QDateTime>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <memory>

namespace {

constexpr qint64 T0 = 1700000000000; // 2023-11-14 22:13:20 UTC
const QString Ok = QStringLiteral("\u2714");
const QString NotReady = QStringLiteral("\u231B");
const QString Bad = QStringLiteral("\u2716");
const QString Quoted = QStringLiteral("it's \"odd\"");

QString text(const QAbstractItemModel &m, int row, int col, int role = Qt::DisplayRole)
{
    return m.data(m.index(row, col), role).toString();
}

QStringList headers(const QAbstractItemModel &m)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.headerData(c, Qt::Horizontal).toString();
    return out;
}

} // namespace

class TestZelCTableModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void flagRules_data();
    void flagRules();
    void flatForm();
    void flatFlagColumn();
    void pivotHeadersAndValues();
    void quotedNamesPivot();
    void pivotWithoutParameters();
    void switchingResetsViews();
    void loadAllFetchesEverything();
    void cloneAndFormat();
    void exportKeepsAnalyserFlags();
    void builtOnWorkerReadOnGuiThread();

    void eventsDistinctRowsAndDates();
    void eventsEmptyAndBrokenTables();

private:
    QSqlDatabase makeDb(const QString &name);
    QTemporaryDir m_dir;
    QSqlDatabase m_archive;
};

QSqlDatabase TestZelCTableModel::makeDb(const QString &name)
{
    return testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")));
}

void TestZelCTableModel::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_archive = makeDb(QStringLiteral("archive"));
    QString e;
    QVERIFY2(ZelCFixture::createSchema(m_archive, &e), qPrintable(e));
    QVERIFY2(ZelCFixture::addParameter(m_archive, 1, QStringLiteral("U1"), QStringLiteral("V"), &e), qPrintable(e));
    QVERIFY2(ZelCFixture::addParameter(m_archive, 2, Quoted, QString(), &e), qPrintable(e));
    // Time k: U1 = 230 + k with flags 0, 1, 128, 256, 3; the odd name = k.
    const int flags[] = {0, 1, 128, 256, 3};
    for (int k = 0; k < 5; ++k) {
        QVERIFY2(ZelCFixture::addValue(m_archive, 1, T0 + k * 1000 + 250, 230 + k, flags[k], &e), qPrintable(e));
        QVERIFY2(ZelCFixture::addValue(m_archive, 2, T0 + k * 1000 + 250, k, 0, &e), qPrintable(e));
    }
}

void TestZelCTableModel::flagRules_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<bool>("valid");
    QTest::newRow("0") << 0 << Ok << true;
    QTest::newRow("1 invalid") << 1 << Bad << false;
    QTest::newRow("2 valid here") << 2 << Ok << true;
    QTest::newRow("128 not ready") << 128 << NotReady << true;
    QTest::newRow("256 invalid") << 256 << Bad << false;
    QTest::newRow("129") << 129 << Ok << true;
    QTest::newRow("-1") << -1 << Ok << true;
}

void TestZelCTableModel::flagRules()
{
    QFETCH(int, flag);
    QFETCH(QString, symbol);
    QFETCH(bool, valid);
    ZelCTableModel m(m_archive);
    QCOMPARE(m.getFlagText(flag), symbol);
    QCOMPARE(m.isFlagValid(flag), valid);
    QCOMPARE(m.flagNotReady(flag), flag == 128);
    QVERIFY(!m.isFlagOk(flag));
}

void TestZelCTableModel::flatForm()
{
    ZelCTableModel m(m_archive);
    QCOMPARE(m.rowCount(), 10);
    QCOMPARE(m.columnCount(), 6);
    QCOMPARE(headers(m), (QStringList{"Time", "Device name", "Name", "Value", "Unit", "Flag"}));
    QCOMPARE(m.getColumnNames(), headers(m));
    QCOMPARE(m.getColumnsVisibilityList(), (QList<bool>{true, false, true, true, true, true}));

    // Times keep their milliseconds; the device column is empty.
    QStringList times;
    for (int r = 0; r < m.rowCount(); ++r) {
        times << text(m, r, 0);
        QCOMPARE(text(m, r, 1), QString());
    }
    QVERIFY(times.contains(QStringLiteral("2023-11-14 22:13:20.250")));
    QVERIFY(times.contains(QStringLiteral("2023-11-14 22:13:24.250")));
}

void TestZelCTableModel::flatFlagColumn()
{
    ZelCTableModel m(m_archive);
    QMap<double, int> rowOfValue;
    for (int r = 0; r < m.rowCount(); ++r)
        if (text(m, r, 2) == QLatin1String("U1"))
            rowOfValue.insert(m.index(r, 3).data().toDouble(), r);
    QCOMPARE(rowOfValue.size(), 5);
    const QString expected[] = {Ok, Bad, NotReady, Bad, Ok};
    for (int k = 0; k < 5; ++k) {
        const QModelIndex cell = m.index(rowOfValue.value(230 + k), 5);
        QCOMPARE(cell.data().toString(), expected[k]);
        const QVariant colour = cell.data(Qt::ForegroundRole);
        if (expected[k] == Ok)
            QCOMPARE(colour.value<QColor>(), QColor(0x4E, 0xA7, 0x4E));
        else if (expected[k] == Bad)
            QCOMPARE(colour.value<QColor>(), QColor(0xD4, 0x2A, 0x2A));
        else
            QCOMPARE(colour, QVariant());
    }
}

void TestZelCTableModel::pivotHeadersAndValues()
{
    ZelCTableModel m(m_archive);
    m.setGroupByDate(true);
    QCOMPARE(m.rowCount(), 5);
    QCOMPARE(headers(m), (QStringList{"Time", "U1 [V]", "U1_flag", Quoted, Quoted + "_flag"}));
    QCOMPARE(m.getColumnNames(), (QStringList{"dateTime", "U1 [V]", Quoted}));
    QCOMPARE(m.getColumnsVisibilityList(), (QList<bool>{true, true, false, true, false}));

    QMap<QString, int> rowOfTime;
    for (int r = 0; r < m.rowCount(); ++r)
        rowOfTime.insert(text(m, r, 0), r);
    auto row = [&](int k) { return rowOfTime.value(QStringLiteral("2023-11-14 22:13:2%1.250").arg(k), -1); };
    for (int k = 0; k < 5; ++k)
        QVERIFY(row(k) >= 0);
    // Invalid flags (1, 256) hide the value; not-ready (128) shows it.
    QCOMPARE(m.index(row(0), 1).data().toDouble(), 230.0);
    QCOMPARE(text(m, row(1), 1), QStringLiteral("---"));
    QCOMPARE(m.index(row(2), 1).data().toDouble(), 232.0);
    QCOMPARE(text(m, row(3), 1), QStringLiteral("---"));
    QCOMPARE(m.index(row(4), 1).data().toDouble(), 234.0);
    QCOMPARE(m.index(row(3), 2).data().toInt(), 256);
}

void TestZelCTableModel::quotedNamesPivot()
{
    // Single and double quotes in a name: bound, not pasted.
    ZelCTableModel m(m_archive);
    QSignalSpy console(&m, &MyAbstractTableModel::consoleMessage);
    m.setGroupByDate(true);
    QVERIFY(consolespy::withIcon(console, 3).isEmpty());
    const int col = headers(m).indexOf(Quoted);
    QVERIFY(col > 0);
    double sum = 0;
    for (int r = 0; r < m.rowCount(); ++r)
        sum += m.index(r, col).data().toDouble();
    QCOMPARE(sum, 0.0 + 1 + 2 + 3 + 4);
}

void TestZelCTableModel::pivotWithoutParameters()
{
    QSqlDatabase db = makeDb(QStringLiteral("noparams"));
    QVERIFY(ZelCFixture::createSchema(db));
    ZelCTableModel m(db);
    QCOMPARE(m.rowCount(), 0);
    QSignalSpy console(&m, &MyAbstractTableModel::consoleMessage);
    m.setGroupByDate(true);
    QCOMPARE(m.rowCount(), 0);
    QCOMPARE(m.columnCount(), 0);
    QVERIFY(m.getColumnsVisibilityList().isEmpty());
    QCOMPARE(consolespy::withIcon(console, 2).size(), 1);
    QVERIFY(consolespy::withIcon(console, 3).isEmpty());
}

void TestZelCTableModel::switchingResetsViews()
{
    ZelCTableModel m(m_archive);
    QTableView view;
    view.setModel(&m);
    QSignalSpy resets(&m, &QAbstractItemModel::modelReset);
    m.setGroupByDate(true);
    QCOMPARE(resets.size(), 1);
    QCOMPARE(view.horizontalHeader()->count(), 5);
    QCOMPARE(view.verticalHeader()->count(), 5);
    m.setGroupByDate(false);
    QCOMPARE(resets.size(), 2);
    QCOMPARE(view.horizontalHeader()->count(), 6);
    QCOMPARE(view.verticalHeader()->count(), 10);
    QVERIFY(m.getColumnNames().contains(QStringLiteral("Flag")));
    // A direct re-query resets too.
    m.updateQuery();
    QCOMPARE(resets.size(), 3);
}

void TestZelCTableModel::loadAllFetchesEverything()
{
    QSqlDatabase db = makeDb(QStringLiteral("many"));
    QVERIFY(ZelCFixture::createSchema(db));
    QVERIFY(ZelCFixture::addParameter(db, 1, QStringLiteral("P"), QStringLiteral("W")));
    db.transaction();
    for (int k = 0; k < 1500; ++k)
        QVERIFY(ZelCFixture::addValue(db, 1, T0 + k * 1000, k, 0));
    QVERIFY(db.commit());

    ZelCTableModel m(db);
    QVERIFY(m.rowCount() < 1500);
    QVERIFY(m.canFetchMore(QModelIndex()));
    m.setLoadAllData(true);
    QCOMPARE(m.rowCount(), 1500);
    m.setGroupByDate(true);
    QCOMPARE(m.rowCount(), 1500);
}

void TestZelCTableModel::cloneAndFormat()
{
    ZelCTableModel m(m_archive);
    QCOMPARE(m.getDateTimeFormat(), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    m.setGroupByDate(true);
    std::unique_ptr<MyAbstractTableModel> copy(m.clone());
    QVERIFY(copy);
    QVERIFY(qobject_cast<ZelCTableModel *>(copy.get()));
    QCOMPARE(copy->parent(), nullptr);
    QCOMPARE(copy->columnCount(), 6);
    QCOMPARE(copy->rowCount(), 10);
}

void TestZelCTableModel::exportKeepsAnalyserFlags()
{
    ZelCTableModel m(m_archive);
    QCOMPARE(m.getDataExportRowCnt(), 10);
    QList<int> u1Flags;
    int records = 0;
    for (uint offset = 0; offset < 10; offset += 4) {
        QVERIFY(m.execDataExportQuery(offset, qMin(4u, 10 - offset)));
        MyAbstractSqlModel::ExportRecord r;
        while (m.getNextExportRecord(r)) {
            ++records;
            if (r.idParameters == 1)
                u1Flags << r.flag;
            QVERIFY(r.dateTime >= T0 && r.dateTime < T0 + 5000);
        }
    }
    QCOMPARE(records, 10);
    std::sort(u1Flags.begin(), u1Flags.end());
    QCOMPARE(u1Flags, (QList<int>{0, 1, 3, 128, 256}));
}

void TestZelCTableModel::eventsDistinctRowsAndDates()
{
    QSqlDatabase db = makeDb(QStringLiteral("events"));
    QVERIFY(ZelCFixture::createSchema(db));
    const qint64 gap = 1711846800000; // 2024-03-31 01:00:00 UTC, 03:00 in Warsaw
    QVERIFY(ZelCFixture::addEvent(db, T0, QStringLiteral("Power on")));
    QVERIFY(ZelCFixture::addEvent(db, T0, QStringLiteral("Power on")));
    QVERIFY(ZelCFixture::addEvent(db, T0 + 60000, QStringLiteral("Power on")));
    QVERIFY(ZelCFixture::addEvent(db, gap, QStringLiteral("Dip L1")));
    QVERIFY(ZelCFixture::addEvent(db, 0, QStringLiteral("Clock reset")));

    ZelCEventTableModel m(db, 2);
    QCOMPARE(m.rowCount(), 4);
    QCOMPARE(m.columnCount(), 2);
    QCOMPARE(m.getColumnNames(), (QStringList{"Date", "Entry"}));
    QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Entry"));
    QCOMPARE(m.headerData(2, Qt::Horizontal), QVariant());
    QCOMPARE(m.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    QCOMPARE(m.headerData(0, Qt::Horizontal, Qt::ToolTipRole), QVariant());

    QMap<QString, QStringList> byText;
    for (int r = 0; r < m.rowCount(); ++r)
        byText[text(m, r, 1)] << text(m, r, 0);
    QCOMPARE(byText.value(QStringLiteral("Power on")).size(), 2);
    // Local time of the user, in the toolkit's text form.
    QCOMPARE(byText.value(QStringLiteral("Dip L1")),
             QStringList{QDateTime::fromMSecsSinceEpoch(gap, Qt::LocalTime).toString(Qt::TextDate)});
    QVERIFY(byText.value(QStringLiteral("Dip L1")).at(0).contains(QStringLiteral("03:00:00")));
    QCOMPARE(byText.value(QStringLiteral("Clock reset")),
             QStringList{QDateTime(QDate(1970, 1, 1), QTime(1, 0), Qt::LocalTime).toString(Qt::TextDate)});

    QCOMPARE(m.data(m.index(0, 1), Qt::EditRole), QVariant());
    QCOMPARE(m.data(m.index(4, 0)), QVariant());
    QCOMPARE(m.data(QModelIndex()), QVariant());

    // Contract defaults.
    QCOMPARE(m.clone(), nullptr);
    QVERIFY(m.isFlagValid(2));
    QCOMPARE(m.getDateTimeFormat(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    m.setLoadAllData(true);
    QCOMPARE(m.rowCount(), 4);
}

void TestZelCTableModel::eventsEmptyAndBrokenTables()
{
    QSqlDatabase db = makeDb(QStringLiteral("noevents"));
    QVERIFY(ZelCFixture::createSchema(db));
    ZelCEventTableModel empty(db, 4);
    QCOMPARE(empty.rowCount(), 0);
    QCOMPARE(empty.columnCount(), 2);
    QCOMPARE(empty.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Date"));

    QSqlDatabase bare = makeDb(QStringLiteral("bare"));
    ZelCEventTableModel broken(bare, 3);
    QCOMPARE(broken.rowCount(), 0);
    QCOMPARE(broken.columnCount(), 2);
}

void TestZelCTableModel::builtOnWorkerReadOnGuiThread()
{
    // As the open-file worker does: built on a pool thread over that thread's
    // connection, then handed to the GUI thread.
    QThread *gui = QThread::currentThread();
    QSqlDatabase events = makeDb(QStringLiteral("workerEvents"));
    QVERIFY(ZelCFixture::createSchema(events));
    QVERIFY(ZelCFixture::addEvent(events, T0, QStringLiteral("Alarm 1 on")));
    auto future = QtConcurrent::run([gui]() {
        auto *table = new ZelCTableModel(Connections::database(QStringLiteral("archive")));
        table->moveToThread(gui);
        auto *log = new ZelCEventTableModel(Connections::database(QStringLiteral("workerEvents")), 4);
        log->moveToThread(gui);
        return qMakePair(table, log);
    });
    future.waitForFinished();
    std::unique_ptr<ZelCTableModel> table(future.result().first);
    std::unique_ptr<ZelCEventTableModel> log(future.result().second);
    QCOMPARE(table->thread(), gui);
    QTRY_COMPARE(table->rowCount(), 10);
    QCOMPARE(table->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Flag"));
    table->setGroupByDate(true);
    QCOMPARE(table->rowCount(), 5);
    QCOMPARE(headers(*table).at(3), Quoted);
    QCOMPARE(log->rowCount(), 1);
    QCOMPARE(text(*log, 0, 1), QStringLiteral("Alarm 1 on"));
}

QUORLOG_TEST_MAIN(TestZelCTableModel)
#include "tst_zelctablemodel.moc"
