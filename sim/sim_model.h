// The modelled system: the driver and the firmware behind it, made of parts
// (the driver, the firmware's core, one part per firmware model), each of
// which brings its request rows, its control keys and its reset. The
// dispatch routes every incoming request through the parts' rows.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sim/sim_ctl.h"
#include "sim/sim_driver.h"
#include "sim/sim_firmware.h"

struct SimModel {
    SimDriver drv;
    SimFirmware fw;
};

void sim_model_reset(SimModel* m);

struct SimRequest {
    uint16_t id;                   // sequence bits stripped
    std::span<const uint8_t> msg;  // exactly MsgLen bytes, all of which arrived
};

// What a request makes the stand-in send back, in order. Each entry is one
// HI message; numbering and faults are applied when it goes out.
struct SimAnswer {
    std::vector<std::vector<uint8_t>> msgs;
};

typedef void (*SimHandler)(SimModel* m, const SimRequest& rq, SimAnswer* ans);

// How a request stands to the firmware's numbering.
enum SimNumbering : uint8_t {
    SIM_NUMBERED,    // checked against the expected number when numbering is on
    SIM_UNNUMBERED,  // sent by the tool outside its window: bits 13-15 mean nothing
};

struct SimHandlerEntry {
    uint16_t id;
    uint16_t min_len;  // shorter requests are not handed to the handler
    SimHandler fn;
    SimNumbering numbering;
};

// A part whose like requests share one handler keeps them as rows of its
// own table (each with an id); its request rows are made from that table,
// each row min_len(row) bytes at least, followed by the rows with handlers
// of their own. The shared handler finds its row with sim_row_of, which
// the request rows guarantee is there.
template <class Row, size_t N, size_t M, class MinLen>
constexpr std::array<SimHandlerEntry, N + M> sim_request_rows(const Row (&shared)[N], MinLen min_len,
                                                              SimHandler fn,
                                                              const SimHandlerEntry (&own)[M]) {
    std::array<SimHandlerEntry, N + M> rows{};
    size_t n = 0;
    for (const Row& r : shared)
        rows[n++] = {r.id, static_cast<uint16_t>(min_len(r)), fn, SIM_NUMBERED};
    for (const SimHandlerEntry& e : own)
        rows[n++] = e;
    return rows;
}

template <class Row, size_t N>
const Row& sim_row_of(const Row (&rows)[N], uint16_t id) {
    return *std::find_if(std::begin(rows), std::end(rows), [&](const Row& r) { return r.id == id; });
}

// What one part of the model brings. Request ids and key names are unique
// across all parts.
struct SimPart {
    const char* name;
    void (*reset)(SimModel* m);  // its state to its start values
    std::span<const SimHandlerEntry> requests;
    std::span<const SimKey> keys;
};

// Every part, in the order `state` lists their keys.
std::span<const SimPart* const> sim_parts();

enum SimDispatchResult {
    SIM_HANDLED,
    SIM_REFUSED_NOT_CONNECTED,  // firmware request without a connection, or to a sleeping firmware
    SIM_SHORT_REQUEST,          // below its row's min_len
    SIM_UNMODELLED,             // no row for the id
};

// The handler row for id in any part, or nullptr.
const SimHandlerEntry* sim_find_handler(uint16_t id);

// Whether a request with this id takes part in the numbering check.
bool sim_is_numbered(uint16_t id);

// Fills ans for every result: a refusal, the handler's answer, or a
// confirmation with SIM_STATUS_UNMODELLED for a short or unknown request.
SimDispatchResult sim_dispatch(SimModel* m, const SimRequest& rq, SimAnswer* ans);

std::vector<uint8_t> sim_unmodelled_cnf(uint16_t id);

// A confirmation of size bytes to request id: MsgLen, MsgId id | 0x400,
// the status at 4, zeros after it.
std::vector<uint8_t> sim_cnf(uint16_t id, unsigned size, uint32_t status);
// A confirmation that repeats the request's first size bytes (its MsgLen
// included; size at most the row's min_len) with MsgId id | 0x400 and the
// status at 4.
std::vector<uint8_t> sim_echo_cnf(const SimRequest& rq, unsigned size, uint32_t status);
