#pragma once
// The built-in ZelDX example: two days of ten-minute values of a synthetic
// three-phase analyser (voltages with minimum, average and maximum, currents,
// power, frequency, THD and three voltage harmonics), record-level compressed.
#include <QByteArray>

namespace zeldxexample {

QByteArray bytes();

} // namespace zeldxexample
