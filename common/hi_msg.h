// HI message framing shared by every layer: the header, the MsgId bits and
// the two indications the transport itself interprets. All layouts are byte
// offsets; use hi_bytes.h to read and write them.
#pragma once

#include <cstdint>

#include "common/hi_bytes.h"

// HiMsgHeader
inline constexpr unsigned HI_MSG_LEN_OFF = 0;      // 16-bit, whole message incl. header
inline constexpr unsigned HI_MSG_ID_OFF = 2;       // 16-bit
inline constexpr unsigned HI_MSG_STATUS_OFF = 4;   // 32-bit status / first parameter
inline constexpr unsigned HI_MSG_PARAM_OFF = 8;    // further 32-bit words
inline constexpr unsigned HI_MSG_HEADER_SIZE = 4;  // a header-only message
inline constexpr unsigned HI_MSG_MIN_LEN = 4;
inline constexpr unsigned HI_MSG_MAX_LEN = 8188;

// MsgId bits
inline constexpr uint16_t HI_MSG_ID_MASK = 0x1FFF;
inline constexpr uint16_t HI_MSG_KIND_MASK = 0x0C00;
inline constexpr uint16_t HI_MSG_KIND_REQ = 0x0000;
inline constexpr uint16_t HI_MSG_KIND_CNF = 0x0400;
inline constexpr uint16_t HI_MSG_KIND_IND = 0x0800;
inline constexpr unsigned HI_MSG_SEQ_SHIFT = 13;

// Indications
inline constexpr uint16_t HI_EXCEPTION_IND_ID = 0x800;
inline constexpr uint16_t HI_STARTUP_IND_ID = 0x801;
inline constexpr uint16_t HI_TRACE_IND_ID = 0x802;
inline constexpr uint16_t HI_BOOT_IND_ID = 0xBFF;

// Header-only requests the driver-channel target sends itself, and the id
// under which a completed disconnect is handed upwards.
inline constexpr uint16_t HI_DISCONNECT_REQ_ID = 0x3FB;
inline constexpr uint16_t HI_RECONNECT_REQ_ID = 0x3FC;
inline constexpr uint16_t HI_REBOOT_REQ_ID = 0x3FF;
inline constexpr uint16_t HI_SDD_DOWNLOAD_REQ_ID = 0x3FD;
inline constexpr uint16_t HI_FW_DOWNLOAD_REQ_ID = 0x3FE;
inline constexpr uint16_t HI_DISCONNECT_CNF_ID = HI_DISCONNECT_REQ_ID | HI_MSG_KIND_CNF;

// BootIndication (0xBFF)
inline constexpr unsigned BOOT_IND_STATE_OFF = 4;  // 32-bit
inline constexpr unsigned BOOT_IND_RES_OFF = 8;    // 32-bit
inline constexpr unsigned BOOT_IND_SIZE = 12;
inline constexpr uint32_t BOOT_STATE_DISCONNECTED = 0;
inline constexpr uint32_t BOOT_STATE_LOADER_READY = 3;
inline constexpr uint32_t BOOT_STATE_SDD_RESULT = 4;

// StartupIndication (0x801)
inline constexpr unsigned STARTUP_IND_NUM_INP_BUFS_OFF = 4;  // 16-bit, send window
inline constexpr unsigned STARTUP_IND_MAX_MSG_SIZE_OFF = 6;  // 16-bit
inline constexpr unsigned STARTUP_IND_API_VER_OFF = 18;      // 16-bit
inline constexpr unsigned STARTUP_IND_LABEL_OFF = 24;        // NUL-terminated text
inline constexpr unsigned STARTUP_IND_LABEL_SIZE = 132;
inline constexpr unsigned STARTUP_IND_MIB_BASE_OFF = 156;  // 32-bit
inline constexpr unsigned STARTUP_IND_MIN_SIZE = 160;
static_assert(STARTUP_IND_LABEL_OFF + STARTUP_IND_LABEL_SIZE == STARTUP_IND_MIB_BASE_OFF);
static_assert(STARTUP_IND_MIB_BASE_OFF + 4 == STARTUP_IND_MIN_SIZE);

inline uint16_t hi_msg_len(const uint8_t* msg) {
    return hi_rd16(msg + HI_MSG_LEN_OFF);
}
inline uint16_t hi_msg_id(const uint8_t* msg) {
    return hi_rd16(msg + HI_MSG_ID_OFF);
}
inline void hi_set_msg_len(uint8_t* msg, uint16_t len) {
    hi_wr16(msg + HI_MSG_LEN_OFF, len);
}
inline void hi_set_msg_id(uint8_t* msg, uint16_t id) {
    hi_wr16(msg + HI_MSG_ID_OFF, id);
}
