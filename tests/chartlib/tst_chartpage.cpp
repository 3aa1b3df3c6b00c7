// The chart page's drawing (main chart, navigator overview and track line),
// in the light and the dark palette.
#include "support/TestMain.h"

#include "chartlib/ViewPortManager.h"
#include "charts/ChartDrawing.h"
#include "chartlib/XYChart.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QImageReader>

#include <memory>

using namespace chartlib;

namespace {

using Series = ChartDrawing::Series;

QRgb rgb(Color c)
{
    return qRgb(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF));
}

QRgb pixel(const QImage &img, int x, int y)
{
    return img.pixel(x, y) | 0xFF000000u;
}

double t0()
{
    return Chart::chartTime(QDateTime(QDate(2024, 3, 31), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
}

// The page's drawing in a theme: light ones have a light chart background.
struct PageDrawing : ChartDrawing
{
    explicit PageDrawing(bool light)
        : ChartDrawing(light, light ? QStringLiteral("#f0f0f0") : QStringLiteral("#444444"))
    {
    }
};

void setFullRange(ViewPortManager &vpm, double from, double to)
{
    vpm.setFullRange(QStringLiteral("x"), from, to);
    vpm.setViewPortWidth(1.0);
    vpm.setViewPortLeft(1.0 - 1.0);
    vpm.setZoomInWidthLimit(0.0001);
}

// Pixels of an image region close to a colour.
int countNear(const QImage &image, const QRect &r, QRgb c, int tolerance = 24)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) >= 128 && qAbs(qRed(p) - qRed(c)) + qAbs(qGreen(p) - qGreen(c)) + qAbs(qBlue(p) - qBlue(c)) <= tolerance)
                ++n;
        }
    return n;
}

// Kept for a look when QUORLOG_KEEP_CHARTS names a folder.
void keep(const QImage &img, const QString &name)
{
    const QString dir = qEnvironmentVariable("QUORLOG_KEEP_CHARTS");
    if (!dir.isEmpty())
        img.save(QDir(dir).filePath(name));
}

} // namespace

class TestChartPage : public QObject
{
    Q_OBJECT

private slots:
    void init() { Chart::resetThemeColors(); }

    void trackLineOverGap_data()
    {
        QTest::addColumn<bool>("light");
        QTest::newRow("light") << true;
        QTest::newRow("dark") << false;
    }
    void trackLineOverGap()
    {
        QFETCH(bool, light);
        PageDrawing page(light);
        const double t = t0();
        page.series << Series{QStringLiteral("Rezystancja ż"), QStringLiteral("Ω"), true, {t, t + 1, t + 2, t + 3},
                              {1, Chart::NoValue, Chart::NoValue, 4}};
        ViewPortManager vpm;
        setFullRange(vpm, t, t + 3);
        std::unique_ptr<XYChart> c(page.drawChart(vpm, 800, 400));
        const QImage plain = c->makeImage();
        QCOMPARE(c->getLayerByZ(0)->getDataSet(0)->getDataName(), QStringLiteral("Rezystancja ż|Ω"));

        // Pointing near the first gap time snaps to it; the line layer holds the
        // interpolated value there, the dots layer (no name) is not labelled.
        const int mouseX = c->getXCoor(t + 1) + 2;
        const QStringList texts = page.drawTrackLine(c.get(), mouseX);
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts.at(0), light ? QStringLiteral("<*font,bgColor=1A1A1A,color=FFFFFF*> 12:00:01.000 <*/font*>")
                                    : QStringLiteral("<*font,bgColor=FFFFFF,color=1A1A1A*> 12:00:01.000 <*/font*>"));
        QCOMPARE(texts.at(1), light ? QStringLiteral("<*font,bgColor=fe5621*> 2.000 Ω / Rezystancja ż <*font*>")
                                    : QStringLiteral("<*font,bgColor=cc2400*> 2.000 Ω / Rezystancja ż <*font*>"));

        const QImage img = c->makeImage();
        keep(img, QStringLiteral("trackline-%1.png").arg(light ? "light" : "dark"));
        const int x = c->getXCoor(t + 1), y = c->getYCoor(2);
        PlotArea *pa = c->getPlotArea();
        QCOMPARE(pixel(img, x, y), rgb(page.seriesColor(0)));
        QCOMPARE(pixel(img, x, pa->getTopY()), rgb(page.themed(0x1A1A1A, 0xFFFFFF)));
        // The x label sits below the plot area in its own background colour.
        QVERIFY(countNear(img, QRect(x - 20, pa->getBottomY() + 6, 40, 12), rgb(page.themed(0x1A1A1A, 0xFFFFFF)), 0) > 100);
        // Only the dynamic layer changed: removing it gives the plain picture back.
        c->removeDynamicLayer();
        QCOMPARE(c->makeImage(), plain);
    }

    // A track label keeps the whole name inside the picture (saved images
    // carry it): moved in from the edge it would run over, broken over lines
    // when it is wider than the chart.
    void trackLabelInside_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("at"); // where the mouse is, as a share of the plot width
        QTest::addColumn<bool>("broken");
        const QString longName = QStringLiteral("block1_value3_Ch3_14504_t1 (recorder)");
        QTest::newRow("right of the line, would run over the right edge") << longName << 0.2 << false;
        QTest::newRow("left of the line, would run over the left edge") << longName << 0.8 << false;
        QTest::newRow("wider than the chart") << longName.repeated(3) << 0.5 << true;
    }
    void trackLabelInside()
    {
        QFETCH(QString, name);
        QFETCH(double, at);
        QFETCH(bool, broken);
        PageDrawing page(true);
        const double t = t0();
        page.series << Series{name, QStringLiteral("V"), true, {t, t + 10}, {1, 1}};
        ViewPortManager vpm;
        setFullRange(vpm, t, t + 10);
        std::unique_ptr<XYChart> c(page.drawChart(vpm, 420, 200));
        const QImage plain = c->makeImage().convertToFormat(QImage::Format_ARGB32);
        PlotArea *pa = c->getPlotArea();
        const QStringList texts = page.drawTrackLine(c.get(), pa->getLeftX() + int(at * pa->getWidth()));
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts.at(1).contains(QLatin1String("<*br*>")), broken);
        QString shown = texts.at(1);
        shown.remove(QStringLiteral("<*br*>"));
        QVERIFY(shown.contains(QStringLiteral(" / ") + name + QLatin1Char(' ')));
        const QImage img = c->makeImage().convertToFormat(QImage::Format_ARGB32);
        keep(img, QStringLiteral("tracklabel-%1.png").arg(int(at * 10)));
        // The label's box: pixels of the series' colour the track line added.
        const QRgb box = rgb(page.seriesColor(0));
        int left = img.width(), right = -1, top = img.height(), bottom = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != plain.pixel(x, y) && (img.pixel(x, y) | 0xFF000000u) == box) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        QVERIFY(right > left);
        QVERIFY2(left >= 1 && right <= img.width() - 2, qPrintable(QStringLiteral("box %1..%2").arg(left).arg(right)));
        if (broken)
            QVERIFY(bottom - top > 30); // several lines
    }

    void linesOff()
    {
        PageDrawing page(true);
        page.drawLines = false;
        const double t = t0();
        page.series << Series{QStringLiteral("U"), QStringLiteral("V"), true, {t, t + 1, t + 2, t + 3, t + 4, t + 5},
                              {1, Chart::NoValue, Chart::NoValue, 3, 4, 0}};
        ViewPortManager vpm;
        setFullRange(vpm, t, t + 5);
        std::unique_ptr<XYChart> c(page.drawChart(vpm, 600, 300));
        const QImage img = c->makeImage();
        const QRgb line = rgb(page.seriesColor(0));
        for (int dx = -3; dx <= 3; ++dx) {
            QVERIFY(pixel(img, c->getXCoor(t + 1) + dx, c->getYCoor(5.0 / 3)) != line);
            QVERIFY(pixel(img, c->getXCoor(t + 2) + dx, c->getYCoor(7.0 / 3)) != line);
        }
        QCOMPARE(pixel(img, c->getXCoor(t + 3), c->getYCoor(3)), line);
    }

    // Indicators mark the axis of their series' unit; a series whose unit
    // has no axis (not grouped, another unit than the first) gets no mark.
    void indicatorMarks()
    {
        PageDrawing page(true);
        const double t = t0();
        page.series << Series{QStringLiteral("U"), QStringLiteral("V"), true, {t, t + 10}, {0, 10}};
        page.series << Series{QStringLiteral("I"), QStringLiteral("A"), true, {t, t + 10}, {2, 8}};
        page.maxIndicator = {true, 1, 7.0, 0x800080};
        page.minIndicator = {true, 0, 3.0, 0x0000FF};
        ViewPortManager vpm;
        setFullRange(vpm, t, t + 10);
        std::unique_ptr<XYChart> c(page.drawChart(vpm, 600, 300));
        const QImage img = c->makeImage();
        PlotArea *pa = c->getPlotArea();
        const QRect plot(pa->getLeftX(), pa->getTopY(), pa->getWidth(), pa->getHeight());
        QCOMPARE(countNear(img, plot, qRgb(0x80, 0x00, 0x80), 0), 0);
        QCOMPARE(pixel(img, pa->getLeftX() + 20, c->getYCoor(3)), qRgb(0x00, 0x00, 0xFF));
        // Hidden series draw nothing and make no axis of their own.
        page.series[0].visible = false;
        c.reset(page.drawChart(vpm, 600, 300));
        QCOMPARE(page.axisUnits, QStringList{QStringLiteral("A")});
        QCOMPARE(c->getLayerCount(), 2);
        QCOMPARE(c->getLayerByZ(0)->getDataSet(0)->getDataName(), QStringLiteral("I|A"));
    }

    void groupedAxes()
    {
        PageDrawing page(false);
        page.groupByUnit = true;
        const double t = t0();
        const QStringList units{"V", "A", "W", "Hz", "%"};
        for (int i = 0; i < units.size(); ++i)
            page.series << Series{QStringLiteral("P%1").arg(i), units[i], true, {t, t + 10}, {double(i), double(10 * i + 5)}};
        ViewPortManager vpm;
        setFullRange(vpm, t, t + 10);
        std::unique_ptr<XYChart> c(page.drawChart(vpm, 900, 400));
        QCOMPARE(page.leftMargin, 130);
        QCOMPARE(page.widthReduction, 310);
        // The next drawing has room for the added axes.
        c.reset(page.drawChart(vpm, 900, 400));
        QCOMPARE(page.axes.size(), 4);
        QCOMPARE(page.axes[0], c->yAxis());
        QCOMPARE(page.axes[1], c->yAxis2());
        QCOMPARE(page.axes[2]->getOffset(), 65);
        QCOMPARE(page.axes[3]->getOffset(), 75);
        // The fifth unit's layers use the fourth axis.
        QCOMPARE(c->getLayerByZ(8)->getDataSet(0)->getUseYAxis(), page.axes[3]);
        QCOMPARE(page.leftMargin, 130);
        QCOMPARE(page.widthReduction, 310);
        // Each axis is drawn in its series' colour, on its side of the plot.
        const QImage img = c->makeImage();
        keep(img, QStringLiteral("grouped-dark.png"));
        const int midY = 25 + (400 - 90) / 2;
        const int right = 130 + 900 - 310 - 1;
        QCOMPARE(pixel(img, 130, midY), rgb(page.seriesColor(0)));
        QCOMPARE(pixel(img, right, midY), rgb(page.seriesColor(1)));
        QCOMPARE(pixel(img, 130 - 65, midY), rgb(page.seriesColor(2)));
        QCOMPARE(pixel(img, right + 75, midY), rgb(page.seriesColor(3)));
    }

    // Grouped by unit, every axis drawn has its tick labels and its title
    // inside the picture, beside its own line and nowhere else, titled with
    // the units of the series drawn on it (the fourth takes any further unit).
    void groupedAxesReadable_data()
    {
        QTest::addColumn<bool>("light");
        QTest::addColumn<QStringList>("units");
        QTest::addColumn<QStringList>("titles");
        const QStringList three{"V", "A", "Hz"};
        const QStringList five{"V", "A", "Hz", "°C", "kWh"};
        QTest::newRow("3 units, light") << true << three << three;
        QTest::newRow("3 units, dark") << false << three << three;
        QTest::newRow("5 units, light") << true << five << QStringList{"V", "A", "Hz", "°C, kWh"};
        QTest::newRow("5 units, dark") << false << five << QStringList{"V", "A", "Hz", "°C, kWh"};
    }
    void groupedAxesReadable()
    {
        QFETCH(bool, light);
        QFETCH(QStringList, units);
        QFETCH(QStringList, titles);
        const QRgb text = qRgb(0x40, 0xF0, 0xF0); // titles, in no series' colour
        Chart::setThemeColors(QColor(0x30, 0x30, 0x30), QColor(text), QColor(text));
        PageDrawing page(light);
        page.groupByUnit = true;
        const double t = t0();
        // Long labels: values with decimals, a negative one, a large one.
        const QVector<QVector<double>> values{{229.875, 231.125}, {-12.345, 17.875}, {49.9825, 50.0125},
                                              {-21.5, 38.25}, {123456.5, 198765.25}};
        for (int i = 0; i < units.size(); ++i)
            page.series << Series{QStringLiteral("P%1").arg(i), units[i], true, {t, t + 10}, values[i]};
        // An indicator on the last series marks the axis it is drawn on.
        const double level = (values[units.size() - 1][0] + values[units.size() - 1][1]) / 2;
        page.maxIndicator = {true, int(units.size()) - 1, level, 0x800080};
        ViewPortManager vpm;
        setFullRange(vpm, t, t + 10);
        // Drawn once, as after switching grouping on: no earlier drawing made room.
        std::unique_ptr<XYChart> c(page.drawChart(vpm, 900, 400));
        const QImage img = c->makeImage().convertToFormat(QImage::Format_ARGB32);
        keep(img, QStringLiteral("axes-%1-%2.png").arg(units.size()).arg(light ? "light" : "dark"));

        QCOMPARE(page.axes.size(), titles.size());
        QStringList seen;
        for (Axis *a : qAsConst(page.axes))
            seen << a->getTitle();
        QCOMPARE(seen, titles);
        // No series is drawn on an axis whose title leaves out its unit.
        for (int z = 0; z < c->getLayerCount(); ++z) {
            DataSet *ds = c->getLayerByZ(z)->getDataSet(0);
            if (!ds || ds->getDataName().isEmpty())
                continue;
            const QString unit = ds->getDataName().section(QLatin1Char('|'), 1);
            QVERIFY2(ds->getUseYAxis()->getTitle().split(QStringLiteral(", ")).contains(unit), qPrintable(unit));
        }

        PlotArea *pa = c->getPlotArea();
        // Nothing reaches the picture's left or right edge.
        for (int y = 0; y < img.height(); ++y)
            for (int x : {0, 1, img.width() - 2, img.width() - 1})
                QVERIFY2(qAlpha(img.pixel(x, y)) == 0, qPrintable(QStringLiteral("content at %1,%2").arg(x).arg(y)));
        // Each axis owns the columns from its line outwards to the next line
        // (or the picture's edge): its labels and title lie there alone.
        const int n = page.axes.size();
        QVector<int> lineX(n), from(n), to(n);
        for (int a = 0; a < n; ++a)
            lineX[a] = c->axisLineX(page.axes[a]);
        for (int a = 0; a < n; ++a) {
            const bool left = page.axes[a]->getAlignment() == Chart::Left;
            int outer = left ? 0 : img.width() - 1;
            for (int b = 0; b < n; ++b)
                if (b != a && page.axes[b]->getAlignment() == page.axes[a]->getAlignment()) {
                    if (left && lineX[b] < lineX[a])
                        outer = std::max(outer, lineX[b] + 1);
                    if (!left && lineX[b] > lineX[a])
                        outer = std::min(outer, lineX[b] - 1);
                }
            from[a] = left ? outer : lineX[a];
            to[a] = left ? lineX[a] : outer;
        }
        const QRect plot(pa->getLeftX(), pa->getTopY(), pa->getWidth(), pa->getHeight());
        auto near = [](QRgb p, QRgb c) {
            return qAlpha(p) >= 128 && qAbs(qRed(p) - qRed(c)) + qAbs(qGreen(p) - qGreen(c)) + qAbs(qBlue(p) - qBlue(c)) <= 24;
        };
        for (int a = 0; a < n; ++a) {
            const QRgb colour = rgb(page.seriesColor(units.indexOf(page.axisUnits[a])));
            int labels = 0, titlePixels = 0, astray = 0;
            for (int y = pa->getTopY() - 8; y <= pa->getBottomY() + 8; ++y)
                for (int x = 0; x < img.width(); ++x) {
                    if (plot.contains(x, y))
                        continue;
                    const QRgb p = img.pixel(x, y);
                    const bool mine = x >= from[a] && x <= to[a];
                    if (near(p, colour)) {
                        if (!mine)
                            ++astray;
                        else if (qAbs(x - lineX[a]) > 6)
                            ++labels;
                    } else if (mine && near(p, text)) {
                        ++titlePixels;
                    }
                }
            const QString which = QStringLiteral("axis %1 (%2)").arg(a).arg(titles[a]);
            QVERIFY2(labels >= 40, qPrintable(which + QStringLiteral(": no tick labels")));
            QVERIFY2(titlePixels >= 15, qPrintable(which + QStringLiteral(": no title")));
            QVERIFY2(astray == 0, qPrintable(which + QStringLiteral(": labels beside another axis")));
        }
        Axis *lastAxis = c->getLayerByZ(2 * (units.size() - 1))->getDataSet(0)->getUseYAxis();
        QCOMPARE(img.pixel(pa->getLeftX() + 20, c->getYCoor(level, lastAxis)) | 0xFF000000u, qRgb(0x80, 0x00, 0x80));
        // The navigator's plot area lines up with this one.
        QCOMPARE(page.leftMargin, pa->getLeftX());
        QCOMPARE(page.widthReduction, 900 - pa->getWidth());
    }

    void darkThemeTexts()
    {
        // The palette text colour (axis title "*", mark text) comes from the theme.
        const QRgb text = qRgb(0xF0, 0xC0, 0x40);
        Chart::setThemeColors(QColor(0x30, 0x30, 0x30), QColor(text), QColor(text));
        PageDrawing page(false);
        page.maxIndicator.on = true;
        page.maxIndicator.value = 7;
        const double t = t0();
        QVector<double> ts, vs;
        for (int i = 0; i < 200; ++i) {
            ts << t - 15 * 3600 + i * 300.0; // crosses midnight
            vs << 5 + (i % 7);
        }
        page.series << Series{QStringLiteral("U"), QStringLiteral("V"), true, ts, vs};
        ViewPortManager vpm;
        setFullRange(vpm, ts.first(), ts.last());
        std::unique_ptr<XYChart> c(page.drawChart(vpm, 900, 400));
        const QImage img = c->makeImage();
        keep(img, QStringLiteral("chart-dark.png"));
        PlotArea *pa = c->getPlotArea();
        // "*" left of the y labels, "Max" over the mark line.
        QVERIFY(countNear(img, QRect(0, pa->getTopY(), 50, pa->getHeight()), text) >= 3);
        const int markY = c->getYCoor(7);
        QVERIFY(countNear(img, QRect(pa->getLeftX(), markY - 16, pa->getWidth(), 14), text, 40) >= 5);
        QCOMPARE(pixel(img, pa->getLeftX() + 40, markY), qRgb(0x80, 0x00, 0x80));
        // X labels in their light markup colour below the plot; the chart itself is
        // transparent so the frame colour shows through.
        QVERIFY(countNear(img, QRect(0, pa->getBottomY() + 4, 900, 30), qRgb(0xF0, 0xF8, 0xFF), 12) > 20);
        QCOMPARE(qAlpha(img.pixel(2, 2)), 0);
        // A JPG has no transparency: the theme's background fills it, so the
        // light labels stay readable.
        QBuffer buf;
        buf.setData(c->makeChart(Chart::JPG));
        const QImage jpg = QImageReader(&buf, "jpeg").read();
        QVERIFY(!jpg.isNull());
        QVERIFY(countNear(jpg, QRect(0, 0, 10, 10), qRgb(0x30, 0x30, 0x30), 12) == 100);

        std::unique_ptr<XYChart> overview(page.drawFullChart(vpm, 900, 100));
        keep(overview->makeImage(), QStringLiteral("overview-dark.png"));
        QCOMPARE(overview->xAxis()->getMinValue(), ts.first());
        QCOMPARE(overview->xAxis()->getMaxValue(), ts.last());
        QCOMPARE(overview->yAxis()->getMinValue(), 5.0);
        QCOMPARE(overview->yAxis()->getMaxValue(), 11.0);
        const QStringList labels = overview->xAxis()->tickLabels();
        QVERIFY(labels.size() >= 2);
        QVERIFY(labels.first().startsWith(QLatin1String("<*color=FFFFFF*>")));
        QVERIFY(labels.first().contains(QLatin1String("<*br*>2024-03-3")));
    }
};

QUORLOG_TEST_MAIN(TestChartPage)
#include "tst_chartpage.moc"
