#include "readers/ReaderText.h"

#include <QDate>
#include <QTime>

#include <charconv>
#include <cmath>
#include <cstring>

namespace readers {

namespace {

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

constexpr qint64 kJulianDayOfEpoch = 2440588; // 1970-01-01
constexpr qint64 kMsecsPerDay = 86400000;

} // namespace

bool Field::equals(const char *text) const
{
    const size_t n = std::strlen(text);
    return size_t(size) == n && (n == 0 || std::memcmp(data, text, n) == 0);
}

Field Field::trimmed() const
{
    const char *b = data;
    const char *e = data + size;
    while (b < e && isSpace(*b))
        ++b;
    while (e > b && isSpace(e[-1]))
        --e;
    return Field{b, int(e - b)};
}

Field Field::withoutTerminator() const
{
    int n = size;
    if (n > 0 && data[n - 1] == '\n') {
        --n;
        if (n > 0 && data[n - 1] == '\r')
            --n;
    }
    return Field{data, n};
}

char chooseSeparator(const Field &line)
{
    for (const char c : {',', ';', '\t'}) {
        if (line.size > 0 && std::memchr(line.data, c, size_t(line.size)))
            return c;
    }
    return 0;
}

void splitFields(const char *data, int size, char separator, FieldList *out)
{
    out->clear();
    const char *p = data;
    const char *end = data + size;
    for (;;) {
        const void *hit = p < end ? std::memchr(p, separator, size_t(end - p)) : nullptr;
        if (!hit) {
            out->append(Field{p, int(end - p)});
            return;
        }
        const char *sep = static_cast<const char *>(hit);
        out->append(Field{p, int(sep - p)});
        p = sep + 1;
    }
}

bool parseNumber(const char *data, int size, double *value)
{
    const Field f = Field{data, size}.trimmed();
    const char *b = f.data;
    const char *e = f.data + f.size;
    if (b < e && *b == '+') {
        ++b;
        if (b < e && (*b == '-' || *b == '+'))
            return false;
    }
    if (b == e)
        return false;
    double v = 0;
    const auto res = std::from_chars(b, e, v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != e || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

bool isValidUtf8(const char *data, int size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    const auto *e = p + size;
    while (p < e) {
        const unsigned char c = *p++;
        if (c < 0x80)
            continue;
        int more = 0;
        unsigned int cp = 0;
        unsigned int min = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            cp = c & 0x1F;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            cp = c & 0x0F;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            cp = c & 0x07;
            min = 0x10000;
        } else {
            return false;
        }
        if (e - p < more)
            return false;
        for (int k = 0; k < more; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        p += more;
        // Overlong forms, surrogates and values past the last code point.
        if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
    }
    return true;
}

QString decodeName(const char *data, int size)
{
    return isValidUtf8(data, size) ? QString::fromUtf8(data, size) : QString::fromLatin1(data, size);
}

Measurement readMeasurement(const Field &text, NoValueMarker marker)
{
    QVarLengthArray<char, 64> buf(text.size);
    for (int i = 0; i < text.size; ++i)
        buf[i] = text.data[i] == ',' ? '.' : text.data[i];
    const Field t{buf.constData(), text.size};

    Measurement m;
    if (!parseNumber(t, &m.value)) {
        m.value = 0;
        m.flag = FlagNoValue;
        return m;
    }
    if (marker == NoValueMarker::ExactText) {
        if (t.equals("1.000000E+20") || t.equals("-1.000000E+20"))
            m.flag = FlagNoValue;
    } else if (m.value == 1e20 || m.value == -1e20) {
        m.flag = FlagNoValue;
    }
    return m;
}

TimeStampFormat::TimeStampFormat(const QString &format)
    : m_text(format)
{
    struct Pattern
    {
        const char *text;
        Kind kind;
    };
    // Every field's width is the length of its pattern.
    static const Pattern patterns[] = {{"yyyy", Year}, {"zzz", Milli}, {"MM", Month}, {"dd", Day},
                                       {"HH", Hour},   {"mm", Minute}, {"ss", Second}};
    const QByteArray f = format.toLatin1();
    int i = 0;
    while (i < f.size()) {
        Token t{Literal, f.at(i), 0};
        for (const Pattern &p : patterns) {
            if (f.mid(i).startsWith(p.text)) {
                t = {p.kind, 0, int(qstrlen(p.text))};
                break;
            }
        }
        const int width = t.kind == Literal ? 1 : t.digits;
        m_tokens.append(t);
        m_length += width;
        i += width;
    }
}

bool TimeStampFormat::parse(const char *data, int size, qint64 *msecs) const
{
    if (size != m_length)
        return false;
    int y = 1970, mo = 1, d = 1, h = 0, mi = 0, s = 0, ms = 0;
    const char *p = data;
    for (const Token &t : m_tokens) {
        if (t.kind == Literal) {
            if (*p++ != t.literal)
                return false;
            continue;
        }
        int v = 0;
        for (int k = 0; k < t.digits; ++k, ++p) {
            if (*p < '0' || *p > '9')
                return false;
            v = v * 10 + (*p - '0');
        }
        switch (t.kind) {
        case Year: y = v; break;
        case Month: mo = v; break;
        case Day: d = v; break;
        case Hour: h = v; break;
        case Minute: mi = v; break;
        case Second: s = v; break;
        case Milli: ms = v; break;
        case Literal: break;
        }
    }
    if (!QDate::isValid(y, mo, d) || !QTime::isValid(h, mi, s, ms))
        return false;
    const qint64 day = QDate(y, mo, d).toJulianDay() - kJulianDayOfEpoch;
    *msecs = day * kMsecsPerDay + ((h * 60 + mi) * 60 + s) * qint64(1000) + ms;
    return true;
}

bool TimeStampFormat::parse(const Field &first, const Field &second, qint64 *msecs) const
{
    if (first.size + second.size != m_length || m_length > 64)
        return false;
    char joined[64];
    if (first.size > 0)
        std::memcpy(joined, first.data, size_t(first.size));
    if (second.size > 0)
        std::memcpy(joined + first.size, second.data, size_t(second.size));
    return parse(joined, m_length, msecs);
}

QStringList splitCsvLine(const QString &line, QChar separator)
{
    QStringList fields;
    const int n = line.size();
    int i = 0;
    for (;;) {
        int first = i;
        while (first < n && line.at(first) == QLatin1Char(' '))
            ++first;
        QString field(QLatin1String("")); // an empty field is '', never null
        if (first < n && line.at(first) == QLatin1Char('"')) {
            i = first + 1;
            while (i < n) {
                const QChar c = line.at(i);
                if (c == QLatin1Char('"')) {
                    if (i + 1 < n && line.at(i + 1) == QLatin1Char('"')) {
                        field += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += c;
                ++i;
            }
            // Anything between the closing quote and the separator is kept.
            const int end = line.indexOf(separator, i);
            field += line.midRef(i, (end < 0 ? n : end) - i);
            i = end < 0 ? n : end;
        } else {
            const int end = line.indexOf(separator, i);
            field += line.midRef(i, (end < 0 ? n : end) - i);
            i = end < 0 ? n : end;
        }
        fields << field;
        if (i >= n)
            break;
        ++i; // the separator
        if (i == n) {
            fields << QString(QLatin1String(""));
            break;
        }
    }
    return fields;
}

} // namespace readers
