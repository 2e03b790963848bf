#include <cstdio>
#include <cstring>

#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "rqm_api.h"
#include "transport/adapter.h"

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

// Tool state kept by the driver between runs.
inline constexpr uint16_t HI_GET_CLI_PARAM_REQ_ID = 993;
inline constexpr uint16_t HI_SET_CLI_PARAM_REQ_ID = 994;
inline constexpr uint32_t CLI_PARAM_CNF_SIZE = 68;
inline constexpr unsigned CLI_PARAM_LEN_OFF = 8;
inline constexpr unsigned CLI_PARAM_VERSION_OFF = 12;
inline constexpr unsigned CLI_PARAM_RECORD_OFF = 16;
inline constexpr uint16_t CLI_PARAM_PUSH_LEN = 68;

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
    int result;
    if (ctx == nullptr || pData == nullptr || pOk == nullptr) {
        result = ctx == nullptr ? RQM_NO_CONTEXT : RQM_INVALID_PARAMETER;
    } else {
        uint8_t req[16] = {};
        hi_set_msg_len(req, sizeof req);
        hi_set_msg_id(req, HI_GET_CLI_PARAM_REQ_ID);
        hi_wr32(req + CLI_PARAM_VERSION_OFF, CliVersion);
        uint8_t cnf[CLI_PARAM_CNF_SIZE] = {};
        result = Adapter_Request(ctx, req, cnf, sizeof cnf);
        if (result != RQM_SUCCESS) {
            printf("%s-%d ErrCode = %d\n", "RQM_Get_Cli_Param", 1376, result);
        } else {
            const uint32_t got = hi_msg_len(cnf);
            if (got < CLI_PARAM_RECORD_OFF) {
                // Without status, length and version there is nothing to take.
                result = RQM_NO_CONFIRMATION;
            } else {
                result = static_cast<int>(hi_rd32(cnf + HI_MSG_STATUS_OFF));
                *pOk = CheckVersion(hi_rd32(cnf + CLI_PARAM_VERSION_OFF), Verbose);
                if (*pOk == 0)
                    return RQM_STEP_FAILED;
                // The record bytes the answer claims, bounded by the record
                // and by what actually arrived.
                uint32_t count = hi_rd32(cnf + CLI_PARAM_LEN_OFF);
                if (count > CLI_DRIVER_DATA_SIZE)
                    count = CLI_DRIVER_DATA_SIZE;
                if (count > got - CLI_PARAM_RECORD_OFF)
                    count = got - CLI_PARAM_RECORD_OFF;
                uint8_t record[CLI_DRIVER_DATA_SIZE] = {};
                memcpy(record, cnf + CLI_PARAM_RECORD_OFF, count);
                for (unsigned i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
                    pData->Word[i] = hi_rd16(record + 2 * i);
            }
        }
    }
    RQM_ErrorCheck(ctx, static_cast<uint32_t>(result), "RQM_Get_Cli_Param");
    return result;
}

int RQM_SetParamToDrive(RqmApiContext* ctx, const CliDriverData* pData) {
    int result;
    if (ctx == nullptr || pData == nullptr) {
        result = ctx == nullptr ? RQM_NO_CONTEXT : RQM_INVALID_PARAMETER;
    } else {
        uint8_t req[CLI_PARAM_PUSH_LEN] = {};
        hi_set_msg_len(req, sizeof req);
        hi_set_msg_id(req, HI_SET_CLI_PARAM_REQ_ID);
        hi_wr32(req + CLI_PARAM_LEN_OFF, CLI_DRIVER_DATA_SIZE);
        hi_wr32(req + CLI_PARAM_VERSION_OFF, CliVersion);
        for (unsigned i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
            hi_wr16(req + CLI_PARAM_RECORD_OFF + 2 * i, pData->Word[i]);
        uint8_t cnf[8] = {};
        result = Adapter_Request(ctx, req, cnf, sizeof cnf);
        if (result == RQM_SUCCESS && hi_rd32(cnf + HI_MSG_STATUS_OFF) != 0)
            puts("Error saving parameter!");
    }
    RQM_ErrorCheck(ctx, static_cast<uint32_t>(result), "RQM_SetParamToDrive");
    return result;
}
