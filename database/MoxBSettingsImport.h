#pragma once
// Brings a MoxB recorder's settings into the application database: every
// table of its SQLite settings file (or every section of its CSV settings
// file, read into a scratch database first) under its own name, the
// parameters table as ParametersSettings, then the units named there written
// into the instrument's Parameters rows. All of it in one transaction: a
// failure or a cancel leaves the application database as it was.
#include <QAtomicInteger>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

class ProgressDialog;

class MoxBSettingsImport : public QObject
{
    Q_OBJECT
public:
    enum class Source {
        SqliteFile, // ".sqlite3": attached and copied
        CsvFile,    // ".csv": read into a scratch database, then copied
        None,       // any other file: only the units, from the ParametersSettings already stored
    };
    enum class Result { Done, Cancelled, Failed };

    struct Input
    {
        QString path;
        int deviceId = 0;
        QSqlDatabase target; // the application database, this thread's connection
        QAtomicInteger<char> *cancelFlag = nullptr;
        ProgressDialog *progress = nullptr; // handed to the CSV reader
        // Connects the CSV reader's progress and messages before it runs.
        std::function<void(QObject *reader)> wireReader;
    };

    // A settings table as the application database stores it.
    struct Copy
    {
        QString source;
        QString target;
    };

    // The parameter name and the unit an Index text of ParametersSettings names.
    struct NameAndUnit
    {
        QString name;
        QString unit;
    };

    using QObject::QObject;

    static Source sourceOf(const QString &path);
    Result run(const Input &input);

    static NameAndUnit splitIndex(const QString &index);
    // A name that no settings table may take: the application's own tables,
    // the recorder tables and their work tables.
    static bool isApplicationTable(const QString &name);
    // The copies of the given settings tables; refused names go to refused.
    static QList<Copy> plan(const QStringList &tables, QStringList *refused);

signals:
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString msg, int icon);

private:
    Result fromCsv(const Input &input);
    Result fromFile(const Input &input, const QString &file);
    // Runs inside the caller's transaction.
    Result copyTables(const Input &input, const QList<Copy> &copies);
    // Units of the instrument's parameters from ParametersSettings and from
    // the channel sections of the settings in sectionsSchema ("" for main).
    Result updateUnits(const Input &input, const QString &sectionsSchema);
    Result unitsOnly(const Input &input);

    bool cancelled(const Input &input) const;
    // trace: the debug line; detail: the error, in the console (unless
    // already there) and under dialogText in the message box.
    Result fail(const char *dialogText, const QString &trace, const QString &detail, bool detailInConsole = true);
};
