// The control's command table, the helpers every command and key shares,
// and `set`, `get` and `state` over the keys of every part of the model
// (sim_model.h) and of the engine itself.
#include "sim/sim_control.h"

#include <cstdarg>
#include <cstring>

#include "sim/sim_util.h"

bool ctl_fail(SimCtl& c, const char* f, ...) {
    char text[160];
    va_list ap;
    va_start(ap, f);
    vsnprintf(text, sizeof text, f, ap);
    va_end(ap);
    *c.err = text;
    return false;
}

bool ctl_want_args(SimCtl& c, size_t min, size_t max) {
    if (c.tok.size() < min || c.tok.size() > max)
        return ctl_fail(c, "wrong number of arguments to '%.*s'", SIM_SV(c.tok[0]));
    return true;
}

bool ctl_num(SimCtl& c, std::string_view text, uint32_t max, uint32_t* v) {
    if (!sim_parse_u32(text, v) || *v > max)
        return ctl_fail(c, "bad number '%.*s'", SIM_SV(text));
    return true;
}

bool ctl_opt_num(SimCtl& c, size_t i, uint32_t max, uint32_t def, uint32_t* v) {
    *v = def;
    return i >= c.tok.size() || ctl_num(c, c.tok[i], max, v);
}

bool ctl_addr(SimCtl& c, std::string_view text, uint32_t* addr) {
    if (!ctl_num(c, text, 0xFFFFFFFF, addr))
        return false;
    if (*addr & 3)
        return ctl_fail(c, "unaligned address '%.*s'", SIM_SV(text));
    return true;
}

std::string sim_fmt(const char* f, uint32_t v) {
    char b[32];
    snprintf(b, sizeof b, f, v);
    return b;
}

bool ctl_set_text(SimCtl& c, std::string* dst, size_t max) {
    const std::string_view text = c.tok.size() > 2 ? sim_rest(c.line, c.tok[2]) : std::string_view{};
    if (text.size() > max)
        return ctl_fail(c, "text longer than %zu bytes", max);
    // `get` prints the text as a line of its own, where these would read
    // as the reply's verdict.
    if (text == "ok" || text.substr(0, 5) == "error")
        return ctl_fail(c, "text would read as a reply verdict");
    *dst = text;
    return true;
}

static bool word_addr(SimCtl& c, bool by_number, uint32_t* addr) {
    return by_number ? ctl_num(c, c.tok[2], 0xFFFFFFFF, addr) : ctl_addr(c, c.tok[2], addr);
}

bool ctl_set_word(SimCtl& c, std::map<uint32_t, uint32_t>* words, bool by_number) {
    uint32_t addr, value;
    if (!ctl_want_args(c, 4, 4) || !word_addr(c, by_number, &addr) ||
        !ctl_num(c, c.tok[3], 0xFFFFFFFF, &value))
        return false;
    sim_put_word(words, addr, value);
    return true;
}

bool ctl_get_word(SimCtl& c, const std::map<uint32_t, uint32_t>& words, bool by_number) {
    uint32_t addr;
    if (!ctl_want_args(c, 3, 3) || !word_addr(c, by_number, &addr))
        return false;
    c.out->push_back(sim_fmt("0x%08x", sim_word(words, addr)));
    return true;
}

bool ctl_set_field(SimCtl& c, std::span<const char* const> names, uint32_t* fields) {
    uint32_t v;
    if (!ctl_want_args(c, 4, 4))
        return false;
    for (size_t i = 0; i < names.size(); ++i) {
        if (c.tok[2] == names[i]) {
            if (!ctl_num(c, c.tok[3], 0xFFFFFFFF, &v))
                return false;
            fields[i] = v;
            return true;
        }
    }
    return ctl_fail(c, "unknown field '%.*s'", SIM_SV(c.tok[2]));
}

void ctl_field_lines(const char* key, std::span<const char* const> names, const uint32_t* fields,
                     std::vector<std::string>* out) {
    for (size_t i = 0; i < names.size(); ++i)
        out->push_back(std::string(key) + "." + names[i] + "=" + sim_fmt("%u", fields[i]));
}

std::string ctl_word_list(const char* key, std::span<const uint32_t> words, const char* format) {
    std::string line = std::string(key) + "=";
    for (size_t i = 0; i < words.size(); ++i)
        line += (i > 0 ? " " : "") + sim_fmt(format, words[i]);
    return line;
}

namespace {

// ---- the engine's own keys ----

bool set_peer(SimCtl& c) {
    uint32_t port;
    if (!ctl_want_args(c, 3, 3) || !ctl_num(c, c.tok[2], 0xFFFFFFFF, &port))
        return false;
    c.s->peer = port;
    c.s->have_peer = true;
    return true;
}

void peer_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back(s.have_peer ? "peer=" + sim_fmt("%u", s.peer) : std::string("peer=none"));
}

// Datagram counts since the last reset, beyond what the logs keep.
void rx_count_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back("rx_count=" + std::to_string(s.rx_count));
}

void tx_count_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back("tx_count=" + std::to_string(s.tx_count));
}

constexpr SimKey kEngineKeys[] = {
    {.name = "peer", .set_words = set_peer, .set_usage = "PORT", .state_lines = peer_lines},
    {.name = "faults",
     .format = "%u",
     .get = [](const Sim& s) -> uint32_t { return static_cast<uint32_t>(s.faults.size()); }},
    {.name = "pending",
     .format = "%u",
     .get = [](const Sim& s) -> uint32_t { return static_cast<uint32_t>(s.pending.size()); }},
    {.name = "rx_count", .state_lines = rx_count_lines},
    {.name = "tx_count", .state_lines = tx_count_lines},
};

const SimKey* find_key(std::string_view name) {
    for (const SimKey* k : sim_keys())
        if (name == k->name)
            return k;
    return nullptr;
}

// ---- set, get, state ----

bool ctl_set(SimCtl& c) {
    if (c.tok.size() < 2)
        return ctl_fail(c, "set what?");
    const SimKey* k = find_key(c.tok[1]);
    if (k != nullptr && k->set != nullptr) {
        uint32_t v;
        if (!ctl_want_args(c, 3, 3) || !ctl_num(c, c.tok[2], k->max, &v))
            return false;
        if (v < k->min)
            return ctl_fail(c, "bad number '%.*s'", SIM_SV(c.tok[2]));
        if (k->aligned && (v & 3))
            return ctl_fail(c, "unaligned address '%.*s'", SIM_SV(c.tok[2]));
        k->set(c.s, v);
        return true;
    }
    if (k != nullptr && k->set_words != nullptr)
        return k->set_words(c);
    return ctl_fail(c, "unknown setting '%.*s'", SIM_SV(c.tok[1]));
}

// A key without words of its own is read from its state line.
bool ctl_get(SimCtl& c) {
    if (c.tok.size() < 2)
        return ctl_fail(c, "get what?");
    const std::string_view key = c.tok[1];
    const SimKey* k = find_key(key);
    if (k != nullptr && k->get_words != nullptr)
        return k->get_words(c);
    if (!ctl_want_args(c, 2, 2))
        return false;
    std::vector<std::string> lines;
    sim_state_lines(*c.s, &lines);
    for (const std::string& l : lines) {
        if (l.size() > key.size() && l.compare(0, key.size(), key) == 0 && l[key.size()] == '=') {
            c.out->push_back(l.substr(key.size() + 1));
            return true;
        }
    }
    return ctl_fail(c, "unknown setting '%.*s'", SIM_SV(key));
}

bool ctl_state(SimCtl& c) {
    if (!ctl_want_args(c, 1, 1))
        return false;
    sim_state_lines(*c.s, c.out);
    return true;
}

// ---- the rest ----

bool ctl_ping(SimCtl& c) {
    return ctl_want_args(c, 1, 1);
}

bool ctl_reset(SimCtl& c) {
    if (!ctl_want_args(c, 1, 1))
        return false;
    sim_reset(c.s);
    return true;
}

// The driver takes up the file its path names, as at its start.
bool ctl_load(SimCtl& c) {
    if (!ctl_want_args(c, 2, 2))
        return false;
    if (c.tok[1] != "sdd")
        return ctl_fail(c, "load what?");
    SimDriver& d = c.s->model.drv;
    std::vector<uint8_t> bytes;
    if (const RqmFileStatus r = drv_read_sdd_file(d, &bytes); r != RQM_FILE_OK)
        return ctl_fail(c, "cannot read '%s'%s", d.sdd_path.c_str(), sim_file_status_text(r));
    d.sdd = std::move(bytes);
    return true;
}

bool ctl_help(SimCtl& c);

struct Command {
    const char* name;
    bool (*fn)(SimCtl& c);
    const char* usage;  // nullptr: made from the keys
};

constexpr Command kCommands[] = {
    {"ping", ctl_ping, "ping"},
    {"log", ctl_log, "log [clear]"},
    {"sent", ctl_sent, "sent [clear]"},
    {"send", ctl_send,
     "send boot STATE RES | startup [WINDOW] | exception [REASON [ADDR]] | trace [CODE] | raw HEX | "
     "split HEX N  [to PORT]"},
    {"fault", ctl_fault, "fault ID KIND [ARG] [COUNT] [after N] | fault clear | fault list"},
    {"set", ctl_set, nullptr},
    {"get", ctl_get, nullptr},
    {"load", ctl_load, "load sdd"},
    {"state", ctl_state, "state"},
    {"reset", ctl_reset, "reset"},
    {"help", ctl_help, "help"},
};

// The forms of set and get beyond KEY VALUE and KEY, one per key that has one.
std::string key_usage(bool set) {
    std::string line = set ? "set KEY VALUE (see state)" : "get KEY";
    for (const SimKey* k : sim_keys()) {
        const char* usage = set ? k->set_usage : k->get_usage;
        if (usage != nullptr)
            line += std::string(" | ") + k->name + (*usage != '\0' ? " " : "") + usage;
    }
    return line;
}

bool ctl_help(SimCtl& c) {
    for (const Command& cmd : kCommands)
        c.out->push_back(cmd.usage != nullptr ? std::string(cmd.usage) : key_usage(cmd.fn == ctl_set));
    return true;
}

}  // namespace

std::vector<const SimKey*> sim_keys() {
    std::vector<const SimKey*> keys;
    for (const SimPart* p : sim_parts())
        for (const SimKey& k : p->keys)
            keys.push_back(&k);
    for (const SimKey& k : kEngineKeys)
        keys.push_back(&k);
    return keys;
}

void sim_state_lines(const Sim& s, std::vector<std::string>* out) {
    for (const SimKey* k : sim_keys()) {
        if (k->get != nullptr && k->format != nullptr)
            out->push_back(std::string(k->name) + "=" + sim_fmt(k->format, k->get(s)));
        if (k->state_lines != nullptr)
            k->state_lines(s, out);
    }
}

bool sim_control_exec(Sim* s, std::string_view line, std::vector<std::string>* out, std::string* err) {
    SimCtl c{s, line, sim_tokens(line), out, err};
    if (c.tok.empty())
        return ctl_fail(c, "empty command");
    for (const Command& cmd : kCommands)
        if (c.tok[0] == cmd.name)
            return cmd.fn(c);
    return ctl_fail(c, "unknown command '%.*s'", SIM_SV(c.tok[0]));
}
