// Manual demo: a chart drawn the way the chart page draws it, in the chart
// viewer with its navigator below. Drag to scroll, wheel to zoom, drag the
// navigator's frame or its edges. With "--screenshot FILE" it moves the pointer
// into the plot (track line), saves a screenshot of the screen and quits.
#include "charts/ui/QChartViewer.h"
#include "charts/ui/QViewPortControl.h"
#include "chartlib/XYChart.h"

#include <QApplication>
#include <QDateTime>
#include <QFrame>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

using namespace chartlib;

namespace {

struct Series
{
    QString name, unit;
    QVector<double> t, v;
};

class DemoPage : public QWidget
{
public:
    DemoPage()
    {
        resize(1100, 620);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(1, 1, 1, 1);
        chartFrame = new QFrame(this);
        chartFrame->setMinimumSize(50, 200);
        scrollFrame = new QFrame(this);
        scrollFrame->setMaximumHeight(100);
        scrollFrame->setMinimumHeight(100);
        layout->addWidget(chartFrame, 1);
        layout->addWidget(scrollFrame);
        viewer = new QChartViewer(chartFrame);
        navigator = new QViewPortControl(scrollFrame);

        // Two days, 30 s apart, three parameters, one with a gap.
        const double t0 = Chart::chartTime(QDateTime(QDate(2024, 3, 30), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
        const char *names[] = {"U L1", "I L1", "P Σ"};
        const char *units[] = {"V", "A", "kW"};
        for (int s = 0; s < 3; ++s) {
            Series ser{QString::fromUtf8(names[s]), QString::fromUtf8(units[s]), {}, {}};
            for (int i = 0; i < 5760; ++i) {
                ser.t << t0 + i * 30.0;
                double v = s == 0 ? 230 + 4 * std::sin(i / 200.0) + std::sin(i / 7.0)
                                  : s == 1 ? 12 + 3 * std::cos(i / 300.0) : 2.7 + std::sin(i / 500.0);
                if (s == 1 && i > 2000 && i < 2300)
                    v = Chart::NoValue;
                ser.v << v;
            }
            series << ser;
        }
        viewer->setFullRange(QStringLiteral("x"), series[0].t.first(), series[0].t.last());
        viewer->setViewPortWidth(1.0);
        viewer->setViewPortLeft(0.0);
        viewer->setZoomInWidthLimit(0.0001);
        viewer->setMouseWheelZoomRatio(1.1);
        viewer->setMouseUsage(QChartViewer::MouseUsageScroll);
        QObject::connect(viewer, &QChartViewer::viewPortChanged, viewer, [this] {
            if (viewer->needUpdateChart())
                drawChart();
        });
        QObject::connect(viewer, &QChartViewer::mouseMovePlotArea, viewer, [this](QMouseEvent *) {
            drawTrackLine(static_cast<XYChart *>(viewer->getChart()), viewer->getPlotAreaMouseX());
            viewer->updateDisplay();
        });
        viewer->updateViewPort(true, true);
        drawFullChart();
        navigator->attachViewer(viewer);
    }
    ~DemoPage() override
    {
        delete viewer->getChart();
        delete navigator->getChart();
    }

    void resizeEvent(QResizeEvent *) override
    {
        if (!viewer)
            return;
        drawChart();
        drawFullChart();
    }

    QChartViewer *viewer = nullptr;

private:
    void addSeriesLayers(XYChart *c, bool overview)
    {
        static const Color palette[] = {0xFE5621, 0xD6A423, 0x58AE3A, 0x2095F2};
        QVector<Axis *> axes;
        for (int i = 0; i < series.size(); ++i) {
            const Series &s = series[i];
            Axis *axis = i == 0 ? c->yAxis() : i == 1 ? c->yAxis2() : c->addAxis(Chart::Left, 65);
            if (!overview)
                axis->setTitle(s.unit, QStringLiteral("arialbi.ttf"), 10, 0xFFFF0002);
            axis->setColors(overview ? 0xFF000000 : palette[i], overview ? 0xFF000000 : palette[i]);
            // The line through valid points, gaps filled by interpolation.
            QVector<double> xl, yl;
            int p = -1;
            for (int j = 0; j < s.v.size(); ++j) {
                if (s.v[j] >= Chart::NoValue)
                    continue;
                if (p >= 0)
                    for (int k = p + 1; k < j; ++k) {
                        xl << s.t[k];
                        yl << (s.t[k] - s.t[p]) * (s.v[j] - s.v[p]) / (s.t[j] - s.t[p]) + s.v[p];
                    }
                xl << s.t[j];
                yl << s.v[j];
                p = j;
            }
            LineLayer *line = c->addLineLayer(yl, palette[i], s.name + QLatin1Char('|') + s.unit, 0);
            line->setXData(xl);
            line->setFastLineMode();
            line->setLineWidth(1);
            LineLayer *dots = c->addLineLayer2(Chart::Overlay, 0);
            dots->setXData(s.t);
            dots->setLineWidth(0);
            dots->addDataSet(s.v, palette[i], QString())
                ->setDataSymbol(Chart::CircleShape, 5, palette[i], palette[i], 1);
            line->setUseYAxis(axis);
            dots->setUseYAxis(axis);
            axes << axis;
        }
        Mark *m = axes[0]->addMark(233, 0x800080, QStringLiteral("Max"), QString(), 8);
        m->setLineWidth(2);
        m->setAlignment(Chart::TopCenter);
    }

    void drawChart()
    {
        const int w = chartFrame->width(), h = chartFrame->height();
        auto *c = new XYChart(w, h, 0xFFFF0000, 0xFF000000, 0);
        c->setBackground(0xFFFF0000, 0xFF000000, 0);
        c->setPlotArea(130, 25, w - 200, h - 90, 0xFFFFFF, -1, 0x1A1A1A, 0xE0E0E0, 0xE0E0E0);
        addSeriesLayers(c, false);
        c->setClipping(0);
        c->xAxis()->setColors(0xFF000000, 0xFFFF0002, -1, -1);
        viewer->syncDateAxisWithViewPort(QStringLiteral("x"), c->xAxis());
        c->xAxis()->setMultiFormat(Chart::StartOfDayFilter(1, 0.05),
                                   QStringLiteral("<*font=bold,color=1A1A1A*>{value|hh:nn:ss.fff<*br*>yyyy-mm-dd}"),
                                   Chart::AllPassFilter(0, 0), QStringLiteral("<*color=1A1A1A*>{value|hh:nn:ss.fff}"),
                                   1, true);
        delete viewer->getChart();
        viewer->setChart(c);
    }

    void drawFullChart()
    {
        const int w = scrollFrame->width(), h = scrollFrame->height();
        auto *c = new XYChart(w, h, 0xFFFF0000, 0xFF000000, 0);
        c->setBackground(0xFFFF0000, 0xFF000000, 0);
        c->setPlotArea(130, 5, w - 200, h - 11, 0xFFFFFF, -1, 0x1A1A1A, 0xE0E0E0, 0xE0E0E0);
        c->xAxis()->setColors(0xFF000000, 0xFFFF0002, -1, -1);
        c->xAxis()->setLabelStyle(QStringLiteral("arial.ttf"), 8, 0xFFFF0002, 0);
        c->xAxis()->setLabelGap(-1);
        c->xAxis()->setLabelAlignment(1, 3);
        addSeriesLayers(c, true);
        c->xAxis()->setDateScale(viewer->getValueAtViewPort(QStringLiteral("x"), 0.0),
                                 viewer->getValueAtViewPort(QStringLiteral("x"), 1.0));
        c->xAxis()->setTickDensity(75, -1);
        c->yAxis()->setRounding(false, false);
        c->xAxis()->setLabelFormat(QStringLiteral("<*color=1A1A1A*>{value|hh:nn:ss<*br*>yyyy-mm-dd}"));
        delete navigator->getChart();
        navigator->setChart(c);
    }

    void drawTrackLine(XYChart *c, int mouseX)
    {
        DrawArea *d = c ? c->initDynamicLayer() : nullptr;
        if (!d)
            return;
        PlotArea *pa = c->getPlotArea();
        const double xValue = c->getNearestXValue(mouseX);
        const int xCoor = c->getXCoor(xValue);
        d->vline(pa->getTopY(), pa->getBottomY(), xCoor, d->dashLineColor(0x1A1A1A, 0x0101));
        DrawAreaText t = d->text(QStringLiteral("<*font,bgColor=1A1A1A,color=FFFFFF*> ")
                                     + c->xAxis()->getFormattedLabel(xValue, QStringLiteral("hh:nn:ss.fff"))
                                     + QStringLiteral(" <*/font*>"),
                                 QStringLiteral("arialbd.ttf"), 9);
        const int left = std::max(0, std::min(xCoor - t.getWidth() / 2, c->getWidth() - t.getWidth()));
        t.draw(left, pa->getBottomY() + 6, 0xFFFFFF, Chart::TopLeft);
        for (int i = 0; i < c->getLayerCount(); ++i) {
            Layer *layer = c->getLayerByZ(i);
            for (int j = 0; j < layer->getDataSetCount(); ++j) {
                DataSet *ds = layer->getDataSet(j);
                const QString name = ds->getDataName();
                if (name.isEmpty())
                    continue;
                const QString unit = name.section(QLatin1Char('|'), 1);
                const int xIndex = layer->getXIndexOf(xValue, 0);
                const int yCoor = c->getYCoor(ds->getPosition(xIndex), ds->getUseYAxis());
                if (ds->getDataColor() == 0xFF000000 || yCoor < pa->getTopY() || yCoor > pa->getBottomY())
                    continue;
                d->circle(xCoor, yCoor, 4, 4, ds->getDataColor(), ds->getDataColor());
                const QString label = QStringLiteral("<*font,bgColor=") + QString::number(ds->getDataColor(), 16)
                                      + QStringLiteral("*> ")
                                      + c->formatValue(ds->getValue(xIndex), QStringLiteral("{value|P4} ")) + unit
                                      + QStringLiteral(" / ") + name.section(QLatin1Char('|'), 0, 0)
                                      + QStringLiteral(" <*font*>");
                DrawAreaText lt = d->text(label, QStringLiteral("arialbd.ttf"), 10);
                if (xCoor <= (pa->getLeftX() + pa->getRightX()) / 2)
                    lt.draw(xCoor + 5, yCoor, 0xFFFFFF, Chart::Left);
                else
                    lt.draw(xCoor - 5, yCoor, 0xFFFFFF, Chart::Right);
            }
        }
    }

    QFrame *chartFrame = nullptr;
    QFrame *scrollFrame = nullptr;
    QViewPortControl *navigator = nullptr;
    QVector<Series> series;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    DemoPage page;
    page.setWindowTitle(QStringLiteral("Chart viewer demo"));
    page.show();
    const QStringList args = app.arguments();
    const int shot = args.indexOf(QStringLiteral("--screenshot"));
    if (shot > 0 && shot + 1 < args.size()) {
        const QString file = args.at(shot + 1);
        QTimer::singleShot(600, &page, [&page] {
            // Zoom in a little and point at the plot, as a user would.
            page.viewer->setViewPortLeft(0.45);
            page.viewer->setViewPortWidth(0.2);
            page.viewer->updateViewPort(true, true);
        });
        QTimer::singleShot(900, &page, [&page] {
            const QPoint p(page.viewer->getPlotAreaLeft() + page.viewer->getPlotAreaWidth() * 2 / 3, 200);
            QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(page.viewer->mapToGlobal(p)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(page.viewer, &move);
        });
        QTimer::singleShot(1400, &page, [file] {
            QGuiApplication::primaryScreen()->grabWindow(0).save(file);
            QCoreApplication::quit();
        });
    }
    return app.exec();
}
