#include "pqdif/ZelDXExample.h"

#include "pqdif/PqdifWriter.h"

#include <cmath>

using namespace pqdif;

namespace zeldxexample {

namespace {

constexpr int kValues = 144; // one day of ten-minute values
constexpr uint32_t kHertz = 15, kWatts = 9, kPercent = 19;

PqdifSeriesDefnDesc series(const PqdifGuid &type, uint32_t units)
{
    PqdifSeriesDefnDesc s;
    s.valueType = type;
    s.units = units;
    if (type == ID_SERIES_VALUE_TYPE_TIME)
        s.characteristic = ID_QC_NONE;
    return s;
}

PqdifChannelDefnDesc channel(const std::string &name, uint32_t phase, uint32_t measured,
                             std::vector<PqdifSeriesDefnDesc> values)
{
    PqdifChannelDefnDesc c;
    c.name = name;
    c.phase = phase;
    c.quantityMeasured = measured;
    c.series.push_back(series(ID_SERIES_VALUE_TYPE_TIME, ID_QU_SECONDS));
    for (const PqdifSeriesDefnDesc &v : values)
        c.series.push_back(v);
    return c;
}

// A smooth daily curve with a little ripple, deterministic.
std::vector<double> curve(double base, double swing, double ripple, int seed)
{
    std::vector<double> v(kValues);
    for (int j = 0; j < kValues; ++j) {
        const double day = 2.0 * M_PI * j / kValues;
        v[size_t(j)] = std::round((base + swing * std::sin(day - 1.8 + 0.3 * seed)
                                   + ripple * std::sin(j * 2.7 + seed * 1.3)) * 1000.0) / 1000.0;
    }
    return v;
}

std::vector<double> shifted(std::vector<double> v, double by)
{
    for (double &x : v)
        x += by;
    return v;
}

} // namespace

QByteArray bytes()
{
    PqdifWriter::Options o;
    o.compress = true;
    PqdifWriter w(o);
    w.addContainer();

    const PqdifGuid MIN = ID_SERIES_VALUE_TYPE_MIN, AVG = ID_SERIES_VALUE_TYPE_AVG, MAX = ID_SERIES_VALUE_TYPE_MAX;
    std::vector<PqdifChannelDefnDesc> defns;
    const uint32_t phases[3] = {ID_PHASE_AN, ID_PHASE_BN, ID_PHASE_CN};
    const char *const phaseNames[3] = {"L1", "L2", "L3"};
    for (int p = 0; p < 3; ++p)
        defns.push_back(channel(std::string("U ") + phaseNames[p], phases[p], ID_QM_VOLTAGE,
                                {series(MIN, ID_QU_VOLTS), series(AVG, ID_QU_VOLTS), series(MAX, ID_QU_VOLTS)}));
    for (int p = 0; p < 3; ++p)
        defns.push_back(channel(std::string("I ") + phaseNames[p], phases[p], ID_QM_CURRENT, {series(AVG, ID_QU_AMPS)}));
    PqdifSeriesDefnDesc power = series(AVG, kWatts);
    power.greekPrefix = 7; // shown in kW by viewers; stored in W
    defns.push_back(channel("P total", 13, 3, {power}));
    defns.push_back(channel("Frequency", ID_PHASE_AN, ID_QM_VOLTAGE, {series(AVG, kHertz)}));
    defns.push_back(channel("THD U L1", ID_PHASE_AN, ID_QM_VOLTAGE, {series(AVG, kPercent)}));
    // Harmonics share one definition; the channel instances carry the order.
    defns.push_back(channel("U L1 harmonic", ID_PHASE_AN, ID_QM_VOLTAGE, {series(AVG, kPercent)}));
    w.addRecord(*pqdifDataSourceRecord("ZelDX example", defns));
    w.addRecord(*pqdifMonitorSettingsRecord(pqdifTime(2024, 1, 1), 50.0));

    std::vector<double> times(kValues);
    for (int j = 0; j < kValues; ++j)
        times[size_t(j)] = 600.0 * j;
    for (int day = 0; day < 2; ++day) {
        std::vector<PqdifChannelInstDesc> insts;
        auto add = [&](uint32_t defn, std::vector<std::vector<double>> values, int group = -1) {
            PqdifChannelInstDesc i;
            i.defnIdx = defn;
            i.groupId = group;
            i.series.push_back(PqdifSeriesInstDesc::real8(times));
            for (const auto &v : values)
                i.series.push_back(PqdifSeriesInstDesc::real8(v));
            insts.push_back(std::move(i));
        };
        for (int p = 0; p < 3; ++p) {
            const std::vector<double> avg = curve(230.0 - p * 0.6, 2.5, 0.4, p + 3 * day);
            add(uint32_t(p), {shifted(avg, -1.8), avg, shifted(avg, 2.1)});
        }
        for (int p = 0; p < 3; ++p)
            add(uint32_t(3 + p), {curve(42.0 + 3 * p, 18.0, 2.0, p + 7 * day)});
        add(6, {curve(29000.0, 12000.0, 900.0, 11 + day)});
        add(7, {curve(50.0, 0.02, 0.015, 5 + day)});
        add(8, {curve(2.1, 0.6, 0.1, 2 + day)});
        add(9, {curve(1.6, 0.4, 0.05, 1 + day)}, 3);
        add(9, {curve(1.1, 0.3, 0.05, 2 + day)}, 5);
        add(9, {curve(0.6, 0.2, 0.03, 3 + day)}, 7);
        w.addRecord(*pqdifObservationRecord("Day " + std::to_string(day + 1), pqdifTime(2024, 3, 30 + day), insts,
                                            day + 1));
    }
    const std::vector<uint8_t> image = w.bytes();
    return QByteArray(reinterpret_cast<const char *>(image.data()), int(image.size()));
}

} // namespace zeldxexample
