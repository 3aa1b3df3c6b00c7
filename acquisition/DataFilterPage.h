#pragma once
#include "database/ArchiveManager.h"
#include "database/DeviceCfg.h"
#include "database/FiltersCfg.h"

#include <QFuture>
#include <QItemSelection>
#include <QMap>
#include <QPersistentModelIndex>
#include <QStringList>
#include <QWidget>

#include <memory>

class QMessageBox;
class QueryInterrupt;
class QStandardItem;
class QStandardItemModel;

namespace Ui {
class DataFilterPage;
}

// Page 1 of the main window for an application database: the configured
// instruments as a tree with their checkable parameters, the period bounded
// by the database, the database info, the instrument actions, filter
// templates and Accept, which starts a filtered session.
class DataFilterPage : public QWidget
{
    Q_OBJECT
public:
    // What a tree row is, by its place in the tree.
    enum RowKind { NoRow, DeviceRow, GroupRow, PropertyRow, ParameterRow };

    explicit DataFilterPage(QWidget *parent = nullptr);
    ~DataFilterPage() override;

    void reloadDevices();
    void updateIcons();
    // Fills filters with the checked ids (tree order) and the period read as
    // UTC; false, after telling the user, when nothing is checked.
    bool hasSelectedParams(FiltersCfg &filters);
    static QString formatFileSize(qint64 bytes);
    // The record count with blanks between groups of three digits.
    static QString formatRecordCount(quint64 count);
    static RowKind rowKind(const QModelIndex &index);

    // Read by tests and the templates.
    QStandardItemModel *model() const { return deviceModel; }
    int currentId() const { return currentDeviceId; }
    RowKind currentKind() const { return currentRowKind; }
    const QMap<int, DeviceCfg> &deviceList() const { return devices; }
    Ui::DataFilterPage *form() const { return ui; }
    // Type of the first MoxB or MoxA instrument in id order, DEVICE_UNDEFINED
    // without one.
    avaibleDevices_t recorderFamily() const;

public slots:
    void listSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void deviceListItemChanged(QStandardItem *item);
    void on_addNewDeviceButton_clicked();
    void on_editDeviceButton_clicked();
    void on_removeDeviceButton_clicked();
    void on_importDataButton_clicked();
    void on_acceptButton_clicked();
    void showDeviceListContextMenu(const QPoint &pnt);
    void selectDeviceAllParams();
    void unselectDeviceAllParams();
    void setSelectedDeviceParamsState(bool checkAll);
    void showSelectedDeviceDetails();
    void downloadFTPFiles();
    void on_loadCfgTemplButton_clicked();
    void on_saveCfg2TemplButton_clicked();
    void on_downloadDataButton_clicked();
    void updateDeviceTree();
    void updateTimeConstrains();

private:
    // The instrument of the selected device, group or property row; null
    // without one (nothing selected, a parameter row, or gone since).
    const DeviceCfg *currentDevice() const;
    void setDeviceButtonsEnabled(bool enabled, bool download);
    // Buttons that are ever disabled keep room for their disabled look's text.
    void reserveDisabledTextWidths();
    void applyTemplate(const FiltersCfg &filters);
    void afterDialog();
    void markCalendars();
    void colourWeekendHeaders();
    // Counting the records reads every index entry, seconds on a large
    // database: it runs on the pool and the info label shows it when done.
    void startRecordCount(bool hasRecords);
    void stopRecordCounts();
    // A read-only connection of one count's own, to the application database.
    static QString registerCountConnection(const QString &file);
    void showRecordCount(int generation, qint64 count, const QString &error);
    // The instrument's record count for its details box, counted on the pool
    // like the database's; closing the box interrupts it.
    void startDeviceCount(QMessageBox *box, int deviceId, const ArchivePeriod &period);
    // The details box's text; count as it is shown.
    static QString detailsText(const QString &count, const ArchivePeriod &period);
    // The colours the tree and the calendars were last drawn in.
    QStringList themeColours() const;

    Ui::DataFilterPage *ui;
    QStandardItemModel *deviceModel;
    QMap<int, QString> protocolNames;
    QMap<int, DeviceCfg> devices;
    int currentDeviceId;
    RowKind currentRowKind = NoRow;
    QPersistentModelIndex selectedIndex;
    QStringList drawnColours;
    QString drawnFile; // the database file the tree was built from
    ArchivePeriod lastPeriod;
    int recordCountGeneration = 0; // a later refresh outdates a running count
    // Counts still running, and what interrupts the newest (the older ones
    // are interrupted already). Each reads through a read-only connection of
    // its own, so none needs the page or the session's connection: the page
    // waits for them no longer than a moment when it goes.
    QList<QFuture<void>> recordCounts;
    std::shared_ptr<QueryInterrupt> recordCountStop;
};
