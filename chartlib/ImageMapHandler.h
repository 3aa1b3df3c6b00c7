#pragma once
// Hot spots of a chart image from an image map: a list of HTML-like
// <area shape="rect|circle|poly" coords="…" href="…" title="…" …> elements.
// Hot spots are numbered from 1 in map order; 0 means none.
#include <QHash>
#include <QPolygonF>
#include <QString>
#include <QVector>

namespace chartlib {

class ImageMapHandler
{
public:
    explicit ImageMapHandler(const QString &imageMap);

    int getHotSpotCount() const { return m_areas.size(); }
    // The hot spot under a point (the first in map order), which becomes current.
    int getHotSpot(double x, double y);
    // An attribute of the current hot spot: "path" is the link without its
    // query, any other key the attribute of that name; null when absent.
    QString getValue(const QString &key) const;

private:
    struct Area
    {
        enum Shape { Rect, Circle, Poly } shape = Rect;
        QVector<double> coords;
        QPolygonF polygon;
        QHash<QString, QString> attributes;
        bool contains(double x, double y) const;
    };
    QVector<Area> m_areas;
    int m_current = 0;
};

} // namespace chartlib
