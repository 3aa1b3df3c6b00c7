#include "common/Trace.h"

Q_LOGGING_CATEGORY(lcTrace, "quorlog.trace", QtInfoMsg)
