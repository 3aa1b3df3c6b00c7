#pragma once
// Writes a file's measurements into Data so that every value is stored as
// often as the file holds it, counting what is stored already: for one
// parameter and time, the stored rows and the file's rows are multisets of
// (value, flag), and only the file's surplus is written. A file imported
// again adds nothing, a second value at a stored time is added, a file that
// overlaps stored times adds exactly what it holds beyond them, and a file cut
// short by a cancel is completed by importing it again.
//
// "Stored" means stored before begin(): rows written through this writer never
// match the file's own later rows. A stored row matches one file row at most;
// the stored rows matched so far are kept in a table of the connection's
// temporary schema, so the file's rows may come in any order and over several
// transactions. Values later than everything stored for their parameter need
// no look-up at all.
#include "common/SqliteStatement.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>

#include <limits>

class DataSurplusWriter
{
public:
    enum Result {
        Added,
        Matched, // a stored row holds this value already
        Failed,  // errorText(), errorCode(); the caller's transaction is to be rolled back
    };

    static constexpr qint64 NoObservation = std::numeric_limits<qint64>::min();

    DataSurplusWriter() = default;
    ~DataSurplusWriter() { end(); }
    DataSurplusWriter(const DataSurplusWriter &) = delete;
    DataSurplusWriter &operator=(const DataSurplusWriter &) = delete;

    // Outside any transaction of the connection (the matched rows' table is
    // made here, and a rollback must not take it away).
    bool begin(QSqlDatabase db);
    Result add(int parameterId, double value, int flag, qint64 msecs, qint64 observationId = NoObservation);
    // Releases the statements and the matched rows' table; also when the
    // import failed.
    void end();

    QString errorText() const { return m_error; }
    int errorCode() const { return m_code; }

private:
    bool fail(const SqliteStatement &statement);
    bool latestStored(int parameterId, qint64 *latest, bool *any);

    QSqlDatabase m_db;
    SqliteStatement m_insert;
    SqliteStatement m_latest;
    SqliteStatement m_find;
    SqliteStatement m_match;
    qint64 m_lastStoredId = 0;
    struct Latest
    {
        bool any = false;
        qint64 time = 0;
    };
    // Per parameter: the latest time stored before begin().
    QHash<int, Latest> m_latestTimes;
    QString m_error;
    int m_code = 0;
};
