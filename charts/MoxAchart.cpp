#include "charts/MoxAchart.h"

#include "common/Trace.h"

MoxAchart::MoxAchart(QSqlDatabase db, QObject *parent)
    : RecorderArchiveChartModel(db, QStringLiteral("DataMoxA"), parent)
{
}

MoxAchart::~MoxAchart()
{
    TRACE() << "MoxAchart destroy";
}
