// Merging 200,000 new recorder rows into a DataMoxB of 1,000,000 rows, as the
// recorder import does it (parameters, columns, merge by date and time with
// ids in order, one transaction), against a plain INSERT…SELECT of the same
// rows into the same table. Two cases: the rows that follow the stored ones
// (the next file of an instrument; its ratio ends the output), and a second
// instrument at the times of the last 200,000 stored rows.
#include "common/Connections.h"
#include "database/DatabaseStructure.h"
#include "database/RecorderImport.h"
#include "database/RecorderMerge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdio>

namespace {

constexpr int kStored = 1000000;
constexpr int kNew = 200000;
constexpr int kValues = 8;

[[noreturn]] void die(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "%s %s\n", what, qPrintable(detail));
    std::exit(1);
}

void run(QSqlDatabase db, const QString &statement)
{
    QSqlQuery q(db);
    if (!q.exec(statement))
        die("statement failed:", statement + QStringLiteral(" ") + q.lastError().text());
}

QString valueColumns(const QString &suffix, bool typed)
{
    QStringList out;
    for (int i = 1; i <= kValues; ++i)
        out << QStringLiteral("\"v%1%2\"%3").arg(i).arg(suffix, typed ? QStringLiteral(" TEXT") : QString());
    return out.join(QStringLiteral(", "));
}

// Rows first, first + 1, … seconds after 2026-01-01 00:00:00.
QString rowsSelect(qint64 first, int count)
{
    QStringList values;
    for (int i = 1; i <= kValues; ++i)
        values << QStringLiteral("printf('%.3f', n * 0.001 + %1)").arg(i);
    return QStringLiteral("WITH RECURSIVE s(n) AS (SELECT %1 UNION ALL SELECT n + 1 FROM s WHERE n < %2) "
                          "SELECT date(1767225600 + n, 'unixepoch'), time(1767225600 + n, 'unixepoch'), %3 FROM s")
        .arg(first)
        .arg(first + count - 1)
        .arg(values.join(QStringLiteral(", ")));
}

QSqlDatabase open(const QString &name, const QString &path, bool scratch)
{
    Connections::Options options;
    options.scratch = scratch;
    Connections::registerFile(name, path, options);
    QSqlDatabase db = Connections::database(name);
    if (!db.isOpen())
        die("cannot open", path);
    return db;
}

// A source file as the CSV reader leaves it: bare column names.
void makeSource(const QString &path, qint64 first)
{
    QSqlDatabase db = open(QStringLiteral("bench_src"), path, true);
    run(db, QStringLiteral("CREATE TABLE DataMoxB (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, date TEXT, "
                           "time TEXT, %1)")
                .arg(valueColumns(QString(), true)));
    run(db, QStringLiteral("INSERT INTO DataMoxB (date, time, %1) %2")
                .arg(valueColumns(QString(), false), rowsSelect(first, kNew)));
    db = QSqlDatabase();
    Connections::remove(QStringLiteral("bench_src"));
}

// The application database with 1,000,000 rows of Hall, as an import leaves it.
void makeApplicationDatabase(const QString &path)
{
    QSqlDatabase db = open(QStringLiteral("bench_make"), path, false);
    if (!DatabaseStructure().initStructure(db))
        die("schema");
    run(db, QStringLiteral("INSERT INTO Devices (id, name, type) VALUES (1, 'Hall', 17), (2, 'Yard', 17)"));
    for (int i = 1; i <= kValues; ++i)
        run(db, QStringLiteral("INSERT INTO Parameters (idDevices, name, unit) VALUES (1, 'v%1', 'None')").arg(i));
    run(db, QStringLiteral("CREATE TABLE DataMoxB (id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT, %1)")
                .arg(valueColumns(QStringLiteral(" (Hall)"), true)));
    run(db, QStringLiteral("BEGIN"));
    run(db, QStringLiteral("INSERT INTO DataMoxB (date, time, %1) %2")
                .arg(valueColumns(QStringLiteral(" (Hall)"), false), rowsSelect(0, kStored)));
    run(db, QStringLiteral("CREATE INDEX %1 ON DataMoxB(date, time)").arg(RecorderMerge::indexName("DataMoxB")));
    run(db, QStringLiteral("COMMIT"));
    db = QSqlDatabase();
    Connections::remove(QStringLiteral("bench_make"));
}

QString copyOf(const QString &master, const QString &path)
{
    QFile::remove(path);
    if (!QFile::copy(master, path))
        die("copy", path);
    return path;
}

qint64 importMs(const QString &appPath, const QString &source, int device)
{
    qint64 ms = 0;
    {
        QAtomicInteger<char> cancel(0);
        RecorderImport import;
        RecorderImport::Request r;
        r.db = open(QStringLiteral("bench_app"), appPath, false);
        r.table = QStringLiteral("DataMoxB");
        r.file = source;
        r.sourceTable = QStringLiteral("DataMoxB");
        r.deviceId = device;
        r.cancelFlag = &cancel;
        QElapsedTimer t;
        t.start();
        if (import.run(r) != RecorderImport::Result::Done)
            die("import failed:", import.errorText());
        ms = t.elapsed();
        if (import.rowCount() != kStored + (device == 1 ? kNew : 0))
            die("unexpected row count");
        r = RecorderImport::Request();
        import = RecorderImport();
    }
    Connections::remove(QStringLiteral("bench_app"));
    return ms;
}

// The same rows appended as they are, under the stored column names.
qint64 plainMs(const QString &appPath, const QString &source)
{
    QSqlDatabase db = open(QStringLiteral("bench_plain"), appPath, false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("ATTACH DATABASE ? AS tempDB"));
    q.addBindValue(source);
    if (!q.exec())
        die("attach", q.lastError().text());
    QElapsedTimer t;
    t.start();
    run(db, QStringLiteral("BEGIN"));
    run(db, QStringLiteral("INSERT INTO DataMoxB (date, time, %1) SELECT date, time, %2 FROM tempDB.DataMoxB")
                .arg(valueColumns(QStringLiteral(" (Hall)"), false), valueColumns(QString(), false)));
    run(db, QStringLiteral("COMMIT"));
    const qint64 ms = t.elapsed();
    run(db, QStringLiteral("DETACH DATABASE tempDB"));
    q = QSqlQuery();
    db = QSqlDatabase();
    Connections::remove(QStringLiteral("bench_plain"));
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        die("no temporary folder");
    const QString master = dir.filePath(QStringLiteral("master.qdb"));
    makeApplicationDatabase(master);
    const QString following = dir.filePath(QStringLiteral("following.sqlite"));
    const QString shared = dir.filePath(QStringLiteral("shared.sqlite"));
    makeSource(following, kStored);
    makeSource(shared, kStored - kNew);

    const qint64 plain = plainMs(copyOf(master, dir.filePath(QStringLiteral("plain.qdb"))), following);
    const qint64 next = importMs(copyOf(master, dir.filePath(QStringLiteral("next.qdb"))), following, 1);
    const qint64 second = importMs(copyOf(master, dir.filePath(QStringLiteral("second.qdb"))), shared, 2);

    std::printf("stored_rows: %d\n", kStored);
    std::printf("new_rows: %d\n", kNew);
    std::printf("plain_insert_select_ms: %lld\n", static_cast<long long>(plain));
    std::printf("import_following_rows_ms: %lld\n", static_cast<long long>(next));
    std::printf("import_second_instrument_shared_times_ms: %lld\n", static_cast<long long>(second));
    std::printf("ratio_second_instrument: %.2f\n", plain > 0 ? double(second) / double(plain) : 0.0);
    std::printf("ratio: %.2f\n", plain > 0 ? double(next) / double(plain) : 0.0);
    return 0;
}
