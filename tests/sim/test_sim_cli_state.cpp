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
    Bytes body(12, 0);
    body.insert(body.end(), record.begin(), record.end());
    return w32(w32(w32(msg(0x7E1 | seq_bits(seq), body), 4, status), 8, len), 12, version);
}

Bytes push_cnf(uint32_t status = 0, unsigned seq = 0) {
    return hi(0x7E2 | seq_bits(seq), {status});
}

const Bytes kZero(50, 0);
const Bytes kRecA = record_of(0x01);
const Bytes kRecB = record_of(0xA0);

// The record each leaves is what "get record" shows afterwards.
std::pair<std::string, std::string> record_is(const Bytes& r) {
    return {"record", sim_hex(r)};
}

const Exchange kCliCases[] = {
    {"FetchFreshRecordIsZero", {}, {fetch_req()}, {padded(fetch_cnf(kZero))}, {record_is(kZero)}},
    {"FetchPresetRecordWhileConnected",
     {"set connected 1", set_record(kRecA)},
     {fetch_req()},
     {padded(fetch_cnf(kRecA))},
     {record_is(kRecA)}},
    {"FetchCarriesDriverVersion",
     {"set version 0x01010001"},
     {fetch_req()},
     {padded(fetch_cnf(kZero, 0x01010001))}},
    // The length word lies; the record bytes and MsgLen stay.
    {"FetchClaimsNoRecord",
     {set_record(kRecA), "set cli_len 0"},
     {fetch_req()},
     {padded(fetch_cnf(kRecA, kDefaultDriverVersion, 0))},
     {record_is(kRecA)}},
    {"FetchFromAnOldTool", {}, {fetch_req(0, 0)}, {padded(fetch_cnf(kZero))}},
    // One word of the record preset, little-endian, the others kept.
    {"FetchPresetWord",
     {set_record(kRecA), "set recword 24 0xBEEF"},
     {fetch_req()},
     {padded(fetch_cnf(w16(kRecA, 2 * 24, 0xBEEF)))},
     {{"recword 24", "48879"}, {"recword 0", "513"}}},
    {"PushStores", {set_record(kRecA)}, {push_req(kRecB)}, {push_cnf()}, {record_is(kRecB)}},
    {"PushWhileConnected", {"set connected 1"}, {push_req(kRecB)}, {push_cnf()}, {record_is(kRecB)}},
    {"PushWithoutPadding", {}, {push_req(kRecB, 0, 66)}, {push_cnf()}, {record_is(kRecB)}},
    {"PushIgnoresLengthWord", {}, {push_req(kRecB, 0, 68, 7)}, {push_cnf()}, {record_is(kRecB)}},
    {"PushOneByteShort",
     {set_record(kRecA)},
     {push_req(kRecB, 0, 65)},
     {unmodelled_cnf(994)},
     {record_is(kRecA)}},
    // Faults shape the answer; what the driver did stands.
    {"PushNoAnswerStillStores", {"fault 994 noanswer"}, {push_req(kRecB)}, {}, {record_is(kRecB)}},
};

INSTANTIATE_TEST_SUITE_P(CliState, SimExchange, testing::ValuesIn(kCliCases), exchange_name);

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
}

}  // namespace
