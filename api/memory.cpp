// Chip memory through the test firmware: words, byte blocks in chunks,
// byte ranges at any address, registers read and written as memory words,
// and the firmware's parameter block, which is memory too.
#include <algorithm>
#include <cstdlib>

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

}  // namespace

// ---- Memory ----

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
