// The header-only messages the tool's target sends itself (reboot,
// disconnect, reconnect) and the API's requests with the same ids: the BOOT
// indications and confirmations that answer them, the state they leave, and
// that they stay out of the firmware's numbering.
#include <chrono>

#include "tests/sim/sim_test_util.h"

namespace {

using namespace std::chrono;

constexpr unsigned kReboot = 0x3FF;
constexpr unsigned kDisconnect = 0x3FB;
constexpr unsigned kReconnect = 0x3FC;

// The confirmation of a soft reset or of the API's reconnect: status and
// result word both 0.
Bytes result_cnf(unsigned id, unsigned seq = 0) {
    return hi((id | 0x400) | seq_bits(seq), {0, 0});
}

struct TargetMsgCase {
    const char* name;
    // Control lines, or "connect" for the handshake, or "70/N" for request
    // 70 numbered N whose confirmation is then taken (numbered N + 1).
    std::vector<std::string> before;
    Bytes request;
    std::vector<Bytes> expected;     // HI payloads, in order
    std::vector<std::string> state;  // "key=value" after the answer
};

void PrintTo(const TargetMsgCase& c, std::ostream* os) {
    *os << c.name;
}

const TargetMsgCase kTargetMsgCases[] = {
    {"RebootNotConnected", {}, hi(kReboot), {boot(3, 0)}, {"connected=0", "numbering=0"}},
    // In test mode the reboot is the tool's soft reset, and confirmed.
    {"RebootConnected",
     {"connect", "70/0"},
     hi(kReboot),
     {boot(3, 0), result_cnf(kReboot)},
     {"connected=0", "numbering=0", "expected_rx_seq=1"}},
    {"RebootPlainConnectedState",
     {"set connected 1"},
     hi(kReboot),
     {boot(3, 0), result_cnf(kReboot)},
     {"connected=0"}},
    {"RebootWakesASleepingFirmware",
     {"set connected 1", "set asleep 1"},
     hi(kReboot),
     {boot(3, 0), result_cnf(kReboot)},
     {"connected=0", "asleep=0"}},
    {"DisconnectNotConnected", {}, hi(kDisconnect), {boot(1, 7)}, {"connected=0", "numbering=0"}},
    {"DisconnectConnected",
     {"connect", "70/0"},
     hi(kDisconnect),
     {boot(0, 0)},
     {"connected=0", "numbering=0", "expected_rx_seq=1"}},
    {"ReconnectNotConnected", {}, hi(kReconnect), {boot(1, 7)}, {"connected=0", "numbering=0"}},
    {"ReconnectConnected",
     {"connect", "70/0", "70/1"},
     hi(kReconnect),
     {boot(3, 0), startup(4)},
     {"connected=1", "numbering=1", "next_tx_seq=1", "expected_rx_seq=0"}},
    // The API's reconnect carries the tool's version and awaits a
    // confirmation, numbered behind the startup it follows.
    {"ApiReconnectConnected",
     {"connect", "70/0"},
     hi(kReconnect, {0x02000009, 50}),
     {boot(3, 0), startup(4), result_cnf(kReconnect, 1)},
     {"connected=1", "numbering=1", "next_tx_seq=2", "expected_rx_seq=0"}},
    {"ApiReconnectOfTheOtherBuild",
     {"set connected 1", "set asleep 1"},
     hi(kReconnect, {0}),
     {boot(3, 0), startup(4), result_cnf(kReconnect, 1)},
     {"connected=1", "asleep=0"}},
    {"ApiReconnectNotConnected", {}, hi(kReconnect, {0x02000009, 50}), {boot(1, 7)}, {"connected=0"}},
    {"ApiReconnectToolTooOld",
     {"set connected 1"},
     hi(kReconnect, {0x01FFFFFF, 50}),
     {boot(1, 10)},
     {"connected=1", "numbering=0"}},
    {"ReconnectAnnouncesPresets",
     {"connect", "set window 2", "set maxmsg 1000", "set apiver 0x0431", "set label FW Q7",
      "set mib 0x00100000"},
     hi(kReconnect),
     {boot(3, 0), startup(2, 0, 1000, 0x0431, "FW Q7", 0x00100000)},
     {"connected=1", "numbering=1", "window=2"}},
    {"ReconnectWindowZeroEndsNumbering",
     {"connect", "set window 0"},
     hi(kReconnect),
     {boot(3, 0), startup(0)},
     {"connected=1", "numbering=0"}},
    // Numbered, these would be dropped as duplicates of request 70/0 (or
    // resynchronise the count); outside the window they are answered and
    // the expected number stays.
    {"RebootCarryingThePreviousNumber",
     {"connect", "70/0"},
     hi(kReboot | seq_bits(0)),
     {boot(3, 0), result_cnf(kReboot)},
     {"expected_rx_seq=1"}},
    {"DisconnectCarryingThePreviousNumber",
     {"connect", "70/0"},
     hi(kDisconnect | seq_bits(0)),
     {boot(0, 0)},
     {"expected_rx_seq=1"}},
    {"ReconnectCarryingThePreviousNumber",
     {"connect", "70/0"},
     hi(kReconnect | seq_bits(0)),
     {boot(3, 0), startup(4)},
     {"expected_rx_seq=0", "next_tx_seq=1"}},
    {"RebootCarryingAStrayNumber",
     {"connect", "70/0"},
     hi(kReboot | seq_bits(5)),
     {boot(3, 0), result_cnf(kReboot)},
     {"expected_rx_seq=1"}},
    // Trailing bytes behind the header do not change the message.
    {"RebootWithPayload",
     {"set connected 1"},
     hi(kReboot, {0xDEADBEEF}),
     {boot(3, 0), result_cnf(kReboot)},
     {"connected=0"}},
};

class TargetMsg : public SimTest, public testing::WithParamInterface<TargetMsgCase> {};

TEST_P(TargetMsg, AnswerAndStateAfter) {
    const TargetMsgCase& c = GetParam();
    for (const std::string& step : c.before) {
        if (step == "connect") {
            connect();
        } else if (step.rfind("70/", 0) == 0) {
            const unsigned seq = static_cast<unsigned>(std::stoul(step.substr(3)));
            ASSERT_TRUE(send(hi(70 | seq_bits(seq), {0})));
            EXPECT_EQ(answer(), unmodelled_cnf(70, (seq + 1) & 7)) << step;
        } else {
            ASSERT_TRUE(ctl(step)) << step << ": " << sim().last_error();
        }
    }
    ASSERT_TRUE(ctl("log clear"));
    ASSERT_TRUE(ctl("sent clear"));
    ASSERT_TRUE(send(c.request));
    std::vector<Bytes> want;
    for (const Bytes& m : c.expected)
        want.push_back(datagram(m, sim_port()));
    EXPECT_EQ(take(want.size()), want);
    expect_quiet();
    for (const std::string& kv : c.state) {
        const size_t eq = kv.find('=');
        EXPECT_EQ(get(kv.substr(0, eq)), kv.substr(eq + 1)) << kv;
    }
}

INSTANTIATE_TEST_SUITE_P(HeaderOnly, TargetMsg, testing::ValuesIn(kTargetMsgCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimTest, AfterRebootFirmwareRequestsAreRefusedUntilConnected) {
    connect();
    ASSERT_TRUE(send(hi(kReboot)));
    EXPECT_EQ(answers(2), (std::vector<Bytes>{boot(3, 0), result_cnf(kReboot)}));
    ASSERT_TRUE(send(hi(70, {0})));
    EXPECT_EQ(answer(), boot(1, 7));
    // The api context still answers, and says the firmware is down.
    ASSERT_TRUE(send(hi(1016, {0})));
    EXPECT_EQ(answer(), api_ctx_cnf(false));
    connect();
    ASSERT_TRUE(send(hi(70 | seq_bits(0), {0})));
    EXPECT_EQ(answer(), unmodelled_cnf(70, 1));
}

TEST_F(SimTest, NumberingGoesOnFromWhereItWasAcrossUnnumberedMessages) {
    connect();
    ASSERT_TRUE(send(hi(70 | seq_bits(0), {0})));
    EXPECT_EQ(answer(), unmodelled_cnf(70, 1));
    // Refused ones leave the numbering alone too; the plain driver state
    // is preset so that numbering stays on while they are refused.
    ASSERT_TRUE(ctl("set connected 0"));
    ASSERT_TRUE(send(hi(kDisconnect | seq_bits(6))));
    EXPECT_EQ(answer(), boot(1, 7));
    ASSERT_TRUE(send(hi(kReconnect | seq_bits(3))));
    EXPECT_EQ(answer(), boot(1, 7));
    EXPECT_EQ(get("numbering"), "1");
    EXPECT_EQ(get("expected_rx_seq"), "1");
    ASSERT_TRUE(ctl("set connected 1"));
    ASSERT_TRUE(send(hi(70 | seq_bits(1), {0})));
    EXPECT_EQ(answer(), unmodelled_cnf(70, 2)) << "the next number is still the expected one";
}

TEST_F(SimTest, FaultsShapeTheBootAnswers) {
    ASSERT_TRUE(ctl("fault 1023 late 150 1"));
    const auto t0 = steady_clock::now();
    ASSERT_TRUE(send(hi(kReboot)));
    EXPECT_EQ(answer(), boot(3, 0));
    EXPECT_GE(steady_clock::now() - t0, 140ms);
    EXPECT_EQ(get("connected"), "0") << "the state changes when the message arrives";

    ASSERT_TRUE(ctl("set connected 1"));
    ASSERT_TRUE(ctl("fault 1020 dup 0 1"));
    ASSERT_TRUE(send(hi(kReconnect)));
    EXPECT_EQ(answers(4), (std::vector<Bytes>{boot(3, 0), boot(3, 0), startup(4), startup(4)}));
    ASSERT_TRUE(ctl("fault 1019 noanswer 0 1"));
    ASSERT_TRUE(send(hi(kDisconnect)));
    expect_quiet();
    EXPECT_EQ(get("connected"), "0");
}

}  // namespace
