#include <cstdio>

#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "rqm_api.h"
#include "senders_request.h"
#include "tool_state_request.h"
#include "transport/adapter.h"

int RQM_GetAPIContext(RqmApiContext* ctx) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetAPIContext");
    // The broker refuses requests while the firmware is not known to run;
    // this one asks the driver whether it does.
    ctx->FwRunning = 1;
    RqmRequest<API_CONTEXT_REQ_LEN> req;
    rqm_encode_words(req, HI_GET_API_CONTEXT_REQ_ID, nullptr, 0);
    RqmCnf<API_CONTEXT_CNF_SIZE> cnf;
    int result = rqm_exchange(ctx, req, cnf, API_CONTEXT_CNF_NEED);
    if (result == RQM_SUCCESS)
        result = rqm_decode_api_context(cnf.reader(), ctx);
    return reported(ctx, result, "RQM_GetAPIContext");
}

int CheckVersion(uint32_t Version, int Verbose) {
    const uint32_t major = (Version >> 24) & 0x0F;
    const uint32_t minor = (Version >> 16) & 0x0F;
    const uint32_t patch = Version & 0xFF;
    if (major > 1 || (major == 1 && minor > 1) || (major == 1 && minor == 1 && patch >= 2))
        return 1;
    if (Verbose != 0) {
        static constexpr char stars[] =
            "*************************************************************************";
        static constexpr char blank[] =
            "*                                                                       *";
        puts(stars);
        puts(blank);
        printf("*    Your Adapter version is too low, %d.%d.%d or above is recommended.    *\n", 1, 1, 2);
        puts(blank);
        puts(stars);
    }
    return 0;
}

int RQM_Get_Cli_Param(RqmApiContext* ctx, CliDriverData* pData, int* pOk, int Verbose) {
    if (ctx == nullptr || pData == nullptr || pOk == nullptr)
        return reported(ctx, ctx == nullptr ? RQM_NO_CONTEXT : RQM_INVALID_PARAMETER, "RQM_Get_Cli_Param");
    RqmRequest<CLI_PARAM_FETCH_LEN> req;
    rqm_encode_cli_param_fetch(req);
    RqmCnf<CLI_PARAM_FETCH_CNF_SIZE> cnf;
    int result = rqm_exchange(ctx, req, cnf, CLI_PARAM_FETCH_CNF_NEED);
    // A record cut short is no answer, as none at all: the one kept stands.
    CliDriverData record{};
    if (result == RQM_SUCCESS)
        result = rqm_decode_cli_record(cnf.reader(), &record);
    if (result != RQM_SUCCESS) {
        printf("%s-%d ErrCode = %d\n", "RQM_Get_Cli_Param", 1376, result);
        return reported(ctx, result, "RQM_Get_Cli_Param");
    }
    const RqmCnfReader answer = cnf.reader();
    result = answer.status();
    *pOk = CheckVersion(answer.get32(CLI_PARAM_VERSION_OFF), Verbose);
    if (*pOk == 0)
        return RQM_STEP_FAILED;
    *pData = record;
    return reported(ctx, result, "RQM_Get_Cli_Param");
}

int RQM_SetParamToDrive(RqmApiContext* ctx, const CliDriverData* pData) {
    if (ctx == nullptr || pData == nullptr)
        return reported(ctx, ctx == nullptr ? RQM_NO_CONTEXT : RQM_INVALID_PARAMETER, "RQM_SetParamToDrive");
    RqmRequest<CLI_PARAM_PUSH_LEN> req;
    rqm_encode_cli_param_push(req, *pData);
    RqmCnf<CLI_PARAM_PUSH_CNF_SIZE> cnf;
    // The driver's status is told, not returned.
    const int result = rqm_exchange(ctx, req, cnf, STATUS_CNF_NEED);
    if (result == RQM_SUCCESS && cnf.reader().get32(HI_MSG_STATUS_OFF) != 0)
        puts("Error saving parameter!");
    return reported(ctx, result, "RQM_SetParamToDrive");
}
