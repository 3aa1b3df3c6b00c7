#include "support/MoxBCsvWriter.h"

#include <QLocale>

namespace moxbcsv {

namespace {
const char *const kQuantities[] = {"value", "valueRaw", "avg", "min", "max", "flag"};
constexpr int kAnalogs = 6;
constexpr int kTotalizers = 4;
} // namespace

QStringList channelTitles()
{
    QStringList titles;
    for (int i = 1; i <= kAnalogs; ++i)
        for (const char *q : kQuantities)
            titles << QStringLiteral("AI%1: Analog input - %2").arg(i).arg(QLatin1String(q));
    for (int i = 3; i < 3 + kTotalizers; ++i)
        for (const char *q : kQuantities)
            titles << QStringLiteral("TOT%1: Totalizer - %2").arg(i).arg(QLatin1String(q));
    return titles;
}

QByteArray header()
{
    return QByteArray("record,date,time,") + channelTitles().join(QLatin1Char(',')).toUtf8() + ",\r\n";
}

QByteArray record(int n, const QDateTime &start)
{
    const QDateTime t = start.addMSecs(qint64(n - 1) * 500);
    QByteArray line = QByteArray::number(n) + ',' + t.date().toString(QStringLiteral("yyyy-MM-dd")).toLatin1() + ','
                      + t.time().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1() + ',';
    const bool analog = n % 2 == 1;
    const QLocale c = QLocale::c();
    for (int ch = 0; ch < kAnalogs; ++ch) {
        for (int q = 0; q < 6; ++q) {
            if (analog) {
                const double v = 280.0 + ch + (n % 97) * 0.013 + q * 0.5;
                line += q == 5 ? QByteArray("0") : c.toString(v, 'f', 3).toLatin1();
            }
            line += ',';
        }
    }
    for (int ch = 0; ch < kTotalizers; ++ch) {
        for (int q = 0; q < 6; ++q) {
            if (!analog)
                line += q == 5 ? QByteArray("0") : QByteArray::number(1000 * (ch + 1) + n);
            line += ',';
        }
    }
    return line + "\r\n";
}

QByteArray file(int count, const QDateTime &start)
{
    QByteArray out = header();
    out.reserve(out.size() + count * 260);
    for (int n = 1; n <= count; ++n)
        out += record(n, start);
    return out;
}

} // namespace moxbcsv
