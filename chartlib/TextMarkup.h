#pragma once
// Markup text: "<*br*>" line breaks, "<*font…*>"/"<*/font*>" style spans,
// "<*color=RRGGBB*>", "<*bgColor=RRGGBB*>" and "<*size=N*>", measured and
// drawn as runs of one style each.
#include "chartlib/ChartTypes.h"

#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QVector>

class QPainter;

namespace chartlib {

struct TextStyle
{
    QString family = QStringLiteral("DejaVu Sans");
    bool bold = false;
    bool italic = false;
    double size = 8; // points, drawn at 96 dpi
    Color color = Chart::TextColor;
    Color bgColor = Chart::Transparent;

    // Font file or style names ("arialbd.ttf", "bold", "Arial Bold Italic"…)
    // mapped onto the installed DejaVu Sans faces; empty keeps the style's face.
    static TextStyle fromFont(const QString &fontName, double size, Color color);
    void applyFontName(const QString &fontName);
    QFont font() const;
    bool operator==(const TextStyle &o) const;
};

struct TextRun
{
    QString text;
    TextStyle style;
};
using TextLine = QVector<TextRun>;

// Splits markup into lines of styled runs. Unknown tags are dropped; a "<*"
// without its closing "*>" is kept as plain text.
QVector<TextLine> parseMarkup(const QString &text, const TextStyle &base);

// Markup text measured once, drawn any number of times.
class MarkupText
{
public:
    MarkupText() = default;
    MarkupText(const QString &text, const TextStyle &base);

    const QVector<TextLine> &lines() const { return m_lines; }
    double width() const { return m_size.width(); }
    double height() const { return m_size.height(); }
    QSizeF size() const { return m_size; }
    bool isEmpty() const { return m_lines.isEmpty(); }

    // Draws with the box's reference point at (x, y): alignment tells which point
    // of the box that is (Chart::Alignment). angle in degrees, counter-clockwise.
    void draw(QPainter &p, double x, double y, int alignment, const ColorPalette &pal, double angle = 0) const;
    // Draws with the top-left corner of the (unrotated) box at topLeft.
    void drawAt(QPainter &p, QPointF topLeft, const ColorPalette &pal) const;

    // Top-left of a box of the given size whose alignment point is (x, y).
    static QPointF alignedTopLeft(double x, double y, QSizeF size, int alignment);

private:
    struct LineMetrics
    {
        double width = 0, ascent = 0, height = 0;
        QVector<double> runWidths;
    };
    QVector<TextLine> m_lines;
    QVector<LineMetrics> m_metrics;
    QSizeF m_size;
};

} // namespace chartlib
