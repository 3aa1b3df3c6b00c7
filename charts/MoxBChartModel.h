#pragma once
#include "charts/RecorderArchiveChartModel.h"

// The chart of an opened MoxB SQLite archive: its wide table Data.
class MoxBChartModel : public RecorderArchiveChartModel
{
    Q_OBJECT
public:
    MoxBChartModel(QSqlDatabase db, QObject *parent);
    ~MoxBChartModel() override;
};
