// Axes of the XY chart: scales, ticks and their labels.
#include "chartlib/XYChart.h"

#include "chartlib/ChartGeometry.h"
#include "chartlib/ValueFormat.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace chartlib {

using detail::MajorTickLength;

namespace {

constexpr int MaxTicks = 2000;

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

} // namespace

Axis::Axis(XYChart *chart, bool isX, int alignment, int offset)
    : m_chart(chart)
    , m_isX(isX)
    , m_alignment(alignment)
    , m_offset(offset)
    , m_layoutOffset(offset)
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

double Axis::widestLabel() const
{
    double widest = 0;
    for (const QString &label : m_labels)
        if (!label.isEmpty())
            widest = std::max(widest, MarkupText(label, m_labelStyle).width());
    return widest;
}

int Axis::thickness() const
{
    double room = MajorTickLength + m_labelGap + widestLabel();
    if (!m_title.isEmpty())
        room += 4 + MarkupText(m_title, m_titleStyle).height();
    return int(std::ceil(room));
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

} // namespace chartlib
