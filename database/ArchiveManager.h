#pragma once
#include "database/DeviceCfg.h"

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QAtomicInt>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

// Time span and row count of the measurements of an archive (or of one
// instrument). Times are milliseconds since 1970-01-01 UTC; all 0 when nothing
// was read.
struct ArchiveInfo
{
    qint64 firstRecordDate = 0;
    qint64 lastRecordDate = 0;
    quint32 allRecordsCnt = 0;
};
Q_DECLARE_METATYPE(ArchiveInfo)

// The period of the records and whether there is any: what a few index pages
// tell, without counting the rows.
struct ArchivePeriod
{
    qint64 firstRecordDate = 0;
    qint64 lastRecordDate = 0;
    bool hasRecords = false;
};

// Owner of the application database's records and of temporary databases.
// The application database is the registry's "Data_con"; this class never
// registers that name, whoever opens a ".qdb" file does.
class QueryInterrupt;

class ArchiveManager : public QObject
{
    Q_OBJECT
public:
    using ArchiveInfo = ::ArchiveInfo;

    explicit ArchiveManager(QObject *parent = nullptr);
    ~ArchiveManager() override;

    // Creates (or empties) an application database file with the schema.
    // An existing file is replaced only once the new one is complete.
    static bool createDatabase(const QString &path);

    // A fresh database with the application schema in the process's own
    // temporary folder, "<name>_TmpDb.sqlite", registered as a scratch
    // connection under name. The handle belongs to the calling thread.
    // Invalid when an old file cannot be deleted or the folder cannot be
    // made; not open when the new one cannot be set up.
    QSqlDatabase openTmpDatabase(const QString &name);
    // Forgets the name and deletes its temporary database with the files
    // SQLite keeps beside it.
    static void removeTmpDatabase(const QString &name);

    // Time span and row count of all measurements of the open application
    // database (narrow and wide tables together), upgrading its schema first.
    ArchiveInfo getArchiveInfo();
    // The same time span and whether any measurement exists, without reading
    // every row; upgrades the schema first.
    ArchivePeriod getArchivePeriod();
    // The exact number of measurements of the application database that the
    // registry holds under connection (any thread, its own connection): reads
    // every index entry of the tables. -1 with the reason in *error when the
    // database cannot be read, and -1 with no reason within milliseconds of
    // stop->interrupt().
    static qint64 countRecords(const QString &connection, QString *error = nullptr, QueryInterrupt *stop = nullptr);

    QString tmpDbFilePath() const { return m_tmpDbFilePath; }

    // Instrument records of the open application database. Names mark an
    // instrument's columns in the wide recorder tables, so a name equal to
    // another's ignoring letter case, or one ending in " (" and another's
    // name, is refused. Renaming renames the instrument's columns with it.
    // configFiles: the configuration files of a Brena meter (empty otherwise).
    bool addDevice(const QString &name, avaibleDevices_t type, const QString &filesPath, bool onlineCfgEnable,
                   const QString &addresIP, int protocolType, const QString &user, const QString &pass,
                   const QStringList &configFiles);
    bool editDevice(int id, const QString &name, avaibleDevices_t type, const QString &filesPath,
                    bool onlineCfgEnable, const QString &addresIP, int protocolType, const QString &user,
                    const QString &pass);
    // Every instrument with its parameters, by id.
    QMap<int, DeviceCfg> getDevices();
    // The otherCfg blob of an instrument; false (buffer untouched) without
    // such a row.
    bool getOtherCfg(int id, QByteArray &buffer);
    // Time span and row count of one instrument's Data rows and of the wide
    // table rows in which one of its columns holds a value.
    ArchiveInfo getDeviceInfo(int id);
    // The same time span from the indexes, without counting; hasRecords: a
    // first and a last time were found.
    ArchivePeriod getDevicePeriod(int id);
    // The same row count, as countRecords counts (any thread, the
    // registry's connection name, interruptible).
    static qint64 countDeviceRecords(const QString &connection, int id, QString *error = nullptr,
                                     QueryInterrupt *stop = nullptr);
    // Removes an instrument with its parameters, values, events, its columns
    // of the wide tables and the rows left there without a value, in one
    // transaction.
    bool removeDevice(int id);

    static QString tmpDatabasePath(const QString &name);

    // The folder of this process's temporary databases, inside the system
    // temporary folder: another running copy of the program has its own, so
    // neither replaces the other's files. Made on first use and removed with
    // everything in it when the process ends. Empty when it cannot be made
    // (error: why).
    static QString scratchFolder(QString *error = nullptr);
    // At start, before any connection is opened (later calls do nothing):
    // removes the scratch folders that copies of the program which no longer
    // run left behind, makes this process's own, and sends SQLite's own
    // temporary files (sorts, temporary tables) into it, so that the folder
    // that is checked and named is the one they fill.
    static void prepareScratch();
    // The scratch folders in the temporary folder whose owner is known and
    // no longer runs: removed with their contents. Folders without an owner
    // mark, and those of running copies, stay. Returns the folders removed.
    static QStringList removeStaleScratchFolders();
    // What the user is told when the temporary folder cannot take an
    // import's data: the folder and the reason.
    static QString temporaryFolderRefusal(const QString &reason);

signals:
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString msg, int icon = 0);

public slots:
    void forwardDialogMessage(QString msg, QString title = QString(), int icon = 0);
    void forwardConsoleMessage(QString msg, int icon = 0);

protected:
    // The calling thread's "Data_con" handle when it is open; otherwise reports
    // "Database is not opened." (icon 2) on the chosen channel and returns an
    // invalid handle. The dialog channel (the members that write) also
    // refuses a file deleted or replaced since the session opened it.
    enum class Channel { Dialog, Console };
    QSqlDatabase dataConnection(Channel channel);

    // The application database for one call on the calling thread. A
    // session's table model may keep a read open on the thread's "Data_con"
    // connection: through that connection the instruments, counts and times
    // would stay those of an old snapshot, a write begun on it would fail,
    // and a table that the read uses could not be dropped. While a read is
    // open there, the call gets a connection of its own, which goes with
    // this object.
    class CallConnection
    {
    public:
        // Reports "Database is not opened." as dataConnection does.
        CallConnection(ArchiveManager *manager, Channel channel);
        ~CallConnection();
        CallConnection(const CallConnection &) = delete;
        CallConnection &operator=(const CallConnection &) = delete;
        // Open, or invalid when there is no application database.
        QSqlDatabase database() const;
        // Its name in the registry; empty when there is none.
        QString name() const;

    private:
        QSqlDatabase m_shared; // the thread's "Data_con", when no read is open on it
        QString m_own;         // the registry name of a connection of its own
    };

private:
    // Runs count on the calling thread's connection of the registry's name,
    // which stop may interrupt meanwhile. -1 with the reason when it fails;
    // an interrupted count is -1 with no reason: nothing went wrong.
    static qint64 runCount(const QString &connection, QString *error, QueryInterrupt *stop,
                           const std::function<qint64(QSqlDatabase &, QueryInterrupt *, QString *)> &count);
    ArchivePeriod devicePeriod(QSqlDatabase db, int id);
    // False, with the notice shown, when name may not be given to the
    // instrument ownId (-1: a new one) beside the others.
    bool nameIsFree(QSqlDatabase db, const QString &name, int ownId, const QString &failed);

    QString m_tmpDbFilePath;
    quint64 m_schemaCheckedFor = 0; // the registration of "Data_con" whose schema is up to date
};
