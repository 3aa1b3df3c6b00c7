#pragma once
#include <QList>
#include <QMetaType>
#include <QtGlobal>

// A filter selection of the application database, handed by value to every
// filtered model: the period and the chosen parameters.
struct FiltersCfg
{
    // Period in milliseconds since 1970-01-01 UTC; 0 means not given.
    qint64 startDateTime = 0;
    qint64 endDateTime = 0;
    // Parameters.id values in the order the filter page collected them.
    QList<int> selectedParamId;

    // The models apply the period only when both ends are given.
    bool hasPeriod() const { return startDateTime != 0 && endDateTime != 0; }
    bool hasParameters() const { return !selectedParamId.isEmpty(); }

    bool operator==(const FiltersCfg &o) const
    {
        return startDateTime == o.startDateTime && endDateTime == o.endDateTime
               && selectedParamId == o.selectedParamId;
    }
    bool operator!=(const FiltersCfg &o) const { return !(*this == o); }
};

Q_DECLARE_METATYPE(FiltersCfg)
