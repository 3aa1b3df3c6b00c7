#include "readers/WexArchiveWriter.h"

#include <QDateTime>

namespace wex {

QList<QByteArray> namesB()
{
    return {"U",   "I",   "P",   "Q",     "S",     "PF",      "tg", "F", "PDM", "SDM", "IDM", "cos",
            "THD U", "THD I", "Temper.", "2-ga war"};
}

QList<QByteArray> namesC()
{
    return {"U", "I", "P", "dU", "dI", "t  s", "t GG,MM", "C  Ah", "PAV", "UAV", "IAV", "Temper.", "2-ga war"};
}

QByteArray header(const QList<QByteArray> &names, char separator)
{
    QByteArrayList fields{"date", "time", ""};
    for (const QByteArray &n : names)
        fields << "     " + n + "  ";
    fields << " \r\n";
    return fields.join(separator);
}

QByteArray row(const QByteArray &date, const QByteArray &time, const QList<QByteArray> &values, char separator)
{
    const QByteArrayList fields = QByteArrayList{date, time, ""} + values;
    return fields.join(separator) + "\r\n";
}

QByteArray formatValue(double value)
{
    if (value == 0)
        return "0e+00";
    return QByteArray::number(value, 'e', 6).replace('.', ',');
}

QByteArray archive(const QList<QByteArray> &names, int rows, char separator)
{
    QByteArray out = header(names, separator) + "\r\n";
    const QDateTime start(QDate(2017, 12, 4), QTime(0, 0), Qt::UTC);
    for (int r = 0; r < rows; ++r) {
        const QDateTime t = start.addSecs(3600 * r);
        QList<QByteArray> values;
        for (int k = 0; k < names.size(); ++k)
            values.append(formatValue((r + 1) * 1.5 + k));
        out += row(t.toString(QStringLiteral("yyyy-MM-dd")).toLatin1(), t.toString(QStringLiteral("HH:mm:ss")).toLatin1(),
                   values, separator);
    }
    return out;
}

} // namespace wex
