#include "database/UniqueDataInsert.h"

#include "common/SqlUtil.h"

#include <QVariant>

bool UniqueDataInsert::prepare(QSqlDatabase db)
{
    m_query = QSqlQuery(db);
    // The look-up runs on the Data(idParameters, dateTime) index.
    if (!m_query.prepare(QStringLiteral("INSERT INTO Data (idParameters, value, flag, dateTime, observationId) "
                                        "SELECT ?, ?, ?, ?, NULL WHERE NOT EXISTS "
                                        "(SELECT 1 FROM Data WHERE idParameters = ? AND dateTime = ?)"))) {
        m_error = sql::errorText(m_query);
        return false;
    }
    m_plain = QSqlQuery(db);
    if (!m_plain.prepare(QStringLiteral("INSERT INTO Data (idParameters, value, flag, dateTime, observationId) "
                                        "VALUES (?, ?, ?, ?, NULL)"))) {
        m_error = sql::errorText(m_plain);
        return false;
    }
    return true;
}

UniqueDataInsert::Result UniqueDataInsert::insertNew(int parameterId, double value, int flag, qint64 msecs)
{
    m_plain.bindValue(0, parameterId);
    m_plain.bindValue(1, value);
    m_plain.bindValue(2, flag);
    m_plain.bindValue(3, msecs);
    if (!m_plain.exec()) {
        m_error = sql::errorText(m_plain);
        return Failed;
    }
    return Added;
}

UniqueDataInsert::Result UniqueDataInsert::insert(int parameterId, double value, int flag, qint64 msecs)
{
    m_query.bindValue(0, parameterId);
    m_query.bindValue(1, value);
    m_query.bindValue(2, flag);
    m_query.bindValue(3, msecs);
    m_query.bindValue(4, parameterId);
    m_query.bindValue(5, msecs);
    if (!m_query.exec()) {
        m_error = sql::errorText(m_query);
        return Failed;
    }
    return m_query.numRowsAffected() > 0 ? Added : Skipped;
}
