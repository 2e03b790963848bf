// How the memory and register requests are laid out, and what the memory
// module shares with the rest of the API and its tests outside the public
// header. Internal to the API and its tests.
#pragma once

#include <cstdint>

#include "rqm_request.h"

// Memory read (0) and write (1): the address, a 16-bit byte count and the
// access flags, then the data of a write. Word accesses carry 0x00C0; a
// byte range carries 0 and puts its data behind as many filler bytes as
// its address lies past a word boundary.
inline constexpr uint16_t HI_READ_MEMORY_REQ_ID = 0;
inline constexpr uint16_t HI_WRITE_MEMORY_REQ_ID = 1;
inline constexpr uint32_t MEM_ADDR_OFF = 4;
inline constexpr uint32_t MEM_COUNT_OFF = 8;
inline constexpr uint32_t MEM_FLAGS_OFF = 10;
inline constexpr uint32_t MEM_DATA_OFF = 12;
inline constexpr uint16_t MEM_FLAGS_WORDS = 0x00C0;
inline constexpr uint16_t MEM_FLAGS_BYTES = 0;
inline constexpr uint32_t MEM_READ_REQ_LEN = 12;
inline constexpr uint32_t MEM_READ_CHUNK = 1024;
inline constexpr uint32_t MEM_READ_CNF_DATA_OFF = 8;
inline constexpr uint32_t MEM_READ_CNF_SIZE = MEM_READ_CNF_DATA_OFF + MEM_READ_CHUNK;
inline constexpr uint32_t MEM_WRITE_WORD_LEN = MEM_DATA_OFF + 4;
inline constexpr uint32_t MEM_BLOCK_WORDS = 256;
inline constexpr uint32_t MEM_BLOCK_MAX_LEN = MEM_DATA_OFF + 4 * MEM_BLOCK_WORDS;
// The answer to a write, a register-value block or a parameter word: a
// status alone.
inline constexpr uint32_t MEM_STATUS_CNF_SIZE = 8;
// One message of a range write: Count data bytes at Address, behind the
// filler that takes the message from the word boundary to the address.
void rqm_encode_memory_range(RqmReqBuilder& Req, uint32_t Address, const uint8_t* pData, uint32_t Count);

// Register lists: read (5) and write (6). The write is always as long as
// a full list.
inline constexpr uint16_t HI_READ_REG_LIST_REQ_ID = 5;
inline constexpr uint16_t HI_WRITE_REG_LIST_REQ_ID = 6;
inline constexpr uint32_t REG_LIST_COUNT_OFF = 4;
inline constexpr uint32_t REG_LIST_FLAGS_OFF = 6;
inline constexpr uint32_t REG_LIST_ADDR_OFF = 8;
inline constexpr uint32_t REG_LIST_READ_MAX = 256;
inline constexpr uint32_t REG_LIST_READ_MAX_LEN = REG_LIST_ADDR_OFF + 4 * REG_LIST_READ_MAX;
inline constexpr uint32_t REG_LIST_READ_CNF_VALUES_OFF = 8;
inline constexpr uint32_t REG_LIST_READ_CNF_SIZE = REG_LIST_READ_CNF_VALUES_OFF + 4 * REG_LIST_READ_MAX;
inline constexpr uint32_t REG_LIST_WRITE_MAX = 128;
inline constexpr uint32_t REG_LIST_WRITE_VALUES_OFF = REG_LIST_ADDR_OFF + 4 * REG_LIST_WRITE_MAX;
inline constexpr uint32_t REG_LIST_WRITE_LEN = REG_LIST_WRITE_VALUES_OFF + 4 * REG_LIST_WRITE_MAX;
static_assert(REG_LIST_WRITE_LEN == 1032);

// Hardware registers: read (7) and write (8). Their answers keep the
// status at +12, behind the value.
inline constexpr uint16_t HI_HW_READ_REG_REQ_ID = 7;
inline constexpr uint16_t HI_HW_WRITE_REG_REQ_ID = 8;
inline constexpr uint32_t HW_REG_REQ_LEN = 12;
inline constexpr uint32_t HW_REG_ADDR_OFF = 4;
// The value written, or the read's mark; in the answer, the value.
inline constexpr uint32_t HW_REG_VALUE_OFF = 8;
inline constexpr uint32_t HW_REG_READ_MARK = 0xFFFFFFFF;
inline constexpr uint32_t HW_REG_CNF_STATUS_OFF = 12;
inline constexpr uint32_t HW_REG_CNF_SIZE = 16;

// RF access read (58), GPIO (59: an operation, a pin and a 16-bit value)
// and the GPIO test mode (60).
inline constexpr uint16_t HI_RF_READ_REG_REQ_ID = 58;
inline constexpr uint16_t HI_GPIO_REQ_ID = 59;
inline constexpr uint16_t HI_GPIO_TEST_MODE_REQ_ID = 60;
inline constexpr uint32_t GPIO_REQ_LEN = 8;
inline constexpr uint32_t GPIO_OP_OFF = 4;
inline constexpr uint32_t GPIO_PIN_OFF = 5;
inline constexpr uint32_t GPIO_VALUE_OFF = 6;
inline constexpr uint8_t GPIO_NO_PIN = 0xFF;
inline constexpr uint32_t GPIO_CNF_SIZE = 12;
inline constexpr uint32_t GPIO_CNF_VALUE_OFF = 8;
enum GpioOp : uint8_t { GPIO_SETUP = 0, GPIO_READ = 1, GPIO_WRITE = 2, GPIO_RESET_TEST_MODE = 3 };

// Register-value block (99): pairs from +4, every word most significant
// byte first.
inline constexpr uint16_t HI_BLOCK_REG_INIT_REQ_ID = 99;
inline constexpr uint32_t BLOCK_REG_PAIRS_OFF = 4;
inline constexpr uint32_t BLOCK_REG_MAX_PAIRS = 16;
inline constexpr uint32_t BLOCK_REG_MAX_LEN = BLOCK_REG_PAIRS_OFF + 8 * BLOCK_REG_MAX_PAIRS;

// PRCM registers: read (272) and write (273); the read's value at +12.
inline constexpr uint16_t HI_READ_PRCM_REQ_ID = 0x110;
inline constexpr uint16_t HI_WRITE_PRCM_REQ_ID = 0x111;
inline constexpr uint32_t PRCM_REQ_LEN = 16;
inline constexpr uint32_t PRCM_ADDR_OFF = 8;
inline constexpr uint32_t PRCM_VALUE_OFF = 12;
inline constexpr uint32_t PRCM_CNF_SIZE = 16;

// One parameter-block word (38).
inline constexpr uint16_t HI_SET_MIB_REQ_ID = 38;
inline constexpr uint32_t SET_MIB_REQ_LEN = 16;
inline constexpr uint32_t SET_MIB_OFFSET_OFF = 4;
inline constexpr uint32_t SET_MIB_VALUE_OFF = 8;

// The communication-bus mode: set (686), read (687).
inline constexpr uint16_t HI_SET_COM_BUS_MODE_REQ_ID = 686;
inline constexpr uint16_t HI_GET_COM_BUS_MODE_REQ_ID = 687;

// Runs Op with the com-bus mode at 1: the mode is read, switched to 1
// when it is not, and set back after Op. A failed read or switch is the
// result and Op does not run; otherwise Op's failure is the result, and
// the restore's only when Op succeeded. Reports nothing of its own.
typedef int (*RqmComBusOp)(RqmApiContext* pRqmApiContext, void* pArg);
int rqm_com_bus_bracket(RqmApiContext* pRqmApiContext, RqmComBusOp Op, void* pArg);

// ConvertTextDataToRegValueFormat for values that go to the chip: a
// record whose address is not eight hex digits, or whose value is not
// hex digits followed only by separators, fails the conversion rather
// than yield a number made of what came before the stray character.
// Defined with the other converters (util.cpp).
uint32_t* rqm_convert_reg_values_strict(RqmApiContext* pRqmApiContext, const char* pText, uint32_t Length,
                                        uint32_t* pCount);
