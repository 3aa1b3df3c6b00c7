// The chart viewer and the navigator driven by the mouse (offscreen).
#include "support/TestMain.h"

#include "charts/ui/QChartViewer.h"
#include "charts/ui/QViewPortControl.h"
#include "chartlib/XYChart.h"

#include <QBitmap>
#include <QDateTime>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QWheelEvent>

#include <memory>
#include <vector>

Q_DECLARE_METATYPE(QMouseEvent *)
Q_DECLARE_METATYPE(QWheelEvent *)
Q_DECLARE_METATYPE(QEvent *)

using namespace chartlib;

namespace {

const double Start = Chart::chartTime(QDateTime(QDate(2024, 3, 31), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch());
const double End = Start + 86400;

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void press(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonPress, p, b, b);
}

void move(QWidget *w, QPoint p, Qt::MouseButtons held = Qt::NoButton)
{
    QTest::qWait(12); // past the viewer's move throttling
    sendMouse(w, QEvent::MouseMove, p, Qt::NoButton, held);
}

void release(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}

bool wheel(QWidget *w, QPoint p, int delta)
{
    QWheelEvent e(QPointF(p), QPointF(w->mapToGlobal(p)), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
    return e.isAccepted();
}

// Draws like the chart page: a chart of the viewport's part of one day.
class Harness : public QObject
{
public:
    QChartViewer viewer;
    std::vector<std::unique_ptr<XYChart>> charts;
    int redraws = 0;

    Harness()
    {
        viewer.setFullRange(QStringLiteral("x"), Start, End);
        viewer.setViewPortWidth(1.0);
        viewer.setViewPortLeft(0.0);
        viewer.setZoomInWidthLimit(0.0001);
        QObject::connect(&viewer, &QChartViewer::viewPortChanged, this, [this] {
            if (viewer.needUpdateChart())
                draw();
        });
        viewer.updateViewPort(true, true);
        QTest::qWait(30);
    }
    void draw()
    {
        ++redraws;
        auto c = std::make_unique<XYChart>(600, 300, 0xFFFFFF);
        c->setPlotArea(100, 50, 400, 200, 0xFFFFFF, -1, 0x1A1A1A, 0xE0E0E0, 0xE0E0E0);
        QVector<double> t, v;
        for (int i = 0; i <= 96; ++i) {
            t << Start + i * 900;
            v << 230 + (i % 7);
        }
        LineLayer *l = c->addLineLayer(v, 0xFE5621, QStringLiteral("U1|V"));
        l->setXData(t);
        l->setFastLineMode();
        c->setClipping(0);
        viewer.syncDateAxisWithViewPort(QStringLiteral("x"), c->xAxis());
        viewer.setChart(c.get());
        charts.push_back(std::move(c));
    }
    void setViewPort(double left, double width)
    {
        viewer.setViewPortLeft(left);
        viewer.setViewPortWidth(width);
        QTest::qWait(30);
        viewer.updateViewPort(true, true);
        QTest::qWait(30);
    }
};

class CountingControl : public QViewPortControl
{
public:
    int notified = 0;
    void onViewPortChanged() override
    {
        ++notified;
        QViewPortControl::onViewPortChanged();
    }
};

bool near(double a, double b)
{
    return qAbs(a - b) < 1e-9;
}

} // namespace

class TestChartViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QMouseEvent *>();
        qRegisterMetaType<QWheelEvent *>();
        qRegisterMetaType<QEvent *>();
    }

    void showsChartAndMetrics()
    {
        Harness h;
        QVERIFY(h.viewer.getChart());
        QCOMPARE(h.viewer.size(), QSize(600, 300));
        QVERIFY(!h.viewer.pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(h.viewer.getPlotAreaLeft(), 100);
        QCOMPARE(h.viewer.getPlotAreaWidth(), 400);
        // Before any mouse move the pointer is taken at the plot area's far corner.
        QCOMPARE(h.viewer.getChartMouseX(), 500);
        QCOMPARE(h.viewer.getChartMouseY(), 250);
        QVERIFY(!h.viewer.isMouseOnPlotArea());
        // The chart shows the viewport: the whole day.
        QCOMPARE(h.charts.back()->xAxis()->getMinValue(), Start);
        QCOMPARE(h.charts.back()->xAxis()->getMaxValue(), End);
        h.viewer.setChart(nullptr);
        QVERIFY(h.viewer.pixmap(Qt::ReturnByValue).isNull());
    }

    void dragScrolls()
    {
        Harness h;
        h.setViewPort(0.25, 0.5);
        h.viewer.setMouseUsage(QChartViewer::MouseUsageScroll);
        QSignalSpy changed(&h.viewer, &QChartViewer::viewPortChanged);
        QSignalSpy clicked(&h.viewer, &QChartViewer::clicked);
        press(&h.viewer, {300, 150});
        QVERIFY(h.viewer.isMouseDragging());
        move(&h.viewer, {302, 150}, Qt::LeftButton); // below the minimum drag
        QVERIFY(near(h.viewer.getViewPortLeft(), 0.25));
        move(&h.viewer, {340, 150}, Qt::LeftButton);
        release(&h.viewer, {340, 150});
        QTest::qWait(40);
        // 40 px of 400 at width 0.5: the view moves 0.05 back in time.
        QVERIFY2(near(h.viewer.getViewPortLeft(), 0.20), qPrintable(QString::number(h.viewer.getViewPortLeft())));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(h.charts.back()->xAxis()->getMinValue(), Start + 0.20 * 86400);
        QVERIFY(!h.viewer.isMouseDragging());
    }

    void clicksOutsideAndRightButton()
    {
        Harness h;
        h.viewer.setMouseUsage(QChartViewer::MouseUsageScroll);
        QSignalSpy clicked(&h.viewer, &QChartViewer::clicked);
        press(&h.viewer, {20, 20});
        release(&h.viewer, {20, 20});
        press(&h.viewer, {300, 150}, Qt::RightButton);
        release(&h.viewer, {300, 150}, Qt::RightButton);
        press(&h.viewer, {300, 150});
        release(&h.viewer, {300, 150}); // pressed and released without dragging
        QCOMPARE(clicked.count(), 3);
    }

    void wheelZoomsAroundPointer()
    {
        Harness h;
        // Default ratio 1.0: no zoom, the event goes to the parent.
        move(&h.viewer, {200, 150});
        QVERIFY(h.viewer.isMouseOnPlotArea());
        QVERIFY(!wheel(&h.viewer, {200, 150}, 120));
        QVERIFY(near(h.viewer.getViewPortWidth(), 1.0));

        h.viewer.setMouseWheelZoomRatio(1.1);
        const double before = h.viewer.getViewPortLeft() + 0.25 * h.viewer.getViewPortWidth();
        QVERIFY(wheel(&h.viewer, {200, 150}, 120));
        QTest::qWait(30);
        QVERIFY(near(h.viewer.getViewPortWidth(), 1 / 1.1));
        // The time under the pointer (a quarter into the plot) stays there.
        QVERIFY(near(h.viewer.getViewPortLeft() + 0.25 * h.viewer.getViewPortWidth(), before));
        QVERIFY(wheel(&h.viewer, {200, 150}, -120));
        QTest::qWait(30);
        QVERIFY(near(h.viewer.getViewPortWidth(), 1.0));
        // Off the plot area the wheel is passed on.
        move(&h.viewer, {20, 20});
        QVERIFY(!wheel(&h.viewer, {20, 20}, 120));
        // With a listener the event is taken.
        QSignalSpy wheelSpy(&h.viewer, &QChartViewer::mouseWheel);
        QVERIFY(wheel(&h.viewer, {20, 20}, 120));
        QCOMPARE(wheelSpy.count(), 1);
    }

    void zoomInDragAndClick()
    {
        Harness h;
        h.viewer.setMouseUsage(QChartViewer::MouseUsageZoomIn);
        press(&h.viewer, {200, 150});
        move(&h.viewer, {300, 170}, Qt::LeftButton);
        // The selection box spans the dragged range over the plot area's height.
        QVector<QRect> shown;
        for (QLabel *l : h.viewer.findChildren<QLabel *>())
            if (l->isVisibleTo(&h.viewer))
                shown << l->geometry();
        QCOMPARE(shown.size(), 4);
        QVERIFY(shown.contains(QRect(200, 50, 100, 2)));  // top
        QVERIFY(shown.contains(QRect(200, 50, 2, 200)));  // left
        QVERIFY(shown.contains(QRect(200, 249, 100, 2))); // bottom
        QVERIFY(shown.contains(QRect(299, 50, 2, 200)));  // right
        release(&h.viewer, {300, 170});
        QTest::qWait(30);
        for (QLabel *l : h.viewer.findChildren<QLabel *>())
            QVERIFY(!l->isVisibleTo(&h.viewer));
        QVERIFY(near(h.viewer.getViewPortLeft(), 0.25));
        QVERIFY(near(h.viewer.getViewPortWidth(), 0.25));
        QCOMPARE(h.charts.back()->xAxis()->getMinValue(), Start + 0.25 * 86400);

        // A click zooms in by the zoom-in ratio, centred at the point.
        press(&h.viewer, {300, 150});
        release(&h.viewer, {301, 150});
        QTest::qWait(30);
        QVERIFY(near(h.viewer.getViewPortWidth(), 0.125));
        QVERIFY(near(h.viewer.getViewPortLeft() + 0.0625, 0.25 + 0.125 + 0.25 * (1.0 / 400)));
    }

    void mergedNotifications()
    {
        Harness h;
        h.viewer.setUpdateInterval(60);
        QTest::qWait(80);
        QSignalSpy changed(&h.viewer, &QChartViewer::viewPortChanged);
        const int drawsBefore = h.redraws;
        for (int i = 0; i < 5; ++i) {
            h.viewer.setViewPortLeft(0.1 * i);
            h.viewer.setViewPortWidth(0.5);
            h.viewer.updateViewPort(i == 3, false);
        }
        QCOMPARE(changed.count(), 1); // the first at once
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 2, 1000);
        QTest::qWait(150);
        QCOMPARE(changed.count(), 2); // the other four merged into one
        // The first asked for no chart; the merged one does, as one of its requests did.
        QCOMPARE(h.redraws, drawsBefore + 1);
        QVERIFY(near(h.viewer.getViewPortLeft(), 0.4));
    }

    void trackLineOnDynamicLayer()
    {
        Harness h;
        int moves = 0;
        connect(&h.viewer, &QChartViewer::mouseMovePlotArea, this, [&](QMouseEvent *) {
            ++moves;
            XYChart *c = static_cast<XYChart *>(h.viewer.getChart());
            DrawArea *d = c->initDynamicLayer();
            const int x = c->getXCoor(c->getNearestXValue(h.viewer.getPlotAreaMouseX()));
            d->vline(50, 249, x, 0x0000FF);
            h.viewer.updateDisplay();
        });
        const int charts = int(h.charts.size());
        h.viewer.removeDynamicLayer("mouseleaveplotarea");
        move(&h.viewer, {301, 150});
        QCOMPARE(moves, 1);
        const QImage shown = h.viewer.pixmap(Qt::ReturnByValue).toImage();
        const int x = h.charts.back()->getXCoor(h.charts.back()->getNearestXValue(301));
        QCOMPARE(shown.pixel(x, 100) | 0xFF000000u, qRgb(0, 0, 255));
        QCOMPARE(int(h.charts.size()), charts); // no new chart for a pointer move
        // Leaving the plot area removes the layer.
        move(&h.viewer, {20, 20});
        QVERIFY(!h.charts.back()->hasDynamicLayer());
        QVERIFY((h.viewer.pixmap(Qt::ReturnByValue).toImage().pixel(x, 100) | 0xFF000000u) != qRgb(0, 0, 255));
        QSignalSpy left(&h.viewer, &QChartViewer::mouseLeaveChart);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&h.viewer, &leave);
        QCOMPARE(left.count(), 1);
        QVERIFY(!h.viewer.isMouseOnPlotArea());
    }

    void hotSpots()
    {
        Harness h;
        h.viewer.setImageMap(QStringLiteral("<area shape=\"rect\" coords=\"110,60,150,100\" title=\"plain\">"
                                            "<area shape=\"rect\" coords=\"200,60,240,100\" href=\"go\" title=\"link\">"));
        QVERIFY(h.viewer.getImageMapHandler());
        move(&h.viewer, {120, 70});
        QCOMPARE(h.viewer.cursor().shape(), Qt::ArrowCursor);
        move(&h.viewer, {210, 70});
        QCOMPARE(h.viewer.cursor().shape(), Qt::PointingHandCursor);
        move(&h.viewer, {300, 200});
        QCOMPARE(h.viewer.cursor().shape(), Qt::ArrowCursor);
        h.viewer.setImageMap(nullptr);
        QVERIFY(!h.viewer.getImageMapHandler());
    }

    void zoomCursors()
    {
        Harness h;
        h.viewer.setMouseUsage(QChartViewer::MouseUsageZoomIn);
        move(&h.viewer, {300, 150});
        QCOMPARE(h.viewer.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(h.viewer.cursor().hotSpot(), QPoint(15, 15));
        QCOMPARE(h.viewer.cursor().bitmap(Qt::ReturnByValue).size(), QSize(32, 32));
        move(&h.viewer, {20, 20});
        QCOMPARE(h.viewer.cursor().shape(), Qt::ArrowCursor);
    }

    void navigator()
    {
        Harness h;
        h.setViewPort(0.25, 0.5);
        XYChart overview(600, 100, 0xFFFFFF);
        overview.setPlotArea(100, 5, 400, 89, 0xFFFFFF, -1, 0x1A1A1A, Chart::Transparent);
        overview.xAxis()->setDateScale(h.viewer.getValueAtViewPort(QStringLiteral("x"), 0),
                                       h.viewer.getValueAtViewPort(QStringLiteral("x"), 1));
        CountingControl nav;
        nav.setChart(&overview);
        QCOMPARE(nav.size(), QSize(600, 100));
        nav.attachViewer(&h.viewer);
        QCOMPARE(nav.getViewer(), &h.viewer);

        // Cursors over the frame (x 200..400).
        move(&nav, {200, 50});
        QCOMPARE(nav.cursor().shape(), Qt::SizeHorCursor);
        move(&nav, {400, 50});
        QCOMPARE(nav.cursor().shape(), Qt::SizeHorCursor);
        move(&nav, {300, 50});
        QCOMPARE(nav.cursor().shape(), Qt::ArrowCursor);
        h.viewer.setZoomDirection(QChartViewer::DirectionHorizontalVertical);
        move(&nav, {200, 5});
        QCOMPARE(nav.cursor().shape(), Qt::SizeFDiagCursor);
        move(&nav, {400, 5});
        QCOMPARE(nav.cursor().shape(), Qt::SizeBDiagCursor);
        move(&nav, {300, 93});
        QCOMPARE(nav.cursor().shape(), Qt::SizeVerCursor);
        h.viewer.setZoomDirection(QChartViewer::DirectionHorizontal);

        // Dragging the frame scrolls the viewer, and the viewer tells the navigator.
        const int notified = nav.notified;
        press(&nav, {300, 50});
        move(&nav, {340, 50}, Qt::LeftButton);
        release(&nav, {340, 50});
        QTest::qWait(40);
        QVERIFY2(near(h.viewer.getViewPortLeft(), 0.35), qPrintable(QString::number(h.viewer.getViewPortLeft())));
        QVERIFY(nav.notified > notified);
        QCOMPARE(h.charts.back()->xAxis()->getMinValue(), Start + 0.35 * 86400);

        // Dragging the right edge (now x 440) resizes.
        press(&nav, {440, 50});
        move(&nav, {480, 50}, Qt::LeftButton);
        QCOMPARE(nav.cursor().shape(), Qt::SizeHorCursor);
        release(&nav, {480, 50});
        QTest::qWait(40);
        QVERIFY(near(h.viewer.getViewPortWidth(), 0.6));
        QVERIFY(near(h.viewer.getViewPortLeft(), 0.35));

        // The wheel over the overview zooms the viewer around its plot centre.
        h.viewer.setMouseWheelZoomRatio(1.1);
        QVERIFY(wheel(&nav, {300, 50}, 120));
        QTest::qWait(40);
        QVERIFY(near(h.viewer.getViewPortWidth(), 0.6 / 1.1));
        QVERIFY(!wheel(&nav, {20, 50}, 120)); // off the overview's plot area

        // A second viewer takes over; the first one no longer reaches the navigator.
        Harness other;
        nav.attachViewer(&other.viewer);
        const int count = nav.notified;
        h.viewer.updateViewPort(true, true);
        QTest::qWait(40);
        QCOMPARE(nav.notified, count);
        other.viewer.updateViewPort(true, true);
        QTest::qWait(40);
        QVERIFY(nav.notified > count);

        // Detached: the wheel is passed on, drags ask nothing of any viewer.
        nav.attachViewer(nullptr);
        QVERIFY(!wheel(&nav, {300, 50}, 120));
        const double left = other.viewer.getViewPortLeft();
        press(&nav, {300, 50});
        move(&nav, {350, 50}, Qt::LeftButton);
        release(&nav, {350, 50});
        QCOMPARE(other.viewer.getViewPortLeft(), left);

        // A viewer deleted while attached leaves the navigator working without it.
        {
            auto gone = std::make_unique<Harness>();
            nav.attachViewer(&gone->viewer);
        }
        QCOMPARE(nav.getViewer(), nullptr);
        nav.updateDisplay();
        press(&nav, {300, 50});
        move(&nav, {350, 50}, Qt::LeftButton);
        release(&nav, {350, 50});
        QCOMPARE(nav.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!wheel(&nav, {300, 50}, 120));

        // No chart: an empty picture at the last size.
        nav.setChart(nullptr);
        QVERIFY(nav.pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(nav.size(), QSize(600, 100));
    }
};

QUORLOG_TEST_MAIN(TestChartViewer)
#include "tst_chartviewer.moc"
