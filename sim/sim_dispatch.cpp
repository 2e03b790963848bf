// The parts of the model and where each request goes. A new modelled
// request is one row in the request table of its part's file and its
// handler there; a new part is one row in kParts.
#include "sim/sim_model.h"

namespace {

constexpr const SimPart* kParts[] = {
    &sim_driver_part, &sim_firmware_part, &sim_device_part, &sim_memory_part,  &sim_phy_part,
    &sim_tx_part,     &sim_rx_part,       &sim_efuse_part,  &sim_ramread_part,
};

}  // namespace

std::span<const SimPart* const> sim_parts() {
    return kParts;
}

void sim_model_reset(SimModel* m) {
    for (const SimPart* p : kParts)
        p->reset(m);
}

const SimHandlerEntry* sim_find_handler(uint16_t id) {
    for (const SimPart* p : kParts)
        for (const SimHandlerEntry& e : p->requests)
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

std::vector<uint8_t> sim_echo_cnf(const SimRequest& rq, unsigned size, uint32_t status) {
    std::vector<uint8_t> c(rq.msg.begin(), rq.msg.begin() + size);
    hi_set_msg_id(c.data(), static_cast<uint16_t>((rq.id | HI_MSG_KIND_CNF) & HI_MSG_ID_MASK));
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
