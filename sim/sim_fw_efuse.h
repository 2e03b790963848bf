// The firmware's efuse model: the chip's efuse bytes, which the efuse and
// antifuse requests read and write.
#pragma once

#include <array>
#include <cstdint>

struct SimPart;

inline constexpr unsigned SIM_EFUSE_SIZE = 256;

struct SimEfuse {
    std::array<uint8_t, SIM_EFUSE_SIZE> bytes;
};

extern const SimPart sim_efuse_part;
