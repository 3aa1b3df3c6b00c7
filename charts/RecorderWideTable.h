#pragma once
// What the chart models of the recorders' wide tables (one row per recording
// instant: id, date, time, then one text column per quantity) share: reading
// a row's time, turning a cell into a chart value, the display units of the
// recorder's settings database, and the window of a chart section, which is
// taken by row position so that every row belongs to exactly one section.
#include "readers/MoxBSettingsUnits.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

namespace recorderwide {

// Milliseconds since 1970 of a row's "yyyy-MM-dd" date and "HH:mm:ss" or
// "HH:mm:ss.zzz" time, read as UTC wall time (the recorders write UTC).
// Up to three digits after the point are milliseconds, as timeExpression()
// reads them. False when either text is not such a date or time.
bool parseMsecs(const QString &date, const QString &time, qint64 *msecs);

// The same in SQL over the columns date and time; NULL when unreadable.
QString timeExpression();

// The chart value of a cell: its number, or the no-value marker for NULL,
// empty text, the recorders' empty-cell words (blank, n/a, ---, none in any
// case, blanks around) and anything that is not a finite number.
double cellValue(const QVariant &cell);

// A column of a table, both quoted: SQLite reads an unknown lone "name" as
// text, so a column gone from the table would count every row and chart its
// name; qualified, it is an error.
QString column(const QString &table, const QString &name);

// " ORDER BY <order> LIMIT ? OFFSET ?" with the section's length and start
// bound in that order: rows rowIndex .. rowIndex + rowLen - 1 of the order.
QString positionWindowClause(const QString &order);

// Display units of the recorder's channels from the settings loaded into the
// session ("Data_con_1"); none when no settings file is loaded.
MoxBSettingsUnits sessionSettingsUnits();

} // namespace recorderwide
