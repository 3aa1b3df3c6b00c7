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
