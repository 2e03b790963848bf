// The layouts of the driver's records: the API context and the tool-state
// record.
#include "tool_state_request.h"

int rqm_decode_api_context(const RqmCnfReader& Cnf, RqmApiContext* ctx) {
    ctx->FwRunning = Cnf.get8(API_CONTEXT_FW_RUNNING_OFF);
    ctx->MibBaseAddress = Cnf.get32(API_CONTEXT_MIB_BASE_OFF);
    ctx->FirmwareApiVer = Cnf.get16(API_CONTEXT_API_VER_OFF);
    return Cnf.status();
}

void rqm_encode_cli_param_fetch(RqmReqBuilder& Req) {
    Req.start(HI_GET_CLI_PARAM_REQ_ID, CLI_PARAM_FETCH_LEN);
    Req.put32(CLI_PARAM_VERSION_OFF, CliVersion);
}

int rqm_decode_cli_record(const RqmCnfReader& Cnf, CliDriverData* pData) {
    uint32_t count = 0;
    if (Cnf.counted(CLI_PARAM_LEN_OFF, CLI_PARAM_RECORD_OFF, CLI_DRIVER_DATA_SIZE, &count) != RQM_SUCCESS)
        return RQM_NO_CONFIRMATION;
    uint8_t record[CLI_DRIVER_DATA_SIZE] = {};
    Cnf.copy(CLI_PARAM_RECORD_OFF, record, count);
    for (uint32_t i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
        pData->Word[i] = hi_rd16(record + 2 * i);
    return RQM_SUCCESS;
}

void rqm_encode_cli_param_push(RqmReqBuilder& Req, const CliDriverData& Data) {
    Req.start(HI_SET_CLI_PARAM_REQ_ID, CLI_PARAM_PUSH_LEN);
    Req.put32(CLI_PARAM_LEN_OFF, CLI_DRIVER_DATA_SIZE);
    Req.put32(CLI_PARAM_VERSION_OFF, CliVersion);
    for (uint32_t i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
        Req.put16(CLI_PARAM_RECORD_OFF + 2 * i, Data.Word[i]);
}
