#include "app/DeviceSelectDialog.h"

#include "common/Prompts.h"
#include "common/Trace.h"
#include "ui_DeviceSelectDialog.h"

#include <QDir>

const char *const DeviceSelectDialog::examplesFolder = ":/examples/_resources/examples/";

namespace {

// Folder name of each model's example, the button that answers to it and
// the type it returns. "QuilBIoT" is written without the blank of its label.
struct ModelButton
{
    const char *folder;
    const char *button;
    avaibleDevices_t type;
};

const ModelButton modelRows[] = {
    {"ZelDX", "ZelDX_button", ZelDX},       {"ZelD", "ZelD_button", ZelD},
    {"ZelC", "ZelC_button", ZelC},          {"ZelB", "ZelB_button", ZelB},
    {"Vanta", "Vanta_button", Vanta},       {"Ostra", "Ostra_button", Ostra},
    {"ZelA", "ZelA_button", ZelA},          {"QuilA", "QuilAbutton", QuilA},
    {"QuilBIoT", "QuilBIoT_button", QuilBIoT}, {"QuilC", "QuilC_button", QuilC},
    {"Brena", "Brenabutton", Brena},        {"MoxA", "MoxA_button", MoxA},
    {"MoxB", "MoxB_button", MoxB},          {"WexB", "WexB_button", WexB},
    {"WexA", "WexA_button", WexA},          {"WexC", "WexC_button", WexC},
    {"WexD", "WexD_button", WexD},          {"Ravel", "Ravel_button", Ravel},
};

} // namespace

DeviceSelectDialog::DeviceSelectDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::DeviceSelectDialog)
    , selectedDevice(DEVICE_UNDEFINED)
{
    TRACE_FUNC();
    ui->setupUi(this);
    selectedDevice = DEVICE_UNDEFINED;
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

DeviceSelectDialog::~DeviceSelectDialog()
{
    delete ui;
}

avaibleDevices_t DeviceSelectDialog::selectDevice()
{
    // The dialog's own result says nothing: only a button press sets a type.
    Prompts::instance().exec(this);
    return static_cast<avaibleDevices_t>(selectedDevice);
}

QList<QToolButton *> DeviceSelectDialog::modelButtons() const
{
    QList<QToolButton *> buttons;
    for (const ModelButton &row : modelRows)
        if (QToolButton *button = findChild<QToolButton *>(QLatin1String(row.button)))
            buttons << button;
    return buttons;
}

QToolButton *DeviceSelectDialog::buttonOf(avaibleDevices_t type) const
{
    for (const ModelButton &row : modelRows)
        if (row.type == type)
            return findChild<QToolButton *>(QLatin1String(row.button));
    return nullptr;
}

void DeviceSelectDialog::disableAllButtons()
{
    const QList<QToolButton *> buttons = modelButtons();
    for (QToolButton *button : buttons)
        button->setEnabled(false);
}

void DeviceSelectDialog::enableButtonForFolder(const QString &folderName)
{
    for (const ModelButton &row : modelRows) {
        if (folderName == QLatin1String(row.folder)) {
            if (QToolButton *button = findChild<QToolButton *>(QLatin1String(row.button)))
                button->setEnabled(true);
            return;
        }
    }
    TRACE() << "Wrong folder name";
}

void DeviceSelectDialog::enableExampleDevices()
{
    disableAllButtons();
    const QDir root{QString::fromLatin1(examplesFolder)};
    const QStringList folders = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &name : folders) {
        const QDir folder(QLatin1String(examplesFolder) + name + QLatin1Char('/'));
        if (!folder.entryList(QDir::Files, QDir::Unsorted).isEmpty())
            enableButtonForFolder(name);
    }
}

void DeviceSelectDialog::choose(avaibleDevices_t type)
{
    selectedDevice = type;
    close();
}

void DeviceSelectDialog::on_ZelDX_button_clicked() { choose(ZelDX); }
void DeviceSelectDialog::on_ZelD_button_clicked() { choose(ZelD); }
void DeviceSelectDialog::on_ZelC_button_clicked() { choose(ZelC); }
void DeviceSelectDialog::on_ZelB_button_clicked() { choose(ZelB); }
void DeviceSelectDialog::on_Brenabutton_clicked() { choose(Brena); }
void DeviceSelectDialog::on_Ostra_button_clicked() { choose(Ostra); }
void DeviceSelectDialog::on_WexA_button_clicked() { choose(WexA); }
void DeviceSelectDialog::on_QuilAbutton_clicked() { choose(QuilA); }
void DeviceSelectDialog::on_WexB_button_clicked() { choose(WexB); }
void DeviceSelectDialog::on_WexD_button_clicked() { choose(WexD); }
void DeviceSelectDialog::on_WexC_button_clicked() { choose(WexC); }
void DeviceSelectDialog::on_Vanta_button_clicked() { choose(Vanta); }
void DeviceSelectDialog::on_QuilBIoT_button_clicked() { choose(QuilBIoT); }
void DeviceSelectDialog::on_QuilC_button_clicked() { choose(QuilC); }
void DeviceSelectDialog::on_Ravel_button_clicked() { choose(Ravel); }
void DeviceSelectDialog::on_ZelA_button_clicked() { choose(ZelA); }
void DeviceSelectDialog::on_MoxA_button_clicked() { choose(MoxA); }
void DeviceSelectDialog::on_MoxB_button_clicked() { choose(MoxB); }
