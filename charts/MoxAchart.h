#pragma once
// Chart model of a MoxA recorder CSV read into the wide table DataMoxA of a
// temporary database: one text column per channel, each row with its own
// date and time. Units come from the recorder's settings database
// ("Data_con_1") when one is loaded.
#include "charts/AbstractChartModel.h"

#include <QMap>

class MoxAchart : public AbstractChartModel
{
    Q_OBJECT
public:
    MoxAchart(QSqlDatabase db, QObject *parent);
    ~MoxAchart() override;

public slots:
    bool loadNamesDB() override;
    bool getDataExportRowCnt() override;
    void loadDataWorker(uint rowIndex, uint rowLen, ProgressDialog *dialog) override;
    void makeOneParamStringQueryDB_Limit(QString &query, QMap<int, QString>::const_iterator parameter) override;

private:
    // Row index of a section -> id of the last row before it, so a later
    // section starts from that id instead of skipping every row before it.
    QMap<uint, qint64> m_sectionAfter;
};
