#include "database/MoxBSettingsImport.h"

#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "readers/MoxBSettingsUnits.h"
#include "readers/moxbdatabasecsvsetting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>

namespace {

const char *const kImportError = QT_TRANSLATE_NOOP("Framework", "An error occurred during settings import.");
const char *const kTransactionError =
    QT_TRANSLATE_NOOP("Framework", "An error occurred during settings transaction start.");
const char *const kTableError = QT_TRANSLATE_NOOP("Framework", "An error occurred during table creation.");
const char *const kRefusedTable =
    QT_TRANSLATE_NOOP("Framework", "The settings file holds a table named like a table of the application database: ");
const char *const kNoParameters = QT_TRANSLATE_NOOP(
    "Framework", "The settings file %1 has no parameters section (\"Parameters\" or \"Parametry\").");
const char *const kNoStoredSettings =
    QT_TRANSLATE_NOOP("Framework", "The file %1 is no settings file (.sqlite3 or .csv), and the database holds no "
                                   "settings of an earlier import (ParametersSettings) to take the units from.");

const QString kSchema = QStringLiteral("tempSettingsDB");
const QString kParametersSettings = QStringLiteral("ParametersSettings");
// The scratch database of a CSV settings file, for as long as it is read.
const QString kCsvConnection = QStringLiteral("MoxBSettingsCsv");
// MoxB_SETTING_FILE_CSV: handed to the reader, which does not use it.
constexpr int kSettingsCsvCode = 8;

const char *const kApplicationTables[] = {
    "Devices",         "Parameters",   "Data",           "Events",          "eventData",
    "DataMoxA",        "DataMoxB",     "tmpOldDataMoxA", "TempDataMoxA",    "DataMoxA_toDelete",
    "tmpOldDataMoxB",  "TempDataMoxB", "DataMoxB_toDelete", "ParametersFromDataTmp", "ParametersSettings",
};

QString trFramework(const char *text)
{
    return QCoreApplication::translate("Framework", text);
}

bool isTable(QSqlDatabase db, const QString &name)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ?"));
    query.addBindValue(name);
    return query.exec() && query.next();
}

// The settings file attached to the application database's connection for
// as long as the copy runs. Statements on it must be finished before it goes.
class Attachment
{
public:
    explicit Attachment(QSqlDatabase db)
        : m_db(db)
    {
    }
    ~Attachment() { detach(); }
    Attachment(const Attachment &) = delete;
    Attachment &operator=(const Attachment &) = delete;

    bool attach(const QString &file, QString *error)
    {
        // A pool thread keeps its connection: an earlier run that could not
        // detach would make this ATTACH fail.
        if (isAttached(m_db))
            QSqlQuery(m_db).exec(QStringLiteral("DETACH DATABASE ") + kSchema);
        QSqlQuery query(m_db);
        // The path is bound, never pasted: any character may be in it.
        if (!query.prepare(QStringLiteral("ATTACH DATABASE ? AS ") + kSchema)) {
            *error = sql::errorText(query);
            return false;
        }
        query.addBindValue(file);
        m_attached = query.exec();
        if (!m_attached)
            *error = sql::errorText(query);
        return m_attached;
    }

    void detach()
    {
        if (!m_attached)
            return;
        m_attached = false;
        QSqlQuery query(m_db);
        if (!query.exec(QStringLiteral("DETACH DATABASE ") + kSchema))
            TRACE() << "DETACH:" << sql::errorText(query);
    }

private:
    static bool isAttached(QSqlDatabase db)
    {
        QSqlQuery list(db);
        if (!list.exec(QStringLiteral("PRAGMA database_list")))
            return false;
        while (list.next()) {
            if (list.value(1).toString().compare(kSchema, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

    QSqlDatabase m_db;
    bool m_attached = false;
};

} // namespace

MoxBSettingsImport::Source MoxBSettingsImport::sourceOf(const QString &path)
{
    if (path.endsWith(QLatin1String(".sqlite3"), Qt::CaseInsensitive))
        return Source::SqliteFile;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return Source::CsvFile;
    return Source::None;
}

bool MoxBSettingsImport::isApplicationTable(const QString &name)
{
    // SQLite compares table names without regard to letter case.
    if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        return true;
    for (const char *table : kApplicationTables) {
        if (name.compare(QLatin1String(table), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QList<MoxBSettingsImport::Copy> MoxBSettingsImport::plan(const QStringList &tables, QStringList *refused)
{
    // The English parameters table, else the Polish one, becomes
    // ParametersSettings; a Polish one beside an English one keeps its name.
    const QString parameters = tables.contains(QStringLiteral("Parameters")) ? QStringLiteral("Parameters")
                               : tables.contains(QStringLiteral("Parametry")) ? QStringLiteral("Parametry")
                                                                              : QString();
    QList<Copy> copies;
    for (const QString &table : tables) {
        if (table == parameters) {
            copies.append({table, kParametersSettings});
            continue;
        }
        if (isApplicationTable(table)) {
            if (refused)
                refused->append(table);
            continue;
        }
        copies.append({table, table});
    }
    return copies;
}

MoxBSettingsImport::NameAndUnit MoxBSettingsImport::splitIndex(const QString &index)
{
    NameAndUnit out;
    const int open = index.indexOf(QLatin1Char('['));
    const int close = index.indexOf(QLatin1Char(']'));
    if (open >= 0 && close > open) {
        out.name = index.left(open).trimmed();
        out.unit = index.mid(open + 1, close - open - 1).trimmed();
    } else {
        out.name = index.trimmed();
        out.unit = QStringLiteral(" ");
    }
    const int dash = out.name.indexOf(QLatin1String(" - "));
    if (dash >= 0)
        out.name.replace(dash, 3, QStringLiteral(": "));
    return out;
}

bool MoxBSettingsImport::cancelled(const Input &input) const
{
    return input.cancelFlag && input.cancelFlag->loadAcquire() != 0;
}

MoxBSettingsImport::Result MoxBSettingsImport::fail(const char *dialogText, const QString &trace,
                                                    const QString &detail, bool detailInConsole)
{
    TRACE() << trace + detail;
    if (detailInConsole && !detail.isEmpty())
        emit consoleMessage(detail, 3);
    // The box says what went wrong, not only that something did.
    if (dialogText)
        emit dialogMessage(detail.isEmpty() ? trFramework(dialogText)
                                            : trFramework(dialogText) + QLatin1Char('\n') + detail,
                           QString(), 3);
    return Result::Failed;
}

MoxBSettingsImport::Result MoxBSettingsImport::run(const Input &input)
{
    if (!input.target.isOpen()) {
        TRACE() << "Docelowa baza danych nie jest otwarta.";
        return Result::Failed;
    }
    switch (sourceOf(input.path)) {
    case Source::SqliteFile:
        // SQLite would make an empty database of a missing file.
        if (!QFileInfo(input.path).isFile())
            return fail(kImportError, QStringLiteral("Błąd dołączania bazy danych ustawień: "),
                        QCoreApplication::translate("Framework", "Unable to open file: ") + input.path);
        return fromFile(input, QFileInfo(input.path).absoluteFilePath());
    case Source::CsvFile:
        TRACE() << "SourceTypeFile == MoxB_SETTINGS_FILE_CSV";
        return fromCsv(input);
    case Source::None:
        break;
    }
    return unitsOnly(input);
}

MoxBSettingsImport::Result MoxBSettingsImport::fromCsv(const Input &input)
{
    // The reader drops and makes a table per section: it writes into a
    // database of its own, never into the application database.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return fail(kImportError, QStringLiteral("Scratch folder: "), scratch.errorString());
    const QString file = scratch.filePath(QStringLiteral("settings.sqlite"));
    Connections::Options options;
    options.scratch = true;
    Connections::registerFile(kCsvConnection, file, options);
    struct Forget
    {
        ~Forget() { Connections::remove(kCsvConnection); }
    } forget;
    {
        moxbdatabasecsvsetting reader(input.progress, input.cancelFlag, nullptr);
        reader.setApplicationTitlesAllowed(true);
        if (input.wireReader)
            input.wireReader(&reader);
        // The reader's own errors (already in the console) say why the file
        // cannot be read.
        QStringList readerErrors;
        QObject::connect(&reader, &moxbdatabasecsvsetting::consoleMessage, &reader,
                         [&readerErrors](const QString &message, int icon) {
                             if (icon == 3)
                                 readerErrors << message;
                         });
        QSqlDatabase db = Connections::database(kCsvConnection);
        if (!db.isOpen())
            return fail(kImportError, QStringLiteral("Scratch database: "), db.lastError().text());
        // The reader tells the user itself why the file cannot be opened.
        if (!reader.openFile(input.path)) {
            TRACE() << "Błąd podczas otwierania pliku CSV settings.";
            return Result::Failed;
        }
        int rows = 0;
        const bool parsed = reader.parseFile(db, &rows, kSettingsCsvCode);
        if (cancelled(input))
            return Result::Cancelled;
        if (!parsed)
            return fail(kImportError, QStringLiteral("Błąd podczas parsowania pliku CSV settings."),
                        readerErrors.join(QLatin1Char('\n')), false);
        TRACE() << "Import CSV settings zakończony pomyślnie.";
    }
    // Written through: the attachment below reads the file.
    Connections::remove(kCsvConnection);
    return fromFile(input, file);
}

MoxBSettingsImport::Result MoxBSettingsImport::fromFile(const Input &input, const QString &file)
{
    Attachment attachment(input.target);
    QString error;
    if (!attachment.attach(file, &error))
        return fail(kImportError, QStringLiteral("Błąd dołączania bazy danych ustawień: "), error);

    QStringList tables;
    {
        QSqlQuery list(input.target);
        if (!list.exec(sql::userTablesStatement(kSchema)))
            return fail(kImportError, QStringLiteral("Błąd pobierania listy tabel: "), sql::errorText(list));
        while (list.next())
            tables << list.value(0).toString();
    }
    QStringList refused;
    const QList<Copy> copies = plan(tables, &refused);
    if (!refused.isEmpty())
        return fail(kImportError, QStringLiteral("Refused settings tables: "),
                    trFramework(kRefusedTable) + refused.join(QStringLiteral(", ")));
    bool hasParameters = false;
    for (const Copy &copy : copies)
        hasParameters = hasParameters || copy.target == kParametersSettings;
    if (!hasParameters)
        return fail(kImportError, QStringLiteral("Nie znaleziono tabeli Parameters ani Parametry."),
                    trFramework(kNoParameters).arg(QDir::toNativeSeparators(input.path)));
    if (cancelled(input))
        return Result::Cancelled;

    Result result = Result::Failed;
    {
        TransactionGuard transaction(input.target);
        if (!transaction.isActive())
            return fail(kTransactionError, QStringLiteral("Błąd rozpoczęcia transakcji: "), transaction.errorText());
        result = copyTables(input, copies);
        if (result == Result::Done)
            result = updateUnits(input, kSchema);
        if (result == Result::Done && cancelled(input))
            result = Result::Cancelled;
        if (result == Result::Done && !transaction.commit())
            result = fail(kImportError, QStringLiteral("Błąd zatwierdzania transakcji: "), transaction.errorText());
    }
    if (result == Result::Done)
        TRACE() << "Wszystkie ustawienia zaimportowane pomyślnie.";
    return result;
}

MoxBSettingsImport::Result MoxBSettingsImport::copyTables(const Input &input, const QList<Copy> &copies)
{
    QSqlQuery query(input.target);
    for (const Copy &copy : copies) {
        if (cancelled(input))
            return Result::Cancelled;
        // Schema-qualified: an unqualified name that main lacks would reach
        // the attached settings file. A table of an earlier import of the
        // same settings is replaced, so a second import gives the same tables.
        const QString target = QStringLiteral("main.") + sql::quoteIdentifier(copy.target);
        if (!query.exec(QStringLiteral("DROP TABLE IF EXISTS ") + target)
            || !query.exec(QStringLiteral("CREATE TABLE %1 AS SELECT * FROM %2.%3")
                               .arg(target, kSchema, sql::quoteIdentifier(copy.source)))) {
            return fail(kTableError, QStringLiteral("Błąd kopiowania tabeli %1: ").arg(copy.source),
                        sql::errorText(query));
        }
        TRACE() << QStringLiteral("Pomyślnie skopiowano tabelę: %1 jako %2").arg(copy.source, copy.target);
    }
    return Result::Done;
}

MoxBSettingsImport::Result MoxBSettingsImport::updateUnits(const Input &input, const QString &sectionsSchema)
{
    // Units by the parameter names of ParametersSettings ("name [unit]"); an
    // Index without a unit gives none.
    QMap<QString, QString> indexUnits;
    {
        QSqlQuery read(input.target);
        if (!read.exec(QStringLiteral("SELECT * FROM main.ParametersSettings")))
            return fail(kImportError, QStringLiteral("Błąd odczytu z ParametersSettings:"),
                        isTable(input.target, kParametersSettings)
                            ? sql::errorText(read)
                            : trFramework(kNoStoredSettings).arg(QDir::toNativeSeparators(input.path)));
        const int index = read.record().indexOf(QStringLiteral("Index"));
        if (index < 0)
            TRACE() << "ParametersSettings has no Index column: no units from it";
        while (index >= 0 && read.next()) {
            const NameAndUnit row = splitIndex(read.value(index).toString());
            if (!row.name.isEmpty() && !row.unit.trimmed().isEmpty())
                indexUnits.insert(row.name, row.unit);
        }
    }
    // Display units of the channel sections, as the session's charts and
    // reports show them.
    MoxBSettingsUnits sectionUnits;
    sectionUnits.load(input.target, sectionsSchema);

    struct Change
    {
        qint64 id;
        QString name;
        QString unit;
    };
    QList<Change> changes;
    {
        QSqlQuery parameters(input.target);
        parameters.prepare(QStringLiteral("SELECT id, name, unit FROM main.Parameters WHERE idDevices = ? ORDER BY id"));
        parameters.addBindValue(input.deviceId);
        if (!parameters.exec())
            return fail(kImportError, QStringLiteral("Błąd odczytu z Parameters:"), sql::errorText(parameters));
        while (parameters.next()) {
            const QString name = parameters.value(1).toString();
            // A settings name matches a parameter exactly, by its whole name
            // or its channel: a unit for U1 is not one for U10 or u1.
            QString unit;
            for (const QString &key : MoxBSettingsUnits::keys(name)) {
                const auto it = indexUnits.constFind(key);
                if (it != indexUnits.constEnd()) {
                    unit = it.value();
                    break;
                }
            }
            if (unit.isEmpty())
                unit = sectionUnits.unitOf(name);
            if (!unit.trimmed().isEmpty() && unit != parameters.value(2).toString())
                changes.append({parameters.value(0).toLongLong(), name, unit});
        }
    }

    QSqlQuery update(input.target);
    if (!update.prepare(QStringLiteral("UPDATE main.Parameters SET unit = ? WHERE id = ?")))
        return fail(kImportError, QStringLiteral("Błąd aktualizacji tabeli Parameters:"), sql::errorText(update));
    for (const Change &change : qAsConst(changes)) {
        if (cancelled(input))
            return Result::Cancelled;
        TRACE() << "deviceID: " << input.deviceId << " , unit: " << change.unit << " , name: " << change.name;
        update.addBindValue(change.unit);
        update.addBindValue(change.id);
        if (!update.exec())
            return fail(kImportError, QStringLiteral("Błąd aktualizacji tabeli Parameters:"), sql::errorText(update));
    }
    TRACE() << "Pomyślnie zaktualizowano jednostki w tabeli Parameters.";
    return Result::Done;
}

MoxBSettingsImport::Result MoxBSettingsImport::unitsOnly(const Input &input)
{
    TransactionGuard transaction(input.target);
    if (!transaction.isActive())
        return fail(kImportError, QStringLiteral("Błąd rozpoczęcia transakcji aktualizacji:"),
                    transaction.errorText());
    Result result = updateUnits(input, QString());
    if (result == Result::Done && cancelled(input))
        result = Result::Cancelled;
    if (result == Result::Done && !transaction.commit())
        result = fail(kImportError, QStringLiteral("Błąd zatwierdzania transakcji: "), transaction.errorText());
    return result;
}
