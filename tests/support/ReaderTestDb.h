#pragma once
// Databases for reader tests: a fresh file with the application schema, and
// the rows the readers wrote, read back plainly.
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>

namespace testdb {

// Registers name for a new file at path and returns this thread's connection
// with the application schema created on it.
QSqlDatabase createSchemaDatabase(const QString &name, const QString &path);

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
int rowCount(QSqlDatabase db, const QString &table);
// Rows of the table that another connection to the file sees: what was committed.
int committedRowCount(const QString &path, const QString &table);

// Writes bytes to a file; returns its path.
QString writeFile(const QString &path, const QByteArray &bytes);

} // namespace testdb
