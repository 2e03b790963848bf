// The generic request senders: most firmware requests are an id and up to
// four words, answered by a status and up to two words.
#include <array>
#include <cstdlib>
#include <cstring>

#include "common/hi_msg.h"
#include "rqm_api.h"
#include "transport/adapter.h"

namespace {

struct Output {
    uint32_t* pWord;
    unsigned Offset;
};

// Builds the request of nIn words, waits for a confirmation of at most
// cnfSize bytes and hands back the status and the outputs that arrived.
int send_words(RqmApiContext* ctx, uint16_t msgId, std::initializer_list<uint32_t> in, uint32_t cnfSize,
               std::initializer_list<Output> out) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    std::array<uint8_t, 24> req{};
    const auto reqLen = static_cast<uint16_t>(HI_MSG_PARAM_OFF + 4 * in.size());
    hi_set_msg_len(req.data(), reqLen);
    hi_set_msg_id(req.data(), msgId);
    unsigned off = HI_MSG_PARAM_OFF;
    for (uint32_t word : in) {
        hi_wr32(req.data() + off, word);
        off += 4;
    }
    std::array<uint8_t, 24> cnf{};
    const int result = Adapter_Request(ctx, req.data(), cnf.data(), cnfSize);
    if (result != RQM_SUCCESS)
        return result;
    // Only what the confirmation carries is read; a word it lacks reads 0.
    const unsigned got = hi_msg_len(cnf.data());
    if (got < HI_MSG_PARAM_OFF)
        return RQM_NO_CONFIRMATION;
    for (const Output& o : out)
        if (o.pWord != nullptr)
            *o.pWord = o.Offset + 4 <= got ? hi_rd32(cnf.data() + o.Offset) : 0;
    return static_cast<int>(hi_rd32(cnf.data() + HI_MSG_STATUS_OFF));
}

}  // namespace

int RQM_SendReqToFw_InpZeroWord(RqmApiContext* ctx, uint16_t MsgId) {
    return send_words(ctx, MsgId, {}, 8, {});
}

int RQM_SendReqToFw_InpOneWord(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1) {
    return send_words(ctx, MsgId, {In1}, 12, {});
}

int RQM_SendReqToFw_InpTwoWords(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1, uint32_t In2) {
    return send_words(ctx, MsgId, {In1, In2}, 16, {});
}

int RQM_SendReqToFw_InpThreeWords(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1, uint32_t In2,
                                  uint32_t In3) {
    return send_words(ctx, MsgId, {In1, In2, In3}, 20, {});
}

int RQM_SendReqToFw_InpFourWords(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1, uint32_t In2, uint32_t In3,
                                 uint32_t In4) {
    return send_words(ctx, MsgId, {In1, In2, In3, In4}, 24, {});
}

int RQM_SendReqToFw_InpZeroWord_OutOneWord(RqmApiContext* ctx, uint16_t MsgId, uint32_t* pOut1) {
    return send_words(ctx, MsgId, {}, 12, {{pOut1, 8}});
}

int RQM_SendReqToFw_InpOneWord_OutOneWord(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1, uint32_t* pOut1) {
    return send_words(ctx, MsgId, {In1}, 12, {{pOut1, 8}});
}

int RQM_SendReqToFw_InpTwoWords_OutOneWord(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1, uint32_t In2,
                                           uint32_t* pOut1) {
    return send_words(ctx, MsgId, {In1, In2}, 12, {{pOut1, 8}});
}

int RQM_SendReqToFw_InpOneWords_OutTwoWords(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1, uint32_t* pOut1,
                                            uint32_t* pOut2) {
    return send_words(ctx, MsgId, {In1}, 20, {{pOut1, 12}, {pOut2, 16}});
}

// The largest message the firmware and the channel both take; the firmware
// has told nothing before a startup indication in this run.
uint32_t rqm_largest_message(const RqmApiContext* ctx) {
    if (ctx->MaxMsgSize != 0 && ctx->MaxMsgSize < RQM_CHANNEL_MAX_MSG)
        return ctx->MaxMsgSize;
    return RQM_CHANNEL_MAX_MSG;
}

int RQM_SendReqToFw_Raw(RqmApiContext* ctx, uint16_t MsgId, const void* pPayload, uint16_t Length) {
    int result;
    const uint32_t msgLen = HI_MSG_PARAM_OFF + Length;
    if (ctx == nullptr) {
        result = RQM_NO_CONTEXT;
    } else if (pPayload == nullptr && Length != 0) {
        result = RQM_MISSING_PAYLOAD;
    } else if (msgLen > RQM_MAX_MSG_LEN) {
        result = RQM_INVALID_PARAMETER;
    } else if (msgLen > rqm_largest_message(ctx)) {
        // It could not go out whole, and a refused send would tear the
        // transport down.
        result = RQM_MESSAGE_TOO_LARGE;
    } else {
        auto* req = static_cast<uint8_t*>(calloc(msgLen, 1));
        if (req == nullptr) {
            result = RQM_OUT_OF_MEMORY;
        } else {
            hi_set_msg_len(req, static_cast<uint16_t>(msgLen));
            hi_set_msg_id(req, MsgId);
            if (Length != 0)
                memcpy(req + HI_MSG_PARAM_OFF, pPayload, Length);
            uint8_t cnf[8] = {};
            result = Adapter_Request(ctx, req, cnf, sizeof cnf);
            if (result == RQM_SUCCESS)
                result = hi_msg_len(cnf) < HI_MSG_PARAM_OFF
                             ? RQM_NO_CONFIRMATION
                             : static_cast<int>(hi_rd32(cnf + HI_MSG_STATUS_OFF));
            free(req);
        }
    }
    RQM_ErrorCheck(ctx, static_cast<uint32_t>(result), "RQM_SendReqToFw_Raw");
    return result;
}
