// The requests that control the device as a whole: connect refusals, the
// register spaces by bus type, the MAC addresses, the hardware and self
// tests, sleep, the hardware id, the raw proxy, and the image and SDD
// downloads, each answer byte for byte with the state it leaves; and the
// fault that lets the first requests of an id through.
#include "sim/sim_util.h"
#include "tests/sim/sim_test_util.h"

namespace {

// A message of size bytes, zeros behind its header.
Bytes blank(unsigned id, size_t size) {
    return msg(id, Bytes(size - 4, 0));
}

Bytes put(Bytes m, size_t off, const Bytes& b) {
    std::copy(b.begin(), b.end(), m.begin() + static_cast<std::ptrdiff_t>(off));
    return m;
}

Bytes grown(Bytes m, size_t size) {
    m.resize(size, 0);
    return m;
}

Bytes seqd(Bytes m, unsigned seq) {
    hi_set_msg_id(m.data(), static_cast<uint16_t>(hi_msg_id(m.data()) | seq_bits(seq)));
    return m;
}

const Bytes kConnect = hi(1018, {0x02000009, 50});

// ---- register access by bus type ----

Bytes read_reg(uint32_t type, uint32_t addr, uint32_t count) {
    return hi(1014, {type, addr, count});
}

// The read answer: status, the byte count, then the words.
Bytes read_cnf(uint32_t status, std::initializer_list<uint32_t> words) {
    Bytes m = hi(0x7F6, {status, static_cast<uint32_t>(4 * words.size())});
    for (uint32_t w : words) {
        m.resize(m.size() + 4);
        hi_wr32(m.data() + m.size() - 4, w);
    }
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    return m;
}

Bytes write_reg(uint32_t type, uint32_t addr, uint32_t value) {
    return hi(1015, {0xFFFFFFFF, type, addr, value});
}

Bytes write_cnf(uint32_t status, uint32_t type, uint32_t addr, uint32_t value) {
    return hi(0x7F7, {status, type, addr, value});
}

// ---- MAC addresses ----

const Bytes kMacA = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
const Bytes kSourceDefault = {0x02, 0, 0, 0, 0, 0x01};
const Bytes kDestDefault = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const Bytes kBssidDefault = {0x02, 0, 0, 0, 0, 0x02};

Bytes get_mac(uint32_t kind) {
    return w32(blank(55, 20), 8, kind);
}

Bytes set_mac(uint32_t kind, const Bytes& mac) {
    return put(w32(blank(56, 20), 8, kind), 12, mac);
}

Bytes mac_cnf(unsigned id, uint32_t status, uint32_t kind, const Bytes& mac) {
    return put(w32(w32(blank(id | 0x400, 20), 4, status), 8, kind), 12, mac);
}

// ---- hardware tests ----

Bytes hw_test(uint16_t test, uint16_t p1, uint16_t p2) {
    return w16(w16(w16(blank(4, 32), 8, test), 10, p1), 14, p2);
}

// The request repeated, the status at 4 and the result over bytes 14-17.
Bytes hw_cnf(const Bytes& request, uint32_t status, uint32_t result) {
    Bytes m = w32(w32(request, 4, status), 14, result);
    hi_set_msg_id(m.data(), 0x404);
    return m;
}

Bytes sleep_req(uint32_t mode, uint64_t param = 0) {
    return hi(49, {0, mode, 0, static_cast<uint32_t>(param), static_cast<uint32_t>(param >> 32)});
}

Bytes pattern(size_t n, uint8_t first) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(first + 7 * i);
    return b;
}

const Bytes kBlocks = pattern(76, 0x21);

// ---- downloads ----

constexpr unsigned kSdd = 0x3FD;
constexpr unsigned kImage = 0x3FE;

// ---- the table ----

const Exchange kDeviceCases[] = {
    // Connect: the refusals in the order the driver checks them.
    {"ConnectWithWifiOn", {"set wifi 1"}, {kConnect}, {boot(1, 6)}, {{"connected", "0"}}},
    {"ConnectTwiceBeatsWifi", {"set connected 1", "set wifi 1"}, {kConnect}, {boot(1, 5)}},
    {"ConnectTooOldBeatsWifi", {"set wifi 1"}, {hi(1018, {0x01000000, 50})}, {boot(1, 10)}},
    {"ConnectWithoutBootLoaderReport",
     {"set bootind 0"},
     {kConnect},
     {startup(4)},
     {{"connected", "1"}, {"numbering", "1"}}},
    {"ConnectLongerStartup",
     {"set startuplen 168"},
     {kConnect},
     {boot(3, 0), w16(grown(startup(4), 168), 0, 168)}},
    {"ConnectWakesTheFirmware", {"set asleep 1"}, {kConnect}, {boot(3, 0), startup(4)}, {{"asleep", "0"}}},

    // Register spaces: answered in any state, one space per bus type.
    {"ReadAhbTwoWords",
     {"set ahb 0x40000000 7", "set ahb 0x40000004 0xFFFFFFFF"},
     {read_reg(2, 0x40000000, 8)},
     {read_cnf(0, {7, 0xFFFFFFFF})}},
    {"ReadRoundsUpToWholeWords",
     {"set hif 0x20 0xA1B2C3D4"},
     {read_reg(1, 0x20, 1)},
     {read_cnf(0, {0xA1B2C3D4})}},
    // Another type, an unaligned AHB or APB address, more than one answer
    // holds.
    {"ReadRefused",
     {},
     {read_reg(4, 0x100, 4), read_reg(2, 0x102, 4), read_reg(3, 0x101, 4), read_reg(1, 0, 1025)},
     {hi(0x7F6, {1, 0}), hi(0x7F6, {1, 0}), hi(0x7F6, {1, 0}), hi(0x7F6, {1, 0})}},
    // HIF registers go by number.
    {"HifRegisterOne",
     {"set hif 1 0x1000", "set hif 4 5"},
     {read_reg(1, 1, 4), write_reg(1, 1, 0x81000), read_reg(1, 1, 4)},
     {read_cnf(0, {0x1000}), write_cnf(0, 1, 1, 0x81000), read_cnf(0, {0x81000})},
     {{"hif 1", "0x00081000"}, {"hif 4", "0x00000005"}}},
    {"WriteEachSpaceApart",
     {},
     {write_reg(1, 0x10, 0xA), write_reg(2, 0x10, 0xB), write_reg(3, 0x10, 0xC)},
     {write_cnf(0, 1, 0x10, 0xA), write_cnf(0, 2, 0x10, 0xB), write_cnf(0, 3, 0x10, 0xC)},
     {{"hif 0x10", "0x0000000a"}, {"ahb 0x10", "0x0000000b"}, {"apb 0x10", "0x0000000c"}}},
    {"WriteThenRead",
     {},
     {write_reg(2, 0x2000, 0xCAFEF00D), read_reg(2, 0x2000, 4)},
     {write_cnf(0, 2, 0x2000, 0xCAFEF00D), read_cnf(0, {0xCAFEF00D})}},
    {"WriteUnknownTypeStoresNothing",
     {},
     {write_reg(7, 0x10, 5)},
     {write_cnf(1, 7, 0x10, 5)},
     {{"hif 0x10", "0x00000000"}}},

    // MAC addresses: firmware requests, so only while connected.
    {"GetMacEachKind",
     {"set connected 1"},
     {get_mac(0), get_mac(1), get_mac(2)},
     {mac_cnf(55, 0, 0, kSourceDefault), mac_cnf(55, 0, 1, kDestDefault), mac_cnf(55, 0, 2, kBssidDefault)}},
    {"MacUnknownKind",
     {"set connected 1"},
     {get_mac(3), set_mac(3, kMacA)},
     {mac_cnf(55, 1, 3, Bytes(6, 0)), mac_cnf(56, 1, 3, kMacA)},
     {{"mac 0", "020000000001"}}},
    {"SetMacThenGet",
     {"set connected 1"},
     {set_mac(1, kMacA), get_mac(1)},
     {mac_cnf(56, 0, 1, kMacA), mac_cnf(55, 0, 1, kMacA)},
     {{"mac 1", "001122334455"}, {"mac 0", "020000000001"}}},

    // Hardware tests: the result of the test id, both parameters needed.
    {"HwTestHif",
     {"set connected 1", "set hwtest 1 0x01020304", "set hwtest 2 9"},
     {hw_test(1, 100, 3), hw_test(2, 100, 3)},
     {hw_cnf(hw_test(1, 100, 3), 0, 0x01020304), hw_cnf(hw_test(2, 100, 3), 0, 9)}},
    {"HwTestUnknownOrWithoutParameter",
     {"set connected 1"},
     {hw_test(5, 1, 1), hw_test(1, 0, 1)},
     {hw_cnf(hw_test(5, 1, 1), 1, 0), hw_cnf(hw_test(1, 0, 1), 1, 0)}},

    // Sleep: asleep, the firmware takes nothing but the request to wake.
    {"SleepThenRefused",
     {"set connected 1"},
     {sleep_req(1, 0x123456789ULL), get_mac(0), hi(1016, {0})},
     {hi(0x431, {0}), boot(1, 7), api_ctx_cnf(true)},
     {{"asleep", "1"}}},
    {"WakeThenAnswered",
     {"set connected 1", "set asleep 1"},
     {sleep_req(2), sleep_req(0), get_mac(0)},
     {hi(0x431, {1}), hi(0x431, {0}), mac_cnf(55, 0, 0, kSourceDefault)},
     {{"asleep", "0"}}},
    {"AsleepUntilDisconnected",
     {"set connected 1", "set asleep 1"},
     {hi(1019), kConnect},
     {boot(0, 0), boot(3, 0), startup(4)},
     {{"asleep", "0"}}},

    {"ClockGating",
     {"set connected 1"},
     {hi(50, {0, 1}), hi(50, {0, 2})},
     {hi(0x432, {0}), hi(0x432, {1})},
     {{"clockgating", "1"}}},
    {"DebugPort",
     {"set connected 1"},
     {hi(57, {0, 31, 1, 2, 0xDEADBEEF}), hi(57, {0, 32, 0, 0, 1})},
     {hi(0x439, {0}), hi(0x439, {1})},
     {{"debugport", "31 1 2 3735928559"}}},
    {"HardwareIdPreset",
     {"set connected 1", "set hwid 0xA5A50001"},
     {hi(61, {0})},
     {hi(0x43D, {0xA5A50001})}},
    {"RawProxyCountsThePayload",
     {"set connected 1"},
     {put(blank(62, 13), 8, {1, 2, 3, 4, 5}), blank(62, 8)},
     {hi(0x43E, {0, 5}), hi(0x43E, {0, 0})}},
    {"SelfTest",
     {"set connected 1", "set selftest 0x55"},
     {hi(94, {0, 4}), hi(94, {0, 5})},
     {hi(0x45E, {0, 0x55}), hi(0x45E, {1, 0})}},
    {"ControlBlocksWrittenAndRead",
     {"set connected 1"},
     {put(blank(96, 80), 4, kBlocks), hi(95, {0})},
     {hi(0x460, {0}), put(blank(0x45F, 80), 4, kBlocks)},
     {{"ctrlblock", sim_hex(kBlocks)}}},

    // A fault that lets the first requests of an id through.
    {"FaultAfterTwo",
     {"set connected 1", "fault 61 status 3 0 after 2"},
     {hi(61, {0}), hi(61, {0}), hi(61, {0}), hi(61, {0})},
     {hi(0x43D, {0x2301}), hi(0x43D, {0x2301}), hi(0x43D, {3}), hi(0x43D, {3})},
     {{"faults", "1"}}},

    // Downloads: only the last chunk is answered.
    {"ImageWithAGapStartsNothing",
     {},
     {chunk(kImage, 0, 1, {1, 2, 3, 4}), chunk(kImage, 5, 2, {6})},
     {boot(3, 1)},
     {{"download fw", "none"}, {"connected", "0"}}},
    {"LastChunkWithoutAStart", {}, {chunk(kSdd, 1024, 2, {1, 2})}, {boot(4, 1)}},
    {"NameFlagChangesMidway", {}, {chunk(kSdd, 0, 5, {'a', 'b'}), chunk(kSdd, 2, 2, {'c', 0})}, {boot(4, 1)}},
    {"FailedDownloadKeepsTheLastGoodOne",
     {},
     {chunk(kSdd, 0, 2, {9, 8, 7}), chunk(kSdd, 4, 2, {1})},
     {boot(4, 0), boot(4, 1)},
     {{"download sdd", "bytes 090807"}}},
    {"NewFirstChunkStartsAgain",
     {},
     {chunk(kSdd, 0, 1, {1, 1}), chunk(kSdd, 0, 1, {2, 2}), chunk(kSdd, 2, 2, {3})},
     {boot(4, 0)},
     {{"download sdd", "bytes 020203"}}},
    {"RebootAbandonsADownload",
     {},
     {chunk(kImage, 0, 1, {1, 2, 3, 4}), hi(0x3FF), chunk(kImage, 4, 2, {5})},
     {boot(3, 0), boot(3, 1)},
     {{"download fw", "none"}}},
    {"ImageWakesAndConnects",
     {"set asleep 1"},
     {chunk(kImage, 0, 2, {1})},
     {boot(3, 0), startup(4)},
     {{"asleep", "0"}, {"connected", "1"}}},

    // Efuse: a request whose complement byte disagrees with its type is
    // refused with status 2 and changes nothing; the read's refusal is as
    // long as its answer (MAC: six bytes).
    {"EfuseReadWithAWrongComplement",
     {"set connected 1"},
     {w16(blank(43, 12), 4, 4)},
     {padded(w32(blank(0x42B, 18), 4, 2))}},
    {"EfuseWriteWithAWrongComplement",
     {"set connected 1"},
     {w16(blank(44, 96), 4, 4)},
     {padded(w32(blank(0x42C, 18), 4, 2))},
     {{"efuse 4", "none"}, {"efuse_slots", "1 3 3 3 0 3"}}},
    // Refused as written before, the answer carries six stored bytes from
    // 11, zeros after a shorter element's.
    {"EfuseWrittenBeforeShowsSixBytes",
     {"set connected 1", "set efuse 3 0a0b0c"},
     {put(w16(blank(44, 96), 4, 3), 12, {0xFC, 1, 2, 3})},
     {padded(put(w32(blank(0x42C, 17), 4, 7), 11, {0x0A, 0x0B, 0x0C, 0, 0, 0}))},
     {{"efuse 3", "0a0b0c"}, {"efuse_slots", "1 3 3 3 0 3"}}},
    {"EfuseMacWrittenBefore",
     {"set connected 1", "set efuse 4 a0b1c2d3e4f5"},
     {put(w16(blank(44, 96), 4, 4), 12, {0xFB, 1, 2, 3, 4, 5, 6})},
     {padded(put(w32(blank(0x42C, 18), 4, 7), 11, {0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5}))}},

    // Hardware registers: their status is at 12, which the key sets for
    // both requests; the read still carries the value, the write writes
    // nothing.
    {"HardwareRegisterStatus",
     {"set connected 1", "set reg 0x20 0x1234", "set regstatus 5"},
     {hi(7, {0x20, 0xFFFFFFFF}), hi(8, {0x20, 0x99})},
     {hi(0x407, {0, 0x1234, 5}), hi(0x408, {0, 0, 5})},
     {{"reg 0x20", "0x00001234"}, {"regstatus", "5"}}},
};

INSTANTIATE_TEST_SUITE_P(Device, SimExchange, testing::ValuesIn(kDeviceCases), exchange_name);

// State that lives as long as the sim: a session's end does not reset it.
TEST_F(SimTest, AddressesAndRegistersOutliveTheSession) {
    connect();
    ASSERT_TRUE(send(seqd(set_mac(1, kMacA), 0)));
    EXPECT_EQ(answer(), seqd(mac_cnf(56, 0, 1, kMacA), 1));
    ASSERT_TRUE(send(seqd(write_reg(3, 0x40, 9), 1)));
    EXPECT_EQ(answer(), seqd(write_cnf(0, 3, 0x40, 9), 2));
    ASSERT_TRUE(send(hi(1019)));
    EXPECT_EQ(answer(), boot(0, 0));
    connect();
    ASSERT_TRUE(send(seqd(get_mac(1), 0)));
    EXPECT_EQ(answer(), seqd(mac_cnf(55, 0, 1, kMacA), 1));
    ASSERT_TRUE(send(seqd(read_reg(3, 0x40, 4), 1)));
    EXPECT_EQ(answer(), seqd(read_cnf(0, {9}), 2));
    ASSERT_TRUE(ctl("reset"));
    EXPECT_EQ(get("mac 1"), "ffffffffffff");
    EXPECT_EQ(get("apb 0x40"), "0x00000000");
}

TEST_F(SimTest, DownloadChunksStayOutOfTheNumbering) {
    connect();
    ASSERT_TRUE(send(seqd(get_mac(0), 0)));
    EXPECT_EQ(answer(), seqd(mac_cnf(55, 0, 0, kSourceDefault), 1));
    // Chunks carry whatever bits; they neither count nor move the count.
    ASSERT_TRUE(send(seqd(chunk(kSdd, 0, 1, {1}), 5)));
    ASSERT_TRUE(send(seqd(chunk(kSdd, 1, 2, {2}), 0)));
    EXPECT_EQ(answer(), boot(4, 0));
    EXPECT_EQ(get("expected_rx_seq"), "1");
    ASSERT_TRUE(send(seqd(get_mac(0), 1)));
    EXPECT_EQ(answer(), seqd(mac_cnf(55, 0, 0, kSourceDefault), 2));
}

}  // namespace
