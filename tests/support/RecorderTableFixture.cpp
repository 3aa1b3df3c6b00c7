#include "support/RecorderTableFixture.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "support/DbTestUtil.h"

#include <QDebug>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace rectable {

void writeTexts(QSqlDatabase db, const QString &table, const QStringList &columns,
                const QVector<QStringList> &rows)
{
    QStringList defs{QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL"), QStringLiteral("date TEXT"),
                     QStringLiteral("time TEXT")};
    for (const QString &c : columns)
        defs << sql::quoteIdentifier(c) + QStringLiteral(" TEXT");
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(table, defs.join(QStringLiteral(", ")))))
        qWarning() << q.lastError().text();
    db.transaction();
    q.prepare(QStringLiteral("INSERT INTO %1 VALUES (NULL, %2)").arg(table, sql::placeholders(columns.size() + 2)));
    for (const QStringList &row : rows) {
        for (int i = 0; i < row.size(); ++i)
            q.bindValue(i, row.at(i));
        if (!q.exec())
            qWarning() << q.lastError().text();
    }
    db.commit();
}

bool write(QSqlDatabase db, const QString &table, const QStringList &columns, const QVector<Row> &rows)
{
    QSqlQuery q(db);
    QString create = QStringLiteral("CREATE TABLE ") + sql::quoteIdentifier(table)
                     + QStringLiteral(" (id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT");
    for (const QString &c : columns)
        create += QStringLiteral(", ") + sql::quoteIdentifier(c) + QStringLiteral(" TEXT");
    create += QLatin1Char(')');
    if (!q.exec(create)) {
        qWarning() << q.lastError().text();
        return false;
    }
    if (!q.prepare(QStringLiteral("INSERT INTO ") + sql::quoteIdentifier(table) + QStringLiteral(" VALUES (")
                   + sql::placeholders(3 + columns.size()) + QLatin1Char(')')))
        return false;
    for (const Row &r : rows) {
        q.addBindValue(r.id);
        q.addBindValue(r.date);
        q.addBindValue(r.time);
        for (int i = 0; i < columns.size(); ++i)
            q.addBindValue(i < r.cells.size() ? r.cells.at(i) : QVariant(QVariant::String));
        if (!q.exec()) {
            qWarning() << q.lastError().text();
            return false;
        }
    }
    return true;
}

bool writeSettings(const QString &path, Language language, const QVector<QVector<QPair<QString, QString>>> &units)
{
    static const char *const english[] = {"Analog inputs information", "Math functions", "Modbus master inputs",
                                          "Totalizer information"};
    static const char *const polish[] = {"Wejscia analogowe", "Funkcje matematyczne", "Wejscia modbus master",
                                         "Totalizer"};
    const bool en = language == Language::English;
    QFile::remove(path);
    const QString name = QStringLiteral("rectable_settings_writer");
    bool ok = true;
    {
        QSqlDatabase db = testdb::open(name, path);
        ok = db.isOpen();
        QSqlQuery q(db);
        for (int n = 0; ok && n < 4; ++n) {
            const QString table = QLatin1String(en ? english[n] : polish[n]);
            // A further column, as the recorder's tables have more than these two.
            ok = q.exec(QStringLiteral("CREATE TABLE %1 (Nr INTEGER, %2 TEXT, %3 TEXT)")
                            .arg(sql::quoteIdentifier(table),
                                 sql::quoteIdentifier(en ? QStringLiteral("Name") : QStringLiteral("Nazwa")),
                                 sql::quoteIdentifier(en ? QStringLiteral("Display unit")
                                                         : QStringLiteral("Wyswietlana jednostka"))));
            for (int i = 0; ok && n < units.size() && i < units.at(n).size(); ++i) {
                ok = q.prepare(QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?)").arg(sql::quoteIdentifier(table)));
                q.addBindValue(i + 1);
                q.addBindValue(units.at(n).at(i).first);
                q.addBindValue(units.at(n).at(i).second);
                ok = ok && q.exec();
            }
        }
    }
    Connections::remove(name);
    return ok;
}

} // namespace rectable
