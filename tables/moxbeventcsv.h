#pragma once
#include "tables/MyAbstractTableModel.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVector>

// The MoxB recorder's audit and alarm logs read from their CSV form: the
// date, time and event texts of Events, read once at construction and served
// from memory, so the view never reaches the reader's connection from another
// thread.
class moxbeventcsv : public MyAbstractTableModel
{
    Q_OBJECT
public:
    // kind (audit or alarm log) is accepted for the worker's sake; both logs
    // are shown alike.
    moxbeventcsv(QSqlDatabase db, int kind, QObject *parent = nullptr);
    ~moxbeventcsv() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QStringList getColumnNames() const override;

private:
    struct Event
    {
        QVariant date;
        QVariant time;
        QVariant event;
    };

    QStringList m_headers;
    QVector<Event> m_events;
    int m_rowCount = 0;
    int m_columnCount = 0;
};
