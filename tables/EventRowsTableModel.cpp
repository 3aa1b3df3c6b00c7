#include "tables/EventRowsTableModel.h"

EventRowsTableModel::EventRowsTableModel(const QStringList &headers, QObject *parent)
    : MyAbstractTableModel(parent)
    , m_headers(headers)
{
}

int EventRowsTableModel::rowCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return m_rows.size();
}

int EventRowsTableModel::columnCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return m_headers.size();
}

QVariant EventRowsTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || index.row() < 0 || index.row() >= m_rows.size()
        || index.column() < 0 || index.column() >= m_rows.at(index.row()).size())
        return QVariant();
    return m_rows.at(index.row()).at(index.column());
}

QVariant EventRowsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_headers.size() ? QVariant(m_headers.at(section)) : QVariant();
    return QStringLiteral("%1").arg(section + 1);
}

QStringList EventRowsTableModel::getColumnNames() const
{
    return m_headers;
}
