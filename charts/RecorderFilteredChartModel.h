#pragma once
#include "charts/AbstractChartModel.h"

// The chart of a filtered application database over a recorder family's
// wide table (DataMoxB or DataMoxA): the filter's parameters, each a column
// named by its full name "parameter (instrument)", within the filter's
// period. The base reads the names and loads the series; this class gives
// the SQL of a wide table with text date and time columns.
//
// A section is a run of rows by position: the rows of the period in which a
// chosen parameter has a value, in time order (ties by row), rowIndex of them
// skipped and rowLen taken. The page counts its sections on those rows, so
// each row is drawn in exactly one section.
class RecorderFilteredChartModel : public AbstractChartModel
{
    Q_OBJECT
public:
    RecorderFilteredChartModel(QSqlDatabase db, FiltersCfg cfg, const QString &table, QObject *parent);

    // Parameter id -> "name (instrument)" for every parameter with an
    // instrument; empty when the lookup fails.
    QMap<int, QString> getFullParamNames();
    // Milliseconds since 1970 (UTC) of a row's date and time.
    QString getTimeExprStr() const;

    const QString &tableName() const { return m_table; }

public slots:
    bool getDataExportRowCnt() override;
    void makeOneParamStringQueryDB_Limit(QString &query, QMap<int, QString>::const_iterator parameter) override;
    void makeStringQueryDB_maxTime(QString &query, uint rowIndex, uint rowLen) override;
    void makeStringQueryDB_minTime(QString &query, uint rowIndex, uint rowLen) override;

private:
    struct RowKey
    {
        qint64 time = 0;
        qint64 row = 0;
    };
    // The first and last row of a section, found when its time is asked for.
    struct Window
    {
        bool known = false;
        uint rowIndex = 0;
        uint rowLen = 0;
        bool empty = true;
        RowKey first;
        RowKey last;
    };

    // Full names of the model's parameters that have one, in id order.
    QStringList chosenColumns(const QMap<int, QString> &fullNames) const;
    // The rows a section is counted on: readable time, within the period,
    // a value in one of the columns.
    QString sectionRowsCondition(const QStringList &columns) const;
    // " AND T BETWEEN S AND E" when the filter gives a period.
    QString periodCondition() const;
    void findWindow(uint rowIndex, uint rowLen);

    QString m_table;
    Window m_window;
};
