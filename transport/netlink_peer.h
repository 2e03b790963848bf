// Who is at the other end of the driver channel, and how it is reached.
//
// The channel code is the same in every program; only this choice differs,
// and it is made by which object is linked in:
//   netlink_peer_kernel.cpp  the shipped programs: the Wi-Fi driver, on its
//                            own netlink protocol
//   netlink_peer_sim.cpp     the host's simulation programs and the tests:
//                            rqmsim, on the netlink user-socket protocol
//   netlink_peer_unix.cpp    the ARM simulation programs: rqmsim over a Unix
//                            datagram socket, which qemu's user mode passes
//                            through (it refuses netlink sockets of any
//                            protocol but a few of the kernel's own)
// Every peer carries the same datagrams: the 16-byte netlink header, then
// the HI message. The two simulation peers also stand for what a program
// run on a host does differently from the board (no outside daemons, no
// /sdcard).
#pragma once

#include <linux/netlink.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

// An address of the peer's socket family.
union PeerAddress {
    sockaddr sa;
    sockaddr_nl nl;
    sockaddr_un un;
};

// A netlink address: family, port id, no groups.
inline socklen_t peer_netlink_address(PeerAddress* addr, uint32_t port) {
    *addr = PeerAddress{};
    addr->nl.nl_family = AF_NETLINK;
    addr->nl.nl_pid = port;
    addr->nl.nl_groups = 0;
    return sizeof addr->nl;
}

// Creates the channel's socket: socket()'s result, or -1 when the peer
// cannot be named (the reason is on stderr).
int peer_socket();
// The address the socket is bound to, this process's own; returns its length.
socklen_t peer_own_address(PeerAddress* addr);
// The destination of every send; returns its length.
socklen_t peer_destination(PeerAddress* addr);
// A send the socket refused with errno err. The simulation peers tell, on
// stderr and once, where they looked for the stand-in and how to start it;
// the driver's peer says nothing.
void peer_send_refused(int err);

// Runs a shell command that reaches outside the tool (another daemon on
// the board). Only the shipped programs run it; the simulation programs
// must never touch processes of the machine they run on, and answer 0.
int netlink_peer_system(const char* command);

// The file read_reg appends the chip's RAM to.
const char* peer_ram_dump_path();
inline constexpr char BOARD_RAM_DUMP_PATH[] = "/sdcard/ram.bin";

// Port of rqmsim when RQMSIM_PORT is not set. Process ids never reach it
// (the kernel caps them at 2^22), so it cannot clash with a client's bind.
inline constexpr uint32_t RQMSIM_DEFAULT_PORT = 4200000;

// rqmsim's Unix datagram socket for a port, and the name a client of it
// binds: abstract names (no file), "rqmsim.<port>.dgram" and
// "rqmsim.<port>.client.<client>", the client being its process id as on
// netlink. Each fills addr and returns the length to bind or send to.
inline socklen_t rqmsim_abstract_length(int name_length) {
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(name_length));
}
inline socklen_t rqmsim_dgram_address(uint32_t port, sockaddr_un* addr) {
    *addr = sockaddr_un{};
    addr->sun_family = AF_UNIX;
    return rqmsim_abstract_length(
        snprintf(addr->sun_path + 1, sizeof addr->sun_path - 1, "rqmsim.%u.dgram", port));
}
inline socklen_t rqmsim_client_address(uint32_t port, uint32_t client, sockaddr_un* addr) {
    *addr = sockaddr_un{};
    addr->sun_family = AF_UNIX;
    return rqmsim_abstract_length(
        snprintf(addr->sun_path + 1, sizeof addr->sun_path - 1, "rqmsim.%u.client.%u", port, client));
}
