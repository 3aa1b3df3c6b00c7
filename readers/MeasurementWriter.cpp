#include "readers/MeasurementWriter.h"

#include <QSqlError>
#include <QVariant>

namespace readers {

void MeasurementWriter::begin(QSqlDatabase db)
{
    finish();
    m_db = db;
    m_prepared = false;
    m_ids.clear();
    m_rawIds.clear();
    m_error.clear();
    m_statement.clear();
}

bool MeasurementWriter::prepare()
{
    m_parameterInsert = QSqlQuery(m_db);
    m_dataInsert = QSqlQuery(m_db);
    // Positional statements: the Data table is defined with exactly these six
    // columns in this order.
    if (!m_parameterInsert.prepare(QStringLiteral("INSERT INTO Parameters (name, unit) VALUES (?, ?)")))
        return fail(m_parameterInsert);
    if (!m_dataInsert.prepare(QStringLiteral("INSERT INTO Data VALUES (NULL, ?, ?, ?, ?, NULL)")))
        return fail(m_dataInsert);
    m_prepared = true;
    return true;
}

void MeasurementWriter::finish()
{
    // No handle on the database outlives the read: the caller may close and
    // remove the connection while the reader still exists.
    m_parameterInsert = QSqlQuery();
    m_dataInsert = QSqlQuery();
    m_db = QSqlDatabase();
    m_prepared = false;
}

int MeasurementWriter::parameterId(const Field &name, UnitRule unitRule)
{
    const QByteArray raw = QByteArray::fromRawData(name.data, name.size);
    const auto hit = m_rawIds.constFind(raw);
    if (hit != m_rawIds.constEnd())
        return hit.value();
    const int id = parameterId(decodeName(name), unitRule);
    if (id > 0)
        m_rawIds.insert(name.bytes(), id);
    return id;
}

int MeasurementWriter::parameterId(const QString &name, UnitRule unitRule)
{
    const auto hit = m_ids.constFind(name);
    if (hit != m_ids.constEnd())
        return hit.value();
    if (!m_prepared && !prepare())
        return -1;
    m_parameterInsert.bindValue(0, name);
    // A name without a unit gets the empty text, never NULL: the import
    // matches parameters by name and unit.
    const QString unit = unitRule ? unitRule(name) : QString();
    m_parameterInsert.bindValue(1, unit.isNull() ? QString(QLatin1String("")) : unit);
    if (!m_parameterInsert.exec()) {
        fail(m_parameterInsert);
        return -1;
    }
    // The id the database gave the row; on the fresh database the readers are
    // handed this is 1, 2, 3... in order of first appearance.
    bool ok = false;
    int id = m_parameterInsert.lastInsertId().toInt(&ok);
    if (!ok)
        id = m_ids.size() + 1;
    m_ids.insert(name, id);
    return id;
}

bool MeasurementWriter::insertValue(int parameterId, double value, int flag, qint64 msecs)
{
    if (!m_prepared && !prepare())
        return false;
    m_dataInsert.bindValue(0, parameterId);
    m_dataInsert.bindValue(1, value);
    m_dataInsert.bindValue(2, flag);
    m_dataInsert.bindValue(3, msecs);
    if (!m_dataInsert.exec())
        return fail(m_dataInsert);
    return true;
}

bool MeasurementWriter::fail(const QSqlQuery &query)
{
    m_error = query.lastError().text();
    m_statement = query.lastQuery();
    return false;
}

} // namespace readers
