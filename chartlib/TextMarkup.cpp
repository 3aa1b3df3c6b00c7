#include "chartlib/TextMarkup.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace chartlib {

namespace {

bool parseHexColor(const QString &s, Color *out)
{
    QString t = s.trimmed();
    if (t.startsWith(QLatin1Char('#')))
        t.remove(0, 1);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t.remove(0, 2);
    bool ok = false;
    const uint v = t.toUInt(&ok, 16);
    if (!ok || t.isEmpty() || t.size() > 8)
        return false;
    *out = v;
    return true;
}

// Applies one "key=value" item of a tag to a style; false when the key is unknown.
bool applyAttribute(TextStyle &st, const QString &key, const QString &value)
{
    if (key == QLatin1String("color")) {
        Color c;
        if (parseHexColor(value, &c))
            st.color = c;
        return true;
    }
    if (key == QLatin1String("bgcolor")) {
        Color c;
        if (parseHexColor(value, &c))
            st.bgColor = c;
        return true;
    }
    if (key == QLatin1String("size")) {
        bool ok = false;
        const double sz = value.toDouble(&ok);
        if (ok && sz > 0)
            st.size = sz;
        return true;
    }
    if (key == QLatin1String("font")) {
        st.applyFontName(value);
        return true;
    }
    return false;
}

} // namespace

TextStyle TextStyle::fromFont(const QString &fontName, double size, Color color)
{
    TextStyle st;
    st.applyFontName(fontName);
    if (size > 0)
        st.size = size;
    st.color = color;
    return st;
}

void TextStyle::applyFontName(const QString &fontName)
{
    QString n = fontName.trimmed().toLower();
    if (n.isEmpty())
        return;
    // Only DejaVu Sans is installed for charts: every family maps onto its faces.
    family = QStringLiteral("DejaVu Sans");
    if (n.endsWith(QLatin1String(".ttf")) || n.endsWith(QLatin1String(".ttc"))) {
        n.chop(4);
        // Font file names carry the face in a suffix: "bd" bold, "bi"/"z" bold
        // italic, "i" italic ("arialbd", "arialbi", "ariali", "verdanaz").
        if (n.endsWith(QLatin1String("bi")) || n.endsWith(QLatin1String("z"))) {
            bold = true;
            italic = true;
        } else if (n.endsWith(QLatin1String("bd"))) {
            bold = true;
            italic = false;
        } else if (n.endsWith(QLatin1String("i")) && n.size() > 1) {
            bold = false;
            italic = true;
        } else {
            bold = false;
            italic = false;
        }
        return;
    }
    const bool hasBold = n.contains(QLatin1String("bold"));
    const bool hasItalic = n.contains(QLatin1String("italic")) || n.contains(QLatin1String("oblique"));
    if (n == QLatin1String("normal") || n == QLatin1String("regular")) {
        bold = italic = false;
    } else if (hasBold || hasItalic) {
        bold = hasBold;
        italic = hasItalic;
    } else {
        bold = italic = false;
    }
}

QFont TextStyle::font() const
{
    QFont f(family);
    f.setPixelSize(std::max(1, qRound(size * 96.0 / 72.0)));
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

bool TextStyle::operator==(const TextStyle &o) const
{
    return family == o.family && bold == o.bold && italic == o.italic && size == o.size && color == o.color
           && bgColor == o.bgColor;
}

QVector<TextLine> parseMarkup(const QString &text, const TextStyle &base)
{
    QVector<TextLine> lines(1);
    QVector<TextStyle> stack;
    TextStyle cur = base;
    QString pending;

    auto flush = [&]() {
        if (pending.isEmpty())
            return;
        TextLine &line = lines.last();
        if (!line.isEmpty() && line.last().style == cur)
            line.last().text += pending;
        else
            line.append(TextRun{pending, cur});
        pending.clear();
    };

    int i = 0;
    const int n = text.size();
    while (i < n) {
        if (text.at(i) == QLatin1Char('<') && i + 1 < n && text.at(i + 1) == QLatin1Char('*')) {
            const int end = text.indexOf(QLatin1String("*>"), i + 2);
            if (end < 0) {
                pending += text.mid(i);
                break;
            }
            const QString tag = text.mid(i + 2, end - i - 2).trimmed();
            i = end + 2;
            flush();
            const QString lower = tag.toLower();
            if (lower == QLatin1String("br")) {
                lines.append(TextLine());
                continue;
            }
            if (lower == QLatin1String("/font") || lower == QLatin1String("/")) {
                cur = stack.isEmpty() ? base : stack.takeLast();
                continue;
            }
            const QStringList items = tag.split(QLatin1Char(','));
            bool opensFont = false;
            TextStyle next = cur;
            for (int k = 0; k < items.size(); ++k) {
                const QString item = items.at(k).trimmed();
                const int eq = item.indexOf(QLatin1Char('='));
                const QString key = (eq < 0 ? item : item.left(eq)).trimmed().toLower();
                const QString value = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
                if (key == QLatin1String("font")) {
                    opensFont = true;
                    // A bare "font" starts again from the text's own style.
                    if (eq < 0)
                        next = base;
                    else
                        next.applyFontName(value);
                } else {
                    applyAttribute(next, key, value);
                }
            }
            if (opensFont)
                stack.append(cur);
            cur = next;
            continue;
        }
        pending += text.at(i);
        ++i;
    }
    flush();
    // Drop the trailing empty lines a markup string cannot mean to draw.
    while (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() == 1 && lines.first().isEmpty())
        lines.clear();
    return lines;
}

MarkupText::MarkupText(const QString &text, const TextStyle &base)
    : m_lines(parseMarkup(text, base))
{
    double w = 0, h = 0;
    const QFontMetricsF baseFm(base.font());
    for (const TextLine &line : m_lines) {
        LineMetrics lm;
        for (const TextRun &run : line) {
            const QFontMetricsF fm(run.style.font());
            const double rw = fm.horizontalAdvance(run.text);
            lm.runWidths.append(rw);
            lm.width += rw;
            lm.ascent = std::max(lm.ascent, fm.ascent());
            lm.height = std::max(lm.height, fm.height());
        }
        if (line.isEmpty()) {
            lm.ascent = baseFm.ascent();
            lm.height = baseFm.height();
        }
        w = std::max(w, lm.width);
        h += lm.height;
        m_metrics.append(lm);
    }
    m_size = QSizeF(w, h);
}

QPointF MarkupText::alignedTopLeft(double x, double y, QSizeF size, int alignment)
{
    double left = x, top = y;
    switch (alignment) {
    case Chart::BottomLeft: case Chart::Left: case Chart::TopLeft:
        break;
    case Chart::BottomRight: case Chart::Right: case Chart::TopRight:
        left = x - size.width();
        break;
    default:
        left = x - size.width() / 2;
        break;
    }
    switch (alignment) {
    case Chart::TopLeft: case Chart::TopCenter: case Chart::TopRight:
        break;
    case Chart::BottomLeft: case Chart::BottomCenter: case Chart::BottomRight:
        top = y - size.height();
        break;
    default:
        top = y - size.height() / 2;
        break;
    }
    return QPointF(left, top);
}

void MarkupText::draw(QPainter &p, double x, double y, int alignment, const ColorPalette &pal, double angle) const
{
    if (m_lines.isEmpty())
        return;
    if (angle == 0) {
        drawAt(p, alignedTopLeft(x, y, m_size, alignment), pal);
        return;
    }
    p.save();
    p.translate(x, y);
    p.rotate(-angle);
    drawAt(p, alignedTopLeft(0, 0, m_size, alignment), pal);
    p.restore();
}

void MarkupText::drawAt(QPainter &p, QPointF topLeft, const ColorPalette &pal) const
{
    double y = topLeft.y();
    for (int li = 0; li < m_lines.size(); ++li) {
        const TextLine &line = m_lines.at(li);
        const LineMetrics &lm = m_metrics.at(li);
        // Lines are centred on each other, as labels of several lines read best.
        double x = topLeft.x() + (m_size.width() - lm.width) / 2;
        for (int ri = 0; ri < line.size(); ++ri) {
            const TextRun &run = line.at(ri);
            const double rw = lm.runWidths.at(ri);
            const QColor bg = pal.resolve(run.style.bgColor);
            if (bg.alpha() > 0)
                p.fillRect(QRectF(x, y, rw, lm.height), bg);
            const QColor fg = pal.resolve(run.style.color);
            if (fg.alpha() > 0) {
                p.setFont(run.style.font());
                p.setPen(fg);
                p.drawText(QPointF(x, y + lm.ascent), run.text);
            }
            x += rw;
        }
        y += lm.height;
    }
}

} // namespace chartlib
