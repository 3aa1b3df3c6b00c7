#include "pqdif/PqdifBenchFile.h"

#include "pqdif/PqdifWriter.h"

#include <cmath>

using namespace pqdif;

namespace pqdifbench {

bool writeFile(const QString &path, bool compress)
{
    return writeFile(path, compress, kObservations);
}

bool writeFile(const QString &path, bool compress, int observations)
{
    PqdifWriter::Options options;
    options.compress = compress;
    PqdifWriter w(options);
    w.addContainer();
    std::vector<PqdifChannelDefnDesc> defns;
    for (int c = 0; c < kChannels; ++c) {
        PqdifChannelDefnDesc ch;
        ch.name = "U" + std::to_string(c + 1);
        PqdifSeriesDefnDesc t;
        t.valueType = ID_SERIES_VALUE_TYPE_TIME;
        t.units = ID_QU_SECONDS;
        t.characteristic = ID_QC_NONE;
        PqdifSeriesDefnDesc v;
        v.storage = ID_SERIES_METHOD_VALUES | ID_SERIES_METHOD_SCALED;
        ch.series = {t, v, v, v};
        ch.series[1].valueType = ID_SERIES_VALUE_TYPE_MIN;
        ch.series[2].valueType = ID_SERIES_VALUE_TYPE_MAX;
        ch.series[3].valueType = ID_SERIES_VALUE_TYPE_AVG;
        defns.push_back(ch);
    }
    w.addRecord(*pqdifDataSourceRecord("Bench", defns));
    std::vector<double> times(kValues);
    for (int j = 0; j < kValues; ++j)
        times[j] = j * 0.2;
    for (int o = 0; o < observations; ++o) {
        std::vector<PqdifChannelInstDesc> insts;
        for (int c = 0; c < kChannels; ++c) {
            PqdifChannelInstDesc inst;
            inst.defnIdx = static_cast<uint32_t>(c);
            inst.series.push_back(PqdifSeriesInstDesc::real8(times));
            for (int s = 1; s < kSeriesPerChannel; ++s) {
                std::vector<double> v(kValues);
                // A little noise keeps compression from being trivial.
                for (int j = 0; j < kValues; ++j)
                    v[j] = 230.0 + 5.0 * std::sin(0.01 * (o * kValues + j) + c) + s + ((j * 7919 + o) % 100) * 0.001;
                inst.series.push_back(PqdifSeriesInstDesc::real8(v).scaled(1.0, 0.0));
            }
            insts.push_back(std::move(inst));
        }
        w.addRecord(*pqdifObservationRecord("Obs " + std::to_string(o), pqdifTime(2024, 1, 1, o * 50.0), insts));
    }
    return w.save(path);
}

} // namespace pqdifbench
