#pragma once
// Writes ZelB-type CSV archives: the instrument's 52-column header and lines
// of up to 16 groups of register, name and value.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

namespace zelb {

struct Group
{
    QByteArray reg;
    QByteArray name;
    QByteArray value;
};

// "date,time,record index,block,register1,name1,value1,..." with the given
// number of groups (16 as the instrument writes it).
QByteArray header(char separator = ',', int groups = 16);

// One data line with all groups of the header; groups beyond the given ones are empty.
QByteArray line(const QByteArray &date, const QByteArray &time, int index, const QVector<Group> &groups,
                char separator = ',', int headerGroups = 16);

// The value as the instrument writes it: seven significant digits, exponent form.
QByteArray formatValue(double value);

// A generated archive of lines x groups values, one minute apart from start (UTC).
// Returns false when the file cannot be written.
bool writeArchive(const QString &path, int lines, int groups, const QDateTime &start);

} // namespace zelb
