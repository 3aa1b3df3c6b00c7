#include "charts/AbstractChartModelMoxB.h"

#include "common/Trace.h"

AbstractChartModelMoxB::AbstractChartModelMoxB(QSqlDatabase db, FiltersCfg cfg, QObject *parent)
    : RecorderFilteredChartModel(db, std::move(cfg), QStringLiteral("DataMoxB"), parent)
{
}

AbstractChartModelMoxB::~AbstractChartModelMoxB()
{
    TRACE() << "AbstractChartModelMoxB destroy";
}
