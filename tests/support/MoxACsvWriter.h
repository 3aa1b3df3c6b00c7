#pragma once
// Synthetic MoxA recorder exports shaped as the recorder writes them: the
// 22-title header, then one line per second of block 1 with four channels
// (registers 14500-14506) in use and two empty groups.
#include <QByteArray>
#include <QDateTime>

namespace moxacsv {

QByteArray header();
// Line n (from 0) of the export: n seconds after start (wall time).
QByteArray line(int n, const QDateTime &start);
// The header and lines 0..count-1, each ending with CR LF.
QByteArray file(int count, const QDateTime &start = QDateTime(QDate(2025, 3, 10), QTime(17, 14, 43), Qt::UTC));

} // namespace moxacsv
