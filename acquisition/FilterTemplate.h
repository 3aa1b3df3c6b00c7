#pragma once
// The stored form of a filter: start, end (signed 64-bit milliseconds since
// 1970-01-01 UTC), the id count and the ids, big-endian as QDataStream writes
// them. Saved in "cfg.ini", group "dataFilters", ten slots.
#include "database/FiltersCfg.h"

#include <QByteArray>

namespace filterTemplate {

constexpr int SlotCount = 10;

QByteArray serialize(const FiltersCfg &filters);
// False (filters untouched) for a blob that is not exactly 20 + 4 * n bytes
// for its own count n, or whose count is 0: such a blob is damaged or
// foreign, and its count must not drive an allocation.
bool deserialize(const QByteArray &blob, FiltersCfg &filters);

} // namespace filterTemplate
