#include <cstdio>

#include "rqm_api.h"
#include "transport/variant.h"

const char* const ResaultStr[RQM_RESULT_NAMED_CODES] = {
    "BOOT_SUCCESS",      "BOOT_ERR_DECODE",     "BOOT_ERR_CHECKSUM",     "BOOT_ERR_FILE_SIZE",
    "BOOT_ERR_BAD_OP",   "BOOT_ERR_CONNECTED",  "BOOT_ERR_WLAN_MODE",    "RQM_ERR_NOT_CONNECT",
    "RQM_ERR_IO_FAILED", "RQM_ERR_DRIVER_HANG", "RQM_ERR_CHECK_VERSION",
};

const char* const TipStr[RQM_RESULT_NAMED_CODES] = {
    "",
    "Firmware error!",
    "Firmware error!",
    "Firmware error!",
    "Invalid operation!",
    "RQM has already connected!",
    "Please turn off WIFI!",
    "Please connect first!",
    "Try to solve it by reboot!",
    "Try to solve it by reboot!",
    "Please upgrade rqm cli version!",
};

const char* const EfuseStatusStr[RQM_RESULT_NAMED_CODES] = {
    "EFUSE_STATUS_CODE__SUCCESS",        "EFUSE_STATUS_CODE__DEFAULT",
    "EFUSE_STATUS_CODE__CS_ERR",         "EFUSE_STATUS_CODE__PARSE_ERR",
    "EFUSE_STATUS_CODE__RW_ERR",         "EFUSE_STATUS_CODE__DI_ERR",
    "EFUSE_STATUS_CODE__NODATA_ERR",     "EFUSE_STATUS_CODE__HAVEWRITE_ERR",
    "EFUSE_STATUS_CODE__NOTMATCH_ERR",   "EFUSE_STATUS_CODE__NOTSUPPORTNOW",
    "EFUSE_STATUS_CODE__INVALID_PARAMS",
};

// The second build's tables end at code 9.
static uint32_t last_named_code() {
    return rqm_is_hf() ? 9 : 10;
}

void RQM_ErrorCheck(RqmApiContext* pRqmApiContext, uint32_t ErrCode, const char* pFuncName) {
    if (ErrCode == 0)
        return;
    const int code = static_cast<int>(ErrCode);
    if (ErrCode > last_named_code()) {
        printf("%s failed (%d:unknown error)\n", pFuncName, code);
        return;
    }
    if (pRqmApiContext != nullptr) {
        RQM_UI_ErrPrintf(pRqmApiContext, "%s failed (%d)\n", pFuncName, code);
        printf("%s failed (%d:%s\t%s)\n", pFuncName, code, ResaultStr[ErrCode], TipStr[ErrCode]);
        return;
    }
    char line[200];
    snprintf(line, sizeof line, "RQM_API: ERROR: %s(): ErrCode:%d, %s\t %s)\n", pFuncName, code,
             ResaultStr[ErrCode], TipStr[ErrCode]);
    printf("%s", line);
}

void RW_EFUSE_ERROR_CHECK(RqmApiContext* pRqmApiContext, uint32_t ErrCode) {
    if (ErrCode == 0)
        return;
    const int code = static_cast<int>(ErrCode);
    if (ErrCode >= RQM_RESULT_NAMED_CODES) {
        printf("RQM_RW_Efuse_Data failed! (%d:unknown error)\n", code);
        return;
    }
    if (pRqmApiContext != nullptr) {
        RQM_UI_ErrPrintf(pRqmApiContext, "RQM_RW_Efuse_Data failed! (ErrCode:%d)\n", code);
        printf("RQM_RW_Efuse_Data failed! (ErrCode %d:%s)\n", code, EfuseStatusStr[ErrCode]);
        return;
    }
    char line[200];
    snprintf(line, sizeof line, "RQM_API ERROR! RQM_RW_Efuse_Data(): ErrCode:%d, %s)\n", code,
             EfuseStatusStr[ErrCode]);
    printf("%s", line);
}

static void debug_trace(RqmApiContext* pRqmApiContext, const char* fmt, const char* text) {
    if (pRqmApiContext == nullptr || pRqmApiContext->pfnUI_Puts_Cb == nullptr)
        return;
    char line[500];
    snprintf(line, sizeof line, fmt, text);
    pRqmApiContext->pfnUI_Puts_Cb(pRqmApiContext->pUserCB_Context, line);
}

void RQM_Debug_EnterFunction0(RqmApiContext* pRqmApiContext, const char* pFuncName) {
    debug_trace(pRqmApiContext, "RQM_API: ENTER: %s(): ", pFuncName);
}

void RQM_Debug_PrintOutput0(RqmApiContext* pRqmApiContext, const char* pText) {
    debug_trace(pRqmApiContext, "RQM_API: OUTPUT: %s(): ", pText);
}

int RQM_Debug_EnterFunction(int Value) {
    return Value;
}

int RQM_Debug_PrintOutput(int Value) {
    return Value;
}
