#include "sim/sim_fw_efuse.h"

#include <cstring>

#include "sim/sim_core.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

namespace {

void efuse_reset(SimModel* m) {
    m->fw.efuse.bytes.fill(0);
}

// ---- control keys ----

bool set_efuse(SimCtl& c) {
    uint32_t off;
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 4, 4) || !ctl_num(c, c.tok[2], SIM_EFUSE_SIZE - 1, &off))
        return false;
    if (!sim_parse_hex(c.tok[3], &bytes) || bytes.size() > SIM_EFUSE_SIZE - off)
        return ctl_fail(c, "bad efuse bytes '%.*s'", SIM_SV(c.tok[3].substr(0, 32)));
    memcpy(c.s->model.fw.efuse.bytes.data() + off, bytes.data(), bytes.size());
    return true;
}

// All bytes from OFF (default 0), or LEN of them.
bool get_efuse(SimCtl& c) {
    uint32_t off, len;
    if (!ctl_want_args(c, 2, 4) || !ctl_opt_num(c, 2, SIM_EFUSE_SIZE - 1, 0, &off) ||
        !ctl_opt_num(c, 3, SIM_EFUSE_SIZE - off, SIM_EFUSE_SIZE - off, &len))
        return false;
    c.out->push_back(sim_hex(c.s->model.fw.efuse.bytes.data() + off, len));
    return true;
}

constexpr SimKey kKeys[] = {
    {.name = "efuse",
     .set_words = set_efuse,
     .set_usage = "OFF HEX",
     .get_words = get_efuse,
     .get_usage = "[OFF [LEN]]"},
};

}  // namespace

constexpr SimPart sim_efuse_part = {"efuse", efuse_reset, {}, kKeys};
