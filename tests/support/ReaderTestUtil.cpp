#include "support/ReaderTestUtil.h"

#include "common/Connections.h"

void ReaderTestCase::init()
{
    ++m_serial;
    m_dbPath = m_dir.filePath(QStringLiteral("%1_%2.sqlite").arg(m_prefix).arg(m_serial));
    m_db = testdb::createSchemaDatabase(m_connection, m_dbPath);
}

void ReaderTestCase::cleanup()
{
    m_db = QSqlDatabase();
    Connections::remove(m_connection);
}

void ReaderTestCase::compareArchiveRead(const ReaderOutcome &o, int lines, int valueLines, int parameters,
                                        int markers) const
{
    QVERIFY(o.parsed);
    QCOMPARE(o.count, lines);
    QCOMPARE(testdb::parameters(m_db).size(), parameters);
    const auto rows = testdb::data(m_db);
    QCOMPARE(rows.size(), valueLines * parameters);
    int flagged = 0;
    for (const auto &r : rows)
        flagged += r.flag == 2;
    QCOMPARE(flagged, markers);
}

void ReaderTestCase::compareNothingCommitted() const
{
    QCOMPARE(committed(QStringLiteral("Data")), 0);
    QCOMPARE(committed(QStringLiteral("Parameters")), 0);
}

void ReaderTestCase::compareCancelledBeforeFirstLine(const ReaderOutcome &o, const ReaderLog &log) const
{
    QVERIFY(o.headerOk);
    QVERIFY(!o.parsed);
    QCOMPARE(o.count, -1);
    QVERIFY(log.lastConsole().text.startsWith(QStringLiteral("Parser work was canceled in: ")));
    QCOMPARE(log.lastConsole().icon, 0);
    QCOMPARE(testdb::rowCount(m_db, QStringLiteral("Parameters")), 0);
    QCOMPARE(testdb::rowCount(m_db, QStringLiteral("Data")), 0);
}

void ReaderTestCase::compareRefusedInsert(const ReaderOutcome &o, const ReaderLog &log, const QString &refusal) const
{
    QVERIFY(!o.parsed);
    QCOMPARE(o.count, -1);
    QVERIFY(log.lastConsole().text.contains(refusal));
    QCOMPARE(log.lastConsole().icon, 3);
    compareNothingCommitted();
}

void compareSingleError(const ReaderLog &log, const QString &message)
{
    QCOMPARE(log.console.size(), 1);
    QCOMPARE(log.console[0].text, message);
    QCOMPARE(log.console[0].icon, 3);
    QCOMPARE(log.dialogs.size(), 1);
    QCOMPARE(log.dialogs[0].text, message);
    QCOMPARE(log.dialogs[0].title, QString());
    QCOMPARE(log.dialogs[0].icon, 3);
}

void compareLastError(const ReaderLog &log, const QString &message)
{
    QCOMPARE(log.lastConsole().text, message);
    QCOMPARE(log.lastConsole().icon, 3);
    QCOMPARE(log.dialogs.size(), 1);
    QCOMPARE(log.dialogs[0].text, message);
    QCOMPARE(log.dialogs[0].icon, 3);
}

void compareLastErrorStartsWith(const ReaderLog &log, const QString &messageStart)
{
    QVERIFY2(log.lastConsole().text.startsWith(messageStart), qPrintable(log.lastConsole().text));
    QCOMPARE(log.lastConsole().icon, 3);
    QCOMPARE(log.dialogs.size(), 1);
    QCOMPARE(log.dialogs[0].text, log.lastConsole().text);
}

QByteArray binaryGarbage()
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 7919 + 13) % 256);
    return garbage;
}
