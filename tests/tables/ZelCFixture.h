#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QtGlobal>

// A small analyser archive as the ZelC-family readers leave it: Devices,
// Parameters, Data (ms since 1970 UTC), Events and the DataConnected view
// with its text times.
namespace ZelCFixture {

bool createSchema(QSqlDatabase db, QString *error = nullptr);

// Adds a parameter of the one instrument.
bool addParameter(QSqlDatabase db, int id, const QString &name, const QString &unit, QString *error = nullptr);
bool addValue(QSqlDatabase db, int parameterId, qint64 dateTime, double value, int flag, QString *error = nullptr);
bool addEvent(QSqlDatabase db, qint64 dateTime, const QString &text, QString *error = nullptr);

} // namespace ZelCFixture
