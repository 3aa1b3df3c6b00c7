#pragma once
// Writes the Brena meter's channel and units XML files for the tests.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace BrenaConfigWriter {

struct Value
{
    QString name;
    int unit = 0; // position in the units file; 0 means none
};

struct Channel
{
    int source = 1;
    int input = 1;
    int valueCount = -1; // -1: the number of values
    QList<Value> values;
    bool withoutValueCount = false; // leaves out "ValQ": an invalid file
};

QByteArray channelFile(const QList<Channel> &channels);
// One "unit" element per text, each character as "U+<hex>" in a child
// element (with a comment in between, which the reader skips).
QByteArray unitsFile(const QStringList &units);

// A channel with values named "<prefix>1", "<prefix>2"... and the given units.
Channel channel(const QString &prefix, const QList<int> &units);

} // namespace BrenaConfigWriter
