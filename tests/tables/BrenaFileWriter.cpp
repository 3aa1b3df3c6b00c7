#include "tables/BrenaFileWriter.h"

#include <QFile>

namespace BrenaFileWriter {

namespace {

constexpr int HeaderBlock = 1025;
constexpr int RecordSize = 382;

void put(QByteArray &out, int offset, int width, const QByteArray &text, char pad)
{
    for (int i = 0; i < width; ++i)
        out[offset + i] = i < text.size() ? text.at(i) : pad;
}

void putLE(QByteArray &out, int offset, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[offset + i] = char((value >> (8 * i)) & 0xFF);
}

} // namespace

QByteArray record(const Record &r, char pad)
{
    // Unread bytes hold something other than the skip marker.
    QByteArray out(RecordSize, 'x');
    out[5] = r.skipped ? ' ' : '*';
    put(out, 6, 3, r.channel, pad);
    put(out, 11, 2, r.flag, pad);
    put(out, 13, 10, r.date, pad);
    put(out, 23, 8, r.time, pad);
    for (int i = 0; i < 25; ++i)
        put(out, 31 + 14 * i, 14, r.values.value(i), pad);
    out[RecordSize - 1] = '\r';
    return out;
}

QByteArray header(const Header &h)
{
    QByteArray out(HeaderBlock, '\0');
    out[0] = 0x03;
    putLE(out, 4, h.recordCount, 4);
    putLE(out, 8, h.headerLength, 2);
    putLE(out, 10, h.recordLength, 2);
    out[12] = char(h.layout);
    // The skipped part of the header is never read: fill it with noise.
    for (int i = 16; i < HeaderBlock; ++i)
        out[i] = char((i * 37) & 0xFF);
    return out;
}

QByteArray file(const QList<Record> &records, quint8 layout, char pad)
{
    Header h;
    h.recordCount = quint32(records.size());
    h.layout = layout;
    QByteArray out = header(h);
    for (const Record &r : records)
        out += record(r, pad);
    return out;
}

Record sample(int channel, int flag, const QByteArray &date, const QByteArray &time, int base)
{
    Record r;
    r.channel = QByteArray::number(channel);
    r.flag = QByteArray::number(flag);
    r.date = date;
    r.time = time;
    for (int i = 1; i <= 25; ++i)
        r.values << QByteArray::number(base) + '.' + QByteArray::number(i);
    return r;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size() && f.flush();
}

} // namespace BrenaFileWriter
