#pragma once
// Charts drawn with QPainter: BaseChart (size, background, output, dynamic
// layer, metrics) and XYChart (plot area, x axis, up to four y axes, line
// layers with data sets and symbols, marks). Values are doubles; chart time is
// seconds since 0001-01-01 UTC; Chart::NoValue leaves a gap.
#include "chartlib/ChartTypes.h"
#include "chartlib/DrawArea.h"
#include "chartlib/TextMarkup.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>

#include <memory>
#include <vector>

class QPainter;
class QRectF;

namespace chartlib {

class XYChart;
class Axis;

class BaseChart
{
public:
    BaseChart(int width, int height, Color bgColor = Chart::BackgroundColor, Color edgeColor = Chart::Transparent,
              int raisedEffect = 0);
    virtual ~BaseChart();
    BaseChart(const BaseChart &) = delete;
    BaseChart &operator=(const BaseChart &) = delete;

    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }
    void setBackground(Color bgColor, Color edgeColor = Chart::Transparent, int raisedEffect = 0);

    // Scales and positions everything; drawing and queries do it when needed.
    // The picture is cached after the first drawing: changes made after it take
    // effect at the next layout() (the dynamic layer never needs one).
    void layout();
    bool isLaidOut() const { return m_laidOut; }
    // Writes the chart to a file whose format follows the extension (png, jpg,
    // jpeg, gif, bmp, svg, pdf). The file is replaced only when complete.
    bool makeChart(const QString &fileName);
    // The chart encoded in one of Chart::OutputFormat; empty on failure.
    QByteArray makeChart(int format);
    // The picture with the dynamic layer over the cached static picture.
    QImage makeImage();
    // Draws the chart, dynamic layer included, with any painter (chart pixels
    // as painter units).
    void paint(QPainter &painter);

    DrawArea *getDrawArea() { return &m_drawArea; }
    // The layer drawn over the cached picture; cleared by every call.
    DrawArea *initDynamicLayer();
    void removeDynamicLayer();
    bool hasDynamicLayer() const { return m_dynamic != nullptr; }

    // "chart=W,H;plot=L,T,W,H" for the viewport manager.
    QString getChartMetrics();
    // Formats one value with a template such as "{value|P4}".
    QString formatValue(double value, const QString &format) const;

protected:
    virtual void doLayout() = 0;
    virtual void paintContent(QPainter &p, const ColorPalette &pal) = 0;
    virtual QString plotMetrics() { return QString(); }
    void invalidate();
    void paintAll(QPainter &p, const ColorPalette &pal, bool withDynamic);

    int m_width;
    int m_height;
    Color m_bgColor;
    Color m_edgeColor;
    bool m_laidOut = false;

private:
    const QImage &staticImage(const ColorPalette &pal);

    DrawArea m_drawArea;
    std::unique_ptr<DrawArea> m_dynamic;
    QImage m_cache;
    bool m_cacheValid = false;
    QColor m_cacheBg, m_cacheText, m_cacheLine;
};

class PlotArea
{
public:
    int getLeftX() const { return m_x; }
    int getTopY() const { return m_y; }
    int getWidth() const { return m_w; }
    int getHeight() const { return m_h; }
    int getRightX() const { return m_x + m_w - 1; }
    int getBottomY() const { return m_y + m_h - 1; }
    void setGridColor(Color hGridColor, Color vGridColor = Chart::Transparent)
    {
        m_hGrid = hGridColor;
        m_vGrid = vGridColor;
    }

private:
    friend class XYChart;
    int m_x = 0, m_y = 0, m_w = 0, m_h = 0;
    // As set; fitting the y axes narrows the area from these at each layout.
    int m_setX = 0, m_setW = 0;
    Color m_bg = Chart::Transparent;
    Color m_altBg = Chart::SameAsMainColor;
    Color m_edge = Chart::LineColor;
    Color m_hGrid = 0xC0C0C0;
    Color m_vGrid = Chart::Transparent;
};

// A horizontal (y-axis) or vertical (x-axis) line with a label at a value.
class Mark
{
public:
    void setLineWidth(int w) { m_lineWidth = w; }
    void setAlignment(int alignment) { m_alignment = alignment; }
    void setMarkColor(Color lineColor) { m_color = lineColor; }

private:
    friend class XYChart;
    friend class Axis;
    double m_value = 0;
    Color m_color = Chart::LineColor;
    QString m_text;
    TextStyle m_style;
    int m_lineWidth = 1;
    int m_alignment = Chart::TopLeft;
};

class Axis
{
public:
    void setColors(Color axisColor, Color labelColor = Chart::TextColor, Color titleColor = Chart::SameAsMainColor,
                   Color tickColor = Chart::SameAsMainColor);
    void setTitle(const QString &text, const QString &font = QString(), double fontSize = 8,
                  Color fontColor = Chart::TextColor);
    void setLabelStyle(const QString &font = QString(), double fontSize = 8, Color fontColor = Chart::TextColor,
                       double angle = 0);
    // Distance between the tick and its label; an x axis with a negative gap
    // draws its labels inside the plot area, that far above the axis.
    void setLabelGap(int gap) { m_labelGap = gap; }
    // Label position against its tick: Left (1/4/7) starts the label at the
    // tick, Right (3/6/9) ends it there, others centre it; offset in pixels.
    void setLabelAlignment(int alignment, int offset = 0);
    void setLabelFormat(const QString &format);
    // Labels of ticks passing filter1 use format1, the rest format2 when they
    // pass filter2; promoteFirst gives the first label format1 in any case.
    void setMultiFormat(Chart::LabelFilter filter1, const QString &format1, Chart::LabelFilter filter2,
                        const QString &format2, int labelSpan = 1, bool promoteFirst = true);
    // Fixes the scale (chart time); tick increments in seconds, 0 = automatic.
    void setDateScale(double lowerLimit, double upperLimit, double majorTickInc = 0, double minorTickInc = 0);
    void setLinearScale(double lowerLimit, double upperLimit, double majorTickInc = 0, double minorTickInc = 0);
    // Minimum pixels between major (and minor; -1 none) ticks.
    void setTickDensity(int majorTickSpacing, int minorTickSpacing = -1);
    // Whether an automatic scale is extended to the next tick at each end.
    void setRounding(bool roundMin, bool roundMax);
    Mark *addMark(double value, Color lineColor, const QString &text = QString(), const QString &font = QString(),
                  double fontSize = 8);
    void setWidth(int) {}

    bool isXAxis() const { return m_isX; }
    int getAlignment() const { return m_alignment; }
    // Distance of an added axis from the plot area: as given, or as the
    // fitting of the y axes moved it at the last layout.
    int getOffset() const { return m_layoutOffset; }
    QString getTitle() const { return m_title; }
    double getMinValue() const { return m_min; }
    double getMaxValue() const { return m_max; }
    bool isDateAxis() const { return m_dateAxis; }
    // The label a value would get with a format ("hh:nn:ss.fff", "P4"…).
    QString getFormattedLabel(double value, const QString &format) const;
    // Pixel of a value on this axis (after layout).
    double getCoor(double value) const;
    double getValueAtPixel(double pixel) const;
    // Tick values of the last layout and their label texts (markup).
    QVector<double> tickValues() const { return m_ticks; }
    QStringList tickLabels() const { return m_labels; }

private:
    friend class XYChart;
    Axis(XYChart *chart, bool isX, int alignment, int offset);
    void computeScale(double dataMin, double dataMax, bool hasData, int lengthPx);
    void computeDateTicks(int lengthPx);
    void computeNumberTicks(int lengthPx, bool autoScale, double dataMin, double dataMax);
    QString labelFor(double v, int index, int lengthPx) const;
    double labelWidth(const QString &markup) const;
    // Widest tick label of the last layout, as painted.
    double widestLabel() const;
    // Room a y axis takes beside its line: ticks, labels and title.
    int thickness() const;

    XYChart *m_chart;
    bool m_isX;
    int m_alignment;
    int m_offset;
    int m_layoutOffset;
    Color m_axisColor = Chart::LineColor;
    Color m_labelColor = Chart::TextColor;
    Color m_titleColor = Chart::SameAsMainColor;
    Color m_tickColor = Chart::SameAsMainColor;
    QString m_title;
    TextStyle m_titleStyle;
    TextStyle m_labelStyle;
    double m_labelAngle = 0;
    int m_labelGap = 3;
    int m_labelAlign = Chart::Center;
    int m_labelOffset = 0;
    QString m_labelFormat;
    bool m_multi = false;
    Chart::LabelFilter m_filter1, m_filter2;
    QString m_format1, m_format2;
    bool m_promoteFirst = true;
    bool m_fixedScale = false;
    bool m_dateAxis = false;
    double m_fixedMin = 0, m_fixedMax = 0, m_majorInc = 0;
    int m_tickDensity = -1;
    int m_minorDensity = -1;
    bool m_roundMin = true, m_roundMax = true;
    std::vector<std::unique_ptr<Mark>> m_marks;

    // Layout results.
    double m_min = 0, m_max = 1;
    int m_pixStart = 0, m_pixLen = 1; // value min at m_pixStart, max at start + len (y upwards)
    QVector<double> m_ticks;
    QStringList m_labels;
};

class Layer;

class DataSet
{
public:
    void setDataSymbol(int shape, int size = 7, Color fillColor = Chart::SameAsMainColor,
                       Color edgeColor = Chart::SameAsMainColor, int lineWidth = 1);
    void setDataColor(Color c) { m_color = c; }
    QString getDataName() const { return m_name; }
    Color getDataColor() const { return m_color; }
    Axis *getUseYAxis() const;
    int getCount() const { return m_values.size(); }
    double getValue(int i) const;
    // Position on the y axis (no stacking here: the value itself).
    double getPosition(int i) const { return getValue(i); }

private:
    friend class Layer;
    friend class XYChart;
    DataSet(Layer *layer, QVector<double> values, Color color, const QString &name);
    Layer *m_layer;
    QVector<double> m_values;
    Color m_color;
    QString m_name;
    int m_symbol = Chart::NoSymbol;
    int m_symbolSize = 7;
    Color m_symbolFill = Chart::SameAsMainColor;
    Color m_symbolEdge = Chart::SameAsMainColor;
    int m_symbolLineWidth = 1;
};

// A line layer: one polyline (line width 0: none) and the symbols of each data set.
class Layer
{
public:
    void setXData(const QVector<double> &x);
    void setFastLineMode(bool fast = true) { m_fast = fast; }
    void setLineWidth(int w) { m_lineWidth = w; }
    DataSet *addDataSet(const QVector<double> &values, Color color = Chart::SameAsMainColor,
                        const QString &name = QString());
    void setUseYAxis(Axis *a) { m_yAxis = a; }
    void setUseYAxis2(bool b = true);
    Axis *getYAxis() const;
    int getDataSetCount() const { return int(m_dataSets.size()); }
    DataSet *getDataSet(int i) const;
    // x value of point i (its index when no x data was given).
    double getXPosition(int i) const;
    int getPointCount() const;
    // Index of the point at x within tolerance, -1 when there is none.
    int getXIndexOf(double xValue, double tolerance = 0) const;

private:
    friend class XYChart;
    friend class DataSet;
    explicit Layer(XYChart *chart);
    bool xSorted() const { return m_xSorted; }
    // First index with x >= v (x data sorted).
    int lowerBound(double v) const;

    XYChart *m_chart;
    QVector<double> m_x;
    bool m_xSorted = true;
    bool m_fast = false;
    int m_lineWidth = 1;
    Axis *m_yAxis = nullptr;
    std::vector<std::unique_ptr<DataSet>> m_dataSets;
};
using LineLayer = Layer;

class XYChart : public BaseChart
{
public:
    XYChart(int width, int height, Color bgColor = Chart::BackgroundColor, Color edgeColor = Chart::Transparent,
            int raisedEffect = 0);
    ~XYChart() override;

    PlotArea *setPlotArea(int x, int y, int width, int height, Color bgColor = Chart::Transparent,
                          Color altBgColor = Chart::SameAsMainColor, Color edgeColor = Chart::LineColor,
                          Color hGridColor = 0xC0C0C0, Color vGridColor = Chart::Transparent);
    PlotArea *getPlotArea() { return &m_plot; }
    // Layers drawn outside the plot area by at most margin pixels; -1 (the
    // default) does not clip.
    void setClipping(int margin = 0) { m_clipMargin = margin; }
    // Keeps every y axis drawn readable inside the chart: at layout the plot
    // area narrows from the edges setPlotArea gave (never widens) until each
    // side holds its axes' ticks, labels and titles with edgeMargin pixels to
    // spare, and an added axis moves out past the labels and title of the
    // axis inside it (never nearer the plot area than its own offset).
    void fitYAxes(int edgeMargin = 3)
    {
        m_fitYAxes = true;
        m_fitEdgeMargin = edgeMargin;
    }

    Axis *xAxis() { return m_xAxis.get(); }
    Axis *yAxis() { return m_yAxis.get(); }
    Axis *yAxis2() { return m_yAxis2.get(); }
    // A further y axis on the left (Chart::Left) or right (Chart::Right) of the
    // plot area, offset pixels away from it.
    Axis *addAxis(int alignment, int offset);

    LineLayer *addLineLayer(const QVector<double> &data = QVector<double>(), Color color = Chart::SameAsMainColor,
                            const QString &name = QString(), int depth = 0);
    LineLayer *addLineLayer2(int combineMethod = Chart::Overlay, int depth = 0);
    int getLayerCount() const { return int(m_layers.size()); }
    Layer *getLayerByZ(int i) const;

    // Pixel of an x value / of a y value on an axis (the primary y axis by default).
    int getXCoor(double value);
    int getYCoor(double value, Axis *yAxis = nullptr);
    // The x value of the data point nearest to a pixel column, over every layer.
    double getNearestXValue(double xPixel);
    double getXValue(double xPixel);

    const std::vector<Axis *> &yAxes() const { return m_allYAxes; }
    // Whether a y axis is drawn: the primary one always, any other when a
    // layer uses it or it has a title.
    bool isAxisDrawn(const Axis *axis) const;
    // Pixel column of an axis line (after layout).
    int axisLineX(const Axis *axis) const;

    // The chart's image map: an <area shape="circle"> over every data point drawn
    // with a symbol and lying in the plot area (one per pixel and data set).
    // href is url + "?" + the expanded queryFormat when url is not empty; title
    // is the expanded titleFormat. Formats may use {x} (with a format after "|",
    // as in {x|hh:nn:ss}), {value}, {dataSetName}, {dataSet} and {layer}.
    QString getHTMLImageMap(const QString &url, const QString &queryFormat = QString(),
                            const QString &titleFormat = QStringLiteral("{dataSetName}: {value}"));

protected:
    void doLayout() override;
    void paintContent(QPainter &p, const ColorPalette &pal) override;
    QString plotMetrics() override;

private:
    friend class Layer;
    friend class Axis;
    friend class DataSet;
    Color autoColor(int index) const;
    // clip: a rectangle to cut the layer to by hand, for painters that do
    // not clip (null: the painter's own clip applies).
    void paintLayer(QPainter &p, const ColorPalette &pal, Layer *layer, const QRectF *clip);
    void paintAxis(QPainter &p, const ColorPalette &pal, Axis *axis);
    void paintMarks(QPainter &p, const ColorPalette &pal, Axis *axis);
    void fitPlotAreaToAxes();

    PlotArea m_plot;
    int m_clipMargin = -1;
    bool m_fitYAxes = false;
    int m_fitEdgeMargin = 3;
    std::unique_ptr<Axis> m_xAxis, m_yAxis, m_yAxis2;
    std::vector<std::unique_ptr<Axis>> m_extraAxes;
    std::vector<Axis *> m_allYAxes;
    std::vector<std::unique_ptr<Layer>> m_layers;
    int m_dataSetCounter = 0;
};

} // namespace chartlib
