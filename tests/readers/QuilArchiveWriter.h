#pragma once
// Writes Quil recorder archives as the recorders do: the "#key:value" line,
// the column line with padded channel names and a trailing separator, an empty
// line, then indexed rows with blank-padded values and decimal commas.
#include <QByteArray>
#include <QList>

namespace quil {

QByteArray headerLine(const QByteArray &dev = "QuilA", const QByteArray &filever = "1.00");

// The recorder's four channels: " T [^C]", " RH [%]", " DP [^C]", "AH[g/m3]".
QList<QByteArray> channels();

// "idx", "date", "time", the empty column, each channel padded to 16 with
// blanks, a trailing separator, the line end.
QByteArray columnLine(const QList<QByteArray> &channels, char separator = '\t', const QByteArray &lineEnd = "\r\n");

// index, date, time, the empty column, the value texts (written as given),
// the line end directly after the last value.
QByteArray row(int index, const QByteArray &date, const QByteArray &time, const QList<QByteArray> &values,
               char separator = '\t', const QByteArray &lineEnd = "\r\n");

// A value as the recorder writes it: four or five blanks and a decimal comma.
QByteArray formatValue(double value);

// A whole archive of rows rows of the four channels, 30 minutes apart.
QByteArray archive(int rows, const QByteArray &lineEnd = "\r\n");

} // namespace quil
