#pragma once
#include "tables/EventRowsTableModel.h"

#include <QSqlDatabase>

// The event logs of the ZelC, ZelD and ZelDX analysers (audit, dip and swell,
// alarm), as their readers wrote them into Events: date and text, read once.
class ZelCEventTableModel : public EventRowsTableModel
{
    Q_OBJECT
public:
    // sourceType (audit, dip and swell or alarm file) is accepted for the
    // worker's sake; every row of Events is read whatever it is.
    ZelCEventTableModel(QSqlDatabase db, int sourceType, QObject *parent = nullptr);
    ~ZelCEventTableModel() override;
};
