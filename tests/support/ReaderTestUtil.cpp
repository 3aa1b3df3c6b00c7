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
