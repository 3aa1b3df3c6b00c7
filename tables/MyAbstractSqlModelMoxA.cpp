#include "tables/MyAbstractSqlModelMoxA.h"

#include "tables/MyAbstractSqlModelWide_impl.h"

template class MyAbstractSqlModelWide<MoxAWideTable>;
