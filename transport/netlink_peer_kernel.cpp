#include <cstdlib>

#include "netlink_peer.h"

// The Wi-Fi driver listens on its own netlink protocol; the kernel is port 0.
static constexpr int NETLINK_WIFI_DRIVER = 30;

NetlinkPeer netlink_peer() {
    return {NETLINK_WIFI_DRIVER, 0};
}

int netlink_peer_system(const char* command) {
    return system(command);
}
