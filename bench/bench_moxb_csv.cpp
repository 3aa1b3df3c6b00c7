// Reading a MoxB data CSV of 200,000 records into DataMoxB against the sqlite3
// shell's own .import of the same file into a table of TEXT columns, both
// into a scratch database (WAL, synchronous off) in one transaction.
#include "common/Connections.h"
#include "database/DatabaseStructure.h"
#include "readers/moxbcsvparser.h"
#include "support/MoxBCsvWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRecords = 200000;
constexpr int kRounds = 2;

qint64 runReader(const QString &csv, const QString &dbPath, int *rows)
{
    QFile::remove(dbPath);
    Connections::Options options;
    options.scratch = true; // as the archive manager's temporary databases
    const QString name = QStringLiteral("bench_moxb");
    Connections::registerFile(name, dbPath, options);
    QSqlDatabase db = Connections::database(name);
    if (!db.isOpen() || !DatabaseStructure().initStructure(db)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dbPath));
        std::exit(1);
    }
    QAtomicInteger<char> cancel(0);
    moxbcsvparser reader(nullptr, &cancel);
    int count = 0;
    QElapsedTimer t;
    t.start();
    const bool ok = reader.openFile(csv) && reader.parseFile(db, &count, 2);
    const qint64 ms = t.elapsed();
    if (!ok) {
        std::fprintf(stderr, "reader failed\n");
        std::exit(1);
    }
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT COUNT(*) FROM DataMoxB"));
    *rows = q.next() ? q.value(0).toInt() : -1;
    q = QSqlQuery();
    db = QSqlDatabase();
    Connections::remove(name);
    return ms;
}

qint64 runShellImport(const QString &csv, const QString &dbPath, int columns, int *rows)
{
    QFile::remove(dbPath);
    QStringList defs;
    for (int i = 0; i < columns; ++i)
        defs << QStringLiteral("c%1 TEXT").arg(i);
    const QString script = QStringLiteral("PRAGMA journal_mode=WAL;\nPRAGMA synchronous=OFF;\n"
                                          "CREATE TABLE t (%1);\n.mode csv\n.import --skip 1 '%2' t\n"
                                          "SELECT COUNT(*) FROM t;\n")
                               .arg(defs.join(QStringLiteral(", ")), csv);
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), dbPath});
    p.write(script.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 failed: %s\n", p.readAllStandardError().constData());
        std::exit(1);
    }
    const qint64 ms = t.elapsed();
    const QList<QByteArray> out = p.readAllStandardOutput().trimmed().split('\n');
    *rows = out.isEmpty() ? -1 : out.last().trimmed().toInt();
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("2026-01-14_03_30_53.MoxBArch.csv"));
    {
        QFile f(csv);
        if (!f.open(QIODevice::WriteOnly) || f.write(moxbcsv::file(kRecords)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(csv));
            return 1;
        }
    }
    // record, date, time, 60 channel fields and the empty one after the
    // final comma.
    const int fields = 3 + moxbcsv::channelTitles().size() + 1;

    qint64 ours = -1;
    qint64 shell = -1;
    int ourRows = 0;
    int shellRows = 0;
    for (int round = 0; round < kRounds; ++round) {
        const qint64 a = runReader(csv, dir.filePath(QStringLiteral("ours.sqlite")), &ourRows);
        const qint64 b = runShellImport(csv, dir.filePath(QStringLiteral("shell.sqlite")), fields, &shellRows);
        ours = ours < 0 ? a : std::min(ours, a);
        shell = shell < 0 ? b : std::min(shell, b);
    }
    std::printf("file_bytes: %lld\n", static_cast<long long>(QFile(csv).size()));
    std::printf("records: %d\n", kRecords);
    std::printf("reader_rows: %d\n", ourRows);
    std::printf("sqlite3_import_rows: %d\n", shellRows);
    std::printf("reader_ms: %lld\n", static_cast<long long>(ours));
    std::printf("sqlite3_import_ms: %lld\n", static_cast<long long>(shell));
    std::printf("ratio: %.2f\n", shell > 0 ? double(ours) / double(shell) : 0.0);
    return ourRows == kRecords && shellRows == kRecords ? 0 : 1;
}
