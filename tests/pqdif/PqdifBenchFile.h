#pragma once
// The large PQDIF file the PQDIF benchmarks read: observations of five
// voltage channels, each a time series and scaled min, max and avg series.
#include <QString>

namespace pqdifbench {

constexpr int kObservations = 2000;
constexpr int kChannels = 5;
constexpr int kSeriesPerChannel = 4; // time, min, max, avg
constexpr int kValues = 250;

bool writeFile(const QString &path, bool compress);
// The same kind of file with fewer (or more) observations.
bool writeFile(const QString &path, bool compress, int observations);

} // namespace pqdifbench
