#include "netlink_peer_rqmsim.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/parse_u32.h"
#include "netlink_peer.h"

// The same forms rqmsim takes for its --port and RQMSIM_PORT, so that both
// ends read one text as one port; 0 is the kernel's own port.
static bool parse_port(std::string_view text, uint32_t* port) {
    uint32_t value = 0;
    if (!rqm_parse_u32(text, &value) || value == 0)
        return false;
    *port = value;
    return true;
}

bool rqmsim_port(uint32_t* port) {
    const char* text = getenv("RQMSIM_PORT");
    if (text == nullptr || *text == '\0') {
        *port = RQMSIM_DEFAULT_PORT;
        return true;
    }
    if (parse_port(text, port))
        return true;
    fprintf(stderr,
            "RQMSIM_PORT \"%s\" is not a port of rqmsim: give 1 to 4294967295, or leave it unset for %u\n",
            text, RQMSIM_DEFAULT_PORT);
    return false;
}

void peer_send_refused(int err) {
    // Nobody holds the port (netlink) or the socket name (Unix datagrams).
    if (err != ECONNREFUSED && err != ENOENT)
        return;
    static std::atomic<bool> told{false};
    if (told.exchange(true))
        return;
    uint32_t port = RQMSIM_DEFAULT_PORT;
    rqmsim_port(&port);
    fprintf(stderr, "rqmsim is not answering on port %u: start it with \"rqmsim --port %u &\"\n", port, port);
}

int netlink_peer_system(const char*) {
    return 0;
}

// RQMSIM_RAMDIR names the directory of the RAM dump; the working directory
// when it is unset or empty.
const char* peer_ram_dump_path() {
    static const std::string path = [] {
        const char* dir = getenv("RQMSIM_RAMDIR");
        if (dir == nullptr || *dir == '\0')
            return std::string("./ram.bin");
        std::string p = dir;
        if (p.back() != '/')
            p += '/';
        return p + "ram.bin";
    }();
    return path.c_str();
}
