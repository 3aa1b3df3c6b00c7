// Charts built call for call the way the chart page builds them (main chart,
// navigator overview and track line), in the light and the dark palette.
#include "support/TestMain.h"

#include "chartlib/ViewPortManager.h"
#include "chartlib/XYChart.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QImageReader>

#include <memory>

using namespace chartlib;

namespace {

struct Series
{
    QString name, unit;
    QVector<double> t, v;
};

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

// The page's drawing, with the values it passes.
class PageDrawing
{
public:
    explicit PageDrawing(bool light)
        : light(light)
    {
    }

    bool light;
    bool groupByUnit = false;
    bool drawLines = true;
    bool maxOn = false;
    int maxChannel = 0;
    double maxValue = 0;
    int leftMargin = 70, topMargin = 25, widthReduction = 110, heightReduction = 90;
    QVector<Axis *> axes;
    QStringList axisUnits;
    QVector<Series> series;

    Color seriesColor(int i) const
    {
        static const Color set[] = {0xFE5621, 0xD6A423, 0x58AE3A, 0x2095F2, 0x3E50B4, 0x9B26AF, 0xF34235,
                                    0x009587, 0x00BBD3, 0x5F7C8A, 0x785447, 0xFE9700, 0x6639B6};
        static const Color clear[] = {0xCC2400, 0xA47200, 0x267C08, 0x0063C0, 0x0C1E82, 0x69007D, 0xC11003,
                                      0x006355, 0x0089A1, 0x2D4A58, 0x462215, 0xCC6500, 0x340784};
        return light ? set[i % 13] : clear[i % 13];
    }
    Color themed(Color lightValue, Color darkValue) const { return light ? lightValue : darkValue; }
    // The theme's chart background string without its "#", read as hexadecimal.
    Color plotBackground() const
    {
        return QString::fromLatin1(light ? "#f0f0f0" : "#444444").mid(1).toUInt(nullptr, 16);
    }

    void addSeriesLayers(XYChart *c, bool overview)
    {
        axes.clear();
        axisUnits.clear();
        for (int i = 0; i < series.size(); ++i) {
            const Series &s = series[i];
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
                          : axes.size() == 2 ? c->addAxis(4, 65)
                                             : c->addAxis(6, 75);
                if (!overview)
                    a->setTitle(s.unit, QStringLiteral("arialbi.ttf"), 10, 0xFFFF0002);
                const Color ac = overview ? 0xFF000000 : seriesColor(i);
                a->setColors(ac, ac);
                axes << a;
                axisUnits << s.unit;
            }
        }
        for (int i = 0; i < series.size(); ++i) {
            const QVector<double> V = series[i].v, T = series[i].t;
            QVector<double> xs, ys;
            int p = -1;
            for (int j = 0; j < V.size(); ++j) {
                if (V[j] == Chart::NoValue)
                    continue;
                if (p >= 0)
                    for (int k = p + 1; k < j; ++k) {
                        xs << T[k];
                        ys << (T[j] == T[p] ? V[p] : (T[k] - T[p]) * (V[j] - V[p]) / (T[j] - T[p]) + V[p]);
                    }
                xs << T[j];
                ys << V[j];
                p = j;
            }
            if (ys.isEmpty())
                continue;
            const Color color = seriesColor(i);
            LineLayer *line = c->addLineLayer(ys, color, series[i].name + QLatin1Char('|') + series[i].unit, 0);
            line->setXData(xs);
            line->setFastLineMode(true);
            line->setLineWidth(drawLines ? 1 : 0);
            LineLayer *dots = c->addLineLayer2(0, 0);
            dots->setXData(T);
            dots->setLineWidth(0);
            dots->addDataSet(V, color, QString())->setDataSymbol(7, 5, color, color, 1);
            Axis *axis = axes.last();
            if (groupByUnit && axisUnits.contains(series[i].unit))
                axis = axes[axisUnits.indexOf(series[i].unit)];
            line->setUseYAxis(axis);
            dots->setUseYAxis(axis);
        }
        static const int margins[][2] = {{70, 110}, {70, 110}, {70, 160}, {130, 260}, {130, 310}};
        leftMargin = margins[axes.size()][0];
        widthReduction = margins[axes.size()][1];
        for (int i = 0; i < series.size(); ++i) {
            const int a = axisUnits.indexOf(series[i].unit);
            if (a < 0 || !maxOn || maxChannel != i)
                continue;
            Mark *m = axes[a]->addMark(maxValue, 0x800080, QStringLiteral("Max"), QString(), 8);
            m->setLineWidth(2);
            m->setAlignment(8);
        }
    }

    XYChart *drawChart(ViewPortManager &viewer, int w, int h)
    {
        auto *c = new XYChart(w, h, 0xFFFF0000, 0xFF000000, 0);
        c->setBackground(0xFF000000, 0xFF000000, 0);
        c->setPlotArea(leftMargin, topMargin, w - widthReduction, h - heightReduction, plotBackground(), -1,
                       themed(0x1A1A1A, 0xFFFFFF), themed(0xE0E0E0, 0x333333), themed(0xE0E0E0, 0x333333));
        addSeriesLayers(c, false);
        c->setClipping(0);
        c->xAxis()->setColors(0xFF000000, 0xFFFF0002, -1, -1);
        viewer.syncDateAxisWithViewPort(QStringLiteral("x"), c->xAxis());
        c->xAxis()->setMultiFormat(
            Chart::StartOfDayFilter(1, 0.05),
            light ? QStringLiteral("<*font=bold,color=1A1A1A*>{value|hh:nn:ss.fff<*br*>yyyy-mm-dd}")
                  : QStringLiteral("<*font=bold,color=FFFFFF*>{value|hh:nn:ss.fff<*br*>yyyy-mm-dd}"),
            Chart::AllPassFilter(0, 0),
            light ? QStringLiteral("<*color=1A1A1A*>{value|hh:nn:ss.fff}") : QStringLiteral("<*color=F0F8FF*>{value|hh:nn:ss.fff}"),
            1, true);
        viewer.commitPendingSyncAxis(c);
        return c;
    }

    XYChart *drawFullChart(ViewPortManager &viewer, int w, int h)
    {
        auto *c = new XYChart(w, h, 0xFFFF0000, 0xFF000000, 0);
        c->setBackground(0xFF000000, 0xFF000000, 0);
        c->setPlotArea(leftMargin, 5, w - widthReduction, h - 11, plotBackground(), -1, themed(0x1A1A1A, 0xFFFFFF),
                       themed(0xE0E0E0, 0x333333), themed(0xE0E0E0, 0x333333));
        c->xAxis()->setColors(0xFF000000, 0xFFFF0002, -1, -1);
        c->xAxis()->setLabelStyle(QStringLiteral("arial.ttf"), 8, 0xFFFF0002, 0);
        c->xAxis()->setLabelGap(-1);
        c->xAxis()->setLabelAlignment(1, 3);
        addSeriesLayers(c, true);
        c->xAxis()->setDateScale(viewer.getValueAtViewPort(QStringLiteral("x"), 0.0),
                                 viewer.getValueAtViewPort(QStringLiteral("x"), 1.0));
        c->xAxis()->setTickDensity(75, -1);
        c->yAxis()->setRounding(false, false);
        c->xAxis()->setLabelFormat(light ? QStringLiteral("<*color=1A1A1A*>{value|hh:nn:ss<*br*>yyyy-mm-dd}")
                                         : QStringLiteral("<*color=FFFFFF*>{value|hh:nn:ss<*br*>yyyy-mm-dd}"));
        return c;
    }

    // Returns the texts it draws, the x label first.
    QStringList drawTrackLine(XYChart *c, int mouseX)
    {
        QStringList texts;
        DrawArea *d = c->initDynamicLayer();
        PlotArea *pa = c->getPlotArea();
        const double xValue = c->getNearestXValue(mouseX);
        const int xCoor = c->getXCoor(xValue);
        d->vline(pa->getTopY(), pa->getBottomY(), xCoor, d->dashLineColor(themed(0x1A1A1A, 0xFFFFFF), 0x0101));
        const QString xLabel = (light ? QStringLiteral("<*font,bgColor=1A1A1A,color=FFFFFF*> ")
                                      : QStringLiteral("<*font,bgColor=FFFFFF,color=1A1A1A*> "))
                               + c->xAxis()->getFormattedLabel(xValue, QStringLiteral("hh:nn:ss.fff"))
                               + QStringLiteral(" <*/font*>");
        DrawAreaText t = d->text(xLabel, QStringLiteral("arialbd.ttf"), 9);
        const int left = std::max(0, std::min(xCoor - t.getWidth() / 2, c->getWidth() - t.getWidth()));
        t.draw(left, pa->getBottomY() + 6, 0xFFFFFF, 7);
        texts << xLabel;
        for (int i = 0; i < c->getLayerCount(); ++i) {
            Layer *layer = c->getLayerByZ(i);
            for (int j = 0; j < layer->getDataSetCount(); ++j) {
                DataSet *ds = layer->getDataSet(j);
                const QString name = ds->getDataName();
                if (name.isEmpty())
                    continue;
                const QStringList parts = name.split(QLatin1Char('|'));
                const QString unit = parts.size() > 1 ? parts.at(1) : QString();
                const int xIndex = layer->getXIndexOf(xValue, 0);
                const int yCoor = c->getYCoor(ds->getPosition(xIndex), ds->getUseYAxis());
                if (ds->getDataColor() == 0xFF000000 || yCoor < pa->getTopY() || yCoor > pa->getBottomY())
                    continue;
                d->circle(xCoor, yCoor, 4, 4, ds->getDataColor(), ds->getDataColor());
                const QString label = QStringLiteral("<*font,bgColor=") + QString::number(ds->getDataColor(), 16)
                                      + QStringLiteral("*> ")
                                      + c->formatValue(ds->getValue(xIndex), QStringLiteral("{value|P4} ")) + unit
                                      + QStringLiteral(" / ") + parts.at(0) + QStringLiteral(" <*font*>");
                DrawAreaText lt = d->text(label, QStringLiteral("arialbd.ttf"), 10);
                if (xCoor <= (pa->getLeftX() + pa->getRightX()) / 2)
                    lt.draw(xCoor + 5, yCoor, 0xFFFFFF, 4);
                else
                    lt.draw(xCoor - 5, yCoor, 0xFFFFFF, 6);
                texts << label;
            }
        }
        return texts;
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
        page.series << Series{QStringLiteral("Rezystancja ż"), QStringLiteral("Ω"), {t, t + 1, t + 2, t + 3},
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
        page.series << Series{QStringLiteral("U"), QStringLiteral("V"), {t, t + 1, t + 2, t + 3, t + 4, t + 5},
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

    void groupedAxes()
    {
        PageDrawing page(false);
        page.groupByUnit = true;
        const double t = t0();
        const QStringList units{"V", "A", "W", "Hz", "%"};
        for (int i = 0; i < units.size(); ++i)
            page.series << Series{QStringLiteral("P%1").arg(i), units[i], {t, t + 10}, {double(i), double(10 * i + 5)}};
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
        page.maxOn = true;
        page.maxValue = 7;
        const double t = t0();
        QVector<double> ts, vs;
        for (int i = 0; i < 200; ++i) {
            ts << t - 15 * 3600 + i * 300.0; // crosses midnight
            vs << 5 + (i % 7);
        }
        page.series << Series{QStringLiteral("U"), QStringLiteral("V"), ts, vs};
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
