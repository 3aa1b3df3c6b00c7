#pragma once
// The model kinds a session can hold, and the generic chart and report models
// that the open-file and apply-filters workers give a session. The table and
// chart kinds live with the data models (charts/SessionChartKinds.h); the
// report kinds are the shell's.
#include "app/AvailableDevices.h"
#include "charts/SessionChartKinds.h"
#include "database/FiltersCfg.h"
#include "reports/AbstractReportModel.h"

#include <QObject>
#include <QSqlDatabase>

namespace session {

inline QObject *modelObject(AbstractReportModel *model)
{
    return model;
}

// The generic report model over the narrow tables of db.
inline AbstractReportModel *newNarrowReportModel(QSqlDatabase db, avaibleDevices_t reportType)
{
    return new AbstractReportModel(db, reportType, nullptr);
}

// The filtered report model over the application database (type 1, 18 or 21).
inline AbstractReportModel *newFilteredReportModel(QSqlDatabase db, const FiltersCfg &filters,
                                                   avaibleDevices_t reportType)
{
    return new AbstractReportModel(db, filters, reportType, nullptr);
}

} // namespace session
