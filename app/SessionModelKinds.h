#pragma once
// The model kinds a session can hold. Chart and report models come with their
// own subsystems; until their headers are part of the build a session has
// none of them, so their pointers stay null and their views stay off.
#include "database/FiltersCfg.h"
#include "tables/MyAbstractTableModel.h"

#include <QObject>
#include <QSqlDatabase>

#include "app/AvailableDevices.h"

#if __has_include("charts/AbstractChartModel.h")
#include "charts/AbstractChartModel.h"
#define QUORLOG_HAS_CHART_MODELS 1
#else
#define QUORLOG_HAS_CHART_MODELS 0
class AbstractChartModel;
#endif

// Report models are part of the build (a probe by __has_include would also
// let a compiler cache serve objects made before the header existed).
#include "reports/AbstractReportModel.h"
#define QUORLOG_HAS_REPORT_MODELS 1

namespace session {

inline QObject *modelObject(MyAbstractTableModel *model)
{
    return model;
}

inline QObject *modelObject(AbstractChartModel *model)
{
#if QUORLOG_HAS_CHART_MODELS
    return model;
#else
    Q_ASSERT(!model); // nothing can make one in this build
    Q_UNUSED(model);
    return nullptr;
#endif
}

inline QObject *modelObject(AbstractReportModel *model)
{
#if QUORLOG_HAS_REPORT_MODELS
    return model;
#else
    Q_ASSERT(!model);
    Q_UNUSED(model);
    return nullptr;
#endif
}

// The generic chart model over the narrow tables of db; null in a build
// without charts. recordCount > 0 spares the model its own count.
inline AbstractChartModel *newNarrowChartModel(QSqlDatabase db, int recordCount)
{
#if QUORLOG_HAS_CHART_MODELS
    AbstractChartModel *model = new AbstractChartModel(db, nullptr);
    if (recordCount > 0)
        model->totalRowCnt = uint(recordCount);
    return model;
#else
    Q_UNUSED(db);
    Q_UNUSED(recordCount);
    return nullptr;
#endif
}

// The generic report model over the narrow tables of db; null in a build
// without reports.
inline AbstractReportModel *newNarrowReportModel(QSqlDatabase db, avaibleDevices_t reportType)
{
#if QUORLOG_HAS_REPORT_MODELS
    return new AbstractReportModel(db, reportType, nullptr);
#else
    Q_UNUSED(db);
    Q_UNUSED(reportType);
    return nullptr;
#endif
}

} // namespace session

namespace session {

// The filtered models over the application database (type 1, 18 or 21 for the
// report); null in a build without them.
inline AbstractChartModel *newFilteredChartModel(QSqlDatabase db, const FiltersCfg &filters)
{
#if QUORLOG_HAS_CHART_MODELS
    return new AbstractChartModel(db, filters, nullptr);
#else
    Q_UNUSED(db);
    Q_UNUSED(filters);
    return nullptr;
#endif
}

inline AbstractReportModel *newFilteredReportModel(QSqlDatabase db, const FiltersCfg &filters,
                                                   avaibleDevices_t reportType)
{
#if QUORLOG_HAS_REPORT_MODELS
    return new AbstractReportModel(db, filters, reportType, nullptr);
#else
    Q_UNUSED(db);
    Q_UNUSED(filters);
    Q_UNUSED(reportType);
    return nullptr;
#endif
}

} // namespace session
