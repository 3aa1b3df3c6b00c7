#pragma once
// The contract between the chart page and a session's data: which parameters
// can be drawn (ids, names, units, devices), how many distinct times there
// are to page through, and one section of (time, value) series at a time,
// loaded on the global thread pool behind a progress window that stays until
// the caller has drawn it.
#include "chartlib/ChartTypes.h"
#include "database/FiltersCfg.h"

#include <QList>
#include <QMap>
#include "common/Connections.h"

#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QString>
#include <QStringList>
#include <QVector>

class MyAbstractTableModel;
class ProgressDialog;

class AbstractChartModel : public QSqlQueryModel
{
    Q_OBJECT
public:
    // The value stored for a point that has a time but no valid value.
    static constexpr double NoValue = chartlib::Chart::NoValue;
    // Chart time (seconds since 0001-01-01) of milliseconds since 1970 UTC.
    static double toChartTime(qint64 msecs) { return chartlib::Chart::chartTime(msecs); }
    // The section length the chart page pages with.
    static constexpr uint SectionRows = 50000;

    AbstractChartModel(QSqlDatabase db, QObject *parent);
    AbstractChartModel(QSqlDatabase db, FiltersCfg cfg, QObject *parent);
    ~AbstractChartModel() override;

    // The table model whose isFlagValid decides which points are drawn; by
    // default the session's. Read on the GUI thread when a load starts.
    void setFlagModel(const MyAbstractTableModel *model) { m_flagModel = model; m_flagModelSet = true; }
    // How the session's table model is found; the application installs it
    // (none: no flag model).
    using SessionFlagModel = const MyAbstractTableModel *(*)();
    static void setSessionFlagModel(SessionFlagModel lookup);

public slots:
    virtual bool loadData(uint rowIndex, uint rowLen);
    virtual bool loadNamesDB();
    virtual bool getDataExportRowCnt();
    virtual void loadDataWorker(uint rowIndex, uint rowLen, ProgressDialog *dialog);
    virtual void makeOneParamStringQueryDB_Limit(QString &query, QMap<int, QString>::const_iterator parameter);
    virtual void makeStringQueryDB_maxTime(QString &query, uint rowIndex, uint rowLen);
    virtual void makeStringQueryDB_minTime(QString &query, uint rowIndex, uint rowLen);

    void cancelGetData();

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);

public:
    // Pivot texts over Data (one row per time); nothing calls them.
    void makeStringQueryDB(QString &query);
    void makeStringQueryDB_Limit(QString &query, uint rowIndex, uint rowLen);

    QMap<int, QString> paramNamesMap;
    uint loadedRecordsCnt = 0;
    QList<QVector<double> *> timeSeries;
    QList<QVector<double> *> valueSeries;
    QStringList paramNamesList;
    QStringList paramUnitsList;
    QList<bool> paramVisibilityList;
    QStringList deviceNamesList;
    QList<int> paramRowCntList;
    uint totalRowCnt = 0;
    // What the chart page pages through: the distinct times of all the
    // model's parameters together (never less than any one parameter's count).
    uint maxParamRowCnt = 0;
    uint sectionStartRow = 0;
    qint64 sectionFirstTime = 0;
    qint64 sectionLastTime = 0;
    FiltersCfg filtersCfg;
    int paramCnt = 0;
    bool abortFlag = false;

protected:
    // The calling thread's own connection to the model's database (the
    // section load runs on a pool thread, names and counts on the GUI
    // thread). Never kept past the call.
    QSqlDatabase connection() const;
    // " AND dateTime >= S AND dateTime <= E" when the filter gives a period.
    QString rangeCondition() const;
    // Deletes the series and makes paramCnt empty vectors in each list.
    void resetSeries();

private:
    // The section's window over the distinct times: SELECT DISTINCT dateTime
    // ... ORDER BY dateTime LIMIT rowLen, started from a known time where
    // an earlier section ended (so a late section costs what an early one
    // does), otherwise from rowIndex by offset.
    QString sectionTimesQuery(uint rowIndex, uint rowLen) const;

    const MyAbstractTableModel *m_flagModel = nullptr;
    bool m_flagModelSet = false;
    // The model's registration, held for as long as the model lives.
    Connections::Binding m_binding;
    // Set by the base's series query, whose repeated rows are dropped while
    // reading; a subclass's query is read as it is.
    bool m_seriesDistinctHere = false;
    // Keyset of the sections read: row index of a section -> the last time
    // before it (the section starts at the first distinct time after it).
    QMap<uint, qint64> m_sectionAfter;
};
