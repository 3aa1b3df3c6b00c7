#include "chartlib/DrawArea.h"

#include <QPainter>

#include <cmath>

namespace chartlib {

namespace {
constexpr Color DashBase = 0xFFFE0000u;

QVector<qreal> dashPattern(int pattern)
{
    QVector<qreal> out;
    const unsigned bits = unsigned(pattern) & 0xFFFFu;
    if (bits == 0 || bits == 0xFFFFu)
        return out;
    // Start on a drawn pixel so the pattern is dash, gap, dash, gap…
    int start = 0;
    while (!((bits >> start) & 1u))
        ++start;
    int i = 0;
    while (i < 16) {
        const bool on = (bits >> ((start + i) % 16)) & 1u;
        int len = 0;
        while (i < 16 && bool((bits >> ((start + i) % 16)) & 1u) == on) {
            ++len;
            ++i;
        }
        out.append(len);
    }
    if (out.size() % 2)
        out.append(0);
    return out;
}
} // namespace

DrawAreaText::DrawAreaText(DrawArea *area, const QString &text, const TextStyle &style)
    : m_area(area)
    , m_source(text)
    , m_style(style)
    , m_text(text, style)
{
}

int DrawAreaText::getWidth() const
{
    return int(std::ceil(m_text.width()));
}

int DrawAreaText::getHeight() const
{
    return int(std::ceil(m_text.height()));
}

void DrawAreaText::draw(int x, int y, Color color, int alignment)
{
    if (!m_area)
        return;
    TextStyle st = m_style;
    st.color = color;
    const MarkupText t(m_source, st);
    m_area->record([t, x, y, alignment](QPainter &p, const ColorPalette &pal, const DrawArea &) {
        t.draw(p, x, y, alignment, pal);
    });
}

DrawArea::DrawArea(int width, int height)
    : m_width(width)
    , m_height(height)
{
}

Color DrawArea::dashLineColor(Color color, int pattern)
{
    m_dashes.push_back(Dash{color, pattern});
    return DashBase + Color(m_dashes.size() - 1);
}

QPen DrawArea::pen(Color c, int width, const ColorPalette &pal) const
{
    if (c >= DashBase && c < DashBase + m_dashes.size()) {
        const Dash &d = m_dashes.at(c - DashBase);
        QPen p(pal.resolve(d.color), width, Qt::CustomDashLine, Qt::FlatCap);
        const QVector<qreal> pat = dashPattern(d.pattern);
        if (pat.isEmpty())
            p.setStyle(d.pattern & 0xFFFF ? Qt::SolidLine : Qt::NoPen);
        else
            p.setDashPattern(pat);
        return p;
    }
    return QPen(pal.resolve(c), width, Qt::SolidLine, Qt::FlatCap);
}

void DrawArea::line(double x1, double y1, double x2, double y2, Color color, int width)
{
    if (color >= DashBase && color < DashBase + m_dashes.size() && (x1 == x2 || y1 == y2)) {
        // Straight dashed lines pixel by pixel: the pattern lands exactly.
        const Dash dash = m_dashes.at(color - DashBase);
        const int w = std::max(1, width);
        record([=](QPainter &p, const ColorPalette &pal, const DrawArea &) {
            const QColor c = pal.resolve(dash.color);
            const unsigned bits = unsigned(dash.pattern) & 0xFFFFu;
            const bool vertical = x1 == x2;
            const int a = int(std::lround(vertical ? y1 : x1)), b = int(std::lround(vertical ? y2 : x2));
            const int step = a <= b ? 1 : -1;
            const int fixed = int(std::lround(vertical ? x1 : y1));
            for (int i = 0, pos = a;; ++i, pos += step) {
                if ((bits >> (i % 16)) & 1u)
                    p.fillRect(vertical ? QRect(fixed - (w - 1) / 2, pos, w, 1) : QRect(pos, fixed - (w - 1) / 2, 1, w), c);
                if (pos == b)
                    break;
            }
        });
        return;
    }
    record([=](QPainter &p, const ColorPalette &pal, const DrawArea &self) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, x1 != x2 && y1 != y2);
        p.setPen(self.pen(color, std::max(1, width), pal));
        // Pixel centres, so a 1-pixel line covers exactly the pixels it names.
        p.drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 + 0.5, y2 + 0.5));
        p.restore();
    });
}

void DrawArea::hline(int x1, int x2, int y, Color color)
{
    line(x1, y, x2, y, color, 1);
}

void DrawArea::vline(int y1, int y2, int x, Color color)
{
    line(x, y1, x, y2, color, 1);
}

void DrawArea::circle(int cx, int cy, int rx, int ry, Color edgeColor, Color fillColor)
{
    record([=](QPainter &p, const ColorPalette &pal, const DrawArea &self) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(self.pen(edgeColor, 1, pal));
        p.setBrush(pal.resolve(fillColor));
        p.drawEllipse(QPointF(cx + 0.5, cy + 0.5), rx, ry);
        p.restore();
    });
}

void DrawArea::rect(int x1, int y1, int x2, int y2, Color edgeColor, Color fillColor)
{
    record([=](QPainter &p, const ColorPalette &pal, const DrawArea &self) {
        const int l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
        const QColor fill = pal.resolve(fillColor);
        if (fill.alpha() > 0)
            p.fillRect(QRect(QPoint(l, t), QPoint(r, b)), fill);
        const QColor edge = pal.resolve(edgeColor);
        if (edge.alpha() > 0) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(self.pen(edgeColor, 1, pal));
            p.setBrush(Qt::NoBrush);
            // An outlined QRect of width w covers w + 1 pixels: this covers l..r.
            p.drawRect(QRect(l, t, r - l, b - t));
            p.restore();
        }
    });
}

DrawAreaText DrawArea::text(const QString &text, const QString &font, double fontSize)
{
    return DrawAreaText(this, text, TextStyle::fromFont(font, fontSize, Chart::TextColor));
}

void DrawArea::clear()
{
    m_ops.clear();
    m_dashes.clear();
}

void DrawArea::paint(QPainter &p, const ColorPalette &pal) const
{
    for (const Op &op : m_ops)
        op(p, pal, *this);
}

} // namespace chartlib
