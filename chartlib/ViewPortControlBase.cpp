#include "chartlib/ViewPortControlBase.h"

#include "chartlib/ViewPortManager.h"
#include "chartlib/XYChart.h"

#include <algorithm>
#include <cmath>

namespace chartlib {

namespace {
constexpr double EdgeTolerance = 4; // pixels around a frame edge that grab it
}

ViewPortControlBase::ViewPortControlBase() = default;
ViewPortControlBase::~ViewPortControlBase() = default;

void ViewPortControlBase::setViewPortManager(ViewPortManager *manager)
{
    m_manager = manager;
    m_dragMode = 0;
}

void ViewPortControlBase::setChart(BaseChart *chart)
{
    m_chart = chart;
    m_dragMode = 0;
}

ViewPortControlBase::Geometry ViewPortControlBase::plotArea() const
{
    Geometry g;
    auto *xy = dynamic_cast<XYChart *>(m_chart);
    if (!xy)
        return g;
    PlotArea *pa = xy->getPlotArea();
    g.left = pa->getLeftX();
    g.top = pa->getTopY();
    g.width = pa->getWidth();
    g.height = pa->getHeight();
    g.valid = g.width > 0 && g.height > 0;
    return g;
}

void ViewPortControlBase::frame(double &x1, double &y1, double &x2, double &y2) const
{
    const Geometry g = plotArea();
    x1 = g.left + m_manager->getViewPortLeft() * g.width;
    x2 = g.left + (m_manager->getViewPortLeft() + m_manager->getViewPortWidth()) * g.width;
    y1 = g.top + m_manager->getViewPortTop() * g.height;
    y2 = g.top + (m_manager->getViewPortTop() + m_manager->getViewPortHeight()) * g.height;
}

void ViewPortControlBase::paintViewPort()
{
    if (!m_chart)
        return;
    const Geometry g = plotArea();
    if (!m_manager || !g.valid) {
        m_chart->removeDynamicLayer();
        return;
    }
    DrawArea *d = m_chart->initDynamicLayer();
    double x1, y1, x2, y2;
    frame(x1, y1, x2, y2);
    const int l = int(std::lround(g.left)), t = int(std::lround(g.top));
    const int r = int(std::lround(g.left + g.width)) - 1, b = int(std::lround(g.top + g.height)) - 1;
    const int fx1 = int(std::lround(x1)), fx2 = int(std::lround(x2)) - 1;
    const int fy1 = int(std::lround(y1)), fy2 = int(std::lround(y2)) - 1;
    // Dim what lies outside the frame.
    if (fx1 > l)
        d->rect(l, t, fx1 - 1, b, Chart::Transparent, m_dimColor);
    if (fx2 < r)
        d->rect(fx2 + 1, t, r, b, Chart::Transparent, m_dimColor);
    if (fy1 > t)
        d->rect(fx1, t, fx2, fy1 - 1, Chart::Transparent, m_dimColor);
    if (fy2 < b)
        d->rect(fx1, fy2 + 1, fx2, b, Chart::Transparent, m_dimColor);
    d->rect(fx1, fy1, fx2, fy2, m_borderColor, Chart::Transparent);
    d->rect(fx1 + 1, fy1 + 1, fx2 - 1, fy2 - 1, m_borderColor, Chart::Transparent);
}

int ViewPortControlBase::positionCode(double x, double y) const
{
    if (!m_manager || !plotArea().valid)
        return 0;
    double x1, y1, x2, y2;
    frame(x1, y1, x2, y2);
    const bool horizontalResize = m_zoomDirection != 1;
    const bool verticalResize = m_zoomDirection != 0;
    if (x < x1 - EdgeTolerance || x > x2 + EdgeTolerance || y < y1 - EdgeTolerance || y > y2 + EdgeTolerance)
        return 0;
    int col = 1; // 0 left edge, 1 inside, 2 right edge
    if (horizontalResize && std::fabs(x - x1) <= EdgeTolerance)
        col = 0;
    else if (horizontalResize && std::fabs(x - x2) <= EdgeTolerance)
        col = 2;
    else if (x < x1 || x > x2)
        return 0;
    int row = 1; // 0 top edge, 1 inside, 2 bottom edge
    if (verticalResize && std::fabs(y - y1) <= EdgeTolerance)
        row = 0;
    else if (verticalResize && std::fabs(y - y2) <= EdgeTolerance)
        row = 2;
    else if (y < y1 || y > y2)
        return 0;
    static const int codes[3][3] = {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}};
    return codes[row][col];
}

void ViewPortControlBase::resetUpdateFlags()
{
    m_needUpdateDisplay = false;
    m_needUpdateChart = false;
    m_needUpdateImageMap = false;
}

bool ViewPortControlBase::isOnPlotArea(double x, double y) const
{
    const Geometry g = plotArea();
    return g.valid && x >= g.left && x < g.left + g.width && y >= g.top && y < g.top + g.height;
}

void ViewPortControlBase::handleMouseDown(double x, double y)
{
    resetUpdateFlags();
    m_moved = false;
    m_dragMode = 0;
    if (!m_manager) {
        m_mousePosition = 0;
        return;
    }
    int code = positionCode(x, y);
    if (code == 0 && isOnPlotArea(x, y)) {
        // A press beside the frame centres the frame there, ready to be dragged on.
        const Geometry g = plotArea();
        double left = m_manager->getViewPortLeft(), top = m_manager->getViewPortTop();
        if (m_scrollDirection != 1)
            left = (x - g.left) / g.width - m_manager->getViewPortWidth() / 2;
        if (m_scrollDirection != 0)
            top = (y - g.top) / g.height - m_manager->getViewPortHeight() / 2;
        const double oldLeft = m_manager->getViewPortLeft(), oldTop = m_manager->getViewPortTop();
        m_manager->setViewPortLeft(left);
        m_manager->setViewPortTop(top);
        m_manager->validateViewPort();
        if (m_manager->getViewPortLeft() != oldLeft || m_manager->getViewPortTop() != oldTop) {
            m_needUpdateChart = true;
            m_needUpdateDisplay = true;
            paintViewPort();
        }
        code = 5;
    }
    m_dragMode = code;
    m_mousePosition = code;
    m_downX = x;
    m_downY = y;
    m_startLeft = m_manager->getViewPortLeft();
    m_startTop = m_manager->getViewPortTop();
    m_startWidth = m_manager->getViewPortWidth();
    m_startHeight = m_manager->getViewPortHeight();
}

void ViewPortControlBase::handleMouseMove(double x, double y, bool isDragging)
{
    resetUpdateFlags();
    if (!m_manager) {
        m_mousePosition = 0;
        return;
    }
    if (m_dragMode == 0) {
        m_mousePosition = positionCode(x, y);
        return;
    }
    m_mousePosition = m_dragMode;
    if (!isDragging && !m_moved)
        return;
    m_moved = true;
    const Geometry g = plotArea();
    if (!g.valid)
        return;
    const double dx = (x - m_downX) / g.width;
    const double dy = (y - m_downY) / g.height;
    double left = m_startLeft, top = m_startTop, width = m_startWidth, height = m_startHeight;
    const int col = (m_dragMode - 1) % 3; // 0 left, 1 middle, 2 right
    const int row = (m_dragMode - 1) / 3; // 0 bottom, 1 middle, 2 top
    if (m_dragMode == 5) {
        if (m_scrollDirection != 1)
            left = m_startLeft + dx;
        if (m_scrollDirection != 0)
            top = m_startTop + dy;
    } else {
        const double minW = m_manager->getZoomInWidthLimit();
        const double maxW = std::min(1.0, m_manager->getZoomOutWidthLimit());
        const double minH = m_manager->getZoomInHeightLimit();
        const double maxH = std::min(1.0, m_manager->getZoomOutHeightLimit());
        if (col == 0) {
            // Left edge: the right edge stays.
            const double right = m_startLeft + m_startWidth;
            left = std::clamp(m_startLeft + dx, std::max(0.0, right - maxW), right - minW);
            width = right - left;
        } else if (col == 2) {
            width = std::clamp(m_startWidth + dx, minW, std::min(maxW, 1.0 - m_startLeft));
        }
        if (row == 2) {
            const double bottom = m_startTop + m_startHeight;
            top = std::clamp(m_startTop + dy, std::max(0.0, bottom - maxH), bottom - minH);
            height = bottom - top;
        } else if (row == 0) {
            height = std::clamp(m_startHeight + dy, minH, std::min(maxH, 1.0 - m_startTop));
        }
    }
    const double oldLeft = m_manager->getViewPortLeft(), oldTop = m_manager->getViewPortTop();
    const double oldWidth = m_manager->getViewPortWidth(), oldHeight = m_manager->getViewPortHeight();
    m_manager->setViewPortLeft(left);
    m_manager->setViewPortTop(top);
    m_manager->setViewPortWidth(width);
    m_manager->setViewPortHeight(height);
    m_manager->validateViewPort();
    if (m_manager->getViewPortLeft() != oldLeft || m_manager->getViewPortTop() != oldTop
        || m_manager->getViewPortWidth() != oldWidth || m_manager->getViewPortHeight() != oldHeight) {
        m_needUpdateChart = true;
        m_needUpdateDisplay = true;
        // The frame follows at once, even while the viewer holds back its update.
        paintViewPort();
    }
}

void ViewPortControlBase::handleMouseUp(double x, double y)
{
    resetUpdateFlags();
    if (m_moved)
        m_needUpdateImageMap = true;
    m_dragMode = 0;
    m_moved = false;
    m_mousePosition = positionCode(x, y);
}

void ViewPortControlBase::setProperty(int id, int value)
{
    switch (id) {
    case ZoomDirection:
        m_zoomDirection = value;
        break;
    case ScrollDirection:
        m_scrollDirection = value;
        break;
    default:
        break;
    }
}

int ViewPortControlBase::getProperty(int id) const
{
    switch (id) {
    case ZoomDirection:
        return m_zoomDirection;
    case ScrollDirection:
        return m_scrollDirection;
    case MousePosition:
        return m_mousePosition;
    case NeedUpdateDisplay:
        return m_needUpdateDisplay ? 1 : 0;
    case NeedUpdateChart:
        return m_needUpdateChart ? 1 : 0;
    case NeedUpdateImageMap:
        return m_needUpdateImageMap ? 1 : 0;
    default:
        return 0;
    }
}

} // namespace chartlib
