// Memory, registers and the parameter block through the API against the
// stand-in: the bytes of the request shapes the memory commands' runs do
// not pin, how blocks, ranges, lists and register-value files are cut into
// messages and what a failed one makes of the result, the com-bus bracket
// when its switches fail, and values that go round trip through the chip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "sim/sim_util.h"
#include "tests/support/api_calls.h"

namespace {

using Api = RqmApiContext*;
using Got = std::string*;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

constexpr uint32_t kBase = 0x00200000;  // test memory, away from the parameter block

Bytes pattern(size_t n) {
    Bytes p(n);
    for (size_t i = 0; i < n; ++i)
        p[i] = static_cast<uint8_t>(1 + 7 * i + (i >> 8));
    return p;
}

std::string hexnum(uint32_t v) {
    char text[16];
    snprintf(text, sizeof text, "0x%08x", v);
    return text;
}

// Register-value records for addresses kBase, kBase + 4, ... (a comment
// on a line of its own would leave a line end before the first record),
// run through request 99; and the requests that carry pairs [first, end).
int block_reg_init(Api c, const std::string& text) {
    static TempDir dir;
    EXPECT_TRUE(dir.write("regs.txt", text));
    return RQM_BlockRegInit(c, (dir.path() + "/regs.txt").c_str());
}
std::string reg_file(unsigned pairs) {
    std::string text;
    for (unsigned i = 0; i < pairs; ++i)
        text += hexnum(kBase + 4 * i) + "," + hexnum(0x11223344 + i) + (i == 0 ? " // generated\n" : "\n");
    return text;
}
Bytes pairs99(uint32_t first, uint32_t end) {
    HiBuild m(99);
    for (uint32_t i = first; i < end; ++i)
        m.be32(kBase + 4 * i).be32(0x11223344 + i);
    return m;
}

int shapes(Api c, Got got) {
    const uint32_t a[2] = {0x00200010, 0x0AC8015C}, v[2] = {0xA1B2C3D4, 0x1F};
    const uint8_t five[5] = {0x51, 0x52, 0x53, 0x54, 0x55};
    uint32_t word = 0;
    for (int r : {RQM_WriteMemoryRange(c, 0x1002, five, 5), RQM_ReadRegsterEx(c, a, &word, 1),
                  RQM_WriteRegsterEx(c, a, v, 2), RQM_GPIO_Write(c, 3, 0x0102)})
        *got += std::to_string(r) + " ";
    return RQM_SUCCESS;
}

// The first failure is the result: reads go on after a failed chunk, writes
// stop at it.
const std::vector<uint32_t> kList(300, kBase);
std::vector<uint32_t> g_out(300);
const Bytes kLong = pattern(3000);
const Bytes kBlock = pattern(2500);

template <uint32_t Address, uint32_t N>
int read(Api c, Got got) {
    Bytes b(N, 0xEE);
    const int r = RQM_ReadMemory(c, Address, b.data(), N);
    *got = sim_hex(b);
    return r;
}

int rf_write(Api c, Got) {
    return RQM_WriteMemoryRfAccess(c, kBase, 0x5A5A);
}

// Three words for 10 bytes.
int rf_read(Api c, Got got) {
    uint32_t w[3] = {};
    const int r = RQM_ReadMemoryRfAccess(c, kBase, w, 10, 3);
    *got = hexnum(w[0]) + " " + hexnum(w[1]) + " " + hexnum(w[2]);
    return r;
}

const std::string kSecondPair = "mem " + hexnum(kBase + 4);
const Presets kThreeWords = {"set mem 0x00200000 0x11", "set mem 0x00200004 0x22", "set mem 0x00200008 0x33"};

// clang-format off
const ApiCall kCalls[] = {
    // ---- one request of each shape; the range's address as it is, flags 0, filler, the data, one more.
    // The pins refuse a write outside their test mode (1). ----
    {.name = "Shapes", .call = shapes, .got = "0 0 0 1 ", .out = kAnyOutput,
     .sent = {{HiBuild(1, {0x1002}).u16(7).u16(0).u16(0).u8(0x51).u32(0x55545352).u8(0),
               HiBuild(5).u16(1).u16(0xC0).u32(0x00200010),
               HiBuild(6).u16(2).u16(0xC0).u32(0x00200010).u32(0x0AC8015C).zeros(504)
                   .u32(0xA1B2C3D4).u32(0x1F).zeros(504),
               HiBuild(59).u8(2).u8(3).u16(0x0102)}}},
    // ---- chunks, lists and blocks: the first failure is the result ----
    {.name = "BlockReadGoesOnPastAFailedChunk",
     .presets = {"set bytes 0x00200001 " + sim_hex(kBlock), "fault 0 status 5 1 after 1"},
     .call = read<kBase + 1, 2500>, .result = 5, .got = sim_hex(kBlock), .out = failed("RQM_ReadMemory", 5),
     .sent = {{HiBuild(0, {kBase + 1, 0x00C00400}), HiBuild(0, {kBase + 1025, 0x00C00400}),
               HiBuild(0, {kBase + 2049, 0x00C001C4})}}},
    {.name = "ChunkCutShortIsNoAnswerAndLeavesTheBuffer",
     .presets = {"set bytes 0x00200000 " + sim_hex(pattern(8)), "fault 0 short 14 1"},
     .call = read<kBase, 8>, .result = RQM_NO_CONFIRMATION, .got = "eeeeeeeeeeeeeeee",
     .out = failed("RQM_ReadMemory", 1)},
    {.name = "ReadRegsterExGoesOn", .presets = {"fault 5 status 4 1"},
     .call = [](Api c, Got) { return RQM_ReadRegsterEx(c, kList.data(), g_out.data(), 300); }, .result = 4,
     .out = kAnyOutput, .ids = {{5, 5}}},
    {.name = "WriteRegBlkStops", .presets = {"fault 1 status 4 1"},
     .call = [](Api c, Got) { return RQM_WriteRegBlk(c, kBase, kList.data(), 300); }, .result = 4,
     .out = kAnyOutput, .ids = {{1}}},
    {.name = "WriteRegsterExStops", .presets = {"fault 6 status 4 1"},
     .call = [](Api c, Got) { return RQM_WriteRegsterEx(c, kList.data(), kList.data(), 200); }, .result = 4,
     .out = kAnyOutput, .ids = {{6}}},
    {.name = "WriteMemoryRangeStops", .presets = {"fault 1 status 4 1"},
     .call = [](Api c, Got) { return RQM_WriteMemoryRange(c, kBase, kLong.data(), 3000); }, .result = 4,
     .out = kAnyOutput, .ids = {{1}}},
    // ---- register-value files: sixteen pairs a message, or nothing at all ----
    {.name = "SixteenPairs", .call = [](Api c, Got) { return block_reg_init(c, reg_file(16)); },
     .sent = {{pairs99(0, 16)}}, .after = {{kSecondPair, "0x11223345"}}},
    {.name = "SeventeenPairs", .call = [](Api c, Got) { return block_reg_init(c, reg_file(17)); },
     .sent = {{pairs99(0, 16), pairs99(16, 17)}}},
    {.name = "EmptyFile", .call = [](Api c, Got) { return block_reg_init(c, ""); }, .sent = kNothingSent},
    {.name = "ValueDoesNotParse",
     .call = [](Api c, Got) { return block_reg_init(c, reg_file(2) + "0x00200100,0x0000zzzz\n"); },
     .result = RQM_FILE_ERROR, .out = kAnyOutput, .sent = kNothingSent,
     .after = {{kSecondPair, "0x00000000"}}},
    {.name = "HalfAPair",
     .call = [](Api c, Got) { return block_reg_init(c, reg_file(17) + "0x00200100,\n"); },
     .result = RQM_FILE_ERROR, .out = kAnyOutput, .sent = kNothingSent},
    // ---- the com-bus bracket around an RF access ----
    {.name = "AlreadyInModeOne", .presets = {"set combus 1"}, .call = rf_write, .ids = {{687, 1}},
     .after = {{"combus", "1"}}},
    {.name = "SwitchedAndRestored", .presets = {"set combus 2"}, .call = rf_write,
     .ids = {{687, 686, 1, 686}},
     .after = {{"combus", "2"}}},
    {.name = "ModeReadFails", .presets = {"fault 687 status 3"}, .call = rf_write, .result = 3,
     .out = failed("RQM_GetComBusMode", 3) + failed("RQM_WriteMemoryRfAccess", 3), .ids = {{687}},
     .after = {{"combus", "0"}}},
    {.name = "FailedSwitchSkipsTheWrite", .presets = {"fault 686 status 4 1"}, .call = rf_write, .result = 4,
     .out = kAnyOutput, .ids = {{687, 686}}},
    {.name = "FailedWriteWinsOverTheRestore", .presets = {"fault 1 status 5"}, .call = rf_write, .result = 5,
     .out = failed("RQM_WriteMemory", 5) + failed("RQM_WriteMemoryRfAccess", 5),
     .ids = {{687, 686, 1, 686}},
     .after = {{"combus", "0"}}},
    {.name = "FailedRestore", .presets = {"fault 686 status 6 1 after 1"}, .call = rf_write, .result = 6,
     .out = kAnyOutput, .ids = {{687, 686, 1, 686}}},
    {.name = "ModeThatCannotBeSetBack", .presets = {"set combus 7"}, .call = rf_write, .result = 9,
     .out = kAnyOutput, .ids = {{687, 686, 1}}, .after = {{"combus", "1"}}},
    {.name = "RfReadRoundsUpToWords", .presets = kThreeWords, .call = rf_read,
     .got = "0x00000011 0x00000022 0x00000033", .ids = {{687, 686, 58, 58, 58, 686}},
     .after = {{"combus", "0"}}},
    // No buffer for a read of some bytes: 9 before the mode is touched.
    {.name = "RfReadWithoutBuffer", .presets = {"set combus 2"},
     .call = [](Api c, Got) { return RQM_ReadMemoryRfAccess(c, kBase, nullptr, 4, 3); }, .result = 9,
     .out = failed("RQM_ReadMemoryRfAccess", 9), .sent = kNothingSent, .after = {{"combus", "2"}}},
};
// clang-format on

TEST_P(ApiCalls, Memory) {
    check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Memory, ApiCalls, testing::ValuesIn(kCalls), RowName());

using Memory = ApiOnSim;

TEST_F(Memory, RegisterListsAndBlocksAcrossTheirRequestLimits) {
    open({});
    std::vector<uint32_t> addrs(300), values(300);
    for (uint32_t i = 0; i < 300; ++i) {
        addrs[i] = kBase + 8 * i;
        values[i] = 0xC0DE0000 + i;
    }
    ASSERT_EQ(RQM_WriteRegsterEx(ctx_, addrs.data(), values.data(), 200), 0);
    std::vector<uint32_t> back(300, 0xEEEEEEEE);
    ASSERT_EQ(RQM_ReadRegsterEx(ctx_, addrs.data(), back.data(), 300), 0);
    std::vector<uint32_t> expected = values;
    std::fill(expected.begin() + 200, expected.end(), 0);
    EXPECT_EQ(back, expected);
    ASSERT_EQ(RQM_WriteRegBlk(ctx_, kBase + 0x10000, values.data(), 300), 0);
    EXPECT_EQ(get("mem 0x0021012c"), hexnum(values[75]));
    EXPECT_EQ(get("mem 0x00210404"), hexnum(values[257]));
    // Lengths, and the list's count or the block's address.
    std::vector<std::pair<unsigned, unsigned>> sent;
    for (const HiMsg& m : log().with({6, 5, 1}))
        sent.emplace_back(m.len(), m.id() == 1 ? m.u32(4) : m.u16(4));
    EXPECT_EQ(sent, (std::vector<std::pair<unsigned, unsigned>>{{1032, 128},
                                                                {1032, 72},
                                                                {1032, 256},
                                                                {184, 44},
                                                                {1036, kBase + 0x10000},
                                                                {188, kBase + 0x10400}}));
}

struct RangeCase {
    unsigned maxmsg;
    uint32_t lead;  // the address past a word boundary
    uint32_t len;
    int result;
    size_t messages;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << "maxmsg " << c.maxmsg << " lead " << c.lead << " len " << c.len;
}

class RangeWrite : public ApiOnSim, public testing::WithParamInterface<RangeCase> {};

// The bytes land at the address and nowhere else; each message carries
// its filler, flags 0 and the count of filler and data, and stays within
// what the firmware and the channel take.
TEST_P(RangeWrite, BytesLandExactlyInMessagesWithinTheLimit) {
    const RangeCase& c = GetParam();
    const uint32_t addr = kBase + 4 + c.lead;
    const uint32_t span = 8 + c.lead + c.len;
    open({"set maxmsg " + std::to_string(c.maxmsg),
          "set bytes " + hexnum(kBase) + " " + sim_hex(Bytes(span, 0xEE))});
    const Bytes data = pattern(c.len);  // exactly the caller's bytes: a read past them is an ASan report
    CaptureStdout();
    EXPECT_EQ(RQM_WriteMemoryRange(ctx_, addr, data.data(), c.len), c.result);
    GetCapturedStdout();
    const std::vector<HiMsg> msgs = log().with({1});
    EXPECT_EQ(msgs.size(), c.messages);
    Bytes expected(span, 0xEE);
    if (c.result == RQM_SUCCESS)
        std::copy(data.begin(), data.end(), expected.begin() + 4 + c.lead);
    EXPECT_EQ(get("bytes " + hexnum(kBase) + " " + std::to_string(span)), sim_hex(expected));
    for (const HiMsg& m : msgs) {
        const uint32_t lead = m.u32(4) & 3;
        EXPECT_EQ(m.u16(10), 0u);
        EXPECT_LE(m.len(), std::min(c.maxmsg, 1520u));
        EXPECT_EQ(m.len(), 12 + (m.u16(8) + 3) / 4 * 4);
        EXPECT_EQ(Bytes(m.bytes.begin() + 12, m.bytes.begin() + 12 + lead), Bytes(lead, 0));
    }
}

// Addresses ending in 1, 2 and 3 with 1, 5 and 1021 bytes; then the
// smallest room for a byte, the channel's limit and no room at all.
INSTANTIATE_TEST_SUITE_P(Alignments, RangeWrite,
                         testing::Values(RangeCase{1520, 1, 1, 0, 1}, RangeCase{1520, 2, 1, 0, 1},
                                         RangeCase{1520, 3, 1, 0, 1}, RangeCase{1520, 1, 5, 0, 1},
                                         RangeCase{1520, 2, 5, 0, 1}, RangeCase{1520, 3, 5, 0, 1},
                                         RangeCase{1520, 1, 1021, 0, 1}, RangeCase{1520, 2, 1021, 0, 1},
                                         RangeCase{1520, 3, 1021, 0, 1}));
INSTANTIATE_TEST_SUITE_P(Limits, RangeWrite,
                         testing::Values(RangeCase{24, 1, 1021, 0, 86}, RangeCase{17, 2, 1021, 0, 256},
                                         RangeCase{4000, 1, 3000, 0, 2}, RangeCase{0, 1, 5, 3, 0},
                                         RangeCase{15, 0, 5, 3, 0}));

// ---- registers, GPIO and the parameter block ----

TEST_F(Memory, RegistersGoRoundTrip) {
    open({});
    uint32_t v = 0;
    EXPECT_EQ(RQM_WriteRegister(ctx_, kBase + 8, 0xCAFE0001), 0);
    EXPECT_EQ(RQM_ReadRegister(ctx_, kBase + 8, &v), 0);
    EXPECT_EQ(v, 0xCAFE0001u);
    EXPECT_EQ(RQM_HwWriteReg(ctx_, 0x40001000, 0x77), 0);
    EXPECT_EQ(RQM_HwReadReg(ctx_, 0x40001000, &v), 0);
    EXPECT_EQ(v, 0x77u);
    EXPECT_EQ(get("mem 0x40001000"), "0x00000000") << "hardware registers are not memory";
    // The hardware read's status is at +12, and the value at +8 is taken
    // all the same.
    v = 5;
    uint16_t levels = 0xEEEE;
    CaptureStdout();
    EXPECT_EQ(RQM_HwReadReg(ctx_, 0x40001002, &v), 1);
    EXPECT_EQ(v, 0u);
    // The pins answer in the test mode, whose reset reports under a name of
    // its own.
    EXPECT_EQ(RQM_GPIO_SetTestMode(ctx_), 0);
    EXPECT_EQ(RQM_GPIO_Write(ctx_, 3, 1), 0);
    EXPECT_EQ(RQM_GPIO_ResetTestMode(ctx_, &levels), 0);
    EXPECT_EQ(levels, 0x0008);
    GetCapturedStdout();
    CaptureStdout();
    EXPECT_EQ(RQM_GPIO_ResetTestMode(ctx_, nullptr), 9);
    EXPECT_EQ(GetCapturedStdout(),
              "RQM_GPIO_Reset failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!)\n");
}

TEST_F(Memory, ParameterBlockWordsAreMemoryAtTheAnnouncedBase) {
    open({"set mib 0x00300000"});
    ASSERT_EQ(ctx_->MibBaseAddress, 0x00300000u);
    EXPECT_EQ(RQM_SetMib(ctx_, 296, 0x0000012A), 0);
    EXPECT_EQ(get("mem 0x00300128"), "0x0000012a");
    uint32_t v = 0;
    EXPECT_EQ(RQM_GetMib(ctx_, 296, 4, &v), 0);
    EXPECT_EQ(v, 0x12Au);
    EXPECT_EQ(RQM_WriteMemory(ctx_, 0x00300004, 0x1C05), 0);
    EXPECT_EQ(RQM_GetMib(ctx_, 4, 4, &v), 0);
    EXPECT_EQ(v, 0x1C05u);
    ctl("log clear");
    CaptureStdout();
    EXPECT_EQ(RQM_SetMib(ctx_, 2, 1), 9);
    EXPECT_EQ(RQM_GetMib(ctx_, 2, 4, &v), 9);
    EXPECT_EQ(RQM_WriteMemoryRange(ctx_, kBase, nullptr, 4), 9);
    GetCapturedStdout();
    EXPECT_TRUE(log().empty());
}

}  // namespace
