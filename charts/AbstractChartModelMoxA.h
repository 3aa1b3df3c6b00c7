#pragma once
#include "charts/RecorderFilteredChartModel.h"

// The chart of a filtered session over MoxA recorders: DataMoxA of the
// application database.
class AbstractChartModelMoxA : public RecorderFilteredChartModel
{
    Q_OBJECT
public:
    AbstractChartModelMoxA(QSqlDatabase db, FiltersCfg cfg, QObject *parent);
    ~AbstractChartModelMoxA() override;
};
