#include "charts/ZelBChartModel.h"

ZelBChartModel::ZelBChartModel(QSqlDatabase db, QObject *parent)
    : AbstractChartModel(db, parent)
{
}
