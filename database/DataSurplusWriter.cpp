#include "database/DataSurplusWriter.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const char kMatched[] = "temp.quorlog_matched_rows";

} // namespace

bool DataSurplusWriter::fail(const SqliteStatement &statement)
{
    m_error = statement.errorText();
    m_code = statement.errorCode();
    return false;
}

bool DataSurplusWriter::begin(QSqlDatabase db)
{
    end();
    m_db = db;
    m_error.clear();
    m_code = 0;
    m_latestTimes.clear();
    m_lastStoredId = 0;
    {
        // Left by an import on this connection that could not drop it.
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS %1 (id INTEGER PRIMARY KEY)")
                            .arg(QLatin1String(kMatched)))
            || !query.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(kMatched)))) {
            m_error = query.lastError().databaseText();
            if (m_error.isEmpty())
                m_error = query.lastError().text();
            return false;
        }
    }
    SqliteStatement last;
    if (!last.prepare(db, QStringLiteral("SELECT MAX(id) FROM Data")))
        return fail(last);
    const SqliteStatement::Step read = last.step();
    if (read == SqliteStatement::Error)
        return fail(last);
    m_lastStoredId = read == SqliteStatement::Row && !last.isNull(0) ? last.int64(0) : 0;
    last.finalize();

    return (m_insert.prepare(db, QStringLiteral("INSERT INTO Data (idParameters, value, flag, dateTime, "
                                                "observationId) VALUES (?1, ?2, ?3, ?4, ?5)"))
            || fail(m_insert))
           // Reversed on the (idParameters, dateTime) index; the id is in
           // the index too.
           && (m_latest.prepare(db, QStringLiteral("SELECT dateTime FROM Data WHERE idParameters = ?1 AND id <= ?2 "
                                                   "ORDER BY dateTime DESC LIMIT 1"))
               || fail(m_latest))
           && (m_find.prepare(db, QStringLiteral("SELECT id FROM Data WHERE idParameters = ?1 AND dateTime = ?2 "
                                                 "AND value IS ?3 AND flag IS ?4 AND id <= ?5 AND id NOT IN "
                                                 "(SELECT id FROM %1) LIMIT 1")
                                      .arg(QLatin1String(kMatched)))
               || fail(m_find))
           && (m_match.prepare(db, QStringLiteral("INSERT INTO %1 (id) VALUES (?1)").arg(QLatin1String(kMatched)))
               || fail(m_match));
}

void DataSurplusWriter::end()
{
    m_insert.finalize();
    m_latest.finalize();
    m_find.finalize();
    m_match.finalize();
    if (m_db.isOpen()) {
        QSqlQuery query(m_db);
        query.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(kMatched)));
    }
    m_db = QSqlDatabase();
}

bool DataSurplusWriter::latestStored(int parameterId, qint64 *latest, bool *any)
{
    *any = false;
    if (m_lastStoredId <= 0)
        return true;
    m_latest.bind(1, qint64(parameterId));
    m_latest.bind(2, m_lastStoredId);
    switch (m_latest.step()) {
    case SqliteStatement::Row:
        *any = !m_latest.isNull(0);
        *latest = m_latest.int64(0);
        m_latest.reset();
        return true;
    case SqliteStatement::Done:
        return true;
    case SqliteStatement::Error:
        break;
    }
    return fail(m_latest);
}

DataSurplusWriter::Result DataSurplusWriter::add(int parameterId, double value, int flag, qint64 msecs,
                                                 qint64 observationId)
{
    auto known = m_latestTimes.constFind(parameterId);
    if (known == m_latestTimes.constEnd()) {
        Latest latest;
        if (!latestStored(parameterId, &latest.time, &latest.any))
            return Failed;
        known = m_latestTimes.insert(parameterId, latest);
    }
    if (known->any && msecs <= known->time) {
        m_find.bind(1, qint64(parameterId));
        m_find.bind(2, msecs);
        m_find.bind(3, value); // NaN binds as NULL, as it was stored
        m_find.bind(4, qint64(flag));
        m_find.bind(5, m_lastStoredId);
        switch (m_find.step()) {
        case SqliteStatement::Row: {
            const qint64 id = m_find.int64(0);
            m_find.reset();
            m_match.bind(1, id);
            if (m_match.step() != SqliteStatement::Done) {
                fail(m_match);
                return Failed;
            }
            return Matched;
        }
        case SqliteStatement::Done:
            break;
        case SqliteStatement::Error:
            fail(m_find);
            return Failed;
        }
    }
    m_insert.bind(1, qint64(parameterId));
    m_insert.bind(2, value);
    m_insert.bind(3, qint64(flag));
    m_insert.bind(4, msecs);
    if (observationId == NoObservation)
        m_insert.bindNull(5);
    else
        m_insert.bind(5, observationId);
    if (m_insert.step() != SqliteStatement::Done) {
        fail(m_insert);
        return Failed;
    }
    return Added;
}
