// The request/confirm broker against a fake Target: sends are recorded and
// answered by calling Adapter_Receive as the receive thread would, at once
// or later from another thread, or not at all. No socket.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "api/rqm_api.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "tests/support/fake_target.h"
#include "transport/adapter.h"
#include "transport/target_temp.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<Bytes> g_indications;

void record_indication(void*, uint8_t* msg) {
    g_indications.emplace_back(msg, msg + hi_msg_len(msg));
}

Bytes message(uint16_t len, uint16_t id, uint32_t status = 0) {
    Bytes m(len, 0);
    hi_set_msg_len(m.data(), len);
    hi_set_msg_id(m.data(), id);
    if (len >= 8)
        hi_wr32(m.data() + 4, status);
    return m;
}

Bytes boot(uint32_t state, uint32_t res) {
    Bytes m = message(12, HI_BOOT_IND_ID, state);
    hi_wr32(m.data() + 8, res);
    return m;
}

Bytes startup(const char* label, uint16_t window = 4, uint16_t len = 160) {
    // Room for every field even when MsgLen claims fewer bytes.
    Bytes m = message(len < STARTUP_IND_MIN_SIZE ? STARTUP_IND_MIN_SIZE : len, HI_STARTUP_IND_ID);
    hi_set_msg_len(m.data(), len);
    hi_wr16(m.data() + STARTUP_IND_NUM_INP_BUFS_OFF, window);
    hi_wr16(m.data() + STARTUP_IND_MAX_MSG_SIZE_OFF, 1520);
    hi_wr16(m.data() + STARTUP_IND_API_VER_OFF, 0x0427);
    strncpy(reinterpret_cast<char*>(m.data() + STARTUP_IND_LABEL_OFF), label, STARTUP_IND_LABEL_SIZE - 1);
    hi_wr32(m.data() + STARTUP_IND_MIB_BASE_OFF, 0x00081000);
    return m;
}

class Broker : public testing::Test {
protected:
    void SetUp() override {
        g_indications.clear();
        g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = 0;
        ctx = RQM_Create(nullptr, nullptr);
        ASSERT_NE(ctx, nullptr);
        RQM_SetCallbackFunction(ctx, record_indication);
        fake_target_attach(ctx, &fake);
        ctx->CnfTimeoutMs = 100;
    }
    void TearDown() override {
        for (auto& t : fake.late)
            t.join();
        fake.late.clear();
        RQM_Stop(ctx);
        g_fake = nullptr;
    }
    int request(uint16_t id = 0x3F0, uint32_t cnfSize = 64) {
        Bytes req = message(8, id);
        cnf.assign(cnfSize, 0xEE);
        return Adapter_Request(ctx, req.data(), cnf.data(), cnfSize);
    }
    int connect() {
        Bytes req = message(12, 1018, 0x02000009);
        return Adapter_Request_Connect(ctx, req.data(), nullptr, 0);
    }

    RqmApiContext* ctx = nullptr;
    FakeTarget fake;
    Bytes cnf;
};

TEST_F(Broker, ThreeAttemptsWithoutAnswer) {
    ctx->Attempts = 3;
    ctx->CnfTimeoutMs = 50;
    testing::internal::CaptureStdout();
    EXPECT_EQ(request(), RQM_NO_CONFIRMATION);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Wait for cnf timed out!\nWait for cnf timed out!\nWait for cnf timed out!\n"
              "Adapter_Request pRqmApiContext->MsgReceivedSize == 0\n");
    ASSERT_EQ(fake.sent.size(), 3u);
    EXPECT_EQ(fake.sent[0].resend, 0);
    EXPECT_EQ(fake.sent[1].resend, 1);
    EXPECT_EQ(fake.sent[2].resend, 1);
}

TEST_F(Broker, NoAttemptsSendNothing) {
    ctx->Attempts = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(request(), RQM_NO_CONFIRMATION);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Adapter_Request pRqmApiContext->MsgReceivedSize == 0\n");
    EXPECT_TRUE(fake.sent.empty());
}

struct AnswerCase {
    const char* name;
    Bytes answer;
    uint32_t cnfSize;
    int result;
};

class Answers : public Broker, public testing::WithParamInterface<AnswerCase> {};

TEST_P(Answers, ResultOfTheAwaitedMessage) {
    const AnswerCase& c = GetParam();
    fake.script = {ANSWER_NOW};
    fake.answer = c.answer;
    ctx->CnfTimeoutMs = 2000;
    testing::internal::CaptureStdout();
    auto t0 = Clock::now();
    EXPECT_EQ(request(0x3F0, c.cnfSize), c.result);
    testing::internal::GetCapturedStdout();
    // Whatever the answer, the waiter wakes at once.
    EXPECT_LT(Clock::now() - t0, 1000ms);
    if (c.result == RQM_SUCCESS) {
        EXPECT_EQ(Bytes(cnf.begin(), cnf.begin() + static_cast<long>(c.answer.size())), c.answer);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Answers,
                         testing::Values(AnswerCase{"Confirmation", message(12, 0x7F0), 64, 0},
                                         AnswerCase{"NonzeroStatusIsTheCallersToRead", message(12, 0x7F0, 7),
                                                    64, 0},
                                         AnswerCase{"ExactlyTheRoom", message(64, 0x7F0), 64, 0},
                                         AnswerCase{"TooLongForTheCaller", message(65, 0x7F0), 64, 1},
                                         AnswerCase{"RefusalGivesItsRes", boot(1, 7), 64, 7},
                                         AnswerCase{"RefusalThatDoesNotFit", boot(1, 7), 8, 1},
                                         AnswerCase{"RefusalWithSequenceBits",
                                                    [] {
                                                        Bytes b = boot(1, 5);
                                                        hi_set_msg_id(b.data(), HI_BOOT_IND_ID | 0x6000);
                                                        return b;
                                                    }(),
                                                    64, 5}),
                         [](const testing::TestParamInfo<AnswerCase>& info) { return info.param.name; });

TEST_F(Broker, OtherMessagesDoNotEndTheWait) {
    fake.script = {ANSWER_NOW};
    fake.answer = message(12, 0x7F1);  // another request's confirmation
    ctx->CnfTimeoutMs = 100;
    testing::internal::CaptureStdout();
    EXPECT_EQ(request(0x3F0), RQM_NO_CONFIRMATION);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(g_indications.size(), 1u);
    EXPECT_EQ(hi_msg_id(g_indications[0].data()), 0x7F1);
}

TEST_F(Broker, SequenceBitsOfTheRequestBufferDoNotMatter) {
    fake.script = {ANSWER_NOW};
    fake.answer = message(12, 0x7F0);
    Bytes req = message(8, 0x3F0 | 0x6000);
    cnf.assign(64, 0);
    EXPECT_EQ(Adapter_Request(ctx, req.data(), cnf.data(), 64), 0);
}

TEST_F(Broker, AnswerWithinTheTimeout) {
    fake.script = {ANSWER_LATER};
    fake.answer = message(12, 0x7F0);
    fake.delay = 300ms;
    ctx->CnfTimeoutMs = 999;  // under a second still waits
    EXPECT_EQ(request(), 0);
}

TEST_F(Broker, TimeoutCountsInMilliseconds) {
    ctx->CnfTimeoutMs = 300;
    testing::internal::CaptureStdout();
    auto t0 = Clock::now();
    EXPECT_EQ(request(), RQM_NO_CONFIRMATION);
    const auto waited = Clock::now() - t0;
    testing::internal::GetCapturedStdout();
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 1000ms);
}

TEST_F(Broker, StalePostDoesNotEndTheNextWait) {
    sem_post(&ctx->CnfSemaphore);  // left by an answer nobody took
    ctx->CnfTimeoutMs = 200;
    testing::internal::CaptureStdout();
    auto t0 = Clock::now();
    EXPECT_EQ(request(), RQM_NO_CONFIRMATION);
    testing::internal::GetCapturedStdout();
    EXPECT_GE(Clock::now() - t0, 200ms);
}

TEST_F(Broker, BootWhileNobodyWaitsGoesToTheCallbackAndPostsNothing) {
    Bytes b = boot(1, 7);
    Adapter_Receive(ctx, b.data());
    ASSERT_EQ(g_indications.size(), 1u);
    int value = -1;
    sem_getvalue(&ctx->CnfSemaphore, &value);
    EXPECT_EQ(value, 0);
}

TEST_F(Broker, LateAnswerAfterTheLastAttemptIsNotTakenByTheNextRequest) {
    fake.script = {ANSWER_LATER, ANSWER_NOW};
    fake.answer = message(12, 0x7F0, 1);
    fake.delay = 150ms;
    ctx->CnfTimeoutMs = 50;
    testing::internal::CaptureStdout();
    EXPECT_EQ(request(), RQM_NO_CONFIRMATION);
    // The late answer lands while nobody waits: an indication, no post.
    std::this_thread::sleep_for(200ms);
    fake.answer = message(12, 0x7F0, 2);
    ctx->CnfTimeoutMs = 1000;
    EXPECT_EQ(request(), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(hi_rd32(cnf.data() + 4), 2u);
}

TEST_F(Broker, FailedSendLosesTheTransport) {
    fake.script = {SEND_FAILS};
    EXPECT_EQ(request(), RQM_TRANSPORT_LOST);
    EXPECT_EQ(ctx->Target, nullptr);
    EXPECT_EQ(ctx->FwRunning, 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(request(), RQM_FW_NOT_RUNNING);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RQM_API_FW_NOT_RUNNING!\n");
}

TEST_F(Broker, SendThatGaveUpIsAnAttemptWithoutAnswer) {
    fake.script = {GIVE_UP, ANSWER_NOW};
    fake.answer = message(12, 0x7F0);
    ctx->Attempts = 2;
    testing::internal::CaptureStdout();
    EXPECT_EQ(request(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Wait for cnf timed out!\n");
    EXPECT_NE(ctx->Target, nullptr);
    ASSERT_EQ(fake.sent.size(), 2u);
    EXPECT_EQ(fake.sent[1].resend, 1);
}

TEST_F(Broker, StartupTakenSetsFwRunningAndReachesTheCallback) {
    ctx->FwRunning = 0;
    fake.script = {ANSWER_NOW};
    fake.answer = startup("RQMFW_Q23.02");
    EXPECT_EQ(connect(), 0);
    EXPECT_EQ(ctx->FwRunning, 1);
    ASSERT_EQ(g_indications.size(), 1u);
    EXPECT_EQ(ctx->MaxMsgSize, 1520u);
    EXPECT_EQ(ctx->MibBaseAddress, 0x00081000u);
    EXPECT_EQ(ctx->FirmwareApiVer, 0x0427);
    EXPECT_STREQ(ctx->FirmwareLabel, "RQMFW_Q23.02");
}

TEST_F(Broker, UnawaitedStartupLeavesFwRunningAlone) {
    ctx->FwRunning = 0;
    Bytes s = startup("x");
    Adapter_Receive(ctx, s.data());
    EXPECT_EQ(ctx->FwRunning, 0);
    EXPECT_EQ(g_indications.size(), 1u);
}

struct LabelCase {
    const char* label;
    uint16_t variant;
};

class PlatformCode : public Broker, public testing::WithParamInterface<LabelCase> {};

TEST_P(PlatformCode, SetsTheChipVariantFlag) {
    fake.script = {ANSWER_NOW};
    fake.answer = startup(GetParam().label);
    EXPECT_EQ(connect(), 0);
    EXPECT_EQ(g_driver_data.Word[CLI_WORD_CHIP_VARIANT], GetParam().variant) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(Labels, PlatformCode,
                         testing::Values(LabelCase{"xyzQ23.01", 1}, LabelCase{"Q279", 1}, LabelCase{"Q24", 0},
                                         LabelCase{"Q2 then Q23", 0}, LabelCase{"Q-233", 1},
                                         LabelCase{"Q99999999999999999999", 0}, LabelCase{"no code", 0},
                                         LabelCase{"0123456789012345678901234567890Q23", 1},
                                         LabelCase{"01234567890123456789012345678901Q23", 0}));

struct HandshakeCase {
    const char* name;
    Bytes answer;
    int result;
};

class HandshakeRefusals : public Broker, public testing::WithParamInterface<HandshakeCase> {};

TEST_P(HandshakeRefusals, LeaveTheFactsAndFwRunningAlone) {
    strcpy(ctx->FirmwareLabel, "before");
    ctx->MibBaseAddress = 0x1234;
    ctx->MaxMsgSize = 99;
    ctx->FwRunning = 1;
    fake.script = {ANSWER_NOW};
    fake.answer = GetParam().answer;
    ctx->CnfTimeoutMs = 50;
    testing::internal::CaptureStdout();
    EXPECT_EQ(connect(), GetParam().result);
    testing::internal::GetCapturedStdout();
    EXPECT_STREQ(ctx->FirmwareLabel, "before");
    EXPECT_EQ(ctx->MibBaseAddress, 0x1234u);
    EXPECT_EQ(ctx->MaxMsgSize, 99u);
    EXPECT_EQ(ctx->FwRunning, 1);
}

INSTANTIATE_TEST_SUITE_P(Answers, HandshakeRefusals,
                         testing::Values(HandshakeCase{"AlreadyConnected", boot(1, 5), 5},
                                         HandshakeCase{"VersionTooOld", boot(1, 10), 10},
                                         HandshakeCase{"ShortStartup", startup("x", 4, 159), 1},
                                         HandshakeCase{"NoAnswer", message(12, 0x7F0), 1}),
                         [](const testing::TestParamInfo<HandshakeCase>& info) { return info.param.name; });

TEST_F(Broker, HandshakeTimeoutLine) {
    ctx->CnfTimeoutMs = 10;
    testing::internal::CaptureStdout();
    EXPECT_EQ(connect(), RQM_NO_CONFIRMATION);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Wait for cnf timed out!\nMaybe rqm has already connected!\n");
}

TEST_F(Broker, ExitTwiceIsHarmless) {
    Adapter_Exit(ctx);
    Adapter_Exit(ctx);
    EXPECT_FALSE(ctx->bCnfSemaphoreMade);
}

void on_signal(int) {}

TEST(TimeLock, SignalResumesTheSameDeadline) {
    struct sigaction sa {};
    sa.sa_handler = on_signal;  // no SA_RESTART: the wait sees EINTR
    sigaction(SIGUSR1, &sa, nullptr);
    sem_t sem;
    sem_init(&sem, 0, 0);
    int result = 0;
    Clock::duration waited{};
    std::thread waiter([&] {
        auto t0 = Clock::now();
        result = time_lock(&sem, 0, 300 * 1000000L);
        waited = Clock::now() - t0;
    });
    std::this_thread::sleep_for(50ms);
    pthread_kill(waiter.native_handle(), SIGUSR1);
    waiter.join();
    EXPECT_EQ(result, -1);
    EXPECT_GE(waited, 300ms);
    sem_post(&sem);
    EXPECT_EQ(time_lock(&sem, 0xFFFFFFFFu / 1000, 295 * 1000000L), 0);
    sem_destroy(&sem);
}

}  // namespace
