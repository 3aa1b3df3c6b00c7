#pragma once
// The frame of a viewport navigator: draws the viewport of a ViewPortManager
// as a frame over an overview chart (the rest dimmed) and turns mouse
// presses, moves and releases into moving or resizing that frame.
//
// Properties (setProperty / getProperty):
//   12 set: zoom direction, 13 set: scroll direction (0 horizontal, 1 vertical, else both);
//   14 get: where the mouse is against the frame, laid out like a numeric keypad
//      (7 8 9 / 4 5 6 / 1 2 3: corners, edges, 5 inside), 0 elsewhere;
//   15 get: the overview must be drawn again (the frame moved and is already
//      painted on the chart's dynamic layer); 16 get: the chart must be drawn
//   again; 17 get: the image map must be made again.
#include "chartlib/ChartTypes.h"

namespace chartlib {

class BaseChart;
class ViewPortManager;

class ViewPortControlBase
{
public:
    enum Property {
        ZoomDirection = 12,
        ScrollDirection = 13,
        MousePosition = 14,
        NeedUpdateDisplay = 15,
        NeedUpdateChart = 16,
        NeedUpdateImageMap = 17
    };

    ViewPortControlBase();
    virtual ~ViewPortControlBase();

    void setViewPortManager(ViewPortManager *manager);
    ViewPortManager *getViewPortManager() const { return m_manager; }
    void setChart(BaseChart *chart);
    BaseChart *getChart() const { return m_chart; }

    // Draws the frame on the chart's dynamic layer.
    void paintViewPort();

    void handleMouseDown(double x, double y);
    void handleMouseMove(double x, double y, bool isDragging);
    void handleMouseUp(double x, double y);
    bool isOnPlotArea(double x, double y) const;

    void setProperty(int id, int value);
    int getProperty(int id) const;

    void setViewPortColors(Color dimColor, Color borderColor)
    {
        m_dimColor = dimColor;
        m_borderColor = borderColor;
    }

private:
    struct Geometry
    {
        double left = 0, top = 0, width = 0, height = 0;
        bool valid = false;
    };
    Geometry plotArea() const;
    // The frame in pixels.
    void frame(double &x1, double &y1, double &x2, double &y2) const;
    int positionCode(double x, double y) const;
    void resetUpdateFlags();

    ViewPortManager *m_manager = nullptr;
    BaseChart *m_chart = nullptr;
    int m_zoomDirection = 0;
    int m_scrollDirection = 0;
    int m_mousePosition = 0;
    bool m_needUpdateDisplay = false;
    bool m_needUpdateChart = false;
    bool m_needUpdateImageMap = false;
    // Drag state: the position code at the press (0 none) and the viewport then.
    int m_dragMode = 0;
    bool m_moved = false;
    double m_downX = 0, m_downY = 0;
    double m_startLeft = 0, m_startTop = 0, m_startWidth = 1, m_startHeight = 1;
    Color m_dimColor = 0x9F808080;
    Color m_borderColor = 0x2095F2;
};

} // namespace chartlib
