#include "charts/MoxBChartModel.h"

#include "common/Trace.h"

MoxBChartModel::MoxBChartModel(QSqlDatabase db, QObject *parent)
    : RecorderArchiveChartModel(db, QStringLiteral("Data"), parent)
{
}

MoxBChartModel::~MoxBChartModel()
{
    TRACE() << "MoxBChartModel destroy";
}
