// A Target without a socket for broker and API tests: every send is
// recorded byte for byte and answered as the receive thread would answer
// it (by calling Adapter_Receive), at once, later from another thread, or
// not at all.
#pragma once

#include <gtest/gtest.h>
#include <semaphore.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "api/rqm_api.h"
#include "common/hi_msg.h"
#include "transport/adapter.h"
#include "transport/target_temp.h"

struct FakeSent {
    std::vector<uint8_t> bytes;  // the request as it went out
    uint16_t msgId;
    uint8_t resend;
};

// What the fake does with each send, in order; the last entry repeats.
enum FakeReaction { ANSWER_NOW, ANSWER_LATER, NO_ANSWER, SEND_FAILS, GIVE_UP };

struct FakeTarget {
    std::vector<FakeReaction> script{NO_ANSWER};
    std::vector<uint8_t> answer;
    std::vector<std::vector<uint8_t>> answers;  // per send, before `answer`
    // Delivered while the request waits, before an ANSWER_NOW answer: what
    // a duplicate or late answer to an earlier request would be.
    std::vector<std::vector<uint8_t>> before;
    std::chrono::milliseconds delay{0};
    std::vector<FakeSent> sent;
    std::vector<std::thread> late;
    RqmApiContext* ctx = nullptr;

    ~FakeTarget() {
        for (auto& t : late)
            t.join();
    }
};

inline FakeTarget* g_fake = nullptr;

inline int fake_send(TargetCliContext*, uint8_t* msg, uint8_t resend, uint32_t) {
    FakeTarget& f = *g_fake;
    const size_t n = f.sent.size();
    f.sent.push_back({std::vector<uint8_t>(msg, msg + hi_msg_len(msg)), hi_msg_id(msg), resend});
    const FakeReaction r = f.script[n < f.script.size() ? n : f.script.size() - 1];
    std::vector<uint8_t> answer = n < f.answers.size() ? f.answers[n] : f.answer;
    switch (r) {
    case ANSWER_NOW:
        for (std::vector<uint8_t>& m : f.before)
            Adapter_Receive(f.ctx, m.data());
        Adapter_Receive(f.ctx, answer.data());
        return TARGET_SEND_SENT;
    case ANSWER_LATER:
        // The answer as it stood at the send: the test may change it for
        // the next request while this one is on its way.
        f.late.emplace_back([ctx = f.ctx, delay = f.delay, answer]() mutable {
            std::this_thread::sleep_for(delay);
            Adapter_Receive(ctx, answer.data());
        });
        return TARGET_SEND_SENT;
    case NO_ANSWER:
        return TARGET_SEND_SENT;
    case SEND_FAILS:
        return TARGET_SEND_FAILED;
    case GIVE_UP:
        return TARGET_SEND_GAVE_UP;
    }
    return TARGET_SEND_FAILED;
}

// Driver-level target requests (raw configuration and the like): recorded
// by id and carried out.
inline std::vector<uint8_t> g_fake_target_requests;
inline int fake_request(TargetCliContext*, uint8_t MsgId, void*, uint32_t, uint32_t) {
    g_fake_target_requests.push_back(MsgId);
    return 1;
}

// Binds a fresh context to the fake as Adapter_Init would bind it to the
// driver channel, with the firmware running.
inline void fake_target_attach(RqmApiContext* ctx, FakeTarget* fake) {
    sem_init(&ctx->CnfSemaphore, 0, 0);
    ctx->bCnfSemaphoreMade = true;
    ctx->Target = Target_Create();
    ctx->Target->pfnSendToAdapter = fake_send;
    ctx->Target->pfnRequest = fake_request;
    g_fake_target_requests.clear();
    ctx->FwRunning = 1;
    fake->ctx = ctx;
    g_fake = fake;
}

// An HI message of len bytes with the given id and status word.
inline std::vector<uint8_t> fake_message(uint16_t len, uint16_t id, uint32_t status = 0) {
    std::vector<uint8_t> m(len < 8 ? 8 : len, 0);
    hi_set_msg_len(m.data(), len);
    hi_set_msg_id(m.data(), id);
    hi_wr32(m.data() + 4, status);
    return m;
}

// A fresh context on a fake Target, waiting a short while for answers that
// do not come; what the API prints is captured and dropped.
class OnFakeTarget : public testing::Test {
protected:
    void SetUp() override {
        ctx = RQM_Create(nullptr, nullptr);
        fake_target_attach(ctx, &fake);
        ctx->CnfTimeoutMs = 50;
        testing::internal::CaptureStdout();
    }
    void TearDown() override {
        testing::internal::GetCapturedStdout();
        RQM_Stop(ctx);
    }
    // Every request from now on is answered at once with this.
    void answer(std::vector<uint8_t> a) {
        fake.script = {ANSWER_NOW};
        fake.answer = std::move(a);
    }

    RqmApiContext* ctx = nullptr;
    FakeTarget fake;
};
