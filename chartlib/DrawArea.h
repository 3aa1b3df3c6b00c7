#pragma once
// A drawing surface of a chart: records lines, circles and markup texts and
// replays them over the chart's picture. The dynamic layer (track lines) is a
// DrawArea drawn over the cached static picture, so redrawing it never renders
// the chart again.
#include "chartlib/ChartTypes.h"
#include "chartlib/TextMarkup.h"

#include <QPen>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace chartlib {

class DrawArea;

// Markup text measured for a DrawArea; draw() records it on that area.
class DrawAreaText
{
public:
    DrawAreaText(DrawArea *area, const QString &text, const TextStyle &style);
    int getWidth() const;
    int getHeight() const;
    // color is the colour of the runs the markup does not colour itself.
    void draw(int x, int y, Color color, int alignment = Chart::TopLeft);

private:
    DrawArea *m_area;
    QString m_source;
    TextStyle m_style;
    MarkupText m_text;
};

class DrawArea
{
public:
    DrawArea(int width, int height);

    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }

    // A colour code that draws lines dashed: the 16-bit pattern is read from the
    // least significant bit, one bit per pixel, 1 = drawn (0x0101: 1 on, 7 off).
    Color dashLineColor(Color color, int pattern);

    void line(double x1, double y1, double x2, double y2, Color color, int width = 1);
    void hline(int x1, int x2, int y, Color color);
    void vline(int y1, int y2, int x, Color color);
    void circle(int cx, int cy, int rx, int ry, Color edgeColor, Color fillColor);
    void rect(int x1, int y1, int x2, int y2, Color edgeColor, Color fillColor);
    // Markup text in a font ("arialbd.ttf", "" for the default) and point size.
    DrawAreaText text(const QString &text, const QString &font, double fontSize);

    void clear();
    bool isEmpty() const { return m_ops.empty(); }
    void paint(QPainter &p, const ColorPalette &pal) const;

private:
    friend class DrawAreaText;
    using Op = std::function<void(QPainter &, const ColorPalette &, const DrawArea &)>;
    void record(Op op) { m_ops.push_back(std::move(op)); }
    QPen pen(Color c, int width, const ColorPalette &pal) const;

    struct Dash
    {
        Color color;
        int pattern;
    };
    int m_width;
    int m_height;
    std::vector<Op> m_ops;
    std::vector<Dash> m_dashes;
};

} // namespace chartlib
