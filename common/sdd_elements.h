// The SDD file: elements of an id byte, a length byte and the data. The
// firmware start reads the version element of the file it sends; the API
// reads and edits the others.
#pragma once

#include <cstdint>

inline constexpr uint8_t SDD_ELEMENT_VERSION = 0xC0;
inline constexpr uint8_t SDD_ELEMENT_FREQ_OFFSET = 0xC9;
inline constexpr uint8_t SDD_ELEMENT_USER_POWER_OLD = 0xE3;  // SDD versions below 2.5
inline constexpr uint8_t SDD_ELEMENT_USER_POWER = 0xB0;      // from 2.5
