#pragma once
// The chart page's drawing: the main chart of the visible window, the
// overview for the navigator and the track line, built from the series of a
// chart model with the page's options. Kept apart from the page's widgets so
// the same calls can be checked on their own.
#include "chartlib/XYChart.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace chartlib {
class DrawArea;
class ViewPortManager;
}

class ChartDrawing
{
public:
    struct Series
    {
        QString name;
        QString unit;
        bool visible = true;
        QVector<double> times;  // chart time
        QVector<double> values; // NoValue where there is no valid value
    };

    struct Indicator
    {
        bool on = false;
        int channel = 0;
        double value = 0.0;
        chartlib::Color color = 0;
    };

    // light: the theme's black-logo flag (light themes); chartBackground:
    // the theme's chart background as "#rrggbb".
    explicit ChartDrawing(bool light = true, const QString &chartBackground = QStringLiteral("#f0f0f0"));

    // The 13 series colours of a theme kind.
    static QList<int> basePalette(bool light);
    // Towards black below 50 %, towards white above; 50 leaves them.
    static QList<int> applyColorBrightness(const QList<int> &palette, int percent);
    static QColor blendColors(const QColor &a, const QColor &b, double t);

    // The palette of the theme kind at a brightness, each colour kept at
    // least MinimumContrast from the chart background.
    void setTheme(bool light, const QString &chartBackground, int brightness);
    static constexpr double MinimumContrast = 3.0;

    chartlib::Color seriesColor(int i) const;
    chartlib::Color themed(chartlib::Color lightValue, chartlib::Color darkValue) const
    {
        return light ? lightValue : darkValue;
    }
    chartlib::Color plotBackground() const;

    // The chart of the viewport's window, w x h; the caller owns it.
    chartlib::XYChart *drawChart(chartlib::ViewPortManager &viewport, int w, int h);
    // The whole section for the navigator, w x h; the caller owns it.
    chartlib::XYChart *drawFullChart(chartlib::ViewPortManager &viewport, int w, int h);
    void addSeriesLayers(chartlib::XYChart *c, bool overview);
    // The axis (of the last addSeriesLayers) a series of this unit is drawn
    // on; -1 when it has none.
    int axisIndexOf(const QString &unit) const;
    // Draws the track line on the chart's dynamic layer; returns the texts
    // drawn, the x label first.
    QStringList drawTrackLine(chartlib::XYChart *c, int mouseX);
    // body split over lines that each fit width pixels between open and close
    // (markup spans), joined with line breaks.
    static QString brokenToWidth(chartlib::DrawArea *d, const QString &open, const QString &body, const QString &close,
                                 int width);

    bool light;
    QString chartBackground;
    QList<int> palette;
    bool groupByUnit = false;
    bool drawLines = true;
    Indicator maxIndicator{false, 0, 0.0, 0x800080};
    Indicator minIndicator{false, 0, 0.0, 0x0000FF};
    int leftMargin = 70;
    int topMargin = 25;
    int widthReduction = 110;
    int heightReduction = 90;
    QVector<chartlib::Axis *> axes;
    QStringList axisUnits;
    QVector<Series> series;
};
