// Session lifecycle of Framework: wiring and dropping the session's models,
// closing the session and its connections, and the two session tasks'
// launchers on the thread pool.
#include "app/Framework.h"

#include "app/MainWindow.h"
#include "app/SessionModelKinds.h"
#include "common/TaskWindow.h"
#include "common/Connections.h"
#include "common/ProgressDialog.h"
#include "common/QueryInterrupt.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "database/ApplicationDatabaseFile.h"
#include "database/ArchiveManager.h"
#include "readers/moxbdatabasemanager.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QtConcurrent>

namespace {

const char *const kFixedTmpDbFile = "qrlgTmpDbFile.sqlite";
const char *const kMoxBSettingsConnection = "Data_con_1";

// Tables of the application schema, which clearing never drops.
const char *const kKeptTables[] = {"Data",   "DataMoxB",   "DataMoxA",  "Devices",
                                   "Events", "Parameters", "eventData", "sqlite_sequence"};

bool isKeptTable(const QString &name)
{
    for (const char *kept : kKeptTables)
        if (name == QLatin1String(kept))
            return true;
    // After a failed recorder import the tmpOld* tables hold the only copy of
    // the wide table's previous rows; the import restores them, never this.
    return name.startsWith(QLatin1String("tmpOld"));
}

// Closes a handle and removes its connection: through the registry while
// its name still stands for the handle's file.
void closeAndRemove(QSqlDatabase &db)
{
    const QString connection = db.connectionName();
    const QString logical = Connections::logicalName(db);
    db.close();
    db = QSqlDatabase();
    if (!logical.isEmpty())
        Connections::remove(logical);
    else if (!connection.isEmpty())
        QSqlDatabase::removeDatabase(connection);
}

bool onGuiThread()
{
    return qApp && QThread::currentThread() == qApp->thread();
}

} // namespace

QString Framework::fixedTmpDbFilePath()
{
    const QString folder = ArchiveManager::scratchFolder();
    return QDir(folder.isEmpty() ? QDir::tempPath() : folder).filePath(QLatin1String(kFixedTmpDbFile));
}

void Framework::removeFixedTmpDbFile()
{
    const QString path = fixedTmpDbFilePath();
    if (QFile::exists(path) && !QFile::remove(path))
        emit consoleMessage(tr("Delete tempDB fail"), 1);
}

// ---- wiring

void Framework::connectTableModelSignals()
{
    if (MainWindow *window = mainWindow.data()) {
        // Unique: a settings file wires the models of its data file again.
        connect(tableModel, SIGNAL(dialogMessage(QString, QString, int)), window,
                SLOT(showMsgBox(QString, QString, int)), Qt::UniqueConnection);
        connect(tableModel, SIGNAL(consoleMessage(QString, int)), window, SLOT(addConsoleMessage(QString, int)),
                Qt::UniqueConnection);
    }
    sessionInfo.views |= SessionInfo::ViewTable;
}

void Framework::connectChartModelSignals()
{
    // A chart model's dialog messages are not shown.
    if (MainWindow *window = mainWindow.data())
        connect(session::modelObject(chartModel), SIGNAL(consoleMessage(QString, int)), window,
                SLOT(addConsoleMessage(QString, int)), Qt::UniqueConnection);
    sessionInfo.views |= SessionInfo::ViewChart;
}

void Framework::connectReportModelSignals()
{
    if (MainWindow *window = mainWindow.data()) {
        QObject *model = session::modelObject(reportModel);
        connect(model, SIGNAL(dialogMessage(QString, QString, int)), window, SLOT(showMsgBox(QString, QString, int)),
                Qt::UniqueConnection);
        connect(model, SIGNAL(consoleMessage(QString, int)), window, SLOT(addConsoleMessage(QString, int)),
                Qt::UniqueConnection);
    }
    sessionInfo.views |= SessionInfo::ViewReport;
}

// ---- models

void Framework::deleteModels()
{
    QObject *table = session::modelObject(tableModel);
    tableModel = nullptr;
    disposeModel(table);
    QObject *chart = session::modelObject(chartModel);
    chartModel = nullptr;
    disposeModel(chart);
    QObject *report = session::modelObject(reportModel);
    reportModel = nullptr;
    disposeModel(report);
}

void Framework::replaceReportModel(AbstractReportModel *model)
{
    QObject *old = session::modelObject(reportModel);
    reportModel = model;
    disposeModel(old);
    if (reportModel)
        connectReportModelSignals();
}

void Framework::disposeModel(QObject *model)
{
    if (!model)
        return;
    const bool ownThread = model->thread() == QThread::currentThread();
    if (ownThread && !onGuiThread()) {
        // Made by this task and never handed to the window.
        delete model;
        return;
    }
    if (!mainWindow) {
        // No window, no pages that could show it.
        if (ownThread)
            delete model;
        else
            model->deleteLater();
        return;
    }
    // The window's pages may still show it: it goes once they are dropped.
    QMutexLocker lock(&retiredMutex);
    retiredModels.append(QPointer<QObject>(model));
}

void Framework::releaseRetiredModels()
{
    QList<QPointer<QObject>> models;
    {
        QMutexLocker lock(&retiredMutex);
        models.swap(retiredModels);
    }
    // Deferred like the pages the window has just released, and after them.
    for (const QPointer<QObject> &model : qAsConst(models))
        if (model)
            model->deleteLater();
}

bool Framework::hasRetiredModels()
{
    QMutexLocker lock(&retiredMutex);
    for (const QPointer<QObject> &model : qAsConst(retiredModels))
        if (model)
            return true;
    return false;
}

MyAbstractTableModel *Framework::cloneTableModel()
{
    return tableModel ? tableModel->clone() : nullptr;
}

// ---- closing

void Framework::closeOpenedFile()
{
    TRACE() << "Function Name: " << "void Framework::closeOpenedFile()";
    // Counts and look-ups on the pool still reading the session's file stop
    // now, not when the page that started them goes: a page may outlive its
    // session, and one deleted later waits for the next turn of the event
    // loop (after the next file's opening, when that follows).
    if (dataDatabase.isValid())
        QueryInterrupt::interruptReadersOf(dataDatabase.path());
    deleteModels();
    // A registration whose opening failed goes too. Models retired but not
    // yet deleted keep their connections until they are gone.
    if (dataDatabase.isValid()) {
        const QString name = dataDatabase.isRegistered() ? dataDatabase.name() : QString();
        if (!name.isEmpty() && dataDatabase.isCurrent())
            Connections::remove(name);
        dataDatabase.reset();
        TRACE() << "Closed database: " << name;
    }
    removeFixedTmpDbFile();
    sessionInfo = SessionInfo();
    emit consoleMessage(tr("Session closed"), 1);
}

void Framework::endSessionOfGoneDatabase(quint64 registration, const QString &message)
{
    // A later session on another file (or the same path opened again) stays.
    if (!sessionInfo.isOpen || dataDatabase.registration() != registration)
        return;
    if (MainWindow *window = mainWindow.data())
        window->on_actionClosedata_triggered();
    else
        closeOpenedFile();
    if (appdb::tellNow(registration))
        emit dialogMessage(message, QString(), 3);
}

void Framework::closeDatabase(QSqlDatabase &db)
{
    if (!db.isOpen())
        return;
    closeAndRemove(db);
    removeFixedTmpDbFile();
}

bool Framework::closeMoxBDataConnection()
{
    const QString name = QLatin1String(kMoxBSettingsConnection);
    if (!Connections::contains(name))
        return false;
    // The manager lets go of its handle first, so nothing holds the
    // connection that is removed.
    if (moxbManager)
        moxbManager->closeDatabase();
    Connections::remove(name);
    return true;
}

bool Framework::clearTempDatabaseTables()
{
    // This thread's own connection to the session's database.
    QSqlDatabase db = dataDatabase.database();
    if (!db.isOpen()) {
        TRACE() << "Baza danych nie jest otwarta.";
        return false;
    }

    TransactionGuard transaction(db);
    if (!transaction.isActive()) {
        TRACE() << "Błąd rozpoczęcia transakcji czyszczenia tabel: " << transaction.errorText();
        return false;
    }
    QSqlQuery query(db);
    if (!query.exec(sql::userTablesStatement())) {
        TRACE() << "Błąd pobierania listy tabel: " << query.lastError().text();
        return false;
    }
    QStringList foreign;
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (!isKeptTable(name))
            foreign << name;
    }
    query.finish();

    for (const QString &name : qAsConst(foreign)) {
        QSqlQuery drop(db);
        if (!drop.exec(QStringLiteral("DROP TABLE %1;").arg(sql::quoteIdentifier(name)))) {
            TRACE() << QStringLiteral("Błąd usuwania tabeli %1: %2").arg(name, drop.lastError().text());
            return false;
        }
        TRACE() << QStringLiteral("Pomyślnie usunięto tabelę: %1").arg(name);
    }
    if (!transaction.commit()) {
        TRACE() << "Błąd zatwierdzania transakcji czyszczenia tabel: " << transaction.errorText();
        return false;
    }
    return true;
}

// ---- flags

int Framework::mapRecordFlag(int flag)
{
    switch (flag) {
    case 128:
        return 1;
    case 1:
    case 256:
        return 2;
    default:
        return 0;
    }
}

int Framework::convertDeviceFlag(avaibleDevices_t device, int flag)
{
    switch (device) {
    case DEVICE_UNDEFINED:
        return 0;
    case ZelD:
    case ZelC:
    case ZelDX:
        return mapRecordFlag(flag);
    default:
        return flag;
    }
}

// ---- task launchers

void Framework::openFile(QString path, avaibleDevices_t device, int sourceType, QStringList files)
{
    cancelFlag.storeRelease(0);
    ProgressDialog *progress = new ProgressDialog(0, tr("Loading Data"), mainWindow.data(), true);
    connect(progress, SIGNAL(canceled()), this, SLOT(cancelDataImport()));

    QFuture<void> task = QtConcurrent::run([this, path, device, files, progress, sourceType]() {
        Connections::TaskScope connections;
        openFileWorker(path, device, files, progress, sourceType);
    });
    // The task and its readers hold the dialog's address: it lives, and is
    // in view, until the task has ended, even when the user cancels.
    runTaskWindow(progress, task);
    // The settings offer comes after the window has shown the new session:
    // a settings file opened while this task still ran would be undone by
    // the task's own end, and both would work on the settings connection.
    if (offerSettingsFile) {
        QMetaObject::invokeMethod(
            this,
            [this, path]() {
                if (sessionInfo.isOpen && sessionInfo.fileName == path)
                    emit dataFileLoadedSuccessfully();
            },
            Qt::QueuedConnection);
    }
}

void Framework::applyFilters(FiltersCfg filters, avaibleDevices_t device)
{
    ProgressDialog *progress = new ProgressDialog(0, tr("Loading Data"), mainWindow.data(), false);
    QFuture<void> task = QtConcurrent::run([this, filters, device]() mutable {
        Connections::TaskScope connections;
        applyFiltersWorker(filters, device);
    });
    // No worker writes the session after the launcher has returned.
    runTaskWindow(progress, task);
}
