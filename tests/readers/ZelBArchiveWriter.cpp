#include "readers/ZelBArchiveWriter.h"

#include <QFile>

#include <cmath>
#include <cstdio>

namespace zelb {

namespace {
const char *const kNames[] = {"U1", "U2", "U3", "I1", "I2", "I3", "P1", "P2",
                              "P3", "Q1", "S1", "PF1", "f", "THD U1", "T1", "EnP+"};
const double kBase[] = {230.1, 229.8, 231.2, 5.12, 4.98, 5.31, 1130.0, 1100.5,
                        1210.2, 120.3, 1180.0, 0.982, 50.01, 2.31, 24.6, 12345.6};
} // namespace

QByteArray header(char separator, int groups)
{
    QByteArrayList fields{"date", "time", "record index", "block"};
    for (int n = 1; n <= groups; ++n) {
        const QByteArray num = QByteArray::number(n);
        fields << "register" + num << "name" + num << "value" + num;
    }
    return fields.join(separator) + "\r\n";
}

QByteArray line(const QByteArray &date, const QByteArray &time, int index, const QVector<Group> &groups,
                char separator, int headerGroups)
{
    QByteArray l = date + separator + time + separator + QByteArray::number(index).rightJustified(10, '0')
                   + separator + "1";
    for (int g = 0; g < headerGroups; ++g) {
        const Group group = g < groups.size() ? groups.at(g) : Group();
        l += separator + group.reg + separator + group.name + separator + group.value;
    }
    return l + "\r\n";
}

QByteArray formatValue(double value)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6E", value);
    return QByteArray(buf);
}

bool writeArchive(const QString &path, int lines, int groups, const QDateTime &start)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    if (f.write(header()) < 0)
        return false;
    QVector<Group> gs(groups);
    const QDateTime utcStart = start.toUTC();
    for (int i = 0; i < lines; ++i) {
        const QDateTime t = utcStart.addSecs(60 * qint64(i));
        for (int g = 0; g < groups; ++g) {
            gs[g].reg = QByteArray::number(7500 + 2 * g);
            gs[g].name = kNames[g % 16];
            gs[g].value = formatValue(kBase[g % 16] * (1.0 + 0.01 * std::sin(double(i + g))));
        }
        if (f.write(line(t.date().toString(QStringLiteral("yyyy-MM-dd")).toLatin1(),
                         t.time().toString(QStringLiteral("HH:mm:ss")).toLatin1(), i + 1, gs))
            < 0)
            return false;
    }
    return f.flush();
}

} // namespace zelb
