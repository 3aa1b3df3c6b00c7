// The apply-filters task: filtered models over the open application database.
#include "app/Framework.h"

#include "app/SessionModelKinds.h"
#include "common/Trace.h"
#include "tables/TempDatabaseTableModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

void Framework::applyFiltersWorker(FiltersCfg &filters, avaibleDevices_t device)
{
    TRACE_FUNC();
    QElapsedTimer timer;
    timer.start();
    deleteModels();

    // The wide-table sessions (MoxB 18, MoxA 21) come with their filtered
    // models; until then every selection is read through the narrow tables.
    Q_UNUSED(device);
    const avaibleDevices_t sessionType = INTERNAL_DB;
    sessionInfo.deviceType = sessionType;

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
