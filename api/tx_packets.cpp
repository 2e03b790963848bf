// Packet payloads and transmission: the one-word settings of the next
// transmission, the packet buffers loaded in pieces, and the transmit
// request itself, plain, PRBS or with its whole set-up.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "api_variant.h"
#include "rqm_api.h"
#include "rqm_request.h"
#include "tx_request.h"

namespace {

// A one-word request whose value must not pass Max.
int send_one(RqmApiContext* ctx, uint16_t Id, uint32_t Value, uint32_t Max, const char* name) {
    if (Value > Max)
        return reported(ctx, RQM_INVALID_PARAMETER, name);
    return reported(ctx, RQM_SendReqToFw_InpOneWord(ctx, Id, Value), name);
}

constexpr uint32_t ANY = UINT32_MAX;

int load_payload(RqmApiContext* ctx, PacketId Id, const uint8_t* pPayload, uint32_t Length) {
    // A firmware that has announced no size (nothing before a startup
    // indication in this run), or one too small for a single byte, would
    // have pieces of nothing sent without end. The channel carries no
    // message longer than its own limit, whatever the firmware takes.
    const uint32_t largest = std::min(ctx->MaxMsgSize, RQM_CHANNEL_MAX_MSG);
    const uint32_t piece = rqm_payload_piece(largest);
    if (piece == 0)
        return RQM_MESSAGE_TOO_LARGE;
    auto* buf = static_cast<uint8_t*>(malloc(largest));
    if (buf == nullptr)
        return RQM_OUT_OF_MEMORY;
    RqmReqBuilder req(buf, largest);
    int result = RQM_SUCCESS;
    uint32_t offset = 0;
    do {
        const uint32_t count = std::min(Length - offset, piece);
        rqm_encode_payload_piece(req, Id, pPayload + offset, static_cast<uint16_t>(count),
                                 static_cast<uint16_t>(offset));
        result = rqm_status_exchange<PAYLOAD_CNF_SIZE>(ctx, req);
        offset += count;
    } while (result == RQM_SUCCESS && offset < Length);
    free(buf);
    return result;
}

int load_frame_file(RqmApiContext* ctx, PacketId Id, const char* pchPath) {
    uint32_t size = 0;
    uint8_t* text = ReadBinaryFileIntoBuffer(ctx, pchPath, 0, &size);
    if (text == nullptr)
        return RQM_FILE_ERROR;
    RemoveCommentsFromText(ctx, reinterpret_cast<char*>(text), &size);
    uint32_t count = 0;
    uint8_t* bytes =
        ConvertTextDataInFrameFileFormatToBinary(ctx, reinterpret_cast<const char*>(text), size, &count);
    free(text);
    if (bytes == nullptr)
        return RQM_FILE_ERROR;
    const int result = RQM_DefinePacketPayload(ctx, Id, bytes, count);
    free(bytes);
    return result;
}

}  // namespace

// ---- One-word settings ----

int RQM_ReceiveAck(RqmApiContext* ctx, uint32_t ExpectAck) {
    return send_one(ctx, HI_RECEIVE_ACK_REQ_ID, ExpectAck, 1, "RQM_ReceiveAck");
}

int RQM_SetTxNav(RqmApiContext* ctx, uint32_t Nav) {
    return send_one(ctx, HI_SET_TX_NAV_REQ_ID, Nav, ANY, "RQM_SetTxNav");
}

int RQM_SetBackoff(RqmApiContext* ctx, uint32_t Backoff) {
    return send_one(ctx, HI_SET_BACKOFF_REQ_ID, Backoff, ANY, "RQM_SetBackoff");
}

int RQM_TxSendSoundingFrame(RqmApiContext* ctx, uint32_t Sounding) {
    return send_one(ctx, HI_SOUNDING_FRAME_REQ_ID, Sounding, 1, "RQM_TxSendSoundingFrame");
}

int RQM_TxDelayBetweenTwoFrames(RqmApiContext* ctx, uint32_t Delay) {
    return send_one(ctx, HI_TX_DELAY_REQ_ID, Delay, ANY, "RQM_TxDelayBetweenTwoFrames");
}

int RQM_SelectPacketId(RqmApiContext* ctx, PacketId Id) {
    return send_one(ctx, HI_SELECT_PACKET_ID_REQ_ID, Id, RQM_PACKET_IDS - 1, "RQM_SelectPacketId");
}

int RQM_SetNumberOfTxPkts(RqmApiContext* ctx, uint32_t Count) {
    return send_one(ctx, HI_NUMBER_OF_TX_PKTS_REQ_ID, Count, ANY, "RQM_SetNumberOfTxPkts");
}

// The firmware has no request of its own for this; the value travels as a
// packet count, as callers of this function have always had it.
int RQM_EnableSoundingFrame(RqmApiContext* ctx, uint32_t Value) {
    return send_one(ctx, HI_NUMBER_OF_TX_PKTS_REQ_ID, Value, ANY, "RQM_EnableSoundingFrame");
}

// ---- Payloads ----

int RQM_DefinePacketPayload(RqmApiContext* ctx, PacketId Id, const void* pPayload, uint32_t Length) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_DefinePacketPayload");
    if (Id >= RQM_PACKET_IDS || Length > RQM_PACKET_MAX_BYTES || (Length != 0 && pPayload == nullptr))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_DefinePacketPayload");
    return reported(ctx, load_payload(ctx, Id, static_cast<const uint8_t*>(pPayload), Length),
                    "RQM_DefinePacketPayload");
}

int RQM_DefinePacketId(RqmApiContext* ctx, PacketId Id, const char* pchPath) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_DefinePacketId");
    return reported(ctx, load_frame_file(ctx, Id, pchPath), "RQM_DefinePacketId");
}

// ---- Transmission ----

int RQM_TransmitPRBS(RqmApiContext* ctx, TxCommand Command, uint32_t Seed, uint16_t Length, uint32_t* pTxed,
                     uint32_t* pAcked) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_TransmitPRBS");
    RqmRequest<TRANSMIT_MSG_LEN> req;
    rqm_encode_transmit(req, Command, Length, Seed);
    RqmCnf<TRANSMIT_MSG_LEN> cnf;
    const int result = rqm_exchange(ctx, req, cnf, TRANSMIT_MSG_LEN);
    if (result != RQM_SUCCESS)
        return reported(ctx, result, "RQM_TransmitPRBS");
    // The counts are all the caller learns: the status is not looked at.
    const RqmCnfReader answer = cnf.reader();
    const uint32_t txed = answer.get32(TRANSMIT_CNF_TXED_OFF);
    const uint32_t acked = answer.get32(TRANSMIT_CNF_ACKED_OFF);
    const uint32_t invalid = answer.get32(TRANSMIT_CNF_INVALID_OFF);
    if (pTxed != nullptr)
        *pTxed = txed;
    if (pAcked != nullptr)
        *pAcked = acked;
    printf("txed=%d, acked=%d\n", static_cast<int>(txed), static_cast<int>(acked));
    if (g_api_variant.bTxRefusalIsResult)
        return reported(ctx, static_cast<int>(invalid), "RQM_TransmitPRBS");
    if (invalid != 0)
        puts("[WARN]Invalid operation.");
    return RQM_SUCCESS;
}

int RQM_TransmitPackets(RqmApiContext* ctx, TxCommand Command, uint32_t* pTxed, uint32_t* pAcked) {
    return reported(ctx, RQM_TransmitPRBS(ctx, Command, 0, 0, pTxed, pAcked), "RQM_TransmitPackets");
}

int RQM_TransmitPackets_Comprehensive(RqmApiContext* ctx, TxCommand Command, uint32_t NumPackets, int Rate,
                                      int Mode, int ChanBandwidth, unsigned PowerIndex, uint32_t Delay,
                                      const void* pPayload, uint32_t Length, uint32_t Sounding,
                                      uint32_t ExpectAck, int EnablePhy, int Prbs) {
    // Worked out on every call, whatever follows.
    const uint32_t seed = static_cast<uint32_t>(rand()) + 1;
    const auto prbsLength = static_cast<uint16_t>(static_cast<uint16_t>(Length) + 5);
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_TransmitPackets_Comprehensive");
    int result = RQM_SUCCESS;
    if (Command == TX_COMMAND_BURST || Command == TX_COMMAND_CONTINUOUS) {
        // The first step that fails ends the set-up.
        result = RQM_SetNumberOfTxPkts(ctx, NumPackets);
        if (result == RQM_SUCCESS)
            result = RQM_SetMode(ctx, Mode);
        if (result == RQM_SUCCESS)
            result = RQM_SetRate(ctx, Rate);
        if (result == RQM_SUCCESS)
            result = RQM_SetChanBandwidth(ctx, ChanBandwidth);
        if (result == RQM_SUCCESS)
            result = RQM_SetSubChannel(ctx, 0);
        if (result == RQM_SUCCESS)
            result = RQM_SetTxPower(ctx, PowerIndex);
        if (result == RQM_SUCCESS)
            result = RQM_DefinePacketPayload(ctx, 0, pPayload, Length);
        if (result == RQM_SUCCESS)
            result = RQM_SelectPacketId(ctx, 0);
        if (result == RQM_SUCCESS)
            result = RQM_ReceiveAck(ctx, ExpectAck);
        if (result == RQM_SUCCESS)
            result = RQM_EnablePhy(ctx, EnablePhy);
        if (result == RQM_SUCCESS)
            result = RQM_TxSendSoundingFrame(ctx, Sounding);
        if (result == RQM_SUCCESS)
            result = RQM_TxDelayBetweenTwoFrames(ctx, Delay);
        uint32_t txed = 0;
        if (result == RQM_SUCCESS)
            result = Prbs != 0
                         ? RQM_TransmitPRBS(ctx, Command | TX_COMMAND_PRBS, seed, prbsLength, &txed, nullptr)
                         : RQM_TransmitPackets(ctx, Command, &txed, nullptr);
        if (result == RQM_SUCCESS && Command == TX_COMMAND_BURST && txed != NumPackets)
            result = RQM_TX_COUNT_MISMATCH;
    } else if (Command == TX_COMMAND_STOP) {
        result = Prbs != 0 ? RQM_TransmitPRBS(ctx, TX_COMMAND_STOP, seed, prbsLength, nullptr, nullptr)
                           : RQM_TransmitPackets(ctx, TX_COMMAND_STOP, nullptr, nullptr);
    } else {
        result = RQM_INVALID_PARAMETER;
    }
    return reported(ctx, result, "RQM_TransmitPackets_Comprehensive");
}
