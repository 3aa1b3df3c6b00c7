#pragma once
// The visible part (viewport) of a chart's data range, as ratios of the full
// range: left and width horizontally, top and height vertically (0..1 each).
// It knows the plot area of the chart on screen (from the chart metrics) and
// turns drags, clicks, wheel steps and boxes in pixels into viewport changes
// within the zoom limits. Axes are synchronised with the viewport by id.
#include <QHash>
#include <QString>

#include <vector>

namespace chartlib {

class Axis;
class BaseChart;

class ViewPortManager
{
public:
    ViewPortManager();
    virtual ~ViewPortManager();

    void setFullRange(const QString &id, double minValue, double maxValue);
    void clearAllRanges();
    bool hasFullRange(const QString &id) const { return m_ranges.contains(id); }
    // The value at a viewport ratio (0 = start, 1 = end of the full range).
    double getValueAtViewPort(const QString &id, double ratio) const;
    double getViewPortAtValue(const QString &id, double value) const;

    void setViewPortLeft(double left) { m_left = left; }
    void setViewPortTop(double top) { m_top = top; }
    void setViewPortWidth(double width) { m_width = width; }
    void setViewPortHeight(double height) { m_height = height; }
    double getViewPortLeft() const { return m_left; }
    double getViewPortTop() const { return m_top; }
    double getViewPortWidth() const { return m_width; }
    double getViewPortHeight() const { return m_height; }

    void setZoomInWidthLimit(double v) { m_zoomInWidthLimit = v; }
    void setZoomOutWidthLimit(double v) { m_zoomOutWidthLimit = v; }
    void setZoomInHeightLimit(double v) { m_zoomInHeightLimit = v; }
    void setZoomOutHeightLimit(double v) { m_zoomOutHeightLimit = v; }
    double getZoomInWidthLimit() const { return m_zoomInWidthLimit; }
    double getZoomOutWidthLimit() const { return m_zoomOutWidthLimit; }
    double getZoomInHeightLimit() const { return m_zoomInHeightLimit; }
    double getZoomOutHeightLimit() const { return m_zoomOutHeightLimit; }

    // Sets the axis to the viewport's part of the full range. Without a full
    // range yet, the axis scales itself and commitPendingSyncAxis takes its
    // scale as the full range when that chart is committed (requests for other
    // charts are dropped then).
    void syncDateAxisWithViewPort(const QString &id, Axis *axis);
    void commitPendingSyncAxis(BaseChart *chart);

    // Plot-area geometry of the chart on screen, from BaseChart::getChartMetrics;
    // an empty text forgets it.
    void setChartMetrics(const QString &metrics);
    int getPlotAreaLeft() const { return m_plotLeft; }
    int getPlotAreaTop() const { return m_plotTop; }
    int getPlotAreaWidth() const { return m_plotWidth; }
    int getPlotAreaHeight() const { return m_plotHeight; }
    bool inPlotArea(int x, int y) const;
    // The plot area with a few pixels around it, so its edges count as inside.
    bool inExtendedPlotArea(int x, int y) const;

    // Directions: 0 horizontal only, 1 vertical only, anything else both.
    bool canZoomIn(int zoomDirection) const;
    bool canZoomOut(int zoomDirection) const;
    // Remembers the viewport for dragTo.
    void startDrag();
    // Moves the viewport by a pixel offset from the drag start (content follows the mouse).
    bool dragTo(int scrollDirection, int deltaX, int deltaY);
    // Zooms so that the point becomes the centre; ratio > 1 zooms in.
    bool zoomAt(int zoomDirection, int x, int y, double zoomRatio);
    // Zooms to the box between two points.
    bool zoomTo(int zoomDirection, int x1, int y1, int x2, int y2);
    // Zooms keeping the value under the point where it is; ratios > 1 zoom in.
    bool zoomAround(int x, int y, double xZoomRatio, double yZoomRatio);
    // Brings size and position within the limits and the full range.
    void validateViewPort();

private:
    struct Range
    {
        double min = 0, max = 0;
    };
    struct PendingSync
    {
        QString id;
        Axis *axis;
    };
    bool applyViewPort(double left, double top, double width, double height);

    QHash<QString, Range> m_ranges;
    std::vector<PendingSync> m_pending;
    double m_left = 0, m_top = 0, m_width = 1, m_height = 1;
    double m_zoomInWidthLimit = 0.01, m_zoomOutWidthLimit = 1;
    double m_zoomInHeightLimit = 0.01, m_zoomOutHeightLimit = 1;
    double m_dragLeft = 0, m_dragTop = 0;
    int m_plotLeft = 0, m_plotTop = 0, m_plotWidth = 0, m_plotHeight = 0;
};

} // namespace chartlib
