#pragma once
// The model kinds a session can hold, and the generic chart and report models
// that the open-file and apply-filters workers give a session.
#include "database/FiltersCfg.h"
#include "tables/MyAbstractTableModel.h"

#include <QObject>
#include <QSqlDatabase>

#include "app/AvailableDevices.h"

#include "charts/AbstractChartModel.h"

#include "reports/AbstractReportModel.h"

namespace session {

inline QObject *modelObject(MyAbstractTableModel *model)
{
    return model;
}

inline QObject *modelObject(AbstractChartModel *model)
{
    return model;
}

inline QObject *modelObject(AbstractReportModel *model)
{
    return model;
}

// The generic chart model over the narrow tables of db. recordCount > 0 spares the model its own count.
inline AbstractChartModel *newNarrowChartModel(QSqlDatabase db, int recordCount)
{
    AbstractChartModel *model = new AbstractChartModel(db, nullptr);
    if (recordCount > 0)
        model->totalRowCnt = uint(recordCount);
    return model;
}

// The generic report model over the narrow tables of db.
inline AbstractReportModel *newNarrowReportModel(QSqlDatabase db, avaibleDevices_t reportType)
{
    return new AbstractReportModel(db, reportType, nullptr);
}

} // namespace session

namespace session {

// The filtered models over the application database (type 1, 18 or 21 for the
// report).
inline AbstractChartModel *newFilteredChartModel(QSqlDatabase db, const FiltersCfg &filters)
{
    return new AbstractChartModel(db, filters, nullptr);
}

inline AbstractReportModel *newFilteredReportModel(QSqlDatabase db, const FiltersCfg &filters,
                                                   avaibleDevices_t reportType)
{
    return new AbstractReportModel(db, filters, reportType, nullptr);
}

} // namespace session
