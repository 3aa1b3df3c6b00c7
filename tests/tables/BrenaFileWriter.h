#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// Writes the meter's record files for the tests, valid and damaged, from the
// byte layout: a 16-byte header inside a 1025-byte header block, then
// 382-byte records of fixed-width text fields.
namespace BrenaFileWriter {

struct Record
{
    bool skipped = false; // a space at offset 5
    QByteArray channel;   // 3 bytes at 6
    QByteArray flag;      // 2 bytes at 11
    QByteArray date;      // 10 bytes at 13
    QByteArray time;      // 8 bytes at 23
    QList<QByteArray> values; // up to 25, 14 bytes each from 31
};

struct Header
{
    quint32 recordCount = 0;
    quint16 headerLength = 1025;
    quint16 recordLength = 382;
    quint8 layout = 0;
};

// Fields shorter than their width are filled with `pad` (zero bytes end the
// text early; spaces are kept as part of it). Longer fields are cut.
QByteArray record(const Record &r, char pad = '\0');
QByteArray header(const Header &h);
// Header with the count of `records`, then the records.
QByteArray file(const QList<Record> &records, quint8 layout, char pad = '\0');

// A record with readable values: channel, flag, date, time and value i as
// "<base>.<i>".
Record sample(int channel, int flag, const QByteArray &date, const QByteArray &time, int base);

bool write(const QString &path, const QByteArray &bytes);

} // namespace BrenaFileWriter
