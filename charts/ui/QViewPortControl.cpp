#include "charts/ui/QViewPortControl.h"

#include "chartlib/XYChart.h"
#include "charts/ui/QChartViewer.h"
#include "common/Trace.h"

#include <QMouseEvent>
#include <QWheelEvent>

using namespace chartlib;

QViewPortControl::QViewPortControl(QWidget *parent)
    : QLabel(parent)
{
    TRACE_FUNC();
    setMouseTracking(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QViewPortControl::~QViewPortControl() = default;

void QViewPortControl::setChart(BaseChart *chart)
{
    m_chart = chart;
    m_base.setChart(chart);
    updateDisplay();
}

BaseChart *QViewPortControl::getChart()
{
    return m_chart;
}

void QViewPortControl::attachViewer(QChartViewer *viewer)
{
    if (m_viewer)
        disconnect(m_viewer, nullptr, this, nullptr);
    m_viewer = viewer;
    m_base.setViewPortManager(viewer ? viewer->viewPortManager() : nullptr);
    if (viewer) {
        connect(viewer, &QChartViewer::viewPortChanged, this, &QViewPortControl::onViewPortChanged);
        // The viewer is the viewport manager: a viewer deleted before this
        // widget must not leave the frame reading freed memory.
        connect(viewer, &QObject::destroyed, this, [this] { m_base.setViewPortManager(nullptr); });
    }
    updateDisplay();
}

QChartViewer *QViewPortControl::getViewer()
{
    return m_viewer;
}

void QViewPortControl::updateDisplay()
{
    m_base.paintViewPort();
    paintChart();
}

void QViewPortControl::paintChart()
{
    if (m_chart) {
        const QImage img = m_chart->makeImage();
        setPixmap(QPixmap::fromImage(img));
        setFixedSize(m_chart->getWidth(), m_chart->getHeight());
    } else {
        setPixmap(QPixmap());
    }
}

void QViewPortControl::onViewPortChanged()
{
    updateDisplay();
}

void QViewPortControl::syncDirections()
{
    if (!m_viewer)
        return;
    m_base.setProperty(ViewPortControlBase::ZoomDirection, m_viewer->getZoomDirection());
    m_base.setProperty(ViewPortControlBase::ScrollDirection, m_viewer->getScrollDirection());
}

void QViewPortControl::updateViewer()
{
    const bool chart = m_base.getProperty(ViewPortControlBase::NeedUpdateChart) != 0;
    const bool imageMap = m_base.getProperty(ViewPortControlBase::NeedUpdateImageMap) != 0;
    if (m_viewer && (chart || imageMap))
        m_viewer->updateViewPort(chart, imageMap);
}

void QViewPortControl::applyCursor(int positionCode)
{
    switch (positionCode) {
    case 1:
    case 9:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case 2:
    case 8:
        setCursor(Qt::SizeVerCursor);
        break;
    case 3:
    case 7:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case 4:
    case 6:
        setCursor(Qt::SizeHorCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

void QViewPortControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressX = qRound(event->localPos().x());
    m_pressY = qRound(event->localPos().y());
    syncDirections();
    m_base.handleMouseDown(m_pressX, m_pressY);
    updateViewer();
}

void QViewPortControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    syncDirections();
    m_base.handleMouseUp(qRound(event->localPos().x()), qRound(event->localPos().y()));
    updateViewer();
}

void QViewPortControl::mouseMoveEvent(QMouseEvent *event)
{
    const int x = qRound(event->localPos().x()), y = qRound(event->localPos().y());
    syncDirections();
    const bool dragging = m_viewer
                          && (std::abs(x - m_pressX) >= m_viewer->getMinimumDrag()
                              || std::abs(y - m_pressY) >= m_viewer->getMinimumDrag());
    m_base.handleMouseMove(x, y, dragging);
    updateViewer();
    applyCursor(m_base.getProperty(ViewPortControlBase::MousePosition));
    if (m_base.getProperty(ViewPortControlBase::NeedUpdateDisplay))
        paintChart();
}

void QViewPortControl::wheelEvent(QWheelEvent *event)
{
    const QPointF p = event->position();
    if (m_viewer && m_base.isOnPlotArea(qRound(p.x()), qRound(p.y()))) {
        const int cx = m_viewer->getPlotAreaLeft() + m_viewer->getPlotAreaWidth() / 2;
        const int cy = m_viewer->getPlotAreaTop() + m_viewer->getPlotAreaHeight() / 2;
        if (m_viewer->zoomByWheel(cx, cy, event->angleDelta().y())) {
            event->accept();
            return;
        }
    }
    event->ignore();
}
