#include "support/ReportSqlFixtures.h"

#include "common/SqlUtil.h"
#include "database/DatabaseStructure.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace reportfixtures {

bool createNarrowTables(QSqlDatabase db)
{
    DatabaseStructure structure;
    return structure.initStructure(db);
}

bool createWideTable(QSqlDatabase db, const QString &table, const QStringList &columns)
{
    QStringList all{QStringLiteral("date"), QStringLiteral("time")};
    all += columns;
    DatabaseStructure structure;
    if (table == QLatin1String("DataMoxB")) {
        structure.ensureDataMoxBTable(db, all);
    } else if (table == QLatin1String("DataMoxA")) {
        structure.ensureDataMoxATable(db, all);
    } else {
        // The Data table of an opened MoxB archive has the same shape.
        QString ddl = QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL")
                          .arg(sql::quoteIdentifier(table));
        for (const QString &c : all)
            ddl += QStringLiteral(", ") + sql::quoteIdentifier(c) + QStringLiteral(" TEXT");
        ddl += QLatin1Char(')');
        QSqlQuery q(db);
        if (!q.exec(ddl))
            return false;
    }
    return db.record(table).count() == all.size() + 1;
}

bool insertWideRows(QSqlDatabase db, const QString &table, const QStringList &columns,
                    const QList<QVariantList> &rows)
{
    QStringList names{QStringLiteral("date"), QStringLiteral("time")};
    names += columns;
    QStringList marks;
    for (int i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(sql::quoteIdentifier(table), sql::quoteIdentifiers(names), marks.join(QLatin1Char(',')))))
        return false;
    for (const QVariantList &row : rows) {
        for (int i = 0; i < names.size(); ++i)
            q.bindValue(i, i < row.size() ? row.at(i) : QVariant(QVariant::String));
        if (!q.exec())
            return false;
    }
    return true;
}

bool insertDevice(QSqlDatabase db, int id, const QString &name, int type)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (?, ?, ?)"));
    q.addBindValue(id);
    q.addBindValue(name);
    q.addBindValue(type);
    return q.exec();
}

bool insertParameter(QSqlDatabase db, int id, int idDevices, const QString &name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (?, ?, ?, '')"));
    q.addBindValue(id);
    q.addBindValue(idDevices > 0 ? QVariant(idDevices) : QVariant(QVariant::Int));
    q.addBindValue(name);
    return q.exec();
}

bool insertSample(QSqlDatabase db, int idParameters, const QVariant &value, int flag, qint64 msecs, qint64 id)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Data (id, idParameters, value, flag, dateTime) VALUES (?, ?, ?, ?, ?)"));
    q.addBindValue(id > 0 ? QVariant(id) : QVariant(QVariant::LongLong));
    q.addBindValue(idParameters);
    q.addBindValue(value);
    q.addBindValue(flag);
    q.addBindValue(msecs);
    return q.exec();
}

bool runRows(QSqlDatabase db, const QString &statement, QList<QStringList> *rows, QString *error,
             QStringList *columnNames)
{
    rows->clear();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(statement)) {
        if (error)
            *error = q.lastError().text() + QStringLiteral("\n") + statement;
        return false;
    }
    const QSqlRecord rec = q.record();
    if (columnNames) {
        columnNames->clear();
        for (int i = 0; i < rec.count(); ++i)
            *columnNames << rec.fieldName(i);
    }
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < rec.count(); ++i) {
            const QVariant v = q.value(i);
            row << (v.isNull() ? QStringLiteral("NULL") : v.toString());
        }
        rows->append(row);
    }
    return true;
}

} // namespace reportfixtures
