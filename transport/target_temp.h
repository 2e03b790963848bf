// The Target layer: the record that binds the broker to the driver-channel
// target, and the transport's print hooks.
#pragma once

#include <cstdint>

#include "TargetCli.h"

typedef void (*TargetUiPutsCb)(void* pUser, const char* pText);
typedef int (*TargetRequestFn)(TargetCliContext* pTargetCli, uint8_t MsgId, void* pData, uint32_t DataLen,
                               uint32_t ReplyLen);
// Sends one HI message. WaitMs bounds the wait for room in the send window.
typedef int (*TargetSendFn)(TargetCliContext* pTargetCli, uint8_t* pMsg, uint8_t Resend, uint32_t WaitMs);

// Results of the send operation.
enum TargetSendResult : int {
    TARGET_SEND_FAILED = 0,
    TARGET_SEND_SENT = 1,
    TARGET_SEND_GAVE_UP = 2,  // no room in the window in time, or the target stops
};

// Target request ids.
enum TargetMsgId : uint8_t {
    TARGET_MSG_ID_START_ADAPTER = 1,
    TARGET_MSG_ID_STOP = 2,
    TARGET_MSG_ID_RAW_CONFIG = 7,
    TARGET_MSG_ID_SEND_SDD = 8,
    TARGET_MSG_ID_RAW_CONFIG_SBUS0 = 9,
    TARGET_MSG_ID_RAW_CONFIG_SBUS1 = 16,
    TARGET_MSG_ID_SEND_BOOT_LOADER = 17,
    TARGET_MSG_ID_RECONNECT = 18,
};

struct TargetContext {
    TargetUiPutsCb pfnUI_Puts_Cb;
    uint32_t ConnectionType;
    TargetRequestFn pfnRequest;
    TargetSendFn pfnSendToAdapter;
    TargetCliContext* pTargetCli;
    void* pAdapterContext;
};

struct TargetConfig {
    TargetUiPutsCb pfnUI_Puts_Cb;
    uint32_t ConnectionType;
    const char* RemoteMachineName;
    uint32_t Unused;
    uint16_t HiApiVersion;
    uint32_t Reserved;
    uint16_t UartPort;
    uint16_t TcpPort;
    const char* UartCfg;  // at most 128 bytes, not always NUL-terminated
};

TargetContext* Target_Create();
int Target_Init(TargetContext* pTarget, TargetConfig* pCfg, TargetCliRxCb pfnRxCb, void* pAdapterContext);
void Target_Exit(TargetContext* pTarget);
int Target_Request(TargetContext* pTarget, uint32_t MsgId, void* pData, uint32_t DataLen, uint32_t ReplyLen);
int Target_SendToAdapter(TargetContext* pTarget, uint8_t* pMsg, uint32_t Resend, uint32_t WaitMs);
void Target_Internal_UiPuts(void* pUser, const char* pText);

// The transport's diagnostics go through these and are not shown; they keep
// the reporting sites in place for a debug build of the hooks.
void UI_Printf(TargetContext* pTarget, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void UI_ErrPrintf(TargetContext* pTarget, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
