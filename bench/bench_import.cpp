// Importing a ZelB archive of two million values into an application database
// that already holds ten million, against reading the same archive into a
// temporary database alone. The import is what the import task does: the
// reader fills the source database (without the indexes a session's
// temporary database has), the merge pages it into the application database
// under the instrument (parameters matched, values later than the stored
// ones written without a look-up).
#include "common/Connections.h"
#include "database/ArchiveManager.h"
#include "database/DataMerge.h"
#include "database/IndexBuild.h"
#include "readers/ZelBArchiveWriter.h"
#include "readers/ZelBCsvParser.h"
#include "tables/TempDatabaseTableModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVariant>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kLines = 125000;
constexpr int kGroups = 16;
constexpr qint64 kExisting = 10000000;
const QString kSource = QStringLiteral("bench_source");
const QString kApp = QStringLiteral("bench_app");

[[noreturn]] void die(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "%s %s\n", what, qPrintable(detail));
    std::exit(1);
}

QSqlDatabase scratchDatabase(const QString &name, const QString &path)
{
    QFile::remove(path);
    Connections::Options options;
    options.scratch = true; // as the archive manager's temporary databases
    Connections::registerFile(name, path, options);
    QSqlDatabase db = Connections::database(name);
    if (!db.isOpen() || !DatabaseStructure().initStructure(db))
        die("cannot create", path);
    return db;
}

// Reads the archive into a fresh temporary database; its time in ms.
qint64 readArchive(const QString &archive, QSqlDatabase db)
{
    QAtomicInteger<char> cancel(0);
    ZelBCsvParser reader(nullptr, &cancel);
    int count = 0;
    QElapsedTimer t;
    t.start();
    if (!reader.openFile(archive) || !reader.checkHeader() || !reader.parseFile(db, &count))
        die("reader failed");
    return t.elapsed();
}

void exec(QSqlDatabase db, const QString &statement)
{
    QSqlQuery q(db);
    if (!q.exec(statement))
        die("statement failed:", statement + QLatin1Char(' ') + q.lastError().text());
}

// The application database: the instrument with the archive's parameters and
// ten million earlier values of them, indexed as the schema says.
int fillApplicationDatabase(const QString &path, QSqlDatabase source)
{
    if (!ArchiveManager::createDatabase(path))
        die("cannot create", path);
    Connections::registerFile(kApp, path);
    QSqlDatabase db = Connections::database(kApp);
    exec(db, QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'Meter', 4)"));
    QSqlQuery names(source);
    names.exec(QStringLiteral("SELECT name, unit FROM Parameters ORDER BY id"));
    QSqlQuery add(db);
    add.prepare(QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (1, ?, ?)"));
    int parameters = 0;
    while (names.next()) {
        add.addBindValue(names.value(0));
        add.addBindValue(names.value(1));
        if (!add.exec())
            die("parameter insert");
        ++parameters;
    }
    // Bulk rows first, indexes after: the same file a long use would leave.
    exec(db, QStringLiteral("DROP INDEX IF EXISTS idx_Data_idParameters_dateTime"));
    exec(db, QStringLiteral("DROP INDEX IF EXISTS idx_Data_dateTime"));
    const qint64 before = QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    exec(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                            "INSERT INTO Data (idParameters, value, flag, dateTime) "
                            "SELECT 1 + i % %2, (i % 9973) * 0.25, 0, %3 - (i / %2 + 1) * 60000 FROM n")
                 .arg(kExisting - 1)
                 .arg(parameters)
                 .arg(before));
    QString error; // the schema's indexes again
    if (indexBuild::run(db, indexBuild::missing(db), nullptr, {}, &error) != indexBuild::Outcome::Built)
        die("indexes:", error);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("archive.csv"));
    if (!zelb::writeArchive(archive, kLines, kGroups, QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC)))
        die("cannot write the archive");

    // Baseline: the archive read into a temporary database.
    QSqlDatabase source = scratchDatabase(kSource, dir.filePath(QStringLiteral("read.sqlite")));
    const qint64 readMs = readArchive(archive, source);

    QElapsedTimer fill;
    fill.start();
    const int deviceId = fillApplicationDatabase(dir.filePath(QStringLiteral("app.qdb")), source);
    const qint64 fillMs = fill.elapsed();
    source = QSqlDatabase();
    Connections::remove(kSource);

    // The import: read into the source database, then merge.
    QElapsedTimer timer;
    timer.start();
    source = scratchDatabase(kSource, dir.filePath(QStringLiteral("source.sqlite")));
    QString error;
    if (!DataMerge::prepareSourceForFill(source, &error))
        die("source:", error);
    const qint64 importReadMs = readArchive(archive, source);
    if (!DataMerge::prepareSourceForMerge(source, &error))
        die("source:", error);
    DataMerge::Result result;
    quint64 added = 0;
    {
        TempDatabaseTableModel model(source);
        const uint count = uint(model.getDataExportRowCnt());
        const uint first = qMin(count, DataMerge::SectionSize);
        if (!model.execDataExportQuery(0, first))
            die("first section");
        DataMerge merge;
        QObject::connect(&merge, &DataMerge::dialogMessage,
                         [](const QString &text, const QString &, int) { die("merge:", text); });
        DataMerge::Input input;
        input.source = &model;
        input.count = count;
        input.firstSection = first;
        input.type = ZelB;
        input.deviceId = deviceId;
        input.target = Connections::database(kApp);
        input.timer = &timer;
        result = merge.run(input);
        added = merge.added();
    }
    const qint64 importMs = timer.elapsed();
    if (result != DataMerge::Result::Done)
        die("merge did not finish");
    qint64 stored = 0;
    {
        QSqlQuery q(Connections::database(kApp));
        if (q.exec(QStringLiteral("SELECT COUNT(*) FROM Data")) && q.next())
            stored = q.value(0).toLongLong();
    }

    QTextStream out(stdout);
    out << "archive_values: " << qint64(kLines) * kGroups << "\n";
    out << "existing_values: " << kExisting << "\n";
    out << "fill_ms: " << fillMs << "\n";
    out << "read_ms: " << readMs << "\n";
    out << "import_ms: " << importMs << "\n";
    out << "import_read_ms: " << importReadMs << "\n";
    out << "import_merge_ms: " << importMs - importReadMs << "\n";
    out << "added: " << added << "\n";
    out << "stored_values: " << stored << "\n";
    out << "ratio: " << QString::number(double(importMs) / double(std::max<qint64>(readMs, 1)), 'f', 2) << "\n";
    source = QSqlDatabase();
    Connections::remove(kSource);
    Connections::remove(kApp);
    return 0;
}
