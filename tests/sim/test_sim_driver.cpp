// The driver's answers on the wire, byte for byte, and what it does with
// datagrams that do not hold a usable request.
#include "tests/sim/sim_test_util.h"

// The runner of every Exchange table in these tests.
TEST_P(SimExchange, BytesOnTheWireAndStateAfter) {
    const Exchange& c = GetParam();
    for (const std::string& line : c.setup) {
        if (line == "connect")
            connect();
        else
            ASSERT_TRUE(ctl(line)) << line << ": " << sim().last_error();
    }
    for (const Bytes& r : c.requests)
        ASSERT_TRUE(send(r));
    EXPECT_EQ(answers(c.expected.size()), c.expected);
    expect_quiet();
    for (const auto& [key, value] : c.after)
        EXPECT_EQ(get(key), value) << key;
}

namespace {

const Exchange kDriverCases[] = {
    {"ApiContextConnected", {"set connected 1"}, {hi(1016, {0})}, {api_ctx_cnf(true)}},
    {"ApiContextPresets",
     {"set mib 0x00120000", "set apiver 0x0431"},
     {hi(1016, {0})},
     {api_ctx_cnf(false, 0x00120000, 0x0431)}},
    // Sequence bits are not part of the id, with numbering off too.
    {"ApiContextSequenceBitsStripped", {}, {hi(1016 | seq_bits(7), {0})}, {api_ctx_cnf(false)}},
    {"ApiContextTooShort", {}, {hi(1016)}, {unmodelled_cnf(1016)}},
    // Padding and any trailing bytes behind MsgLen do not change the request.
    {"BytesAfterMsgLenIgnored", {}, {with_len(hi(1019, {0xDEADBEEF}), 4)}, {boot(1, 7)}},
    {"Connect", {}, {hi(1018, {0x02000009, 50})}, {boot(3, 0), startup(4)}, {{"connected", "1"}}},
    {"ConnectOldToolWithoutVersionWord", {}, {hi(1018, {50})}, {boot(3, 0), startup(4)}},
    {"ConnectAtMinimumVersion", {}, {hi(1018, {0x02000000, 50})}, {boot(3, 0), startup(4)}},
    {"ConnectBelowRaisedMinimum", {"set minversion 0x02000010"}, {hi(1018, {0x0200000F, 50})}, {boot(1, 10)}},
    {"ConnectAnnouncesPresets",
     {"set window 2", "set maxmsg 1024", "set apiver 0x0430", "set label FW Q1 test", "set mib 0x00090000"},
     {hi(1018, {0x02000009, 50})},
     {boot(3, 0), startup(2, 0, 1024, 0x0430, "FW Q1 test", 0x00090000)}},
    {"WindowZeroStartupLeavesNumberingOff",
     {"set window 0"},
     {hi(1018, {0x02000009, 50}), hi(70 | seq_bits(3), {0})},
     {boot(3, 0), startup(0), unmodelled_cnf(70)},
     {{"numbering", "0"}}},
    {"FirmwareRequestNotConnected", {}, {hi(70, {1, 2})}, {boot(1, 7)}},
    {"LastFirmwareIdNotConnected", {}, {hi(992)}, {boot(1, 7)}},
    {"FirmwareRequestUnmodelled", {"set connected 1"}, {hi(70, {1, 2})}, {unmodelled_cnf(70)}},
    {"FirstUnmodelledDriverId", {}, {hi(996, {0, 0})}, {unmodelled_cnf(996)}},
    {"DriverIdBetweenModelledOnes", {}, {hi(1013)}, {unmodelled_cnf(1013)}},
};

INSTANTIATE_TEST_SUITE_P(Driver, SimExchange, testing::ValuesIn(kDriverCases), exchange_name);

class DroppedDatagram : public SimTest, public testing::WithParamInterface<Bytes> {};

TEST_P(DroppedDatagram, IsLoggedButNotAnswered) {
    ASSERT_TRUE(nl.send_datagram(GetParam(), sim_port()));
    expect_quiet();
    EXPECT_EQ(sim().received(), std::vector<Bytes>{GetParam()});
}

INSTANTIATE_TEST_SUITE_P(Datagrams, DroppedDatagram,
                         testing::Values(datagram({}, 1),                                  // header only
                                         datagram({8, 0, 0xF8}, 1, false),                 // 3 bytes
                                         datagram(with_len(hi(1016, {0}), 12), 1, false),  // beyond arrival
                                         datagram(with_len(hi(1016, {0}), 3), 1)));        // below header

TEST_F(SimTest, StateOutlivesTheClientAndAnswersGoToEachSender) {
    connect();
    {
        NlClient other;
        ASSERT_NE(other.port(), nl.port());
        ASSERT_TRUE(other.send(hi(1018, {0x02000009, 50}), sim_port()));
        auto dg = other.recv();
        ASSERT_TRUE(dg.has_value());
        EXPECT_EQ(SimProcess::hi_payload(*dg), boot(1, 5)) << "the first client's connection stands";
        // Control-sent messages follow the last sender ...
        ASSERT_TRUE(ctl("send boot 4 0"));
        dg = other.recv();
        ASSERT_TRUE(dg.has_value());
        EXPECT_EQ(SimProcess::hi_payload(*dg), boot(4, 0));
        expect_quiet();
        // ... unless told otherwise.
        ASSERT_TRUE(ctl("send boot 4 1 to " + std::to_string(nl.port())));
        EXPECT_EQ(answer(), boot(4, 1));
        expect_quiet(&other);
    }
    ASSERT_TRUE(send(hi(1016 | seq_bits(1), {0})));
    EXPECT_EQ(answer(), api_ctx_cnf(true, 0x00080000, 0x0427, 1));
}

}  // namespace
