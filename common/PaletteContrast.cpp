#include "common/PaletteContrast.h"

#include <algorithm>
#include <cmath>

namespace PaletteContrast {

namespace {

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

} // namespace

double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double lowestRatio(const QColor &color, const QList<QColor> &backgrounds)
{
    double lowest = 21.0;
    for (const QColor &b : backgrounds)
        if (b.isValid())
            lowest = std::min(lowest, ratio(color, b));
    return lowest;
}

QColor blend(const QColor &a, const QColor &b, double t)
{
    t = std::max(0.0, std::min(1.0, t));
    auto mix = [t](int x, int y) { return int(x * (1.0 - t) + y * t); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()),
                  mix(a.alpha(), b.alpha()));
}

QColor atBrightness(const QColor &color, double percent)
{
    const double d = percent / 100.0;
    return d <= 0.5 ? blend(color, Qt::black, 1.0 - 2.0 * d) : blend(color, Qt::white, 2.0 * d - 1.0);
}

QColor readable(const QColor &color, double percent, const QList<QColor> &backgrounds, double minimum)
{
    // Outwards from the brightness asked for, a quarter of a percent a step:
    // the first brightness that reads is the least change.
    constexpr double Step = 0.25;
    QColor best = atBrightness(color, percent);
    double bestRatio = lowestRatio(best, backgrounds);
    if (bestRatio >= minimum)
        return best;
    for (int k = 1; k <= int(100 / Step); ++k) {
        for (const double p : {percent - k * Step, percent + k * Step}) {
            if (p < 0 || p > 100)
                continue;
            const QColor c = atBrightness(color, p);
            const double r = lowestRatio(c, backgrounds);
            if (r >= minimum)
                return c;
            if (r > bestRatio) {
                best = c;
                bestRatio = r;
            }
        }
    }
    return best;
}

} // namespace PaletteContrast
