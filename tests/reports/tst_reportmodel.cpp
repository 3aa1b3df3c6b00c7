#include "reports/AbstractReportModel.h"

#include "common/Connections.h"
#include "reports/RaportGenerator.h"
#include "support/DbTestUtil.h"
#include "support/ReportSqlFixtures.h"
#include "support/TestMain.h"
#include "support/TimeTestUtil.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace reportfixtures;
using testtime::utcMsecs;

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(Rows)

namespace {

// Opens up the palette for the cases that put texts of their own into it.
class PaletteModel : public AbstractReportModel
{
public:
    using AbstractReportModel::AbstractReportModel;
    void setPalette(const QStringList &p) { stringList = p; }
};

Rows modelRows(const QAbstractItemModel &m)
{
    Rows rows;
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < m.columnCount(); ++c)
            row << m.data(m.index(r, c)).toString();
        rows << row;
    }
    return rows;
}

QStringList headers(const QAbstractItemModel &m)
{
    QStringList h;
    for (int c = 0; c < m.columnCount(); ++c)
        h << m.headerData(c, Qt::Horizontal).toString();
    return h;
}

bool setUnit(QSqlDatabase db, int id, const QString &unit)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE Parameters SET unit = ? WHERE id = ?"));
    q.addBindValue(unit);
    q.addBindValue(id);
    return q.exec();
}

// 2024-03-31: the hour after 01:00 UTC does not exist in Warsaw's local time.
qint64 at(int h, int m, int s = 0)
{
    return utcMsecs(QStringLiteral("2024-03-31 %1:%2:%3")
                        .arg(h, 2, 10, QLatin1Char('0'))
                        .arg(m, 2, 10, QLatin1Char('0'))
                        .arg(s, 2, 10, QLatin1Char('0')));
}

} // namespace

class TestReportModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void narrowWorkedExample_data();
    void narrowWorkedExample();
    void selectionOrderKeepsColumns();
    void emptyResult();
    void applicationDatabasePeriod();
    void applicationDatabaseFlags_data();
    void applicationDatabaseFlags();
    void applicationDatabaseTwinNames();
    void wideRows_data();
    void wideRows();
    void intervalMinutes_data();
    void intervalMinutes();
    void displayNames_data();
    void displayNames();
    void appendOutOfRange();
    void palette_data();
    void palette();
    void cellRoles();
    void parseDateTime_data();
    void parseDateTime();

private:
    QSqlDatabase narrowDb();
    QSqlDatabase wideDb(const QString &table);
    AbstractReportModel *runNarrow(const QList<int> &listIndexes, int aggregation);

    QTemporaryDir m_dir;
    int m_serial = 0;
};

void TestReportModel::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestReportModel::init()
{
    RaportGenerator::resetState();
}

QSqlDatabase TestReportModel::narrowDb()
{
    const QString name = QStringLiteral("narrow%1").arg(++m_serial);
    QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
    if (!createNarrowTables(db))
        return QSqlDatabase();
    insertDevice(db, 1, QStringLiteral("ZelB"), ZelB);
    insertParameter(db, 5, 1, QStringLiteral("U1"));
    insertParameter(db, 6, 1, QStringLiteral("P6"));
    insertParameter(db, 7, 1, QStringLiteral("I1"));
    setUnit(db, 5, QStringLiteral("V"));
    setUnit(db, 7, QStringLiteral("A"));
    // Bucket 00:45 of parameter 5, then bucket 01:00 with a flag-2 sample
    // that the instrument's rule leaves out.
    insertSample(db, 5, 230.0, 0, at(0, 50));
    insertSample(db, 5, 232.5, 0, at(0, 55));
    insertSample(db, 5, 229.0, 0, at(1, 5));
    insertSample(db, 5, 231.0, 0, at(1, 10));
    insertSample(db, 5, 999.0, 2, at(1, 12));
    // Parameter 7 only in the first bucket; 6 is never selected.
    insertSample(db, 7, 10.0, 0, at(0, 46));
    insertSample(db, 7, 12.5, 0, at(0, 58));
    insertSample(db, 6, 1.0, 0, at(0, 47));
    insertSample(db, 6, 7.0, 0, at(1, 7));
    return db;
}

AbstractReportModel *TestReportModel::runNarrow(const QList<int> &listIndexes, int aggregation)
{
    QSqlDatabase db = narrowDb();
    auto *model = new AbstractReportModel(db, ZelB, nullptr);
    model->setGroupingType(0);
    model->setIntervalMinutes(15);
    model->setAggregationType(aggregation);
    model->setReportOptions(true, false, false, false, 15);
    model->clearSelectedParams();
    const QStringList names = model->getParametersFullName();
    for (int i = 0; i < names.size(); ++i)
        model->setParamFullName(i, names.at(i));
    for (int i : listIndexes)
        model->appendReportParam(i);
    model->updateQuery(0);
    return model;
}

void TestReportModel::narrowWorkedExample_data()
{
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<Rows>("rows");

    const QString b1s = QStringLiteral("2024-03-31 00:45:00"), b1e = QStringLiteral("2024-03-31 00:59:59");
    const QString b2s = QStringLiteral("2024-03-31 01:00:00"), b2e = QStringLiteral("2024-03-31 01:14:59");
    auto cell = [](const char *v, const char *time) {
        return QString::fromLatin1(v) + QStringLiteral("\n(2024-03-31 ") + QLatin1String(time) + QLatin1Char(')');
    };
    QTest::newRow("min") << 0 << " MIN"
                         << Rows{{b1s, b1e, cell("230.00", "00:50:00"), cell("10.00", "00:46:00")},
                                 {b2s, b2e, cell("229.00", "01:05:00"), "---"}};
    QTest::newRow("max") << 2 << " MAX"
                         << Rows{{b1s, b1e, cell("232.50", "00:55:00"), cell("12.50", "00:58:00")},
                                 {b2s, b2e, cell("231.00", "01:10:00"), "---"}};
    // Last minus first sample of each bucket.
    QTest::newRow("inc") << 3 << " INC" << Rows{{b1s, b1e, "2.50", "2.50"}, {b2s, b2e, "2.00", "---"}};
}

void TestReportModel::narrowWorkedExample()
{
    QFETCH(int, aggregation);
    QFETCH(QString, suffix);
    QFETCH(Rows, rows);

    QScopedPointer<AbstractReportModel> model(runNarrow({0, 2}, aggregation));
    QCOMPARE(model->getSelectedParamsId(), (QList<int>{5, 7}));
    QCOMPARE(modelRows(*model), rows);
    QCOMPARE(headers(*model), (QStringList{QStringLiteral("Start date"), QStringLiteral("End date"),
                                           QStringLiteral("U1 [V]\n") + suffix, QStringLiteral("I1 [A]\n") + suffix}));
    QCOMPARE(model->getReportStartTime(), QStringLiteral("2024-03-31 00:45:00"));
    QCOMPARE(model->getReportEndTime(), QStringLiteral("2024-03-31 01:14:59"));
    QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
}

void TestReportModel::selectionOrderKeepsColumns()
{
    // Ticked as I1 then U1: each value stays under its own header, no extra column.
    for (int aggregation : {1, 3}) {
        QScopedPointer<AbstractReportModel> model(runNarrow({2, 0}, aggregation));
        QCOMPARE(model->getSelectedParamsId(), (QList<int>{7, 5}));
        QCOMPARE(model->columnCount(), 4);
        QVERIFY(headers(*model).at(2).startsWith(QStringLiteral("I1 [A]\n")));
        QVERIFY(headers(*model).at(3).startsWith(QStringLiteral("U1 [V]\n")));
        const Rows rows = modelRows(*model);
        QCOMPARE(rows.size(), 2);
        if (aggregation == 1) {
            QVERIFY2(rows.at(0).at(2).startsWith(QStringLiteral("11.25\n(")), qPrintable(rows.at(0).at(2)));
            QVERIFY2(rows.at(0).at(3).startsWith(QStringLiteral("231.25\n(")), qPrintable(rows.at(0).at(3)));
            QCOMPARE(rows.at(1).at(2), QStringLiteral("---"));
            QVERIFY(rows.at(1).at(3).startsWith(QStringLiteral("230.00\n(")));
        } else {
            QCOMPARE(rows.at(0).mid(2), (QStringList{"2.50", "2.50"}));
            QCOMPARE(rows.at(1).mid(2), (QStringList{"---", "2.00"}));
        }
    }
}

void TestReportModel::emptyResult()
{
    QSqlDatabase db = narrowDb();
    AbstractReportModel model(db, ZelB, nullptr);
    QSignalSpy console(&model, &AbstractReportModel::consoleMessage);
    QSignalSpy dialog(&model, &AbstractReportModel::dialogMessage);
    model.setGroupingType(1);
    model.setAggregationType(2);
    model.appendReportParam(0);
    model.updateQuery(0);
    QCOMPARE(model.rowCount(), 2);
    const QStringList before = headers(model);
    QCOMPARE(console.count(), 1);
    QVERIFY(console.at(0).at(0).toString().startsWith(QStringLiteral("Report created in: ")));
    console.clear();

    // Parameter 5 selected alone, then its samples gone: nothing to report.
    QSqlQuery(db).exec(QStringLiteral("DELETE FROM Data"));
    model.updateQuery(0);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
    QCOMPARE(model.getReportStartTime(), QStringLiteral("---"));
    QCOMPARE(model.getReportEndTime(), QStringLiteral("---"));
    QCOMPARE(model.getHeaders(), before);
    // The failure only: no "Report created" after it.
    QCOMPARE(console.count(), 1);
    QVERIFY(console.at(0).at(0).toString().startsWith(QStringLiteral("Error during loading records! ")));
    QCOMPARE(console.at(0).at(1).toInt(), 3);
    QCOMPARE(dialog.count(), 1);
    QCOMPARE(dialog.at(0).at(0).toString(), QStringLiteral("Error during loading records!"));
    QCOMPARE(dialog.at(0).at(1).toString(), QStringLiteral("Error"));
    QCOMPARE(dialog.at(0).at(2).toInt(), 3);
}

void TestReportModel::applicationDatabasePeriod()
{
    // A filtered session: the filter's ids in its order, the filter's period.
    FiltersCfg filters;
    filters.selectedParamId = {7, 5};
    filters.startDateTime = at(0, 45);
    filters.endDateTime = at(0, 59, 59);
    AbstractReportModel model(narrowDb(), filters, INTERNAL_DB, nullptr);
    QCOMPARE(model.getParametersFullName(), (QStringList{"I1 [A]", "U1 [V]"}));
    model.setGroupingType(0);
    model.setIntervalMinutes(15);
    model.setAggregationType(2);
    model.appendReportParam(0);
    model.appendReportParam(1);
    model.updateQuery(0);
    QCOMPARE(modelRows(model),
             (Rows{{"2024-03-31 00:45:00", "2024-03-31 00:59:59", "12.50\n(2024-03-31 00:58:00)",
                    "232.50\n(2024-03-31 00:55:00)"}}));
    QCOMPARE(model.getDeviceName(), QStringLiteral("INTERNAL_DB"));
}

void TestReportModel::applicationDatabaseFlags_data()
{
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<QString>("cell");
    QTest::newRow("max") << 2 << "231.00\n(2024-03-31 01:10:00)";
    QTest::newRow("min") << 0 << "228.00\n(2024-03-31 01:20:00)";
}

// The import stored every instrument's flags with one meaning (2 invalid, 1
// not ready): an analyser's hour of 230 (flag 0), 231 and 228 (flag 1) and
// 999 (flag 2) reports as its table and chart show it, whatever the
// instrument is called.
void TestReportModel::applicationDatabaseFlags()
{
    QFETCH(int, aggregation);
    QFETCH(QString, cell);
    QSqlDatabase db = narrowDb();
    QVERIFY(testdb::exec(db, {QStringLiteral("DELETE FROM Data"),
                              QStringLiteral("UPDATE Devices SET name = 'ZelC', type = %1").arg(int(ZelC))})
                .isEmpty());
    QVERIFY(insertSample(db, 5, 230.0, 0, at(1, 5)));
    QVERIFY(insertSample(db, 5, 231.0, 1, at(1, 10)));
    QVERIFY(insertSample(db, 5, 999.0, 2, at(1, 12)));
    QVERIFY(insertSample(db, 5, 228.0, 1, at(1, 20)));
    FiltersCfg filters;
    filters.selectedParamId = {5};
    AbstractReportModel model(db, filters, INTERNAL_DB, nullptr);
    model.setGroupingType(1);
    model.setAggregationType(aggregation);
    model.appendReportParam(0);
    model.updateQuery(0);
    QCOMPARE(modelRows(model), (Rows{{"2024-03-31 01:00:00", "2024-03-31 01:59:59", cell}}));
}

// Parameters of the same name from two instruments: the list and the column
// headers name the instrument, as the table and the chart do; a name that
// occurs once stays as it is.
void TestReportModel::applicationDatabaseTwinNames()
{
    QSqlDatabase db = narrowDb();
    QVERIFY(insertDevice(db, 2, QStringLiteral("Feeder B"), ZelD));
    QVERIFY(insertParameter(db, 8, 2, QStringLiteral("U1")));
    QVERIFY(setUnit(db, 8, QStringLiteral("V")));
    QVERIFY(insertSample(db, 8, 240.0, 0, at(0, 50)));
    FiltersCfg filters;
    filters.selectedParamId = {8, 7, 5};
    AbstractReportModel model(db, filters, INTERNAL_DB, nullptr);
    const QStringList names{"U1 (Feeder B) [V]", "I1 [A]", "U1 (ZelB) [V]"};
    QCOMPARE(model.getParametersFullName(), names);
    // The page hands the list's texts back before a run.
    model.setGroupingType(1);
    model.setAggregationType(2);
    for (int i = 0; i < names.size(); ++i) {
        model.setParamFullName(i, names.at(i));
        model.appendReportParam(i);
    }
    model.updateQuery(0);
    QCOMPARE(headers(model), (QStringList{"Start date", "End date", "U1 (Feeder B) [V]\n MAX", "I1 [A]\n MAX",
                                          "U1 (ZelB) [V]\n MAX"}));
    QCOMPARE(modelRows(model).value(0).mid(2),
             (QStringList{"240.00\n(2024-03-31 00:50:00)", "12.50\n(2024-03-31 00:58:00)",
                          "232.50\n(2024-03-31 00:55:00)"}));
}

QSqlDatabase TestReportModel::wideDb(const QString &table)
{
    const QString name = QStringLiteral("wide%1").arg(++m_serial);
    QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".qdb")), testdb::Sync::Scratch);
    if (!createNarrowTables(db))
        return QSqlDatabase();
    insertDevice(db, 1, QStringLiteral("M1"), table == QLatin1String("DataMoxB") ? MoxB : MoxA);
    insertParameter(db, 11, 1, QStringLiteral("P1"));
    // Brackets in a parameter's own name are part of its column's name.
    insertParameter(db, 12, 1, QStringLiteral("P2 [L1]"));
    setUnit(db, 11, QStringLiteral("kW"));
    const QStringList columns{QStringLiteral("P1 (M1)"), QStringLiteral("P2 [L1] (M1)")};
    createWideTable(db, table, columns);
    insertWideRows(db, table, columns,
                   {{"2025-01-01", "00:00:10", "1", "5"},
                    {"2025-01-01", "00:00:40", "3", " "},
                    {"2025-01-01", "00:01:20", "4", "6"},
                    {"2025-01-01", "00:01:50", "10", "9"}});
    return db;
}

void TestReportModel::wideRows_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<QStringList>("heads");
    QTest::addColumn<Rows>("rows");

    const QStringList maxHeads{"Start Time", "End Time", "P1 (M1) [kW] MAX", "P2 [L1] (M1) MAX"};
    const Rows maxRows{{"2025-01-01 00:00:00", "2025-01-01 00:00:59", "3.00", "5.00"},
                       {"2025-01-01 00:01:00", "2025-01-01 00:01:59", "10.00", "9.00"}};
    const QStringList incHeads{"Start Time", "End Time", "P1 (M1) [kW]", "P2 [L1] (M1)"};
    // Last valid minus first valid value of each interval.
    const Rows incRows{{"2025-01-01 00:00:00", "2025-01-01 00:00:59", "2.00", "0.00"},
                       {"2025-01-01 00:01:00", "2025-01-01 00:01:59", "6.00", "3.00"}};
    QTest::newRow("MoxB max") << "DataMoxB" << int(MoxB_FILTERED) << 2 << maxHeads << maxRows;
    QTest::newRow("MoxB inc") << "DataMoxB" << int(MoxB_FILTERED) << 3 << incHeads << incRows;
    QTest::newRow("MoxA max") << "DataMoxA" << int(MoxA_FILTERED) << 2 << maxHeads << maxRows;
    QTest::newRow("MoxA inc") << "DataMoxA" << int(MoxA_FILTERED) << 3 << incHeads << incRows;
}

void TestReportModel::wideRows()
{
    QFETCH(QString, table);
    QFETCH(int, type);
    QFETCH(int, aggregation);
    QFETCH(QStringList, heads);
    QFETCH(Rows, rows);

    FiltersCfg filters;
    filters.selectedParamId = {11, 12};
    AbstractReportModel model(wideDb(table), filters, avaibleDevices_t(type), nullptr);
    model.setGroupingType(0);
    model.setIntervalMinutes(1);
    model.setAggregationType(aggregation);
    model.setReportOptions(true, false, false, false, 1);
    model.appendReportParam(0);
    model.appendReportParam(1);
    model.updateQuery(0);
    QCOMPARE(modelRows(model), rows);
    QCOMPARE(headers(model), heads);
}

void TestReportModel::intervalMinutes_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("stored");
    QTest::newRow("0") << 0 << 30;
    QTest::newRow("61") << 61 << 30;
    QTest::newRow("-5") << -5 << 30;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("60") << 60 << 60;
    QTest::newRow("15") << 15 << 15;
}

void TestReportModel::intervalMinutes()
{
    QFETCH(int, given);
    QFETCH(int, stored);
    AbstractReportModel model(narrowDb(), ZelB, nullptr);
    model.setIntervalMinutes(given);
    QCOMPARE(model.getIntervalMinutes(), stored);
}

void TestReportModel::displayNames_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<int>>("filter");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("ids"); // appendReportParam of every index
    QTest::addColumn<QString>("deviceName");

    QTest::newRow("ZelD") << int(ZelD) << QList<int>{} << QStringList{"U1 [V]", "P6", "I1 [A]", "P1 [kW]", "P2"}
                          << QList<int>{5, 6, 7, 11, 12} << "ZelD";
    // 99 has no name: it is left out and the ids stay with their names.
    QTest::newRow("application database") << int(INTERNAL_DB) << QList<int>{7, 99, 5}
                                          << QStringList{"I1 [A]", "U1 [V]"} << QList<int>{7, 5} << "INTERNAL_DB";
    QTest::newRow("filtered MoxB") << int(MoxB_FILTERED) << QList<int>{12, 99, 11}
                                   << QStringList{"P2 (M1)", "P1 (M1) [kW]"} << QList<int>{12, 11} << "";
    QTest::newRow("no type") << int(DEVICE_UNDEFINED) << QList<int>{} << QStringList{"U1 [V]", "P6", "I1 [A]", "P1 [kW]", "P2"}
                             << QList<int>{5, 6, 7, 11, 12} << "Abstract Device";
}

void TestReportModel::displayNames()
{
    QFETCH(int, type);
    QFETCH(QList<int>, filter);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, ids);
    QFETCH(QString, deviceName);

    QSqlDatabase db = narrowDb();
    insertDevice(db, 2, QStringLiteral("M1"), MoxB);
    insertParameter(db, 11, 2, QStringLiteral("P1"));
    insertParameter(db, 12, 2, QStringLiteral("P2"));
    setUnit(db, 11, QStringLiteral("kW"));

    FiltersCfg filters;
    filters.selectedParamId = filter;
    QScopedPointer<AbstractReportModel> model(
        type == DEVICE_UNDEFINED ? new AbstractReportModel(db, nullptr)
                                 : new AbstractReportModel(db, filters, avaibleDevices_t(type), nullptr));
    QCOMPARE(model->getParametersFullName(), names);
    for (int i = 0; i < names.size(); ++i)
        model->appendReportParam(i);
    QCOMPARE(model->getSelectedParamsId(), ids);
    QCOMPARE(model->getSelectedParamsNames(), names);
    QCOMPARE(model->getDeviceName(), deviceName);

    // Only the application database's list takes names from the page.
    model->setParamFullName(0, QStringLiteral("renamed"));
    QCOMPARE(model->getParametersFullName().at(0) == QLatin1String("renamed"), type == INTERNAL_DB);
    model->init();
    QCOMPARE(model->getParametersFullName(), names);
}

void TestReportModel::appendOutOfRange()
{
    AbstractReportModel model(narrowDb(), ZelB, nullptr);
    model.appendReportParam(-1);
    model.appendReportParam(model.getParametersFullName().size());
    QVERIFY(model.getSelectedParamsId().isEmpty());
    QVERIFY(model.getSelectedParamsNames().isEmpty());
    model.appendReportParam(1);
    model.clearSelectedParams();
    QVERIFY(model.getSelectedParamsId().isEmpty());
    QCOMPARE(model.getParametersFullName().size(), 3);
}

void TestReportModel::palette_data()
{
    QTest::addColumn<int>("brightness");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("50 unchanged") << 50 << "#CC2400" << "#152061";
    QTest::newRow("0 black") << 0 << "#000000" << "#000000";
    QTest::newRow("100 white") << 100 << "#FFFFFF" << "#FFFFFF";
    QTest::newRow("25 darker") << 25 << "#661200" << "#0A1030";
    QTest::newRow("75 lighter") << 75 << "#E5917F" << "#8A8FB0";
}

void TestReportModel::palette()
{
    QFETCH(int, brightness);
    QFETCH(QString, first);
    QFETCH(QString, last);
    PaletteModel model(narrowDb(), ZelB, nullptr);
    // Without a themed application the light set at brightness 50.
    QCOMPARE(model.getPalette(), AbstractReportModel::lightPalette);
    QCOMPARE(model.getPalette().size(), 24);
    QCOMPARE(AbstractReportModel::darkPalette.size(), 24);
    model.buildColorTable(brightness);
    QCOMPARE(model.getPalette().first(), first);
    QCOMPARE(model.getPalette().last(), last);

    model.setPalette({QStringLiteral("not a colour"), QStringLiteral("#00ff00")});
    model.buildColorTable(brightness);
    QCOMPARE(model.getPalette().first(), QStringLiteral("not a colour"));

    QCOMPARE(AbstractReportModel::blendColor(QColor(10, 20, 30, 255), QColor(20, 40, 60, 255), 2.0),
             QColor(20, 40, 60, 255));
    QCOMPARE(AbstractReportModel::blendColor(QColor(10, 20, 30, 255), QColor(21, 41, 61, 255), 0.5),
             QColor(15, 30, 45, 255));
}

void TestReportModel::cellRoles()
{
    QScopedPointer<AbstractReportModel> model(runNarrow({0, 2}, 2));
    const QStringList palette = model->getPalette();
    QCOMPARE(model->data(model->index(0, 0), Qt::TextAlignmentRole).toInt(), 0x84);
    QVERIFY(!model->data(model->index(0, 1), Qt::ForegroundRole).isValid());
    QCOMPARE(model->data(model->index(0, 2), Qt::ForegroundRole).value<QColor>(), QColor(palette.at(0)));
    QCOMPARE(model->data(model->index(1, 3), Qt::ForegroundRole).value<QColor>(), QColor(palette.at(1)));
    QVERIFY(!model->data(model->index(2, 0)).isValid());
    QVERIFY(!model->data(model->index(0, 4)).isValid());
    QVERIFY(!model->headerData(4, Qt::Horizontal).isValid());
    QVERIFY(!model->headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());

    // A theme change rebuilds the names and the palette, keeping the rows.
    model->init();
    QCOMPARE(model->rowCount(), 2);
}

void TestReportModel::parseDateTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("parsed");
    QTest::newRow("plain") << "2024-01-05 10:20:30" << "2024-01-05 10:20:30";
    QTest::newRow("local gap hour") << "2024-03-31 02:30:00" << "2024-03-31 02:30:00";
    QTest::newRow("bad day") << "2024-02-30 10:00:00" << "";
    QTest::newRow("bad time") << "2024-02-01 24:00:00" << "";
    QTest::newRow("other shape") << "2024-02-01T10:00:00" << "";
    QTest::newRow("empty") << "" << "";
}

void TestReportModel::parseDateTime()
{
    QFETCH(QString, text);
    QFETCH(QString, parsed);
    AbstractReportModel model(narrowDb(), ZelB, nullptr);
    QCOMPARE(model.parseDateTime(text), parsed);
}

QUORLOG_TEST_MAIN(TestReportModel)
#include "tst_reportmodel.moc"
