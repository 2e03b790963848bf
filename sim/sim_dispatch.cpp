// Where each request goes. A new modelled request is one row here and its
// handler in the driver or firmware file.
#include "sim/sim_model.h"

namespace {

// The header-only messages the tool's target sends itself bypass its send
// window and carry no number; the driver answers them with BOOT indications.
constexpr SimHandlerEntry kHandlers[] = {
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
    {SIM_CLI_FETCH_REQ_ID, CLI_FETCH_REQ_SIZE, drv_cli_fetch, SIM_NUMBERED},
    {SIM_CLI_PUSH_REQ_ID, CLI_PUSH_REQ_MIN_SIZE, drv_cli_push, SIM_NUMBERED},
    {SIM_READ_REG_TYPE_REQ_ID, READ_REG_TYPE_REQ_SIZE, drv_read_reg_type, SIM_NUMBERED},
    {SIM_WRITE_REG_TYPE_REQ_ID, WRITE_REG_TYPE_REQ_SIZE, drv_write_reg_type, SIM_NUMBERED},
    {SIM_API_CONTEXT_REQ_ID, 8, drv_api_context, SIM_NUMBERED},
    {SIM_SDD_PATH_REQ_ID, SDD_PATH_REQ_SIZE, drv_sdd_path, SIM_NUMBERED},
    {SIM_SDD_ELEMENT_REQ_ID, SDD_ELEMENT_REQ_SIZE, drv_sdd_element, SIM_NUMBERED},
    {SIM_CONNECT_REQ_ID, CONNECT_REQ_OLD_SIZE, drv_connect, SIM_NUMBERED},
    {HI_DISCONNECT_REQ_ID, HI_MSG_HEADER_SIZE, drv_disconnect, SIM_UNNUMBERED},
    {HI_RECONNECT_REQ_ID, HI_MSG_HEADER_SIZE, drv_reconnect, SIM_UNNUMBERED},
    {HI_SDD_DOWNLOAD_REQ_ID, DOWNLOAD_HEAD, drv_download, SIM_UNNUMBERED},
    {HI_FW_DOWNLOAD_REQ_ID, DOWNLOAD_HEAD, drv_download, SIM_UNNUMBERED},
    {HI_REBOOT_REQ_ID, HI_MSG_HEADER_SIZE, drv_reboot, SIM_UNNUMBERED},
};

}  // namespace

void sim_model_reset(SimModel* m) {
    drv_reset(&m->drv);
    fw_reset(&m->fw);
}

const SimHandlerEntry* sim_find_handler(uint16_t id) {
    for (const SimHandlerEntry& e : kHandlers)
        if (e.id == id)
            return &e;
    return nullptr;
}

bool sim_is_numbered(uint16_t id) {
    const SimHandlerEntry* e = sim_find_handler(id);
    return e == nullptr || e->numbering == SIM_NUMBERED;
}

std::vector<uint8_t> sim_cnf(uint16_t id, unsigned size, uint32_t status) {
    std::vector<uint8_t> c(size, 0);
    hi_set_msg_len(c.data(), static_cast<uint16_t>(size));
    hi_set_msg_id(c.data(), static_cast<uint16_t>((id | HI_MSG_KIND_CNF) & HI_MSG_ID_MASK));
    hi_wr32(c.data() + HI_MSG_STATUS_OFF, status);
    return c;
}

std::vector<uint8_t> sim_unmodelled_cnf(uint16_t id) {
    return sim_cnf(id, SIM_UNMODELLED_CNF_SIZE, SIM_STATUS_UNMODELLED);
}

SimDispatchResult sim_dispatch(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    // The driver relays firmware requests only once the firmware runs, and
    // to a sleeping one only the request that can wake it.
    if (rq.id < SIM_FIRST_DRIVER_REQ_ID &&
        (!m->drv.connected || (m->fw.asleep && rq.id != SIM_SLEEP_REQ_ID))) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_NOT_CONNECTED));
        return SIM_REFUSED_NOT_CONNECTED;
    }
    const SimHandlerEntry* e = sim_find_handler(rq.id);
    if (e == nullptr) {
        ans->msgs.push_back(sim_unmodelled_cnf(rq.id));
        return SIM_UNMODELLED;
    }
    if (rq.msg.size() < e->min_len) {
        ans->msgs.push_back(sim_unmodelled_cnf(rq.id));
        return SIM_SHORT_REQUEST;
    }
    e->fn(m, rq, ans);
    return SIM_HANDLED;
}
