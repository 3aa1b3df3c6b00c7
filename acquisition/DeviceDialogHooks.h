#pragma once
// Where the device list page opens the instrument edit dialog and the import
// dialog. The program installs the real dialogs at start; tests install their
// own. With none installed the page's buttons say so on the console and change
// nothing.
#include "database/DeviceCfg.h"

#include <QDialog>
#include <functional>

class QWidget;

namespace deviceDialogHooks {

enum EditType { AddDevice = 0, EditDevice = 1 };

struct EditRequest
{
    EditType editType = AddDevice;
    bool moxbDeviceExists = false;
    bool moxaDeviceExists = false;
    int deviceCount = 0;
    DeviceCfg device; // the instrument to edit; empty for add
};

// Runs the edit dialog modally with the page as parent; true when it was
// accepted (the dialog has written the instrument).
using EditDialog = std::function<bool(const EditRequest &request, QWidget *parent)>;

// Import dialog results besides QDialog::Accepted and QDialog::Rejected.
constexpr int ServerTreeFailed = -1;
// Runs the import dialog modally (source mode 0 local folder, 1 file server).
using ImportDialog = std::function<int(char sourceMode, const DeviceCfg &device, QWidget *parent)>;

void setEditDialog(EditDialog dialog);
void setImportDialog(ImportDialog dialog);

bool runEditDialog(const EditRequest &request, QWidget *parent);
int runImportDialog(char sourceMode, const DeviceCfg &device, QWidget *parent);

} // namespace deviceDialogHooks
