#pragma once
// Report models of the recorder files: an opened MoxB archive (its table
// Data), a MoxB measurement CSV (DataMoxB) and a MoxA CSV (DataMoxA). One
// family: the parameters are the data table's columns as the family's chart
// model names them, offered with their units; the report is the wide
// recorder statement over the selected columns.
#include "reports/AbstractReportModel.h"

#include <QMap>

class AbstractChartModel;
class MyAbstractTableModel;

class RecorderReportModel : public AbstractReportModel
{
    Q_OBJECT
public:
    ~RecorderReportModel() override;

    void initCommon() override;
    void appendReportParam(int index) override;
    void setParamFullName(int index, const QString &name) override;
    void prepareCombinedParamsList() override;
    void updateQuery(int type) override;
    void loadReportData(int kind) override;
    void buildReportRows() override;

    // The data table's column behind a display name; empty when unknown.
    QString columnOf(const QString &displayName) const { return m_columnOf.value(displayName); }
    // A report time "yyyy-MM-dd HH:mm:ss" written again as it reads: the
    // recorder's clock is kept, no zone applies. Empty when unreadable.
    QString convertDate(const QString &text) const;

    // What a member of the family changes.
    struct Kind
    {
        const char *tag;      // log prefix of the report operations
        const char *source;   // "DB" or "CSV", for the log
        const char *family;   // "MoxB" or "MoxA", for the statement's log line
        int nameAttempts;     // tries of the chart model's name load
        bool incrementHeader; // "<name> INC" headers of an increment report
    };

protected:

    RecorderReportModel(QSqlDatabase db, const FiltersCfg &filters, avaibleDevices_t deviceType, const Kind &kind,
                        QObject *parent);

    // A short-lived chart model over db whose names and units are offered.
    virtual AbstractChartModel *newNamesModel(QSqlDatabase db) const = 0;
    // The statement of kind 0 over the member's table; the builder's state is set.
    virtual QString reportStatement() const = 0;

    // The auxiliary table model each constructor makes (nothing reads it).
    MyAbstractTableModel *auxiliaryModel = nullptr;

private:
    void prepareQueryFilters(const QString &deviceName, int type);
    QString reportTimeText(const QString &text) const override { return convertDate(text); }

    const Kind &m_kind;
    QMap<QString, QString> m_columnOf;
    QStringList m_columnNames;
    QStringList m_units;
};

// An opened MoxB SQLite archive, its table Data (device type 17).
class moxbreportmodel : public RecorderReportModel
{
    Q_OBJECT
public:
    explicit moxbreportmodel(QSqlDatabase db, QObject *parent = nullptr);
    moxbreportmodel(QSqlDatabase db, avaibleDevices_t deviceType, QObject *parent = nullptr);
    moxbreportmodel(QSqlDatabase db, FiltersCfg filters, avaibleDevices_t deviceType, QObject *parent = nullptr);
    ~moxbreportmodel() override;

protected:
    AbstractChartModel *newNamesModel(QSqlDatabase db) const override;
    QString reportStatement() const override;

private:
    void construct();
};

// A MoxB measurement CSV read into DataMoxB (device type 17).
class moxbcsvreport : public RecorderReportModel
{
    Q_OBJECT
public:
    explicit moxbcsvreport(QSqlDatabase db, QObject *parent = nullptr);
    moxbcsvreport(QSqlDatabase db, avaibleDevices_t deviceType, QObject *parent = nullptr);
    moxbcsvreport(QSqlDatabase db, FiltersCfg filters, avaibleDevices_t deviceType, QObject *parent = nullptr);
    ~moxbcsvreport() override;

protected:
    AbstractChartModel *newNamesModel(QSqlDatabase db) const override;
    QString reportStatement() const override;

private:
    void construct();
};

// MoxA CSV read into DataMoxA (device type 20).
class MoxAreport : public RecorderReportModel
{
    Q_OBJECT
public:
    explicit MoxAreport(QSqlDatabase db, QObject *parent = nullptr);
    MoxAreport(QSqlDatabase db, avaibleDevices_t deviceType, QObject *parent = nullptr);
    MoxAreport(QSqlDatabase db, FiltersCfg filters, avaibleDevices_t deviceType, QObject *parent = nullptr);
    ~MoxAreport() override;

protected:
    AbstractChartModel *newNamesModel(QSqlDatabase db) const override;
    QString reportStatement() const override;

private:
    void construct();
};
