#include "tables/TempDatabaseTableModelMoxB.h"

#include "common/Trace.h"

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
        return new TempDatabaseTableModelMoxB(boundConnection(), filters, nullptr);
    return new TempDatabaseTableModelMoxB(boundConnection(), nullptr);
}

void TempDatabaseTableModelMoxB::updateQuery()
{
    selectParameterColumns(!m_filtered);
}
