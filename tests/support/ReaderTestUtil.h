#pragma once
// What the reader tests share: a fresh schema database per test function, the
// input written next to it, and one reader run the way the open-file worker
// runs it (open, check the header, parse).
#include "common/Connections.h"
#include "database/ArchiveManager.h"
#include "support/DbTestUtil.h"
#include "support/ReaderTestDb.h"
#include "support/ReaderLog.h"

#include <QAtomicInteger>
#include <QByteArray>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <type_traits>
#include <utility>

struct ReaderOutcome
{
    bool opened = false;
    bool headerOk = false;
    bool parsed = false;
    int count = -1;
    char separator = 0;
    qint64 skipped = -1; // lines the reader left out as unreadable, once parsed
};

namespace readertest {

template <class Reader, class = void>
struct HasSeparator : std::false_type
{
};
template <class Reader>
struct HasSeparator<Reader, std::void_t<decltype(std::declval<const Reader &>().separator())>> : std::true_type
{
};

} // namespace readertest

// Runs a new reader over path into db; a null cancel flag means never cancelled.
template <class Reader>
ReaderOutcome runReader(const QString &path, QSqlDatabase db, ReaderLog *log = nullptr,
                        QAtomicInteger<char> *cancel = nullptr)
{
    QAtomicInteger<char> localFlag(0);
    Reader reader(nullptr, cancel ? cancel : &localFlag);
    if (log)
        log->attach(&reader);
    ReaderOutcome o;
    o.opened = reader.openFile(path);
    if (o.opened)
        o.headerOk = reader.checkHeader();
    if constexpr (readertest::HasSeparator<Reader>::value)
        o.separator = reader.separator();
    if (o.headerOk)
        o.parsed = reader.parseFile(db, &o.count);
    if (o.parsed)
        o.skipped = reader.skippedLines();
    return o;
}

// A failure the reader reports once on the console and once in a message box
// with no title, both as errors.
void compareSingleError(const ReaderLog &log, const QString &message);

// The last console line is exactly this error, and the one message box says
// the same.
void compareLastError(const ReaderLog &log, const QString &message);
// The same for an error that begins with messageStart.
void compareLastErrorStartsWith(const ReaderLog &log, const QString &messageStart);

// 4 kB of binary noise, the same on every call.
QByteArray binaryGarbage();

// A file that cannot be opened: openFile fails and says so.
template <class Reader>
void verifyUnableToOpen(const QString &missingPath)
{
    Reader reader(nullptr, nullptr);
    ReaderLog log;
    log.attach(&reader);
    QVERIFY(!reader.openFile(missingPath));
    compareSingleError(log, QStringLiteral("Unable to open file"));
}

// As the open-file worker does it: a new reader reads file into the archive
// manager's temporary database of the kind; check sees the database and the
// line count before the connection is removed.
template <class Reader>
void readIntoTemporaryDatabase(const QString &kind, const QString &file,
                               const std::function<void(QSqlDatabase db, int count)> &check)
{
    ArchiveManager manager;
    QSqlDatabase db = manager.openTmpDatabase(kind);
    QVERIFY(db.isOpen());
    QAtomicInteger<char> flag(0);
    Reader reader(nullptr, &flag);
    int count = 0;
    QVERIFY(reader.openFile(file));
    QVERIFY(reader.checkHeader());
    QVERIFY(reader.parseFile(db, &count));
    check(db, count);
    db = QSqlDatabase();
    Connections::remove(kind);
}

// The base of a reader test: a new schema database file per test function,
// registered as "<prefix>_test"; QTest calls init() and cleanup() around each.
class ReaderTestCase : public QObject
{
    Q_OBJECT
public:
    explicit ReaderTestCase(const QString &prefix)
        : m_prefix(prefix)
        , m_connection(prefix + QStringLiteral("_test"))
    {
    }

protected slots:
    void init();
    void cleanup();

protected:
    // Writes the input of this test function as "in_<n>.<suffix>".
    QString writeInput(const QString &suffix, const QByteArray &bytes) const
    {
        return testdb::writeFile(m_dir.filePath(QStringLiteral("in_%1.%2").arg(m_serial).arg(suffix)), bytes);
    }
    // Rows visible to another connection: what was committed.
    int committed(const QString &table) const { return testdb::committedRowCount(m_dbPath, table); }

    // A whole archive read: count is its line count, every one of valueLines
    // lines gave a value per parameter, markers of them marked as missing.
    void compareArchiveRead(const ReaderOutcome &o, int lines, int valueLines, int parameters, int markers) const;
    // Neither a value nor a parameter committed.
    void compareNothingCommitted() const;
    // A read cancelled before its first line: header checked, nothing written,
    // the cancel message last on the console.
    void compareCancelledBeforeFirstLine(const ReaderOutcome &o, const ReaderLog &log) const;
    // A read whose insert the database refused: the refusal last on the
    // console as an error, nothing committed.
    void compareRefusedInsert(const ReaderOutcome &o, const ReaderLog &log, const QString &refusal) const;

    QTemporaryDir m_dir;
    QString m_dbPath;
    QSqlDatabase m_db;
    int m_serial = 0;

private:
    const QString m_prefix;
    const QString m_connection;
};
