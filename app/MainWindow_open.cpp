// The main window's commands that choose a file and hand it to the session:
// open an instrument's archive, open or create an application database, open
// a built-in example, and load a MoxB settings file after its data file.
#include "app/ApplicationDatabaseCheck.h"
#include "app/DeviceSelectDialog.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "app/MoxBSourceDataSelectorDialog.h"
#include "app/SourceDataSelectorDialog.h"
#include "app/SourceTypeFile.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "common/Trace.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>

namespace {

const char *const settingsPrefix = "settings.MoxBArch";
const int moxBSettingsKind = 4;

bool isSettingsFileName(const QString &path)
{
    return QFileInfo(path).fileName().startsWith(QLatin1String(settingsPrefix), Qt::CaseInsensitive);
}

// Runs one of the kind dialogs; its kind only when it was accepted.
template <typename Dialog>
int askSourceKind(QWidget *parent)
{
    QPointer<Dialog> dialog = new Dialog(parent);
    const int result = Prompts::instance().exec(dialog);
    int kind = 0;
    if (dialog) {
        kind = result == QDialog::Accepted ? dialog->selectedSourceTypeFile : 0;
        dialog->deleteLater();
    }
    return kind;
}

bool sameFile(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() ? canonicalA == QFileInfo(b).canonicalFilePath()
                                 : QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

void MainWindow::fillFileFilters()
{
    // Entry 0 of each map is never used.
    zelCFileFilters = {{0, QString()},
                       {ZelC_DATA_FILE, QStringLiteral("(*.ZelCArch)")},
                       {ZelC_AUDIT_FILE, QStringLiteral("(*audit*.csv)")},
                       {ZelC_DEEP_SWELL_FILE, QStringLiteral("(dipswell*.csv)")},
                       {ZelC_ALARM_FILE, QStringLiteral("(*alarm*.csv)")}};
    zelDFileFilters = zelCFileFilters;
    zelDFileFilters[ZelC_DATA_FILE] = QStringLiteral("(*.ZelDArch)");
    zelDXFileFilters = zelCFileFilters;
    zelDXFileFilters[ZelC_DATA_FILE] = QStringLiteral("(*.ZelD*Arch*)");
    moxBFileFilters = {{0, QString()},
                       {1, tr("Data files (*.MoxBArch*)")},
                       {2, tr("Audit files (*audit.log*)")},
                       {3, tr("Alarm files (*alarm.log*)")},
                       {moxBSettingsKind, tr("Settings files (*settings.MoxBArch*)")}};
}

void MainWindow::setOpenFileHandler(OpenFileHandler handler)
{
    openFileHandler = std::move(handler);
}

void MainWindow::openFile(const QString &path, avaibleDevices_t device, int sourceType,
                          const QStringList &furtherFiles)
{
    if (openFileHandler)
        openFileHandler(path, device, sourceType, furtherFiles);
    else
        g_framework->openFile(path, device, sourceType, furtherFiles);
}

void MainWindow::warnInvalidFile(const QString &text)
{
    Prompts::instance().message(this, QMessageBox::Warning, tr("Invalid file"), text, QMessageBox::Ok);
}

int MainWindow::moxBSourceType(int kind, const QString &path)
{
    if (kind < 1 || kind > moxBSettingsKind)
        return SINGLE_KIND_FILE;
    // Each kind comes first as SQLite file, then as CSV file. Any other
    // suffix has no reader: passing the kind's own number would hand the
    // file to another kind's reader.
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("sqlite3"), Qt::CaseInsensitive) == 0)
        return 2 * kind - 1;
    if (suffix.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return 2 * kind;
    return SINGLE_KIND_FILE;
}

avaibleDevices_t MainWindow::chooseDevice(bool examplesOnly)
{
    QPointer<DeviceSelectDialog> dialog = new DeviceSelectDialog(this);
    if (examplesOnly)
        dialog->enableExampleDevices();
    const avaibleDevices_t device = dialog->selectDevice();
    if (dialog)
        dialog->deleteLater();
    // Choosing a type ends the current session at once.
    if (device != DEVICE_UNDEFINED)
        on_actionClosedata_triggered();
    return device;
}

void MainWindow::on_openDeviceButton_clicked()
{
    const avaibleDevices_t device = chooseDevice(false);
    if (device != DEVICE_UNDEFINED)
        LoadData(device);
}

void MainWindow::on_actionOpendata_triggered()
{
    on_openDeviceButton_clicked();
}

void MainWindow::on_openDatabaseButton_clicked()
{
    LoadData(INTERNAL_DB);
}

void MainWindow::LoadData(avaibleDevices_t selectedDevice)
{
    TRACE() << "MainWindow::LoadData selectedDevice" << int(selectedDevice);

    QString fileFilter;
    int sourceType = SINGLE_KIND_FILE;
    switch (selectedDevice) {
    case ZelC:
    case ZelD:
    case ZelDX: {
        sourceType = askSourceKind<SourceDataSelectorDialog>(this);
        if (sourceType == 0)
            return;
        const QMap<int, QString> &filters = selectedDevice == ZelC  ? zelCFileFilters
                                            : selectedDevice == ZelD ? zelDFileFilters
                                                                     : zelDXFileFilters;
        fileFilter = filters.value(sourceType);
        break;
    }
    case MoxB:
        sourceType = askSourceKind<MoxBSourceDataSelectorDialog>(this);
        TRACE() << "selectedSourceTypeFile: " << sourceType;
        if (sourceType == 0)
            return;
        fileFilter = moxBFileFilters.value(sourceType);
        TRACE() << "MainWindow::LoadData fileFilter " << fileFilter;
        break;
    default:
        fileFilter = AvailableDevices::getFileMaskByType(selectedDevice);
        break;
    }

    // The same type starts at its last file, another type in that file's folder.
    const int lastFileType = settings->value(QStringLiteral("lastFileType"), 0).toInt();
    const QString lastFilePath = settings->value(QStringLiteral("lastFilePath"), QString()).toString();
    QString startPath = lastFilePath;
    if (lastFileType != int(selectedDevice) && !lastFilePath.isEmpty())
        startPath = QFileInfo(lastFilePath).absolutePath();

    Prompts &prompts = Prompts::instance();
    QString path = prompts.getOpenFileName(this, tr("Select file"), startPath, fileFilter);
    if (selectedDevice == MoxB && sourceType == 1) {
        while (!path.isEmpty() && isSettingsFileName(path)) {
            warnInvalidFile(tr("The selected file '%1' is a settings file and cannot be opened as a data file.")
                                .arg(QFileInfo(path).fileName()));
            path = prompts.getOpenFileName(this, tr("Select file"), startPath, fileFilter);
        }
    }
    if (path.isEmpty())
        return;

    int moxBType = SINGLE_KIND_FILE;
    if (selectedDevice == MoxB) {
        moxBType = moxBSourceType(sourceType, path);
        if (moxBType == SINGLE_KIND_FILE) {
            warnInvalidFile(tr("The selected file '%1' is neither a SQLite (.sqlite3) nor a CSV (.csv) file.")
                                .arg(QFileInfo(path).fileName()));
            return;
        }
    }

    if (selectedDevice == INTERNAL_DB) {
        // Checked before the open session is closed: a refused file costs
        // the user nothing, and the file itself is only read.
        const DatabaseFileKind kind = checkApplicationDatabaseFile(path);
        if (kind != DatabaseFileKind::Application) {
            showMsgBox(applicationDatabaseRefusal(kind, path), tr("Open database"), QMessageBox::Warning);
            return;
        }
    }

    settings->setValue(QStringLiteral("lastFileType"), int(selectedDevice));
    settings->setValue(QStringLiteral("lastFilePath"), path);

    if (g_framework->getSessionInfo().isOpen)
        on_actionClosedata_triggered();

    if (selectedDevice == Brena) {
        QStringList configFiles;
        const QString text = tr("Do you want to choose config files?");
        const QString informative = tr("You can select configuration files to make view more readable. "
                                       "(File mbd_m_rs.xml is required, units.xml is optional)");
        const QMessageBox::StandardButton answer =
            prompts.message(nullptr, QMessageBox::Question, QString(), text + QStringLiteral("\n\n") + informative,
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            const QString startDir = settings->value(QStringLiteral("lastBrenaConfigDir")).toString();
            configFiles =
                prompts.getOpenFileNames(this, QString(), startDir, QStringLiteral("(MBD_M_RS.XML UNITS.XML)"));
            if (!configFiles.isEmpty())
                settings->setValue(QStringLiteral("lastBrenaConfigDir"),
                                   QFileInfo(configFiles.first()).absolutePath());
        }
        openFile(path, Brena, SINGLE_KIND_FILE, configFiles);
        return;
    }
    if (selectedDevice == MoxB) {
        g_framework->closeMoxBDataConnection();
        openFile(path, MoxB, moxBType, QStringList());
        return;
    }
    openFile(path, selectedDevice, sourceType, QStringList());
}

void MainWindow::on_newDatabaseButton_clicked()
{
    const QStringList configFolders = QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation);
    const QString folder =
        (configFolders.isEmpty() ? QString() : configFolders.first()) + QStringLiteral("/internalDB");
    QDir().mkpath(folder);

    Prompts &prompts = Prompts::instance();
    // The program asks about an existing file itself: the dialog must not
    // ask as well.
    const QString path = prompts.getSaveFileName(this, tr("Enter new Database name"),
                                                 folder + QStringLiteral("/Quorlog_db.qdb"),
                                                 tr("Quorlog Database (*.qdb)"), nullptr,
                                                 QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)) {
        const QMessageBox::StandardButton answer =
            prompts.message(this, QMessageBox::Question, QString(),
                            tr("File already exists. Do you want to overwrite it?"), QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        // Only a session on the very file being replaced has to end first;
        // any other stays open until the new file exists.
        const Framework::SessionInfo session = g_framework->getSessionInfo();
        if (session.isOpen && (sameFile(session.fileName, path)
                               || sameFile(g_framework->dataDatabase.path(), path)))
            on_actionClosedata_triggered();
    }

    if (!ArchiveManager::createDatabase(path)) {
        showMsgBox(tr("Unable to create file."), QString(), QMessageBox::Warning);
        return;
    }
    settings->setValue(QStringLiteral("lastFilePath"), path);
    on_actionClosedata_triggered();
    openFile(path, INTERNAL_DB, SINGLE_KIND_FILE, QStringList());
}

void MainWindow::on_actionNewdatabase_triggered()
{
    on_newDatabaseButton_clicked();
}

void MainWindow::on_actionExamples_triggered()
{
    const avaibleDevices_t device = chooseDevice(true);
    if (device != DEVICE_UNDEFINED)
        loadExample(device);
}

void MainWindow::loadExample(avaibleDevices_t device)
{
    const QString name = deviceTypeName(device);
    if (name == QLatin1String("None"))
        return;
    const QDir folder(QLatin1String(DeviceSelectDialog::examplesFolder) + name + QLatin1Char('/'));
    const QStringList files = folder.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    if (files.isEmpty()) {
        qWarning() << "No example archive for device type" << int(device);
        return;
    }
    const QString path = folder.filePath(files.first());
    if (device == MoxB)
        g_framework->loadingExample = true; // no settings-file offer for the example
    openFile(path, device, exampleSourceType(device), QStringList());
}

int MainWindow::askUploadSettingFile()
{
    return Prompts::instance().message(this, QMessageBox::Question, tr("Upload Setting File"),
                                       tr("Do you want to upload a setting file?"),
                                       QMessageBox::Yes | QMessageBox::No);
}

void MainWindow::onDataFileLoaded()
{
    if (g_framework->loadingExample) {
        g_framework->loadingExample = false;
        return;
    }
    if (askUploadSettingFile() != QMessageBox::Yes)
        return;

    const QString fileFilter = moxBFileFilters.value(moxBSettingsKind);
    TRACE() << "MainWindow::LoadData fileFilter" << fileFilter;
    const QString path = Prompts::instance().getOpenFileName(
        this, tr("Select file"), settings->value(QStringLiteral("lastFilePath"), QString()).toString(), fileFilter);
    const QString fileName = QFileInfo(path).fileName();
    if (path.isEmpty() || !isSettingsFileName(path)) {
        warnInvalidFile(tr("The selected file '%1' is not a settings file!!!").arg(fileName));
        return;
    }
    const int sourceType = moxBSourceType(moxBSettingsKind, path);
    if (sourceType == SINGLE_KIND_FILE) {
        warnInvalidFile(tr("The selected file '%1' is neither a SQLite (.sqlite3) nor a CSV (.csv) file.").arg(fileName));
        return;
    }
    settings->setValue(QStringLiteral("lastFileType"), int(MoxB));
    settings->setValue(QStringLiteral("lastFilePath"), path);
    // Loaded into the session of its data file: nothing is closed.
    openFile(path, MoxB, sourceType, QStringList());
}
