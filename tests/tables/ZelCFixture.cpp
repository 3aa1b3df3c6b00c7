#include "tables/ZelCFixture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace ZelCFixture {

namespace {

bool exec(QSqlQuery &q, QString *error)
{
    if (q.exec())
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

} // namespace

bool createSchema(QSqlDatabase db, QString *error)
{
    const QStringList statements{
        QStringLiteral("CREATE TABLE Devices (id INTEGER PRIMARY KEY, name TEXT)"),
        QStringLiteral("CREATE TABLE Parameters (id INTEGER PRIMARY KEY, idDevices INTEGER, name TEXT, unit TEXT)"),
        QStringLiteral("CREATE TABLE Data (id INTEGER PRIMARY KEY AUTOINCREMENT, idParameters INTEGER, "
                       "dateTime INTEGER, value REAL, flag INTEGER, observationId INTEGER)"),
        QStringLiteral("CREATE TABLE Events (id INTEGER PRIMARY KEY AUTOINCREMENT, dateTime INTEGER, name TEXT)"),
        QStringLiteral("INSERT INTO Devices (id, name) VALUES (1, 'Analyser')"),
        QStringLiteral("CREATE VIEW DataConnected AS SELECT strftime('%Y-%m-%d %H:%M:%f', Data.dateTime / 1000.0, "
                       "'unixepoch') AS dateTime, Devices.name AS deviceName, Parameters.name AS name, Data.value AS "
                       "value, Parameters.unit AS unit, Data.flag AS flag, Data.observationId AS observationId FROM "
                       "Data LEFT JOIN Parameters ON Data.idParameters = Parameters.id LEFT JOIN Devices ON "
                       "Parameters.idDevices = Devices.id"),
    };
    QSqlQuery q(db);
    for (const QString &s : statements) {
        if (!q.exec(s)) {
            if (error)
                *error = q.lastError().text() + QStringLiteral(" in ") + s;
            return false;
        }
    }
    return true;
}

bool addParameter(QSqlDatabase db, int id, const QString &name, const QString &unit, QString *error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (?, 1, ?, ?)"));
    q.addBindValue(id);
    q.addBindValue(name);
    q.addBindValue(unit);
    return exec(q, error);
}

bool addValue(QSqlDatabase db, int parameterId, qint64 dateTime, double value, int flag, QString *error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Data (idParameters, dateTime, value, flag, observationId) "
                             "VALUES (?, ?, ?, ?, 1)"));
    q.addBindValue(parameterId);
    q.addBindValue(dateTime);
    q.addBindValue(value);
    q.addBindValue(flag);
    return exec(q, error);
}

bool addEvent(QSqlDatabase db, qint64 dateTime, const QString &text, QString *error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Events (dateTime, name) VALUES (?, ?)"));
    q.addBindValue(dateTime);
    q.addBindValue(text);
    return exec(q, error);
}

} // namespace ZelCFixture
