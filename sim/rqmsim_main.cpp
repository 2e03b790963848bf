// rqmsim: the stand-in for the Wi-Fi driver and its test firmware.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "sim/sim_boot.h"
#include "sim/sim_control.h"
#include "sim/sim_server.h"
#include "sim/sim_util.h"
#include "transport/netlink_peer.h"

static int usage() {
    fputs(
        "usage: rqmsim [--port N] [--log FILE] [--peer PORT] [--sdd FILE]\n"
        "  --port N     netlink port to bind, and the Unix datagram socket rqmsim.N.dgram\n"
        "               (default: $RQMSIM_PORT, else 4200000)\n"
        "  --log FILE   copy of the diagnostics (unmodelled requests, sequence errors)\n"
        "  --peer PORT  where control-sent messages go before any datagram arrives\n"
        "  --sdd FILE   the SDD file the driver holds (default: one of its own,\n"
        "               in a private directory removed at exit)\n",
        stderr);
    return 1;
}

// The tool opens the path from its own directory, so the driver holds it
// whole; the tool's buffer takes no longer path than the driver keeps. A
// file that is no SDD (a directory, a FIFO, a device) stops the start as
// one that cannot be read does.
static bool user_sdd(const char* file, std::string* path) {
    char full[PATH_MAX];
    RqmFileStatus r = RQM_FILE_NO_OPEN;
    const int fd = realpath(file, full) != nullptr ? rqm_open_regular(full, O_RDONLY, &r) : -1;
    if (fd < 0) {
        fprintf(stderr, "rqmsim: cannot read the SDD file %s%s\n", file, sim_file_status_text(r));
        return false;
    }
    close(fd);
    if (strlen(full) > SIM_SDD_PATH_MAX) {
        fprintf(stderr, "rqmsim: SDD path %s is longer than %zu bytes\n", full, SIM_SDD_PATH_MAX);
        return false;
    }
    *path = full;
    return true;
}

int main(int argc, char** argv) {
    SimServerOptions opt{RQMSIM_DEFAULT_PORT, nullptr, false, 0};
    if (const char* env = getenv("RQMSIM_PORT");
        env != nullptr && *env != '\0' && (!sim_parse_u32(env, &opt.port) || opt.port == 0)) {
        fprintf(stderr, "rqmsim: bad RQMSIM_PORT '%s'\n", env);
        return 1;
    }
    // From here on a stop signal waits for the server's loop, which ends
    // and leaves the private directory to be removed below.
    sim_block_stop_signals();
    const char* sdd_file = nullptr;
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
        } else if (strcmp(argv[i], "--sdd") == 0 && has_value) {
            sdd_file = argv[++i];
        } else {
            return usage();
        }
    }
    std::string sdd_path, dir;
    if (sdd_file != nullptr) {
        if (!user_sdd(sdd_file, &sdd_path))
            return 1;
    } else {
        std::string err;
        if (!sim_private_dir_make(&dir, &sdd_path, &err)) {
            fprintf(stderr, "rqmsim: %s\n", err.c_str());
            return 1;
        }
        opt.sdd_own = true;
    }
    opt.sdd_path = sdd_path.c_str();
    const int rc = sim_server_run(opt);
    if (!dir.empty())
        sim_private_dir_remove(dir, sdd_path);
    return rc;
}
