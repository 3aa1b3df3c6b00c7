#pragma once
// The table and chart model kinds a session can hold, and the generic chart
// models that readers and the session's workers give it. The report kinds
// are added above, in app/SessionModelKinds.h.
#include "charts/AbstractChartModel.h"
#include "database/FiltersCfg.h"
#include "tables/MyAbstractTableModel.h"

#include <QObject>
#include <QSqlDatabase>

namespace session {

inline QObject *modelObject(MyAbstractTableModel *model)
{
    return model;
}

inline QObject *modelObject(AbstractChartModel *model)
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

// The filtered chart model over the application database.
inline AbstractChartModel *newFilteredChartModel(QSqlDatabase db, const FiltersCfg &filters)
{
    return new AbstractChartModel(db, filters, nullptr);
}

} // namespace session
