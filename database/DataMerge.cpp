#include "database/DataMerge.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "database/UniqueDataInsert.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>

namespace {

// The import's texts belong to the import task of Framework.
QString trFramework(const char *text)
{
    return QCoreApplication::translate("Framework", text);
}

} // namespace

void DataMerge::reportFailure(const QString &error)
{
    emit consoleMessage(error, 2);
    emit dialogMessage(trFramework("An error occurred"), QString(), 3);
}

bool DataMerge::mergeParameters(const Input &input)
{
    // All parameters or none: a failure leaves no half of them behind.
    TransactionGuard transaction(input.target);
    if (!transaction.isActive()) {
        reportFailure(transaction.errorText());
        return false;
    }
    // Databases written before the empty unit was stored as '' hold NULL for
    // it: both are the same unit.
    QSqlQuery find(input.target);
    QSqlQuery add(input.target);
    if (!find.prepare(QStringLiteral("SELECT id FROM Parameters WHERE idDevices = ? AND name = ? "
                                     "AND IFNULL(unit, '') = ? ORDER BY id LIMIT 1"))) {
        reportFailure(sql::errorText(find));
        return false;
    }
    if (!add.prepare(QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (?, ?, ?)"))) {
        reportFailure(sql::errorText(add));
        return false;
    }
    const QList<MyAbstractSqlModel::ParameterEntry> parameters = input.source->getParametersList();
    for (const MyAbstractSqlModel::ParameterEntry &entry : parameters) {
        const QString unit = entry.unit.isNull() ? QString(QLatin1String("")) : entry.unit;
        find.addBindValue(input.deviceId);
        find.addBindValue(entry.name);
        find.addBindValue(unit);
        if (!find.exec()) {
            reportFailure(sql::errorText(find));
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
            reportFailure(sql::errorText(add));
            return false;
        }
        m_ids.insert(entry.id, id);
    }
    find.finish();
    add.finish();
    if (!transaction.commit()) {
        reportFailure(transaction.errorText());
        return false;
    }
    return true;
}

bool DataMerge::readLatestTimes(const Input &input)
{
    m_latest.clear();
    QSqlQuery query(input.target);
    if (!query.prepare(QStringLiteral("SELECT MAX(dateTime) FROM Data WHERE idParameters = ?"))) {
        reportFailure(sql::errorText(query));
        return false;
    }
    for (const int id : qAsConst(m_ids)) {
        if (m_latest.contains(id))
            continue;
        query.addBindValue(id);
        if (!query.exec()) {
            reportFailure(sql::errorText(query));
            return false;
        }
        Latest latest;
        if (query.next() && !query.value(0).isNull()) {
            latest.any = true;
            latest.time = query.value(0).toLongLong();
        }
        query.finish();
        m_latest.insert(id, latest);
    }
    return true;
}

DataMerge::Result DataMerge::mergeSection(const Input &input)
{
    TransactionGuard transaction(input.target);
    if (!transaction.isActive()) {
        reportFailure(transaction.errorText());
        return Result::Failed;
    }
    UniqueDataInsert insert;
    if (!insert.prepare(input.target)) {
        reportFailure(insert.errorText());
        return Result::Failed;
    }

    QString rowError;
    MyAbstractSqlModel::ExportRecord record;
    while (input.source->getNextExportRecord(record)) {
        if (input.cancelFlag && input.cancelFlag->loadAcquire() == 1) {
            insert.release();
            transaction.rollback();
            emit consoleMessage(trFramework("Data import was canceled."), 2);
            return Result::Cancelled;
        }
        ++m_read;
        const auto id = m_ids.constFind(record.idParameters);
        if (id == m_ids.constEnd() || !std::isfinite(record.value)) {
            // No parameter to store it under, or no number to store.
            ++m_skipped;
        } else {
            const int flag = input.mapFlag ? input.mapFlag(input.type, record.flag) : record.flag;
            Latest &latest = m_latest[id.value()];
            const bool later = !latest.any || record.dateTime > latest.time;
            const UniqueDataInsert::Result result = later
                                                        ? insert.insertNew(id.value(), record.value, flag, record.dateTime)
                                                        : insert.insert(id.value(), record.value, flag, record.dateTime);
            if (later && result == UniqueDataInsert::Added) {
                latest.any = true;
                latest.time = record.dateTime;
            }
            switch (result) {
            case UniqueDataInsert::Added:
                ++m_added;
                break;
            case UniqueDataInsert::Skipped:
                ++m_skipped;
                break;
            case UniqueDataInsert::Failed:
                ++m_skipped;
                if (rowError.isEmpty())
                    rowError = insert.errorText();
                break;
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
    insert.release();
    if (!transaction.commit()) {
        reportFailure(transaction.errorText());
        return Result::Failed;
    }
    if (!rowError.isEmpty())
        emit consoleMessage(rowError, 2);

    const qint64 elapsed = input.timer ? input.timer->elapsed() : 0;
    emit consoleMessage(trFramework("Imported parameters: ") + QString::number(m_read) + trFramework(" in: ")
                            + QString::number(elapsed) + QStringLiteral(" ms") + QStringLiteral(" (")
                            + trFramework("added: ") + QString::number(m_added) + QStringLiteral(", ")
                            + trFramework("skipped: ") + QString::number(m_skipped) + QStringLiteral(")"),
                        1);
    return Result::Done;
}

DataMerge::Result DataMerge::run(const Input &input)
{
    TRACE_FUNC() << input.deviceId << input.count;
    m_ids.clear();
    m_read = 0;
    m_added = 0;
    m_skipped = 0;
    m_progressStep = 0;
    if (!input.source || !input.target.isOpen()) {
        reportFailure(trFramework("Database is not opened."));
        return Result::Failed;
    }
    if (!mergeParameters(input) || !readLatestTimes(input))
        return Result::Failed;

    emit progressValueChanged(0);
    if (input.setProgressMaximum)
        input.setProgressMaximum(100);

    uint offset = 0;
    uint length = input.firstSection;
    for (;;) {
        offset += length;
        const Result result = mergeSection(input);
        if (result != Result::Done)
            return result;
        if (input.count <= offset)
            return Result::Done;
        length = qMin(input.count - offset, SectionSize);
        if (!input.source->execDataExportQuery(offset, length)) {
            reportFailure(trFramework("Unable to read the archive's records."));
            return Result::Failed;
        }
    }
}
