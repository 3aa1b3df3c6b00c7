#include "charts/AbstractChartModelMoxA.h"

#include "common/Trace.h"

AbstractChartModelMoxA::AbstractChartModelMoxA(QSqlDatabase db, FiltersCfg cfg, QObject *parent)
    : RecorderFilteredChartModel(db, std::move(cfg), QStringLiteral("DataMoxA"), parent)
{
}

AbstractChartModelMoxA::~AbstractChartModelMoxA()
{
    TRACE() << "AbstractChartModelMoxA destroy";
}
