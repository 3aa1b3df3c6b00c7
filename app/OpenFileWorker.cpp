#include "app/OpenFileWorker.h"

#include "app/ApplicationDatabaseCheck.h"
#include "app/DatabaseIndexes.h"
#include "app/Framework.h"
#include "common/ProgressDialog.h"
#include "app/SessionModelKinds.h"
#include "common/CancelWatch.h"
#include "common/Connections.h"
#include "database/ApplicationDatabaseFile.h"
#include "common/Trace.h"
#include "app/SourceTypeFile.h"
#include "charts/MoxAchart.h"
#include "charts/MoxBChartModel.h"
#include "charts/moxbcsvchart.h"
#include "readers/BrenaConfigParser.h"
#include "readers/QuilACsvParser.h"
#include "readers/WexACsvParser.h"
#include "readers/WexBCsvParser.h"
#include "readers/WexCCsvParser.h"
#include "readers/ZelACsvParser.h"
#include "readers/ZelBCsvParser.h"
#include "readers/ZelCAlarmParser.h"
#include "readers/ZelCAuditParser.h"
#include "readers/ZelCDipSwellParser.h"
#include "readers/ZelDXPqdifParser.h"
#include "readers/MoxAparser.h"
#include "readers/moxbauditparser.h"
#include "readers/moxbcsvparser.h"
#include "readers/moxbdatabasecsvsetting.h"
#include "readers/moxbdatabasemanager.h"
#include "common/SqlUtil.h"
#include "reports/RecorderReportModel.h"
#include "tables/MoxAtable.h"
#include "tables/MoxBTableModel.h"
#include "tables/moxbcsvtable.h"
#include "tables/BrenaTableModel.h"
#include "tables/TempDatabaseTableModel.h"
#include "tables/ZelCEventTableModel.h"
#include "tables/ZelCTableModel.h"
#include "tables/moxbeventcsv.h"
#include "tables/moxblogtable.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace {

const char *const kNotAnalyserArchive = QT_TRANSLATE_NOOP("Framework", "The file %1 is not an analyser archive.");
const char *const kNotRecorderArchive = QT_TRANSLATE_NOOP("Framework", "The file %1 is not a recorder archive.");
const char *const kNotAuditLog = QT_TRANSLATE_NOOP("Framework", "The file %1 is not a recorder audit log.");
const char *const kNotAlarmLog = QT_TRANSLATE_NOOP("Framework", "The file %1 is not a recorder alarm log.");

} // namespace

void Framework::openFileWorker(QString path, avaibleDevices_t device, QStringList files, ProgressDialog *progress,
                               int sourceType)
{
    TRACE_FUNC();
    OpenFileWorker(*this, path, device, files, progress, sourceType).run();
}

OpenFileWorker::OpenFileWorker(Framework &framework, QString path, avaibleDevices_t device, QStringList files,
                               ProgressDialog *progress, int sourceType)
    : m_fw(framework)
    , m_path(std::move(path))
    , m_device(device)
    , m_files(std::move(files))
    , m_progress(progress)
    , m_sourceType(sourceType)
{
}

void OpenFileWorker::run()
{
    m_fw.offerSettingsFile = false;
    // The caller closed the previous session where that was wanted; the
    // models of one it kept are still there.
    m_keptSession = m_fw.sessionInfo;
    m_fw.sessionInfo = Framework::SessionInfo();
    m_timer.start();
    emit m_fw.consoleMessage(Framework::tr("Opening file: ") + m_path, 0);

    // Decided by what the branch did: a reader that committed the whole file
    // opens the session even when Cancel was pressed after its commit.
    switch (dispatch()) {
    case Outcome::Success:
        successTail();
        m_fw.offerSettingsFile = m_offerSettings;
        return;
    case Outcome::Failure:
        // A reader stops at the cancel and rolls its database back.
        if (m_fw.cancelFlag.loadAcquire() != 0)
            emit m_fw.consoleMessage(
                Framework::tr("Opening of the file %1 was cancelled.").arg(QDir::toNativeSeparators(m_path)), 2);
        failureTail();
        return;
    case Outcome::Abandoned:
        return;
    }
}

OpenFileWorker::Outcome OpenFileWorker::dispatch()
{
    switch (m_device) {
    case ZelB:
    case Ostra:
    case Vanta:
        return textArchive<ZelBCsvParser>("ZelB", ModelSet::withReport());
    case WexA:
        return textArchive<WexACsvParser>("WexA", ModelSet::tableAndChart());
    case WexB:
        return textArchive<WexBCsvParser>("WexA", ModelSet::withReport(WexB));
    case WexC:
        return textArchive<WexCCsvParser>("WexA", ModelSet::withReport(WexC));
    case QuilA:
    case QuilBIoT:
    case QuilC:
        return textArchive<QuilACsvParser>("QuilA", ModelSet::tableAndChart());
    case ZelA:
    case Ravel:
        return textArchive<ZelACsvParser>("ZelA", ModelSet::tableAndChart(), TmpDbFailure::Silent);
    case Brena:
        return brenaRecordFile();
    case WexD:
        TRACE() << "No reader for WexD archives";
        return Outcome::Failure;

    case INTERNAL_DB:
        return applicationDatabase();
    case ZelD:
    case ZelC:
    case ZelDX:
        return zelcFamilyFile();
    case MoxB:
        return moxbRecorderFile();
    case MoxA:
        return moxaDataCsv();

    case DEVICE_UNDEFINED:
    case MoxB_FILTERED:
    case MoxA_FILTERED:
        break;
    }
    // Types without a file of their own: no message.
    return Outcome::Failure;
}

template <class Reader, class Read>
bool OpenFileWorker::readIntoTmpDatabase(const char *tmpDbName, TmpDbFailure onTmpDbFailure, int *count, Read read)
{
    // Destroyed when the branch ends, whatever its outcome.
    Reader reader(m_progress, &m_fw.cancelFlag, nullptr);
    wireReader(&reader);
    showReaderPhases(&reader, m_progress);
    if (!openTmpDatabase(tmpDbName, onTmpDbFailure))
        return false;
    QSqlDatabase db = m_fw.dataDatabase.database();
    return read(reader, db, count);
}

template <class Reader>
OpenFileWorker::Outcome OpenFileWorker::textArchive(const char *tmpDbName, ModelSet models, TmpDbFailure onTmpDbFailure)
{
    int count = 0;
    const bool read = readIntoTmpDatabase<Reader>(tmpDbName, onTmpDbFailure, &count,
                                                  [this](Reader &reader, QSqlDatabase &db, int *n) {
                                                      return reader.openFile(m_path) && reader.checkHeader()
                                                             && reader.parseFile(db, n);
                                                  });
    if (!read)
        return Outcome::Failure;
    buildStandardModels(models, count);
    return Outcome::Success;
}

template <class Reader, class Model>
OpenFileWorker::Outcome OpenFileWorker::eventLog(const char *tmpDbName, int code)
{
    int count = 0;
    const bool read = readIntoTmpDatabase<Reader>(tmpDbName, TmpDbFailure::Report, &count,
                                                  [this, code](Reader &reader, QSqlDatabase &db, int *n) {
                                                      return reader.openFile(m_path) && reader.parseFile(db, n, code);
                                                  });
    if (!read)
        return Outcome::Failure;
    m_fw.deleteModels();
    m_fw.tableModel = new Model(m_fw.dataDatabase.database(), code, nullptr);
    m_fw.connectTableModelSignals();
    return Outcome::Success;
}

OpenFileWorker::Outcome OpenFileWorker::zelcFamilyFile()
{
    switch (m_sourceType) {
    case ZelC_AUDIT_FILE:
        return eventLog<ZelCAuditParser, ZelCEventTableModel>("ZelCAudit", ZelC_AUDIT_FILE);
    case ZelC_DEEP_SWELL_FILE:
        return eventLog<ZelCDipSwellParser, ZelCEventTableModel>("ZelCDipSwell", ZelC_DEEP_SWELL_FILE);
    case ZelC_ALARM_FILE:
        // The alarm log shares the dip and swell log's temporary database.
        return eventLog<ZelCAlarmParser, ZelCEventTableModel>("ZelCDipSwell", ZelC_ALARM_FILE);
    case ZelC_DATA_FILE:
        return zelcDataArchive();
    default:
        return Outcome::Failure;
    }
}

OpenFileWorker::Outcome OpenFileWorker::pqdifArchive()
{
    int count = 0;
    const bool read = readIntoTmpDatabase<ZelDXPqdifParser>(
        "Data_con", TmpDbFailure::Report, &count, [this](ZelDXPqdifParser &reader, QSqlDatabase &db, int *n) {
            // The reader takes a failure after a cancel for the cancel; the
            // checkpoint after its commit is stopped at once.
            const CancelWatch watch(db, &m_fw.cancelFlag, CancelWatch::Stop::AtOnce);
            return reader.openFile(m_path) && reader.parseFile(db, n);
        });
    if (!read)
        return Outcome::Failure;
    buildModels<ZelCTableModel>(ModelSet{true, m_device, false}, 0);
    return Outcome::Success;
}

OpenFileWorker::Outcome OpenFileWorker::zelcDataArchive()
{
    if (m_device == ZelDX && m_path.toLower().endsWith(QLatin1String(".pqd")))
        return pqdifArchive();

    if (m_path.startsWith(QLatin1Char(':'))) {
        // A built-in example: SQLite reads files only, so it is read from a
        // copy, which then stands for the session's file.
        const QString folder = ArchiveManager::scratchFolder();
        const QString copy = QDir(folder.isEmpty() ? QDir::tempPath() : folder).filePath(QStringLiteral("temp_example_db.db"));
        if (QFile::exists(copy))
            QFile::remove(copy);
        if (!QFile::copy(m_path, copy)) {
            TRACE() << "Unable to copy the example" << m_path << "to" << copy;
            return Outcome::Abandoned;
        }
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        m_path = copy;
    }

    if (!openInPlace()
        || !probeInPlace(QStringLiteral("SELECT dateTime, name, value, unit, flag FROM DataConnected LIMIT 1"),
                         kNotAnalyserArchive))
        return Outcome::Failure;

    buildModels<ZelCTableModel>(ModelSet{true, m_device, false}, 0);
    return Outcome::Success;
}

OpenFileWorker::Outcome OpenFileWorker::moxbRecorderFile()
{
    switch (m_sourceType) {
    case MoxB_AUDIT_FILE_CSV:
    case MoxB_ALARM_FILE_CSV:
        return eventLog<moxbauditparser, moxbeventcsv>("MoxBEvent", m_sourceType);
    case MoxB_DATA_FILE_Sqlite3:
        return moxbDataArchive();
    case MoxB_DATA_FILE_CSV:
        return moxbDataCsv();
    case MoxB_SETTING_FILE_Sqlite3:
        return moxbSettingsArchive();
    case MoxB_SETTING_FILE_CSV:
        return moxbSettingsCsv();
    case MoxB_AUDIT_FILE_Sqlite3:
    case MoxB_ALARM_FILE_Sqlite3:
        return moxbLogArchive();
    default:
        return Outcome::Failure;
    }
}

OpenFileWorker::Outcome OpenFileWorker::moxbDataArchive()
{
    // The recorder's own file, opened in place and never changed.
    if (!QFileInfo(m_path).isFile())
        return Outcome::Failure;
    if (!openInPlace() || !probeInPlace(QStringLiteral("SELECT id, date, time FROM Data LIMIT 1"), kNotRecorderArchive))
        return Outcome::Failure;
    recorderModels<MoxBTableModel, MoxBChartModel, moxbreportmodel>(MoxB);
    m_offerSettings = true;
    return Outcome::Success;
}

OpenFileWorker::Outcome OpenFileWorker::moxbLogArchive()
{
    // The recorder's own log file, opened in place and never changed.
    if (!m_path.endsWith(QLatin1String(".sqlite3"), Qt::CaseInsensitive) || !QFileInfo(m_path).isFile())
        return Outcome::Failure;
    const bool audit = m_sourceType == MoxB_AUDIT_FILE_Sqlite3;
    if (!openInPlace()
        || !probeInPlace(audit ? QStringLiteral("SELECT * FROM AuditLog LIMIT 1")
                               : QStringLiteral("SELECT * FROM AlarmLog LIMIT 1"),
                         audit ? kNotAuditLog : kNotAlarmLog))
        return Outcome::Failure;
    m_fw.deleteModels();
    if (audit)
        m_fw.tableModel = new moxbaudittable(m_fw.dataDatabase.database(), nullptr);
    else
        m_fw.tableModel = new moxbalarmtable(m_fw.dataDatabase.database(), nullptr);
    m_fw.connectTableModelSignals();
    m_fw.sessionInfo.views |= Framework::SessionInfo::ViewCsvExport;
    return Outcome::Success;
}

OpenFileWorker::Outcome OpenFileWorker::moxbDataCsv()
{
    int count = 0;
    const bool read = readIntoTmpDatabase<moxbcsvparser>("Data_con", TmpDbFailure::Report, &count,
                                                         [this](moxbcsvparser &reader, QSqlDatabase &db, int *n) {
                                                             return reader.openFile(m_path)
                                                                    && reader.parseFile(db, n, MoxB_DATA_FILE_CSV);
                                                         });
    if (!read)
        return Outcome::Failure;
    recorderModels<moxbcsvtable, moxbcsvchart, moxbcsvreport>(MoxB);
    m_offerSettings = true;
    return Outcome::Success;
}

OpenFileWorker::Outcome OpenFileWorker::moxaDataCsv()
{
    int count = 0;
    const bool read = readIntoTmpDatabase<MoxAparser>("Data_con", TmpDbFailure::Report, &count,
                                                      [this](MoxAparser &reader, QSqlDatabase &db, int *n) {
                                                          return reader.openFile(m_path)
                                                                 && reader.parseFile(db, n, m_sourceType);
                                                      });
    if (!read)
        return Outcome::Failure;
    recorderModels<MoxAtable, MoxAchart, MoxAreport>(MoxA);
    return Outcome::Success;
}

bool OpenFileWorker::openInPlace()
{
    const QString name = QStringLiteral("Data_con");
    Connections::Options options;
    options.readOnly = true;
    Connections::registerFile(name, m_path, options);
    m_fw.dataDatabase = Connections::Binding::of(name);
    const QSqlDatabase db = m_fw.dataDatabase.database();
    if (db.isOpen())
        return true;
    TRACE() << "Failed to open database: " << db.lastError().text();
    return false;
}

bool OpenFileWorker::probeInPlace(const QString &statement, const char *refusal)
{
    // SQLite opens any file lazily: one that is not of the kind would give a
    // session whose every page fails.
    QSqlQuery probe(m_fw.dataDatabase.database());
    if (probe.exec(statement))
        return true;
    TRACE() << "Not a file of the kind chosen:" << m_path << probe.lastError().text();
    emit m_fw.sessionOpenError(Framework::tr(refusal).arg(QDir::toNativeSeparators(m_path)), QString(), 3);
    return false;
}

template <class Table, class Chart, class Report>
void OpenFileWorker::recorderModels(avaibleDevices_t reportType)
{
    m_fw.deleteModels();
    m_fw.tableModel = new Table(m_fw.dataDatabase.database(), nullptr);
    m_fw.connectTableModelSignals();
    m_fw.chartModel = new Chart(m_fw.dataDatabase.database(), nullptr);
    m_fw.connectChartModelSignals();
    m_fw.reportModel = new Report(m_fw.dataDatabase.database(), reportType, nullptr);
    m_fw.connectReportModelSignals();
    m_fw.sessionInfo.views |= Framework::SessionInfo::ViewCsvExport;
}

moxbdatabasemanager *OpenFileWorker::newMoxBManager()
{
    // Framework deletes the manager it holds; the one replaced goes once the
    // GUI thread gets to it (nothing uses it any more).
    auto *manager = new moxbdatabasemanager(nullptr);
    // Owner before the old one is scheduled for deletion: the old manager's
    // destructor, on the GUI thread, would otherwise drop the settings
    // connection while this task is making it anew.
    manager->adoptConnection();
    if (QThread::currentThread() != qApp->thread())
        manager->moveToThread(qApp->thread());
    if (m_fw.moxbManager)
        m_fw.moxbManager->deleteLater();
    m_fw.moxbManager = manager;
    return manager;
}

OpenFileWorker::Outcome OpenFileWorker::refuseSettingsFile()
{
    m_fw.sessionInfo = m_keptSession;
    emit m_fw.sessionOpenError(Framework::tr("The settings file %1 could not be read; the data stay open.")
                                   .arg(QDir::toNativeSeparators(m_path)),
                               QString(), 3);
    return Outcome::Abandoned;
}

OpenFileWorker::Outcome OpenFileWorker::moxbSettingsOutcome(const QStringList &tables)
{
    if (tables.isEmpty()) {
        TRACE() << "No tables found in the database!";
        // The data session stays as it was, pages and all: only the settings
        // are refused. Closing it here would leave the window showing a
        // session that is gone.
        // The manager that held earlier settings is already replaced.
        m_fw.closeMoxBDataConnection();
        const Outcome outcome = refuseSettingsFile();
        m_fw.sessionInfo.views &= ~quint32(Framework::SessionInfo::ViewSettingsMoxB);
        return outcome;
    }
    m_fw.sessionInfo.views |= Framework::SessionInfo::ViewSettingsMoxB;
    // The session of the data file goes on with the settings beside it.
    if (m_fw.tableModel)
        m_fw.connectTableModelSignals();
    if (m_fw.chartModel)
        m_fw.connectChartModelSignals();
    // A new report model over the session's data: its names take the units
    // the settings give. Of the data file's kind, whichever kind of settings
    // file this is: the data decide which table the report reads.
    const QSqlDatabase data = Connections::database(QStringLiteral("Data_con"));
    if (qobject_cast<moxbreportmodel *>(m_fw.reportModel))
        m_fw.replaceReportModel(new moxbreportmodel(data, MoxB, nullptr));
    else if (qobject_cast<moxbcsvreport *>(m_fw.reportModel))
        m_fw.replaceReportModel(new moxbcsvreport(data, MoxB, nullptr));
    m_fw.sessionInfo.views |= Framework::SessionInfo::ViewCsvExport;
    return Outcome::Success;
}

OpenFileWorker::Outcome OpenFileWorker::moxbSettingsArchive()
{
    if (!m_path.endsWith(QLatin1String(".sqlite3"), Qt::CaseInsensitive))
        return refuseSettingsFile();
    moxbdatabasemanager *manager = newMoxBManager();
    if (!manager->openDatabase(m_path))
        return moxbSettingsOutcome({});
    return moxbSettingsOutcome(manager->fetchTables());
}

OpenFileWorker::Outcome OpenFileWorker::moxbSettingsCsv()
{
    moxbdatabasecsvsetting reader(m_progress, &m_fw.cancelFlag, nullptr);
    wireReader(&reader);
    moxbdatabasemanager *manager = newMoxBManager();
    const QString name = QLatin1String(moxbdatabasemanager::kConnectionName);
    if (Connections::contains(name))
        Connections::remove(name);
    QSqlDatabase db = m_fw.archiveManager.openTmpDatabase(name);
    if (!db.isOpen()) {
        // Refused like every other settings failure: the data stay open.
        TRACE() << "Failed to create/open temporary database for CSV file.";
        return moxbSettingsOutcome({});
    }
    manager->adoptConnection();

    // A clean database: the schema the temporary database came with goes.
    QStringList tables;
    {
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'")))
            while (q.next())
                tables << q.value(0).toString();
    }
    for (const QString &table : qAsConst(tables)) {
        if (table == QLatin1String("sqlite_sequence"))
            continue;
        QSqlQuery drop(db);
        if (!drop.exec(QStringLiteral("DROP TABLE IF EXISTS %1;").arg(sql::quoteIdentifier(table))))
            TRACE() << "Failed to drop table" << table << drop.lastError().text();
    }

    // Emptied above and not the application database: a section titled like
    // one of its tables ("Parameters") belongs here.
    reader.setApplicationTitlesAllowed(true);
    if (!reader.openFile(m_path))
        return moxbSettingsOutcome({});
    int count = 0;
    if (!reader.parseFile(db, &count, MoxB_SETTING_FILE_CSV))
        return moxbSettingsOutcome({});
    return moxbSettingsOutcome(manager->fetchTables());
}

OpenFileWorker::Outcome OpenFileWorker::applicationDatabase()
{
    // Opened in place, under the session's connection name; the apply-filters
    // task builds the models later. Opening switches the file to WAL, so a
    // file that is no application database is refused before that (SQLite
    // would also create a missing file, or take any file for an empty one).
    const DatabaseFileKind kind = checkApplicationDatabaseFile(m_path);
    if (kind != DatabaseFileKind::Application) {
        emit m_fw.sessionOpenError(applicationDatabaseRefusal(kind, m_path), Framework::tr("Open database"), 2);
        return Outcome::Failure;
    }
    const QString name = QStringLiteral("Data_con");
    appdb::registerSession(name, m_path);
    m_fw.dataDatabase = Connections::Binding::of(name);
    if (!m_fw.dataDatabase.database().isOpen())
        return Outcome::Failure;
    if (prepareDatabaseIndexes(m_fw, m_progress, m_path) == DatabaseIndexes::Cancelled)
        return Outcome::Failure;
    m_fw.sessionInfo.views |= Framework::SessionInfo::ViewDataFilter;
    return Outcome::Success;
}

OpenFileWorker::Outcome OpenFileWorker::brenaRecordFile()
{
    m_fw.deleteModels();
    // The model reads the record file itself.
    BrenaTableModel *model = new BrenaTableModel(m_path, nullptr);
    m_fw.tableModel = model;
    m_fw.connectTableModelSignals();
    if (!model->loadFile())
        return Outcome::Failure;
    // Without configuration files the records are shown as they are.
    if (m_files.isEmpty())
        return Outcome::Success;

    BrenaConfigParser parser;
    parser.setCancelFlag(&m_fw.cancelFlag);
    // Messages only: this reader's conversion has no progress here.
    wireReader(&parser, nullptr, &m_fw);
    if (!parser.openFile(m_files))
        return Outcome::Failure;
    m_fw.dataDatabase = Connections::Binding(m_fw.archiveManager.openTmpDatabase(QStringLiteral("Brena")));
    QSqlDatabase brena = m_fw.dataDatabase.database();
    if (!brena.isOpen()) {
        emit m_fw.sessionOpenError(Framework::tr("Unable to create temporary file"), QString(), 2);
        return Outcome::Failure;
    }
    if (!parser.parseConfiguration(brena, -1)) {
        emit m_fw.sessionOpenError(Framework::tr("Error while processing config file."), QString(), 3);
        return Outcome::Failure;
    }
    if (!parser.convertData(brena, model))
        return Outcome::Failure;
    // The measurements are in the temporary database now: the session's
    // models are the generic ones over it (the record model goes with them).
    buildStandardModels(ModelSet{true, Brena, false}, 0);
    return Outcome::Success;
}

QString OpenFileWorker::readingPhase()
{
    return Framework::tr("Reading the file");
}

QString OpenFileWorker::writingPhase()
{
    return Framework::tr("Writing into the database");
}

void OpenFileWorker::wireReader(QObject *reader)
{
    wireReader(reader, m_progress, &m_fw);
}

void OpenFileWorker::wireReader(QObject *reader, ProgressDialog *progress, Framework *framework)
{
    // The dialog outlives the task (common/TaskWindow); progress arrives queued
    // on the GUI thread. Messages go out as the task's own, in the order
    // sent, on Framework's signals, which the window takes queued.
    if (progress)
        QObject::connect(reader, SIGNAL(progressValueChanged(int)), progress, SLOT(update(int)));
    if (framework) {
        QObject::connect(reader, SIGNAL(dialogMessage(QString, QString, int)), framework,
                         SIGNAL(dialogMessage(QString, QString, int)), Qt::DirectConnection);
        QObject::connect(reader, SIGNAL(consoleMessage(QString, int)), framework, SIGNAL(consoleMessage(QString, int)),
                         Qt::DirectConnection);
    }
}

bool OpenFileWorker::openTmpDatabase(const char *name, TmpDbFailure onFailure)
{
    m_fw.dataDatabase = Connections::Binding(m_fw.archiveManager.openTmpDatabase(QLatin1String(name)));
    if (m_fw.dataDatabase.database().isOpen())
        return true;
    if (onFailure == TmpDbFailure::Report)
        emit m_fw.sessionOpenError(Framework::tr("Unable to create temp Database."), QString(), 3);
    return false;
}

void OpenFileWorker::buildStandardModels(const ModelSet &models, int readerCount)
{
    buildModels<TempDatabaseTableModel>(models, readerCount);
}

template <class TableModel>
void OpenFileWorker::buildModels(const ModelSet &models, int readerCount)
{
    // Models of a session the caller kept open are replaced, never leaked.
    m_fw.deleteModels();
    m_fw.tableModel = new TableModel(m_fw.dataDatabase.database(), nullptr);
    m_fw.connectTableModelSignals();

    m_fw.chartModel
        = session::newNarrowChartModel(m_fw.dataDatabase.database(), models.chartCountFromReader ? readerCount : 0);
    if (m_fw.chartModel)
        m_fw.connectChartModelSignals();

    if (models.report) {
        const avaibleDevices_t type = models.reportType == DEVICE_UNDEFINED ? m_device : models.reportType;
        m_fw.reportModel = session::newNarrowReportModel(m_fw.dataDatabase.database(), type);
        if (m_fw.reportModel)
            m_fw.connectReportModelSignals();
    }
    m_fw.sessionInfo.views |= Framework::SessionInfo::ViewCsvExport;
}

void OpenFileWorker::handModelsToGui()
{
    QThread *gui = qApp->thread();
    if (QThread::currentThread() == gui)
        return;
    for (QObject *model : {session::modelObject(m_fw.tableModel), session::modelObject(m_fw.chartModel),
                           session::modelObject(m_fw.reportModel)}) {
        if (model && model->thread() == QThread::currentThread())
            model->moveToThread(gui);
    }
}

void OpenFileWorker::successTail()
{
    handModelsToGui();
    m_fw.sessionInfo.deviceType = m_device;
    m_fw.sessionInfo.isOpen = true;
    m_fw.sessionInfo.fileName = m_path;
    emit m_fw.sessioneStarted();
    emit m_fw.consoleMessage(Framework::tr("Session opened in: ") + QString::number(m_timer.elapsed())
                                 + QStringLiteral(" ms"),
                             1);
}

void OpenFileWorker::failureTail()
{
    m_fw.closeOpenedFile();
}
