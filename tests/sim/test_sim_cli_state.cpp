// The tool-state record the driver keeps between runs of the tool: the
// fetch (993) and push (994) answers byte for byte, the record a push leaves
// for the next fetch, and the switches that make the fetch answer go wrong.
#include "sim/sim_util.h"
#include "tests/sim/sim_test_util.h"

namespace {

constexpr uint32_t kToolVersion = 0x02000009;
constexpr uint32_t kDefaultDriverVersion = 0x02000100;

Bytes record_of(uint8_t first) {
    Bytes r(50);
    for (size_t i = 0; i < r.size(); ++i)
        r[i] = static_cast<uint8_t>(first + i);
    return r;
}

std::string set_record(const Bytes& r) {
    return "set record " + sim_hex(r);
}

Bytes fetch_req(unsigned seq = 0, uint32_t tool = kToolVersion) {
    return hi(993 | seq_bits(seq), {0, 0, tool});
}

// The tool's push: 68 bytes, record at 16, two bytes of padding.
Bytes push_req(const Bytes& record, unsigned seq = 0, size_t size = 68, uint32_t len = 50) {
    Bytes m(size, 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(size));
    hi_set_msg_id(m.data(), static_cast<uint16_t>(994 | seq_bits(seq)));
    hi_wr32(m.data() + 8, len);
    hi_wr32(m.data() + 12, kToolVersion);
    std::copy_n(record.begin(), std::min<size_t>(record.size(), size - 16), m.begin() + 16);
    return m;
}

Bytes fetch_cnf(const Bytes& record, uint32_t version = kDefaultDriverVersion, uint32_t len = 50,
                uint32_t status = 0, unsigned seq = 0) {
    Bytes m = hi(0x7E1 | seq_bits(seq), {status, len, version});
    m.insert(m.end(), record.begin(), record.end());
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    return m;
}

Bytes push_cnf(uint32_t status = 0, unsigned seq = 0) {
    return hi(0x7E2 | seq_bits(seq), {status});
}

// The stand-in pads each message to 4 bytes; a 66-byte fetch answer arrives
// as 68.
Bytes padded(Bytes m) {
    m.resize((m.size() + 3) / 4 * 4, 0);
    return m;
}

// The first n bytes, MsgLen n: what the short fault makes of an answer.
Bytes cut(Bytes m, uint16_t n) {
    m.resize(n);
    hi_set_msg_len(m.data(), n);
    return m;
}

const Bytes kZero(50, 0);
const Bytes kRecA = record_of(0x01);
const Bytes kRecB = record_of(0xA0);

struct CliCase {
    const char* name;
    std::vector<std::string> setup;
    Bytes request;
    std::vector<Bytes> expected;  // padded HI payloads
    Bytes record_after;           // the driver's record once answered
};

void PrintTo(const CliCase& c, std::ostream* os) {
    *os << c.name;
}

const CliCase kCliCases[] = {
    {"FetchFreshRecordIsZero", {}, fetch_req(), {padded(fetch_cnf(kZero))}, kZero},
    {"FetchPresetRecord", {set_record(kRecA)}, fetch_req(), {padded(fetch_cnf(kRecA))}, kRecA},
    {"FetchWhileConnected",
     {"set connected 1", set_record(kRecA)},
     fetch_req(),
     {padded(fetch_cnf(kRecA))},
     kRecA},
    {"FetchCarriesDriverVersion",
     {"set version 0x01010001"},
     fetch_req(),
     {padded(fetch_cnf(kZero, 0x01010001))},
     kZero},
    // The length word lies; the record bytes and MsgLen stay.
    {"FetchClaimsNoRecord",
     {set_record(kRecA), "set cli_len 0"},
     fetch_req(),
     {padded(fetch_cnf(kRecA, kDefaultDriverVersion, 0))},
     kRecA},
    {"FetchClaimsMoreThanTheRecord",
     {set_record(kRecA), "set cli_len 200"},
     fetch_req(),
     {padded(fetch_cnf(kRecA, kDefaultDriverVersion, 200))},
     kRecA},
    {"FetchFromAnOldTool", {}, fetch_req(0, 0), {padded(fetch_cnf(kZero))}, kZero},
    // Numbering is off: the bits are dropped, and nothing comes back numbered.
    {"FetchSequenceBitsStripped", {}, fetch_req(5), {padded(fetch_cnf(kZero))}, kZero},
    {"FetchTooShort", {set_record(kRecA)}, hi(993, {0, 0}), {unmodelled_cnf(993)}, kRecA},
    {"PushStores", {set_record(kRecA)}, push_req(kRecB), {push_cnf()}, kRecB},
    {"PushWhileConnected", {"set connected 1"}, push_req(kRecB), {push_cnf()}, kRecB},
    {"PushWithoutPadding", {}, push_req(kRecB, 0, 66), {push_cnf()}, kRecB},
    {"PushIgnoresLengthWord", {}, push_req(kRecB, 0, 68, 7), {push_cnf()}, kRecB},
    {"PushOneByteShort", {set_record(kRecA)}, push_req(kRecB, 0, 65), {unmodelled_cnf(994)}, kRecA},
    {"PushSequenceBitsStripped", {}, push_req(kRecB, 3), {push_cnf()}, kRecB},
    // Faults shape the answer; what the driver did stands.
    {"FetchStatusFault",
     {set_record(kRecA), "fault 993 status 0x80000001"},
     fetch_req(),
     {padded(fetch_cnf(kRecA, kDefaultDriverVersion, 50, 0x80000001))},
     kRecA},
    {"FetchShortFault", {"fault 993 short 12"}, fetch_req(), {cut(fetch_cnf(kZero), 12)}, kZero},
    {"FetchShortFaultBelowAHeader", {"fault 993 short 2"}, fetch_req(), {{0x02, 0x00, 0x00, 0x00}}, kZero},
    {"FetchRefused", {"fault 993 refuse 7"}, fetch_req(), {boot(1, 7)}, kZero},
    {"FetchNoAnswer", {"fault 993 noanswer"}, fetch_req(), {}, kZero},
    {"PushStatusFaultStillStores", {"fault 994 status 1"}, push_req(kRecB), {push_cnf(1)}, kRecB},
    {"PushNoAnswerStillStores", {"fault 994 noanswer"}, push_req(kRecB), {}, kRecB},
    {"FaultOnFetchLeavesPushAlone", {"fault 993 noanswer"}, push_req(kRecB), {push_cnf()}, kRecB},
};

class CliState : public SimTest, public testing::WithParamInterface<CliCase> {};

TEST_P(CliState, AnswerAndRecord) {
    const CliCase& c = GetParam();
    for (const std::string& line : c.setup)
        ASSERT_TRUE(ctl(line)) << line << ": " << sim().last_error();
    ASSERT_TRUE(send(c.request));
    EXPECT_EQ(answers(c.expected.size()), c.expected);
    expect_quiet();
    EXPECT_EQ(get("record"), sim_hex(c.record_after));
}

INSTANTIATE_TEST_SUITE_P(Requests, CliState, testing::ValuesIn(kCliCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimTest, PushedRecordIsWhatTheNextClientFetches) {
    ASSERT_TRUE(send(push_req(kRecA)));
    EXPECT_EQ(answer(), push_cnf());
    // Every run of the tool is a new process on a new port.
    for (int run = 0; run < 2; ++run) {
        NlClient next;
        ASSERT_TRUE(next.send(fetch_req(), sim_port()));
        auto dg = next.recv();
        ASSERT_TRUE(dg.has_value());
        EXPECT_EQ(SimProcess::hi_payload(*dg), padded(fetch_cnf(kRecA))) << "run " << run;
    }
    ASSERT_TRUE(send(push_req(kRecB)));
    EXPECT_EQ(answer(), push_cnf());
    ASSERT_TRUE(send(fetch_req()));
    EXPECT_EQ(answer(), padded(fetch_cnf(kRecB))) << "the last push wins";
    // A connect and a disconnect leave the record alone.
    connect();
    ASSERT_TRUE(send(hi(1019)));
    EXPECT_EQ(answer(), boot(0, 0));
    ASSERT_TRUE(send(fetch_req()));
    EXPECT_EQ(answer(), padded(fetch_cnf(kRecB)));
    ASSERT_TRUE(ctl("reset"));
    EXPECT_EQ(get("record"), sim_hex(kZero));
    EXPECT_EQ(get("cli_len"), "50");
}

TEST_F(SimTest, FetchFaultWithCountAppliesToThatManyRuns) {
    ASSERT_TRUE(ctl("fault 993 status 3 1"));
    ASSERT_TRUE(send(fetch_req()));
    EXPECT_EQ(answer(), padded(fetch_cnf(kZero, kDefaultDriverVersion, 50, 3)));
    ASSERT_TRUE(send(fetch_req()));
    EXPECT_EQ(answer(), padded(fetch_cnf(kZero)));
}

TEST_F(SimTest, FetchAndPushFollowTheNumbering) {
    connect();  // the startup carried 0
    ASSERT_TRUE(send(fetch_req(0)));
    EXPECT_EQ(answer(), padded(fetch_cnf(kZero, kDefaultDriverVersion, 50, 0, 1)));
    ASSERT_TRUE(send(push_req(kRecA, 1)));
    EXPECT_EQ(answer(), push_cnf(0, 2));
    // The same number again is a resend of an answered request: dropped.
    ASSERT_TRUE(send(push_req(kRecB, 1)));
    expect_quiet();
    EXPECT_EQ(get("record"), sim_hex(kRecA));
    // An unanswered fetch is answered when resent with its number.
    ASSERT_TRUE(ctl("fault 993 noanswer 0 1"));
    ASSERT_TRUE(send(fetch_req(2)));
    expect_quiet();
    ASSERT_TRUE(send(fetch_req(2)));
    EXPECT_EQ(answer(), padded(fetch_cnf(kRecA, kDefaultDriverVersion, 50, 0, 3)));
    EXPECT_EQ(get("expected_rx_seq"), "3");
}

TEST_F(SimTest, ClientLengthSettingIsChecked) {
    EXPECT_EQ(get("cli_len"), "50");
    ASSERT_TRUE(ctl("set cli_len 0xFFFFFFFF"));
    EXPECT_EQ(get("cli_len"), "4294967295");
    EXPECT_FALSE(ctl("set cli_len -1"));
    EXPECT_EQ(sim().last_error(), "bad number '-1'");
    EXPECT_FALSE(ctl("set cli_len"));
}

}  // namespace
