#pragma once
// Parameter names of the series of one PQDIF observation. A series is named
// after its channel and the observation ("U1 obs 3"); where several series of
// the observation would get the same name (the minimum, average and maximum of
// one channel, the harmonic channels that share one definition), the names
// carry what tells them apart: phase, harmonic order, value type, and as a
// last resort a running number.
#include "pqdif/PqdifTypes.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace pqdifnames {

struct SeriesLabel
{
    QString channel;   // channel name, or "Channel <n>"
    QString phase;     // short phase name, may be empty
    int harmonic = -1; // harmonic order (the channel instance's group id), -1 none
    QString valueType; // short value type name, may be empty
};

// One name per label, in order, each at most maxLength characters and all
// different from each other.
QStringList parameterNames(const QVector<SeriesLabel> &labels, qint64 observation, int maxLength = 80);

// "AVG", "MAX", "MIN", "VAL" ... of a series value type; empty when unknown.
QString valueTypeName(const PqdifGuid &valueType);
// "AN", "BC", "TOTAL" ... of a phase code; empty for none and unknown codes.
QString phaseName(quint32 phase);

} // namespace pqdifnames
