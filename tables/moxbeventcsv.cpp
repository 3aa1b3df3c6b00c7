#include "tables/moxbeventcsv.h"

#include "common/Trace.h"

#include <QSqlError>
#include <QSqlQuery>

moxbeventcsv::moxbeventcsv(QSqlDatabase db, int kind, QObject *parent)
    : MyAbstractTableModel(parent)
{
    TRACE_FUNC() << kind;
    m_headers << tr("date") << tr("time") << tr("event");
    m_columnCount = m_headers.size();

    QSqlQuery q(db);
    q.setForwardOnly(true);
    // Without an order the rows come in the order the reader wrote them.
    if (q.exec(QStringLiteral("SELECT date, time, event FROM Events"))) {
        while (q.next())
            m_events.append({q.value(0), q.value(1), q.value(2)});
    } else {
        TRACE() << "Events query failed:" << q.lastError().text();
    }
    m_rowCount = m_events.size();
}

moxbeventcsv::~moxbeventcsv()
{
    TRACE() << "moxbeventcsv destroyed";
}

int moxbeventcsv::rowCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return m_rowCount;
}

int moxbeventcsv::columnCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return m_columnCount;
}

QVariant moxbeventcsv::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.column() < 0 || index.row() >= m_rowCount
        || role != Qt::DisplayRole)
        return QVariant();
    const Event &e = m_events.at(index.row());
    switch (index.column()) {
    case 0:
        return e.date;
    case 1:
        return e.time;
    case 2:
        return e.event;
    default:
        return QVariant();
    }
}

QVariant moxbeventcsv::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_headers.size() ? QVariant(m_headers.at(section)) : QVariant();
    return QStringLiteral("%1").arg(section + 1);
}

QStringList moxbeventcsv::getColumnNames() const
{
    return m_headers;
}
