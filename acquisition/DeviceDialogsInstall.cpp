#include "acquisition/DeviceDialogsInstall.h"

// The page reaches the dialogs through its hooks, which tests replace.
#include "acquisition/DeviceDialogHooks.h"
#include "acquisition/ftpTreeModel.h"
#include "acquisition/DataImportDialog.h"
#include "acquisition/DeviceEditDialog.h"
#include "common/Prompts.h"

void installDeviceDialogs()
{
    deviceDialogHooks::setEditDialog([](const deviceDialogHooks::EditRequest &request, QWidget *parent) {
        auto *dialog = new DeviceEditDialog(DeviceEditDialog::EditType(int(request.editType)),
                                            request.moxbDeviceExists, request.moxaDeviceExists, request.deviceCount,
                                            parent);
        if (request.editType == deviceDialogHooks::EditDevice) {
            const DeviceCfg &d = request.device;
            dialog->setDeviceData(d.id, d.name, int(d.type), d.filesPath, d.onlineCfgEnable, d.addresIP,
                                  d.protocolType, d.user, d.pass);
        }
        const bool accepted = Prompts::instance().exec(dialog) == QDialog::Accepted;
        dialog->deleteLater();
        return accepted;
    });
    deviceDialogHooks::setImportDialog([](char sourceMode, const DeviceCfg &device, QWidget *parent) {
        auto *dialog = new DataImportDialog(sourceMode, device, parent);
        int result = deviceDialogHooks::ServerTreeFailed;
        // A server that could not be read leaves nothing to do in the dialog.
        if (sourceMode != 1 || (dialog->ftpModel() && dialog->ftpModel()->isLoaded()))
            result = Prompts::instance().exec(dialog);
        dialog->deleteLater();
        return result;
    });
}
