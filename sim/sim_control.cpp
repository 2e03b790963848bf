#include "sim/sim_control.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <map>

#include "sim/sim_util.h"

namespace {

struct CtlCall {
    Sim* s;
    std::string_view line;
    std::vector<std::string_view> tok;
    std::vector<std::string>* out;
    std::string* err;
};

// Views are printed with "%.*s" and this pair.
#define SV(v) static_cast<int>((v).size()), (v).data()

__attribute__((format(printf, 2, 3))) bool fail(CtlCall& c, const char* f, ...) {
    char text[160];
    va_list ap;
    va_start(ap, f);
    vsnprintf(text, sizeof text, f, ap);
    va_end(ap);
    *c.err = text;
    return false;
}

bool parse_num(CtlCall& c, std::string_view text, uint32_t max, uint32_t* v) {
    if (!sim_parse_u32(text, v) || *v > max)
        return fail(c, "bad number '%.*s'", SV(text));
    return true;
}

std::string fmt(const char* f, uint32_t v) {
    char b[32];
    snprintf(b, sizeof b, f, v);
    return b;
}

// Settings that are one number: `set`, `get` and `state` share this table.
struct Scalar {
    const char* name;
    const char* format;
    uint32_t max;
    uint32_t (*get)(const Sim& s);
    void (*set)(Sim* s, uint32_t v);
};

constexpr Scalar kScalars[] = {
    {"connected", "%u", 1, [](const Sim& s) -> uint32_t { return s.model.drv.connected; },
     [](Sim* s, uint32_t v) { s->model.drv.connected = v != 0; }},
    {"window", "%u", 0xFFFF, [](const Sim& s) -> uint32_t { return s.model.fw.window; },
     [](Sim* s, uint32_t v) { s->model.fw.window = static_cast<uint16_t>(v); }},
    {"maxmsg", "%u", 0xFFFF, [](const Sim& s) -> uint32_t { return s.model.fw.max_msg; },
     [](Sim* s, uint32_t v) { s->model.fw.max_msg = static_cast<uint16_t>(v); }},
    {"apiver", "0x%04x", 0xFFFF, [](const Sim& s) -> uint32_t { return s.model.fw.api_ver; },
     [](Sim* s, uint32_t v) { s->model.fw.api_ver = static_cast<uint16_t>(v); }},
    {"mib", "0x%08x", 0xFFFFFFFC, [](const Sim& s) -> uint32_t { return s.model.fw.mib_base; },
     [](Sim* s, uint32_t v) { s->model.fw.mib_base = v; }},
    {"version", "0x%08x", 0xFFFFFFFF, [](const Sim& s) -> uint32_t { return s.model.drv.version; },
     [](Sim* s, uint32_t v) { s->model.drv.version = v; }},
    {"minversion", "0x%08x", 0xFFFFFFFF,
     [](const Sim& s) -> uint32_t { return s.model.drv.min_tool_version; },
     [](Sim* s, uint32_t v) { s->model.drv.min_tool_version = v; }},
    {"cli_len", "%u", 0xFFFFFFFF, [](const Sim& s) -> uint32_t { return s.model.drv.cli_len; },
     [](Sim* s, uint32_t v) { s->model.drv.cli_len = v; }},
    {"wifi", "%u", 1, [](const Sim& s) -> uint32_t { return s.model.drv.wifi_on; },
     [](Sim* s, uint32_t v) { s->model.drv.wifi_on = v != 0; }},
    {"bootind", "%u", 1, [](const Sim& s) -> uint32_t { return s.model.drv.boot_ind; },
     [](Sim* s, uint32_t v) { s->model.drv.boot_ind = v != 0; }},
    {"startuplen", "%u", SIM_STARTUP_MAX_SIZE,
     [](const Sim& s) -> uint32_t { return s.model.fw.startup_len; },
     [](Sim* s, uint32_t v) { s->model.fw.startup_len = static_cast<uint16_t>(v); }},
    {"hwid", "0x%08x", 0xFFFFFFFF, [](const Sim& s) -> uint32_t { return s.model.fw.hwid; },
     [](Sim* s, uint32_t v) { s->model.fw.hwid = v; }},
    {"asleep", "%u", 1, [](const Sim& s) -> uint32_t { return s.model.fw.asleep; },
     [](Sim* s, uint32_t v) { s->model.fw.asleep = v != 0; }},
    {"clockgating", "%u", 1, [](const Sim& s) -> uint32_t { return s.model.fw.clock_gating; },
     [](Sim* s, uint32_t v) { s->model.fw.clock_gating = v; }},
    {"sddlive", "%u", 1, [](const Sim& s) -> uint32_t { return s.model.drv.sdd_live; },
     [](Sim* s, uint32_t v) { s->model.drv.sdd_live = v != 0; }},
    {"selftest", "%u", 0xFFFFFFFF, [](const Sim& s) -> uint32_t { return s.model.fw.self_test_result; },
     [](Sim* s, uint32_t v) { s->model.fw.self_test_result = v; }},
};

const Scalar* find_scalar(std::string_view name) {
    for (const Scalar& sc : kScalars)
        if (name == sc.name)
            return &sc;
    return nullptr;
}

bool want_args(CtlCall& c, size_t min, size_t max) {
    if (c.tok.size() < min || c.tok.size() > max)
        return fail(c, "wrong number of arguments to '%.*s'", SV(c.tok[0]));
    return true;
}

bool parse_addr(CtlCall& c, std::string_view text, uint32_t* addr) {
    if (!parse_num(c, text, 0xFFFFFFFF, addr))
        return false;
    if (*addr & 3)
        return fail(c, "unaligned address '%.*s'", SV(text));
    return true;
}

// ---- log, sent ----

bool dump_log(CtlCall& c, std::deque<std::vector<uint8_t>>* log, const char* prefix) {
    if (!want_args(c, 1, 2))
        return false;
    if (c.tok.size() == 2) {
        if (c.tok[1] != "clear")
            return fail(c, "unknown argument '%.*s'", SV(c.tok[1]));
        log->clear();
        return true;
    }
    for (const auto& dg : *log)
        c.out->push_back(prefix + sim_hex(dg));
    return true;
}

bool ctl_ping(CtlCall& c) {
    return want_args(c, 1, 1);
}
bool ctl_log(CtlCall& c) {
    return dump_log(c, &c.s->rx_log, "rx ");
}
bool ctl_sent(CtlCall& c) {
    return dump_log(c, &c.s->tx_log, "tx ");
}

// ---- send ----

struct Outgoing {
    std::vector<uint8_t> msg;
    bool stamp;
    size_t split_at;
};

// Optional number at tok[i], def when absent.
bool opt_num(CtlCall& c, size_t i, uint32_t max, uint32_t def, uint32_t* v) {
    *v = def;
    return i >= c.tok.size() || parse_num(c, c.tok[i], max, v);
}

bool send_boot(CtlCall& c, Outgoing* o) {
    uint32_t state, res;
    if (!want_args(c, 4, 4) || !parse_num(c, c.tok[2], 0xFFFFFFFF, &state) ||
        !parse_num(c, c.tok[3], 0xFFFFFFFF, &res))
        return false;
    o->msg = drv_boot_ind(state, res);
    return true;
}

bool send_startup(CtlCall& c, Outgoing* o) {
    uint32_t window;
    if (!want_args(c, 2, 3) || !opt_num(c, 2, 0xFFFF, c.s->model.fw.window, &window))
        return false;
    o->msg = fw_startup_ind(c.s->model.fw, static_cast<uint16_t>(window));
    o->stamp = true;
    return true;
}

bool send_exception(CtlCall& c, Outgoing* o) {
    uint32_t reason, address;
    if (!want_args(c, 2, 4) || !opt_num(c, 2, 0xFFFFFFFF, 1, &reason) ||
        !opt_num(c, 3, 0xFFFFFFFF, 0, &address))
        return false;
    o->msg = fw_exception_ind(reason, address);
    return true;
}

bool send_trace(CtlCall& c, Outgoing* o) {
    uint32_t code;
    if (!want_args(c, 2, 3) || !opt_num(c, 2, 0xFFFFFFFF, 0, &code))
        return false;
    o->msg = fw_trace_ind(code);
    o->stamp = true;
    return true;
}

bool parse_payload(CtlCall& c, std::string_view hex, std::vector<uint8_t>* msg) {
    if (!sim_parse_hex(hex, msg))
        return fail(c, "bad hex '%.*s'", SV(hex.substr(0, 32)));
    if (msg->size() > SIM_RAW_MAX)
        return fail(c, "payload above %zu bytes", SIM_RAW_MAX);
    return true;
}

bool send_raw(CtlCall& c, Outgoing* o) {
    return want_args(c, 3, 3) && parse_payload(c, c.tok[2], &o->msg);
}

bool send_split(CtlCall& c, Outgoing* o) {
    uint32_t n;
    if (!want_args(c, 4, 4) || !parse_payload(c, c.tok[2], &o->msg) ||
        !parse_num(c, c.tok[3], 0xFFFFFFFF, &n))
        return false;
    if (n == 0 || n >= o->msg.size())
        return fail(c, "split point '%.*s' not inside the message", SV(c.tok[3]));
    o->split_at = n;
    return true;
}

struct SendKind {
    const char* name;
    bool (*build)(CtlCall& c, Outgoing* o);
};

constexpr SendKind kSendKinds[] = {
    {"boot", send_boot},   {"startup", send_startup}, {"exception", send_exception},
    {"trace", send_trace}, {"raw", send_raw},         {"split", send_split},
};

bool ctl_send(CtlCall& c) {
    bool have_port = c.s->have_peer;
    uint32_t port = c.s->peer;
    const size_t n = c.tok.size();
    if (n >= 4 && c.tok[n - 2] == "to") {
        if (!parse_num(c, c.tok[n - 1], 0xFFFFFFFF, &port))
            return false;
        have_port = true;
        c.tok.resize(n - 2);
    }
    if (c.tok.size() < 2)
        return fail(c, "send what?");
    const SendKind* kind = nullptr;
    for (const SendKind& k : kSendKinds)
        if (c.tok[1] == k.name)
            kind = &k;
    if (kind == nullptr)
        return fail(c, "unknown message '%.*s'", SV(c.tok[1]));
    Outgoing o{{}, false, 0};
    if (!kind->build(c, &o))
        return false;
    if (!have_port)
        return fail(c, "no peer");
    const int e = sim_send_now(c.s, port, std::move(o.msg), o.stamp, o.split_at);
    if (e != 0)
        return fail(c, "send failed: %s", strerror(e));
    return true;
}

// ---- fault ----

bool ctl_fault(CtlCall& c) {
    uint32_t skip = 0;
    const size_t n = c.tok.size();
    if (n >= 5 && c.tok[n - 2] == "after") {
        if (!parse_num(c, c.tok[n - 1], 0xFFFFFFFF, &skip))
            return false;
        c.tok.resize(n - 2);
    }
    if (c.tok.size() == 2 && c.tok[1] == "clear") {
        c.s->faults.clear();
        return true;
    }
    if (c.tok.size() == 2 && c.tok[1] == "list") {
        for (const SimFault& f : c.s->faults) {
            char line[96];
            int len = snprintf(line, sizeof line, "%u %s %u %u", f.id, sim_fault_kind_row(f.kind)->name,
                               f.arg, f.remaining);
            if (f.skip > 0 && len > 0 && static_cast<size_t>(len) < sizeof line)
                snprintf(line + len, sizeof line - static_cast<size_t>(len), " after %u", f.skip);
            c.out->push_back(line);
        }
        return true;
    }
    if (!want_args(c, 3, 5))
        return false;
    uint32_t id;
    if (!parse_num(c, c.tok[1], HI_MSG_ID_MASK, &id))
        return false;
    const SimFaultKindRow* row = sim_fault_kind_row(c.tok[2]);
    if (row == nullptr)
        return fail(c, "unknown fault '%.*s'", SV(c.tok[2]));
    if (row->arg_use == SIM_ARG_REQUIRED && c.tok.size() < 4)
        return fail(c, "fault '%.*s' needs ARG", SV(c.tok[2]));
    uint32_t arg = row->default_arg;
    if (c.tok.size() >= 4) {
        uint32_t v;
        if (!parse_num(c, c.tok[3], 0xFFFFFFFF, &v))
            return false;
        if (row->arg_use != SIM_ARG_NONE) {
            if (v < row->min_arg || v > row->max_arg)
                return fail(c, "ARG '%.*s' out of %u..%u", SV(c.tok[3]), row->min_arg, row->max_arg);
            arg = v;
        }
    }
    uint32_t count;
    if (!opt_num(c, 4, 0xFFFFFFFF, 0, &count))
        return false;
    sim_set_fault(c.s, SimFault{static_cast<uint16_t>(id), row->kind, arg, count, skip});
    return true;
}

// ---- set, get ----

bool set_text(CtlCall& c, std::string* dst, size_t max) {
    const std::string_view text = c.tok.size() > 2 ? sim_rest(c.line, c.tok[2]) : std::string_view{};
    if (text.size() > max)
        return fail(c, "text longer than %zu bytes", max);
    // `get` prints the text as a line of its own, where these would read
    // as the reply's verdict.
    if (text == "ok" || text.substr(0, 5) == "error")
        return fail(c, "text would read as a reply verdict");
    *dst = text;
    return true;
}

bool set_record(CtlCall& c) {
    std::vector<uint8_t> bytes;
    if (!want_args(c, 3, 3))
        return false;
    if (!sim_parse_hex(c.tok[2], &bytes) || bytes.size() != SIM_RECORD_SIZE)
        return fail(c, "record must be %u bytes of hex", SIM_RECORD_SIZE);
    memcpy(c.s->model.drv.record.data(), bytes.data(), SIM_RECORD_SIZE);
    return true;
}

bool set_word_map(CtlCall& c, std::map<uint32_t, uint32_t>* regs) {
    uint32_t addr, value;
    if (!want_args(c, 4, 4) || !parse_addr(c, c.tok[2], &addr) || !parse_num(c, c.tok[3], 0xFFFFFFFF, &value))
        return false;
    if (regs == nullptr)
        fw_mem_write(&c.s->model.fw, addr, value);
    else if (value == 0)
        regs->erase(addr);
    else
        (*regs)[addr] = value;
    return true;
}

bool set_efuse(CtlCall& c) {
    uint32_t off;
    std::vector<uint8_t> bytes;
    if (!want_args(c, 4, 4) || !parse_num(c, c.tok[2], SIM_EFUSE_SIZE - 1, &off))
        return false;
    if (!sim_parse_hex(c.tok[3], &bytes) || bytes.size() > SIM_EFUSE_SIZE - off)
        return fail(c, "bad efuse bytes '%.*s'", SV(c.tok[3].substr(0, 32)));
    memcpy(c.s->model.fw.efuse.data() + off, bytes.data(), bytes.size());
    return true;
}

bool set_engine(CtlCall& c, const char* const* names, size_t count, uint32_t* fields) {
    uint32_t v;
    if (!want_args(c, 4, 4))
        return false;
    const int i = sim_field_index(names, count, c.tok[2]);
    if (i < 0)
        return fail(c, "unknown field '%.*s'", SV(c.tok[2]));
    if (!parse_num(c, c.tok[3], 0xFFFFFFFF, &v))
        return false;
    fields[i] = v;
    return true;
}

bool parse_mac_kind(CtlCall& c, std::string_view text, uint32_t* kind) {
    return parse_num(c, text, SIM_MAC_KINDS - 1, kind);
}

bool set_mac(CtlCall& c) {
    uint32_t kind;
    std::vector<uint8_t> bytes;
    if (!want_args(c, 4, 4) || !parse_mac_kind(c, c.tok[2], &kind))
        return false;
    if (!sim_parse_hex(c.tok[3], &bytes) || bytes.size() != 6)
        return fail(c, "address must be 6 bytes of hex");
    std::copy(bytes.begin(), bytes.end(), c.s->model.fw.macs[kind].begin());
    return true;
}

bool set_hw_test(CtlCall& c) {
    uint32_t test, value;
    if (!want_args(c, 4, 4) || !parse_num(c, c.tok[2], SIM_HW_TESTS, &test) ||
        !parse_num(c, c.tok[3], 0xFFFFFFFF, &value))
        return false;
    if (test == 0)
        return fail(c, "bad number '%.*s'", SV(c.tok[2]));
    c.s->model.fw.hw_test_result[test - 1] = value;
    return true;
}

bool set_ctrl_block(CtlCall& c) {
    std::vector<uint8_t> bytes;
    if (!want_args(c, 3, 3))
        return false;
    if (!sim_parse_hex(c.tok[2], &bytes) || bytes.size() != CTRL_BLOCK_SIZE)
        return fail(c, "control blocks must be %u bytes of hex", CTRL_BLOCK_SIZE);
    std::copy(bytes.begin(), bytes.end(), c.s->model.fw.ctrl_block.begin());
    return true;
}

// `auto` lets the length word tell the truth again.
bool set_sdd_path_len(CtlCall& c) {
    if (!want_args(c, 3, 3))
        return false;
    SimDriver& d = c.s->model.drv;
    if (c.tok[2] == "auto") {
        d.sdd_path_len_forced = false;
        return true;
    }
    uint32_t v;
    if (!parse_num(c, c.tok[2], 0xFFFFFFFF, &v))
        return false;
    d.sdd_path_len_forced = true;
    d.sdd_path_len = v;
    return true;
}

// Without bytes the driver has no SDD in use.
bool set_sdd(CtlCall& c) {
    std::vector<uint8_t> bytes;
    if (!want_args(c, 2, 3))
        return false;
    if (c.tok.size() == 3 && !sim_parse_hex(c.tok[2], &bytes))
        return fail(c, "bad hex");
    c.s->model.drv.sdd = std::move(bytes);
    return true;
}

// The register space a bus name stands for, or nullptr.
std::map<uint32_t, uint32_t>* reg_space_named(Sim* s, std::string_view name) {
    static constexpr const char* kNames[] = {"hif", "ahb", "apb"};
    for (uint32_t i = 0; i < SIM_REG_SPACES; ++i)
        if (name == kNames[i])
            return drv_reg_space(&s->model.drv, SIM_REG_TYPE_HIF + i);
    return nullptr;
}

bool ctl_set(CtlCall& c) {
    if (c.tok.size() < 2)
        return fail(c, "set what?");
    const std::string_view key = c.tok[1];
    SimModel& m = c.s->model;
    if (const Scalar* sc = find_scalar(key)) {
        uint32_t v;
        if (!want_args(c, 3, 3) || !parse_num(c, c.tok[2], sc->max, &v))
            return false;
        if (key == "mib" && (v & 3))
            return fail(c, "unaligned address '%.*s'", SV(c.tok[2]));
        if (key == "startuplen" && v < STARTUP_IND_MIN_SIZE)
            return fail(c, "bad number '%.*s'", SV(c.tok[2]));
        sc->set(c.s, v);
        return true;
    }
    if (key == "peer") {
        uint32_t port;
        if (!want_args(c, 3, 3) || !parse_num(c, c.tok[2], 0xFFFFFFFF, &port))
            return false;
        c.s->peer = port;
        c.s->have_peer = true;
        return true;
    }
    if (key == "record")
        return set_record(c);
    if (key == "label")
        return set_text(c, &m.fw.label, STARTUP_IND_LABEL_SIZE - 1);
    if (key == "sddpath")
        return set_text(c, &m.drv.sdd_path, SIM_SDD_PATH_MAX);
    if (key == "sddpath_len")
        return set_sdd_path_len(c);
    if (key == "sdd")
        return set_sdd(c);
    if (key == "mem")
        return set_word_map(c, nullptr);
    if (key == "reg")
        return set_word_map(c, &m.fw.regs);
    if (std::map<uint32_t, uint32_t>* space = reg_space_named(c.s, key))
        return set_word_map(c, space);
    if (key == "mac")
        return set_mac(c);
    if (key == "hwtest")
        return set_hw_test(c);
    if (key == "ctrlblock")
        return set_ctrl_block(c);
    if (key == "efuse")
        return set_efuse(c);
    if (key == "tx")
        return set_engine(c, sim_tx_field_names.data(), TX_FIELDS, m.fw.tx.data());
    if (key == "rx")
        return set_engine(c, sim_rx_field_names.data(), RX_FIELDS, m.fw.rx.data());
    return fail(c, "unknown setting '%.*s'", SV(key));
}

bool ctl_get(CtlCall& c) {
    if (c.tok.size() < 2)
        return fail(c, "get what?");
    const std::string_view key = c.tok[1];
    const SimFirmware& fw = c.s->model.fw;
    uint32_t addr;
    const std::map<uint32_t, uint32_t>* words = key == "reg" ? &fw.regs : reg_space_named(c.s, key);
    if (key == "mem" || words != nullptr) {
        if (!want_args(c, 3, 3) || !parse_addr(c, c.tok[2], &addr))
            return false;
        uint32_t v = 0;
        if (key == "mem") {
            v = fw_mem_read(fw, addr);
        } else if (auto it = words->find(addr); it != words->end()) {
            v = it->second;
        }
        c.out->push_back(fmt("0x%08x", v));
        return true;
    }
    if (key == "mac") {
        uint32_t kind;
        if (!want_args(c, 3, 3) || !parse_mac_kind(c, c.tok[2], &kind))
            return false;
        c.out->push_back(sim_hex(fw.macs[kind].data(), fw.macs[kind].size()));
        return true;
    }
    if (key == "ctrlblock") {
        if (!want_args(c, 2, 2))
            return false;
        c.out->push_back(sim_hex(fw.ctrl_block.data(), fw.ctrl_block.size()));
        return true;
    }
    if (key == "sdd") {
        if (!want_args(c, 2, 2))
            return false;
        const std::vector<uint8_t>& sdd = c.s->model.drv.sdd;
        c.out->push_back(sdd.empty() ? std::string("none") : sim_hex(sdd));
        return true;
    }
    if (key == "download") {
        if (!want_args(c, 3, 3))
            return false;
        if (c.tok[2] == "sdd54") {
            const SimDriver& d = c.s->model.drv;
            c.out->push_back(d.have_sdd54 ? "bytes " + sim_hex(d.sdd54) : std::string("none"));
            return true;
        }
        if (c.tok[2] != "fw" && c.tok[2] != "sdd")
            return fail(c, "unknown download '%.*s'", SV(c.tok[2]));
        const SimDownload& d = c.tok[2] == "fw" ? c.s->model.drv.fw_download : c.s->model.drv.sdd_download;
        if (!d.have_done)
            c.out->push_back("none");
        else if (d.done_name)
            c.out->push_back(
                "name " + std::string(reinterpret_cast<const char*>(d.done.data()),
                                      strnlen(reinterpret_cast<const char*>(d.done.data()), d.done.size())));
        else
            c.out->push_back("bytes " + sim_hex(d.done));
        return true;
    }
    if (key == "efuse") {
        uint32_t off, len;
        if (!want_args(c, 2, 4) || !opt_num(c, 2, SIM_EFUSE_SIZE - 1, 0, &off) ||
            !opt_num(c, 3, SIM_EFUSE_SIZE - off, SIM_EFUSE_SIZE - off, &len))
            return false;
        c.out->push_back(sim_hex(fw.efuse.data() + off, len));
        return true;
    }
    if (!want_args(c, 2, 2))
        return false;
    std::vector<std::string> lines;
    sim_state_lines(*c.s, &lines);
    for (const std::string& l : lines) {
        if (l.size() > key.size() && l.compare(0, key.size(), key) == 0 && l[key.size()] == '=') {
            c.out->push_back(l.substr(key.size() + 1));
            return true;
        }
    }
    return fail(c, "unknown setting '%.*s'", SV(key));
}

bool ctl_state(CtlCall& c) {
    if (!want_args(c, 1, 1))
        return false;
    sim_state_lines(*c.s, c.out);
    return true;
}

bool ctl_reset(CtlCall& c) {
    if (!want_args(c, 1, 1))
        return false;
    sim_reset(c.s);
    return true;
}

// The driver takes up the file its path names, as at its start.
bool ctl_load(CtlCall& c) {
    if (!want_args(c, 2, 2))
        return false;
    if (c.tok[1] != "sdd")
        return fail(c, "load what?");
    SimDriver& d = c.s->model.drv;
    std::vector<uint8_t> bytes;
    if (!drv_read_sdd_file(d, &bytes))
        return fail(c, "cannot read '%s'", d.sdd_path.c_str());
    d.sdd = std::move(bytes);
    return true;
}

bool ctl_help(CtlCall& c);

struct Command {
    const char* name;
    bool (*fn)(CtlCall& c);
    const char* usage;
};

constexpr Command kCommands[] = {
    {"ping", ctl_ping, "ping"},
    {"log", ctl_log, "log [clear]"},
    {"sent", ctl_sent, "sent [clear]"},
    {"send", ctl_send,
     "send boot STATE RES | startup [WINDOW] | exception [REASON [ADDR]] | trace [CODE] | raw HEX | "
     "split HEX N  [to PORT]"},
    {"fault", ctl_fault, "fault ID KIND [ARG] [COUNT] [after N] | fault clear | fault list"},
    {"set", ctl_set,
     "set KEY VALUE (see state) | mem ADDR VALUE | reg ADDR VALUE | hif|ahb|apb ADDR VALUE | efuse OFF HEX | "
     "tx|rx FIELD VALUE | mac KIND HEX | hwtest ID VALUE | ctrlblock HEX | sddpath_len N|auto | sdd [HEX]"},
    {"get", ctl_get,
     "get KEY | mem ADDR | reg ADDR | hif|ahb|apb ADDR | efuse [OFF [LEN]] | mac KIND | ctrlblock | "
     "sdd | download fw|sdd|sdd54"},
    {"load", ctl_load, "load sdd"},
    {"state", ctl_state, "state"},
    {"reset", ctl_reset, "reset"},
    {"help", ctl_help, "help"},
};

bool ctl_help(CtlCall& c) {
    for (const Command& cmd : kCommands)
        c.out->push_back(cmd.usage);
    return true;
}

}  // namespace

void sim_state_lines(const Sim& s, std::vector<std::string>* out) {
    const SimDriver& d = s.model.drv;
    const SimFirmware& fw = s.model.fw;
    for (const Scalar& sc : kScalars)
        out->push_back(std::string(sc.name) + "=" + fmt(sc.format, sc.get(s)));
    out->push_back(s.have_peer ? "peer=" + fmt("%u", s.peer) : std::string("peer=none"));
    out->push_back("numbering=" + fmt("%u", fw.numbering));
    out->push_back(fw.numbering ? "numbering_port=" + fmt("%u", fw.numbering_port)
                                : std::string("numbering_port=none"));
    out->push_back("next_tx_seq=" + fmt("%u", fw.next_tx_seq));
    out->push_back("expected_rx_seq=" + fmt("%u", fw.expected_rx_seq));
    out->push_back("label=" + fw.label);
    out->push_back("sddpath=" + d.sdd_path);
    out->push_back(d.sdd_path_len_forced ? "sddpath_len=" + fmt("%u", d.sdd_path_len)
                                         : std::string("sddpath_len=auto"));
    out->push_back("record=" + sim_hex(d.record.data(), d.record.size()));
    out->push_back("faults=" + fmt("%u", static_cast<uint32_t>(s.faults.size())));
    out->push_back("pending=" + fmt("%u", static_cast<uint32_t>(s.pending.size())));
    out->push_back("rx_count=" + std::to_string(s.rx_count));
    out->push_back("tx_count=" + std::to_string(s.tx_count));
    for (size_t i = 0; i < TX_FIELDS; ++i)
        out->push_back(std::string("tx.") + sim_tx_field_names[i] + "=" + fmt("%u", fw.tx[i]));
    for (size_t i = 0; i < RX_FIELDS; ++i)
        out->push_back(std::string("rx.") + sim_rx_field_names[i] + "=" + fmt("%u", fw.rx[i]));
    for (size_t i = 0; i < SIM_MAC_KINDS; ++i)
        out->push_back("mac." + std::to_string(i) + "=" + sim_hex(fw.macs[i].data(), fw.macs[i].size()));
    std::string line = "debugport=";
    for (size_t i = 0; i < fw.debug_port.size(); ++i)
        line += (i > 0 ? " " : "") + fmt("%u", fw.debug_port[i]);
    out->push_back(line);
    line = "hwtest=";
    for (size_t i = 0; i < fw.hw_test_result.size(); ++i)
        line += (i > 0 ? " " : "") + fmt("%u", fw.hw_test_result[i]);
    out->push_back(line);
}

bool sim_control_exec(Sim* s, std::string_view line, std::vector<std::string>* out, std::string* err) {
    CtlCall c{s, line, sim_tokens(line), out, err};
    if (c.tok.empty())
        return fail(c, "empty command");
    for (const Command& cmd : kCommands)
        if (c.tok[0] == cmd.name)
            return cmd.fn(c);
    return fail(c, "unknown command '%.*s'", SV(c.tok[0]));
}
