#include "sim/sim_fw_memory.h"

#include <algorithm>

#include "sim/sim_core.h"
#include "sim/sim_fw_rx.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

namespace {

// Memory read (0) and write (1): address, 16-bit byte count, 16-bit access
// flags, then a write's data. Word accesses (0x00C0) take the data at the
// address as it is; byte accesses (0) start the data at the word boundary
// below the address, so the first address & 3 bytes are filler, and the
// count includes them.
constexpr uint16_t READ_MEM_REQ_ID = 0;
constexpr uint16_t WRITE_MEM_REQ_ID = 1;
constexpr unsigned MEM_REQ_MIN_SIZE = 12;
constexpr unsigned MEM_ADDR_OFF = 4;
constexpr unsigned MEM_COUNT_OFF = 8;
constexpr unsigned MEM_FLAGS_OFF = 10;
constexpr unsigned MEM_DATA_OFF = 12;
constexpr uint16_t MEM_FLAGS_WORDS = 0x00C0;
constexpr uint16_t MEM_FLAGS_BYTES = 0;
constexpr unsigned MEM_READ_MAX = 1024;
constexpr unsigned MEM_READ_CNF_DATA_OFF = 8;

// Register lists: read (5) and write (6, always 1032 bytes).
constexpr uint16_t READ_REG_LIST_REQ_ID = 5;
constexpr uint16_t WRITE_REG_LIST_REQ_ID = 6;
constexpr unsigned REG_LIST_COUNT_OFF = 4;  // 16-bit
constexpr unsigned REG_LIST_ADDR_OFF = 8;
constexpr unsigned REG_LIST_READ_MIN_SIZE = 8;
constexpr unsigned REG_LIST_READ_MAX = 256;
constexpr unsigned REG_LIST_WRITE_MAX = 128;
constexpr unsigned REG_LIST_WRITE_VALUES_OFF = REG_LIST_ADDR_OFF + 4 * REG_LIST_WRITE_MAX;
constexpr unsigned REG_LIST_WRITE_SIZE = REG_LIST_WRITE_VALUES_OFF + 4 * REG_LIST_WRITE_MAX;

// Hardware registers: read (7) and write (8); the answer keeps the value
// at 8 and the status at 12.
constexpr uint16_t HW_READ_REG_REQ_ID = 7;
constexpr uint16_t HW_WRITE_REG_REQ_ID = 8;
constexpr unsigned HW_REG_REQ_SIZE = 12;
constexpr unsigned HW_REG_ADDR_OFF = 4;
constexpr unsigned HW_REG_VALUE_OFF = 8;
constexpr unsigned HW_REG_CNF_STATUS_OFF = 12;
constexpr unsigned HW_REG_CNF_SIZE = 16;

// One parameter-block word (38): the byte offset and the value.
constexpr uint16_t SET_MIB_REQ_ID = 38;
constexpr unsigned SET_MIB_REQ_SIZE = 16;
constexpr unsigned SET_MIB_OFFSET_OFF = 4;
constexpr unsigned SET_MIB_VALUE_OFF = 8;

// RF access read (58): address at 8, the access parameter at 12.
constexpr uint16_t RF_READ_REQ_ID = 58;
constexpr unsigned RF_READ_REQ_SIZE = 16;
constexpr unsigned RF_READ_ADDR_OFF = 8;
constexpr unsigned WORD_CNF_SIZE = 12;  // status, one word at 8
constexpr unsigned WORD_CNF_VALUE_OFF = 8;
constexpr uint32_t COM_BUS_MODE_RF = 1;
constexpr uint32_t COM_BUS_MODE_MAX = 2;

// GPIO (59): operation, pin and a 16-bit value; the test mode (60).
constexpr uint16_t GPIO_REQ_ID = 59;
constexpr uint16_t GPIO_TEST_MODE_REQ_ID = 60;
constexpr unsigned GPIO_REQ_SIZE = 8;
constexpr unsigned GPIO_OP_OFF = 4;
constexpr unsigned GPIO_PIN_OFF = 5;
constexpr unsigned GPIO_VALUE_OFF = 6;
enum : uint8_t { GPIO_SETUP = 0, GPIO_READ = 1, GPIO_WRITE = 2, GPIO_RESET_TEST_MODE = 3 };

// Register-value block (99): up to 16 pairs from 4, each word most
// significant byte first.
constexpr uint16_t BLOCK_REG_REQ_ID = 99;
constexpr unsigned BLOCK_REG_PAIRS_OFF = 4;
constexpr unsigned BLOCK_REG_MAX_PAIRS = 16;

// PRCM registers: read (272, the value at 12 of the answer), write (273).
constexpr uint16_t READ_PRCM_REQ_ID = 272;
constexpr uint16_t WRITE_PRCM_REQ_ID = 273;
constexpr unsigned PRCM_MSG_SIZE = 16;  // request and answer
constexpr unsigned PRCM_ADDR_OFF = 8;
constexpr unsigned PRCM_VALUE_OFF = 12;

// Com-bus mode: set (686, the mode at 8), read (687).
constexpr uint16_t SET_COM_BUS_REQ_ID = 686;
constexpr uint16_t GET_COM_BUS_REQ_ID = 687;

bool in_mib(const SimFirmware& fw, uint32_t addr) {
    // The unsigned difference also rejects addresses below the base.
    return addr - fw.mib_base < SIM_MIB_SIZE;
}

void page_write8(SimMemory* mem, uint32_t addr, uint8_t value) {
    auto it = mem->pages.find(addr / SIM_PAGE_SIZE);
    if (it == mem->pages.end()) {
        // Zero is what an absent page reads, so it needs no page.
        if (value == 0)
            return;
        it = mem->pages.emplace(addr / SIM_PAGE_SIZE, std::array<uint8_t, SIM_PAGE_SIZE>{}).first;
    }
    it->second[addr % SIM_PAGE_SIZE] = value;
}

}  // namespace

uint8_t fw_mem_read8(const SimFirmware& fw, uint32_t addr) {
    // Words the receive engine owns are its own, whatever reads them.
    if (uint32_t word; sim_rx_mem_read(fw.rx, addr & ~3u, &word))
        return static_cast<uint8_t>(word >> 8 * (addr & 3));
    if (in_mib(fw, addr))
        return fw.memory.mib[addr - fw.mib_base];
    auto it = fw.memory.pages.find(addr / SIM_PAGE_SIZE);
    return it == fw.memory.pages.end() ? 0 : it->second[addr % SIM_PAGE_SIZE];
}

void fw_mem_write8(SimFirmware* fw, uint32_t addr, uint8_t value) {
    if (uint32_t word; sim_rx_mem_read(fw->rx, addr & ~3u, &word)) {
        const uint32_t shift = 8 * (addr & 3);
        sim_rx_mem_write(&fw->rx, addr & ~3u, (word & ~(0xFFu << shift)) | uint32_t{value} << shift);
        return;
    }
    if (!in_mib(*fw, addr)) {
        page_write8(&fw->memory, addr, value);
        return;
    }
    const uint32_t off = addr - fw->mib_base;
    fw->memory.mib[off] = value;
    if (off == SIM_FREQ_OFFSET_MIB_OFF)
        page_write8(&fw->memory, SIM_FREQ_OFFSET_REG, value);
}

uint32_t fw_mem_read(const SimFirmware& fw, uint32_t addr) {
    uint32_t v = 0;
    for (unsigned i = 4; i-- > 0;)
        v = v << 8 | fw_mem_read8(fw, addr + i);
    return v;
}

void fw_mem_write(SimFirmware* fw, uint32_t addr, uint32_t value) {
    for (unsigned i = 0; i < 4; ++i)
        fw_mem_write8(fw, addr + i, static_cast<uint8_t>(value >> (8 * i)));
}

namespace {

void memory_reset(SimModel* m) {
    SimMemory& mem = m->fw.memory;
    mem.pages.clear();
    mem.mib.fill(0);
    mem.regs.clear();
    mem.reg_status = 0;
    mem.prcm.clear();
    mem.com_bus_mode = 0;
    mem.gpio_test_mode = false;
    mem.gpio_levels = 0;
    mem.gpio_config.fill(0);
}

uint32_t rd32(const SimRequest& rq, unsigned off) {
    return hi_rd32(rq.msg.data() + off);
}

uint16_t rd16(const SimRequest& rq, unsigned off) {
    return hi_rd16(rq.msg.data() + off);
}

void refuse(const SimRequest& rq, SimAnswer* ans, unsigned size = STATUS_CNF_SIZE) {
    ans->msgs.push_back(sim_cnf(rq.id, size, SIM_STATUS_REFUSED));
}

// ---- requests ----

void fw_read_mem(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t addr = rd32(rq, MEM_ADDR_OFF);
    const uint16_t count = rd16(rq, MEM_COUNT_OFF);
    if (count == 0 || count > MEM_READ_MAX)
        return refuse(rq, ans);
    std::vector<uint8_t> c = sim_cnf(rq.id, MEM_READ_CNF_DATA_OFF + count, 0);
    for (unsigned i = 0; i < count; ++i)
        c[MEM_READ_CNF_DATA_OFF + i] = fw_mem_read8(m->fw, addr + i);
    ans->msgs.push_back(std::move(c));
}

void fw_write_mem(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t addr = rd32(rq, MEM_ADDR_OFF);
    const uint16_t count = rd16(rq, MEM_COUNT_OFF);
    const uint16_t flags = rd16(rq, MEM_FLAGS_OFF);
    const unsigned lead = flags == MEM_FLAGS_BYTES ? addr & 3 : 0;
    const bool valid = (flags == MEM_FLAGS_WORDS || flags == MEM_FLAGS_BYTES) && count >= lead &&
                       MEM_DATA_OFF + count <= rq.msg.size();
    if (!valid)
        return refuse(rq, ans);
    for (unsigned i = lead; i < count; ++i)
        fw_mem_write8(&m->fw, addr - lead + i, rq.msg[MEM_DATA_OFF + i]);
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

void fw_read_reg_list(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint16_t count = rd16(rq, REG_LIST_COUNT_OFF);
    if (count > REG_LIST_READ_MAX || REG_LIST_ADDR_OFF + 4u * count > rq.msg.size())
        return refuse(rq, ans);
    std::vector<uint8_t> c = sim_cnf(rq.id, HI_MSG_PARAM_OFF + 4u * count, 0);
    for (unsigned i = 0; i < count; ++i)
        hi_wr32(c.data() + HI_MSG_PARAM_OFF + 4 * i, fw_mem_read(m->fw, rd32(rq, REG_LIST_ADDR_OFF + 4 * i)));
    ans->msgs.push_back(std::move(c));
}

void fw_write_reg_list(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint16_t count = rd16(rq, REG_LIST_COUNT_OFF);
    if (count > REG_LIST_WRITE_MAX)
        return refuse(rq, ans);
    for (unsigned i = 0; i < count; ++i)
        fw_mem_write(&m->fw, rd32(rq, REG_LIST_ADDR_OFF + 4 * i),
                     rd32(rq, REG_LIST_WRITE_VALUES_OFF + 4 * i));
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

// A hardware register must be word-aligned; the answer's own status says
// so, at 12, where `set regstatus` puts another one: the status word at 4
// is no status here. A read carries the value whatever its status.
uint32_t hw_reg_status(const SimModel& m, uint32_t addr) {
    return (addr & 3) != 0 ? SIM_STATUS_REFUSED : m.fw.memory.reg_status;
}

void fw_hw_read_reg(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t addr = rd32(rq, HW_REG_ADDR_OFF);
    std::vector<uint8_t> c = sim_cnf(rq.id, HW_REG_CNF_SIZE, 0);
    hi_wr32(c.data() + HW_REG_CNF_STATUS_OFF, hw_reg_status(*m, addr));
    if ((addr & 3) == 0)
        hi_wr32(c.data() + HW_REG_VALUE_OFF, sim_word(m->fw.memory.regs, addr));
    ans->msgs.push_back(std::move(c));
}

void fw_hw_write_reg(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t addr = rd32(rq, HW_REG_ADDR_OFF);
    const uint32_t status = hw_reg_status(*m, addr);
    std::vector<uint8_t> c = sim_cnf(rq.id, HW_REG_CNF_SIZE, 0);
    hi_wr32(c.data() + HW_REG_CNF_STATUS_OFF, status);
    if (status == 0)
        sim_put_word(&m->fw.memory.regs, addr, rd32(rq, HW_REG_VALUE_OFF));
    ans->msgs.push_back(std::move(c));
}

void fw_set_mib(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t off = rd32(rq, SET_MIB_OFFSET_OFF);
    if ((off & 3) != 0 || off >= SIM_MIB_SIZE)
        return refuse(rq, ans);
    fw_mem_write(&m->fw, m->fw.mib_base + off, rd32(rq, SET_MIB_VALUE_OFF));
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

// The RF access path reads memory words, and only with the com-bus mode
// at 1.
void fw_rf_read(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t addr = rd32(rq, RF_READ_ADDR_OFF);
    if (m->fw.memory.com_bus_mode != COM_BUS_MODE_RF || (addr & 3) != 0)
        return refuse(rq, ans, WORD_CNF_SIZE);
    std::vector<uint8_t> c = sim_cnf(rq.id, WORD_CNF_SIZE, 0);
    hi_wr32(c.data() + WORD_CNF_VALUE_OFF, fw_mem_read(m->fw, addr));
    ans->msgs.push_back(std::move(c));
}

// The pins answer only in the test mode; leaving it answers the levels
// as a read does.
void fw_gpio(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    SimMemory& mem = m->fw.memory;
    const uint8_t op = rq.msg[GPIO_OP_OFF];
    const uint8_t pin = rq.msg[GPIO_PIN_OFF];
    const uint16_t value = rd16(rq, GPIO_VALUE_OFF);
    bool ok = mem.gpio_test_mode;
    switch (op) {
    case GPIO_SETUP:
        ok = ok && pin < SIM_GPIO_PINS;
        if (ok)
            mem.gpio_config[pin] = value;
        break;
    case GPIO_WRITE:
        ok = ok && pin < SIM_GPIO_PINS;
        if (ok)
            mem.gpio_levels =
                static_cast<uint16_t>((mem.gpio_levels & ~(1u << pin)) | (value != 0 ? 1u : 0u) << pin);
        break;
    case GPIO_READ:
        break;
    case GPIO_RESET_TEST_MODE:
        ok = true;
        mem.gpio_test_mode = false;
        break;
    default:
        ok = false;
    }
    std::vector<uint8_t> c = sim_cnf(rq.id, WORD_CNF_SIZE, ok ? 0 : SIM_STATUS_REFUSED);
    if (ok && (op == GPIO_READ || op == GPIO_RESET_TEST_MODE))
        hi_wr32(c.data() + WORD_CNF_VALUE_OFF, mem.gpio_levels);
    ans->msgs.push_back(std::move(c));
}

void fw_gpio_test_mode(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    m->fw.memory.gpio_test_mode = true;
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

uint32_t rd32_be(const SimRequest& rq, unsigned off) {
    const uint8_t* p = rq.msg.data() + off;
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Whole pairs, and every address a word's: or nothing is written.
void fw_block_reg(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const size_t bytes = rq.msg.size() - BLOCK_REG_PAIRS_OFF;
    const size_t pairs = bytes / 8;
    bool ok = bytes % 8 == 0 && pairs <= BLOCK_REG_MAX_PAIRS;
    for (size_t i = 0; ok && i < pairs; ++i)
        ok = (rd32_be(rq, static_cast<unsigned>(BLOCK_REG_PAIRS_OFF + 8 * i)) & 3) == 0;
    if (!ok)
        return refuse(rq, ans);
    for (size_t i = 0; i < pairs; ++i) {
        const auto off = static_cast<unsigned>(BLOCK_REG_PAIRS_OFF + 8 * i);
        fw_mem_write(&m->fw, rd32_be(rq, off), rd32_be(rq, off + 4));
    }
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

void fw_read_prcm(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t addr = rd32(rq, PRCM_ADDR_OFF);
    if (addr & 3)
        return refuse(rq, ans, PRCM_MSG_SIZE);
    std::vector<uint8_t> c = sim_cnf(rq.id, PRCM_MSG_SIZE, 0);
    hi_wr32(c.data() + PRCM_VALUE_OFF, sim_word(m->fw.memory.prcm, addr));
    ans->msgs.push_back(std::move(c));
}

void fw_write_prcm(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t addr = rd32(rq, PRCM_ADDR_OFF);
    if (addr & 3)
        return refuse(rq, ans, PRCM_MSG_SIZE);
    sim_put_word(&m->fw.memory.prcm, addr, rd32(rq, PRCM_VALUE_OFF));
    ans->msgs.push_back(sim_cnf(rq.id, PRCM_MSG_SIZE, 0));
}

void fw_set_com_bus(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t mode = rd32(rq, HI_MSG_PARAM_OFF);
    if (mode > COM_BUS_MODE_MAX)
        return refuse(rq, ans);
    m->fw.memory.com_bus_mode = mode;
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

void fw_get_com_bus(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c = sim_cnf(rq.id, WORD_CNF_SIZE, 0);
    hi_wr32(c.data() + WORD_CNF_VALUE_OFF, m->fw.memory.com_bus_mode);
    ans->msgs.push_back(std::move(c));
}

constexpr SimHandlerEntry kRequests[] = {
    {READ_MEM_REQ_ID, MEM_REQ_MIN_SIZE, fw_read_mem, SIM_NUMBERED},
    {WRITE_MEM_REQ_ID, MEM_REQ_MIN_SIZE, fw_write_mem, SIM_NUMBERED},
    {READ_REG_LIST_REQ_ID, REG_LIST_READ_MIN_SIZE, fw_read_reg_list, SIM_NUMBERED},
    {WRITE_REG_LIST_REQ_ID, REG_LIST_WRITE_SIZE, fw_write_reg_list, SIM_NUMBERED},
    {HW_READ_REG_REQ_ID, HW_REG_REQ_SIZE, fw_hw_read_reg, SIM_NUMBERED},
    {HW_WRITE_REG_REQ_ID, HW_REG_REQ_SIZE, fw_hw_write_reg, SIM_NUMBERED},
    {SET_MIB_REQ_ID, SET_MIB_REQ_SIZE, fw_set_mib, SIM_NUMBERED},
    {RF_READ_REQ_ID, RF_READ_REQ_SIZE, fw_rf_read, SIM_NUMBERED},
    {GPIO_REQ_ID, GPIO_REQ_SIZE, fw_gpio, SIM_NUMBERED},
    {GPIO_TEST_MODE_REQ_ID, HI_MSG_PARAM_OFF, fw_gpio_test_mode, SIM_NUMBERED},
    {BLOCK_REG_REQ_ID, BLOCK_REG_PAIRS_OFF, fw_block_reg, SIM_NUMBERED},
    {READ_PRCM_REQ_ID, PRCM_MSG_SIZE, fw_read_prcm, SIM_NUMBERED},
    {WRITE_PRCM_REQ_ID, PRCM_MSG_SIZE, fw_write_prcm, SIM_NUMBERED},
    {SET_COM_BUS_REQ_ID, HI_MSG_PARAM_OFF + 4, fw_set_com_bus, SIM_NUMBERED},
    {GET_COM_BUS_REQ_ID, HI_MSG_PARAM_OFF, fw_get_com_bus, SIM_NUMBERED},
};

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

// Bytes at any address, for what words cannot show: the edges of a range.
bool set_bytes(SimCtl& c) {
    uint32_t addr;
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 4, 4) || !ctl_num(c, c.tok[2], 0xFFFFFFFF, &addr))
        return false;
    if (!sim_parse_hex(c.tok[3], &bytes))
        return ctl_fail(c, "bad hex '%.*s'", SIM_SV(c.tok[3]));
    for (size_t i = 0; i < bytes.size(); ++i)
        fw_mem_write8(&c.s->model.fw, addr + static_cast<uint32_t>(i), bytes[i]);
    return true;
}

bool get_bytes(SimCtl& c) {
    uint32_t addr, len;
    if (!ctl_want_args(c, 4, 4) || !ctl_num(c, c.tok[2], 0xFFFFFFFF, &addr) ||
        !ctl_num(c, c.tok[3], SIM_PAGE_SIZE, &len))
        return false;
    std::vector<uint8_t> bytes(len);
    for (uint32_t i = 0; i < len; ++i)
        bytes[i] = fw_mem_read8(c.s->model.fw, addr + i);
    c.out->push_back(sim_hex(bytes));
    return true;
}

bool set_reg(SimCtl& c) {
    return ctl_set_word(c, &c.s->model.fw.memory.regs);
}

bool get_reg(SimCtl& c) {
    return ctl_get_word(c, c.s->model.fw.memory.regs);
}

bool set_prcm(SimCtl& c) {
    return ctl_set_word(c, &c.s->model.fw.memory.prcm);
}

bool get_prcm(SimCtl& c) {
    return ctl_get_word(c, c.s->model.fw.memory.prcm);
}

bool get_gpiocfg(SimCtl& c) {
    uint32_t pin;
    if (!ctl_want_args(c, 3, 3) || !ctl_num(c, c.tok[2], SIM_GPIO_PINS - 1, &pin))
        return false;
    c.out->push_back(sim_fmt("0x%04x", c.s->model.fw.memory.gpio_config[pin]));
    return true;
}

constexpr SimKey kKeys[] = {
    {.name = "mem",
     .set_words = set_mem,
     .set_usage = "ADDR VALUE",
     .get_words = get_mem,
     .get_usage = "ADDR"},
    {.name = "bytes",
     .set_words = set_bytes,
     .set_usage = "ADDR HEX",
     .get_words = get_bytes,
     .get_usage = "ADDR LEN"},
    {.name = "reg",
     .set_words = set_reg,
     .set_usage = "ADDR VALUE",
     .get_words = get_reg,
     .get_usage = "ADDR"},
    {.name = "regstatus",
     .format = "%u",
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.memory.reg_status; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.memory.reg_status = v; }},
    {.name = "prcm",
     .set_words = set_prcm,
     .set_usage = "ADDR VALUE",
     .get_words = get_prcm,
     .get_usage = "ADDR"},
    // Any word, as a firmware might report one the tool cannot set back.
    {.name = "combus",
     .format = "%u",
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.memory.com_bus_mode; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.memory.com_bus_mode = v; }},
    {.name = "gpiotest",
     .format = "%u",
     .max = 1,
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.memory.gpio_test_mode; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.memory.gpio_test_mode = v != 0; }},
    {.name = "gpio",
     .format = "0x%04x",
     .max = 0xFFFF,
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.memory.gpio_levels; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.memory.gpio_levels = static_cast<uint16_t>(v); }},
    {.name = "gpiocfg", .get_words = get_gpiocfg, .get_usage = "PIN"},
};

}  // namespace

constexpr SimPart sim_memory_part = {"memory", memory_reset, kRequests, kKeys};
