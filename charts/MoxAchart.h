#pragma once
// Chart model of a MoxA recorder CSV read into the wide table DataMoxA of a
// temporary database: one text column per channel, each row with its own
// date and time. Units come from the recorder's settings database
// ("Data_con_1") when one is loaded.
#include "charts/RecorderArchiveChartModel.h"

class MoxAchart : public RecorderArchiveChartModel
{
    Q_OBJECT
public:
    MoxAchart(QSqlDatabase db, QObject *parent);
    ~MoxAchart() override;
};
