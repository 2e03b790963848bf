// The rqmsim daemon's sockets and event loop around the engine.
#pragma once

#include <cstdint>

struct SimServerOptions {
    uint32_t port;         // netlink port; the control socket is named after it
    const char* log_path;  // diagnostics copy, or nullptr
    bool have_peer;        // a peer for control-sent messages before anyone writes
    uint32_t peer;
    // The SDD file the driver holds at its path, and whether it is the
    // stand-in's own (put back at every reset); nullptr: none.
    const char* sdd_path = nullptr;
    bool sdd_own = false;
};

// Abstract UNIX socket name of the control for a port: "rqmsim.<port>"
// behind a NUL. Fills addr, returns the address length to bind or connect.
struct sockaddr_un;
unsigned sim_control_address(uint32_t port, sockaddr_un* addr);

// Blocks the signals that stop the stand-in (SIGTERM, SIGINT, SIGHUP as
// from a terminal that closes, SIGQUIT), so that they wait for the
// server's loop: it reads them and ends, and what the stand-in made is
// cleaned up. Called before anything is made that a signal must not leave
// behind; sim_server_run calls it too.
void sim_block_stop_signals();

// Runs until one of those signals. Returns the process exit code.
int sim_server_run(const SimServerOptions& opt);
