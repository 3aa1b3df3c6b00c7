#include "chartlib/ChartTypes.h"

#include <QGuiApplication>
#include <QPalette>

#include <cmath>

namespace chartlib {

namespace {
struct ThemeState
{
    bool set = false;
    ColorPalette palette;
};
ThemeState &themeState()
{
    static ThemeState s;
    return s;
}
} // namespace

namespace Chart {

double chartTime(qint64 msecsSinceEpoch)
{
    return double(msecsSinceEpoch) / 1000.0 + ChartTimeEpochOffset;
}

qint64 chartTimeToMSecs(double t)
{
    return qint64(std::llround((t - ChartTimeEpochOffset) * 1000.0));
}

LabelFilter StartOfDayFilter(int labelStep, double initialMargin)
{
    return LabelFilter{StartOfDayFilterCode, labelStep, initialMargin};
}

LabelFilter AllPassFilter(int labelStep, double initialMargin)
{
    return LabelFilter{AllPassFilterCode, labelStep, initialMargin};
}

void setThemeColors(const QColor &background, const QColor &line, const QColor &text)
{
    themeState().set = true;
    themeState().palette.background = background;
    themeState().palette.line = line;
    themeState().palette.text = text;
}

void resetThemeColors()
{
    themeState().set = false;
}

} // namespace Chart

ColorPalette ColorPalette::current()
{
    if (themeState().set)
        return themeState().palette;
    ColorPalette p;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        const QPalette ap = QGuiApplication::palette();
        p.background = ap.color(QPalette::Window);
        p.text = ap.color(QPalette::WindowText);
        p.line = p.text;
    }
    return p;
}

QColor ColorPalette::resolve(Color c) const
{
    switch (c) {
    case Chart::BackgroundColor:
        return background;
    case Chart::LineColor:
        return line;
    case Chart::TextColor:
        return text;
    default:
        break;
    }
    const int transparency = int(c >> 24);
    if (transparency == 0xFF)
        return QColor(0, 0, 0, 0);
    return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF), 255 - transparency);
}

} // namespace chartlib
