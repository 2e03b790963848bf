// The firmware half of the stand-in: what its startup indication announces,
// its message numbering, its memory, registers and parameter block, efuse
// bytes, and the transmit and receive engine state its test requests act on.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_msg.h"

inline constexpr uint16_t SIM_DEFAULT_WINDOW = 4;
inline constexpr uint16_t SIM_DEFAULT_MAX_MSG = 1520;
inline constexpr uint16_t SIM_DEFAULT_API_VER = 0x0427;
inline constexpr char SIM_DEFAULT_LABEL[] = "RQMFW_Q23.02.0017";
inline constexpr uint32_t SIM_DEFAULT_MIB_BASE = 0x00080000;

// A startup indication is 160 bytes; later firmware appends up to 8 more.
inline constexpr unsigned SIM_STARTUP_MAX_SIZE = 168;
inline constexpr uint32_t SIM_DEFAULT_HWID = 0x00002301;

inline constexpr unsigned SIM_MIB_SIZE = 4096;  // parameter block bytes at the Mib base
inline constexpr unsigned SIM_EFUSE_SIZE = 256;

// Engine state records: one word per field, named by the tables below so
// that the control can preset any field without a command of its own.
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
enum SimRxField { RX_RUNNING, RX_CHANNEL, RX_OK, RX_FCS_ERRORS, RX_OTHER_ERRORS, RX_RSSI, RX_FIELDS };
extern const std::array<const char*, TX_FIELDS> sim_tx_field_names;
extern const std::array<const char*, RX_FIELDS> sim_rx_field_names;

struct SimFirmware {
    // What the next startup indication announces.
    uint16_t window;
    uint16_t max_msg;
    uint16_t api_ver;
    std::string label;
    uint32_t mib_base;
    uint16_t startup_len;  // bytes of the startup indication, zeros after the Mib base

    // Numbering of what it sends and of the requests it takes.
    bool numbering;
    uint8_t next_tx_seq;
    uint8_t expected_rx_seq;
    bool have_prev;           // a numbered request was taken since the last startup
    bool prev_answered;       // ... and it was answered
    uint32_t numbering_port;  // where the last startup went: the only client held to the numbering

    std::map<uint32_t, uint32_t> mem;   // sparse, word-addressed; unset words read 0
    std::map<uint32_t, uint32_t> regs;  // sparse register file
    std::array<uint8_t, SIM_MIB_SIZE> mib;
    std::array<uint8_t, SIM_EFUSE_SIZE> efuse;
    std::array<uint32_t, TX_FIELDS> tx;
    std::array<uint32_t, RX_FIELDS> rx;

    // The general device requests.
    std::array<std::array<uint8_t, 6>, SIM_MAC_KINDS> macs;  // source, destination, BSSID
    uint32_t hwid;
    bool asleep;  // only a sleep-control request reaches it
    uint32_t clock_gating;
    std::array<uint32_t, 4> debug_port;
    std::array<uint32_t, SIM_HW_TESTS> hw_test_result;  // by test id 1 to 4
    uint32_t self_test_result;
    std::array<uint8_t, CTRL_BLOCK_SIZE> ctrl_block;  // the self-test control blocks, opaque
};

// What a fresh firmware reports as its addresses.
extern const std::array<std::array<uint8_t, 6>, SIM_MAC_KINDS> sim_default_macs;

void fw_reset(SimFirmware* fw);

// Memory words; addr must be 4-aligned. The parameter block is part of the
// same address space at mib_base.
uint32_t fw_mem_read(const SimFirmware& fw, uint32_t addr);
void fw_mem_write(SimFirmware* fw, uint32_t addr, uint32_t value);

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

struct SimModel;
struct SimRequest;
struct SimAnswer;

// Request handlers, rows of the dispatch table.
void fw_sdd_config(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_hw_test(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_sleep(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_clock_gating(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_get_mac(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_set_mac(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_debug_port(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_get_hwid(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_raw_proxy(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_self_test(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_read_ctrl_block(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void fw_write_ctrl_block(SimModel* m, const SimRequest& rq, SimAnswer* ans);

// Index of a field name in one of the tables above, or -1.
int sim_field_index(const char* const* names, size_t count, std::string_view name);
