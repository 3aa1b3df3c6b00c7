#pragma once
#include "tables/EventRowsTableModel.h"

#include <QSqlDatabase>

// The MoxB recorder's audit and alarm logs read from their CSV form: the
// date, time and event texts of Events.
class moxbeventcsv : public EventRowsTableModel
{
    Q_OBJECT
public:
    // kind (audit or alarm log) is accepted for the worker's sake; both logs
    // are shown alike.
    moxbeventcsv(QSqlDatabase db, int kind, QObject *parent = nullptr);
    ~moxbeventcsv() override;
};
