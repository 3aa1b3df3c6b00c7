#include "tables/moxbeventcsv.h"

#include "common/Trace.h"

#include <QSqlError>
#include <QSqlQuery>

moxbeventcsv::moxbeventcsv(QSqlDatabase db, int kind, QObject *parent)
    : EventRowsTableModel({tr("date"), tr("time"), tr("event")}, parent)
{
    TRACE_FUNC() << kind;

    QSqlQuery q(db);
    q.setForwardOnly(true);
    // Without an order the rows come in the order the reader wrote them.
    if (q.exec(QStringLiteral("SELECT date, time, event FROM Events"))) {
        while (q.next())
            appendRow({q.value(0), q.value(1), q.value(2)});
    } else {
        TRACE() << "Events query failed:" << q.lastError().text();
    }
}

moxbeventcsv::~moxbeventcsv()
{
    TRACE() << "moxbeventcsv destroyed";
}
