#pragma once
// Constants, colour codes and small value types shared by the whole charting layer.
//
// Colours are 32-bit values 0xTTRRGGBB where TT is the transparency (00 opaque,
// FF fully transparent), so 0xFF000000 is "transparent" and plain 24-bit RGB
// values are opaque. A few values of the otherwise useless fully transparent
// range stand for colours resolved at drawing time (theme palette, dash patterns).
#include <QColor>
#include <QString>
#include <QtGlobal>

namespace chartlib {

using Color = unsigned int;

namespace Chart {

// Marks a missing value in a data series: drawn as a gap.
constexpr double NoValue = 1.7E+308;

constexpr Color Transparent = 0xFF000000u;
// Pseudo-colours resolved from the theme palette (see setThemeColors).
constexpr Color BackgroundColor = 0xFFFF0000u;
constexpr Color LineColor = 0xFFFF0001u;
constexpr Color TextColor = 0xFFFF0002u;
// -1: "not given", each setter documents its default.
constexpr Color SameAsMainColor = 0xFFFFFFFFu;

// Chart time is seconds since 0001-01-01 00:00:00 UTC.
constexpr double ChartTimeEpochOffset = 62135596800.0;
double chartTime(qint64 msecsSinceEpoch);
qint64 chartTimeToMSecs(double chartTime);

// Text and mark alignment, laid out like a numeric keypad.
enum Alignment {
    BottomLeft = 1, BottomCenter = 2, BottomRight = 3,
    Left = 4, Center = 5, Right = 6,
    TopLeft = 7, TopCenter = 8, TopRight = 9
};

// Axis placement for XYChart::addAxis.
constexpr int AxisLeft = Left;
constexpr int AxisRight = Right;

enum SymbolShape { NoSymbol = 0, SquareShape = 1, DiamondShape = 2, TriangleShape = 3, CircleShape = 7 };

// Layer combine method for XYChart::addLineLayer2.
constexpr int Overlay = 0;

// Output formats for BaseChart::makeChart(int). DisplayImage is the
// uncompressed bitmap the viewer widgets decode.
enum OutputFormat { PNG = 0, GIF = 1, JPG = 2, BMP = 4, SVG = 5, PDF = 8, DisplayImage = 9 };

// Label filters for Axis::setMultiFormat.
struct LabelFilter
{
    int code = 7;
    int labelStep = 1;
    double initialMargin = 0;
};
constexpr int StartOfDayFilterCode = 2;
constexpr int AllPassFilterCode = 7;
// Passes the ticks that start a day (every labelStep-th of them); ticks within
// initialMargin (a fraction of the axis length) of the axis start are held back,
// so the promoted first label does not crowd them.
LabelFilter StartOfDayFilter(int labelStep = 1, double initialMargin = 0.05);
LabelFilter AllPassFilter(int labelStep = 0, double initialMargin = 0);

// Colours the pseudo-colours resolve to. Until set, taken from the
// application palette (window and window text), so a dark theme stays readable.
void setThemeColors(const QColor &background, const QColor &line, const QColor &text);
void resetThemeColors();

} // namespace Chart

// The resolved palette of one drawing.
struct ColorPalette
{
    QColor background = Qt::white;
    QColor line = Qt::black;
    QColor text = Qt::black;

    static ColorPalette current();
    // Any colour code to a QColor (pseudo-colours resolved, transparency honoured).
    QColor resolve(Color c) const;
};

} // namespace chartlib
