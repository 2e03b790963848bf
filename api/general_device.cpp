// Requests that control the device as a whole: test mode on and off through
// the driver, register access by bus type, MAC addresses, hardware tests,
// self-test, debug port and the raw pass-through.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "api_variant.h"
#include "common/hi_msg.h"
#include "device_request.h"
#include "rqm_api.h"
#include "transport/TargetCli.h"
#include "transport/adapter.h"
#include "transport/netlink_peer.h"

namespace {

// A header-only or connect-shaped driver request whose answer's word at +8
// is the result.
int driver_request(RqmApiContext* ctx, uint16_t id, bool connectShaped, const char* name) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, name);
    RqmRequest<CONNECT_REQ_LEN> req;
    if (connectShaped)
        rqm_encode_connect(req, id, g_api_variant.bVersionInConnect);
    else
        req.start(id, HI_MSG_HEADER_SIZE);
    RqmCnf<DRIVER_CNF_SIZE> cnf;
    int result = rqm_exchange(ctx, req, cnf, DRIVER_CNF_NEED);
    if (result == RQM_SUCCESS)
        result = cnf.reader().status_at(DRIVER_CNF_RESULT_OFF);
    return reported(ctx, result, name);
}

}  // namespace

int RQM_Connect(RqmApiContext* ctx) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_Connect");
    // The Bluetooth attach daemon holds the chip's host interface.
    if (netlink_peer_system("pkill hciattach") == -1)
        puts("==========pkill hciattach err!==========");
    RqmRequest<CONNECT_REQ_LEN> req;
    rqm_encode_connect(req, HI_CONNECT_REQ_ID, g_api_variant.bVersionInConnect);
    int result = req.ok() ? Adapter_Request_Connect(ctx, req.msg(), nullptr, 0) : RQM_INVALID_PARAMETER;
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
    return driver_request(ctx, HI_DISCONNECT_REQ_ID, false, "RQM_Disconnect");
}

int RQM_Reconnect(RqmApiContext* ctx) {
    return driver_request(ctx, HI_RECONNECT_REQ_ID, true, "RQM_Reconnect");
}

int RQM_SoftReset(RqmApiContext* ctx) {
    return driver_request(ctx, HI_REBOOT_REQ_ID, false, "RQM_SoftReset");
}

int RQM_ReadRegType(RqmApiContext* ctx, uint32_t Type, uint32_t Address, uint32_t Count, void* pDst) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_ReadRegType");
    if (pDst == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ReadRegType");
    RqmRequest<REG_TYPE_READ_REQ_LEN> req;
    rqm_encode_read_reg_type(req, Type, Address, Count);
    auto* cnf = static_cast<uint8_t*>(calloc(REG_TYPE_READ_CNF_SIZE, 1));
    if (cnf == nullptr)
        return reported(ctx, RQM_OUT_OF_MEMORY, "RQM_ReadRegType");
    int result = rqm_exchange(ctx, req, cnf, REG_TYPE_READ_CNF_SIZE, REG_TYPE_READ_CNF_NEED);
    if (result == RQM_SUCCESS)
        result = rqm_decode_read_reg_type(RqmCnfReader(cnf, REG_TYPE_READ_CNF_SIZE), Count, pDst);
    free(cnf);
    return reported(ctx, result, "RQM_ReadRegType");
}

int RQM_WriteRegType(RqmApiContext* ctx, uint32_t Type, uint32_t Address, const uint32_t* pValue) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_WriteRegType");
    if (pValue == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_WriteRegType");
    RqmRequest<REG_TYPE_WRITE_REQ_LEN> req;
    rqm_encode_write_reg_type(req, Type, Address, *pValue);
    return reported(ctx, rqm_status_exchange<REG_TYPE_WRITE_CNF_SIZE>(ctx, req), "RQM_WriteRegType");
}

int RQM_SDDConfig(RqmApiContext* ctx, uint16_t Config) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SDDConfig");
    RqmRequest<SDD_CONFIG_REQ_LEN> req;
    rqm_encode_sdd_config(req, Config);
    return reported(ctx, rqm_status_exchange<SDD_CONFIG_CNF_SIZE>(ctx, req), "RQM_SDDConfig");
}

int RQM_SleepControl(RqmApiContext* ctx, uint32_t Mode, uint64_t Param) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SleepControl");
    int result = Adapter_ProgramWupBit(ctx, 0);
    if (result == RQM_SUCCESS) {
        RqmRequest<SLEEP_REQ_LEN> req;
        rqm_encode_sleep(req, Mode, Param);
        RqmCnf<SLEEP_CNF_SIZE> cnf;
        result = rqm_exchange(ctx, req, cnf, STATUS_CNF_NEED);
        if (result == RQM_SUCCESS) {
            result = cnf.reader().status();
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
    if (Kind > RQM_MAC_KIND_MAX || pMac == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetMacAddr");
    RqmRequest<MAC_REQ_LEN> req;
    rqm_encode_mac(req, HI_GET_MAC_REQ_ID, Kind, nullptr);
    RqmCnf<MAC_CNF_SIZE> cnf;
    int result = rqm_exchange(ctx, req, cnf, MAC_CNF_NEED);
    if (result == RQM_SUCCESS)
        result = rqm_decode_get_mac(cnf.reader(), pMac);
    return reported(ctx, result, "RQM_GetMacAddr");
}

int RQM_SetMacAddr(RqmApiContext* ctx, uint32_t Kind, const uint8_t* pMac) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetMacAddr");
    if (Kind > RQM_MAC_KIND_MAX || pMac == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetMacAddr");
    RqmRequest<MAC_REQ_LEN> req;
    rqm_encode_mac(req, HI_SET_MAC_REQ_ID, Kind, pMac);
    return reported(ctx, rqm_status_exchange<MAC_CNF_SIZE>(ctx, req), "RQM_SetMacAddr");
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
        RqmRequest<HW_TEST_REQ_LEN> req;
        rqm_encode_hw_test(req, steps[i].TestId, p1, p2, steps[i].EncStep);
        RqmCnf<HW_TEST_CNF_SIZE> cnf;
        result |= rqm_exchange(ctx, req, cnf, HW_TEST_CNF_NEED);
        if (result != 0)
            break;
        const RqmCnfReader answer = cnf.reader();
        result |= answer.status();
        pResults[i] = answer.get32(HW_TEST_CNF_RESULT_OFF);
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
    if (Word1 > RQM_DEBUG_PORT_WORD1_MAX || Word2 > 1 || Word3 > RQM_DEBUG_PORT_WORD3_MAX)
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
    RqmRequest<WORD_REQ_IN_OFF> req;
    rqm_encode_words(req, HI_GET_HWID_REQ_ID, nullptr, 0);
    RqmCnf<HW_ID_CNF_SIZE> cnf;
    const int result = rqm_exchange(ctx, req, cnf, STATUS_CNF_NEED);
    if (result == RQM_SUCCESS)
        *pId = cnf.reader().get32(HI_MSG_STATUS_OFF);
    return reported(ctx, result, "RQM_Get_HWId");
}

int RQM_SelfTest(RqmApiContext* ctx, uint32_t TestNumber, uint32_t* pResult) {
    if (TestNumber > RQM_SELF_TEST_MAX)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SelfTest");
    return reported(ctx, RQM_SendReqToFw_InpOneWord_OutOneWord(ctx, HI_SELF_TEST_REQ_ID, TestNumber, pResult),
                    "RQM_SelfTest");
}

int RQM_SelfTest_ReadCtrlBlock(RqmApiContext* ctx, uint8_t* pBlock1, uint8_t* pBlock2, uint8_t* pBlock3,
                               uint8_t* pBlock4, uint8_t* pBlock5) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SelfTest_ReadCtrlBlock");
    if (pBlock1 == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SelfTest_ReadCtrlBlock");
    RqmRequest<CTRL_BLOCK_READ_REQ_LEN> req;
    rqm_encode_words(req, HI_SELF_TEST_READ_CB_REQ_ID, nullptr, 0);
    RqmCnf<CTRL_BLOCK_MSG_LEN> cnf;
    const int result = rqm_exchange(ctx, req, cnf, CTRL_BLOCK_READ_CNF_NEED);
    if (result == RQM_SUCCESS) {
        uint8_t* const blocks[CTRL_BLOCK_COUNT] = {pBlock1, pBlock2, pBlock3, pBlock4, pBlock5};
        rqm_decode_ctrl_blocks(cnf.reader(), blocks);
    }
    return reported(ctx, result, "RQM_SelfTest_ReadCtrlBlock");
}

int RQM_SelfTest_WriteCtrlBlock(RqmApiContext* ctx, const uint8_t* pBlock1, const uint8_t* pBlock2,
                                const uint8_t* pBlock3, const uint8_t* pBlock4, const uint8_t* pBlock5) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SelfTest_WriteCtrlBlock");
    if (pBlock1 == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SelfTest_WriteCtrlBlock");
    const uint8_t* const blocks[CTRL_BLOCK_COUNT] = {pBlock1, pBlock2, pBlock3, pBlock4, pBlock5};
    RqmRequest<CTRL_BLOCK_MSG_LEN> req;
    rqm_encode_ctrl_blocks(req, blocks);
    return reported(ctx, rqm_status_exchange<CTRL_BLOCK_WRITE_CNF_SIZE>(ctx, req),
                    "RQM_SelfTest_WriteCtrlBlock");
}

int RQM_SendRawMsgToTgtProxy(RqmApiContext* ctx, const void* pPayload, uint32_t Length) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SendRawMsgToTgtProxy");
    if (Length > RQM_MAX_MSG_LEN)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SendRawMsgToTgtProxy");
    if (Length != 0 && pPayload == nullptr)
        return reported(ctx, RQM_MISSING_PAYLOAD, "RQM_SendRawMsgToTgtProxy");
    const uint32_t msgLen = Length + RAW_REQ_PAYLOAD_OFF;
    // Larger than the firmware takes (nothing is known before a startup
    // indication in this run), or than the channel carries: refused here,
    // since a send the socket refuses tears the transport down.
    if (msgLen > ctx->MaxMsgSize || msgLen > RQM_CHANNEL_MAX_MSG)
        return reported(ctx, RQM_MESSAGE_TOO_LARGE, "RQM_SendRawMsgToTgtProxy");
    auto* buf = static_cast<uint8_t*>(malloc(msgLen));
    if (buf == nullptr)
        return reported(ctx, RQM_OUT_OF_MEMORY, "RQM_SendRawMsgToTgtProxy");
    RqmReqBuilder req(buf, msgLen);
    rqm_encode_raw(req, HI_RAW_PROXY_REQ_ID, pPayload, Length);
    const int result = rqm_status_exchange<RAW_PROXY_CNF_SIZE>(ctx, req);
    free(buf);
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
