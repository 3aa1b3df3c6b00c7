#include "charts/MoxAchart.h"

#include "app/ProgressDialog.h"
#include "charts/RecorderSettingsUnits.h"
#include "charts/WideTableSections.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString kTable = QStringLiteral("DataMoxA");

// Cells the recorder writes where it has no value.
bool isPlaceholder(const QString &text)
{
    const QString t = text.trimmed().toLower();
    return t.isEmpty() || t == QLatin1String("blank") || t == QLatin1String("n/a") || t == QLatin1String("---")
           || t == QLatin1String("none");
}

double cellValue(const QVariant &cell)
{
    if (cell.isNull())
        return AbstractChartModel::NoValue;
    switch (cell.type()) {
    case QVariant::Double:
    case QVariant::Int:
    case QVariant::LongLong:
        return cell.toDouble();
    default:
        break;
    }
    const QString text = cell.toString();
    if (isPlaceholder(text))
        return AbstractChartModel::NoValue;
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok ? v : AbstractChartModel::NoValue;
}

} // namespace

MoxAchart::MoxAchart(QSqlDatabase db, QObject *parent)
    : AbstractChartModel(db, parent)
{
}

MoxAchart::~MoxAchart()
{
    TRACE() << "MoxAchart destroy";
}

bool MoxAchart::loadNamesDB()
{
    TRACE() << "MoxAchart loadNamesDB";
    paramCnt = 0;
    QSqlQuery pragma(connection());
    const bool ok = pragma.exec(QStringLiteral("PRAGMA table_info(") + sql::quoteIdentifier(kTable) + QLatin1Char(')'));
    paramNamesMap.clear();
    paramNamesList.clear();
    paramUnitsList.clear();
    paramVisibilityList.clear();
    deviceNamesList.clear();
    paramRowCntList.clear();
    m_sectionAfter.clear();
    if (!ok) {
        TRACE() << "Failed to fetch 'DataMoxA' table structure!";
        return false;
    }

    // id, date and time come first, by position.
    for (int skip = 0; skip < 3 && pragma.next(); ++skip) {
    }
    const recorder::SettingsUnits units = recorder::SettingsUnits::load();
    while (pragma.next()) {
        ++paramCnt;
        const QString name = pragma.value(1).toString();
        // The channel's settings row is named by the part before " - ".
        const QString key = name.section(QStringLiteral(" - "), 0, 0);
        const QString unit = units.unitOf(key);
        if (unit.isEmpty())
            TRACE() << "No unit found for column:" << name;
        else
            TRACE() << "Unit for column:" << name << "is" << unit;
        paramNamesMap[pragma.value(0).toInt()] = name;
        paramNamesList.append(name);
        paramUnitsList.append(unit);
        paramVisibilityList.append(paramCnt <= 3);
        deviceNamesList.append(QString(QLatin1String("")));
    }
    return true;
}

bool MoxAchart::getDataExportRowCnt()
{
    TRACE() << "MoxAchart getDataExportRowCnt";
    totalRowCnt = 0;
    maxParamRowCnt = 0;
    paramRowCntList.clear();
    m_sectionAfter.clear();

    // One pass: the rows, and per channel its cells that hold something.
    QString text = QStringLiteral("SELECT COUNT(*)");
    for (const QString &name : qAsConst(paramNamesList))
        text += QStringLiteral(", COUNT(NULLIF(") + sql::quoteIdentifier(name) + QStringLiteral(", ''))");
    text += QStringLiteral(" FROM ") + sql::quoteIdentifier(kTable);
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(text) || !query.next()) {
        TRACE() << "MoxAchart row count failed:" << query.lastError().text();
        return false;
    }
    for (int i = 0; i < paramNamesList.size(); ++i) {
        const int n = query.value(i + 1).toInt();
        paramRowCntList.append(n);
        totalRowCnt += uint(n);
    }
    // The page pages through rows, not through one channel's cells: every
    // row must fall into some section, whichever channels it fills.
    maxParamRowCnt = query.value(0).toUInt();
    return totalRowCnt != 0;
}

void MoxAchart::loadDataWorker(uint rowIndex, uint rowLen, ProgressDialog *dialog)
{
    TRACE() << "MoxAchart loadDataWorker";
    if (paramCnt < 1)
        return;
    QElapsedTimer timer;
    timer.start();
    resetSeries();
    sectionStartRow = rowIndex;

    const uint expected = qMin(rowLen, maxParamRowCnt > rowIndex ? maxParamRowCnt - rowIndex : 0u);
    ProgressDialog::postMaximum(QPointer<ProgressDialog>(dialog), int(qMax(expected, 1u)));

    QSqlDatabase conn = connection();
    QSqlQuery query(conn);
    query.setForwardOnly(true);
    const auto after = m_sectionAfter.constFind(rowIndex);
    const wide::Section section = wide::Section::prepare(query, kTable, paramNamesList, rowIndex, rowLen,
                                                         after == m_sectionAfter.constEnd() ? -1 : *after);
    if (!section.ok) {
        emit consoleMessage(AbstractChartModel::tr("Failed to execute query: %1").arg(query.lastError().text()), 0);
        return;
    }

    const uint step = qMax(rowLen / 25, 1u);
    uint rows = 0;
    qint64 lastId = -1;
    bool haveTime = false;
    while (query.next()) {
        lastId = query.value(0).toLongLong();
        ++rows;
        qint64 ms = 0;
        // A row whose time cannot be read is left out: at any time we gave it
        // it would draw a false point and stretch the axis.
        if (wide::recorderMsecs(query.value(1).toString(), query.value(2).toString(), &ms)) {
            if (!haveTime)
                sectionFirstTime = ms;
            sectionLastTime = ms;
            haveTime = true;
            const double t = toChartTime(ms);
            for (int i = 0; i < paramCnt; ++i) {
                timeSeries[i]->append(t);
                valueSeries[i]->append(cellValue(query.value(i + 3)));
            }
        } else {
            TRACE() << "MoxAchart: unreadable time in row" << lastId;
        }
        if (rows % step == 0)
            emit progressValueChanged(int(rows));
    }
    query.finish();
    if (lastId >= 0 && rows == rowLen)
        m_sectionAfter.insert(rowIndex + rowLen, lastId);

    emit progressValueChanged(int(qMax(expected, 1u)));
    emit consoleMessage(AbstractChartModel::tr("Loaded %1 records for %2 parameters in: %3 ms").arg(rows).arg(paramCnt).arg(timer.elapsed()),
                        0);
}

void MoxAchart::makeOneParamStringQueryDB_Limit(QString &query, QMap<int, QString>::const_iterator)
{
    // The section is read with one query for all channels.
    TRACE() << "MoxAchart makeOneParamStringQueryDB_Limit";
    query.clear();
}
