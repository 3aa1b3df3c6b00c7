#include "acquisition/FtpListing.h"

namespace ftplisting {

namespace {

constexpr int NameField = 8;

QString monthNumber(const QString &month)
{
    static const char *const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i) {
        if (month == QLatin1String(names[i]))
            return QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
    }
    return QString();
}

} // namespace

QStringList splitLines(const QString &listing)
{
    // Some servers end lines with a bare line feed; a "\r" left at a line's
    // end would otherwise become part of the last name.
    QStringList lines = listing.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    lines.removeAll(QString());
    return lines;
}

QString parseListingDate(const QStringList &fields)
{
    if (fields.size() < NameField)
        return QString();
    return fields.at(6) + QLatin1Char('.') + monthNumber(fields.at(5)) + QLatin1Char('.') + fields.at(7);
}

Entry parseLine(const QString &line)
{
    Entry entry;
    // Fields are separated by blanks only (a tab belongs to a field). The name
    // starts after the eighth field and runs to the end of the line as it is.
    QStringList fields;
    int pos = 0;
    const int length = line.size();
    while (fields.size() < NameField) {
        while (pos < length && line.at(pos) == QLatin1Char(' '))
            ++pos;
        if (pos >= length)
            break;
        const int start = pos;
        while (pos < length && line.at(pos) != QLatin1Char(' '))
            ++pos;
        fields.append(line.mid(start, pos - start));
    }
    if (fields.size() < NameField)
        return entry;
    // One blank separates the name; any further blank belongs to the name.
    if (pos < length)
        ++pos;
    QString name = line.mid(pos);
    if (name.isEmpty())
        return entry;

    const QChar type = fields.at(0).at(0);
    if (type == QLatin1Char('l')) {
        const int arrow = name.indexOf(QLatin1String(" -> "));
        if (arrow > 0)
            name.truncate(arrow);
    }
    entry.valid = true;
    entry.isDir = type == QLatin1Char('d');
    entry.name = name;
    entry.date = parseListingDate(fields);
    return entry;
}

} // namespace ftplisting
