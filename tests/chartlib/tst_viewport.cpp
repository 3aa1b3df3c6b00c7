// Viewport manager, navigator frame geometry and image-map hot spots.
#include "support/TestMain.h"

#include "chartlib/ImageMapHandler.h"
#include "chartlib/ViewPortControlBase.h"
#include "chartlib/ViewPortManager.h"
#include "chartlib/XYChart.h"

#include <QDateTime>

using namespace chartlib;

namespace {
// Plot area 100..499 x 50..249 (400 x 200 pixels).
void setPlot(ViewPortManager &m)
{
    m.setChartMetrics(QStringLiteral("chart=600,300;plot=100,50,400,200;x=0,1"));
}
} // namespace

class TestViewPort : public QObject
{
    Q_OBJECT

private slots:
    void metricsAndPlotArea()
    {
        ViewPortManager m;
        QVERIFY(!m.inPlotArea(150, 100));
        QVERIFY(!m.dragTo(0, 10, 0));
        setPlot(m);
        QCOMPARE(m.getPlotAreaLeft(), 100);
        QCOMPARE(m.getPlotAreaTop(), 50);
        QCOMPARE(m.getPlotAreaWidth(), 400);
        QCOMPARE(m.getPlotAreaHeight(), 200);
        QVERIFY(m.inPlotArea(100, 50));
        QVERIFY(m.inPlotArea(499, 249));
        QVERIFY(!m.inPlotArea(500, 100));
        QVERIFY(!m.inPlotArea(99, 100));
        QVERIFY(m.inExtendedPlotArea(500, 250));
        QVERIFY(!m.inExtendedPlotArea(510, 100));
        m.setChartMetrics(QString());
        QCOMPARE(m.getPlotAreaWidth(), 0);

        // A chart's own metrics carry its plot area.
        XYChart c(300, 200);
        c.setPlotArea(70, 25, 190, 110);
        m.setChartMetrics(c.getChartMetrics());
        QCOMPARE(m.getPlotAreaLeft(), 70);
        QCOMPARE(m.getPlotAreaWidth(), 190);
    }

    void drag_data()
    {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<double>("newLeft");
        QTest::addColumn<double>("newTop");
        // Dragging right shows earlier data: left goes down by dx / plot width * width.
        QTest::newRow("right") << 0.5 << 0.2 << 0 << 100 << 0 << true << 0.45 << 0.0;
        QTest::newRow("left") << 0.5 << 0.2 << 0 << -200 << 0 << true << 0.6 << 0.0;
        QTest::newRow("clamped at start") << 0.1 << 0.2 << 0 << 1000 << 0 << true << 0.0 << 0.0;
        QTest::newRow("clamped at end") << 0.7 << 0.2 << 0 << -4000 << 0 << true << 0.8 << 0.0;
        QTest::newRow("already at start") << 0.0 << 0.2 << 0 << 50 << 0 << false << 0.0 << 0.0;
        QTest::newRow("full width cannot move") << 0.0 << 1.0 << 0 << -50 << 0 << false << 0.0 << 0.0;
        QTest::newRow("vertical only ignores dx") << 0.5 << 0.2 << 1 << 100 << 0 << false << 0.5 << 0.0;
    }
    void drag()
    {
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(int, direction);
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(bool, changed);
        QFETCH(double, newLeft);
        QFETCH(double, newTop);
        ViewPortManager m;
        setPlot(m);
        m.setZoomInWidthLimit(0.0001);
        m.setViewPortLeft(left);
        m.setViewPortWidth(width);
        m.startDrag();
        QCOMPARE(m.dragTo(direction, dx, dy), changed);
        QVERIFY(qAbs(m.getViewPortLeft() - newLeft) < 1e-9);
        QVERIFY(qAbs(m.getViewPortTop() - newTop) < 1e-9);
        QCOMPARE(m.getViewPortWidth(), width);
    }

    void verticalDrag()
    {
        ViewPortManager m;
        setPlot(m);
        m.setViewPortTop(0.4);
        m.setViewPortHeight(0.5);
        m.startDrag();
        QVERIFY(m.dragTo(2, 0, 40)); // both directions: 40 / 200 * 0.5 = 0.1
        QVERIFY(qAbs(m.getViewPortTop() - 0.3) < 1e-9);
        // Offsets are from the drag start, not cumulative.
        QVERIFY(m.dragTo(2, 0, 80));
        QVERIFY(qAbs(m.getViewPortTop() - 0.2) < 1e-9);
    }

    void zoomAt_data()
    {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("x");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("limit");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<double>("newLeft");
        QTest::addColumn<double>("newWidth");
        // The clicked point becomes the centre.
        QTest::newRow("in at centre") << 0.0 << 1.0 << 300 << 2.0 << 0.01 << true << 0.25 << 0.5;
        QTest::newRow("in at quarter") << 0.0 << 1.0 << 200 << 2.0 << 0.01 << true << 0.0 << 0.5;
        QTest::newRow("in at three quarters") << 0.0 << 1.0 << 400 << 4.0 << 0.01 << true << 0.625 << 0.25;
        QTest::newRow("in stops at the limit") << 0.4 << 0.2 << 300 << 10.0 << 0.1 << true << 0.45 << 0.1;
        QTest::newRow("at the limit already") << 0.45 << 0.1 << 300 << 2.0 << 0.1 << false << 0.45 << 0.1;
        QTest::newRow("out") << 0.4 << 0.2 << 300 << 0.5 << 0.01 << true << 0.3 << 0.4;
        QTest::newRow("out stops at full range") << 0.4 << 0.2 << 300 << 0.1 << 0.01 << true << 0.0 << 1.0;
        QTest::newRow("zoom-in limit above zoom-out limit") << 0.0 << 1.0 << 300 << 2.0 << 2.0 << false << 0.0 << 1.0;
    }
    void zoomAt()
    {
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(int, x);
        QFETCH(double, ratio);
        QFETCH(double, limit);
        QFETCH(bool, changed);
        QFETCH(double, newLeft);
        QFETCH(double, newWidth);
        ViewPortManager m;
        setPlot(m);
        m.setZoomInWidthLimit(limit);
        m.setViewPortLeft(left);
        m.setViewPortWidth(width);
        QCOMPARE(m.zoomAt(0, x, 100, ratio), changed);
        QVERIFY2(qAbs(m.getViewPortLeft() - newLeft) < 1e-9, qPrintable(QString::number(m.getViewPortLeft())));
        QVERIFY(qAbs(m.getViewPortWidth() - newWidth) < 1e-9);
        QCOMPARE(m.getViewPortHeight(), 1.0); // horizontal only
    }

    void zoomAround_data()
    {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("x");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<double>("newWidth");
        QTest::newRow("in") << 0.0 << 1.0 << 200 << 2.0 << true << 0.5;
        QTest::newRow("wheel step in") << 0.2 << 0.5 << 350 << 1.1 << true << 0.5 / 1.1;
        QTest::newRow("wheel step out") << 0.2 << 0.5 << 350 << 1 / 1.1 << true << 0.55;
        QTest::newRow("out at full range") << 0.0 << 1.0 << 350 << 0.5 << false << 1.0;
        QTest::newRow("in at the limit") << 0.3 << 0.0001 << 350 << 2.0 << false << 0.0001;
    }
    void zoomAround()
    {
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(int, x);
        QFETCH(double, ratio);
        QFETCH(bool, changed);
        QFETCH(double, newWidth);
        ViewPortManager m;
        setPlot(m);
        m.setZoomInWidthLimit(0.0001);
        m.setViewPortLeft(left);
        m.setViewPortWidth(width);
        const double fx = (x - 100) / 400.0;
        const double before = left + fx * width;
        QCOMPARE(m.zoomAround(x, 100, ratio, 1), changed);
        QVERIFY(qAbs(m.getViewPortWidth() - newWidth) < 1e-9);
        // The value under the pointer stays under it (unless clamped at an end).
        const double after = m.getViewPortLeft() + fx * m.getViewPortWidth();
        if (m.getViewPortLeft() > 0 && m.getViewPortLeft() + m.getViewPortWidth() < 1)
            QVERIFY2(qAbs(after - before) < 1e-9, qPrintable(QString::number(after - before)));
        QCOMPARE(m.getViewPortHeight(), 1.0);
    }

    void zoomTo_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<double>("limit");
        QTest::addColumn<QRectF>("expected"); // left, top, width, height
        QTest::newRow("horizontal") << 0 << QRect(QPoint(200, 60), QPoint(300, 90)) << 0.01
                                    << QRectF(0.25, 0, 0.25, 1);
        QTest::newRow("reversed box") << 0 << QRect(QPoint(300, 60), QPoint(200, 90)) << 0.01
                                      << QRectF(0.25, 0, 0.25, 1);
        QTest::newRow("both") << 2 << QRect(QPoint(200, 100), QPoint(300, 150)) << 0.01
                              << QRectF(0.25, 0.25, 0.25, 0.25);
        QTest::newRow("vertical") << 1 << QRect(QPoint(200, 100), QPoint(300, 150)) << 0.01
                                  << QRectF(0, 0.25, 1, 0.25);
        // Narrower than the limit: the limit's width around the box's centre.
        QTest::newRow("limited") << 0 << QRect(QPoint(300, 60), QPoint(302, 90)) << 0.1
                                 << QRectF(0.5025 - 0.05, 0, 0.1, 1);
    }
    void zoomTo()
    {
        QFETCH(int, direction);
        QFETCH(QRect, box);
        QFETCH(double, limit);
        QFETCH(QRectF, expected);
        ViewPortManager m;
        setPlot(m);
        m.setZoomInWidthLimit(limit);
        m.setZoomInHeightLimit(limit);
        // QRect(QPoint, QPoint) keeps the corners as given; reversed boxes have negative size.
        QVERIFY(m.zoomTo(direction, box.left(), box.top(), box.left() + box.width() - 1, box.top() + box.height() - 1));
        QVERIFY2(qAbs(m.getViewPortLeft() - expected.left()) < 1e-9, qPrintable(QString::number(m.getViewPortLeft())));
        QVERIFY(qAbs(m.getViewPortTop() - expected.top()) < 1e-9);
        QVERIFY(qAbs(m.getViewPortWidth() - expected.width()) < 1e-9);
        QVERIFY(qAbs(m.getViewPortHeight() - expected.height()) < 1e-9);
    }

    void validate_data()
    {
        QTest::addColumn<QRectF>("given");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("inside") << QRectF(0.2, 0.1, 0.5, 0.5) << QRectF(0.2, 0.1, 0.5, 0.5);
        QTest::newRow("past the end") << QRectF(0.8, 0, 0.5, 1) << QRectF(0.5, 0, 0.5, 1);
        QTest::newRow("negative left") << QRectF(-0.3, 0, 0.5, 1) << QRectF(0, 0, 0.5, 1);
        QTest::newRow("too wide") << QRectF(0.2, 0, 3, 1) << QRectF(0, 0, 1, 1);
        QTest::newRow("too narrow") << QRectF(0.5, 0, 0.001, 1) << QRectF(0.5, 0, 0.01, 1);
        QTest::newRow("tall and low") << QRectF(0, 0.9, 1, 0.5) << QRectF(0, 0.5, 1, 0.5);
    }
    void validate()
    {
        QFETCH(QRectF, given);
        QFETCH(QRectF, expected);
        ViewPortManager m;
        m.setViewPortLeft(given.left());
        m.setViewPortTop(given.top());
        m.setViewPortWidth(given.width());
        m.setViewPortHeight(given.height());
        m.validateViewPort();
        QVERIFY(qAbs(m.getViewPortLeft() - expected.left()) < 1e-9);
        QVERIFY(qAbs(m.getViewPortTop() - expected.top()) < 1e-9);
        QVERIFY(qAbs(m.getViewPortWidth() - expected.width()) < 1e-9);
        QVERIFY(qAbs(m.getViewPortHeight() - expected.height()) < 1e-9);
    }

    void canZoom()
    {
        ViewPortManager m;
        m.setZoomInWidthLimit(0.1);
        QVERIFY(m.canZoomIn(0));
        QVERIFY(!m.canZoomOut(0));
        m.setViewPortWidth(0.1);
        QVERIFY(!m.canZoomIn(0));
        QVERIFY(m.canZoomIn(2)); // height can still shrink
        QVERIFY(m.canZoomOut(0));
        QVERIFY(!m.canZoomOut(1));
    }

    void valuesOverDateRange()
    {
        ViewPortManager m;
        const double start = Chart::chartTime(QDateTime(QDate(2024, 3, 31), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch());
        const double end = start + 86400;
        m.setFullRange(QStringLiteral("x"), start, end);
        QCOMPARE(m.getValueAtViewPort(QStringLiteral("x"), 0.0), start);
        QCOMPARE(m.getValueAtViewPort(QStringLiteral("x"), 1.0), end);
        QCOMPARE(m.getValueAtViewPort(QStringLiteral("x"), 0.125), start + 3 * 3600);
        QCOMPARE(m.getViewPortAtValue(QStringLiteral("x"), start + 6 * 3600), 0.25);
        QCOMPARE(m.getValueAtViewPort(QStringLiteral("other"), 0.5), 0.0);

        // The axis follows the viewport's part of the range.
        m.setViewPortLeft(0.25);
        m.setViewPortWidth(0.5);
        XYChart c(600, 300);
        m.syncDateAxisWithViewPort(QStringLiteral("x"), c.xAxis());
        c.layout();
        QCOMPARE(c.xAxis()->getMinValue(), start + 6 * 3600);
        QCOMPARE(c.xAxis()->getMaxValue(), start + 18 * 3600);
    }

    void pendingSyncTakesAxisScale()
    {
        ViewPortManager m;
        XYChart c(600, 300);
        c.setPlotArea(50, 20, 500, 200);
        c.addLineLayer({1, 2, 3})->setXData({1000, 2000, 3000});
        m.syncDateAxisWithViewPort(QStringLiteral("x"), c.xAxis());
        QVERIFY(!m.hasFullRange(QStringLiteral("x")));
        m.commitPendingSyncAxis(&c);
        QVERIFY(m.hasFullRange(QStringLiteral("x")));
        QCOMPARE(m.getValueAtViewPort(QStringLiteral("x"), 0), 1000.0);
        QCOMPARE(m.getValueAtViewPort(QStringLiteral("x"), 1), 3000.0);
    }

    void controlFrame()
    {
        ViewPortManager m;
        m.setZoomInWidthLimit(0.05);
        m.setViewPortLeft(0.25);
        m.setViewPortWidth(0.5);
        XYChart overview(600, 100, 0xFFFFFF);
        overview.setPlotArea(100, 5, 400, 89, 0xFFFFFF, -1, Chart::Transparent, Chart::Transparent);
        ViewPortControlBase ctl;
        ctl.setChart(&overview);
        ctl.setViewPortManager(&m);
        ctl.setProperty(ViewPortControlBase::ZoomDirection, 0);
        ctl.setProperty(ViewPortControlBase::ScrollDirection, 0);
        QVERIFY(ctl.isOnPlotArea(100, 5));
        QVERIFY(!ctl.isOnPlotArea(50, 50));

        // Frame from x 200 to 400: edges, inside, outside (horizontal zoom only:
        // corners act as side edges, top and bottom as inside).
        const struct { int x, y, code; } hover[] = {{200, 50, 4}, {400, 50, 6}, {300, 50, 5}, {300, 5, 5},
                                                    {200, 5, 4},  {150, 50, 0}, {450, 50, 0}};
        for (const auto &h : hover) {
            ctl.handleMouseMove(h.x, h.y, false);
            QCOMPARE(ctl.getProperty(ViewPortControlBase::MousePosition), h.code);
            QCOMPARE(ctl.getProperty(ViewPortControlBase::NeedUpdateChart), 0);
        }
        ctl.setProperty(ViewPortControlBase::ZoomDirection, 2);
        ctl.handleMouseMove(200, 5, false);
        QCOMPARE(ctl.getProperty(ViewPortControlBase::MousePosition), 7);
        ctl.handleMouseMove(400, 93, false);
        QCOMPARE(ctl.getProperty(ViewPortControlBase::MousePosition), 3);
        ctl.setProperty(ViewPortControlBase::ZoomDirection, 0);

        // Move the frame by 40 px = 0.1.
        ctl.handleMouseDown(300, 50);
        ctl.handleMouseMove(302, 50, false); // below the minimum drag: nothing
        QCOMPARE(ctl.getProperty(ViewPortControlBase::NeedUpdateChart), 0);
        ctl.handleMouseMove(340, 50, true);
        QCOMPARE(ctl.getProperty(ViewPortControlBase::NeedUpdateChart), 1);
        QCOMPARE(ctl.getProperty(ViewPortControlBase::NeedUpdateDisplay), 1);
        QVERIFY(qAbs(m.getViewPortLeft() - 0.35) < 1e-9);
        ctl.handleMouseUp(340, 50);
        QCOMPARE(ctl.getProperty(ViewPortControlBase::NeedUpdateImageMap), 1);

        // Resize by the right edge (now at x 440): 40 px wider.
        ctl.handleMouseDown(440, 50);
        QCOMPARE(ctl.getProperty(ViewPortControlBase::MousePosition), 6);
        ctl.handleMouseMove(480, 50, true);
        QVERIFY(qAbs(m.getViewPortWidth() - 0.6) < 1e-9);
        QVERIFY(qAbs(m.getViewPortLeft() - 0.35) < 1e-9);
        ctl.handleMouseUp(480, 50);
        // Left edge (x 240) to the right, stopped by the zoom-in limit.
        ctl.handleMouseDown(240, 50);
        ctl.handleMouseMove(600, 50, true);
        QVERIFY(qAbs(m.getViewPortWidth() - 0.05) < 1e-9);
        QVERIFY(qAbs(m.getViewPortLeft() - 0.9) < 1e-9);
        ctl.handleMouseUp(600, 50);

        // The frame is painted on the dynamic layer: the outside is dimmed.
        ctl.paintViewPort();
        const QImage img = overview.makeImage();
        QVERIFY(img.pixel(150, 50) != qRgb(255, 255, 255));
        QCOMPARE(img.pixel(470, 50) | 0xFF000000u, qRgb(255, 255, 255));
        QCOMPARE(img.pixel(460, 50) | 0xFF000000u, qRgb(0x20, 0x95, 0xF2));
        QCOMPARE(img.pixel(479, 50) | 0xFF000000u, qRgb(0x20, 0x95, 0xF2));
        QVERIFY((img.pixel(481, 50) | 0xFF000000u) != qRgb(0x20, 0x95, 0xF2));

        // Without a manager nothing moves and nothing is asked for.
        ViewPortControlBase idle;
        idle.setChart(&overview);
        idle.handleMouseDown(300, 50);
        idle.handleMouseMove(350, 50, true);
        QCOMPARE(idle.getProperty(ViewPortControlBase::NeedUpdateChart), 0);
        QCOMPARE(idle.getProperty(ViewPortControlBase::MousePosition), 0);
    }

    void imageMap()
    {
        ImageMapHandler h(QStringLiteral(
            "<area shape=\"rect\" coords=\"10,10,50,30\" title=\"U1: 230.1 V\">"
            "<area shape=\"circle\" coords=\"100,100,5\" href=\"show.html?series=1&amp;x=2\" title='Prąd'>"
            "<AREA shape=poly coords=\"200,200,240,200,220,240\" title=\"tri\">"));
        QCOMPARE(h.getHotSpotCount(), 3);
        QCOMPARE(h.getHotSpot(20, 20), 1);
        QCOMPARE(h.getValue(QStringLiteral("title")), QStringLiteral("U1: 230.1 V"));
        QVERIFY(h.getValue(QStringLiteral("path")).isNull());
        QCOMPARE(h.getHotSpot(103, 103), 2);
        QCOMPARE(h.getValue(QStringLiteral("path")), QStringLiteral("show.html"));
        QCOMPARE(h.getValue(QStringLiteral("href")), QStringLiteral("show.html?series=1&x=2"));
        QCOMPARE(h.getValue(QStringLiteral("title")), QStringLiteral("Prąd"));
        QCOMPARE(h.getHotSpot(220, 210), 3);
        QCOMPARE(h.getHotSpot(500, 500), 0);
        QVERIFY(h.getValue(QStringLiteral("title")).isNull());
        QCOMPARE(ImageMapHandler(QString()).getHotSpotCount(), 0);
    }

    void chartImageMap()
    {
        XYChart c(400, 300, 0xFFFFFF);
        c.setPlotArea(50, 20, 300, 200);
        const double t0 = Chart::chartTime(QDateTime(QDate(2024, 3, 31), QTime(1, 30), Qt::UTC).toMSecsSinceEpoch());
        LineLayer *line = c.addLineLayer({1, 2, 3}, 0xFF0000, QStringLiteral("no symbols"));
        line->setXData({t0, t0 + 60, t0 + 120});
        LineLayer *dots = c.addLineLayer2();
        dots->setXData({t0, t0 + 60, t0 + 120});
        dots->setLineWidth(0);
        dots->addDataSet({1, Chart::NoValue, 3}, 0x0000FF, QStringLiteral("Prąd"))
            ->setDataSymbol(Chart::CircleShape, 5);
        c.xAxis()->setDateScale(t0, t0 + 120);
        const QString map = c.getHTMLImageMap(QStringLiteral("show"), QStringLiteral("x={x|hh:nn}&v={value|P3}"),
                                              QStringLiteral("{dataSetName} <{value|1}> {x|hh:nn:ss}"));
        ImageMapHandler h(map);
        QCOMPARE(h.getHotSpotCount(), 2); // the no-value point and the symbol-less layer have none
        QVERIFY(h.getHotSpot(c.getXCoor(t0 + 120), c.getYCoor(3)) > 0);
        QCOMPARE(h.getValue(QStringLiteral("title")), QStringLiteral("Prąd <3.0> 01:32:00"));
        QCOMPARE(h.getValue(QStringLiteral("path")), QStringLiteral("show"));
        QCOMPARE(h.getValue(QStringLiteral("href")), QStringLiteral("show?x=01:32&v=3.00"));
        QCOMPARE(h.getHotSpot(c.getXCoor(t0 + 60), c.getYCoor(2)), 0);
    }
};

QUORLOG_TEST_MAIN(TestViewPort)
#include "tst_viewport.moc"
