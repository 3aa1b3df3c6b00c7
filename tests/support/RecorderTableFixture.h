#pragma once
// Small wide recorder tables (DataMoxA, DataMoxB, an archive's Data) and
// recorder settings databases for the chart and report models of the
// recorder files.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace rectable {

struct Row
{
    qint64 id;
    QString date;          // "yyyy-MM-dd"
    QString time;          // "HH:mm:ss" or "HH:mm:ss.zzz"
    QVariantList cells;    // one per column; a null QVariant is NULL
};

// Creates table (id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT,
// one TEXT column per name) and inserts the rows with their ids.
bool write(QSqlDatabase db, const QString &table, const QStringList &columns, const QVector<Row> &rows);

// The same table filled with texts: each row is date, time, then one text
// per column; ids given by SQLite from 1. Failures are warned about.
void writeTexts(QSqlDatabase db, const QString &table, const QStringList &columns,
                const QVector<QStringList> &rows);

// A recorder settings database at path with the four unit tables, English
// or Polish names; each table gets the (name, unit) pairs given for it
// (index 0 analog inputs, 1 math functions, 2 Modbus master, 3 totalizers).
enum class Language { English, Polish };
bool writeSettings(const QString &path, Language language, const QVector<QVector<QPair<QString, QString>>> &units);

} // namespace rectable
