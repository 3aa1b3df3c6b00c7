#include "support/ReaderTestDb.h"

#include "common/Connections.h"
#include "database/DatabaseStructure.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace testdb {

QSqlDatabase createSchemaDatabase(const QString &name, const QString &path)
{
    QFile::remove(path);
    Connections::Options options;
    options.scratch = true;
    Connections::registerFile(name, path, options);
    QSqlDatabase db = Connections::database(name);
    // The schema a temporary database gets from the archive manager.
    if (!DatabaseStructure().initStructure(db))
        qFatal("cannot create the schema in %s", qPrintable(path));
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

int committedRowCount(const QString &path, const QString &table)
{
    const QString name = QStringLiteral("committed_check");
    Connections::registerFile(name, path);
    const int n = rowCount(Connections::database(name), table);
    Connections::remove(name);
    return n;
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace testdb
