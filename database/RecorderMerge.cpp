#include "database/RecorderMerge.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "database/RecorderColumns.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

#include <cstring>

using sql::quoteIdentifier;

namespace {

const QString kNew = QStringLiteral("temp.recorder_new");
const QString kTail = QStringLiteral("temp.recorder_tail");
// Values of new rows that a later new row at their date and time replaced.
const QString kLost = QStringLiteral("temp.recorder_lost");

// A cell that holds a value: not NULL, '' or ' '.
QString valueOf(const QString &cell)
{
    return QStringLiteral("NULLIF(NULLIF(%1, ''), ' ')").arg(cell);
}

bool isKey(const QString &name)
{
    return name == QLatin1String("id") || name == QLatin1String("date") || name == QLatin1String("time");
}

// Work columns are named by position: the table's own names may be anything.
QString slot(QChar prefix, int i)
{
    return QStringLiteral("%1%2").arg(prefix).arg(i + 1);
}

} // namespace

QString RecorderMerge::indexName(const QString &table)
{
    return QStringLiteral("idx_%1_date_time").arg(table);
}

QString RecorderMerge::indexStatement(const QString &table)
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2(\"date\", \"time\");")
        .arg(quoteIdentifier(indexName(table)), quoteIdentifier(table));
}

bool RecorderMerge::exec(const QString &statement, const QString &what)
{
    QSqlQuery query(m_in.db);
    if (query.exec(statement))
        return true;
    m_error = what + query.lastError().text();
    TRACE() << m_error << statement;
    return false;
}

bool RecorderMerge::cancelled(int step) const
{
    if (m_in.step)
        m_in.step(step);
    return m_in.cancelFlag && m_in.cancelFlag->loadAcquire() != 0;
}

void RecorderMerge::dropWork()
{
    QSqlQuery query(m_in.db);
    query.exec(QStringLiteral("DROP TABLE IF EXISTS ") + kNew);
    query.exec(QStringLiteral("DROP TABLE IF EXISTS ") + kTail);
    query.exec(QStringLiteral("DROP TABLE IF EXISTS ") + kLost);
}

// The order the merge leaves behind: ids 1..n, (date, time) text strictly
// rising with the id, as SQLite orders text. Only such a table may keep its
// leading rows untouched. One pass over the date and time index through the
// connection's own handle: a window query over a large table costs several
// times more.
bool RecorderMerge::isOrdered(bool *ordered)
{
    *ordered = false;
    const QVariant handle = m_in.db.isOpen() && m_in.db.driver() ? m_in.db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        m_error = tr("Reading the order of the rows: ") + QStringLiteral("not an SQLite connection");
        return false;
    }
    sqlite3 *db = *static_cast<sqlite3 *const *>(handle.constData());
    // Walked along the date and time index, which holds the id too: a pass
    // over the index alone reads a fraction of the table's pages. In that
    // order the ids must run 1, 2, … and no date and time may repeat.
    const QByteArray statement = QStringLiteral("SELECT id, \"date\", \"time\" FROM %1 INDEXED BY %2 ORDER BY \"date\", "
                                                "\"time\", id;")
                                     .arg(quoteIdentifier(m_in.table), quoteIdentifier(indexName(m_in.table)))
                                     .toUtf8();
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, statement.constData(), statement.size(), &stmt, nullptr) != SQLITE_OK) {
        m_error = tr("Reading the order of the rows: ") + QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
        return false;
    }
    QByteArray lastDate, lastTime;
    sqlite3_int64 expected = 0;
    bool inOrder = true;
    int rc = SQLITE_ROW;
    while (inOrder && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (sqlite3_column_int64(stmt, 0) != ++expected || sqlite3_column_type(stmt, 1) != SQLITE_TEXT
            || sqlite3_column_type(stmt, 2) != SQLITE_TEXT) {
            inOrder = false;
            break;
        }
        const char *date = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1));
        const int dateSize = sqlite3_column_bytes(stmt, 1);
        const char *time = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 2));
        const int timeSize = sqlite3_column_bytes(stmt, 2);
        // SQLite's own text order: bytes, then length.
        const auto compare = [](const QByteArray &a, const char *b, int bSize) {
            const int c = memcmp(a.constData(), b, size_t(qMin(a.size(), bSize)));
            return c != 0 ? c : a.size() - bSize;
        };
        if (expected > 1) {
            const int byDate = compare(lastDate, date, dateSize);
            if (byDate > 0 || (byDate == 0 && compare(lastTime, time, timeSize) >= 0))
                inOrder = false;
        }
        lastDate = QByteArray(date, dateSize);
        lastTime = QByteArray(time, timeSize);
    }
    if (inOrder && rc != SQLITE_DONE) {
        m_error = tr("Reading the order of the rows: ") + QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
        return false;
    }
    sqlite3_finalize(stmt);
    *ordered = inOrder;
    return true;
}

bool RecorderMerge::countDiffering(const QStringList &targets, bool repeats)
{
    // The table keeps one row per date and time: a value that lost there is
    // not in it, and the user is told how many, and why.
    m_differing = 0;
    m_repeated = 0;
    if (m_in.columns.isEmpty())
        return true;
    const QString source = quoteIdentifier(m_in.sourceSchema) + QLatin1Char('.') + quoteIdentifier(m_in.sourceTable);
    QStringList sums, lost;
    for (int i = 0; i < m_in.columns.size(); ++i) {
        const QString s = QStringLiteral("s.") + quoteIdentifier(m_in.columns.at(i).source);
        const QString t = QStringLiteral("t.") + quoteIdentifier(targets.at(i));
        sums << QStringLiteral("SUM(%1 IS NOT NULL AND %2 IS NOT %3)").arg(valueOf(s), t, s);
        const QString l = QStringLiteral("l.") + slot(QLatin1Char('v'), i);
        lost << QStringLiteral("SUM(%1 IS NOT NULL AND %2 IS NOT %1)").arg(l, t);
    }
    QSqlQuery query(m_in.db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2 AS s JOIN main.%3 AS t ON t.\"date\" = s.\"date\" AND "
                                   "t.\"time\" = s.\"time\";")
                        .arg(sums.join(QStringLiteral(", ")), source, quoteIdentifier(m_in.table)))
        || !query.next()) {
        m_error = tr("Comparing the new rows with the table: ") + query.lastError().text();
        return false;
    }
    for (int i = 0; i < sums.size(); ++i)
        m_differing += query.value(i).toLongLong();
    if (!repeats)
        return true;
    // Of those, the ones a later new row replaced before the table was
    // reached; the rest lost to a stored value.
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2 AS l JOIN main.%3 AS t ON t.\"date\" = l.\"date\" AND "
                                   "t.\"time\" = l.\"time\";")
                        .arg(lost.join(QStringLiteral(", ")), kLost, quoteIdentifier(m_in.table)))
        || !query.next()) {
        m_error = tr("Comparing the new rows with the table: ") + query.lastError().text();
        return false;
    }
    for (int i = 0; i < lost.size(); ++i)
        m_repeated += query.value(i).toLongLong();
    m_differing -= m_repeated;
    return true;
}

RecorderMerge::Result RecorderMerge::run(const Input &input)
{
    m_in = input;
    m_error.clear();
    m_rows = 0;
    m_rewritten = 0;
    m_differing = 0;
    m_repeated = 0;
    dropWork();
    const Result result = [this] {
        const QString t = quoteIdentifier(m_in.table);
        const QString source = quoteIdentifier(m_in.sourceSchema) + QLatin1Char('.') + quoteIdentifier(m_in.sourceTable);
        const bool newWins = m_in.priority == Priority::New;

        // The table's value columns, in table order.
        QStringList tableColumns;
        {
            QSqlQuery query(m_in.db);
            if (!query.exec(QStringLiteral("PRAGMA main.table_info(%1);").arg(t))) {
                m_error = tr("Reading the columns of the table: ") + query.lastError().text();
                return Result::Failed;
            }
            while (query.next()) {
                const QString name = query.value(1).toString();
                if (!isKey(name))
                    tableColumns << name;
            }
        }
        if (tableColumns.isEmpty() && m_in.columns.isEmpty()) {
            m_error = tr("No columns to merge.");
            return Result::Failed;
        }
        // Where each new column lands among the table's columns.
        QVector<int> targetOf;
        for (const Column &c : m_in.columns) {
            int at = -1;
            for (int i = 0; i < tableColumns.size() && at < 0; ++i)
                if (recorderColumns::foldCase(tableColumns.at(i)) == recorderColumns::foldCase(c.target))
                    at = i;
            if (at < 0) {
                m_error = tr("The table has no column ") + c.target;
                return Result::Failed;
            }
            targetOf << at;
        }
        QStringList targets;
        for (int at : qAsConst(targetOf))
            targets << tableColumns.at(at);

        if (!exec(indexStatement(m_in.table), tr("Creating the date and time index: ")))
            return Result::Failed;

        // Stage the new rows, one per date and time: of rows with an equal
        // key the later one wins column by column where it has a value (a
        // blank cell is none).
        QStringList staged, sourceNames, upsert;
        for (int i = 0; i < m_in.columns.size(); ++i) {
            const QString v = slot(QLatin1Char('v'), i);
            staged << v;
            sourceNames << quoteIdentifier(m_in.columns.at(i).source);
            upsert << QStringLiteral("%1 = coalesce(%2, %1)").arg(v, valueOf(QStringLiteral("excluded.") + v));
        }
        const QString newSlots = staged.isEmpty() ? QString() : QStringLiteral(", ") + staged.join(QStringLiteral(", "));
        if (!exec(QStringLiteral("CREATE TEMP TABLE recorder_new (\"date\" TEXT, \"time\" TEXT%1, "
                                 "UNIQUE(\"date\", \"time\"));")
                      .arg(newSlots),
                  tr("Creating the work table: ")))
            return Result::Failed;
        {
            const QString onConflict =
                upsert.isEmpty() ? QStringLiteral("DO NOTHING")
                                 : QStringLiteral("DO UPDATE SET ") + upsert.join(QStringLiteral(", "));
            const QString picked =
                sourceNames.isEmpty() ? QString() : QStringLiteral(", ") + sourceNames.join(QStringLiteral(", "));
            // "WHERE true" keeps SQLite from reading ON as a join clause.
            if (!exec(QStringLiteral("INSERT INTO %1 (\"date\", \"time\"%2) SELECT \"date\", \"time\"%3 FROM %4 "
                                     "WHERE true ON CONFLICT(\"date\", \"time\") %5;")
                          .arg(kNew, newSlots, picked, source, onConflict),
                      tr("Reading the new rows: ")))
                return Result::Failed;
        }
        if (cancelled(1))
            return Result::Cancelled;

        // Every value of the file is written when no date and time is in it
        // twice and all of them follow the table's last: then the comparison
        // after the merge is not needed (the next file of an instrument), and
        // no stored row is to be updated.
        bool mayDiffer = true;
        bool overlap = true;
        bool repeats = true;
        {
            QSqlQuery query(m_in.db);
            qint64 sourceRows = -1, stagedRows = -2;
            if (query.exec(QStringLiteral("SELECT count(*) FROM %1;").arg(source)) && query.next())
                sourceRows = query.value(0).toLongLong();
            if (query.exec(QStringLiteral("SELECT count(*) FROM %1;").arg(kNew)) && query.next())
                stagedRows = query.value(0).toLongLong();
            QVariant date, time;
            if (query.exec(QStringLiteral("SELECT \"date\", \"time\" FROM %1 WHERE \"date\" IS NOT NULL AND \"time\" IS "
                                          "NOT NULL ORDER BY \"date\", \"time\" LIMIT 1;")
                               .arg(kNew))
                && query.next()) {
                date = query.value(0);
                time = query.value(1);
            }
            query.finish();
            overlap = !date.isNull();
            if (overlap) {
                query.prepare(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1 WHERE (\"date\", \"time\") >= (?, ?));").arg(t));
                query.addBindValue(date);
                query.addBindValue(time);
                overlap = !query.exec() || !query.next() || query.value(0).toInt() != 0;
            }
            repeats = sourceRows != stagedRows;
            mayDiffer = repeats || overlap;
        }
        // A date and time the new rows hold twice: the values that a later
        // row replaced, kept apart while every staged row is still there.
        if (repeats && !m_in.columns.isEmpty()) {
            QStringList picked;
            for (int i = 0; i < m_in.columns.size(); ++i) {
                const QString s = QStringLiteral("s.") + quoteIdentifier(m_in.columns.at(i).source);
                const QString v = slot(QLatin1Char('v'), i);
                picked << QStringLiteral("CASE WHEN %1 IS NOT NULL AND %2 IS NOT n.%3 THEN %2 END AS %3")
                              .arg(valueOf(s), s, v);
            }
            if (!exec(QStringLiteral("CREATE TEMP TABLE recorder_lost AS SELECT s.\"date\" AS \"date\", s.\"time\" "
                                     "AS \"time\", %1 FROM %2 AS s JOIN %3 AS n ON n.\"date\" = s.\"date\" AND "
                                     "n.\"time\" = s.\"time\";")
                          .arg(picked.join(QStringLiteral(", ")), source, kNew),
                      tr("Reading the new rows: ")))
                return Result::Failed;
        }

        bool ordered = false;
        if (!isOrdered(&ordered))
            return Result::Failed;
        if (cancelled(2))
            return Result::Cancelled;

        // Rows whose date and time the table holds: updated where they are.
        if (overlap && !m_in.columns.isEmpty()) {
            QStringList sets;
            for (int i = 0; i < m_in.columns.size(); ++i) {
                const QString col = quoteIdentifier(tableColumns.at(targetOf.at(i)));
                const QString v = QStringLiteral("n.") + staged.at(i);
                sets << (newWins ? QStringLiteral("%1 = coalesce(%2, %1)").arg(col, v)
                                 : QStringLiteral("%1 = coalesce(%1, %2)").arg(col, v));
            }
            if (!exec(QStringLiteral("UPDATE %1 SET %2 FROM %3 AS n WHERE %1.\"date\" = n.\"date\" AND "
                                     "%1.\"time\" = n.\"time\";")
                          .arg(t, sets.join(QStringLiteral(", ")), kNew),
                      tr("Updating the stored rows: ")))
                return Result::Failed;
        }
        if (overlap
            && !exec(QStringLiteral("DELETE FROM %1 WHERE EXISTS (SELECT 1 FROM %2 WHERE %2.\"date\" = %1.\"date\" AND "
                                    "%2.\"time\" = %1.\"time\");")
                         .arg(kNew, t),
                     tr("Sorting out the new rows: ")))
            return Result::Failed;
        if (cancelled(3))
            return Result::Cancelled;

        // Rows from the first new date and time on are written again, so the
        // ids follow the date and time order; the rows before keep theirs.
        qint64 keep = 0;
        bool anyNew = false;
        {
            QSqlQuery query(m_in.db);
            if (!query.exec(QStringLiteral("SELECT \"date\", \"time\" FROM %1 ORDER BY \"date\", \"time\" LIMIT 1;")
                                .arg(kNew))) {
                m_error = tr("Reading the new rows: ") + query.lastError().text();
                return Result::Failed;
            }
            if (query.next()) {
                anyNew = true;
                const QVariant date = query.value(0);
                const QVariant time = query.value(1);
                query.finish();
                if (ordered && !date.isNull() && !time.isNull()) {
                    query.prepare(QStringLiteral("SELECT id FROM %1 WHERE (\"date\", \"time\") < (?, ?) "
                                                 "ORDER BY \"date\" DESC, \"time\" DESC LIMIT 1;")
                                      .arg(t));
                    query.addBindValue(date);
                    query.addBindValue(time);
                    if (!query.exec()) {
                        m_error = tr("Reading the stored rows: ") + query.lastError().text();
                        return Result::Failed;
                    }
                    keep = query.next() ? query.value(0).toLongLong() : 0;
                }
            }
        }
        if (!anyNew && ordered) {
            QSqlQuery query(m_in.db);
            if (query.exec(QStringLiteral("SELECT count(*) FROM %1;").arg(t)) && query.next())
                m_rows = query.value(0).toLongLong();
            return !mayDiffer || countDiffering(targets, repeats) ? Result::Done : Result::Failed;
        }

        // The stored rows to write again; a table out of order may hold a
        // date and time twice, collapsed here by the same rule.
        QStringList tailSlots, tailNames, tailUpsert;
        for (int i = 0; i < tableColumns.size(); ++i) {
            const QString w = slot(QLatin1Char('w'), i);
            tailSlots << w;
            tailNames << quoteIdentifier(tableColumns.at(i));
            tailUpsert << QStringLiteral("%1 = coalesce(excluded.%1, %1)").arg(w);
        }
        const QString tailList =
            tailSlots.isEmpty() ? QString() : QStringLiteral(", ") + tailSlots.join(QStringLiteral(", "));
        if (!exec(QStringLiteral("CREATE TEMP TABLE recorder_tail (\"date\" TEXT, \"time\" TEXT%1, "
                                 "UNIQUE(\"date\", \"time\"));")
                      .arg(tailList),
                  tr("Creating the work table: ")))
            return Result::Failed;
        {
            QSqlQuery query(m_in.db);
            const QString onConflict = tailUpsert.isEmpty()
                                           ? QStringLiteral("DO NOTHING")
                                           : QStringLiteral("DO UPDATE SET ") + tailUpsert.join(QStringLiteral(", "));
            query.prepare(QStringLiteral("INSERT INTO %1 (\"date\", \"time\"%2) SELECT \"date\", \"time\"%3 FROM %4 "
                                         "WHERE id > ? ORDER BY id ON CONFLICT(\"date\", \"time\") %5;")
                              .arg(kTail, tailList,
                                   tailNames.isEmpty() ? QString()
                                                       : QStringLiteral(", ") + tailNames.join(QStringLiteral(", ")),
                                   t, onConflict));
            query.addBindValue(keep);
            if (!query.exec()) {
                m_error = tr("Reading the stored rows: ") + query.lastError().text();
                return Result::Failed;
            }
            query.prepare(QStringLiteral("DELETE FROM %1 WHERE id > ?;").arg(t));
            query.addBindValue(keep);
            if (!query.exec()) {
                m_error = tr("Removing the rows to write again: ") + query.lastError().text();
                return Result::Failed;
            }
            // Without AUTOINCREMENT the next id follows the last kept row anyway.
            query.prepare(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ?;"));
            query.addBindValue(keep);
            query.addBindValue(m_in.table);
            QSqlQuery probe(m_in.db);
            const bool hasSequence =
                probe.exec(QStringLiteral("SELECT 1 FROM main.sqlite_master WHERE name = 'sqlite_sequence';"))
                && probe.next();
            if (hasSequence && !query.exec()) {
                m_error = tr("Restarting the ids: ") + query.lastError().text();
                return Result::Failed;
            }
        }
        if (cancelled(4))
            return Result::Cancelled;

        QStringList fromNew;
        for (int i = 0; i < tableColumns.size(); ++i) {
            const int at = targetOf.indexOf(i);
            fromNew << (at < 0 ? QStringLiteral("NULL") : staged.at(at));
        }
        const QString newList = fromNew.isEmpty() ? QString() : QStringLiteral(", ") + fromNew.join(QStringLiteral(", "));
        {
            QSqlQuery query(m_in.db);
            const QString statement =
                QStringLiteral("INSERT INTO %1 (\"date\", \"time\"%2) SELECT \"date\", \"time\"%3 FROM %4 "
                               "UNION ALL SELECT \"date\", \"time\"%5 FROM %6 ORDER BY 1, 2;")
                    .arg(t,
                         tailNames.isEmpty() ? QString() : QStringLiteral(", ") + tailNames.join(QStringLiteral(", ")),
                         tailList, kTail, newList, kNew);
            if (!query.exec(statement)) {
                m_error = tr("Writing the rows: ") + query.lastError().text();
                TRACE() << m_error << statement;
                return Result::Failed;
            }
            m_rewritten = query.numRowsAffected();
            if (query.exec(QStringLiteral("SELECT count(*) FROM %1;").arg(t)) && query.next())
                m_rows = query.value(0).toLongLong();
        }
        if (mayDiffer && !countDiffering(targets, repeats))
            return Result::Failed;
        TRACE() << "Wide table" << m_in.table << "rows:" << m_rows << "written again:" << m_rewritten
                << "differing values not written:" << m_differing << "repeated:" << m_repeated;
        return cancelled(5) ? Result::Cancelled : Result::Done;
    }();
    dropWork();
    return result;
}
