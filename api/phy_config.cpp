// PHY configuration: channel, bandwidth, sub-channel, FEC, mode and
// operating state, enable and resets, calibration, tracking, and the PHY's
// own readings (RSSI, version). Nearly every request is a few words
// answered by a status, sent through the generic senders.
#include <cstdio>

#include "api_variant.h"
#include "phy_request.h"
#include "rqm_api.h"
#include "rqm_request.h"

namespace {

bool in_range(int Value, int Low, int High) {
    return Value >= Low && Value <= High;
}

// A request of one word after a range check, reported under its name.
int set_one(RqmApiContext* ctx, uint16_t id, int value, int low, int high, const char* name) {
    if (!in_range(value, low, high))
        return reported(ctx, RQM_INVALID_PARAMETER, name);
    return reported(ctx, RQM_SendReqToFw_InpOneWord(ctx, id, static_cast<uint32_t>(value)), name);
}

// A request of two flags, each 0 or 1.
int set_two_flags(RqmApiContext* ctx, uint16_t id, int a, int b, const char* name) {
    if (!in_range(a, 0, 1) || !in_range(b, 0, 1))
        return reported(ctx, RQM_INVALID_PARAMETER, name);
    return reported(
        ctx, RQM_SendReqToFw_InpTwoWords(ctx, id, static_cast<uint32_t>(a), static_cast<uint32_t>(b)), name);
}

}  // namespace

int RQM_SetChanBandwidth(RqmApiContext* ctx, int Bandwidth) {
    return set_one(ctx, HI_SET_CHAN_BANDWIDTH_REQ_ID, Bandwidth, 0, RQM_CHANNEL_BANDWIDTH_MAX,
                   "RQM_SetChanBandwidth");
}

int RQM_SetSubChannel(RqmApiContext* ctx, int SubChannel) {
    return set_one(ctx, HI_SET_SUB_CHANNEL_REQ_ID, SubChannel, RQM_SUB_CHANNEL_LOWER, RQM_SUB_CHANNEL_UPPER,
                   "RQM_SetSubChannel");
}

int RQM_SetChannelFec(RqmApiContext* ctx, int Low, int Mid, int High) {
    if (!g_api_variant.bChannelFec)
        return reported(ctx, RQM_NOT_SUPPORTED, "RQM_SetChannelFec");
    if (!in_range(Low, 0, RQM_CHANNEL_FEC_MAX) || !in_range(Mid, 0, RQM_CHANNEL_FEC_MAX) ||
        !in_range(High, 0, RQM_CHANNEL_FEC_MAX))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetChannelFec");
    return reported(ctx,
                    RQM_SendReqToFw_InpThreeWords(ctx, HI_SET_CHANNEL_FEC_REQ_ID, static_cast<uint32_t>(Low),
                                                  static_cast<uint32_t>(Mid), static_cast<uint32_t>(High)),
                    "RQM_SetChannelFec");
}

int RQM_SetBand(RqmApiContext* ctx, int Band) {
    return reported(ctx, in_range(Band, 0, RQM_BAND_MAX) ? RQM_NOT_SUPPORTED : RQM_INVALID_PARAMETER,
                    "RQM_SetBand");
}

int RQM_SetModem(RqmApiContext* ctx) {
    return reported(ctx, RQM_NOT_SUPPORTED, "RQM_SetModem");
}

int RQM_SetRFGain(RqmApiContext* ctx) {
    return reported(ctx, RQM_NOT_SUPPORTED, "RQM_SetRFGain");
}

int RQM_SetChannel(RqmApiContext* ctx, uint32_t ChannelWord) {
    return reported(ctx, RQM_SendReqToFw_InpOneWord(ctx, HI_SET_CHANNEL_REQ_ID, ChannelWord & 0xFFFFu),
                    "RQM_SetChannel");
}

int RQM_EnablePhy(RqmApiContext* ctx, int Enable) {
    puts("RQM_EnablePhy!");
    return set_one(ctx, HI_ENABLE_PHY_REQ_ID, Enable, 0, 1, "RQM_EnablePhy");
}

int RQM_ResetPhy(RqmApiContext* ctx, int A, int B) {
    return set_two_flags(ctx, HI_RESET_PHY_REQ_ID, A, B, "RQM_ResetPhy");
}

int RQM_CalibrateTransmitter(RqmApiContext* ctx, int Word1, int Word2, int Word3, int Word4, uint32_t* pOut,
                             uint8_t* pBlock) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_CalibrateTransmitter");
    RqmRequest<CAL_TX_REQ_LEN> req(HI_CALIBRATE_TX_REQ_ID);
    const int words[] = {Word1, Word2, Word3, Word4};
    for (uint32_t i = 0; i < 4; ++i)
        req.put32(WORD_REQ_IN_OFF + 4 * i, static_cast<uint32_t>(words[i]));
    RqmCnf<CAL_TX_CNF_SIZE> cnf;
    // The firmware's verdict is in the block, which the caller reads; any
    // whole answer counts as done.
    const int result = rqm_exchange(ctx, req, cnf, CAL_TX_CNF_SIZE);
    if (result == RQM_SUCCESS) {
        const RqmCnfReader answer = cnf.reader();
        if (pOut != nullptr)
            *pOut = answer.get32(CAL_TX_CNF_OUT_OFF);
        if (pBlock != nullptr)
            answer.copy(CAL_TX_CNF_BLOCK_OFF, pBlock, RQM_CAL_BLOCK_SIZE);
    }
    return reported(ctx, result, "RQM_CalibrateTransmitter");
}

int RQM_CalibrateReceiver(RqmApiContext* ctx, uint8_t A, uint8_t B) {
    return set_two_flags(ctx, HI_CALIBRATE_RX_REQ_ID, A, B, "RQM_CalibrateReceiver");
}

int RQM_PHY_RX_SetIQImbTracking(RqmApiContext* ctx, uint8_t Value) {
    return set_one(ctx, HI_IQ_IMB_TRACKING_REQ_ID, Value, 0, RQM_IQ_TRACKING_MAX,
                   "RQM_PHY_RX_SetIQImbTracking");
}

int RQM_PHY_RF_SetRxIQOffTracking(RqmApiContext* ctx, uint8_t Value) {
    return set_one(ctx, HI_IQ_OFF_TRACKING_REQ_ID, Value, 0, RQM_IQ_TRACKING_MAX,
                   "RQM_PHY_RF_SetRxIQOffTracking");
}

int RQM_PHY_MOD_ResetNoiseLevelEstimator(RqmApiContext* ctx) {
    return reported(ctx, RQM_SendReqToFw_InpZeroWord(ctx, HI_RESET_NOISE_EST_REQ_ID),
                    "RQM_PHY_MOD_ResetNoiseLevelEstimator");
}

int RQM_PHY_MOD_GetRSSI(RqmApiContext* ctx, double* pRssi) {
    if (pRssi == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_PHY_MOD_GetRSSI");
    uint32_t word = 0;
    const int result = RQM_SendReqToFw_InpZeroWord_OutOneWord(ctx, HI_GET_RSSI_REQ_ID, &word);
    if (result == RQM_SUCCESS)
        rqm_rssi_from_word(word, pRssi);
    return reported(ctx, result, "RQM_PHY_MOD_GetRSSI");
}

int RQM_GetPhyVersionInHex(RqmApiContext* ctx, uint32_t* pVersion) {
    if (pVersion == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetPhyVersionInHex");
    return reported(ctx, RQM_SendReqToFw_InpOneWord_OutOneWord(ctx, HI_GET_PHY_VERSION_REQ_ID, 0, pVersion),
                    "RQM_GetPhyVersionInHex");
}

int RQM_GetPhyVersion(RqmApiContext* ctx, uint8_t* pMajor, uint8_t* pMinor, uint16_t* pBuild) {
    if (pMajor == nullptr || pMinor == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetPhyVersion");
    uint32_t word = 0;
    const int result = RQM_GetPhyVersionInHex(ctx, &word);
    if (result == RQM_SUCCESS) {
        *pMajor = static_cast<uint8_t>(word >> 24);
        *pMinor = static_cast<uint8_t>(word >> 16);
        if (pBuild != nullptr)
            *pBuild = static_cast<uint16_t>(word);
    }
    return reported(ctx, result, "RQM_GetPhyVersion");
}

int RQM_SetPhyMode(RqmApiContext* ctx, int Mode) {
    return set_one(ctx, HI_SET_PHY_MODE_REQ_ID, Mode, 0, RQM_PHY_MODE_MAX, "RQM_SetPhyMode");
}

int RQM_ControlCal(RqmApiContext* ctx, uint8_t Value) {
    return set_one(ctx, HI_CONTROL_CAL_REQ_ID, Value, 0, 1, "RQM_ControlCal");
}

int RQM_EnableModem(RqmApiContext* ctx, int Value) {
    return set_one(ctx, HI_ENABLE_MODEM_REQ_ID, Value, 0, RQM_MODEM_MAX, "RQM_EnableModem");
}

// These two are called where a failed guard is no news to the caller: a
// missing context and a bad state go back unreported.
int RQM_ResetRFIP(RqmApiContext* ctx) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    return reported(ctx, RQM_SendReqToFw_InpZeroWord(ctx, HI_RESET_RF_IP_REQ_ID), "RQM_ResetRFIP");
}

int RQM_SetPhyOpState(RqmApiContext* ctx, int State) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (!in_range(State, RQM_PHY_OP_STATE_MIN, RQM_PHY_OP_STATE_MAX))
        return RQM_INVALID_PARAMETER;
    return reported(ctx,
                    RQM_SendReqToFw_InpOneWord(ctx, HI_SET_PHY_OP_STATE_REQ_ID, static_cast<uint32_t>(State)),
                    "RQM_SetPhyOpState");
}
