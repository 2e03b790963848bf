#include "vormac_adapter.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/hi_bytes.h"

int sock_fd = -1;
PeerAddress src_addr;
PeerAddress dest_addr;
uint8_t* recvbuf = nullptr;
// The lengths of the two addresses: every receive and send passes them.
static socklen_t src_addr_len = sizeof src_addr.nl;
static socklen_t dest_addr_len = sizeof dest_addr.nl;

static void close_socket() {
    close(sock_fd);
    sock_fd = -1;
}

int adapter_connect() {
    sock_fd = peer_socket();
    if (sock_fd < 0) {
        printf("%s socket error(%d)!\n", "adapter_connect", sock_fd);
        sock_fd = -1;
        return -1;
    }

    src_addr_len = peer_own_address(&src_addr);
    int ret = bind(sock_fd, &src_addr.sa, src_addr_len);
    if (ret < 0) {
        printf("%s bind error(%d)!\n", "adapter_connect", ret);
        close_socket();
        return ret;
    }

    dest_addr_len = peer_destination(&dest_addr);

    recvbuf = static_cast<uint8_t*>(malloc(NL_RX_BUFFER));
    if (recvbuf == nullptr) {
        printf("%s malloc failed!\n", "adapter_connect");
        close_socket();
        return -1;
    }
    return 0;
}

void adapter_disconnect() {
    // Descriptor 0 is a valid socket when standard input was closed.
    if (sock_fd >= 0)
        close(sock_fd);
    sock_fd = -1;
    free(recvbuf);
    recvbuf = nullptr;
}

void adapter_fill_datagram(uint8_t* datagram, int size, const void* msg, int len, uint32_t pid) {
    memset(datagram, 0, static_cast<size_t>(size));
    hi_wr32(datagram + 0, static_cast<uint32_t>(size));  // length
    hi_wr16(datagram + 6, 0);                            // flags
    hi_wr32(datagram + 12, pid);                         // sender port id
    memcpy(datagram + NL_HEADER_SIZE, msg, static_cast<size_t>(len));
}

int adapter_sendmsg(const void* msg, int len) {
    if (sock_fd < 0) {
        printf("%s socket is not ready!\n", "adapter_sendmsg");
        return -1;
    }
    if (len < 0 || msg == nullptr)
        return -1;
    const int size = adapter_datagram_size(len);
    if (size > NL_MAX_DATAGRAM) {
        printf("%s msg len is too big(%d)!\n", "adapter_sendmsg", size);
        return -1;
    }
    auto* datagram = static_cast<uint8_t*>(malloc(static_cast<size_t>(size)));
    if (datagram == nullptr) {
        printf("%s malloc failed!\n", "adapter_sendmsg");
        return -12;
    }
    adapter_fill_datagram(datagram, size, msg, len, static_cast<uint32_t>(getpid()));

    iovec iov{datagram, static_cast<size_t>(size)};
    msghdr mh{};
    mh.msg_name = &dest_addr;
    mh.msg_namelen = dest_addr_len;
    mh.msg_iov = &iov;
    mh.msg_iovlen = 1;
    ssize_t sent = sendmsg(sock_fd, &mh, 0);
    if (sent < 0)
        peer_send_refused(errno);
    free(datagram);
    return static_cast<int>(sent) - NL_HEADER_SIZE;
}

// One receive into recvbuf, then the payload (padding included) copied out,
// capped by the caller's room and the 4096 payload bytes a receive keeps.
static int receive_into(void* dst, int max, int flags) {
    const int room = max >= NL_RX_PAYLOAD ? NL_RX_PAYLOAD : max;
    iovec iov{recvbuf, NL_RX_BUFFER};
    msghdr mh{};
    mh.msg_name = &src_addr;
    mh.msg_namelen = src_addr_len;
    mh.msg_iov = &iov;
    mh.msg_iovlen = 1;
    ssize_t got = recvmsg(sock_fd, &mh, flags);
    if (got <= NL_HEADER_SIZE)
        return 0;
    // A datagram longer than the buffer arrives cut to it.
    if (got > NL_RX_BUFFER)
        got = NL_RX_BUFFER;
    int count = static_cast<int>(got) - NL_HEADER_SIZE;
    if (count > room)
        count = room;
    memcpy(dst, recvbuf + NL_HEADER_SIZE, static_cast<size_t>(count));
    return count;
}

int adapter_recvmsg_nb(void* dst, int max) {
    if (sock_fd < 0) {
        printf("%s socket is not ready!\n", "adapter_recvmsg_nb");
        return -1;
    }
    if (max <= 0 || dst == nullptr)
        return 0;
    return receive_into(dst, max, MSG_DONTWAIT);
}

int adapter_recvmsg(void* dst, int max, int timeout_ms) {
    if (sock_fd < 0) {
        printf("%s socket is not ready!\n", "adapter_recvmsg");
        return -1;
    }
    if (max <= 0 || dst == nullptr)
        return 0;
    if (timeout_ms == 0)
        return receive_into(dst, max, 0);
    const int attempts = (timeout_ms + 99) / 100;
    for (int i = 0; i < attempts; ++i) {
        int n = receive_into(dst, max, MSG_DONTWAIT);
        if (n > 0)
            return n;
        usleep(100000);
    }
    return 0;
}
