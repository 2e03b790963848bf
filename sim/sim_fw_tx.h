// The firmware's transmit model: four packet buffers loaded in pieces, the
// one-word settings of the next transmission, counted bursts answered when
// done, continuous and PRBS transmission running until a stop (across the
// tool's runs), the transmit counters, and the transmit settings, which
// live in the parameter block of the memory model and are read from there.
#pragma once

#include <array>
#include <cstdint>

struct SimPart;

// The engine, one word per field, named so that the control presets any
// field without a key of its own. running: the command word of the
// transmission under way (2 continuous, 6 PRBS), 0 when none; the PRBS
// length and seed it was started with; the values of the one-word
// requests; the counts of the last transmit answer and the bursts done;
// and two switches: shortfall (every burst sends that many fewer packets
// than asked for) and refuse (the firmware refuses every transmit).
enum SimTxField {
    TX_RUNNING,
    TX_PRBS_LENGTH,
    TX_PRBS_SEED,
    TX_BUFFER,
    TX_COUNT,
    TX_ACK,
    TX_NAV,
    TX_BACKOFF,
    TX_DELAY,
    TX_SOUNDING,
    TX_CCA,
    TX_TXED,
    TX_ACKED,
    TX_BURSTS,
    TX_SHORTFALL,
    TX_REFUSE,
    TX_FIELDS
};
extern const std::array<const char*, TX_FIELDS> sim_tx_field_names;

// The ten counters of the transmit statistics, in the order of the answer.
inline constexpr unsigned SIM_TX_STATS = 10;
extern const std::array<const char*, SIM_TX_STATS> sim_tx_stats_names;

inline constexpr unsigned SIM_TX_BUFFERS = 4;
inline constexpr unsigned SIM_TX_BUFFER_SIZE = 8192;

// The transmit gain table of chip memory: one word per gain index, the
// digital gain in bits 0-9, the analogue in bits 10-19.
inline constexpr uint32_t SIM_GAIN_TABLE_ADDR = 0x0ABB801C;
// The entries a chip holds at start: index i has the analogue gain i / 8
// and the digital gain 96 + 8 x (i % 8); those above are 0.
inline constexpr uint32_t SIM_GAIN_TABLE_ENTRIES = 64;
// The PRCM register whose bits 20-26 hold the chip variant's frequency
// offset.
inline constexpr uint32_t SIM_FREQ_OFFSET_PRCM = 0x40040058;

struct SimTx {
    std::array<uint32_t, TX_FIELDS> engine;
    std::array<uint32_t, SIM_TX_STATS> stats;
    std::array<std::array<uint8_t, SIM_TX_BUFFER_SIZE>, SIM_TX_BUFFERS> buffers;
    std::array<uint32_t, SIM_TX_BUFFERS> lengths;  // bytes of each payload
};

extern const SimPart sim_tx_part;
