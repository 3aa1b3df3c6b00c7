#include "charts/ZelCChartModel.h"

#include "common/Trace.h"

ZelCChartModel::ZelCChartModel(QSqlDatabase db, QObject *parent)
    : AbstractChartModel(db, parent)
{
}

ZelCChartModel::~ZelCChartModel()
{
    TRACE() << "ZelCChartModel destroy";
}
