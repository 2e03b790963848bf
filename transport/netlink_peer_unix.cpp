#include <unistd.h>

#include "netlink_peer.h"
#include "netlink_peer_rqmsim.h"

// rqmsim over a Unix datagram socket: the ARM simulation programs run under
// qemu's user mode, which passes these through where it refuses a netlink
// socket. The client's name carries its process id, which rqmsim takes for
// its port as it takes a netlink sender's.

int peer_socket() {
    uint32_t port;
    if (!rqmsim_port(&port))
        return -1;
    return socket(AF_UNIX, SOCK_DGRAM, 0);
}

socklen_t peer_own_address(PeerAddress* addr) {
    uint32_t port = RQMSIM_DEFAULT_PORT;
    rqmsim_port(&port);
    return rqmsim_client_address(port, static_cast<uint32_t>(getpid()), &addr->un);
}

socklen_t peer_destination(PeerAddress* addr) {
    uint32_t port = RQMSIM_DEFAULT_PORT;
    rqmsim_port(&port);
    return rqmsim_dgram_address(port, &addr->un);
}
