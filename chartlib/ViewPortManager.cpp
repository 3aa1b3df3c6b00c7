#include "chartlib/ViewPortManager.h"

#include "chartlib/XYChart.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace chartlib {

namespace {
constexpr double Eps = 1e-12;
constexpr int ExtendedMargin = 2;

bool changed(double a, double b)
{
    return std::fabs(a - b) > Eps;
}

// Like std::clamp, but limits set the wrong way round (a zoom-in limit above
// the zoom-out one) give the upper limit instead of undefined behaviour.
double clampSize(double v, double zoomInLimit, double zoomOutLimit)
{
    const double hi = std::min(1.0, zoomOutLimit);
    return std::min(std::max(v, zoomInLimit), hi);
}
} // namespace

ViewPortManager::ViewPortManager() = default;
ViewPortManager::~ViewPortManager() = default;

void ViewPortManager::setFullRange(const QString &id, double minValue, double maxValue)
{
    m_ranges.insert(id, Range{minValue, maxValue});
}

void ViewPortManager::clearAllRanges()
{
    m_ranges.clear();
}

double ViewPortManager::getValueAtViewPort(const QString &id, double ratio) const
{
    const Range r = m_ranges.value(id);
    return r.min + ratio * (r.max - r.min);
}

double ViewPortManager::getViewPortAtValue(const QString &id, double value) const
{
    const Range r = m_ranges.value(id);
    if (r.max == r.min)
        return 0;
    return (value - r.min) / (r.max - r.min);
}

void ViewPortManager::syncDateAxisWithViewPort(const QString &id, Axis *axis)
{
    if (!axis)
        return;
    if (m_ranges.contains(id)) {
        const Range r = m_ranges.value(id);
        if (r.max > r.min) {
            axis->setDateScale(getValueAtViewPort(id, m_left), getValueAtViewPort(id, m_left + m_width));
            return;
        }
    }
    m_pending.push_back(PendingSync{id, axis});
}

void ViewPortManager::commitPendingSyncAxis(BaseChart *chart)
{
    if (m_pending.empty() || !chart)
        return;
    auto *xy = dynamic_cast<XYChart *>(chart);
    // Requests made for other charts are stale (those charts were never shown):
    // they are dropped without touching their axes.
    std::vector<PendingSync> pending;
    pending.swap(m_pending);
    bool laidOut = false;
    for (const PendingSync &p : pending) {
        const bool ours = xy && (p.axis == xy->xAxis() || std::find(xy->yAxes().begin(), xy->yAxes().end(), p.axis)
                                                              != xy->yAxes().end());
        if (!ours)
            continue;
        if (!laidOut) {
            chart->layout();
            laidOut = true;
        }
        const double lo = p.axis->getMinValue(), hi = p.axis->getMaxValue();
        setFullRange(p.id, lo, hi);
        // The first picture shows the viewport's part of what the axis chose.
        p.axis->setDateScale(getValueAtViewPort(p.id, m_left), getValueAtViewPort(p.id, m_left + m_width));
    }
    if (laidOut)
        chart->layout();
}

void ViewPortManager::setChartMetrics(const QString &metrics)
{
    m_plotLeft = m_plotTop = m_plotWidth = m_plotHeight = 0;
    const QStringList parts = metrics.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (!part.startsWith(QLatin1String("plot=")))
            continue;
        const QStringList v = part.mid(5).split(QLatin1Char(','));
        if (v.size() != 4)
            continue;
        m_plotLeft = v[0].toInt();
        m_plotTop = v[1].toInt();
        m_plotWidth = std::max(0, v[2].toInt());
        m_plotHeight = std::max(0, v[3].toInt());
    }
}

bool ViewPortManager::inPlotArea(int x, int y) const
{
    return m_plotWidth > 0 && m_plotHeight > 0 && x >= m_plotLeft && x < m_plotLeft + m_plotWidth && y >= m_plotTop
           && y < m_plotTop + m_plotHeight;
}

bool ViewPortManager::inExtendedPlotArea(int x, int y) const
{
    return m_plotWidth > 0 && m_plotHeight > 0 && x >= m_plotLeft - ExtendedMargin
           && x <= m_plotLeft + m_plotWidth + ExtendedMargin && y >= m_plotTop - ExtendedMargin
           && y <= m_plotTop + m_plotHeight + ExtendedMargin;
}

bool ViewPortManager::canZoomIn(int zoomDirection) const
{
    const bool h = m_width > m_zoomInWidthLimit + Eps;
    const bool v = m_height > m_zoomInHeightLimit + Eps;
    return zoomDirection == 0 ? h : zoomDirection == 1 ? v : (h || v);
}

bool ViewPortManager::canZoomOut(int zoomDirection) const
{
    const bool h = m_width < std::min(1.0, m_zoomOutWidthLimit) - Eps;
    const bool v = m_height < std::min(1.0, m_zoomOutHeightLimit) - Eps;
    return zoomDirection == 0 ? h : zoomDirection == 1 ? v : (h || v);
}

void ViewPortManager::startDrag()
{
    m_dragLeft = m_left;
    m_dragTop = m_top;
}

bool ViewPortManager::applyViewPort(double left, double top, double width, double height)
{
    const double oldLeft = m_left, oldTop = m_top, oldWidth = m_width, oldHeight = m_height;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    validateViewPort();
    return changed(oldLeft, m_left) || changed(oldTop, m_top) || changed(oldWidth, m_width)
           || changed(oldHeight, m_height);
}

bool ViewPortManager::dragTo(int scrollDirection, int deltaX, int deltaY)
{
    if (m_plotWidth <= 0 || m_plotHeight <= 0)
        return false;
    double left = m_left, top = m_top;
    if (scrollDirection != 1)
        left = m_dragLeft - double(deltaX) / m_plotWidth * m_width;
    if (scrollDirection != 0)
        top = m_dragTop - double(deltaY) / m_plotHeight * m_height;
    return applyViewPort(left, top, m_width, m_height);
}

bool ViewPortManager::zoomAt(int zoomDirection, int x, int y, double zoomRatio)
{
    if (m_plotWidth <= 0 || m_plotHeight <= 0 || !(zoomRatio > 0))
        return false;
    double left = m_left, top = m_top, width = m_width, height = m_height;
    if (zoomDirection != 1) {
        const double centre = m_left + double(x - m_plotLeft) / m_plotWidth * m_width;
        width = clampSize(m_width / zoomRatio, m_zoomInWidthLimit, m_zoomOutWidthLimit);
        left = centre - width / 2;
    }
    if (zoomDirection != 0) {
        const double centre = m_top + double(y - m_plotTop) / m_plotHeight * m_height;
        height = clampSize(m_height / zoomRatio, m_zoomInHeightLimit, m_zoomOutHeightLimit);
        top = centre - height / 2;
    }
    return applyViewPort(left, top, width, height);
}

bool ViewPortManager::zoomTo(int zoomDirection, int x1, int y1, int x2, int y2)
{
    if (m_plotWidth <= 0 || m_plotHeight <= 0)
        return false;
    double left = m_left, top = m_top, width = m_width, height = m_height;
    if (zoomDirection != 1) {
        const double a = m_left + double(std::min(x1, x2) - m_plotLeft) / m_plotWidth * m_width;
        const double b = m_left + double(std::max(x1, x2) - m_plotLeft) / m_plotWidth * m_width;
        width = std::max(b - a, m_zoomInWidthLimit);
        left = (a + b) / 2 - width / 2;
    }
    if (zoomDirection != 0) {
        const double a = m_top + double(std::min(y1, y2) - m_plotTop) / m_plotHeight * m_height;
        const double b = m_top + double(std::max(y1, y2) - m_plotTop) / m_plotHeight * m_height;
        height = std::max(b - a, m_zoomInHeightLimit);
        top = (a + b) / 2 - height / 2;
    }
    return applyViewPort(left, top, width, height);
}

bool ViewPortManager::zoomAround(int x, int y, double xZoomRatio, double yZoomRatio)
{
    if (m_plotWidth <= 0 || m_plotHeight <= 0 || !(xZoomRatio > 0) || !(yZoomRatio > 0))
        return false;
    const double width = clampSize(m_width / xZoomRatio, m_zoomInWidthLimit, m_zoomOutWidthLimit);
    const double height = clampSize(m_height / yZoomRatio, m_zoomInHeightLimit, m_zoomOutHeightLimit);
    const double fx = double(x - m_plotLeft) / m_plotWidth;
    const double fy = double(y - m_plotTop) / m_plotHeight;
    const double left = m_left + fx * (m_width - width);
    const double top = m_top + fy * (m_height - height);
    return applyViewPort(left, top, width, height);
}

void ViewPortManager::validateViewPort()
{
    const double maxW = std::min(1.0, std::max(m_zoomOutWidthLimit, m_zoomInWidthLimit));
    const double maxH = std::min(1.0, std::max(m_zoomOutHeightLimit, m_zoomInHeightLimit));
    if (!std::isfinite(m_width))
        m_width = 1;
    if (!std::isfinite(m_height))
        m_height = 1;
    m_width = std::clamp(m_width, std::min(m_zoomInWidthLimit, maxW), maxW);
    m_height = std::clamp(m_height, std::min(m_zoomInHeightLimit, maxH), maxH);
    if (!std::isfinite(m_left))
        m_left = 0;
    if (!std::isfinite(m_top))
        m_top = 0;
    m_left = std::clamp(m_left, 0.0, 1.0 - m_width);
    m_top = std::clamp(m_top, 0.0, 1.0 - m_height);
}

} // namespace chartlib
