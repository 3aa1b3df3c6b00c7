#pragma once
// Adds an instrument to the open application database or edits one. Keeps the
// recorder families apart: a database holds MoxB recorders only, MoxA
// recorders only, or instruments of the other types only.
#include "app/AvailableDevices.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QRegExpValidator;
class Ui_DeviceEditDialog;

class DeviceEditDialog : public QDialog
{
    Q_OBJECT
public:
    enum EditType { AddDevice = 0, EditDevice = 1 };

    DeviceEditDialog(EditType editType, bool moxbDeviceExists, bool moxaDeviceExists, int deviceCount,
                     QWidget *parent = nullptr);
    ~DeviceEditDialog() override;

    void setDeviceData(int id, const QString &name, int type, const QString &filesPath, bool onlineEnabled,
                       const QString &ipAddress, int protocolType, const QString &user, const QString &password);

    // The form, for the page's theme and for tests.
    Ui_DeviceEditDialog *form() const { return ui; }

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();
    void on_pushButtonBrowse_clicked();
    void on_onlineEnableConfig_clicked(bool checked);
    void on_deviceType_currentIndexChanged(int index);

private:
    void fillDeviceTypes();
    void fitProtocolNames();
    void setSaveAllowed(bool allowed);
    bool saveAllowedFor(const QString &typeName) const;
    void inform(const QString &text);
    bool addBrena(const QString &name, const QString &filesPath, bool onlineEnabled, const QString &ipAddress,
                  int protocolType, const QString &user, const QString &password);

    Ui_DeviceEditDialog *ui;
    QRegExpValidator *ipValidator = nullptr;
    EditType editType;
    QStringList deviceTypeNames;
    int deviceId = 0;
    // The password the edited device has; an emptied field keeps it.
    QString keptPassword;
    bool moxbDeviceExists;
    bool moxaDeviceExists;
    int deviceCount;
};
