#include "database/DataMerge.h"

#include "common/SqlUtil.h"
#include "common/SqliteStatement.h"
#include "common/Trace.h"
#include "database/ArchiveManager.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>

namespace {

// The import's texts belong to the import task of Framework.
QString trFramework(const char *text)
{
    return QCoreApplication::translate("Framework", text);
}

bool execAll(QSqlDatabase db, const QStringList &statements, QString *error)
{
    QSqlQuery query(db);
    for (const QString &statement : statements) {
        if (!query.exec(statement)) {
            if (error)
                *error = query.lastError().databaseText().isEmpty() ? query.lastError().text()
                                                                     : query.lastError().databaseText();
            return false;
        }
    }
    return true;
}

// The merge writes many sections in a row: the write-ahead log is copied
// into the file every few sections instead of after nearly every one (an
// index page changed by each section is then written once, not each time),
// and once more at the end.
class CheckpointSpacing
{
public:
    explicit CheckpointSpacing(QSqlDatabase db)
        : m_db(db)
    {
        QSqlQuery query(m_db);
        if (query.exec(QStringLiteral("PRAGMA wal_autocheckpoint")) && query.next())
            m_previous = query.value(0).toInt();
        query.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 10000"));
    }
    ~CheckpointSpacing()
    {
        QSqlQuery query(m_db);
        query.exec(QStringLiteral("PRAGMA wal_autocheckpoint = %1").arg(m_previous));
        query.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    }

private:
    QSqlDatabase m_db;
    int m_previous = 1000;
};

} // namespace

bool DataMerge::prepareSourceForFill(QSqlDatabase source, QString *error)
{
    return execAll(source,
                   {QStringLiteral("DROP INDEX IF EXISTS idx_Data_idParameters_dateTime"),
                    QStringLiteral("DROP INDEX IF EXISTS idx_Data_dateTime")},
                   error);
}

bool DataMerge::prepareSourceForMerge(QSqlDatabase source, QString *error)
{
    return execAll(source, {QStringLiteral("CREATE INDEX IF NOT EXISTS idx_Data_dateTime ON Data(dateTime)")}, error);
}

void DataMerge::reportFailure(const QString &console, const QString &reason)
{
    if (cancelled())
        return;
    emit consoleMessage(console, 2);
    const QString text = trFramework("An error occurred");
    emit dialogMessage(reason.isEmpty() ? text : text + QStringLiteral(": ") + reason, QString(), 3);
}

void DataMerge::reportSourceFailure(const QString &reason)
{
    if (cancelled())
        return;
    const QString console = trFramework("Unable to read the archive's records.") + QLatin1Char(' ') + reason;
    // The ordered read sorts in SQLite's temporary files: no room for them
    // is the temporary folder's.
    if (sql::isDiskFull(reason)) {
        emit consoleMessage(console, 2);
        emit dialogMessage(ArchiveManager::temporaryFolderRefusal(reason), QString(), 3);
    } else {
        reportFailure(console, reason);
    }
}

bool DataMerge::mergeParameters(const Input &input)
{
    // All parameters or none: a failure leaves no half of them behind.
    TransactionGuard transaction(input.target);
    if (!transaction.isActive()) {
        reportFailure(transaction.errorText(), transaction.databaseText());
        return false;
    }
    // Databases written before the empty unit was stored as '' hold NULL for
    // it: both are the same unit.
    QSqlQuery find(input.target);
    QSqlQuery add(input.target);
    if (!find.prepare(QStringLiteral("SELECT id FROM Parameters WHERE idDevices = ? AND name = ? "
                                     "AND IFNULL(unit, '') = ? ORDER BY id LIMIT 1"))) {
        reportFailure(sql::errorText(find), find.lastError().databaseText());
        return false;
    }
    if (!add.prepare(QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (?, ?, ?)"))) {
        reportFailure(sql::errorText(add), add.lastError().databaseText());
        return false;
    }
    const QList<MyAbstractSqlModel::ParameterEntry> parameters = input.source->getParametersList();
    for (const MyAbstractSqlModel::ParameterEntry &entry : parameters) {
        const QString unit = entry.unit.isNull() ? QString(QLatin1String("")) : entry.unit;
        find.addBindValue(input.deviceId);
        find.addBindValue(entry.name);
        find.addBindValue(unit);
        if (!find.exec()) {
            reportFailure(sql::errorText(find), find.lastError().databaseText());
            return false;
        }
        if (find.next() && !find.value(0).isNull()) {
            m_ids.insert(entry.id, find.value(0).toInt());
            find.finish();
            continue;
        }
        find.finish();
        add.addBindValue(input.deviceId);
        add.addBindValue(entry.name);
        add.addBindValue(unit);
        bool ok = add.exec();
        const int id = ok ? add.lastInsertId().toInt(&ok) : 0;
        if (!ok) {
            reportFailure(sql::errorText(add), add.lastError().databaseText());
            return false;
        }
        m_ids.insert(entry.id, id);
    }
    find.finish();
    add.finish();
    if (!transaction.commit()) {
        reportFailure(transaction.errorText(), transaction.databaseText());
        return false;
    }
    return true;
}

DataMerge::Result DataMerge::mergeSection(const Input &input, DataSurplusWriter &writer)
{
    const auto cancelled = [&input]() { return input.cancelFlag && input.cancelFlag->loadAcquire() == 1; };
    const auto cancel = [this](TransactionGuard &transaction) {
        transaction.rollback();
        emit consoleMessage(trFramework("Data import was canceled."), 2);
        return Result::Cancelled;
    };
    const auto refused = [this, &input]() {
        const QString refusal = input.writeRefusal ? input.writeRefusal() : QString();
        if (!refusal.isEmpty()) {
            emit consoleMessage(refusal, 3);
            emit dialogMessage(refusal, QString(), 3);
        }
        return !refusal.isEmpty();
    };
    if (refused())
        return Result::Failed;
    TransactionGuard transaction(input.target);
    if (!transaction.isActive()) {
        reportFailure(transaction.errorText(), transaction.databaseText());
        return cancelledOrFailed();
    }

    quint64 added = 0;
    quint64 skipped = 0;
    MyAbstractSqlModel::ExportRecord record;
    while (input.source->getNextExportRecord(record)) {
        if (cancelled())
            return cancel(transaction);
        ++m_read;
        const auto id = m_ids.constFind(record.idParameters);
        if (id == m_ids.constEnd() || !std::isfinite(record.value)) {
            // No parameter to store it under, or no number to store.
            ++skipped;
        } else {
            const int flag = input.mapFlag ? input.mapFlag(input.type, record.flag) : record.flag;
            switch (writer.add(id.value(), record.value, flag, record.dateTime)) {
            case DataSurplusWriter::Added:
                ++added;
                break;
            case DataSurplusWriter::Matched:
                ++skipped;
                break;
            case DataSurplusWriter::Failed:
                // The section goes back whole: a disk that is full now may
                // have room again for the next insert, outside any section.
                if (cancelled())
                    return cancel(transaction);
                transaction.rollback();
                reportFailure(writer.errorText(), writer.errorText());
                return Result::Failed;
            }
        }
        if (input.count > 0) {
            const double percent = double(m_read) * 100.0 / double(input.count);
            if (percent > m_progressStep) {
                ++m_progressStep;
                emit progressValueChanged(int(percent));
            }
        }
    }
    if (!input.source->exportError().isEmpty()) {
        // The source could not be read to its end: nothing of this section
        // is kept, as for a value that could not be written.
        if (cancelled())
            return cancel(transaction);
        transaction.rollback();
        reportSourceFailure(input.source->exportError());
        return Result::Failed;
    }
    // The file may have gone while the section was written: then it is not
    // committed (into a file nobody reads again, or into another one).
    if (refused()) {
        transaction.rollback();
        return Result::Failed;
    }
    if (!transaction.commit()) {
        if (cancelled())
            return cancel(transaction);
        transaction.rollback();
        reportFailure(transaction.errorText(), transaction.databaseText());
        return Result::Failed;
    }
    m_added += added;
    m_skipped += skipped;

    const qint64 elapsed = input.timer ? input.timer->elapsed() : 0;
    emit consoleMessage(trFramework("Imported parameters: ") + QString::number(m_read) + trFramework(" in: ")
                            + QString::number(elapsed) + QStringLiteral(" ms") + QStringLiteral(" (")
                            + trFramework("added: ") + QString::number(m_added) + QStringLiteral(", ")
                            + trFramework("skipped: ") + QString::number(m_skipped) + QStringLiteral(")"),
                        1);
    return Result::Done;
}

DataMerge::Result DataMerge::cancelledOrFailed()
{
    if (!cancelled())
        return Result::Failed;
    emit consoleMessage(trFramework("Data import was canceled."), 2);
    return Result::Cancelled;
}

DataMerge::Result DataMerge::run(const Input &input)
{
    TRACE_FUNC() << input.deviceId << input.count;
    m_cancelFlag = input.cancelFlag;
    m_ids.clear();
    m_read = 0;
    m_added = 0;
    m_skipped = 0;
    m_progressStep = 0;
    if (!input.source || !input.target.isOpen()) {
        reportFailure(trFramework("Database is not opened."));
        return Result::Failed;
    }
    if (!mergeParameters(input))
        return cancelledOrFailed();
    const CheckpointSpacing checkpoints(input.target);
    DataSurplusWriter writer;
    if (!writer.begin(input.target)) {
        reportFailure(writer.errorText(), writer.errorText());
        return cancelledOrFailed();
    }

    emit progressValueChanged(0);
    if (input.setProgressMaximum)
        input.setProgressMaximum(100);

    uint offset = 0;
    uint length = input.firstSection;
    for (;;) {
        offset += length;
        const Result result = mergeSection(input, writer);
        if (result != Result::Done)
            return result;
        if (input.count <= offset)
            return Result::Done;
        length = qMin(input.count - offset, SectionSize);
        if (!input.source->execDataExportQuery(offset, length)) {
            if (input.cancelFlag && input.cancelFlag->loadAcquire() == 1) {
                emit consoleMessage(trFramework("Data import was canceled."), 2);
                return Result::Cancelled;
            }
            reportSourceFailure(input.source->exportError());
            return Result::Failed;
        }
    }
}
