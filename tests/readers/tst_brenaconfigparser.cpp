// The Brena meter's configuration reader: the two XML files, the parameters
// it makes, the channel map blob, and the conversion of record-file rows into
// measurements.
#include "support/TestMain.h"

#include "common/Connections.h"
#include "readers/BrenaConfigParser.h"
#include "readers/BrenaConfigWriter.h"
#include "support/DbTestUtil.h"
#include "support/TimeTestUtil.h"
#include "tables/BrenaFileWriter.h"
#include "tables/BrenaTableModel.h"

#include <QDataStream>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

using BrenaConfigWriter::Channel;
Q_DECLARE_METATYPE(BrenaConfigWriter::Channel)

namespace {

const QString kDb = QStringLiteral("brenaconfig");

// "name|unit" per Parameters row, by id; a NULL unit reads "<null>".
QStringList parameterRows(QSqlDatabase db)
{
    QStringList rows;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name, unit, idDevices FROM Parameters ORDER BY id"));
    while (q.next())
        rows << q.value(0).toString() + QLatin1Char('|')
                    + (q.value(1).isNull() ? QStringLiteral("<null>") : q.value(1).toString());
    return rows;
}

// "channel:id,id" per map entry, by channel.
QString mapText(const BrenaConfigParser::ParametersMap &map)
{
    QList<int> keys = map.keys();
    std::sort(keys.begin(), keys.end());
    QStringList parts;
    for (int key : keys) {
        QStringList ids;
        for (int id : map.value(key))
            ids << QString::number(id);
        parts << QString::number(key) + QLatin1Char(':') + ids.join(QLatin1Char(','));
    }
    return parts.join(QLatin1Char(' '));
}

// "idParameters|value|flag|dateTime" per Data row, by id.
QStringList dataRows(QSqlDatabase db)
{
    QStringList rows;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT idParameters, value, flag, dateTime FROM Data ORDER BY id"));
    while (q.next())
        rows << QStringLiteral("%1|%2|%3|%4")
                    .arg(q.value(0).toInt())
                    .arg(q.value(1).toDouble(), 0, 'g', 17)
                    .arg(q.value(2).toInt())
                    .arg(q.value(3).toLongLong());
    return rows;
}

} // namespace

class TestBrenaConfigParser : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void configuration_data();
    void configuration();
    void fileChoice_data();
    void fileChoice();
    void invalidFiles_data();
    void invalidFiles();
    void parametersUnderInstrument();
    void mapBlob();
    void conversion_data();
    void conversion();
    void conversionRules();
    void conversionProgressAndCancel();

private:
    QString write(const QString &name, const QByteArray &bytes) { return testdb::writeFile(m_dir.filePath(name), bytes); }
    QString recordFile(const QList<BrenaFileWriter::Record> &records, quint8 layout, char pad = '\0');

    QTemporaryDir m_dir;
    QSqlDatabase m_db;
};

void TestBrenaConfigParser::init()
{
    m_db = testdb::createSchemaDatabase(kDb, m_dir.filePath(QStringLiteral("brena.sqlite")));
}

void TestBrenaConfigParser::cleanup()
{
    m_db = QSqlDatabase();
    Connections::remove(kDb);
}

QString TestBrenaConfigParser::recordFile(const QList<BrenaFileWriter::Record> &records, quint8 layout, char pad)
{
    const QString path = m_dir.filePath(QStringLiteral("meter.DBF"));
    if (!BrenaFileWriter::write(path, BrenaFileWriter::file(records, layout, pad)))
        return QString();
    return path;
}

void TestBrenaConfigParser::configuration_data()
{
    QTest::addColumn<QList<Channel>>("channels");
    QTest::addColumn<bool>("withUnits");
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<QString>("map");

    Channel valQ2 = BrenaConfigWriter::channel(QStringLiteral("P"), {1, 2, 3});
    valQ2.valueCount = 2;
    Channel noInput = BrenaConfigWriter::channel(QStringLiteral("X"), {1});
    noInput.input = 0;
    Channel noSource = BrenaConfigWriter::channel(QStringLiteral("Y"), {1});
    noSource.source = 0;
    Channel noValues = BrenaConfigWriter::channel(QStringLiteral("Z"), {});
    noValues.valueCount = 1;

    QTest::newRow("units by position, 0 and beyond the file empty")
        << QList<Channel>{BrenaConfigWriter::channel(QStringLiteral("U"), {1, 2, 0, 3, 4})} << true
        << QStringList{"U1|V", "U2|kW", "U3|", QStringLiteral("U4|\u00b0C"), "U5|"} << "0:1,2,3,4,5";
    QTest::newRow("only a channel file: every unit empty")
        << QList<Channel>{BrenaConfigWriter::channel(QStringLiteral("U"), {1, 2})} << false
        << QStringList{"U1|", "U2|"} << "0:1,2";
    QTest::newRow("ValQ 2 of three values; one value")
        << QList<Channel>{valQ2, BrenaConfigWriter::channel(QStringLiteral("I"), {1})} << true
        << QStringList{"P1|V", "P2|kW", "I1|V"} << "0:1,2 1:3";
    QTest::newRow("inactive channels keep their index")
        << QList<Channel>{noInput, noSource, BrenaConfigWriter::channel(QStringLiteral("Q"), {2})} << true
        << QStringList{"Q1|kW"} << "2:1";
    QTest::newRow("active without values: empty entry") << QList<Channel>{noValues} << true << QStringList() << "0:";
    QTest::newRow("quote and percent in names stored as they are")
        << QList<Channel>{BrenaConfigWriter::Channel{1, 1, -1, {{"p'q", 1}, {"a%2b", 2}}, false}} << true
        << QStringList{"p'q|V", "a%2b|kW"} << "0:1,2";
}

void TestBrenaConfigParser::configuration()
{
    QFETCH(QList<Channel>, channels);
    QFETCH(bool, withUnits);
    QFETCH(QStringList, parameters);
    QFETCH(QString, map);

    QStringList files{write(QStringLiteral("MBD_M_RS.XML"), BrenaConfigWriter::channelFile(channels))};
    if (withUnits)
        files << write(QStringLiteral("UNITS.XML"),
                       BrenaConfigWriter::unitsFile({"first", "V", "kW", QStringLiteral("\u00b0C")}));
    BrenaConfigParser parser;
    QSignalSpy console(&parser, &BrenaConfigParser::consoleMessage);
    QVERIFY(parser.openFile(files));
    QVERIFY(parser.parseConfiguration(m_db, -1));
    QCOMPARE(parameterRows(m_db), parameters);
    QCOMPARE(mapText(parser.parametersMap()), map);
    QCOMPARE(console.last().at(0).toString(), QStringLiteral("Active parameters: %1").arg(parameters.size()));
    QCOMPARE(console.last().at(1).toInt(), 0);
}

void TestBrenaConfigParser::fileChoice_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("dialog");

    QTest::newRow("lower-case names") << QStringList{"mbd_m_rs.xml", "units.xml"} << true << QString();
    QTest::newRow("names inside longer paths") << QStringList{"old_MBD_M_RS.XML.bak", "x"} << true << QString();
    QTest::newRow("no channel file") << QStringList{"units.xml", "other.xml"} << false
                                     << "Unable to open MBD_M_RS.XML file";
    QTest::newRow("nothing chosen") << QStringList() << false << "Unable to open MBD_M_RS.XML file";
}

void TestBrenaConfigParser::fileChoice()
{
    QFETCH(QStringList, names);
    QFETCH(bool, ok);
    QFETCH(QString, dialog);
    QStringList paths;
    for (const QString &name : names)
        paths << write(name, BrenaConfigWriter::channelFile({BrenaConfigWriter::channel(QStringLiteral("U"), {1})}));
    BrenaConfigParser parser;
    QSignalSpy dialogs(&parser, &BrenaConfigParser::dialogMessage);
    QCOMPARE(parser.openFile(paths), ok);
    if (ok) {
        QCOMPARE(dialogs.size(), 0);
        QVERIFY(parser.parseConfiguration(m_db, -1));
        QCOMPARE(parameterRows(m_db).size(), 1);
    } else {
        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs.at(0), (QList<QVariant>{dialog, QString(), 3}));
    }
}

void TestBrenaConfigParser::invalidFiles_data()
{
    QTest::addColumn<QByteArray>("channels");
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<QString>("message");

    const QByteArray good = BrenaConfigWriter::channelFile({BrenaConfigWriter::channel(QStringLiteral("U"), {1})});
    Channel noCount = BrenaConfigWriter::channel(QStringLiteral("U"), {1});
    noCount.withoutValueCount = true;
    QTest::newRow("channel without ValQ")
        << BrenaConfigWriter::channelFile({BrenaConfigWriter::channel(QStringLiteral("A"), {1}), noCount})
        << QByteArray() << "Invalid channels file";
    QTest::newRow("channel file not XML") << QByteArray("<MBD><Ch>") << QByteArray() << "Invalid channels file";
    QTest::newRow("units file not XML") << good << QByteArray("<UNITS><unit>") << "Invalid units file";
}

void TestBrenaConfigParser::invalidFiles()
{
    QFETCH(QByteArray, channels);
    QFETCH(QByteArray, units);
    QFETCH(QString, message);
    QStringList files{write(QStringLiteral("MBD_M_RS.XML"), channels)};
    if (!units.isEmpty())
        files << write(QStringLiteral("UNITS.XML"), units);
    BrenaConfigParser parser;
    QSignalSpy dialogs(&parser, &BrenaConfigParser::dialogMessage);
    QSignalSpy console(&parser, &BrenaConfigParser::consoleMessage);
    QVERIFY(parser.openFile(files));
    QVERIFY(!parser.parseConfiguration(m_db, -1));
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.at(0), (QList<QVariant>{message, QString(), 3}));
    QCOMPARE(console.last(), (QList<QVariant>{message, 3}));

    // A chosen file that cannot be opened names its path.
    BrenaConfigParser other;
    QSignalSpy otherDialogs(&other, &BrenaConfigParser::dialogMessage);
    const QString missing = m_dir.filePath(QStringLiteral("gone/MBD_M_RS.XML"));
    QVERIFY(!other.openFile({missing}));
    QCOMPARE(otherDialogs.at(0).at(0).toString(), QStringLiteral("Unable to open file: ") + missing);
}

void TestBrenaConfigParser::parametersUnderInstrument()
{
    QCOMPARE(testdb::exec(m_db, {QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (7, 'M', 10)")}),
             QStringList());
    BrenaConfigParser parser;
    QVERIFY(parser.openFile({write(QStringLiteral("MBD_M_RS.XML"),
                                   BrenaConfigWriter::channelFile({BrenaConfigWriter::channel("U", {0, 0})}))}));
    QVERIFY(parser.parseConfiguration(m_db, 7));
    QCOMPARE(testdb::column(m_db, QStringLiteral("SELECT idDevices FROM Parameters")), (QStringList{"7", "7"}));
}

void TestBrenaConfigParser::mapBlob()
{
    // One entry: count, key, list length, ids; 32-bit big-endian each.
    const QByteArray one = QByteArray::fromHex("00000001" "00000003" "00000002" "00000007" "00000008");
    BrenaConfigParser parser;
    parser.loadParametersMap(one);
    QCOMPARE(mapText(parser.parametersMap()), QStringLiteral("3:7,8"));
    QCOMPARE(parser.serializeParametersMap(), one);

    // A map made from a configuration comes back whole, whatever the order.
    QVERIFY(parser.openFile({write(QStringLiteral("MBD_M_RS.XML"),
                                   BrenaConfigWriter::channelFile({BrenaConfigWriter::channel("A", {0, 0}),
                                                                   BrenaConfigWriter::channel("B", {0}),
                                                                   BrenaConfigWriter::channel("C", {0, 0, 0})}))}));
    QVERIFY(parser.parseConfiguration(m_db, -1));
    const QString made = mapText(parser.parametersMap());
    QCOMPARE(made, QStringLiteral("0:1,2 1:3 2:4,5,6"));
    BrenaConfigParser reader;
    reader.loadParametersMap(parser.serializeParametersMap());
    QCOMPARE(mapText(reader.parametersMap()), made);

    // Empty and damaged blobs give no map.
    reader.loadParametersMap(QByteArray());
    QVERIFY(reader.parametersMap().isEmpty());
    reader.loadParametersMap(one.left(14));
    QVERIFY(reader.parametersMap().isEmpty());
}

void TestBrenaConfigParser::conversion_data()
{
    QTest::addColumn<quint8>("layout");
    QTest::addColumn<char>("pad");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<int>("flag");

    QTest::newRow("status 0 good") << quint8(0) << '\0' << QByteArray("0") << 1;
    QTest::newRow("status 1 not ready") << quint8(0) << '\0' << QByteArray("1") << 0;
    QTest::newRow("status 7 invalid") << quint8(0) << '\0' << QByteArray("7") << 2;
    QTest::newRow("status no number invalid") << quint8(0) << '\0' << QByteArray("x") << 2;
    QTest::newRow("layout 0 trims spaces") << quint8(0) << ' ' << QByteArray(" 1") << 0;
    QTest::newRow("layout 1 drops inner spaces") << quint8(1) << ' ' << QByteArray("1 ") << 0;
}

void TestBrenaConfigParser::conversion()
{
    QFETCH(quint8, layout);
    QFETCH(char, pad);
    QFETCH(QByteArray, status);
    QFETCH(int, flag);

    BrenaFileWriter::Record r;
    r.channel = layout == 1 ? QByteArray("0 2") : QByteArray(" 2");
    r.flag = status;
    r.date = "2024-03-31";
    r.time = "02:30:00"; // inside Warsaw's daylight-saving gap: stays UTC
    r.values = {"1234567.891", layout == 1 ? QByteArray("- 0. 0012") : QByteArray("  -0.0012 "), "1e-9"};
    BrenaTableModel model(recordFile({r}, layout, pad));
    QVERIFY(model.loadFile());

    BrenaConfigParser parser;
    parser.loadParametersMap(QByteArray::fromHex("00000001" "00000001" "00000003" "0000000b" "0000000c" "0000000d"));
    QSignalSpy console(&parser, &BrenaConfigParser::consoleMessage);
    QCOMPARE(testdb::exec(m_db, {QStringLiteral("INSERT INTO Parameters (id, name) VALUES (11, 'a'), (12, 'b'), "
                                                "(13, 'c')")}),
             QStringList());
    QVERIFY(parser.convertData(m_db, &model));
    const qint64 t = testtime::utcMsecs(QStringLiteral("2024-03-31 02:30:00"));
    QCOMPARE(dataRows(m_db), (QStringList{QStringLiteral("11|1234567.8910000001|%1|%2").arg(flag).arg(t),
                                          QStringLiteral("12|-0.0011999999999999999|%1|%2").arg(flag).arg(t),
                                          QStringLiteral("13|1.0000000000000001e-09|%1|%2").arg(flag).arg(t)}));
    QCOMPARE(console.first(), (QList<QVariant>{"Converting data", 0}));
    QCOMPARE(testdb::committedRowCount(m_db.databaseName(), QStringLiteral("Data")), 3);
}

void TestBrenaConfigParser::conversionRules()
{
    QList<BrenaFileWriter::Record> records;
    records << BrenaFileWriter::sample(1, 0, "2024-05-01", "10:00:00", 1);
    records << BrenaFileWriter::sample(1, 0, "2024-05-01", "10:00:00", 9); // same time, another value: kept too
    records << BrenaFileWriter::sample(3, 0, "2024-05-01", "10:00:00", 3); // channel not in the map
    records << BrenaFileWriter::sample(1, 0, "2024-05-01", "25:00:00", 4); // no valid time
    BrenaFileWriter::Record noValue = BrenaFileWriter::sample(1, 0, "2024-05-01", "10:01:00", 5);
    noValue.values[0] = "abc";
    records << noValue;
    BrenaTableModel model(recordFile(records, 0));
    QVERIFY(model.loadFile());
    QCOMPARE(testdb::exec(m_db, {QStringLiteral("INSERT INTO Parameters (id, name) VALUES (1, 'a')")}),
             QStringList());

    // An empty map converts nothing and says nothing.
    BrenaConfigParser empty;
    QSignalSpy emptyConsole(&empty, &BrenaConfigParser::consoleMessage);
    QVERIFY(!empty.convertData(m_db, &model));
    QCOMPARE(emptyConsole.size(), 0);

    BrenaConfigParser parser;
    parser.loadParametersMap(QByteArray::fromHex("00000001" "00000000" "00000001" "00000001"));
    QSignalSpy console(&parser, &BrenaConfigParser::consoleMessage);
    QVERIFY(parser.convertData(m_db, &model));
    const qint64 t = testtime::utcMsecs(QStringLiteral("2024-05-01 10:00:00"));
    QCOMPARE(dataRows(m_db), (QStringList{QStringLiteral("1|1.1000000000000001|1|%1").arg(t),
                                          QStringLiteral("1|9.0999999999999996|1|%1").arg(t),
                                          QStringLiteral("1|0|2|%1").arg(t + 60000)}));
    QCOMPARE(console.last(), (QList<QVariant>{"Records with an invalid date or time skipped: 1", 2}));

    // Converting the same file again adds nothing.
    QVERIFY(parser.convertData(m_db, &model));
    QCOMPARE(dataRows(m_db).size(), 3);

    // A record file of an unknown layout is refused.
    BrenaTableModel unknown(recordFile(records, 2));
    QVERIFY(unknown.loadFile());
    QVERIFY(!parser.convertData(m_db, &unknown));
    QVERIFY(!parser.convertData(m_db, nullptr));
}

void TestBrenaConfigParser::conversionProgressAndCancel()
{
    QList<BrenaFileWriter::Record> records;
    for (int i = 0; i < 250; ++i)
        records << BrenaFileWriter::sample(1, 0, "2024-05-01",
                                           QTime(0, 0).addSecs(i * 60).toString(QStringLiteral("HH:mm:ss")).toLatin1(),
                                           i);
    BrenaTableModel model(recordFile(records, 0));
    QVERIFY(model.loadFile());
    QCOMPARE(testdb::exec(m_db, {QStringLiteral("INSERT INTO Parameters (id, name) VALUES (1, 'a')")}),
             QStringList());
    const QByteArray blob = QByteArray::fromHex("00000001" "00000000" "00000001" "00000001");

    // Progress is a percentage, once per whole percent, never past 100.
    BrenaConfigParser parser;
    parser.loadParametersMap(blob);
    QSignalSpy progress(&parser, &BrenaConfigParser::fillDataProgressChanged);
    QVERIFY(parser.convertData(m_db, &model));
    QList<int> values;
    for (const auto &args : progress)
        values << args.at(0).toInt();
    QList<int> expected;
    for (int p = 0; p < 100; ++p)
        expected << p;
    QCOMPARE(values, expected);
    QCOMPARE(testdb::count(m_db, QStringLiteral("Data")), qint64(250));

    // A cancel leaves nothing of the conversion.
    QCOMPARE(testdb::exec(m_db, {QStringLiteral("DELETE FROM Data")}), QStringList());
    QAtomicInteger<char> cancel(0);
    BrenaConfigParser cancelled;
    cancelled.loadParametersMap(blob);
    cancelled.setCancelFlag(&cancel);
    connect(&cancelled, &BrenaConfigParser::fillDataProgressChanged, [&](int p) {
        if (p == 50)
            cancel.storeRelease(1);
    });
    QVERIFY(!cancelled.convertData(m_db, &model));
    QCOMPARE(testdb::count(m_db, QStringLiteral("Data")), qint64(0));
}

QUORLOG_TEST_MAIN(TestBrenaConfigParser)
#include "tst_brenaconfigparser.moc"
