#pragma once
#include "charts/AbstractChartModel.h"

// The analysers' chart model: the narrow tables as the base reads them.
class ZelCChartModel : public AbstractChartModel
{
    Q_OBJECT
public:
    ZelCChartModel(QSqlDatabase db, QObject *parent);
    ~ZelCChartModel() override;
};
