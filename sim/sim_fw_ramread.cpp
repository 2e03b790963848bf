#include "sim/sim_fw_ramread.h"

#include "sim/sim_core.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

namespace {

constexpr std::array<const char*, RAM_FIELDS> kFieldNames = {"blocks", "length",   "pace",
                                                             "sticky", "produced", "taken"};
constexpr uint32_t DEFAULT_LENGTH = 1024;
constexpr unsigned BUFFERS = 2;

std::map<uint32_t, uint32_t>& ahb(SimModel* m) {
    return *drv_reg_space(&m->drv, SIM_REG_TYPE_AHB);
}

uint32_t word_at(SimModel* m, uint32_t addr) {
    return sim_word(ahb(m), addr);
}

void put_word(SimModel* m, uint32_t addr, uint32_t value) {
    sim_put_word(&ahb(m), addr, value);
}

uint32_t flag_addr(unsigned buffer) {
    return SIM_RAM_FLAG_ADDR + 4 * buffer;
}

bool waiting(SimModel* m, unsigned buffer) {
    return (word_at(m, flag_addr(buffer)) & SIM_RAM_READY) != 0;
}

// Block k goes to buffer k % 2. Buffer 0 is filled only when both are
// free, so whenever both wait, buffer 0 holds the older block and a host
// that takes 0 before 1 takes them in order.
bool announce_next(SimModel* m, int64_t now_ms) {
    SimRamRead& r = m->fw.ramread;
    if (r.f[RAM_BLOCKS] == 0)
        return false;
    const uint32_t k = r.f[RAM_PRODUCED];
    const unsigned buffer = k % BUFFERS;
    if (waiting(m, buffer) || (buffer == 0 && waiting(m, 1)))
        return false;
    if (r.announced_any && r.f[RAM_PACE] != 0 && now_ms - r.last_ms < static_cast<int64_t>(r.f[RAM_PACE]))
        return false;
    const uint32_t length = r.f[RAM_LENGTH] & ~SIM_RAM_READY;
    const uint32_t data = length < SIM_RAM_BUFFER_SIZE ? length : SIM_RAM_BUFFER_SIZE;
    const uint32_t base = SIM_RAM_BUFFER_ADDR + SIM_RAM_BUFFER_SIZE * buffer;
    for (uint32_t off = 0; off < SIM_RAM_BUFFER_SIZE; off += 4) {
        uint32_t w = 0;
        for (uint32_t i = 0; i < 4; ++i)
            if (off + i < data)
                w |= uint32_t{sim_ram_byte(k, off + i)} << (8 * i);
        put_word(m, base + off, w);
    }
    put_word(m, flag_addr(buffer), SIM_RAM_READY | length);
    --r.f[RAM_BLOCKS];
    ++r.f[RAM_PRODUCED];
    r.announced_any = true;
    r.last_ms = now_ms;
    return true;
}

void ramread_reset(SimModel* m) {
    SimRamRead& r = m->fw.ramread;
    r.f.fill(0);
    r.f[RAM_LENGTH] = DEFAULT_LENGTH;
    r.announced_any = false;
    r.last_ms = 0;
}

bool set_ramread(SimCtl& c) {
    return ctl_set_field(c, kFieldNames, c.s->model.fw.ramread.f.data());
}

void ramread_lines(const Sim& s, std::vector<std::string>* out) {
    ctl_field_lines("ramread", kFieldNames, s.model.fw.ramread.f.data(), out);
}

constexpr SimKey kKeys[] = {
    {.name = "ramread", .set_words = set_ramread, .set_usage = "FIELD VALUE", .state_lines = ramread_lines},
};

}  // namespace

uint8_t sim_ram_byte(uint32_t block, uint32_t i) {
    return static_cast<uint8_t>(block + i);
}

void sim_ramread_before_read(SimModel* m, uint32_t addr, uint32_t count, int64_t now_ms) {
    const uint64_t end = uint64_t{addr} + count;
    if (end <= SIM_RAM_FLAG_ADDR || addr >= flag_addr(BUFFERS))
        return;
    while (announce_next(m, now_ms)) {
    }
}

bool sim_ramread_write(SimModel* m, uint32_t addr, uint32_t value) {
    if (addr != flag_addr(0) && addr != flag_addr(1))
        return false;
    SimRamRead& r = m->fw.ramread;
    if ((word_at(m, addr) & SIM_RAM_READY) != 0)
        ++r.f[RAM_TAKEN];
    if (r.f[RAM_STICKY] == 0)
        put_word(m, addr, value);
    return true;
}

constexpr SimPart sim_ramread_part = {"ramread", ramread_reset, {}, kKeys};
