#include "sim/sim_firmware.h"

#include <cstring>

#include "sim/sim_core.h"
#include "sim/sim_model.h"
#include "sim/sim_msg.h"

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

namespace {

void firmware_reset(SimModel* m) {
    SimFirmware* fw = &m->fw;
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
    fw->asleep = false;
}

// ---- control keys ----

bool set_label(SimCtl& c) {
    return ctl_set_text(c, &c.s->model.fw.label, STARTUP_IND_LABEL_SIZE - 1);
}

void label_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back("label=" + s.model.fw.label);
}

void numbering_port_lines(const Sim& s, std::vector<std::string>* out) {
    const SimFirmware& fw = s.model.fw;
    out->push_back(fw.numbering ? "numbering_port=" + sim_fmt("%u", fw.numbering_port)
                                : std::string("numbering_port=none"));
}

// The numbering is read-only: it follows the startups that went out.
constexpr SimKey kKeys[] = {
    {.name = "window",
     .format = "%u",
     .max = 0xFFFF,
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.window; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.window = static_cast<uint16_t>(v); }},
    {.name = "maxmsg",
     .format = "%u",
     .max = 0xFFFF,
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.max_msg; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.max_msg = static_cast<uint16_t>(v); }},
    {.name = "apiver",
     .format = "0x%04x",
     .max = 0xFFFF,
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.api_ver; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.api_ver = static_cast<uint16_t>(v); }},
    {.name = "mib",
     .format = "0x%08x",
     .max = 0xFFFFFFFC,
     .aligned = true,
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.mib_base; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.mib_base = v; }},
    {.name = "startuplen",
     .format = "%u",
     .min = STARTUP_IND_MIN_SIZE,
     .max = SIM_STARTUP_MAX_SIZE,
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.startup_len; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.startup_len = static_cast<uint16_t>(v); }},
    {.name = "asleep",
     .format = "%u",
     .max = 1,
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.asleep; },
     .set = [](Sim* s, uint32_t v) { s->model.fw.asleep = v != 0; }},
    {.name = "label", .set_words = set_label, .set_usage = "TEXT", .state_lines = label_lines},
    {.name = "numbering",
     .format = "%u",
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.numbering; }},
    {.name = "numbering_port", .state_lines = numbering_port_lines},
    {.name = "next_tx_seq",
     .format = "%u",
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.next_tx_seq; }},
    {.name = "expected_rx_seq",
     .format = "%u",
     .get = [](const Sim& s) -> uint32_t { return s.model.fw.expected_rx_seq; }},
};

}  // namespace

constexpr SimPart sim_firmware_part = {"firmware", firmware_reset, {}, kKeys};
