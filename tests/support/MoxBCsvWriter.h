#pragma once
// Synthetic MoxB recorder data CSV files, shaped as the recorder writes them:
// "record,date,time," then six titles per channel (AI1-AI6 analog inputs,
// TOT3-TOT6 totalizers), every line ending with a comma and CR LF. Odd records
// carry the analog inputs, even ones the totalizers.
#include <QByteArray>
#include <QDateTime>
#include <QStringList>

namespace moxbcsv {

// The 60 channel titles in file order.
QStringList channelTitles();
// The header line with its trailing comma and CR LF.
QByteArray header();
// Record number n (from 1), n - 1 half-seconds after start (UTC).
QByteArray record(int n, const QDateTime &start);
// A header and records 1..count; each line ends with CR LF.
QByteArray file(int count, const QDateTime &start = QDateTime(QDate(2026, 1, 14), QTime(3, 30, 36, 500), Qt::UTC));

} // namespace moxbcsv
