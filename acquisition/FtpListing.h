#pragma once
// Reading the LIST output of Unix-like FTP servers: type and permissions,
// link count, owner, group, size, month, day, time or year, then the name.
#include <QString>
#include <QStringList>

namespace ftplisting {

struct Entry
{
    bool valid = false; // false: a line without a name ("total 12", blanks)
    bool isDir = false;
    QString name; // exactly as listed, runs of blanks included
    QString date; // "day.month.time-or-year", e.g. "5.03.2019", "15.03.10:30"
};

// The listing split into its non-empty lines ("\r\n" or a bare "\n").
QStringList splitLines(const QString &listing);

// One line. The name is the exact remainder of the line after the eighth
// field and the one blank that follows it; for a symbolic link it is the
// link's own name (before " -> ").
Entry parseLine(const QString &line);

// Day (field 6) + "." + month number of field 5 ("" when unknown) + "." +
// field 7; fields split at blanks, empty ones removed.
QString parseListingDate(const QStringList &fields);

} // namespace ftplisting
