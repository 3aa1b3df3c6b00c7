#pragma once
// Sections of a wide recorder table (DataMoxB, DataMoxA, an archive's Data):
// one row per sample with its own text date and time. The chart page pages
// through rows, so a section is a window by position: rows ordered by id,
// whatever the ids are, each row in exactly one section.
#include <QSqlQuery>
#include <QString>
#include <QStringList>

namespace wide {

struct Section
{
    bool ok = false;

    // Runs SELECT id, date, time, <columns> on query: rowLen rows from
    // position rowIndex, or the rowLen rows after id afterId when the id
    // before the section is known (afterId >= 0), which spares skipping.
    static Section prepare(QSqlQuery &query, const QString &table, const QStringList &columns, uint rowIndex,
                           uint rowLen, qint64 afterId);
};

// Milliseconds since 1970 of a recorder's "yyyy-MM-dd" date and "HH:mm:ss"
// or "HH:mm:ss.zzz" time, read as UTC wall-clock; false when unreadable.
bool recorderMsecs(const QString &date, const QString &time, qint64 *msecs);

} // namespace wide
