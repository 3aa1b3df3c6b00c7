#include "support/ReaderTestDb.h"

#include "common/Connections.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace testdb {

namespace {

// The application schema as initStructure creates it (four tables; eventData
// only comes with an upgrade).
const char *const kSchema[] = {
    "PRAGMA foreign_keys = ON;",
    "CREATE TABLE Devices (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, name VARCHAR(50), type SMALLINT "
    "DEFAULT(0), filesPath VARCHAR(500), onlineCfgEnable INTEGER1 DEFAULT(0), addresIP VARCHAR(50), protocolType "
    "INTEGER1, user VARCHAR(50), pass VARCHAR(50), otherCfg BLOB );",
    "CREATE TABLE Parameters (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, idDevices INTEGER, name VARCHAR(80), "
    "unit VARCHAR(10), unitId INTEGER, unitPrefixId INTEGER, unitPreferredId INTEGER, nominal DOUBLE, "
    "precisionDigits INTEGER, resolution DOUBLE, valueTypeGuid VARCHAR(40), characteristicGuid VARCHAR(40),  "
    "FOREIGN KEY(idDevices) REFERENCES Devices(id) ON DELETE CASCADE ON UPDATE CASCADE);",
    "CREATE TABLE Data (id integer PRIMARY KEY, idParameters INTEGER, value DOUBLE, flag SMALLINT, dateTime INT8, "
    "observationId INT8,  FOREIGN KEY(idParameters) REFERENCES Parameters(id) ON DELETE CASCADE ON UPDATE "
    "CASCADE);",
    "CREATE TABLE Events (id integer PRIMARY KEY, idDevices INTEGER, name VARCHAR(200), dateTime INT8, eventType "
    "CHAR, date VARCHAR(50), time VARCHAR(50), event VARCHAR(500),  FOREIGN KEY(idDevices) REFERENCES "
    "Devices(id) ON DELETE CASCADE ON UPDATE CASCADE);",
};

} // namespace

QSqlDatabase createSchemaDatabase(const QString &name, const QString &path)
{
    QFile::remove(path);
    Connections::Options options;
    options.scratch = true;
    Connections::registerFile(name, path, options);
    QSqlDatabase db = Connections::database(name);
    QSqlQuery q(db);
    for (const char *statement : kSchema) {
        if (!q.exec(QString::fromLatin1(statement)))
            qFatal("schema: %s", qPrintable(q.lastError().text()));
    }
    return db;
}

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

int rowCount(QSqlDatabase db, const QString &table)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) || !q.next())
        return -1;
    return q.value(0).toInt();
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace testdb
