// libFuzzer target for the PQDIF record and element parser, followed by the
// logical layer over whatever the parser accepts.
#include "pqdif/PqdifFile.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CPQDIF_PC_FlatFile pc;
    if (!pc.ReadHeadersFromMemory(data, size))
        return 0;
    const CPQDIFRecord *ds = nullptr;
    const CPQDIFRecord *ms = nullptr;
    for (long i = 0; i < pc.GetCountRecords(); ++i) {
        const CPQDIFRecord *r = pc.GetRecord(i);
        if (r->GetTag() == pqdif::tagRecDataSource) {
            ds = r;
            ms = nullptr;
            PqdifGuid a, b, c;
            std::string s[6];
            const auto *d = static_cast<const CPQDIF_R_DataSource *>(r);
            d->GetInfo(a, b, c, s[0], s[1], s[2], s[3], s[4], s[5]);
            for (long k = 0; k < d->GetCountChannelDefns(); ++k) {
                uint32_t u = 0, st = 0;
                PqdifGuid vt, qc;
                for (long j = 0; j < d->GetCountSeriesDefns(k); ++j)
                    d->GetSeriesDefnInfo(k, j, u, vt, qc, st);
            }
        } else if (r->GetTag() == pqdif::tagRecMonitorSettings) {
            ms = r;
        } else if (r->GetTag() == pqdif::tagRecObservation && ds) {
            std::unique_ptr<CPQDIF_R_Observation> obs(theFactory.NewObservationWrapper2(r, ds, ms));
            if (!obs)
                continue;
            if (const CPQDIF_Element *e = obs->GetObservationExtendedData(pqdif::tagObservationSerial)) {
                PqdifValue v;
                if (const CPQDIF_E_Scalar *s = e->AsScalar())
                    s->GetValue(v);
            }
            for (long c = 0; c < obs->GetCountChannels(); ++c) {
                std::string name;
                uint32_t phase = 0, measured = 0, units = 0;
                PqdifGuid qt, vt, qc;
                long defn = -1;
                obs->GetChannelInfo(c, name, phase, qt, measured);
                obs->GetChannelDefnIdx(c, defn);
                for (long s = 0; s < obs->GetCountSeries(c); ++s) {
                    obs->GetSeriesInfo(c, s, units, vt, qc);
                    double scale = 0, offset = 0, d = 0;
                    obs->GetSeriesScale(c, s, scale, offset);
                    if (const CPQDIF_E_Vector *v = obs->GetSeriesValues(c, s)) {
                        PqdifValue pv;
                        for (long j = 0; j < v->GetCount(); ++j) {
                            v->GetValueAsReal(j, d);
                            v->GetValue(j, pv);
                        }
                        v->GetString();
                    }
                    for (const bool relative : {false, true}) {
                        std::unique_ptr<CPQDIF_E_Vector> ts(obs->NewResolvedSeriesTimeStamp(c, s, relative));
                        PqdifTimeStamp t;
                        for (long j = 0; ts && j < ts->GetCount(); ++j)
                            if (ts->GetValueTimeStamp(j, t))
                                pqdif::timeStampToMSecs(t);
                    }
                }
            }
        }
    }
    return 0;
}
