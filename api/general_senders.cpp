// The generic request senders: most firmware requests are an id and up to
// four words, answered by a status and up to two words.
#include <algorithm>
#include <cstdlib>
#include <initializer_list>

#include "rqm_api.h"
#include "senders_request.h"
#include "transport/adapter.h"

int rqm_exchange(RqmApiContext* ctx, RqmReqBuilder& Req, uint8_t* pCnf, uint32_t Room, uint32_t Need) {
    if (!Req.ok())
        return RQM_INVALID_PARAMETER;
    const int result = Adapter_RequestEcho(ctx, Req.msg(), pCnf, Room, Req.echo_off(), Req.echo_len());
    // A cut answer would pass its missing fields off as zeros.
    return result != RQM_SUCCESS ? result : RqmCnfReader(pCnf, Room).whole(Need);
}

namespace {

struct Output {
    uint32_t* pWord;
    uint32_t Offset;
};

// Builds the request of the input words, waits for a confirmation of at
// most cnfSize bytes and hands back the status and the outputs. The answer
// must reach the last output word of the member, given or not.
int send_words(RqmApiContext* ctx, uint16_t msgId, std::initializer_list<uint32_t> in, uint32_t cnfSize,
               std::initializer_list<Output> out) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    uint32_t need = STATUS_CNF_NEED;
    for (const Output& o : out)
        need = std::max(need, o.Offset + 4);
    RqmRequest<WORD_REQ_MAX_LEN> req;
    rqm_encode_words(req, msgId, in.begin(), static_cast<uint32_t>(in.size()));
    RqmCnf<WORD_CNF_MAX_SIZE> cnf;
    const int result = rqm_exchange(ctx, req, cnf.Bytes.data(), cnfSize, need);
    if (result != RQM_SUCCESS)
        return result;
    const RqmCnfReader answer(cnf.Bytes.data(), cnfSize);
    for (const Output& o : out)
        if (o.pWord != nullptr)
            *o.pWord = answer.get32(o.Offset);
    return answer.status();
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
    return send_words(ctx, MsgId, {}, 12, {{pOut1, WORD_CNF_OUT_OFF}});
}

int RQM_SendReqToFw_InpOneWord_OutOneWord(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1, uint32_t* pOut1) {
    return send_words(ctx, MsgId, {In1}, 12, {{pOut1, WORD_CNF_OUT_OFF}});
}

int RQM_SendReqToFw_InpTwoWords_OutOneWord(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1, uint32_t In2,
                                           uint32_t* pOut1) {
    return send_words(ctx, MsgId, {In1, In2}, 12, {{pOut1, WORD_CNF_OUT_OFF}});
}

int RQM_SendReqToFw_InpOneWords_OutTwoWords(RqmApiContext* ctx, uint16_t MsgId, uint32_t In1, uint32_t* pOut1,
                                            uint32_t* pOut2) {
    return send_words(ctx, MsgId, {In1}, 20, {{pOut1, WORD_CNF_OUT_OFF + 4}, {pOut2, WORD_CNF_OUT_OFF + 8}});
}

// The largest message the firmware and the channel both take; the firmware
// has told nothing before a startup indication in this run.
uint32_t rqm_largest_message(const RqmApiContext* ctx) {
    if (ctx->MaxMsgSize != 0 && ctx->MaxMsgSize < RQM_CHANNEL_MAX_MSG)
        return ctx->MaxMsgSize;
    return RQM_CHANNEL_MAX_MSG;
}

int RQM_SendReqToFw_Raw(RqmApiContext* ctx, uint16_t MsgId, const void* pPayload, uint16_t Length) {
    // Like its siblings, it returns before anything else without a context;
    // only what it finds after that is reported.
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    const uint32_t msgLen = RAW_REQ_PAYLOAD_OFF + Length;
    if (pPayload == nullptr && Length != 0)
        return reported(ctx, RQM_MISSING_PAYLOAD, "RQM_SendReqToFw_Raw");
    if (msgLen > RQM_MAX_MSG_LEN)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SendReqToFw_Raw");
    // It could not go out whole, and a refused send would tear the
    // transport down.
    if (msgLen > rqm_largest_message(ctx))
        return reported(ctx, RQM_MESSAGE_TOO_LARGE, "RQM_SendReqToFw_Raw");
    auto* buf = static_cast<uint8_t*>(malloc(msgLen));
    if (buf == nullptr)
        return reported(ctx, RQM_OUT_OF_MEMORY, "RQM_SendReqToFw_Raw");
    RqmReqBuilder req(buf, msgLen);
    rqm_encode_raw(req, MsgId, pPayload, Length);
    const int result = rqm_status_exchange<RAW_SENDER_CNF_SIZE>(ctx, req);
    free(buf);
    return reported(ctx, result, "RQM_SendReqToFw_Raw");
}
