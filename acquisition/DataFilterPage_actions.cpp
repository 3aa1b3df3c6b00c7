// The device list page's actions: add, edit, remove, import, file server,
// details, Accept and the filter templates.
#include "acquisition/DataFilterPage.h"

#include "acquisition/DeviceDialogHooks.h"
#include "acquisition/FilterTemplate.h"
#include "acquisition/FiltersCfgSelectDialog.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "common/GuiCall.h"
#include "common/ProgressDialog.h"
#include "common/Prompts.h"
#include "common/QueryInterrupt.h"
#include "common/Trace.h"
#include "database/ApplicationDatabaseFile.h"
#include "ui_DataFilterPage.h"

#include <QMessageBox>
#include <QPointer>
#include <QStandardItemModel>
#include <QtConcurrent>

#include <memory>

namespace {

QWidget *mainWindow()
{
    return g_framework ? g_framework->mainWindow.data() : nullptr;
}

QString dateText(qint64 ms)
{
    if (ms == 0)
        return QStringLiteral("---");
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

avaibleDevices_t DataFilterPage::recorderFamily() const
{
    for (const DeviceCfg &device : devices) {
        TRACE() << "currentDevice name: " << int(device.type);
        if (device.type == MoxB || device.type == MoxA)
            return device.type;
    }
    return DEVICE_UNDEFINED;
}

void DataFilterPage::on_addNewDeviceButton_clicked()
{
    deviceDialogHooks::EditRequest request;
    request.editType = deviceDialogHooks::AddDevice;
    const avaibleDevices_t family = recorderFamily();
    request.moxbDeviceExists = family == MoxB;
    request.moxaDeviceExists = family == MoxA;
    request.deviceCount = devices.size();
    if (deviceDialogHooks::runEditDialog(request, this)) {
        ui->treeView->clearSelection();
        updateDeviceTree();
    }
}

void DataFilterPage::on_editDeviceButton_clicked()
{
    const DeviceCfg *device = currentDevice();
    if (!device)
        return;
    const int remembered = currentDeviceId;
    deviceDialogHooks::EditRequest request;
    request.editType = deviceDialogHooks::EditDevice;
    const avaibleDevices_t family = recorderFamily();
    request.moxbDeviceExists = family == MoxB;
    request.moxaDeviceExists = family == MoxA;
    request.deviceCount = devices.size();
    request.device = *device;
    if (deviceDialogHooks::runEditDialog(request, this)) {
        ui->treeView->clearSelection();
        updateDeviceTree();
        ui->editDeviceButton->setEnabled(false);
        ui->removeDeviceButton->setEnabled(false);
        ui->importDataButton->setEnabled(false);
        ui->downloadDataButton->setEnabled(false);
        currentDeviceId = -1;
    } else {
        currentDeviceId = remembered;
    }
}

void DataFilterPage::on_removeDeviceButton_clicked()
{
    const DeviceCfg *device = currentDevice();
    if (!device || !g_framework)
        return;
    const int id = currentDeviceId;
    const QMessageBox::StandardButton answer = Prompts::instance().message(
        mainWindow(), QMessageBox::Question, QString(),
        tr("Removal of the device will also delete its archived data! Continue?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    g_framework->archiveManager.removeDevice(id);
    ui->treeView->clearSelection();
    updateDeviceTree();
}

void DataFilterPage::afterDialog()
{
    ui->treeView->clearSelection();
    ui->acceptButton->setEnabled(false);
    updateDeviceTree();
}

void DataFilterPage::on_importDataButton_clicked()
{
    TRACE() << "DataFilterPage::on_importDataButton_clicked()";
    const DeviceCfg *current = currentDevice();
    if (!current) {
        // The instrument the buttons were enabled for is gone: nothing may
        // be written for an id that no longer exists.
        TRACE() << "No current device to import into";
        return;
    }
    const int id = currentDeviceId;
    const DeviceCfg device = *current;
    if (device.type != MoxB) {
        if (deviceDialogHooks::runImportDialog(0, device, this) == QDialog::Accepted)
            afterDialog();
        return;
    }
    if (deviceDialogHooks::runImportDialog(0, device, this) != QDialog::Accepted)
        return;
    if (g_framework)
        g_framework->clearTempDatabaseTables();
    MainWindow *window = g_framework ? g_framework->mainWindow.data() : nullptr;
    if (window && window->askUploadSettingFile() == QMessageBox::Yes) {
        devices[id].extraText = QStringLiteral("MoxBSettings");
        deviceDialogHooks::runImportDialog(0, devices.value(id), this);
        devices[id].extraText = QString(QLatin1String(""));
    }
    afterDialog();
}

void DataFilterPage::downloadFTPFiles()
{
    const DeviceCfg *current = currentDevice();
    if (!current) {
        TRACE() << "No current device to download for";
        return;
    }
    const int result = deviceDialogHooks::runImportDialog(1, *current, this);
    if (result == deviceDialogHooks::ServerTreeFailed)
        return;
    if (result == QDialog::Accepted)
        afterDialog();
}

void DataFilterPage::on_downloadDataButton_clicked()
{
    downloadFTPFiles();
}

void DataFilterPage::showSelectedDeviceDetails()
{
    const DeviceCfg *device = currentDevice();
    if (!device || !g_framework)
        return;
    // A file that went has no details to show; the session says why.
    bool gone = false;
    appdb::readConnection(QStringLiteral("Data_con"), &gone);
    if (gone)
        return;
    QPointer<ProgressDialog> progress = new ProgressDialog(0, tr("loading information..."), mainWindow(), true);
    progress->show();
    // The first and last record from the indexes; the count, which reads
    // every row of the instrument, follows from the pool.
    const ArchivePeriod period = g_framework->archiveManager.getDevicePeriod(currentDeviceId);
    const QString text = detailsText(QStringLiteral("-"), period);
    if (progress) {
        progress->close();
        delete progress.data();
    }

    QMessageBox *box = new QMessageBox(QMessageBox::Information, tr("Device information"), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("deviceInformationBox"));
    box->setModal(false);
    connect(box, SIGNAL(finished(int)), box, SLOT(deleteLater()));
    box->show();
    startDeviceCount(box, currentDeviceId, period);
}

QString DataFilterPage::detailsText(const QString &count, const ArchivePeriod &period)
{
    QString text;
    text += QStringLiteral("<strong>") + tr("Data records:") + QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;</strong>")
            + count + QStringLiteral("<br />");
    text += QStringLiteral("<strong>") + tr("First record date:") + QStringLiteral("&nbsp;&nbsp;</strong>")
            + dateText(period.firstRecordDate) + QStringLiteral("<br />");
    text += QStringLiteral("<strong>") + tr("Last record date:") + QStringLiteral("&nbsp;&nbsp;</strong>")
            + dateText(period.lastRecordDate) + QStringLiteral("<br />");
    return text;
}

void DataFilterPage::startDeviceCount(QMessageBox *box, int deviceId, const ArchivePeriod &period)
{
    const QString file = Connections::filePath(QStringLiteral("Data_con"));
    if (file.isEmpty())
        return;
    const QString name = registerCountConnection(file);
    // The box closed, or gone with the page, or the session closed: nobody
    // waits for the count any more.
    const auto stop = std::make_shared<QueryInterrupt>(file);
    connect(box, &QObject::destroyed, [stop]() { stop->interrupt(); });
    QPointer<QMessageBox> target(box);
    QtConcurrent::run([target, name, stop, deviceId, period]() {
        QString error;
        qint64 count = -1;
        {
            Connections::TaskScope connections;
            count = ArchiveManager::countDeviceRecords(name, deviceId, &error, stop.get());
            Connections::remove(name);
        }
        callQueued(target, [count, error, period](QMessageBox *b) {
            if (count < 0) {
                if (g_framework && !error.isEmpty())
                    emit g_framework->consoleMessage(error, 2);
                return;
            }
            b->setText(detailsText(QString::number(count), period));
        });
    });
}

bool DataFilterPage::hasSelectedParams(FiltersCfg &filters)
{
    for (int row = 0; deviceModel && row < deviceModel->rowCount(); ++row) {
        const QStandardItem *group = deviceModel->item(row)->child(1);
        for (int i = 0; group && i < group->rowCount(); ++i) {
            const QStandardItem *item = group->child(i);
            bool ok = false;
            const int state = item->data(Qt::CheckStateRole).toInt(&ok);
            if (ok && state == Qt::Checked) {
                const int id = item->data(Qt::UserRole).toInt();
                filters.selectedParamId.append(id);
                TRACE() << id;
            }
        }
    }
    if (filters.selectedParamId.isEmpty()) {
        Prompts::instance().message(nullptr, QMessageBox::Information, QString(),
                                    tr("Please select at least one parameter."));
        return false;
    }
    const auto utcMs = [](const QDate &date, const QTime &time) {
        // Read as UTC whatever the local zone; the editors' milliseconds never count.
        return QDateTime(date, QTime(time.hour(), time.minute(), time.second()), Qt::UTC).toMSecsSinceEpoch();
    };
    filters.startDateTime = utcMs(ui->dateStart->date(), ui->timeStart->time());
    filters.endDateTime = utcMs(ui->dateEnd->date(), ui->timeEnd->time());
    return true;
}

void DataFilterPage::on_acceptButton_clicked()
{
    TRACE() << "DataFilterPage::on_acceptButton_clicked()";
    FiltersCfg filters;
    const avaibleDevices_t type = recorderFamily();
    if (hasSelectedParams(filters) && g_framework)
        g_framework->applyFilters(filters, type);
}

void DataFilterPage::on_saveCfg2TemplButton_clicked()
{
    FiltersCfg filters;
    if (!hasSelectedParams(filters))
        return;
    FiltersCfgSelectDialog dialog(filterTemplate::serialize(filters), mainWindow());
    Prompts::instance().exec(&dialog);
}

void DataFilterPage::on_loadCfgTemplButton_clicked()
{
    FiltersCfgSelectDialog dialog(mainWindow());
    if (Prompts::instance().exec(&dialog) != QDialog::Accepted)
        return;
    FiltersCfg filters;
    if (!filterTemplate::deserialize(dialog.blobs().value(dialog.selectedRow()), filters)) {
        TRACE() << "Deserialize error !!!!!!!!!!!!!!!";
        return;
    }
    applyTemplate(filters);
}

void DataFilterPage::applyTemplate(const FiltersCfg &filters)
{
    if (!deviceModel || deviceModel->rowCount() == 0)
        return;
    for (int row = 0; row < deviceModel->rowCount(); ++row) {
        QStandardItem *group = deviceModel->item(row)->child(1);
        for (int i = 0; group && i < group->rowCount(); ++i) {
            QStandardItem *item = group->child(i);
            const bool checked = filters.selectedParamId.contains(item->data(Qt::UserRole).toInt());
            deviceModel->blockSignals(true);
            item->setData(checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
            deviceModel->blockSignals(false);
        }
    }
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(filters.startDateTime, Qt::UTC);
    const QDateTime end = QDateTime::fromMSecsSinceEpoch(filters.endDateTime, Qt::UTC);
    ui->dateStart->setDate(start.date());
    ui->timeStart->setTime(start.time());
    ui->dateEnd->setDate(end.date());
    ui->timeEnd->setTime(end.time());
    // The states were set silently: the view and Accept learn of them here.
    ui->treeView->viewport()->update();
    deviceListItemChanged(nullptr);
}
