// Reading a ZelB-type archive of one million values against the bare cost of
// inserting the same rows: one prepared statement, one transaction, no parsing.
#include "common/Connections.h"
#include "database/DatabaseStructure.h"
#include "readers/ZelBArchiveWriter.h"
#include "readers/ZelBCsvParser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVariant>
#include <QVector>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kLines = 62500;
constexpr int kGroups = 16;
constexpr int kRounds = 2;

struct Row
{
    int idParameters;
    double value;
    int flag;
    qint64 dateTime;
};

QSqlDatabase freshDatabase(const QString &name, const QString &path)
{
    QFile::remove(path);
    Connections::Options options;
    options.scratch = true; // as the archive manager's temporary databases
    Connections::registerFile(name, path, options);
    QSqlDatabase db = Connections::database(name);
    if (!db.isOpen() || !DatabaseStructure().initStructure(db)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(path));
        std::exit(1);
    }
    return db;
}

qint64 runReader(const QString &archive, const QString &dbPath, QVector<Row> *rows, QStringList *names)
{
    QSqlDatabase db = freshDatabase(QStringLiteral("bench_reader"), dbPath);
    QAtomicInteger<char> cancel(0);
    ZelBCsvParser reader(nullptr, &cancel);
    int count = 0;
    QElapsedTimer t;
    t.start();
    const bool ok = reader.openFile(archive) && reader.checkHeader() && reader.parseFile(db, &count);
    const qint64 ms = t.elapsed();
    if (!ok) {
        std::fprintf(stderr, "reader failed\n");
        std::exit(1);
    }
    if (rows) {
        rows->clear();
        rows->reserve(kLines * kGroups);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("SELECT idParameters, value, flag, dateTime FROM Data ORDER BY id"));
        while (q.next())
            rows->append({q.value(0).toInt(), q.value(1).toDouble(), q.value(2).toInt(), q.value(3).toLongLong()});
        q.exec(QStringLiteral("SELECT name FROM Parameters ORDER BY id"));
        names->clear();
        while (q.next())
            names->append(q.value(0).toString());
    }
    db = QSqlDatabase();
    Connections::remove(QStringLiteral("bench_reader"));
    return ms;
}

qint64 runBaseline(const QVector<Row> &rows, const QStringList &names, const QString &dbPath)
{
    QSqlDatabase db = freshDatabase(QStringLiteral("bench_baseline"), dbPath);
    QElapsedTimer t;
    t.start();
    db.transaction();
    QSqlQuery p(db);
    p.prepare(QStringLiteral("INSERT INTO Parameters (name, unit) VALUES (?, ?)"));
    for (const QString &n : names) {
        p.bindValue(0, n);
        p.bindValue(1, QString());
        p.exec();
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Data VALUES (NULL, ?, ?, ?, ?, NULL)"));
    for (const Row &r : rows) {
        q.bindValue(0, r.idParameters);
        q.bindValue(1, r.value);
        q.bindValue(2, r.flag);
        q.bindValue(3, r.dateTime);
        if (!q.exec()) {
            std::fprintf(stderr, "baseline insert failed: %s\n", qPrintable(q.lastError().text()));
            std::exit(1);
        }
    }
    q.finish();
    p.finish();
    if (!db.commit()) {
        std::fprintf(stderr, "baseline commit failed\n");
        std::exit(1);
    }
    const qint64 ms = t.elapsed();
    db = QSqlDatabase();
    Connections::remove(QStringLiteral("bench_baseline"));
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("archive.csv"));
    if (!zelb::writeArchive(archive, kLines, kGroups, QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC))) {
        std::fprintf(stderr, "cannot write the archive\n");
        return 1;
    }
    QVector<Row> rows;
    QStringList names;
    qint64 readerBest = runReader(archive, dir.filePath(QStringLiteral("reader.sqlite")), &rows, &names);
    qint64 baselineBest = runBaseline(rows, names, dir.filePath(QStringLiteral("baseline.sqlite")));
    for (int round = 1; round < kRounds; ++round) {
        readerBest = std::min(readerBest, runReader(archive, dir.filePath(QStringLiteral("reader.sqlite")), nullptr,
                                                    nullptr));
        baselineBest = std::min(baselineBest, runBaseline(rows, names, dir.filePath(QStringLiteral("baseline.sqlite"))));
    }

    QTextStream out(stdout);
    out << "archive_bytes: " << QFile(archive).size() << "\n";
    out << "values: " << rows.size() << "\n";
    out << "reader_ms: " << readerBest << "\n";
    out << "baseline_ms: " << baselineBest << "\n";
    out << "reader_values_per_s: " << qint64(rows.size() * 1000.0 / std::max<qint64>(readerBest, 1)) << "\n";
    out << "ratio: " << QString::number(double(readerBest) / double(std::max<qint64>(baselineBest, 1)), 'f', 2)
        << "\n";
    return 0;
}
