#pragma once
// The report model of a session: the parameters the report page offers, the
// selection, grouping, aggregation and interval of the next report, and the
// report rows built from the statement RaportGenerator writes.
#include "app/AvailableDevices.h"
#include "database/FiltersCfg.h"
#include "tables/MyAbstractSqlModel.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class QSqlQuery;

class AbstractReportModel : public MyAbstractSqlModel
{
    Q_OBJECT
public:
    using ReportRow = QVector<QString>;

    // The parent is always null: Framework owns the model.
    AbstractReportModel(QSqlDatabase db, QObject *parent = nullptr);
    AbstractReportModel(QSqlDatabase db, avaibleDevices_t deviceType, QObject *parent = nullptr);
    AbstractReportModel(QSqlDatabase db, FiltersCfg filtersCfg, avaibleDevices_t deviceType,
                        QObject *parent = nullptr);
    ~AbstractReportModel() override;

    // Toolkit operations: the report rows, not the inner query model.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    // The table-model reload has nothing to do here: a report runs only on request.
    void updateQuery() override;

    virtual void init();
    virtual void initCommon();
    virtual void clearSelectedParams();
    virtual void appendReportParam(int paramListIdx);
    virtual void setParamFullName(int index, const QString &name);
    virtual QStringList getParametersFullName() const;
    virtual void prepareCombinedParamsList();
    virtual void updateQuery(int type);
    virtual void setGroupingType(int grouping);
    virtual void setAggregationType(int aggregation);
    virtual void setIntervalMinutes(int minutes);
    virtual QString getDeviceName() const;
    virtual QString getReportStartTime() const;
    virtual QString getReportEndTime() const;
    virtual void loadReportData(int kind);
    virtual void buildReportRows();
    virtual void buildMoxBReportRows();
    virtual void buildMoxAReportRows();
    virtual QList<int> getSelectedParamsId() const;

    // Virtual, so the page reaches a recorder model's own version without
    // asking for its class.
    virtual void setReportOptions(bool everyNMinutes, bool hourly, bool daily, bool weekly, int minutes);
    QString parseDateTime(const QString &text) const;
    static QColor blendColor(const QColor &a, const QColor &b, double f);
    void buildColorTable(int brightness);
    // The theme's palette at its brightness (buildColorTable), each colour
    // that would not stand out 3 : 1 from both kinds of table row taken to
    // the nearest brightness at which it does.
    void applyThemePalette();
    // Whether the palette was made for the theme applied now (lightness,
    // brightness and table rows).
    bool paletteIsCurrent() const;
    // The same palette against other backgrounds (paper): each colour of the
    // theme at its brightness, moved to the nearest brightness at which it
    // stands out 3 : 1 from every one of them.
    QStringList paletteOn(const QList<QColor> &backgrounds) const;
    // A column's colour against those backgrounds; invalid for a column
    // drawn in the plain text colour.
    QColor columnColorOn(int column, const QList<QColor> &backgrounds) const;
    static constexpr double MinimumContrast = 3.0;
    void prepareQueryFilters(const QString &deviceName, int type);

    // Read back (the page, the PDF writer and tests).
    avaibleDevices_t getDeviceType() const { return deviceType; }
    QStringList getSelectedParamsNames() const { return selectedParamsNames; }
    QStringList getPalette() const { return stringList; }
    QStringList getHeaders() const { return columnTitles; }
    const QVector<ReportRow> &getReportRows() const { return reportRows; }
    int getGroupingType() const { return grouping; }
    int getAggregationType() const { return aggregation; }
    int getIntervalMinutes() const { return intervalMinutes; }

    static const QStringList lightPalette;
    static const QStringList darkPalette;

protected:
    // The statement of the last run; the row builders read it once, forward.
    QSqlQuery *reportQuery = nullptr;

    // Drops the previous report and its statement before a run; returns the
    // name of the database's first instrument, which picks the flag rule.
    QString clearForRun();

    avaibleDevices_t deviceType = DEVICE_UNDEFINED;
    FiltersCfg filtersCfg;
    QString dateTimeFormat;
    QString timeFormat;
    QStringList parametersFullName;
    // The id behind each entry of parametersFullName, so an id whose name
    // cannot be found never shifts the names against the ids.
    QList<int> parametersFullNameIds;
    // Filtered recorder sessions: each parameter id's wide-table column,
    // "name (instrument)", which the report selects by its exact name.
    QHash<int, QString> recorderColumns;
    QStringList selectedParamsNames;
    QList<int> selectedParamsId;
    QVector<ReportRow> reportRows;
    ReportRow currentRow;
    qint16 aggregation = 0;
    qint16 grouping = 0;
    qint16 intervalMinutes = 30;
    QStringList columnTitles;
    bool optEveryNMinutes = false;
    bool optHourly = false;
    bool optDaily = false;
    bool optWeekly = false;
    int optMinutes = 0;

    // A report time of the result as the rows show it (parseDateTime here).
    virtual QString reportTimeText(const QString &text) const { return parseDateTime(text); }
    // Rows of a wide recorder result; incrementHeader names the value
    // columns of an increment report "<name> INC" instead of the name alone.
    void buildWideReportRows(const char *logTag, bool incrementHeader = false);

private:
    void construct(avaibleDevices_t type);
    // The palette entry of a report column, -1 for none.
    int paletteEntry(int column) const;
    // What applyThemePalette took from the theme.
    bool paletteLight = true;
    int paletteBrightness = 50;
    QList<QColor> paletteRows;
    // The instrument name of each parameter id (those without one left out).
    QHash<int, QString> deviceNamesOf(const QList<int> &ids);
    // Interval length of the wide increment rows, in minutes.
    int wideIncrementMinutes() const;
    QString renderTime(const QString &text, QString *lastRaw, QString *lastRendered) const;
};
