// What the two simulation peers share: the stand-in's port. What they say
// when it is not there (peer_send_refused) and where a host keeps what the
// board keeps in /sdcard (peer_ram_dump_path) are netlink_peer.h's, defined
// once for both in netlink_peer_rqmsim.cpp.
#pragma once

#include <cstdint>

// The port in RQMSIM_PORT (decimal, or hex after 0x; 1 to 2^32-1), or the
// default when it is unset or empty. Anything else is refused: false, and
// the reason on stderr, never a silent fall back to the default.
bool rqmsim_port(uint32_t* port);
