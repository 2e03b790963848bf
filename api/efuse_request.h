// How the efuse and antifuse requests are laid out. Every efuse request
// names its element twice, by its type and by the complement of the type's
// low byte. Internal to the API and its tests.
#pragma once

#include <cstdint>

#include "rqm_efuse.h"
#include "rqm_request.h"

inline constexpr uint16_t HI_EFUSE_READ_REQ_ID = 43;
inline constexpr uint16_t HI_EFUSE_WRITE_REQ_ID = 44;
inline constexpr uint16_t HI_ANTIFUSE_READ_REQ_ID = 676;

// Both: the element type, and for the user area where its bits lie.
inline constexpr uint32_t EFUSE_TYPE_OFF = 4;
inline constexpr uint32_t EFUSE_START_BIT_OFF = 6;
inline constexpr uint32_t EFUSE_LENGTH_BITS_OFF = 8;

// Efuse read (43): the answer carries the status, the write slots and the
// data asked for.
inline constexpr uint32_t EFUSE_READ_REQ_LEN = 12;
inline constexpr uint32_t EFUSE_READ_CHECK_OFF = 11;
inline constexpr uint32_t EFUSE_READ_CNF_SLOTS_OFF = 10;
inline constexpr uint32_t EFUSE_READ_CNF_DATA_OFF = 12;
inline constexpr uint32_t EFUSE_READ_CNF_MAX = EFUSE_READ_CNF_DATA_OFF + EFUSE_MAX_BYTES;
void rqm_encode_efuse_read(RqmReqBuilder& Req, const EfuseElement& Element);
// The bytes of the element's value: what a read's answer must bring of the
// bytes it makes room for (the room may be larger: the trim is one byte,
// the output-power calibration 21 bits). The user area's are its bits, and
// a type the firmware does not know has no value but the room asked for.
uint32_t rqm_efuse_value_bytes(const EfuseElement& Element);

// Efuse write (44): six data bytes whatever the element, zeros to the end.
// Refused as written before, the answer shows what the element holds.
inline constexpr uint32_t EFUSE_WRITE_REQ_LEN = 96;
inline constexpr uint32_t EFUSE_WRITE_FORCE_OFF = 10;
inline constexpr uint32_t EFUSE_WRITE_CHECK_OFF = 12;
inline constexpr uint32_t EFUSE_WRITE_DATA_OFF = 13;
inline constexpr uint32_t EFUSE_WRITE_CNF_SIZE = 96;
inline constexpr uint32_t EFUSE_WRITE_CNF_STORED_OFF = 11;
inline constexpr uint32_t EFUSE_WRITE_CNF_STORED_NEED = EFUSE_WRITE_CNF_STORED_OFF + EFUSE_WRITE_DATA_BYTES;
// pData holds EFUSE_WRITE_DATA_BYTES.
void rqm_encode_efuse_write(RqmReqBuilder& Req, const EfuseElement& Element, const uint8_t* pData);

// Antifuse read (676): ten words after the status.
inline constexpr uint32_t ANTIFUSE_REQ_LEN = 8;
inline constexpr uint32_t ANTIFUSE_CNF_SIZE = 48;
inline constexpr uint32_t ANTIFUSE_CNF_WORDS_OFF = 8;
inline constexpr uint32_t ANTIFUSE_CNF_NEED = ANTIFUSE_CNF_WORDS_OFF + 4 * ANTIFUSE_WORDS;
static_assert(ANTIFUSE_CNF_NEED == ANTIFUSE_CNF_SIZE);
