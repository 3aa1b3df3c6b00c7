#include "support/MoxACsvWriter.h"

#include <QLocale>

namespace moxacsv {

QByteArray header()
{
    QByteArray h("date,time,record index,block");
    for (int k = 1; k <= 6; ++k)
        h += QByteArray(",register") + QByteArray::number(k) + ",name" + QByteArray::number(k) + ",value"
             + QByteArray::number(k);
    return h + "\r\n";
}

QByteArray line(int n, const QDateTime &start)
{
    const QDateTime t = start.addSecs(n);
    QByteArray l = t.toString(QStringLiteral("yyyy-MM-dd,HH:mm:ss")).toLatin1();
    l += ',' + QByteArray::number(1741626883LL + n) + ",1";
    for (int k = 0; k < 4; ++k) {
        const double value = k == 3 ? 31.47412 + (n % 7) * 0.01 : 0.0;
        l += ',' + QByteArray::number(14500 + 2 * k) + ",Ch" + QByteArray::number(k + 1) + ','
             + QLocale::c().toString(value, 'E', 6).toLatin1();
    }
    return l + ",,,,,,\r\n";
}

QByteArray file(int count, const QDateTime &start)
{
    QByteArray f = header();
    for (int n = 0; n < count; ++n)
        f += line(n, start);
    return f;
}

} // namespace moxacsv
