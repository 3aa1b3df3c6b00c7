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
