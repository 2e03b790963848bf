// The firmware's general device requests: its addresses, hardware id,
// sleep and clock gating, debug port, hardware tests, self-tests and their
// control blocks, and the SDD configuration a connect ends with.
#pragma once

#include <array>
#include <cstdint>

#include "sim/sim_msg.h"

struct SimPart;

inline constexpr uint32_t SIM_DEFAULT_HWID = 0x00002301;

struct SimDevice {
    std::array<std::array<uint8_t, 6>, SIM_MAC_KINDS> macs;  // source, destination, BSSID
    uint32_t hwid;
    uint32_t clock_gating;
    std::array<uint32_t, 4> debug_port;
    std::array<uint32_t, SIM_HW_TESTS> hw_test_result;  // by test id 1 to 4
    uint32_t self_test_result;
    std::array<uint8_t, CTRL_BLOCK_SIZE> ctrl_block;  // the self-test control blocks, opaque
};

// What a fresh firmware reports as its addresses.
extern const std::array<std::array<uint8_t, 6>, SIM_MAC_KINDS> sim_default_macs;

extern const SimPart sim_device_part;
