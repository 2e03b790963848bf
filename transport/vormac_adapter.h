// The netlink channel to the Wi-Fi driver: one HI message per datagram
// behind a 16-byte netlink header. One channel per process. The socket, its
// addresses and so the way to the other end come from the peer linked in
// (netlink_peer.h); nothing here depends on which it is.
#pragma once

#include <cstdint>

#include "netlink_peer.h"
#include "rqm_transport.h"  // adapter_connect, adapter_disconnect

inline constexpr int NL_HEADER_SIZE = 16;
inline constexpr int NL_MAX_DATAGRAM = 1536;  // the driver takes no larger datagram
inline constexpr int NL_MAX_HI_MSG = NL_MAX_DATAGRAM - NL_HEADER_SIZE;
inline constexpr int NL_RX_PAYLOAD = 4096;
inline constexpr int NL_RX_BUFFER = NL_HEADER_SIZE + NL_RX_PAYLOAD;

extern int sock_fd;           // -1 while the channel is closed
extern PeerAddress src_addr;  // ours; a receive leaves the sender's in it
extern PeerAddress dest_addr;
extern uint8_t* recvbuf;

int adapter_sendmsg(const void* msg, int len);
int adapter_recvmsg_nb(void* dst, int max);
int adapter_recvmsg(void* dst, int max, int timeout_ms);

// Datagram size for an HI message of len bytes: header added, padded to 4.
constexpr int adapter_datagram_size(int len) {
    return (len + NL_HEADER_SIZE + 3) & ~3;
}

// Writes the netlink header for a datagram of size bytes from sender pid and
// copies the len message bytes behind it. The datagram must hold size bytes
// and size must be adapter_datagram_size(len).
void adapter_fill_datagram(uint8_t* datagram, int size, const void* msg, int len, uint32_t pid);
