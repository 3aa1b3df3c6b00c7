#pragma once
// Downloads of an instrument's server files into its local folder and their
// deletion on the server, each on the thread pool behind a modal progress
// window. Used by the import dialog in its file-server mode.
//
// A download never leaves a partial file under a real name and never
// replaces a local file: each file is written to a temporary file in the same
// folder and published under its name only when complete, and only when that
// name is still free.
#include "acquisition/QtCUrl.h"
#include "database/DeviceCfg.h"

#include <QAtomicInteger>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QStringList>

class ProgressDialog;

class FtpTransfers : public QObject
{
    Q_OBJECT
public:
    static constexpr int BatchSize = 200;

    explicit FtpTransfers(QObject *parent = nullptr);

    // Downloads the files (full URLs) into cfg.filesPath in batches of
    // BatchSize, one progress window per batch. True exactly when every file
    // was saved or was already present; false after a cancel, a failure or
    // an empty selection.
    bool downloadFTPFiles(QtCUrl *curl, const DeviceCfg &cfg, const QStringList &files);
    // One batch [range[0], range[1]) behind one progress window.
    void startDownload(QtCUrl *curl, const DeviceCfg &cfg, const QStringList &files, int *range);
    // Asks Yes/No with the number of files, then deletes them on the server in
    // one transfer. True when the server accepted every command; an answer
    // No counts as a cancel (isCanceled()).
    bool deleteFTPFiles(const DeviceCfg &cfg, const QStringList &files);

    // The tasks (pool threads).
    void downloadFTPFilesWorker(QtCUrl *curl, DeviceCfg cfg, QStringList files, QPointer<ProgressDialog> progress,
                                int *range);
    void downloadProgressMonitor();
    void deleteFTPFilesWorker(QtCUrl *curl, DeviceCfg cfg, QStringList files);

    // [first, last) of each batch for n files.
    static QList<QPair<int, int>> batches(int n);
    // A server name that may become a local file name.
    static bool isUsableFileName(const QString &name);

    bool isCanceled() const { return m_cancelFlag.loadRelaxed() != 0; }

signals:
    void progressValueChanged(int value);
    void TextChanged(QString text);
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString msg, int icon = 0);
    // A file was published in the local folder (pool thread).
    void fileSaved(QString name);

public slots:
    void cancelDownloadFTPFilesWorker();
    void cancelDeleteFTPFilesWorker();

private:
    void reportError(const QString &msg);
    QString transferError(const QtCUrl *curl) const;
    // Writes data into folder/name through a temporary file; 1 saved,
    // 0 name already taken, -1 write failure.
    static int publish(const QString &folder, const QString &name, const QByteArray &data);

    QAtomicInteger<char> m_cancelFlag{0};
    QAtomicInteger<char> m_monitorStopFlag{0};
    QAtomicInteger<int> m_completed{0}; // files saved or already present
    QAtomicInteger<char> m_deleteOk{0};
};
