#pragma once
// Data rows written at most once per parameter and time: an archive imported
// again, or read twice into one database, adds nothing. The grouped table and
// the reports sum the values of a parameter at one time, so a second row
// would show every value doubled.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

class UniqueDataInsert
{
public:
    enum Result {
        Added,
        Skipped, // the parameter already has a value at this time
        Failed,
    };

    bool prepare(QSqlDatabase db);
    Result insert(int parameterId, double value, int flag, qint64 msecs);
    // For a value known to be later than every stored one of its parameter:
    // no look-up needed.
    Result insertNew(int parameterId, double value, int flag, qint64 msecs);
    void release()
    {
        m_query = QSqlQuery();
        m_plain = QSqlQuery();
    }

    QString errorText() const { return m_error; }

private:
    QSqlQuery m_query;
    QSqlQuery m_plain;
    QString m_error;
};
