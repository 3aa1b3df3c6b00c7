#include "acquisition/DataImportDialog.h"

#include "acquisition/ftpTreeModel.h"
#include "app/Framework.h"
#include "acquisition/FtpTransfers.h"
#include "app/MainWindow.h"
#include "common/Trace.h"
#include "ui_DataImportDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>

bool MySortFilterProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    // The names are texts; an index without a model counts as empty.
    const QString a = left.model() ? left.model()->data(left, Qt::DisplayRole).toString() : QString();
    const QString b = right.model() ? right.model()->data(right, Qt::DisplayRole).toString() : QString();
    return a < b;
}

DataImportDialog::DataImportDialog(char sourceMode, const DeviceCfg &cfg, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui_DataImportDialog)
    , m_sourceMode(sourceMode)
    , m_deviceCfg(cfg)
    , m_transfers(new FtpTransfers(this))
    , m_actualFolderText(tr("Actual folder: "))
    , m_rootDirectoryText(tr("Root directory"))
{
    ui->setupUi(this);
    TRACE() << "Function Name: " << "DataImportDialog::DataImportDialog(char, const DeviceCfg&, QWidget*)";
    m_importer = [this](const QString &path, const QString &counterText) {
        return g_framework
               && g_framework->importData(path, counterText, m_deviceCfg.type, m_deviceCfg.id, m_deviceCfg.extraText);
    };

    // The transfers speak through the dialog's own signals.
    connect(m_transfers, &FtpTransfers::dialogMessage, this, &DataImportDialog::dialogMessage);
    connect(m_transfers, &FtpTransfers::consoleMessage, this, &DataImportDialog::consoleMessage);
    connect(m_transfers, &FtpTransfers::progressValueChanged, this, &DataImportDialog::progressValueChanged);
    connect(m_transfers, &FtpTransfers::TextChanged, this, &DataImportDialog::TextChanged);
    if (g_framework && g_framework->mainWindow) {
        MainWindow *window = g_framework->mainWindow.data();
        connect(this, SIGNAL(dialogMessage(QString, QString, int)), window, SLOT(showMsgBox(QString, QString, int)));
        connect(this, SIGNAL(consoleMessage(QString, int)), window, SLOT(addConsoleMessage(QString, int)));
    }

    connect(ui->treeSplitter, &QSplitter::splitterMoved, this, &DataImportDialog::synchronizeSplitters);
    connect(ui->labelSplitter, &QSplitter::splitterMoved, this, &DataImportDialog::synchronizeSplitters);
    ui->treeSplitter->setSizes({1, 1});
    applySynchronization(ui->treeSplitter);

    if (g_framework) {
        const QColor color(g_framework->additButtonColor1);
        ui->importButton->setIcon(Framework::createColoredIcon(
            QStringLiteral(":/newIcons/_resources/newIcons/importData.svg"), color, QSize()));
        ui->downloadtButton->setIcon(Framework::createColoredIcon(
            QStringLiteral(":/newIcons/_resources/newIcons/downloadData.svg"), color, QSize()));
        ui->closeButton->setIcon(
            Framework::createColoredIcon(QStringLiteral(":/newIcons/_resources/newIcons/close.svg"), color, QSize()));
    }
    ui->labelViewFolder->setText(m_sourceMode == 1 ? tr("FTP source") : tr("Local folders source"));
    setupViews();
}

DataImportDialog::~DataImportDialog()
{
    delete ui;
}

void DataImportDialog::setupViews()
{
    setWindowTitle(m_deviceCfg.name + QStringLiteral(" - ") + tr("Importing data"));
    ui->importButton->setEnabled(false);
    ui->downloadtButton->setEnabled(false);

    if (m_sourceMode == 1) {
        m_ftpModel = new ftpTreeModel(this);
        m_ftpModel->loadFilesTree(m_deviceCfg, m_ftpModel->getRootItem());
        if (!m_ftpModel->isLoaded())
            return;
        m_currentPath = m_deviceCfg.filesPath.isEmpty() ? QStringLiteral("/") : m_deviceCfg.filesPath;
        showFtpTree();
    } else {
        m_dirModel = new QFileSystemModel(this);
        m_dirModel->setRootPath(QStringLiteral("/"));
        m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
        m_proxyModel = new MySortFilterProxyModel(this);
        m_proxyModel->setSourceModel(m_dirModel);
        m_currentPath = m_deviceCfg.filesPath.isEmpty() ? QDir::currentPath() : m_deviceCfg.filesPath;
        ui->dirTreeView->setModel(m_proxyModel);
        for (int column = 1; column < m_proxyModel->columnCount(); ++column)
            ui->dirTreeView->hideColumn(column);
        ui->dirTreeView->setCurrentIndex(m_proxyModel->mapFromSource(m_dirModel->index(m_currentPath)));
        ui->dirTreeView->sortByColumn(0, Qt::AscendingOrder);
    }

    m_filesModel = new QFileSystemModel(this);
    m_filesModel->setRootPath(m_currentPath);
    m_filesModel->setFilter(QDir::Files | QDir::NoDotAndDotDot);
    const QString mask = m_deviceCfg.extraText == QLatin1String("MoxBSettings")
                             ? QStringLiteral("*settings.MoxBArch*")
                             : AvailableDevices::getFileMaskByType(m_deviceCfg.type);
    m_filesModel->setNameFilters({mask});
    ui->filesTreeView->setModel(m_filesModel);
    ui->filesTreeView->setRootIndex(m_filesModel->index(m_currentPath));
    ui->filesTreeView->header()->resizeSection(0, 330);
    ui->filesTreeView->sortByColumn(0, Qt::AscendingOrder);
    connect(ui->filesTreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DataImportDialog::fileViewSelectionChanged);

    ui->absolutPathLine->setText(m_currentPath);
    QTimer::singleShot(50, this, [this]() { applySynchronization(ui->treeSplitter); });
}

void DataImportDialog::showFtpTree()
{
    ui->dirTreeView->setModel(m_ftpModel);
    for (int column = 1; column < m_ftpModel->columnCount(); ++column)
        ui->dirTreeView->hideColumn(column);
    ui->dirTreeView->setSortingEnabled(false);
    ui->dirTreeView->header()->resizeSection(0, 400);
    ui->dirTreeView->header()->resizeSection(1, 30);
    ui->dirTreeView->sortByColumn(0, Qt::AscendingOrder);
    ui->dirTreeView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->dirTreeView, &QWidget::customContextMenuRequested, this,
            &DataImportDialog::showFtpFilesListContextMenu, Qt::UniqueConnection);
    connect(ui->dirTreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DataImportDialog::fileViewFTPSelectionChanged);
}

bool DataImportDialog::fileExists(const QString &path) const
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

void DataImportDialog::on_dirTreeView_clicked(QModelIndex index)
{
    if (m_sourceMode == 1 || !m_proxyModel)
        return;
    const QString path = m_dirModel->fileInfo(m_proxyModel->mapToSource(index)).absoluteFilePath();
    m_filesModel->setRootPath(path);
    ui->filesTreeView->setRootIndex(m_filesModel->index(path));
    ui->absolutPathLine->setText(path);
    ui->importButton->setEnabled(false);
}

void DataImportDialog::fileViewSelectionChanged(QItemSelection, QItemSelection)
{
    ui->importButton->setEnabled(ui->filesTreeView->selectionModel()->hasSelection());
    if (m_sourceMode == 1 && ui->dirTreeView->selectionModel())
        ui->dirTreeView->selectionModel()->clearSelection();
}

void DataImportDialog::on_filesTreeView_clicked(QModelIndex)
{
    if (m_sourceMode == 1 && ui->dirTreeView->selectionModel())
        ui->dirTreeView->selectionModel()->clearSelection();
}

void DataImportDialog::fileViewFTPSelectionChanged(QItemSelection selected, QItemSelection deselected)
{
    for (const QModelIndex &index : selected.indexes()) {
        if (index.data(ftpTreeModel::IsDirRole).toBool())
            continue;
        const QString url = index.data(ftpTreeModel::PathRole).toString();
        if (!m_selectedFtpFiles.contains(url))
            m_selectedFtpFiles << url;
    }
    for (const QModelIndex &index : deselected.indexes()) {
        if (!index.data(ftpTreeModel::IsDirRole).toBool())
            m_selectedFtpFiles.removeOne(index.data(ftpTreeModel::PathRole).toString());
    }
    ui->downloadtButton->setEnabled(!m_selectedFtpFiles.isEmpty());
}

void DataImportDialog::on_dirTreeView_doubleClicked(QModelIndex index)
{
    if (m_sourceMode != 1 || !m_ftpModel || !index.isValid())
        return;
    if (!index.data(ftpTreeModel::IsDirRole).toBool()) {
        downloadFTPFiles();
        return;
    }
    ftpTreeItem *item = m_ftpModel->getItem(index);
    const QString name = item ? item->getName() : QString();
    QModelIndex target = index;
    if (name == g_ftpRootEntryName) {
        QModelIndex top = index;
        while (top.parent().isValid())
            top = top.parent();
        target = top.parent();
    } else if (name == g_ftpParentEntryName) {
        target = index.parent().parent();
    }
    ftpTreeItem *folder = name == g_ftpParentEntryName
                              ? (target.isValid() ? m_ftpModel->getItem(target) : m_ftpModel->getRootItem())
                              : item;
    const QString heading = m_actualFolderText + (name == g_ftpRootEntryName ? m_rootDirectoryText : name);
    m_ftpModel->loadFilesTree(m_deviceCfg, folder);
    m_ftpModel->setCurrentFolder(folder);
    m_ftpModel->getRootItem()->setName(heading);
    ui->dirTreeView->setRootIndex(target);
    m_selectedFtpFiles.clear();
    ui->downloadtButton->setEnabled(false);
}

void DataImportDialog::on_importButton_clicked()
{
    const QModelIndexList rows = ui->filesTreeView->selectionModel()->selectedRows(0);
    const int count = rows.size();
    for (int i = 0; i < count; ++i) {
        const QString path = m_filesModel->fileInfo(rows.at(i)).absoluteFilePath();
        const QString counterText = tr("File ") + QString::number(i + 1) + QLatin1Char(' ') + tr("from")
                                    + QLatin1Char(' ') + QString::number(count);
        TRACE() << ", fileAbsPath: " << path << ", fileNumber: " << counterText
                << ", m_deviceCfg.type: " << int(m_deviceCfg.type) << ", m_deviceCfg.id: " << m_deviceCfg.id;
        // A Cancel that came after the file was stored whole stops the files
        // still to come all the same: that is what the user asked for.
        if (!m_importer(path, counterText) || (g_framework && g_framework->cancelFlag.loadAcquire() == 1))
            break;
    }
    accept();
}

void DataImportDialog::showFtpFilesListContextMenu(QPoint pnt)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QIcon(QStringLiteral(":/newIcons/_resources/newIcons/downloadData.svg")), tr("Download files"),
                    this, [this]() { downloadFTPFiles(); });
    menu->addAction(QIcon(QStringLiteral(":/newIcons/_resources/newIcons/trashIcon.svg")), tr("Delete files"), this,
                    [this]() { deleteFTPFiles(); });
    menu->popup(ui->dirTreeView->viewport()->mapToGlobal(pnt));
}

bool DataImportDialog::downloadFTPFiles()
{
    if (m_selectedFtpFiles.isEmpty() || !m_ftpModel)
        return false;
    const bool complete = m_transfers->downloadFTPFiles(m_ftpModel->getCurl(), m_deviceCfg, m_selectedFtpFiles);
    if (m_filesModel) {
        m_filesModel->setRootPath(m_currentPath);
        ui->filesTreeView->setRootIndex(m_filesModel->index(m_currentPath));
    }
    return complete;
}

bool DataImportDialog::deleteFTPFiles()
{
    if (m_selectedFtpFiles.isEmpty())
        return false;
    const bool deleted = m_transfers->deleteFTPFiles(m_deviceCfg, m_selectedFtpFiles);
    if (m_transfers->isCanceled() || !m_ftpModel)
        return false;
    // The server changed: read its tree afresh, down to the folder on show,
    // so the user stays where the files were.
    const QModelIndex shownIndex = ui->dirTreeView->rootIndex();
    const ftpTreeItem *shown = shownIndex.isValid() ? m_ftpModel->getItem(shownIndex) : m_ftpModel->getRootItem();
    const QString shownPath = shown ? shown->path : g_ftpRootEntryName;
    const QString heading = m_ftpModel->getRootItem()->getName();

    ftpTreeModel *old = m_ftpModel;
    QItemSelectionModel *oldSelection = ui->dirTreeView->selectionModel();
    m_ftpModel = new ftpTreeModel(this);
    m_selectedFtpFiles.clear();
    ui->downloadtButton->setEnabled(false);
    ftpTreeItem *folder = m_ftpModel->getRootItem();
    m_ftpModel->loadFilesTree(m_deviceCfg, folder);
    if (!m_ftpModel->isLoaded()) {
        ui->dirTreeView->setModel(nullptr);
        delete oldSelection;
        delete old;
        return false;
    }
    while (folder->path != shownPath) {
        ftpTreeItem *next = nullptr;
        for (int row = 0; row < folder->childCount() && !next; ++row) {
            ftpTreeItem *child = folder->child(row);
            // The "/" and ".." entries carry the top folder's path.
            if (child->isDir && child->path.size() > folder->path.size() && shownPath.startsWith(child->path))
                next = child;
        }
        if (!next)
            break;
        m_ftpModel->loadFilesTree(m_deviceCfg, next);
        if (!m_ftpModel->isLoaded())
            break;
        folder = next;
    }
    // A folder gone from the server (or unreadable) leaves the user in the
    // nearest one above it.
    if (folder->path == shownPath)
        m_ftpModel->getRootItem()->setName(heading);
    else if (folder != m_ftpModel->getRootItem())
        m_ftpModel->getRootItem()->setName(m_actualFolderText + folder->getName());
    m_ftpModel->setCurrentFolder(folder);
    showFtpTree();
    ui->dirTreeView->setRootIndex(m_ftpModel->indexOfItem(folder));
    delete oldSelection;
    delete old;
    return deleted;
}

void DataImportDialog::cancelDeleteFTPFilesWorker()
{
    m_transfers->cancelDeleteFTPFilesWorker();
}

void DataImportDialog::cancelDownloadFTPFilesWorker()
{
    m_transfers->cancelDownloadFTPFilesWorker();
}

void DataImportDialog::on_closeButton_clicked()
{
    reject();
}

void DataImportDialog::on_downloadtButton_clicked()
{
    if (!downloadFTPFiles())
        reject();
}

void DataImportDialog::synchronizeSplitters(int, int)
{
    auto *splitter = qobject_cast<QSplitter *>(sender());
    if (!splitter)
        return;
    if (splitter == ui->treeSplitter)
        ui->labelSplitter->setSizes(splitter->sizes());
    else
        ui->treeSplitter->setSizes(splitter->sizes());
}

void DataImportDialog::applySynchronization(QSplitter *senderSplitter)
{
    if (!senderSplitter)
        return;
    if (senderSplitter == ui->treeSplitter)
        ui->labelSplitter->setSizes(senderSplitter->sizes());
    else
        ui->treeSplitter->setSizes(senderSplitter->sizes());
}
