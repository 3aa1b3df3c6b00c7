// The analysers' PQDIF reader: rows, times, parameters and units it writes from
// files made with our own writer, the instrument it writes under, what it
// leaves out, cancel, damage, and the names that keep series apart.
#include "support/TestMain.h"

#include "common/Connections.h"
#include "pqdif/PqdifBenchFile.h"
#include "pqdif/PqdifWriter.h"
#include "readers/PqdifParameterNames.h"
#include "readers/ZelDXPqdifParser.h"
#include "support/DbTestUtil.h"
#include "support/ReaderLog.h"
#include "support/ReaderTestDb.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <sqlite3.h>

using namespace pqdif;

namespace {

const QString kDb = QStringLiteral("pqdifreader");

// Milliseconds of a UTC wall-clock time.
qint64 utcMs(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

PqdifSeriesDefnDesc timeDefn(uint32_t units = ID_QU_SECONDS)
{
    PqdifSeriesDefnDesc t;
    t.valueType = ID_SERIES_VALUE_TYPE_TIME;
    t.units = units;
    t.characteristic = ID_QC_NONE;
    return t;
}

PqdifSeriesDefnDesc valueDefn(const PqdifGuid &type = ID_SERIES_VALUE_TYPE_VAL, uint32_t units = ID_QU_VOLTS,
                              uint32_t storage = ID_SERIES_METHOD_VALUES)
{
    PqdifSeriesDefnDesc v;
    v.valueType = type;
    v.units = units;
    v.storage = storage;
    return v;
}

PqdifChannelDefnDesc channel(const std::string &name, std::vector<PqdifSeriesDefnDesc> series,
                             uint32_t phase = ID_PHASE_AN)
{
    PqdifChannelDefnDesc c;
    c.name = name;
    c.phase = phase;
    c.series = std::move(series);
    return c;
}

PqdifChannelInstDesc instance(uint32_t defn, std::vector<PqdifSeriesInstDesc> series, int group = -1)
{
    PqdifChannelInstDesc i;
    i.defnIdx = defn;
    i.groupId = group;
    i.series = std::move(series);
    return i;
}

const PqdifTimeStamp kStart = pqdifTime(2024, 3, 31, 3600.0); // 01:00 UTC, the night Warsaw skips 02:00

// "name|unit" per Parameters row, by id; a NULL unit reads "<null>".
QStringList parameterRows(QSqlDatabase db)
{
    QStringList rows;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name, unit FROM Parameters ORDER BY id"));
    while (q.next())
        rows << q.value(0).toString() + QLatin1Char('|')
                    + (q.value(1).isNull() ? QStringLiteral("<null>") : q.value(1).toString());
    return rows;
}

// "parameter name|value|dateTime|observationId" per Data row, in insertion order.
QStringList dataRows(QSqlDatabase db)
{
    QStringList rows;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT Parameters.name, Data.value, Data.flag, Data.dateTime, Data.observationId FROM Data "
                          "LEFT JOIN Parameters ON Data.idParameters = Parameters.id ORDER BY Data.id"));
    while (q.next()) {
        // One pass: a name may hold a '%'.
        rows << QStringLiteral("%1|%2|%3|%4%5")
                    .arg(q.value(0).toString(), QString::number(q.value(1).toDouble(), 'g', 17),
                         QString::number(q.value(3).toLongLong()), QString::number(q.value(4).toLongLong()),
                         q.value(2).toInt() == 0 ? QString() : QStringLiteral(" flag ") + q.value(2).toString());
    }
    return rows;
}

struct Run
{
    bool parsed = false;
    int count = -1;
    ReaderLog log;
};

} // namespace

class TestZelDXPqdifParser : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QSqlDatabase db;
    int fileNo = 0;

    QString save(const PqdifWriter &w)
    {
        const QString path = dir.filePath(QStringLiteral("f%1.pqd").arg(++fileNo));
        if (!w.save(path))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // One reader run into db; forcedId > 0 forces the instrument.
    void run(const QString &path, Run &r, QAtomicInteger<char> *cancel = nullptr, int forcedId = -1,
             const QString &forcedName = QString())
    {
        QAtomicInteger<char> flag(0);
        ZelDXPqdifParser reader(nullptr, cancel ? cancel : &flag);
        r.log.attach(&reader);
        if (forcedId > 0 || !forcedName.isEmpty())
            reader.setDeviceInfo(forcedId, forcedName);
        QVERIFY(reader.openFile(path));
        r.parsed = reader.parseFile(db, &r.count);
    }

    // The plain file of most cases: data source "M1", channel U1 with REAL8
    // offsets and a value series scaled by 2 plus 1, observation number 7.
    PqdifWriter basicFile(PqdifWriter::Options o = {})
    {
        PqdifWriter w(o);
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord(
            "M1", {channel("U1", {timeDefn(), valueDefn(ID_SERIES_VALUE_TYPE_VAL, ID_QU_VOLTS,
                                                        ID_SERIES_METHOD_VALUES | ID_SERIES_METHOD_SCALED)})}));
        w.addRecord(*pqdifObservationRecord(
            "Obs", kStart,
            {instance(0, {PqdifSeriesInstDesc::real8({0.0, 0.5, 3600.25}),
                          PqdifSeriesInstDesc::real8({100.0, -100.0, 115.5}).scaled(2.0, 1.0)})},
            7));
        return w;
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        db = testdb::createSchemaDatabase(kDb, dir.filePath(QStringLiteral("db%1.sqlite").arg(++fileNo)));
    }

    void cleanup()
    {
        db = QSqlDatabase();
        Connections::remove(kDb);
    }

    // REAL8 offsets from the start time, scale and offset applied, series 0
    // not written, the observation's own number, and the view over it all.
    void offsetsAndScale()
    {
        Run r;
        run(save(basicFile()), r);
        QVERIFY(r.parsed);
        QCOMPARE(r.count, 3);
        QCOMPARE(testdb::column(db, QStringLiteral("SELECT name || '|' || type FROM Devices")), QStringList{"M1|19"});
        QCOMPARE(parameterRows(db), QStringList{"U1 obs 7|V"});
        QCOMPARE(dataRows(db), QStringList({QStringLiteral("U1 obs 7|201|%1|7").arg(utcMs(2024, 3, 31, 1, 0, 0)),
                                            QStringLiteral("U1 obs 7|-199|%1|7").arg(utcMs(2024, 3, 31, 1, 0, 0, 500)),
                                            QStringLiteral("U1 obs 7|232|%1|7").arg(utcMs(2024, 3, 31, 2, 0, 0, 250))}));
        QCOMPARE(testdb::column(db, QStringLiteral("SELECT dateTime || ' ' || deviceName || ' ' || value || ' ' || "
                                                   "unit || ' ' || observationId FROM DataConnected")),
                 QStringList({"2024-03-31 01:00:00.000 M1 201.0 V 7", "2024-03-31 01:00:00.500 M1 -199.0 V 7",
                              "2024-03-31 02:00:00.250 M1 232.0 V 7"}));
        QVERIFY(r.log.hasConsole(QStringLiteral("Using data source: M1"), 0));
        QCOMPARE(r.log.lastConsole().text, QStringLiteral("Imported PQDIF samples: 3"));
        QCOMPARE(r.log.lastConsole().icon, 1);
        QVERIFY(r.log.dialogs.isEmpty());
        QCOMPARE(r.log.progress.last(), 100);
    }

    // Series 0 of absolute time stamps; without a serial the observation is
    // numbered by its place among the file's observations.
    void timeStampSeries()
    {
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord("", {channel("I1", {timeDefn(ID_QU_TIMESTAMP), valueDefn()})}));
        for (int o = 0; o < 2; ++o)
            w.addRecord(*pqdifObservationRecord(
                "Obs", kStart,
                {instance(0, {PqdifSeriesInstDesc::timeStamps({pqdifTime(2024, 3, 31, 7200.0 + o),
                                                               pqdifTime(2024, 3, 31, 7200.5 + o)}),
                              PqdifSeriesInstDesc::real4({1.5f, 2.5f})})}));
        const QString path = save(w);
        Run r;
        run(path, r);
        QVERIFY(r.parsed);
        // A data source without a name is called after the file.
        QCOMPARE(testdb::column(db, QStringLiteral("SELECT name FROM Devices")), QStringList{QFileInfo(path).completeBaseName()});
        QCOMPARE(dataRows(db), QStringList({QStringLiteral("I1 obs 1|1.5|%1|1").arg(utcMs(2024, 3, 31, 2, 0, 0)),
                                            QStringLiteral("I1 obs 1|2.5|%1|1").arg(utcMs(2024, 3, 31, 2, 0, 0, 500)),
                                            QStringLiteral("I1 obs 2|1.5|%1|2").arg(utcMs(2024, 3, 31, 2, 0, 1)),
                                            QStringLiteral("I1 obs 2|2.5|%1|2").arg(utcMs(2024, 3, 31, 2, 0, 1, 500))}));
    }

    // A time axis in cycles is timed by the power frequency of the monitor
    // settings, and is itself no measurement.
    void cyclesAxis()
    {
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord("M1", {channel("U1", {timeDefn(ID_QU_CYCLES), valueDefn()})}));
        w.addRecord(*pqdifMonitorSettingsRecord(pqdifTime(2024, 1, 1), 50.0));
        w.addRecord(*pqdifObservationRecord(
            "Obs", kStart,
            {instance(0, {PqdifSeriesInstDesc::real8({0.0, 50.0, 125.0}), PqdifSeriesInstDesc::real8({1, 2, 3})})},
            1));
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QCOMPARE(dataRows(db), QStringList({QStringLiteral("U1 obs 1|1|%1|1").arg(utcMs(2024, 3, 31, 1, 0, 0)),
                                            QStringLiteral("U1 obs 1|2|%1|1").arg(utcMs(2024, 3, 31, 1, 0, 1)),
                                            QStringLiteral("U1 obs 1|3|%1|1").arg(utcMs(2024, 3, 31, 1, 0, 2, 500))}));
    }

    // A series in seconds and a series of a left-out value type are never
    // written; the other series of the channel are.
    void seriesLeftOut()
    {
        const PqdifGuid leftOut = PqdifGuid::fromString("5FD423AA-DE44-4A13-BF5B-AF9621BC6FFA");
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord(
            "M1", {channel("U1", {timeDefn(), valueDefn(ID_SERIES_VALUE_TYPE_VAL, ID_QU_SECONDS),
                                  valueDefn(leftOut), valueDefn(ID_SERIES_VALUE_TYPE_AVG)})}));
        w.addRecord(*pqdifObservationRecord(
            "Obs", kStart,
            {instance(0, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({5.0}),
                          PqdifSeriesInstDesc::real8({6.0}), PqdifSeriesInstDesc::real8({230.0})})},
            1));
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QCOMPARE(parameterRows(db), QStringList{"U1 obs 1|V"});
        QCOMPARE(dataRows(db), QStringList{QStringLiteral("U1 obs 1|230|%1|1").arg(utcMs(2024, 3, 31, 1, 0, 0))});
    }

    void unitRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("code");
        QTest::addColumn<uint>("prefix");
        QTest::addColumn<uint>("display");
        QTest::addColumn<QString>("unit");
        QTest::newRow("Volts") << "Volts" << 6u << 0u << 0u << "V";
        QTest::newRow("amps any case") << " aMPs " << 7u << 0u << 0u << "A";
        QTest::newRow("Vars") << "Vars" << 10u << 0u << 0u << "var";
        QTest::newRow("VAHours") << "VAHours" << 24u << 0u << 0u << "VAh";
        QTest::newRow("Watthours") << "Watthours" << 23u << 0u << 0u << "Wh";
        QTest::newRow("Varhours") << "Varhours" << 22u << 0u << 0u << "varh";
        QTest::newRow("Hertz") << "Hertz" << 15u << 0u << 0u << "Hz";
        QTest::newRow("Percent") << "Percent" << 19u << 0u << 0u << "%";
        QTest::newRow("Celsius") << "Celsius" << 16u << 0u << 0u << "degC";
        QTest::newRow("other name kept") << "N m" << 30u << 0u << 0u << "N m";
        // Values stay in the base unit, so the stored unit does too.
        QTest::newRow("kilo hint on watts") << "Watts" << 9u << 7u << 0u << "W";
        QTest::newRow("kilo hint on vars") << "Vars" << 10u << 7u << 0u << "var";
        QTest::newRow("mega hint on VA") << "VA" << 8u << 8u << 0u << "VA";
        QTest::newRow("percent hint on volts") << "Volts" << 6u << 0u << 2u << "V";
        QTest::newRow("per-unit hint on volts") << "Volts" << 6u << 0u << 3u << "V";
        // No unit is the empty text, never an identifier's name.
        QTest::newRow("code 0 without name") << "" << 0u << 0u << 0u << "";
        QTest::newRow("code 0 with identifier name") << "ID_QU_NONE" << 0u << 0u << 0u << "";
        QTest::newRow("identifier name, symbol known") << "ID_QU_WATTS" << 9u << 0u << 0u << "W";
        QTest::newRow("identifier name, no symbol") << "ID_QU_WEBERS" << 36u << 0u << 0u << "";
        QTest::newRow("no name, symbol of the code") << "" << 11u << 0u << 0u << "Ohm";
        QTest::newRow("unknown code without name") << "" << 99u << 0u << 0u << "";
    }

    void unitRule()
    {
        QFETCH(QString, text);
        QFETCH(uint, code);
        QFETCH(uint, prefix);
        QFETCH(uint, display);
        QFETCH(QString, unit);
        ZelDXPqdifParser::SeriesUnitInfo info;
        info.unitsCode = code;
        info.prefixCode = prefix;
        info.displayCode = display;
        const QString got = ZelDXPqdifParser::unitFor(text, info);
        QCOMPARE(got, unit);
        QVERIFY(!got.isNull());
    }

    void unitTables()
    {
        QCOMPARE(ZelDXPqdifParser::quantityUnitSymbol(2), QStringLiteral("s"));
        QCOMPARE(ZelDXPqdifParser::quantityUnitSymbol(21), QStringLiteral("samples"));
        QCOMPARE(ZelDXPqdifParser::quantityUnitSymbol(5), QString(""));
        QCOMPARE(ZelDXPqdifParser::siPrefixSymbol(7), QStringLiteral("k"));
        QCOMPARE(ZelDXPqdifParser::siPrefixSymbol(11), QStringLiteral("P"));
        QCOMPARE(ZelDXPqdifParser::siPrefixSymbol(6), QString(""));
        QVERIFY(ZelDXPqdifParser::isRelativeUnit(QStringLiteral("PU")));
        QVERIFY(!ZelDXPqdifParser::isRelativeUnit(QStringLiteral("V")));
        QCOMPARE(ZelDXPqdifParser::normalizeUnit(QStringLiteral(" id_qu_volts")), QString(""));
    }

    // Units as the file gives them: symbols, '' for none, the base unit under
    // a prefix hint, read through the layer's names.
    void unitsStored()
    {
        std::vector<PqdifSeriesDefnDesc> s{timeDefn(), valueDefn(ID_SERIES_VALUE_TYPE_VAL, 9),
                                           valueDefn(ID_SERIES_VALUE_TYPE_VAL, ID_QU_NONE)};
        s[1].greekPrefix = 7;
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord("M1", {channel("P total", {s[0], s[1]}), channel("Flicker", {s[0], s[2]})}));
        w.addRecord(*pqdifObservationRecord(
            "Obs", kStart,
            {instance(0, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({150000.0})}),
             instance(1, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({0.4})})},
            1));
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QCOMPARE(parameterRows(db), QStringList({"P total obs 1|W", "Flicker obs 1|"}));
    }

    // All rows go to the chosen instrument under its name.
    void forcedInstrument()
    {
        QVERIFY(testdb::exec(db, QStringList{"INSERT INTO Devices (id, name, type) VALUES (5, 'Chosen', 19)",
                                  "INSERT INTO Devices (id, name, type) VALUES (6, 'M1', 19)"})
                    .isEmpty());
        Run r;
        run(save(basicFile()), r, nullptr, 5, QStringLiteral("Chosen"));
        QVERIFY(r.parsed);
        QCOMPARE(testdb::count(db, QStringLiteral("Devices")), 2);
        QCOMPARE(testdb::column(db, QStringLiteral("SELECT DISTINCT idDevices FROM Parameters")), QStringList{"5"});
        QCOMPARE(testdb::column(db, QStringLiteral("SELECT DISTINCT deviceName FROM DataConnected")), QStringList{"Chosen"});
        QVERIFY(r.log.hasConsole(QStringLiteral("Using data source: Chosen"), 0));
    }

    // Two data sources with one name share a Devices row; each observation
    // belongs to the data source before it.
    void twoSourcesOneName()
    {
        PqdifWriter w;
        w.addContainer();
        for (int k = 0; k < 2; ++k) {
            w.addRecord(*pqdifDataSourceRecord("Site", {channel(k ? "U2" : "U1", {timeDefn(), valueDefn()})}));
            w.addRecord(*pqdifObservationRecord(
                "Obs", kStart,
                {instance(0, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({230.0 + k})})},
                k + 1));
        }
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QCOMPARE(testdb::count(db, QStringLiteral("Devices")), 1);
        QCOMPARE(testdb::column(db, QStringLiteral("SELECT COUNT(DISTINCT idDevices) FROM Parameters")), QStringList{"1"});
        QCOMPARE(parameterRows(db), QStringList({"U1 obs 1|V", "U2 obs 2|V"}));
    }

    // A file of the container alone still makes the view and commits.
    void zeroRecords()
    {
        PqdifWriter w;
        w.addContainer();
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QCOMPARE(r.count, 0);
        QCOMPARE(testdb::count(db, QStringLiteral("DataConnected")), 0);
        QCOMPARE(r.log.lastConsole().text, QStringLiteral("Imported PQDIF samples: 0"));
    }

    // Cancel during the import leaves nothing behind, the device row included.
    void cancelRollsBack()
    {
        QAtomicInteger<char> flag(0);
        QAtomicInteger<char> *flagPtr = &flag;
        ZelDXPqdifParser reader(nullptr, &flag);
        ReaderLog log;
        log.attach(&reader);
        connect(&reader, &ZelDXPqdifParser::consoleMessage, &reader, [flagPtr](const QString &text) {
            if (text.startsWith(QLatin1String("Using data source")))
                flagPtr->storeRelaxed(1);
        });
        QVERIFY(reader.openFile(save(basicFile())));
        int count = -1;
        QVERIFY(!reader.parseFile(db, &count));
        QCOMPARE(count, 0);
        QCOMPARE(testdb::count(db, QStringLiteral("Devices")), 0);
        QCOMPARE(testdb::count(db, QStringLiteral("Parameters")), 0);
        QCOMPARE(log.lastConsole().text, QStringLiteral("Data import was canceled."));
        QCOMPARE(log.lastConsole().icon, 2);
        // Nothing left open: the database takes a new transaction.
        QVERIFY(db.transaction());
        QVERIFY(db.rollback());
    }

    // A large file: the whole of it is read and checked before the first
    // record, and a cancel then stops that read. Nothing is stored, the
    // cancel is told as such (no failure to read the file), and the reader
    // returns well within a second of it.
    void cancelDuringTheHeaderRead_data()
    {
        QTest::addColumn<int>("afterMs");
        QTest::newRow("set as the read begins") << 0;
        QTest::newRow("set during the read") << 5;
    }

    void cancelDuringTheHeaderRead()
    {
        QFETCH(int, afterMs);
        const QString path = dir.filePath(QStringLiteral("large.pqd"));
        if (!QFileInfo::exists(path))
            QVERIFY(pqdifbench::writeFile(path, true, 400));
        QAtomicInteger<char> flag(afterMs == 0 ? 1 : 0);
        QElapsedTimer sinceCancel;
        QThread *canceller = QThread::create([&flag, &sinceCancel, afterMs]() {
            QThread::msleep(static_cast<unsigned long>(afterMs));
            sinceCancel.start();
            flag.storeRelease(1);
        });
        if (afterMs == 0)
            sinceCancel.start();
        else
            canceller->start();
        Run r;
        run(path, r, &flag);
        const qint64 late = sinceCancel.elapsed();
        canceller->wait();
        delete canceller;

        QVERIFY(!r.parsed);
        QCOMPARE(r.count, 0);
        QVERIFY2(late < 1000, qPrintable(QString::number(late)));
        QVERIFY(r.log.dialogs.isEmpty());
        QCOMPARE(r.log.lastConsole().text, QStringLiteral("Data import was canceled."));
        QCOMPARE(r.log.lastConsole().icon, 2);
        if (afterMs == 0)
            QCOMPARE(r.log.console.size(), 1);
        for (const char *table : {"Devices", "Parameters", "Data"})
            QCOMPARE(testdb::count(db, QLatin1String(table)), 0);
        QVERIFY(db.transaction());
        QVERIFY(db.rollback());
    }

    // Up to the commit a cancel is one: a cancel once every record is read
    // stores nothing. One that comes with the commit is too late to stop it:
    // the file is committed whole and said so; only moving the rows from the
    // log into the database file is left for later.
    void cancelAroundTheCommit_data()
    {
        QTest::addColumn<QString>("cancelAt");
        QTest::newRow("at the last record") << QStringLiteral("last record");
        QTest::newRow("during the commit") << QStringLiteral("commit");
        QTest::newRow("no cancel") << QString();
    }

    void cancelAroundTheCommit()
    {
        QFETCH(QString, cancelAt);
        const QString path = dir.filePath(QStringLiteral("tail.pqd"));
        if (!QFileInfo::exists(path))
            QVERIFY(pqdifbench::writeFile(path, true, 40));
        QAtomicInteger<char> flag(0);
        QAtomicInteger<char> *flagPtr = &flag;
        ZelDXPqdifParser reader(nullptr, &flag);
        ReaderLog log;
        log.attach(&reader);
        connect(&reader, &ZelDXPqdifParser::progressValueChanged, &reader, [flagPtr, cancelAt](int value) {
            if (value == 100 && cancelAt == QLatin1String("last record"))
                flagPtr->storeRelease(1);
        });
        sqlite3 *handle = Connections::handle(db);
        QVERIFY(handle);
        // The commit of the samples, not one of the small ones before it.
        struct AtCommit
        {
            sqlite3 *handle;
            QAtomicInteger<char> *flag;
        } atCommit{handle, flagPtr};
        if (cancelAt == QLatin1String("commit"))
            sqlite3_commit_hook(
                handle,
                [](void *p) {
                    const auto *c = static_cast<AtCommit *>(p);
                    if (sqlite3_total_changes(c->handle) > 1000)
                        c->flag->storeRelease(1);
                    return 0;
                },
                &atCommit);
        struct HookOff
        {
            sqlite3 *handle;
            ~HookOff() { sqlite3_commit_hook(handle, nullptr, nullptr); }
        } hookOff{handle};
        QVERIFY(reader.openFile(path));
        int count = -1;
        const bool parsed = reader.parseFile(db, &count);
        sqlite3_commit_hook(handle, nullptr, nullptr);
        QVERIFY(log.dialogs.isEmpty());
        if (cancelAt == QLatin1String("last record")) {
            QVERIFY(!parsed);
            QCOMPARE(log.lastConsole().text, QStringLiteral("Data import was canceled."));
            for (const char *table : {"Devices", "Parameters", "Data"})
                QCOMPARE(testdb::count(db, QLatin1String(table)), 0);
            return;
        }
        QVERIFY(parsed);
        const int rows = 40 * pqdifbench::kChannels * (pqdifbench::kSeriesPerChannel - 1) * pqdifbench::kValues;
        QCOMPARE(count, rows);
        QCOMPARE(log.lastConsole().text, QStringLiteral("Imported PQDIF samples: %1").arg(rows));
        // 150,000 rows take some 10 MB in the file once moved there.
        const qint64 fileSize = QFileInfo(Connections::filePath(kDb)).size();
        QVERIFY2(!cancelAt.isEmpty() ? fileSize < (1 << 20) : fileSize > 4 * (1 << 20),
                 qPrintable(QString::number(fileSize)));
        QCOMPARE(testdb::count(db, QStringLiteral("DataConnected")), rows);
        // The connection serves on: no transaction left open, no statement stopped.
        QVERIFY(db.transaction());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("DELETE FROM Data WHERE id IN (SELECT id FROM Data LIMIT 10)")));
        QVERIFY(db.commit());
        QCOMPARE(testdb::count(db, QStringLiteral("Data")), rows - 10);
    }

    // Compressed records (checksums of either kind, the last link 0 or the
    // file end) give the same rows as the plain file.
    void compressedIdentical_data()
    {
        QTest::addColumn<int>("checksum");
        QTest::addColumn<bool>("lastIsFileSize");
        QTest::newRow("Adler-32 of stored bytes") << int(PqdifWriter::Adler32OfStored) << false;
        QTest::newRow("CRC-32 of unpacked body") << int(PqdifWriter::Crc32OfUnpacked) << false;
        QTest::newRow("last link at the file end") << int(PqdifWriter::Zero) << true;
    }

    void compressedIdentical()
    {
        QFETCH(int, checksum);
        QFETCH(bool, lastIsFileSize);
        Run plain;
        run(save(basicFile()), plain);
        QVERIFY(plain.parsed);
        const QStringList expected = dataRows(db);
        QVERIFY(testdb::exec(db, QStringList{"DELETE FROM Data", "DELETE FROM Parameters", "DELETE FROM Devices"}).isEmpty());

        PqdifWriter::Options o;
        o.compress = true;
        o.checksum = PqdifWriter::ChecksumMode(checksum);
        o.lastNextIsFileSize = lastIsFileSize;
        Run packed;
        run(save(basicFile(o)), packed);
        QVERIFY(packed.parsed);
        QCOMPARE(dataRows(db), expected);
    }

    void damagedHeader()
    {
        std::vector<uint8_t> bytes = basicFile().bytes();
        bytes[3] ^= 0xFF; // signature
        const QString path = dir.filePath(QStringLiteral("damaged.pqd"));
        testdb::writeFile(path, QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size())));
        Run r;
        run(path, r);
        QVERIFY(!r.parsed);
        QCOMPARE(r.count, 0);
        QCOMPARE(r.log.dialogs.size(), 1);
        QCOMPARE(r.log.dialogs[0].text, QStringLiteral("Failed to read PQDIF headers."));
        QCOMPARE(r.log.dialogs[0].icon, 3);
        QCOMPARE(testdb::count(db, QStringLiteral("Devices")), 0);
    }

    void missingFileAndDatabase()
    {
        QAtomicInteger<char> flag(0);
        ZelDXPqdifParser reader(nullptr, &flag);
        ReaderLog log;
        log.attach(&reader);
        const QString missing = dir.filePath(QStringLiteral("none.pqd"));
        QVERIFY(!reader.openFile(missing));
        QCOMPARE(log.dialogs.value(0).text, QStringLiteral("File does not exist."));
        QVERIFY(log.hasConsole(QStringLiteral("PQDIF file not found: %1").arg(missing), 3));
        QVERIFY(!reader.openFile(dir.path())); // a folder is no file

        int count = -1;
        QVERIFY(!reader.parseFile(db, &count));
        QCOMPARE(count, 0);
        QCOMPARE(log.dialogs.last().text, QStringLiteral("No file selected."));
        QCOMPARE(log.dialogs.last().icon, 2);

        QVERIFY(reader.openFile(save(basicFile())));
        QVERIFY(!reader.parseFile(QSqlDatabase(), &count));
        QCOMPARE(log.dialogs.last().text, QStringLiteral("Database is not opened."));
    }

    // An observation before any data source is passed over.
    void observationWithoutSource()
    {
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifObservationRecord(
            "Lost", kStart, {instance(0, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({1.0})})}));
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QVERIFY(r.log.hasConsole(QStringLiteral("Observation without data source skipped."), 2));
        QCOMPARE(r.count, 0);
    }

    // The minimum, average and maximum of one channel and the harmonic
    // channels sharing one definition are parameters of their own; names that
    // do not collide stay as they are.
    void seriesKeptApart()
    {
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord(
            "M1", {channel("V rms", {timeDefn(), valueDefn(ID_SERIES_VALUE_TYPE_MIN), valueDefn(ID_SERIES_VALUE_TYPE_AVG),
                                     valueDefn(ID_SERIES_VALUE_TYPE_MAX)}),
                   channel("V harm", {timeDefn(), valueDefn(ID_SERIES_VALUE_TYPE_AVG)}),
                   channel("Freq", {timeDefn(), valueDefn(ID_SERIES_VALUE_TYPE_AVG, 15)})}));
        const auto t = PqdifSeriesInstDesc::real8({0.0, 600.0});
        const auto v = [](double x) { return PqdifSeriesInstDesc::real8({x, x + 0.5}); };
        w.addRecord(*pqdifObservationRecord(
            "Obs", kStart,
            {instance(0, {t, v(228), v(230), v(232)}), instance(1, {t, v(3)}, 3), instance(1, {t, v(5)}, 5),
             instance(2, {t, v(50)})},
            4));
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QCOMPARE(parameterRows(db), QStringList({"V rms MIN obs 4|V", "V rms AVG obs 4|V", "V rms MAX obs 4|V",
                                                 "V harm H3 obs 4|V", "V harm H5 obs 4|V", "Freq obs 4|Hz"}));
        QCOMPARE(testdb::column(db, QStringLiteral("SELECT COUNT(*) FROM Data GROUP BY idParameters")),
                 QStringList({"2", "2", "2", "2", "2", "2"}));
    }

    void parameterNames_data()
    {
        QTest::addColumn<QStringList>("channels");
        QTest::addColumn<QStringList>("valueTypes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("alone") << QStringList{"U1", "U2"} << QStringList{"AVG", "AVG"}
                               << QStringList{"U1 obs 2", "U2 obs 2"};
        QTest::newRow("alike in all") << QStringList{"U1", "U1", "U2"} << QStringList{"AVG", "AVG", "AVG"}
                                      << QStringList{"U1 #1 obs 2", "U1 #2 obs 2", "U2 obs 2"};
        QTest::newRow("mixed") << QStringList{"U1", "U1", "U1"} << QStringList{"AVG", "MAX", "MAX"}
                               << QStringList{"U1 AVG obs 2", "U1 MAX #1 obs 2", "U1 MAX #2 obs 2"};
        // Cut to the length a name keeps, the channel gives way.
        const QString longName = QString(90, QLatin1Char('x'));
        QTest::newRow("long") << QStringList{longName, longName} << QStringList{"MIN", "MAX"}
                              << QStringList{QString(70, QLatin1Char('x')) + " MIN obs 2",
                                             QString(70, QLatin1Char('x')) + " MAX obs 2"};
    }

    void parameterNames()
    {
        QFETCH(QStringList, channels);
        QFETCH(QStringList, valueTypes);
        QFETCH(QStringList, expected);
        QVector<pqdifnames::SeriesLabel> labels;
        for (int i = 0; i < channels.size(); ++i) {
            pqdifnames::SeriesLabel l;
            l.channel = channels[i];
            l.valueType = valueTypes[i];
            labels.append(l);
        }
        const QStringList names = pqdifnames::parameterNames(labels, 2, 80);
        QCOMPARE(names, expected);
        for (const QString &n : names)
            QVERIFY(n.size() <= 80);
    }

    // A series without values gets no parameter, only its message.
    void seriesWithoutValues()
    {
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord(
            "M1", {channel("U1", {timeDefn(), valueDefn(ID_SERIES_VALUE_TYPE_MIN), valueDefn(ID_SERIES_VALUE_TYPE_MAX)})}));
        w.addRecord(*pqdifObservationRecord(
            "Obs", kStart,
            {instance(0, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({}),
                          PqdifSeriesInstDesc::real8({231.0})})},
            1));
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QCOMPARE(parameterRows(db), QStringList{"U1 obs 1|V"});
        QVERIFY(r.log.hasConsole(QStringLiteral("Series 1/2 has no data."), 2));
    }

    // Past 100 series without values only their number is told, once.
    void seriesWithoutValuesCapped_data()
    {
        QTest::addColumn<int>("empty");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QString>("summary"); // empty: none
        QTest::newRow("at the cap") << 100 << 100 << QString();
        QTest::newRow("past the cap") << 130 << 100 << QStringLiteral("Series without data: 30 more not listed.");
    }

    void seriesWithoutValuesCapped()
    {
        QFETCH(int, empty);
        QFETCH(int, listed);
        QFETCH(QString, summary);
        std::vector<PqdifSeriesDefnDesc> defs{timeDefn(), valueDefn()};
        std::vector<PqdifSeriesInstDesc> series{PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({231.0})};
        for (int k = 0; k < empty; ++k) {
            defs.push_back(valueDefn(ID_SERIES_VALUE_TYPE_MAX));
            series.push_back(PqdifSeriesInstDesc::real8({}));
        }
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord("M1", {channel("U1", defs)}));
        w.addRecord(*pqdifObservationRecord("Obs", kStart, {instance(0, series)}, 1));
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QCOMPARE(r.count, 1);
        int noData = 0;
        QStringList summaries;
        for (const ReaderLog::Message &m : r.log.console) {
            if (m.text.endsWith(QLatin1String(" has no data.")) && m.icon == 2)
                ++noData;
            else if (m.text.startsWith(QLatin1String("Series without")))
                summaries << m.text + QLatin1Char('|') + QString::number(m.icon);
        }
        QCOMPARE(noData, listed);
        QVERIFY(r.log.hasConsole(QStringLiteral("Series 1/3 has no data."), 2));
        QCOMPARE(summaries, summary.isEmpty() ? QStringList() : QStringList{summary + QStringLiteral("|2")});
        // The summary comes before the read's last line.
        QVERIFY(r.log.lastConsole().text.startsWith(QLatin1String("Imported PQDIF samples: ")));
    }

    // A '%' in a name from the file does not reach the other parts of the
    // parameter's cache key: series of other channels keep their parameters.
    void percentInNamesKeepsParametersApart()
    {
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord("M1", {channel("%4", {timeDefn(), valueDefn()}),
                                                  channel("1", {timeDefn(), valueDefn()})}));
        w.addRecord(*pqdifObservationRecord(
            "Obs", kStart,
            {instance(0, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({230.0})}),
             instance(1, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({231.0})})},
            1));
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        QCOMPARE(parameterRows(db), QStringList({"%4 obs 1|V", "1 obs 1|V"}));
        QCOMPARE(dataRows(db), QStringList({QStringLiteral("%4 obs 1|230|%1|1").arg(utcMs(2024, 3, 31, 1, 0, 0)),
                                            QStringLiteral("1 obs 1|231|%1|1").arg(utcMs(2024, 3, 31, 1, 0, 0))}));
    }

    // Importing again finds the same parameters, also those an older import
    // left with a NULL unit.
    void reimportFindsParameters()
    {
        QVERIFY(testdb::exec(db, QStringList{"INSERT INTO Devices (id, name, type) VALUES (1, 'M1', 19)",
                                  "INSERT INTO Parameters (id, idDevices, name, unit) VALUES (1, 1, 'Flicker obs 1', "
                                  "NULL)"})
                    .isEmpty());
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord(
            "M1", {channel("Flicker", {timeDefn(), valueDefn(ID_SERIES_VALUE_TYPE_VAL, ID_QU_NONE)}),
                   channel("U1", {timeDefn(), valueDefn()})}));
        w.addRecord(*pqdifObservationRecord(
            "Obs", kStart,
            {instance(0, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({0.3})}),
             instance(1, {PqdifSeriesInstDesc::real8({0.0}), PqdifSeriesInstDesc::real8({230.0})})},
            1));
        const QString path = save(w);
        for (int k = 0; k < 2; ++k) {
            Run r;
            run(path, r);
            QVERIFY(r.parsed);
        }
        QCOMPARE(parameterRows(db), QStringList({"Flicker obs 1|<null>", "U1 obs 1|V"}));
        // The second import finds every sample stored: it adds none.
        QCOMPARE(testdb::count(db, QStringLiteral("Data")), 2);
        QCOMPARE(testdb::count(db, QStringLiteral("Devices")), 1);
    }

    // Samples closer than a millisecond share a time stamp; their order
    // survives in the order of insertion.
    void sampleOrderKept()
    {
        std::vector<double> t, v;
        for (int j = 0; j < 32; ++j) {
            t.push_back(j / 15360.0);
            v.push_back(std::sin(j * 0.4) * 325.0);
        }
        PqdifWriter w;
        w.addContainer();
        w.addRecord(*pqdifDataSourceRecord("M1", {channel("Ua", {timeDefn(), valueDefn()})}));
        w.addRecord(*pqdifObservationRecord(
            "Wave", kStart, {instance(0, {PqdifSeriesInstDesc::real8(t), PqdifSeriesInstDesc::real8(v)})}, 1));
        Run r;
        run(save(w), r);
        QVERIFY(r.parsed);
        const QVector<testdb::DataRow> rows = testdb::data(db);
        QCOMPARE(rows.size(), 32);
        for (int j = 0; j < 32; ++j) {
            QCOMPARE(rows[j].value, v[size_t(j)]);
            QCOMPARE(rows[j].dateTime, utcMs(2024, 3, 31, 1, 0, 0) + qint64(std::llround(t[size_t(j)] * 1000.0)));
        }
    }
};

QUORLOG_TEST_MAIN(TestZelDXPqdifParser)
#include "tst_zeldxpqdifparser.moc"
