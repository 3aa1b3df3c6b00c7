#include "charts/ChartDrawing.h"

#include "chartlib/ViewPortManager.h"
#include "common/PaletteContrast.h"

#include <QColor>
#include <algorithm>

using namespace chartlib;

ChartDrawing::ChartDrawing(bool light, const QString &chartBackground)
    : light(light)
    , chartBackground(chartBackground)
    , palette(basePalette(light))
{
}

QList<int> ChartDrawing::basePalette(bool light)
{
    if (light)
        return {0xFE5621, 0xD6A423, 0x58AE3A, 0x2095F2, 0x3E50B4, 0x9B26AF, 0xF34235,
                0x009587, 0x00BBD3, 0x5F7C8A, 0x785447, 0xFE9700, 0x6639B6};
    return {0xCC2400, 0xA47200, 0x267C08, 0x0063C0, 0x0C1E82, 0x69007D, 0xC11003,
            0x006355, 0x0089A1, 0x2D4A58, 0x462215, 0xCC6500, 0x340784};
}

QColor ChartDrawing::blendColors(const QColor &a, const QColor &b, double t)
{
    return PaletteContrast::blend(a, b, t);
}

QList<int> ChartDrawing::applyColorBrightness(const QList<int> &palette, int percent)
{
    QList<int> out;
    for (int rgb : palette)
        out << int(PaletteContrast::atBrightness(QColor::fromRgb(QRgb(rgb)), percent).rgb() & 0xFFFFFF);
    return out;
}

void ChartDrawing::setTheme(bool lightTheme, const QString &background, int brightness)
{
    light = lightTheme;
    chartBackground = background;
    const QList<int> base = basePalette(light);
    palette = applyColorBrightness(base, brightness);
    // Lines stay visible on the plot area: a colour that would not stand
    // out 3 : 1 takes the nearest brightness at which it does.
    if (!QColor::isValidColor(background))
        return;
    const QList<QColor> plot{QColor::fromRgb(QRgb(plotBackground()))};
    for (int i = 0; i < palette.size(); ++i) {
        if (PaletteContrast::lowestRatio(QColor::fromRgb(QRgb(palette[i])), plot) < MinimumContrast)
            palette[i] = int(PaletteContrast::readable(QColor::fromRgb(QRgb(base[i])), brightness, plot, MinimumContrast).rgb()
                             & 0xFFFFFF);
    }
}

Color ChartDrawing::seriesColor(int i) const
{
    return palette.isEmpty() ? 0 : Color(palette[i % palette.size()]);
}

Color ChartDrawing::plotBackground() const
{
    QString hex = chartBackground;
    if (hex.startsWith(QLatin1Char('#')))
        hex.remove(0, 1);
    return hex.toUInt(nullptr, 16);
}

int ChartDrawing::axisIndexOf(const QString &unit) const
{
    const int a = axisUnits.indexOf(unit);
    if (a >= 0 || !groupByUnit)
        return a;
    // Grouped, a unit beyond the fourth is drawn on the last axis.
    return axes.size() - 1;
}

void ChartDrawing::addSeriesLayers(XYChart *c, bool overview)
{
    axes.clear();
    axisUnits.clear();
    QStringList sharedUnits;
    for (int i = 0; i < series.size(); ++i) {
        const Series &s = series[i];
        if (!s.visible)
            continue;
        if (!groupByUnit) {
            if (axes.isEmpty()) {
                Axis *a = c->yAxis();
                if (!overview)
                    a->setTitle(QStringLiteral("*"), QStringLiteral("arialbi.ttf"), 10, 0xFFFF0002);
                const Color ac = overview ? 0xFF000000 : themed(0x1A1A1A, 0xFFFFFF);
                a->setColors(ac, ac);
                axes << a;
                axisUnits << s.unit;
            }
        } else if (!axisUnits.contains(s.unit) && axes.size() < 4) {
            Axis *a = axes.size() == 0   ? c->yAxis()
                      : axes.size() == 1 ? c->yAxis2()
                      : axes.size() == 2 ? c->addAxis(Chart::AxisLeft, 65)
                                         : c->addAxis(Chart::AxisRight, 75);
            const Color ac = overview ? 0xFF000000 : seriesColor(i);
            a->setColors(ac, ac);
            axes << a;
            axisUnits << s.unit;
        } else if (!axisUnits.contains(s.unit) && !sharedUnits.contains(s.unit)) {
            sharedUnits << s.unit;
        }
    }
    // The fourth axis also carries every further unit: its title names them all.
    if (groupByUnit && !overview) {
        for (int a = 0; a < axes.size(); ++a) {
            QStringList units{axisUnits[a]};
            if (a == axes.size() - 1)
                units += sharedUnits;
            units.removeAll(QString());
            axes[a]->setTitle(units.join(QStringLiteral(", ")), QStringLiteral("arialbi.ttf"), 10, 0xFFFF0002);
        }
    }

    for (int i = 0; i < series.size(); ++i) {
        const Series &s = series[i];
        if (!s.visible)
            continue;
        const QVector<double> &V = s.values;
        const QVector<double> &T = s.times;
        // The line runs through the gaps: each missing point gets the value
        // interpolated between its valid neighbours.
        QVector<double> xs, ys;
        xs.reserve(V.size());
        ys.reserve(V.size());
        int p = -1;
        for (int j = 0; j < V.size() && j < T.size(); ++j) {
            if (V[j] == Chart::NoValue)
                continue;
            if (p >= 0) {
                for (int k = p + 1; k < j; ++k) {
                    xs << T[k];
                    ys << (T[j] == T[p] ? V[p] : (T[k] - T[p]) * (V[j] - V[p]) / (T[j] - T[p]) + V[p]);
                }
            }
            xs << T[j];
            ys << V[j];
            p = j;
        }
        if (ys.isEmpty())
            continue;
        const Color color = seriesColor(i);
        LineLayer *line = c->addLineLayer(ys, color, s.name + QLatin1Char('|') + s.unit, 0);
        line->setXData(xs);
        line->setFastLineMode(true);
        line->setLineWidth(drawLines ? 1 : 0);
        LineLayer *dots = c->addLineLayer2(Chart::Overlay, 0);
        dots->setXData(T);
        dots->setLineWidth(0);
        dots->addDataSet(V, color, QString())->setDataSymbol(Chart::CircleShape, 5, color, color, 1);
        if (axes.isEmpty())
            continue;
        Axis *axis = groupByUnit ? axes[axisIndexOf(s.unit)] : axes.last();
        line->setUseYAxis(axis);
        dots->setUseYAxis(axis);
    }

    // Room for the axes by their number; the main chart widens it where the
    // labels need more.
    static const int margins[][2] = {{70, 110}, {70, 110}, {70, 160}, {130, 260}, {130, 310}};
    leftMargin = margins[axes.size()][0];
    widthReduction = margins[axes.size()][1];

    for (int i = 0; i < series.size(); ++i) {
        if (!series[i].visible)
            continue;
        const int a = axisIndexOf(series[i].unit);
        if (a < 0)
            continue;
        for (const auto &ind : {std::make_pair(&maxIndicator, "Max"), std::make_pair(&minIndicator, "Min")}) {
            if (!ind.first->on || ind.first->channel != i)
                continue;
            Mark *m = axes[a]->addMark(ind.first->value, ind.first->color, QLatin1String(ind.second), QString(), 8);
            m->setLineWidth(2);
            m->setAlignment(Chart::TopCenter);
        }
    }
}

XYChart *ChartDrawing::drawChart(ViewPortManager &viewport, int w, int h)
{
    auto *c = new XYChart(w, h, 0xFFFF0000, 0xFF000000, 0);
    c->setBackground(0xFF000000, 0xFF000000, 0);
    auto setPlotArea = [&]() {
        c->setPlotArea(leftMargin, topMargin, w - widthReduction, h - heightReduction, plotBackground(), -1,
                       themed(0x1A1A1A, 0xFFFFFF), themed(0xE0E0E0, 0x333333), themed(0xE0E0E0, 0x333333));
    };
    setPlotArea();
    addSeriesLayers(c, false);
    // The room for this drawing's axes, widened where their labels and
    // titles need more, so none is cut at the chart's edge.
    setPlotArea();
    c->fitYAxes();
    c->setClipping(0);
    c->xAxis()->setColors(0xFF000000, 0xFFFF0002, -1, -1);
    viewport.syncDateAxisWithViewPort(QStringLiteral("x"), c->xAxis());
    c->xAxis()->setMultiFormat(
        Chart::StartOfDayFilter(1, 0.05),
        light ? QStringLiteral("<*font=bold,color=1A1A1A*>{value|hh:nn:ss.fff<*br*>yyyy-mm-dd}")
              : QStringLiteral("<*font=bold,color=FFFFFF*>{value|hh:nn:ss.fff<*br*>yyyy-mm-dd}"),
        Chart::AllPassFilter(0, 0),
        light ? QStringLiteral("<*color=1A1A1A*>{value|hh:nn:ss.fff}") : QStringLiteral("<*color=F0F8FF*>{value|hh:nn:ss.fff}"),
        1, true);
    viewport.commitPendingSyncAxis(c);
    if (!c->isLaidOut())
        c->layout();
    // The navigator lines up with the plot area as fitted.
    leftMargin = c->getPlotArea()->getLeftX();
    widthReduction = w - c->getPlotArea()->getWidth();
    return c;
}

XYChart *ChartDrawing::drawFullChart(ViewPortManager &viewport, int w, int h)
{
    auto *c = new XYChart(w, h, 0xFFFF0000, 0xFF000000, 0);
    c->setBackground(0xFF000000, 0xFF000000, 0);
    c->setPlotArea(leftMargin, 5, w - widthReduction, h - 11, plotBackground(), -1, themed(0x1A1A1A, 0xFFFFFF),
                   themed(0xE0E0E0, 0x333333), themed(0xE0E0E0, 0x333333));
    c->xAxis()->setColors(0xFF000000, 0xFFFF0002, -1, -1);
    c->xAxis()->setLabelStyle(QStringLiteral("arial.ttf"), 8, 0xFFFF0002, 0);
    c->xAxis()->setLabelGap(-1);
    c->xAxis()->setLabelAlignment(Chart::BottomLeft, 3);
    addSeriesLayers(c, true);
    c->xAxis()->setDateScale(viewport.getValueAtViewPort(QStringLiteral("x"), 0.0),
                             viewport.getValueAtViewPort(QStringLiteral("x"), 1.0));
    c->xAxis()->setTickDensity(75, -1);
    c->yAxis()->setRounding(false, false);
    c->xAxis()->setLabelFormat(light ? QStringLiteral("<*color=1A1A1A*>{value|hh:nn:ss<*br*>yyyy-mm-dd}")
                                     : QStringLiteral("<*color=FFFFFF*>{value|hh:nn:ss<*br*>yyyy-mm-dd}"));
    return c;
}

QString ChartDrawing::brokenToWidth(DrawArea *d, const QString &open, const QString &body, const QString &close,
                                    int width)
{
    // Greedy by characters: names may have no blanks to break at.
    QStringList lines;
    QString line;
    for (const QChar ch : body) {
        if (!line.isEmpty() && d->text(open + line + ch + close, QStringLiteral("arialbd.ttf"), 10).getWidth() > width) {
            lines << line;
            line.clear();
        }
        line += ch;
    }
    lines << line;
    return lines.join(QStringLiteral("<*br*>"));
}

QStringList ChartDrawing::drawTrackLine(XYChart *c, int mouseX)
{
    QStringList texts;
    DrawArea *d = c->initDynamicLayer();
    PlotArea *pa = c->getPlotArea();
    if (!d || !pa)
        return texts;
    const double xValue = c->getNearestXValue(mouseX);
    const int xCoor = c->getXCoor(xValue);
    d->vline(pa->getTopY(), pa->getBottomY(), xCoor, d->dashLineColor(themed(0x1A1A1A, 0xFFFFFF), 0x0101));
    const QString xLabel = (light ? QStringLiteral("<*font,bgColor=1A1A1A,color=FFFFFF*> ")
                                  : QStringLiteral("<*font,bgColor=FFFFFF,color=1A1A1A*> "))
                           + c->xAxis()->getFormattedLabel(xValue, QStringLiteral("hh:nn:ss.fff"))
                           + QStringLiteral(" <*/font*>");
    DrawAreaText t = d->text(xLabel, QStringLiteral("arialbd.ttf"), 9);
    const int left = std::max(0, std::min(xCoor - t.getWidth() / 2, c->getWidth() - t.getWidth()));
    t.draw(left, pa->getBottomY() + 6, 0xFFFFFF, Chart::TopLeft);
    texts << xLabel;
    for (int i = 0; i < c->getLayerCount(); ++i) {
        Layer *layer = c->getLayerByZ(i);
        for (int j = 0; j < layer->getDataSetCount(); ++j) {
            DataSet *ds = layer->getDataSet(j);
            const QString name = ds->getDataName();
            if (name.isEmpty())
                continue;
            const int bar = name.lastIndexOf(QLatin1Char('|')); // a name may hold one too
            const QString namePart = bar < 0 ? name : name.left(bar);
            const QString unit = bar < 0 ? QString() : name.mid(bar + 1);
            const int xIndex = layer->getXIndexOf(xValue, 0);
            const int yCoor = c->getYCoor(ds->getPosition(xIndex), ds->getUseYAxis());
            if (ds->getDataColor() == 0xFF000000 || yCoor < pa->getTopY() || yCoor > pa->getBottomY())
                continue;
            d->circle(xCoor, yCoor, 4, 4, ds->getDataColor(), ds->getDataColor());
            const QString open = QStringLiteral("<*font,bgColor=") + QString::number(ds->getDataColor(), 16)
                                 + QStringLiteral("*>");
            const QString body = QStringLiteral(" ")
                                 + c->formatValue(ds->getValue(xIndex), QStringLiteral("{value|P4} ")) + unit
                                 + QStringLiteral(" / ") + namePart + QStringLiteral(" ");
            const QString close = QStringLiteral("<*font*>");
            QString label = open + body + close;
            DrawAreaText lt = d->text(label, QStringLiteral("arialbd.ttf"), 10);
            // The whole name shows, in saved pictures too: a label wider than
            // the chart breaks over lines, and one that would run over an edge
            // moves in.
            const int edge = 2, room = c->getWidth() - 2 * edge;
            if (lt.getWidth() > room) {
                label = open + brokenToWidth(d, open, body, close, room) + close;
                lt = d->text(label, QStringLiteral("arialbd.ttf"), 10);
            }
            if (xCoor <= (pa->getLeftX() + pa->getRightX()) / 2)
                lt.draw(std::max(edge, std::min(xCoor + 5, edge + room - lt.getWidth())), yCoor, 0xFFFFFF, Chart::Left);
            else
                lt.draw(std::min(edge + room, std::max(xCoor - 5, edge + lt.getWidth())), yCoor, 0xFFFFFF, Chart::Right);
            texts << label;
        }
    }
    return texts;
}
