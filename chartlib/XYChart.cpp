#include "chartlib/XYChart.h"

#include "chartlib/ValueFormat.h"

#include <QDateTime>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace chartlib {

namespace {

constexpr int MajorTickLength = 4;
constexpr int MaxTicks = 2000;

bool isValue(double v)
{
    return v < Chart::NoValue && std::isfinite(v);
}

// Date tick steps in seconds; months and years step by the calendar.
const double kSecondSteps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30,
                               60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800,
                               604800};
const int kMonthSteps[] = {1, 2, 3, 6, 12, 24, 60, 120, 240, 600, 1200, 2400, 6000};
constexpr double kMonthSeconds = 30.44 * 86400;

QString autoDateFormat(double step)
{
    if (step < 1)
        return QStringLiteral("hh:nn:ss.fff");
    if (step < 60)
        return QStringLiteral("hh:nn:ss");
    if (step < 86400)
        return QStringLiteral("hh:nn");
    if (step < 28 * 86400)
        return QStringLiteral("mmm dd");
    if (step < 365 * 86400)
        return QStringLiteral("mmm yyyy");
    return QStringLiteral("yyyy");
}

QDateTime toDateTime(double t)
{
    return QDateTime::fromMSecsSinceEpoch(Chart::chartTimeToMSecs(t), Qt::UTC);
}

double fromDateTime(const QDateTime &dt)
{
    return Chart::chartTime(dt.toMSecsSinceEpoch());
}

int clampPixel(double d)
{
    if (!std::isfinite(d))
        return d > 0 ? 1000000000 : -1000000000;
    return int(std::lround(std::clamp(d, -1.0e9, 1.0e9)));
}

} // namespace

// ---------------------------------------------------------------- Axis

Axis::Axis(XYChart *chart, bool isX, int alignment, int offset)
    : m_chart(chart)
    , m_isX(isX)
    , m_alignment(alignment)
    , m_offset(offset)
{
}

void Axis::setColors(Color axisColor, Color labelColor, Color titleColor, Color tickColor)
{
    m_axisColor = axisColor;
    m_labelColor = labelColor;
    m_labelStyle.color = labelColor;
    m_titleColor = titleColor;
    if (titleColor != Chart::SameAsMainColor)
        m_titleStyle.color = titleColor;
    m_tickColor = tickColor;
}

void Axis::setTitle(const QString &text, const QString &font, double fontSize, Color fontColor)
{
    m_title = text;
    m_titleStyle = TextStyle::fromFont(font, fontSize, fontColor);
    if (font.isEmpty())
        m_titleStyle.bold = true;
}

void Axis::setLabelStyle(const QString &font, double fontSize, Color fontColor, double angle)
{
    m_labelStyle = TextStyle::fromFont(font, fontSize, fontColor);
    m_labelColor = fontColor;
    m_labelAngle = angle;
}

void Axis::setLabelAlignment(int alignment, int offset)
{
    m_labelAlign = alignment;
    m_labelOffset = offset;
}

void Axis::setLabelFormat(const QString &format)
{
    m_labelFormat = format;
    m_multi = false;
    if (isDateFormat(format.contains(QLatin1Char('|')) ? format.section(QLatin1Char('|'), 1) : format))
        m_dateAxis = true;
}

void Axis::setMultiFormat(Chart::LabelFilter filter1, const QString &format1, Chart::LabelFilter filter2,
                          const QString &format2, int labelSpan, bool promoteFirst)
{
    Q_UNUSED(labelSpan) // every label spans one tick interval here
    m_multi = true;
    m_filter1 = filter1;
    m_filter2 = filter2;
    m_format1 = format1;
    m_format2 = format2;
    m_promoteFirst = promoteFirst;
    m_dateAxis = true;
}

void Axis::setDateScale(double lowerLimit, double upperLimit, double majorTickInc, double minorTickInc)
{
    Q_UNUSED(minorTickInc)
    m_fixedScale = true;
    m_dateAxis = true;
    m_fixedMin = lowerLimit;
    m_fixedMax = upperLimit;
    m_majorInc = majorTickInc;
}

void Axis::setLinearScale(double lowerLimit, double upperLimit, double majorTickInc, double minorTickInc)
{
    Q_UNUSED(minorTickInc)
    m_fixedScale = true;
    m_dateAxis = false;
    m_fixedMin = lowerLimit;
    m_fixedMax = upperLimit;
    m_majorInc = majorTickInc;
}

void Axis::setTickDensity(int majorTickSpacing, int minorTickSpacing)
{
    m_tickDensity = majorTickSpacing;
    m_minorDensity = minorTickSpacing;
}

void Axis::setRounding(bool roundMin, bool roundMax)
{
    m_roundMin = roundMin;
    m_roundMax = roundMax;
}

Mark *Axis::addMark(double value, Color lineColor, const QString &text, const QString &font, double fontSize)
{
    auto m = std::unique_ptr<Mark>(new Mark);
    m->m_value = value;
    m->m_color = lineColor;
    m->m_text = text;
    m->m_style = TextStyle::fromFont(font, fontSize, Chart::TextColor);
    m_marks.push_back(std::move(m));
    return m_marks.back().get();
}

QString Axis::getFormattedLabel(double value, const QString &format) const
{
    if (format.contains(QLatin1Char('{')))
        return expandTemplate(format, value);
    return formatValueWith(value, format);
}

double Axis::getCoor(double value) const
{
    if (m_max == m_min)
        return m_pixStart;
    return m_pixStart + (value - m_min) / (m_max - m_min) * m_pixLen;
}

double Axis::getValueAtPixel(double pixel) const
{
    if (m_pixLen == 0)
        return m_min;
    return m_min + (pixel - m_pixStart) / m_pixLen * (m_max - m_min);
}

double Axis::labelWidth(const QString &markup) const
{
    const MarkupText t(markup, m_labelStyle);
    return m_labelAngle == 0 ? t.width() : t.height();
}

QString Axis::labelFor(double v, int index, int lengthPx) const
{
    if (m_multi) {
        auto passes = [&](const Chart::LabelFilter &f, int dayIndex) {
            if (f.code == Chart::AllPassFilterCode)
                return f.labelStep <= 1 || index % f.labelStep == 0;
            if (f.code == Chart::StartOfDayFilterCode) {
                const qint64 ms = Chart::chartTimeToMSecs(v);
                if (((ms % 86400000) + 86400000) % 86400000 != 0)
                    return false;
                if (f.labelStep > 1 && dayIndex % f.labelStep != 0)
                    return false;
                const double frac = m_max > m_min ? (v - m_min) / (m_max - m_min) : 0;
                return frac * lengthPx >= f.initialMargin * lengthPx - 1e-9;
            }
            return false;
        };
        const qint64 ms = Chart::chartTimeToMSecs(v);
        const int dayIndex = int((ms / 86400000) % 1000000);
        auto apply = [&](const QString &fmt) {
            return fmt.contains(QLatin1String("{value")) ? expandTemplate(fmt, v) : formatValueWith(v, fmt);
        };
        if ((index == 0 && m_promoteFirst) || passes(m_filter1, dayIndex))
            return apply(m_format1);
        if (passes(m_filter2, dayIndex))
            return apply(m_format2);
        return QString();
    }
    if (!m_labelFormat.isEmpty()) {
        if (m_labelFormat.contains(QLatin1String("{value")))
            return expandTemplate(m_labelFormat, v);
        return formatValueWith(v, m_labelFormat);
    }
    if (m_dateAxis) {
        const double step = m_ticks.size() > 1 ? m_ticks.at(1) - m_ticks.at(0) : 1;
        return formatDate(v, autoDateFormat(step));
    }
    // Plain numbers with the decimals the tick step needs.
    const double step = m_ticks.size() > 1 ? std::fabs(m_ticks.at(1) - m_ticks.at(0)) : 1;
    int decimals = 0;
    if (step > 0 && step < 1)
        decimals = std::min(10, int(std::ceil(-std::log10(step) - 1e-9)));
    double vv = v;
    if (std::fabs(vv) < step * 1e-9)
        vv = 0;
    return QString::number(vv, 'f', decimals);
}

void Axis::computeDateTicks(int lengthPx)
{
    m_ticks.clear();
    const double range = m_max - m_min;
    if (!(range > 0))
        return;
    const int density = m_tickDensity > 0 ? m_tickDensity : 50;
    auto ticksForSeconds = [&](double s) {
        QVector<double> t;
        const double k0 = std::ceil(m_min / s - 1e-9);
        const double k1 = std::floor(m_max / s + 1e-9);
        for (double k = k0; k <= k1 && t.size() <= MaxTicks; k += 1)
            t.append(k * s);
        return t;
    };
    auto ticksForMonths = [&](int months) {
        QVector<double> t;
        const QDate d0 = toDateTime(m_min).date();
        int y = d0.year(), m = d0.month();
        QDateTime cur(QDate(y, m, 1), QTime(0, 0), Qt::UTC);
        while (fromDateTime(cur) < m_min - 1e-6)
            cur = cur.addMonths(1);
        while (((cur.date().year() * 12 + cur.date().month() - 1) % months) != 0)
            cur = cur.addMonths(1);
        while (t.size() <= MaxTicks) {
            const double v = fromDateTime(cur);
            if (v > m_max + 1e-6)
                break;
            t.append(v);
            cur = cur.addMonths(months);
        }
        return t;
    };
    auto fits = [&](const QVector<double> &t, double stepSeconds) {
        if (t.size() > MaxTicks)
            return false;
        const double spacing = lengthPx * stepSeconds / range;
        if (spacing < density)
            return false;
        double widest = 0;
        m_ticks = t;
        for (int i = 0; i < t.size(); ++i)
            widest = std::max(widest, labelWidth(labelFor(t.at(i), i, lengthPx)));
        return widest + 6 <= spacing;
    };

    if (m_majorInc > 0) {
        m_ticks = ticksForSeconds(m_majorInc);
        return;
    }
    for (double s : kSecondSteps) {
        if (lengthPx * s / range < density)
            continue;
        const QVector<double> t = ticksForSeconds(s);
        if (fits(t, s)) {
            m_ticks = t;
            return;
        }
    }
    for (int months : kMonthSteps) {
        if (lengthPx * months * kMonthSeconds / range < density)
            continue;
        const QVector<double> t = ticksForMonths(months);
        if (fits(t, months * kMonthSeconds)) {
            m_ticks = t;
            return;
        }
    }
    m_ticks = QVector<double>{m_min};
}

void Axis::computeNumberTicks(int lengthPx, bool autoScale, double dataMin, double dataMax)
{
    m_ticks.clear();
    const int density = m_tickDensity > 0 ? m_tickDensity : (m_isX ? 50 : 30);
    if (autoScale) {
        m_min = dataMin;
        m_max = dataMax;
    }
    double range = m_max - m_min;
    if (!(range > 0))
        return;
    const int maxTicks = std::max(1, lengthPx / density);
    double step = m_majorInc;
    if (!(step > 0)) {
        const double raw = range / maxTicks;
        const double mag = std::pow(10.0, std::floor(std::log10(raw)));
        step = 10 * mag;
        for (double m : {1.0, 2.0, 5.0, 10.0}) {
            if (m * mag >= raw * (1 - 1e-9)) {
                step = m * mag;
                break;
            }
        }
    }
    if (autoScale) {
        if (m_roundMin)
            m_min = std::floor(m_min / step + 1e-9) * step;
        if (m_roundMax)
            m_max = std::ceil(m_max / step - 1e-9) * step;
    }
    const double k0 = std::ceil(m_min / step - 1e-9);
    const double k1 = std::floor(m_max / step + 1e-9);
    for (double k = k0; k <= k1 && m_ticks.size() <= MaxTicks; k += 1)
        m_ticks.append(k * step);
}

void Axis::computeScale(double dataMin, double dataMax, bool hasData, int lengthPx)
{
    bool autoScale = !m_fixedScale;
    if (m_fixedScale) {
        m_min = m_fixedMin;
        m_max = m_fixedMax;
    } else if (!hasData) {
        dataMin = 0;
        dataMax = m_dateAxis ? 1 : 10;
    }
    if (autoScale && dataMax <= dataMin) {
        const double span = dataMin != 0 ? std::fabs(dataMin) * 0.1 : 1;
        dataMin -= span;
        dataMax += span;
    }
    if (m_dateAxis) {
        if (autoScale) {
            m_min = dataMin;
            m_max = dataMax;
        }
        if (m_max <= m_min)
            m_max = m_min + 1;
        computeDateTicks(lengthPx);
    } else {
        if (!autoScale && m_max <= m_min)
            m_max = m_min + 1;
        computeNumberTicks(lengthPx, autoScale, dataMin, dataMax);
    }
    m_labels.clear();
    for (int i = 0; i < m_ticks.size(); ++i)
        m_labels.append(labelFor(m_ticks.at(i), i, lengthPx));
}

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
    m_plot.m_x = 50;
    m_plot.m_y = 20;
    m_plot.m_w = std::max(1, width - 80);
    m_plot.m_h = std::max(1, height - 60);
}

XYChart::~XYChart() = default;

PlotArea *XYChart::setPlotArea(int x, int y, int width, int height, Color bgColor, Color altBgColor,
                               Color edgeColor, Color hGridColor, Color vGridColor)
{
    m_plot.m_x = x;
    m_plot.m_y = y;
    m_plot.m_w = std::max(1, width);
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
            xmin = std::min(xmin, layer->m_x.first());
            xmax = std::max(xmax, layer->m_x.last());
            hasX = true;
        } else {
            for (double x : layer->m_x)
                if (isValue(x)) {
                    xmin = std::min(xmin, x);
                    xmax = std::max(xmax, x);
                    hasX = true;
                }
        }
    }
    Axis *xa = m_xAxis.get();
    xa->m_pixStart = m_plot.m_x;
    xa->m_pixLen = std::max(1, m_plot.m_w - 1);
    xa->computeScale(xmin, xmax, hasX, m_plot.m_w);

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

int XYChart::axisLineX(const Axis *axis) const
{
    const int left = m_plot.m_x;
    const int right = m_plot.m_x + m_plot.m_w - 1;
    if (axis == m_yAxis.get())
        return left;
    if (axis == m_yAxis2.get())
        return right;
    return axis->m_alignment == Chart::Right ? right + axis->m_offset : left - axis->m_offset;
}

void XYChart::paintContent(QPainter &p, const ColorPalette &pal)
{
    const QRect plotRect(m_plot.m_x, m_plot.m_y, m_plot.m_w, m_plot.m_h);
    const int bottom = m_plot.m_y + m_plot.m_h - 1;
    const int right = m_plot.m_x + m_plot.m_w - 1;

    const QColor bg = pal.resolve(m_plot.m_bg);
    if (bg.alpha() > 0)
        p.fillRect(plotRect, bg);
    const QColor altBg = m_plot.m_altBg == Chart::SameAsMainColor ? QColor() : pal.resolve(m_plot.m_altBg);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (altBg.isValid() && altBg.alpha() > 0) {
        const QVector<double> &t = m_yAxis->m_ticks;
        for (int i = 0; i + 1 < t.size(); i += 2) {
            const int y1 = clampPixel(m_yAxis->getCoor(t.at(i)));
            const int y2 = clampPixel(m_yAxis->getCoor(t.at(i + 1)));
            p.fillRect(QRect(QPoint(m_plot.m_x, std::min(y1, y2)), QPoint(right, std::max(y1, y2))), altBg);
        }
    }
    // Grid at the major ticks of the x and primary y axes.
    const QColor vGrid = pal.resolve(m_plot.m_vGrid);
    if (vGrid.alpha() > 0) {
        p.setPen(QPen(vGrid, 1));
        for (double v : m_xAxis->m_ticks) {
            const int x = clampPixel(m_xAxis->getCoor(v));
            p.drawLine(x, m_plot.m_y, x, bottom);
        }
    }
    const QColor hGrid = pal.resolve(m_plot.m_hGrid);
    if (hGrid.alpha() > 0) {
        p.setPen(QPen(hGrid, 1));
        for (double v : m_yAxis->m_ticks) {
            const int y = clampPixel(m_yAxis->getCoor(v));
            p.drawLine(m_plot.m_x, y, right, y);
        }
    }

    p.save();
    if (m_clipMargin >= 0)
        p.setClipRect(plotRect.adjusted(-m_clipMargin, -m_clipMargin, m_clipMargin, m_clipMargin));
    for (const auto &layer : m_layers)
        paintLayer(p, pal, layer.get());
    p.restore();

    const QColor edge = pal.resolve(m_plot.m_edge);
    if (edge.alpha() > 0) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(edge, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(m_plot.m_x, m_plot.m_y, m_plot.m_w - 1, m_plot.m_h - 1));
    }
    paintMarks(p, pal, m_xAxis.get());
    for (Axis *a : m_allYAxes)
        paintMarks(p, pal, a);
    paintAxis(p, pal, m_xAxis.get());
    for (Axis *a : m_allYAxes)
        paintAxis(p, pal, a);
}

namespace {

// One data set's polyline. In fast mode consecutive points that fall into one
// pixel column collapse to their first, lowest, highest and last point, kept in
// their order and at their own x: every segment between them stays inside the
// column, and the segments joining columns are the ones a full polyline draws,
// so the pixels are those of drawing every point, with at most four per column.
void drawSeriesLine(QPainter &p, const QVector<double> &xdata, const QVector<double> &values, const Axis *xa,
                    const Axis *ya, int i0, int i1, bool fast)
{
    const int n = xdata.isEmpty() ? values.size() : std::min(values.size(), xdata.size());
    i1 = std::min(i1, n - 1);
    if (i0 > i1)
        return;
    // value -> pixel as one multiply-add per axis.
    const double xr = xa->getMaxValue() - xa->getMinValue();
    const double yr = ya->getMaxValue() - ya->getMinValue();
    const double xs = xr != 0 ? (xa->getCoor(xa->getMaxValue()) - xa->getCoor(xa->getMinValue())) / xr : 0;
    const double ys = yr != 0 ? (ya->getCoor(ya->getMaxValue()) - ya->getCoor(ya->getMinValue())) / yr : 0;
    // Offsets from the scale's start: chart times are large, their differences small.
    const double xmin = xa->getMinValue(), ymin = ya->getMinValue();
    const double x0 = xa->getCoor(xmin), y0 = ya->getCoor(ymin);
    const double *v = values.constData();
    // Without x data the points stand at their indices.
    const double *xv = xdata.isEmpty() ? nullptr : xdata.constData();
    if (!fast) {
        QVector<QPointF> poly;
        poly.reserve(i1 - i0 + 1);
        auto flushPoly = [&]() {
            if (poly.size() == 1)
                p.drawPoint(poly.first());
            else if (poly.size() > 1)
                p.drawPolyline(poly.constData(), poly.size());
            poly.clear();
        };
        for (int i = i0; i <= i1; ++i) {
            const double val = v[i];
            const double xval = xv ? xv[i] : double(i);
            // NaN fails the comparison too.
            if (!(val < Chart::NoValue) || !(xval < Chart::NoValue)) {
                flushPoly();
                continue;
            }
            poly.append(QPointF(x0 + (xval - xmin) * xs + 0.5, y0 + (val - ymin) * ys + 0.5));
        }
        flushPoly();
        return;
    }

    // Fast mode: per column one vertical line over the column's extent, and the
    // segment from the previous column's last point to this column's first.
    QVector<QLineF> lines;
    lines.reserve(2 * (std::abs(int(xs * xr)) + 8));
    QVector<QPointF> dots;
    // On a plain raster image the column spans are written straight into the
    // pixels (the same pixels the painter would set, without its per-line setup).
    QImage *target = nullptr;
    QRect clip;
    const QPen pen = p.pen();
    if (p.device() && p.device()->devType() == QInternal::Image && p.transform().isIdentity()
        && pen.color().alpha() == 255 && pen.widthF() <= 1 && pen.style() == Qt::SolidLine
        && p.compositionMode() == QPainter::CompositionMode_SourceOver && !p.testRenderHint(QPainter::Antialiasing)) {
        auto *img = static_cast<QImage *>(p.device());
        const QImage::Format f = img->format();
        if (f == QImage::Format_ARGB32_Premultiplied || f == QImage::Format_ARGB32 || f == QImage::Format_RGB32) {
            clip = img->rect();
            bool ok = true;
            if (p.hasClipping()) {
                const QRegion region = p.clipRegion();
                ok = region.rectCount() == 1;
                clip &= region.boundingRect();
            }
            if (ok)
                target = img;
        }
    }
    struct Span
    {
        int col, top, bottom;
    };
    QVector<Span> spans;
    spans.reserve(std::abs(int(xs * xr)) + 8);
    bool havePrev = false;
    double prevX = 0, prevY = 0;
    auto closeColumn = [&](long col, double firstX, double firstY, double lastX, double lastY, double lo, double hi) {
        if (havePrev)
            lines.append(QLineF(prevX, prevY, firstX, firstY));
        // A lone point still gets its pixel: line ends alone may leave it out.
        if (lo != hi) {
            if (target)
                spans.append(Span{int(col), int(std::floor(lo)), int(std::floor(hi))});
            else
                lines.append(QLineF(col + 0.5, lo, col + 0.5, hi));
        } else
            dots.append(QPointF(double(col), std::floor(firstY))); // whole pixels land exactly
        prevX = lastX;
        prevY = lastY;
        havePrev = true;
    };
    // Each column is gathered by a tight inner loop that keeps its state in
    // registers; a point belongs to the column while its x stays in
    // [col, col + 1), the same test as comparing the pixel index.
    int i = i0;
    while (i <= i1) {
        const double val = v[i];
        const double xval = xv ? xv[i] : double(i);
        if (!(val < Chart::NoValue) || !(xval < Chart::NoValue)) {
            havePrev = false;
            ++i;
            continue;
        }
        // Pixel centres: a value at pixel c (getXCoor) is drawn in pixel c.
        const double px = x0 + (xval - xmin) * xs + 0.5;
        const double py = y0 + (val - ymin) * ys + 0.5;
        const long col = px >= 0 ? long(px) : long(std::floor(px));
        const double colLo = double(col), colHi = colLo + 1.0;
        double lastX = px, lastY = py, lo = py, hi = py;
        for (++i; i <= i1; ++i) {
            const double val2 = v[i];
            const double xval2 = xv ? xv[i] : double(i);
            if (!(val2 < Chart::NoValue) || !(xval2 < Chart::NoValue))
                break;
            const double px2 = x0 + (xval2 - xmin) * xs + 0.5;
            if (!(px2 >= colLo && px2 < colHi))
                break;
            const double py2 = y0 + (val2 - ymin) * ys + 0.5;
            lastX = px2;
            lastY = py2;
            lo = std::min(lo, py2);
            hi = std::max(hi, py2);
        }
        closeColumn(col, px, py, lastX, lastY, lo, hi);
    }
    if (!lines.isEmpty())
        p.drawLines(lines.constData(), lines.size());
    if (!spans.isEmpty()) {
        const QRgb rgb = pen.color().rgba(); // opaque: premultiplied is the same
        uchar *bits = target->bits();
        const qsizetype stride = target->bytesPerLine();
        for (const Span &sp : spans) {
            if (sp.col < clip.left() || sp.col > clip.right())
                continue;
            const int y1 = std::max(sp.top, clip.top()), y2 = std::min(sp.bottom, clip.bottom());
            for (int y = y1; y <= y2; ++y)
                reinterpret_cast<QRgb *>(bits + y * stride)[sp.col] = rgb;
        }
    }
    if (!dots.isEmpty())
        p.drawPoints(dots.constData(), dots.size());
}

QImage symbolSprite(int shape, int size, const QColor &fill, const QColor &edge, int lineWidth)
{
    const int dim = size + 2 * lineWidth + 3;
    QImage img(dim, dim, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(lineWidth > 0 && edge.alpha() > 0 ? QPen(edge, lineWidth) : QPen(Qt::NoPen));
    p.setBrush(fill);
    const QPointF c(dim / 2.0, dim / 2.0);
    const double r = size / 2.0;
    switch (shape) {
    case Chart::SquareShape:
        p.drawRect(QRectF(c.x() - r, c.y() - r, size, size));
        break;
    case Chart::DiamondShape: {
        const QPointF pts[] = {{c.x(), c.y() - r}, {c.x() + r, c.y()}, {c.x(), c.y() + r}, {c.x() - r, c.y()}};
        p.drawPolygon(pts, 4);
        break;
    }
    case Chart::TriangleShape: {
        const QPointF pts[] = {{c.x(), c.y() - r}, {c.x() + r, c.y() + r}, {c.x() - r, c.y() + r}};
        p.drawPolygon(pts, 3);
        break;
    }
    default:
        p.drawEllipse(c, r, r);
        break;
    }
    return img;
}

} // namespace

void XYChart::paintLayer(QPainter &p, const ColorPalette &pal, Layer *layer)
{
    const int n = layer->getPointCount();
    if (n == 0)
        return;
    const Axis *xa = m_xAxis.get();
    const Axis *ya = layer->getYAxis();
    // Only the points in view (and one beyond each side, for the lines leaving it).
    int i0 = 0, i1 = n - 1;
    if (layer->m_xSorted) {
        i0 = std::max(0, layer->lowerBound(xa->getMinValue()) - 1);
        i1 = std::min(n - 1, layer->lowerBound(xa->getMaxValue()));
    }
    const bool raster = p.device() && p.device()->devType() == QInternal::Image;
    for (const auto &dsPtr : layer->m_dataSets) {
        const DataSet *ds = dsPtr.get();
        const QColor color = pal.resolve(ds->m_color);
        if (layer->m_lineWidth > 0 && color.alpha() > 0) {
            const bool fast = layer->m_fast;
            p.setRenderHint(QPainter::Antialiasing, !fast);
            p.setPen(QPen(color, layer->m_lineWidth, Qt::SolidLine, fast ? Qt::SquareCap : Qt::RoundCap,
                          Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            drawSeriesLine(p, layer->m_x, ds->m_values, xa, ya, i0, i1, fast);
        }
        if (ds->m_symbol != Chart::NoSymbol && ds->m_symbolSize > 0) {
            const QColor fill = pal.resolve(ds->m_symbolFill == Chart::SameAsMainColor ? ds->m_color : ds->m_symbolFill);
            const QColor edge = pal.resolve(ds->m_symbolEdge == Chart::SameAsMainColor ? ds->m_color : ds->m_symbolEdge);
            const double r = ds->m_symbolSize / 2.0;
            if (raster) {
                const QImage sprite = symbolSprite(ds->m_symbol, ds->m_symbolSize, fill, edge, ds->m_symbolLineWidth);
                const int half = sprite.width() / 2;
                // Many points share a pixel at low zoom: stamp each pixel once.
                std::vector<bool> stamped(size_t(m_width) * size_t(m_height), false);
                for (int i = i0; i <= i1; ++i) {
                    const double v = ds->getValue(i);
                    const double xv = layer->getXPosition(i);
                    if (!isValue(v) || !isValue(xv))
                        continue;
                    const int x = clampPixel(xa->getCoor(xv));
                    const int y = clampPixel(ya->getCoor(v));
                    if (x >= 0 && y >= 0 && x < m_width && y < m_height) {
                        const size_t key = size_t(y) * size_t(m_width) + size_t(x);
                        if (stamped[key])
                            continue;
                        stamped[key] = true;
                    } else if (x < -half || y < -half || x > m_width + half || y > m_height + half) {
                        continue;
                    }
                    p.drawImage(x - half, y - half, sprite);
                }
            } else {
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setPen(ds->m_symbolLineWidth > 0 ? QPen(edge, ds->m_symbolLineWidth) : QPen(Qt::NoPen));
                p.setBrush(fill);
                for (int i = i0; i <= i1; ++i) {
                    const double v = ds->getValue(i);
                    const double xv = layer->getXPosition(i);
                    if (!isValue(v) || !isValue(xv))
                        continue;
                    p.drawEllipse(QPointF(xa->getCoor(xv) + 0.5, ya->getCoor(v) + 0.5), r, r);
                }
            }
        }
    }
}

void XYChart::paintMarks(QPainter &p, const ColorPalette &pal, Axis *axis)
{
    const int left = m_plot.m_x, right = m_plot.m_x + m_plot.m_w - 1;
    const int top = m_plot.m_y, bottom = m_plot.m_y + m_plot.m_h - 1;
    for (const auto &m : axis->m_marks) {
        const double lo = std::min(axis->m_min, axis->m_max), hi = std::max(axis->m_min, axis->m_max);
        if (!(m->m_value >= lo && m->m_value <= hi))
            continue;
        const int c = clampPixel(axis->getCoor(m->m_value));
        const QColor col = pal.resolve(m->m_color);
        p.setRenderHint(QPainter::Antialiasing, false);
        if (col.alpha() > 0 && m->m_lineWidth > 0) {
            p.setPen(QPen(col, m->m_lineWidth, Qt::SolidLine, Qt::FlatCap));
            if (axis->m_isX)
                p.drawLine(QPointF(c + 0.5, top), QPointF(c + 0.5, bottom + 1));
            else
                p.drawLine(QPointF(left, c + 0.5), QPointF(right + 1, c + 0.5));
        }
        if (m->m_text.isEmpty())
            continue;
        p.setRenderHint(QPainter::Antialiasing, true);
        const MarkupText t(m->m_text, m->m_style);
        const int a = m->m_alignment;
        const int h = (a - 1) % 3; // 0 left, 1 centre, 2 right
        const int v = (a - 1) / 3; // 0 below, 1 centred, 2 above
        const double half = m->m_lineWidth / 2.0 + 1;
        if (axis->m_isX) {
            const double x = h == 0 ? c - half : (h == 2 ? c + half : c);
            const double y = v == 2 ? top + 2 : (v == 0 ? bottom - 2 : (top + bottom) / 2.0);
            t.draw(p, x, y, h == 0 ? (v == 2 ? Chart::TopRight : v == 0 ? Chart::BottomRight : Chart::Right)
                                   : h == 2 ? (v == 2 ? Chart::TopLeft : v == 0 ? Chart::BottomLeft : Chart::Left)
                                            : a,
                   pal);
        } else {
            const double x = h == 0 ? left + 3 : (h == 2 ? right - 3 : (left + right) / 2.0);
            const double y = v == 2 ? c - half : (v == 0 ? c + half + 1 : c);
            const int align = v == 2 ? (h == 0 ? Chart::BottomLeft : h == 2 ? Chart::BottomRight : Chart::BottomCenter)
                              : v == 0 ? (h == 0 ? Chart::TopLeft : h == 2 ? Chart::TopRight : Chart::TopCenter)
                                       : a;
            t.draw(p, x, y, align, pal);
        }
    }
}

void XYChart::paintAxis(QPainter &p, const ColorPalette &pal, Axis *axis)
{
    const QColor axisColor = pal.resolve(axis->m_axisColor);
    const QColor tickColor = axis->m_tickColor == Chart::SameAsMainColor ? axisColor : pal.resolve(axis->m_tickColor);
    const bool used = axis->m_isX || axis == m_yAxis.get() || !axis->m_ticks.isEmpty();
    if (!used)
        return;
    // An axis no layer uses and nobody titled stays out of the picture.
    if (!axis->m_isX && axis != m_yAxis.get() && axis->m_title.isEmpty()) {
        bool bound = false;
        for (const auto &layer : m_layers)
            bound = bound || layer->getYAxis() == axis;
        if (!bound)
            return;
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    const int top = m_plot.m_y, bottom = m_plot.m_y + m_plot.m_h - 1;
    const int left = m_plot.m_x, right = m_plot.m_x + m_plot.m_w - 1;
    if (axis->m_isX) {
        if (axisColor.alpha() > 0) {
            p.setPen(QPen(axisColor, 1));
            p.drawLine(left, bottom, right, bottom);
        }
        double labelBottom = bottom + MajorTickLength;
        for (int i = 0; i < axis->m_ticks.size(); ++i) {
            const int x = clampPixel(axis->getCoor(axis->m_ticks.at(i)));
            if (tickColor.alpha() > 0) {
                p.setPen(QPen(tickColor, 1));
                p.drawLine(x, bottom, x, bottom + MajorTickLength);
            }
            const QString &label = axis->m_labels.at(i);
            if (label.isEmpty())
                continue;
            p.setRenderHint(QPainter::Antialiasing, true);
            const MarkupText t(label, axis->m_labelStyle);
            const int h = (axis->m_labelAlign - 1) % 3;
            const double lx = h == 0 ? x + axis->m_labelOffset : h == 2 ? x - axis->m_labelOffset : x + axis->m_labelOffset;
            // A negative gap puts the labels inside the plot area, above the axis
            // (navigator strips have no room below it).
            const bool inside = axis->m_labelGap < 0;
            const double ly = inside ? bottom + axis->m_labelGap : bottom + MajorTickLength + axis->m_labelGap;
            const int align = inside ? (h == 0 ? Chart::BottomLeft : h == 2 ? Chart::BottomRight : Chart::BottomCenter)
                                     : (h == 0 ? Chart::TopLeft : h == 2 ? Chart::TopRight : Chart::TopCenter);
            t.draw(p, lx, ly, align, pal, axis->m_labelAngle);
            labelBottom = std::max(labelBottom, ly + t.height());
            p.setRenderHint(QPainter::Antialiasing, false);
        }
        if (!axis->m_title.isEmpty()) {
            p.setRenderHint(QPainter::Antialiasing, true);
            MarkupText(axis->m_title, axis->m_titleStyle).draw(p, (left + right) / 2.0, labelBottom + 2, Chart::TopCenter, pal);
        }
        return;
    }
    const int x = axisLineX(axis);
    const bool onRight = axis->m_alignment == Chart::Right;
    const int dir = onRight ? 1 : -1;
    if (axisColor.alpha() > 0) {
        p.setPen(QPen(axisColor, 1));
        p.drawLine(x, top, x, bottom);
    }
    double widest = 0;
    for (int i = 0; i < axis->m_ticks.size(); ++i) {
        const int y = clampPixel(axis->getCoor(axis->m_ticks.at(i)));
        if (tickColor.alpha() > 0) {
            p.setPen(QPen(tickColor, 1));
            p.drawLine(x, y, x + dir * MajorTickLength, y);
        }
        const QString &label = axis->m_labels.at(i);
        if (label.isEmpty())
            continue;
        p.setRenderHint(QPainter::Antialiasing, true);
        const MarkupText t(label, axis->m_labelStyle);
        const double lx = x + dir * (MajorTickLength + axis->m_labelGap);
        t.draw(p, lx, y, onRight ? Chart::Left : Chart::Right, pal, axis->m_labelAngle);
        widest = std::max(widest, t.width());
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (!axis->m_title.isEmpty()) {
        p.setRenderHint(QPainter::Antialiasing, true);
        const MarkupText t(axis->m_title, axis->m_titleStyle);
        const double tx = x + dir * (MajorTickLength + axis->m_labelGap + widest + 4 + t.height() / 2);
        t.draw(p, tx, (top + bottom) / 2.0, Chart::Center, pal, onRight ? 270 : 90);
    }
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
