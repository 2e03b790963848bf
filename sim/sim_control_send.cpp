// `send`: a message to a client as the driver or firmware would send it,
// or raw bytes, whole or split.
#include <cstring>

#include "sim/sim_control.h"
#include "sim/sim_util.h"

namespace {

struct Outgoing {
    std::vector<uint8_t> msg;
    bool stamp;
    size_t split_at;
};

bool send_boot(SimCtl& c, Outgoing* o) {
    uint32_t state, res;
    if (!ctl_want_args(c, 4, 4) || !ctl_num(c, c.tok[2], 0xFFFFFFFF, &state) ||
        !ctl_num(c, c.tok[3], 0xFFFFFFFF, &res))
        return false;
    o->msg = drv_boot_ind(state, res);
    return true;
}

bool send_startup(SimCtl& c, Outgoing* o) {
    uint32_t window;
    if (!ctl_want_args(c, 2, 3) || !ctl_opt_num(c, 2, 0xFFFF, c.s->model.fw.window, &window))
        return false;
    o->msg = fw_startup_ind(c.s->model.fw, static_cast<uint16_t>(window));
    o->stamp = true;
    return true;
}

bool send_exception(SimCtl& c, Outgoing* o) {
    uint32_t reason, address;
    if (!ctl_want_args(c, 2, 4) || !ctl_opt_num(c, 2, 0xFFFFFFFF, 1, &reason) ||
        !ctl_opt_num(c, 3, 0xFFFFFFFF, 0, &address))
        return false;
    o->msg = fw_exception_ind(reason, address);
    return true;
}

bool send_trace(SimCtl& c, Outgoing* o) {
    uint32_t code;
    if (!ctl_want_args(c, 2, 3) || !ctl_opt_num(c, 2, 0xFFFFFFFF, 0, &code))
        return false;
    o->msg = fw_trace_ind(code);
    o->stamp = true;
    return true;
}

bool parse_payload(SimCtl& c, std::string_view hex, std::vector<uint8_t>* msg) {
    if (!sim_parse_hex(hex, msg))
        return ctl_fail(c, "bad hex '%.*s'", SIM_SV(hex.substr(0, 32)));
    if (msg->size() > SIM_RAW_MAX)
        return ctl_fail(c, "payload above %zu bytes", SIM_RAW_MAX);
    return true;
}

bool send_raw(SimCtl& c, Outgoing* o) {
    return ctl_want_args(c, 3, 3) && parse_payload(c, c.tok[2], &o->msg);
}

bool send_split(SimCtl& c, Outgoing* o) {
    uint32_t n;
    if (!ctl_want_args(c, 4, 4) || !parse_payload(c, c.tok[2], &o->msg) ||
        !ctl_num(c, c.tok[3], 0xFFFFFFFF, &n))
        return false;
    if (n == 0 || n >= o->msg.size())
        return ctl_fail(c, "split point '%.*s' not inside the message", SIM_SV(c.tok[3]));
    o->split_at = n;
    return true;
}

struct SendKind {
    const char* name;
    bool (*build)(SimCtl& c, Outgoing* o);
};

constexpr SendKind kSendKinds[] = {
    {"boot", send_boot},   {"startup", send_startup}, {"exception", send_exception},
    {"trace", send_trace}, {"raw", send_raw},         {"split", send_split},
};

}  // namespace

bool ctl_send(SimCtl& c) {
    bool have_port = c.s->have_peer;
    uint32_t port = c.s->peer;
    const size_t n = c.tok.size();
    if (n >= 4 && c.tok[n - 2] == "to") {
        if (!ctl_num(c, c.tok[n - 1], 0xFFFFFFFF, &port))
            return false;
        have_port = true;
        c.tok.resize(n - 2);
    }
    if (c.tok.size() < 2)
        return ctl_fail(c, "send what?");
    const SendKind* kind = nullptr;
    for (const SendKind& k : kSendKinds)
        if (c.tok[1] == k.name)
            kind = &k;
    if (kind == nullptr)
        return ctl_fail(c, "unknown message '%.*s'", SIM_SV(c.tok[1]));
    Outgoing o{{}, false, 0};
    if (!kind->build(c, &o))
        return false;
    if (!have_port)
        return ctl_fail(c, "no peer");
    const int e = sim_send_now(c.s, port, std::move(o.msg), o.stamp, o.split_at);
    if (e != 0)
        return ctl_fail(c, "send failed: %s", strerror(e));
    return true;
}
