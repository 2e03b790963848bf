#include "target_temp.h"

#include <cstdio>

#include "common/rqm_sync.h"

void UI_Printf(TargetContext*, const char*, ...) {}

void UI_ErrPrintf(TargetContext*, const char*, ...) {}

void Target_Internal_UiPuts(void*, const char* pText) {
    printf("%s", pText);
}

TargetContext* Target_Create() {
    return rqm_new<TargetContext>();
}

int Target_Init(TargetContext* pTarget, TargetConfig* pCfg, TargetCliRxCb pfnRxCb, void* pAdapterContext) {
    if (pTarget == nullptr)
        return 0;
    pTarget->pAdapterContext = pAdapterContext;
    if (pfnRxCb == nullptr) {
        UI_ErrPrintf(pTarget, "Target_Init(), no receive callback.\n");
        return 0;
    }
    if (pCfg == nullptr) {
        UI_ErrPrintf(pTarget, "Target_Init(), null pCfg.\n");
        return 0;
    }
    if (pCfg->pfnUI_Puts_Cb != nullptr)
        pTarget->pfnUI_Puts_Cb = pCfg->pfnUI_Puts_Cb;
    else
        pCfg->pfnUI_Puts_Cb = Target_Internal_UiPuts;
    if ((pCfg->HiApiVersion & 0xFF00) != 0x0400) {
        UI_ErrPrintf(pTarget, "Target_Init(), incompatible HI API version.\n");
        return 0;
    }
    pTarget->ConnectionType = pCfg->ConnectionType;
    pTarget->pTargetCli = TargetCli_Create(pTarget);
    if (pTarget->pTargetCli == nullptr) {
        UI_ErrPrintf(pTarget, "Target_Init(): Error Insufficient memory for TargetUart_Create()\n");
        return 0;
    }
    pTarget->pfnRequest = TargetCli_Request;
    pTarget->pfnSendToAdapter = TargetCli_SendToAdapter;
    return TargetCli_Init(pTarget->pTargetCli, pCfg->UartPort, pCfg->UartCfg, pfnRxCb, pAdapterContext);
}

void Target_Exit(TargetContext* pTarget) {
    if (pTarget == nullptr)
        return;
    TargetCli_Exit(pTarget->pTargetCli);
    pTarget->pTargetCli = nullptr;
    pTarget->ConnectionType = 0;
    pTarget->pfnRequest = nullptr;
    pTarget->pfnSendToAdapter = nullptr;
    rqm_delete(pTarget);
}

int Target_Request(TargetContext* pTarget, uint32_t MsgId, void* pData, uint32_t DataLen, uint32_t ReplyLen) {
    puts("Target_Request");
    if (pTarget == nullptr)
        return 0;
    if (pTarget->pfnRequest == nullptr) {
        UI_ErrPrintf(pTarget, "Target_Request(): not initialised\n");
        return 0;
    }
    return pTarget->pfnRequest(pTarget->pTargetCli, static_cast<uint8_t>(MsgId), pData, DataLen, ReplyLen);
}

int Target_SendToAdapter(TargetContext* pTarget, uint8_t* pMsg, uint32_t Resend, uint32_t WaitMs) {
    if (pTarget == nullptr)
        return TARGET_SEND_FAILED;
    if (pTarget->pfnSendToAdapter == nullptr) {
        UI_ErrPrintf(pTarget, "Target_SendToAdapter(): not initialised\n");
        return TARGET_SEND_FAILED;
    }
    return pTarget->pfnSendToAdapter(pTarget->pTargetCli, pMsg, static_cast<uint8_t>(Resend), WaitMs);
}
