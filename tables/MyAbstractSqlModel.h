#pragma once
#include "database/FiltersCfg.h"
#include "tables/MyAbstractTableModel.h"

#include "common/Connections.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QVariantList>

class QSqlQuery;
class QSqlQueryModel;
class SqliteStatement;

// Base of the table models over the narrow measurement table (Data with
// Parameters and Devices): parameter list and headers, flag symbols, capped
// lazy fetching and the paged export the import reads.
class MyAbstractSqlModel : public MyAbstractTableModel
{
    Q_OBJECT
public:
    // One measurement as the export pages deliver it.
    struct ExportRecord
    {
        int idParameters = 0;
        qint64 dateTime = 0; // ms since 1970-01-01 UTC
        double value = 0.0;
        int flag = 0;
    };

    struct ParameterEntry
    {
        int id = 0;
        int reserved = 0; // always 0
        QString name;
        QString unit;
    };

    // Neither scrolling nor load-all fetches past this many rows.
    static constexpr int MaxFetchedRows = 1300000;

    explicit MyAbstractSqlModel(QSqlDatabase db, QObject *parent = nullptr);
    MyAbstractSqlModel(QSqlDatabase db, FiltersCfg filters, QObject *parent = nullptr);
    ~MyAbstractSqlModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    QStringList getColumnNames() const override;
    void setGroupByDate(bool group) override;
    void setLoadAllData(bool all) override;
    bool isFlagValid(int flag) const override;
    void updateQuery() override;

    // The table's rows straight from its statement, past the fetch cap.
    bool beginRowExport() override;
    int rowExportCount() override;
    bool readRowExport(ExportSection &section, int maxRows) override;
    void endRowExport() override;

    virtual int getDataExportRowCnt();
    virtual bool execDataExportQuery(uint offset, uint limit);
    virtual bool getNextExportRecord(ExportRecord &record);
    // Why the export stopped early (empty when it ran to its end).
    QString exportError() const { return m_exportError; }
    virtual void getParameterInfo();

    QList<ParameterEntry> getParametersList() const;
    bool isFlagNotReady(int flag) const { return flag == 1; }
    // Rows of a load-all still being fetched after a change of grouping.
    bool isFillingInBackground() const { return m_backgroundFill; }

    // The fetch cap of this model (MaxFetchedRows unless lowered).
    int fetchLimit() const { return m_fetchLimit; }
    void setFetchLimit(int rows) { m_fetchLimit = rows > 0 ? rows : MaxFetchedRows; }

protected:
    void constInit();
    // Empties the inner model inside a reset; a large result is freed later.
    void releaseRows();

    // The calling thread's connection to the model's database: a connection
    // serves only the thread that opened it, and the model is built on a
    // worker but read on the GUI thread. Never kept past the call.
    QSqlDatabase currentConnection() const;
    // The connection as the registry hands it out, without the look at its
    // file: what a copy of the model is built on, so that it reads the same
    // registration.
    QSqlDatabase boundConnection() const;

    // Runs a SELECT into queryModel with bound values; a rejected statement
    // is reported on the console (icon 3) and leaves the model empty.
    bool setModelQuery(const QString &text, const QVariantList &values);
    // Load-all: fetches until the end of the result or the fetch cap. After a
    // change of grouping only the first rows come at once and the rest follow
    // in short slices between events, so the window stays responsive.
    void fetchAllRows();
    // Reports a database error once: the same error again stays silent.
    void reportSqlError(const QSqlError &error, int icon);

    bool event(QEvent *e) override;

    // Rows of the table grouped by date (one per time stamp); -1 when not
    // known. Asked once the flat table reaches the fetch cap, so the notice
    // can tell whether grouping would show every row.
    virtual qint64 groupedRowCount();

    QSqlQueryModel *queryModel = nullptr;
    QList<int> paramIds;
    QStringList paramNames;
    QStringList paramUnits;
    QStringList paramDeviceNames;
    QStringList paramHeaders;
    QStringList flatColumnNames;
    QStringList groupColumnNames;
    bool pivot = false;
    bool loadAll = false;
    FiltersCfg filters;
    // The import reads up to millions of records through it: SQLite's own
    // statement, without a QVariant per field.
    SqliteStatement *exportQuery = nullptr;
    QSqlQuery *rowExportQuery = nullptr;

    // Schema facts read once at construction.
    bool hasDeviceLink = true;   // Parameters.idDevices and Devices exist
    int totalParameterCount = 0; // rows of Parameters

private:
    void attachQueryModel();
    void rebindToCurrentThread();
    bool hasTableStatement() const;
    // The display text of a cell from its stored value and the stored value
    // of the cell to its right (a grouped value's flag); null next when none.
    QVariant shownValue(int column, const QVariant &stored, const QVariant &next) const;
    void fetchSlice(quint64 generation);
    void endBackgroundFill();
    // Tells the user once per view (flat, grouped) that the cap hides rows.
    void noteFetchCap();
    void dropExportQuery();

    // The model's registration, held for as long as the model lives: it is
    // built on a worker and read on the GUI thread and on pool threads.
    Connections::Binding m_binding;
    QString m_lastReportedError;
    QString m_lastQueryText; // the statement behind queryModel, for a thread move
    QVariantList m_lastQueryValues;
    int m_rowsBeforeMove = 0;
    int m_fetchLimit = MaxFetchedRows;
    quint64 m_queryGeneration = 0; // counts the statements run into queryModel
    bool m_deferLoadAll = false;   // inside a change of grouping
    bool m_backgroundFill = false; // slices pending, busy cursor shown
    bool m_capNotedFlat = false;    // the cap notice of the flat view was given
    bool m_capNotedGrouped = false; // and of the grouped view

    // Export paging keeps its cursor between sequential pages.
    quint64 m_exportPosition = 0; // records delivered by the cursor so far
    quint64 m_exportBudget = 0;   // records left in the current page
    qint64 m_dupParam = -1;       // current (parameter, time) group
    qint64 m_dupTime = 0;
    struct SeenValue
    {
        bool null;
        double value;
        int flag;
    };
    QVector<SeenValue> m_dupSeen; // (value, flag) already delivered in it
    bool m_exportPending = false; // a row stepped to and not delivered yet
    QString m_exportError;
    bool nextDistinctExportRow(ExportRecord &record);
    // Moves to the next row; false at the end or on a failure (m_exportError).
    bool stepExport();
};

using ExportRecord = MyAbstractSqlModel::ExportRecord;
