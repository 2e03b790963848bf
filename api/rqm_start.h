// Bringing the test firmware up: the start of a configured context, and the
// one-call starters that create, configure, start and hand over the SDD.
#pragma once

#include <cstdint>

#include "common/rqm_context.h"
#include "transport/rqm_transport.h"  // SbusConfig

// What a starter hands back: the started context, or null, and a code.
struct RqmStartResult {
    RqmApiContext* pRqmApiContext;
    int ErrorCode;
};

// Starts the broker, configures the bus when pSbusConfig is given, and
// starts the firmware. 0, or 1 with the broker stopped again; 255 without
// a context.
int RQM_Start(RqmApiContext* pRqmApiContext, const SbusConfig* pSbusConfig);

// The SPI/SDIO host interface (connection type 1).
RqmApiContext* RQM_Start_SpiSdioHif(const char* pchFirmwarePath, RqmRxIndMsgsCb pfnRxIndMsgsCb,
                                    void* pUserCB_Context, RqmUiPutsCb pfnUI_Puts_Cb);
RqmStartResult RQM_Start_SpiSdioHifExtended(const char* pchBootLoaderPath, const char* pchFirmwarePath,
                                            const char* pchSDDPath, int bWriteSDD,
                                            RqmRxIndMsgsCb pfnRxIndMsgsCb, void* pUserCB_Context,
                                            RqmUiPutsCb pfnUI_Puts_Cb);
// A null pSbusConfig starts without configuring the bus.
RqmStartResult RQM_Start_SpiSdioHifAdvanced(const char* pchFirmwarePath, const char* pchSDDPath,
                                            int bWriteSDD, RqmRxIndMsgsCb pfnRxIndMsgsCb,
                                            void* pUserCB_Context, RqmUiPutsCb pfnUI_Puts_Cb,
                                            const SbusConfig* pSbusConfig);

// The UART host interface has no starter in this library: {null, 0}.
RqmStartResult RQM_Start_UartHif(const char* pchFirmwarePath, uint16_t UartPort,
                                 RqmRxIndMsgsCb pfnRxIndMsgsCb, void* pUserCB_Context,
                                 RqmUiPutsCb pfnUI_Puts_Cb);
RqmStartResult RQM_Start_UartHifExtended(const char* pchBootLoaderPath, const char* pchFirmwarePath,
                                         const char* pchSDDPath, int bWriteSDD, uint16_t UartPort,
                                         RqmRxIndMsgsCb pfnRxIndMsgsCb, void* pUserCB_Context,
                                         RqmUiPutsCb pfnUI_Puts_Cb);

// A remote machine over TCP (connection type 3).
RqmStartResult RQM_Start_RemoteHif(const char* pchBootLoaderPath, const char* pchFirmwarePath,
                                   const char* pchSDDPath, int bWriteSDD, const char* pchRemoteMachineName,
                                   uint16_t TcpPort, RqmRxIndMsgsCb pfnRxIndMsgsCb, void* pUserCB_Context,
                                   RqmUiPutsCb pfnUI_Puts_Cb);

// The driver channel of the command-line tool (connection type 5).
RqmStartResult RQM_Start_CliHif(const char* pchFirmwarePath, const char* pchSDDPath, int bWriteSDD,
                                const char* pUartCfgStr, RqmRxIndMsgsCb pfnRxIndMsgsCb, void* pUserCB_Context,
                                RqmUiPutsCb pfnUI_Puts_Cb);
