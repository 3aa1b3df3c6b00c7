#include "support/ReaderTestUtil.h"

#include "common/Connections.h"

void ReaderDbFixture::cleanupDb()
{
    m_db = QSqlDatabase();
    Connections::remove(m_connection);
}
