#pragma once
// Merges new recorder rows into a wide recorder table (DataMoxA, DataMoxB) by
// date and time: one row per (date, time), written in (date, time) order with
// ids 1..n. At an equal date and time the side that has priority wins column
// by column, but only with a value: a NULL never replaces a value.
//
// Set-based: the new rows are staged in a temporary table, rows whose date and
// time the table already holds are updated in place, and only the rows from
// the first new date and time on are rewritten. A table that is not already in
// that order (ids 1..n, keys strictly rising) is rewritten whole.
//
// Runs inside the caller's transaction; it never begins, commits or rolls
// back. Everything it writes, columns included, goes with the caller's
// rollback.
#include <QAtomicInteger>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class RecorderMerge
{
    Q_DECLARE_TR_FUNCTIONS(RecorderMerge)

public:
    enum class Priority {
        Stored, // the table's values win, the new rows fill its gaps
        New,    // the new rows' values win
    };

    struct Column
    {
        QString source; // column of the new rows
        QString target; // column of the wide table
    };

    struct Input
    {
        QSqlDatabase db;         // transaction open
        QString table;           // the wide table, in the main schema
        QString sourceSchema;    // schema of the new rows ("tempDB")
        QString sourceTable;     // their table, with "date" and "time"
        QVector<Column> columns; // value columns to bring in
        Priority priority = Priority::Stored;
        QAtomicInteger<char> *cancelFlag = nullptr;
        // Called before each step with 1, 2, … (of StepCount); the cancel
        // flag is read right after it.
        std::function<void(int step)> step;
    };

    static constexpr int StepCount = 5;

    enum class Result { Done, Cancelled, Failed };

    Result run(const Input &input);

    QString errorText() const { return m_error; }
    // Rows the table has after the merge, and rows written anew by it.
    qint64 rowCount() const { return m_rows; }
    qint64 rewritten() const { return m_rewritten; }
    // Values of the new rows (not NULL, '' or ' ') that the table does not
    // hold at their date and time after the merge, apart by why: a stored
    // value kept in their place, or a later new row's value at the same date
    // and time (the new rows hold that date and time twice).
    qint64 differing() const { return m_differing; }
    qint64 repeatedInSource() const { return m_repeated; }

    // Name of the (date, time) index that the merge keeps on a wide table.
    static QString indexName(const QString &table);
    // The statement that makes it where it is missing.
    static QString indexStatement(const QString &table);

private:
    bool exec(const QString &statement, const QString &what);
    // Reports the step and tells whether the import is to stop.
    bool cancelled(int step) const;
    bool isOrdered(bool *ordered);
    // repeats: the new rows hold a date and time twice (recorder_lost made).
    bool countDiffering(const QStringList &targets, bool repeats);
    void dropWork();

    Input m_in;
    QString m_error;
    qint64 m_rows = 0;
    qint64 m_rewritten = 0;
    qint64 m_differing = 0;
    qint64 m_repeated = 0;
};
