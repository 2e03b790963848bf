// rqmsim: the stand-in for the Wi-Fi driver and its test firmware.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/sim_server.h"
#include "sim/sim_util.h"
#include "transport/netlink_peer.h"

static int usage() {
    fputs(
        "usage: rqmsim [--port N] [--log FILE] [--peer PORT]\n"
        "  --port N     netlink port to bind, and the Unix datagram socket rqmsim.N.dgram\n"
        "               (default: $RQMSIM_PORT, else 4200000)\n"
        "  --log FILE   copy of the diagnostics (unmodelled requests, sequence errors)\n"
        "  --peer PORT  where control-sent messages go before any datagram arrives\n",
        stderr);
    return 1;
}

int main(int argc, char** argv) {
    SimServerOptions opt{RQMSIM_DEFAULT_PORT, nullptr, false, 0};
    if (const char* env = getenv("RQMSIM_PORT");
        env != nullptr && *env != '\0' && (!sim_parse_u32(env, &opt.port) || opt.port == 0)) {
        fprintf(stderr, "rqmsim: bad RQMSIM_PORT '%s'\n", env);
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (strcmp(argv[i], "--port") == 0 && has_value) {
            if (!sim_parse_u32(argv[++i], &opt.port) || opt.port == 0)
                return usage();
        } else if (strcmp(argv[i], "--log") == 0 && has_value) {
            opt.log_path = argv[++i];
        } else if (strcmp(argv[i], "--peer") == 0 && has_value) {
            if (!sim_parse_u32(argv[++i], &opt.peer))
                return usage();
            opt.have_peer = true;
        } else {
            return usage();
        }
    }
    return sim_server_run(opt);
}
