#include "database/RecorderImport.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "database/RecorderColumns.h"
#include "database/RecorderMerge.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

using sql::quoteIdentifier;

namespace {

const QString kSchema = QStringLiteral("tempDB");

bool isKey(const QString &name)
{
    return name == QLatin1String("id") || name == QLatin1String("date") || name == QLatin1String("time");
}

bool hasTable(QSqlDatabase db, const QString &name)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE;"));
    query.addBindValue(name);
    return query.exec() && query.next();
}

void detach(QSqlDatabase db)
{
    QSqlQuery query(db);
    query.exec(QStringLiteral("DETACH DATABASE tempDB;"));
}

} // namespace

QStringList RecorderImport::workTables(const QString &table)
{
    return {QStringLiteral("tmpOld") + table, QStringLiteral("Temp") + table, table + QStringLiteral("_toDelete")};
}

QString RecorderImport::columnName(const QString &column, const QString &instrument, Source source)
{
    // A reader's record number is the same for every instrument.
    if (source == Source::ReaderTable && column == QLatin1String("record"))
        return column;
    return recorderColumns::columnName(column, instrument);
}

bool RecorderImport::step(int percent)
{
    if (m_req.progress)
        m_req.progress(percent);
    return m_req.cancelFlag && m_req.cancelFlag->loadAcquire() != 0;
}

bool RecorderImport::fail(const QString &text)
{
    m_error = text;
    TRACE() << "Recorder import:" << text;
    return false;
}

RecorderImport::Result RecorderImport::failed(const QString &text)
{
    fail(text);
    return Result::Failed;
}

bool RecorderImport::exec(const QString &statement, const QString &what)
{
    QSqlQuery query(m_req.db);
    if (query.exec(statement))
        return true;
    return fail(what + query.lastError().text());
}

RecorderImport::Result RecorderImport::run(const Request &request)
{
    m_req = request;
    m_error.clear();
    m_stage = Stage::None;
    m_rows = 0;
    m_rewritten = 0;
    m_differing = 0;
    m_repeated = 0;
    m_addedParameters = 0;

    // A name left attached by an import that was torn down mid-way.
    detach(m_req.db);
    if (step(0))
        return Result::Cancelled;
    {
        // Bound, so any path attaches; the archive only for reading, it is
        // the user's original file.
        QUrl url = QUrl::fromLocalFile(m_req.file);
        if (m_req.source == Source::Archive)
            url.setQuery(QStringLiteral("mode=ro"));
        QSqlQuery query(m_req.db);
        query.prepare(QStringLiteral("ATTACH DATABASE ? AS tempDB;"));
        query.addBindValue(url.toString(QUrl::FullyEncoded));
        if (!query.exec()) {
            m_stage = Stage::Attach;
            fail(tr("Attaching the file: ") + query.lastError().text());
            return Result::Failed;
        }
    }
    Result result = Result::Failed;
    {
        TransactionGuard transaction(m_req.db);
        if (!transaction.isActive()) {
            m_stage = Stage::Begin;
            fail(tr("Beginning the transaction: ") + transaction.errorText());
        } else {
            m_stage = Stage::Later;
            result = importRows();
            if (result == Result::Done && !transaction.commit()) {
                fail(tr("Committing: ") + transaction.errorText());
                result = Result::Failed;
            }
        }
    }
    detach(m_req.db);
    return result;
}

bool RecorderImport::recoverWorkTables()
{
    QStringList left;
    for (const QString &name : workTables(m_req.table))
        if (hasTable(m_req.db, name))
            left << name;
    if (left.isEmpty())
        return true;
    const bool live = hasTable(m_req.db, m_req.table);
    const QString oldCopy = workTables(m_req.table).at(0);
    const QString readerCopy = workTables(m_req.table).at(2);
    // Unambiguous leftovers only: the old rows renamed away with nothing in
    // their place, or the reader's copy of rows already merged. Anything else
    // may hold the only copy of stored rows and is left to the user.
    if (!live && left == QStringList{oldCopy}) {
        TRACE() << "Restoring" << oldCopy << "as" << m_req.table;
        return exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2;")
                        .arg(quoteIdentifier(oldCopy), quoteIdentifier(m_req.table)),
                    tr("Restoring the table of an unfinished import: "));
    }
    if (live && left == QStringList{readerCopy})
        return exec(QStringLiteral("DROP TABLE %1;").arg(quoteIdentifier(readerCopy)),
                    tr("Removing the work table of an unfinished import: "));
    return fail(tr("The database holds %1 left by an unfinished import; nothing was imported.")
                    .arg(left.join(QStringLiteral(", "))));
}

RecorderImport::Result RecorderImport::importRows()
{
    const Source source = m_req.source;
    if (step(5))
        return Result::Cancelled;
    if (!recoverWorkTables())
        return Result::Failed;

    QString instrument;
    {
        QSqlQuery query(m_req.db);
        query.prepare(QStringLiteral("SELECT name FROM Devices WHERE id = :deviceId;"));
        query.bindValue(QStringLiteral(":deviceId"), m_req.deviceId);
        if (!query.exec())
            return failed(tr("Reading the instrument: ") + query.lastError().text());
        if (query.next())
            instrument = query.value(0).toString();
    }
    if (instrument.isEmpty()) {
        fail(tr("No instrument with the id %1.").arg(m_req.deviceId));
        return Result::Failed;
    }
    if (!exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Parameters (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                             "idDevices INTEGER, name TEXT, unit TEXT, FOREIGN KEY(idDevices) REFERENCES Devices(id));"),
              tr("Creating the table Parameters: ")))
        return Result::Failed;

    // The source's columns with their declared types.
    QStringList names, types;
    {
        QSqlQuery query(m_req.db);
        if (!query.exec(QStringLiteral("PRAGMA tempDB.table_info(%1);").arg(quoteIdentifier(m_req.sourceTable))))
            return failed(tr("Reading the file's columns: ") + query.lastError().text());
        while (query.next()) {
            names << query.value(1).toString();
            types << query.value(2).toString();
        }
    }
    if (!names.contains(QStringLiteral("date")) || !names.contains(QStringLiteral("time"))) {
        fail(tr("The file has no table %1 with date and time columns.").arg(m_req.sourceTable));
        return Result::Failed;
    }
    if (step(10))
        return Result::Cancelled;

    // A column that another (parameter, instrument) pair has already, as
    // SQLite resolves names, would mix two series of values.
    {
        QStringList parameters;
        for (const QString &name : qAsConst(names))
            if (!isKey(name) && columnName(name, instrument, source) != name)
                parameters << name;
        recorderColumns::Collision collision;
        QString error;
        if (!recorderColumns::findCollision(m_req.db, m_req.table, m_req.deviceId, instrument, parameters,
                                            &collision, &error))
            return failed(QStringLiteral("Reading the instruments' columns: ") + error);
        if (!collision.column.isEmpty()) {
            m_stage = Stage::Refused;
            return failed(tr("The column \"%1\" of device \"%2\" would be the column \"%3\" of parameter \"%4\" "
                             "of device \"%5\". Nothing was imported.")
                              .arg(collision.column, instrument, collision.existing, collision.parameter,
                                   collision.instrument));
        }
    }

    // Parameters of the instrument, by their bare names.
    QVector<RecorderMerge::Column> columns;
    QStringList columnTypes;
    {
        QSqlQuery select(m_req.db);
        QSqlQuery insert(m_req.db);
        select.prepare(QStringLiteral("SELECT id FROM Parameters WHERE idDevices = :id AND name = :name;"));
        insert.prepare(QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (:id, :name, :unit);"));
        for (int i = 0; i < names.size(); ++i) {
            const QString &name = names.at(i);
            if (isKey(name))
                continue;
            columns.append({name, columnName(name, instrument, source)});
            columnTypes << (source == Source::Archive ? types.at(i) : QStringLiteral("TEXT"));
            select.bindValue(QStringLiteral(":id"), m_req.deviceId);
            select.bindValue(QStringLiteral(":name"), name);
            if (!select.exec())
                return failed(tr("Looking up a parameter: ") + select.lastError().text());
            const bool known = select.next();
            select.finish();
            if (known)
                continue;
            insert.bindValue(QStringLiteral(":id"), m_req.deviceId);
            insert.bindValue(QStringLiteral(":name"), name);
            insert.bindValue(QStringLiteral(":unit"), QStringLiteral("None"));
            if (!insert.exec())
                return failed(tr("Adding a parameter: ") + insert.lastError().text());
            ++m_addedParameters;
        }
    }
    if (step(15))
        return Result::Cancelled;

    // The wide table and its columns.
    const QString t = quoteIdentifier(m_req.table);
    if (!hasTable(m_req.db, m_req.table)) {
        QStringList definitions{QStringLiteral("\"id\" INTEGER PRIMARY KEY AUTOINCREMENT"),
                                QStringLiteral("\"date\" TEXT"), QStringLiteral("\"time\" TEXT")};
        for (int i = 0; i < columns.size(); ++i) {
            // The file's declared type is text of the file: only the name of
            // the affinity it stands for goes into the statement.
            definitions << (quoteIdentifier(columns.at(i).target) + QLatin1Char(' ')
                            + sql::affinityName(columnTypes.at(i)));
        }
        if (!exec(QStringLiteral("CREATE TABLE %1 (%2);").arg(t, definitions.join(QStringLiteral(", "))),
                  tr("Creating the table: ")))
            return Result::Failed;
    } else {
        QStringList present;
        QSqlQuery query(m_req.db);
        if (!query.exec(QStringLiteral("PRAGMA main.table_info(%1);").arg(t)))
            return failed(tr("Reading the table's columns: ") + query.lastError().text());
        while (query.next())
            present << recorderColumns::foldCase(query.value(1).toString());
        query.finish();
        // SQLite's names ignore ASCII letter case (and only that): a column in
        // another case is the same column.
        for (const RecorderMerge::Column &c : columns) {
            if (present.contains(recorderColumns::foldCase(c.target)))
                continue;
            if (!exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT;").arg(t, quoteIdentifier(c.target)),
                      tr("Adding a column: ")))
                return Result::Failed;
            present << recorderColumns::foldCase(c.target);
        }
    }
    if (step(20))
        return Result::Cancelled;

    RecorderMerge merge;
    RecorderMerge::Input input;
    input.db = m_req.db;
    input.table = m_req.table;
    input.sourceSchema = kSchema;
    input.sourceTable = m_req.sourceTable;
    input.columns = columns;
    // A CSV file brings what the table lacks; an archive is the recorder's own
    // record and corrects what was stored.
    input.priority = source == Source::Archive ? RecorderMerge::Priority::New : RecorderMerge::Priority::Stored;
    input.cancelFlag = m_req.cancelFlag;
    input.step = [this](int s) {
        if (m_req.progress)
            m_req.progress(20 + s * 75 / RecorderMerge::StepCount);
    };
    const RecorderMerge::Result merged = merge.run(input);
    if (merged == RecorderMerge::Result::Failed)
        return failed(merge.errorText());
    if (merged == RecorderMerge::Result::Cancelled)
        return Result::Cancelled;
    m_rows = merge.rowCount();
    m_rewritten = merge.rewritten();
    m_differing = merge.differing();
    m_repeated = merge.repeatedInSource();
    if (step(100))
        return Result::Cancelled;
    return Result::Done;
}
