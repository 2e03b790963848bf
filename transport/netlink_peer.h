// Who is at the other end of the netlink channel.
//
// The channel code is the same in every program; only this choice differs,
// and it is made by which object is linked in: netlink_peer_kernel.cpp for
// the shipped programs (the Wi-Fi driver), netlink_peer_sim.cpp for the
// programs that run against the rqmsim stand-in.
#pragma once

#include <cstdint>

struct NetlinkPeer {
    int protocol;   // netlink protocol of the socket
    uint32_t port;  // destination port id of every send
};

// Port of rqmsim when RQMSIM_PORT is not set. Process ids never reach it
// (the kernel caps them at 2^22), so it cannot clash with a client's bind.
inline constexpr uint32_t RQMSIM_DEFAULT_PORT = 4200000;

NetlinkPeer netlink_peer();

// Runs a shell command that reaches outside the tool (another daemon on
// the board). Only the shipped programs run it; the simulation programs
// must never touch processes of the machine they run on, and answer 0.
int netlink_peer_system(const char* command);
