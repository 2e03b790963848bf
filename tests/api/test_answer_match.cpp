// Answers that repeat fields of their request are taken only with the
// request's own fields: a confirmation with the right id but another
// request's kind, address, register or test (a duplicate, a late answer)
// arrives while the request waits and must not end the wait.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "api/rqm_api.h"
#include "tests/support/fake_target.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> g_passed_on;

void record(void*, uint8_t* msg) {
    g_passed_on.emplace_back(msg, msg + hi_msg_len(msg));
}

// A confirmation of len bytes: the status, then the words from +8.
Bytes cnf(uint16_t len, uint16_t id, uint32_t status, std::vector<uint32_t> words = {}) {
    Bytes m = fake_message(len, id | HI_MSG_KIND_CNF, status);
    for (size_t i = 0; i < words.size(); ++i)
        hi_wr32(m.data() + 8 + 4 * i, words[i]);
    return m;
}

Bytes mac_cnf(uint16_t id, uint32_t status, uint32_t kind, uint8_t first) {
    Bytes m = cnf(20, id, status, {kind});
    for (int i = 0; i < 6; ++i)
        m[12 + i] = static_cast<uint8_t>(first + i);
    return m;
}

// Hardware test 4's answer: test id and first parameter, result at +14.
Bytes hw_cnf(uint32_t status, uint16_t param1, uint32_t result) {
    Bytes m = cnf(32, 4, status, {static_cast<uint32_t>(param1) << 16 | 4});
    hi_wr32(m.data() + 14, result);
    return m;
}

const uint8_t kMac[6] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15};

Bytes refusal(uint32_t res) {
    Bytes m = fake_message(12, HI_BOOT_IND_ID, 1);
    hi_wr32(m.data() + 8, res);
    return m;
}

struct MatchCase {
    const char* name;
    std::function<int(RqmApiContext*)> call;
    Bytes stale;   // arrives first, while the request waits
    Bytes answer;  // then this
    int result;
    bool staleTaken = false;  // else it, and only it, goes on as not awaited
};

void PrintTo(const MatchCase& c, std::ostream* os) {
    *os << c.name;
}

int get_mac_1(RqmApiContext* ctx) {
    uint8_t mac[6] = {};
    const int result = RQM_GetMacAddr(ctx, 1, mac);
    // The address, too, is the answer's own.
    return result == 0 && mac[0] != 0x20 ? -100 : result;
}

int set_mac_2(RqmApiContext* ctx) {
    return RQM_SetMacAddr(ctx, 2, kMac);
}

int write_reg(RqmApiContext* ctx) {
    const uint32_t value = 2;
    return RQM_WriteRegType(ctx, 1, 0x10, &value);
}

int hw_mic(RqmApiContext* ctx) {
    uint32_t result = 0;
    const int r = RQM_HWT_MIC(ctx, 5, 6, &result);
    return r == 0 && result != 0x55 ? -100 : r;
}

const MatchCase kCases[] = {
    {"GetMacOfAnotherKind", get_mac_1, mac_cnf(55, 7, 0, 0x30), mac_cnf(55, 0, 1, 0x20), 0},
    {"SetMacOfAnotherAddress", set_mac_2, mac_cnf(56, 7, 2, 0x30), mac_cnf(56, 0, 2, 0x10), 0},
    {"SetMacOfAnotherKind", set_mac_2, mac_cnf(56, 7, 1, 0x10), mac_cnf(56, 0, 2, 0x10), 0},
    {"RegisterWriteOfAnotherValue", write_reg, cnf(20, 1015, 7, {1, 0x10, 1}), cnf(20, 1015, 0, {1, 0x10, 2}),
     0},
    {"RegisterWriteOfAnotherAddress", write_reg, cnf(20, 1015, 7, {1, 0x14, 2}),
     cnf(20, 1015, 0, {1, 0x10, 2}), 0},
    {"HardwareTestOfOtherParameters", hw_mic, hw_cnf(7, 4, 0x66), hw_cnf(0, 5, 0x55), 0},
    // Nothing else comes in time: the wait runs out.
    {"OnlyOtherKindsAnswers", get_mac_1, mac_cnf(55, 0, 0, 0x30), mac_cnf(55, 0, 2, 0x30), 1},
    // A driver refusal answers whatever waits.
    {"RefusalStillAnswers", get_mac_1, refusal(7), mac_cnf(55, 0, 1, 0x20), 7, true},
    // Cut off before its fields, an answer cannot be told from the own one.
    {"CutBeforeTheFieldsIsTaken", set_mac_2, cnf(8, 56, 7), mac_cnf(56, 0, 2, 0x10), 7, true},
};

class AnswerMatch : public testing::TestWithParam<MatchCase> {
protected:
    void SetUp() override {
        g_passed_on.clear();
        ctx = RQM_Create(nullptr, nullptr);
        RQM_SetCallbackFunction(ctx, record);
        fake_target_attach(ctx, &fake);
        ctx->CnfTimeoutMs = 50;
        fake.script = {ANSWER_NOW};
    }
    void TearDown() override { RQM_Stop(ctx); }

    RqmApiContext* ctx = nullptr;
    FakeTarget fake;
};

TEST_P(AnswerMatch, OnlyTheRequestsOwnFieldsAnswerIt) {
    const MatchCase& c = GetParam();
    fake.before = {c.stale};
    fake.answer = c.answer;
    testing::internal::CaptureStdout();
    EXPECT_EQ(c.call(ctx), c.result);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(fake.sent.size(), 1u);
    // What was not taken went on as not awaited; an answer that comes after
    // the wait ended, too.
    std::vector<Bytes> passed;
    if (!c.staleTaken)
        passed.push_back(c.stale);
    if (c.staleTaken || c.result == RQM_NO_CONFIRMATION)
        passed.push_back(c.answer);
    EXPECT_EQ(g_passed_on, passed);
}

INSTANTIATE_TEST_SUITE_P(Requests, AnswerMatch, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
