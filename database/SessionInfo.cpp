#include "database/SessionInfo.h"

#include "common/Trace.h"

SessionInfo::SessionInfo()
    : isOpen(false)
    , views(0)
    , deviceType(DEVICE_UNDEFINED)
{
    TRACE() << "Function Name: " << "Framework::SessionInfo::SessionInfo()";
}
