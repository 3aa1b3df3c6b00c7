#pragma once
#include "charts/RecorderArchiveChartModel.h"

// The chart of a MoxB data CSV file imported into DataMoxB of the session's
// temporary database: all six columns of a channel (value, valueRaw, avg,
// min, max, flag) are parameters with the channel's unit.
class moxbcsvchart : public RecorderArchiveChartModel
{
    Q_OBJECT
public:
    moxbcsvchart(QSqlDatabase db, QObject *parent);
    ~moxbcsvchart() override;

protected:
    void traceColumn(const QString &name, const QString &unit) const override;
};
