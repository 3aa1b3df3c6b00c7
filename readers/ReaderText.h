#pragma once
// Byte-level helpers shared by the text archive readers: field splitting
// without allocation, strict numbers and strict fixed-format time stamps.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>
#include <QtGlobal>

namespace readers {

// A view into a line buffer; valid as long as the buffer is.
struct Field
{
    const char *data = nullptr;
    int size = 0;

    bool isEmpty() const { return size == 0; }
    QByteArray bytes() const { return QByteArray(data, size); }
    bool equals(const char *text) const;
    Field trimmed() const;
    // Without a trailing LF or CR LF.
    Field withoutTerminator() const;
};

using FieldList = QVarLengthArray<Field, 64>;

// The first of ',', ';' and TAB that the line holds anywhere; 0 for none.
char chooseSeparator(const Field &line);

// Splits at every separator byte; n separators give n + 1 fields.
void splitFields(const char *data, int size, char separator, FieldList *out);
inline void splitFields(const Field &line, char separator, FieldList *out)
{
    splitFields(line.data, line.size, separator, out);
}

// A number as a whole (surrounding white space allowed, as the toolkit's
// conversion allows it); decimal point only. False for anything else,
// including empty text, infinities, NaN and overflow.
bool parseNumber(const char *data, int size, double *value);
inline bool parseNumber(const Field &f, double *value) { return parseNumber(f.data, f.size, value); }

// A field that is nothing but a line end, CR LF or a lone LF.
inline bool isLineEnd(const Field &f)
{
    return f.equals("\r\n") || f.equals("\n");
}

// A name from an archive: UTF-8 when the bytes are valid UTF-8, otherwise
// Latin-1, so that names differing only in bytes that are not UTF-8 stay
// distinct rather than all becoming the replacement character.
QString decodeName(const char *data, int size);
inline QString decodeName(const Field &f) { return decodeName(f.data, f.size); }
bool isValidUtf8(const char *data, int size);

// One row of a reader's unit table: a parameter whose name starts with prefix
// has that unit.
struct UnitByPrefix
{
    const char *prefix;
    const char *unit;
};

// The unit of the first rule whose prefix begins name; empty when none does.
template <size_t N>
QString unitByPrefix(const QString &name, const UnitByPrefix (&rules)[N])
{
    for (const UnitByPrefix &r : rules) {
        if (name.startsWith(QLatin1String(r.prefix)))
            return QString::fromUtf8(r.unit);
    }
    return QString();
}

// Data.flag as the readers write it.
enum DataFlag : int {
    FlagValue = 0,   // a measured value
    FlagNoValue = 2, // the archive marks the value as missing
};

// How an archive marks a missing value.
enum class NoValueMarker {
    ExactText, // the text is exactly "1.000000E+20" or "-1.000000E+20"
    Number,    // the number is exactly 1e20 or -1e20
};

struct Measurement
{
    double value = 0;
    int flag = FlagValue;
};

// A value field: every ',' is taken as a decimal point. A marked value keeps
// its number with FlagNoValue; an empty or unreadable text is no value either
// (0 with FlagNoValue), never a measured 0.
Measurement readMeasurement(const Field &text, NoValueMarker marker);

// A fixed time-stamp format made of the tokens yyyy, MM, dd, HH, mm, ss, zzz
// and literal characters, e.g. "yyyy-MM-ddHH:mm:ss". Parsing is strict (every
// digit present, every literal matched, the whole text consumed, a real date
// and time) and reads the fields as a UTC wall-clock time.
class TimeStampFormat
{
public:
    explicit TimeStampFormat(const QString &format);

    QString text() const { return m_text; }

    // Milliseconds since 1970-01-01 00:00 UTC of the concatenation of the parts.
    bool parse(const char *data, int size, qint64 *msecs) const;
    bool parse(const Field &first, const Field &second, qint64 *msecs) const;
    bool parse(const Field &whole, qint64 *msecs) const { return parse(whole.data, whole.size, msecs); }

private:
    enum Kind : char { Literal, Year, Month, Day, Hour, Minute, Second, Milli };
    struct Token
    {
        Kind kind;
        char literal;
        int digits;
    };
    QString m_text;
    QVarLengthArray<Token, 16> m_tokens;
    int m_length = 0;
};

// The fields of one CSV line of text: split at the separator outside double
// quotes. A field whose first character other than a blank is a quote is
// quoted: the quotes go, "" inside reads as one ", and a separator inside is
// text. Other fields stay exactly as they are, blanks included.
QStringList splitCsvLine(const QString &line, QChar separator = QLatin1Char(','));

} // namespace readers
