#include "sim/sim_fw_phy.h"

#include "sim/sim_model.h"

namespace {

void phy_reset(SimModel* m) {
    m->fw.phy = SimPhy{};
}

}  // namespace

constexpr SimPart sim_phy_part = {"phy", phy_reset, {}, {}};
