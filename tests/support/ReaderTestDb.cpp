#include "support/ReaderTestDb.h"

#include <QSqlQuery>

namespace testdb {

QVector<ParameterRow> parameters(QSqlDatabase db)
{
    QVector<ParameterRow> rows;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT id, idDevices, name, unit FROM Parameters ORDER BY id"));
    while (q.next())
        rows.append({q.value(0).toInt(), q.value(1), q.value(2).toString(), q.value(3).toString()});
    return rows;
}

QVector<DataRow> data(QSqlDatabase db)
{
    QVector<DataRow> rows;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT id, idParameters, value, flag, dateTime, observationId FROM Data ORDER BY id"));
    while (q.next())
        rows.append({q.value(0).toLongLong(), q.value(1).toInt(), q.value(2).toDouble(), q.value(3).toInt(),
                     q.value(4).toLongLong(), q.value(5)});
    return rows;
}

} // namespace testdb
