// What a host hands the starters, built from the API's header alone: the
// bus configuration and the result pair are complete types.
#include "api/rqm_api.h"

RqmStartResult start_with_bus(const char* image, const char* sdd) {
    const SbusConfig bus = {.DriveStrength = 3, .Mode = 1, .Param1 = 0x10, .Param2 = 0x20};
    RqmStartResult started = RQM_Start_SpiSdioHifAdvanced(image, sdd, 0, nullptr, nullptr, nullptr, &bus);
    if (started.pRqmApiContext != nullptr && RQM_Start(started.pRqmApiContext, &bus) != RQM_SUCCESS)
        started.ErrorCode = 1;
    return started;
}
