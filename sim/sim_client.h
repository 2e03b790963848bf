// Client side of the rqmsim control socket, for tests, rqmsimctl and
// anything else that drives the stand-in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How long one command may take before the client gives up on the daemon.
inline constexpr int SIM_CLIENT_TIMEOUT_MS = 5000;

// Sends one command line (without "\n") to the rqmsim on this port and
// reads its reply. Data lines go to out when it is set. Returns true on
// "ok"; false on "error <text>" (err gets the text) or when the daemon
// cannot be reached or does not answer (err says why).
bool sim_control(uint32_t port, const std::string& line, std::vector<std::string>* out, std::string* err);
