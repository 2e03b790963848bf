#include <unistd.h>

#include <cstdlib>

#include "netlink_peer.h"

// The Wi-Fi driver listens on its own netlink protocol; the kernel is port 0.
static constexpr int NETLINK_WIFI_DRIVER = 30;

int peer_socket() {
    return socket(AF_NETLINK, SOCK_RAW, NETLINK_WIFI_DRIVER);
}

socklen_t peer_own_address(PeerAddress* addr) {
    return peer_netlink_address(addr, static_cast<uint32_t>(getpid()));
}

socklen_t peer_destination(PeerAddress* addr) {
    return peer_netlink_address(addr, 0);
}

void peer_send_refused(int) {}

int netlink_peer_system(const char* command) {
    return system(command);
}

const char* peer_ram_dump_path() {
    return BOARD_RAM_DUMP_PATH;
}
