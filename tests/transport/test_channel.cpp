// The netlink channel against the stand-in driver: what goes on the wire
// byte for byte, and what a receive hands back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/hi_msg.h"
#include "tests/support/sim_process.h"
#include "transport/vormac_adapter.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes request(uint16_t len, uint16_t id) {
    Bytes m(len, 0);
    hi_set_msg_len(m.data(), len);
    hi_set_msg_id(m.data(), id);
    for (size_t i = 4; i < m.size(); ++i)
        m[i] = static_cast<uint8_t>(i);
    return m;
}

// Polls the receive until a datagram is there, for at most two seconds.
int receive_wait(uint8_t* dst, int room) {
    for (int i = 0; i < 200; ++i) {
        int n = adapter_recvmsg_nb(dst, room);
        if (n != 0)
            return n;
        usleep(10000);
    }
    return 0;
}

class Channel : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok());
        ASSERT_EQ(adapter_connect(), 0);
    }
    void TearDown() override { adapter_disconnect(); }
    SimProcess sim;
};

struct SendCase {
    uint16_t len;
    int result;
    int datagram;
};

class ChannelSend : public Channel, public testing::WithParamInterface<SendCase> {};

TEST_P(ChannelSend, DatagramOnTheWire) {
    const SendCase& c = GetParam();
    Bytes msg = request(c.len, 0x3F0);
    ASSERT_TRUE(sim.control("log clear"));
    EXPECT_EQ(adapter_sendmsg(msg.data(), c.len), c.result);
    // Make sure the sim has read it before asking for its log.
    ASSERT_TRUE(sim.control("ping"));
    auto got = sim.received();
    ASSERT_EQ(got.size(), 1u);
    const Bytes& dg = got[0];
    ASSERT_EQ(dg.size(), static_cast<size_t>(c.datagram));
    EXPECT_EQ(hi_rd32(dg.data()), static_cast<uint32_t>(c.datagram));
    EXPECT_EQ(hi_rd16(dg.data() + 6), 0u);
    EXPECT_EQ(hi_rd32(dg.data() + 12), static_cast<uint32_t>(getpid()));
    EXPECT_EQ(Bytes(dg.begin() + 16, dg.begin() + 16 + c.len), msg);
    for (size_t i = 16u + c.len; i < dg.size(); ++i)
        EXPECT_EQ(dg[i], 0) << "padding byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Lengths, ChannelSend,
                         testing::Values(SendCase{4, 4, 20}, SendCase{5, 8, 24}, SendCase{8, 8, 24},
                                         SendCase{1520, 1520, 1536}));

TEST_F(Channel, OversizeMessageNeverReachesTheDriver) {
    Bytes msg = request(1521, 0x3F0);
    ASSERT_TRUE(sim.control("log clear"));
    testing::internal::CaptureStdout();
    EXPECT_EQ(adapter_sendmsg(msg.data(), 1521), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "adapter_sendmsg msg len is too big(1540)!\n");
    ASSERT_TRUE(sim.control("ping"));
    EXPECT_TRUE(sim.received().empty());
}

TEST_F(Channel, ReceiveCopiesPaddingAndNothingWhenEmpty) {
    uint8_t buf[64];
    EXPECT_EQ(adapter_recvmsg_nb(buf, sizeof buf), 0);
    // An 18-byte message travels padded to 20.
    ASSERT_TRUE(sim.control("send raw 1200020c0102030405060708090a0b0c0d0e"));
    EXPECT_EQ(receive_wait(buf, sizeof buf), 20);
    EXPECT_EQ(hi_msg_len(buf), 18u);
    EXPECT_EQ(buf[17], 0x0e);
}

TEST_F(Channel, ReceiveIsCutToTheRoomAndTheRestIsLost) {
    uint8_t buf[64] = {};
    ASSERT_TRUE(sim.control("send raw 1400020c0102030405060708090a0b0c0d0e0f10"));
    EXPECT_EQ(receive_wait(buf, 6), 6);
    EXPECT_EQ(buf[5], 0x02);
    EXPECT_EQ(buf[6], 0);
    EXPECT_EQ(adapter_recvmsg_nb(buf, sizeof buf), 0);
}

TEST_F(Channel, TimedReceiveWaitsItsAttempts) {
    uint8_t buf[16];
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(adapter_recvmsg(buf, sizeof buf, 250), 0);
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    // Three attempts, 100 ms apart.
    EXPECT_GE(ms, 290);
    EXPECT_LT(ms, 1000);
    ASSERT_TRUE(sim.control("send raw 0400f807"));
    EXPECT_EQ(adapter_recvmsg(buf, sizeof buf, 1000), 4);
}

TEST_F(Channel, DriverAnswerComesBackToOurPort) {
    Bytes msg = request(8, 1016);
    hi_wr32(msg.data() + 4, 0);
    EXPECT_EQ(adapter_sendmsg(msg.data(), 8), 8);
    uint8_t buf[256];
    EXPECT_EQ(receive_wait(buf, sizeof buf), 148);
    EXPECT_EQ(hi_msg_len(buf), 148u);
    EXPECT_EQ(hi_msg_id(buf), 0x7F8u);
}

// More datagrams than a Unix datagram socket queues (10 by default) before
// the reader gets to them: the stand-in waits for room instead of losing
// them, on either channel.
TEST_F(Channel, BurstLargerThanTheQueueArrivesWhole) {
    constexpr unsigned kBurst = 16;
    bool sent = true;
    std::thread sender([&] {
        for (unsigned i = 0; i < kBurst; ++i)
            sent = sim.control("send trace " + std::to_string(i)) && sent;
    });
    usleep(200000);
    uint8_t buf[64];
    for (unsigned i = 0; i < kBurst; ++i) {
        ASSERT_EQ(receive_wait(buf, sizeof buf), 8) << "trace " << i;
        EXPECT_EQ(hi_msg_id(buf) & 0x1FFF, 0x802u);
        EXPECT_EQ(hi_rd32(buf + 4), i);
    }
    sender.join();
    EXPECT_TRUE(sent) << sim.last_error();
}

TEST(ChannelNoPeer, RefusedDatagramGivesMinus17) {
    // A port nobody has bound: the socket refuses the datagram.
    const char* saved = getenv("RQMSIM_PORT");
    std::string keep = saved ? saved : "";
    setenv("RQMSIM_PORT", "4999999", 1);
    ASSERT_EQ(adapter_connect(), 0);
    uint8_t msg[4] = {4, 0, 0xF8, 0x03};
    EXPECT_EQ(adapter_sendmsg(msg, 4), -17);
    adapter_disconnect();
    if (saved)
        setenv("RQMSIM_PORT", keep.c_str(), 1);
    else
        unsetenv("RQMSIM_PORT");
}

}  // namespace
