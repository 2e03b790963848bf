// Requests that control the device as a whole: test mode on and off through
// the driver, register access by bus type, MAC addresses, hardware tests,
// self-test, debug port and the raw pass-through.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/hi_msg.h"
#include "common/variant.h"
#include "rqm_api.h"
#include "transport/TargetCli.h"
#include "transport/adapter.h"
#include "transport/netlink_peer.h"

namespace {

int reported(RqmApiContext* ctx, int result, const char* name) {
    RQM_ErrorCheck(ctx, static_cast<uint32_t>(result), name);
    return result;
}

// A header-only or two-word driver request whose answer's word at byte 8
// is the result.
int driver_request(RqmApiContext* ctx, uint16_t id, bool withVersion, const char* name) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, name);
    uint8_t req[12] = {};
    uint16_t len = HI_MSG_HEADER_SIZE;
    if (withVersion) {
        len = 8;
        if (g_variant.bVersionInConnect) {
            len = 12;
            hi_wr32(req + 4, CliVersion);
            hi_wr32(req + 8, 50);
        }
    }
    hi_set_msg_len(req, len);
    hi_set_msg_id(req, id);
    uint8_t cnf[12] = {};
    int result = Adapter_Request(ctx, req, cnf, sizeof cnf);
    if (result == RQM_SUCCESS)
        result = hi_msg_len(cnf) >= 12 ? static_cast<int>(hi_rd32(cnf + 8)) : RQM_NO_CONFIRMATION;
    return reported(ctx, result, name);
}

}  // namespace

int RQM_Connect(RqmApiContext* ctx) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_Connect");
    // The Bluetooth attach daemon holds the chip's host interface.
    if (netlink_peer_system("pkill hciattach") == -1)
        puts("==========pkill hciattach err!==========");
    uint8_t req[12] = {};
    const uint16_t len = g_variant.bVersionInConnect ? 12 : 8;
    hi_set_msg_len(req, len);
    hi_set_msg_id(req, HI_CONNECT_REQ_ID);
    if (g_variant.bVersionInConnect) {
        hi_wr32(req + 4, CliVersion);
        hi_wr32(req + 8, 50);
    }
    int result = Adapter_Request_Connect(ctx, req, nullptr, 0);
    if (result == RQM_SUCCESS) {
        result = RQM_STEP_FAILED;
        for (int look = 0; look < 3; ++look) {
            sleep(1);
            if (rxed_boot_ind) {
                result = RQM_SUCCESS;
                break;
            }
        }
        if (result != RQM_SUCCESS)
            puts("The boot loader is not running");
    }
    return reported(ctx, result, "RQM_Connect");
}

int RQM_Disconnect(RqmApiContext* ctx) {
    return driver_request(ctx, HI_DISCONNECT_DRV_REQ_ID, false, "RQM_Disconnect");
}

int RQM_Reconnect(RqmApiContext* ctx) {
    return driver_request(ctx, HI_RECONNECT_DRV_REQ_ID, true, "RQM_Reconnect");
}

int RQM_SoftReset(RqmApiContext* ctx) {
    return driver_request(ctx, HI_SOFT_RESET_REQ_ID, false, "RQM_SoftReset");
}

int RQM_ReadRegType(RqmApiContext* ctx, uint32_t Type, uint32_t Address, uint32_t Count, void* pDst) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_ReadRegType");
    if (pDst == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ReadRegType");
    uint8_t req[16] = {};
    hi_set_msg_len(req, sizeof req);
    hi_set_msg_id(req, HI_READ_REG_TYPE_REQ_ID);
    hi_wr32(req + 4, Type);
    hi_wr32(req + 8, Address);
    hi_wr32(req + 12, Count);
    static constexpr uint32_t CNF_SIZE = 12 + RQM_REG_TYPE_MAX_BYTES;
    auto* cnf = static_cast<uint8_t*>(calloc(CNF_SIZE, 1));
    if (cnf == nullptr)
        return reported(ctx, RQM_OUT_OF_MEMORY, "RQM_ReadRegType");
    int result = Adapter_Request(ctx, req, cnf, CNF_SIZE);
    if (result == RQM_SUCCESS) {
        const uint32_t got = hi_msg_len(cnf);
        if (got < 12) {
            result = RQM_NO_CONFIRMATION;
        } else {
            result = static_cast<int>(hi_rd32(cnf + HI_MSG_STATUS_OFF));
            // The count the answer gives, but never more than arrived, than
            // was asked for, or than an answer can hold.
            uint32_t n = hi_rd32(cnf + 8);
            if (n > got - 12)
                n = got - 12;
            if (n > Count)
                n = Count;
            if (n > RQM_REG_TYPE_MAX_BYTES)
                n = RQM_REG_TYPE_MAX_BYTES;
            memcpy(pDst, cnf + 12, n);
        }
    }
    free(cnf);
    return reported(ctx, result, "RQM_ReadRegType");
}

int RQM_WriteRegType(RqmApiContext* ctx, uint32_t Type, uint32_t Address, const uint32_t* pValue) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_WriteRegType");
    if (pValue == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_WriteRegType");
    uint8_t req[20] = {};
    hi_set_msg_len(req, sizeof req);
    hi_set_msg_id(req, HI_WRITE_REG_TYPE_REQ_ID);
    hi_wr32(req + 4, 0xFFFFFFFF);
    hi_wr32(req + 8, Type);
    hi_wr32(req + 12, Address);
    hi_wr32(req + 16, *pValue);
    uint8_t cnf[20] = {};
    int result = Adapter_Request(ctx, req, cnf, sizeof cnf);
    if (result == RQM_SUCCESS)
        result = hi_msg_len(cnf) >= 8 ? static_cast<int>(hi_rd32(cnf + 4)) : RQM_NO_CONFIRMATION;
    return reported(ctx, result, "RQM_WriteRegType");
}

// A request of up to 24 bytes answered by a status only.
static int status_request(RqmApiContext* ctx, uint8_t* req, uint32_t cnfSize) {
    uint8_t cnf[24] = {};
    int result = Adapter_Request(ctx, req, cnf, cnfSize);
    if (result == RQM_SUCCESS)
        result = hi_msg_len(cnf) >= 8 ? static_cast<int>(hi_rd32(cnf + 4)) : RQM_NO_CONFIRMATION;
    return result;
}

int RQM_SDDConfig(RqmApiContext* ctx, uint16_t Config) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SDDConfig");
    uint8_t req[8] = {};
    hi_set_msg_len(req, sizeof req);
    hi_set_msg_id(req, HI_SDD_CONFIG_REQ_ID);
    hi_wr32(req + 4, Config & 0xFFu);
    return reported(ctx, status_request(ctx, req, 8), "RQM_SDDConfig");
}

int RQM_SleepControl(RqmApiContext* ctx, uint32_t Mode, uint64_t Param) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SleepControl");
    int result = Adapter_ProgramWupBit(ctx, 0);
    if (result == RQM_SUCCESS) {
        uint8_t req[24] = {};
        hi_set_msg_len(req, sizeof req);
        hi_set_msg_id(req, HI_SLEEP_REQ_ID);
        hi_wr32(req + 8, Mode);
        hi_wr32(req + 16, static_cast<uint32_t>(Param));
        hi_wr32(req + 20, static_cast<uint32_t>(Param >> 32));
        uint8_t cnf[8] = {};
        result = Adapter_Request(ctx, req, cnf, sizeof cnf);
        if (result == RQM_SUCCESS) {
            result = hi_msg_len(cnf) >= 8 ? static_cast<int>(hi_rd32(cnf + 4)) : RQM_NO_CONFIRMATION;
            // Asleep, the firmware takes no requests, whatever it answered.
            if (Mode == 1)
                ctx->FwRunning = 0;
        }
    }
    return reported(ctx, result, "RQM_SleepControl");
}

int RQM_ConfigureClockGating(RqmApiContext* ctx, uint32_t Enable) {
    if (Enable > 1)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ConfigureClockGating");
    return reported(ctx, RQM_SendReqToFw_InpOneWord(ctx, HI_CLOCK_GATING_REQ_ID, Enable),
                    "RQM_ConfigureClockGating");
}

int RQM_FetchCallbackMessage(RqmApiContext*, uint8_t* pBuffer, uint32_t* pLength) {
    if (pLength != nullptr)
        *pLength = 0;
    if (pBuffer != nullptr)
        memset(pBuffer, 0, 4);
    return RQM_SUCCESS;
}

int RQM_ConfigureEpta(RqmApiContext*) {
    return RQM_SUCCESS;
}

int RQM_GetMacAddr(RqmApiContext* ctx, uint32_t Kind, uint8_t* pMac) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetMacAddr");
    if (Kind > 2 || pMac == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetMacAddr");
    uint8_t req[20] = {};
    hi_set_msg_len(req, sizeof req);
    hi_set_msg_id(req, HI_GET_MAC_REQ_ID);
    hi_wr32(req + 8, Kind);
    uint8_t cnf[20] = {};
    int result = Adapter_Request(ctx, req, cnf, sizeof cnf);
    if (result == RQM_SUCCESS) {
        if (hi_msg_len(cnf) < 18) {
            result = RQM_NO_CONFIRMATION;
        } else {
            result = static_cast<int>(hi_rd32(cnf + 4));
            memcpy(pMac, cnf + 12, 6);
        }
    }
    return reported(ctx, result, "RQM_GetMacAddr");
}

int RQM_SetMacAddr(RqmApiContext* ctx, uint32_t Kind, const uint8_t* pMac) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetMacAddr");
    if (Kind > 2 || pMac == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetMacAddr");
    uint8_t req[20] = {};
    hi_set_msg_len(req, sizeof req);
    hi_set_msg_id(req, HI_SET_MAC_REQ_ID);
    hi_wr32(req + 8, Kind);
    memcpy(req + 12, pMac, 6);
    return reported(ctx, status_request(ctx, req, 20), "RQM_SetMacAddr");
}

namespace {

struct HwTestStep {
    uint16_t TestId;
    uint8_t EncStep;  // 0: not an encryption step
};

// One sequence of hardware tests: each result goes to the next entry, and
// a failure ends the sequence after the request that reported it.
int hw_tests(RqmApiContext* ctx, uint16_t p1, uint16_t p2, uint32_t* pResults, const HwTestStep* steps,
             int count, const char* name) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, name);
    if (p1 == 0 || p2 == 0 || pResults == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, name);
    int result = 0;
    for (int i = 0; i < count; ++i) {
        uint8_t req[32] = {};
        hi_set_msg_len(req, sizeof req);
        hi_set_msg_id(req, HI_HW_TEST_REQ_ID);
        hi_wr16(req + 8, steps[i].TestId);
        hi_wr16(req + 10, p1);
        hi_wr16(req + 14, p2);
        if (steps[i].EncStep != 0) {
            req[16] = steps[i].EncStep;
            req[17] = 16;
        }
        uint8_t cnf[32] = {};
        result |= Adapter_Request(ctx, req, cnf, sizeof cnf);
        if (result != 0)
            break;
        const uint32_t got = hi_msg_len(cnf);
        if (got < 8) {
            result = RQM_NO_CONFIRMATION;
            break;
        }
        result |= static_cast<int>(hi_rd32(cnf + 4));
        pResults[i] = got >= 18 ? hi_rd32(cnf + 14) : 0;
    }
    return reported(ctx, result, name);
}

}  // namespace

int RQM_HWT_HIF(RqmApiContext* ctx, uint16_t Param1, uint16_t Param2, uint32_t* pResults) {
    static constexpr HwTestStep steps[] = {{1, 0}, {2, 0}};
    return hw_tests(ctx, Param1, Param2, pResults, steps, 2, "RQM_HWT_HIF");
}

int RQM_HWT_ENC(RqmApiContext* ctx, uint16_t Param1, uint16_t Param2, uint32_t* pResults) {
    static constexpr HwTestStep steps[] = {{3, 2}, {3, 4}, {3, 6}, {3, 7}};
    return hw_tests(ctx, Param1, Param2, pResults, steps, 4, "RQM_HWT_ENC");
}

int RQM_HWT_MIC(RqmApiContext* ctx, uint16_t Param1, uint16_t Param2, uint32_t* pResults) {
    static constexpr HwTestStep steps[] = {{4, 0}};
    return hw_tests(ctx, Param1, Param2, pResults, steps, 1, "RQM_HWT_MIC");
}

int RQM_ConfigDebugPort(RqmApiContext* ctx, uint32_t Word1, uint32_t Word2, uint32_t Word3, uint32_t Word4) {
    if (Word1 >= 32 || Word2 > 1 || Word3 > 2)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ConfigDebugPort");
    return reported(ctx, RQM_SendReqToFw_InpFourWords(ctx, HI_DEBUG_PORT_REQ_ID, Word1, Word2, Word3, Word4),
                    "RQM_ConfigDebugPort");
}

int RQM_Get_HWId(RqmApiContext* ctx, uint32_t* pId) {
    if (pId == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_Get_HWId");
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_Get_HWId");
    // The answer's status word is the id; a request that failed has none,
    // and its code is not an id.
    uint8_t req[8] = {};
    hi_set_msg_len(req, sizeof req);
    hi_set_msg_id(req, HI_GET_HWID_REQ_ID);
    uint8_t cnf[8] = {};
    int result = Adapter_Request(ctx, req, cnf, sizeof cnf);
    if (result == RQM_SUCCESS && hi_msg_len(cnf) < 8)
        result = RQM_NO_CONFIRMATION;
    if (result == RQM_SUCCESS)
        *pId = hi_rd32(cnf + 4);
    return reported(ctx, result, "RQM_Get_HWId");
}

int RQM_SelfTest(RqmApiContext* ctx, uint32_t TestNumber, uint32_t* pResult) {
    if (TestNumber > 4)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SelfTest");
    return reported(ctx, RQM_SendReqToFw_InpOneWord_OutOneWord(ctx, HI_SELF_TEST_REQ_ID, TestNumber, pResult),
                    "RQM_SelfTest");
}

namespace {

// The five self-test control blocks: where each sits in the 80-byte
// message and how long it is. The first takes the status word's place.
struct CtrlBlock {
    unsigned Offset;
    unsigned Size;
};
constexpr CtrlBlock CTRL_BLOCKS[5] = {{4, 12}, {16, 20}, {36, 20}, {56, 12}, {68, 12}};
constexpr uint16_t CTRL_BLOCK_MSG_LEN = 80;

}  // namespace

int RQM_SelfTest_ReadCtrlBlock(RqmApiContext* ctx, uint8_t* pBlock1, uint8_t* pBlock2, uint8_t* pBlock3,
                               uint8_t* pBlock4, uint8_t* pBlock5) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SelfTest_ReadCtrlBlock");
    if (pBlock1 == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SelfTest_ReadCtrlBlock");
    uint8_t req[8] = {};
    hi_set_msg_len(req, sizeof req);
    hi_set_msg_id(req, HI_SELF_TEST_READ_CB_REQ_ID);
    uint8_t cnf[CTRL_BLOCK_MSG_LEN] = {};
    const int result = Adapter_Request(ctx, req, cnf, sizeof cnf);
    if (result == RQM_SUCCESS) {
        uint8_t* blocks[5] = {pBlock1, pBlock2, pBlock3, pBlock4, pBlock5};
        // Bytes the answer did not carry stay zero.
        for (int i = 0; i < 5; ++i)
            if (blocks[i] != nullptr)
                memcpy(blocks[i], cnf + CTRL_BLOCKS[i].Offset, CTRL_BLOCKS[i].Size);
    }
    return reported(ctx, result, "RQM_SelfTest_ReadCtrlBlock");
}

int RQM_SelfTest_WriteCtrlBlock(RqmApiContext* ctx, const uint8_t* pBlock1, const uint8_t* pBlock2,
                                const uint8_t* pBlock3, const uint8_t* pBlock4, const uint8_t* pBlock5) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SelfTest_WriteCtrlBlock");
    if (pBlock1 == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SelfTest_WriteCtrlBlock");
    uint8_t req[CTRL_BLOCK_MSG_LEN] = {};
    hi_set_msg_len(req, sizeof req);
    hi_set_msg_id(req, HI_SELF_TEST_WRITE_CB_REQ_ID);
    const uint8_t* blocks[5] = {pBlock1, pBlock2, pBlock3, pBlock4, pBlock5};
    for (int i = 0; i < 5; ++i)
        if (blocks[i] != nullptr)
            memcpy(req + CTRL_BLOCKS[i].Offset, blocks[i], CTRL_BLOCKS[i].Size);
    return reported(ctx, status_request(ctx, req, 8), "RQM_SelfTest_WriteCtrlBlock");
}

int RQM_SendRawMsgToTgtProxy(RqmApiContext* ctx, const void* pPayload, uint32_t Length) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SendRawMsgToTgtProxy");
    if (Length > RQM_MAX_MSG_LEN)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SendRawMsgToTgtProxy");
    if (Length != 0 && pPayload == nullptr)
        return reported(ctx, RQM_MISSING_PAYLOAD, "RQM_SendRawMsgToTgtProxy");
    const uint32_t msgLen = Length + HI_MSG_PARAM_OFF;
    // Larger than the firmware takes (nothing is known before a startup
    // indication in this run), or than the channel carries: refused here,
    // since a send the socket refuses tears the transport down.
    if (msgLen > ctx->MaxMsgSize || msgLen > RQM_CHANNEL_MAX_MSG)
        return reported(ctx, RQM_MESSAGE_TOO_LARGE, "RQM_SendRawMsgToTgtProxy");
    auto* req = static_cast<uint8_t*>(calloc(msgLen, 1));
    if (req == nullptr)
        return reported(ctx, RQM_OUT_OF_MEMORY, "RQM_SendRawMsgToTgtProxy");
    hi_set_msg_len(req, static_cast<uint16_t>(msgLen));
    hi_set_msg_id(req, HI_RAW_PROXY_REQ_ID);
    if (Length != 0)
        memcpy(req + HI_MSG_PARAM_OFF, pPayload, Length);
    uint8_t cnf[12] = {};
    int result = Adapter_Request(ctx, req, cnf, sizeof cnf);
    if (result == RQM_SUCCESS)
        result = hi_msg_len(cnf) >= 8 ? static_cast<int>(hi_rd32(cnf + 4)) : RQM_NO_CONFIRMATION;
    free(req);
    return reported(ctx, result, "RQM_SendRawMsgToTgtProxy");
}

int RQM_GetSddVersion(RqmApiContext* ctx, uint8_t* pMajor, uint8_t* pMinor) {
    if (pMajor == nullptr || pMinor == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetSddVersion");
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetSddVersion");
    *pMajor = ctx->SddVersionMajor;
    *pMinor = ctx->SddVersionMinor;
    return RQM_SUCCESS;
}

int RQM_Set_MsgParams(RqmApiContext* ctx, uint32_t TimeoutMs, uint32_t Retries) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    ctx->CnfTimeoutMs = TimeoutMs;
    // One attempt more than retries, but never wrapped round to none.
    ctx->Attempts = Retries == 0xFFFFFFFFu ? Retries : Retries + 1;
    return RQM_SUCCESS;
}

int RQM_Get_MsgParams(RqmApiContext* ctx, uint32_t* pTimeoutMs, uint32_t* pRetries) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (pRetries != nullptr)
        *pRetries = ctx->Attempts - 1;
    if (pTimeoutMs != nullptr)
        *pTimeoutMs = ctx->CnfTimeoutMs;
    return RQM_SUCCESS;
}
