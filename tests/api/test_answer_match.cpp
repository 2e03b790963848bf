// Answers that repeat fields of their request are taken only with the
// request's own fields: a confirmation with the right id but another
// request's kind, address, register or test (a duplicate, a late answer)
// arrives while the request waits and must not end the wait.
#include <gtest/gtest.h>

#include <vector>

#include "api/rqm_api.h"
#include "tests/support/fake_target.h"
#include "tests/support/rows.h"

namespace {

std::vector<Bytes> g_passed_on;

void record(void*, uint8_t* msg) {
    g_passed_on.emplace_back(msg, msg + hi_msg_len(msg));
}

// Confirmations: the status, then the fields from +8.
HiBuild cnf(uint16_t id, uint32_t status, std::initializer_list<uint32_t> words = {}) {
    HiBuild m(id | HI_MSG_KIND_CNF, {status});
    for (uint32_t w : words)
        m.u32(w);
    return m;
}

Bytes mac_cnf(uint16_t id, uint32_t status, uint32_t kind, uint8_t first) {
    HiBuild m = cnf(id, status, {kind});
    for (int i = 0; i < 6; ++i)
        m.u8(first + i);
    return m.zeros(2);
}

// Hardware test 4's answer: test id and first parameter, result at +14.
Bytes hw_cnf(uint32_t status, uint16_t param1, uint32_t result) {
    return cnf(4, status, {static_cast<uint32_t>(param1) << 16 | 4}).u16(0).u32(result).zeros(14);
}

const uint8_t kMac[6] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15};

// The driver's refusal of what waits.
Bytes refusal(uint32_t res) {
    return HiBuild(HI_BOOT_IND_ID, {1, res});
}

struct MatchCase {
    const char* name;
    int (*call)(RqmApiContext*);
    Bytes stale;   // arrives first, while the request waits
    Bytes answer;  // then this
    int result;
    bool staleTaken = false;  // else it, and only it, goes on as not awaited
};

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
    {"RegisterWriteOfAnotherValue", write_reg, cnf(1015, 7, {1, 0x10, 1}), cnf(1015, 0, {1, 0x10, 2}), 0},
    {"RegisterWriteOfAnotherAddress", write_reg, cnf(1015, 7, {1, 0x14, 2}), cnf(1015, 0, {1, 0x10, 2}), 0},
    {"HardwareTestOfOtherParameters", hw_mic, hw_cnf(7, 4, 0x66), hw_cnf(0, 5, 0x55), 0},
    // Nothing else comes in time: the wait runs out.
    {"OnlyOtherKindsAnswers", get_mac_1, mac_cnf(55, 0, 0, 0x30), mac_cnf(55, 0, 2, 0x30), 1},
    // A driver refusal answers whatever waits.
    {"RefusalStillAnswers", get_mac_1, refusal(7), mac_cnf(55, 0, 1, 0x20), 7, true},
    // Cut off before its fields, an answer cannot be told from the own one.
    {"CutBeforeTheFieldsIsTaken", set_mac_2, cnf(56, 7), mac_cnf(56, 0, 2, 0x10), 7, true},
};

class AnswerMatch : public OnFakeTarget, public testing::WithParamInterface<MatchCase> {
protected:
    void SetUp() override {
        OnFakeTarget::SetUp();
        g_passed_on.clear();
        RQM_SetCallbackFunction(ctx, record);
    }
};

TEST_P(AnswerMatch, OnlyTheRequestsOwnFieldsAnswerIt) {
    const MatchCase& c = GetParam();
    fake.before = {c.stale};
    answer(c.answer);
    EXPECT_EQ(c.call(ctx), c.result);
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

INSTANTIATE_TEST_SUITE_P(Requests, AnswerMatch, testing::ValuesIn(kCases), RowName());

}  // namespace
