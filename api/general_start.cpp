// The start of a configured context and the one-call starters. A starter
// puts one line for the step that failed and hands back no context; the
// forms that ignore a failed SDD download keep the started one.
#include <cstdio>

#include "rqm_api.h"
#include "transport/adapter.h"

int RQM_Start(RqmApiContext* ctx, const SbusConfig* pSbusConfig) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (Adapter_Init(ctx) != 1)
        return RQM_NO_CONFIRMATION;
    // A failed step stops the broker again: nothing is left running for a
    // context the caller will free.
    if (pSbusConfig != nullptr && Adapter_ConfigSbus(ctx, pSbusConfig) != RQM_SUCCESS) {
        Adapter_Exit(ctx);
        return RQM_NO_CONFIRMATION;
    }
    if (Adapter_Start(ctx, ctx->FirmwarePath) != 1) {
        Adapter_Exit(ctx);
        return RQM_NO_CONFIRMATION;
    }
    return RQM_SUCCESS;
}

namespace {

// Puts the failed step's line and lets the context go. Until RQM_Start has
// succeeded no receive thread knows the context and it is only freed; a
// started context is stopped first, so that the thread is gone before the
// memory it reads.
RqmStartResult give_up(RqmApiContext* ctx, bool started, const char* line, int code) {
    if (line != nullptr)
        puts(line);
    if (ctx != nullptr) {
        if (started)
            RQM_Stop(ctx);
        else
            RQM_Destroy(ctx);
    }
    return {nullptr, code};
}

const char* or_null(const char* text) {
    return text != nullptr ? text : "(null)";
}

}  // namespace

RqmApiContext* RQM_Start_SpiSdioHif(const char* pchFirmwarePath, RqmRxIndMsgsCb pfnRxIndMsgsCb,
                                    void* pUserCB_Context, RqmUiPutsCb pfnUI_Puts_Cb) {
    if (pchFirmwarePath == nullptr) {
        puts("Error - Invalid firmware filename");
        return nullptr;
    }
    RqmApiContext* ctx = RQM_Create(pUserCB_Context, pfnUI_Puts_Cb);
    if (ctx == nullptr) {
        puts("Error - Unable to create connection");
        return nullptr;
    }
    // Started without an SDD file: the image is all this form hands over.
    const char* line = nullptr;
    if (RQM_SetCallbackFunction(ctx, pfnRxIndMsgsCb) != RQM_SUCCESS)
        line = "Error - Unable to set Callback function";
    else if (RQM_SetConnectionType(ctx, RQM_CONNECTION_SPI_SDIO) != RQM_SUCCESS)
        line = "Error - Unable to set connection typ";
    else if (RQM_SetFirmwarePath(ctx, pchFirmwarePath) != RQM_SUCCESS ||
             RQM_SetSDDPath(ctx, nullptr) != RQM_SUCCESS)
        line = "Error - Unable to set firmware path";
    else if (RQM_Start(ctx, nullptr) != RQM_SUCCESS)
        line = "Error: Unable to start firmware";
    if (line == nullptr)
        return ctx;
    give_up(ctx, false, line, RQM_NO_CONFIRMATION);
    return nullptr;
}

namespace {

// The SPI/SDIO starts up to the running firmware: the paths checked, a
// context configured and started. On success *pCtx holds the started
// context; on failure the step's line is out and nothing is left.
RqmStartResult start_spi_sdio(const char* pchBootLoaderPath, bool bSetBootLoader, const char* pchFirmwarePath,
                              const char* pchSDDPath, RqmRxIndMsgsCb pfnRxIndMsgsCb, void* pUserCB_Context,
                              RqmUiPutsCb pfnUI_Puts_Cb, const SbusConfig* pSbusConfig) {
    if (pchFirmwarePath == nullptr)
        return give_up(nullptr, false, "Error ?Invalid firmware filename", RQM_NO_CONFIRMATION);
    if (pchSDDPath == nullptr)
        return give_up(nullptr, false, "Error ?Invalid SDD filename", RQM_NO_CONFIRMATION);
    RqmApiContext* ctx = RQM_Create(pUserCB_Context, pfnUI_Puts_Cb);
    if (ctx == nullptr)
        return give_up(nullptr, false, "Error ?Unable to create connection", RQM_NO_CONFIRMATION);
    int rc = RQM_SetCallbackFunction(ctx, pfnRxIndMsgsCb);
    if (rc != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set Callback function", rc);
    if ((rc = RQM_SetConnectionType(ctx, RQM_CONNECTION_SPI_SDIO)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set connection typ", rc);
    if (bSetBootLoader && (rc = RQM_SetBootLoaderPath(ctx, pchBootLoaderPath)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set BootLoader path", rc);
    if ((rc = RQM_SetFirmwarePath(ctx, pchFirmwarePath)) != RQM_SUCCESS ||
        (rc = RQM_SetSDDPath(ctx, pchSDDPath)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set firmware path", rc);
    if ((rc = RQM_Start(ctx, pSbusConfig)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error: Unable to start firmware", rc);
    return {ctx, RQM_SUCCESS};
}

}  // namespace

RqmStartResult RQM_Start_SpiSdioHifExtended(const char* pchBootLoaderPath, const char* pchFirmwarePath,
                                            const char* pchSDDPath, int bWriteSDD,
                                            RqmRxIndMsgsCb pfnRxIndMsgsCb, void* pUserCB_Context,
                                            RqmUiPutsCb pfnUI_Puts_Cb) {
    RqmStartResult r = start_spi_sdio(pchBootLoaderPath, true, pchFirmwarePath, pchSDDPath, pfnRxIndMsgsCb,
                                      pUserCB_Context, pfnUI_Puts_Cb, nullptr);
    if (r.pRqmApiContext == nullptr)
        return r;
    const int rc = RQM_DownloadSdd(r.pRqmApiContext, pchSDDPath, bWriteSDD, 0);
    if (rc != RQM_SUCCESS)
        return give_up(r.pRqmApiContext, true, nullptr, rc);
    return r;
}

RqmStartResult RQM_Start_SpiSdioHifAdvanced(const char* pchFirmwarePath, const char* pchSDDPath,
                                            int bWriteSDD, RqmRxIndMsgsCb pfnRxIndMsgsCb,
                                            void* pUserCB_Context, RqmUiPutsCb pfnUI_Puts_Cb,
                                            const SbusConfig* pSbusConfig) {
    RqmStartResult r = start_spi_sdio(nullptr, false, pchFirmwarePath, pchSDDPath, pfnRxIndMsgsCb,
                                      pUserCB_Context, pfnUI_Puts_Cb, pSbusConfig);
    if (r.pRqmApiContext == nullptr)
        return r;
    // The firmware runs on the SDD it was started with; the caller gets the
    // context and the download's code.
    const int rc = RQM_DownloadSdd(r.pRqmApiContext, pchSDDPath, bWriteSDD, 0);
    if (rc != RQM_SUCCESS)
        puts("Error downloading the SDD file. Error ignored..");
    return {r.pRqmApiContext, rc};
}

RqmStartResult RQM_Start_UartHif(const char*, uint16_t, RqmRxIndMsgsCb, void*, RqmUiPutsCb) {
    return {nullptr, RQM_SUCCESS};
}

RqmStartResult RQM_Start_UartHifExtended(const char*, const char*, const char*, int, uint16_t, RqmRxIndMsgsCb,
                                         void*, RqmUiPutsCb) {
    return {nullptr, RQM_SUCCESS};
}

RqmStartResult RQM_Start_RemoteHif(const char* pchBootLoaderPath, const char* pchFirmwarePath,
                                   const char* pchSDDPath, int bWriteSDD, const char* pchRemoteMachineName,
                                   uint16_t TcpPort, RqmRxIndMsgsCb pfnRxIndMsgsCb, void* pUserCB_Context,
                                   RqmUiPutsCb pfnUI_Puts_Cb) {
    if (pchFirmwarePath == nullptr || pchRemoteMachineName == nullptr)
        return give_up(nullptr, false, "Error ?Invalid firmware filename or remoteIp", RQM_NO_CONFIRMATION);
    RqmApiContext* ctx = RQM_Create(pUserCB_Context, pfnUI_Puts_Cb);
    if (ctx == nullptr)
        return give_up(nullptr, false, "Error ?Unable to create connection", RQM_NO_CONFIRMATION);
    if (RQM_SetCallbackFunction(ctx, pfnRxIndMsgsCb) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set Callback function", RQM_NO_CONFIRMATION);
    int rc = RQM_SetConnectionType(ctx, RQM_CONNECTION_REMOTE);
    if (rc != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set connection typ", rc);
    if ((rc = RQM_SetBootLoaderPath(ctx, pchBootLoaderPath)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set BootLoader path", rc);
    if ((rc = RQM_SetFirmwarePath(ctx, pchFirmwarePath)) != RQM_SUCCESS ||
        (rc = RQM_SetSDDPath(ctx, pchSDDPath)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set firmware path", rc);
    if ((rc = RQM_SetTcpPort(ctx, TcpPort)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set tcp port", rc);
    if ((rc = RQM_SetRemoteMachineName(ctx, pchRemoteMachineName)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set remote machine name/ip", rc);
    if ((rc = RQM_Start(ctx, nullptr)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error: Unable to start firmware", rc);
    // "Error ignored": the firmware runs, so the caller keeps the context,
    // as with the other starters that put this line.
    rc = RQM_DownloadSdd(ctx, pchSDDPath, bWriteSDD, 0);
    if (rc != RQM_SUCCESS)
        puts("Error downloading the SDD file. Error ignored..");
    return {ctx, rc};
}

RqmStartResult RQM_Start_CliHif(const char* pchFirmwarePath, const char* pchSDDPath, int bWriteSDD,
                                const char* pUartCfgStr, RqmRxIndMsgsCb pfnRxIndMsgsCb, void* pUserCB_Context,
                                RqmUiPutsCb pfnUI_Puts_Cb) {
    printf(
        "RQM_Start_CliHif:pchFirmwarePath=%s, pchSDDPath=%s, pUartCfgStr=%s pfnRxIndMsgsCb=0x%p, "
        "pUserCB_Context=0x%p, pfnUI_Puts_Cb=0x%p\n",
        or_null(pchFirmwarePath), or_null(pchSDDPath), or_null(pUartCfgStr),
        reinterpret_cast<void*>(pfnRxIndMsgsCb), pUserCB_Context, reinterpret_cast<void*>(pfnUI_Puts_Cb));
    if (pchFirmwarePath == nullptr)
        return give_up(nullptr, false, "Error ?Invalid filename provided", RQM_NO_CONFIRMATION);
    if (pUartCfgStr == nullptr)
        return give_up(nullptr, false, "Error ?UART Config not provided", RQM_NO_CONFIRMATION);
    puts("RQM_Create");
    RqmApiContext* ctx = RQM_Create(pUserCB_Context, pfnUI_Puts_Cb);
    if (ctx == nullptr)
        return give_up(nullptr, false, "Error ?Unable to create connection", RQM_NO_CONFIRMATION);
    puts("RQM_SetCallbackFunction");
    int rc = RQM_SetCallbackFunction(ctx, pfnRxIndMsgsCb);
    if (rc != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set Callback function", rc);
    puts("RQM_SetConnectionType");
    if ((rc = RQM_SetConnectionType(ctx, RQM_CONNECTION_CLI)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set connection typ", rc);
    puts("RQM_SetFirmwarePath");
    if ((rc = RQM_SetFirmwarePath(ctx, pchFirmwarePath)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set firmware path", rc);
    printf("RQM_SetSDDPath:%s\n", or_null(pchSDDPath));
    if ((rc = RQM_SetSDDPath(ctx, pchSDDPath)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error ?Unable to set firmware path", rc);
    puts("RQM_Start");
    if ((rc = RQM_Start(ctx, nullptr)) != RQM_SUCCESS)
        return give_up(ctx, false, "Error: Unable to start firmware", rc);
    puts("RQM_DownloadSdd");
    rc = RQM_DownloadSdd(ctx, pchSDDPath, bWriteSDD, 0);
    if (rc != RQM_SUCCESS)
        puts("Error downloading the SDD file. Error ignored..");
    return {ctx, rc};
}
