// Downloads into an instrument's local folder and deletes on its file server,
// against a real FTP / FTPS server (support/FtpTestServer).
#include "support/TestMain.h"

#include "acquisition/FtpAccess.h"
#include "acquisition/FtpTransfers.h"
#include "common/Prompts.h"
#include "support/FtpTestServer.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Lines a transfer object reports, from whichever thread.
struct Recorder
{
    explicit Recorder(FtpTransfers &transfers)
    {
        QObject::connect(
            &transfers, &FtpTransfers::consoleMessage, &transfers,
            [this](const QString &msg, int level) {
                QMutexLocker lock(&mutex);
                console << QString::number(level) + " " + msg;
            },
            Qt::DirectConnection);
        QObject::connect(
            &transfers, &FtpTransfers::TextChanged, &transfers,
            [this](const QString &text) {
                QMutexLocker lock(&mutex);
                texts << text;
            },
            Qt::DirectConnection);
        QObject::connect(
            &transfers, &FtpTransfers::dialogMessage, &transfers,
            [this](const QString &msg, const QString &, int) {
                QMutexLocker lock(&mutex);
                dialogs << msg;
            },
            Qt::DirectConnection);
    }
    QMutex mutex;
    QStringList console;
    QStringList texts;
    QStringList dialogs;
};

} // namespace

class TestFtpTransfers : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root;
    FtpTestServer m_server;
    int m_mode = -1;
    int m_serial = 0;
    ScriptedPrompts *m_prompts = nullptr;

    void useServer(int mode)
    {
        if (m_mode == mode && m_server.isRunning())
            return;
        m_mode = -1;
        QVERIFY2(m_server.start(m_root, FtpTestServer::Mode(mode)), qPrintable(m_server.error()));
        m_mode = mode;
    }
    static void addModes()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("FTP") << int(FtpTestServer::Plain);
        QTest::newRow("FTPS") << int(FtpTestServer::Tls);
    }
    DeviceCfg device()
    {
        const FtpAccess access = m_server.access();
        DeviceCfg cfg;
        cfg.id = 1;
        cfg.name = "meter";
        cfg.type = ZelB;
        cfg.onlineCfgEnable = true;
        cfg.addresIP = access.addresIP;
        cfg.protocolType = access.protocolType;
        cfg.user = access.user;
        cfg.pass = access.pass;
        cfg.filesPath = m_dir.filePath(QStringLiteral("local%1").arg(++m_serial));
        QDir().mkpath(cfg.filesPath);
        return cfg;
    }
    QString url(const QString &serverPath) { return ftpaccess::urlText("127.0.0.1", serverPath); }
    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

private slots:
    void initTestCase()
    {
        m_prompts = new ScriptedPrompts();
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath("served");
        QVERIFY(QDir().mkpath(m_root));
        ftpfixture::makeTree(m_root);
    }
    void cleanupTestCase()
    {
        m_server.stop();
        delete m_prompts;
    }

    void batches_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("ranges");
        QTest::newRow("none") << 0 << "";
        QTest::newRow("one") << 1 << "0-1";
        QTest::newRow("one full") << 200 << "0-200";
        QTest::newRow("201") << 201 << "0-200 200-201";
        QTest::newRow("400") << 400 << "0-200 200-400";
        QTest::newRow("450") << 450 << "0-200 200-400 400-450";
    }
    void batches()
    {
        QFETCH(int, n);
        QFETCH(QString, ranges);
        QStringList parts;
        for (const auto &batch : FtpTransfers::batches(n))
            parts << QString("%1-%2").arg(batch.first).arg(batch.second);
        QCOMPARE(parts.join(' '), ranges);
    }

    void usableNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("usable");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("plain") << "a.csv" << true;
        QTest::newRow("dots inside") << "...a" << true;
        QTest::newRow("blanks") << " " << true;
    }
    void usableNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, usable);
        QCOMPARE(FtpTransfers::isUsableFileName(name), usable);
    }

    // Without a local folder nothing is transferred and nothing written.
    void emptyLocalFolderRefused()
    {
        FtpTransfers transfers;
        Recorder rec(transfers);
        DeviceCfg cfg;
        cfg.addresIP = "127.0.0.1";
        QtCUrl curl;
        QVERIFY(!transfers.downloadFTPFiles(&curl, cfg, {url("/a.csv")}));
        QCOMPARE(rec.dialogs, QStringList({"The local folder of the device is not set. Files cannot be downloaded."}));
        QVERIFY(!QFile::exists("/a.csv"));
        QVERIFY(!transfers.downloadFTPFiles(&curl, device(), {}));
    }

    void downloadByteIdentical_data() { addModes(); }
    void downloadByteIdentical()
    {
        QFETCH(int, mode);
        useServer(mode);
        FtpTransfers transfers;
        Recorder rec(transfers);
        const DeviceCfg cfg = device();
        const QStringList names = {"zeros.bin", "hash#1.csv", "odd?50%.csv"};
        QStringList urls;
        for (const QString &name : names)
            urls << url("/" + name);
        QtCUrl curl;
        QVERIFY2(transfers.downloadFTPFiles(&curl, cfg, urls), qPrintable(rec.console.join('\n')));
        QStringList sorted = names;
        sorted.sort();
        QCOMPARE(entries(cfg.filesPath), sorted); // no temporary file left
        for (const QString &name : names)
            QVERIFY2(fileBytes(cfg.filesPath + "/" + name) == fileBytes(m_root + "/" + name), qPrintable(name));
        QVERIFY(fileBytes(cfg.filesPath + "/zeros.bin").contains('\0'));
        QVERIFY(rec.console.contains("1 The file: zeros.bin was saved, OK"));
        QCOMPARE(rec.texts.last(), QString("Download files from FTP server:  3/3"));
    }

    void existingFileUntouched()
    {
        useServer(FtpTestServer::Plain);
        FtpTransfers transfers;
        Recorder rec(transfers);
        const DeviceCfg cfg = device();
        QVERIFY(writeFile(cfg.filesPath + "/a.csv", "mine"));
        QtCUrl curl;
        // Present counts as done: the run is complete.
        QVERIFY(transfers.downloadFTPFiles(&curl, cfg, {url("/a.csv"), url("/b.csv")}));
        QCOMPARE(fileBytes(cfg.filesPath + "/a.csv"), QByteArray("mine"));
        QCOMPARE(fileBytes(cfg.filesPath + "/b.csv"), fileBytes(m_root + "/b.csv"));
        QVERIFY(rec.console.contains("2 The file: a.csv was not saved, because file exist"));
        QCOMPARE(entries(cfg.filesPath), QStringList({"a.csv", "b.csv"}));
    }

    void serverNamesRefused()
    {
        useServer(FtpTestServer::Plain);
        FtpTransfers transfers;
        Recorder rec(transfers);
        const DeviceCfg cfg = device();
        QtCUrl curl;
        const QStringList urls = {url("/many/"), "ftp://127.0.0.1/nested/.", "ftp://127.0.0.1/nested/..",
                                  url("/b.csv")};
        QVERIFY(!transfers.downloadFTPFiles(&curl, cfg, urls));
        QCOMPARE(entries(cfg.filesPath), QStringList({"b.csv"}));
        QCOMPARE(QDir(cfg.filesPath).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 1);
    }

    void manyFilesInTwoBatches()
    {
        useServer(FtpTestServer::Plain);
        FtpTransfers transfers;
        Recorder rec(transfers);
        const DeviceCfg cfg = device();
        QStringList urls;
        for (int i = 0; i <= 200; ++i)
            urls << url(QString("/many/f%1.csv").arg(i, 3, 10, QLatin1Char('0')));
        QtCUrl curl;
        QVERIFY2(transfers.downloadFTPFiles(&curl, cfg, urls), qPrintable(rec.console.join('\n')));
        QCOMPARE(entries(cfg.filesPath).size(), 201);
        QCOMPARE(fileBytes(cfg.filesPath + "/f200.csv"), fileBytes(m_root + "/many/f200.csv"));
        QCOMPARE(rec.texts.at(200), QString("Download files from FTP server:  201/201"));
    }

    // A cancel during the fifth file: the files before it stay, no further
    // file or batch runs, and the run is not reported complete.
    void cancelMidBatch()
    {
        useServer(FtpTestServer::Plain);
        FtpTransfers transfers;
        Recorder rec(transfers);
        const DeviceCfg cfg = device();
        QStringList urls;
        for (int i = 0; i <= 200; ++i)
            urls << url(QString("/many/f%1.csv").arg(i, 3, 10, QLatin1Char('0')));
        int saved = 0;
        connect(
            &transfers, &FtpTransfers::fileSaved, &transfers,
            [&](const QString &) {
                if (++saved == 4)
                    transfers.cancelDownloadFTPFilesWorker();
            },
            Qt::DirectConnection);
        QtCUrl curl;
        QVERIFY(!transfers.downloadFTPFiles(&curl, cfg, urls));
        QCOMPARE(entries(cfg.filesPath).size(), 4);
        QVERIFY(rec.console.contains("2 Download operation was canceled"));
        QCOMPARE(rec.console.last(), QString("3 Operation was canceled"));
        QCOMPARE(rec.dialogs, QStringList({"Operation was canceled"}));
    }

    void failuresReported()
    {
        useServer(FtpTestServer::Plain);
        FtpTransfers transfers;
        Recorder rec(transfers);
        DeviceCfg cfg = device();
        QtCUrl curl;
        // A missing server file: the transfer's error.
        QVERIFY(!transfers.downloadFTPFiles(&curl, cfg, {url("/missing.csv"), url("/b.csv")}));
        QVERIFY(rec.dialogs.last().startsWith("Error: "));
        QVERIFY(entries(cfg.filesPath).isEmpty());
        // A local folder that cannot be written.
        cfg.filesPath = m_dir.filePath("not-there");
        QVERIFY(!transfers.downloadFTPFiles(&curl, cfg, {url("/b.csv"), url("/a.csv")}));
        QCOMPARE(rec.dialogs.last(), QString("Error writing to the file. Download was break!!!"));
        QVERIFY(!QFileInfo::exists(cfg.filesPath));
    }

    void deleteAfterConfirmation_data() { addModes(); }
    void deleteAfterConfirmation()
    {
        QFETCH(int, mode);
        useServer(mode);
        const QString trash = m_root + "/trash";
        for (const char *name : {"x.csv", "y.csv", "z.csv"})
            QVERIFY(writeFile(trash + "/" + name, "gone"));
        FtpTransfers transfers;
        Recorder rec(transfers);
        const DeviceCfg cfg = device();
        const QStringList urls = {url("/trash/x.csv"), url("/trash/z.csv")};

        m_prompts->calls.clear();
        m_prompts->messageAnswers.enqueue(QMessageBox::No);
        QVERIFY(!transfers.deleteFTPFiles(cfg, urls));
        QCOMPARE(m_prompts->calls.last().text, QString("Delete 2 file(s) on the server?"));
        QCOMPARE(QDir(trash).entryList(QDir::Files).size(), 3);

        m_prompts->messageAnswers.enqueue(QMessageBox::Yes);
        QVERIFY2(transfers.deleteFTPFiles(cfg, urls), qPrintable(rec.console.join('\n')));
        QCOMPARE(QDir(trash).entryList(QDir::Files), QStringList({"y.csv"}));
        QCOMPARE(rec.console.last(), QString("1 The file: z.csv was deleted, OK"));

        // A refused command fails the delete.
        m_prompts->messageAnswers.enqueue(QMessageBox::Yes);
        QVERIFY(!transfers.deleteFTPFiles(cfg, {url("/trash/x.csv")}));
        QVERIFY(rec.dialogs.last().startsWith("Error: "));
        QFile::remove(trash + "/y.csv");
    }
};

QUORLOG_TEST_MAIN(TestFtpTransfers)
#include "tst_ftptransfers.moc"
