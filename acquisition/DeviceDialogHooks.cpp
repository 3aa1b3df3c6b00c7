#include "acquisition/DeviceDialogHooks.h"

#include "app/Framework.h"

#include <QCoreApplication>

namespace deviceDialogHooks {

namespace {

EditDialog &editDialog()
{
    static EditDialog dialog;
    return dialog;
}

ImportDialog &importDialog()
{
    static ImportDialog dialog;
    return dialog;
}

void reportMissing(const char *text)
{
    if (g_framework)
        emit g_framework->consoleMessage(QCoreApplication::translate("DataFilterPage", text), 2);
}

} // namespace

void setEditDialog(EditDialog dialog)
{
    editDialog() = std::move(dialog);
}

void setImportDialog(ImportDialog dialog)
{
    importDialog() = std::move(dialog);
}

bool runEditDialog(const EditRequest &request, QWidget *parent)
{
    if (!editDialog()) {
        reportMissing(QT_TRANSLATE_NOOP("DataFilterPage", "The device edit dialog is not available in this version."));
        return false;
    }
    return editDialog()(request, parent);
}

int runImportDialog(char sourceMode, const DeviceCfg &device, QWidget *parent)
{
    if (!importDialog()) {
        reportMissing(QT_TRANSLATE_NOOP("DataFilterPage", "The data import dialog is not available in this version."));
        return sourceMode == 1 ? ServerTreeFailed : int(QDialog::Rejected);
    }
    return importDialog()(sourceMode, device, parent);
}

} // namespace deviceDialogHooks
