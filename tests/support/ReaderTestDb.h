#pragma once
// The rows the readers wrote, read back plainly.
#include "support/DbTestUtil.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>

namespace testdb {

struct ParameterRow
{
    int id = 0;
    QVariant idDevices;
    QString name;
    QString unit;
};

struct DataRow
{
    qint64 id = 0;
    int idParameters = 0;
    double value = 0;
    int flag = 0;
    qint64 dateTime = 0;
    QVariant observationId;
};

QVector<ParameterRow> parameters(QSqlDatabase db);
QVector<DataRow> data(QSqlDatabase db);

} // namespace testdb
