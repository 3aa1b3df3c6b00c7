// The transfer object without a file server: local file:// transfers and a
// port that accepts connections and never answers.
#include "acquisition/QtCUrl.h"
#include "support/TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QUrl writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QUrl();
    return QUrl::fromLocalFile(path);
}

} // namespace

class TestQtCUrl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void defaultsFillOnlyMissingEntries();
    void wholeBodyIsReturned_data();
    void wholeBodyIsReturned();
    void unsupportedAndListValuesDoNotStopTheTransfer();
    void consecutiveTransfersDoNotMix();
    void staleAbortIsClearedAtStart();
    void missingLocalFileReportsCodeAndText();
    void silentServerTimesOut_data();
    void silentServerTimesOut();
    void noHandleAfterCleanup();

private:
    QTemporaryDir m_dir;
};

void TestQtCUrl::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestQtCUrl::defaultsFillOnlyMissingEntries()
{
    QtCUrl curl;
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, writeFile(m_dir, "d.txt", "abc"));
    options.insert(CURLOPT_TIMEOUT, 5);
    QCOMPARE(curl.exec(options), QByteArray("abc"));
    QCOMPARE(int(curl.lastCode), 0);

    QCOMPARE(options.size(), 8);
    QCOMPARE(options.value(CURLOPT_TIMEOUT).toInt(), 5);
    QCOMPARE(options.value(CURLOPT_CONNECTTIMEOUT).toInt(), 30);
    QCOMPARE(options.value(CURLOPT_FAILONERROR).toBool(), true);
    QCOMPARE(options.value(CURLOPT_ERRORBUFFER).value<char *>(), curl.errorBuffer);
    QVERIFY(options.value(CURLOPT_WRITEDATA).value<std::string *>() != nullptr);
    QVERIFY(options.value(CURLOPT_HEADERDATA).value<std::string *>() != nullptr);
    QVERIFY(options.value(CURLOPT_WRITEFUNCTION).value<QtCUrl::WriterPtr>() == &QtCUrl::writer);
    QCOMPARE(QtCUrl::transferDone.load(), 1);
}

void TestQtCUrl::wholeBodyIsReturned_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::newRow("Windows-1251") << QByteArray("Windows-1251");
    QTest::newRow("unknown codec") << QByteArray("No-Such-Codec");
    QTest::newRow("no codec") << QByteArray();
}

void TestQtCUrl::wholeBodyIsReturned()
{
    // A download must never end at its first zero byte, whatever the codec.
    QFETCH(QByteArray, codec);
    QtCUrl curl;
    if (!codec.isNull())
        curl.setTextCodec(codec.constData());
    const QByteArray body("ab\0cd", 5);
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, writeFile(m_dir, "zero.bin", body));
    QCOMPARE(curl.exec(options), body);
}

void TestQtCUrl::unsupportedAndListValuesDoNotStopTheTransfer()
{
    QtCUrl curl;
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, writeFile(m_dir, "u.txt", "ok"));
    options.insert(CURLOPT_LOW_SPEED_TIME, 2.5);             // a double: skipped
    options.insert(CURLOPT_HTTPHEADER, QStringList());       // an empty list: applied
    options.insert(CURLOPT_MAXFILESIZE, quint64(1) << 33);   // low 32 bits: 0, no limit
    const int listsBefore = curl.optionListCount();
    QCOMPARE(curl.exec(options), QByteArray("ok"));
    QCOMPARE(int(curl.lastCode), 0);
    QCOMPARE(curl.optionListCount(), listsBefore + 1);
}

void TestQtCUrl::consecutiveTransfersDoNotMix()
{
    QtCUrl curl;
    QtCUrl::Options first;
    first.insert(CURLOPT_URL, writeFile(m_dir, "first.txt", "first"));
    QCOMPARE(curl.exec(first), QByteArray("first"));
    QtCUrl::Options second;
    second.insert(CURLOPT_URL, writeFile(m_dir, "second.txt", "second"));
    QCOMPARE(curl.exec(second), QByteArray("second"));
}

void TestQtCUrl::staleAbortIsClearedAtStart()
{
    QtCUrl curl;
    QtCUrl::abortTransfer = 1;
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, writeFile(m_dir, "s.txt", "runs"));
    QCOMPARE(curl.exec(options), QByteArray("runs"));
    QCOMPARE(int(curl.lastCode), 0);
    QCOMPARE(QtCUrl::abortTransfer.load(), 0);
}

void TestQtCUrl::missingLocalFileReportsCodeAndText()
{
    QtCUrl curl;
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, QUrl::fromLocalFile(m_dir.filePath("missing.txt")));
    QVERIFY(curl.exec(options).isEmpty());
    QCOMPARE(int(curl.lastCode), int(CURLE_FILE_COULDNT_READ_FILE));
    QVERIFY(QByteArray(curl.errorBuffer).contains("missing.txt"));

    // The next successful transfer leaves no stale message behind.
    options.insert(CURLOPT_URL, writeFile(m_dir, "present.txt", "x"));
    curl.exec(options);
    QCOMPARE(int(curl.lastCode), 0);
    QCOMPARE(QByteArray(curl.errorBuffer), QByteArray());
}

void TestQtCUrl::silentServerTimesOut_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("connect phase") << int(CURLOPT_CONNECTTIMEOUT) << QVariant(1);
    QTest::newRow("whole transfer") << int(CURLOPT_TIMEOUT) << QVariant(1);
    QTest::newRow("whole transfer, 64-bit value") << int(CURLOPT_TIMEOUT) << QVariant((quint64(1) << 32) + 1);
}

void TestQtCUrl::silentServerTimesOut()
{
    QFETCH(int, option);
    QFETCH(QVariant, value);
    // The kernel completes the connection; the server never greets.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));

    QtCUrl curl;
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, QUrl(QStringLiteral("ftp://127.0.0.1:%1/").arg(silent.serverPort())));
    options.insert(option, value);
    QElapsedTimer clock;
    clock.start();
    curl.exec(options);
    QCOMPARE(int(curl.lastCode), int(CURLE_OPERATION_TIMEDOUT));
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(qstrlen(curl.errorBuffer) > 0);
    QCOMPARE(QtCUrl::transferDone.load(), 1);
    QCOMPARE(QtCUrl::dlNow.load(), 0.0);
    QCOMPARE(QtCUrl::dlTotal.load(), 0.0);
}

void TestQtCUrl::noHandleAfterCleanup()
{
    QtCUrl curl;
    curl.cleanup();
    QVERIFY(!curl.hasHandle());
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, writeFile(m_dir, "n.txt", "never"));
    QVERIFY(curl.exec(options).isEmpty());
    QCOMPARE(int(curl.lastCode), int(CURLE_FAILED_INIT));
    QVERIFY(qstrlen(curl.errorBuffer) > 0);
    QCOMPARE(options.size(), 8);
}

QUORLOG_TEST_MAIN(TestQtCUrl)
#include "tst_qtcurl.moc"
