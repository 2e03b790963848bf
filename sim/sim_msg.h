// Message layouts the stand-in answers with, beyond the framing the
// transport shares (transport/hi_msg.h). Byte offsets; read and write them
// with transport/hi_bytes.h.
#pragma once

#include <cstdint>

#include "common/hi_msg.h"

// Ids below this go to the firmware; from it up the driver answers itself.
inline constexpr uint16_t SIM_FIRST_DRIVER_REQ_ID = 993;

inline constexpr uint16_t SIM_SDD_CONFIG_REQ_ID = 54;
inline constexpr unsigned SDD_CONFIG_REQ_SIZE = 8;  // word at 4: the configuration chosen
inline constexpr unsigned SDD_CONFIG_CNF_SIZE = 8;
// The same id carries a whole SDD: the data from 4, then a trailer byte
// and three zeros, so MsgLen is the data's length + 8.
inline constexpr unsigned SDD54_DATA_OFF = 4;
inline constexpr unsigned SDD54_TAIL_SIZE = 4;
inline constexpr uint8_t SDD54_TRAILER_EMPTY_PATH = 2;

// SDD path query (995): the answer carries the path without its NUL.
inline constexpr uint16_t SIM_SDD_PATH_REQ_ID = 995;
inline constexpr unsigned SDD_PATH_REQ_SIZE = 16;
inline constexpr unsigned SDD_PATH_CNF_LEN_OFF = 8;  // 32-bit
inline constexpr unsigned SDD_PATH_CNF_PATH_OFF = 12;

// One element of the SDD in use (1017): 8-bit 0 at 4, the element id at 5.
inline constexpr uint16_t SIM_SDD_ELEMENT_REQ_ID = 1017;
inline constexpr unsigned SDD_ELEMENT_REQ_SIZE = 6;
inline constexpr unsigned SDD_ELEMENT_REQ_ID_OFF = 5;
inline constexpr unsigned SDD_ELEMENT_CNF_LEN_OFF = 8;  // 32-bit
inline constexpr unsigned SDD_ELEMENT_CNF_DATA_OFF = 12;

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

// The earlier tool keeps its state value by value, with shorter forms of
// the same two requests: a push of one value by id (16 bytes: the value at
// 8, the id at 12) and a fetch of a header alone (8 bytes), answered with
// the saved values from 12 in id order, the unused id 2 left out.
inline constexpr unsigned CLI_PARAM_PUSH_REQ_SIZE = 16;
inline constexpr unsigned CLI_PARAM_VALUE_OFF = 8;
inline constexpr unsigned CLI_PARAM_ID_OFF = 12;
inline constexpr unsigned CLI_PARAM_PUSH_CNF_SIZE = 16;
inline constexpr unsigned CLI_PARAM_FETCH_REQ_SIZE = 8;
inline constexpr unsigned CLI_PARAM_IDS = 8;
inline constexpr uint32_t CLI_PARAM_UNUSED_ID = 2;
inline constexpr unsigned CLI_PARAM_FETCH_COUNT_OFF = 8;  // 32-bit: bytes of values that follow
inline constexpr unsigned CLI_PARAM_FETCH_WORDS_OFF = 12;
inline constexpr unsigned CLI_PARAM_FETCH_CNF_SIZE = CLI_PARAM_FETCH_WORDS_OFF + 4 * (CLI_PARAM_IDS - 1);

// Register access by bus type (1014 read, 1015 write), answered by the
// driver from three separate register spaces.
inline constexpr uint16_t SIM_READ_REG_TYPE_REQ_ID = 1014;
inline constexpr uint16_t SIM_WRITE_REG_TYPE_REQ_ID = 1015;
inline constexpr uint32_t SIM_REG_TYPE_HIF = 1;
inline constexpr uint32_t SIM_REG_TYPE_AHB = 2;
inline constexpr uint32_t SIM_REG_TYPE_APB = 3;
inline constexpr unsigned SIM_REG_SPACES = 3;
inline constexpr unsigned READ_REG_TYPE_REQ_SIZE = 16;  // 4: type, 8: address, 12: byte count
inline constexpr unsigned READ_REG_TYPE_TYPE_OFF = 4;
inline constexpr unsigned READ_REG_TYPE_ADDR_OFF = 8;
inline constexpr unsigned READ_REG_TYPE_COUNT_OFF = 12;
inline constexpr unsigned READ_REG_TYPE_CNF_HEAD = 12;  // 4: status, 8: byte count n, 12: n bytes
inline constexpr unsigned READ_REG_TYPE_MAX_BYTES = 1024;
inline constexpr unsigned WRITE_REG_TYPE_REQ_SIZE = 20;  // 8: type, 12: address, 16: value
inline constexpr unsigned WRITE_REG_TYPE_TYPE_OFF = 8;
inline constexpr unsigned WRITE_REG_TYPE_ADDR_OFF = 12;
inline constexpr unsigned WRITE_REG_TYPE_VALUE_OFF = 16;

// The 12-byte confirmation a reconnect or a soft reset gets: status at 4,
// the result word at 8.
inline constexpr unsigned DRIVER_RESULT_CNF_SIZE = 12;

// Image (0x3FE) and SDD (0x3FD) download chunks: offset and flags, then data.
inline constexpr unsigned DOWNLOAD_HEAD = 12;
inline constexpr unsigned DOWNLOAD_OFFSET_OFF = 4;
inline constexpr unsigned DOWNLOAD_FLAGS_OFF = 8;
inline constexpr uint32_t DOWNLOAD_FLAG_FIRST = 1;
inline constexpr uint32_t DOWNLOAD_FLAG_LAST = 2;
inline constexpr uint32_t DOWNLOAD_FLAG_NAME = 4;  // the data is a file name, not the file

// Firmware requests of the general device group.
inline constexpr uint16_t SIM_HW_TEST_REQ_ID = 4;
inline constexpr unsigned HW_TEST_MSG_SIZE = 32;  // request and answer
inline constexpr unsigned HW_TEST_ID_OFF = 8;     // 16-bit
inline constexpr unsigned HW_TEST_PARAM1_OFF = 10;
inline constexpr unsigned HW_TEST_PARAM2_OFF = 14;
inline constexpr unsigned HW_TEST_RESULT_OFF = 14;  // 32-bit, in the answer
inline constexpr unsigned SIM_HW_TESTS = 4;         // test ids 1 to 4

inline constexpr uint16_t SIM_SLEEP_REQ_ID = 49;
inline constexpr unsigned SLEEP_REQ_SIZE = 24;  // 8: mode, 16: 64-bit parameter
inline constexpr unsigned SLEEP_MODE_OFF = 8;
inline constexpr uint32_t SLEEP_MODE_AWAKE = 0;
inline constexpr uint32_t SLEEP_MODE_ASLEEP = 1;

inline constexpr uint16_t SIM_CLOCK_GATING_REQ_ID = 50;
inline constexpr uint16_t SIM_GET_MAC_REQ_ID = 55;
inline constexpr uint16_t SIM_SET_MAC_REQ_ID = 56;
inline constexpr unsigned MAC_MSG_SIZE = 20;  // request and answer
inline constexpr unsigned MAC_KIND_OFF = 8;
inline constexpr unsigned MAC_ADDR_OFF = 12;
inline constexpr unsigned SIM_MAC_KINDS = 3;  // source, destination, BSSID

inline constexpr uint16_t SIM_DEBUG_PORT_REQ_ID = 57;
inline constexpr unsigned DEBUG_PORT_REQ_SIZE = 24;  // four words from 8
inline constexpr uint16_t SIM_GET_HWID_REQ_ID = 61;
inline constexpr uint16_t SIM_RAW_PROXY_REQ_ID = 62;
inline constexpr unsigned RAW_PROXY_CNF_SIZE = 12;  // 8: payload bytes passed on
inline constexpr uint16_t SIM_SELF_TEST_REQ_ID = 94;
inline constexpr unsigned SELF_TEST_MSG_SIZE = 12;  // 8: test number in, result out
inline constexpr uint32_t SIM_SELF_TESTS = 5;       // test numbers 0 to 4
inline constexpr uint16_t SIM_SELF_TEST_READ_CB_REQ_ID = 95;
inline constexpr uint16_t SIM_SELF_TEST_WRITE_CB_REQ_ID = 96;
inline constexpr unsigned CTRL_BLOCK_MSG_SIZE = 80;  // the blocks fill bytes 4 to 79
inline constexpr unsigned CTRL_BLOCK_OFF = 4;
inline constexpr unsigned CTRL_BLOCK_SIZE = CTRL_BLOCK_MSG_SIZE - CTRL_BLOCK_OFF;

// The status-only confirmation most firmware requests get.
inline constexpr unsigned STATUS_CNF_SIZE = 8;
// Status of a request the firmware or driver takes but cannot carry out:
// an unknown register type or test, a parameter out of range.
inline constexpr uint32_t SIM_STATUS_REFUSED = 1;

// BOOT indication refusals: State 1 and the driver's reason in Res.
inline constexpr uint32_t BOOT_STATE_REFUSED = 1;
inline constexpr uint32_t BOOT_RES_ALREADY_CONNECTED = 5;
inline constexpr uint32_t BOOT_RES_WIFI_ON = 6;
inline constexpr uint32_t BOOT_RES_NOT_CONNECTED = 7;
inline constexpr uint32_t BOOT_RES_REBOOT_FIRST = 8;
inline constexpr uint32_t BOOT_RES_REBOOT_LAST = 9;
inline constexpr uint32_t BOOT_RES_TOOL_TOO_OLD = 10;
// The Res of a BOOT indication that ends a download whose chunks did not
// join up.
inline constexpr uint32_t BOOT_RES_BAD_DOWNLOAD = 1;

// Trace (0x802) and exception (0x800) indications as the stand-in sends them.
inline constexpr unsigned TRACE_IND_SIZE = 8;       // word at 4: trace code
inline constexpr unsigned EXCEPTION_IND_SIZE = 16;  // words at 4, 8, 12: reason, address, extra

// Status of the confirmation to a request nothing models, so that a missing
// model fails loudly instead of looking like success.
inline constexpr uint32_t SIM_STATUS_UNMODELLED = 0xFFFFFFFF;
inline constexpr unsigned SIM_UNMODELLED_CNF_SIZE = 8;
