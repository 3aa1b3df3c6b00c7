#include "app/ImportDataWorker.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "app/OpenFileWorker.h"
#include "common/TaskWindow.h"
#include "common/CancelWatch.h"
#include "common/Connections.h"
#include "common/ProgressDialog.h"
#include "common/SqliteStatement.h"
#include "common/Trace.h"
#include "database/ApplicationDatabaseFile.h"
#include "database/ArchiveManager.h"
#include "database/DataMerge.h"
#include "database/MoxBSettingsImport.h"
#include "database/RecorderImport.h"
#include "readers/BrenaConfigParser.h"
#include "readers/MoxAparser.h"
#include "readers/QuilACsvParser.h"
#include "readers/WexACsvParser.h"
#include "readers/WexBCsvParser.h"
#include "readers/WexCCsvParser.h"
#include "readers/ZelACsvParser.h"
#include "readers/ZelBCsvParser.h"
#include "readers/ZelDXPqdifParser.h"
#include "readers/moxbcsvparser.h"
#include "tables/BrenaTableModel.h"
#include "tables/TempDatabaseTableModel.h"
#include "tables/ZelCTableModel.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QStorageInfo>
#include <QPointer>
#include <QSqlQuery>
#include <QtConcurrent>

#include <memory>

namespace {

const QString kSourceConnection = QStringLiteral("temp_Data_con");
const QString kDataConnection = QStringLiteral("Data_con");

bool endsWith(const QString &path, const char *suffix)
{
    return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

} // namespace

// ---- launcher and entry

bool Framework::importData(QString path, QString fileNumber, avaibleDevices_t device, int deviceId, QString kind)
{
    emit consoleMessage(tr("Importing Data from file: ") + path, 0);
    // The worker writes into the application database: without one open
    // there is nothing to import into.
    // Looked up on this thread: the session was opened on a worker.
    QString unreachable;
    if (!Connections::contains(kDataConnection)) {
        unreachable = tr("No application database is open: there is nothing to import into.");
    } else {
        const QSqlDatabase target = Connections::database(kDataConnection);
        if (!target.isOpen())
            unreachable = tr("The application database %1 cannot be opened: %2")
                              .arg(QDir::toNativeSeparators(Connections::filePath(kDataConnection)),
                                   target.lastError().text());
    }
    if (!unreachable.isEmpty()) {
        showMessage(QString(), tr("An error occurred") + QStringLiteral("\n") + unreachable, QMessageBox::Critical);
        return false;
    }
    cancelFlag.storeRelease(0);
    const QString text = tr("Importing Data from file: ") + QFileInfo(path).fileName() + QStringLiteral("\n(")
                         + fileNumber + QLatin1Char(')');
    ProgressDialog *progress = new ProgressDialog(0, text, mainWindow.data(), true);
    connect(progress, SIGNAL(canceled()), this, SLOT(cancelDataImport()));
    connect(this, SIGNAL(progressValueChanged(int)), progress, SLOT(update(int)));

    QFuture<void> task = QtConcurrent::run([this, path, device, deviceId, kind, progress]() {
        Connections::TaskScope connections;
        importDataWorker(path, device, deviceId, kind, progress);
    });
    // In view from the reading to the end of the writing or merging, with
    // Cancel working all along.
    runTaskWindow(progress, task);
    // The task's outcome, not the flag: a cancel after its last commit is none.
    return lastImportStored;
}

void Framework::importDataWorker(QString path, avaibleDevices_t device, int deviceId, QString kind,
                                 ProgressDialog *progress)
{
    TRACE_FUNC();
    lastImportStored = ImportDataWorker::stored(ImportDataWorker(*this, path, device, deviceId, kind, progress).run());
}

// ---- branch choice

ImportDataWorker::Branch ImportDataWorker::chooseBranch(avaibleDevices_t device, const QString &kind,
                                                        const QString &path)
{
    switch (device) {
    case ZelA:
    case Ravel:
        return Branch::ZelACsv;
    case ZelB:
    case Ostra:
    case Vanta:
        return Branch::ZelBCsv;
    case WexA:
        return Branch::WexACsv;
    case WexB:
        return Branch::WexBCsv;
    case WexC:
        return Branch::WexCCsv;
    case QuilA:
    case QuilBIoT:
    case QuilC:
        return Branch::QuilACsv;
    case ZelD:
    case ZelC:
        return Branch::AnalyserArchive;
    case ZelDX:
        return endsWith(path, ".pqd") ? Branch::Pqdif : Branch::AnalyserArchive;
    case Brena:
        return Branch::Brena;
    case MoxB:
        if (kind == QLatin1String("MoxBSettings"))
            return endsWith(path, ".sqlite3") || endsWith(path, ".csv") ? Branch::MoxBSettings
                                                                        : Branch::MoxBUnitUpdate;
        if (endsWith(path, ".sqlite3"))
            return Branch::MoxBSqlite;
        if (endsWith(path, ".csv"))
            return Branch::MoxBCsv;
        return Branch::UnknownSuffix;
    case MoxA:
        return endsWith(path, ".csv") ? Branch::MoxACsv : Branch::UnknownSuffix;
    case DEVICE_UNDEFINED:
    case INTERNAL_DB:
    case WexD:
    case MoxB_FILTERED:
    case MoxA_FILTERED:
        break;
    }
    return Branch::NoBranch;
}

// ---- worker

ImportDataWorker::ImportDataWorker(Framework &framework, QString path, avaibleDevices_t device, int deviceId,
                                   QString kind, ProgressDialog *progress)
    : m_fw(framework)
    , m_path(std::move(path))
    , m_device(device)
    , m_deviceId(deviceId)
    , m_kind(std::move(kind))
    , m_progress(progress)
{
}

void ImportDataWorker::error(const QString &text)
{
    emit m_fw.dialogMessage(text, QString(), 3);
}

void ImportDataWorker::wireReader(QObject *reader)
{
    // Progress goes by way of Framework::progressValueChanged, which the
    // launcher takes to the window, as the merge's does; messages by way of
    // Framework's own, as the task's.
    OpenFileWorker::wireReader(reader, nullptr, &m_fw);
    QObject::connect(reader, SIGNAL(progressValueChanged(int)), &m_fw, SIGNAL(progressValueChanged(int)),
                     Qt::DirectConnection);
}

bool ImportDataWorker::cancelRequested() const
{
    return m_fw.cancelFlag.loadAcquire() != 0;
}

bool ImportDataWorker::cancelledWhileReading()
{
    // The reader stops with false at a cancel and rolls its scratch database
    // back; the flag is set by nobody else.
    if (!cancelRequested())
        return false;
    emit m_fw.consoleMessage(Framework::tr("Data import was canceled."), 2);
    return true;
}

bool ImportDataWorker::openSource()
{
    QString folderError;
    const QString folder = ArchiveManager::scratchFolder(&folderError);
    m_source = folder.isEmpty() ? QSqlDatabase() : m_fw.archiveManager.openTmpDatabase(kSourceConnection);
    m_scratch = true;
    if (m_source.isOpen())
        return true;
    const QString reason = !folderError.isEmpty() ? folderError : m_source.lastError().databaseText();
    if (!reason.isEmpty() || scratchRoomShort())
        scratchFailure(reason);
    else {
        error(Framework::tr("Unable to open temp Database."));
        closeSource();
    }
    return false;
}

void ImportDataWorker::closeSource(bool keepScratchFile)
{
    if (m_source.isValid())
        m_fw.closeDatabase(m_source);
    m_source = QSqlDatabase();
    // Also after a failed open: the name must not stay registered.
    Connections::remove(kSourceConnection);
    if (!keepScratchFile)
        removeScratchFile();
}

void ImportDataWorker::removeScratchFile()
{
    // Whatever the outcome: a scratch database of a large archive is as
    // large as its values, and left behind it would keep a full disk full.
    if (m_scratch)
        ArchiveManager::removeTmpDatabase(kSourceConnection);
    m_scratch = false;
}

ImportDataWorker::End ImportDataWorker::scratchFailure(const QString &reason)
{
    // Asked before the scratch database goes, which frees its room.
    const bool noRoom = scratchRoomShort();
    closeSource();
    // The reader tells its own failures; a full disk it tells only in the
    // console, in SQLite's words.
    const QString told = !reason.isEmpty() ? reason : m_readerError;
    if (!reason.isEmpty() || noRoom || sql::isDiskFull(told))
        error(ArchiveManager::temporaryFolderRefusal(sql::isDiskFull(told) ? sql::diskFullText()
                                                     : !told.isEmpty()     ? told
                                                                           : Framework::tr("no room left")));
    return End::Failed;
}

bool ImportDataWorker::scratchRoomShort()
{
    // What a scratch database or SQLite's own sorting needs at the least.
    constexpr qint64 kLeast = 1024 * 1024;
    const QStorageInfo storage(QDir::tempPath());
    return storage.isValid() && storage.bytesAvailable() < kLeast;
}

ImportDataWorker::Outcome ImportDataWorker::outcomeOf(End end, bool databaseGone) const
{
    switch (end) {
    case End::Committed:
        return m_skippedLines > 0 || m_differingValues > 0 || m_repeatedValues > 0 ? Outcome::NotWhole
                                                                                   : Outcome::Whole;
    case End::Cancelled:
        return Outcome::Cancelled;
    case End::Failed:
        break;
    }
    // What went in before is in a file that is gone: the refusal ("nothing
    // was written to it") is the whole truth about the file now there.
    return databaseGone ? Outcome::DatabaseGone : Outcome::Failed;
}

void ImportDataWorker::reportOutcome(Outcome outcome)
{
    const QString file = QDir::toNativeSeparators(m_path);
    switch (outcome) {
    case Outcome::Whole:
        emit m_fw.consoleMessage(Framework::tr("The whole file was imported: %1").arg(file), 1);
        return;
    case Outcome::NotWhole:
        // What was left out has been told by the reader and the merge.
        emit m_fw.consoleMessage(Framework::tr("The file was imported, but not whole: %1").arg(file), 2);
        return;
    case Outcome::Cancelled:
        if (m_keptValues > 0)
            emit m_fw.consoleMessage(Framework::tr("%2 values of the file %1 were stored before the cancel; "
                                                   "importing the file again completes it.")
                                         .arg(file)
                                         .arg(m_keptValues),
                                     2);
        else
            emit m_fw.consoleMessage(Framework::tr("Nothing of the file %1 was stored.").arg(file), 2);
        return;
    case Outcome::Failed:
        // The failure itself has been told where it happened.
        if (m_keptValues > 0)
            emit m_fw.consoleMessage(Framework::tr("%2 values of the file %1 were stored before the failure; "
                                                   "importing the file again completes it.")
                                         .arg(file)
                                         .arg(m_keptValues),
                                     2);
        return;
    case Outcome::DatabaseGone:
        return;
    }
}

ImportDataWorker::Outcome ImportDataWorker::run()
{
    m_timer.start();
    // This thread's own connection to the application database.
    m_target = Connections::contains(kDataConnection) ? Connections::database(kDataConnection) : QSqlDatabase();
    const Branch branch = chooseBranch(m_device, m_kind, m_path);
    if (branch != Branch::NoBranch && branch != Branch::UnknownSuffix) {
        const QString refusal = appdb::writeRefusal(kDataConnection);
        if (!refusal.isEmpty() || !m_target.isOpen()) {
            error(refusal.isEmpty() ? Framework::tr("Database is not opened.") : refusal);
            return refusal.isEmpty() ? Outcome::Failed : Outcome::DatabaseGone;
        }
    }
    End end = End::Failed;
    {
        // Long statements (a sort, a set-based merge) stop at a cancel too.
        // The settings import cannot be cancelled.
        const bool watched = branch != Branch::MoxBSettings && branch != Branch::MoxBUnitUpdate;
        // The merges and the PQDIF reader take any failure after a cancel
        // for the cancel: a commit's checkpoint may be stopped at once too.
        const CancelWatch watch(m_target, watched ? &m_fw.cancelFlag : nullptr,
                                branch == Branch::Brena ? CancelWatch::Stop::Polled : CancelWatch::Stop::AtOnce);
        end = runBranch(branch);
    }
    closeSource();
    // The file may have gone while the branch wrote (its commit was then
    // refused): the user learns why, whichever branch it was.
    const QString refusal = end == End::Failed && !m_refusalTold ? appdb::writeRefusal(kDataConnection) : QString();
    if (!refusal.isEmpty())
        error(refusal);
    const Outcome outcome = outcomeOf(end, m_refusalTold || !refusal.isEmpty());
    reportOutcome(outcome);
    return outcome;
}

ImportDataWorker::End ImportDataWorker::runBranch(Branch branch)
{
    switch (branch) {
    case Branch::ZelACsv:
        return csvFamily<ZelACsvParser>();
    case Branch::ZelBCsv:
        return csvFamily<ZelBCsvParser>();
    case Branch::WexACsv:
        return csvFamily<WexACsvParser>();
    case Branch::WexBCsv:
        return csvFamily<WexBCsvParser>();
    case Branch::WexCCsv:
        return csvFamily<WexCCsvParser>();
    case Branch::QuilACsv:
        return csvFamily<QuilACsvParser>();
    case Branch::AnalyserArchive:
        return analyserArchive();
    case Branch::Brena:
        return brenaRecordFile();
    case Branch::UnknownSuffix:
        error(Framework::tr("Unsupported file type: ") + m_path);
        return End::Failed;
    case Branch::Pqdif:
        return pqdifFile();
    // Branches that come with their readers.
    case Branch::MoxBSettings:
    case Branch::MoxBUnitUpdate:
        return moxbSettings();
    case Branch::MoxBSqlite:
        return moxbArchive();
    case Branch::MoxBCsv:
        return recorderCsv<moxbcsvparser>(QStringLiteral("DataMoxB"), "SourceTypeFile == MoxB_DATA_FILE_CSV");
    case Branch::MoxACsv:
        return recorderCsv<MoxAparser>(QStringLiteral("DataMoxA"), "SourceTypeFile == MoxA_DATA_FILE_CSV");
    case Branch::NoBranch:
        break;
    }
    return notImported("no import for this type");
}

ImportDataWorker::End ImportDataWorker::notImported(const char *why)
{
    TRACE() << "Import not available:" << why << m_device << m_path;
    error(Framework::tr("Import is not supported for this device type."));
    return End::Failed;
}

template <class Reader>
ImportDataWorker::End ImportDataWorker::csvFamily()
{
    Reader reader(m_progress, &m_fw.cancelFlag, nullptr);
    wireReader(&reader);
    OpenFileWorker::showReaderPhases(&reader, m_progress);
    noteReaderErrors(&reader, &Reader::consoleMessage);
    if (!openSource())
        return End::Failed;
    QString error;
    if (!DataMerge::prepareSourceForFill(m_source, &error))
        return scratchFailure(error);
    int lines = 0;
    if (!reader.openFile(m_path) || !reader.checkHeader() || !reader.parseFile(m_source, &lines)) {
        if (!cancelledWhileReading())
            return scratchFailure(QString());
        closeSource();
        return End::Cancelled;
    }
    m_skippedLines = reader.skippedLines();
    ProgressDialog::postPhase(QPointer<ProgressDialog>(m_progress), OpenFileWorker::writingPhase(), 0);
    End end = End::Failed;
    {
        const CancelWatch watch(m_source, &m_fw.cancelFlag);
        if (!DataMerge::prepareSourceForMerge(m_source, &error)) {
            if (!cancelRequested())
                return scratchFailure(error);
            emit m_fw.consoleMessage(Framework::tr("Data import was canceled."), 2);
            return End::Cancelled;
        }
        TempDatabaseTableModel model(m_source, nullptr);
        end = merge(&model);
    }
    closeSource();
    return end;
}

ImportDataWorker::End ImportDataWorker::analyserArchive()
{
    // The instrument's own archive: read in place, never changed.
    Connections::Options options;
    options.readOnly = true;
    Connections::registerFile(kSourceConnection, m_path, options);
    m_source = Connections::database(kSourceConnection);
    // SQLite opens any file lazily; a first read tells whether it is one.
    QSqlQuery probe(m_source);
    if (!m_source.isOpen() || !QFileInfo(m_path).isFile()
        || !probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
        probe = QSqlQuery();
        error(Framework::tr("Unable to open file: ") + m_path);
        closeSource();
        return End::Failed;
    }
    probe = QSqlQuery();
    End end = End::Failed;
    {
        const CancelWatch watch(m_source, &m_fw.cancelFlag);
        ZelCTableModel model(m_source, nullptr);
        end = merge(&model);
    }
    closeSource();
    return end;
}

ImportDataWorker::End ImportDataWorker::merge(MyAbstractSqlModel *source)
{
    const uint count = uint(qMax(0, source->getDataExportRowCnt()));
    const uint first = qMin(count, DataMerge::SectionSize);
    if (!source->execDataExportQuery(0, first)) {
        if (cancelRequested()) {
            emit m_fw.consoleMessage(Framework::tr("Data import was canceled."), 2);
            return End::Cancelled;
        }
        const QString reason = source->exportError();
        emit m_fw.consoleMessage(Framework::tr("Unable to read the archive's records.") + QLatin1Char(' ') + reason,
                                 3);
        if (sql::isDiskFull(reason))
            error(ArchiveManager::temporaryFolderRefusal(reason));
        else
            error(Framework::tr("Unable to read the archive's records."));
        return End::Failed;
    }
    ProgressDialog::postPhase(QPointer<ProgressDialog>(m_progress), OpenFileWorker::writingPhase(), 100);
    DataMerge merger;
    QObject::connect(&merger, &DataMerge::progressValueChanged, &m_fw, &Framework::progressValueChanged,
                     Qt::DirectConnection);
    QObject::connect(&merger, &DataMerge::consoleMessage, &m_fw, &Framework::consoleMessage, Qt::DirectConnection);
    QObject::connect(&merger, &DataMerge::dialogMessage, &m_fw, &Framework::dialogMessage, Qt::DirectConnection);

    DataMerge::Input input;
    input.source = source;
    input.count = count;
    input.firstSection = first;
    input.type = m_device;
    input.deviceId = m_deviceId;
    input.target = m_target;
    input.cancelFlag = &m_fw.cancelFlag;
    input.timer = &m_timer;
    input.mapFlag = &Framework::convertDeviceFlag;
    const QPointer<ProgressDialog> progress(m_progress);
    input.setProgressMaximum = [progress](int maximum) { ProgressDialog::postMaximum(progress, maximum); };
    input.writeRefusal = [this]() {
        const QString refusal = appdb::writeRefusal(kDataConnection);
        m_refusalTold = m_refusalTold || !refusal.isEmpty(); // the merge tells it
        return refusal;
    };
    const DataMerge::Result result = merger.run(input);
    m_keptValues = qint64(merger.added());
    switch (result) {
    case DataMerge::Result::Done:
        // Every section committed: a cancel after the last commit is none.
        return End::Committed;
    case DataMerge::Result::Cancelled:
        return End::Cancelled;
    case DataMerge::Result::Failed:
        break;
    }
    return End::Failed;
}

ImportDataWorker::End ImportDataWorker::pqdifFile()
{
    // The reader writes under the target instrument in its own transaction.
    ZelDXPqdifParser reader(m_progress, &m_fw.cancelFlag, nullptr);
    wireReader(&reader);
    // The reader writes as it reads; after its last value the view and the
    // commit follow.
    OpenFileWorker::showReaderPhases(&reader, m_progress);
    QSqlQuery query(m_target);
    query.prepare(QStringLiteral("SELECT name FROM Devices WHERE id = :deviceId;"));
    query.bindValue(QStringLiteral(":deviceId"), m_deviceId);
    if (!query.exec())
        emit m_fw.consoleMessage(query.lastError().text(), 3);
    if (!query.next()) {
        error(Framework::tr("Target device is missing from the database."));
        return End::Failed;
    }
    const QString name = query.value(0).toString();
    query = QSqlQuery();
    reader.setDeviceInfo(m_deviceId, name);
    int count = 0;
    if (!reader.openFile(m_path))
        return End::Failed;
    if (reader.parseFile(m_target, &count))
        return End::Committed;
    // The file's one transaction went back: at a cancel the reader has said
    // so, and nothing of the file is stored.
    return cancelRequested() ? End::Cancelled : End::Failed;
}

ImportDataWorker::End ImportDataWorker::moxbSettings()
{
    MoxBSettingsImport settings;
    QObject::connect(&settings, &MoxBSettingsImport::consoleMessage, &m_fw, &Framework::consoleMessage,
                     Qt::DirectConnection);
    QObject::connect(&settings, &MoxBSettingsImport::dialogMessage, &m_fw, &Framework::dialogMessage,
                     Qt::DirectConnection);
    MoxBSettingsImport::Input input;
    input.path = m_path;
    input.deviceId = m_deviceId;
    input.target = m_target;
    input.cancelFlag = &m_fw.cancelFlag;
    input.progress = m_progress;
    Framework *fw = &m_fw;
    ProgressDialog *progress = m_progress;
    input.wireReader = [progress, fw](QObject *reader) { OpenFileWorker::wireReader(reader, progress, fw); };
    return settings.run(input) == MoxBSettingsImport::Result::Done ? End::Committed : End::Failed;
}

ImportDataWorker::End ImportDataWorker::brenaRecordFile()
{
    BrenaTableModel model(m_path, nullptr);
    OpenFileWorker::wireReader(&model, nullptr, &m_fw);
    if (!model.loadFile())
        return End::Failed;
    // The conversion reports whole percents.
    ProgressDialog::postMaximum(QPointer<ProgressDialog>(m_progress), 100);

    BrenaConfigParser parser;
    parser.setCancelFlag(&m_fw.cancelFlag);
    OpenFileWorker::wireReader(&parser, nullptr, &m_fw);
    if (m_progress)
        QObject::connect(&parser, SIGNAL(fillDataProgressChanged(int)), m_progress, SLOT(update(int)),
                         Qt::QueuedConnection);
    QByteArray blob;
    if (!m_fw.archiveManager.getOtherCfg(m_deviceId, blob)) {
        error(Framework::tr("Target device is missing from the database."));
        return End::Failed;
    }
    parser.loadParametersMap(blob);
    if (parser.parametersMap().isEmpty()) {
        error(Framework::tr("No channel configuration is stored for this device."));
        return End::Failed;
    }
    if (parser.convertData(m_target, &model)) {
        m_skippedLines = parser.skippedRecords();
        return End::Committed;
    }
    // One transaction, rolled back; the conversion says nothing of a cancel.
    if (!cancelRequested())
        return End::Failed;
    emit m_fw.consoleMessage(Framework::tr("Data import was canceled."), 2);
    return End::Cancelled;
}

// ---- recorder branches

template <class Reader>
ImportDataWorker::End ImportDataWorker::recorderCsv(const QString &table, const char *trace)
{
    TRACE() << trace;
    Reader reader(m_progress, &m_fw.cancelFlag, nullptr);
    wireReader(&reader);
    OpenFileWorker::showReaderPhases(&reader, m_progress);
    // The reader fills a scratch database: the application database changes
    // only in the one transaction of the merge.
    noteReaderErrors(&reader, &Reader::consoleMessage);
    if (!openSource())
        return End::Failed;
    int rows = 0;
    if (!reader.openFile(m_path) || !reader.parseFile(m_source, &rows, 0)) {
        if (!cancelledWhileReading())
            return scratchFailure(QString());
        closeSource();
        return End::Cancelled;
    }
    m_skippedLines = reader.skippedLines();
    // Attached by its path for the merge, then deleted.
    const QString file = Connections::filePath(kSourceConnection);
    closeSource(true);
    const End end = wideImport(file, table, table, RecorderImport::Source::ReaderTable);
    removeScratchFile();
    return end;
}

ImportDataWorker::End ImportDataWorker::moxbArchive()
{
    TRACE() << "SourceTypeFile == MoxB_DATA_FILE_SQLITE";
    return wideImport(m_path, QStringLiteral("Data"), QStringLiteral("DataMoxB"), RecorderImport::Source::Archive);
}

ImportDataWorker::End ImportDataWorker::wideImport(const QString &file, const QString &sourceTable,
                                                   const QString &table, RecorderImport::Source source)
{
    ProgressDialog::postPhase(QPointer<ProgressDialog>(m_progress),
                              Framework::tr("Merging the rows by date and time"), 100);
    RecorderImport import;
    RecorderImport::Request request;
    request.db = m_target;
    request.table = table;
    request.file = file;
    request.sourceTable = sourceTable;
    request.source = source;
    request.deviceId = m_deviceId;
    request.cancelFlag = &m_fw.cancelFlag;
    Framework *fw = &m_fw;
    request.progress = [fw](int percent) { emit fw->progressValueChanged(percent); };
    switch (import.run(request)) {
    case RecorderImport::Result::Done:
        // Committed: a cancel after it is none.
        emit m_fw.consoleMessage(Framework::tr("Imported into %1: %2 rows in the table, %3 of them written, "
                                               "%4 new parameters, in: %5 ms")
                                     .arg(table)
                                     .arg(import.rowCount())
                                     .arg(import.rewritten())
                                     .arg(import.addedParameters())
                                     .arg(m_timer.elapsed()),
                                 1);
        m_differingValues = import.differing();
        m_repeatedValues = import.repeatedInFile();
        if (m_differingValues > 0)
            emit m_fw.consoleMessage(Framework::tr("Values of the file not written, as the table already holds "
                                                   "other values at their date and time: %1")
                                         .arg(m_differingValues),
                                     2);
        if (m_repeatedValues > 0)
            emit m_fw.consoleMessage(Framework::tr("Values of the file not written, as a later row of the file holds "
                                                   "another value at the same date and time: %1")
                                         .arg(m_repeatedValues),
                                     2);
        return End::Committed;
    case RecorderImport::Result::Cancelled:
        // One transaction, rolled back: nothing of the file was stored.
        emit m_fw.consoleMessage(Framework::tr("Data import was canceled."), 2);
        return End::Cancelled;
    case RecorderImport::Result::Failed:
        // A long statement stopped by the cancel fails as interrupted.
        if (cancelRequested()) {
            emit m_fw.consoleMessage(Framework::tr("Data import was canceled."), 2);
            return End::Cancelled;
        }
        break;
    }
    emit m_fw.consoleMessage(import.errorText(), 3);
    if (import.failedAt() == RecorderImport::Stage::Refused) {
        error(import.errorText());
    } else {
        QString text = import.failedAt() == RecorderImport::Stage::Begin
                           ? Framework::tr("An error occurred during transaction start.")
                           : Framework::tr("An error occurred during database import.");
        // A full disk is the user's to mend: its reason is shown, in SQLite's words.
        if (sql::isDiskFull(import.errorText()))
            text += QLatin1Char('\n') + sql::diskFullText();
        error(text);
    }
    return End::Failed;
}
