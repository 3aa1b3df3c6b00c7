// The recorder's own signature check: the 82-byte file, the MAC text, ECDSA
// over SHA-256 against a key made in the test, and the built-in key.
#include "support/TestMain.h"

#include "signature/DeviceSignature.h"
#include "signature/EcdsaTestKey.h"
#include "signature/digitalSignPage.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

class TestDeviceSignature : public QObject
{
    Q_OBJECT

    EcdsaTestKey key;
    QTemporaryDir dir;
    QByteArray data;

    QString path(const QString &name) const { return dir.filePath(name); }

    // Writes a data file and its signature file; returns the signature file's bytes.
    QByteArray writePair(const QByteArray &content, const QByteArray &mac)
    {
        const QByteArray signature = key.signatureFile(content, mac);
        writeTestFile(path(QStringLiteral("20260115.CSV")), content);
        writeTestFile(path(QStringLiteral("202601MX.SIG")), signature);
        return signature;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(key.isValid());
        QCOMPARE(key.publicKey().size(), 64);
        QVERIFY(dir.isValid());
        data = QByteArrayLiteral("date;time;U1\r\n2026-01-15;10:00:00;230.1\r\n2026-01-15;10:01:00;229.8\r\n");
    }

    void goodPairAndMac()
    {
        writePair(data, QByteArrayLiteral("00:1A:2B:3C:4D:5E"));
        digitalSignPage page;
        QVERIFY(page.verifyDeviceSignature(path("20260115.CSV"), path("202601MX.SIG"), key.publicKey()));
        QCOMPARE(page.lastDeviceMac(), QStringLiteral("00:1A:2B:3C:4D:5E"));
    }

    // A changed byte anywhere in the data or in r or s breaks the check;
    // the MAC is not signed.
    void tampering_data()
    {
        QTest::addColumn<bool>("inSignature");
        QTest::addColumn<int>("offset");
        QTest::newRow("data, first byte") << false << 0;
        QTest::newRow("data, last byte") << false << -1;
        QTest::newRow("r, first byte") << true << 18;
        QTest::newRow("r, last byte") << true << 49;
        QTest::newRow("s, first byte") << true << 50;
        QTest::newRow("s, last byte") << true << 81;
    }

    void tampering()
    {
        QFETCH(bool, inSignature);
        QFETCH(int, offset);
        QByteArray signature = writePair(data, QByteArrayLiteral("AA:BB:CC:DD:EE:FF"));
        QByteArray content = data;
        QByteArray &target = inSignature ? signature : content;
        const int at = offset < 0 ? target.size() + offset : offset;
        target[at] = char(target.at(at) ^ 0x01);
        writeTestFile(path("20260115.CSV"), content);
        writeTestFile(path("202601MX.SIG"), signature);

        digitalSignPage page;
        QVERIFY(!page.verifyDeviceSignature(path("20260115.CSV"), path("202601MX.SIG"), key.publicKey()));
        // The file had the right size: its MAC is taken even so.
        QCOMPARE(page.lastDeviceMac(), QStringLiteral("AA:BB:CC:DD:EE:FF"));
    }

    void changedMacStillVerifies()
    {
        QByteArray signature = writePair(data, QByteArrayLiteral("00:1A:2B:3C:4D:5E"));
        signature.replace(0, 17, QByteArrayLiteral("11:22:33:44:55:66"));
        writeTestFile(path("202601MX.SIG"), signature);
        digitalSignPage page;
        QVERIFY(page.verifyDeviceSignature(path("20260115.CSV"), path("202601MX.SIG"), key.publicKey()));
        QCOMPARE(page.lastDeviceMac(), QStringLiteral("11:22:33:44:55:66"));
    }

    void macText_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QString>("mac");
        QTest::newRow("17 characters and a zero") << QByteArray("00:1A:2B:3C:4D:5E\0", 18) << "00:1A:2B:3C:4D:5E";
        QTest::newRow("18 characters, trimmed") << QByteArray(" 001A2B3C4D5E0011 ") << "001A2B3C4D5E0011";
        QTest::newRow("text after the zero is dropped") << QByteArray("ABC\0DEFGHIJKLMNOPQ", 18) << "ABC";
        QTest::newRow("all zero") << QByteArray(18, '\0') << "";
        QTest::newRow("Latin-1") << QByteArray("M\xC4" "C", 3) + QByteArray(15, '\0') << QString::fromUtf8("MÄC");
    }

    void macText()
    {
        QFETCH(QByteArray, head);
        QFETCH(QString, mac);
        QCOMPARE(head.size(), 18);
        QCOMPARE(DeviceSignature::macText(head + QByteArray(64, '\x01')), mac);
    }

    // Wrong sizes and missing files fail and leave the MAC of the last good
    // file alone.
    void unusableFiles_data()
    {
        QTest::addColumn<QString>("dataName");
        QTest::addColumn<int>("signatureSize"); // -1: no signature file
        QTest::newRow("81 bytes") << "20260115.CSV" << 81;
        QTest::newRow("83 bytes") << "20260115.CSV" << 83;
        QTest::newRow("empty signature file") << "20260115.CSV" << 0;
        QTest::newRow("no signature file") << "20260115.CSV" << -1;
        QTest::newRow("no data file") << "20260116.CSV" << 82;
        QTest::newRow("data path is a folder") << "." << 82;
    }

    void unusableFiles()
    {
        QFETCH(QString, dataName);
        QFETCH(int, signatureSize);
        writePair(data, QByteArrayLiteral("00:1A:2B:3C:4D:5E"));
        digitalSignPage page;
        QVERIFY(page.verifyDeviceSignature(path("20260115.CSV"), path("202601MX.SIG"), key.publicKey()));

        const QString odd = path(QStringLiteral("odd.SIG"));
        QFile::remove(odd);
        if (signatureSize >= 0) {
            QByteArray bytes = key.signatureFile(data, QByteArrayLiteral("99:99:99:99:99:99"));
            bytes = signatureSize > 82 ? bytes + QByteArray(signatureSize - 82, '\0') : bytes.left(signatureSize);
            writeTestFile(odd, bytes);
        }
        QVERIFY(!page.verifyDeviceSignature(path(dataName), odd, key.publicKey()));
        QCOMPARE(page.lastDeviceMac(), QStringLiteral("00:1A:2B:3C:4D:5E"));
    }

    void emptyDataFileIsSignedLikeAnyOther()
    {
        writePair(QByteArray(), QByteArrayLiteral("00:00:00:00:00:01"));
        digitalSignPage page;
        QVERIFY(page.verifyDeviceSignature(path("20260115.CSV"), path("202601MX.SIG"), key.publicKey()));
    }

    // A signature of other data, another key, or a key/signature that is
    // malformed never passes.
    void wrongKeyOrMalformed()
    {
        const QByteArray digest = QCryptographicHash::hash(data, QCryptographicHash::Sha256);
        const QByteArray signature = key.sign(data);
        QVERIFY(DeviceSignature::verifyDigest(key.publicKey(), digest, signature));

        EcdsaTestKey other;
        QVERIFY(!DeviceSignature::verifyDigest(other.publicKey(), digest, signature));
        QVERIFY(!DeviceSignature::verifyDigest(key.publicKey().left(63), digest, signature));
        QVERIFY(!DeviceSignature::verifyDigest(key.publicKey(), digest.left(31), signature));
        QVERIFY(!DeviceSignature::verifyDigest(key.publicKey(), digest, signature.left(63)));
        QVERIFY(!DeviceSignature::verifyDigest(key.publicKey(), digest, QByteArray(64, '\0')));
        QVERIFY(!DeviceSignature::verifyDigest(key.publicKey(), digest, QByteArray(64, '\xff')));
        QVERIFY(!DeviceSignature::verifyDigest(QByteArray(64, '\0'), digest, signature));
    }

    // The built-in key is kept as given; it is no point of the curve, so it
    // verifies nothing at all.
    void builtInKeyFailsClosed()
    {
        const QString hex = DeviceSignature::builtInPublicKeyHex();
        QCOMPARE(hex.size(), 128);
        QCOMPARE(hex, hex.toLower());
        QVERIFY(hex.startsWith(QLatin1String("7c1e5a93")) && hex.endsWith(QLatin1String("d3b9e5a0")));
        const QByteArray builtIn = DeviceSignature::builtInPublicKey();
        QCOMPARE(builtIn.size(), 64);
        QCOMPARE(builtIn.toHex(), hex.toLatin1());

        writePair(data, QByteArrayLiteral("00:1A:2B:3C:4D:5E"));
        digitalSignPage page;
        QVERIFY(!page.verifyDeviceSignature(path("20260115.CSV"), path("202601MX.SIG"), builtIn));
        QVERIFY(page.verifyDeviceSignature(path("20260115.CSV"), path("202601MX.SIG"), key.publicKey()));
    }
};

QUORLOG_TEST_MAIN(TestDeviceSignature)
#include "tst_devicesignature.moc"
