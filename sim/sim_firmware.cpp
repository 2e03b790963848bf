#include "sim/sim_firmware.h"

#include <algorithm>
#include <cstring>

#include "sim/sim_model.h"
#include "sim/sim_msg.h"

// Locally administered unicast addresses for the station and the BSS, and
// broadcast as the destination of test frames.
const std::array<std::array<uint8_t, 6>, SIM_MAC_KINDS> sim_default_macs = {{
    {0x02, 0x00, 0x00, 0x00, 0x00, 0x01},
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    {0x02, 0x00, 0x00, 0x00, 0x00, 0x02},
}};

const std::array<const char*, TX_FIELDS> sim_tx_field_names = {"running", "channel",  "rate",  "power",
                                                               "length",  "interval", "count", "sent"};
const std::array<const char*, RX_FIELDS> sim_rx_field_names = {"running",    "channel",      "ok",
                                                               "fcs_errors", "other_errors", "rssi"};

void fw_reset(SimFirmware* fw) {
    fw->window = SIM_DEFAULT_WINDOW;
    fw->max_msg = SIM_DEFAULT_MAX_MSG;
    fw->api_ver = SIM_DEFAULT_API_VER;
    fw->label = SIM_DEFAULT_LABEL;
    fw->mib_base = SIM_DEFAULT_MIB_BASE;
    fw->startup_len = STARTUP_IND_MIN_SIZE;
    fw->numbering = false;
    fw->next_tx_seq = 0;
    fw->expected_rx_seq = 0;
    fw->have_prev = false;
    fw->prev_answered = true;
    fw->numbering_port = 0;
    fw->mem.clear();
    fw->regs.clear();
    fw->mib.fill(0);
    fw->efuse.fill(0);
    fw->tx.fill(0);
    fw->rx.fill(0);
    fw->macs = sim_default_macs;
    fw->hwid = SIM_DEFAULT_HWID;
    fw->asleep = false;
    fw->clock_gating = 0;
    fw->debug_port.fill(0);
    fw->hw_test_result.fill(0);
    fw->self_test_result = 0;
    fw->ctrl_block.fill(0);
}

// The unsigned difference also rejects addresses below the base.
static bool in_mib(const SimFirmware& fw, uint32_t addr) {
    return addr - fw.mib_base < SIM_MIB_SIZE;
}

uint32_t fw_mem_read(const SimFirmware& fw, uint32_t addr) {
    if (in_mib(fw, addr))
        return hi_rd32(fw.mib.data() + (addr - fw.mib_base));
    auto it = fw.mem.find(addr);
    return it == fw.mem.end() ? 0 : it->second;
}

void fw_mem_write(SimFirmware* fw, uint32_t addr, uint32_t value) {
    if (in_mib(*fw, addr)) {
        hi_wr32(fw->mib.data() + (addr - fw->mib_base), value);
        return;
    }
    // Zero is what an unset word reads, so it needs no entry.
    if (value == 0)
        fw->mem.erase(addr);
    else
        fw->mem[addr] = value;
}

std::vector<uint8_t> fw_startup_ind(const SimFirmware& fw, uint16_t window) {
    const uint16_t len = fw.startup_len < STARTUP_IND_MIN_SIZE ? STARTUP_IND_MIN_SIZE : fw.startup_len;
    std::vector<uint8_t> m(len, 0);
    hi_set_msg_len(m.data(), len);
    hi_set_msg_id(m.data(), HI_STARTUP_IND_ID);
    hi_wr16(m.data() + STARTUP_IND_NUM_INP_BUFS_OFF, window);
    hi_wr16(m.data() + STARTUP_IND_MAX_MSG_SIZE_OFF, fw.max_msg);
    hi_wr16(m.data() + STARTUP_IND_API_VER_OFF, fw.api_ver);
    // The control refuses longer labels; the cut only guards the field.
    const size_t n = fw.label.size() < STARTUP_IND_LABEL_SIZE ? fw.label.size() : STARTUP_IND_LABEL_SIZE - 1;
    memcpy(m.data() + STARTUP_IND_LABEL_OFF, fw.label.data(), n);
    hi_wr32(m.data() + STARTUP_IND_MIB_BASE_OFF, fw.mib_base);
    return m;
}

std::vector<uint8_t> fw_trace_ind(uint32_t code) {
    std::vector<uint8_t> m(TRACE_IND_SIZE, 0);
    hi_set_msg_len(m.data(), TRACE_IND_SIZE);
    hi_set_msg_id(m.data(), HI_TRACE_IND_ID);
    hi_wr32(m.data() + 4, code);
    return m;
}

std::vector<uint8_t> fw_exception_ind(uint32_t reason, uint32_t address) {
    std::vector<uint8_t> m(EXCEPTION_IND_SIZE, 0);
    hi_set_msg_len(m.data(), EXCEPTION_IND_SIZE);
    hi_set_msg_id(m.data(), HI_EXCEPTION_IND_ID);
    hi_wr32(m.data() + 4, reason);
    hi_wr32(m.data() + 8, address);
    return m;
}

void fw_stamp(SimFirmware* fw, std::vector<uint8_t>* msg) {
    if (msg->size() < HI_MSG_HEADER_SIZE)
        return;
    const uint16_t id = hi_msg_id(msg->data()) & HI_MSG_ID_MASK;
    if (id == HI_BOOT_IND_ID || id == HI_EXCEPTION_IND_ID)
        return;
    if (id == HI_STARTUP_IND_ID) {
        const uint16_t window = msg->size() >= STARTUP_IND_NUM_INP_BUFS_OFF + 2
                                    ? hi_rd16(msg->data() + STARTUP_IND_NUM_INP_BUFS_OFF)
                                    : 0;
        fw->numbering = window > 0;
        fw->next_tx_seq = 0;
        fw->expected_rx_seq = 0;
        fw->have_prev = false;
        fw->prev_answered = true;
    }
    if (!fw->numbering)
        return;
    hi_set_msg_id(msg->data(), static_cast<uint16_t>(id | fw->next_tx_seq << HI_MSG_SEQ_SHIFT));
    fw->next_tx_seq = (fw->next_tx_seq + 1) & 7;
}

SimSeqVerdict fw_rx_seq(SimFirmware* fw, unsigned seq) {
    if (!fw->numbering)
        return SIM_SEQ_UNNUMBERED;
    if (seq == fw->expected_rx_seq) {
        fw->expected_rx_seq = (seq + 1) & 7;
        return SIM_SEQ_NEW;
    }
    if (fw->have_prev && seq == ((fw->expected_rx_seq + 7u) & 7u))
        return fw->prev_answered ? SIM_SEQ_DUPLICATE : SIM_SEQ_RESEND;
    fw->expected_rx_seq = (seq + 1) & 7;
    return SIM_SEQ_RESYNC;
}

void fw_rx_done(SimFirmware* fw, SimSeqVerdict v, bool answered) {
    if (v == SIM_SEQ_UNNUMBERED || v == SIM_SEQ_DUPLICATE)
        return;
    fw->have_prev = true;
    fw->prev_answered = answered;
}

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
    std::vector<uint8_t> c(rq.msg.begin(), rq.msg.begin() + HW_TEST_MSG_SIZE);
    hi_set_msg_id(c.data(), rq.id | HI_MSG_KIND_CNF);
    const uint16_t test = hi_rd16(c.data() + HW_TEST_ID_OFF);
    const bool runs = test >= 1 && test <= SIM_HW_TESTS && hi_rd16(c.data() + HW_TEST_PARAM1_OFF) != 0 &&
                      hi_rd16(c.data() + HW_TEST_PARAM2_OFF) != 0;
    hi_wr32(c.data() + HI_MSG_STATUS_OFF, runs ? 0 : SIM_STATUS_REFUSED);
    hi_wr32(c.data() + HW_TEST_RESULT_OFF, runs ? m->fw.hw_test_result[test - 1] : 0);
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
        m->fw.clock_gating = enable;
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, enable <= 1 ? 0 : SIM_STATUS_REFUSED));
}

// Both MAC answers repeat the request's kind; the read fills in the address.
void fw_get_mac(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t kind = hi_rd32(rq.msg.data() + MAC_KIND_OFF);
    std::vector<uint8_t> c = sim_cnf(rq.id, MAC_MSG_SIZE, kind < SIM_MAC_KINDS ? 0 : SIM_STATUS_REFUSED);
    hi_wr32(c.data() + MAC_KIND_OFF, kind);
    if (kind < SIM_MAC_KINDS)
        std::copy(m->fw.macs[kind].begin(), m->fw.macs[kind].end(), c.begin() + MAC_ADDR_OFF);
    ans->msgs.push_back(std::move(c));
}

void fw_set_mac(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t kind = hi_rd32(rq.msg.data() + MAC_KIND_OFF);
    if (kind < SIM_MAC_KINDS)
        std::copy_n(rq.msg.begin() + MAC_ADDR_OFF, 6, m->fw.macs[kind].begin());
    std::vector<uint8_t> c(rq.msg.begin(), rq.msg.begin() + MAC_MSG_SIZE);
    hi_set_msg_id(c.data(), rq.id | HI_MSG_KIND_CNF);
    hi_wr32(c.data() + HI_MSG_STATUS_OFF, kind < SIM_MAC_KINDS ? 0 : SIM_STATUS_REFUSED);
    ans->msgs.push_back(std::move(c));
}

// Pin (below 32), direction (0 or 1), function (0 to 2) and a value.
void fw_debug_port(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::array<uint32_t, 4> w;
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = hi_rd32(rq.msg.data() + HI_MSG_PARAM_OFF + 4 * i);
    const bool valid = w[0] < 32 && w[1] <= 1 && w[2] <= 2;
    if (valid)
        m->fw.debug_port = w;
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, valid ? 0 : SIM_STATUS_REFUSED));
}

// The id travels in the status word.
void fw_get_hwid(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, m->fw.hwid));
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
    hi_wr32(c.data() + HI_MSG_PARAM_OFF, known ? m->fw.self_test_result : 0);
    ans->msgs.push_back(std::move(c));
}

// The blocks take the status word's place: the read answer has none.
void fw_read_ctrl_block(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c = sim_cnf(rq.id, CTRL_BLOCK_MSG_SIZE, 0);
    std::copy(m->fw.ctrl_block.begin(), m->fw.ctrl_block.end(), c.begin() + CTRL_BLOCK_OFF);
    ans->msgs.push_back(std::move(c));
}

void fw_write_ctrl_block(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::copy_n(rq.msg.begin() + CTRL_BLOCK_OFF, CTRL_BLOCK_SIZE, m->fw.ctrl_block.begin());
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

int sim_field_index(const char* const* names, size_t count, std::string_view name) {
    for (size_t i = 0; i < count; ++i)
        if (name == names[i])
            return static_cast<int>(i);
    return -1;
}
