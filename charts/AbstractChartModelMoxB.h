#pragma once
#include "charts/RecorderFilteredChartModel.h"

// The chart of a filtered session over MoxB recorders: DataMoxB of the
// application database.
class AbstractChartModelMoxB : public RecorderFilteredChartModel
{
    Q_OBJECT
public:
    AbstractChartModelMoxB(QSqlDatabase db, FiltersCfg cfg, QObject *parent);
    ~AbstractChartModelMoxB() override;
};
