#include "common/CancelWatch.h"

#include "common/Connections.h"

#include <sqlite3.h>

namespace {

// Asked every so many virtual machine steps of a running statement.
constexpr int kSteps = 1000;

int stopWhenCancelled(void *flag)
{
    return static_cast<QAtomicInteger<char> *>(flag)->loadRelaxed() == 1 ? 1 : 0;
}

} // namespace

CancelWatch::CancelWatch(const QSqlDatabase &db, QAtomicInteger<char> *cancelFlag)
    : m_db(cancelFlag && db.isOpen() ? Connections::handle(db) : nullptr)
{
    if (m_db)
        sqlite3_progress_handler(m_db, kSteps, stopWhenCancelled, cancelFlag);
}

CancelWatch::~CancelWatch()
{
    if (m_db)
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
}
