#include "acquisition/DeviceEditDialog.h"

#include "app/Framework.h"
#include "common/Prompts.h"
#include "common/Trace.h"
#include "ui_DeviceEditDialog.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QPushButton>
#include <QRegExpValidator>
#include <QSettings>
#include <QStandardItemModel>
#include <QStyle>

namespace {
constexpr int SftpItem = 2;
const char *LastBrenaConfigDirKey = "lastBrenaConfigDir";
} // namespace

DeviceEditDialog::DeviceEditDialog(EditType editType, bool moxbDeviceExists, bool moxaDeviceExists, int deviceCount,
                                   QWidget *parent)
    : QDialog(parent)
    , ui(new Ui_DeviceEditDialog)
    , editType(editType)
    , moxbDeviceExists(moxbDeviceExists)
    , moxaDeviceExists(moxaDeviceExists)
    , deviceCount(deviceCount)
{
    ui->setupUi(this);
    TRACE_FUNC();
    deviceId = 0;
    setWindowFlags((Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    ui->lineEditIP->setPlaceholderText(QStringLiteral("192.168.1.1"));
    if (editType == EditDevice) {
        setWindowTitle(tr("Editing device"));
        ui->deviceType->setEnabled(false);
    } else {
        setWindowTitle(tr("Adding new device"));
    }
    ui->label_8->hide();

    // SFTP access does not exist: a device saved with it would silently get
    // plain FTP and send its password in clear.
    if (auto *items = qobject_cast<QStandardItemModel *>(ui->comboBoxProtocol->model()))
        if (QStandardItem *sftp = items->item(SftpItem))
            sftp->setEnabled(false);

    fillDeviceTypes();
    fitProtocolNames();

    const QString octet = QStringLiteral("([0-9]|[1-9]\\d{1}|1\\d{0,2}|2[0-4][0-9]|25[0-5])");
    const QString dot = QStringLiteral("\\.");
    QRegExp ipPattern(octet + dot + octet + dot + octet + dot + octet, Qt::CaseSensitive, QRegExp::RegExp);
    ipValidator = new QRegExpValidator(ipPattern, this);
    ui->lineEditIP->setValidator(ipValidator);
}

void DeviceEditDialog::fitProtocolNames()
{
    // The protocol names are long in some languages; the form stands at a
    // fixed place, so the dialog widens by what the names need beyond it.
    ui->comboBoxProtocol->setMinimumWidth(ui->comboBoxProtocol->sizeHint().width());
    const int grow = ui->formLayoutWidget->minimumSizeHint().width() - ui->formLayoutWidget->width();
    if (grow <= 0)
        return;
    ui->formLayoutWidget->resize(ui->formLayoutWidget->width() + grow, ui->formLayoutWidget->height());
    ui->label_8->move(ui->label_8->x() + grow / 2, ui->label_8->y());
    resize(width() + grow, height());
}

DeviceEditDialog::~DeviceEditDialog()
{
    delete ui;
}

void DeviceEditDialog::fillDeviceTypes()
{
    deviceTypeNames = AvailableDevices::getDeviceNames();
    ui->deviceType->addItems(deviceTypeNames);
    TRACE() << "ui->deviceType: " << ui->deviceType->currentIndex();
    setSaveAllowed(!(deviceCount > 0 && (moxbDeviceExists || moxaDeviceExists)));
}

bool DeviceEditDialog::saveAllowedFor(const QString &typeName) const
{
    if (deviceCount <= 0)
        return true;
    if (typeName == AvailableDevices::getDeviceName(MoxB))
        return moxbDeviceExists;
    if (typeName == AvailableDevices::getDeviceName(MoxA))
        return moxaDeviceExists;
    return !moxbDeviceExists && !moxaDeviceExists;
}

void DeviceEditDialog::setSaveAllowed(bool allowed)
{
    QPushButton *save = ui->buttonBox->button(QDialogButtonBox::Save);
    if (allowed) {
        ui->label_8->hide();
    } else {
        ui->label_8->setText(tr("This device cannot be added\n because of incompatible files in the database."));
        ui->label_8->setStyleSheet(QStringLiteral("color: red;"));
        ui->label_8->show();
    }
    if (!save)
        return;
    save->setEnabled(allowed);
    save->setProperty("grayed", !allowed);
    save->style()->unpolish(save);
    save->style()->polish(save);
}

void DeviceEditDialog::on_deviceType_currentIndexChanged(int index)
{
    setSaveAllowed(saveAllowedFor(deviceTypeNames.value(index)));
}

void DeviceEditDialog::on_onlineEnableConfig_clicked(bool checked)
{
    ui->lineEditIP->setEnabled(checked);
    ui->comboBoxProtocol->setEnabled(checked);
    ui->lineEditUser->setEnabled(checked);
    ui->lineEditPass->setEnabled(checked);
}

void DeviceEditDialog::setDeviceData(int id, const QString &name, int type, const QString &filesPath,
                                     bool onlineEnabled, const QString &ipAddress, int protocolType,
                                     const QString &user, const QString &password)
{
    deviceId = id;
    ui->deviceName->setText(name);
    ui->localFilePath->setText(filesPath);
    ui->onlineEnableConfig->setChecked(onlineEnabled);
    ui->lineEditIP->setText(ipAddress);
    ui->comboBoxProtocol->setCurrentIndex(protocolType == 1 ? 1 : 0);
    ui->lineEditUser->setText(user);
    keptPassword = password;
    ui->lineEditPass->setText(password);
    ui->lineEditPass->setEchoMode(QLineEdit::Password);
    if (ui->onlineEnableConfig->isChecked())
        on_onlineEnableConfig_clicked(true);
    ui->deviceType->setCurrentIndex(type < 0 ? 0 : AvailableDevices::getDeviceIndex(avaibleDevices_t(type)));
}

void DeviceEditDialog::on_pushButtonBrowse_clicked()
{
    const QString folder = Prompts::instance().getExistingDirectory(nullptr, QString(), QString(),
                                                                    QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        ui->localFilePath->setText(folder);
}

void DeviceEditDialog::inform(const QString &text)
{
    Prompts::instance().message(nullptr, QMessageBox::Information, QString(), text);
}

void DeviceEditDialog::on_buttonBox_accepted()
{
    if (ui->deviceName->text().isEmpty()) {
        inform(tr("Please enter device name."));
        return;
    }
    const bool online = ui->onlineEnableConfig->isChecked();
    if (online) {
        const QString path = ui->localFilePath->text();
        if (path.isEmpty()) {
            inform(tr("Path to local files is empty."));
            return;
        }
        if (path.size() > 500) {
            inform(tr("Path to long!."));
            return;
        }
        QString ip = ui->lineEditIP->text();
        int pos = 0;
        QHostAddress address;
        if (ipValidator->validate(ip, pos) != QValidator::Acceptable || !address.setAddress(ip)) {
            inform(tr("Invalid IP address."));
            return;
        }
        if (ui->lineEditUser->text().isEmpty()) {
            inform(tr("User name not exits."));
            return;
        }
        if (ui->lineEditPass->text().isEmpty() && keptPassword.isEmpty()) {
            inform(tr("Password empty."));
            return;
        }
    }
    if (ui->comboBoxProtocol->currentIndex() == SftpItem) {
        inform(tr("SFTP is not supported. Please choose FTP or FTPS."));
        return;
    }

    const QString name = ui->deviceName->text();
    const avaibleDevices_t type = AvailableDevices::getDeviceTypeByIndex(ui->deviceType->currentIndex());
    const QString filesPath = ui->localFilePath->text();
    const QString ipAddress = ui->lineEditIP->text();
    const int protocolType = ui->comboBoxProtocol->currentIndex() == 1 ? 1 : 0;
    const QString user = ui->lineEditUser->text();
    QString password = ui->lineEditPass->text();
    if (editType == EditDevice && password.isEmpty())
        password = keptPassword;
    if (!g_framework)
        return;
    ArchiveManager &archive = g_framework->archiveManager;

    bool saved = false;
    if (editType == EditDevice)
        saved = archive.editDevice(deviceId, name, type, filesPath, online, ipAddress, protocolType, user,
                                   password);
    else if (type == Brena)
        saved = addBrena(name, filesPath, online, ipAddress, protocolType, user, password);
    else
        saved = archive.addDevice(name, type, filesPath, online, ipAddress, protocolType, user, password, {});
    if (saved)
        accept();
}

bool DeviceEditDialog::addBrena(const QString &name, const QString &filesPath, bool onlineEnabled,
                                const QString &ipAddress, int protocolType, const QString &user,
                                const QString &password)
{
    const QString question = tr("Please choose Brena's configuration files.") + QStringLiteral("\n\n")
                             + tr("File mbd_m_rs.xml is required, units.xml is optional");
    if (Prompts::instance().message(nullptr, QMessageBox::Information, QString(), question,
                                    QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
        != QMessageBox::Ok)
        return false;

    QSettings settings(g_framework->configFilePath, QSettings::IniFormat);
    QString folder;
    if (settings.contains(QLatin1String(LastBrenaConfigDirKey)))
        folder = settings.value(QLatin1String(LastBrenaConfigDirKey)).toString();
    const QStringList configFiles = Prompts::instance().getOpenFileNames(
        this, QString(), folder, QStringLiteral("(MBD_M_RS.XML UNITS.XML)"));
    if (configFiles.isEmpty())
        return false;
    settings.setValue(QLatin1String(LastBrenaConfigDirKey), QFileInfo(configFiles.first()).absolutePath());
    settings.sync();
    return g_framework->archiveManager.addDevice(name, Brena, filesPath, onlineEnabled, ipAddress, protocolType,
                                                 user, password, configFiles);
}

void DeviceEditDialog::on_buttonBox_rejected()
{
    reject();
}
