// A program of the API alone, without a front end: it links, and it has
// the profiles of the API target it links (rqm_api: rqmcli's, whose
// interface has the PRCM read, which the broker refuses while no firmware
// runs; rqm_api_hf: rqmcli-hf's, which has no such request and sends
// nothing). The exit status says whether the profiles are the ones wanted.
#include <cstdio>

#include "api/api_variant.h"
#include "api/rqm_api.h"
#include "transport/transport_variant.h"

int main() {
    RqmApiContext* ctx = RQM_Create(nullptr, nullptr);
    if (ctx == nullptr)
        return 2;
    uint32_t value = 0;
    const int result = RQM_ReadPRCMRegister(ctx, 0x40040058, &value);
    RQM_Destroy(ctx);
    printf("PRCM read %d, last named result %u, last refusal line %u\n", result,
           g_api_variant.LastNamedResultCode, g_transport_variant.LastRefusalLine);
    const bool wanted = result == PROBE_PRCM_RESULT && g_api_variant.LastNamedResultCode == PROBE_LAST_CODE &&
                        g_transport_variant.LastRefusalLine == PROBE_LAST_CODE;
    return wanted ? 0 : 1;
}
