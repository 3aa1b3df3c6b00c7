#pragma once
// Writes transducer archives as the instruments do: a header of padded names
// with a one-space tail column, an empty second line, then rows of date, time,
// the empty column and values with a decimal comma.
#include <QByteArray>
#include <QStringList>
#include <QVector>

namespace wex {

// The parameter names of the WexB and WexC instruments.
QList<QByteArray> namesB();
QList<QByteArray> namesC();

// "date", "time", the empty column, each name as "     name  ", " ", CR LF.
QByteArray header(const QList<QByteArray> &names, char separator = '\t');

// date, time, the empty column, the value texts, CR LF.
QByteArray row(const QByteArray &date, const QByteArray &time, const QList<QByteArray> &values,
               char separator = '\t');

// "%.6e" with a decimal comma, and "0e+00" for zero.
QByteArray formatValue(double value);

// Header, empty line and rows rows of generated values, one hour apart.
QByteArray archive(const QList<QByteArray> &names, int rows, char separator = '\t');

} // namespace wex
