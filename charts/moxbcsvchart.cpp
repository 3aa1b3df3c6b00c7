#include "charts/moxbcsvchart.h"

#include "common/Trace.h"

moxbcsvchart::moxbcsvchart(QSqlDatabase db, QObject *parent)
    : RecorderArchiveChartModel(db, QStringLiteral("DataMoxB"), parent)
{
}

moxbcsvchart::~moxbcsvchart()
{
    TRACE() << "moxbcsvchart destroy";
}

void moxbcsvchart::traceColumn(const QString &name, const QString &unit) const
{
    TRACE() << "columnName: " << name;
    TRACE() << "unit: " << unit;
}
