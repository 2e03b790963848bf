#include <unistd.h>

#include "netlink_peer.h"
#include "netlink_peer_rqmsim.h"

// rqmsim is a user process, so the simulation programs reach it on the
// user-socket protocol at the port it was started with.

int peer_socket() {
    uint32_t port;
    if (!rqmsim_port(&port))
        return -1;
    return socket(AF_NETLINK, SOCK_RAW, NETLINK_USERSOCK);
}

socklen_t peer_own_address(PeerAddress* addr) {
    return peer_netlink_address(addr, static_cast<uint32_t>(getpid()));
}

socklen_t peer_destination(PeerAddress* addr) {
    uint32_t port = RQMSIM_DEFAULT_PORT;
    rqmsim_port(&port);  // refused already by peer_socket when it is bad
    return peer_netlink_address(addr, port);
}
