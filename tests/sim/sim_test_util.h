// What the stand-in's tests share: a plain netlink client socket, message
// builders written independently of the stand-in's own, and a fixture with
// one rqmsim per test suite, reset before each test.
#pragma once

#include <gtest/gtest.h>
#include <linux/netlink.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "common/hi_msg.h"
#include "tests/support/sim_fixture.h"
#include "tests/support/sim_process.h"

using Bytes = std::vector<uint8_t>;

// HI message: MsgLen, MsgId, then 32-bit words.
inline Bytes hi(unsigned msg_id, std::initializer_list<uint32_t> words = {}) {
    Bytes m(4 + 4 * words.size(), 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    hi_set_msg_id(m.data(), static_cast<uint16_t>(msg_id));
    size_t off = 4;
    for (uint32_t w : words) {
        hi_wr32(m.data() + off, w);
        off += 4;
    }
    return m;
}

inline unsigned seq_bits(unsigned seq) {
    return seq << HI_MSG_SEQ_SHIFT;
}

// A message of these bytes after MsgLen and MsgId.
inline Bytes msg(unsigned id, const Bytes& body) {
    Bytes m(4, 0);
    m.insert(m.end(), body.begin(), body.end());
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    hi_set_msg_id(m.data(), static_cast<uint16_t>(id));
    return m;
}
inline Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline Bytes slice(const Bytes& b, size_t from, size_t to) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
}
inline Bytes w16(Bytes m, size_t off, uint16_t v) {
    hi_wr16(m.data() + off, v);
    return m;
}
inline Bytes w32(Bytes m, size_t off, uint32_t v) {
    hi_wr32(m.data() + off, v);
    return m;
}
inline Bytes with_len(Bytes m, uint16_t len) {
    hi_set_msg_len(m.data(), len);
    return m;
}
// A download chunk: offset, flags, the data.
inline Bytes chunk(unsigned id, uint32_t offset, uint32_t flags, const Bytes& data) {
    Bytes m = cat(hi(id, {offset, flags}), data);
    return with_len(m, static_cast<uint16_t>(m.size()));
}
// Messages arrive padded to a multiple of 4.
inline Bytes padded(Bytes m) {
    m.resize((m.size() + 3) / 4 * 4, 0);
    return m;
}

inline Bytes boot(uint32_t state, uint32_t res) {
    return hi(HI_BOOT_IND_ID, {state, res});
}

inline Bytes api_ctx_cnf(bool running, uint32_t mib = 0x00080000, uint16_t api = 0x0427, unsigned seq = 0) {
    Bytes m(148, 0);
    hi_set_msg_len(m.data(), 148);
    hi_set_msg_id(m.data(), static_cast<uint16_t>(0x7F8 | seq_bits(seq)));
    m[8] = running;
    hi_wr32(m.data() + 12, mib);
    hi_wr16(m.data() + 144, api);
    return m;
}

inline Bytes startup(uint16_t window, unsigned seq = 0, uint16_t maxmsg = 1520, uint16_t api = 0x0427,
                     const std::string& label = "RQMFW_Q23.02.0017", uint32_t mib = 0x00080000) {
    Bytes m(160, 0);
    hi_set_msg_len(m.data(), 160);
    hi_set_msg_id(m.data(), static_cast<uint16_t>(0x801 | seq_bits(seq)));
    hi_wr16(m.data() + 4, window);
    hi_wr16(m.data() + 6, maxmsg);
    hi_wr16(m.data() + 18, api);
    std::copy(label.begin(), label.end(), m.begin() + 24);
    hi_wr32(m.data() + 156, mib);
    return m;
}

inline Bytes unmodelled_cnf(uint16_t id, unsigned seq = 0) {
    return hi(static_cast<uint16_t>(id | 0x400 | seq_bits(seq)), {0xFFFFFFFF});
}

// A datagram as both sides frame it: header, payload, zeros to a multiple
// of 4 when padded.
inline Bytes datagram(const Bytes& payload, uint32_t sender, bool pad = true) {
    const size_t size = pad ? (payload.size() + 16 + 3) / 4 * 4 : payload.size() + 16;
    Bytes dg(size, 0);
    hi_wr32(dg.data(), static_cast<uint32_t>(size));
    hi_wr32(dg.data() + 12, sender);
    std::copy(payload.begin(), payload.end(), dg.begin() + 16);
    return dg;
}

// A client socket bound where the kernel chooses, as many as a test wants.
class NlClient {
public:
    NlClient() {
        fd_ = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_USERSOCK);
        sockaddr_nl a{};
        a.nl_family = AF_NETLINK;
        socklen_t len = sizeof a;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) < 0)
            ADD_FAILURE() << "netlink client socket";
        port_ = a.nl_pid;
    }
    ~NlClient() { close(fd_); }
    NlClient(const NlClient&) = delete;
    NlClient& operator=(const NlClient&) = delete;

    uint32_t port() const { return port_; }

    bool send_datagram(const Bytes& dg, uint32_t to) {
        sockaddr_nl a{};
        a.nl_family = AF_NETLINK;
        a.nl_pid = to;
        return sendto(fd_, dg.data(), dg.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a) ==
               static_cast<ssize_t>(dg.size());
    }
    bool send(const Bytes& msg, uint32_t to) { return send_datagram(datagram(msg, port_), to); }

    // The next whole datagram, or nothing within the time.
    std::optional<Bytes> recv(int timeout_ms = 2000) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0)
            return std::nullopt;
        Bytes buf(65536);
        const ssize_t n = ::recv(fd_, buf.data(), buf.size(), MSG_DONTWAIT);
        if (n < 0)
            return std::nullopt;
        buf.resize(static_cast<size_t>(n));
        return buf;
    }

private:
    int fd_ = -1;
    uint32_t port_ = 0;
};

// The stand-in's own tests: WithSim's suite-wide stand-in, with a control
// call that reports instead of asserting, so tests can expect errors.
class SimTest : public WithSim {
protected:
    uint32_t sim_port() const { return sim_->port(); }

    bool ctl(const std::string& line, std::vector<std::string>* out = nullptr) {
        return sim_->control(line, out);
    }

    bool send(const Bytes& msg) { return nl.send(msg, sim_port()); }

    // The next count datagrams, each of which must come from the sim.
    std::vector<Bytes> take(size_t count, int timeout_ms = 2000) {
        std::vector<Bytes> got;
        while (got.size() < count) {
            auto dg = nl.recv(timeout_ms);
            if (!dg)
                break;
            EXPECT_EQ(hi_rd32(dg->data() + 12), sim_port()) << "sender port";
            got.push_back(*dg);
        }
        EXPECT_EQ(got.size(), count) << "datagrams received";
        return got;
    }
    // Payloads of the next count datagrams, padding included.
    std::vector<Bytes> answers(size_t count) {
        std::vector<Bytes> got;
        for (const Bytes& dg : take(count))
            got.push_back(SimProcess::hi_payload(dg));
        return got;
    }
    Bytes answer() {
        auto a = answers(1);
        return a.empty() ? Bytes{} : a[0];
    }
    // Nothing more arrives: a control command drains the sim's socket and
    // sends its due answers before it replies.
    void expect_quiet(NlClient* c = nullptr) {
        ASSERT_TRUE(ctl("ping"));
        auto extra = (c ? c : &nl)->recv(0);
        EXPECT_FALSE(extra.has_value())
            << "unexpected datagram of " << (extra ? extra->size() : 0) << " bytes";
    }
    void connect() {
        ASSERT_TRUE(send(hi(1018, {0x02000009, 50})));
        EXPECT_EQ(answers(2), (std::vector<Bytes>{boot(3, 0), startup(4)}));
    }

    NlClient nl;
};

// One exchange: control lines ("connect" for the handshake), requests sent
// back to back, every answer to them in order, then "get" lines.
struct Exchange {
    const char* name;
    std::vector<std::string> setup;
    std::vector<Bytes> requests;
    std::vector<Bytes> expected;  // HI payloads, padding included
    std::vector<std::pair<std::string, std::string>> after = {};
};

class SimExchange : public SimTest, public testing::WithParamInterface<Exchange> {};

inline std::string exchange_name(const testing::TestParamInfo<Exchange>& info) {
    return info.param.name;
}
