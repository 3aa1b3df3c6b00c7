#include "common/Connections.h"
#include "support/ConsoleSpyUtil.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/NarrowFixture.h"
#include "tables/TempDatabaseTableModel.h"

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <memory>

using NarrowFixture::Step;
using NarrowFixture::T0;

namespace {

QString text(const QAbstractItemModel &m, int row, int col, int role = Qt::DisplayRole)
{
    return m.data(m.index(row, col), role).toString();
}

int rowWithValue(const QAbstractItemModel &m, double value)
{
    for (int r = 0; r < m.rowCount(); ++r)
        if (m.data(m.index(r, 3)).toDouble() == value)
            return r;
    return -1;
}

FiltersCfg filter(QList<int> ids, qint64 start = 0, qint64 end = 0)
{
    FiltersCfg f;
    f.selectedParamId = ids;
    f.startDateTime = start;
    f.endDateTime = end;
    return f;
}

// Reads every export page the way the import does.
QList<MyAbstractSqlModel::ExportRecord> readExport(MyAbstractSqlModel &m, uint pageSize)
{
    QList<MyAbstractSqlModel::ExportRecord> out;
    const uint count = uint(m.getDataExportRowCnt());
    for (uint offset = 0; offset < count; offset += pageSize) {
        if (!m.execDataExportQuery(offset, qMin(pageSize, count - offset)))
            break;
        MyAbstractSqlModel::ExportRecord r;
        uint inPage = 0;
        while (m.getNextExportRecord(r)) {
            out << r;
            ++inPage;
        }
        if (inPage > pageSize)
            break;
    }
    return out;
}

QString key(const MyAbstractSqlModel::ExportRecord &r)
{
    return QStringLiteral("%1|%2|%3|%4").arg(r.idParameters).arg(r.dateTime).arg(r.value).arg(r.flag);
}

} // namespace

class TestTempDatabaseTableModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void parameterHeaders_data();
    void parameterHeaders();
    void flatColumns();
    void flagColumn_data();
    void flagColumn();
    void timeShownInWholeSeconds();
    void groupedRows();
    void quotedNamesGrouped_data();
    void quotedNamesGrouped();
    void filters_data();
    void filters();
    void viewSeesFlatAndGroupedCounts();
    void exportPages_data();
    void exportPages();
    void exportJumpRestartsInOrder();
    void missingParametersReportedOnce();
    void rejectedQueryReported();
    void groupedWithoutParametersRunsNoPivot();
    void parametersWithoutInstrumentColumn();
    void fetchCap_data();
    void fetchCap();
    void groupToggleFillsInBackground();
    void fewOfManyParameters_data();
    void fewOfManyParameters();
    void cloneStartsFlatAndLazy();
    void queryTimeLine();
    void builtOnWorkerReadOnGuiThread();

private:
    QSqlDatabase makeDb(const QString &name);
    QTemporaryDir m_dir;
    QSqlDatabase m_small;
    QSqlDatabase m_large;
};

QSqlDatabase TestTempDatabaseTableModel::makeDb(const QString &name)
{
    return testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
}

void TestTempDatabaseTableModel::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QString error;
    m_small = makeDb(QStringLiteral("small"));
    QVERIFY2(NarrowFixture::writeSmall(m_small, &error), qPrintable(error));
    m_large = makeDb(QStringLiteral("large"));
    QVERIFY2(NarrowFixture::writeLarge(m_large, 3000, 3, &error), qPrintable(error));
}

void TestTempDatabaseTableModel::parameterHeaders_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("devices");
    const QString a = QStringLiteral("\n(Meter A)");
    const QString b = QStringLiteral("\n(Meter B)");
    QTest::newRow("no ids") << QList<int>() << QStringList{"U1 [V]", "I1 [A]", "U1 [V]", "it's"}
                            << QStringList{"", "", "", ""};
    QTest::newRow("all ids") << QList<int>{1, 2, 3, 4}
                             << QStringList{"U1 [V]" + a, "I1 [A]", "U1 [V]" + b, "it's"}
                             << QStringList{"Meter A", "Meter A", "Meter B", "Meter B"};
    QTest::newRow("pair only") << QList<int>{3, 1} << QStringList{"U1 [V]" + a, "U1 [V]" + b}
                               << QStringList{"Meter A", "Meter B"};
    QTest::newRow("name once") << QList<int>{3, 2} << QStringList{"I1 [A]", "U1 [V]"}
                               << QStringList{"Meter A", "Meter B"};
}

void TestTempDatabaseTableModel::parameterHeaders()
{
    QFETCH(QList<int>, ids);
    QFETCH(QStringList, headers);
    QFETCH(QStringList, devices);
    Q_UNUSED(devices)
    TempDatabaseTableModel m(m_small, filter(ids));
    const auto params = m.getParametersList();
    QCOMPARE(params.size(), headers.size());
    for (const auto &p : params)
        QCOMPARE(p.reserved, 0);

    m.setGroupByDate(true);
    QCOMPARE(m.getColumnNames(), QStringList{"dateTime_s"} + headers);
    QCOMPARE(m.columnCount(), 1 + 2 * headers.size());
    for (int i = 0; i < headers.size(); ++i) {
        QCOMPARE(m.headerData(1 + 2 * i, Qt::Horizontal).toString(), headers.at(i));
        QCOMPARE(m.headerData(2 + 2 * i, Qt::Horizontal).toString(), params.at(i).name + "_flag");
    }
    QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Time"));
}

void TestTempDatabaseTableModel::flatColumns()
{
    TempDatabaseTableModel plain(m_small);
    QCOMPARE(plain.columnCount(), 6);
    QCOMPARE(plain.rowCount(), NarrowFixture::SmallRowCount);
    const QStringList titles{"Time", "Device name", "Name", "Value", "Unit", "Flag"};
    QCOMPARE(plain.getColumnNames(), titles);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(plain.headerData(i, Qt::Horizontal).toString(), titles.at(i));
    QCOMPARE(plain.getColumnsVisibilityList(), (QList<bool>{true, false, true, true, true, true}));
    // Rows in time order.
    for (int r = 1; r < plain.rowCount(); ++r)
        QVERIFY(text(plain, r - 1, 0) <= text(plain, r, 0));

    TempDatabaseTableModel filtered(m_small, filter({1, 2, 3, 4}));
    QCOMPARE(filtered.getColumnsVisibilityList(), (QList<bool>{true, true, true, true, true, true}));
    const int r = rowWithValue(filtered, 30);
    QVERIFY(r >= 0);
    QCOMPARE(text(filtered, r, 1), QStringLiteral("Meter B"));
    QCOMPARE(text(filtered, r, 2), QStringLiteral("U1"));
    QCOMPARE(text(filtered, r, 4), QStringLiteral("V"));
}

void TestTempDatabaseTableModel::flagColumn_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QVariant>("colour");
    QTest::newRow("0 valid") << 0 << QStringLiteral("\u2714") << QVariant(QColor(0x4E, 0xA7, 0x4E));
    QTest::newRow("1 not ready") << 1 << QStringLiteral("\u231B") << QVariant();
    QTest::newRow("2 invalid") << 2 << QStringLiteral("\u2716") << QVariant(QColor(0xD4, 0x2A, 0x2A));
}

void TestTempDatabaseTableModel::flagColumn()
{
    QFETCH(int, flag);
    QFETCH(QString, symbol);
    QFETCH(QVariant, colour);
    TempDatabaseTableModel m(m_small);
    const int r = rowWithValue(m, 10 + flag); // U1 of Meter A at step k carries flag k
    QVERIFY(r >= 0);
    const QModelIndex i = m.index(r, 5);
    QCOMPARE(m.data(i).toString(), symbol);
    const QFont font = m.data(i, Qt::FontRole).value<QFont>();
    QCOMPARE(font.family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(font.pointSize(), 12);
    QCOMPARE(font.weight(), 75);
    QVERIFY(!font.italic());
    QCOMPARE(m.data(i, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    const QVariant fg = m.data(i, Qt::ForegroundRole);
    if (colour.isValid())
        QCOMPARE(fg.value<QColor>(), colour.value<QColor>());
    else
        QVERIFY(!fg.isValid());
    // Other columns keep their own look.
    QVERIFY(!m.data(m.index(r, 3), Qt::FontRole).isValid());
}

void TestTempDatabaseTableModel::timeShownInWholeSeconds()
{
    TempDatabaseTableModel m(m_small);
    QCOMPARE(text(m, 0, 0), QStringLiteral("2023-11-14 22:13:20"));
    const int r = rowWithValue(m, 2); // written at 22:18:20.999 UTC
    QVERIFY(r >= 0);
    QCOMPARE(text(m, r, 0), QStringLiteral("2023-11-14 22:18:20"));
}

void TestTempDatabaseTableModel::groupedRows()
{
    TempDatabaseTableModel m(m_small);
    m.setGroupByDate(true);
    QCOMPARE(m.rowCount(), NarrowFixture::SmallTimeCount);
    QCOMPARE(m.columnCount(), 9);
    QCOMPARE(m.getColumnsVisibilityList(),
             (QList<bool>{true, true, false, true, false, true, false, true, false}));
    // Row k holds step k; U1 of Meter A is column 1 with value 10 + k, flag k % 3.
    QCOMPARE(text(m, 0, 0), QStringLiteral("2023-11-14 22:13:20"));
    QCOMPARE(m.data(m.index(0, 1)).toDouble(), 10.0);
    QVERIFY(!m.data(m.index(0, 1), Qt::ForegroundRole).isValid());
    QCOMPARE(m.data(m.index(1, 1)).toDouble(), 11.0);
    QCOMPARE(m.data(m.index(1, 1), Qt::ForegroundRole).value<QColor>(), QColor(0xA0, 0xA0, 0xA0));
    QCOMPARE(text(m, 2, 1), QStringLiteral("---"));
    QCOMPARE(text(m, 2, 7), QStringLiteral("---")); // "it's" of Meter B, quoted safely
    QCOMPARE(m.data(m.index(3, 7)).toDouble(), 43.0);
    // The two U1 values of one millisecond are summed into one row; the other
    // parameters have nothing then.
    QCOMPARE(text(m, 5, 0), QStringLiteral("2023-11-14 22:18:20"));
    QCOMPARE(m.data(m.index(5, 1)).toDouble(), 3.0);
    QVERIFY(m.data(m.index(5, 3)).isNull());
    // Time column and flags untouched by the rules.
    QCOMPARE(text(m, 2, 0), QStringLiteral("2023-11-14 22:15:20"));
    QCOMPARE(m.data(m.index(2, 2)).toInt(), 2);

    m.setGroupByDate(false);
    QCOMPARE(m.columnCount(), 6);
    QCOMPARE(m.getColumnNames().size(), 6);
    QCOMPARE(m.getColumnsVisibilityList().size(), 6);
    m.setGroupByDate(true);
    QCOMPARE(m.getColumnsVisibilityList().size(), 9);
    QCOMPARE(m.getColumnNames().size(), 5);
}

void TestTempDatabaseTableModel::quotedNamesGrouped_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QStringList>("headers");
    QTest::newRow("no ids") << QList<int>() << QStringList{"it's \"odd\" [\"]", "\"", "it's \"odd\""};
    QTest::newRow("ids") << QList<int>{1, 2, 3}
                         << QStringList{"it's \"odd\" [\"]\n(Meter \"A\")", "\"", "it's \"odd\"\n(Meter 'B')"};
}

void TestTempDatabaseTableModel::quotedNamesGrouped()
{
    QFETCH(QList<int>, ids);
    QFETCH(QStringList, headers);
    // Quotes of both kinds in names, units and instrument names: the grouped
    // statement must run and every title must read as stored.
    QSqlDatabase db = makeDb(QStringLiteral("quoted_%1").arg(ids.size()));
    QString error;
    QVERIFY2(NarrowFixture::createSchema(db, &error), qPrintable(error));
    QSqlQuery q(db);
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (?, ?, 2)")));
    const QStringList devices{"Meter \"A\"", "Meter 'B'"};
    for (int i = 0; i < 2; ++i) {
        q.addBindValue(i + 1);
        q.addBindValue(devices.at(i));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (?, ?, ?, ?)")));
    const QStringList names{"it's \"odd\"", "\"", "it's \"odd\""};
    const QStringList units{"\"", "", ""};
    for (int i = 0; i < 3; ++i) {
        q.addBindValue(i + 1);
        q.addBindValue(i == 0 ? 1 : 2);
        q.addBindValue(names.at(i));
        q.addBindValue(units.at(i));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO Data (idParameters, value, flag, dateTime) VALUES (?, ?, 0, ?)")));
    for (int i = 0; i < 3; ++i) {
        q.addBindValue(i + 1);
        q.addBindValue(1.5 + i);
        q.addBindValue(T0);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }

    TempDatabaseTableModel m(db, filter(ids));
    QSignalSpy console(&m, &MyAbstractTableModel::consoleMessage);
    m.setGroupByDate(true);
    QCOMPARE(m.rowCount(), 1);
    QCOMPARE(m.columnCount(), 7);
    QCOMPARE(m.getColumnNames(), QStringList{"dateTime_s"} + headers);
    QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Time"));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(m.headerData(1 + 2 * i, Qt::Horizontal).toString(), headers.at(i));
        QCOMPARE(m.headerData(2 + 2 * i, Qt::Horizontal).toString(), names.at(i) + "_flag");
        QCOMPARE(m.data(m.index(0, 1 + 2 * i)).toDouble(), 1.5 + i);
    }
    QTest::qWait(20);
    QVERIFY(consolespy::notPlain(console).isEmpty());

    // A view attached to the model reads the same titles.
    QTableView view;
    view.setModel(&m);
    QCOMPARE(view.model()->headerData(1, Qt::Horizontal).toString(), headers.at(0));
}

void TestTempDatabaseTableModel::filters_data()
{
    QTest::addColumn<FiltersCfg>("f");
    QTest::addColumn<int>("flatRows");
    QTest::addColumn<int>("groupedRows");
    QTest::newRow("none") << filter({}) << 22 << 6;
    QTest::newRow("ids") << filter({2}) << 5 << 5;
    QTest::newRow("period") << filter({}, T0 + Step, T0 + 3 * Step) << 12 << 3;
    QTest::newRow("ids and period") << filter({1, 4}, T0 + Step, T0 + 5 * Step + 999) << 10 << 5;
    QTest::newRow("start only") << filter({1}, T0 + 3 * Step, 0) << 7 << 6;
    QTest::newRow("end only") << filter({}, 0, T0) << 22 << 6;
    QTest::newRow("period, no ids, edges") << filter({}, T0 + 5 * Step + 999, T0 + 5 * Step + 999) << 2 << 1;
}

void TestTempDatabaseTableModel::filters()
{
    QFETCH(FiltersCfg, f);
    QFETCH(int, flatRows);
    QFETCH(int, groupedRows);
    TempDatabaseTableModel m(m_small, f);
    QCOMPARE(m.rowCount(), flatRows);
    for (int r = 0; r < m.rowCount(); ++r) {
        if (f.hasParameters())
            QVERIFY(!text(m, r, 1).isEmpty());
    }
    m.setGroupByDate(true);
    QCOMPARE(m.rowCount(), groupedRows);
    QCOMPARE(m.columnCount(), 1 + 2 * m.getParametersList().size());
}

void TestTempDatabaseTableModel::viewSeesFlatAndGroupedCounts()
{
    TempDatabaseTableModel m(m_small, filter({1, 2, 3, 4}));
    QTableView view;
    view.setModel(&m);
    view.resize(800, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.horizontalHeader()->count(), 6);
    QCOMPARE(view.verticalHeader()->count(), 22);
    QSignalSpy resets(&m, &QAbstractItemModel::modelReset);

    m.setGroupByDate(true);
    QCOMPARE(resets.count(), 1);
    QCOMPARE(view.horizontalHeader()->count(), 9);
    QCOMPARE(view.verticalHeader()->count(), 6);
    QCOMPARE(view.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("U1 [V]\n(Meter A)"));
    QCOMPARE(view.model()->data(view.model()->index(2, 1)).toString(), QStringLiteral("---"));

    m.setGroupByDate(false);
    QCOMPARE(view.horizontalHeader()->count(), 6);
    QCOMPARE(view.verticalHeader()->count(), 22);
    QCOMPARE(view.model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Flag"));
    m.setLoadAllData(true);
    QCOMPARE(resets.count(), 3);
    QCOMPARE(view.verticalHeader()->count(), 22);
}

void TestTempDatabaseTableModel::exportPages_data()
{
    QTest::addColumn<uint>("pageSize");
    QTest::newRow("5") << 5u;
    QTest::newRow("7") << 7u;
    QTest::newRow("50000") << 50000u;
}

void TestTempDatabaseTableModel::exportPages()
{
    QFETCH(uint, pageSize);
    const QString name = QStringLiteral("export%1").arg(pageSize);
    QSqlDatabase db = makeDb(name);
    QString error;
    QVERIFY2(NarrowFixture::writeSmall(db, &error), qPrintable(error));
    QSqlQuery q(db);
    // An exact copy of a record: DISTINCT drops it.
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Data SELECT NULL, idParameters, value, flag, dateTime, NULL "
                                  "FROM Data WHERE idParameters = 1 AND value = 1")));
    TempDatabaseTableModel m(db);
    QCOMPARE(m.getDataExportRowCnt(), NarrowFixture::SmallRowCount + 1);

    const auto records = readExport(m, pageSize);
    QStringList got;
    for (const auto &r : records)
        got << key(r);
    QStringList expected;
    QVERIFY(q.exec(QStringLiteral("SELECT DISTINCT idParameters, dateTime, value, flag FROM Data")));
    while (q.next()) {
        MyAbstractSqlModel::ExportRecord r;
        r.idParameters = q.value(0).toInt();
        r.dateTime = q.value(1).toLongLong();
        r.value = q.value(2).toDouble();
        r.flag = q.value(3).toInt();
        expected << key(r);
    }
    QCOMPARE(got.size(), NarrowFixture::SmallRowCount);
    QCOMPARE(QSet<QString>(got.begin(), got.end()).size(), got.size());
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
    // 64-bit times come through whole.
    bool found = false;
    for (const auto &r : records)
        found = found || (r.dateTime == T0 + 5 * Step + 999 && r.value == 2.0);
    QVERIFY(found);
}

void TestTempDatabaseTableModel::exportJumpRestartsInOrder()
{
    TempDatabaseTableModel m(m_small);
    const auto all = readExport(m, 50000);
    QCOMPARE(all.size(), NarrowFixture::SmallRowCount);
    QVERIFY(m.execDataExportQuery(10, 5));
    MyAbstractSqlModel::ExportRecord r;
    for (int i = 10; i < 15; ++i) {
        QVERIFY(m.getNextExportRecord(r));
        QCOMPARE(key(r), key(all.at(i)));
    }
    QVERIFY(!m.getNextExportRecord(r));
    // Going back restarts the cursor.
    QVERIFY(m.execDataExportQuery(0, 2));
    QVERIFY(m.getNextExportRecord(r));
    QCOMPARE(key(r), key(all.at(0)));
}

void TestTempDatabaseTableModel::missingParametersReportedOnce()
{
    QSqlDatabase db = makeDb(QStringLiteral("noparams"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE Data (id integer PRIMARY KEY, idParameters INTEGER, value DOUBLE, "
                                  "flag SMALLINT, dateTime INT8, observationId INT8)")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 5, 0, 1700000000000, NULL)")));
    TempDatabaseTableModel m(db);
    QSignalSpy console(&m, &MyAbstractTableModel::consoleMessage);
    QTest::qWait(20);
    QCOMPARE(m.rowCount(), 0);
    m.setGroupByDate(true);
    m.setGroupByDate(false);
    QTest::qWait(20);
    const auto errors = consolespy::notPlain(console);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().toString().contains(QStringLiteral("Parameters")));
    QCOMPARE(m.getDataExportRowCnt(), 1);
}

void TestTempDatabaseTableModel::rejectedQueryReported()
{
    QSqlDatabase db = makeDb(QStringLiteral("nodata"));
    QString error;
    QVERIFY2(NarrowFixture::writeSmall(db, &error), qPrintable(error));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("DROP TABLE Data")));
    TempDatabaseTableModel m(db);
    QSignalSpy console(&m, &MyAbstractTableModel::consoleMessage);
    QTRY_COMPARE(consolespy::notPlain(console).size(), 1);
    QCOMPARE(console.first().at(1).toInt(), 3);
    QCOMPARE(m.rowCount(), 0);
    m.setGroupByDate(true);
    QCOMPARE(m.rowCount(), 0);
    QVERIFY(!m.execDataExportQuery(0, 10));
    MyAbstractSqlModel::ExportRecord r;
    QVERIFY(!m.getNextExportRecord(r));
}

void TestTempDatabaseTableModel::groupedWithoutParametersRunsNoPivot()
{
    QSqlDatabase db = makeDb(QStringLiteral("empty"));
    QString error;
    QVERIFY2(NarrowFixture::createSchema(db, &error), qPrintable(error));
    TempDatabaseTableModel m(db);
    QSignalSpy console(&m, &MyAbstractTableModel::consoleMessage);
    m.setGroupByDate(true);
    QTest::qWait(20);
    QVERIFY(consolespy::notPlain(console).isEmpty());
    QCOMPARE(m.columnCount(), 0);
    QCOMPARE(m.rowCount(), 0);
    QVERIFY(m.getColumnsVisibilityList().isEmpty());
    m.setGroupByDate(false);
    QCOMPARE(m.columnCount(), 6);
    QVERIFY(consolespy::notPlain(console).isEmpty());
}

void TestTempDatabaseTableModel::parametersWithoutInstrumentColumn()
{
    // A reader's temporary database may lack Parameters.idDevices and Devices.
    QSqlDatabase db = makeDb(QStringLiteral("bare"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE Parameters (id INTEGER PRIMARY KEY, name VARCHAR(80), unit VARCHAR(10))")));
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE Data (id integer PRIMARY KEY, idParameters INTEGER, value DOUBLE, "
                                  "flag SMALLINT, dateTime INT8, observationId INT8)")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Parameters VALUES (1, 'T', '\u00B0C'), (2, 'RH', '%')")));
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 21.5, 0, 1700000000000, NULL), "
                                  "(NULL, 2, 40, 2, 1700000000000, NULL), (NULL, 1, 22, 1, 1700000060000, NULL)")));
    TempDatabaseTableModel m(db);
    QSignalSpy console(&m, &MyAbstractTableModel::consoleMessage);
    QCOMPARE(m.rowCount(), 3);
    QCOMPARE(text(m, 0, 2), QStringLiteral("T"));
    QVERIFY(text(m, 0, 1).isEmpty());
    m.setGroupByDate(true);
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("T [\u00B0C]"));
    QCOMPARE(text(m, 0, 3), QStringLiteral("---"));
    QTest::qWait(20);
    QVERIFY(consolespy::notPlain(console).isEmpty());
}

void TestTempDatabaseTableModel::fetchCap_data()
{
    // 3000 rows flat, 1000 time stamps grouped.
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("flatNotice"); // %1 the rows shown
    QTest::addColumn<QString>("groupedNotice"); // empty: grouping shows every row
    QTest::newRow("grouping fits") << 1200
                                   << QStringLiteral("The table shows the first %1 of 3000 rows. Grouping by date or "
                                                     "the CSV export reaches all of them.")
                                   << QString();
    QTest::newRow("grouping cut off too")
        << 600
        << QStringLiteral("The table shows the first %1 of 3000 rows. Grouped by date it has 1000 rows, cut off at "
                          "the same limit; the CSV export reaches all of them.")
        << QStringLiteral("The table grouped by date shows the first %1 of 1000 rows. The CSV export reaches all of "
                          "them.");
}

void TestTempDatabaseTableModel::fetchCap()
{
    QFETCH(int, limit);
    QFETCH(QString, flatNotice);
    QFETCH(QString, groupedNotice);
    TempDatabaseTableModel m(m_large);
    QSignalSpy console(&m, &MyAbstractTableModel::consoleMessage);
    QVERIFY(m.rowCount() > 0);
    QVERIFY(m.rowCount() < 600);
    m.setFetchLimit(limit);
    QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
    int guard = 0;
    while (m.canFetchMore(QModelIndex()) && ++guard < 100)
        m.fetchMore(QModelIndex());
    const int capped = m.rowCount();
    QVERIFY(capped >= limit);
    QVERIFY(capped < limit + 256);
    QVERIFY(!inserted.isEmpty());
    m.fetchMore(QModelIndex());
    QCOMPARE(m.rowCount(), capped);
    // The user learns once that rows are out of reach, how many, and whether
    // grouping by date would reach them.
    QCOMPARE(consolespy::withIcon(console, 2), QList<QVariant>{flatNotice.arg(capped)});

    m.setLoadAllData(true);
    QVERIFY(m.rowCount() >= limit);
    QVERIFY(m.rowCount() < limit + 256);
    QCOMPARE(consolespy::withIcon(console, 2).size(), 1); // once per view
    m.setGroupByDate(true);
    QTRY_VERIFY(!m.isFillingInBackground());
    if (groupedNotice.isEmpty()) {
        QCOMPARE(m.rowCount(), 1000);
        QCOMPARE(consolespy::withIcon(console, 2).size(), 1);
    } else {
        // The grouped view is cut off too, and says so.
        QVERIFY(m.rowCount() >= limit);
        QVERIFY(m.rowCount() < limit + 256);
        QCOMPARE(consolespy::withIcon(console, 2),
                 (QList<QVariant>{flatNotice.arg(capped), groupedNotice.arg(m.rowCount())}));
    }
    const int notices = consolespy::withIcon(console, 2).size();
    m.setGroupByDate(false);
    m.setGroupByDate(true);
    QTRY_VERIFY(!m.isFillingInBackground());
    QCOMPARE(consolespy::withIcon(console, 2).size(), notices); // once per view

    m.setFetchLimit(0); // back to the product cap
    QCOMPARE(m.fetchLimit(), int(MyAbstractSqlModel::MaxFetchedRows));
    m.setLoadAllData(true);
    QCOMPARE(m.rowCount(), 1000); // every time stamp
    QVERIFY(!m.isFillingInBackground());
    QCOMPARE(consolespy::withIcon(console, 2).size(), notices);
}

// With load-all in force, a change of grouping returns with the first screen
// and fetches the other rows between events, under a busy cursor.
void TestTempDatabaseTableModel::groupToggleFillsInBackground()
{
    TempDatabaseTableModel m(m_large);
    m.setLoadAllData(true);
    QCOMPARE(m.rowCount(), 3000);
    QTableView view;
    view.setModel(&m);

    m.setGroupByDate(true);
    QVERIFY(m.rowCount() >= 256);
    QVERIFY(m.rowCount() < 1000);
    QVERIFY(m.isFillingInBackground());
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    QTRY_COMPARE(m.rowCount(), 1000);
    QTRY_VERIFY(!m.isFillingInBackground());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(view.model()->rowCount(), 1000);

    // Toggled back before the fill ends: the older fill stops, the new one
    // reaches every row of its own statement.
    m.setGroupByDate(false);
    QVERIFY(m.rowCount() < 3000);
    m.setGroupByDate(true);
    m.setGroupByDate(false);
    QTRY_COMPARE(m.rowCount(), 3000);
    QTRY_VERIFY(!m.isFillingInBackground());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(text(m, 2999, 0).isEmpty(), false);

    // A model dropped while it fills leaves no busy cursor behind.
    {
        TempDatabaseTableModel other(m_large);
        other.setLoadAllData(true);
        other.setGroupByDate(true);
        QVERIFY(other.isFillingInBackground());
    }
    QVERIFY(!QApplication::overrideCursor());
    QTest::qWait(20);
}

void TestTempDatabaseTableModel::fewOfManyParameters_data()
{
    // One of 130 parameters is read through the parameter index, three of
    // them in time order: the same rows either way.
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<bool>("period");
    QTest::newRow("one") << QList<int>{5} << false;
    QTest::newRow("one, period") << QList<int>{5} << true;
    QTest::newRow("three") << QList<int>{5, 6, 7} << false;
    QTest::newRow("three, period") << QList<int>{5, 6, 7} << true;
}

void TestTempDatabaseTableModel::fewOfManyParameters()
{
    QFETCH(QList<int>, ids);
    QFETCH(bool, period);
    static QSqlDatabase db;
    if (!db.isValid()) {
        db = makeDb(QStringLiteral("many"));
        QString error;
        QVERIFY2(NarrowFixture::writeLarge(db, 130 * 10, 130, &error), qPrintable(error));
    }
    // Time stamps are T0 + k s, k = 0..9; the period keeps k = 2..6.
    const FiltersCfg f = period ? filter(ids, T0 + 2000, T0 + 6000) : filter(ids);
    const int times = period ? 5 : 10;
    TempDatabaseTableModel m(db, f);
    QCOMPARE(m.rowCount(), times * ids.size());
    for (int r = 0; r < m.rowCount(); ++r) {
        QVERIFY(ids.contains(text(m, r, 2).mid(1).toInt()));
        if (r > 0)
            QVERIFY(text(m, r - 1, 0) <= text(m, r, 0));
    }
    QCOMPARE(text(m, 0, 0), period ? QStringLiteral("2023-11-14 22:13:22") : QStringLiteral("2023-11-14 22:13:20"));
    m.setGroupByDate(true);
    QCOMPARE(m.rowCount(), times);
    QCOMPARE(m.columnCount(), 1 + 2 * ids.size());
    QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("P5 [V]"));
}

void TestTempDatabaseTableModel::cloneStartsFlatAndLazy()
{
    const FiltersCfg f = filter({1, 2}, T0, T0 + 10000000);
    TempDatabaseTableModel m(m_large, f);
    m.setGroupByDate(true);
    m.setLoadAllData(true);
    QVERIFY(m.rowCount() > 256);
    std::unique_ptr<MyAbstractTableModel> copy(m.clone());
    QVERIFY(copy);
    QVERIFY(copy->parent() == nullptr);
    QCOMPARE(copy->getColumnNames().size(), 6);
    QCOMPARE(copy->columnCount(), 6);
    QVERIFY(copy->rowCount() <= 256);
    QVERIFY(copy->canFetchMore(QModelIndex()));
    // Same filter: only the two parameters, with their instrument shown.
    QCOMPARE(copy->getColumnsVisibilityList().at(1), true);
    copy->setLoadAllData(true);
    QCOMPARE(copy->rowCount(), 2 * 1000);
    auto *sqlCopy = qobject_cast<MyAbstractSqlModel *>(copy.get());
    QVERIFY(sqlCopy);
    QCOMPARE(sqlCopy->getParametersList().size(), 2);
}

void TestTempDatabaseTableModel::queryTimeLine()
{
    TempDatabaseTableModel m(m_small);
    QSignalSpy console(&m, &MyAbstractTableModel::consoleMessage);
    QTRY_COMPARE(console.count(), 1); // the constructor's line, kept for the listener
    m.setLoadAllData(true);
    QCOMPARE(console.count(), 2);
    const QString line = console.last().at(0).toString();
    QVERIFY2(line.startsWith(QStringLiteral("Table data query time: ")) && line.endsWith(QStringLiteral(" ms")),
             qPrintable(line));
    QCOMPARE(console.last().at(1).toInt(), 0);
}

void TestTempDatabaseTableModel::builtOnWorkerReadOnGuiThread()
{
    QThread *gui = QThread::currentThread();
    // As the session worker does: built on a pool thread over that thread's
    // connection, then handed to the GUI thread.
    QFuture<TempDatabaseTableModel *> future = QtConcurrent::run([gui]() {
        auto *m = new TempDatabaseTableModel(Connections::database(QStringLiteral("small")));
        m->moveToThread(gui);
        return m;
    });
    future.waitForFinished();
    std::unique_ptr<TempDatabaseTableModel> m(future.result());
    QCOMPARE(m->thread(), gui);
    // The worker's statement was let go on the worker; the rows come back
    // from this thread's own connection.
    QCOMPARE(m->rowCount(), 0);
    QTRY_COMPARE(m->rowCount(), NarrowFixture::SmallRowCount);
    QCOMPARE(text(*m, 0, 0), QStringLiteral("2023-11-14 22:13:20"));
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Time"));
    QCOMPARE(m->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Flag"));
    QCOMPARE(m->data(m->index(0, 5)).toString(), QStringLiteral("\u2714"));
    m->setGroupByDate(true);
    QCOMPARE(m->rowCount(), NarrowFixture::SmallTimeCount);
    const auto records = readExport(*m, 8);
    QCOMPARE(records.size(), NarrowFixture::SmallRowCount);
}

QUORLOG_TEST_MAIN(TestTempDatabaseTableModel)
#include "tst_tempdatabasetablemodel.moc"
