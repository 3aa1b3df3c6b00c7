#pragma once
#include "charts/AbstractChartModel.h"
#include "charts/RecorderWideTable.h"

// The chart of a recorder's own wide table (an opened archive's Data, or a
// CSV file imported into DataMoxB or DataMoxA): every column after id, date
// and time is a parameter, named by the column and given the display unit of
// its channel from the settings database. A section is a run of rows by
// position in id order, so the chart page's sections (counted on the rows of
// the table) reach every row once.
class RecorderArchiveChartModel : public AbstractChartModel
{
    Q_OBJECT
public:
    RecorderArchiveChartModel(QSqlDatabase db, const QString &table, QObject *parent);

    const QString &tableName() const { return m_table; }

public slots:
    bool loadNamesDB() override;
    bool getDataExportRowCnt() override;
    void loadDataWorker(uint rowIndex, uint rowLen, ProgressDialog *dialog) override;
    void makeOneParamStringQueryDB_Limit(QString &query, QMap<int, QString>::const_iterator parameter) override;

protected:
    // Further debug lines of a column and its unit (the CSV model writes some).
    virtual void traceColumn(const QString &name, const QString &unit) const;

private:
    // Time of the row with the smallest (largest) id, into *msecs; unchanged
    // when there is no such row or its time is unreadable.
    void readEdgeTime(QSqlQuery &query, const QString &aggregate, qint64 *msecs);

    QString m_table;
};
