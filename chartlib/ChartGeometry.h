#pragma once
// Small helpers shared by the XY chart's layout and painting (internal).
#include "chartlib/ChartTypes.h"

#include <algorithm>
#include <cmath>

namespace chartlib {
namespace detail {

constexpr int MajorTickLength = 4;

inline bool isValue(double v)
{
    return v < Chart::NoValue && std::isfinite(v);
}

inline int clampPixel(double d)
{
    if (!std::isfinite(d))
        return d > 0 ? 1000000000 : -1000000000;
    return int(std::lround(std::clamp(d, -1.0e9, 1.0e9)));
}

} // namespace detail
} // namespace chartlib
