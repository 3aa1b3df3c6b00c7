#pragma once
// The navigator beside a chart: an overview chart of the whole range with a
// frame around what the attached QChartViewer shows; dragging the frame
// scrolls, dragging its edges zooms, the wheel zooms the viewer.
#include "chartlib/ViewPortControlBase.h"

#include <QLabel>
#include <QPointer>

class QChartViewer;

namespace chartlib {
class BaseChart;
}

class QViewPortControl : public QLabel
{
    Q_OBJECT
public:
    explicit QViewPortControl(QWidget *parent = nullptr);
    ~QViewPortControl() override;

    virtual void setChart(chartlib::BaseChart *chart);
    virtual chartlib::BaseChart *getChart();
    virtual void attachViewer(QChartViewer *viewer);
    virtual QChartViewer *getViewer();
    virtual void updateDisplay();

public slots:
    virtual void onViewPortChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void syncDirections();
    void updateViewer();
    void paintChart();
    void applyCursor(int positionCode);

    chartlib::ViewPortControlBase m_base;
    QPointer<QChartViewer> m_viewer;
    chartlib::BaseChart *m_chart = nullptr;
    int m_pressX = 0;
    int m_pressY = 0;
};
