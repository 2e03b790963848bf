// How the general device requests are laid out: test mode on and off
// through the driver, registers by bus type, the SDD configuration, sleep,
// MAC addresses, hardware tests, the hardware id, self-test and its control
// blocks, the debug port and the target proxy. Internal to the API and its
// tests.
#pragma once

#include <cstdint>

#include "rqm_request.h"
#include "senders_request.h"

inline constexpr uint16_t HI_READ_REG_TYPE_REQ_ID = 1014;
inline constexpr uint16_t HI_WRITE_REG_TYPE_REQ_ID = 1015;
inline constexpr uint16_t HI_CONNECT_REQ_ID = 1018;
inline constexpr uint16_t HI_HW_TEST_REQ_ID = 4;
inline constexpr uint16_t HI_SLEEP_REQ_ID = 49;
inline constexpr uint16_t HI_CLOCK_GATING_REQ_ID = 50;
inline constexpr uint16_t HI_SDD_CONFIG_REQ_ID = 54;
inline constexpr uint16_t HI_GET_MAC_REQ_ID = 55;
inline constexpr uint16_t HI_SET_MAC_REQ_ID = 56;
inline constexpr uint16_t HI_DEBUG_PORT_REQ_ID = 57;
inline constexpr uint16_t HI_GET_HWID_REQ_ID = 61;
inline constexpr uint16_t HI_RAW_PROXY_REQ_ID = 62;
inline constexpr uint16_t HI_SELF_TEST_REQ_ID = 94;
inline constexpr uint16_t HI_SELF_TEST_READ_CB_REQ_ID = 95;
inline constexpr uint16_t HI_SELF_TEST_WRITE_CB_REQ_ID = 96;

// Driver-level connect (1018) and reconnect (1020): the tool's version and
// the value 50, or neither in the earlier 8-byte form. Disconnect (1019)
// and soft reset (1023) are a header alone. The driver's answer to the
// last three carries the result at +8.
inline constexpr uint32_t CONNECT_REQ_VERSION_OFF = 4;
inline constexpr uint32_t CONNECT_REQ_PARAM_OFF = 8;
inline constexpr uint32_t CONNECT_REQ_PARAM = 50;
inline constexpr uint32_t CONNECT_REQ_LEN = 12;
inline constexpr uint32_t CONNECT_REQ_SHORT_LEN = 8;
inline constexpr uint32_t DRIVER_CNF_SIZE = 12;
inline constexpr uint32_t DRIVER_CNF_RESULT_OFF = 8;
inline constexpr uint32_t DRIVER_CNF_NEED = DRIVER_CNF_RESULT_OFF + 4;
void rqm_encode_connect(RqmReqBuilder& Req, uint16_t MsgId, bool bWithVersion);

// Register read by bus type (1014): the answer holds a byte count and the
// bytes; it must reach the count, and the bytes are checked against it.
inline constexpr uint32_t REG_TYPE_READ_REQ_LEN = 16;
inline constexpr uint32_t REG_TYPE_READ_TYPE_OFF = 4;
inline constexpr uint32_t REG_TYPE_READ_ADDR_OFF = 8;
inline constexpr uint32_t REG_TYPE_READ_COUNT_OFF = 12;
inline constexpr uint32_t REG_TYPE_READ_CNF_COUNT_OFF = 8;
inline constexpr uint32_t REG_TYPE_READ_CNF_DATA_OFF = 12;
inline constexpr uint32_t REG_TYPE_READ_CNF_SIZE = REG_TYPE_READ_CNF_DATA_OFF + RQM_REG_TYPE_MAX_BYTES;
inline constexpr uint32_t REG_TYPE_READ_CNF_NEED = REG_TYPE_READ_CNF_DATA_OFF;
void rqm_encode_read_reg_type(RqmReqBuilder& Req, uint32_t Type, uint32_t Address, uint32_t Count);
// The status, with the bytes the answer counts copied to pDst, never more
// than were asked for or than an answer holds (the driver rounds up to
// whole registers). No confirmation, and nothing copied, when the answer
// is cut inside the bytes it counts, or when a read it calls good brings
// fewer bytes than were asked for: those would reach the caller as
// register contents. A refusal counts what it carries, none as a rule.
int rqm_decode_read_reg_type(const RqmCnfReader& Cnf, uint32_t Asked, void* pDst);

// Register write by bus type (1015); the answer repeats the request with
// the status in place of the mark.
inline constexpr uint32_t REG_TYPE_WRITE_REQ_LEN = 20;
inline constexpr uint32_t REG_TYPE_WRITE_MARK_OFF = 4;
inline constexpr uint32_t REG_TYPE_WRITE_MARK = 0xFFFFFFFF;
inline constexpr uint32_t REG_TYPE_WRITE_TYPE_OFF = 8;
inline constexpr uint32_t REG_TYPE_WRITE_ADDR_OFF = 12;
inline constexpr uint32_t REG_TYPE_WRITE_VALUE_OFF = 16;
inline constexpr uint32_t REG_TYPE_WRITE_CNF_SIZE = 20;
void rqm_encode_write_reg_type(RqmReqBuilder& Req, uint32_t Type, uint32_t Address, uint32_t Value);

// SDD configuration (54): the 8-bit argument widened in place of the
// reserved word.
inline constexpr uint32_t SDD_CONFIG_REQ_LEN = 8;
inline constexpr uint32_t SDD_CONFIG_REQ_VALUE_OFF = 4;
inline constexpr uint32_t SDD_CONFIG_CNF_SIZE = 8;
void rqm_encode_sdd_config(RqmReqBuilder& Req, uint16_t Config);

// Sleep control (49): the mode and a 64-bit parameter, low word first.
inline constexpr uint32_t SLEEP_REQ_LEN = 24;
inline constexpr uint32_t SLEEP_REQ_MODE_OFF = 8;
inline constexpr uint32_t SLEEP_REQ_PARAM_LOW_OFF = 16;
inline constexpr uint32_t SLEEP_REQ_PARAM_HIGH_OFF = 20;
inline constexpr uint32_t SLEEP_CNF_SIZE = 8;
void rqm_encode_sleep(RqmReqBuilder& Req, uint32_t Mode, uint64_t Param);

// MAC address read (55) and write (56): the address kind and six bytes.
// The read's answer repeats the kind, the write's the kind and address.
inline constexpr uint32_t MAC_REQ_LEN = 20;
inline constexpr uint32_t MAC_REQ_KIND_OFF = 8;
inline constexpr uint32_t MAC_REQ_ADDR_OFF = 12;
inline constexpr uint32_t MAC_ADDR_BYTES = RQM_MAC_ADDR_BYTES;
inline constexpr uint32_t MAC_CNF_SIZE = 20;
inline constexpr uint32_t MAC_CNF_ADDR_OFF = 12;
inline constexpr uint32_t MAC_CNF_NEED = MAC_CNF_ADDR_OFF + MAC_ADDR_BYTES;  // the read's
// pMac null: the read request, whose address bytes stay 0.
void rqm_encode_mac(RqmReqBuilder& Req, uint16_t MsgId, uint32_t Kind, const uint8_t* pMac);
// The status, with the address copied out, whatever the status: the read's
// answer reaches MAC_CNF_NEED.
int rqm_decode_get_mac(const RqmCnfReader& Cnf, uint8_t* pMac);

// Hardware test (4): 16-bit test id and parameters; the encryption test
// adds its step and the value 16. The answer repeats the request, with its
// result over bytes 14 to 17: the test id and first parameter stay.
inline constexpr uint32_t HW_TEST_REQ_LEN = 32;
inline constexpr uint32_t HW_TEST_REQ_ID_OFF = 8;
inline constexpr uint32_t HW_TEST_REQ_PARAM1_OFF = 10;
inline constexpr uint32_t HW_TEST_REQ_PARAM2_OFF = 14;
inline constexpr uint32_t HW_TEST_REQ_ENC_STEP_OFF = 16;
inline constexpr uint32_t HW_TEST_REQ_ENC_VALUE_OFF = 17;
inline constexpr uint8_t HW_TEST_ENC_VALUE = 16;
inline constexpr uint32_t HW_TEST_CNF_SIZE = 32;
inline constexpr uint32_t HW_TEST_CNF_RESULT_OFF = 14;
inline constexpr uint32_t HW_TEST_CNF_NEED = HW_TEST_CNF_RESULT_OFF + 4;
// EncStep 0: not an encryption step.
void rqm_encode_hw_test(RqmReqBuilder& Req, uint16_t TestId, uint16_t Param1, uint16_t Param2,
                        uint8_t EncStep);

// Hardware id (61): a zero-word request; the answer's status word is the id.
inline constexpr uint32_t HW_ID_CNF_SIZE = 8;

// Self-test control blocks (95 read, 96 write): five opaque blocks in an
// 80-byte message, the first in the status word's place. The read's
// answer has no status and must bring all five.
struct RqmCtrlBlock {
    uint32_t Offset;
    uint32_t Size;
};
inline constexpr uint32_t CTRL_BLOCK_COUNT = 5;
inline constexpr RqmCtrlBlock CTRL_BLOCKS[CTRL_BLOCK_COUNT] = {
    {4, 12}, {16, 20}, {36, 20}, {56, 12}, {68, 12}};
inline constexpr uint32_t CTRL_BLOCK_MSG_LEN = 80;
inline constexpr uint32_t CTRL_BLOCK_READ_REQ_LEN = 8;
inline constexpr uint32_t CTRL_BLOCK_READ_CNF_NEED = CTRL_BLOCK_MSG_LEN;
inline constexpr uint32_t CTRL_BLOCK_WRITE_CNF_SIZE = 8;
// Null blocks are left 0 in the request and are not filled from an answer.
void rqm_encode_ctrl_blocks(RqmReqBuilder& Req, const uint8_t* const pBlocks[CTRL_BLOCK_COUNT]);
// Bytes the answer did not carry read 0 (the read's answer reaches
// CTRL_BLOCK_READ_CNF_NEED).
void rqm_decode_ctrl_blocks(const RqmCnfReader& Cnf, uint8_t* const pBlocks[CTRL_BLOCK_COUNT]);

// The target proxy (62): a raw payload (senders_request.h).
inline constexpr uint32_t RAW_PROXY_CNF_SIZE = 12;
