// Chart rendering: 10 series x 50,000 points into 1600 x 900 in fast-line mode
// against one plain QPainter::drawPolyline per series, the picture compared by
// the extent of each series' pixels per column; and the cost of a track-line
// redraw over the cached picture at 500 and at 500,000 points (10 series each);
// and the minor page faults of a render after the first (a redraw should work
// in the memory the earlier one left, touching no new pages).
#include "chartlib/XYChart.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <sys/resource.h>

using namespace chartlib;

namespace {

constexpr int W = 1600, H = 900;
constexpr int PlotX = 70, PlotY = 25, PlotW = W - 110, PlotH = H - 90;
const Color Colors[] = {0xFE5621, 0xD6A423, 0x58AE3A, 0x2095F2, 0x3E50B4,
                        0x9B26AF, 0xF34235, 0x009587, 0x00BBD3, 0x5F7C8A};

struct Series
{
    QVector<double> t, v;
};

QVector<Series> makeData(int seriesCount, int points)
{
    QRandomGenerator rng(7);
    const double t0 = Chart::chartTime(1714564800000LL); // 2024-05-01 12:00 UTC
    QVector<Series> out(seriesCount);
    for (int s = 0; s < seriesCount; ++s) {
        double level = 200 + s * 5;
        out[s].t.reserve(points);
        out[s].v.reserve(points);
        for (int i = 0; i < points; ++i) {
            level += (rng.generateDouble() - 0.5) * 0.8;
            out[s].t.append(t0 + i * 0.2);
            out[s].v.append(level + (rng.generateDouble() - 0.5) * 4);
        }
    }
    return out;
}

std::unique_ptr<XYChart> buildChart(const QVector<Series> &data, bool decorations)
{
    auto c = std::make_unique<XYChart>(W, H, 0xFFFFFF, Chart::Transparent, 0);
    c->setPlotArea(PlotX, PlotY, PlotW, PlotH, 0xFFFFFF, -1, Chart::Transparent,
                   decorations ? 0xE0E0E0 : Chart::Transparent, decorations ? 0xE0E0E0 : Chart::Transparent);
    c->setClipping(0);
    if (!decorations) {
        c->xAxis()->setColors(Chart::Transparent, Chart::Transparent);
        c->yAxis()->setColors(Chart::Transparent, Chart::Transparent);
    }
    for (int s = 0; s < data.size(); ++s) {
        LineLayer *l = c->addLineLayer(data[s].v, Colors[s % 10], QStringLiteral("S%1|V").arg(s), 0);
        l->setXData(data[s].t);
        l->setFastLineMode();
        l->setLineWidth(1);
    }
    return c;
}

// Baseline: the same points, one drawPolyline per series, same scale.
QImage baseline(const QVector<Series> &data, XYChart &scale)
{
    Axis *xa = scale.xAxis();
    Axis *ya = scale.yAxis();
    QImage img(W, H, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setClipRect(QRect(PlotX, PlotY, PlotW, PlotH));
    QVector<QPointF> pts;
    for (int s = 0; s < data.size(); ++s) {
        pts.resize(data[s].t.size());
        for (int i = 0; i < pts.size(); ++i)
            pts[i] = QPointF(xa->getCoor(data[s].t[i]) + 0.5, ya->getCoor(data[s].v[i]) + 0.5);
        const Color c = Colors[s % 10];
        p.setPen(QPen(QColor(int(c >> 16) & 0xFF, int(c >> 8) & 0xFF, int(c) & 0xFF), 1));
        p.drawPolyline(pts.constData(), pts.size());
    }
    return img;
}

struct ColumnDiff
{
    int maxDiff = 0;
    int columnsOverOne = 0;
    int columnsCompared = 0;
};

// Per series colour and pixel column: the top and bottom pixel of that colour.
ColumnDiff compareColumns(const QImage &a, const QImage &b, int seriesCount)
{
    ColumnDiff d;
    for (int s = 0; s < seriesCount; ++s) {
        const Color c = Colors[s % 10];
        const QRgb want = qRgb(int(c >> 16) & 0xFF, int(c >> 8) & 0xFF, int(c) & 0xFF);
        for (int x = PlotX + 1; x < PlotX + PlotW - 1; ++x) {
            int aTop = -1, aBot = -1, bTop = -1, bBot = -1;
            for (int y = PlotY; y < PlotY + PlotH; ++y) {
                if ((a.pixel(x, y) | 0xFF000000u) == want) {
                    if (aTop < 0)
                        aTop = y;
                    aBot = y;
                }
                if ((b.pixel(x, y) | 0xFF000000u) == want) {
                    if (bTop < 0)
                        bTop = y;
                    bBot = y;
                }
            }
            if (aTop < 0 && bTop < 0)
                continue;
            if (aTop < 0 || bTop < 0) {
                ++d.columnsCompared;
                ++d.columnsOverOne;
                d.maxDiff = std::max(d.maxDiff, PlotH);
                continue;
            }
            ++d.columnsCompared;
            const int diff = std::max(std::abs(aTop - bTop), std::abs(aBot - bBot));
            d.maxDiff = std::max(d.maxDiff, diff);
            if (diff > 1)
                ++d.columnsOverOne;
        }
    }
    return d;
}

double trackLineRedrawMs(XYChart &c, int repeats)
{
    c.makeImage(); // static picture cached
    QElapsedTimer timer;
    timer.start();
    qint64 sink = 0;
    for (int r = 0; r < repeats; ++r) {
        DrawArea *d = c.initDynamicLayer();
        PlotArea *pa = c.getPlotArea();
        const double xValue = c.getNearestXValue(pa->getLeftX() + (r * 37) % pa->getWidth());
        const int xCoor = c.getXCoor(xValue);
        d->vline(pa->getTopY(), pa->getBottomY(), xCoor, d->dashLineColor(0x1A1A1A, 0x0101));
        DrawAreaText t = d->text(QStringLiteral("<*font,bgColor=FFFFFF,color=1A1A1A*> ")
                                     + c.xAxis()->getFormattedLabel(xValue, QStringLiteral("hh:nn:ss.fff"))
                                     + QStringLiteral(" <*/font*>"),
                                 QStringLiteral("arialbd.ttf"), 9);
        t.draw(std::max(0, std::min(xCoor - t.getWidth() / 2, c.getWidth() - t.getWidth())), pa->getBottomY() + 6,
               0xFFFFFF, Chart::TopLeft);
        for (int i = 0; i < c.getLayerCount(); ++i) {
            Layer *layer = c.getLayerByZ(i);
            const int xIndex = layer->getXIndexOf(xValue);
            for (int j = 0; j < layer->getDataSetCount(); ++j) {
                DataSet *ds = layer->getDataSet(j);
                const int yCoor = c.getYCoor(ds->getPosition(xIndex), ds->getUseYAxis());
                if (yCoor < pa->getTopY() || yCoor > pa->getBottomY())
                    continue;
                d->circle(xCoor, yCoor, 4, 4, ds->getDataColor(), ds->getDataColor());
                DrawAreaText label = d->text(QStringLiteral("<*font,bgColor=%1*> ").arg(ds->getDataColor(), 0, 16)
                                                 + c.formatValue(ds->getValue(xIndex), QStringLiteral("{value|P4} "))
                                                 + ds->getDataName() + QStringLiteral(" <*font*>"),
                                             QStringLiteral("arialbd.ttf"), 10);
                label.draw(xCoor + 5, yCoor, 0xFFFFFF, Chart::Left);
            }
        }
        sink += c.makeImage().pixel(xCoor, pa->getTopY());
    }
    const double ms = timer.nsecsElapsed() / 1e6 / repeats;
    if (sink == 42)
        std::printf("\n");
    return ms;
}

long minorFaults()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seriesCount = 10, points = 50000, repeats = 5;
    const QVector<Series> data = makeData(seriesCount, points);

    // Warm-up: fonts, glyph caches.
    buildChart(makeData(2, 100), true)->makeImage();

    QElapsedTimer timer;
    double oursMs = 1e18, baseMs = 1e18;
    // Minor page faults of our renders after the first: memory touched anew.
    long faults = 0;
    for (int r = 0; r < repeats; ++r) {
        const long before = minorFaults();
        timer.start();
        auto c = buildChart(data, false);
        c->makeImage();
        oursMs = std::min(oursMs, timer.nsecsElapsed() / 1e6);
        if (r > 0)
            faults += minorFaults() - before;

        timer.start();
        baseline(data, *c);
        baseMs = std::min(baseMs, timer.nsecsElapsed() / 1e6);
    }
    timer.start();
    buildChart(data, true)->makeImage();
    const double withAxesMs = timer.nsecsElapsed() / 1e6;

    // Each series alone, so that one series covering another cannot blur the comparison.
    ColumnDiff diff;
    for (int s = 0; s < seriesCount; ++s) {
        QVector<Series> one(seriesCount);
        one[s] = data[s];
        auto c = buildChart(one, false);
        const QImage mine = c->makeImage(); // lays the chart out before the baseline reads its scale
        const ColumnDiff d = compareColumns(mine, baseline(one, *c), seriesCount);
        diff.maxDiff = std::max(diff.maxDiff, d.maxDiff);
        diff.columnsOverOne += d.columnsOverOne;
        diff.columnsCompared += d.columnsCompared;
    }

    auto small = buildChart(makeData(seriesCount, 50), true);
    auto large = buildChart(makeData(seriesCount, points), true);
    const double track500 = trackLineRedrawMs(*small, 200);
    const double track500k = trackLineRedrawMs(*large, 200);

    std::printf("series: %d\n", seriesCount);
    std::printf("points_per_series: %d\n", points);
    std::printf("chart_size: %dx%d\n", W, H);
    std::printf("fast_line_render_ms: %.2f\n", oursMs);
    std::printf("fast_line_render_with_axes_grid_ms: %.2f\n", withAxesMs);
    std::printf("baseline_drawPolyline_ms: %.2f\n", baseMs);
    std::printf("minor_page_faults_per_render: %.2f\n", double(faults) / (repeats - 1));
    std::printf("speedup: %.2f\n", baseMs / oursMs);
    std::printf("column_extent_columns_compared: %d\n", diff.columnsCompared);
    std::printf("column_extent_max_diff_px: %d\n", diff.maxDiff);
    std::printf("column_extent_columns_over_1px: %d\n", diff.columnsOverOne);
    std::printf("track_line_redraw_500_points_ms: %.3f\n", track500);
    std::printf("track_line_redraw_500000_points_ms: %.3f\n", track500k);
    std::printf("ratio: %.4f\n", oursMs / baseMs);
    return 0;
}
