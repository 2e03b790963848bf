// The firmware's PHY and output-power model: what the PHY configuration
// and output-power requests act on. It keeps nothing yet; requests of this
// group are answered as unmodelled until their rows come here.
#pragma once

struct SimPart;

struct SimPhy {};

extern const SimPart sim_phy_part;
