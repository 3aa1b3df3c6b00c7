#include "readers/QuilArchiveWriter.h"

#include <QDateTime>

namespace quil {

QByteArray headerLine(const QByteArray &dev, const QByteArray &filever)
{
    return "#dev:" + dev + ";filever:" + filever + ";firm:0.82;name:5;serial:15090417\r\n";
}

QList<QByteArray> channels()
{
    return {" T [^C]", " RH [%]", " DP [^C]", "AH[g/m3]"};
}

QByteArray columnLine(const QList<QByteArray> &channels, char separator, const QByteArray &lineEnd)
{
    // The empty field after "time" and the separator before the line end are
    // what the recorders write.
    QByteArrayList fields{"idx", "date", "time", ""};
    for (const QByteArray &c : channels)
        fields << c.leftJustified(16, ' ');
    fields << lineEnd;
    return fields.join(separator);
}

QByteArray row(int index, const QByteArray &date, const QByteArray &time, const QList<QByteArray> &values,
               char separator, const QByteArray &lineEnd)
{
    const QByteArrayList fields = QByteArrayList{QByteArray::number(index), date, time, ""} + values;
    return fields.join(separator) + lineEnd;
}

QByteArray formatValue(double value)
{
    const QByteArray text = QByteArray::number(value, 'f', 2).replace('.', ',');
    return QByteArray(text.size() >= 5 ? 4 : 5, ' ') + text;
}

QByteArray archive(int rows, const QByteArray &lineEnd)
{
    QByteArray out = headerLine();
    out.replace("\r\n", lineEnd);
    out += columnLine(channels(), '\t', lineEnd) + lineEnd;
    const QDateTime start(QDate(2015, 9, 1), QTime(0, 0), Qt::UTC);
    for (int r = 0; r < rows; ++r) {
        const QDateTime t = start.addSecs(1800 * r);
        out += row(r + 1, t.toString(QStringLiteral("yyyy-MM-dd")).toLatin1(),
                   t.toString(QStringLiteral("HH:mm:ss")).toLatin1(),
                   {formatValue(22.43 + r), formatValue(45.1 + r), formatValue(12.5 + r), formatValue(9.87 + r)},
                   '\t', lineEnd);
    }
    return out;
}

} // namespace quil
