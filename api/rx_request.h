// How the receive requests and their answers are laid out. Internal to the
// API (its receive module and its tests).
#pragma once

#include <cstdint>

#include "rqm_request.h"
#include "rqm_rx.h"

inline constexpr uint16_t HI_RX_STATISTICS_REQ_ID = 52;
inline constexpr uint16_t HI_RX_PACKETS_REQ_ID = 75;
inline constexpr uint16_t HI_GET_RX_REQ_ID = 79;
inline constexpr uint16_t HI_RX_STATUS_REQ_ID = 100;
inline constexpr uint16_t HI_DOWNLOAD_CSI_REQ_ID = 103;
inline constexpr uint16_t HI_RX_FRAME_REQ_ID = 122;
// Requests of one word, sent by the one-word sender.
inline constexpr uint16_t HI_RX_NAV_REQ_ID = 40;
inline constexpr uint16_t HI_RX_NAV_TYPE_REQ_ID = 41;
inline constexpr uint16_t HI_RX_ACK_DELAY_REQ_ID = 72;
inline constexpr uint16_t HI_RX_FILTER_CHECKING_REQ_ID = 74;
inline constexpr uint16_t HI_RX_FILTER_STORE_REQ_ID = 121;
inline constexpr uint16_t HI_RX_CAPTURE_PHY_STATS_REQ_ID = 123;
inline constexpr uint16_t HI_RX_MONITOR_MODE_REQ_ID = 124;

// Start and stop (75) and the statistics (52): 24 bytes both ways, four
// output words in the answer.
inline constexpr uint32_t RX_WORDS_MSG_LEN = 24;
inline constexpr uint32_t RX_PACKETS_CMD_OFF = 8;
inline constexpr uint32_t RX_WORDS_OUT_OFF = 8;
inline constexpr uint32_t RX_WORDS_OUT_COUNT = 4;
void rqm_encode_rx_packets(RqmReqBuilder& Req, uint32_t Command);
// The status, with each output given filled from the answer, whatever the
// status; the answer reaches RX_WORDS_MSG_LEN.
int rqm_decode_rx_words(const RqmCnfReader& Cnf, uint32_t* const pOut[], uint32_t Count);

// Receive status (100): a header-only request in 8 bytes; 32 bytes back
// with seven fields, of which the second is 16-bit and the third 8-bit.
inline constexpr uint32_t RX_STATUS_REQ_LEN = 8;
inline constexpr uint32_t RX_STATUS_CNF_SIZE = 32;
inline constexpr uint32_t RX_STATUS_FIELDS = 7;
// The status with the fields, whatever the status; the answer reaches
// RX_STATUS_CNF_SIZE.
int rqm_decode_rx_status(const RqmCnfReader& Cnf, uint32_t* const pOut[RX_STATUS_FIELDS]);

// Receive data (79) and channel-state information (103): the type in the
// status word's place.
inline constexpr uint32_t RX_TYPED_REQ_LEN = 8;
inline constexpr uint32_t RX_TYPED_TYPE_OFF = 4;
void rqm_encode_rx_typed(RqmReqBuilder& Req, uint16_t MsgId, uint32_t Type);
inline constexpr uint32_t GET_RX_CNF_SIZE = RX_DATA_HEAD_SIZE + RX_DATA_BUFFER_SIZE;
// The status; with status 0 the head, the data bytes after it, never more
// than arrived or than Room, and their count, each to the output given.
// The data are as many as came: the answer's length is theirs. A good
// answer that ends within its head is no confirmation.
int rqm_decode_get_rx(const RqmCnfReader& Cnf, RxDataHead* pHead, uint8_t* pData, uint32_t Room,
                      uint32_t* pDataLen);
inline constexpr uint32_t CSI_CNF_DATA_OFF = 8;
inline constexpr uint32_t CSI_CNF_SIZE = CSI_CNF_DATA_OFF + RX_CSI_SIZE;

// The last captured frame (122): the frame information, the frame's data
// and its trailer.
inline constexpr uint32_t RX_FRAME_REQ_LEN = 8;
inline constexpr uint32_t RX_FRAME_INFO_OFF = 8;
inline constexpr uint32_t RX_FRAME_DATA_OFF = RX_FRAME_INFO_OFF + RX_FRAME_INFO_SIZE;
inline constexpr uint32_t RX_FRAME_TRAILER_OFF = RX_FRAME_DATA_OFF + RX_FRAME_DATA_SIZE;
inline constexpr uint32_t RX_FRAME_CNF_SIZE = RX_FRAME_TRAILER_OFF + RX_FRAME_TRAILER_SIZE;
// Within the frame information.
inline constexpr uint32_t RX_INFO_TSF_OFF = 0;
inline constexpr uint32_t RX_INFO_LENGTH_OFF = 4;  // 16-bit
inline constexpr uint32_t RX_INFO_RATE_OFF = 6;    // 8-bit
inline constexpr uint32_t RX_INFO_BYTE7_OFF = 7;
inline constexpr uint32_t RX_INFO_START_STATUS0_OFF = 8;
inline constexpr uint32_t RX_INFO_END_STATUS0_OFF = 12;
inline constexpr uint32_t RX_INFO_END_STATUS1_OFF = 16;
inline constexpr uint32_t RX_INFO_PHY_ERROR_OFF = 20;
inline constexpr uint32_t RX_INFO_BUF_ADDR_OFF = 24;
inline constexpr uint32_t RX_INFO_UNREAD_OFF = 28;
// The frame information at Off, field by field; what did not arrive reads 0.
void rqm_decode_rx_frame_info(const RqmCnfReader& Cnf, uint32_t Off, RxFrameInfo* pInfo);
// The status; with status 0 the frame information, and the data and the
// trailer when given. A good answer that does not reach RX_FRAME_CNF_SIZE
// is no confirmation, and nothing is taken from it: 0 means that every
// field, end status 1 among them, arrived.
int rqm_decode_rx_frame(const RqmCnfReader& Cnf, RxFrameInfo* pInfo, uint8_t* pData,
                        RxFrameTrailer* pTrailer);
