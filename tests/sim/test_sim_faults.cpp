// Injected faults: what each kind puts on the wire, how long it lasts, and
// how it combines with the numbering.
#include <chrono>

#include "sim/sim_core.h"
#include "tests/sim/sim_test_util.h"

namespace {

using namespace std::chrono;

Bytes slice(const Bytes& b, size_t from, size_t to) {
    return Bytes(b.begin() + from, b.begin() + to);
}
Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes word_at(Bytes m, size_t off, uint32_t v) {
    hi_wr32(m.data() + off, v);
    return m;
}
Bytes len_of(Bytes m, uint16_t len) {
    hi_set_msg_len(m.data(), len);
    return m;
}

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

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

const Bytes kApi = api_ctx_cnf(false);
const Bytes kApiReq = hi(1016, {0});

const FaultCase kFaultCases[] = {
    {"None", "fault clear", kApiReq, {{kApi, true}}},
    {"NoAnswer", "fault 1016 noanswer", kApiReq, {}},
    {"Dup", "fault 1016 dup", kApiReq, {{kApi, true}, {kApi, true}}},
    {"Status", "fault 1016 status 0x12345678", kApiReq, {{word_at(kApi, 4, 0x12345678), true}}},
    {"StatusOnBoot", "fault 1019 status 9", hi(1019), {{boot(9, 7), true}}},
    {"Refuse", "fault 1016 refuse 6", kApiReq, {{boot(1, 6), true}}},
    {"ShortDefault", "fault 1016 short", kApiReq, {{len_of(slice(kApi, 0, 6), 6), true}}},
    {"ShortByOne", "fault 1016 short 147", kApiReq, {{len_of(slice(kApi, 0, 147), 147), true}}},
    {"ShortToNothing", "fault 1016 short 0", kApiReq, {{{}, true}}},
    {"OversizeDefault", "fault 1016 oversize", kApiReq, {{len_of(kApi, 8188), true}}},
    {"OversizeByOne", "fault 1016 oversize 149", kApiReq, {{len_of(kApi, 149), true}}},
    // The first part is not padded, so that it can be shorter than a header.
    {"SplitDefault", "fault 1016 split", kApiReq, {{slice(kApi, 0, 2), false}, {slice(kApi, 2, 148), false}}},
    {"SplitLastByte",
     "fault 1016 split 147",
     kApiReq,
     {{slice(kApi, 0, 147), false}, {slice(kApi, 147, 148), false}}},
    {"SplitAtTheEndIsWhole", "fault 1016 split 148", kApiReq, {{kApi, true}}},
    {"Double", "fault 1016 double", kApiReq, {{cat(kApi, hi(0x802, {0})), true}}},
    {"LateZero", "fault 1016 late 0", kApiReq, {{kApi, true}}},
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

TEST_F(SimTest, FaultIsReplacedAndCleared) {
    ASSERT_TRUE(ctl("fault 1016 noanswer"));
    ASSERT_TRUE(ctl("fault 1016 refuse 8"));
    ASSERT_TRUE(ctl("fault 1019 noanswer"));
    ASSERT_TRUE(send(kApiReq));
    EXPECT_EQ(answer(), boot(1, 8));
    EXPECT_EQ(get("faults"), "2");
    ASSERT_TRUE(ctl("fault clear"));
    ASSERT_TRUE(send(kApiReq));
    ASSERT_TRUE(send(hi(1019)));
    EXPECT_EQ(answers(2), (std::vector<Bytes>{kApi, boot(1, 7)}));
}

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

TEST_F(SimTest, LateAnswerComesLaterAndBlocksNothing) {
    ASSERT_TRUE(ctl("fault 1016 late 200 1"));
    const auto t0 = steady_clock::now();
    ASSERT_TRUE(send(kApiReq));
    ASSERT_TRUE(send(hi(1019)));
    // The answer to the second request overtakes the delayed one.
    EXPECT_EQ(answer(), boot(1, 7));
    EXPECT_LT(steady_clock::now() - t0, 150ms);
    EXPECT_EQ(get("pending"), "1");
    EXPECT_EQ(answer(), kApi);
    const auto waited = steady_clock::now() - t0;
    EXPECT_GE(waited, 190ms);
    EXPECT_LT(waited, 1500ms);
    EXPECT_EQ(get("pending"), "0");
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
