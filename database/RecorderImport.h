#pragma once
// Brings a recorder's rows into its wide table of the application database
// (DataMoxA, DataMoxB) for one instrument: the source file is attached, the
// instrument's parameters are registered (unit "None"), missing
// "<column> (<instrument>)" columns are added and the rows merged by date and
// time (RecorderMerge). All of it is one transaction on the application
// database: a failure or a cancel leaves the wide table exactly as it was.
//
// Two sources: the table a CSV reader wrote into a scratch database (the
// stored values win at an equal date and time), and a MoxB archive's own
// SQLite file, attached read-only (its values win).
#include <QAtomicInteger>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

class RecorderImport
{
    Q_DECLARE_TR_FUNCTIONS(RecorderImport)

public:
    enum class Source {
        ReaderTable, // a reader's table in a scratch database
        Archive,     // the recorder's own archive, table "Data"
    };

    struct Request
    {
        QSqlDatabase db;      // the application database, no transaction open
        QString table;        // "DataMoxA" or "DataMoxB"
        QString file;         // the database file that holds the rows
        QString sourceTable;  // their table in it
        Source source = Source::ReaderTable;
        int deviceId = 0;
        QAtomicInteger<char> *cancelFlag = nullptr;
        // Whole percents of the work done; the cancel flag is read after each.
        std::function<void(int percent)> progress;
    };

    enum class Result { Done, Cancelled, Failed };

    // The failures that happen before anything is read; Refused: the
    // error text is the user's message (a column of another instrument's).
    enum class Stage { None, Attach, Begin, Later, Refused };

    Result run(const Request &request);

    QString errorText() const { return m_error; }
    Stage failedAt() const { return m_stage; }
    qint64 rowCount() const { return m_rows; }
    qint64 rewritten() const { return m_rewritten; }
    // Values of the file not written because the table holds another value
    // at their date and time (RecorderMerge::differing), or because a later
    // row of the file holds another one there (RecorderMerge::repeatedInSource).
    qint64 differing() const { return m_differing; }
    qint64 repeatedInFile() const { return m_repeated; }
    int addedParameters() const { return m_addedParameters; }

    // Work tables that an interrupted import of an earlier version leaves
    // beside the wide table.
    static QStringList workTables(const QString &table);
    // The column of a source column in the wide table: "<column> (<instrument>)".
    static QString columnName(const QString &column, const QString &instrument, Source source);

private:
    Result importRows();
    bool step(int percent);
    bool fail(const QString &text);
    Result failed(const QString &text);
    bool recoverWorkTables();
    bool exec(const QString &statement, const QString &what);

    Request m_req;
    QString m_error;
    Stage m_stage = Stage::None;
    qint64 m_rows = 0;
    qint64 m_rewritten = 0;
    qint64 m_differing = 0;
    qint64 m_repeated = 0;
    int m_addedParameters = 0;
};
