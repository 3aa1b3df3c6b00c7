#pragma once
// The import task: one run of Framework::importDataWorker on a pool thread.
// Chooses a branch by instrument type, import kind and file suffix; the text
// archives and analyser archives are read into a source database and merged
// into the application database, a Brena record file is converted straight
// into it; recorder files are merged into their wide tables.
#include "app/AvailableDevices.h"
#include "database/RecorderImport.h"

#include <QElapsedTimer>
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
    // Closes and forgets the source connection.
    // The scratch database a reader fills; false (reported, failed) when it
    // cannot be opened.
    bool openSource();
    void closeSource();
    // A failed import looks like a cancelled one to the launcher.
    void markFailed();
    void error(const QString &text);

    Framework &m_fw;
    const QString m_path;
    const avaibleDevices_t m_device;
    const int m_deviceId;
    const QString m_kind;
    ProgressDialog *const m_progress;
    QElapsedTimer m_timer;
    QSqlDatabase m_source;
    QSqlDatabase m_target;
};
