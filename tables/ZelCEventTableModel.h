#pragma once
#include "tables/MyAbstractTableModel.h"

#include <QVector>

// The event logs of the ZelC, ZelD and ZelDX analysers (audit, dip and swell,
// alarm), as their readers wrote them into Events: date and text, read once.
class ZelCEventTableModel : public MyAbstractTableModel
{
    Q_OBJECT
public:
    // sourceType (audit, dip and swell or alarm file) is accepted for the
    // worker's sake; every row of Events is read whatever it is.
    ZelCEventTableModel(QSqlDatabase db, int sourceType, QObject *parent = nullptr);
    ~ZelCEventTableModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QStringList getColumnNames() const override;

private:
    struct Event
    {
        qint64 dateTime = 0; // ms since 1970-01-01 UTC
        QVariant name;
    };

    QStringList m_headers;
    // Copied out of the result: the model is built on a worker's connection
    // and read on the GUI thread, where that connection must not be used.
    QVector<Event> m_events;
    int m_rowCount = 0;
    int m_columnCount = 0;
};
