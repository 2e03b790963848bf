// How the transmit requests and their answers are laid out. Internal to the
// API (its transmit module and its tests).
#pragma once

#include <cstdint>

#include "rqm_request.h"
#include "rqm_tx.h"

// Requests of one word, sent by the one-word sender.
inline constexpr uint16_t HI_SELECT_PACKET_ID_REQ_ID = 33;
inline constexpr uint16_t HI_SET_TX_NAV_REQ_ID = 42;
inline constexpr uint16_t HI_NUMBER_OF_TX_PKTS_REQ_ID = 66;
inline constexpr uint16_t HI_RECEIVE_ACK_REQ_ID = 67;
inline constexpr uint16_t HI_SET_BACKOFF_REQ_ID = 101;
inline constexpr uint16_t HI_TX_DELAY_REQ_ID = 125;
inline constexpr uint16_t HI_SOUNDING_FRAME_REQ_ID = 126;
inline constexpr uint16_t HI_CCA_SENSITIVE_TX_REQ_ID = 127;

// Packet payload piece (34): the buffer, the piece's 16-bit length and
// 16-bit offset within the payload, then its bytes.
inline constexpr uint16_t HI_PACKET_PAYLOAD_REQ_ID = 34;
inline constexpr uint32_t PAYLOAD_ID_OFF = 8;
inline constexpr uint32_t PAYLOAD_LEN_OFF = 12;
inline constexpr uint32_t PAYLOAD_OFFSET_OFF = 14;
inline constexpr uint32_t PAYLOAD_DATA_OFF = 16;
inline constexpr uint32_t PAYLOAD_CNF_SIZE = 20;
// The largest piece a message of MaxMsg bytes carries: 0 when it carries
// none.
inline constexpr uint32_t rqm_payload_piece(uint32_t MaxMsg) {
    return MaxMsg > PAYLOAD_DATA_OFF ? MaxMsg - PAYLOAD_DATA_OFF : 0;
}
void rqm_encode_payload_piece(RqmReqBuilder& Req, PacketId Id, const uint8_t* pPiece, uint16_t Count,
                              uint16_t Offset);

// Transmit (70): the command, the PRBS length and seed; the answer counts
// the frames sent and acknowledged and says whether the firmware refused.
inline constexpr uint16_t HI_TRANSMIT_REQ_ID = 70;
inline constexpr uint32_t TRANSMIT_MSG_LEN = 28;  // both ways
inline constexpr uint32_t TRANSMIT_CMD_OFF = 4;
inline constexpr uint32_t TRANSMIT_PRBS_LEN_OFF = 8;
inline constexpr uint32_t TRANSMIT_SEED_OFF = 12;
inline constexpr uint32_t TRANSMIT_CNF_TXED_OFF = 16;
inline constexpr uint32_t TRANSMIT_CNF_ACKED_OFF = 20;
inline constexpr uint32_t TRANSMIT_CNF_INVALID_OFF = 24;
void rqm_encode_transmit(RqmReqBuilder& Req, TxCommand Command, uint16_t PrbsLength, uint32_t Seed);

// Transmit statistics (53) and the firmware's transmit configuration (63):
// requests of zeros as long as their answers, whose words follow the
// status.
inline constexpr uint16_t HI_TX_STATISTICS_REQ_ID = 53;
inline constexpr uint16_t HI_FW_TX_CONFIG_REQ_ID = 63;
inline constexpr uint32_t TX_STATS_WORDS = 10;
inline constexpr uint32_t TX_WORDS_OUT_OFF = 8;
inline constexpr uint32_t TX_STATS_MSG_LEN = TX_WORDS_OUT_OFF + 4 * TX_STATS_WORDS;
inline constexpr uint32_t FW_TX_CONFIG_MSG_LEN = TX_WORDS_OUT_OFF + 4 * RQM_FW_TX_CONFIG_WORDS;
static_assert(TX_STATS_MSG_LEN == 48 && FW_TX_CONFIG_MSG_LEN == 36);
// The records hold exactly the words the answers carry.
static_assert(sizeof(TxStatistics) == 4 * TX_STATS_WORDS);
static_assert(sizeof(FwTxConfig) == 4 * RQM_FW_TX_CONFIG_WORDS &&
              FW_TX_CONFIG_SHORT_GI + 1 == RQM_FW_TX_CONFIG_WORDS);
