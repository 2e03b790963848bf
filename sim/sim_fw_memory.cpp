#include "sim/sim_fw_memory.h"

#include "sim/sim_core.h"
#include "sim/sim_model.h"

// The unsigned difference also rejects addresses below the base.
static bool in_mib(const SimFirmware& fw, uint32_t addr) {
    return addr - fw.mib_base < SIM_MIB_SIZE;
}

uint32_t fw_mem_read(const SimFirmware& fw, uint32_t addr) {
    if (in_mib(fw, addr))
        return hi_rd32(fw.memory.mib.data() + (addr - fw.mib_base));
    auto it = fw.memory.words.find(addr);
    return it == fw.memory.words.end() ? 0 : it->second;
}

void fw_mem_write(SimFirmware* fw, uint32_t addr, uint32_t value) {
    if (in_mib(*fw, addr)) {
        hi_wr32(fw->memory.mib.data() + (addr - fw->mib_base), value);
        return;
    }
    // Zero is what an unset word reads, so it needs no entry.
    if (value == 0)
        fw->memory.words.erase(addr);
    else
        fw->memory.words[addr] = value;
}

namespace {

void memory_reset(SimModel* m) {
    m->fw.memory.words.clear();
    m->fw.memory.regs.clear();
    m->fw.memory.mib.fill(0);
}

// ---- control keys ----

bool set_mem(SimCtl& c) {
    uint32_t addr, value;
    if (!ctl_want_args(c, 4, 4) || !ctl_addr(c, c.tok[2], &addr) || !ctl_num(c, c.tok[3], 0xFFFFFFFF, &value))
        return false;
    fw_mem_write(&c.s->model.fw, addr, value);
    return true;
}

bool get_mem(SimCtl& c) {
    uint32_t addr;
    if (!ctl_want_args(c, 3, 3) || !ctl_addr(c, c.tok[2], &addr))
        return false;
    c.out->push_back(sim_fmt("0x%08x", fw_mem_read(c.s->model.fw, addr)));
    return true;
}

bool set_reg(SimCtl& c) {
    return ctl_set_word(c, &c.s->model.fw.memory.regs);
}

bool get_reg(SimCtl& c) {
    return ctl_get_word(c, c.s->model.fw.memory.regs);
}

constexpr SimKey kKeys[] = {
    {.name = "mem",
     .set_words = set_mem,
     .set_usage = "ADDR VALUE",
     .get_words = get_mem,
     .get_usage = "ADDR"},
    {.name = "reg",
     .set_words = set_reg,
     .set_usage = "ADDR VALUE",
     .get_words = get_reg,
     .get_usage = "ADDR"},
};

}  // namespace

constexpr SimPart sim_memory_part = {"memory", memory_reset, {}, kKeys};
