#pragma once
#include "tables/MyAbstractTableModel.h"

#include <QStringList>
#include <QVariant>
#include <QVector>

// An event log read once into memory: the models are built on a worker's
// connection and read on the GUI thread, where that connection must not be
// used, so the rows are copied out of the result.
class EventRowsTableModel : public MyAbstractTableModel
{
    Q_OBJECT
public:
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QStringList getColumnNames() const override;

protected:
    EventRowsTableModel(const QStringList &headers, QObject *parent);
    // One shown row, a value per header.
    void appendRow(const QVector<QVariant> &row) { m_rows.append(row); }

private:
    QStringList m_headers;
    QVector<QVector<QVariant>> m_rows;
};
