#include "chartlib/ImageMapHandler.h"

#include <QRegularExpression>

namespace chartlib {

namespace {
QString unescape(QString s)
{
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&#39;"), QLatin1String("'"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}
} // namespace

bool ImageMapHandler::Area::contains(double x, double y) const
{
    switch (shape) {
    case Rect:
        return coords.size() >= 4 && x >= std::min(coords[0], coords[2]) && x <= std::max(coords[0], coords[2])
               && y >= std::min(coords[1], coords[3]) && y <= std::max(coords[1], coords[3]);
    case Circle: {
        if (coords.size() < 3)
            return false;
        const double dx = x - coords[0], dy = y - coords[1];
        return dx * dx + dy * dy <= coords[2] * coords[2];
    }
    case Poly:
        return polygon.size() >= 3 && polygon.containsPoint(QPointF(x, y), Qt::OddEvenFill);
    }
    return false;
}

ImageMapHandler::ImageMapHandler(const QString &imageMap)
{
    static const QRegularExpression areaRe(QStringLiteral("<area\\b([^>]*)>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attrRe(QStringLiteral("([A-Za-z_:][-A-Za-z0-9_:.]*)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"));
    auto areas = areaRe.globalMatch(imageMap);
    while (areas.hasNext()) {
        const QString body = areas.next().captured(1);
        Area area;
        auto attrs = attrRe.globalMatch(body);
        while (attrs.hasNext()) {
            const auto m = attrs.next();
            const QString value = !m.captured(2).isNull() ? m.captured(2)
                                  : !m.captured(3).isNull() ? m.captured(3)
                                                            : m.captured(4);
            area.attributes.insert(m.captured(1).toLower(), unescape(value));
        }
        const QString shape = area.attributes.value(QStringLiteral("shape"), QStringLiteral("rect")).toLower();
        area.shape = shape.startsWith(QLatin1String("circ")) ? Area::Circle
                     : shape.startsWith(QLatin1String("poly")) ? Area::Poly
                                                              : Area::Rect;
        for (const QString &c : area.attributes.value(QStringLiteral("coords")).split(QLatin1Char(','), Qt::SkipEmptyParts))
            area.coords.append(c.trimmed().toDouble());
        for (int i = 0; i + 1 < area.coords.size(); i += 2)
            area.polygon.append(QPointF(area.coords[i], area.coords[i + 1]));
        m_areas.append(area);
    }
}

int ImageMapHandler::getHotSpot(double x, double y)
{
    m_current = 0;
    for (int i = 0; i < m_areas.size(); ++i) {
        if (m_areas[i].contains(x, y)) {
            m_current = i + 1;
            break;
        }
    }
    return m_current;
}

QString ImageMapHandler::getValue(const QString &key) const
{
    if (m_current <= 0 || m_current > m_areas.size())
        return QString();
    const QHash<QString, QString> &attrs = m_areas[m_current - 1].attributes;
    const QString k = key.toLower();
    if (k == QLatin1String("path")) {
        if (!attrs.contains(QStringLiteral("href")))
            return QString();
        const QString href = attrs.value(QStringLiteral("href"));
        const int q = href.indexOf(QLatin1Char('?'));
        return q < 0 ? href : href.left(q);
    }
    const auto it = attrs.constFind(k);
    return it == attrs.constEnd() ? QString() : it.value();
}

} // namespace chartlib
