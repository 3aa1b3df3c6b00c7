#include "tables/ZelCEventTableModel.h"

#include "common/Trace.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

ZelCEventTableModel::ZelCEventTableModel(QSqlDatabase db, int sourceType, QObject *parent)
    : MyAbstractTableModel(parent)
{
    TRACE_FUNC() << sourceType;
    m_headers << tr("Date") << tr("Entry");
    m_columnCount = m_headers.size();

    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("SELECT DISTINCT dateTime, name FROM Events ASC"))) {
        while (q.next())
            m_events.append({q.value(0).toLongLong(), q.value(1)});
    } else {
        TRACE() << "Events query failed:" << q.lastError().text();
    }
    m_rowCount = m_events.size();
}

ZelCEventTableModel::~ZelCEventTableModel()
{
    TRACE() << "ZelCEventTableModel destroy";
}

int ZelCEventTableModel::rowCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return m_rowCount;
}

int ZelCEventTableModel::columnCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return m_columnCount;
}

QVariant ZelCEventTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.column() < 0 || index.row() >= m_rowCount
        || role != Qt::DisplayRole)
        return QVariant();
    const Event &e = m_events.at(index.row());
    switch (index.column()) {
    case 0:
        // The event log is shown in the user's local time.
        return QDateTime::fromMSecsSinceEpoch(e.dateTime, Qt::LocalTime).toString(Qt::TextDate);
    case 1:
        return e.name;
    default:
        return QVariant();
    }
}

QVariant ZelCEventTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_headers.size() ? QVariant(m_headers.at(section)) : QVariant();
    return QStringLiteral("%1").arg(section + 1);
}

QStringList ZelCEventTableModel::getColumnNames() const
{
    return m_headers;
}
