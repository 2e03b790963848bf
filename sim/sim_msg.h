// Message layouts the stand-in answers with, beyond the framing the
// transport shares (transport/hi_msg.h). Byte offsets; read and write them
// with transport/hi_bytes.h.
#pragma once

#include <cstdint>

#include "transport/hi_msg.h"

// Ids below this go to the firmware; from it up the driver answers itself.
inline constexpr uint16_t SIM_FIRST_DRIVER_REQ_ID = 993;

inline constexpr uint16_t SIM_SDD_CONFIG_REQ_ID = 54;
inline constexpr unsigned SDD_CONFIG_REQ_SIZE = 8;  // word at 4: the configuration chosen
inline constexpr unsigned SDD_CONFIG_CNF_SIZE = 8;

inline constexpr uint16_t SIM_CLI_FETCH_REQ_ID = 993;
inline constexpr uint16_t SIM_CLI_PUSH_REQ_ID = 994;
inline constexpr uint16_t SIM_API_CONTEXT_REQ_ID = 1016;
inline constexpr uint16_t SIM_CONNECT_REQ_ID = 1018;
static_assert(HI_DISCONNECT_REQ_ID == 1019);

// Api context confirmation (1016 | 0x400)
inline constexpr unsigned API_CTX_CNF_SIZE = 148;
inline constexpr unsigned API_CTX_FW_RUNNING_OFF = 8;  // 8-bit
inline constexpr unsigned API_CTX_MIB_BASE_OFF = 12;   // 32-bit
inline constexpr unsigned API_CTX_API_VER_OFF = 144;   // 16-bit

// Connect request: older tool builds send only the header and one word.
inline constexpr unsigned CONNECT_REQ_VERSION_OFF = 4;      // 32-bit tool version word
inline constexpr unsigned CONNECT_REQ_RECORD_SIZE_OFF = 8;  // 32-bit, the tool-state record's size
inline constexpr unsigned CONNECT_REQ_SIZE = 12;
inline constexpr unsigned CONNECT_REQ_OLD_SIZE = 8;

// The driver keeps this many bytes of tool state for the tool.
inline constexpr unsigned SIM_RECORD_SIZE = 50;

// Tool-state fetch (993) and push (994). Both requests and the fetch's
// answer share one layout: a length word, a version word, then the record.
inline constexpr unsigned CLI_LEN_OFF = 8;       // 32-bit: record bytes that follow
inline constexpr unsigned CLI_VERSION_OFF = 12;  // 32-bit: the sender's version word
inline constexpr unsigned CLI_RECORD_OFF = 16;
inline constexpr unsigned CLI_FETCH_REQ_SIZE = 16;
inline constexpr unsigned CLI_FETCH_CNF_SIZE = CLI_RECORD_OFF + SIM_RECORD_SIZE;
// The tool pads its push to 68 bytes; the driver needs the record, not the padding.
inline constexpr unsigned CLI_PUSH_REQ_MIN_SIZE = CLI_RECORD_OFF + SIM_RECORD_SIZE;
inline constexpr unsigned CLI_PUSH_CNF_SIZE = 8;

// BOOT indication refusals: State 1 and the driver's reason in Res.
inline constexpr uint32_t BOOT_STATE_REFUSED = 1;
inline constexpr uint32_t BOOT_RES_ALREADY_CONNECTED = 5;
inline constexpr uint32_t BOOT_RES_WIFI_ON = 6;
inline constexpr uint32_t BOOT_RES_NOT_CONNECTED = 7;
inline constexpr uint32_t BOOT_RES_REBOOT_FIRST = 8;
inline constexpr uint32_t BOOT_RES_REBOOT_LAST = 9;
inline constexpr uint32_t BOOT_RES_TOOL_TOO_OLD = 10;

// Trace (0x802) and exception (0x800) indications as the stand-in sends them.
inline constexpr unsigned TRACE_IND_SIZE = 8;       // word at 4: trace code
inline constexpr unsigned EXCEPTION_IND_SIZE = 16;  // words at 4, 8, 12: reason, address, extra

// Status of the confirmation to a request nothing models, so that a missing
// model fails loudly instead of looking like success.
inline constexpr uint32_t SIM_STATUS_UNMODELLED = 0xFFFFFFFF;
inline constexpr unsigned SIM_UNMODELLED_CNF_SIZE = 8;
