#include "tables/TempDatabaseTableModelMoxA.h"

#include "common/Trace.h"

TempDatabaseTableModelMoxA::TempDatabaseTableModelMoxA(QSqlDatabase db, QObject *parent)
    : MyAbstractSqlModelMoxA(db, parent)
{
    TRACE_FUNC();
    updateQuery();
}

TempDatabaseTableModelMoxA::TempDatabaseTableModelMoxA(QSqlDatabase db, FiltersCfg filters, QObject *parent)
    : MyAbstractSqlModelMoxA(db, std::move(filters), parent)
    , m_filtered(true)
{
    TRACE_FUNC();
    updateQuery();
}

TempDatabaseTableModelMoxA::TempDatabaseTableModelMoxA(QSqlDatabase db, QObject *parent, NoQuery)
    : MyAbstractSqlModelMoxA(db, parent)
{
}

TempDatabaseTableModelMoxA::~TempDatabaseTableModelMoxA() = default;

MyAbstractTableModel *TempDatabaseTableModelMoxA::clone() const
{
    // The copy starts flat and fetching in steps, whatever this one shows.
    if (m_filtered)
        return new TempDatabaseTableModelMoxA(boundConnection(), filters, nullptr);
    return new TempDatabaseTableModelMoxA(boundConnection(), nullptr);
}

void TempDatabaseTableModelMoxA::updateQuery()
{
    // Chosen by how the model was built, not by the session's device type:
    // a file's model is built before the session records its type.
    selectParameterColumns(!m_filtered);
}
