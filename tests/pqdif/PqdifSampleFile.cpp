#include "pqdif/PqdifSampleFile.h"

#include "pqdif/PqdifWriter.h"

namespace pqdiffixture {

bool writeSamples(const QString &path, const std::string &source, const PqdifTimeStamp &start,
                  const std::vector<double> &seconds, const std::vector<double> &values)
{
    PqdifSeriesDefnDesc time;
    time.valueType = pqdif::ID_SERIES_VALUE_TYPE_TIME;
    time.units = pqdif::ID_QU_SECONDS;
    time.characteristic = pqdif::ID_QC_NONE;
    PqdifChannelDefnDesc channel;
    channel.name = "U1";
    channel.series = {time, PqdifSeriesDefnDesc()};
    PqdifChannelInstDesc samples;
    samples.series = {PqdifSeriesInstDesc::real8(seconds), PqdifSeriesInstDesc::real8(values)};

    PqdifWriter writer;
    writer.addContainer();
    writer.addRecord(*pqdifDataSourceRecord(source, {channel}));
    writer.addRecord(*pqdifObservationRecord("Recording", start, {samples}, 1));
    return writer.save(path);
}

} // namespace pqdiffixture
