#include "app/AvailableDevices.h"
#include "support/TestMain.h"

// The instrument type registry, for every value, named or not.
class TestAvailableDevices : public QObject
{
    Q_OBJECT

private slots:
    void everyValue_data();
    void everyValue();
    void namesInMapOrder();
    void indexRoundTrip();
    void indexOutOfRange();
    void lookupsAreCaseSensitive();
};

void TestAvailableDevices::everyValue_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("index");

    QTest::newRow("-1") << -1 << "" << "" << -1;
    QTest::newRow("0") << 0 << "DEVICE_UNDEFINED" << "*.csv" << -1;
    QTest::newRow("1") << 1 << "INTERNAL_DB" << "*.qdb" << -1;
    QTest::newRow("2") << 2 << "ZelD" << "*.ZelDArch" << 16;
    QTest::newRow("3") << 3 << "ZelC" << "*.ZelCArch" << 15;
    QTest::newRow("4") << 4 << "ZelB" << "*.csv" << 14;
    QTest::newRow("5") << 5 << "Ostra" << "*.csv" << 3;
    QTest::newRow("6") << 6 << "WexA" << "*" << 9;
    QTest::newRow("7") << 7 << "WexB" << "*.*" << 10;
    QTest::newRow("8") << 8 << "WexC" << "*.*" << 11;
    QTest::newRow("9") << 9 << "QuilA" << "*.*" << 4;
    QTest::newRow("10") << 10 << "Brena" << "*.DBF" << 0;
    QTest::newRow("11") << 11 << "WexD" << "*.csv" << 12;
    QTest::newRow("12") << 12 << "QuilBIoT" << "*.*" << 5;
    QTest::newRow("13") << 13 << "QuilC" << "*.*" << 6;
    QTest::newRow("14") << 14 << "Vanta" << "*.csv" << 8;
    QTest::newRow("15") << 15 << "ZelA" << "*.csv" << 13;
    QTest::newRow("16") << 16 << "Ravel" << "*.csv" << 7;
    QTest::newRow("17") << 17 << "MoxB" << "*.MoxBArch*" << 2;
    QTest::newRow("18 filtered MoxB") << 18 << "" << "" << -1;
    QTest::newRow("19") << 19 << "ZelDX" << "*.ZelD*Arch*" << 17;
    QTest::newRow("20") << 20 << "MoxA" << "????????.CSV" << 1;
    QTest::newRow("21 filtered MoxA") << 21 << "" << "" << -1;
    QTest::newRow("22") << 22 << "" << "" << -1;
}

void TestAvailableDevices::everyValue()
{
    QFETCH(int, value);
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(int, index);
    const auto type = static_cast<avaibleDevices_t>(value);
    QCOMPARE(AvailableDevices::getDeviceName(type), name);
    QCOMPARE(AvailableDevices::getFileMaskByType(type), mask);
    QCOMPARE(AvailableDevices::getFileMask(name), mask);
    QCOMPARE(AvailableDevices::getDeviceIndex(type), index);
    if (!name.isEmpty())
        QCOMPARE(int(AvailableDevices::deviceTypeByName.value(name)), value);
}

void TestAvailableDevices::namesInMapOrder()
{
    const QStringList expected{"Brena", "MoxA",  "MoxB", "Ostra", "QuilA", "QuilBIoT", "QuilC", "Ravel", "Vanta",
                               "WexA",  "WexB",  "WexC", "WexD",  "ZelA",  "ZelB",     "ZelC",  "ZelD",  "ZelDX"};
    QCOMPARE(AvailableDevices::getDeviceNames(), expected);
    QCOMPARE(AvailableDevices::deviceTypeByName.size(), 20);
    QCOMPARE(AvailableDevices::fileMaskByName.keys(), AvailableDevices::deviceTypeByName.keys());
}

void TestAvailableDevices::indexRoundTrip()
{
    for (int value = 2; value <= 20; ++value) {
        if (value == 18)
            continue;
        const auto type = static_cast<avaibleDevices_t>(value);
        QCOMPARE(AvailableDevices::getDeviceTypeByIndex(AvailableDevices::getDeviceIndex(type)), type);
    }
    for (int index = 0; index < 18; ++index)
        QCOMPARE(AvailableDevices::getDeviceIndex(AvailableDevices::getDeviceTypeByIndex(index)), index);
}

void TestAvailableDevices::indexOutOfRange()
{
    QCOMPARE(AvailableDevices::getDeviceTypeByIndex(-1), DEVICE_UNDEFINED);
    QCOMPARE(AvailableDevices::getDeviceTypeByIndex(18), DEVICE_UNDEFINED);
    QCOMPARE(AvailableDevices::getDeviceTypeByIndex(1000), DEVICE_UNDEFINED);
}

void TestAvailableDevices::lookupsAreCaseSensitive()
{
    QCOMPARE(AvailableDevices::getFileMask(QStringLiteral("zeld")), QString());
    QCOMPARE(AvailableDevices::getFileMask(QStringLiteral("ZELD")), QString());
    QCOMPARE(AvailableDevices::getFileMask(QString()), QString());
    QCOMPARE(AvailableDevices::getFileMask(QStringLiteral("ZelD")), QStringLiteral("*.ZelDArch"));
}

QUORLOG_TEST_MAIN(TestAvailableDevices)
#include "tst_availabledevices.moc"
