#include "database/RecorderColumns.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "common/UtcTime.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

using sql::quoteIdentifier;

namespace recorderColumns {

namespace {

// SQLite takes at most 127 arguments in a function call.
const int kCoalesceChunk = 100;

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    TRACE() << "Recorder columns:" << text;
    return false;
}

bool exec(QSqlDatabase db, const QString &statement, QString *error)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    return fail(error, query.lastError().text());
}

bool endsWithFolded(const QString &text, const QString &end)
{
    return text.size() >= end.size() && foldCase(text.right(end.size())) == foldCase(end);
}

struct ColumnInfo
{
    QString name;
    QString type;
    bool notNull = false;
    QVariant defaultValue;
    int pk = 0;
};

bool tableInfo(QSqlDatabase db, const QString &table, QList<ColumnInfo> *columns, QString *error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA main.table_info(%1);").arg(quoteIdentifier(table))))
        return fail(error, query.lastError().text());
    const QSqlRecord r = query.record();
    const int name = r.indexOf(QStringLiteral("name"));
    const int type = r.indexOf(QStringLiteral("type"));
    const int notNull = r.indexOf(QStringLiteral("notnull"));
    const int dflt = r.indexOf(QStringLiteral("dflt_value"));
    const int pk = r.indexOf(QStringLiteral("pk"));
    while (query.next())
        columns->append({query.value(name).toString(), query.value(type).toString(), query.value(notNull).toInt() != 0,
                         query.value(dflt), query.value(pk).toInt()});
    return true;
}

} // namespace

bool parseWideTime(const QString &text, qint64 *msecs)
{
    const QString date = text.section(QLatin1Char(' '), 0, 0);
    const QString time = text.section(QLatin1Char(' '), 1);
    return utc::parseMsecs(date, QStringLiteral("yyyy-MM-dd"), time, QStringLiteral("HH:mm:ss.zzz"), msecs)
        || utc::parseMsecs(date, QStringLiteral("yyyy-MM-dd"), time, QStringLiteral("HH:mm:ss"), msecs);
}

QStringList wideTables()
{
    return {QStringLiteral("DataMoxB"), QStringLiteral("DataMoxA")};
}

QString mark(const QString &instrument)
{
    return QStringLiteral(" (") + instrument + QLatin1Char(')');
}

QString columnName(const QString &parameter, const QString &instrument)
{
    return parameter + mark(instrument);
}

QString foldCase(const QString &name)
{
    QString folded = name;
    for (QChar &c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

bool findCaseTwins(const QStringList &names, QString *earlier, QString *later)
{
    QHash<QString, QString> seen;
    seen.reserve(names.size());
    for (const QString &name : names) {
        const QString key = foldCase(name);
        const auto it = seen.constFind(key);
        if (it != seen.constEnd() && it.value() != name) {
            *earlier = it.value();
            *later = name;
            return true;
        }
        seen.insert(key, name);
    }
    return false;
}

NameClash nameClash(const QString &name, const QString &other)
{
    if (name == other)
        return NameClash::Same;
    // Wider than SQLite's own folding, as a user reads names.
    if (name.compare(other, Qt::CaseInsensitive) == 0)
        return NameClash::LetterCase;
    const QString opening = QStringLiteral(" (");
    if (name.endsWith(opening + other, Qt::CaseInsensitive) || other.endsWith(opening + name, Qt::CaseInsensitive))
        return NameClash::Mark;
    return NameClash::None;
}

bool isValueColumn(const QString &column)
{
    return column != QLatin1String("id") && column != QLatin1String("date") && column != QLatin1String("time")
        && column != QLatin1String("record");
}

QString hasValueExpression(const QStringList &columns)
{
    if (columns.isEmpty())
        return QStringLiteral("0");
    QStringList chunks;
    for (int from = 0; from < columns.size(); from += kCoalesceChunk) {
        QStringList values;
        for (const QString &c : columns.mid(from, kCoalesceChunk))
            values << QStringLiteral("NULLIF(NULLIF(%1, ''), ' ')").arg(quoteIdentifier(c));
        values << QStringLiteral("NULL"); // COALESCE wants two arguments at least
        chunks << QStringLiteral("COALESCE(%1) IS NOT NULL").arg(values.join(QStringLiteral(", ")));
    }
    return QLatin1Char('(') + chunks.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

bool Owners::load(QSqlDatabase db)
{
    m_names.clear();
    m_pairs.clear();
    m_error.clear();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT id, name FROM Devices"))) {
        m_error = query.lastError().text();
        return false;
    }
    while (query.next())
        m_names.insert(query.value(0).toInt(), query.value(1).toString());
    if (!query.exec(QStringLiteral("SELECT idDevices, name FROM Parameters"))) {
        m_error = query.lastError().text();
        return false;
    }
    while (query.next()) {
        const int device = query.value(0).toInt();
        const auto it = m_names.constFind(device);
        if (it == m_names.constEnd())
            continue;
        const QString parameter = query.value(1).toString();
        m_pairs[foldCase(columnName(parameter, it.value()))].append({parameter, device});
    }
    return true;
}

QList<int> Owners::ownersOf(const QString &column) const
{
    QList<int> owners;
    for (const Pair &p : m_pairs.value(foldCase(column)))
        if (!owners.contains(p.deviceId))
            owners << p.deviceId;
    if (!owners.isEmpty())
        return owners;
    int longest = 0;
    for (auto it = m_names.constBegin(); it != m_names.constEnd(); ++it) {
        const QString m = mark(it.value());
        if (column.size() <= m.size() || !column.endsWith(m) || m.size() < longest)
            continue;
        if (m.size() > longest)
            owners.clear();
        longest = m.size();
        owners << it.key();
    }
    return owners;
}

QStringList Owners::columnsOf(const QStringList &columns, int deviceId, bool alone) const
{
    QStringList found;
    for (const QString &c : columns) {
        if (!isValueColumn(c))
            continue;
        const QList<int> owners = ownersOf(c);
        if (owners.contains(deviceId) && (!alone || owners.size() == 1))
            found << c;
    }
    return found;
}

bool findCollision(QSqlDatabase db, const QString &table, int deviceId, const QString &instrument,
                   const QStringList &parameters, Collision *found, QString *error)
{
    *found = Collision();
    QStringList columns;
    if (!tableColumns(db, table, &columns, error))
        return false;
    QHash<QString, QString> present;
    for (const QString &c : qAsConst(columns))
        present.insert(foldCase(c), c);
    Owners owners;
    if (!owners.load(db))
        return fail(error, owners.errorText());
    for (const QString &parameter : parameters) {
        const QString column = columnName(parameter, instrument);
        const auto existing = present.constFind(foldCase(column));
        if (existing == present.constEnd())
            continue;
        for (const Owners::Pair &pair : owners.pairsAt(column)) {
            if (pair.deviceId == deviceId && pair.parameter == parameter)
                continue;
            *found = {column, existing.value(), pair.parameter, owners.name(pair.deviceId)};
            return true;
        }
    }
    return true;
}

bool tableColumns(QSqlDatabase db, const QString &table, QStringList *columns, QString *error)
{
    QList<ColumnInfo> info;
    if (!tableInfo(db, table, &info, error))
        return false;
    columns->clear();
    for (const ColumnInfo &c : qAsConst(info))
        *columns << c.name;
    return true;
}

bool dropColumns(QSqlDatabase db, const QString &table, const QStringList &drop, QString *error)
{
    QList<ColumnInfo> info;
    if (!tableInfo(db, table, &info, error))
        return false;
    if (info.isEmpty())
        return true;

    // The table's statement and those of its indexes over kept columns
    // (SQLite's own indexes of constraints have none).
    QString createdWith;
    QStringList indexes;
    {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT type, name, sql FROM main.sqlite_master WHERE tbl_name = ? "
                                     "AND sql IS NOT NULL AND type IN ('table', 'index')"));
        query.addBindValue(table);
        if (!query.exec())
            return fail(error, query.lastError().text());
        QSqlQuery indexed(db);
        while (query.next()) {
            if (query.value(0).toString() == QLatin1String("table")) {
                createdWith = query.value(2).toString();
                continue;
            }
            if (!indexed.exec(QStringLiteral("PRAGMA main.index_info(%1);")
                                  .arg(quoteIdentifier(query.value(1).toString()))))
                return fail(error, indexed.lastError().text());
            bool usesDropped = false;
            while (indexed.next())
                usesDropped = usesDropped || drop.contains(indexed.value(2).toString());
            if (!usesDropped)
                indexes << query.value(2).toString();
        }
    }

    // Dropping a column in place rewrites every row, once per column: a
    // recorder's sixty columns over a year of rows would take minutes. One
    // copy takes the columns and the empty rows out together.
    QList<ColumnInfo> kept;
    for (const ColumnInfo &c : qAsConst(info))
        if (!drop.contains(c.name))
            kept << c;
    QStringList keys;
    for (const ColumnInfo &c : qAsConst(kept))
        if (c.pk > 0)
            keys << c.name;
    // An "id INTEGER PRIMARY KEY" is the row id: renumbered 1, 2, … as a
    // table that never held the removed rows would have it.
    bool rowidKey = false;
    for (const ColumnInfo &c : qAsConst(kept))
        rowidKey = rowidKey
                || (keys.size() == 1 && c.pk > 0 && c.name == QLatin1String("id")
                    && c.type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0);
    QStringList definitions, names, values;
    for (const ColumnInfo &c : qAsConst(kept)) {
        QString d = quoteIdentifier(c.name);
        if (!c.type.isEmpty())
            d += QLatin1Char(' ') + c.type;
        if (keys.size() == 1 && c.pk > 0) {
            d += QStringLiteral(" PRIMARY KEY");
            if (c.type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0
                && createdWith.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive))
                d += QStringLiteral(" AUTOINCREMENT");
        }
        if (c.notNull)
            d += QStringLiteral(" NOT NULL");
        if (!c.defaultValue.isNull())
            d += QStringLiteral(" DEFAULT (") + c.defaultValue.toString() + QLatin1Char(')');
        definitions << d;
        names << quoteIdentifier(c.name);
        if (rowidKey && c.name == QLatin1String("id"))
            values << QStringLiteral("row_number() OVER (ORDER BY id)");
        else
            values << quoteIdentifier(c.name);
    }
    if (keys.size() > 1)
        definitions << QStringLiteral("PRIMARY KEY (%1)").arg(sql::quoteIdentifiers(keys));
    QStringList valueColumns;
    for (const ColumnInfo &c : qAsConst(kept))
        if (isValueColumn(c.name))
            valueColumns << c.name;

    const QString building = QStringLiteral("new_") + table;
    {
        QStringList present;
        if (!tableColumns(db, building, &present, error))
            return false;
        if (!present.isEmpty())
            return fail(error, QStringLiteral("The table %1 is in the way.").arg(building));
    }
    const QString t = quoteIdentifier(table);
    const QString b = quoteIdentifier(building);
    if (!exec(db, QStringLiteral("CREATE TABLE %1 (%2);").arg(b, definitions.join(QStringLiteral(", "))), error)
        || !exec(db,
                 QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4 WHERE %5 ORDER BY %6;")
                     .arg(b, names.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), t,
                          hasValueExpression(valueColumns), rowidKey ? QStringLiteral("id") : QStringLiteral("rowid")),
                 error)
        || !exec(db, QStringLiteral("DROP TABLE %1;").arg(t), error)
        || !exec(db, QStringLiteral("ALTER TABLE %1 RENAME TO %2;").arg(b, t), error))
        return false;
    for (const QString &index : qAsConst(indexes))
        if (!exec(db, index, error))
            return false;
    return true;
}

bool renameColumns(QSqlDatabase db, const QString &table, const QStringList &columns, const QString &from,
                   const QString &to, QString *clash, QString *error)
{
    if (columns.isEmpty() || from == to)
        return true;
    QStringList present;
    if (!tableColumns(db, table, &present, error))
        return false;
    const QString oldMark = mark(from);
    QStringList targets;
    QSet<QString> renamed;
    for (const QString &c : columns) {
        if (!endsWithFolded(c, oldMark))
            return fail(error, QStringLiteral("The column %1 does not end in %2.").arg(c, oldMark));
        targets << columnName(c.left(c.size() - oldMark.size()), to);
        renamed << foldCase(c);
    }
    QHash<QString, QString> others; // folded -> a column that stays as it is
    for (const QString &c : qAsConst(present))
        if (!renamed.contains(foldCase(c)))
            others.insert(foldCase(c), c);
    bool throughSpare = false;
    for (int i = 0; i < targets.size(); ++i) {
        const QString folded = foldCase(targets.at(i));
        if (others.contains(folded)) {
            if (clash)
                *clash = others.value(folded);
            return fail(error, QStringLiteral("The column %1 exists.").arg(others.value(folded)));
        }
        // A new name that another renamed column still has: go round.
        throughSpare = throughSpare || (renamed.contains(folded) && folded != foldCase(columns.at(i)));
    }

    const QString t = quoteIdentifier(table);
    auto rename = [&](const QString &a, const QString &b) {
        return exec(db,
                    QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3;")
                        .arg(t, quoteIdentifier(a), quoteIdentifier(b)),
                    error);
    };
    QStringList current = columns;
    if (throughSpare) {
        QSet<QString> taken;
        for (const QString &c : qAsConst(present))
            taken << foldCase(c);
        for (const QString &c : qAsConst(targets))
            taken << foldCase(c);
        int serial = 0;
        for (int i = 0; i < current.size(); ++i) {
            QString spare;
            do
                spare = QStringLiteral("renaming %1").arg(++serial);
            while (taken.contains(foldCase(spare)));
            if (!rename(current.at(i), spare))
                return false;
            current[i] = spare;
        }
    }
    for (int i = 0; i < current.size(); ++i)
        if (!rename(current.at(i), targets.at(i)))
            return false;
    return true;
}

bool rowSpan(QSqlDatabase db, const QString &table, const QStringList &columns, Span *span, QString *error)
{
    QString text = QStringLiteral("SELECT MIN(date || ' ' || time), MAX(date || ' ' || time), COUNT(*) FROM %1")
                       .arg(quoteIdentifier(table));
    if (!columns.isEmpty())
        text += QStringLiteral(" WHERE ") + hasValueExpression(columns);
    QSqlQuery query(db);
    if (!query.exec(text))
        return fail(error, query.lastError().text());
    *span = Span();
    if (query.next()) {
        span->count = query.value(2).toULongLong();
        span->found = parseWideTime(query.value(0).toString(), &span->first)
                   && parseWideTime(query.value(1).toString(), &span->last);
    }
    return true;
}

bool rowBounds(QSqlDatabase db, const QString &table, const QStringList &columns, Span *span, bool *exists,
               QString *error)
{
    // Dates are all "yyyy-MM-dd", so the index order is that of the joined
    // text. With columns, the walk along the index stops at the first row
    // that holds one of their values.
    const QString t = quoteIdentifier(table);
    const QString holds = columns.isEmpty() ? QString() : QStringLiteral(" AND ") + hasValueExpression(columns);
    const QString bound = QStringLiteral("(SELECT date || ' ' || time FROM %1 WHERE date IS NOT NULL AND time IS "
                                         "NOT NULL%2 ORDER BY date %3, time %3 LIMIT 1)");
    const QString text =
        QStringLiteral("SELECT %1, %2, EXISTS (SELECT 1 FROM %3%4)")
            .arg(bound.arg(t, holds, QStringLiteral("ASC")), bound.arg(t, holds, QStringLiteral("DESC")), t,
                 columns.isEmpty() ? QString() : QStringLiteral(" WHERE ") + hasValueExpression(columns));
    QSqlQuery query(db);
    if (!query.exec(text))
        return fail(error, query.lastError().text());
    *span = Span();
    *exists = false;
    if (query.next()) {
        *exists = query.value(2).toInt() != 0;
        span->found = parseWideTime(query.value(0).toString(), &span->first)
                   && parseWideTime(query.value(1).toString(), &span->last);
    }
    return true;
}

} // namespace recorderColumns
