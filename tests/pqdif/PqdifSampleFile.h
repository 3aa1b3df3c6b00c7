#pragma once
// A PQDIF file of one data source with one voltage channel and one
// observation: samples at the given seconds after the start, as an analyser
// writes a recording (a REAL8 time series and a value series).
#include "pqdif/PqdifTypes.h"

#include <QString>

#include <vector>

namespace pqdiffixture {

bool writeSamples(const QString &path, const std::string &source, const PqdifTimeStamp &start,
                  const std::vector<double> &seconds, const std::vector<double> &values);

} // namespace pqdiffixture
