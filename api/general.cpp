#include <cstring>

#include "rqm_api.h"
#include "rqm_request.h"
#include "transport/adapter.h"

RqmApiContext* RQM_Create(void* pUserCB_Context, RqmUiPutsCb pfnUI_Puts_Cb) {
    auto* ctx = rqm_new<RqmApiContext>();
    if (ctx == nullptr)
        return nullptr;
    ctx->pUserCB_Context = pUserCB_Context;
    ctx->pfnUI_Puts_Cb = pfnUI_Puts_Cb != nullptr ? pfnUI_Puts_Cb : RqmApiDefaultFn_UIPutsCb;
    ctx->pfnUI_PutsError_Cb = pfnUI_Puts_Cb != nullptr ? pfnUI_Puts_Cb : RqmApiDefaultFn_UIPutsErrorCb;
    ctx->Reserved = 0;
    ctx->Attempts = 1;
    ctx->CnfTimeoutMs = 10000;
    ctx->FwRunning = 0;
    return ctx;
}

// A text that does not fit with its NUL is refused and the field kept.
template <size_t N>
static int set_text(RqmApiContext* ctx, char (RqmApiContext::*field)[N], const char* text, const char* name) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, name);
    char* dst = ctx->*field;
    if (text == nullptr) {
        dst[0] = '\0';
        return RQM_SUCCESS;
    }
    const size_t len = strnlen(text, N);
    if (len >= N)
        return reported(ctx, RQM_INVALID_PARAMETER, name);
    memcpy(dst, text, len + 1);
    return RQM_SUCCESS;
}

int RQM_SetBootLoaderPath(RqmApiContext* ctx, const char* pchBootLoaderPath) {
    return set_text(ctx, &RqmApiContext::BootLoaderPath, pchBootLoaderPath, "RQM_SetBootLoaderPath");
}

int RQM_SetFirmwarePath(RqmApiContext* ctx, const char* pchFirmwarePath) {
    return set_text(ctx, &RqmApiContext::FirmwarePath, pchFirmwarePath, "RQM_SetFirmwarePath");
}

int RQM_SetSDDPath(RqmApiContext* ctx, const char* pchSDDPath) {
    return set_text(ctx, &RqmApiContext::SddPath, pchSDDPath, "RQM_SetSDDPath");
}

int RQM_SetRemoteMachineName(RqmApiContext* ctx, const char* pchName) {
    return set_text(ctx, &RqmApiContext::RemoteMachineName, pchName, "RQM_SetRemoteMachineName");
}

// The UART text may fill its field without a terminating NUL.
int RQM_SetUARTCfg(RqmApiContext* ctx, const char* pchUARTCfg) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetUARTCfg");
    memset(ctx->UartCfg, 0, sizeof ctx->UartCfg);
    if (pchUARTCfg == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetUARTCfg");
    memcpy(ctx->UartCfg, pchUARTCfg, strnlen(pchUARTCfg, sizeof ctx->UartCfg));
    return RQM_SUCCESS;
}

int RQM_SetConnectionType(RqmApiContext* ctx, uint32_t ConnectionType) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetConnectionType");
    if (ConnectionType < RQM_CONNECTION_TYPE_MIN || ConnectionType > RQM_CONNECTION_TYPE_MAX) {
        ctx->pfnUI_PutsError_Cb(ctx->pUserCB_Context,
                                "RQM_SetConnectionType(): ERROR: Invalid connection type!\n");
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetConnectionType");
    }
    ctx->ConnectionType = ConnectionType;
    return RQM_SUCCESS;
}

int RQM_SetUartPort(RqmApiContext* ctx, uint16_t UartPort) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetUartPort");
    ctx->UartPort = UartPort;
    return RQM_SUCCESS;
}

int RQM_SetTcpPort(RqmApiContext* ctx, uint16_t TcpPort) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetTcpPort");
    ctx->TcpPort = TcpPort;
    return RQM_SUCCESS;
}

int RQM_SetCallbackFunction(RqmApiContext* ctx, RqmRxIndMsgsCb pfnRxIndMsgsCb) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetCallbackFunction");
    ctx->pfnRxIndMsgsCb = pfnRxIndMsgsCb != nullptr ? pfnRxIndMsgsCb : RqmApiDefaultFn_RxIndMsgsCb;
    return RQM_SUCCESS;
}

int RQM_Stop(RqmApiContext* ctx) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_Stop");
    // The broker's exit joins the receive thread, so nothing touches the
    // context once it is freed.
    Adapter_Exit(ctx);
    return RQM_Destroy(ctx);
}

int RQM_Destroy(RqmApiContext* ctx) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_Destroy");
    rqm_delete(ctx);
    return RQM_SUCCESS;
}

int RQM_GetApiVersion(RqmApiContext* ctx, uint16_t* pApiVersion) {
    if (pApiVersion == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetApiVersion");
    *pApiVersion = HiApiVersion;
    return RQM_SUCCESS;
}

// The checks the firmware queries share, in their order.
static int firmware_query_check(RqmApiContext* ctx, const void* out, const char* name) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, name);
    if (out == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, name);
    if (ctx->FwRunning == 0)
        return reported(ctx, RQM_FW_NOT_RUNNING, name);
    return RQM_SUCCESS;
}

int RQM_GetFwApiVersion(RqmApiContext* ctx, uint16_t* pFwApiVersion) {
    int result = firmware_query_check(ctx, pFwApiVersion, "RQM_GetFwApiVersion");
    if (result == RQM_SUCCESS)
        *pFwApiVersion = ctx->FirmwareApiVer;
    return result;
}

int RQM_CheckFwDllCompatibility(RqmApiContext* ctx, uint8_t* pCompatible) {
    int result = firmware_query_check(ctx, pCompatible, "RQM_CheckFwDllCompatibility");
    if (result == RQM_SUCCESS)
        *pCompatible = ctx->FirmwareApiVer == HiApiVersion ? 1 : 0;
    return result;
}

static int label_check(RqmApiContext* ctx, const void* out, const char* name) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, name);
    if (out == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, name);
    return RQM_SUCCESS;
}

int RQM_GetDllLabel(RqmApiContext* ctx, char* pLabel) {
    int result = label_check(ctx, pLabel, "RQM_GetDllLabel");
    if (result == RQM_SUCCESS)
        memcpy(pLabel, RQM_DLL_LABEL, RQM_DLL_LABEL_SIZE);
    return result;
}

int RQM_GetFirmwareLabel(RqmApiContext* ctx, char* pLabel) {
    int result = label_check(ctx, pLabel, "RQM_GetFirmwareLabel");
    if (result == RQM_SUCCESS)
        memcpy(pLabel, ctx->FirmwareLabel, sizeof ctx->FirmwareLabel);
    return result;
}
