#include "sim/sim_driver.h"

#include <algorithm>

#include "sim/sim_model.h"

void drv_reset(SimDriver* d) {
    d->connected = false;
    d->record.fill(0);
    d->sdd_path = SIM_DEFAULT_SDD_PATH;
    d->version = SIM_DEFAULT_DRIVER_VERSION;
    d->min_tool_version = SIM_DEFAULT_MIN_TOOL_VERSION;
    d->cli_len = SIM_RECORD_SIZE;
}

std::vector<uint8_t> drv_boot_ind(uint32_t state, uint32_t res) {
    std::vector<uint8_t> m(BOOT_IND_SIZE, 0);
    hi_set_msg_len(m.data(), BOOT_IND_SIZE);
    hi_set_msg_id(m.data(), HI_BOOT_IND_ID);
    hi_wr32(m.data() + BOOT_IND_STATE_OFF, state);
    hi_wr32(m.data() + BOOT_IND_RES_OFF, res);
    return m;
}

// Answered in any state: the tool asks it before it connects, to learn
// whether a firmware is already up.
void drv_api_context(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c(API_CTX_CNF_SIZE, 0);
    hi_set_msg_len(c.data(), API_CTX_CNF_SIZE);
    hi_set_msg_id(c.data(), rq.id | HI_MSG_KIND_CNF);
    c[API_CTX_FW_RUNNING_OFF] = m->drv.connected ? 1 : 0;
    hi_wr32(c.data() + API_CTX_MIB_BASE_OFF, m->fw.mib_base);
    hi_wr16(c.data() + API_CTX_API_VER_OFF, m->fw.api_ver);
    ans->msgs.push_back(std::move(c));
}

void drv_connect(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    if (m->drv.connected) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_ALREADY_CONNECTED));
        return;
    }
    // An older tool sends no version word; the driver lets it in.
    if (rq.msg.size() >= CONNECT_REQ_SIZE &&
        hi_rd32(rq.msg.data() + CONNECT_REQ_VERSION_OFF) < m->drv.min_tool_version) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_TOOL_TOO_OLD));
        return;
    }
    m->drv.connected = true;
    ans->msgs.push_back(drv_boot_ind(BOOT_STATE_LOADER_READY, 0));
    ans->msgs.push_back(fw_startup_ind(m->fw, m->fw.window));
}

void drv_disconnect(SimModel* m, const SimRequest&, SimAnswer* ans) {
    if (!m->drv.connected) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_NOT_CONNECTED));
        return;
    }
    m->drv.connected = false;
    m->fw.numbering = false;
    ans->msgs.push_back(drv_boot_ind(BOOT_STATE_DISCONNECTED, 0));
}

// The firmware is restarted behind a live connection: the tool sees the
// boot loader come up and then a fresh startup, which restarts numbering.
void drv_reconnect(SimModel* m, const SimRequest&, SimAnswer* ans) {
    if (!m->drv.connected) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_NOT_CONNECTED));
        return;
    }
    ans->msgs.push_back(drv_boot_ind(BOOT_STATE_LOADER_READY, 0));
    ans->msgs.push_back(fw_startup_ind(m->fw, m->fw.window));
}

// Honoured in any state: the firmware drops back to its boot loader, so the
// tool has to connect again before anything reaches it.
void drv_reboot(SimModel* m, const SimRequest&, SimAnswer* ans) {
    m->drv.connected = false;
    m->fw.numbering = false;
    ans->msgs.push_back(drv_boot_ind(BOOT_STATE_LOADER_READY, 0));
}

// The tool fetches its state before it connects as well as after, so both
// requests are the driver's own business and answered in any state. Neither
// looks at the tool's version word; only a connect enforces the minimum.
void drv_cli_fetch(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c(CLI_FETCH_CNF_SIZE, 0);
    hi_set_msg_len(c.data(), CLI_FETCH_CNF_SIZE);
    hi_set_msg_id(c.data(), rq.id | HI_MSG_KIND_CNF);
    hi_wr32(c.data() + CLI_LEN_OFF, m->drv.cli_len);
    hi_wr32(c.data() + CLI_VERSION_OFF, m->drv.version);
    std::copy(m->drv.record.begin(), m->drv.record.end(), c.begin() + CLI_RECORD_OFF);
    ans->msgs.push_back(std::move(c));
}

// The record is opaque to the driver: it keeps the 50 bytes whatever the
// length word says.
void drv_cli_push(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::copy_n(rq.msg.begin() + CLI_RECORD_OFF, SIM_RECORD_SIZE, m->drv.record.begin());
    std::vector<uint8_t> c(CLI_PUSH_CNF_SIZE, 0);
    hi_set_msg_len(c.data(), CLI_PUSH_CNF_SIZE);
    hi_set_msg_id(c.data(), rq.id | HI_MSG_KIND_CNF);
    ans->msgs.push_back(std::move(c));
}
