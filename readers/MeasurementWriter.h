#pragma once
// The Parameters and Data rows of the line readers: two prepared statements,
// reused for every row, and the map from parameter name to its id.
#include "readers/ReaderText.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace readers {

// Derives a parameter's unit from its name; each reader has its own rule.
using UnitRule = QString (*)(QString name);

class MeasurementWriter
{
public:
    // Starts writing into db with an empty name map. The statements are
    // prepared on first use, so a reader that writes other tables pays nothing.
    void begin(QSqlDatabase db);
    // Releases the statements and the database handle; the name map stays.
    void finish();

    // The id of the named parameter; a name met for the first time gets its
    // Parameters row, with the unit the rule gives. -1 on a database error.
    // The name is decoded by decodeName.
    int parameterId(const Field &name, UnitRule unitRule);
    int parameterId(const QString &name, UnitRule unitRule);

    bool insertValue(int parameterId, double value, int flag, qint64 msecs);

    int parameterCount() const { return m_ids.size(); }

    // The driver's text and the statement of the last failure.
    QString errorText() const { return m_error; }
    QString failedStatement() const { return m_statement; }

private:
    bool prepare();
    bool fail(const QSqlQuery &query);

    QSqlDatabase m_db;
    bool m_prepared = false;
    QSqlQuery m_parameterInsert;
    QSqlQuery m_dataInsert;
    QHash<QString, int> m_ids;
    // The same ids keyed by the raw bytes, so that a name seen before costs
    // no decoding.
    QHash<QByteArray, int> m_rawIds;
    QString m_error;
    QString m_statement;
};

} // namespace readers
