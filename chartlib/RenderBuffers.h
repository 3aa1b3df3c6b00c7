#pragma once
// Memory a chart render works in, kept from one render to the next: zoom
// and scroll redraw the same chart again and again, each time as a new chart
// object, and fresh memory costs a page fault per page on first touch.
#include <QImage>
#include <QLineF>
#include <QPointF>

#include <vector>

namespace chartlib {
namespace detail {

// An image whose pixels live in a buffer handed back for the next image of
// the same size when the last copy of this one is gone (any thread). The
// pixels are not cleared.
QImage pooledImage(int width, int height, QImage::Format format);

// One pixel column's extent of a fast line.
struct ColumnSpan
{
    int col, top, bottom;
};

// The lists a series line is gathered in; the calling thread's own, emptied
// by the caller, their capacity kept.
struct LineScratch
{
    std::vector<QLineF> lines;
    std::vector<QLineF> kept;
    std::vector<ColumnSpan> spans;
    std::vector<QPointF> points;
    std::vector<QPointF> run;
    std::vector<QPointF> dots;
    std::vector<QPointF> inside;
    std::vector<bool> stamped;
};
LineScratch &lineScratch();

} // namespace detail
} // namespace chartlib
