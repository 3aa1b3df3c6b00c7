#pragma once
// The open-file task: one run of Framework::openFileWorker on a pool thread.
// Entry, the dispatch by instrument type, the reader procedure, the standard
// model set, and the success and failure tails. A branch is one case of
// dispatch() built from these steps.
#include "app/AvailableDevices.h"
#include "app/Framework.h"
#include "common/ProgressDialog.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class Framework;
class ProgressDialog;
class QObject;
class moxbdatabasemanager;

class OpenFileWorker
{
public:
    OpenFileWorker(Framework &framework, QString path, avaibleDevices_t device, QStringList files,
                   ProgressDialog *progress, int sourceType);

    // Sets Framework::offerSettingsFile when the window is to offer the data
    // file's settings file once the task has ended (the settings open into
    // the session this one made).
    void run();

    // Steps 1-2 of the reader procedure, shared with the import task:
    // progress to the dialog, messages on Framework's signals, which the
    // window shows (both may be null).
    static void wireReader(QObject *reader, ProgressDialog *progress, Framework *framework);

    // The phases a task's window shows for a reader: reading from now until
    // the reader's last value (100), then writing what it read, which is not
    // the task's end. The task names any later phase itself.
    template <class Reader>
    static void showReaderPhases(Reader *reader, ProgressDialog *progress)
    {
        if (!progress)
            return;
        const QPointer<ProgressDialog> window(progress);
        ProgressDialog::postPhase(window, readingPhase(), 0);
        QObject::connect(
            reader, &Reader::progressValueChanged, reader,
            [window, told = false](int value) mutable {
                if (value >= 100 && !told) {
                    told = true;
                    ProgressDialog::postPhase(window, writingPhase(), 0);
                }
            },
            Qt::DirectConnection);
    }
    static QString readingPhase();
    static QString writingPhase();

private:
    enum class Outcome {
        Success,
        Failure,
        Abandoned, // ends at once: neither tail runs
    };

    // What the standard model set gets besides the table and chart models.
    struct ModelSet
    {
        bool report;
        avaibleDevices_t reportType; // DEVICE_UNDEFINED: the session's own type
        bool chartCountFromReader;

        static ModelSet withReport(avaibleDevices_t type = DEVICE_UNDEFINED) { return {true, type, true}; }
        static ModelSet tableAndChart() { return {false, DEVICE_UNDEFINED, true}; }
    };

    // Whether a temporary database that cannot be made is shown to the user.
    enum class TmpDbFailure {
        Report,
        Silent,
    };

    Outcome dispatch();

    // The reader procedure of every branch with a reader: a local reader
    // wired to the dialog and the window, the branch's temporary database as
    // the session's, then read(reader, database, count) opens, checks and
    // parses. False fails the branch; each step has reported its own failure.
    template <class Reader, class Read>
    bool readIntoTmpDatabase(const char *tmpDbName, TmpDbFailure onTmpDbFailure, int *count, Read read);
    // A text archive: reader procedure with a header check, then the
    // standard model set.
    template <class Reader>
    Outcome textArchive(const char *tmpDbName, ModelSet models, TmpDbFailure onTmpDbFailure = TmpDbFailure::Report);
    // An event log: reader procedure without a header check, the code as
    // each event's type, then a table model alone (no chart, report or CSV
    // export).
    template <class Reader, class Model>
    Outcome eventLog(const char *tmpDbName, int code);
    Outcome zelcFamilyFile();
    // The analysers' own SQLite archive, opened read-only in place (a
    // built-in example through a copy in the temporary folder).
    Outcome zelcDataArchive();
    // A ZelDX PQDIF file, read into the temporary database "Data_con".
    Outcome pqdifArchive();
    Outcome moxbRecorderFile();
    // The recorder's data: its own SQLite archive, or a CSV read into a
    // temporary database; the main window then offers the settings file.
    Outcome moxbDataArchive();
    Outcome moxbLogArchive();
    Outcome moxbDataCsv();
    // The recorder's settings, SQLite or CSV, loaded beside the session of
    // its data file into a new settings manager.
    Outcome moxbSettingsArchive();
    Outcome moxbSettingsCsv();
    Outcome moxbSettingsOutcome(const QStringList &tables);
    // A settings file that cannot be used leaves the data session as it is.
    Outcome refuseSettingsFile();
    moxbdatabasemanager *newMoxBManager();
    // The MoxA recorder's CSV export, read into the temporary database.
    Outcome moxaDataCsv();
    Outcome applicationDatabase();
    Outcome brenaRecordFile();

    // The instrument's own SQLite file as the session's "Data_con", opened
    // where it is and read-only: neither its contents nor its journal mode
    // change.
    bool openInPlace();
    // Whether the file opened in place is of the kind chosen: statement reads
    // what the kind's models read first. Otherwise the refusal (a Framework
    // text with %1 for the file) is shown and false returned.
    bool probeInPlace(const QString &statement, const char *refusal);
    // A recorder data session: its table, chart and report models and the
    // CSV export.
    template <class Table, class Chart, class Report>
    void recorderModels(avaibleDevices_t reportType);

    // Steps 1-2 of the reader procedure: progress, messages.
    void wireReader(QObject *reader);
    // Step 3: the temporary database of the branch as the session's database.
    bool openTmpDatabase(const char *name, TmpDbFailure onFailure);
    void buildStandardModels(const ModelSet &models, int readerCount);
    // The model set over the session's database with the given table model.
    template <class TableModel>
    void buildModels(const ModelSet &models, int readerCount);

    void successTail();
    void failureTail();
    // Models made here move to the GUI thread before the window sees them.
    void handModelsToGui();

    Framework &m_fw;
    QString m_path;
    const avaibleDevices_t m_device;
    const QStringList m_files;
    ProgressDialog *const m_progress;
    // The session as it was before this open, for a branch that keeps it.
    Framework::SessionInfo m_keptSession;
    const int m_sourceType;
    QElapsedTimer m_timer;
    bool m_offerSettings = false;
};
