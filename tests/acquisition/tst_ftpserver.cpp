// Listing, download and delete against a real FTP and FTPS server
// (ProFTPD on 127.0.0.1:21, see support/FtpTestServer).
#include "acquisition/FtpAccess.h"
#include "acquisition/QtCUrl.h"
#include "acquisition/ftpTreeModel.h"
#include "support/FtpTestServer.h"
#include "support/TestMain.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtConcurrent>

#include <algorithm>

namespace {

QStringList childNames(const ftpTreeItem *folder)
{
    QStringList names;
    for (int i = 0; i < folder->childCount(); ++i)
        names << folder->child(i)->getName();
    return names;
}

ftpTreeItem *childNamed(const ftpTreeItem *folder, const QString &name)
{
    for (int i = 0; i < folder->childCount(); ++i) {
        if (folder->child(i)->getName() == name)
            return folder->child(i);
    }
    return nullptr;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Presses Cancel of the progress window as soon as one shows, after delayMs.
void cancelProgressWindowAfter(int delayMs)
{
    QTimer::singleShot(delayMs, []() {
        const auto widgets = QApplication::topLevelWidgets();
        for (QWidget *w : widgets) {
            if (auto *dialog = qobject_cast<QProgressDialog *>(w)) {
                QPushButton *button = dialog->findChild<QPushButton *>();
                if (dialog->isVisible() && button) {
                    button->click();
                    return;
                }
            }
        }
        cancelProgressWindowAfter(50);
    });
}

QList<QString> consoleTexts(const QSignalSpy &spy)
{
    QList<QString> texts;
    for (const auto &args : spy)
        texts << args.at(0).toString();
    return texts;
}

} // namespace

class TestFtpServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void listingAndNavigation_data();
    void listingAndNavigation();
    void folderIsReadOnce();
    void downloadIsByteIdentical_data();
    void downloadIsByteIdentical();
    void deleteRemovesExactlyTheNamedFiles_data();
    void deleteRemovesExactlyTheNamedFiles();
    void emptyCommandListSendsNothing();
    void listingFailureIsAnError_data();
    void listingFailureIsAnError();
    void errorTexts_data();
    void errorTexts();
    void abortDuringLargeTransfer();
    void cancelWhileServerIsSilent();

private:
    void useServer(FtpTestServer::Mode mode);
    static void addModes();

    QTemporaryDir m_dir;
    QString m_root;
    FtpTestServer m_server;
    int m_mode = -1;
};

void TestFtpServer::initTestCase()
{
    FTP_SERVER_AVAILABLE_OR_SKIP();
    QVERIFY(m_dir.isValid());
    m_root = m_dir.filePath("served");
    QVERIFY(QDir().mkpath(m_root));
    ftpfixture::makeTree(m_root);
}

void TestFtpServer::cleanupTestCase()
{
    m_server.stop();
}

void TestFtpServer::useServer(FtpTestServer::Mode mode)
{
    if (m_mode == int(mode) && m_server.isRunning())
        return;
    m_mode = -1;
    QVERIFY2(m_server.start(m_root, mode), qPrintable(m_server.error()));
    m_mode = int(mode);
}

void TestFtpServer::addModes()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("FTP") << int(FtpTestServer::Plain);
    QTest::newRow("FTPS") << int(FtpTestServer::Tls);
}

void TestFtpServer::listingAndNavigation_data()
{
    addModes();
}

void TestFtpServer::listingAndNavigation()
{
    QFETCH(int, mode);
    useServer(FtpTestServer::Mode(mode));
    ftpTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    QVERIFY(model.loadFilesTree(m_server.access(), model.getRootItem()));
    QVERIFY2(model.isLoaded(), qPrintable(m_server.log()));
    QStringList expected = {"A.csv", "a.csv", "b.csv", "big.bin", "hash#1.csv", "many", "my  data   file.csv",
                            "nested", "odd?50%.csv", "trash", "zeros.bin"};
    std::sort(expected.begin(), expected.end());
    QCOMPARE(childNames(model.getRootItem()), expected);
    QCOMPARE(expected.indexOf("A.csv") + 1, expected.indexOf("a.csv"));
    // The view hears of the new rows, all at once, on this thread.
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(2).toInt(), expected.size() - 1);
    QCOMPARE(model.rowCount(), expected.size());

    ftpTreeItem *nested = childNamed(model.getRootItem(), "nested");
    QVERIFY(nested && nested->isDir);
    QCOMPARE(nested->path, QString("/nested/"));
    QVERIFY(model.loadFilesTree(m_server.access(), nested));
    QVERIFY(model.isLoaded());
    QCOMPARE(childNames(nested), QStringList({"/", "inner", "n1.csv"}));

    ftpTreeItem *inner = childNamed(nested, "inner");
    QVERIFY(model.loadFilesTree(m_server.access(), inner));
    QCOMPARE(childNames(inner), QStringList({"/", "..", "deep.txt"}));
    QCOMPARE(childNamed(inner, "deep.txt")->path, QString("ftp://127.0.0.1/nested/inner/deep.txt"));

    ftpTreeItem *many = childNamed(model.getRootItem(), "many");
    QVERIFY(model.loadFilesTree(m_server.access(), many));
    QCOMPARE(many->childCount(), 1 + 201);
    QCOMPARE(many->child(1)->getName(), QString("f000.csv"));
    QCOMPARE(many->child(201)->getName(), QString("f200.csv"));
    QCOMPARE(inserted.count(), 4);
}

void TestFtpServer::folderIsReadOnce()
{
    useServer(FtpTestServer::Plain);
    ftpTreeModel model;
    QSignalSpy console(&model, &ftpTreeModel::consoleMessage);
    QVERIFY(model.loadFilesTree(m_server.access(), model.getRootItem()));
    QVERIFY(model.isLoaded());
    const int rows = model.rowCount();
    ftpTreeItem *trash = childNamed(model.getRootItem(), "trash");
    QVERIFY(model.loadFilesTree(m_server.access(), trash));
    ftpTreeItem *backToTop = trash->child(0);
    QCOMPARE(backToTop->getName(), QString("/"));

    // With the server gone, nothing that was read is read again, and the "/"
    // entry is never read: no transfer, no error.
    m_server.stop();
    QVERIFY(model.loadFilesTree(m_server.access(), model.getRootItem()));
    QVERIFY(model.isLoaded());
    QVERIFY(model.loadFilesTree(m_server.access(), trash));
    QVERIFY(model.isLoaded());
    QVERIFY(model.loadFilesTree(m_server.access(), backToTop));
    QVERIFY(model.isLoaded());
    QCOMPARE(model.rowCount(), rows);
    QCOMPARE(backToTop->childCount(), 0);
    QVERIFY2(console.isEmpty(), qPrintable(consoleTexts(console).join('\n')));

    // A folder never read needs the server: the failure is reported and the
    // folder stays empty, to be read again later.
    ftpTreeItem *nested = childNamed(model.getRootItem(), "nested");
    QVERIFY(model.loadFilesTree(m_server.access(), nested));
    QVERIFY(!model.isLoaded());
    QCOMPARE(nested->childCount(), 0);
    QCOMPARE(console.count(), 1);
    QVERIFY(console.at(0).at(0).toString().startsWith("Error: "));
}

void TestFtpServer::downloadIsByteIdentical_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("name");
    for (int mode : {int(FtpTestServer::Plain), int(FtpTestServer::Tls)}) {
        const char *tag = mode == FtpTestServer::Plain ? "FTP" : "FTPS";
        for (const char *name : {"zeros.bin", "big.bin", "my  data   file.csv", "hash#1.csv", "odd?50%.csv"})
            QTest::addRow("%s %s", tag, name) << mode << QString::fromLatin1(name);
    }
}

void TestFtpServer::downloadIsByteIdentical()
{
    QFETCH(int, mode);
    QFETCH(QString, name);
    useServer(FtpTestServer::Mode(mode));
    ftpTreeModel model;
    QVERIFY(model.loadFilesTree(m_server.access(), model.getRootItem()));
    ftpTreeItem *item = childNamed(model.getRootItem(), name);
    QVERIFY(item);
    const QModelIndex index = model.indexOfItem(item);
    const QString url = model.data(index, ftpTreeModel::PathRole).toString();

    // The way a download uses the tree's transfer object.
    QtCUrl *curl = model.getCurl();
    QtCUrl::globalInit();
    curl->setTextCodec(ftpaccess::CodecName);
    QtCUrl::Options options;
    ftpaccess::setAccessOptions(options, m_server.access());
    options.insert(CURLOPT_URL, QUrl(url, QUrl::TolerantMode));
    const QByteArray data = curl->exec(options);
    QCOMPARE(int(curl->lastCode), 0);
    QCOMPARE(ftpaccess::fileName(url), name);
    const QByteArray expected = fileBytes(m_root + "/" + name);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(data.size(), expected.size());
    QVERIFY(data == expected);
}

void TestFtpServer::deleteRemovesExactlyTheNamedFiles_data()
{
    addModes();
}

void TestFtpServer::deleteRemovesExactlyTheNamedFiles()
{
    QFETCH(int, mode);
    useServer(FtpTestServer::Mode(mode));
    const QString trash = m_root + "/trash";
    for (const char *name : {"x.csv", "y #.csv", "z.csv"}) {
        QFile file(trash + "/" + QString::fromLatin1(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

    const FtpAccess access = m_server.access();
    const QStringList urls = {ftpaccess::urlText(access.addresIP, "/trash/x.csv"),
                              ftpaccess::urlText(access.addresIP, "/trash/y #.csv")};
    {
        QtCUrl curl;
        curl.setTextCodec(ftpaccess::CodecName);
        QtCUrl::Options options;
        options.insert(CURLOPT_URL, ftpaccess::url(access.addresIP, "/"));
        ftpaccess::setAccessOptions(options, access);
        for (const QString &url : urls)
            curl.addSlist(("DELE " + ftpaccess::serverPathBytes(url)).constData());
        curl.exec(options, true);
        QCOMPARE(int(curl.lastCode), 0);
        curl.freeSlist();
    }
    QVERIFY(!QFile::exists(trash + "/x.csv"));
    QVERIFY(!QFile::exists(trash + "/y #.csv"));
    QVERIFY(QFile::exists(trash + "/z.csv"));

    // A refused command fails the transfer.
    QtCUrl curl;
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, ftpaccess::url(access.addresIP, "/"));
    ftpaccess::setAccessOptions(options, access);
    curl.addSlist("DELE /trash/never-there.csv");
    curl.exec(options, true);
    QCOMPARE(int(curl.lastCode), int(CURLE_QUOTE_ERROR));
    curl.freeSlist();
}

void TestFtpServer::emptyCommandListSendsNothing()
{
    useServer(FtpTestServer::Tls);
    const FtpAccess access = m_server.access();
    QtCUrl curl;
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, ftpaccess::url(access.addresIP, "/nested/"));
    ftpaccess::setAccessOptions(options, access);
    const QByteArray listing = curl.exec(options, true);
    QCOMPARE(int(curl.lastCode), 0);
    QVERIFY(listing.contains("n1.csv"));
}

// A listing that fails is written at the error level (red), never as plain
// news; the folder stays unread.
void TestFtpServer::listingFailureIsAnError_data()
{
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    // Plain FTP to a server that requires TLS: the log-in is refused.
    QTest::newRow("plain session to TLS-only") << true << int(CURLE_LOGIN_DENIED)
                                               << "Error: Login denied\nBuffer: ";
    QTest::newRow("nothing on port 21") << false << int(CURLE_COULDNT_CONNECT)
                                        << "Error: Couldn't connect to server\nBuffer: ";
}

void TestFtpServer::listingFailureIsAnError()
{
    QFETCH(bool, serverUp);
    QFETCH(int, code);
    QFETCH(QString, text);
    useServer(FtpTestServer::Tls);
    FtpAccess plain = m_server.access();
    plain.protocolType = 0;
    if (!serverUp) {
        m_server.stop();
        m_mode = -1;
    }
    ftpTreeModel model;
    QSignalSpy console(&model, &ftpTreeModel::consoleMessage);
    QVERIFY(model.loadFilesTree(plain, model.getRootItem()));
    QVERIFY(!model.isLoaded());
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(int(model.getCurl()->lastCode), code);
    QCOMPARE(console.count(), 1);
    QVERIFY2(console.at(0).at(0).toString().startsWith(text), qPrintable(console.at(0).at(0).toString()));
    QCOMPARE(console.at(0).at(1).toInt(), 3);
}

void TestFtpServer::errorTexts_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    for (int mode : {int(FtpTestServer::Plain), int(FtpTestServer::Tls)}) {
        const char *tag = mode == FtpTestServer::Plain ? "FTP" : "FTPS";
        QTest::addRow("%s wrong password", tag) << mode << "wrong" << "/a.csv" << int(CURLE_LOGIN_DENIED)
                                                << "Login denied";
        QTest::addRow("%s missing file", tag) << mode << QString() << "/missing.csv"
                                              << int(CURLE_REMOTE_FILE_NOT_FOUND) << "Remote file not found";
    }
}

void TestFtpServer::errorTexts()
{
    QFETCH(int, mode);
    QFETCH(QString, password);
    QFETCH(QString, path);
    QFETCH(int, code);
    QFETCH(QString, text);
    useServer(FtpTestServer::Mode(mode));
    FtpAccess access = m_server.access();
    if (!password.isNull())
        access.pass = password;
    QtCUrl curl;
    QtCUrl::Options options;
    ftpaccess::setAccessOptions(options, access);
    options.insert(CURLOPT_URL, ftpaccess::url(access.addresIP, path));
    curl.exec(options);
    QCOMPARE(int(curl.lastCode), code);
    QCOMPARE(QString::fromUtf8(curl_easy_strerror(curl.lastCode)), text);
    QVERIFY(qstrlen(curl.errorBuffer) > 0);
}

void TestFtpServer::abortDuringLargeTransfer()
{
    useServer(FtpTestServer::Plain);
    const FtpAccess access = m_server.access();
    QtCUrl curl;
    QtCUrl::Options options;
    ftpaccess::setAccessOptions(options, access);
    options.insert(CURLOPT_URL, ftpaccess::url(access.addresIP, "/big.bin"));
    // Slow enough (about 4 s for the whole file) that the abort lands mid-way.
    options.insert(CURLOPT_MAX_RECV_SPEED_LARGE, 1000 * 1000);

    QAtomicInt seenProgress(0);
    QFuture<void> canceller = QtConcurrent::run([&seenProgress]() {
        QElapsedTimer clock;
        clock.start();
        while (QtCUrl::dlNow.load() < 100000 && clock.elapsed() < 5000)
            QThread::msleep(5);
        seenProgress = QtCUrl::dlNow.load() >= 100000 ? 1 : 0;
        QtCUrl::abortTransfer = 1;
    });
    QElapsedTimer clock;
    clock.start();
    const QByteArray data = curl.exec(options);
    canceller.waitForFinished();
    QVERIFY(seenProgress.loadRelaxed());
    QCOMPARE(int(curl.lastCode), int(CURLE_ABORTED_BY_CALLBACK));
    QVERIFY(data.size() >= 100000);
    QVERIFY(data.size() < 4 * 1024 * 1024);
    QVERIFY(data == ftpfixture::binaryBytes(4 * 1024 * 1024).left(data.size()));
    QVERIFY(clock.elapsed() < 3500);
    QCOMPARE(QtCUrl::transferDone.load(), 1);
    QCOMPARE(QtCUrl::dlNow.load(), 0.0);
    QCOMPARE(QtCUrl::dlTotal.load(), 0.0);
    QCOMPARE(QtCUrl::ulNow.load(), 0.0);
    QCOMPARE(QtCUrl::ulTotal.load(), 0.0);
}

void TestFtpServer::cancelWhileServerIsSilent()
{
    // Port 21 accepts and never answers: the read waits in the transfer until
    // the user cancels the progress window.
    m_server.stop();
    m_mode = -1;
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 21));

    ftpTreeModel model;
    QSignalSpy console(&model, &ftpTreeModel::consoleMessage);
    QSignalSpy dialog(&model, &ftpTreeModel::dialogMessage);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    cancelProgressWindowAfter(300);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(model.loadFilesTree(m_server.access(), model.getRootItem()));
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!model.isLoaded());
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(model.getCurl()->lastCode, CURLE_ABORTED_BY_CALLBACK);
    // Only the transfer's error line: the cancel came before any listing line.
    QCOMPARE(console.count(), 1);
    QVERIFY(console.at(0).at(0).toString().startsWith("Error: "));
    QCOMPARE(dialog.count(), 0);
}

QUORLOG_TEST_MAIN(TestFtpServer)
#include "tst_ftpserver.moc"
