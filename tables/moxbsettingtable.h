#pragma once
#include "tables/MyAbstractSqlModelMoxB.h"

// A MoxB recorder database's Data table, flat; grouped by date it is a pivot
// of dataConnected with a value and a flag column per parameter name.
class moxbsettingtable : public MyAbstractSqlModelMoxB
{
    Q_OBJECT
public:
    explicit moxbsettingtable(QSqlDatabase db, QObject *parent = nullptr);
    ~moxbsettingtable() override;

    MyAbstractTableModel *clone() const override;
    bool isFlagValid(int flag) const override;
    QString getFlagText(int flag) const override;
    QString getDateTimeFormat() const override;
    void updateQuery() override;
    int getDataExportRowCnt() override;
    bool execDataExportQuery(uint offset, uint limit) override;
    bool getNextExportRecord(ParamInfo &rec) override;

    bool flagNotReady(int flag) const;
};
