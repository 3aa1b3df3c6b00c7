#pragma once
// Label templates: "{value}" and "{value|FORMAT}" inside any text (markup passes
// through untouched). FORMAT is a number format ("P4": 4 significant digits;
// "2": 2 decimals, optionally followed by the thousands and decimal separators,
// as in "2,."), or a date format over chart time (yyyy yy mmmm mmm mm m dd d
// hh h nn n ss s fff ff f; "<*…*>" markup and other characters are copied).
#include <QString>

namespace chartlib {

bool isDateFormat(const QString &format);
QString formatNumber(double value, const QString &format);
QString formatDate(double chartTime, const QString &format);
// Formats by the kind of FORMAT; an empty format gives a plain number.
QString formatValueWith(double value, const QString &format);
// Expands every "{value…}" field of a template.
QString expandTemplate(const QString &tmpl, double value);

} // namespace chartlib
