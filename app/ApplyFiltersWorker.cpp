// The apply-filters task: filtered models over the open application database.
#include "app/Framework.h"

#include "app/SessionModelKinds.h"
#include "common/Trace.h"
#include "tables/TempDatabaseTableModel.h"

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
    // Retired, not deleted, while the window's pages may still show them.
    deleteModels();

    const avaibleDevices_t sessionType = filteredSessionType(device);
    sessionInfo.deviceType = sessionType;
    if (sessionType != INTERNAL_DB) {
        // The recorders' wide-table models are not part of this build: their
        // selection is shown through the narrow tables, which hold none of
        // their columns.
        emit consoleMessage(tr("The filtered recorder views are not available yet; "
                               "the selection is shown from the common data tables."),
                            2);
    }

    tableModel = new TempDatabaseTableModel(dataDatabase, filters, nullptr);
    connectTableModelSignals();
    chartModel = session::newFilteredChartModel(dataDatabase, filters);
    if (chartModel)
        connectChartModelSignals();
    reportModel = session::newFilteredReportModel(dataDatabase, filters, sessionType);
    if (reportModel)
        connectReportModelSignals();
    sessionInfo.views |= SessionInfo::ViewCsvExport;

    QThread *gui = qApp->thread();
    for (QObject *model :
         {session::modelObject(tableModel), session::modelObject(chartModel), session::modelObject(reportModel)})
        if (model && model->thread() != gui)
            model->moveToThread(gui);

    emit sessioneStarted();
    emit consoleMessage(tr("Filters applied in: ") + QString::number(timer.elapsed()) + QStringLiteral(" ms"), 0);
}
