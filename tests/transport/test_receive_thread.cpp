// The receive thread on the real channel, against the stand-in driver:
// delivery, reassembly across datagrams, reset of held bytes, window
// counting, immediate stop, and no CPU spent while it waits.
#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/hi_msg.h"
#include "tests/support/received.h"
#include "tests/support/sim_process.h"
#include "tests/support/threads.h"
#include "transport/TargetCli.h"
#include "transport/vormac_adapter.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

double cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

Bytes request(uint16_t len, uint16_t id) {
    Bytes m(len, 0);
    hi_set_msg_len(m.data(), len);
    hi_set_msg_id(m.data(), id);
    return m;
}

class ReceiveThread : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok());
        ASSERT_EQ(adapter_connect(), 0);
        target = TargetCli_Create(nullptr);
        ASSERT_NE(target, nullptr);
        ASSERT_EQ(TargetCli_Init(target, 0, nullptr, Received::deliver, &inbox), 1);
    }
    void TearDown() override {
        TargetCli_Exit(target);
        adapter_disconnect();
    }
    void send(const Bytes& m) { ASSERT_GT(adapter_sendmsg(m.data(), static_cast<int>(m.size())), 0); }

    SimProcess sim;
    Received inbox;
    TargetCliContext* target = nullptr;
};

TEST_F(ReceiveThread, AnswerIsClassifiedAndDelivered) {
    send(request(8, 1016));
    ASSERT_TRUE(inbox.wait_for(1));
    auto got = inbox.msgs();
    EXPECT_EQ(hi_msg_id(got[0].data()), 0x7F8u);
    EXPECT_EQ(got[0].size(), 148u);
}

TEST_F(ReceiveThread, ConnectOpensTheWindowAndCountsConfirmations) {
    Bytes connect = request(12, 1018);
    hi_wr32(connect.data() + 4, 0x02000009);
    hi_wr32(connect.data() + 8, 50);
    send(connect);
    // BOOT 3/0 is consumed; the startup indication is delivered.
    ASSERT_TRUE(inbox.wait_for(1));
    EXPECT_EQ(hi_msg_id(inbox.msgs()[0].data()), HI_STARTUP_IND_ID);
    EXPECT_EQ(target->bBootLoaderReady, 1u);
    EXPECT_EQ(rxed_boot_ind, 1);
    EXPECT_EQ(target->SendWindow, 4u);
    EXPECT_EQ(target->RxSeq, 1u);
    // A numbered request as the sending side stamps it: sequence 0.
    send(request(8, 1016));
    ASSERT_TRUE(inbox.wait_for(2));
    auto got = inbox.msgs();
    EXPECT_EQ(hi_msg_id(got[1].data()), 0x7F8u) << "sequence bits must be stripped";
    EXPECT_EQ(target->RxSeq, 2u);
    EXPECT_EQ(target->CnfCount, 1u);
}

TEST_F(ReceiveThread, RefusalReachesTheCallbackWithItsLine) {
    testing::internal::CaptureStdout();
    send(request(8, 70));  // a firmware request while not connected
    ASSERT_TRUE(inbox.wait_for(1));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RQM not connect,please connect first!\n");
    auto got = inbox.msgs();
    EXPECT_EQ(hi_msg_id(got[0].data()), HI_BOOT_IND_ID);
    EXPECT_EQ(hi_rd32(got[0].data() + 8), 7u);
}

TEST_F(ReceiveThread, AnswerSplitOverTwoDatagramsIsJoined) {
    ASSERT_TRUE(sim.control("fault 1016 split 2 1"));
    send(request(8, 1016));
    ASSERT_TRUE(inbox.wait_for(1));
    auto got = inbox.msgs();
    EXPECT_EQ(got[0].size(), 148u);
    EXPECT_EQ(hi_msg_id(got[0].data()), 0x7F8u);
}

TEST_F(ReceiveThread, SecondMessageOfADatagramIsDropped) {
    ASSERT_TRUE(sim.control("fault 1016 double 0 1"));
    send(request(8, 1016));
    ASSERT_TRUE(inbox.wait_for(1));
    // The next answer proves the thread went on without the dropped one.
    send(request(8, 1016));
    ASSERT_TRUE(inbox.wait_for(2));
    auto got = inbox.msgs();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(hi_msg_id(got[0].data()), 0x7F8u);
    EXPECT_EQ(hi_msg_id(got[1].data()), 0x7F8u);
}

TEST_F(ReceiveThread, OversizeLengthIsWarnedAndDropped) {
    ASSERT_TRUE(sim.control("fault 1016 oversize 8188 1"));
    testing::internal::CaptureStdout();
    send(request(8, 1016));
    send(request(8, 1016));
    ASSERT_TRUE(inbox.wait_for(1));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Warning:Buffer overflow!\ndata length:8188 \tbuffer length:148 MsgId = 0x000007f8\n");
    EXPECT_EQ(inbox.msgs().size(), 1u);
}

TEST_F(ReceiveThread, ResetDiscardsHeldBytes) {
    // Two stray bytes are held for the next datagram ...
    ASSERT_TRUE(sim.control("send raw 9999"));
    ASSERT_TRUE(sim.control("ping"));
    std::this_thread::sleep_for(50ms);
    // ... unless the boot wait asks for a reset first.
    target->bRxReset = 1;
    send(request(8, 1016));
    ASSERT_TRUE(inbox.wait_for(1));
    EXPECT_EQ(hi_msg_id(inbox.msgs()[0].data()), 0x7F8u);
    EXPECT_EQ(target->bRxReset, 0u);
}

TEST_F(ReceiveThread, StopIsImmediateAndLeavesNoThread) {
    EXPECT_EQ(receive_threads(), 1);
    auto t0 = std::chrono::steady_clock::now();
    TargetCli_Exit(target);
    target = nullptr;
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 100ms);
    EXPECT_EQ(tID, 0u);
    EXPECT_TRUE(eventually([] { return receive_threads() == 0; }));
}

TEST_F(ReceiveThread, WaitingCostsNoCpu) {
    const double before = cpu_seconds();
    std::this_thread::sleep_for(2s);
    const double used = cpu_seconds() - before;
    EXPECT_LT(used, 0.1) << "the receive thread spins while it waits";
    // And it still answers at once after the quiet spell.
    send(request(8, 1016));
    EXPECT_TRUE(inbox.wait_for(1, 500ms));
}

TEST(ReceiveThreadLifecycle, RepeatedStartAndStop) {
    SimProcess sim;
    ASSERT_TRUE(sim.ok());
    ASSERT_EQ(adapter_connect(), 0);
    for (int i = 0; i < 20; ++i) {
        Received inbox;
        TargetCliContext* t = TargetCli_Create(nullptr);
        ASSERT_EQ(TargetCli_Init(t, 0, nullptr, Received::deliver, &inbox), 1);
        Bytes m = request(8, 1016);
        ASSERT_EQ(adapter_sendmsg(m.data(), 8), 8);
        if (i % 2 == 0) {
            EXPECT_TRUE(inbox.wait_for(1));
        }
        TargetCli_Exit(t);
    }
    adapter_disconnect();
}

}  // namespace
