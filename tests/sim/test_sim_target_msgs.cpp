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

// Request 70 numbered 0 after the connect, and its numbered confirmation.
const Bytes k70 = hi(70 | seq_bits(0), {0});
const Bytes k70Cnf = unmodelled_cnf(70, 1);

const Exchange kTargetMsgCases[] = {
    {"RebootNotConnected", {}, {hi(kReboot)}, {boot(3, 0)}, {{"connected", "0"}, {"numbering", "0"}}},
    // In test mode the reboot is the tool's soft reset, and confirmed.
    {"RebootConnected",
     {"connect"},
     {k70, hi(kReboot)},
     {k70Cnf, boot(3, 0), result_cnf(kReboot)},
     {{"connected", "0"}, {"numbering", "0"}, {"expected_rx_seq", "1"}}},
    {"RebootWakesASleepingFirmware",
     {"set connected 1", "set asleep 1"},
     {hi(kReboot)},
     {boot(3, 0), result_cnf(kReboot)},
     {{"connected", "0"}, {"asleep", "0"}}},
    {"DisconnectNotConnected", {}, {hi(kDisconnect)}, {boot(1, 7)}, {{"connected", "0"}, {"numbering", "0"}}},
    {"DisconnectConnected",
     {"connect"},
     {k70, hi(kDisconnect)},
     {k70Cnf, boot(0, 0)},
     {{"connected", "0"}, {"numbering", "0"}, {"expected_rx_seq", "1"}}},
    {"ReconnectNotConnected", {}, {hi(kReconnect)}, {boot(1, 7)}, {{"connected", "0"}, {"numbering", "0"}}},
    {"ReconnectConnected",
     {"connect"},
     {k70, hi(70 | seq_bits(1), {0}), hi(kReconnect)},
     {k70Cnf, unmodelled_cnf(70, 2), boot(3, 0), startup(4)},
     {{"connected", "1"}, {"numbering", "1"}, {"next_tx_seq", "1"}, {"expected_rx_seq", "0"}}},
    // The API's reconnect carries the tool's version and awaits a
    // confirmation, numbered behind the startup it follows.
    {"ApiReconnectConnected",
     {"connect"},
     {k70, hi(kReconnect, {0x02000009, 50})},
     {k70Cnf, boot(3, 0), startup(4), result_cnf(kReconnect, 1)},
     {{"connected", "1"}, {"numbering", "1"}, {"next_tx_seq", "2"}, {"expected_rx_seq", "0"}}},
    {"ApiReconnectOfTheOtherBuild",
     {"set connected 1", "set asleep 1"},
     {hi(kReconnect, {0})},
     {boot(3, 0), startup(4), result_cnf(kReconnect, 1)},
     {{"connected", "1"}, {"asleep", "0"}}},
    {"ApiReconnectToolTooOld",
     {"set connected 1"},
     {hi(kReconnect, {0x01FFFFFF, 50})},
     {boot(1, 10)},
     {{"connected", "1"}, {"numbering", "0"}}},
    // Numbered, these would be dropped as duplicates of request 70/0 (or
    // resynchronise the count); outside the window they are answered and
    // the expected number stays.
    {"RebootCarryingThePreviousNumber",
     {"connect"},
     {k70, hi(kReboot | seq_bits(0))},
     {k70Cnf, boot(3, 0), result_cnf(kReboot)},
     {{"expected_rx_seq", "1"}}},
    {"ReconnectCarryingThePreviousNumber",
     {"connect"},
     {k70, hi(kReconnect | seq_bits(0))},
     {k70Cnf, boot(3, 0), startup(4)},
     {{"expected_rx_seq", "0"}, {"next_tx_seq", "1"}}},
};

INSTANTIATE_TEST_SUITE_P(HeaderOnly, SimExchange, testing::ValuesIn(kTargetMsgCases), exchange_name);

TEST_F(SimTest, FaultsShapeTheBootAnswers) {
    ASSERT_TRUE(ctl("fault 1023 late 150 1"));
    const auto t0 = steady_clock::now();
    ASSERT_TRUE(send(hi(kReboot)));
    EXPECT_EQ(answer(), boot(3, 0));
    EXPECT_GE(steady_clock::now() - t0, 140ms);
    EXPECT_EQ(get("connected"), "0") << "the state changes when the message arrives";

    ASSERT_TRUE(ctl("set connected 1"));
    ASSERT_TRUE(ctl("fault 1019 noanswer 0 1"));
    ASSERT_TRUE(send(hi(kDisconnect)));
    expect_quiet();
    EXPECT_EQ(get("connected"), "0");
}

}  // namespace
