// Registers through the test firmware: register lists, the hardware and
// PRCM registers, register-value files, and the GPIO pins.
#include <algorithm>
#include <cstdlib>

#include "api_variant.h"
#include "memory_request.h"
#include "rqm_api.h"

namespace {

int block_reg_init(RqmApiContext* ctx, const char* pchPath) {
    uint32_t size = 0;
    uint8_t* text = ReadBinaryFileIntoBuffer(ctx, pchPath, 0, &size);
    if (text == nullptr)
        return RQM_FILE_ERROR;
    RemoveCommentsFromText(ctx, reinterpret_cast<char*>(text), &size);
    uint32_t count = 0;
    uint32_t* pairs = rqm_convert_reg_values_strict(ctx, reinterpret_cast<const char*>(text), size, &count);
    free(text);
    if (pairs == nullptr)
        return RQM_FILE_ERROR;
    int result = RQM_SUCCESS;
    for (uint32_t done = 0; done < count && result == RQM_SUCCESS;) {
        const uint32_t k = std::min(count - done, BLOCK_REG_MAX_PAIRS);
        RqmRequest<BLOCK_REG_MAX_LEN> req(HI_BLOCK_REG_INIT_REQ_ID, BLOCK_REG_PAIRS_OFF + 8 * k);
        for (uint32_t i = 0; i < k; ++i) {
            req.put32_be(BLOCK_REG_PAIRS_OFF + 8 * i, pairs[2 * (done + i)]);
            req.put32_be(BLOCK_REG_PAIRS_OFF + 8 * i + 4, pairs[2 * (done + i) + 1]);
        }
        result = rqm_status_exchange<MEM_STATUS_CNF_SIZE>(ctx, req);
        done += k;
    }
    free(pairs);
    return result;
}

// One hardware-register request: the address and the value (the read's
// mark); the answer brings the register's value (taken when pValue is
// given) and its status at +12, behind the value.
int hw_reg(RqmApiContext* ctx, uint16_t Id, uint32_t Address, uint32_t Value, uint32_t* pValue) {
    RqmRequest<HW_REG_REQ_LEN> req(Id);
    req.put32(HW_REG_ADDR_OFF, Address);
    req.put32(HW_REG_VALUE_OFF, Value);
    RqmCnf<HW_REG_CNF_SIZE> cnf;
    const int sent = rqm_exchange(ctx, req, cnf, HW_REG_CNF_SIZE);
    if (sent != RQM_SUCCESS)
        return sent;
    const RqmCnfReader answer = cnf.reader();
    if (pValue != nullptr)
        *pValue = answer.get32(HW_REG_VALUE_OFF);
    return answer.status_at(HW_REG_CNF_STATUS_OFF);
}

// One GPIO operation; pValue, when given, takes the low 16 bits of the
// answer's word.
int gpio(RqmApiContext* ctx, GpioOp Op, uint8_t Pin, uint16_t Value, uint16_t* pValue, const char* name) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, name);
    RqmRequest<GPIO_REQ_LEN> req(HI_GPIO_REQ_ID);
    req.put8(GPIO_OP_OFF, Op);
    req.put8(GPIO_PIN_OFF, Pin);
    req.put16(GPIO_VALUE_OFF, Value);
    RqmCnf<GPIO_CNF_SIZE> cnf;
    // The operations that read the pins need their word; the others only
    // the status.
    int result = rqm_exchange(ctx, req, cnf, pValue != nullptr ? GPIO_CNF_SIZE : STATUS_CNF_NEED);
    if (result == RQM_SUCCESS) {
        const RqmCnfReader answer = cnf.reader();
        if (pValue != nullptr)
            *pValue = static_cast<uint16_t>(answer.get32(GPIO_CNF_VALUE_OFF));
        result = answer.status();
    }
    return reported(ctx, result, name);
}

}  // namespace

// ---- Registers ----

int RQM_ReadRegsterEx(RqmApiContext* ctx, const uint32_t* pAddrs, uint32_t* pValues, uint32_t Count) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_ReadRegsterEx");
    if (pAddrs == nullptr || pValues == nullptr || Count == 0)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ReadRegsterEx");
    int result = RQM_SUCCESS;
    for (uint32_t done = 0; done < Count;) {
        const uint32_t k = std::min(Count - done, REG_LIST_READ_MAX);
        RqmRequest<REG_LIST_READ_MAX_LEN> req(HI_READ_REG_LIST_REQ_ID, REG_LIST_ADDR_OFF + 4 * k);
        req.put16(REG_LIST_COUNT_OFF, static_cast<uint16_t>(k));
        req.put16(REG_LIST_FLAGS_OFF, MEM_FLAGS_WORDS);
        for (uint32_t i = 0; i < k; ++i)
            req.put32(REG_LIST_ADDR_OFF + 4 * i, pAddrs[done + i]);
        RqmCnf<REG_LIST_READ_CNF_SIZE> cnf;
        const int sent = rqm_exchange(ctx, req, cnf, REG_LIST_READ_CNF_VALUES_OFF + 4 * k);
        if (sent != RQM_SUCCESS)
            return reported(ctx, sent, "RQM_ReadRegsterEx");
        const RqmCnfReader answer = cnf.reader();
        if (result == RQM_SUCCESS)
            result = answer.status();
        for (uint32_t i = 0; i < k; ++i)
            pValues[done + i] = answer.get32(REG_LIST_READ_CNF_VALUES_OFF + 4 * i);
        done += k;
    }
    return reported(ctx, result, "RQM_ReadRegsterEx");
}

int RQM_WriteRegsterEx(RqmApiContext* ctx, const uint32_t* pAddrs, const uint32_t* pValues, uint32_t Count) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_WriteRegsterEx");
    if (pAddrs == nullptr || pValues == nullptr || Count == 0)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_WriteRegsterEx");
    int result = RQM_SUCCESS;
    for (uint32_t done = 0; done < Count && result == RQM_SUCCESS;) {
        const uint32_t k = std::min(Count - done, REG_LIST_WRITE_MAX);
        RqmRequest<REG_LIST_WRITE_LEN> req(HI_WRITE_REG_LIST_REQ_ID);
        req.put16(REG_LIST_COUNT_OFF, static_cast<uint16_t>(k));
        req.put16(REG_LIST_FLAGS_OFF, MEM_FLAGS_WORDS);
        for (uint32_t i = 0; i < k; ++i) {
            req.put32(REG_LIST_ADDR_OFF + 4 * i, pAddrs[done + i]);
            req.put32(REG_LIST_WRITE_VALUES_OFF + 4 * i, pValues[done + i]);
        }
        result = rqm_status_exchange<MEM_STATUS_CNF_SIZE>(ctx, req);
        done += k;
    }
    return reported(ctx, result, "RQM_WriteRegsterEx");
}

int RQM_HwReadReg(RqmApiContext* ctx, uint32_t Address, uint32_t* pValue) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_HwReadReg");
    if (pValue == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_HwReadReg");
    return reported(ctx, hw_reg(ctx, HI_HW_READ_REG_REQ_ID, Address, HW_REG_READ_MARK, pValue),
                    "RQM_HwReadReg");
}

int RQM_HwWriteReg(RqmApiContext* ctx, uint32_t Address, uint32_t Value) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_HwWriteReg");
    return reported(ctx, hw_reg(ctx, HI_HW_WRITE_REG_REQ_ID, Address, Value, nullptr), "RQM_HwWriteReg");
}

int RQM_ReadPRCMRegister(RqmApiContext* ctx, uint32_t Address, uint32_t* pValue) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_ReadPRCMRegister");
    if (!g_api_variant.bPrcmRequests)
        return reported(ctx, RQM_NOT_SUPPORTED, "RQM_ReadPRCMRegister");
    if (pValue == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ReadPRCMRegister");
    RqmRequest<PRCM_REQ_LEN> req(HI_READ_PRCM_REQ_ID);
    req.put32(PRCM_ADDR_OFF, Address);
    RqmCnf<PRCM_CNF_SIZE> cnf;
    int result = rqm_exchange(ctx, req, cnf, PRCM_VALUE_OFF + 4);
    if (result == RQM_SUCCESS) {
        const RqmCnfReader answer = cnf.reader();
        *pValue = answer.get32(PRCM_VALUE_OFF);
        result = answer.status();
    }
    return reported(ctx, result, "RQM_ReadPRCMRegister");
}

int RQM_WritePRCMRegister(RqmApiContext* ctx, uint32_t Address, uint32_t Value) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_WritePRCMRegister");
    if (!g_api_variant.bPrcmRequests)
        return reported(ctx, RQM_NOT_SUPPORTED, "RQM_WritePRCMRegister");
    RqmRequest<PRCM_REQ_LEN> req(HI_WRITE_PRCM_REQ_ID);
    req.put32(PRCM_ADDR_OFF, Address);
    req.put32(PRCM_VALUE_OFF, Value);
    return reported(ctx, rqm_status_exchange<PRCM_CNF_SIZE>(ctx, req), "RQM_WritePRCMRegister");
}

int RQM_BlockRegInit(RqmApiContext* ctx, const char* pchPath) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_BlockRegInit");
    return reported(ctx, block_reg_init(ctx, pchPath), "RQM_BlockRegInit");
}

// ---- GPIO ----

int RQM_GPIO_Setup(RqmApiContext* ctx, uint8_t Pin, uint16_t Config) {
    return gpio(ctx, GPIO_SETUP, Pin, Config, nullptr, "RQM_GPIO_Setup");
}

int RQM_GPIO_Read(RqmApiContext* ctx, uint16_t* pValue) {
    if (ctx != nullptr && pValue == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GPIO_Read");
    return gpio(ctx, GPIO_READ, GPIO_NO_PIN, 0, pValue, "RQM_GPIO_Read");
}

int RQM_GPIO_Write(RqmApiContext* ctx, uint8_t Pin, uint16_t Value) {
    return gpio(ctx, GPIO_WRITE, Pin, Value, nullptr, "RQM_GPIO_Write");
}

int RQM_GPIO_ResetTestMode(RqmApiContext* ctx, uint16_t* pValue) {
    if (ctx != nullptr && pValue == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GPIO_Reset");
    return gpio(ctx, GPIO_RESET_TEST_MODE, GPIO_NO_PIN, 0, pValue, "RQM_GPIO_Reset");
}

int RQM_GPIO_SetTestMode(RqmApiContext* ctx) {
    return reported(ctx, RQM_SendReqToFw_InpZeroWord(ctx, HI_GPIO_TEST_MODE_REQ_ID), "RQM_GPIO_SetTestMode");
}
