#pragma once
// Time stamps written in tests as text.
#include <QString>
#include <QtGlobal>

namespace testtime {

// "yyyy-MM-dd HH:mm:ss[.zzz]" read as UTC wall-clock, in ms since the epoch.
// Text that cannot be read is a fault in the test: it stops the run.
qint64 utcMsecs(const QString &text);

} // namespace testtime
