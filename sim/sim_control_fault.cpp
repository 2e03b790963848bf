// `fault`: shapes the answers to one request id, whichever part answers it.
#include <cstdio>

#include "sim/sim_control.h"

static void list_faults(SimCtl& c) {
    for (const SimFault& f : c.s->faults) {
        char line[96];
        int len = snprintf(line, sizeof line, "%u %s %u %u", f.id, sim_fault_kind_row(f.kind)->name, f.arg,
                           f.remaining);
        if (f.skip > 0 && len > 0 && static_cast<size_t>(len) < sizeof line)
            snprintf(line + len, sizeof line - static_cast<size_t>(len), " after %u", f.skip);
        c.out->push_back(line);
    }
}

bool ctl_fault(SimCtl& c) {
    uint32_t skip = 0;
    const size_t n = c.tok.size();
    if (n >= 5 && c.tok[n - 2] == "after") {
        if (!ctl_num(c, c.tok[n - 1], 0xFFFFFFFF, &skip))
            return false;
        c.tok.resize(n - 2);
    }
    if (c.tok.size() == 2 && c.tok[1] == "clear") {
        c.s->faults.clear();
        return true;
    }
    if (c.tok.size() == 2 && c.tok[1] == "list") {
        list_faults(c);
        return true;
    }
    if (!ctl_want_args(c, 3, 5))
        return false;
    uint32_t id;
    if (!ctl_num(c, c.tok[1], HI_MSG_ID_MASK, &id))
        return false;
    const SimFaultKindRow* row = sim_fault_kind_row(c.tok[2]);
    if (row == nullptr)
        return ctl_fail(c, "unknown fault '%.*s'", SIM_SV(c.tok[2]));
    if (row->arg_use == SIM_ARG_REQUIRED && c.tok.size() < 4)
        return ctl_fail(c, "fault '%.*s' needs ARG", SIM_SV(c.tok[2]));
    uint32_t arg = row->default_arg;
    if (c.tok.size() >= 4) {
        uint32_t v;
        if (!ctl_num(c, c.tok[3], 0xFFFFFFFF, &v))
            return false;
        if (row->arg_use != SIM_ARG_NONE) {
            if (v < row->min_arg || v > row->max_arg)
                return ctl_fail(c, "ARG '%.*s' out of %u..%u", SIM_SV(c.tok[3]), row->min_arg, row->max_arg);
            arg = v;
        }
    }
    uint32_t count;
    if (!ctl_opt_num(c, 4, 0xFFFFFFFF, 0, &count))
        return false;
    sim_set_fault(c.s, SimFault{static_cast<uint16_t>(id), row->kind, arg, count, skip});
    return true;
}
