// How the generic senders lay out their requests: the word requests and
// the raw payloads. Internal to the API and its tests.
#pragma once

#include <cstdint>

#include "rqm_request.h"

// Generic word requests: a reserved word, then up to four input words; the
// confirmation's output words follow its status.
inline constexpr uint32_t WORD_REQ_IN_OFF = HI_MSG_PARAM_OFF;
inline constexpr uint32_t WORD_REQ_MAX_WORDS = 4;
inline constexpr uint32_t WORD_REQ_MAX_LEN = WORD_REQ_IN_OFF + 4 * WORD_REQ_MAX_WORDS;
inline constexpr uint32_t WORD_CNF_MAX_SIZE = 24;
inline constexpr uint32_t WORD_CNF_OUT_OFF = HI_MSG_PARAM_OFF;
void rqm_encode_words(RqmReqBuilder& Req, uint16_t MsgId, const uint32_t* pWords, uint32_t Count);

// Raw payload requests (the raw sender, the target proxy 62 of
// device_request.h): a reserved word, then the payload.
inline constexpr uint32_t RAW_REQ_PAYLOAD_OFF = HI_MSG_PARAM_OFF;
inline constexpr uint32_t RAW_SENDER_CNF_SIZE = 8;
void rqm_encode_raw(RqmReqBuilder& Req, uint16_t MsgId, const void* pPayload, uint32_t Length);
