// Instrument records of the application database: adding (with a Brena
// meter's configuration), editing, listing, the stored password, the
// instrument's time span, its configuration blob, and removal.
#include "support/TestMain.h"

#include "app/AvailableDevices.h"
#include "common/Connections.h"
#include "database/ArchiveManager.h"
#include "database/DatabaseStructure.h"
#include "readers/BrenaConfigParser.h"
#include "readers/BrenaConfigWriter.h"
#include "support/DbTestUtil.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

using testdb::column;
using testdb::exec;
using BrenaConfigWriter::Channel;

namespace {

const QString kDataCon = QStringLiteral("Data_con");

} // namespace

class TestDevices : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void passwords_data();
    void passwords();
    void valuesStoredAsGiven();
    void offlineInstrument();
    void duplicateNames();
    void listing();
    void storedTypeNamesNoInstrument_data();
    void storedTypeNamesNoInstrument();
    void otherCfg();
    void deviceInfo();
    void brenaMeter();
    void brenaMeterRefused_data();
    void brenaMeterRefused();
    void removal();
    void removalWithoutWideTable();
    void removalFailures();
    void notOpened();

private:
    QSqlDatabase db() { return Connections::database(kDataCon); }
    bool addOnline(ArchiveManager &m, const QString &name, const QString &pass = QString())
    {
        return m.addDevice(name, ZelB, QStringLiteral("/data"), true, QStringLiteral("10.0.0.1"), 1,
                           QStringLiteral("user"), pass, {});
    }
    bool addOffline(ArchiveManager &m, const QString &name, avaibleDevices_t type = ZelB)
    {
        return m.addDevice(name, type, QStringLiteral("/data"), false, QString(), 0, QString(), QString(), {});
    }

    QTemporaryDir m_dir;
    int m_serial = 0;
};

void TestDevices::init()
{
    const QString path = m_dir.filePath(QStringLiteral("app%1.qdb").arg(++m_serial));
    QVERIFY(ArchiveManager::createDatabase(path));
    Connections::registerFile(kDataCon, path);
    QVERIFY(db().isOpen());
}

void TestDevices::cleanup()
{
    Connections::remove(kDataCon);
}

void TestDevices::passwords_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("stored");

    QTest::newRow("empty") << QString() << QString("");
    QTest::newRow("abc") << "abc" << QString::fromLatin1(QByteArray("abcPePpErToKeYsAlTx_31*!").toBase64());
    QTest::newRow("Polish letters") << QStringLiteral("zażółć")
                                    << QString::fromLatin1(
                                           QStringLiteral("zażółćPePpErToKeYsAlTx_31*!").toUtf8().toBase64());
    QTest::newRow("quote") << "p'q" << QString::fromLatin1(QByteArray("p'qPePpErToKeYsAlTx_31*!").toBase64());
    QTest::newRow("percent digit") << "a%2b"
                                   << QString::fromLatin1(QByteArray("a%2bPePpErToKeYsAlTx_31*!").toBase64());
    const QString sixty = QString(QStringLiteral("0123456789")).repeated(6);
    QTest::newRow("60 characters") << sixty
                                   << QString::fromLatin1((sixty + QStringLiteral("PePpErToKeYsAlTx_31*!")).toUtf8().toBase64());
}

void TestDevices::passwords()
{
    QFETCH(QString, password);
    QFETCH(QString, stored);
    QCOMPARE(storedPassword::encode(password), stored);
    QCOMPARE(storedPassword::decode(stored), password);

    ArchiveManager manager;
    QVERIFY(addOnline(manager, QStringLiteral("M"), password));
    QCOMPARE(column(db(), QStringLiteral("SELECT pass FROM Devices")), QStringList{stored});
    QVERIFY(!column(db(), QStringLiteral("SELECT pass IS NULL FROM Devices")).contains("1"));
    const QMap<int, DeviceCfg> devices = manager.getDevices();
    QCOMPARE(devices.size(), 1);
    QCOMPARE(devices.first().pass, password);

    // Editing writes it back the same way.
    const int id = devices.firstKey();
    QVERIFY(manager.editDevice(id, QStringLiteral("M"), ZelB, QString(), true, QString(), 1, QString(), password));
    QCOMPARE(column(db(), QStringLiteral("SELECT pass FROM Devices")), QStringList{stored});
    QCOMPARE(manager.getDevices().value(id).pass, password);
}

void TestDevices::valuesStoredAsGiven()
{
    // Quotes and "%<digit>" go in unchanged: values are bound, never pasted.
    ArchiveManager manager;
    QVERIFY(manager.addDevice(QStringLiteral("a%2b 'q'"), WexA, QStringLiteral("/x/%1%3"), true,
                              QStringLiteral("%2"), 1, QStringLiteral("u'%8"), QStringLiteral("%1"), {}));
    DeviceCfg d = manager.getDevices().first();
    QCOMPARE(d.name, QStringLiteral("a%2b 'q'"));
    QCOMPARE(int(d.type), int(WexA));
    QCOMPARE(d.filesPath, QStringLiteral("/x/%1%3"));
    QCOMPARE(d.addresIP, QStringLiteral("%2"));
    QCOMPARE(d.protocolType, 1);
    QCOMPARE(d.user, QStringLiteral("u'%8"));
    QCOMPARE(d.pass, QStringLiteral("%1"));
    QVERIFY(d.onlineCfgEnable);
    QVERIFY(d.extraText.isEmpty());

    QVERIFY(manager.editDevice(d.id, QStringLiteral("%9'"), QuilA, QStringLiteral("%9"), true, QStringLiteral("'"), 2,
                               QStringLiteral("%1"), QStringLiteral("'%2")));
    d = manager.getDevices().value(d.id);
    QCOMPARE(d.name, QStringLiteral("%9'"));
    QCOMPARE(int(d.type), int(QuilA));
    QCOMPARE(d.filesPath, QStringLiteral("%9"));
    QCOMPARE(d.addresIP, QStringLiteral("'"));
    QCOMPARE(d.protocolType, 2);
    QCOMPARE(d.user, QStringLiteral("%1"));
    QCOMPARE(d.pass, QStringLiteral("'%2"));
}

void TestDevices::offlineInstrument()
{
    ArchiveManager manager;
    QVERIFY(addOffline(manager, QStringLiteral("Off")));
    QCOMPARE(column(db(), QStringLiteral("SELECT onlineCfgEnable, addresIP IS NULL, protocolType IS NULL, "
                                         "user IS NULL, pass IS NULL, otherCfg IS NULL FROM Devices")),
             QStringList{"0"});
    QCOMPARE(column(db(), QStringLiteral("SELECT (addresIP IS NULL) + (protocolType IS NULL) + (user IS NULL) "
                                         "+ (pass IS NULL) FROM Devices")),
             QStringList{"4"});
    DeviceCfg d = manager.getDevices().first();
    QVERIFY(!d.onlineCfgEnable);
    QVERIFY(d.addresIP.isEmpty() && d.user.isEmpty() && d.pass.isEmpty());
    QCOMPARE(d.protocolType, 0);

    // Editing writes every column, the empty password as the empty text.
    QVERIFY(manager.editDevice(d.id, QStringLiteral("Off"), ZelB, QStringLiteral("/d"), false, QString(), 0,
                               QString(), QString()));
    QCOMPARE(column(db(), QStringLiteral("SELECT onlineCfgEnable || '|' || protocolType || '|' || quote(pass) "
                                         "FROM Devices")),
             QStringList{"0|0|''"});
}

void TestDevices::duplicateNames()
{
    ArchiveManager manager;
    QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
    QVERIFY(addOffline(manager, QStringLiteral("A")));
    QVERIFY(addOffline(manager, QStringLiteral("B")));
    QVERIFY(!addOnline(manager, QStringLiteral("A")));
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.at(0), (QList<QVariant>{"Device with this name already exists.", QString(), 1}));
    QCOMPARE(column(db(), QStringLiteral("SELECT name FROM Devices ORDER BY id")), (QStringList{"A", "B"}));

    // SQLite's column names ignore letter case: a name that differs only in
    // it would share the other's columns in the wide tables.
    QVERIFY(!addOffline(manager, QStringLiteral("a")));
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(dialogs.at(1), (QList<QVariant>{"Device \"A\" already exists. Names that differ only in letter case "
                                             "would share its data columns.",
                                             QString(), 1}));

    const QMap<int, DeviceCfg> devices = manager.getDevices();
    const int idB = devices.keys().at(1);
    QVERIFY(!manager.editDevice(idB, QStringLiteral("A"), ZelB, QString(), false, QString(), 0, QString(), QString()));
    QCOMPARE(dialogs.size(), 3);
    QCOMPARE(dialogs.at(2), (QList<QVariant>{"Device with this name already exists.", QString(), 1}));
    QCOMPARE(column(db(), QStringLiteral("SELECT name FROM Devices ORDER BY id")), (QStringList{"A", "B"}));
    // Keeping one's own name, or changing only its letter case, is no clash.
    QVERIFY(manager.editDevice(idB, QStringLiteral("B"), WexB, QString(), false, QString(), 0, QString(), QString()));
    QVERIFY(manager.editDevice(idB, QStringLiteral("b"), WexB, QString(), false, QString(), 0, QString(), QString()));
    QCOMPARE(dialogs.size(), 3);
}

void TestDevices::listing()
{
    ArchiveManager manager;
    QVERIFY(manager.getDevices().isEmpty());
    QVERIFY(addOffline(manager, QStringLiteral("Z")));
    QVERIFY(addOffline(manager, QStringLiteral("Y")));
    const QMap<int, DeviceCfg> devices = manager.getDevices();
    const int z = devices.firstKey();
    const int y = devices.lastKey();
    QCOMPARE(exec(db(), {QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES "
                                        "(5, %1, 'U2', 'V'), (3, %2, 'P', 'W'), (4, %1, 'U1', '')")
                             .arg(y)
                             .arg(z)}),
             QStringList());
    const QMap<int, DeviceCfg> listed = manager.getDevices();
    QCOMPARE(listed.keys(), (QList<int>{z, y}));
    QCOMPARE(listed.value(z).name, QStringLiteral("Z"));
    QCOMPARE(listed.value(z).parameters.size(), 1);
    const QList<DeviceParameter> params = listed.value(y).parameters;
    QCOMPARE(params.size(), 2);
    QCOMPARE(params.at(0).id, 4);
    QCOMPARE(params.at(0).idDevice, y);
    QCOMPARE(params.at(0).name, QStringLiteral("U1"));
    QCOMPARE(params.at(1).name, QStringLiteral("U2"));
    QCOMPARE(params.at(1).unit, QStringLiteral("V"));
}

void TestDevices::storedTypeNamesNoInstrument_data()
{
    QTest::addColumn<qint64>("stored");
    QTest::newRow("past the types") << qint64(99);
    QTest::newRow("between the filtered kinds") << qint64(22);
    QTest::newRow("negative") << qint64(-1);
    QTest::newRow("largest int") << qint64(2147483647);
}

// A type number that another version (or a damaged file) stored is read as
// that number: it names no instrument and is never taken for one.
void TestDevices::storedTypeNamesNoInstrument()
{
    QFETCH(qint64, stored);
    ArchiveManager manager;
    QCOMPARE(exec(db(), {QStringLiteral("INSERT INTO Devices (id, name, type, filesPath, onlineCfgEnable) "
                                        "VALUES (7, 'Odd', %1, '/srv/odd', 0)")
                             .arg(stored)}),
             QStringList());
    const DeviceCfg device = manager.getDevices().value(7);
    QCOMPARE(device.name, QStringLiteral("Odd"));
    QCOMPARE(qint64(device.type), stored);
    QCOMPARE(AvailableDevices::getDeviceName(device.type), QString());
    QCOMPARE(AvailableDevices::getDeviceIndex(device.type), -1);
}

void TestDevices::otherCfg()
{
    ArchiveManager manager;
    QVERIFY(addOffline(manager, QStringLiteral("Plain")));
    const int id = manager.getDevices().firstKey();
    QByteArray buffer("kept");
    QVERIFY(!manager.getOtherCfg(id + 100, buffer));
    QCOMPARE(buffer, QByteArray("kept"));
    QVERIFY(manager.getOtherCfg(id, buffer));
    QVERIFY(buffer.isEmpty());
}

void TestDevices::deviceInfo()
{
    ArchiveManager manager;
    QVERIFY(addOffline(manager, QStringLiteral("A")));
    QVERIFY(addOffline(manager, QStringLiteral("R"), MoxB));
    const QMap<int, DeviceCfg> devices = manager.getDevices();
    const int a = devices.firstKey();
    const int r = devices.lastKey();
    QCOMPARE(exec(db(), {QStringLiteral("INSERT INTO Parameters (id, idDevices, name) VALUES (1, %1, 'U'), "
                                        "(2, %1, 'I'), (3, NULL, 'x')")
                             .arg(a),
                         QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 0, 5000, NULL), "
                                        "(NULL, 2, 1, 0, 1000, NULL), (NULL, 1, 1, 0, 9000, NULL), "
                                        "(NULL, 3, 1, 0, 1, NULL)")}),
             QStringList());
    ArchiveInfo info = manager.getDeviceInfo(a);
    QCOMPARE(info.firstRecordDate, Q_INT64_C(1000));
    QCOMPARE(info.lastRecordDate, Q_INT64_C(9000));
    QCOMPARE(info.allRecordsCnt, 3u);
    // A recorder's values are in the wide tables: none here.
    for (int id : {r, r + 100}) {
        info = manager.getDeviceInfo(id);
        QCOMPARE(info.firstRecordDate, Q_INT64_C(0));
        QCOMPARE(info.lastRecordDate, Q_INT64_C(0));
        QCOMPARE(info.allRecordsCnt, 0u);
    }
}

void TestDevices::brenaMeter()
{
    const QString channels = testdb::writeFile(
        m_dir.filePath(QStringLiteral("mbd_m_rs.xml")),
        BrenaConfigWriter::channelFile({BrenaConfigWriter::channel(QStringLiteral("U"), {1, 2}),
                                        BrenaConfigWriter::channel(QStringLiteral("I"), {1})}));
    const QString units =
        testdb::writeFile(m_dir.filePath(QStringLiteral("units.xml")), BrenaConfigWriter::unitsFile({"-", "V", "A"}));
    ArchiveManager manager;
    QVERIFY(addOffline(manager, QStringLiteral("Other")));
    QVERIFY(manager.addDevice(QStringLiteral("Meter"), Brena, QStringLiteral("/m"), false, QString(), 0, QString(),
                              QString(), {channels, units}));
    const QMap<int, DeviceCfg> devices = manager.getDevices();
    const DeviceCfg meter = devices.last();
    QCOMPARE(meter.name, QStringLiteral("Meter"));
    QCOMPARE(meter.parameters.size(), 3);
    QCOMPARE(meter.parameters.at(0).name + meter.parameters.at(0).unit, QStringLiteral("U1V"));
    QCOMPARE(meter.parameters.at(1).name + meter.parameters.at(1).unit, QStringLiteral("U2A"));

    // The stored map names exactly these parameters.
    QByteArray blob;
    QVERIFY(manager.getOtherCfg(meter.id, blob));
    BrenaConfigParser parser;
    parser.loadParametersMap(blob);
    QCOMPARE(parser.parametersMap().value(0),
             (QList<int>{meter.parameters.at(0).id, meter.parameters.at(1).id}));
    QCOMPARE(parser.parametersMap().value(1), QList<int>{meter.parameters.at(2).id});
}

void TestDevices::brenaMeterRefused_data()
{
    QTest::addColumn<QByteArray>("channels");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("readerMessage");

    Channel broken = BrenaConfigWriter::channel(QStringLiteral("B"), {1});
    broken.withoutValueCount = true;
    QTest::newRow("no channel file") << QByteArray("<x/>") << "other.xml" << "Unable to open MBD_M_RS.XML file";
    QTest::newRow("invalid channel after a valid one")
        << BrenaConfigWriter::channelFile({BrenaConfigWriter::channel(QStringLiteral("A"), {1}), broken})
        << "MBD_M_RS.XML" << "Invalid channels file";
}

void TestDevices::brenaMeterRefused()
{
    QFETCH(QByteArray, channels);
    QFETCH(QString, fileName);
    QFETCH(QString, readerMessage);
    const QString path = testdb::writeFile(m_dir.filePath(fileName), channels);
    ArchiveManager manager;
    QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
    QVERIFY(!manager.addDevice(QStringLiteral("Meter"), Brena, QString(), false, QString(), 0, QString(), QString(),
                               {path}));
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(dialogs.at(0), (QList<QVariant>{readerMessage, QString(), 3}));
    QCOMPARE(dialogs.at(1), (QList<QVariant>{"Failed to add device.", QString(), 3}));
    QCOMPARE(testdb::count(db(), QStringLiteral("Devices")), qint64(0));
    QCOMPARE(testdb::count(db(), QStringLiteral("Parameters")), qint64(0));
}

void TestDevices::removal()
{
    ArchiveManager manager;
    for (const char *name : {"A", "AB"})
        QVERIFY(addOffline(manager, QLatin1String(name), MoxB));
    // A case twin that an earlier version let in.
    QCOMPARE(exec(db(), {QStringLiteral("INSERT INTO Devices (name, type) VALUES ('a', 17)")}), QStringList());
    const QList<int> ids = manager.getDevices().keys();
    const int a = ids.at(0);
    const int ab = ids.at(1);
    QSqlDatabase d = db();
    QStringList wide{"date", "time", "U (A)", "U (AB)", "I (a)", "P (A)", "x(A)y"};
    d.transaction();
    g_databaseStructure->ensureDataMoxBTable(d, wide);
    d.commit();
    QCOMPARE(exec(d, {QStringLiteral("INSERT INTO Parameters (id, idDevices, name) VALUES (1, %1, 'U'), "
                                     "(2, %2, 'U'), (3, %1, 'P')")
                          .arg(a)
                          .arg(ab),
                      QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 0, 1, NULL), (NULL, 2, 2, 0, 1, NULL), "
                                     "(NULL, 3, 3, 0, 1, NULL)"),
                      QStringLiteral("INSERT INTO Events (idDevices, name) VALUES (%1, 'e1'), (%2, 'e2')")
                          .arg(a)
                          .arg(ab),
                      QStringLiteral("INSERT INTO DataMoxB (date, time, \"U (A)\", \"U (AB)\", \"I (a)\") VALUES "
                                     "('2024-01-01', '00:00:00', '1', '2', '3'), "
                                     "('2024-01-01', '00:01:00', '4', '5', '6')"),
                      // Enforcement off on this connection: removal must not rely on it.
                      QStringLiteral("PRAGMA foreign_keys = OFF")}),
             QStringList());

    QVERIFY(manager.removeDevice(a));
    QCOMPARE(column(d, QStringLiteral("SELECT name FROM Devices ORDER BY id")), (QStringList{"AB", "a"}));
    QCOMPARE(column(d, QStringLiteral("SELECT id FROM Parameters")), QStringList{"2"});
    QCOMPARE(column(d, QStringLiteral("SELECT idParameters FROM Data")), QStringList{"2"});
    QCOMPARE(column(d, QStringLiteral("SELECT name FROM Events")), QStringList{"e2"});
    QCOMPARE(testdb::columns(d, QStringLiteral("DataMoxB")),
             (QStringList{"id", "date", "time", "U (AB)", "I (a)", "x(A)y"}));
    QCOMPARE(column(d, QStringLiteral("SELECT id || time || \"U (AB)\" || \"I (a)\" FROM DataMoxB ORDER BY id")),
             (QStringList{"100:00:0023", "200:01:0056"}));
    // The table keeps its definition: id is still the autoincrement key.
    QCOMPARE(column(d, QStringLiteral("SELECT pk FROM pragma_table_info('DataMoxB') WHERE name = 'id'")),
             QStringList{"1"});
    QCOMPARE(exec(d, {QStringLiteral("INSERT INTO DataMoxB (date) VALUES ('2024-01-02')")}), QStringList());
    QCOMPARE(column(d, QStringLiteral("SELECT MAX(id) FROM DataMoxB")), QStringList{"3"});
    QVERIFY(!exec(d, {QStringLiteral("INSERT INTO DataMoxB (id) VALUES (1)")}).isEmpty());
}

void TestDevices::removalWithoutWideTable()
{
    ArchiveManager manager;
    QVERIFY(addOffline(manager, QStringLiteral("Z")));
    const int id = manager.getDevices().firstKey();
    QCOMPARE(exec(db(), {QStringLiteral("INSERT INTO Parameters (id, idDevices, name) VALUES (1, %1, 'U')").arg(id),
                         QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 1, 0, 1, NULL)")}),
             QStringList());
    QVERIFY(manager.removeDevice(id));
    QCOMPARE(testdb::count(db(), QStringLiteral("Devices")), qint64(0));
    QCOMPARE(testdb::count(db(), QStringLiteral("Parameters")), qint64(0));
    QCOMPARE(testdb::count(db(), QStringLiteral("Data")), qint64(0));
    QVERIFY(!testdb::tables(db()).contains(QStringLiteral("DataMoxB")));
}

void TestDevices::removalFailures()
{
    ArchiveManager manager;
    QVERIFY(addOffline(manager, QStringLiteral("Z")));
    QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
    QVERIFY(!manager.removeDevice(999));
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.at(0), (QList<QVariant>{"Failed to remove device.", QString(), 2}));
    QCOMPARE(testdb::count(db(), QStringLiteral("Devices")), qint64(1));

    // A failing step leaves everything as it was, the dropped columns too.
    const int id = manager.getDevices().firstKey();
    QSqlDatabase d = db();
    QStringList wide{"date", "time", "U (Z)"};
    g_databaseStructure->ensureDataMoxBTable(d, wide);
    QCOMPARE(exec(d, {QStringLiteral("CREATE TRIGGER no_delete BEFORE DELETE ON Devices "
                                     "BEGIN SELECT RAISE(ABORT, 'kept'); END")}),
             QStringList());
    QVERIFY(!manager.removeDevice(id));
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(testdb::count(d, QStringLiteral("Devices")), qint64(1));
    QVERIFY(testdb::columns(d, QStringLiteral("DataMoxB")).contains(QStringLiteral("U (Z)")));
}

void TestDevices::notOpened()
{
    Connections::remove(kDataCon);
    ArchiveManager manager;
    QSignalSpy dialogs(&manager, &ArchiveManager::dialogMessage);
    QSignalSpy console(&manager, &ArchiveManager::consoleMessage);
    QVERIFY(!addOffline(manager, QStringLiteral("X")));
    QVERIFY(!manager.editDevice(1, QStringLiteral("X"), ZelB, QString(), false, QString(), 0, QString(), QString()));
    QVERIFY(!manager.removeDevice(1));
    QByteArray buffer;
    QVERIFY(!manager.getOtherCfg(1, buffer));
    QCOMPARE(dialogs.size(), 4);
    for (const auto &args : dialogs)
        QCOMPARE(args, (QList<QVariant>{"Database is not opened.", QString(), 2}));
    QVERIFY(manager.getDevices().isEmpty());
    QCOMPARE(manager.getDeviceInfo(1).allRecordsCnt, 0u);
    QCOMPARE(console.size(), 2);
    QCOMPARE(console.at(0), (QList<QVariant>{"Database is not opened.", 2}));
}

QUORLOG_TEST_MAIN(TestDevices)
#include "tst_devices.moc"
