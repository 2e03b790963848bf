// What only rqmcli-hf carries: the operations its variant profile names
// for the flows that differ as a whole.
#pragma once

#include <cstdint>

struct RqmApiContext;

// After the connect handshake: the firmware's API version and label are
// printed; there is no platform-code check.
void hf_print_connect_facts(RqmApiContext* pRqmApiContext);

// An SDD user-power entry in whole dBm, read as the element of SDD
// versions before 2.5 holds it, whatever the version.
float hf_user_power_to_dbm(uint16_t Entry);
