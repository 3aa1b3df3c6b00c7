#include "reports/RecorderReportModel.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "charts/MoxAchart.h"
#include "charts/MoxBChartModel.h"
#include "charts/moxbcsvchart.h"
#include "common/ProgressDialog.h"
#include "common/Trace.h"
#include "reports/RaportGenerator.h"
#include "tables/MyAbstractSqlModelMoxB.h"
#include "tables/TempDatabaseTableModelMoxA.h"
#include "tables/TempDatabaseTableModelMoxB.h"

#include <QApplication>
#include <QDateTime>
#include <QThread>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>

namespace {

const char *const kDateTimeFormat = "yyyy-MM-dd HH:mm:ss";

} // namespace

RecorderReportModel::RecorderReportModel(QSqlDatabase db, const FiltersCfg &filters, avaibleDevices_t type,
                                         const Kind &kind, QObject *parent)
    : AbstractReportModel(db, filters, type, parent)
    , m_kind(kind)
{
    // The member's constructor runs initCommon once it is complete: the
    // names come from its own chart model.
}

RecorderReportModel::~RecorderReportModel() = default;

void RecorderReportModel::initCommon()
{
    TRACE() << m_kind.tag << "initCommon() started";
    dateTimeFormat = getDateTimeFormat();
    timeFormat = QStringLiteral("HH:mm:ss");
    applyThemePalette();
    if (QThread::currentThread() != qApp->thread()) {
        // Made by the open task: the names are read once the model is on the
        // GUI thread (the call moves with it). The units come from the
        // settings database, which a pool thread must not hold open: its
        // file is replaced when the next settings file is loaded.
        QMetaObject::invokeMethod(this, [this]() { prepareCombinedParamsList(); }, Qt::QueuedConnection);
        return;
    }
    prepareCombinedParamsList();
}

void RecorderReportModel::appendReportParam(int index)
{
    if (index < 0 || index >= parametersFullName.size()) {
        TRACE() << m_kind.tag << "ERROR: Invalid parameter index:" << index;
        return;
    }
    selectedParamsNames.append(parametersFullName.at(index));
    // A position in the offered list, not a database id.
    selectedParamsId.append(index);
    TRACE() << m_kind.tag << "Parameter added:" << parametersFullName.at(index) << "with ID:" << index;
}

void RecorderReportModel::setParamFullName(int index, const QString &name)
{
    if (deviceType != INTERNAL_DB)
        index = parametersFullName.indexOf(name);
    if (index < 0 || index >= parametersFullName.size())
        return;
    parametersFullName[index] = name;
}

void RecorderReportModel::prepareCombinedParamsList()
{
    TRACE() << m_kind.tag << "prepareCombinedParamsListFrom" << m_kind.source << "() started";
    parametersFullName.clear();
    parametersFullNameIds.clear();
    m_columnOf.clear();
    m_columnNames.clear();
    m_units.clear();

    QSqlDatabase db = currentConnection();
    if (!db.isValid()) {
        TRACE() << m_kind.tag << "Error: Database connection is invalid.";
        return;
    }
    std::unique_ptr<AbstractChartModel> names(newNamesModel(db));
    bool loaded = false;
    for (int attempt = 1; attempt <= m_kind.nameAttempts && !loaded; ++attempt) {
        loaded = names->loadNamesDB();
        if (!loaded && m_kind.nameAttempts > 1)
            TRACE() << m_kind.tag << "Retrying to load CSV parameters...";
    }
    if (!loaded) {
        TRACE() << m_kind.tag << "Error: Failed to load parameters of" << m_kind.source;
        return;
    }
    m_columnNames = names->paramNamesList;
    m_units = names->paramUnitsList;
    for (int i = 0; i < m_columnNames.size(); ++i) {
        const QString &column = m_columnNames.at(i);
        const QString unit = m_units.value(i);
        const QString display = unit.isEmpty() ? column : column + QStringLiteral(" [") + unit + QLatin1Char(']');
        parametersFullName.append(display);
        parametersFullNameIds.append(i);
        m_columnOf.insert(display, column);
    }
    TRACE() << m_kind.tag << "Final parametersFullName list (" << m_kind.source << "only):" << parametersFullName;
}

void RecorderReportModel::prepareQueryFilters(const QString &deviceName, int type)
{
    RaportGenerator::flagFilter(deviceName);
    // The column behind each display name, as the table names it: a unit in
    // brackets is never cut out of a name that has brackets of its own.
    QStringList columns;
    for (const QString &name : qAsConst(selectedParamsNames))
        columns << m_columnOf.value(name, name);
    RaportGenerator::columnFilter(columns);
    if (type == 0)
        RaportGenerator::setGroupingType(grouping, intervalMinutes, aggregation, 4);
}

void RecorderReportModel::updateQuery(int type)
{
    TRACE() << m_kind.tag << "updateQuery() called with type:" << type;
    QElapsedTimer timer;
    timer.start();
    ResetScope reset(this);
    {
        ProgressDialog busy(0, AbstractReportModel::tr("Creating report..."),
                            g_framework ? g_framework->mainWindow.data() : nullptr, false);
        busy.show();

        const QString deviceName = clearForRun();
        QSqlDatabase db = currentConnection();
        prepareQueryFilters(deviceName, type);
        const QString statement = reportStatement();
        TRACE() << "[SQL] Executing" << m_kind.family << "Query:" << statement;

        reportQuery = new QSqlQuery(db);
        reportQuery->setForwardOnly(true);
        if (statement.isEmpty() || !reportQuery->exec(statement)) {
            TRACE() << "[SQL] Query Error:" << reportQuery->lastError().text();
            emit consoleMessage(AbstractReportModel::tr("Error: SQL Query Failed!"), 3);
        } else {
            busy.close();
            if (type == 0) {
                // The row builder reports a result without rows.
                loadReportData(type);
            } else if (!reportQuery->next()) {
                TRACE() << m_kind.tag << "ERROR: No records found!";
                emit consoleMessage(AbstractReportModel::tr("Error: No records found!"), 3);
            }
        }
    }
    delete reportQuery;
    reportQuery = nullptr;

    if (!reportRows.isEmpty())
        emit consoleMessage(AbstractReportModel::tr("Report created in: %1 ms. Number of selected parameters: %2.")
                                .arg(timer.elapsed())
                                .arg(selectedParamsId.size()),
                            1);
}

void RecorderReportModel::loadReportData(int kind)
{
    if (kind == 0)
        buildReportRows();
}

void RecorderReportModel::buildReportRows()
{
    reportRows.clear();
    buildWideReportRows(m_kind.tag, m_kind.incrementHeader);
    if (reportRows.isEmpty())
        TRACE() << m_kind.tag << "Model nie zawiera żadnych danych.";
}

QString RecorderReportModel::convertDate(const QString &text) const
{
    TRACE() << "Converting date:" << text;
    // Date and time read apart and kept as UTC wall-clock: read as local
    // time, an hour that the local zone skips would be lost.
    const int split = text.indexOf(QLatin1Char(' '));
    const QDate date = split < 0 ? QDate() : QDate::fromString(text.left(split), QStringLiteral("yyyy-MM-dd"));
    const QTime time = split < 0 ? QTime() : QTime::fromString(text.mid(split + 1), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid()) {
        TRACE() << "Invalid date format:" << text;
        return QString(QLatin1String(""));
    }
    const QString out = QDateTime(date, time, Qt::UTC).toString(QLatin1String(kDateTimeFormat));
    TRACE() << "Converted date:" << out;
    return out;
}

namespace {

// An archive's increment report names its columns alone, as the rows of the
// filtered sessions do; the CSV members add "INC".
const RecorderReportModel::Kind kMoxBKind = {"[MoxBReportModel]", "DB", "MoxB", 1, false};
const RecorderReportModel::Kind kMoxBCsvKind = {"[MoxBReportModel]", "CSV", "MoxB", 3, true};
const RecorderReportModel::Kind kMoxAKind = {"[MoxAReportModel]", "CSV", "MoxA", 3, true};

const RecorderReportModel::Kind *moxbKind()
{
    return &kMoxBKind;
}

const RecorderReportModel::Kind *moxbCsvKind()
{
    return &kMoxBCsvKind;
}

const RecorderReportModel::Kind *moxaKind()
{
    return &kMoxAKind;
}

} // namespace

// --- moxbreportmodel

moxbreportmodel::moxbreportmodel(QSqlDatabase db, QObject *parent)
    : RecorderReportModel(db, FiltersCfg(), DEVICE_UNDEFINED, *moxbKind(), parent)
{
    TRACE() << "[MoxBReportModel] Constructor 1 called";
    construct();
}

moxbreportmodel::moxbreportmodel(QSqlDatabase db, avaibleDevices_t deviceType, QObject *parent)
    : RecorderReportModel(db, FiltersCfg(), deviceType, *moxbKind(), parent)
{
    TRACE() << "[MoxBReportModel] Constructor 2 called with deviceType:" << int(deviceType);
    construct();
}

moxbreportmodel::moxbreportmodel(QSqlDatabase db, FiltersCfg filters, avaibleDevices_t deviceType, QObject *parent)
    : RecorderReportModel(db, filters, deviceType, *moxbKind(), parent)
{
    TRACE() << "[MoxBReportModel] Constructor 3 called with filters and deviceType:" << int(deviceType);
    construct();
}

moxbreportmodel::~moxbreportmodel()
{
    TRACE() << "[MoxBReportModel] Destructor called";
}

void moxbreportmodel::construct()
{
    auxiliaryModel = new MyAbstractSqlModelMoxB(currentConnection(), this);
    initCommon();
}

AbstractChartModel *moxbreportmodel::newNamesModel(QSqlDatabase db) const
{
    return new MoxBChartModel(db, nullptr);
}

QString moxbreportmodel::reportStatement() const
{
    return RaportGenerator::generateQueryMoxB(0, 0, 0);
}

// --- moxbcsvreport

moxbcsvreport::moxbcsvreport(QSqlDatabase db, QObject *parent)
    : RecorderReportModel(db, FiltersCfg(), DEVICE_UNDEFINED, *moxbCsvKind(), parent)
{
    TRACE() << "[moxbcsvreport] Constructor 1 called";
    construct();
}

moxbcsvreport::moxbcsvreport(QSqlDatabase db, avaibleDevices_t deviceType, QObject *parent)
    : RecorderReportModel(db, FiltersCfg(), deviceType, *moxbCsvKind(), parent)
{
    TRACE() << "[moxbcsvreport] Constructor 2 called with deviceType:" << int(deviceType);
    construct();
}

moxbcsvreport::moxbcsvreport(QSqlDatabase db, FiltersCfg filters, avaibleDevices_t deviceType, QObject *parent)
    : RecorderReportModel(db, filters, deviceType, *moxbCsvKind(), parent)
{
    TRACE() << "[moxbcsvreport] Constructor 3 called with filters and deviceType:" << int(deviceType);
    construct();
}

moxbcsvreport::~moxbcsvreport()
{
    TRACE() << "[moxbcsvreport] Destructor called";
}

void moxbcsvreport::construct()
{
    auxiliaryModel = new TempDatabaseTableModelMoxB(currentConnection(), this);
    initCommon();
}

AbstractChartModel *moxbcsvreport::newNamesModel(QSqlDatabase db) const
{
    return new moxbcsvchart(db, nullptr);
}

QString moxbcsvreport::reportStatement() const
{
    return RaportGenerator::generateQueryMoxBCsv(0);
}

// --- MoxAreport

MoxAreport::MoxAreport(QSqlDatabase db, QObject *parent)
    : RecorderReportModel(db, FiltersCfg(), DEVICE_UNDEFINED, *moxaKind(), parent)
{
    TRACE() << "[MoxAreport] Constructor 1 called";
    construct();
}

MoxAreport::MoxAreport(QSqlDatabase db, avaibleDevices_t deviceType, QObject *parent)
    : RecorderReportModel(db, FiltersCfg(), deviceType, *moxaKind(), parent)
{
    TRACE() << "[MoxAreport] Constructor 2 called with deviceType:" << int(deviceType);
    construct();
}

MoxAreport::MoxAreport(QSqlDatabase db, FiltersCfg filters, avaibleDevices_t deviceType, QObject *parent)
    : RecorderReportModel(db, filters, deviceType, *moxaKind(), parent)
{
    TRACE() << "[MoxAreport] Constructor 3 called with filters and deviceType:" << int(deviceType);
    construct();
}

MoxAreport::~MoxAreport()
{
    TRACE() << "[MoxAreport] Destructor called";
}

void MoxAreport::construct()
{
    auxiliaryModel = new TempDatabaseTableModelMoxA(currentConnection(), this);
    initCommon();
}

AbstractChartModel *MoxAreport::newNamesModel(QSqlDatabase db) const
{
    return new MoxAchart(db, nullptr);
}

QString MoxAreport::reportStatement() const
{
    return RaportGenerator::generateQueryMoxA(0, 0, 0);
}
