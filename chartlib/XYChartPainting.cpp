// Painting of the XY chart: plot area, layers (lines and symbols), marks and axes.
#include "chartlib/XYChart.h"

#include "chartlib/ChartGeometry.h"
#include "chartlib/RenderBuffers.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace chartlib {

using namespace detail;

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
    const QRect clipRect = plotRect.adjusted(-m_clipMargin, -m_clipMargin, m_clipMargin, m_clipMargin);
    // The SVG writer ignores a painter's clip: its layers are cut by hand.
    const bool cutByHand = m_clipMargin >= 0 && p.paintEngine() && p.paintEngine()->type() == QPaintEngine::SVG;
    const QRectF cut(clipRect);
    if (m_clipMargin >= 0 && !cutByHand)
        p.setClipRect(clipRect);
    for (const auto &layer : m_layers)
        paintLayer(p, pal, layer.get(), cutByHand ? &cut : nullptr);
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

// The part of a segment inside a rectangle (Liang-Barsky); false when none is.
bool clipSegment(QLineF &line, const QRectF &r)
{
    const double x = line.x1(), y = line.y1(), dx = line.dx(), dy = line.dy();
    double t0 = 0, t1 = 1;
    auto edge = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!edge(-dx, x - r.left()) || !edge(dx, r.right() - x) || !edge(-dy, y - r.top()) || !edge(dy, r.bottom() - y))
        return false;
    line = QLineF(x + t0 * dx, y + t0 * dy, x + t1 * dx, y + t1 * dy);
    return true;
}

// Draws a polyline cut to a rectangle: each run that stays inside is one polyline.
void drawClippedPolyline(QPainter &p, const std::vector<QPointF> &poly, std::vector<QPointF> &run, const QRectF &clip)
{
    if (poly.size() == 1) {
        if (clip.contains(poly.front()))
            p.drawPoint(poly.front());
        return;
    }
    run.clear();
    auto flush = [&]() {
        if (run.size() > 1)
            p.drawPolyline(run.data(), int(run.size()));
        run.clear();
    };
    for (size_t i = 1; i < poly.size(); ++i) {
        QLineF seg(poly[i - 1], poly[i]);
        if (!clipSegment(seg, clip)) {
            flush();
            continue;
        }
        if (run.empty() || run.back() != seg.p1()) {
            flush();
            run.push_back(seg.p1());
        }
        run.push_back(seg.p2());
        if (seg.p2() != poly[i])
            flush();
    }
    flush();
}

// One data set's polyline (cut: a rectangle to cut it to by hand, or null). In fast mode consecutive points that fall into one
// pixel column collapse to their first, lowest, highest and last point, kept in
// their order and at their own x: every segment between them stays inside the
// column, and the segments joining columns are the ones a full polyline draws,
// so the pixels are those of drawing every point, with at most four per column.
void drawSeriesLine(QPainter &p, const QVector<double> &xdata, const QVector<double> &values, const Axis *xa,
                    const Axis *ya, int i0, int i1, bool fast, const QRectF *cut)
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
    // Kept between renders: a redraw touches no new memory.
    LineScratch &scratch = lineScratch();
    if (!fast) {
        std::vector<QPointF> &poly = scratch.points;
        poly.clear();
        auto flushPoly = [&]() {
            if (cut && !poly.empty())
                drawClippedPolyline(p, poly, scratch.run, *cut);
            else if (poly.size() == 1)
                p.drawPoint(poly.front());
            else if (poly.size() > 1)
                p.drawPolyline(poly.data(), int(poly.size()));
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
            poly.emplace_back(x0 + (xval - xmin) * xs + 0.5, y0 + (val - ymin) * ys + 0.5);
        }
        flushPoly();
        return;
    }

    // Fast mode: per column one vertical line over the column's extent, and the
    // segment from the previous column's last point to this column's first.
    std::vector<QLineF> &lines = scratch.lines;
    lines.clear();
    std::vector<QPointF> &dots = scratch.dots;
    dots.clear();
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
    std::vector<ColumnSpan> &spans = scratch.spans;
    spans.clear();
    bool havePrev = false;
    double prevX = 0, prevY = 0;
    auto closeColumn = [&](long col, double firstX, double firstY, double lastX, double lastY, double lo, double hi) {
        if (havePrev)
            lines.emplace_back(prevX, prevY, firstX, firstY);
        // A lone point still gets its pixel: line ends alone may leave it out.
        if (lo != hi) {
            if (target)
                spans.push_back(ColumnSpan{int(col), int(std::floor(lo)), int(std::floor(hi))});
            else
                lines.emplace_back(col + 0.5, lo, col + 0.5, hi);
        } else
            dots.emplace_back(double(col), std::floor(firstY)); // whole pixels land exactly
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
    if (cut) {
        std::vector<QLineF> &kept = scratch.kept;
        kept.clear();
        for (QLineF l : lines)
            if (clipSegment(l, *cut))
                kept.push_back(l);
        lines.swap(kept);
        std::vector<QPointF> &inside = scratch.inside;
        inside.clear();
        for (const QPointF &d : dots)
            if (cut->contains(d))
                inside.push_back(d);
        dots.swap(inside);
    }
    if (!lines.empty())
        p.drawLines(lines.data(), int(lines.size()));
    if (!spans.empty()) {
        const QRgb rgb = pen.color().rgba(); // opaque: premultiplied is the same
        uchar *bits = target->bits();
        const qsizetype stride = target->bytesPerLine();
        for (const ColumnSpan &sp : spans) {
            if (sp.col < clip.left() || sp.col > clip.right())
                continue;
            const int y1 = std::max(sp.top, clip.top()), y2 = std::min(sp.bottom, clip.bottom());
            for (int y = y1; y <= y2; ++y)
                reinterpret_cast<QRgb *>(bits + y * stride)[sp.col] = rgb;
        }
    }
    if (!dots.empty())
        p.drawPoints(dots.data(), int(dots.size()));
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

void XYChart::paintLayer(QPainter &p, const ColorPalette &pal, Layer *layer, const QRectF *clip)
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
            drawSeriesLine(p, layer->m_x, ds->m_values, xa, ya, i0, i1, fast, clip);
        }
        if (ds->m_symbol != Chart::NoSymbol && ds->m_symbolSize > 0) {
            const QColor fill = pal.resolve(ds->m_symbolFill == Chart::SameAsMainColor ? ds->m_color : ds->m_symbolFill);
            const QColor edge = pal.resolve(ds->m_symbolEdge == Chart::SameAsMainColor ? ds->m_color : ds->m_symbolEdge);
            const double r = ds->m_symbolSize / 2.0;
            if (raster) {
                const QImage sprite = symbolSprite(ds->m_symbol, ds->m_symbolSize, fill, edge, ds->m_symbolLineWidth);
                const int half = sprite.width() / 2;
                // Many points share a pixel at low zoom: stamp each pixel once.
                std::vector<bool> &stamped = lineScratch().stamped;
                stamped.assign(size_t(m_width) * size_t(m_height), false);
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
                    const QPointF centre(xa->getCoor(xv) + 0.5, ya->getCoor(v) + 0.5);
                    if (!clip) {
                        p.drawEllipse(centre, r, r);
                        continue;
                    }
                    const double reach = r + ds->m_symbolLineWidth;
                    const QRectF box(centre.x() - reach, centre.y() - reach, 2 * reach, 2 * reach);
                    if (clip->contains(box)) {
                        p.drawEllipse(centre, r, r);
                    } else if (clip->intersects(box)) {
                        // Only the part inside, its cut edge included.
                        QPainterPath dot, area;
                        dot.addEllipse(centre, r, r);
                        area.addRect(*clip);
                        p.drawPath(dot.intersected(area));
                    }
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
    // An axis no layer uses and nobody titled stays out of the picture.
    if (!isAxisDrawn(axis))
        return;
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

} // namespace chartlib
