// Little-endian field access on HI message bytes.
//
// HI messages are handled as byte buffers everywhere: a received buffer has
// no alignment guarantee on the ARM board, and reading it through a packed
// struct would also break aliasing rules. Every field goes through these.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint16_t hi_rd16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline constexpr uint32_t hi_rd32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline constexpr void hi_wr16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline constexpr void hi_wr32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
