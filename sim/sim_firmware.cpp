#include "sim/sim_firmware.h"

#include <cstring>

#include "sim/sim_model.h"
#include "sim/sim_msg.h"

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
    std::vector<uint8_t> m(STARTUP_IND_MIN_SIZE, 0);
    hi_set_msg_len(m.data(), STARTUP_IND_MIN_SIZE);
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

// The firmware takes any configuration: which SDD it applies is not
// modelled, only that a connect's last step succeeds.
void fw_sdd_config(SimModel*, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c(SDD_CONFIG_CNF_SIZE, 0);
    hi_set_msg_len(c.data(), SDD_CONFIG_CNF_SIZE);
    hi_set_msg_id(c.data(), rq.id | HI_MSG_KIND_CNF);
    ans->msgs.push_back(std::move(c));
}

int sim_field_index(const char* const* names, size_t count, std::string_view name) {
    for (size_t i = 0; i < count; ++i)
        if (name == names[i])
            return static_cast<int>(i);
    return -1;
}
