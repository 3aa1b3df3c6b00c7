#include "charts/ui/QChartViewer.h"

#include "chartlib/XYChart.h"
#include "common/Trace.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

using namespace chartlib;

namespace {

// Milliseconds on one clock for the whole process.
qint64 processMsecs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

enum CursorKind { ZoomInCursor, ZoomOutCursor, NoZoomCursor, HScrollCursor, VScrollCursor, ScrollCursor, CursorCount };

// A 32x32 one-bit cursor, hot spot (15, 15): black outline, white fill.
QCursor makeCursor(CursorKind kind)
{
    QBitmap shape(32, 32), mask(32, 32);
    shape.fill(Qt::color0);
    mask.fill(Qt::color0);
    auto draw = [kind](QPainter &p, bool isMask) {
        // In the shape 1 is black; in the mask 1 is drawn. Outlines are drawn
        // wider into the mask so the white fill shows inside a black border.
        const QColor on = Qt::color1;
        const QColor off = Qt::color0;
        if (kind <= NoZoomCursor) {
            // Magnifier: lens centred on the hot spot, handle to the lower right.
            p.setPen(QPen(on, isMask ? 5 : 2));
            p.setBrush(isMask ? on : off);
            p.drawEllipse(QPointF(15, 15), 8, 8);
            p.setPen(QPen(on, isMask ? 6 : 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(21, 21), QPointF(28, 28));
            if (!isMask && kind != NoZoomCursor) {
                p.setPen(QPen(on, 2));
                p.drawLine(QPointF(11, 15), QPointF(19, 15));
                if (kind == ZoomInCursor)
                    p.drawLine(QPointF(15, 11), QPointF(15, 19));
            }
            return;
        }
        // Arrow heads around a dot.
        p.setPen(isMask ? QPen(on, 2) : QPen(on, 1));
        p.setBrush(isMask ? on : off);
        p.drawEllipse(QPointF(15.5, 15.5), 2.5, 2.5);
        auto head = [&](QPointF tip, QPointF a, QPointF b) {
            const QPointF pts[] = {tip, a, b};
            p.drawPolygon(pts, 3);
        };
        if (kind == HScrollCursor || kind == ScrollCursor) {
            head({2, 15.5}, {9, 9}, {9, 22});
            head({29, 15.5}, {22, 9}, {22, 22});
        }
        if (kind == VScrollCursor || kind == ScrollCursor) {
            head({15.5, 2}, {9, 9}, {22, 9});
            head({15.5, 29}, {9, 22}, {22, 22});
        }
    };
    {
        QPainter p(&mask);
        draw(p, true);
    }
    {
        QPainter p(&shape);
        draw(p, false);
    }
    return QCursor(shape, mask, 15, 15);
}

QCursor **cursorTable()
{
    static QCursor *table[CursorCount] = {};
    return table;
}

void freeCursors()
{
    QCursor **t = cursorTable();
    for (int i = 0; i < CursorCount; ++i) {
        delete t[i];
        t[i] = nullptr;
    }
}

const QCursor &sharedCursor(CursorKind kind)
{
    QCursor **t = cursorTable();
    if (!t[kind]) {
        static bool registered = false;
        if (!registered) {
            qAddPostRoutine(freeCursors);
            registered = true;
        }
        t[kind] = new QCursor(makeCursor(kind));
    }
    return *t[kind];
}

} // namespace

QChartViewer::QChartViewer(QWidget *parent)
    : QLabel(parent)
{
    TRACE_FUNC();
    setMouseTracking(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QChartViewer::~QChartViewer() = default;

// ---------------------------------------------------------------- settings

void QChartViewer::setChart(BaseChart *chart)
{
    m_chart = chart;
    setImageMap(static_cast<const char *>(nullptr));
    if (chart) {
        commitPendingSyncAxis(chart);
        if (m_displayState != 0)
            chart->layout();
    }
    updateDisplay();
}

BaseChart *QChartViewer::getChart()
{
    return m_chart;
}

void QChartViewer::setImageMap(const char *imageMap)
{
    setImageMap(imageMap ? QString::fromUtf8(imageMap) : QString());
}

void QChartViewer::setImageMap(const QString &imageMap)
{
    m_hotSpots.reset();
    m_currentHotSpot = -1;
    m_isClickable = false;
    if (!imageMap.isEmpty())
        m_hotSpots = std::make_unique<ImageMapHandler>(imageMap);
}

ImageMapHandler *QChartViewer::getImageMapHandler()
{
    return m_hotSpots.get();
}

void QChartViewer::setDefaultToolTip(const QString &text)
{
    m_defaultToolTip = text;
}

void QChartViewer::setSelectionBorderWidth(int width)
{
    m_selectionBorderWidth = width;
}

int QChartViewer::getSelectionBorderWidth()
{
    return m_selectionBorderWidth;
}

void QChartViewer::setSelectionBorderColor(const QColor &color)
{
    m_selectionBorderColor = color;
    if (m_selectionEdges[0]) {
        QPalette pal;
        pal.setColor(QPalette::Window, color);
        for (QLabel *edge : m_selectionEdges)
            edge->setPalette(pal);
    }
}

QColor QChartViewer::getSelectionBorderColor()
{
    return m_selectionBorderColor;
}

void QChartViewer::setMouseUsage(int mouseUsage)
{
    m_mouseUsage = mouseUsage;
}

int QChartViewer::getMouseUsage()
{
    return m_mouseUsage;
}

void QChartViewer::setZoomDirection(int direction)
{
    m_zoomDirection = direction;
}

int QChartViewer::getZoomDirection()
{
    return m_zoomDirection;
}

void QChartViewer::setScrollDirection(int direction)
{
    m_scrollDirection = direction;
}

int QChartViewer::getScrollDirection()
{
    return m_scrollDirection;
}

void QChartViewer::setZoomInRatio(double ratio)
{
    m_zoomInRatio = ratio;
}

double QChartViewer::getZoomInRatio()
{
    return m_zoomInRatio;
}

void QChartViewer::setZoomOutRatio(double ratio)
{
    m_zoomOutRatio = ratio;
}

double QChartViewer::getZoomOutRatio()
{
    return m_zoomOutRatio;
}

void QChartViewer::setMouseWheelZoomRatio(double ratio)
{
    m_mouseWheelZoomRatio = ratio;
}

double QChartViewer::getMouseWheelZoomRatio()
{
    return m_mouseWheelZoomRatio;
}

void QChartViewer::setMinimumDrag(int offset)
{
    m_minimumDrag = offset;
}

int QChartViewer::getMinimumDrag()
{
    return m_minimumDrag;
}

void QChartViewer::setUpdateInterval(int interval)
{
    m_updateInterval = interval;
}

int QChartViewer::getUpdateInterval()
{
    return m_updateInterval;
}

bool QChartViewer::needUpdateChart()
{
    return m_pendingChart;
}

bool QChartViewer::needUpdateImageMap()
{
    return m_pendingImageMap;
}

bool QChartViewer::isMouseOnPlotArea()
{
    if (!m_isMouseOverWidget)
        return false;
    return inExtendedPlotArea(getChartMouseX(), getChartMouseY());
}

bool QChartViewer::isInMouseMoveEvent()
{
    return m_isInMouseMove;
}

bool QChartViewer::isInViewPortChangedEvent()
{
    return m_isInViewPortChanged;
}

bool QChartViewer::isMouseDragging()
{
    return m_isPlotAreaMouseDown;
}

// ---------------------------------------------------------------- viewport updates

void QChartViewer::updateViewPort(bool needUpdateChart, bool needUpdateImageMap)
{
    if (m_isInViewPortChanged)
        return;
    m_pendingChart = m_pendingChart || needUpdateChart;
    m_pendingImageMap = needUpdateImageMap;
    // Within the update interval requests wait and merge; the timer sends them.
    if (m_holdTimerActive)
        return;
    if (m_displayState == 0) {
        m_displayState = 1;
        validateViewPort();
        m_isInViewPortChanged = true;
        emit viewPortChanged();
        m_isInViewPortChanged = false;
        paintDisplay();
    } else {
        validateViewPort();
        m_isInViewPortChanged = true;
        emit viewPortChanged();
        m_isInViewPortChanged = false;
    }
    m_pendingChart = false;
    m_pendingImageMap = false;
    if (m_updateInterval > 0) {
        m_holdTimerActive = true;
        m_holdTimerId = startTimer(m_updateInterval, Qt::CoarseTimer);
    }
}

void QChartViewer::updateDisplay()
{
    if (m_displayState != 0) {
        m_displayState = 2;
        m_delayedChart = m_chart;
    } else {
        paintDisplay();
    }
}

void QChartViewer::paintDisplay()
{
    if (m_displayState == 1) {
        // Nothing new was set during the update.
        m_displayState = 0;
        return;
    }
    BaseChart *c = m_displayState == 2 ? m_delayedChart : m_chart;
    if (c) {
        const QImage img = c->makeImage();
        setPixmap(QPixmap::fromImage(img));
        setFixedSize(img.size());
        setChartMetrics(c->getChartMetrics());
    } else {
        setPixmap(QPixmap());
        setChartMetrics(QString());
    }
    m_displayState = 0;
    m_delayedChart = nullptr;
}

bool QChartViewer::zoomByWheel(int x, int y, int delta)
{
    if (m_mouseWheelZoomRatio == 1.0)
        return false;
    const double r = delta > 0 ? m_mouseWheelZoomRatio : 1 / m_mouseWheelZoomRatio;
    const double rx = m_zoomDirection == DirectionVertical ? 1 : r;
    const double ry = m_zoomDirection == DirectionHorizontal ? 1 : r;
    if (zoomAround(x, y, rx, ry))
        updateViewPort(true, true);
    return true;
}

void QChartViewer::removeDynamicLayer(const char *eventName)
{
    removeDynamicLayer(eventName ? QString::fromUtf8(eventName) : QString());
}

void QChartViewer::removeDynamicLayer(const QString &eventName)
{
    m_dynamicLayerRemoval = eventName.toLower();
    if (m_dynamicLayerRemoval == QLatin1String("now"))
        applyDynamicLayerRemoval(QStringLiteral("now"));
}

void QChartViewer::applyDynamicLayerRemoval(const QString &eventName)
{
    if (m_dynamicLayerRemoval.isEmpty() || m_dynamicLayerRemoval != eventName)
        return;
    if (m_chart)
        m_chart->removeDynamicLayer();
    m_dynamicLayerRemoval.clear();
    updateDisplay();
}

int QChartViewer::getChartMouseX()
{
    return m_currentMouseX < 0 ? getPlotAreaLeft() + getPlotAreaWidth() : m_currentMouseX;
}

int QChartViewer::getChartMouseY()
{
    return m_currentMouseY < 0 ? getPlotAreaTop() + getPlotAreaHeight() : m_currentMouseY;
}

int QChartViewer::getPlotAreaMouseX()
{
    return std::clamp(getChartMouseX(), getPlotAreaLeft(), getPlotAreaLeft() + getPlotAreaWidth());
}

int QChartViewer::getPlotAreaMouseY()
{
    return std::clamp(getChartMouseY(), getPlotAreaTop(), getPlotAreaTop() + getPlotAreaHeight());
}

void QChartViewer::commitPendingMouseMove()
{
    if (!m_delayedMouseEvent)
        return;
    std::unique_ptr<QMouseEvent> e = std::move(m_delayedMouseEvent);
    handleMouseMove(e.get());
}

void QChartViewer::updateMouseCursor()
{
    if (m_isDragScrolling) {
        setCursor(sharedCursor(m_scrollDirection == DirectionHorizontal ? HScrollCursor
                         : m_scrollDirection == DirectionVertical ? VScrollCursor
                                                                  : ScrollCursor));
        return;
    }
    if (m_isOnPlotArea && m_mouseUsage == MouseUsageZoomIn) {
        setCursor(sharedCursor(canZoomIn(m_zoomDirection) ? ZoomInCursor : NoZoomCursor));
        return;
    }
    if (m_isOnPlotArea && m_mouseUsage == MouseUsageZoomOut) {
        setCursor(sharedCursor(canZoomOut(m_zoomDirection) ? ZoomOutCursor : NoZoomCursor));
        return;
    }
    if (m_isClickable)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

// ---------------------------------------------------------------- mouse

void QChartViewer::mousePressEvent(QMouseEvent *event)
{
    commitPendingMouseMove();
    const int x = qRound(event->localPos().x()), y = qRound(event->localPos().y());
    if (event->button() == Qt::LeftButton && inPlotArea(x, y) && m_mouseUsage != MouseUsageDefault) {
        m_isPlotAreaMouseDown = true;
        m_pressX = x;
        m_pressY = y;
        startDrag();
    }
}

void QChartViewer::mouseMoveEvent(QMouseEvent *event)
{
    m_isMouseOverWidget = true;
    emit mouseMove(event);
    const qint64 t = processMsecs() - m_lastMouseMove;
    if (!m_delayedMouseEvent && t >= 10) {
        handleMouseMove(event);
    } else if (!m_delayedMouseEvent) {
        // Moves closer than 10 ms apart wait for a 1 ms timer; the last one wins.
        m_delayedMouseEvent = std::make_unique<QMouseEvent>(*event);
        m_delayedMouseTimerId = startTimer(1, Qt::CoarseTimer);
    } else if (t >= 250) {
        handleMouseMove(event);
    } else {
        m_delayedMouseEvent = std::make_unique<QMouseEvent>(*event);
    }
    updateMouseCursor();
}

void QChartViewer::handleMouseMove(QMouseEvent *event)
{
    const int x = qRound(event->localPos().x()), y = qRound(event->localPos().y());
    m_currentMouseX = x;
    m_currentMouseY = y;
    m_displayState = 1;
    m_isInMouseMove = true;

    if (m_isPlotAreaMouseDown) {
        m_isOnPlotArea = true;
        onDragging(event, x, y);
    } else {
        m_isOnPlotArea = inPlotArea(x, y);
    }
    emit mouseMoveChart(event);

    if (inExtendedPlotArea(x, y)) {
        m_isInPlotArea = true;
        emit mouseMovePlotArea(event);
    } else if (m_isInPlotArea) {
        m_isInPlotArea = false;
        emit mouseLeavePlotArea(event);
        applyDynamicLayerRemoval(QStringLiteral("mouseleaveplotarea"));
    }

    if (event->buttons() == Qt::NoButton) {
        if (m_hotSpots) {
            const int hotSpot = m_hotSpots->getHotSpot(x, y);
            if (hotSpot != m_currentHotSpot) {
                m_currentHotSpot = hotSpot;
                if (hotSpot != 0) {
                    m_isClickable = !m_hotSpots->getValue(QStringLiteral("path")).isEmpty();
                    QToolTip::showText(event->globalPos(), m_hotSpots->getValue(QStringLiteral("title")), this);
                } else {
                    m_isClickable = false;
                    QToolTip::showText(event->globalPos(), m_defaultToolTip, this);
                }
            }
        } else {
            m_isClickable = false;
            QToolTip::showText(event->globalPos(), m_defaultToolTip, this);
        }
    } else {
        QToolTip::hideText();
    }

    if (m_delayedMouseTimerId) {
        killTimer(m_delayedMouseTimerId);
        m_delayedMouseTimerId = 0;
    }
    m_delayedMouseEvent.reset();
    paintDisplay();
    m_isInMouseMove = false;
    m_lastMouseMove = processMsecs();
}

bool QChartViewer::reachedMinimumDrag(int direction, int x, int y) const
{
    const int dx = std::abs(x - m_pressX), dy = std::abs(y - m_pressY);
    if (direction == DirectionHorizontal)
        return dx >= m_minimumDrag;
    if (direction == DirectionVertical)
        return dy >= m_minimumDrag;
    return dx >= m_minimumDrag || dy >= m_minimumDrag;
}

void QChartViewer::onDragging(QMouseEvent *event, int x, int y)
{
    Q_UNUSED(event)
    if (m_mouseUsage == MouseUsageScroll) {
        if (m_isDragScrolling || reachedMinimumDrag(m_scrollDirection, x, y)) {
            m_isDragScrolling = true;
            if (dragTo(m_scrollDirection, x - m_pressX, y - m_pressY))
                updateViewPort(true, false);
        }
    } else if (m_mouseUsage == MouseUsageZoomIn) {
        if (canZoomIn(m_zoomDirection) && reachedMinimumDrag(m_zoomDirection, x, y)) {
            if (m_zoomDirection == DirectionHorizontal)
                showSelectionBox(m_pressX, getPlotAreaTop(), x - m_pressX, getPlotAreaHeight());
            else if (m_zoomDirection == DirectionVertical)
                showSelectionBox(getPlotAreaLeft(), m_pressY, getPlotAreaWidth(), y - m_pressY);
            else
                showSelectionBox(m_pressX, m_pressY, x - m_pressX, y - m_pressY);
        } else {
            hideSelectionBox();
        }
    }
}

void QChartViewer::showSelectionBox(int x, int y, int width, int height)
{
    if (!m_selectionEdges[0]) {
        QPalette pal;
        pal.setColor(QPalette::Window, m_selectionBorderColor);
        for (QLabel *&edge : m_selectionEdges) {
            edge = new QLabel(this);
            edge->setFrameShape(QFrame::NoFrame);
            edge->setAutoFillBackground(true);
            edge->setPalette(pal);
            edge->hide();
        }
    }
    if (width < 0) {
        x += width;
        width = -width;
    }
    if (height < 0) {
        y += height;
        height = -height;
    }
    const int b = m_selectionBorderWidth;
    m_selectionEdges[0]->setGeometry(x, y, width, b);                  // top
    m_selectionEdges[1]->setGeometry(x, y, b, height);                 // left
    m_selectionEdges[2]->setGeometry(x, y + height - b + 1, width, b); // bottom
    m_selectionEdges[3]->setGeometry(x + width - b + 1, y, b, height); // right
    for (QLabel *edge : m_selectionEdges)
        edge->show();
}

void QChartViewer::hideSelectionBox()
{
    if (!m_selectionEdges[0])
        return;
    for (QLabel *edge : m_selectionEdges)
        edge->hide();
}

void QChartViewer::mouseReleaseEvent(QMouseEvent *event)
{
    commitPendingMouseMove();
    const int x = qRound(event->localPos().x()), y = qRound(event->localPos().y());
    if (event->button() != Qt::LeftButton || !m_isPlotAreaMouseDown) {
        emit clicked(event);
    } else {
        m_isPlotAreaMouseDown = false;
        hideSelectionBox();
        bool zoomed = false;
        if (m_mouseUsage == MouseUsageZoomIn) {
            if (canZoomIn(m_zoomDirection)) {
                if (!reachedMinimumDrag(m_zoomDirection, x, y))
                    zoomed = zoomAt(m_zoomDirection, x, y, m_zoomInRatio);
                else
                    zoomed = zoomTo(m_zoomDirection, m_pressX, m_pressY, x, y);
            }
        } else if (m_mouseUsage == MouseUsageZoomOut) {
            if (canZoomOut(m_zoomDirection))
                zoomed = zoomAt(m_zoomDirection, x, y, m_zoomOutRatio);
        } else if (!m_isDragScrolling) {
            emit clicked(event);
        } else {
            updateViewPort(false, true);
        }
        if (zoomed)
            updateViewPort(true, true);
    }
    m_isDragScrolling = false;
    updateMouseCursor();
}

void QChartViewer::wheelEvent(QWheelEvent *event)
{
    const bool connected = receivers(SIGNAL(mouseWheel(QWheelEvent *))) > 0;
    if (connected) {
        commitPendingMouseMove();
        emit mouseWheel(event);
    }
    bool zoomed = false;
    if (isMouseOnPlotArea())
        zoomed = zoomByWheel(getPlotAreaMouseX(), getPlotAreaMouseY(), event->angleDelta().y());
    if (connected || zoomed)
        event->accept();
    else
        event->ignore();
}

void QChartViewer::leaveEvent(QEvent *event)
{
    commitPendingMouseMove();
    m_isMouseOverWidget = false;
    if (m_isInPlotArea) {
        m_isInPlotArea = false;
        emit mouseLeavePlotArea(event);
        applyDynamicLayerRemoval(QStringLiteral("mouseleaveplotarea"));
    }
    emit mouseLeaveChart(event);
    applyDynamicLayerRemoval(QStringLiteral("mouseleavechart"));
}

void QChartViewer::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_holdTimerId) {
        killTimer(m_holdTimerId);
        m_holdTimerId = 0;
        m_holdTimerActive = false;
        if (m_pendingChart || m_pendingImageMap)
            updateViewPort(m_pendingChart, m_pendingImageMap);
    } else if (event->timerId() == m_delayedMouseTimerId) {
        killTimer(m_delayedMouseTimerId);
        m_delayedMouseTimerId = 0;
        commitPendingMouseMove();
    } else {
        QLabel::timerEvent(event);
    }
}
