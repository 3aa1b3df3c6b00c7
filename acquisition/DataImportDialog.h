#pragma once
// Brings archive files of one instrument into the application database:
// from local folders (mode 0), or from the instrument's file server (mode 1),
// whose files are first downloaded into the instrument's local folder and
// then imported from there like local files.
#include "database/DeviceCfg.h"

#include <QDialog>
#include <QItemSelection>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <functional>

class FtpTransfers;
class ProgressDialog;
class QFileSystemModel;
class QSplitter;
class QtCUrl;
class Ui_DataImportDialog;
class ftpTreeModel;

// Sort proxy of the local folder tree: by the display text.
class MySortFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
};

class DataImportDialog : public QDialog
{
    Q_OBJECT
public:
    // Imports one file; the default is Framework::importData.
    using Importer = std::function<bool(const QString &path, const QString &counterText)>;

    DataImportDialog(char sourceMode, const DeviceCfg &cfg, QWidget *parent = nullptr);
    ~DataImportDialog() override;

    Ui_DataImportDialog *form() const { return ui; }
    QFileSystemModel *filesModel() const { return m_filesModel; }
    ftpTreeModel *ftpModel() const { return m_ftpModel; }
    QStringList selectedFtpFiles() const { return m_selectedFtpFiles; }
    QString currentPath() const { return m_currentPath; }
    FtpTransfers *transfers() const { return m_transfers; }
    void setImporter(Importer importer) { m_importer = std::move(importer); }

signals:
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);
    void TextChanged(QString text);

public slots:
    void on_dirTreeView_clicked(QModelIndex index);
    void fileViewSelectionChanged(QItemSelection selected, QItemSelection deselected);
    void fileViewFTPSelectionChanged(QItemSelection selected, QItemSelection deselected);
    void on_dirTreeView_doubleClicked(QModelIndex index);
    void on_importButton_clicked();
    void showFtpFilesListContextMenu(QPoint pnt);
    bool downloadFTPFiles();
    bool deleteFTPFiles();
    void cancelDeleteFTPFilesWorker();
    void cancelDownloadFTPFilesWorker();
    void on_closeButton_clicked();
    void on_downloadtButton_clicked();
    void on_filesTreeView_clicked(QModelIndex index);
    void synchronizeSplitters(int pos, int index);
    void applySynchronization(QSplitter *senderSplitter);

private:
    void setupViews();
    // Shows m_ftpModel in the left tree.
    void showFtpTree();
    bool fileExists(const QString &path) const;

    Ui_DataImportDialog *ui;
    char m_sourceMode;
    DeviceCfg m_deviceCfg;
    QString m_currentPath;
    QFileSystemModel *m_dirModel = nullptr;
    MySortFilterProxyModel *m_proxyModel = nullptr;
    QFileSystemModel *m_filesModel = nullptr;
    ftpTreeModel *m_ftpModel = nullptr;
    QStringList m_selectedFtpFiles;
    // Cancel and monitor flags of the transfers live with them.
    FtpTransfers *m_transfers = nullptr;
    QString m_actualFolderText;
    QString m_rootDirectoryText;
    Importer m_importer;
};
