// The stand-in's engine, free of sockets: takes datagrams, answers them
// through the model, applies injected faults, numbers what goes out, holds
// delayed answers until their time, and keeps the datagram logs. The server
// feeds it from the sockets; tests can feed it directly.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string_view>
#include <vector>

#include "sim/sim_model.h"

enum SimFaultKind : uint8_t {
    SIM_FAULT_NONE,
    SIM_FAULT_NOANSWER,  // the answer is never sent
    SIM_FAULT_LATE,      // sent arg ms later
    SIM_FAULT_DUP,       // sent twice
    SIM_FAULT_STATUS,    // word at +4 replaced by arg
    SIM_FAULT_REFUSE,    // a BOOT refusal with Res arg instead
    SIM_FAULT_SHORT,     // cut to arg bytes, MsgLen arg
    SIM_FAULT_OVERSIZE,  // MsgLen arg, bytes unchanged
    SIM_FAULT_SPLIT,     // two datagrams, the first of arg bytes
    SIM_FAULT_DOUBLE,    // a trace indication behind it in the same datagram
};

enum SimFaultArg : uint8_t {
    SIM_ARG_NONE,      // ARG is a placeholder, so that COUNT stays the fifth word
    SIM_ARG_REQUIRED,  // no default: the command must give it
    SIM_ARG_OPTIONAL,  // default_arg when left out
};

struct SimFaultKindRow {
    const char* name;
    SimFaultKind kind;
    SimFaultArg arg_use;
    uint32_t default_arg;
    uint32_t min_arg;
    uint32_t max_arg;
};
extern const std::array<SimFaultKindRow, 9> sim_fault_kinds;
const SimFaultKindRow* sim_fault_kind_row(std::string_view name);
const SimFaultKindRow* sim_fault_kind_row(SimFaultKind kind);

struct SimFault {
    uint16_t id;  // request id, sequence bits stripped
    SimFaultKind kind;
    uint32_t arg;
    uint32_t remaining;  // requests it still applies to; 0 = until cleared
    uint32_t skip = 0;   // requests answered unshaped before it applies
};

struct SimPending {
    int64_t due_ms;
    uint32_t port;
    std::vector<uint8_t> msg;
    SimFaultKind kind;  // the fault that shapes it on the wire
    uint32_t arg;
};

// Sends one datagram to a port; returns 0 or an errno value.
typedef int (*SimSendFn)(void* user, uint32_t port, const uint8_t* datagram, size_t len);

// Datagrams each log keeps; older ones are dropped first.
inline constexpr size_t SIM_LOG_LIMIT = 4096;

struct Sim {
    uint32_t port;  // our own netlink port, the sender id of what we send
    bool start_have_peer;
    uint32_t start_peer;
    bool have_peer;  // where control-sent messages go by default
    uint32_t peer;
    SimModel model;
    std::deque<std::vector<uint8_t>> rx_log;
    std::deque<std::vector<uint8_t>> tx_log;
    uint64_t rx_count;  // since the last reset, beyond what the logs keep
    uint64_t tx_count;
    std::vector<SimFault> faults;
    std::vector<SimPending> pending;  // by due time, first due first
    SimSendFn send;
    void* send_user;
    FILE* log_file;  // diagnostics go here too when set
};

void sim_init(Sim* s, uint32_t port, SimSendFn send, void* send_user, FILE* log_file);
// Every state to its start values; the peer back to the one given at start.
void sim_reset(Sim* s);

void sim_logf(Sim* s, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// One datagram: the 16-byte netlink header, then len bytes (padded to 4
// when pad is set). The header's length is the datagram's.
std::vector<uint8_t> sim_frame(const uint8_t* payload, size_t len, uint32_t sender, bool pad);

// A datagram as received from port `from`.
void sim_on_datagram(Sim* s, const uint8_t* dg, size_t len, uint32_t from, int64_t now_ms);

// Sends every pending answer that is due.
void sim_run_due(Sim* s, int64_t now_ms);

// Milliseconds until the next pending answer is due, or -1 when none is.
int sim_poll_timeout(const Sim& s, int64_t now_ms);

// Sends one message now. stamp: numbered like any firmware message;
// split_at > 0: as two datagrams, the first of split_at bytes. Returns 0 or
// an errno value.
int sim_send_now(Sim* s, uint32_t port, std::vector<uint8_t> msg, bool stamp, size_t split_at);

// Installs a fault, replacing any other for the same id.
void sim_set_fault(Sim* s, const SimFault& f);
