#pragma once
// How well a palette colour stands out from what it is drawn on, and the
// palette brightness that moves it (the same for chart series and report
// columns): 50 % leaves a colour, lower blends it towards black, higher
// towards white.
#include <QColor>
#include <QList>

namespace PaletteContrast {

// The contrast ratio of two colours after WCAG 2: 1 (none) to 21.
double ratio(const QColor &a, const QColor &b);
// The lowest ratio of a colour against each background.
double lowestRatio(const QColor &color, const QList<QColor> &backgrounds);

// a mixed with b by t (clamped to 0..1), each channel truncated.
QColor blend(const QColor &a, const QColor &b, double t);
// A palette colour at a brightness in percent.
QColor atBrightness(const QColor &color, double percent);

// The colour at the brightness nearest to `percent` at which it stands out
// from every background by at least `minimum` (lines and coloured text stay
// visible); the most readable brightness when none reaches it.
QColor readable(const QColor &color, double percent, const QList<QColor> &backgrounds, double minimum = 3.0);

} // namespace PaletteContrast
