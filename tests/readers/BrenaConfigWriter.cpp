#include "readers/BrenaConfigWriter.h"

namespace BrenaConfigWriter {

namespace {

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

QByteArray channelFile(const QList<Channel> &channels)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MBD><Channels>\n");
    for (const Channel &c : channels) {
        xml += QStringLiteral("<Ch><Name>ignored</Name><ChSrc>%1</ChSrc><AIn>%2</AIn>").arg(c.source).arg(c.input);
        if (!c.withoutValueCount)
            xml += QStringLiteral("<ValQ>%1</ValQ>").arg(c.valueCount < 0 ? c.values.size() : c.valueCount);
        for (const Value &v : c.values)
            xml += QStringLiteral("<ChV><ChValName>%1</ChValName><ChU>%2</ChU></ChV>")
                       .arg(escaped(v.name), QString::number(v.unit));
        xml += QStringLiteral("</Ch>\n");
    }
    xml += QStringLiteral("</Channels></MBD>\n");
    return xml.toUtf8();
}

QByteArray unitsFile(const QStringList &units)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<UNITS>\n");
    for (const QString &unit : units) {
        xml += QStringLiteral("<unit>");
        for (const QChar c : unit)
            xml += QStringLiteral("<c>U+%1</c><!-- U+0021 -->").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        xml += QStringLiteral("</unit>\n");
    }
    xml += QStringLiteral("</UNITS>\n");
    return xml.toUtf8();
}

Channel channel(const QString &prefix, const QList<int> &units)
{
    Channel c;
    for (int i = 0; i < units.size(); ++i)
        c.values << Value{prefix + QString::number(i + 1), units.at(i)};
    return c;
}

} // namespace BrenaConfigWriter
