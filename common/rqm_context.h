// The API context as every layer sees it: the transport keeps its wait
// state and the firmware's facts in it, the API and the front end hold it
// for the whole run. Also the result codes all layers return and the
// diagnostic hooks they report through.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <cstdint>

#include "common/rqm_sync.h"

struct TargetContext;

enum RqmResultCode : int {
    RQM_SUCCESS = 0,
    RQM_NO_CONFIRMATION = 1,
    RQM_ERR_CHECKSUM = 2,
    RQM_MESSAGE_TOO_LARGE = 3,
    RQM_ERR_BAD_OP = 4,
    RQM_MISSING_PAYLOAD = 5,  // also the driver's "already connected"
    RQM_ERR_WLAN_MODE = 6,
    RQM_ERR_NOT_CONNECT = 7,
    RQM_ERR_IO_FAILED = 8,
    RQM_INVALID_PARAMETER = 9,  // also the driver's hang code
    RQM_ERR_CHECK_VERSION = 10,
    RQM_OUT_OF_MEMORY = 19,
    RQM_NOT_SUPPORTED = 26,
    RQM_FILE_ERROR = 37,
    RQM_TRANSPORT_LOST = 41,
    RQM_TX_COUNT_MISMATCH = 42,
    RQM_FW_NOT_RUNNING = 43,
    RQM_NO_CONTEXT = 255,
    RQM_STEP_FAILED = -1,
};

// The host's HI API version; RQM_CheckFwDllCompatibility finds a firmware
// compatible only when it reports this very version.
inline constexpr uint16_t HiApiVersion = 0x0427;
// The tool's version 2.0.9 as the driver sees it: major << 24 | minor << 16 | patch.
inline constexpr uint32_t CliVersion = 0x02000009;
inline constexpr unsigned RQM_CNF_BUFFER_SIZE = 8188;
// Most request bytes an answer is checked to repeat.
inline constexpr unsigned RQM_ECHO_MAX = 16;

typedef void (*RqmRxIndMsgsCb)(void* pUserCB_Context, uint8_t* pMsg);
typedef void (*RqmUiPutsCb)(void* pUserCB_Context, const char* pText);

struct RqmApiContext {
    char FirmwarePath[256];
    uint32_t ConnectionType;
    uint16_t UartPort;
    uint16_t TcpPort;
    RqmRxIndMsgsCb pfnRxIndMsgsCb;
    void* pUserCB_Context;
    char RemoteMachineName[256];
    RqmUiPutsCb pfnUI_Puts_Cb;
    RqmUiPutsCb pfnUI_PutsError_Cb;
    TargetContext* Target;
    uint32_t Reserved;
    // Wait state shared with the receive thread. CnfLock guards the
    // expectation and the answer copy, so a waiter that gave up never
    // reads an answer the receive thread is still writing.
    uint32_t ExpectedMsgSize;
    uint16_t ExpectedMsgId;
    // Where the awaited answer repeats fields of its request, those bytes
    // at the same offsets: a confirmation with other bytes there answers
    // another request (a duplicate, a late one) and is not taken.
    uint32_t ExpectedEchoOff;
    uint32_t ExpectedEchoLen;  // 0: the id alone tells
    uint8_t ExpectedEcho[RQM_ECHO_MAX];
    uint32_t MsgReceivedSize;
    sem_t CnfSemaphore;
    bool bCnfSemaphoreMade;  // the broker's exit may run twice
    RqmMutex CnfLock;
    uint8_t CnfBuffer[RQM_CNF_BUFFER_SIZE];
    // Firmware facts.
    uint32_t MaxMsgSize;
    uint32_t MibBaseAddress;
    char FirmwareLabel[128];
    uint16_t FirmwareApiVer;
    std::atomic<uint8_t> FwRunning;
    char SddPath[255];
    char BootLoaderPath[255];
    uint8_t SddVersionMajor;
    uint8_t SddVersionMinor;
    uint32_t LastRxEndStatus1;
    uint8_t LastRxValid;
    char UartCfg[128];  // not NUL-terminated when the text fills it
    uint32_t Attempts;
    uint32_t CnfTimeoutMs;
};

// Diagnostic hooks of the API and the transport: they show nothing.
void RQM_UI_Printf(RqmApiContext* pRqmApiContext, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void RQM_UI_ErrPrintf(RqmApiContext* pRqmApiContext, const char* fmt, ...)
    __attribute__((format(printf, 2, 3)));
void RQM_UI_PrintMemory(RqmApiContext* pRqmApiContext, const char* pTitle, const void* pData,
                        uint32_t Length);
