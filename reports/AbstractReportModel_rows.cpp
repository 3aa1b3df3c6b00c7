// The run of a report: the statement, its rows read once and forward, and
// the report rows, headers and colours served to the views.
#include "reports/AbstractReportModel.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/ProgressDialog.h"
#include "common/Trace.h"
#include "reports/RaportGenerator.h"


#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QSqlQuery>

namespace {

QWidget *reportWindow()
{
    return g_framework ? g_framework->mainWindow.data() : nullptr;
}

const QString kMissing = QStringLiteral("---");

// A report time read as UTC from its date and time parts (no local gap hour).
QDateTime utcDateTime(const QString &text, const QString &format)
{
    const int formatSplit = format.indexOf(QLatin1Char(' '));
    const int textSplit = text.indexOf(QLatin1Char(' '));
    if (formatSplit < 0 || textSplit < 0)
        return QDateTime();
    const QDate date = QDate::fromString(text.left(textSplit), format.left(formatSplit));
    const QTime time = QTime::fromString(text.mid(textSplit + 1), format.mid(formatSplit + 1));
    return date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
}

QString twoDecimals(double v)
{
    return QString::number(v, 'f', 2);
}

} // namespace

void AbstractReportModel::updateQuery(int type)
{
    QElapsedTimer timer;
    timer.start();
    ResetScope reset(this);
    {
        ProgressDialog busy(0, tr("Creating report..."), reportWindow(), false);
        busy.show();

        const QString deviceName = clearForRun();
        QSqlDatabase db = currentConnection();

        QString statement;
        int kind = type;
        switch (deviceType) {
        case MoxB_FILTERED:
            prepareQueryFilters(deviceName, type);
            statement = RaportGenerator::generateQueryMoxB(3, filtersCfg.startDateTime, filtersCfg.endDateTime);
            kind = 3;
            break;
        case MoxA_FILTERED:
            prepareQueryFilters(deviceName, type);
            statement = RaportGenerator::generateQueryMoxA(4, filtersCfg.startDateTime, filtersCfg.endDateTime);
            kind = 4;
            break;
        case INTERNAL_DB:
            prepareQueryFilters(deviceName, type);
            statement = RaportGenerator::generateQuery(5, filtersCfg.startDateTime, filtersCfg.endDateTime);
            kind = 5;
            break;
        default:
            prepareQueryFilters(deviceName, type);
            statement = RaportGenerator::generateQuery(0, 0, 0);
            break;
        }

        // Read forward once by the row builder: a year of one-minute buckets
        // is millions of result rows, never held beside the report rows.
        reportQuery = new QSqlQuery(db);
        reportQuery->setForwardOnly(true);
        if (db.isOpen() && !reportQuery->exec(statement))
            TRACE() << "Report statement failed:" << reportQuery->lastError().text();
        busy.close();
        // Nothing was read from a file that is gone; the session says so.
        if (!databaseGone())
            loadReportData(kind);
    }
    delete reportQuery;
    reportQuery = nullptr;

    // Only a report that was made is announced.
    if (!reportRows.isEmpty())
        emit consoleMessage(tr("Report created in: %1 ms. Number of selected parameters: %2.")
                                .arg(timer.elapsed())
                                .arg(selectedParamsId.size()),
                            1);
}

QString AbstractReportModel::clearForRun()
{
    queryModel->clear();
    reportRows.clear();
    currentRow.clear();
    delete reportQuery;
    reportQuery = nullptr;

    const QSqlDatabase db = currentConnection();
    QSqlQuery names(db);
    if (db.isOpen() && names.exec(QStringLiteral("SELECT name FROM Devices;")) && names.next())
        return names.value(0).toString();
    return QString();
}

void AbstractReportModel::prepareQueryFilters(const QString &deviceName, int type)
{
    RaportGenerator::flagFilter(deviceName);
    if (deviceType == MoxB_FILTERED || deviceType == MoxA_FILTERED) {
        // The columns by their own names: stripping the unit off the display
        // name would also cut brackets that belong to a parameter's name.
        QStringList columns;
        for (int id : qAsConst(selectedParamsId))
            columns << recorderColumns.value(id);
        RaportGenerator::columnFilter(columns);
    } else
        RaportGenerator::parameterFilter(selectedParamsId);
    if (type == 0)
        RaportGenerator::setGroupingType(grouping, intervalMinutes, aggregation, 4);
}

void AbstractReportModel::loadReportData(int kind)
{
    switch (kind) {
    case 0:
    case 5:
        buildReportRows();
        break;
    case 3:
        buildMoxBReportRows();
        break;
    case 4:
        buildMoxAReportRows();
        break;
    default:
        break;
    }
}

QString AbstractReportModel::renderTime(const QString &text, QString *lastRaw, QString *lastRendered) const
{
    // Neighbouring rows share their times: parse each text once.
    if (text != *lastRaw) {
        *lastRaw = text;
        *lastRendered = reportTimeText(text);
    }
    return *lastRendered;
}

void AbstractReportModel::buildReportRows()
{
    reportRows.clear();
    currentRow.clear();
    ProgressDialog progress(0, tr("Loading data..."), reportWindow(), false);
    progress.show();

    QSqlQuery *q = reportQuery;
    bool have = q && q->isActive() && q->next();
    if (!have) {
        const QString error = q ? q->lastError().text() : QString();
        emit consoleMessage(tr("Error during loading records!") + QLatin1Char(' ') + error, 3);
        emit dialogMessage(tr("Error during loading records!"), tr("Error"), 3);
        return;
    }

    // Each value goes to the column of its parameter, whatever the order of
    // the selection and of the rows.
    const int n = selectedParamsId.size();
    QHash<int, QVector<int>> columnsOf;
    for (int j = 0; j < n; ++j)
        columnsOf[selectedParamsId.at(j)].append(2 + j);

    const bool increment = aggregation == 3;
    QString startRaw, startLast, startRendered, endLast, endRendered;
    bool open = false;
    while (have) {
        const QString rowStart = q->value(0).toString();
        const QString rowEnd = q->value(1).toString();
        const int id = q->value(2).toInt();
        const QVariant value = q->value(3);
        if (!open || rowStart != startRaw) {
            if (open)
                reportRows.append(currentRow);
            currentRow = ReportRow(2 + n, kMissing);
            currentRow[0] = renderTime(rowStart, &startLast, &startRendered);
            currentRow[1] = renderTime(rowEnd, &endLast, &endRendered);
            startRaw = rowStart;
            open = true;
        }

        QString cell = kMissing;
        if (increment) {
            // The pair of a bucket: first then last sample; a row without its
            // partner counts as missing and the next row is read on its own.
            have = q->next();
            if (have && q->value(2).toInt() == id && q->value(0).toString() == rowStart) {
                const QVariant second = q->value(3);
                if (!value.isNull() && !second.isNull())
                    cell = twoDecimals(second.toDouble() - value.toDouble());
                have = q->next();
            }
        } else {
            if (!value.isNull())
                cell = twoDecimals(value.toDouble()) + QStringLiteral("\n(") + q->value(4).toString()
                       + QLatin1Char(')');
            have = q->next();
        }
        for (int column : columnsOf.value(id))
            currentRow[column] = cell;
    }
    if (open)
        reportRows.append(currentRow);
    currentRow.clear();

    static const char *const suffixes[] = {QT_TR_NOOP(" MIN"), QT_TR_NOOP(" AVG"), QT_TR_NOOP(" MAX"),
                                           QT_TR_NOOP(" INC")};
    const QString suffix = aggregation >= 0 && aggregation <= 3 ? tr(suffixes[aggregation]) : QString();
    columnTitles = QStringList{tr("Start date"), tr("End date")};
    for (const QString &name : selectedParamsNames)
        columnTitles << name + QLatin1Char('\n') + suffix;
}

void AbstractReportModel::buildMoxBReportRows()
{
    buildWideReportRows("[MoxBReportModel]");
}

void AbstractReportModel::buildMoxAReportRows()
{
    buildWideReportRows("[MoxAReportModel]");
}

int AbstractReportModel::wideIncrementMinutes() const
{
    if (optEveryNMinutes)
        return optMinutes >= 1 && optMinutes <= 60 ? optMinutes : intervalMinutes;
    if (optHourly)
        return 60;
    if (optDaily)
        return 1440;
    if (optWeekly)
        return 10080;
    // No option given: the interval the statement grouped by.
    return qMax(1, RaportGenerator::intervalMinutes());
}

void AbstractReportModel::buildWideReportRows(const char *logTag, bool incrementHeader)
{
    ProgressDialog progress(0, tr("Loading data..."), reportWindow(), false);
    progress.show();

    QSqlQuery *q = reportQuery;
    bool have = q && q->isActive() && q->next();
    if (!have) {
        TRACE() << logTag << "no rows:" << (q ? q->lastError().text() : QString());
        emit consoleMessage(tr("Error: No records found!"), 3);
        return;
    }
    reportRows.clear();
    currentRow.clear();
    if (selectedParamsNames.isEmpty()) {
        emit consoleMessage(tr("Error: No parameters selected!"), 3);
        return;
    }

    static const QRegularExpression unit(QStringLiteral("\\s*\\[.*\\]\\s*"));
    QStringList names;
    for (QString name : selectedParamsNames)
        names << name.remove(unit);
    const int n = names.size();
    const bool increment = aggregation == 3;
    const int incrementSeconds = wideIncrementMinutes() * 60;

    // The result's columns are read by position: the driver strips '"' from
    // the names it reports. Aggregates: Start, End, one column per name;
    // increments: TimeValue, BoundaryType, one column per name, the 'end'
    // row of an interval before its 'start' row.
    auto number = [](const QVariant &v, double *out) {
        if (v.isNull())
            return false;
        bool ok = false;
        *out = v.toString().trimmed().toDouble(&ok);
        return ok;
    };
    QString startLast, startRendered, endLast, endRendered;
    while (have) {
        ReportRow row(2 + n, kMissing);
        if (increment) {
            const QString start = renderTime(q->value(0).toString(), &startLast, &startRendered);
            row[0] = start;
            const QDateTime from = utcDateTime(start, dateTimeFormat);
            if (from.isValid())
                row[1] = from.addSecs(incrementSeconds - 1).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            QVector<QVariant> last(n);
            for (int c = 0; c < n; ++c)
                last[c] = q->value(2 + c);
            have = q->next();
            if (have) {
                for (int c = 0; c < n; ++c) {
                    double a = 0, b = 0;
                    if (number(last.at(c), &a) && number(q->value(2 + c), &b))
                        row[2 + c] = twoDecimals(a - b);
                }
                have = q->next();
            }
        } else {
            row[0] = renderTime(q->value(0).toString(), &startLast, &startRendered);
            row[1] = renderTime(q->value(1).toString(), &endLast, &endRendered);
            for (int c = 0; c < n; ++c) {
                double v = 0;
                if (number(q->value(2 + c), &v))
                    row[2 + c] = twoDecimals(v);
            }
            have = q->next();
        }
        reportRows.append(row);
    }

    static const char *const suffixes[] = {QT_TR_NOOP("MIN"), QT_TR_NOOP("AVG"), QT_TR_NOOP("MAX"),
                                           QT_TR_NOOP("INC")};
    const int last = incrementHeader ? 3 : 2;
    columnTitles = QStringList{tr("Start Time"), tr("End Time")};
    for (const QString &name : selectedParamsNames)
        columnTitles << (aggregation >= 0 && aggregation <= last ? name + QLatin1Char(' ') + tr(suffixes[aggregation])
                                                                 : name);
    TRACE() << logTag << "report rows:" << reportRows.size();
}

QVariant AbstractReportModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return reportRows.at(index.row()).value(index.column());
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ForegroundRole: {
        const int entry = paletteEntry(index.column());
        return entry < 0 ? QVariant() : QVariant(QColor(stringList.at(entry)));
    }
    default:
        return QVariant();
    }
}

QVariant AbstractReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columnCount() ? QVariant(columnTitles.value(section)) : QVariant();
    return QString::number(section + 1);
}

QString AbstractReportModel::getReportStartTime() const
{
    return reportRows.isEmpty() ? kMissing : reportRows.first().value(0);
}

QString AbstractReportModel::getReportEndTime() const
{
    return reportRows.isEmpty() ? kMissing : reportRows.last().value(1);
}
