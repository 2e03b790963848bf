// The RF access path: the communication-bus mode, and the register
// accesses that need it at 1, made inside the com-bus bracket.
#include <cstdint>

#include "memory_request.h"
#include "rqm_api.h"

int RQM_SetComBusMode(RqmApiContext* ctx, int Mode) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (Mode < 0 || Mode > RQM_COM_BUS_MODE_MAX)
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
    const bool switched = mode != RQM_COM_BUS_MODE_RF;
    if (switched) {
        result = RQM_SetComBusMode(ctx, static_cast<int>(RQM_COM_BUS_MODE_RF));
        if (result != RQM_SUCCESS)
            return result;
    }
    result = Op(ctx, pArg);
    if (switched) {
        // A mode the firmware reported but that cannot be set again fails
        // the restore like any other.
        const int restored = RQM_SetComBusMode(
            ctx, mode <= static_cast<uint32_t>(RQM_COM_BUS_MODE_MAX) ? static_cast<int>(mode) : -1);
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
