// The word and raw-payload layouts of the generic senders.
#include "senders_request.h"

void rqm_encode_words(RqmReqBuilder& Req, uint16_t MsgId, const uint32_t* pWords, uint32_t Count) {
    Req.start(MsgId, WORD_REQ_IN_OFF + 4 * Count);
    for (uint32_t i = 0; i < Count; ++i)
        Req.put32(WORD_REQ_IN_OFF + 4 * i, pWords[i]);
}

void rqm_encode_raw(RqmReqBuilder& Req, uint16_t MsgId, const void* pPayload, uint32_t Length) {
    Req.start(MsgId, RAW_REQ_PAYLOAD_OFF + Length);
    Req.put_bytes(RAW_REQ_PAYLOAD_OFF, pPayload, Length);
}
