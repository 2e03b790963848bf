#include <linux/netlink.h>

#include <cerrno>
#include <cstdlib>

#include "netlink_peer.h"

// rqmsim is a user process, so the simulation programs reach it on the
// user-socket protocol at the port it was started with.
NetlinkPeer netlink_peer() {
    uint32_t port = RQMSIM_DEFAULT_PORT;
    if (const char* text = getenv("RQMSIM_PORT"); text != nullptr && *text != '\0') {
        char* end = nullptr;
        errno = 0;
        unsigned long value = strtoul(text, &end, 0);
        if (errno == 0 && *end == '\0' && value > 0 && value <= 0xFFFFFFFFul)
            port = static_cast<uint32_t>(value);
    }
    return {NETLINK_USERSOCK, port};
}

int netlink_peer_system(const char*) {
    return 0;
}
