#include "acquisition/ftpTreeModel.h"

#include "acquisition/FtpListing.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/ProgressDialog.h"
#include "common/Trace.h"

#include <QFileIconProvider>
#include <QFutureWatcher>
#include <QTextCodec>
#include <QtConcurrent>

#include <memory>

ftpTreeModel::ftpTreeModel(QObject *parent)
    : QAbstractItemModel(parent)
{
    rootItem = new ftpTreeItem(tr("Actual folder: Root directory"), tr("Date"), nullptr);
    rootItem->path = g_ftpRootEntryName;
    currentFolder = rootItem;
    curl = new QtCUrl();
    TRACE() << "Function Name: " << "ftpTreeModel::ftpTreeModel(QObject*)";
    if (g_framework && g_framework->mainWindow) {
        MainWindow *window = g_framework->mainWindow.data();
        connect(this, SIGNAL(dialogMessage(QString, QString, int)), window, SLOT(showMsgBox(QString, QString, int)));
        connect(this, SIGNAL(consoleMessage(QString, int)), window, SLOT(addConsoleMessage(QString, int)));
    }
}

ftpTreeModel::~ftpTreeModel()
{
    delete curl;
    delete rootItem;
}

void ftpTreeModel::cleanupCurl()
{
    if (curl)
        curl->cleanup();
}

bool ftpTreeModel::isDirectoryLine(const QString &line)
{
    return line.startsWith(QLatin1Char('d'));
}

void ftpTreeModel::cancelDataDownload()
{
    canceled.storeRelaxed(1);
    QtCUrl::abortTransfer.store(1, std::memory_order_relaxed);
}

ftpTreeItem *ftpTreeModel::getItem(const QModelIndex &index) const
{
    if (!index.isValid())
        return nullptr;
    return static_cast<ftpTreeItem *>(index.internalPointer());
}

QModelIndex ftpTreeModel::indexOfItem(ftpTreeItem *item) const
{
    if (!item || item == rootItem || item->row() < 0)
        return QModelIndex();
    return createIndex(item->row(), 0, item);
}

// ---- reading

bool ftpTreeModel::loadFilesTree(const FtpAccess &access, ftpTreeItem *folder)
{
    if (!curl) {
        emit consoleMessage(tr("Error init FTP engine"), 3);
        return false;
    }
    loaded = readFilesTree(access, folder);
    return true;
}

bool ftpTreeModel::readFilesTree(const FtpAccess &access, ftpTreeItem *folder)
{
    canceled.storeRelaxed(0);
    // Only folders are read; a file entry's path is its URL.
    if (!folder || (folder != rootItem && !folder->isDir))
        return false;
    // "/" leads back to the top folder, and a folder is read once.
    if (folder->getName() == g_ftpRootEntryName || folder->childCount() > 0)
        return true;

    // The worker fills a detached copy of the folder; the entries join the
    // tree here, on the model's thread, with the row notifications a view
    // relies on.
    auto staging = std::make_unique<ftpTreeItem>(folder->getName(), folder->getDate(), nullptr);
    staging->path = folder->path;
    staging->isDir = true;
    ftpTreeItem *stagingItem = staging.get();

    QWidget *window = (g_framework && g_framework->mainWindow) ? g_framework->mainWindow.data() : nullptr;
    auto *progress = new ProgressDialog(0, tr("Read files tree from FTP server: "), window, true);
    connect(progress, SIGNAL(canceled()), this, SLOT(cancelDataDownload()));
    connect(this, SIGNAL(progressValueChanged(int)), progress, SLOT(update(int)));
    QFutureWatcher<void> watcher;
    connect(&watcher, SIGNAL(finished()), progress, SLOT(deleteLater()));

    QFuture<void> task = QtConcurrent::run([this, access, stagingItem]() { readFolder(access, stagingItem); });
    watcher.setFuture(task);
    progress->exec();
    task.waitForFinished();

    const QList<ftpTreeItem *> entries = staging->takeChildren();
    if (!entries.isEmpty()) {
        beginInsertRows(indexOfItem(folder), 0, entries.size() - 1);
        folder->adoptChildren(entries);
        endInsertRows();
    }
    return canceled.loadRelaxed() == 0;
}

void ftpTreeModel::readFolder(const FtpAccess &access, ftpTreeItem *staging)
{
    // A cancel before the transfer starts would be cleared by the transfer.
    if (canceled.loadRelaxed())
        return;
    // The path ends in "/", so the transfer lists the folder.
    const QUrl url = ftpaccess::url(access.addresIP, staging->path);
    if (!getDirectoryListing(access, url)) {
        canceled.storeRelaxed(1);
        return;
    }
    if (!addListingEntries(staging, listing, access.addresIP, &canceled)) {
        const QString msg = tr("Operation was canceled");
        emit consoleMessage(msg, 3);
        emit dialogMessage(msg, QString(""), 3);
    }
}

bool ftpTreeModel::addListingEntries(ftpTreeItem *folder, const QString &listing, const QString &address,
                                     const QAtomicInteger<int> *canceled)
{
    const QStringList lines = ftplisting::splitLines(listing);
    const int depth = folder->path.count(QLatin1Char('/'));
    if (depth >= 2) {
        auto *top = new ftpTreeItem(g_ftpRootEntryName, QString(), folder);
        top->isDir = true;
        top->path = g_ftpRootEntryName;
        folder->appendChild(top);
    }
    if (depth > 2) {
        auto *up = new ftpTreeItem(g_ftpParentEntryName, QString(), folder);
        up->isDir = true;
        up->path = g_ftpRootEntryName;
        folder->appendChild(up);
    }
    for (const QString &line : lines) {
        if (canceled && canceled->loadRelaxed())
            return false;
        const ftplisting::Entry entry = ftplisting::parseLine(line);
        if (!entry.valid)
            continue;
        auto *item = new ftpTreeItem(entry.name, entry.date, folder);
        if (entry.isDir) {
            item->path = folder->path + entry.name + QLatin1Char('/');
            item->isDir = true;
        } else {
            item->path = ftpaccess::urlText(address, folder->path + entry.name);
            item->isDir = false;
        }
        folder->appendChild(item);
    }
    return true;
}

bool ftpTreeModel::getDirectoryListing(const FtpAccess &access, const QUrl &url)
{
    QtCUrl::globalInit();
    curl->setTextCodec(ftpaccess::CodecName);
    options.insert(CURLOPT_URL, url);
    ftpaccess::setAccessOptions(options, access);
    if (access.protocolType != 1) {
        // The table is kept between listings; the TLS entries of an earlier
        // FTPS listing must not linger in a plain one.
        options.insert(CURLOPT_USE_SSL, int(CURLUSESSL_NONE));
    }

    const QByteArray body = curl->exec(options, false);
    QTextCodec *codec = QTextCodec::codecForName(ftpaccess::CodecName);
    listing = codec ? codec->toUnicode(body) : QString::fromLatin1(body);

    if (curl->lastCode != CURLE_OK) {
        const QString msg = tr("Error: %1\nBuffer: %2")
                                .arg(QString::fromUtf8(curl_easy_strerror(curl->lastCode)),
                                     QString::fromUtf8(curl->errorBuffer));
        TRACE() << msg;
        // A failure, shown as one (red), not as plain news.
        emit consoleMessage(msg, 3);
        return false;
    }
    return true;
}

// ---- model

QModelIndex ftpTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    ftpTreeItem *parentItem = parent.isValid() ? getItem(parent) : rootItem;
    ftpTreeItem *childItem = parentItem ? parentItem->child(row) : nullptr;
    if (!childItem)
        return QModelIndex();
    return createIndex(row, column, childItem);
}

QModelIndex ftpTreeModel::parent(const QModelIndex &index) const
{
    if (!index.isValid())
        return QModelIndex();
    ftpTreeItem *item = getItem(index);
    ftpTreeItem *parentItem = item ? item->parentItem() : nullptr;
    if (!parentItem || parentItem == rootItem)
        return QModelIndex();
    return createIndex(parentItem->row(), 0, parentItem);
}

int ftpTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    ftpTreeItem *item = parent.isValid() ? getItem(parent) : rootItem;
    return item ? item->childCount() : 0;
}

int ftpTreeModel::columnCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent);
    return 2;
}

bool ftpTreeModel::hasChildren(const QModelIndex &parent) const
{
    // Only the folder on show is offered for expansion: deeper folders are
    // opened by the dialog, which re-roots its view.
    ftpTreeItem *item = parent.isValid() ? getItem(parent) : rootItem;
    if (parent.isValid() && item != currentFolder)
        return false;
    return item && item->childCount() > 0;
}

QVariant ftpTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const ftpTreeItem *item = getItem(index);
    switch (role) {
    case Qt::DisplayRole:
        return item->data(index.column());
    case Qt::DecorationRole: {
        static QFileIconProvider provider;
        return provider.icon(item->isDir ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    case PathRole:
        return item->path;
    case IsDirRole:
        return item->isDir;
    default:
        return QVariant();
    }
}

QVariant ftpTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return rootItem->data(section);
    return QVariant();
}

Qt::ItemFlags ftpTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return QAbstractItemModel::flags(index);
}
