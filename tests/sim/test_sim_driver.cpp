// The driver's answers on the wire, byte for byte, and what it does with
// datagrams that do not hold a usable request.
#include "tests/sim/sim_test_util.h"

namespace {

struct DriverCase {
    const char* name;
    std::vector<std::string> setup;  // control lines before the request
    Bytes request;
    std::vector<Bytes> expected;  // HI payloads, in order
};

void PrintTo(const DriverCase& c, std::ostream* os) {
    *os << c.name;
}

Bytes with_len(Bytes m, uint16_t len) {
    hi_set_msg_len(m.data(), len);
    return m;
}

const DriverCase kDriverCases[] = {
    {"ApiContextDisconnected", {}, hi(1016, {0}), {api_ctx_cnf(false)}},
    {"ApiContextConnected", {"set connected 1"}, hi(1016, {0}), {api_ctx_cnf(true)}},
    {"ApiContextPresets",
     {"set mib 0x00120000", "set apiver 0x0431"},
     hi(1016, {0}),
     {api_ctx_cnf(false, 0x00120000, 0x0431)}},
    // Sequence bits are not part of the id, with numbering off too.
    {"ApiContextSequenceBitsStripped", {}, hi(1016 | seq_bits(7), {0}), {api_ctx_cnf(false)}},
    {"ApiContextTooShort", {}, hi(1016), {unmodelled_cnf(1016)}},
    {"Connect", {}, hi(1018, {0x02000009, 50}), {boot(3, 0), startup(4)}},
    {"ConnectOldToolWithoutVersionWord", {}, hi(1018, {50}), {boot(3, 0), startup(4)}},
    {"ConnectAtMinimumVersion", {}, hi(1018, {0x02000000, 50}), {boot(3, 0), startup(4)}},
    {"ConnectBelowMinimumVersion", {}, hi(1018, {0x01FFFFFF, 50}), {boot(1, 10)}},
    {"ConnectBelowRaisedMinimum", {"set minversion 0x02000010"}, hi(1018, {0x0200000F, 50}), {boot(1, 10)}},
    {"ConnectTwice", {"set connected 1"}, hi(1018, {0x02000009, 50}), {boot(1, 5)}},
    {"ConnectAnnouncesPresets",
     {"set window 2", "set maxmsg 1024", "set apiver 0x0430", "set label FW Q1 test", "set mib 0x00090000"},
     hi(1018, {0x02000009, 50}),
     {boot(3, 0), startup(2, 0, 1024, 0x0430, "FW Q1 test", 0x00090000)}},
    {"DisconnectNotConnected", {}, hi(1019), {boot(1, 7)}},
    {"Disconnect", {"set connected 1"}, hi(1019), {boot(0, 0)}},
    {"FirmwareRequestNotConnected", {}, hi(70, {1, 2}), {boot(1, 7)}},
    {"LastFirmwareIdNotConnected", {}, hi(992), {boot(1, 7)}},
    {"FirmwareRequestUnmodelled", {"set connected 1"}, hi(70, {1, 2}), {unmodelled_cnf(70)}},
    {"SddConfig", {"set connected 1"}, hi(54, {0}), {hi(0x436, {0})}},
    {"SddConfigAnyValue", {"set connected 1"}, hi(54, {0xFF}), {hi(0x436, {0})}},
    {"SddConfigNotConnected", {}, hi(54, {0}), {boot(1, 7)}},
    {"SddConfigTooShort", {"set connected 1"}, hi(54), {unmodelled_cnf(54)}},
    {"FirstUnmodelledDriverId", {}, hi(996, {0, 0}), {unmodelled_cnf(996)}},
    {"DriverIdBetweenModelledOnes", {}, hi(1013), {unmodelled_cnf(1013)}},
};

class DriverAnswer : public SimTest, public testing::WithParamInterface<DriverCase> {};

TEST_P(DriverAnswer, BytesOnTheWire) {
    const DriverCase& c = GetParam();
    for (const std::string& line : c.setup)
        ASSERT_TRUE(ctl(line)) << line << ": " << sim().last_error();
    ASSERT_TRUE(send(c.request));
    EXPECT_EQ(answers(c.expected.size()), c.expected);
    expect_quiet();
}

INSTANTIATE_TEST_SUITE_P(Requests, DriverAnswer, testing::ValuesIn(kDriverCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimTest, ConnectionStateFollowsTheRequests) {
    connect();
    EXPECT_EQ(get("connected"), "1");
    ASSERT_TRUE(send(hi(1016 | seq_bits(0), {0})));
    EXPECT_EQ(answer(), api_ctx_cnf(true, 0x00080000, 0x0427, 1));
    ASSERT_TRUE(send(hi(1019 | seq_bits(1))));
    EXPECT_EQ(answer(), boot(0, 0));
    EXPECT_EQ(get("connected"), "0");
    EXPECT_EQ(get("numbering"), "0");
    // Connecting again works after a disconnect, and numbering restarts.
    connect();
}

struct BadDatagram {
    const char* name;
    Bytes dg;  // sent as is
};

void PrintTo(const BadDatagram& c, std::ostream* os) {
    *os << c.name;
}

class DroppedDatagram : public SimTest, public testing::WithParamInterface<BadDatagram> {};

TEST_P(DroppedDatagram, IsLoggedButNotAnswered) {
    ASSERT_TRUE(nl.send_datagram(GetParam().dg, sim_port()));
    expect_quiet();
    auto log = sim().received();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], GetParam().dg);
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, DroppedDatagram,
    testing::Values(BadDatagram{"HeaderOnly", datagram({}, 1)},
                    BadDatagram{"ThreeBytesOfMessage", datagram({8, 0, 0xF8}, 1, false)},
                    BadDatagram{"MsgLenBeyondArrival", datagram(with_len(hi(1016, {0}), 12), 1, false)},
                    BadDatagram{"MsgLenBelowHeader", datagram(with_len(hi(1016, {0}), 3), 1)},
                    BadDatagram{"MsgLenZero", datagram(with_len(hi(1019), 0), 1)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimTest, MessageBytesAfterMsgLenAreIgnored) {
    // Padding and any trailing bytes behind MsgLen do not change the request.
    Bytes req = hi(1019, {0xDEADBEEF});
    hi_set_msg_len(req.data(), 4);
    ASSERT_TRUE(send(req));
    EXPECT_EQ(answer(), boot(1, 7));
}

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
