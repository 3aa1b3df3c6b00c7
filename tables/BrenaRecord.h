#pragma once
#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

// The meter's binary record file (".DBF"): a 16-byte header read as is, the
// rest of a 1025-byte header skipped, then fixed 382-byte records. Integers
// are little-endian; record fields are fixed-width 8-bit text.

struct BrenaFileHeader
{
    static constexpr int Size = 16;
    static constexpr quint16 HeaderLength = 1025;
    static constexpr quint16 RecordLength = 382;
    // Header length and record length at offset 8, as one little-endian word:
    // the bytes 01 04 7E 01.
    static constexpr quint32 CheckValue = quint32(HeaderLength) | (quint32(RecordLength) << 16);

    std::array<char, Size> bytes{};

    quint32 recordCount() const { return readLE32(4); }
    quint16 headerLength() const { return quint16(readLE32(8) & 0xFFFF); }
    quint16 recordLength() const { return quint16(readLE32(8) >> 16); }
    quint32 checkValue() const { return readLE32(8); }
    // 0 and 1 select the two field layouts; other values load too.
    quint8 layoutByte() const { return quint8(bytes[12]); }
    bool isValid() const { return checkValue() == CheckValue; }

private:
    quint32 readLE32(int offset) const
    {
        return quint32(quint8(bytes[offset])) | (quint32(quint8(bytes[offset + 1])) << 8)
               | (quint32(quint8(bytes[offset + 2])) << 16) | (quint32(quint8(bytes[offset + 3])) << 24);
    }
};

// One record kept whole; fields are decoded on demand.
struct BrenaRecord
{
    static constexpr int Size = BrenaFileHeader::RecordLength;
    static constexpr int ValueCount = 25;

    // Field offsets and widths.
    static constexpr int SkipMarkerOffset = 5;
    static constexpr int ChannelOffset = 6;
    static constexpr int ChannelWidth = 3;
    static constexpr int FlagOffset = 11;
    static constexpr int FlagWidth = 2;
    static constexpr int DateOffset = 13;
    static constexpr int DateWidth = 10;
    static constexpr int TimeOffset = 23;
    static constexpr int TimeWidth = 8;
    static constexpr int ValueOffset = 31;
    static constexpr int ValueWidth = 14;

    std::array<char, Size> bytes{};

    // The meter marks records it does not want shown with a space here.
    bool isSkipped() const { return bytes[SkipMarkerOffset] == ' '; }

    // A field as stored: UTF-8 up to the first zero byte inside it.
    QString field(int offset, int width) const
    {
        const char *p = bytes.data() + offset;
        return QString::fromUtf8(p, int(qstrnlen(p, uint(width))));
    }

    QString channel() const { return field(ChannelOffset, ChannelWidth); }
    QString flag() const { return field(FlagOffset, FlagWidth); }
    QString date() const { return field(DateOffset, DateWidth); }
    QString time() const { return field(TimeOffset, TimeWidth); }
    // Date and time joined as "yyyy-MM-dd HH:mm:ss" (both trimmed).
    QString dateTime() const { return date().trimmed() + QLatin1Char(' ') + time().trimmed(); }
    // Value 1 to 25.
    QString value(int number) const
    {
        if (number < 1 || number > ValueCount)
            return QString();
        return field(ValueOffset + ValueWidth * (number - 1), ValueWidth);
    }
};
