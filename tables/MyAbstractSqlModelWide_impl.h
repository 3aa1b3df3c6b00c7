#pragma once
// Definitions of MyAbstractSqlModelWide; included only where a family's
// instance is made (explicit instantiation).
#include "tables/MyAbstractSqlModelWide.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QColor>
#include <QElapsedTimer>
#include <QEvent>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

template <class Table>
MyAbstractSqlModelWide<Table>::MyAbstractSqlModelWide(QSqlDatabase database, QObject *parent)
    : MyAbstractTableModel(parent)
    , m_binding(database)
{
    TRACE_FUNC();
    constInit();
}

template <class Table>
MyAbstractSqlModelWide<Table>::MyAbstractSqlModelWide(QSqlDatabase database, FiltersCfg filterCfg, QObject *parent)
    : MyAbstractTableModel(parent)
    , filters(std::move(filterCfg))
    , m_binding(database)
{
    TRACE_FUNC();
    constInit();
}

template <class Table>
MyAbstractSqlModelWide<Table>::~MyAbstractSqlModelWide()
{
    dropExportQuery();
    endRowExport();
}

template <class Table>
QString MyAbstractSqlModelWide<Table>::timeExpression()
{
    return QStringLiteral("CAST(CAST(strftime('%s', date || ' ' || substr(time, 1, 8)) AS INTEGER) * 1000 + "
                          "CAST(substr(time, 10, 3) AS INTEGER) AS INTEGER)");
}

template <class Table>
void MyAbstractSqlModelWide<Table>::constInit()
{
    queryModel = new QSqlQueryModel(this); // a child, so it moves threads with the model
    // Rows the inner model fetches reach the views as insertions; inside a
    // reset the reset itself tells them.
    QObject::connect(queryModel, &QAbstractItemModel::rowsAboutToBeInserted, this,
                     [this](const QModelIndex &parent, int first, int last) {
                         if (!parent.isValid() && !isResetting())
                             beginInsertRows(QModelIndex(), first, last);
                     });
    QObject::connect(queryModel, &QAbstractItemModel::rowsInserted, this,
                     [this](const QModelIndex &parent, int, int) {
                         if (!parent.isValid() && !isResetting())
                             endInsertRows();
                     });

    const QString name = m_binding.name();
    exportQuery = nullptr;
    groupByDate = false;
    loadAllData = false;
    TRACE() << "dbConnection " << name;

    getParameterInfo();

    if (colNamesNotGroup.isEmpty()) {
        colNamesNotGroup = tableColumns(Table::table());
        for (const QString &c : qAsConst(colNamesNotGroup))
            TRACE() << "colNamesNotGroup" << Table::table() << c;
        TRACE() << "j: " << colNamesNotGroup.size() << "countofcolumns: " << colNamesNotGroup.size();
    }
}

template <class Table>
QSqlDatabase MyAbstractSqlModelWide<Table>::currentConnection() const
{
    return readConnection(m_binding);
}

template <class Table>
QStringList MyAbstractSqlModelWide<Table>::tableColumns(const QString &table)
{
    QStringList names;
    const QSqlDatabase db = currentConnection();
    if (!db.isOpen())
        return names;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(sql::quoteIdentifier(table)))) {
        TRACE() << "Error executing PRAGMA query for" << table << ": " << q.lastError().text();
        return names;
    }
    while (q.next())
        names << q.value(1).toString();
    return names;
}

template <class Table>
void MyAbstractSqlModelWide<Table>::getParameterInfo()
{
    QSqlDatabase conn = currentConnection();
    if (!conn.isOpen())
        return;
    const QStringList tables = conn.tables(QSql::Tables);
    if (Table::logTables) {
        for (const char *log : {"AlarmLog", "AuditLog"}) {
            const QString name = QLatin1String(log);
            if (!tables.contains(name))
                continue;
            const QStringList headers = tableColumns(name);
            if (!setModelQuery(QStringLiteral("SELECT * FROM %1").arg(name), {}, headers))
                TRACE() << QStringLiteral("Error fetching %1 data: ").arg(name) << queryModel->lastError().text();
            while (queryModel->canFetchMore())
                queryModel->fetchMore();
            return;
        }
    }

    if (tables.contains(Table::table())) {
        const QStringList columns = tableColumns(Table::table());
        if (columns.isEmpty())
            return;
        TRACE() << "Extracting columns from" << Table::table() << "...";
        for (int i = 0; i < columns.size(); ++i) {
            paramIds << i + 1;
            paramNames << columns.at(i);
        }
        TRACE() << Table::table() << "Parameters Loaded Successfully.";
        return;
    }

    if (filters.hasParameters()) {
        // Ids are 1-based column ordinals; an id outside the columns names
        // nothing and is skipped.
        const QStringList columns = tableColumns(Table::table());
        TRACE() << "Fetched columns: " << columns.size();
        QStringList chosen;
        for (int id : qAsConst(filters.selectedParamId)) {
            if (id >= 1 && id <= columns.size())
                chosen << columns.at(id - 1);
            else
                TRACE() << "Skipping parameter id outside the columns:" << id;
        }
        if (chosen.isEmpty())
            return;
        const QString text = QStringLiteral("SELECT %1 FROM %2").arg(sql::quoteIdentifiers(chosen), Table::table());
        TRACE() << "Executing query for" << Table::table() << ": " << text;
        if (!setModelQuery(text, {}, chosen))
            TRACE() << "Error executing query for" << Table::table() << ": " << queryModel->lastError().text();
        while (queryModel->canFetchMore())
            queryModel->fetchMore();
        return;
    }

    // An opened archive: its Data table.
    const QStringList columns = tableColumns(QStringLiteral("Data"));
    if (columns.isEmpty()) {
        TRACE() << "Error executing PRAGMA query for external DB: no columns";
        return;
    }
    paramIds.clear();
    paramNames.clear();
    for (int i = 0; i < columns.size(); ++i) {
        colNamesNotGroup << columns.at(i);
        paramNames << columns.at(i);
        paramIds << i + 1;
        TRACE() << "Fetched paramIds:" << i + 1 << " paramNames:" << columns.at(i);
    }
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::setModelQuery(const QString &text, const QVariantList &values,
                                                  const QStringList &headers)
{
    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    bool ok = db.isOpen() && q.prepare(text);
    for (const QVariant &v : values)
        q.addBindValue(v);
    ok = ok && q.exec();
    if (!ok) {
        TRACE() << "SQL Error:" << q.lastError().text();
        // A file that is gone is the session's to tell, once.
        if (!databaseGone())
            reportQueryError(db.isOpen() ? q.lastError().databaseText() : db.lastError().text());
        queryModel->clear();
        resultHeaders.clear();
        m_flagColumns.clear();
        m_queryText.clear();
        m_queryValues.clear();
        return false;
    }
    m_reportedError.clear();
    queryModel->setQuery(std::move(q));
    resultHeaders = headers;
    m_flagColumns = channelFlagColumns(headers);
    m_queryText = text;
    m_queryValues = values;
    return !queryModel->lastError().isValid();
}

template <class Table>
void MyAbstractSqlModelWide<Table>::reportQueryError(const QString &error)
{
    // A column or table that is not there (renamed or dropped outside the
    // program) must not pass for an empty result.
    if (error == m_reportedError)
        return;
    m_reportedError = error;
    const QString text = MyAbstractTableModel::tr("The data cannot be read: %1").arg(error);
    reportConsole(text, 3);
    reportDialog(text, QString(), 3);
}

template <class Table>
void MyAbstractSqlModelWide<Table>::fetchFirstRows()
{
    while (queryModel->canFetchMore() && (loadAllData || queryModel->rowCount() < FirstFetchRows)) {
        const int before = queryModel->rowCount();
        queryModel->fetchMore();
        if (queryModel->rowCount() == before)
            break;
    }
}

template <class Table>
int MyAbstractSqlModelWide<Table>::rowCount(const QModelIndex &parent) const
{
    return queryModel->rowCount(parent);
}

template <class Table>
int MyAbstractSqlModelWide<Table>::columnCount(const QModelIndex &parent) const
{
    return queryModel->columnCount(parent);
}

template <class Table>
QVariant MyAbstractSqlModelWide<Table>::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::EditRole) && section >= 0
        && section < resultHeaders.size() && resultHeaders.size() == queryModel->columnCount())
        return resultHeaders.at(section);
    return queryModel->headerData(section, orientation, role);
}

template <class Table>
QVariant MyAbstractSqlModelWide<Table>::cellForDisplay(const QModelIndex &index, int role) const
{
    return queryModel->data(queryModel->index(index.row(), index.column()), role);
}

template <class Table>
QVariant MyAbstractSqlModelWide<Table>::data(const QModelIndex &index, int role) const
{
    const QVariant v = cellForDisplay(index, role);
    if (!groupByDate || !hasFlagColumns() || (role != Qt::DisplayRole && role != Qt::ForegroundRole))
        return v;
    const int flagColumn = m_flagColumns.value(index.column(), -1);
    if (flagColumn < 0)
        return v;
    const QVariant shown =
        flaggedCell(cellForDisplay(index.sibling(index.row(), flagColumn), Qt::DisplayRole), role);
    return shown.isValid() ? shown : v;
}

template <class Table>
QVariant MyAbstractSqlModelWide<Table>::flaggedCell(const QVariant &flagCell, int role) const
{
    // A flag that is no number (a blank where the channel has no sample)
    // reads 0.
    bool ok = false;
    const int read = flagCell.toString().trimmed().toInt(&ok);
    const int flag = ok ? read : 0;
    if (role == Qt::DisplayRole)
        return isFlagValid(flag) ? QVariant() : QVariant(QStringLiteral("---"));
    return flag == 1 ? QVariant(QColor(160, 160, 160)) : QVariant();
}

template <class Table>
QVector<int> MyAbstractSqlModelWide<Table>::channelFlagColumns(const QStringList &headers)
{
    // A recorder channel's columns: "<channel> - <quantity>", in the
    // application database followed by " (<instrument>)". The longer word
    // first: "valueRaw" also starts with "value".
    static const QStringList quantities{QStringLiteral("valueRaw"), QStringLiteral("value"), QStringLiteral("avg"),
                                        QStringLiteral("min"), QStringLiteral("max"), QStringLiteral("flag")};
    static const QString dash = QStringLiteral(" - ");
    QHash<QString, int> columnOf;
    for (int i = headers.size() - 1; i >= 0; --i)
        columnOf.insert(headers.at(i), i);
    QVector<int> flagColumns(headers.size(), -1);
    for (int i = 0; i < headers.size(); ++i) {
        const QString &name = headers.at(i);
        bool matched = false;
        // Any " - " may be the channel's: the instrument's name may hold one
        // too. Only a flag column that is there makes the match.
        for (int p = name.indexOf(dash); p >= 0 && !matched; p = name.indexOf(dash, p + 1)) {
            const int at = p + dash.size();
            for (const QString &quantity : quantities) {
                if (!name.midRef(at).startsWith(quantity))
                    continue;
                const QString rest = name.mid(at + quantity.size());
                if (!rest.isEmpty() && !(rest.startsWith(QLatin1String(" (")) && rest.endsWith(QLatin1Char(')'))))
                    continue;
                if (quantity == quantities.last()) {
                    matched = true; // the flag column itself shows its code
                    break;
                }
                const auto flag = columnOf.constFind(name.left(p) + dash + quantities.last() + rest);
                if (flag != columnOf.constEnd()) {
                    flagColumns[i] = flag.value();
                    matched = true;
                    break;
                }
            }
        }
    }
    return flagColumns;
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::beginRowExport()
{
    endRowExport();
    const QSqlDatabase db = currentConnection();
    if (!db.isOpen()) {
        if (!databaseGone())
            reportConsole(db.lastError().text(), 3);
        return false;
    }
    m_rowStream = new QSqlQuery(db);
    m_rowStream->setForwardOnly(true);
    if (m_queryText.isEmpty())
        return true; // no statement behind the table: nothing to read
    bool ok = m_rowStream->prepare(m_queryText);
    for (const QVariant &v : qAsConst(m_queryValues))
        m_rowStream->addBindValue(v);
    ok = ok && m_rowStream->exec();
    if (!ok) {
        reportConsole(m_rowStream->lastError().text(), 3);
        endRowExport();
        return false;
    }
    return true;
}

template <class Table>
int MyAbstractSqlModelWide<Table>::rowExportCount()
{
    // Counting would cost a pass over the whole result of its own.
    return m_queryText.isEmpty() ? 0 : -1;
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::readRowExport(ExportSection &section, int maxRows)
{
    section.clear();
    if (!m_rowStream)
        return false;
    if (!m_rowStream->isActive())
        return true;
    const int columns = m_rowStream->record().count();
    section.columns = columns;
    const bool flagColumns = hasFlagColumns();
    while (section.rows < maxRows && m_rowStream->next()) {
        const int first = section.stored.size();
        for (int c = 0; c < columns; ++c)
            section.stored.append(m_rowStream->value(c));
        for (int c = 0; c < columns; ++c) {
            const QVariant &own = section.stored.at(first + c);
            const int flagColumn = groupByDate && flagColumns ? m_flagColumns.value(c, -1) : -1;
            QVariant shown;
            if (flagColumn >= 0 && flagColumn < columns)
                shown = flaggedCell(section.stored.at(first + flagColumn), Qt::DisplayRole);
            section.shown.append(shown.isValid() ? shown : own);
        }
        ++section.rows;
    }
    if (m_rowStream->lastError().isValid()) {
        reportConsole(m_rowStream->lastError().text(), 3);
        return false;
    }
    return true;
}

template <class Table>
void MyAbstractSqlModelWide<Table>::endRowExport()
{
    delete m_rowStream;
    m_rowStream = nullptr;
}

template <class Table>
void MyAbstractSqlModelWide<Table>::fetchMore(const QModelIndex &parent)
{
    if (loadAllData || parent.isValid())
        return;
    // The statement reads on through its connection even after the file
    // went: the next rows come only while the file is there.
    if (m_binding.isRegistered() && !currentConnection().isOpen())
        return;
    // The inner model's insertions reach the views through the forwarding
    // set up in constInit.
    queryModel->fetchMore();
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::canFetchMore(const QModelIndex &parent) const
{
    if (loadAllData || parent.isValid())
        return false;
    return queryModel->canFetchMore();
}

template <class Table>
QStringList MyAbstractSqlModelWide<Table>::getColumnNames() const
{
    return groupByDate ? colNamesGroup : colNamesNotGroup;
}

template <class Table>
void MyAbstractSqlModelWide<Table>::setGroupByDate(bool group)
{
    groupByDate = group;
    // The window runs on a pool thread; the reload itself on this model's
    // thread, where the views read it.
    reloadBehindProgress(tr("Loading Data"));
}

template <class Table>
void MyAbstractSqlModelWide<Table>::setLoadAllData(bool all)
{
    loadAllData = all;
    reload();
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::isFlagValid(int flag) const
{
    return flag != 2;
}

template <class Table>
void MyAbstractSqlModelWide<Table>::updateQuery()
{
}

template <class Table>
int MyAbstractSqlModelWide<Table>::getDataExportRowCnt()
{
    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    if (db.isOpen() && q.exec(QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT id FROM Data) ")) && q.next())
        return q.value(0).toInt();
    return 0;
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::openExportPage(const QString &table, const QString &text, uint offset,
                                                   uint limit)
{
    dropExportQuery();
    const QSqlDatabase db = currentConnection();
    if (!db.isOpen())
        return false;
    exportQuery = new QSqlQuery(db);
    exportQuery->setForwardOnly(true);
    const bool ok = exportQuery->exec(text.arg(offset).arg(limit));
    if (!ok) {
        TRACE() << "Export Query Execution Failed: " << exportQuery->lastError().text();
        return false;
    }
    // Names as the table has them (result names lose their '"').
    m_exportHeaders.clear();
    const QSqlRecord record = exportQuery->record();
    const QStringList columns = tableColumns(table);
    if (columns.size() == record.count())
        m_exportHeaders = columns;
    return true;
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::execDataExportQuery(uint offset, uint limit)
{
    return openExportPage(QStringLiteral("Data"), QStringLiteral("SELECT * FROM Data LIMIT %1, %2"), offset, limit);
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::getNextExportRecord(ParamInfo &rec)
{
    if (!exportQuery || !exportQuery->isActive() || !exportQuery->next())
        return false;
    const QSqlRecord record = exportQuery->record();
    rec.columnNames.clear();
    rec.rows.clear();
    QVector<QString> row;
    row.reserve(record.count());
    for (int i = 0; i < record.count(); ++i) {
        rec.columnNames << (i < m_exportHeaders.size() ? m_exportHeaders.at(i) : record.fieldName(i));
        row.append(record.value(i).toString());
    }
    rec.rows.append(row);
    return true;
}

template <class Table>
void MyAbstractSqlModelWide<Table>::dropExportQuery()
{
    delete exportQuery;
    exportQuery = nullptr;
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::listById(const QString &table, bool descending, int *totalRowCount)
{
    const QString quoted = sql::quoteIdentifier(table);
    *totalRowCount = countRows(table);
    if (*totalRowCount < 0)
        TRACE() << "Error getting total row count for" << table;
    else
        TRACE() << "Total rows in" << table << ": " << *totalRowCount;

    const QString text = QStringLiteral("SELECT * FROM %1 ORDER BY id %2")
                             .arg(quoted, descending ? QStringLiteral("DESC") : QStringLiteral("ASC"));
    TRACE() << "Executing query:" << text;
    if (!setModelQuery(text, {}, tableColumns(table)))
        return false;
    fetchFirstRows();
    return true;
}

template <class Table>
int MyAbstractSqlModelWide<Table>::countRows(const QString &table)
{
    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    // id is the table's key: every row counts once.
    if (!db.isOpen() || !q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(sql::quoteIdentifier(table)))
        || !q.next()) {
        TRACE() << "Count query failed: " << q.lastError().text();
        return -1;
    }
    return q.value(0).toInt();
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::openIdOrderedPage(const QString &table, bool descending, uint offset, uint limit)
{
    return openExportPage(table,
                          QStringLiteral("SELECT * FROM %1 ORDER BY id %2 LIMIT %3, %4")
                              .arg(sql::quoteIdentifier(table),
                                   descending ? QStringLiteral("DESC") : QStringLiteral("ASC"),
                                   QStringLiteral("%1"), QStringLiteral("%2")),
                          offset, limit);
}

template <class Table>
QStringList MyAbstractSqlModelWide<Table>::parameterColumns(bool fileSession)
{
    // A file session shows every measured column. The model is told which
    // kind it serves by how it was built, since the session's type is
    // recorded only after its models exist.
    if (fileSession)
        return tableColumns(Table::table()).mid(3);

    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    QHash<int, QString> fullNames;
    if (!db.isOpen() || !q.exec(QStringLiteral("SELECT Parameters.id, Parameters.name, Devices.name FROM Parameters "
                               "JOIN Devices ON Parameters.idDevices = Devices.id"))) {
        TRACE() << "SQL Error: " << q.lastError().text();
        return {};
    }
    while (q.next())
        fullNames.insert(q.value(0).toInt(),
                         QStringLiteral("%1 (%2)").arg(q.value(1).toString(), q.value(2).toString()));
    QStringList names;
    for (int id : qAsConst(filters.selectedParamId)) {
        const auto it = fullNames.constFind(id);
        if (it == fullNames.constEnd()) {
            TRACE() << "Warning: Invalid paramId for full name lookup:" << id;
            continue;
        }
        names << it.value();
    }
    return names;
}

template <class Table>
void MyAbstractSqlModelWide<Table>::selectParameterColumns(bool fileSession)
{
    QElapsedTimer timer;
    timer.start();
    ResetScope reset(this);
    queryModel->clear();
    resultHeaders.clear();
    columnsVisibilityList.clear();
    colNamesGroup.clear();

    const QStringList parameters = parameterColumns(fileSession);
    if (parameters.isEmpty()) {
        TRACE() << "Warning: No valid parameters selected for query. Aborting.";
        return;
    }
    const QStringList columns = QStringList{QStringLiteral("id"), QStringLiteral("date"), QStringLiteral("time")}
                                + parameters;
    QString text = QStringLiteral("SELECT %1 FROM %2")
                       .arg(sql::quoteIdentifiers(columns), sql::quoteIdentifier(Table::table()));
    QVariantList values;
    if (filters.hasPeriod()) {
        text += QStringLiteral(" WHERE %1 BETWEEN ? AND ?").arg(timeExpression());
        values << filters.startDateTime << filters.endDateTime;
    }
    text += groupByDate ? QStringLiteral(" GROUP BY date, time ORDER BY date DESC, time DESC")
                        : QStringLiteral(" ORDER BY id ASC");
    TRACE() << "querystr: " << text;
    if (!setModelQuery(text, values, columns))
        return;
    fetchFirstRows();

    for (int i = 0; i < queryModel->columnCount(); ++i)
        columnsVisibilityList << true;
    TRACE() << "updateQuery() set columnsVisibilityList size:" << columnsVisibilityList.size()
            << "colCount:" << queryModel->columnCount();
    TRACE() << "Query execution time: " << timer.elapsed() << " ms";
}

template <class Table>
void MyAbstractSqlModelWide<Table>::listFileRows(bool descending, int *totalRowCount)
{
    QElapsedTimer timer;
    timer.start();
    ResetScope reset(this);
    queryModel->clear();
    resultHeaders.clear();
    columnsVisibilityList.clear();
    if (!listById(Table::table(), descending, totalRowCount))
        return;

    for (int i = 0; i < queryModel->columnCount(); ++i) {
        const QString header = headerData(i, Qt::Horizontal).toString().trimmed().toLower();
        columnsVisibilityList << (header != QLatin1String("record"));
    }
    TRACE() << "updateQuery() set columnsVisibilityList size:" << columnsVisibilityList.size()
            << "colCount:" << queryModel->columnCount();
    TRACE() << "Query fetched " << queryModel->rowCount() << " rows.";
    TRACE() << "Query execution time: " << timer.elapsed() << " ms";
}

template <class Table>
bool MyAbstractSqlModelWide<Table>::event(QEvent *e)
{
    if (e->type() == QEvent::ThreadChange && m_binding.isRegistered()) {
        // Still on the old thread: let go of its connection's statements here
        // and run the query again on the new thread's own connection there;
        // the posted call moves along with the model. The emptied inner model
        // must not keep the old connection's driver either (clear() would):
        // the old thread's connection ends with that thread.
        {
            ResetScope reset(this);
            queryModel->setQuery(QSqlQuery(QString(), QSqlDatabase()));
        }
        dropExportQuery();
        QMetaObject::invokeMethod(this, [this]() { reload(); }, Qt::QueuedConnection);
    }
    return MyAbstractTableModel::event(e);
}
