#pragma once
#include "tables/MyAbstractSqlModel.h"

// Table of the ZelC, ZelD and ZelDX analyser archives, read through their
// DataConnected view: flat, or pivoted by parameter name; the analysers' own
// flag rules and a millisecond time format.
class ZelCTableModel : public MyAbstractSqlModel
{
    Q_OBJECT
public:
    // Flags the analysers write.
    static constexpr int FlagInvalid = 1;
    static constexpr int FlagNotReady = 128;
    static constexpr int FlagInvalidOther = 256;

    explicit ZelCTableModel(QSqlDatabase db, QObject *parent = nullptr);
    ~ZelCTableModel() override;

    MyAbstractTableModel *clone() const override;
    bool isFlagValid(int flag) const override;
    QString getFlagText(int flag) const override;
    QString getDateTimeFormat() const override;
    void updateQuery() override;

    bool flagNotReady(int flag) const;

protected:
    qint64 groupedRowCount() override;
};
