// The firmware's numbering: what it stamps on outgoing messages after a
// startup, and how it takes numbered requests, resends and gaps.
#include "tests/sim/sim_test_util.h"

namespace {

uint16_t msg_id(const Bytes& m) {
    return hi_msg_id(m.data());
}

// One step: a control line, or a request with the sequence number the tool
// puts on it; then the MsgIds that must come back.
struct Step {
    const char* control;
    uint16_t id;
    unsigned seq;
    std::vector<unsigned> ids;
};

TEST_F(SimTest, OutgoingNumberingAfterStartup) {
    connect();  // the startup indication carried 0
    const Step steps[] = {
        {nullptr, 70, 0, {0x446 | seq_bits(1)}},
        {"send trace", 0, 0, {0x802 | seq_bits(2)}},
        {"send boot 4 0", 0, 0, {0xBFF}},
        {"send exception", 0, 0, {0x800}},
        {nullptr, 70, 1, {0x446 | seq_bits(3)}},
        {nullptr, 1016, 2, {0x7F8 | seq_bits(4)}},
        {nullptr, 1018, 3, {0xBFF}},  // already connected: a refusal, not numbered
        {nullptr, 70, 4, {0x446 | seq_bits(5)}},
        {"send startup", 0, 0, {0x801 | seq_bits(0)}},
        {nullptr, 70, 0, {0x446 | seq_bits(1)}},
        {"send startup 0", 0, 0, {0x801}},
        {nullptr, 70, 5, {0x446}},
        {"send trace", 0, 0, {0x802}},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << n++);
        if (s.control != nullptr)
            ASSERT_TRUE(ctl(s.control));
        else
            ASSERT_TRUE(send(hi(static_cast<uint16_t>(s.id | seq_bits(s.seq)), {0})));
        std::vector<unsigned> got;
        for (const Bytes& m : answers(s.ids.size()))
            got.push_back(msg_id(m));
        EXPECT_EQ(got, s.ids);
    }
    expect_quiet();
    EXPECT_EQ(get("numbering"), "0");
}

struct ResendCase {
    const char* name;
    std::vector<std::string> setup;  // after connecting
    std::vector<unsigned> seqs;      // request 70 sent with each, back to back
    std::vector<unsigned> answered;  // sequence numbers on the confirmations, in order
    const char* expected_rx_seq;
};

const ResendCase kResendCases[] = {
    {"ResendOfAnsweredIsDropped", {}, {0, 0}, {1}, "1"},
    {"ResendAfterLostAnswerIsAnswered", {"fault 70 noanswer 0 1"}, {0, 0, 0}, {1}, "1"},
    {"TwoLostAnswers", {"fault 70 noanswer 0 2"}, {0, 0, 0, 0}, {1}, "1"},
    {"LostAnswerThenNextNumber", {"fault 70 noanswer 0 1"}, {0, 1}, {1}, "2"},
    {"PendingLateAnswerCountsAsAnswered", {"fault 70 late 50 1"}, {0, 0}, {1}, "1"},
    {"GapResyncs", {}, {0, 3, 4}, {1, 2, 3}, "5"},
    {"OlderThanPreviousIsNew", {}, {0, 1, 0}, {1, 2, 3}, "1"},
    {"PreviousOfNothingAfterStartupIsNew", {}, {7, 7}, {1}, "0"},
    {"WrapAround", {}, {0, 1, 2, 3, 4, 5, 6, 7, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 0, 1}, "1"},
};

class Resend : public SimTest, public testing::WithParamInterface<ResendCase> {};

TEST_P(Resend, EachRequestGetsOneConfirmation) {
    const ResendCase& c = GetParam();
    connect();
    for (const std::string& line : c.setup)
        ASSERT_TRUE(ctl(line)) << line;
    for (unsigned seq : c.seqs)
        ASSERT_TRUE(send(hi(static_cast<uint16_t>(70 | seq_bits(seq)), {0})));
    std::vector<unsigned> got;
    for (const Bytes& m : answers(c.answered.size())) {
        EXPECT_EQ(msg_id(m) & HI_MSG_ID_MASK, 0x446);
        got.push_back(msg_id(m) >> HI_MSG_SEQ_SHIFT);
    }
    EXPECT_EQ(got, c.answered);
    expect_quiet();
    EXPECT_EQ(get("expected_rx_seq"), c.expected_rx_seq);
}

INSTANTIATE_TEST_SUITE_P(Sequences, Resend, testing::ValuesIn(kResendCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every run of the tool is a new process on a new port, unnumbered until a
// startup of its own; the numbering a connect opened outlives its run.
TEST_F(SimTest, OnlyTheClientTheStartupWentToIsHeldToTheNumbering) {
    connect();  // the startup carried 0 and went to nl
    EXPECT_EQ(get("numbering_port"), std::to_string(nl.port()));
    ASSERT_TRUE(send(hi(70 | seq_bits(0), {0})));
    EXPECT_EQ(msg_id(answer()), 0x446 | seq_bits(1));
    {
        NlClient next_run;
        // The same unnumbered request twice: neither is a resend of the other.
        for (unsigned seq : {2u, 3u}) {
            ASSERT_TRUE(next_run.send(hi(1016, {0}), sim_port()));
            auto dg = next_run.recv();
            ASSERT_TRUE(dg.has_value());
            EXPECT_EQ(SimProcess::hi_payload(*dg), api_ctx_cnf(true, 0x00080000, 0x0427, seq));
        }
        EXPECT_EQ(get("expected_rx_seq"), "1") << "another client's requests do not move it";
    }
    ASSERT_TRUE(send(hi(70 | seq_bits(1), {0})));
    EXPECT_EQ(msg_id(answer()), 0x446 | seq_bits(4));
    ASSERT_TRUE(send(hi(70 | seq_bits(1), {0})));
    expect_quiet();  // a duplicate from the numbered client is still dropped
    // A startup sent elsewhere takes the numbering with it.
    NlClient other;
    ASSERT_TRUE(ctl("send startup to " + std::to_string(other.port())));
    ASSERT_TRUE(other.recv().has_value());
    EXPECT_EQ(get("numbering_port"), std::to_string(other.port()));
    ASSERT_TRUE(send(hi(70, {0})));
    ASSERT_TRUE(send(hi(70, {0})));
    EXPECT_EQ(answers(2).size(), 2u);
    ASSERT_TRUE(ctl("send startup 0"));
    EXPECT_EQ(get("numbering_port"), "none");
}

}  // namespace
