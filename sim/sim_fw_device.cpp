#include "sim/sim_fw_device.h"

#include <algorithm>

#include "sim/sim_core.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

// Locally administered unicast addresses for the station and the BSS, and
// broadcast as the destination of test frames.
const std::array<std::array<uint8_t, 6>, SIM_MAC_KINDS> sim_default_macs = {{
    {0x02, 0x00, 0x00, 0x00, 0x00, 0x01},
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    {0x02, 0x00, 0x00, 0x00, 0x00, 0x02},
}};

namespace {

void device_reset(SimModel* m) {
    SimDevice& d = m->fw.device;
    d.macs = sim_default_macs;
    d.hwid = SIM_DEFAULT_HWID;
    d.clock_gating = 0;
    d.debug_port.fill(0);
    d.hw_test_result.fill(0);
    d.self_test_result = 0;
    d.ctrl_block.fill(0);
}

// ---- requests ----

// One id, two messages: 8 bytes are the configuration a connect ends with,
// which the firmware takes whatever it says; a longer one, or 8 bytes whose
// trailer says the path was empty, is an SDD download. The firmware runs
// on a downloaded SDD at once; an empty one or a '^' name (a file the
// remote end was to supply) leaves the SDD in use as it was.
void fw_sdd_config(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const size_t n = rq.msg.size() - SDD54_DATA_OFF - SDD54_TAIL_SIZE;
    const bool download = n > 0 || rq.msg[SDD54_DATA_OFF] == SDD54_TRAILER_EMPTY_PATH;
    if (download) {
        m->drv.have_sdd54 = true;
        m->drv.sdd54.assign(rq.msg.begin() + SDD54_DATA_OFF, rq.msg.end());
        if (n > 0 && rq.msg[SDD54_DATA_OFF] != '^')
            m->drv.sdd.assign(rq.msg.begin() + SDD54_DATA_OFF,
                              rq.msg.begin() + static_cast<std::ptrdiff_t>(SDD54_DATA_OFF + n));
    }
    ans->msgs.push_back(sim_cnf(rq.id, SDD_CONFIG_CNF_SIZE, 0));
}

// The answer repeats the request with the status and the test's result
// word; a test needs both parameters to run.
void fw_hw_test(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint8_t* req = rq.msg.data();
    const uint16_t test = hi_rd16(req + HW_TEST_ID_OFF);
    const bool runs = test >= 1 && test <= SIM_HW_TESTS && hi_rd16(req + HW_TEST_PARAM1_OFF) != 0 &&
                      hi_rd16(req + HW_TEST_PARAM2_OFF) != 0;
    std::vector<uint8_t> c = sim_echo_cnf(rq, HW_TEST_MSG_SIZE, runs ? 0 : SIM_STATUS_REFUSED);
    hi_wr32(c.data() + HW_TEST_RESULT_OFF, runs ? m->fw.device.hw_test_result[test - 1] : 0);
    ans->msgs.push_back(std::move(c));
}

// The driver wakes the chip for this request alone, so a sleeping firmware
// can still be told to wake.
void fw_sleep(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t mode = hi_rd32(rq.msg.data() + SLEEP_MODE_OFF);
    const bool known = mode == SLEEP_MODE_AWAKE || mode == SLEEP_MODE_ASLEEP;
    if (known)
        m->fw.asleep = mode == SLEEP_MODE_ASLEEP;
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, known ? 0 : SIM_STATUS_REFUSED));
}

void fw_clock_gating(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t enable = hi_rd32(rq.msg.data() + HI_MSG_PARAM_OFF);
    if (enable <= 1)
        m->fw.device.clock_gating = enable;
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, enable <= 1 ? 0 : SIM_STATUS_REFUSED));
}

// Both MAC answers repeat the request's kind; the read fills in the address.
void fw_get_mac(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t kind = hi_rd32(rq.msg.data() + MAC_KIND_OFF);
    std::vector<uint8_t> c = sim_cnf(rq.id, MAC_MSG_SIZE, kind < SIM_MAC_KINDS ? 0 : SIM_STATUS_REFUSED);
    hi_wr32(c.data() + MAC_KIND_OFF, kind);
    if (kind < SIM_MAC_KINDS)
        std::copy(m->fw.device.macs[kind].begin(), m->fw.device.macs[kind].end(), c.begin() + MAC_ADDR_OFF);
    ans->msgs.push_back(std::move(c));
}

void fw_set_mac(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t kind = hi_rd32(rq.msg.data() + MAC_KIND_OFF);
    if (kind < SIM_MAC_KINDS)
        std::copy_n(rq.msg.begin() + MAC_ADDR_OFF, 6, m->fw.device.macs[kind].begin());
    ans->msgs.push_back(sim_echo_cnf(rq, MAC_MSG_SIZE, kind < SIM_MAC_KINDS ? 0 : SIM_STATUS_REFUSED));
}

// Pin (below 32), direction (0 or 1), function (0 to 2) and a value.
void fw_debug_port(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::array<uint32_t, 4> w;
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = hi_rd32(rq.msg.data() + HI_MSG_PARAM_OFF + 4 * i);
    const bool valid = w[0] < 32 && w[1] <= 1 && w[2] <= 2;
    if (valid)
        m->fw.device.debug_port = w;
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, valid ? 0 : SIM_STATUS_REFUSED));
}

// The id travels in the status word.
void fw_get_hwid(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, m->fw.device.hwid));
}

// The proxy passes the payload on unread and says how much it passed.
void fw_raw_proxy(SimModel*, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c = sim_cnf(rq.id, RAW_PROXY_CNF_SIZE, 0);
    hi_wr32(c.data() + HI_MSG_PARAM_OFF, static_cast<uint32_t>(rq.msg.size() - HI_MSG_PARAM_OFF));
    ans->msgs.push_back(std::move(c));
}

void fw_self_test(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t test = hi_rd32(rq.msg.data() + HI_MSG_PARAM_OFF);
    const bool known = test < SIM_SELF_TESTS;
    std::vector<uint8_t> c = sim_cnf(rq.id, SELF_TEST_MSG_SIZE, known ? 0 : SIM_STATUS_REFUSED);
    hi_wr32(c.data() + HI_MSG_PARAM_OFF, known ? m->fw.device.self_test_result : 0);
    ans->msgs.push_back(std::move(c));
}

// The blocks take the status word's place: the read answer has none.
void fw_read_ctrl_block(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c = sim_cnf(rq.id, CTRL_BLOCK_MSG_SIZE, 0);
    std::copy(m->fw.device.ctrl_block.begin(), m->fw.device.ctrl_block.end(), c.begin() + CTRL_BLOCK_OFF);
    ans->msgs.push_back(std::move(c));
}

void fw_write_ctrl_block(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::copy_n(rq.msg.begin() + CTRL_BLOCK_OFF, CTRL_BLOCK_SIZE, m->fw.device.ctrl_block.begin());
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

constexpr SimHandlerEntry kRequests[] = {
    {SIM_HW_TEST_REQ_ID, HW_TEST_MSG_SIZE, fw_hw_test, SIM_NUMBERED},
    {SIM_SLEEP_REQ_ID, SLEEP_REQ_SIZE, fw_sleep, SIM_NUMBERED},
    {SIM_CLOCK_GATING_REQ_ID, 12, fw_clock_gating, SIM_NUMBERED},
    {SIM_SDD_CONFIG_REQ_ID, SDD_CONFIG_REQ_SIZE, fw_sdd_config, SIM_NUMBERED},
    {SIM_GET_MAC_REQ_ID, MAC_MSG_SIZE, fw_get_mac, SIM_NUMBERED},
    {SIM_SET_MAC_REQ_ID, MAC_MSG_SIZE, fw_set_mac, SIM_NUMBERED},
    {SIM_DEBUG_PORT_REQ_ID, DEBUG_PORT_REQ_SIZE, fw_debug_port, SIM_NUMBERED},
    {SIM_GET_HWID_REQ_ID, 8, fw_get_hwid, SIM_NUMBERED},
    {SIM_RAW_PROXY_REQ_ID, 8, fw_raw_proxy, SIM_NUMBERED},
    {SIM_SELF_TEST_REQ_ID, SELF_TEST_MSG_SIZE, fw_self_test, SIM_NUMBERED},
    {SIM_SELF_TEST_READ_CB_REQ_ID, 8, fw_read_ctrl_block, SIM_NUMBERED},
    {SIM_SELF_TEST_WRITE_CB_REQ_ID, CTRL_BLOCK_MSG_SIZE, fw_write_ctrl_block, SIM_NUMBERED},
};

// ---- control keys ----

SimDevice& device(SimCtl& c) {
    return c.s->model.fw.device;
}

bool parse_mac_kind(SimCtl& c, std::string_view text, uint32_t* kind) {
    return ctl_num(c, text, SIM_MAC_KINDS - 1, kind);
}

bool set_mac(SimCtl& c) {
    uint32_t kind;
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 4, 4) || !parse_mac_kind(c, c.tok[2], &kind))
        return false;
    if (!sim_parse_hex(c.tok[3], &bytes) || bytes.size() != 6)
        return ctl_fail(c, "address must be 6 bytes of hex");
    std::copy(bytes.begin(), bytes.end(), device(c).macs[kind].begin());
    return true;
}

bool get_mac(SimCtl& c) {
    uint32_t kind;
    if (!ctl_want_args(c, 3, 3) || !parse_mac_kind(c, c.tok[2], &kind))
        return false;
    c.out->push_back(sim_hex(device(c).macs[kind].data(), device(c).macs[kind].size()));
    return true;
}

void mac_lines(const Sim& s, std::vector<std::string>* out) {
    const SimDevice& d = s.model.fw.device;
    for (size_t i = 0; i < SIM_MAC_KINDS; ++i)
        out->push_back("mac." + std::to_string(i) + "=" + sim_hex(d.macs[i].data(), d.macs[i].size()));
}

bool set_hw_test(SimCtl& c) {
    uint32_t test, value;
    if (!ctl_want_args(c, 4, 4) || !ctl_num(c, c.tok[2], SIM_HW_TESTS, &test) ||
        !ctl_num(c, c.tok[3], 0xFFFFFFFF, &value))
        return false;
    if (test == 0)
        return ctl_fail(c, "bad number '%.*s'", SIM_SV(c.tok[2]));
    device(c).hw_test_result[test - 1] = value;
    return true;
}

void hw_test_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back(ctl_word_list("hwtest", s.model.fw.device.hw_test_result, "%u"));
}

void debug_port_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back(ctl_word_list("debugport", s.model.fw.device.debug_port, "%u"));
}

bool set_ctrl_block(SimCtl& c) {
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 3, 3))
        return false;
    if (!sim_parse_hex(c.tok[2], &bytes) || bytes.size() != CTRL_BLOCK_SIZE)
        return ctl_fail(c, "control blocks must be %u bytes of hex", CTRL_BLOCK_SIZE);
    std::copy(bytes.begin(), bytes.end(), device(c).ctrl_block.begin());
    return true;
}

bool get_ctrl_block(SimCtl& c) {
    if (!ctl_want_args(c, 2, 2))
        return false;
    c.out->push_back(sim_hex(device(c).ctrl_block.data(), device(c).ctrl_block.size()));
    return true;
}

constexpr SimKey kKeys[] = {
    {.name = "hwid",
     .format = "0x%08x",
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.device.hwid; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.device.hwid = v; }},
    {.name = "clockgating",
     .format = "%u",
     .max = 1,
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.device.clock_gating; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.device.clock_gating = v; }},
    {.name = "selftest",
     .format = "%u",
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.device.self_test_result; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.device.self_test_result = v; }},
    {.name = "mac",
     .set_words = set_mac,
     .set_usage = "KIND HEX",
     .get_words = get_mac,
     .get_usage = "KIND",
     .state_lines = mac_lines},
    {.name = "debugport", .state_lines = debug_port_lines},
    {.name = "hwtest", .set_words = set_hw_test, .set_usage = "ID VALUE", .state_lines = hw_test_lines},
    {.name = "ctrlblock",
     .set_words = set_ctrl_block,
     .set_usage = "HEX",
     .get_words = get_ctrl_block,
     .get_usage = ""},
};

}  // namespace

constexpr SimPart sim_device_part = {"device", device_reset, kRequests, kKeys};
