#pragma once
// Small databases for the report statements, made with the application
// database schema: the narrow tables Devices, Parameters and Data, and wide
// recorder tables (id, date, time, one TEXT column per name).
#include <QList>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>

namespace reportfixtures {

bool createNarrowTables(QSqlDatabase db);
// Creates the wide table with `date`, `time` and the given columns.
bool createWideTable(QSqlDatabase db, const QString &table, const QStringList &columns);
// Each row: date text, time text, then one value per column (a null QVariant is NULL).
bool insertWideRows(QSqlDatabase db, const QString &table, const QStringList &columns,
                    const QList<QVariantList> &rows);
bool insertDevice(QSqlDatabase db, int id, const QString &name, int type);
// idDevices 0 leaves the parameter without an instrument (NULL).
bool insertParameter(QSqlDatabase db, int id, int idDevices, const QString &name);
// id 0 lets SQLite choose it.
bool insertSample(QSqlDatabase db, int idParameters, const QVariant &value, int flag, qint64 msecs, qint64 id = 0);

// Runs a statement; every cell as text, NULL as "NULL". False with the error
// text when it fails.
bool runRows(QSqlDatabase db, const QString &statement, QList<QStringList> *rows, QString *error,
             QStringList *columnNames = nullptr);

} // namespace reportfixtures
