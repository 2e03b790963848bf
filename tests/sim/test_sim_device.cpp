// The requests that control the device as a whole: connect refusals, the
// register spaces by bus type, the MAC addresses, the hardware and self
// tests, sleep, the hardware id, the raw proxy, and the image and SDD
// downloads, each answer byte for byte with the state it leaves; and the
// fault that lets the first requests of an id through.
#include "sim/sim_util.h"
#include "tests/sim/sim_test_util.h"

namespace {

// A message of size zero bytes behind its header.
Bytes msg(unsigned id, size_t size) {
    Bytes m(size, 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(size));
    hi_set_msg_id(m.data(), static_cast<uint16_t>(id));
    return m;
}

Bytes w16(Bytes m, size_t off, uint16_t v) {
    hi_wr16(m.data() + off, v);
    return m;
}

Bytes w32(Bytes m, size_t off, uint32_t v) {
    hi_wr32(m.data() + off, v);
    return m;
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
    return w32(msg(55, 20), 8, kind);
}

Bytes set_mac(uint32_t kind, const Bytes& mac) {
    return put(w32(msg(56, 20), 8, kind), 12, mac);
}

Bytes mac_cnf(unsigned id, uint32_t status, uint32_t kind, const Bytes& mac) {
    return put(w32(w32(msg(id | 0x400, 20), 4, status), 8, kind), 12, mac);
}

// ---- hardware tests ----

Bytes hw_test(uint16_t test, uint16_t p1, uint16_t p2, uint8_t step = 0) {
    Bytes m = w16(w16(w16(msg(4, 32), 8, test), 10, p1), 14, p2);
    if (step != 0) {
        m[16] = step;
        m[17] = 16;
    }
    return m;
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

Bytes chunk(unsigned id, uint32_t offset, uint32_t flags, const Bytes& data) {
    Bytes m = hi(id, {offset, flags});
    m.insert(m.end(), data.begin(), data.end());
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    return m;
}

Bytes slice(const Bytes& b, size_t from, size_t to) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
}

constexpr unsigned kSdd = 0x3FD;
constexpr unsigned kImage = 0x3FE;
const Bytes kFile = pattern(2500, 0x03);
const Bytes kName = {'f', 'w', '.', 'b', 'i', 'n', 0};

// ---- the table ----

struct DeviceCase {
    const char* name;
    std::vector<std::string> setup;  // control lines before the requests
    std::vector<Bytes> requests;     // sent in order
    std::vector<Bytes> expected;     // every answer to them, in order
    // "get" arguments and the line each gives afterwards.
    std::vector<std::pair<std::string, std::string>> after = {};
};

void PrintTo(const DeviceCase& c, std::ostream* os) {
    *os << c.name;
}

const DeviceCase kDeviceCases[] = {
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
    {"ReadHif", {"set hif 0x100 0x11223344"}, {read_reg(1, 0x100, 4)}, {read_cnf(0, {0x11223344})}},
    {"ReadAhbTwoWords",
     {"set ahb 0x40000000 7", "set ahb 0x40000004 0xFFFFFFFF"},
     {read_reg(2, 0x40000000, 8)},
     {read_cnf(0, {7, 0xFFFFFFFF})}},
    {"ReadApbUnsetReadsZero", {"set hif 0x8 5", "set ahb 0x8 6"}, {read_reg(3, 0x8, 4)}, {read_cnf(0, {0})}},
    {"ReadRoundsUpToWholeWords",
     {"set hif 0x20 0xA1B2C3D4"},
     {read_reg(1, 0x20, 1)},
     {read_cnf(0, {0xA1B2C3D4})}},
    {"ReadFiveBytesGivesEight", {}, {read_reg(1, 0x20, 5)}, {read_cnf(0, {0, 0})}},
    {"ReadNothing", {}, {read_reg(2, 0, 0)}, {read_cnf(0, {})}},
    {"ReadUnknownType", {}, {read_reg(4, 0x100, 4)}, {hi(0x7F6, {1, 0})}},
    {"ReadTypeZero", {}, {read_reg(0, 0x100, 4)}, {hi(0x7F6, {1, 0})}},
    {"ReadUnaligned", {}, {read_reg(1, 0x102, 4)}, {hi(0x7F6, {1, 0})}},
    {"ReadAboveOneAnswer", {}, {read_reg(1, 0, 1025)}, {hi(0x7F6, {1, 0})}},
    {"ReadWrapsAtTheTopOfTheSpace",
     {"set apb 0xFFFFFFFC 1", "set apb 0 2"},
     {read_reg(3, 0xFFFFFFFC, 8)},
     {read_cnf(0, {1, 2})}},
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
    {"WriteUnaligned", {}, {write_reg(1, 0x11, 5)}, {write_cnf(1, 1, 0x11, 5)}},

    // MAC addresses: firmware requests, so only while connected.
    {"GetMacEachKind",
     {"set connected 1"},
     {get_mac(0), get_mac(1), get_mac(2)},
     {mac_cnf(55, 0, 0, kSourceDefault), mac_cnf(55, 0, 1, kDestDefault), mac_cnf(55, 0, 2, kBssidDefault)}},
    {"GetMacPreset", {"set connected 1", "set mac 2 001122334455"}, {get_mac(2)}, {mac_cnf(55, 0, 2, kMacA)}},
    {"GetMacUnknownKind", {"set connected 1"}, {get_mac(3)}, {mac_cnf(55, 1, 3, Bytes(6, 0))}},
    {"SetMacEachKind",
     {"set connected 1"},
     {set_mac(0, kMacA), set_mac(1, pattern(6, 1)), set_mac(2, pattern(6, 2)), get_mac(1)},
     {mac_cnf(56, 0, 0, kMacA), mac_cnf(56, 0, 1, pattern(6, 1)), mac_cnf(56, 0, 2, pattern(6, 2)),
      mac_cnf(55, 0, 1, pattern(6, 1))},
     {{"mac 0", "001122334455"}, {"mac 1", sim_hex(pattern(6, 1))}, {"mac 2", sim_hex(pattern(6, 2))}}},
    {"SetMacUnknownKind",
     {"set connected 1"},
     {set_mac(3, kMacA)},
     {mac_cnf(56, 1, 3, kMacA)},
     {{"mac 0", "020000000001"}}},
    {"GetMacNotConnected", {}, {get_mac(0)}, {boot(1, 7)}},

    // Hardware tests: the result of the test id, both parameters needed.
    {"HwTestHif",
     {"set connected 1", "set hwtest 1 0x01020304", "set hwtest 2 9"},
     {hw_test(1, 100, 3), hw_test(2, 100, 3)},
     {hw_cnf(hw_test(1, 100, 3), 0, 0x01020304), hw_cnf(hw_test(2, 100, 3), 0, 9)}},
    {"HwTestEncryptionStep",
     {"set connected 1", "set hwtest 3 0xABCD"},
     {hw_test(3, 1, 2, 6)},
     {hw_cnf(hw_test(3, 1, 2, 6), 0, 0xABCD)}},
    {"HwTestMic", {"set connected 1"}, {hw_test(4, 5, 5)}, {hw_cnf(hw_test(4, 5, 5), 0, 0)}},
    {"HwTestUnknown", {"set connected 1"}, {hw_test(5, 1, 1)}, {hw_cnf(hw_test(5, 1, 1), 1, 0)}},
    {"HwTestWithoutParameter", {"set connected 1"}, {hw_test(1, 0, 1)}, {hw_cnf(hw_test(1, 0, 1), 1, 0)}},

    // Sleep: asleep, the firmware takes nothing but the request to wake.
    {"SleepThenRefused",
     {"set connected 1"},
     {sleep_req(1, 0x123456789ULL), get_mac(0), hi(1016, {0})},
     {hi(0x431, {0}), boot(1, 7), api_ctx_cnf(true)},
     {{"asleep", "1"}}},
    {"WakeThenAnswered",
     {"set connected 1", "set asleep 1"},
     {sleep_req(0), get_mac(0)},
     {hi(0x431, {0}), mac_cnf(55, 0, 0, kSourceDefault)},
     {{"asleep", "0"}}},
    {"SleepUnknownMode", {"set connected 1"}, {sleep_req(2)}, {hi(0x431, {1})}, {{"asleep", "0"}}},
    {"AsleepUntilDisconnected",
     {"set connected 1", "set asleep 1"},
     {hi(1019), kConnect},
     {boot(0, 0), boot(3, 0), startup(4)},
     {{"asleep", "0"}}},

    {"ClockGating", {"set connected 1"}, {hi(50, {0, 1})}, {hi(0x432, {0})}, {{"clockgating", "1"}}},
    {"ClockGatingBadValue",
     {"set connected 1", "set clockgating 1"},
     {hi(50, {0, 2})},
     {hi(0x432, {1})},
     {{"clockgating", "1"}}},
    {"DebugPort",
     {"set connected 1"},
     {hi(57, {0, 31, 1, 2, 0xDEADBEEF})},
     {hi(0x439, {0})},
     {{"debugport", "31 1 2 3735928559"}}},
    {"DebugPortPinOutOfRange",
     {"set connected 1"},
     {hi(57, {0, 32, 0, 0, 1})},
     {hi(0x439, {1})},
     {{"debugport", "0 0 0 0"}}},
    {"HardwareIdDefault", {"set connected 1"}, {hi(61, {0})}, {hi(0x43D, {0x00002301})}},
    {"HardwareIdPreset",
     {"set connected 1", "set hwid 0xA5A50001"},
     {hi(61, {0})},
     {hi(0x43D, {0xA5A50001})}},
    {"RawProxyCountsThePayload",
     {"set connected 1"},
     {put(msg(62, 13), 8, {1, 2, 3, 4, 5}), msg(62, 8)},
     {hi(0x43E, {0, 5}), hi(0x43E, {0, 0})}},
    {"SelfTest", {"set connected 1", "set selftest 0x55"}, {hi(94, {0, 4})}, {hi(0x45E, {0, 0x55})}},
    {"SelfTestUnknown", {"set connected 1", "set selftest 0x55"}, {hi(94, {0, 5})}, {hi(0x45E, {1, 0})}},
    {"ControlBlocksWrittenAndRead",
     {"set connected 1"},
     {put(msg(96, 80), 4, kBlocks), hi(95, {0})},
     {hi(0x460, {0}), put(msg(0x45F, 80), 4, kBlocks)},
     {{"ctrlblock", sim_hex(kBlocks)}}},
    {"ControlBlocksPreset",
     {"set connected 1", "set ctrlblock " + sim_hex(kBlocks)},
     {hi(95, {0})},
     {put(msg(0x45F, 80), 4, kBlocks)}},
    {"ControlBlocksWriteTooShort",
     {"set connected 1"},
     {put(msg(96, 76), 4, slice(kBlocks, 0, 72))},
     {unmodelled_cnf(96)},
     {{"ctrlblock", std::string(152, '0')}}},

    // Downloads: only the last chunk is answered.
    {"SddInOneChunk",
     {},
     {chunk(kSdd, 0, 2, {0xC0, 0x02, 0x02, 0x05, 0xAA})},
     {boot(4, 0)},
     {{"download sdd", "bytes c0020205aa"}, {"download fw", "none"}, {"connected", "0"}}},
    {"ImageInThreeChunks",
     {},
     {chunk(kImage, 0, 1, slice(kFile, 0, 1024)), chunk(kImage, 1024, 0, slice(kFile, 1024, 2048)),
      chunk(kImage, 2048, 2, slice(kFile, 2048, 2500))},
     {boot(3, 0), startup(4)},
     {{"download fw", "bytes " + sim_hex(kFile)}, {"connected", "1"}, {"numbering", "1"}}},
    {"ImageByName",
     {},
     {chunk(kImage, 0, 6, kName)},
     {boot(3, 0), startup(4)},
     {{"download fw", "name fw.bin"}}},
    {"SddWithAGap",
     {},
     {chunk(kSdd, 0, 1, slice(kFile, 0, 1024)), chunk(kSdd, 1025, 2, slice(kFile, 1024, 1030))},
     {boot(4, 1)},
     {{"download sdd", "none"}}},
    {"ImageWithAGapStartsNothing",
     {},
     {chunk(kImage, 0, 1, slice(kFile, 0, 1024)), chunk(kImage, 1000, 2, slice(kFile, 1024, 1030))},
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
};

class DeviceAnswer : public SimTest, public testing::WithParamInterface<DeviceCase> {};

TEST_P(DeviceAnswer, BytesOnTheWireAndStateAfter) {
    const DeviceCase& c = GetParam();
    for (const std::string& line : c.setup)
        ASSERT_TRUE(ctl(line)) << line << ": " << sim().last_error();
    for (const Bytes& r : c.requests)
        ASSERT_TRUE(send(r));
    EXPECT_EQ(answers(c.expected.size()), c.expected);
    expect_quiet();
    for (const auto& [key, value] : c.after)
        EXPECT_EQ(get(key), value) << key;
}

INSTANTIATE_TEST_SUITE_P(Requests, DeviceAnswer, testing::ValuesIn(kDeviceCases),
                         [](const auto& info) { return std::string(info.param.name); });

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

struct SkipCase {
    const char* name;
    const char* fault;
    std::vector<uint32_t> statuses;  // of successive hardware id requests
    const char* listed;              // the fault list once they are through
};

void PrintTo(const SkipCase& c, std::ostream* os) {
    *os << c.name;
}

const SkipCase kSkipCases[] = {
    {"SecondOnly", "fault 61 status 3 1 after 1", {0x2301, 3, 0x2301, 0x2301}, ""},
    {"FromTheThirdOn", "fault 61 status 3 0 after 2", {0x2301, 0x2301, 3, 3}, "61 status 3 0"},
    {"AfterNoneIsAPlainFault", "fault 61 status 3 1 after 0", {3, 0x2301, 0x2301, 0x2301}, ""},
    {"RefusalAfterOne", "fault 61 refuse 8 2 after 1", {0x2301, 0xFF, 0xFF, 0x2301}, ""},
};

class FaultAfter : public SimTest, public testing::WithParamInterface<SkipCase> {};

TEST_P(FaultAfter, LetsTheFirstRequestsThrough) {
    const SkipCase& c = GetParam();
    ASSERT_TRUE(ctl("set connected 1"));
    ASSERT_TRUE(ctl(c.fault)) << sim().last_error();
    for (uint32_t status : c.statuses) {
        ASSERT_TRUE(send(hi(61, {0})));
        // 0xFF stands for the refusal that replaces the answer.
        EXPECT_EQ(answer(), status == 0xFF ? boot(1, 8) : hi(0x43D, {status}));
    }
    std::vector<std::string> list;
    ASSERT_TRUE(ctl("fault list", &list));
    EXPECT_EQ(list, c.listed[0] != '\0' ? std::vector<std::string>{c.listed} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Counts, FaultAfter, testing::ValuesIn(kSkipCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimTest, FaultListShowsWhatIsStillLetThrough) {
    ASSERT_TRUE(ctl("fault 55 status 3 1 after 2"));
    std::vector<std::string> list;
    ASSERT_TRUE(ctl("fault list", &list));
    EXPECT_EQ(list, std::vector<std::string>{"55 status 3 1 after 2"});
}

}  // namespace
