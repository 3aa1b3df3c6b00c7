#include "database/IndexBuild.h"

#include "common/CancelWatch.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "database/RecorderMerge.h"

#include <QSet>
#include <QSqlQuery>

namespace indexBuild {

namespace {

bool cancelled(const QAtomicInteger<char> *flag)
{
    return flag && flag->loadAcquire() == 1;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QList<DatabaseStructure::Index> missing(QSqlDatabase db, QString *error)
{
    setError(error, QString());
    QList<DatabaseStructure::Index> out;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT type, name FROM sqlite_master WHERE type IN ('table', 'index')"))) {
        setError(error, sql::errorText(query));
        return out;
    }
    QSet<QString> tables, indexes;
    while (query.next())
        (query.value(0).toString() == QLatin1String("table") ? tables : indexes) << query.value(1).toString();
    query.finish();
    for (const DatabaseStructure::Index &index : DatabaseStructure::indexes()) {
        const DatabaseStructure::ITable *table = g_databaseStructure->tableById(index.tableId);
        // A missing table is made empty, with its indexes, by the schema
        // upgrade.
        if (table && tables.contains(table->tableName()) && !indexes.contains(index.name))
            out << index;
    }
    // The recorders' wide tables get their date and time index at their
    // first import; one written without it is sorted at every period look-up.
    for (const QString &wide : {QStringLiteral("DataMoxB"), QStringLiteral("DataMoxA")}) {
        const QString name = RecorderMerge::indexName(wide);
        if (tables.contains(wide) && !indexes.contains(name))
            out << DatabaseStructure::Index{-1, name, RecorderMerge::indexStatement(wide)};
    }
    return out;
}

Outcome run(QSqlDatabase db, const QList<DatabaseStructure::Index> &indexes, QAtomicInteger<char> *cancelFlag,
            const std::function<void(int)> &step, QString *error)
{
    setError(error, QString());
    if (cancelled(cancelFlag))
        return Outcome::Cancelled;
    const CancelWatch watch(db, cancelFlag);
    TransactionGuard transaction(db);
    if (!transaction.isActive()) {
        setError(error, transaction.databaseText());
        return cancelled(cancelFlag) ? Outcome::Cancelled : Outcome::Failed;
    }
    QSqlQuery query(db);
    for (int i = 0; i < indexes.size(); ++i) {
        if (cancelled(cancelFlag))
            return Outcome::Cancelled;
        if (step)
            step(i);
        if (!query.exec(indexes.at(i).statement)) {
            // An interrupted statement fails too; then the cancel is what
            // happened, not a fault. SQLite has taken the statement back,
            // the guard takes back the indexes made before it.
            if (cancelled(cancelFlag))
                return Outcome::Cancelled;
            setError(error, sql::errorText(query));
            qCWarning(lcTrace).noquote() << indexes.at(i).statement << sql::errorText(query);
            return Outcome::Failed;
        }
        query.finish();
    }
    if (!transaction.commit()) {
        setError(error, transaction.databaseText());
        return Outcome::Failed;
    }
    return Outcome::Built;
}

} // namespace indexBuild
