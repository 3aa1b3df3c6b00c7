#include "tables/ZelCEventTableModel.h"

#include "common/Trace.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

ZelCEventTableModel::ZelCEventTableModel(QSqlDatabase db, int sourceType, QObject *parent)
    : EventRowsTableModel({tr("Date"), tr("Entry")}, parent)
{
    TRACE_FUNC() << sourceType;

    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("SELECT DISTINCT dateTime, name FROM Events ASC"))) {
        while (q.next())
            // The event log is shown in the user's local time.
            appendRow({QDateTime::fromMSecsSinceEpoch(q.value(0).toLongLong(), Qt::LocalTime).toString(Qt::TextDate),
                       q.value(1)});
    } else {
        TRACE() << "Events query failed:" << q.lastError().text();
    }
}

ZelCEventTableModel::~ZelCEventTableModel()
{
    TRACE() << "ZelCEventTableModel destroy";
}
