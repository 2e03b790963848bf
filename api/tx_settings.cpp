// The transmit settings the firmware keeps in its parameter block: mode,
// rate, power index, bandwidth, sub-channel, guard interval and duration
// field, each a field of a block word written back whole, and the crystal
// frequency offset, which the chip variant keeps in a PRCM register.
#include <bit>
#include <cstdio>

#include "api_variant.h"
#include "common/driver_data.h"
#include "common/hi_bytes.h"
#include "rqm_api.h"
#include "rqm_request.h"

namespace {

// The ranges take exactly their fields of the transmit control word.
static_assert(TX_CONTROL_MODE_MASK >> TX_CONTROL_MODE_SHIFT == static_cast<uint32_t>(RQM_TX_MODE_MAX));
static_assert(TX_CONTROL_POWER_MASK == RQM_POWER_INDEXES - 1);

// One block word; zero when the read fails (a cut answer is none).
int read_word(RqmApiContext* ctx, uint32_t Offset, uint32_t* pWord) {
    uint8_t bytes[4] = {};
    const int result = RQM_GetMib(ctx, Offset, sizeof bytes, bytes);
    *pWord = hi_rd32(bytes);
    return result;
}

// The field under Mask takes Bits; the rest of the word is written back as
// it was read. Nothing is written when the read fails.
int update_word(RqmApiContext* ctx, uint32_t Offset, uint32_t Mask, uint32_t Bits) {
    uint32_t word = 0;
    const int result = read_word(ctx, Offset, &word);
    if (result != RQM_SUCCESS)
        return result;
    return RQM_SetMib(ctx, Offset, (word & ~Mask) | (Bits & Mask));
}

int set_field(RqmApiContext* ctx, uint32_t Offset, uint32_t Mask, uint32_t Bits, const char* name) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, name);
    return reported(ctx, update_word(ctx, Offset, Mask, Bits), name);
}

// The field of the transmit control word under Mask, or the code of the
// failed read.
int get_field(RqmApiContext* ctx, uint32_t Mask, const char* name) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, name);
    uint32_t word = 0;
    const int result = read_word(ctx, MIB_TX_CONTROL_WORD_OFF, &word);
    if (result != RQM_SUCCESS)
        return reported(ctx, result, name);
    return static_cast<int>((word & Mask) >> std::countr_zero(Mask));
}

// Whether this chip keeps its frequency offset in the PRCM register.
bool freq_offset_in_prcm() {
    return g_api_variant.bFreqOffsetPrcm && driver_data_chip_variant();
}

}  // namespace

int RQM_SetMode(RqmApiContext* ctx, int Mode) {
    if (ctx != nullptr && (Mode < 0 || Mode > RQM_TX_MODE_MAX))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetMode");
    return set_field(ctx, MIB_TX_CONTROL_WORD_OFF, TX_CONTROL_MODE_MASK,
                     static_cast<uint32_t>(Mode) << TX_CONTROL_MODE_SHIFT, "RQM_SetMode");
}

int RQM_GetMode(RqmApiContext* ctx) {
    return get_field(ctx, TX_CONTROL_MODE_MASK, "RQM_GetMode");
}

int RQM_SetRate(RqmApiContext* ctx, int Rate) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetRate");
    return reported(ctx, RQM_SetMib(ctx, MIB_TX_RATE_OFF, static_cast<uint32_t>(Rate)), "RQM_SetRate");
}

int RQM_SetTxPower(RqmApiContext* ctx, unsigned PowerIndex) {
    if (ctx != nullptr && PowerIndex >= RQM_POWER_INDEXES)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetTxPower");
    return set_field(ctx, MIB_TX_CONTROL_WORD_OFF, TX_CONTROL_POWER_MASK, PowerIndex, "RQM_SetTxPower");
}

int RQM_SetTxBandWidth(RqmApiContext* ctx, int Bandwidth) {
    return set_field(ctx, MIB_TX_CONTROL_WORD_OFF, TX_CONTROL_BW40,
                     Bandwidth == RQM_CHANNEL_BANDWIDTH_40MHZ ? TX_CONTROL_BW40 : 0, "RQM_SetTxBandWidth");
}

int RQM_GetTxBandWidth(RqmApiContext* ctx) {
    return get_field(ctx, TX_CONTROL_BW40, "RQM_GetTxBandWidth");
}

int RQM_SetTxSubChannel(RqmApiContext* ctx, int SubChannel) {
    return set_field(ctx, MIB_TX_CONTROL_WORD_OFF, TX_CONTROL_LOWER_SUBCHANNEL,
                     SubChannel == g_api_variant.TxLowerSubChannel ? TX_CONTROL_LOWER_SUBCHANNEL : 0,
                     "RQM_SetTxSubChannel");
}

int RQM_GetTxSubChannel(RqmApiContext* ctx) {
    return get_field(ctx, TX_CONTROL_LOWER_SUBCHANNEL, "RQM_GetTxSubChannel");
}

int RQM_SetTxGuardInterval(RqmApiContext* ctx, int GuardInterval) {
    return set_field(ctx, MIB_GUARD_INTERVAL_OFF, MIB_GUARD_INTERVAL_SHORT,
                     GuardInterval == RQM_GUARD_INTERVAL_SHORT ? MIB_GUARD_INTERVAL_SHORT : 0,
                     "RQM_SetTxGuardInterval");
}

int RQM_SetTxDurationField(RqmApiContext* ctx, int Value) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetTxDurationField");
    return reported(ctx, RQM_SetMib(ctx, MIB_TX_DURATION_OFF, static_cast<uint32_t>(Value)),
                    "RQM_SetTxDurationField");
}

// The failed reads are reported by the read functions themselves; the
// caller prints the -1 as the offset.
int RQM_GetFreqOffset(RqmApiContext* ctx, uint32_t Address) {
    if (ctx == nullptr) {
        reported(ctx, RQM_NO_CONTEXT, "RQM_GetFreqOffset");
        return 0;
    }
    uint32_t value = 0;
    if (freq_offset_in_prcm()) {
        if (RQM_ReadPRCMRegister(ctx, RQM_FREQ_OFFSET_PRCM, &value) != RQM_SUCCESS)
            return -1;
        return static_cast<int>((value & RQM_FREQ_OFFSET_PRCM_MASK) >> RQM_FREQ_OFFSET_PRCM_SHIFT);
    }
    if (RQM_ReadRegister(ctx, Address, &value) != RQM_SUCCESS)
        return -1;
    return static_cast<int>(value & g_api_variant.FreqOffsetReadMask);
}

int RQM_SetFreqOffset(RqmApiContext* ctx, uint32_t MibOffset, uint8_t Value) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetFreqOffset");
    uint32_t offset = Value;
    if (static_cast<int8_t>(Value) < 0) {
        printf("[%s],%d:set the frequency offset is too large,reference value:0~127\n", "RQM_SetFreqOffset",
               g_api_variant.FreqOffsetWarningLine);
        offset = RQM_FREQ_OFFSET_MAX;
    }
    if (freq_offset_in_prcm()) {
        uint32_t reg = 0;
        int result = RQM_ReadPRCMRegister(ctx, RQM_FREQ_OFFSET_PRCM, &reg);
        if (result != RQM_SUCCESS)
            return reported(ctx, result, "RQM_SetFreqOffset");
        reg = (reg & ~RQM_FREQ_OFFSET_PRCM_MASK) | offset << RQM_FREQ_OFFSET_PRCM_SHIFT;
        result = RQM_WritePRCMRegister(ctx, RQM_FREQ_OFFSET_PRCM, reg);
        printf("Cur freq_offset = %d.\n",
               static_cast<int>((reg & RQM_FREQ_OFFSET_PRCM_MASK) >> RQM_FREQ_OFFSET_PRCM_SHIFT));
        return reported(ctx, result, "RQM_SetFreqOffset");
    }
    const int result = RQM_SetMib(ctx, MibOffset, offset);
    printf("Cur freq_offset = %d.\n", RQM_GetFreqOffset(ctx, RQM_FREQ_OFFSET_REG));
    return reported(ctx, result, "RQM_SetFreqOffset");
}
