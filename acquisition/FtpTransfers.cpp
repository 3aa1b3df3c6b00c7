#include "acquisition/FtpTransfers.h"

#include "acquisition/FtpAccess.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/ProgressDialog.h"
#include "common/Prompts.h"
#include "common/Trace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTemporaryFile>
#include <QThread>
#include <QtConcurrent>

#include <cerrno>
#include <unistd.h>

namespace {

// The texts belong to the import dialog, whose transfers these are.
QString dtr(const char *text)
{
    return QCoreApplication::translate("DataImportDialog", text);
}

QWidget *mainWindow()
{
    return (g_framework && g_framework->mainWindow) ? g_framework->mainWindow.data() : nullptr;
}

void fillOptions(QtCUrl::Options &options, const DeviceCfg &cfg)
{
    ftpaccess::setAccessOptions(options, FtpAccess::of(cfg));
}

} // namespace

FtpTransfers::FtpTransfers(QObject *parent)
    : QObject(parent)
{
}

QList<QPair<int, int>> FtpTransfers::batches(int n)
{
    QList<QPair<int, int>> out;
    for (int first = 0; first < n; first += BatchSize)
        out << qMakePair(first, qMin(first + BatchSize, n));
    return out;
}

bool FtpTransfers::isUsableFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

void FtpTransfers::reportError(const QString &msg)
{
    emit consoleMessage(msg, 3);
    emit dialogMessage(msg, QString(""), 3);
}

QString FtpTransfers::transferError(const QtCUrl *curl) const
{
    if (m_cancelFlag.loadRelaxed())
        return dtr("Operation was canceled");
    return dtr("Error: %1\nBuffer: %2")
        .arg(QString::fromUtf8(curl_easy_strerror(curl->lastCode)),
             QString::fromUtf8(curl->errorBuffer ? curl->errorBuffer : ""));
}

// ---- download

bool FtpTransfers::downloadFTPFiles(QtCUrl *curl, const DeviceCfg &cfg, const QStringList &files)
{
    if (files.isEmpty())
        return false;
    m_cancelFlag.storeRelaxed(0);
    m_completed.storeRelaxed(0);
    // An empty folder would put the files at the top of the file system.
    if (cfg.filesPath.isEmpty()) {
        reportError(dtr("The local folder of the device is not set. Files cannot be downloaded."));
        return false;
    }
    for (const QPair<int, int> &batch : batches(files.size())) {
        if (!curl)
            return false;
        int range[2] = {batch.first, batch.second};
        startDownload(curl, cfg, files, range);
        if (m_cancelFlag.loadRelaxed())
            return false;
    }
    return m_completed.loadRelaxed() == files.size();
}

void FtpTransfers::startDownload(QtCUrl *curl, const DeviceCfg &cfg, const QStringList &files, int *range)
{
    auto *progress = new ProgressDialog(0, dtr("Download files from FTP server "), mainWindow(), true);
    connect(progress, SIGNAL(canceled()), this, SLOT(cancelDownloadFTPFilesWorker()));
    connect(this, SIGNAL(progressValueChanged(int)), progress, SLOT(update(int)));
    connect(this, SIGNAL(TextChanged(QString)), progress, SLOT(updateText(QString)));
    QPointer<ProgressDialog> guard(progress);
    QFutureWatcher<void> watcher;
    connect(&watcher, SIGNAL(finished()), progress, SLOT(deleteLater()));
    QFuture<void> task = QtConcurrent::run(
        [this, curl, cfg, files, guard, range]() { downloadFTPFilesWorker(curl, cfg, files, guard, range); });
    watcher.setFuture(task);
    if (guard)
        guard->exec();
    task.waitForFinished();
}

void FtpTransfers::downloadFTPFilesWorker(QtCUrl *curl, DeviceCfg cfg, QStringList files,
                                          QPointer<ProgressDialog> progress, int *range)
{
    QtCUrl::Options options;
    fillOptions(options, cfg);
    ProgressDialog::postMaximum(progress, 100);
    emit progressValueChanged(0);
    if (!curl) {
        m_cancelFlag.storeRelaxed(1);
        return;
    }
    QtCUrl::globalInit();
    curl->setTextCodec(ftpaccess::CodecName);

    for (int i = range[0]; i < range[1]; ++i) {
        QtCUrl::transferDone.store(0, std::memory_order_relaxed);
        QtCUrl::abortTransfer.store(0, std::memory_order_relaxed);
        if (!m_cancelFlag.loadRelaxed())
            emit TextChanged(dtr("Download files from FTP server:  ") + QString::number(i + 1) + QLatin1Char('/')
                             + QString::number(files.count()));
        if (m_cancelFlag.loadRelaxed()) {
            reportError(dtr("Operation was canceled"));
            return;
        }
        const QString url = files.at(i);
        const QString name = ftpaccess::fileName(url);
        if (!isUsableFileName(name)) {
            emit consoleMessage(dtr("The file: ") + url + dtr(" was not saved, because its name is not valid"), 3);
            continue;
        }

        m_monitorStopFlag.storeRelaxed(0);
        emit progressValueChanged(0);
        QFuture<void> monitor = QtConcurrent::run([this]() { downloadProgressMonitor(); });
        options.insert(CURLOPT_URL, QUrl(url, QUrl::TolerantMode));
        const QByteArray data = curl->exec(options, false);
        m_monitorStopFlag.storeRelaxed(1);
        monitor.waitForFinished();
        emit progressValueChanged(99);

        if (curl->lastCode != CURLE_OK) {
            reportError(transferError(curl));
            return;
        }
        const int published = publish(cfg.filesPath, name, data);
        if (published == 0) {
            emit consoleMessage(dtr("The file: ") + name + dtr(" was not saved, because file exist"), 2);
            m_completed.fetchAndAddRelaxed(1);
            continue;
        }
        if (published < 0) {
            reportError(dtr("Error writing to the file. Download was break!!!"));
            m_cancelFlag.storeRelaxed(1);
            return;
        }
        m_completed.fetchAndAddRelaxed(1);
        emit consoleMessage(dtr("The file: ") + name + dtr(" was saved, OK"), 1);
        emit fileSaved(name);
    }
}

int FtpTransfers::publish(const QString &folder, const QString &name, const QByteArray &data)
{
    const QString target = folder + QLatin1Char('/') + name;
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return 0;
    QTemporaryFile temp(folder + QLatin1String("/.download-XXXXXX.part"));
    if (!temp.open())
        return -1;
    if (temp.write(data) != data.size() || !temp.flush() || ::fsync(temp.handle()) != 0)
        return -1;
    temp.close();
    // link() refuses an existing name, so a file that appeared meanwhile is
    // never replaced; the temporary name goes with the object.
    if (::link(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return errno == EEXIST ? 0 : -1;
    return 1;
}

void FtpTransfers::downloadProgressMonitor()
{
    auto stopped = [this]() {
        return QtCUrl::transferDone.load(std::memory_order_relaxed) == 1
               || QtCUrl::abortTransfer.load(std::memory_order_relaxed) == 1 || m_monitorStopFlag.loadRelaxed();
    };
    while (QtCUrl::dlTotal.load(std::memory_order_relaxed) == 0) {
        if (stopped())
            return;
        QThread::usleep(200);
    }
    float percent = 0;
    int step = 0;
    while (!stopped() && percent <= 100) {
        const double now = QtCUrl::dlNow.load(std::memory_order_relaxed);
        const double total = QtCUrl::dlTotal.load(std::memory_order_relaxed);
        if (now == 0 || total == 0) {
            QThread::usleep(200);
            continue;
        }
        percent = float(now * 100 / total);
        if (percent > step) {
            step += 10;
            if (!m_monitorStopFlag.loadRelaxed())
                emit progressValueChanged(int(percent - 1));
        }
        QThread::usleep(200);
    }
}

void FtpTransfers::cancelDownloadFTPFilesWorker()
{
    m_cancelFlag.storeRelaxed(1);
    m_monitorStopFlag.storeRelaxed(1);
    QtCUrl::abortTransfer.store(1, std::memory_order_relaxed);
    emit consoleMessage(dtr("Download operation was canceled"), 2);
}

// ---- delete

bool FtpTransfers::deleteFTPFiles(const DeviceCfg &cfg, const QStringList &files)
{
    if (files.isEmpty())
        return false;
    m_cancelFlag.storeRelaxed(0);
    m_deleteOk.storeRelaxed(0);
    const QString question = dtr("Delete %1 file(s) on the server?").arg(files.size());
    if (Prompts::instance().message(mainWindow(), QMessageBox::Question, QString(""), question,
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes) {
        // Declining is a cancel: the server was not touched, nothing to read again.
        m_cancelFlag.storeRelaxed(1);
        return false;
    }
    QtCUrl curl;

    auto *progress = new ProgressDialog(0, dtr("Delete files in FTP server: "), mainWindow(), true);
    connect(progress, SIGNAL(canceled()), this, SLOT(cancelDeleteFTPFilesWorker()));
    connect(this, SIGNAL(progressValueChanged(int)), progress, SLOT(update(int)));
    QPointer<ProgressDialog> guard(progress);
    QFutureWatcher<void> watcher;
    connect(&watcher, SIGNAL(finished()), progress, SLOT(deleteLater()));
    QFuture<void> task = QtConcurrent::run([this, &curl, cfg, files]() { deleteFTPFilesWorker(&curl, cfg, files); });
    watcher.setFuture(task);
    if (guard)
        guard->exec();
    task.waitForFinished();
    return !m_cancelFlag.loadRelaxed() && m_deleteOk.loadRelaxed();
}

void FtpTransfers::deleteFTPFilesWorker(QtCUrl *curl, DeviceCfg cfg, QStringList files)
{
    if (!curl) {
        m_cancelFlag.storeRelaxed(1);
        return;
    }
    QtCUrl::globalInit();
    curl->setTextCodec(ftpaccess::CodecName);
    QtCUrl::Options options;
    options.insert(CURLOPT_URL, ftpaccess::url(cfg.addresIP, QStringLiteral("/")));
    fillOptions(options, cfg);

    QString lastName;
    int commands = 0;
    for (const QString &url : files) {
        if (m_cancelFlag.loadRelaxed())
            break;
        const QString name = ftpaccess::fileName(url);
        if (!isUsableFileName(name)) {
            emit consoleMessage(dtr("The file: ") + url + dtr(" was not deleted, because its name is not valid"), 3);
            continue;
        }
        curl->addSlist(QByteArray("DELE " + ftpaccess::serverPathBytes(url)).constData());
        lastName = name;
        ++commands;
    }
    if (m_cancelFlag.loadRelaxed()) {
        curl->freeSlist();
        reportError(dtr("Operation was canceled"));
        return;
    }
    if (commands == 0)
        return;
    curl->exec(options, true);
    if (curl->lastCode == CURLE_OK) {
        emit consoleMessage(dtr("The file: ") + lastName + dtr(" was deleted, OK"), 1);
        m_deleteOk.storeRelaxed(commands == files.size() ? 1 : 0);
    } else {
        reportError(transferError(curl));
    }
    curl->freeSlist();
}

void FtpTransfers::cancelDeleteFTPFilesWorker()
{
    m_cancelFlag.storeRelaxed(1);
    QtCUrl::abortTransfer.store(1, std::memory_order_relaxed);
    emit consoleMessage(dtr("Delete operation was canceled"), 2);
}
