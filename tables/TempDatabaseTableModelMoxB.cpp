#include "tables/TempDatabaseTableModelMoxB.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>

TempDatabaseTableModelMoxB::TempDatabaseTableModelMoxB(QSqlDatabase db, QObject *parent)
    : MyAbstractSqlModelMoxB(db, parent)
{
    TRACE_FUNC();
    updateQuery();
}

TempDatabaseTableModelMoxB::TempDatabaseTableModelMoxB(QSqlDatabase db, FiltersCfg filters, QObject *parent)
    : MyAbstractSqlModelMoxB(db, std::move(filters), parent)
    , m_filtered(true)
{
    TRACE_FUNC();
    updateQuery();
}

TempDatabaseTableModelMoxB::TempDatabaseTableModelMoxB(QSqlDatabase db, QObject *parent, NoQuery)
    : MyAbstractSqlModelMoxB(db, parent)
{
}

TempDatabaseTableModelMoxB::~TempDatabaseTableModelMoxB() = default;

MyAbstractTableModel *TempDatabaseTableModelMoxB::clone() const
{
    if (m_filtered)
        return new TempDatabaseTableModelMoxB(db, filters, nullptr);
    return new TempDatabaseTableModelMoxB(db, nullptr);
}

QStringList TempDatabaseTableModelMoxB::parameterColumns(QStringList *names)
{
    // A file session shows every measured column; the model is told which
    // kind it serves by how it was built, since the session's type is
    // recorded only after its models exist.
    if (!m_filtered) {
        *names = tableColumns(QStringLiteral("DataMoxB")).mid(3);
        return *names;
    }

    QSqlQuery q(currentConnection());
    QHash<int, QString> fullNames;
    if (!q.exec(QStringLiteral("SELECT Parameters.id, Parameters.name, Devices.name FROM Parameters "
                               "JOIN Devices ON Parameters.idDevices = Devices.id"))) {
        TRACE() << "SQL Error: " << q.lastError().text();
        return {};
    }
    while (q.next())
        fullNames.insert(q.value(0).toInt(),
                         QStringLiteral("%1 (%2)").arg(q.value(1).toString(), q.value(2).toString()));
    for (int id : qAsConst(filters.selectedParamId)) {
        const auto it = fullNames.constFind(id);
        if (it == fullNames.constEnd()) {
            TRACE() << "Warning: Invalid paramId for full name lookup:" << id;
            continue;
        }
        *names << it.value();
    }
    return *names;
}

void TempDatabaseTableModelMoxB::updateQuery()
{
    QElapsedTimer timer;
    timer.start();
    ResetScope reset(this);
    queryModel->clear();
    resultHeaders.clear();
    columnsVisibilityList.clear();
    colNamesGroup.clear();

    QStringList parameters;
    parameterColumns(&parameters);
    if (parameters.isEmpty()) {
        TRACE() << "Warning: No valid parameters selected for query. Aborting.";
        return;
    }
    const QStringList columns = QStringList{QStringLiteral("id"), QStringLiteral("date"), QStringLiteral("time")}
                                + parameters;
    QString text = QStringLiteral("SELECT %1 FROM DataMoxB").arg(sql::quoteIdentifiers(columns));
    QVariantList values;
    if (filters.hasPeriod()) {
        text += QStringLiteral(" WHERE %1 BETWEEN ? AND ?").arg(timeExpression());
        values << filters.startDateTime << filters.endDateTime;
    }
    text += groupByDate ? QStringLiteral(" GROUP BY date, time ORDER BY date DESC, time DESC")
                        : QStringLiteral(" ORDER BY id ASC");
    TRACE() << "querystr: " << text;
    if (!setModelQuery(text, values, columns))
        return;
    fetchFirstRows();

    for (int i = 0; i < queryModel->columnCount(); ++i)
        columnsVisibilityList << true;
    TRACE() << "updateQuery() set columnsVisibilityList size:" << columnsVisibilityList.size()
            << "colCount:" << queryModel->columnCount();
    TRACE() << "Query execution time: " << timer.elapsed() << " ms";
}
