#include "rqm_api.h"
#include "transport/adapter.h"
#include "transport/hi_msg.h"

inline constexpr uint16_t HI_GET_API_CONTEXT_REQ_ID = 1016;
inline constexpr uint32_t API_CONTEXT_CNF_SIZE = 148;
inline constexpr unsigned API_CONTEXT_FW_RUNNING_OFF = 8;
inline constexpr unsigned API_CONTEXT_MIB_BASE_OFF = 12;
inline constexpr unsigned API_CONTEXT_API_VER_OFF = 144;

int RQM_GetAPIContext(RqmApiContext* ctx) {
    if (ctx == nullptr) {
        RQM_ErrorCheck(ctx, RQM_NO_CONTEXT, "RQM_GetAPIContext");
        return RQM_NO_CONTEXT;
    }
    // The broker refuses requests while the firmware is not known to run;
    // this one asks the driver whether it does.
    ctx->FwRunning = 1;
    uint8_t req[8] = {};
    hi_set_msg_len(req, sizeof req);
    hi_set_msg_id(req, HI_GET_API_CONTEXT_REQ_ID);
    uint8_t cnf[API_CONTEXT_CNF_SIZE] = {};
    int result = Adapter_Request(ctx, req, cnf, sizeof cnf);
    if (result == RQM_SUCCESS) {
        // Only what the answer actually carries is taken.
        const unsigned len = hi_msg_len(cnf);
        if (len < HI_MSG_PARAM_OFF) {
            result = RQM_NO_CONFIRMATION;
        } else {
            result = static_cast<int>(hi_rd32(cnf + HI_MSG_STATUS_OFF));
            if (len > API_CONTEXT_FW_RUNNING_OFF)
                ctx->FwRunning = cnf[API_CONTEXT_FW_RUNNING_OFF];
            if (len >= API_CONTEXT_MIB_BASE_OFF + 4)
                ctx->MibBaseAddress = hi_rd32(cnf + API_CONTEXT_MIB_BASE_OFF);
            if (len >= API_CONTEXT_API_VER_OFF + 2)
                ctx->FirmwareApiVer = hi_rd16(cnf + API_CONTEXT_API_VER_OFF);
        }
    }
    RQM_ErrorCheck(ctx, static_cast<uint32_t>(result), "RQM_GetAPIContext");
    return result;
}
