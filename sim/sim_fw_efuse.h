// The firmware's efuse model: the one-time-programmable elements, each with
// its data, whether it has been written and how many writes it still
// takes; the user area, addressed by bit; and the antifuse words. Requests
// name an element by its type and the complement of the type's low byte.
#pragma once

#include <array>
#include <cstdint>

struct SimPart;

inline constexpr uint16_t SIM_EFUSE_READ_REQ_ID = 43;
inline constexpr uint16_t SIM_EFUSE_WRITE_REQ_ID = 44;
inline constexpr uint16_t SIM_ANTIFUSE_READ_REQ_ID = 676;

// Element types 1 to 6; 5 is the user area, which has no element record.
inline constexpr unsigned SIM_EFUSE_TYPES = 6;
inline constexpr uint16_t SIM_EFUSE_CHIPID = 1;
inline constexpr uint16_t SIM_EFUSE_USER_AREA = 5;
inline constexpr unsigned SIM_EFUSE_MAX_DATA = 16;  // the chip id
inline constexpr unsigned SIM_EFUSE_USER_BITS = 658;
inline constexpr unsigned SIM_EFUSE_USER_BYTES = (SIM_EFUSE_USER_BITS + 7) / 8;
inline constexpr unsigned SIM_ANTIFUSE_WORDS = 10;
// Writes a fresh element takes. The chip id is written at the factory; its
// count of 1 is what the tool shows as no writes left.
inline constexpr uint8_t SIM_EFUSE_DEFAULT_SLOTS = 3;
inline constexpr uint8_t SIM_EFUSE_CHIPID_SLOTS = 1;

// Efuse statuses the model answers with.
inline constexpr uint32_t SIM_EFUSE_CS_ERR = 2;           // the complement byte disagrees
inline constexpr uint32_t SIM_EFUSE_RW_ERR = 4;           // no write slot left
inline constexpr uint32_t SIM_EFUSE_NODATA = 6;           // never written
inline constexpr uint32_t SIM_EFUSE_HAVEWRITE = 7;        // written before, and no force
inline constexpr uint32_t SIM_EFUSE_NOTSUPPORT = 9;       // not writable by the tool
inline constexpr uint32_t SIM_EFUSE_INVALID_PARAMS = 10;  // no such type, or bits outside the user area

struct SimEfuseElement {
    bool written;
    std::array<uint8_t, SIM_EFUSE_MAX_DATA> data;  // its size's first bytes
    uint8_t slots;                                 // writes still free
};

struct SimEfuse {
    std::array<SimEfuseElement, SIM_EFUSE_TYPES> elements;  // by type - 1
    std::array<uint8_t, SIM_EFUSE_USER_BYTES> user;         // bit n is bit n % 8 of byte n / 8
    std::array<uint32_t, SIM_ANTIFUSE_WORDS> antifuse;
};

// Data bytes of each element type, 0 for the user area and unknown types.
unsigned sim_efuse_size(uint32_t type);

// The chip id a fresh stand-in reports.
extern const std::array<uint8_t, SIM_EFUSE_MAX_DATA> sim_default_chip_id;

extern const SimPart sim_efuse_part;
