// The tool-state record the driver keeps between runs: every run is a new
// process, so whatever must outlive it travels to the driver and back.
#pragma once

#include <array>
#include <cstdint>

inline constexpr unsigned CLI_DRIVER_DATA_WORDS = 25;
inline constexpr unsigned CLI_DRIVER_DATA_SIZE = 50;

// Word numbers with a meaning; the others have no reader.
enum CliDriverWord : unsigned {
    CLI_WORD_RATE_INDEX = 0,
    CLI_WORD_FORCED_MODE = 1,
    CLI_WORD_CHANNEL = 3,
    CLI_WORD_TX_MODE = 4,
    CLI_WORD_RATE = 5,
    CLI_WORD_BANDWIDTH = 6,
    CLI_WORD_SUBCHANNEL = 7,
    CLI_WORD_TX_RUNNING = 13,
    CLI_WORD_REG_CLASS = 15,
    CLI_WORD_SDD_VERSION = 17,  // SDD version times ten
    CLI_WORD_CHIP_VARIANT = 18,
};

struct CliDriverData {
    std::array<uint16_t, CLI_DRIVER_DATA_WORDS> Word;
};
static_assert(sizeof(CliDriverData) == CLI_DRIVER_DATA_SIZE);

// The front end fetches it at the start of a run and pushes it at the end;
// the connect handshake sets the chip-variant word, and the API reads the
// SDD-version and chip-variant words.
extern CliDriverData g_driver_data;
