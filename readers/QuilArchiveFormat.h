#pragma once
// The Quil recorder archive as both Quil readers read it: the "#key:value;..."
// header line, the column line and the value fields.
#include "readers/ReaderText.h"

#include <QMap>
#include <QString>

namespace readers {
namespace quil {

// The pairs of a header line that begins with '#' (the value of the last pair
// keeps the line end). False when a field is not exactly key:value.
bool readHeaderPairs(const Field &line, QMap<QString, QString> *header);

// Splits at the separator and drops every empty item and every item that is
// only a line end, wherever they stand.
void splitItems(const Field &line, char separator, FieldList *scratch, FieldList *items);

// The header names a known model and file version, and the column line
// begins with idx, date and time.
bool headerAndColumnsMatch(const QMap<QString, QString> &header, const FieldList &columns);

// A channel value: '*' marks a missing one; otherwise a decimal comma, blanks
// anywhere and the line end are allowed. Unreadable text is no value (flag 2),
// never a measured 0.
Measurement readValue(const Field &text);

} // namespace quil
} // namespace readers
