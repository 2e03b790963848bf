// The control line protocol: one command line in, data lines and a verdict
// out. The server hands every line of every control client to
// sim_control_exec; README.md lists the commands.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_core.h"

// Largest HI payload `send raw` and `send split` take.
inline constexpr size_t SIM_RAW_MAX = 16384;
// Longest control line the server reads; the biggest raw payload fits.
inline constexpr size_t SIM_CONTROL_LINE_MAX = 2 * SIM_RAW_MAX + 256;
inline constexpr size_t SIM_SDD_PATH_MAX = 64;  // the driver keeps no longer path

// Runs one command (no line end). Appends data lines to out. Returns true
// for "ok"; false with the text for "error <text>" in err.
bool sim_control_exec(Sim* s, std::string_view line, std::vector<std::string>* out, std::string* err);

// Every key of `set`, `get` and `state`: the model's parts' in their order
// (sim_parts), then the engine's own.
std::vector<const SimKey*> sim_keys();

// The `state` lines, key=value.
void sim_state_lines(const Sim& s, std::vector<std::string>* out);
