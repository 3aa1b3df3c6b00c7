// The apply-filters task: filtered models over the open application database.
#include "app/Framework.h"

#include "app/SessionModelKinds.h"
#include "charts/AbstractChartModelMoxA.h"
#include "charts/AbstractChartModelMoxB.h"
#include "common/Trace.h"
#include "database/ApplicationDatabaseFile.h"
#include "tables/TempDatabaseTableModel.h"
#include "tables/TempDatabaseTableModelMoxA.h"
#include "tables/TempDatabaseTableModelMoxB.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {

// Session type of a filter over the instruments of one family.
avaibleDevices_t filteredSessionType(avaibleDevices_t device)
{
    switch (device) {
    case MoxB:
        return MoxB_FILTERED;
    case MoxA:
        return MoxA_FILTERED;
    default:
        return INTERNAL_DB;
    }
}

} // namespace

void Framework::applyFiltersWorker(FiltersCfg &filters, avaibleDevices_t device)
{
    TRACE_FUNC();
    QElapsedTimer timer;
    timer.start();
    // This task's own connection; each model keeps the registration and
    // finds its own connection on whichever thread reads it. Without one on
    // the file the session opened, the session stays as it was: models over
    // no data are no filtered session. A file that is gone is the session's
    // to tell (it ends).
    bool gone = false;
    const QSqlDatabase db = appdb::readConnection(dataDatabase, &gone);
    if (!db.isOpen()) {
        if (!gone)
            emit consoleMessage(QCoreApplication::translate("ArchiveManager", "Database is not opened."), 3);
        return;
    }
    // Retired, not deleted, while the window's pages may still show them.
    deleteModels();

    const avaibleDevices_t sessionType = filteredSessionType(device);
    sessionInfo.deviceType = sessionType;

    switch (sessionType) {
    case MoxB_FILTERED:
        tableModel = new TempDatabaseTableModelMoxB(db, filters, nullptr);
        break;
    case MoxA_FILTERED:
        tableModel = new TempDatabaseTableModelMoxA(db, filters, nullptr);
        break;
    default:
        tableModel = new TempDatabaseTableModel(db, filters, nullptr);
        break;
    }
    connectTableModelSignals();
    switch (sessionType) {
    case MoxB_FILTERED:
        chartModel = new AbstractChartModelMoxB(db, filters, nullptr);
        break;
    case MoxA_FILTERED:
        chartModel = new AbstractChartModelMoxA(db, filters, nullptr);
        break;
    default:
        chartModel = session::newFilteredChartModel(db, filters);
        break;
    }
    if (chartModel)
        connectChartModelSignals();
    reportModel = session::newFilteredReportModel(db, filters, sessionType);
    if (reportModel)
        connectReportModelSignals();
    sessionInfo.views |= SessionInfo::ViewCsvExport;

    // The file may go while the models read it; what they read then is not
    // the session's to show.
    if (!appdb::readConnection(dataDatabase).isOpen()) {
        deleteModels();
        return;
    }

    QThread *gui = qApp->thread();
    for (QObject *model :
         {session::modelObject(tableModel), session::modelObject(chartModel), session::modelObject(reportModel)})
        if (model && model->thread() != gui)
            model->moveToThread(gui);

    emit sessioneStarted();
    emit consoleMessage(tr("Filters applied in: ") + QString::number(timer.elapsed()) + QStringLiteral(" ms"), 0);
}
