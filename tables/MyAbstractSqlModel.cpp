#include "tables/MyAbstractSqlModel.h"

#include "common/Connections.h"
#include "common/Trace.h"
#include "common/SqlUtil.h"
#include "common/SqliteStatement.h"

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QTimer>
#include <QEvent>
#include <QFont>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace {


} // namespace

MyAbstractSqlModel::MyAbstractSqlModel(QSqlDatabase db, QObject *parent)
    : MyAbstractTableModel(parent)
    , m_binding(db)
{
    TRACE_FUNC();
    constInit();
}

MyAbstractSqlModel::MyAbstractSqlModel(QSqlDatabase db, FiltersCfg filters, QObject *parent)
    : MyAbstractTableModel(parent)
    , filters(std::move(filters))
    , m_binding(db)
{
    TRACE_FUNC();
    constInit();
}

MyAbstractSqlModel::~MyAbstractSqlModel()
{
    endRowExport();
    endBackgroundFill();
    dropExportQuery();
}

void MyAbstractSqlModel::attachQueryModel()
{
    queryModel = new QSqlQueryModel(this); // a child, so it moves threads with the model
    // Rows the inner model fetches reach the views as insertions; inside a
    // reset the reset itself tells them.
    connect(queryModel, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &parent, int first, int last) {
                if (!parent.isValid() && !isResetting())
                    beginInsertRows(QModelIndex(), first, last);
            });
    connect(queryModel, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &parent, int, int) {
        if (!parent.isValid() && !isResetting())
            endInsertRows();
    });
}

void MyAbstractSqlModel::releaseRows()
{
    // Freeing a million cached rows takes long: a large result goes with
    // its own inner model after the new first screen is up.
    if (queryModel->rowCount() < 100000 || !isResetting()) {
        queryModel->clear();
        return;
    }
    QSqlQueryModel *old = queryModel;
    old->disconnect(this);
    attachQueryModel();
    old->deleteLater();
}

void MyAbstractSqlModel::constInit()
{
    attachQueryModel();

    exportQuery = nullptr;
    pivot = false;
    loadAll = false;

    if (QSqlDatabase db = currentConnection(); db.isOpen()) {
        QSqlQuery q(db);
        bool parametersHaveDevice = false;
        if (q.exec(QStringLiteral("PRAGMA table_info(Parameters)"))) {
            while (q.next())
                if (q.value(1).toString() == QLatin1String("idDevices"))
                    parametersHaveDevice = true;
        }
        hasDeviceLink = parametersHaveDevice && db.tables().contains(QStringLiteral("Devices"));
        if (q.exec(QStringLiteral("SELECT COUNT(*) FROM Parameters")) && q.next())
            totalParameterCount = q.value(0).toInt();
    }

    getParameterInfo();

    flatColumnNames.insert(0, tr("Time"));
    flatColumnNames.insert(1, tr("Device name"));
    flatColumnNames.insert(2, tr("Name"));
    flatColumnNames.insert(3, tr("Value"));
    flatColumnNames.insert(4, tr("Unit"));
    flatColumnNames.insert(5, tr("Flag"));
}

QSqlDatabase MyAbstractSqlModel::currentConnection() const
{
    return readConnection(m_binding);
}

QSqlDatabase MyAbstractSqlModel::boundConnection() const
{
    return m_binding.database();
}

void MyAbstractSqlModel::getParameterInfo()
{
    QString text;
    QVariantList values;
    if (!filters.hasParameters()) {
        text = QStringLiteral("SELECT DISTINCT Parameters.id, Parameters.name, unit, '' AS EmptyDeviceName "
                              "FROM Parameters ORDER BY Parameters.id");
    } else {
        text = hasDeviceLink ? QStringLiteral("SELECT DISTINCT Parameters.id, Parameters.name, unit, Devices.name "
                                              "FROM Parameters JOIN Devices ON Parameters.idDevices = Devices.id")
                             : QStringLiteral("SELECT DISTINCT Parameters.id, Parameters.name, unit, '' "
                                              "FROM Parameters");
        text += QStringLiteral(" WHERE Parameters.id IN (%1) ORDER BY Parameters.id")
                    .arg(sql::placeholders(filters.selectedParamId.size()));
        for (int id : filters.selectedParamId)
            values << id;
    }

    QSqlDatabase conn = currentConnection();
    if (!conn.isOpen()) {
        if (!databaseGone())
            reportSqlError(conn.lastError(), 2);
        return;
    }
    // A recorder's own file or wide table has no parameter records: nothing
    // to list, and nothing the user needs to be warned of.
    if (!conn.tables().contains(QStringLiteral("Parameters")))
        return;
    QSqlQuery q(conn);
    q.setForwardOnly(true);
    bool ok = q.prepare(text);
    for (const QVariant &v : values)
        q.addBindValue(v);
    ok = ok && q.exec();
    if (!ok) {
        reportSqlError(q.lastError(), 2);
        return;
    }

    const bool filtered = filters.hasParameters();
    while (q.next()) {
        const int r = paramIds.size();
        paramIds.append(q.value(0).toInt());
        paramNames.append(q.value(1).toString());
        const QString unit = q.value(2).toString();
        paramUnits.append(unit);
        paramDeviceNames.append(q.value(3).toString());
        QString header = paramNames.at(r);
        if (!unit.isEmpty())
            header += QStringLiteral(" [") + unit + QLatin1Char(']');
        paramHeaders.append(header);

        if (!filtered)
            continue;
        // Parameters of the same name from different instruments get the
        // instrument's name on a second header line.
        for (int j = 0; j < r; ++j) {
            if (paramNames.at(j) != paramNames.at(r))
                continue;
            const QString &devJ = paramDeviceNames.at(j);
            const QString lineJ = QStringLiteral("\n(") + devJ + QLatin1Char(')');
            if (!devJ.isEmpty() && !paramHeaders.at(j).contains(lineJ))
                paramHeaders[j] += lineJ;
            if (!paramDeviceNames.at(r).isEmpty())
                paramHeaders[r] += QStringLiteral("\n(") + paramDeviceNames.at(r) + QLatin1Char(')');
            break;
        }
    }
}

QList<MyAbstractSqlModel::ParameterEntry> MyAbstractSqlModel::getParametersList() const
{
    QList<ParameterEntry> list;
    list.reserve(paramIds.size());
    for (int i = 0; i < paramIds.size(); ++i) {
        ParameterEntry e;
        e.id = paramIds.at(i);
        e.name = paramNames.value(i);
        e.unit = paramUnits.value(i);
        list.append(e);
    }
    return list;
}

int MyAbstractSqlModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : queryModel->rowCount();
}

int MyAbstractSqlModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : queryModel->columnCount();
}

QVariant MyAbstractSqlModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return queryModel->headerData(section, orientation, role);
}

QVariant MyAbstractSqlModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const QModelIndex inner = queryModel->index(index.row(), index.column());
    const QVariant v = queryModel->data(inner, role);

    if (!pivot) {
        if (index.column() != 5 || !showFlagSymbols)
            return v;
        switch (role) {
        case Qt::DisplayRole:
            return shownValue(5, v, QVariant());
        case Qt::FontRole:
            return QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Bold, false);
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::ForegroundRole: {
            const QString text = data(index, Qt::DisplayRole).toString();
            if (text == FlagValidSymbol)
                return QColor(0x4E, 0xA7, 0x4E);
            if (text == FlagNotReadySymbol)
                return v;
            return QColor(0xD4, 0x2A, 0x2A);
        }
        default:
            return v;
        }
    }

    if (index.column() == 0 || (role != Qt::DisplayRole && role != Qt::ForegroundRole))
        return v;
    // A value's flag sits in the hidden column to its right.
    QVariant next;
    if (index.column() + 1 < queryModel->columnCount())
        next = queryModel->data(queryModel->index(index.row(), index.column() + 1), Qt::DisplayRole);
    if (role == Qt::DisplayRole)
        return shownValue(index.column(), v, next);
    return next.toInt() == 1 ? QVariant(QColor(0xA0, 0xA0, 0xA0)) : v;
}

QVariant MyAbstractSqlModel::shownValue(int column, const QVariant &stored, const QVariant &next) const
{
    if (!pivot)
        return column == 5 && showFlagSymbols ? QVariant(getFlagText(stored.toInt())) : stored;
    if (column == 0)
        return stored;
    return isFlagValid(next.toInt()) ? stored : QVariant(QStringLiteral("---"));
}

bool MyAbstractSqlModel::beginRowExport()
{
    endRowExport();
    const QSqlDatabase db = currentConnection();
    if (!db.isOpen()) {
        if (!databaseGone())
            reportSqlError(db.lastError(), 3);
        return false;
    }
    rowExportQuery = new QSqlQuery(db);
    // Forward only: the rows pass through once and are never all held.
    rowExportQuery->setForwardOnly(true);
    if (!hasTableStatement())
        return true; // an empty table: nothing to read
    bool ok = rowExportQuery->prepare(m_lastQueryText);
    for (const QVariant &v : qAsConst(m_lastQueryValues))
        rowExportQuery->addBindValue(v);
    ok = ok && rowExportQuery->exec();
    if (!ok) {
        reportSqlError(rowExportQuery->lastError(), 3);
        endRowExport();
        return false;
    }
    return true;
}

int MyAbstractSqlModel::rowExportCount()
{
    // Counting would cost a pass over the whole result of its own.
    return hasTableStatement() ? -1 : 0;
}

bool MyAbstractSqlModel::hasTableStatement() const
{
    // A reload that leaves the table empty (grouping without parameters)
    // clears the inner model without running a statement of its own.
    return !m_lastQueryText.isEmpty() && !queryModel->query().lastQuery().isEmpty();
}

bool MyAbstractSqlModel::readRowExport(ExportSection &section, int maxRows)
{
    section.clear();
    if (!rowExportQuery)
        return false;
    if (!rowExportQuery->isActive())
        return true;
    const int columns = rowExportQuery->record().count();
    section.columns = columns;
    while (section.rows < maxRows && rowExportQuery->next()) {
        const int first = section.stored.size();
        for (int c = 0; c < columns; ++c)
            section.stored.append(rowExportQuery->value(c));
        for (int c = 0; c < columns; ++c)
            section.shown.append(shownValue(c, section.stored.at(first + c),
                                            c + 1 < columns ? section.stored.at(first + c + 1) : QVariant()));
        ++section.rows;
    }
    if (rowExportQuery->lastError().isValid()) {
        reportSqlError(rowExportQuery->lastError(), 3);
        return false;
    }
    return true;
}

void MyAbstractSqlModel::endRowExport()
{
    delete rowExportQuery;
    rowExportQuery = nullptr;
}

bool MyAbstractSqlModel::canFetchMore(const QModelIndex &parent) const
{
    // At the cap there is nothing more to fetch: a caller looping on this
    // must not spin forever.
    return !parent.isValid() && queryModel->rowCount() < m_fetchLimit && queryModel->canFetchMore();
}

void MyAbstractSqlModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || queryModel->rowCount() >= m_fetchLimit)
        return;
    // The statement reads on through its connection even after the file
    // went: the next rows come only while the file is there.
    if (m_binding.isRegistered() && !currentConnection().isOpen())
        return;
    queryModel->fetchMore();
    if (queryModel->rowCount() >= m_fetchLimit && queryModel->canFetchMore())
        noteFetchCap();
}

void MyAbstractSqlModel::fetchAllRows()
{
    if (m_deferLoadAll) {
        // The statement has brought the first screen; the rest follows from
        // the event loop.
        if (!queryModel->canFetchMore() || queryModel->rowCount() >= m_fetchLimit) {
            if (queryModel->canFetchMore())
                noteFetchCap();
            return;
        }
        if (!m_backgroundFill && qobject_cast<QApplication *>(QCoreApplication::instance()))
            QApplication::setOverrideCursor(Qt::BusyCursor);
        m_backgroundFill = true;
        const quint64 generation = m_queryGeneration;
        QTimer::singleShot(0, this, [this, generation]() { fetchSlice(generation); });
        return;
    }
    endBackgroundFill();
    while (queryModel->canFetchMore() && queryModel->rowCount() < m_fetchLimit) {
        const int before = queryModel->rowCount();
        queryModel->fetchMore();
        if (queryModel->rowCount() == before)
            break;
    }
    if (queryModel->canFetchMore())
        noteFetchCap();
}

void MyAbstractSqlModel::fetchSlice(quint64 generation)
{
    // Another statement replaced the one being filled: its own load decides.
    if (!m_backgroundFill || generation != m_queryGeneration)
        return;
    QElapsedTimer slice;
    slice.start();
    while (queryModel->canFetchMore() && queryModel->rowCount() < m_fetchLimit && slice.elapsed() < 15) {
        const int before = queryModel->rowCount();
        queryModel->fetchMore();
        if (queryModel->rowCount() == before)
            break;
    }
    if (queryModel->canFetchMore() && queryModel->rowCount() < m_fetchLimit) {
        QTimer::singleShot(0, this, [this, generation]() { fetchSlice(generation); });
        return;
    }
    endBackgroundFill();
    if (queryModel->canFetchMore())
        noteFetchCap();
}

void MyAbstractSqlModel::endBackgroundFill()
{
    if (!m_backgroundFill)
        return;
    m_backgroundFill = false;
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::restoreOverrideCursor();
}

void MyAbstractSqlModel::noteFetchCap()
{
    // Each view is told once, and only what holds for it: grouping by date
    // gathers the rows of one time stamp, but a long period has more time
    // stamps than the cap as well. The CSV export reads past the cap.
    bool &noted = pivot ? m_capNotedGrouped : m_capNotedFlat;
    if (noted || m_lastQueryText.isEmpty())
        return;
    noted = true;
    qint64 total = -1;
    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (db.isOpen() && q.prepare(QStringLiteral("SELECT COUNT(*) FROM (%1)").arg(m_lastQueryText))) {
        for (const QVariant &v : qAsConst(m_lastQueryValues))
            q.addBindValue(v);
        if (q.exec() && q.next())
            total = q.value(0).toLongLong();
    }
    const QString shown = QString::number(queryModel->rowCount());
    const QString all = QString::number(total);
    QString message;
    if (pivot) {
        message = total >= 0 ? tr("The table grouped by date shows the first %1 of %2 rows. The CSV export reaches "
                                  "all of them.")
                                   .arg(shown, all)
                             : tr("The table grouped by date shows the first %1 rows only. The CSV export reaches "
                                  "all of them.")
                                   .arg(shown);
    } else {
        const qint64 grouped = groupedRowCount();
        if (grouped >= 0 && grouped <= m_fetchLimit)
            message = total >= 0 ? tr("The table shows the first %1 of %2 rows. Grouping by date or the CSV export "
                                      "reaches all of them.")
                                       .arg(shown, all)
                                 : tr("The table shows the first %1 rows only. Grouping by date or the CSV export "
                                      "reaches all of them.")
                                       .arg(shown);
        else if (grouped > m_fetchLimit)
            message = total >= 0 ? tr("The table shows the first %1 of %2 rows. Grouped by date it has %3 rows, cut "
                                      "off at the same limit; the CSV export reaches all of them.")
                                       .arg(shown, all, QString::number(grouped))
                                 : tr("The table shows the first %1 rows only. Grouped by date it has %2 rows, cut "
                                      "off at the same limit; the CSV export reaches all of them.")
                                       .arg(shown, QString::number(grouped));
        else
            message = total >= 0
                          ? tr("The table shows the first %1 of %2 rows. The CSV export reaches all of them.")
                                .arg(shown, all)
                          : tr("The table shows the first %1 rows only. The CSV export reaches all of them.")
                                .arg(shown);
    }
    reportConsole(message, 2);
}

qint64 MyAbstractSqlModel::groupedRowCount()
{
    return -1;
}

QStringList MyAbstractSqlModel::getColumnNames() const
{
    return pivot ? groupColumnNames : flatColumnNames;
}

void MyAbstractSqlModel::setGroupByDate(bool group)
{
    pivot = group;
    groupByDate = group;
    // A load-all in force needs the first screen at once, not every row.
    m_deferLoadAll = true;
    reload();
    m_deferLoadAll = false;
}

void MyAbstractSqlModel::setLoadAllData(bool all)
{
    loadAll = all;
    reload();
}

bool MyAbstractSqlModel::isFlagValid(int flag) const
{
    return flag != 2;
}

void MyAbstractSqlModel::updateQuery() {}

bool MyAbstractSqlModel::setModelQuery(const QString &text, const QVariantList &values)
{
    endBackgroundFill();
    ResetScope reset(this);
    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    bool ok = db.isOpen() && q.prepare(text);
    for (const QVariant &v : values)
        q.addBindValue(v);
    ok = ok && q.exec();
    if (!ok) {
        TRACE() << "rejected table query:" << text;
        // A file that is gone is the session's to tell, once.
        if (!databaseGone())
            reportSqlError(db.isOpen() ? q.lastError() : db.lastError(), 3);
        queryModel->clear();
        ++m_queryGeneration;
        m_lastQueryText.clear();
        m_lastQueryValues.clear();
        return false;
    }
    m_lastReportedError.clear();
    ++m_queryGeneration;
    m_lastQueryText = text;
    m_lastQueryValues = values;
    queryModel->setQuery(q);
    return true;
}

void MyAbstractSqlModel::reportSqlError(const QSqlError &error, int icon)
{
    const QString key = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (key == m_lastReportedError)
        return;
    m_lastReportedError = key;
    reportConsole(error.text(), icon);
}

int MyAbstractSqlModel::getDataExportRowCnt()
{
    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    if (!db.isOpen() || !q.exec(QStringLiteral("SELECT COUNT(*) FROM Data")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

void MyAbstractSqlModel::dropExportQuery()
{
    delete exportQuery;
    exportQuery = nullptr;
    m_exportPending = false;
    m_exportError.clear();
    m_exportPosition = 0;
    m_exportBudget = 0;
    m_dupParam = -1;
    m_dupTime = 0;
    m_dupSeen.clear();
}

bool MyAbstractSqlModel::execDataExportQuery(uint offset, uint limit)
{
    // Sequential pages continue the open cursor: every record comes exactly
    // once and a long export stays linear. A cursor at its end stays there.
    if (exportQuery && m_exportError.isEmpty() && offset == m_exportPosition) {
        m_exportBudget = limit;
        return true;
    }
    dropExportQuery();
    exportQuery = new SqliteStatement;
    // A stable order; equal records sit next to each other in it, so the
    // duplicates a DISTINCT would drop are skipped while reading. Time first:
    // the import then appends to the target's time index instead of
    // rewriting its pages once per parameter.
    // The first row is read at once: a sort that cannot be done (no room
    // for it in the temporary folder) fails here, not as an early end.
    if (!exportQuery->prepare(currentConnection(), QStringLiteral("SELECT idParameters, dateTime, value, flag FROM "
                                                                  "Data ORDER BY dateTime, idParameters, id"))
        || !stepExport()) {
        const QString error = exportQuery->errorText();
        TRACE() << "Export Query Execution Failed: " << error;
        dropExportQuery();
        m_exportError = error;
        return false;
    }
    m_exportPending = exportQuery->isPrepared();
    ExportRecord skipped;
    while (m_exportPosition < offset && nextDistinctExportRow(skipped))
        ++m_exportPosition;
    if (!m_exportError.isEmpty())
        return false;
    m_exportBudget = limit;
    return true;
}

bool MyAbstractSqlModel::stepExport()
{
    if (m_exportPending) {
        m_exportPending = false;
        return true;
    }
    if (!exportQuery->isPrepared())
        return false;
    const SqliteStatement::Step step = exportQuery->step();
    if (step == SqliteStatement::Row)
        return true;
    // The end, or a read that failed: the statement goes now, before
    // anything closes its connection.
    if (step == SqliteStatement::Error) {
        m_exportError = exportQuery->errorText();
        TRACE() << "Export Query Execution Failed: " << m_exportError;
    }
    exportQuery->finalize();
    return step == SqliteStatement::Done;
}

bool MyAbstractSqlModel::nextDistinctExportRow(ExportRecord &record)
{
    while (stepExport() && exportQuery->isPrepared()) {
        const qint64 param = exportQuery->int64(0);
        const qint64 time = exportQuery->int64(1);
        const SeenValue value{exportQuery->isNull(2), exportQuery->real(2), int(exportQuery->int64(3))};
        if (param != m_dupParam || time != m_dupTime) {
            m_dupParam = param;
            m_dupTime = time;
            m_dupSeen.clear();
        } else {
            bool seen = false;
            for (const SeenValue &s : qAsConst(m_dupSeen)) {
                if (s.flag == value.flag && s.null == value.null && (s.null || s.value == value.value)) {
                    seen = true;
                    break;
                }
            }
            if (seen)
                continue;
        }
        m_dupSeen.append(value);
        record.idParameters = int(param);
        record.dateTime = time;
        record.value = value.null ? 0.0 : value.value;
        record.flag = value.flag;
        return true;
    }
    return false;
}

bool MyAbstractSqlModel::getNextExportRecord(ExportRecord &record)
{
    if (!exportQuery || m_exportBudget == 0)
        return false;
    ExportRecord next;
    if (!nextDistinctExportRow(next)) {
        m_exportBudget = 0;
        return false;
    }
    record = next;
    ++m_exportPosition;
    --m_exportBudget;
    return true;
}

bool MyAbstractSqlModel::event(QEvent *e)
{
    if (e->type() == QEvent::ThreadChange && m_binding.isRegistered()) {
        // Still on the old thread: release its connection's statements here
        // (headers stay), and run the statement again on the new thread's own
        // connection there; the posted call moves along with the model.
        m_rowsBeforeMove = queryModel->rowCount();
        {
            ResetScope reset(this);
            queryModel->setQuery(QSqlQuery(QString(), QSqlDatabase()));
        }
        endRowExport();
        dropExportQuery();
        QMetaObject::invokeMethod(this, [this]() { rebindToCurrentThread(); }, Qt::QueuedConnection);
    }
    return MyAbstractTableModel::event(e);
}

void MyAbstractSqlModel::rebindToCurrentThread()
{
    if (m_lastQueryText.isEmpty()) {
        // The statement was not ours to repeat: let the subclass rebuild it.
        reload();
        return;
    }
    ResetScope reset(this);
    if (!setModelQuery(m_lastQueryText, m_lastQueryValues))
        return;
    if (loadAll) {
        fetchAllRows();
        return;
    }
    while (queryModel->rowCount() < m_rowsBeforeMove && queryModel->canFetchMore()) {
        const int before = queryModel->rowCount();
        queryModel->fetchMore();
        if (queryModel->rowCount() == before)
            break;
    }
}
