// Injected faults: what each kind puts on the wire, how long it lasts, and
// how it combines with the numbering.
#include "sim/sim_core.h"
#include "tests/sim/sim_test_util.h"

namespace {

struct Piece {
    Bytes payload;
    bool pad;
};

struct FaultCase {
    const char* name;
    const char* fault;
    Bytes request;
    std::vector<Piece> wire;  // datagrams from the sim, in order
};

const Bytes kApi = api_ctx_cnf(false);
const Bytes kApiReq = hi(1016, {0});

const FaultCase kFaultCases[] = {
    {"NoAnswer", "fault 1016 noanswer", kApiReq, {}},
    {"Dup", "fault 1016 dup", kApiReq, {{kApi, true}, {kApi, true}}},
    {"Status", "fault 1016 status 0x12345678", kApiReq, {{w32(kApi, 4, 0x12345678), true}}},
    {"StatusOnBoot", "fault 1019 status 9", hi(1019), {{boot(9, 7), true}}},
    {"Refuse", "fault 1016 refuse 6", kApiReq, {{boot(1, 6), true}}},
    {"ShortDefault", "fault 1016 short", kApiReq, {{with_len(slice(kApi, 0, 6), 6), true}}},
    {"ShortToNothing", "fault 1016 short 0", kApiReq, {{{}, true}}},
    {"OversizeDefault", "fault 1016 oversize", kApiReq, {{with_len(kApi, 8188), true}}},
    // The first part is not padded, so that it can be shorter than a header.
    {"SplitDefault", "fault 1016 split", kApiReq, {{slice(kApi, 0, 2), false}, {slice(kApi, 2, 148), false}}},
    {"SplitAtTheEndIsWhole", "fault 1016 split 148", kApiReq, {{kApi, true}}},
    {"Double", "fault 1016 double", kApiReq, {{cat(kApi, hi(0x802, {0})), true}}},
    {"EveryMessageOfTheAnswer",
     "fault 1018 dup",
     hi(1018, {0x02000009, 50}),
     {{boot(3, 0), true}, {boot(3, 0), true}, {startup(4), true}, {startup(4), true}}},
    {"OtherIdUntouched", "fault 1019 noanswer", kApiReq, {{kApi, true}}},
};

class Fault : public SimTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(Fault, WireBytes) {
    const FaultCase& c = GetParam();
    ASSERT_TRUE(ctl(c.fault)) << sim().last_error();
    ASSERT_TRUE(send(c.request));
    std::vector<Bytes> want;
    for (const Piece& p : c.wire)
        want.push_back(datagram(p.payload, sim_port(), p.pad));
    EXPECT_EQ(take(want.size()), want);
    expect_quiet();
    // And the sim's own record of it agrees.
    EXPECT_EQ(sim().sent(), want);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Fault, testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimTest, FaultCountRunsOutThenAnswersAreNormal) {
    ASSERT_TRUE(ctl("fault 1016 dup 0 2"));
    std::vector<std::string> list;
    ASSERT_TRUE(ctl("fault list", &list));
    EXPECT_EQ(list, std::vector<std::string>{"1016 dup 0 2"});
    for (size_t copies : {2u, 2u, 1u, 1u}) {
        ASSERT_TRUE(send(kApiReq));
        EXPECT_EQ(answers(copies), std::vector<Bytes>(copies, kApi));
        expect_quiet();
    }
    list.clear();
    ASSERT_TRUE(ctl("fault list", &list));
    EXPECT_TRUE(list.empty());
}

const Exchange kFaultSettings[] = {
    {"FaultIsReplaced",
     {"fault 1016 noanswer", "fault 1016 refuse 8", "fault 1019 noanswer"},
     {kApiReq},
     {boot(1, 8)},
     {{"faults", "2"}}},
    {"FaultClear",
     {"fault 1016 noanswer", "fault 1019 noanswer", "fault clear"},
     {kApiReq, hi(1019)},
     {kApi, boot(1, 7)}},
};

INSTANTIATE_TEST_SUITE_P(Faults, SimExchange, testing::ValuesIn(kFaultSettings), exchange_name);

TEST_F(SimTest, NumberedAnswerKeepsItsNumberThroughTheFault) {
    connect();
    ASSERT_TRUE(ctl("fault 70 dup 0 1"));
    ASSERT_TRUE(send(hi(70 | seq_bits(0), {0})));
    EXPECT_EQ(answers(2), std::vector<Bytes>(2, unmodelled_cnf(70, 1))) << "a copy is not a new message";
    ASSERT_TRUE(ctl("fault 70 double 0 1"));
    ASSERT_TRUE(send(hi(70 | seq_bits(1), {0})));
    EXPECT_EQ(answer(), cat(unmodelled_cnf(70, 2), hi(0x802 | seq_bits(3), {0})));
    ASSERT_TRUE(ctl("fault 70 split 3 1"));
    ASSERT_TRUE(send(hi(70 | seq_bits(2), {0})));
    const Bytes cnf = unmodelled_cnf(70, 4);
    EXPECT_EQ(answers(2), (std::vector<Bytes>{slice(cnf, 0, 3), slice(cnf, 3, 8)}));
    ASSERT_TRUE(send(hi(70 | seq_bits(3), {0})));
    EXPECT_EQ(answer(), unmodelled_cnf(70, 5));
}

// The engine alone, on a clock of its own: delayed answers are due exactly
// when the fault says, and the loop's poll timeout follows them.
struct Capture {
    std::vector<Bytes> sent;
    static int send(void* user, uint32_t, const uint8_t* dg, size_t len) {
        static_cast<Capture*>(user)->sent.emplace_back(dg, dg + len);
        return 0;
    }
};

TEST(SimEngine, DelayedAnswersFollowTheirOwnClock) {
    Capture cap;
    Sim s;
    sim_init(&s, 77, Capture::send, &cap, nullptr);
    EXPECT_EQ(sim_poll_timeout(s, 1000), -1);
    sim_set_fault(&s, SimFault{1016, SIM_FAULT_LATE, 250, 0});
    const Bytes dg = datagram(kApiReq, 5);
    sim_on_datagram(&s, dg.data(), dg.size(), 5, 1000);
    sim_on_datagram(&s, dg.data(), dg.size(), 5, 1100);
    EXPECT_EQ(sim_poll_timeout(s, 1000), 250);
    sim_run_due(&s, 1249);
    EXPECT_TRUE(cap.sent.empty());
    EXPECT_EQ(sim_poll_timeout(s, 1249), 1);
    sim_run_due(&s, 1250);
    EXPECT_EQ(cap.sent, std::vector<Bytes>{datagram(kApi, 77)});
    EXPECT_EQ(sim_poll_timeout(s, 1250), 100);
    EXPECT_EQ(sim_poll_timeout(s, 2000), 0) << "overdue is due now";
    sim_run_due(&s, 2000);
    EXPECT_EQ(cap.sent.size(), 2u);
    EXPECT_EQ(sim_poll_timeout(s, 2000), -1);
}

}  // namespace
