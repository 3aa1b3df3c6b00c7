#pragma once
// Modal choice of an instrument model from picture buttons, grouped by
// family; also picks one of the built-in example archives.
#include "app/AvailableDevices.h"

#include <QDialog>
#include <QString>

namespace Ui {
class DeviceSelectDialog;
}
class QToolButton;

class DeviceSelectDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DeviceSelectDialog(QWidget *parent = nullptr);
    ~DeviceSelectDialog() override;

    // Runs the dialog; the chosen type, or DEVICE_UNDEFINED when the window
    // was closed without a choice.
    avaibleDevices_t selectDevice();
    // Leaves only the models that have a built-in example enabled.
    void enableExampleDevices();
    // Enables the button of the model named like an example folder.
    void enableButtonForFolder(const QString &folderName);
    void disableAllButtons();

    // The button that answers with a type, for tests and callers that need
    // the widget itself; null for a type without a button.
    QToolButton *buttonOf(avaibleDevices_t type) const;
    int chosenDeviceType() const { return selectedDevice; }

    static const char *const examplesFolder;

private slots:
    void on_ZelDX_button_clicked();
    void on_ZelD_button_clicked();
    void on_ZelC_button_clicked();
    void on_ZelB_button_clicked();
    void on_Brenabutton_clicked();
    void on_Ostra_button_clicked();
    void on_WexA_button_clicked();
    void on_QuilAbutton_clicked();
    void on_WexB_button_clicked();
    void on_WexD_button_clicked();
    void on_WexC_button_clicked();
    void on_Vanta_button_clicked();
    void on_QuilBIoT_button_clicked();
    void on_QuilC_button_clicked();
    void on_Ravel_button_clicked();
    void on_ZelA_button_clicked();
    void on_MoxA_button_clicked();
    void on_MoxB_button_clicked();

private:
    void choose(avaibleDevices_t type);
    QList<QToolButton *> modelButtons() const;

    Ui::DeviceSelectDialog *ui;
    int selectedDevice;
};
