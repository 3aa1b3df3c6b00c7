#pragma once
// Debug trace of the program: off unless QT_LOGGING_RULES enables "quorlog.trace".
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcTrace)

#define TRACE() qCDebug(lcTrace).noquote()
#define TRACE_FUNC() qCDebug(lcTrace).noquote() << "Function Name: " << Q_FUNC_INFO
