// The print hooks of rqm_context.h, through which the layers route their
// diagnostics.
#include "common/rqm_context.h"

// The diagnostics routed here are not shown; the hooks keep the reporting
// sites in place for a build that wants to see them.
void RQM_UI_Printf(RqmApiContext*, const char*, ...) {}

void RQM_UI_ErrPrintf(RqmApiContext*, const char*, ...) {}

void RQM_UI_PrintMemory(RqmApiContext*, const char*, const void*, uint32_t) {}
