#include "tables/MyAbstractSqlModelMoxB.h"

#include "tables/MyAbstractSqlModelWide_impl.h"

template class MyAbstractSqlModelWide<MoxBWideTable>;
