// Chip memory and registers through the test firmware: words, byte blocks
// in chunks, byte ranges at any address, register lists, hardware and PRCM
// registers, register-value files, GPIO, the RF access path with its
// com-bus bracket, and the firmware's parameter block.
#include <algorithm>
#include <cstdlib>

#include "common/variant.h"
#include "memory_request.h"
#include "rqm_api.h"

namespace {

// Reads Length bytes in chunks; the first chunk that failed decides the
// result, while the later chunks are still read. A transport failure, or
// an answer without all the bytes of its chunk, ends the read, leaving
// that chunk's bytes as they were.
int read_memory(RqmApiContext* ctx, uint32_t Address, uint8_t* pOut, uint32_t Length) {
    int result = RQM_SUCCESS;
    for (uint32_t done = 0; done < Length;) {
        const uint32_t chunk = std::min(Length - done, MEM_READ_CHUNK);
        RqmRequest<MEM_READ_REQ_LEN> req(HI_READ_MEMORY_REQ_ID);
        req.put32(MEM_ADDR_OFF, Address + done);
        req.put16(MEM_COUNT_OFF, static_cast<uint16_t>(chunk));
        req.put16(MEM_FLAGS_OFF, MEM_FLAGS_WORDS);
        RqmCnf<MEM_READ_CNF_SIZE> cnf;
        const int sent = rqm_exchange(ctx, req, cnf, MEM_READ_CNF_DATA_OFF + chunk);
        if (sent != RQM_SUCCESS)
            return sent;
        const RqmCnfReader answer = cnf.reader();
        answer.copy(MEM_READ_CNF_DATA_OFF, pOut + done, chunk);
        if (result == RQM_SUCCESS)
            result = answer.status();
        done += chunk;
    }
    return result;
}

int write_word(RqmApiContext* ctx, uint32_t Address, uint32_t Value) {
    RqmRequest<MEM_WRITE_WORD_LEN> req(HI_WRITE_MEMORY_REQ_ID);
    req.put32(MEM_ADDR_OFF, Address);
    req.put16(MEM_COUNT_OFF, 4);
    req.put16(MEM_FLAGS_OFF, MEM_FLAGS_WORDS);
    req.put32(MEM_DATA_OFF, Value);
    return rqm_status_exchange<MEM_STATUS_CNF_SIZE>(ctx, req);
}

// The largest run of data and filler bytes one range write may carry:
// whole words, so that the padded message stays within what the firmware
// and the channel take. 0 when nothing has been announced.
uint32_t range_room(const RqmApiContext* ctx) {
    const uint32_t limit = std::min(ctx->MaxMsgSize, RQM_CHANNEL_MAX_MSG);
    return limit > MEM_DATA_OFF ? (limit - MEM_DATA_OFF) & ~3u : 0;
}

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

// ---- Memory and registers ----

int RQM_ReadMemory(RqmApiContext* ctx, uint32_t Address, void* pBuffer, uint32_t Length) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_ReadMemory");
    if (pBuffer == nullptr || Length == 0)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ReadMemory");
    return reported(ctx, read_memory(ctx, Address, static_cast<uint8_t*>(pBuffer), Length), "RQM_ReadMemory");
}

int RQM_WriteMemory(RqmApiContext* ctx, uint32_t Address, uint32_t Value) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_WriteMemory");
    return reported(ctx, write_word(ctx, Address, Value), "RQM_WriteMemory");
}

int RQM_WriteMemoryRange(RqmApiContext* ctx, uint32_t Address, const void* pData, uint32_t Length) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_WriteMemoryRange");
    if (pData == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_WriteMemoryRange");
    // Every message must carry at least one byte after up to three filler
    // bytes; a firmware that has announced less (or nothing in this run)
    // would otherwise be sent messages it cannot take, or none that end.
    const uint32_t room = range_room(ctx);
    if (room < 4)
        return reported(ctx, RQM_MESSAGE_TOO_LARGE, "RQM_WriteMemoryRange");
    if (Length == 0)
        return RQM_SUCCESS;
    auto* buf = static_cast<uint8_t*>(malloc(MEM_DATA_OFF + room));
    if (buf == nullptr)
        return reported(ctx, RQM_OUT_OF_MEMORY, "RQM_WriteMemoryRange");
    RqmReqBuilder req(buf, MEM_DATA_OFF + room);
    const auto* data = static_cast<const uint8_t*>(pData);
    uint32_t address = Address;
    uint32_t left = Length;
    int result = RQM_SUCCESS;
    while (left > 0) {
        const uint32_t lead = address & 3;
        const uint32_t k = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{lead} + left, room) - lead);
        rqm_encode_memory_range(req, address, data, k);
        result = rqm_status_exchange<MEM_STATUS_CNF_SIZE>(ctx, req);
        if (result != RQM_SUCCESS)
            break;
        address += k;
        data += k;
        left -= k;
    }
    free(buf);
    return reported(ctx, result, "RQM_WriteMemoryRange");
}

int RQM_WriteRegBlk(RqmApiContext* ctx, uint32_t Address, const uint32_t* pWords, uint32_t Count) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_WriteRegBlk");
    if (pWords == nullptr || Count == 0)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_WriteRegBlk");
    int result = RQM_SUCCESS;
    for (uint32_t sent = 0; sent < Count && result == RQM_SUCCESS;) {
        const uint32_t k = std::min(Count - sent, MEM_BLOCK_WORDS);
        RqmRequest<MEM_BLOCK_MAX_LEN> req(HI_WRITE_MEMORY_REQ_ID, MEM_DATA_OFF + 4 * k);
        req.put32(MEM_ADDR_OFF, Address + 4 * sent);
        req.put16(MEM_COUNT_OFF, static_cast<uint16_t>(4 * k));
        req.put16(MEM_FLAGS_OFF, MEM_FLAGS_WORDS);
        for (uint32_t i = 0; i < k; ++i)
            req.put32(MEM_DATA_OFF + 4 * i, pWords[sent + i]);
        result = rqm_status_exchange<MEM_STATUS_CNF_SIZE>(ctx, req);
        sent += k;
    }
    return reported(ctx, result, "RQM_WriteRegBlk");
}

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

int RQM_ReadRegister(RqmApiContext* ctx, uint32_t Address, uint32_t* pValue) {
    if (pValue == nullptr)
        return reported(ctx, RQM_ReadMemory(ctx, Address, nullptr, 4), "RQM_ReadRegister");
    // Without an answer the word keeps what it held.
    uint8_t bytes[4];
    hi_wr32(bytes, *pValue);
    const int result = RQM_ReadMemory(ctx, Address, bytes, 4);
    *pValue = hi_rd32(bytes);
    return reported(ctx, result, "RQM_ReadRegister");
}

int RQM_WriteRegister(RqmApiContext* ctx, uint32_t Address, uint32_t Value) {
    return reported(ctx, RQM_WriteMemory(ctx, Address, Value), "RQM_WriteRegister");
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
    if (!g_variant.bPrcmRequests)
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
    if (!g_variant.bPrcmRequests)
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

// ---- RF access ----

int RQM_SetComBusMode(RqmApiContext* ctx, int Mode) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (Mode < 0 || Mode > COM_BUS_MODE_MAX)
        return RQM_INVALID_PARAMETER;
    return reported(ctx,
                    RQM_SendReqToFw_InpOneWord(ctx, HI_SET_COM_BUS_MODE_REQ_ID, static_cast<uint32_t>(Mode)),
                    "RQM_SetComBusMode");
}

int RQM_GetComBusMode(RqmApiContext* ctx, uint32_t* pMode) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (pMode == nullptr)
        return RQM_INVALID_PARAMETER;
    return reported(ctx, RQM_SendReqToFw_InpZeroWord_OutOneWord(ctx, HI_GET_COM_BUS_MODE_REQ_ID, pMode),
                    "RQM_GetComBusMode");
}

int rqm_com_bus_bracket(RqmApiContext* ctx, RqmComBusOp Op, void* pArg) {
    uint32_t mode = 0;
    int result = RQM_GetComBusMode(ctx, &mode);
    if (result != RQM_SUCCESS)
        return result;
    const bool switched = mode != COM_BUS_MODE_RF;
    if (switched) {
        result = RQM_SetComBusMode(ctx, static_cast<int>(COM_BUS_MODE_RF));
        if (result != RQM_SUCCESS)
            return result;
    }
    result = Op(ctx, pArg);
    if (switched) {
        // A mode the firmware reported but that cannot be set again fails
        // the restore like any other.
        const int restored = RQM_SetComBusMode(
            ctx, mode <= static_cast<uint32_t>(COM_BUS_MODE_MAX) ? static_cast<int>(mode) : -1);
        if (result == RQM_SUCCESS)
            result = restored;
    }
    return result;
}

int RQM_ReadRegisterRfAccess(RqmApiContext* ctx, uint32_t Address, uint32_t* pValue, uint32_t RfParam) {
    if ((Address & 3) != 0 || pValue == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ReadRegisterRfAccess");
    return reported(
        ctx, RQM_SendReqToFw_InpTwoWords_OutOneWord(ctx, HI_RF_READ_REG_REQ_ID, Address, RfParam, pValue),
        "RQM_ReadRegisterRfAccess");
}

namespace {

struct RfRead {
    uint32_t Address;
    uint32_t* pBuffer;
    uint32_t Words;
    uint32_t RfParam;
};

int rf_read_words(RqmApiContext* ctx, void* pArg) {
    const RfRead& a = *static_cast<const RfRead*>(pArg);
    for (uint32_t i = 0; i < a.Words; ++i) {
        const int result = RQM_ReadRegisterRfAccess(ctx, a.Address + 4 * i, &a.pBuffer[i], a.RfParam);
        if (result != RQM_SUCCESS)
            return result;
    }
    return RQM_SUCCESS;
}

struct RfWrite {
    uint32_t Address;
    uint32_t Value;
};

int rf_write_word(RqmApiContext* ctx, void* pArg) {
    const RfWrite& a = *static_cast<const RfWrite*>(pArg);
    return RQM_WriteMemory(ctx, a.Address, a.Value);
}

int rf_block_reg_init(RqmApiContext* ctx, void* pArg) {
    return RQM_BlockRegInit(ctx, static_cast<const char*>(pArg));
}

}  // namespace

int RQM_ReadMemoryRfAccess(RqmApiContext* ctx, uint32_t Address, uint32_t* pBuffer, uint32_t Length,
                           uint32_t RfParam) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_ReadMemoryRfAccess");
    // Words are read into the buffer, so there must be one; a read of no
    // bytes is a bracket with nothing in it, and an address the word read
    // refuses is refused inside the bracket, as any read that fails there.
    if (pBuffer == nullptr && Length != 0)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ReadMemoryRfAccess");
    RfRead args = {Address, pBuffer, static_cast<uint32_t>((uint64_t{Length} + 3) / 4), RfParam};
    return reported(ctx, rqm_com_bus_bracket(ctx, rf_read_words, &args), "RQM_ReadMemoryRfAccess");
}

int RQM_WriteMemoryRfAccess(RqmApiContext* ctx, uint32_t Address, uint32_t Value) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_WriteMemoryRfAccess");
    RfWrite args = {Address, Value};
    return reported(ctx, rqm_com_bus_bracket(ctx, rf_write_word, &args), "RQM_WriteMemoryRfAccess");
}

int RQM_BlockRegInitRfAccess(RqmApiContext* ctx, const char* pchPath) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_BlockRegInitRfAccess");
    return reported(ctx, rqm_com_bus_bracket(ctx, rf_block_reg_init, const_cast<char*>(pchPath)),
                    "RQM_BlockRegInitRfAccess");
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

// ---- Parameter block ----

int RQM_GetMib(RqmApiContext* ctx, uint32_t Offset, uint32_t Length, void* pOut) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetMib");
    if (pOut == nullptr || (Offset & 3) != 0)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetMib");
    return reported(ctx, RQM_ReadMemory(ctx, ctx->MibBaseAddress + Offset, pOut, Length), "RQM_GetMib");
}

int RQM_SetMib(RqmApiContext* ctx, uint32_t Offset, uint32_t Value) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetMib");
    if ((Offset & 3) != 0)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetMib");
    RqmRequest<SET_MIB_REQ_LEN> req(HI_SET_MIB_REQ_ID);
    req.put32(SET_MIB_OFFSET_OFF, Offset);
    req.put32(SET_MIB_VALUE_OFF, Value);
    return reported(ctx, rqm_status_exchange<MEM_STATUS_CNF_SIZE>(ctx, req), "RQM_SetMib");
}
