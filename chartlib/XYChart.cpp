#include "chartlib/XYChart.h"

#include "chartlib/ChartGeometry.h"
#include "chartlib/ValueFormat.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace chartlib {

using namespace detail;

// ---------------------------------------------------------------- DataSet / Layer

DataSet::DataSet(Layer *layer, QVector<double> values, Color color, const QString &name)
    : m_layer(layer)
    , m_values(std::move(values))
    , m_color(color)
    , m_name(name)
{
}

void DataSet::setDataSymbol(int shape, int size, Color fillColor, Color edgeColor, int lineWidth)
{
    m_symbol = shape;
    m_symbolSize = size;
    m_symbolFill = fillColor;
    m_symbolEdge = edgeColor;
    m_symbolLineWidth = lineWidth;
}

Axis *DataSet::getUseYAxis() const
{
    return m_layer->getYAxis();
}

double DataSet::getValue(int i) const
{
    if (i < 0 || i >= m_values.size())
        return Chart::NoValue;
    return m_values.at(i);
}

Layer::Layer(XYChart *chart)
    : m_chart(chart)
{
}

void Layer::setXData(const QVector<double> &x)
{
    m_x = x;
    m_xSorted = std::is_sorted(m_x.cbegin(), m_x.cend());
}

DataSet *Layer::addDataSet(const QVector<double> &values, Color color, const QString &name)
{
    if (color == Chart::SameAsMainColor)
        color = m_chart->autoColor(m_chart->m_dataSetCounter);
    ++m_chart->m_dataSetCounter;
    m_dataSets.push_back(std::unique_ptr<DataSet>(new DataSet(this, values, color, name)));
    return m_dataSets.back().get();
}

void Layer::setUseYAxis2(bool b)
{
    m_yAxis = b ? m_chart->yAxis2() : m_chart->yAxis();
}

Axis *Layer::getYAxis() const
{
    return m_yAxis ? m_yAxis : m_chart->yAxis();
}

DataSet *Layer::getDataSet(int i) const
{
    if (i < 0 || i >= int(m_dataSets.size()))
        return nullptr;
    return m_dataSets[size_t(i)].get();
}

int Layer::getPointCount() const
{
    if (!m_x.isEmpty())
        return m_x.size();
    int n = 0;
    for (const auto &ds : m_dataSets)
        n = std::max(n, ds->m_values.size());
    return n;
}

double Layer::getXPosition(int i) const
{
    if (m_x.isEmpty())
        return i;
    if (i < 0 || i >= m_x.size())
        return Chart::NoValue;
    return m_x.at(i);
}

int Layer::lowerBound(double v) const
{
    if (m_x.isEmpty())
        return std::clamp(int(std::ceil(v)), 0, getPointCount());
    return int(std::lower_bound(m_x.cbegin(), m_x.cend(), v) - m_x.cbegin());
}

int Layer::getXIndexOf(double xValue, double tolerance) const
{
    const int n = getPointCount();
    if (m_xSorted) {
        int i = lowerBound(xValue - tolerance);
        for (; i < n; ++i) {
            const double x = getXPosition(i);
            if (x > xValue + tolerance)
                break;
            if (std::fabs(x - xValue) <= tolerance)
                return i;
        }
        return -1;
    }
    for (int i = 0; i < n; ++i)
        if (std::fabs(getXPosition(i) - xValue) <= tolerance)
            return i;
    return -1;
}

// ---------------------------------------------------------------- XYChart

XYChart::XYChart(int width, int height, Color bgColor, Color edgeColor, int raisedEffect)
    : BaseChart(width, height, bgColor, edgeColor, raisedEffect)
    , m_xAxis(new Axis(this, true, Chart::BottomCenter, 0))
    , m_yAxis(new Axis(this, false, Chart::Left, 0))
    , m_yAxis2(new Axis(this, false, Chart::Right, 0))
{
    m_allYAxes = {m_yAxis.get(), m_yAxis2.get()};
    // A plot area filling most of the chart until one is set.
    m_plot.m_x = m_plot.m_setX = 50;
    m_plot.m_y = 20;
    m_plot.m_w = m_plot.m_setW = std::max(1, width - 80);
    m_plot.m_h = std::max(1, height - 60);
}

XYChart::~XYChart() = default;

PlotArea *XYChart::setPlotArea(int x, int y, int width, int height, Color bgColor, Color altBgColor,
                               Color edgeColor, Color hGridColor, Color vGridColor)
{
    m_plot.m_x = m_plot.m_setX = x;
    m_plot.m_y = y;
    m_plot.m_w = m_plot.m_setW = std::max(1, width);
    m_plot.m_h = std::max(1, height);
    m_plot.m_bg = bgColor;
    m_plot.m_altBg = altBgColor;
    m_plot.m_edge = edgeColor;
    m_plot.m_hGrid = hGridColor;
    m_plot.m_vGrid = vGridColor;
    return &m_plot;
}

Axis *XYChart::addAxis(int alignment, int offset)
{
    const int side = (alignment == Chart::Right || alignment == Chart::TopRight || alignment == Chart::BottomRight)
                         ? Chart::Right
                         : Chart::Left;
    m_extraAxes.push_back(std::unique_ptr<Axis>(new Axis(this, false, side, offset)));
    m_allYAxes.push_back(m_extraAxes.back().get());
    return m_extraAxes.back().get();
}

LineLayer *XYChart::addLineLayer(const QVector<double> &data, Color color, const QString &name, int depth)
{
    Q_UNUSED(depth) // flat layers only
    LineLayer *layer = addLineLayer2(Chart::Overlay, 0);
    if (!data.isEmpty() || !name.isEmpty() || color != Chart::SameAsMainColor)
        layer->addDataSet(data, color, name);
    return layer;
}

LineLayer *XYChart::addLineLayer2(int combineMethod, int depth)
{
    Q_UNUSED(combineMethod) // overlay is the only combination here
    Q_UNUSED(depth)
    m_layers.push_back(std::unique_ptr<Layer>(new Layer(this)));
    return m_layers.back().get();
}

Layer *XYChart::getLayerByZ(int i) const
{
    if (i < 0 || i >= int(m_layers.size()))
        return nullptr;
    return m_layers[size_t(i)].get();
}

Color XYChart::autoColor(int index) const
{
    static const Color colors[] = {0xFF3333, 0x33FF33, 0x6666FF, 0xFFFF00, 0xFF66FF, 0x99FFFF,
                                   0xFFCC33, 0xCCCCCC, 0xCC9999, 0x339966, 0x999900, 0xCC3300};
    return colors[index % int(sizeof(colors) / sizeof(colors[0]))];
}

void XYChart::doLayout()
{
    // X axis from every layer's x positions.
    double xmin = std::numeric_limits<double>::max(), xmax = -std::numeric_limits<double>::max();
    bool hasX = false;
    for (const auto &layer : m_layers) {
        const int n = layer->getPointCount();
        if (n == 0)
            continue;
        if (layer->m_x.isEmpty()) {
            xmin = std::min(xmin, 0.0);
            xmax = std::max(xmax, double(n - 1));
            hasX = true;
            continue;
        }
        if (layer->m_xSorted) {
            // Read-only access: the series stay shared with the caller's
            // vectors (a non-const first() would copy them at each layout).
            xmin = std::min(xmin, layer->m_x.constFirst());
            xmax = std::max(xmax, layer->m_x.constLast());
            hasX = true;
        } else {
            for (double x : qAsConst(layer->m_x))
                if (isValue(x)) {
                    xmin = std::min(xmin, x);
                    xmax = std::max(xmax, x);
                    hasX = true;
                }
        }
    }
    const int bottom = m_plot.m_y + m_plot.m_h - 1;
    for (Axis *ya : m_allYAxes) {
        double vmin = std::numeric_limits<double>::max(), vmax = -std::numeric_limits<double>::max();
        bool has = false;
        for (const auto &layer : m_layers) {
            if (layer->getYAxis() != ya)
                continue;
            for (const auto &ds : layer->m_dataSets) {
                const double *v = ds->m_values.constData();
                const int n = ds->m_values.size();
                double lo = vmin, hi = vmax;
                for (int i = 0; i < n; ++i) {
                    // NaN and the no-value marker fail this test.
                    if (v[i] < Chart::NoValue && v[i] > -Chart::NoValue) {
                        lo = std::min(lo, v[i]);
                        hi = std::max(hi, v[i]);
                    }
                }
                if (lo <= hi) {
                    vmin = lo;
                    vmax = hi;
                    has = true;
                }
            }
        }
        ya->m_pixStart = bottom;
        ya->m_pixLen = -std::max(1, m_plot.m_h - 1);
        ya->computeScale(vmin, vmax, has, m_plot.m_h);
    }

    // The y scales depend on the plot height alone, so their labels tell how
    // much room the axes need before the x axis takes the width that is left.
    m_plot.m_x = m_plot.m_setX;
    m_plot.m_w = m_plot.m_setW;
    for (Axis *ya : m_allYAxes)
        ya->m_layoutOffset = ya->m_offset;
    if (m_fitYAxes)
        fitPlotAreaToAxes();

    Axis *xa = m_xAxis.get();
    xa->m_pixStart = m_plot.m_x;
    xa->m_pixLen = std::max(1, m_plot.m_w - 1);
    xa->computeScale(xmin, xmax, hasX, m_plot.m_w);
}

QString XYChart::plotMetrics()
{
    return QStringLiteral("plot=%1,%2,%3,%4;x=%5,%6")
        .arg(m_plot.m_x)
        .arg(m_plot.m_y)
        .arg(m_plot.m_w)
        .arg(m_plot.m_h)
        .arg(m_xAxis->m_min, 0, 'g', 17)
        .arg(m_xAxis->m_max, 0, 'g', 17);
}

int XYChart::getXCoor(double value)
{
    if (!m_laidOut)
        layout();
    if (!isValue(value))
        return -1000000000;
    return clampPixel(m_xAxis->getCoor(value));
}

int XYChart::getYCoor(double value, Axis *yAxis)
{
    if (!m_laidOut)
        layout();
    if (!isValue(value))
        return -1000000000;
    return clampPixel((yAxis ? yAxis : m_yAxis.get())->getCoor(value));
}

double XYChart::getXValue(double xPixel)
{
    if (!m_laidOut)
        layout();
    return m_xAxis->getValueAtPixel(xPixel);
}

double XYChart::getNearestXValue(double xPixel)
{
    const double target = getXValue(xPixel);
    double best = target;
    double bestDist = std::numeric_limits<double>::max();
    for (const auto &layer : m_layers) {
        const int n = layer->getPointCount();
        if (n == 0)
            continue;
        auto consider = [&](int i) {
            if (i < 0 || i >= n)
                return;
            const double x = layer->getXPosition(i);
            if (!isValue(x))
                return;
            const double d = std::fabs(x - target);
            if (d < bestDist) {
                bestDist = d;
                best = x;
            }
        };
        if (layer->m_xSorted) {
            const int i = layer->lowerBound(target);
            consider(i - 1);
            consider(i);
        } else {
            for (int i = 0; i < n; ++i)
                consider(i);
        }
    }
    return best;
}

bool XYChart::isAxisDrawn(const Axis *axis) const
{
    if (axis->m_isX || axis == m_yAxis.get())
        return true;
    if (axis->m_ticks.isEmpty())
        return false;
    if (!axis->m_title.isEmpty())
        return true;
    for (const auto &layer : m_layers)
        if (layer->getYAxis() == axis)
            return true;
    return false;
}

void XYChart::fitPlotAreaToAxes()
{
    // Each side, from the plot area outwards: the primary (or secondary) axis
    // on the plot edge, then the added axes in the order they were added.
    int room[2] = {0, 0}; // left, right
    for (int side = 0; side < 2; ++side) {
        const int alignment = side == 0 ? Chart::Left : Chart::Right;
        Axis *edgeAxis = side == 0 ? m_yAxis.get() : m_yAxis2.get();
        int reach = 0; // outer end of what is drawn so far, from the plot edge
        bool first = true;
        for (Axis *a : m_allYAxes) {
            if (a->m_alignment != alignment || !isAxisDrawn(a))
                continue;
            if (a == edgeAxis) {
                a->m_layoutOffset = 0;
            } else {
                // Clear of the labels and title of the axis inside it.
                a->m_layoutOffset = first ? a->m_offset : std::max(a->m_offset, reach + 2 * MajorTickLength);
            }
            reach = std::max(reach, a->m_layoutOffset + a->thickness());
            first = false;
        }
        room[side] = reach > 0 ? reach + m_fitEdgeMargin : 0;
    }
    const int setRight = m_plot.m_setX + m_plot.m_setW - 1;
    const int left = std::max(m_plot.m_setX, room[0]);
    const int right = std::min(setRight, m_width - 1 - room[1]);
    if (right - left + 1 >= 1) {
        m_plot.m_x = left;
        m_plot.m_w = right - left + 1;
    }
}

int XYChart::axisLineX(const Axis *axis) const
{
    const int left = m_plot.m_x;
    const int right = m_plot.m_x + m_plot.m_w - 1;
    if (axis == m_yAxis.get())
        return left;
    if (axis == m_yAxis2.get())
        return right;
    return axis->m_alignment == Chart::Right ? right + axis->m_layoutOffset : left - axis->m_layoutOffset;
}

namespace {
QString htmlEscape(const QString &s)
{
    return s.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;"));
}
} // namespace

QString XYChart::getHTMLImageMap(const QString &url, const QString &queryFormat, const QString &titleFormat)
{
    if (!m_laidOut)
        layout();
    static const QRegularExpression field(QStringLiteral("\\{(\\w+)(?:\\|([^}]*))?\\}"));
    auto expand = [&](const QString &fmt, double x, double v, const DataSet *ds, int dsIndex, int layerIndex) {
        QString out;
        int last = 0;
        auto it = field.globalMatch(fmt);
        while (it.hasNext()) {
            const auto m = it.next();
            out += fmt.mid(last, m.capturedStart() - last);
            last = m.capturedEnd();
            const QString name = m.captured(1);
            const QString f = m.captured(2);
            if (name == QLatin1String("x"))
                out += f.isEmpty() ? (m_xAxis->isDateAxis() ? formatDate(x, QStringLiteral("yyyy-mm-dd hh:nn:ss"))
                                                             : formatNumber(x, QString()))
                                   : formatValueWith(x, f);
            else if (name == QLatin1String("value"))
                out += formatNumber(v, f);
            else if (name == QLatin1String("dataSetName"))
                out += ds->getDataName();
            else if (name == QLatin1String("dataSet"))
                out += QString::number(dsIndex);
            else if (name == QLatin1String("layer"))
                out += QString::number(layerIndex);
            else
                out += m.captured(0);
        }
        return out + fmt.mid(last);
    };
    QString map;
    const QRect plot(m_plot.m_x, m_plot.m_y, m_plot.m_w, m_plot.m_h);
    for (int li = 0; li < int(m_layers.size()); ++li) {
        Layer *layer = m_layers[size_t(li)].get();
        const int n = layer->getPointCount();
        for (int di = 0; di < layer->getDataSetCount(); ++di) {
            const DataSet *ds = layer->getDataSet(di);
            if (ds->m_symbol == Chart::NoSymbol || ds->m_symbolSize <= 0)
                continue;
            const int r = std::max(1, (ds->m_symbolSize + 1) / 2);
            std::vector<bool> taken(size_t(m_plot.m_w) * size_t(m_plot.m_h), false);
            for (int i = 0; i < n; ++i) {
                const double v = ds->getValue(i), x = layer->getXPosition(i);
                if (!isValue(v) || !isValue(x))
                    continue;
                const int px = getXCoor(x), py = getYCoor(v, layer->getYAxis());
                if (!plot.contains(px, py))
                    continue;
                const size_t key = size_t(py - m_plot.m_y) * size_t(m_plot.m_w) + size_t(px - m_plot.m_x);
                if (taken[key])
                    continue;
                taken[key] = true;
                map += QStringLiteral("<area shape=\"circle\" coords=\"%1,%2,%3\"").arg(px).arg(py).arg(r);
                if (!url.isEmpty()) {
                    QString href = url;
                    const QString query = expand(queryFormat, x, v, ds, di, li);
                    if (!query.isEmpty())
                        href += (url.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) + query;
                    map += QStringLiteral(" href=\"") + htmlEscape(href) + QLatin1Char('"');
                }
                if (!titleFormat.isEmpty())
                    map += QStringLiteral(" title=\"") + htmlEscape(expand(titleFormat, x, v, ds, di, li)) + QLatin1Char('"');
                map += QStringLiteral(">\n");
            }
        }
    }
    return map;
}

} // namespace chartlib
