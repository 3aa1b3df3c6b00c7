#pragma once
// The tree of an instrument's file server, read one folder at a time (a LIST
// transfer on a worker, behind a cancellable progress window) and kept, so
// that moving into a folder, back to its parent or to the top never reads a
// folder twice. Column 0 is the name, column 1 the date text; user role gives
// the entry's path (a folder's server path, a file's full URL), user role + 1
// whether it is a folder.
#include "acquisition/FtpAccess.h"
#include "acquisition/QtCUrl.h"
#include "acquisition/ftpTreeItem.h"

#include <QAbstractItemModel>
#include <QAtomicInteger>

class ftpTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    static constexpr int PathRole = Qt::UserRole;
    static constexpr int IsDirRole = Qt::UserRole + 1;

    explicit ftpTreeModel(QObject *parent = nullptr);
    ~ftpTreeModel() override;

    // Reads the server folder of that item (unless it is "/" or was read
    // before) and adds its entries below it. False only without a transfer
    // object; the outcome of the read is isLoaded().
    bool loadFilesTree(const FtpAccess &access, ftpTreeItem *folder);
    // The same from an instrument record (address, protocol type, user, password).
    template <class Cfg>
    bool loadFilesTree(const Cfg &cfg, ftpTreeItem *folder)
    {
        return loadFilesTree(FtpAccess::of(cfg), folder);
    }
    // True when the last load ended without cancel and without a failed listing.
    bool isLoaded() const { return loaded; }

    ftpTreeItem *getRootItem() const { return rootItem; }
    ftpTreeItem *getItem(const QModelIndex &index) const;
    // The index of an item in column 0 (invalid for the root item).
    QModelIndex indexOfItem(ftpTreeItem *item) const;
    QtCUrl *getCurl() const { return curl; }
    void cleanupCurl();
    ftpTreeItem *getCurrentFolder() const { return currentFolder; }
    void setCurrentFolder(ftpTreeItem *folder) { currentFolder = folder; }
    // The body of the last listing transfer, decoded.
    QString getListing() const { return listing; }

    static bool isDirectoryLine(const QString &line);

    // Adds the entries of one listing below a folder that has none yet:
    // "/" (below the top folder) and ".." (two levels down or more), then one
    // entry per named line. Stops before the next line once canceled is set
    // and returns false then. address builds the files' URLs.
    static bool addListingEntries(ftpTreeItem *folder, const QString &listing, const QString &address,
                                  const QAtomicInteger<int> *canceled = nullptr);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void progressValueChanged(int value);
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString msg, int icon = 0);

public slots:
    void cancelDataDownload();

private:
    bool readFilesTree(const FtpAccess &access, ftpTreeItem *folder);
    // Worker: reads the folder whose path staging carries into staging.
    void readFolder(const FtpAccess &access, ftpTreeItem *staging);
    bool getDirectoryListing(const FtpAccess &access, const QUrl &url);

    ftpTreeItem *currentFolder = nullptr;
    bool loaded = false;
    ftpTreeItem *rootItem = nullptr;
    QtCUrl *curl = nullptr;
    QtCUrl::Options options;
    QString listing;
    QAtomicInteger<int> canceled{0};
};
