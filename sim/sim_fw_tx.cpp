#include "sim/sim_fw_tx.h"

#include "sim/sim_core.h"
#include "sim/sim_model.h"

const std::array<const char*, TX_FIELDS> sim_tx_field_names = {"running", "channel",  "rate",  "power",
                                                               "length",  "interval", "count", "sent"};

namespace {

void tx_reset(SimModel* m) {
    m->fw.tx.engine.fill(0);
}

// ---- control keys ----

bool set_engine(SimCtl& c) {
    return ctl_set_field(c, sim_tx_field_names, c.s->model.fw.tx.engine.data());
}

void engine_lines(const Sim& s, std::vector<std::string>* out) {
    ctl_field_lines("tx", sim_tx_field_names, s.model.fw.tx.engine.data(), out);
}

constexpr SimKey kKeys[] = {
    {.name = "tx", .set_words = set_engine, .set_usage = "FIELD VALUE", .state_lines = engine_lines},
};

}  // namespace

constexpr SimPart sim_tx_part = {"transmit", tx_reset, {}, kKeys};
