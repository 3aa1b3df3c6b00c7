#include "tables/NarrowFixture.h"

#include "common/SqlUtil.h"
#include "database/DatabaseStructure.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace NarrowFixture {

namespace {

bool run(QSqlQuery &q, const QString &text, QString *error)
{
    if (q.exec(text))
        return true;
    if (error)
        *error = q.lastError().text() + QStringLiteral(" in ") + text;
    return false;
}

} // namespace

bool createSchema(QSqlDatabase db, QString *error)
{
    // The application database's own schema code, indexes included.
    DatabaseStructure structure;
    if (structure.initStructure(db))
        return true;
    if (error)
        *error = QStringLiteral("cannot create the schema: ") + db.lastError().text();
    return false;
}

bool writeSmall(QSqlDatabase db, QString *error)
{
    if (!createSchema(db, error))
        return false;
    TransactionGuard tx(db);
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'Meter A', 2), (2, 'Meter B', 3)"),
             error))
        return false;
    q.prepare(QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (?, ?, ?, ?)"));
    const struct
    {
        int id;
        int device;
        const char *name;
        const char *unit;
    } params[] = {{1, 1, "U1", "V"}, {2, 1, "I1", "A"}, {3, 2, "U1", "V"}, {4, 2, "it's", ""}};
    for (const auto &p : params) {
        q.addBindValue(p.id);
        q.addBindValue(p.device);
        q.addBindValue(QString::fromUtf8(p.name));
        q.addBindValue(QString::fromUtf8(p.unit));
        if (!q.exec()) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
    }
    q.prepare(QStringLiteral("INSERT INTO Data VALUES (NULL, ?, ?, ?, ?, NULL)"));
    auto add = [&](int param, double value, int flag, qint64 time) {
        q.addBindValue(param);
        q.addBindValue(value);
        q.addBindValue(flag);
        q.addBindValue(time);
        if (q.exec())
            return true;
        if (error)
            *error = q.lastError().text();
        return false;
    };
    for (int k = 0; k < 5; ++k)
        for (int id = 1; id <= 4; ++id)
            if (!add(id, 10 * id + k, k % 3, T0 + k * Step))
                return false;
    if (!add(1, 1, 0, T0 + 5 * Step + 999) || !add(1, 2, 0, T0 + 5 * Step + 999))
        return false;
    if (!tx.commit()) {
        if (error)
            *error = tx.errorText();
        return false;
    }
    return true;
}

bool writeLarge(QSqlDatabase db, qint64 rows, int parameters, QString *error)
{
    if (!createSchema(db, error))
        return false;
    QSqlQuery q(db);
    run(q, QStringLiteral("PRAGMA synchronous = OFF"), nullptr);
    TransactionGuard tx(db);
    if (!run(q, QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'Bench', 2)"), error))
        return false;
    for (int p = 1; p <= parameters; ++p) {
        if (!run(q, QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (%1, 1, 'P%1', 'V')")
                        .arg(p),
                 error))
            return false;
    }
    // One recursive statement writes the rows inside SQLite: far faster than
    // binding millions of rows one by one.
    q.prepare(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                             "INSERT INTO Data (idParameters, value, flag, dateTime) "
                             "SELECT i % ? + 1, (i % 1000) * 0.5, CASE WHEN i % 97 = 0 THEN 2 ELSE 0 END, "
                             "? + (i / ?) * 1000 FROM n"));
    q.addBindValue(rows);
    q.addBindValue(parameters);
    q.addBindValue(T0);
    q.addBindValue(parameters);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    if (!tx.commit()) {
        if (error)
            *error = tx.errorText();
        return false;
    }
    return true;
}

} // namespace NarrowFixture
