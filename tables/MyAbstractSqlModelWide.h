#pragma once
// The base of the table models over a recorder's wide table (one row per time
// point, id, date, time, then one text column per quantity). One template for
// both recorder families: Table names the family's wide table
// (`static QString table()`) and says whether the family's alarm and audit
// archives are served by the same models (`static constexpr bool logTables`).
#include "database/FiltersCfg.h"
#include "tables/MyAbstractTableModel.h"

#include "common/Connections.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVector>

class QSqlQuery;
class QSqlQueryModel;

template <class Table>
class MyAbstractSqlModelWide : public MyAbstractTableModel
{
public:
    // A table slice: column names and rows of texts in column order.
    struct ParamInfo
    {
        QStringList columnNames;
        QVector<QVector<QString>> rows;
    };

    // Rows read by a reload before the view asks for more.
    static constexpr int FirstFetchRows = 1000;

    MyAbstractSqlModelWide(QSqlDatabase db, QObject *parent = nullptr);
    MyAbstractSqlModelWide(QSqlDatabase db, FiltersCfg filters, QObject *parent = nullptr);
    ~MyAbstractSqlModelWide() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void fetchMore(const QModelIndex &parent) override;
    bool canFetchMore(const QModelIndex &parent) const override;

    QStringList getColumnNames() const override;
    void setGroupByDate(bool group) override;
    void setLoadAllData(bool all) override;
    bool isFlagValid(int flag) const override;
    void updateQuery() override;

    // The CSV export's rows straight from the model's statement, read once
    // forward: a recorder table is never loaded whole for it.
    bool beginRowExport() override;
    int rowExportCount() override;
    bool readRowExport(ExportSection &section, int maxRows) override;
    void endRowExport() override;

    virtual int getDataExportRowCnt();
    virtual bool execDataExportQuery(uint offset, uint limit);
    virtual bool getNextExportRecord(ParamInfo &rec);

    // Milliseconds since 1970 (UTC) of a row's date and time texts; digits
    // after the point of "HH:mm:ss.zzz" are milliseconds.
    static QString timeExpression();

    QList<int> getParamIds() const { return paramIds; }
    QStringList getParamNames() const { return paramNames; }
    bool isGroupedByDate() const { return groupByDate; }
    bool isLoadingAllData() const { return loadAllData; }

protected:
    // Whether grouped rows show a channel's cells by the channel's flag
    // column. A recorder's log has no channels and shows its cells as stored.
    virtual bool hasFlagColumns() const { return true; }

public:
    // For each column, the column of its channel's flag ("<channel> - flag",
    // with the same instrument mark as the column), or -1: the date, the
    // time, a flag column itself and a column of no channel with a flag
    // column (every MoxA column) show what they hold.
    static QVector<int> channelFlagColumns(const QStringList &headers);

protected:

    // The calling thread's connection to the model's database: a connection
    // serves only the thread that opened it, and the model is built on a
    // worker but read on the GUI thread. Never kept past the call.
    QSqlDatabase currentConnection() const;
    // The connection as the registry hands it out, without the look at its
    // file: what a copy of the model is built on.
    QSqlDatabase boundConnection() const { return m_binding.database(); }

    // Sets a SELECT on queryModel; the result's headers are `headers` (the
    // SQLite driver drops '"' from result column names). Values are bound.
    bool setModelQuery(const QString &text, const QVariantList &values, const QStringList &headers);
    // Fetches every row (load-all) or up to FirstFetchRows.
    void fetchFirstRows();
    // Names of a table's columns in order, empty when it cannot be read.
    QStringList tableColumns(const QString &table);
    // Opens an export page of "SELECT * FROM <table> ..."; the statement's
    // %1 and %2 take offset and limit.
    bool openExportPage(const QString &table, const QString &text, uint offset, uint limit);

    // The flat listing of a table by id (ascending or descending): counts
    // its rows into totalRowCount (-1 when the count fails), sets the query
    // and reads the first rows. False when the query fails (model empty).
    bool listById(const QString &table, bool descending, int *totalRowCount);
    // Export pages of the same listing.
    int countRows(const QString &table);
    bool openIdOrderedPage(const QString &table, bool descending, uint offset, uint limit);

    // The query of the family's application-database model: id, date, time,
    // then every measured column (fileSession) or the filter's parameters by
    // their full names "name (instrument)", limited to the filter's period;
    // by id, or grouped by date and time newest first.
    void selectParameterColumns(bool fileSession);
    // The file model's listing: every column by id, a column titled "record"
    // (any case, blanks around) hidden.
    void listFileRows(bool descending, int *totalRowCount);

    bool event(QEvent *e) override;

    QSqlQueryModel *queryModel = nullptr;
    QList<int> paramIds;
    QStringList paramNames;
    QStringList colNamesNotGroup;
    QStringList colNamesGroup;
    bool loadAllData = false;
    FiltersCfg filters;
    QSqlQuery *exportQuery = nullptr;
    // The column names of the result set, as the table has them.
    QStringList resultHeaders;
    // channelFlagColumns of resultHeaders.
    QVector<int> m_flagColumns;

private:
    void constInit();
    void getParameterInfo();
    void dropExportQuery();
    QVariant cellForDisplay(const QModelIndex &index, int role) const;
    // What a cell shows (display or foreground role) under the grouping's
    // flag rule, given what its channel's flag column holds; invalid: the
    // cell's own value.
    QVariant flaggedCell(const QVariant &flagCell, int role) const;
    QStringList parameterColumns(bool fileSession);
    void reportQueryError(const QString &error);

    // The model's registration, held for as long as the model lives: it is
    // built on a worker and read on the GUI thread.
    Connections::Binding m_binding;
    QStringList m_exportHeaders;
    // The statement behind queryModel, for the row stream.
    QString m_queryText;
    QVariantList m_queryValues;
    QSqlQuery *m_rowStream = nullptr;
    // The failure last told to the user, so a reload does not tell it again.
    QString m_reportedError;
};
