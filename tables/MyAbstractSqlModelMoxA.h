#pragma once
// The wide-table base of the MoxA recorder's table models: DataMoxA of a
// temporary database filled from a MoxA CSV file, or of the application
// database. The recorder has no log archives of its own.
#include "tables/MyAbstractSqlModelWide.h"

struct MoxAWideTable
{
    static QString table() { return QStringLiteral("DataMoxA"); }
    static constexpr bool logTables = false;
};

extern template class MyAbstractSqlModelWide<MoxAWideTable>;
using MyAbstractSqlModelMoxA = MyAbstractSqlModelWide<MoxAWideTable>;
