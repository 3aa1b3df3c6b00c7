#pragma once
#include "charts/AbstractChartModel.h"

// The meters' chart model: the narrow tables as the base reads them.
class ZelBChartModel : public AbstractChartModel
{
    Q_OBJECT
public:
    ZelBChartModel(QSqlDatabase db, QObject *parent);
};
