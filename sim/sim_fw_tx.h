// The firmware's transmit model: the payload buffers, bursts, continuous
// and PRBS transmission, and the transmit engine's state, one word per
// field, named so that the control presets any field without a key of its
// own.
#pragma once

#include <array>
#include <cstdint>

struct SimPart;

enum SimTxField {
    TX_RUNNING,
    TX_CHANNEL,
    TX_RATE,
    TX_POWER,
    TX_LENGTH,
    TX_INTERVAL,
    TX_COUNT,
    TX_SENT,
    TX_FIELDS
};
extern const std::array<const char*, TX_FIELDS> sim_tx_field_names;

struct SimTx {
    std::array<uint32_t, TX_FIELDS> engine;
};

extern const SimPart sim_tx_part;
