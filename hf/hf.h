// What only rqmcli-hf carries: the operations its variant profile names
// for the flows that differ as a whole.
#pragma once

struct RqmApiContext;

// After the connect handshake: the firmware's API version and label are
// printed; there is no platform-code check.
void hf_print_connect_facts(RqmApiContext* pRqmApiContext);
