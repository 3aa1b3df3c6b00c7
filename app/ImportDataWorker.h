#pragma once
// The import task: one run of Framework::importDataWorker on a pool thread.
// Chooses a branch by instrument type, import kind and file suffix; the text
// archives and analyser archives are read into a source database and merged
// into the application database, a Brena record file is converted straight
// into it; recorder files are merged into their wide tables.
#include "app/AvailableDevices.h"
#include "database/RecorderImport.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

class Framework;
class MyAbstractSqlModel;
class ProgressDialog;

class ImportDataWorker
{
public:
    enum class Branch {
        ZelACsv,
        ZelBCsv,
        WexACsv,
        WexBCsv,
        WexCCsv,
        QuilACsv,
        AnalyserArchive,
        Pqdif,
        Brena,
        MoxBSettings,   // a settings file, then the unit update
        MoxBUnitUpdate, // the unit update alone
        MoxBSqlite,
        MoxBCsv,
        MoxACsv,
        UnknownSuffix, // a recorder file of no kind that can be imported
        NoBranch,      // a type without import
    };

    static Branch chooseBranch(avaibleDevices_t device, const QString &kind, const QString &path);

    ImportDataWorker(Framework &framework, QString path, avaibleDevices_t device, int deviceId, QString kind,
                     ProgressDialog *progress);

    void run();

private:
    void runBranch(Branch branch);
    template <class Reader>
    void csvFamily();
    void analyserArchive();
    void pqdifFile();
    void moxbSettings();
    void brenaRecordFile();
    void notImported(const char *why);
    // Recorder files into the wide tables: a CSV read into a scratch
    // database, or a MoxB archive attached as it is.
    template <class Reader>
    void recorderCsv(const QString &table, const char *trace);
    void moxbArchive();
    void wideImport(const QString &file, const QString &sourceTable, const QString &table,
                    RecorderImport::Source source);

    // The merge into the open application database; marks a failure.
    void merge(MyAbstractSqlModel *source);
    // The scratch database a reader fills; false (reported, failed) when it
    // cannot be opened.
    bool openSource();
    // Closes and forgets the source connection; a scratch database is
    // deleted unless the caller still needs its file (and deletes it then).
    void closeSource(bool keepScratchFile = false);
    void removeScratchFile();
    // The scratch stage failed: said with the temporary folder and the
    // reason when the folder has no room (or a reason is known), failed.
    void scratchFailure(const QString &reason);
    static bool scratchRoomShort();
    // Keeps the reader's error lines: a reader tells a full disk only there.
    template <class Reader, class Signal>
    void noteReaderErrors(Reader *reader, Signal signal)
    {
        QObject::connect(reader, signal, [this](const QString &text, int icon) {
            if (icon == 3)
                m_readerError = text;
        });
    }
    // Messages to the window, progress to Framework::progressValueChanged.
    void wireReader(QObject *reader);
    // After a reader stopped with false: whether the user's cancel stopped it
    // (then said as the import's cancel; nothing of the file was stored).
    bool cancelledWhileReading();
    // A failed import looks like a cancelled one to the launcher.
    void markFailed();
    void error(const QString &text);
    // What the console is told at the end: the file imported whole, or how
    // much of it was kept.
    void reportOutcome();

    Framework &m_fw;
    const QString m_path;
    const avaibleDevices_t m_device;
    const int m_deviceId;
    const QString m_kind;
    ProgressDialog *const m_progress;
    QElapsedTimer m_timer;
    QSqlDatabase m_source;
    QSqlDatabase m_target;
    bool m_scratch = false;     // m_source is this import's own scratch database
    bool m_failed = false;      // a failure, not the user's cancel
    qint64 m_keptValues = 0;    // values written by sections that committed
    bool m_complete = false;    // all of the file was committed
    // What a finished import left out: lines its reader skipped, values
    // that differ from those stored at their date and time.
    qint64 m_skippedLines = 0;
    qint64 m_differingValues = 0;
    QString m_readerError;      // the reader's last error line
    bool m_refusalTold = false; // the file was found gone or replaced, and said so
};
