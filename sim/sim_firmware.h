// The firmware half of the stand-in: what its startup indication announces,
// its message numbering and whether it sleeps, and one record per model of
// what its test requests act on. Each model is a part of its own (see
// sim_model.h) in its own files, sim_fw_*.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_fw_device.h"
#include "sim/sim_fw_efuse.h"
#include "sim/sim_fw_memory.h"
#include "sim/sim_fw_phy.h"
#include "sim/sim_fw_ramread.h"
#include "sim/sim_fw_rx.h"
#include "sim/sim_fw_tx.h"
#include "sim/sim_msg.h"

inline constexpr uint16_t SIM_DEFAULT_WINDOW = 4;
inline constexpr uint16_t SIM_DEFAULT_MAX_MSG = 1520;
inline constexpr uint16_t SIM_DEFAULT_API_VER = 0x0427;
inline constexpr char SIM_DEFAULT_LABEL[] = "RQMFW_Q23.02.0017";
inline constexpr uint32_t SIM_DEFAULT_MIB_BASE = 0x00080000;

// A startup indication is 160 bytes; later firmware appends up to 8 more.
inline constexpr unsigned SIM_STARTUP_MAX_SIZE = 168;

struct SimFirmware {
    // What the next startup indication announces.
    uint16_t window;
    uint16_t max_msg;
    uint16_t api_ver;
    std::string label;
    uint32_t mib_base;     // where the parameter block lies (SimMemory)
    uint16_t startup_len;  // bytes of the startup indication, zeros after the Mib base

    // Numbering of what it sends and of the requests it takes.
    bool numbering;
    uint8_t next_tx_seq;
    uint8_t expected_rx_seq;
    bool have_prev;           // a numbered request was taken since the last startup
    bool prev_answered;       // ... and it was answered
    uint32_t numbering_port;  // where the last startup went: the only client held to the numbering

    bool asleep;  // only a sleep-control request reaches it

    // The models, each reset by its own part.
    SimDevice device;
    SimMemory memory;
    SimPhy phy;
    SimTx tx;
    SimRx rx;
    SimEfuse efuse;
    SimRamRead ramread;
};

struct SimPart;
// The firmware's own part: the startup's presets, numbering and sleep; no
// requests of its own.
extern const SimPart sim_firmware_part;

std::vector<uint8_t> fw_startup_ind(const SimFirmware& fw, uint16_t window);
std::vector<uint8_t> fw_trace_ind(uint32_t code);
std::vector<uint8_t> fw_exception_ind(uint32_t reason, uint32_t address);

// Gives an outgoing message its sequence number, as the firmware does when
// it sends it. A startup indication restarts the numbering (or ends it for
// window 0); BOOT and exception indications are never numbered.
void fw_stamp(SimFirmware* fw, std::vector<uint8_t>* msg);

enum SimSeqVerdict {
    SIM_SEQ_UNNUMBERED,  // numbering is off
    SIM_SEQ_NEW,         // the expected number
    SIM_SEQ_RESEND,      // the previous number, and that request went unanswered
    SIM_SEQ_DUPLICATE,   // the previous number, already answered: drop
    SIM_SEQ_RESYNC,      // anything else: taken as new from here on
};

// Classifies an incoming request's sequence number and moves the expected
// number on; fw_rx_done records whether it was answered.
SimSeqVerdict fw_rx_seq(SimFirmware* fw, unsigned seq);
void fw_rx_done(SimFirmware* fw, SimSeqVerdict v, bool answered);
