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

// The record of this process, zero at its start. Its owner is the front
// end's keeper of tool state (cli/kept_record.cpp), which fetches, pushes
// and reads it for the handlers; the second program, which keeps its
// choices value by value (hf/hf_kept.cpp), uses only its SDD-version and
// chip-variant words, through the same keeper. Beside the accessors below,
// no other file of the layers names it (tests/layers checks).
extern CliDriverData g_driver_data;

// The words the layers under the front end take part in: the SDD version
// sets the unit of the automatic output power, the chip-variant flag picks
// the frequency-offset path and the PA detector's reading, and the connect
// handshake sets that flag from the firmware label.
uint16_t driver_data_sdd_version();
bool driver_data_chip_variant();
void driver_data_set_chip_variant();
