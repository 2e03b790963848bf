#include "sim/sim_fw_rx.h"

#include "sim/sim_core.h"
#include "sim/sim_model.h"

const std::array<const char*, RX_FIELDS> sim_rx_field_names = {"running",    "channel",      "ok",
                                                               "fcs_errors", "other_errors", "rssi"};

namespace {

void rx_reset(SimModel* m) {
    m->fw.rx.engine.fill(0);
}

// ---- control keys ----

bool set_engine(SimCtl& c) {
    return ctl_set_field(c, sim_rx_field_names, c.s->model.fw.rx.engine.data());
}

void engine_lines(const Sim& s, std::vector<std::string>* out) {
    ctl_field_lines("rx", sim_rx_field_names, s.model.fw.rx.engine.data(), out);
}

constexpr SimKey kKeys[] = {
    {.name = "rx", .set_words = set_engine, .set_usage = "FIELD VALUE", .state_lines = engine_lines},
};

}  // namespace

constexpr SimPart sim_rx_part = {"receive", rx_reset, {}, kKeys};
