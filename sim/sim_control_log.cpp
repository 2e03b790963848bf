// `log` and `sent`: the datagrams received and sent, oldest first.
#include "sim/sim_control.h"
#include "sim/sim_util.h"

static bool dump_log(SimCtl& c, std::deque<std::vector<uint8_t>>* log, const char* prefix) {
    if (!ctl_want_args(c, 1, 2))
        return false;
    if (c.tok.size() == 2) {
        if (c.tok[1] != "clear")
            return ctl_fail(c, "unknown argument '%.*s'", SIM_SV(c.tok[1]));
        log->clear();
        return true;
    }
    for (const auto& dg : *log)
        c.out->push_back(prefix + sim_hex(dg));
    return true;
}

bool ctl_log(SimCtl& c) {
    return dump_log(c, &c.s->rx_log, "rx ");
}

bool ctl_sent(SimCtl& c) {
    return dump_log(c, &c.s->tx_log, "tx ");
}
