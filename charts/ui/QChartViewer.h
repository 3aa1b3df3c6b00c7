#pragma once
// The widget that shows a chart of the charting layer and turns the mouse into
// scrolling, zooming, hot-spot tool tips and pointer signals. It is a label (the
// chart is its pixmap, at the chart's exact size) and the chart's viewport
// manager at once; the navigator (QViewPortControl) shares that viewport.
#include "chartlib/ImageMapHandler.h"
#include "chartlib/ViewPortManager.h"

#include <QColor>
#include <QLabel>

#include <memory>

namespace chartlib {
class BaseChart;
}

class QChartViewer : public QLabel, public chartlib::ViewPortManager
{
    Q_OBJECT
public:
    enum MouseUsage { MouseUsageDefault = 0, MouseUsageScroll = 1, MouseUsageZoomIn = 3, MouseUsageZoomOut = 4 };
    enum Direction { DirectionHorizontal = 0, DirectionVertical = 1, DirectionHorizontalVertical = 2 };

    explicit QChartViewer(QWidget *parent = nullptr);
    ~QChartViewer() override;

    chartlib::ViewPortManager *viewPortManager() { return this; }

    virtual void setChart(chartlib::BaseChart *chart);
    virtual chartlib::BaseChart *getChart();
    virtual void setImageMap(const char *imageMap);
    virtual void setImageMap(const QString &imageMap);
    virtual chartlib::ImageMapHandler *getImageMapHandler();
    virtual void setDefaultToolTip(const QString &text);
    virtual void setSelectionBorderWidth(int width);
    virtual int getSelectionBorderWidth();
    virtual void setSelectionBorderColor(const QColor &color);
    virtual QColor getSelectionBorderColor();
    virtual void setMouseUsage(int mouseUsage);
    virtual int getMouseUsage();
    virtual void setZoomDirection(int direction);
    virtual int getZoomDirection();
    virtual void setScrollDirection(int direction);
    virtual int getScrollDirection();
    virtual void setZoomInRatio(double ratio);
    virtual double getZoomInRatio();
    virtual void setZoomOutRatio(double ratio);
    virtual double getZoomOutRatio();
    virtual void setMouseWheelZoomRatio(double ratio);
    virtual double getMouseWheelZoomRatio();
    virtual void setMinimumDrag(int offset);
    virtual int getMinimumDrag();
    virtual void setUpdateInterval(int interval);
    virtual int getUpdateInterval();
    virtual bool needUpdateChart();
    virtual bool needUpdateImageMap();
    virtual bool isMouseOnPlotArea();
    virtual bool isInMouseMoveEvent();
    virtual bool isInViewPortChangedEvent();
    virtual bool isMouseDragging();
    virtual void updateViewPort(bool needUpdateChart, bool needUpdateImageMap);
    virtual void updateDisplay();
    virtual bool zoomByWheel(int x, int y, int delta);
    virtual void removeDynamicLayer(const char *eventName);
    virtual void removeDynamicLayer(const QString &eventName);
    virtual int getChartMouseX();
    virtual int getChartMouseY();
    virtual int getPlotAreaMouseX();
    virtual int getPlotAreaMouseY();
    virtual void commitPendingMouseMove();
    virtual void updateMouseCursor();

signals:
    void viewPortChanged();
    void clicked(QMouseEvent *event);
    void mouseMove(QMouseEvent *event);
    void mouseWheel(QWheelEvent *event);
    void mouseMoveChart(QMouseEvent *event);
    void mouseLeaveChart(QEvent *event);
    void mouseMovePlotArea(QMouseEvent *event);
    void mouseLeavePlotArea(QEvent *event);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void handleMouseMove(QMouseEvent *event);
    void onDragging(QMouseEvent *event, int x, int y);
    bool reachedMinimumDrag(int direction, int x, int y) const;
    void paintDisplay();
    void applyDynamicLayerRemoval(const QString &eventName);
    void showSelectionBox(int x, int y, int width, int height);
    void hideSelectionBox();

    // Settings.
    int m_selectionBorderWidth = 2;
    QColor m_selectionBorderColor = Qt::black;
    int m_mouseUsage = MouseUsageDefault;
    int m_zoomDirection = DirectionHorizontal;
    int m_scrollDirection = DirectionHorizontal;
    double m_zoomInRatio = 2.0;
    double m_zoomOutRatio = 0.5;
    double m_mouseWheelZoomRatio = 1.0;
    int m_minimumDrag = 5;
    int m_updateInterval = 20;
    QString m_defaultToolTip;

    // Chart and hot spots.
    chartlib::BaseChart *m_chart = nullptr;
    std::unique_ptr<chartlib::ImageMapHandler> m_hotSpots;
    int m_currentHotSpot = -1;
    bool m_isClickable = false;

    // Mouse state.
    bool m_isOnPlotArea = false;
    bool m_isPlotAreaMouseDown = false;
    bool m_isDragScrolling = false;
    bool m_isMouseOverWidget = false;
    bool m_isInMouseMove = false;
    bool m_isInViewPortChanged = false;
    bool m_isInPlotArea = false;

    // Pending updates.
    bool m_pendingChart = false;
    bool m_pendingImageMap = false;
    bool m_holdTimerActive = false;
    int m_holdTimerId = 0;
    int m_displayState = 0; // 0 idle, 1 viewport update running, 2 chart set during it
    chartlib::BaseChart *m_delayedChart = nullptr;

    std::unique_ptr<QMouseEvent> m_delayedMouseEvent;
    int m_delayedMouseTimerId = 0;
    qint64 m_lastMouseMove = -1000000;

    int m_currentMouseX = -1;
    int m_currentMouseY = -1;
    int m_pressX = 0;
    int m_pressY = 0;

    QString m_dynamicLayerRemoval;
    QLabel *m_selectionEdges[4] = {nullptr, nullptr, nullptr, nullptr};
};
