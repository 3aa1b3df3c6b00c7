#pragma once
// The wide-table base of the MoxB recorder's table models: DataMoxB of a
// temporary or the application database, the Data table of an opened
// archive, and the recorder's AlarmLog and AuditLog archives.
#include "tables/MyAbstractSqlModelWide.h"

struct MoxBWideTable
{
    static QString table() { return QStringLiteral("DataMoxB"); }
    static constexpr bool logTables = true;
};

extern template class MyAbstractSqlModelWide<MoxBWideTable>;
using MyAbstractSqlModelMoxB = MyAbstractSqlModelWide<MoxBWideTable>;
