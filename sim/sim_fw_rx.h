// The firmware's receive and tone-generator model: the receive engine's
// state, one word per field, named so that the control presets any field
// without a key of its own; the tone generator's state belongs here too.
#pragma once

#include <array>
#include <cstdint>

struct SimPart;

enum SimRxField { RX_RUNNING, RX_CHANNEL, RX_OK, RX_FCS_ERRORS, RX_OTHER_ERRORS, RX_RSSI, RX_FIELDS };
extern const std::array<const char*, RX_FIELDS> sim_rx_field_names;

struct SimRx {
    std::array<uint32_t, RX_FIELDS> engine;  // rssi: a 32-bit two's complement
};

extern const SimPart sim_rx_part;
