// rqmsimctl: one control command to a running rqmsim, for shell use.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sim/sim_client.h"
#include "sim/sim_util.h"
#include "transport/netlink_peer.h"

int main(int argc, char** argv) {
    uint32_t port = RQMSIM_DEFAULT_PORT;
    if (const char* env = getenv("RQMSIM_PORT");
        env != nullptr && *env != '\0' && (!sim_parse_u32(env, &port) || port == 0)) {
        fprintf(stderr, "rqmsimctl: bad RQMSIM_PORT '%s'\n", env);
        return 1;
    }
    int i = 1;
    if (i + 1 < argc && strcmp(argv[i], "--port") == 0) {
        if (!sim_parse_u32(argv[i + 1], &port)) {
            fprintf(stderr, "rqmsimctl: bad port '%s'\n", argv[i + 1]);
            return 1;
        }
        i += 2;
    }
    if (i >= argc) {
        fputs("usage: rqmsimctl [--port N] COMMAND [ARG...]   (rqmsimctl help lists the commands)\n", stderr);
        return 1;
    }
    std::string line = argv[i];
    for (++i; i < argc; ++i)
        line += std::string(" ") + argv[i];

    std::vector<std::string> out;
    std::string err;
    const bool ok = sim_control(port, line, &out, &err);
    for (const std::string& l : out)
        puts(l.c_str());
    if (!ok) {
        fprintf(stderr, "error %s\n", err.c_str());
        return 1;
    }
    return 0;
}
