// Memory, registers and the parameter block through the API against the
// stand-in: the bytes of each request shape, how blocks, ranges, lists and
// register-value files are cut into messages and what a failed one makes
// of the result, the com-bus bracket when its switches fail, and values
// that go round trip through the chip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "common/hi_msg.h"
#include "sim/sim_util.h"
#include "tests/support/hi_log.h"
#include "tests/support/sim_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Call = std::function<int(RqmApiContext*)>;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

constexpr uint32_t kBase = 0x00200000;  // test memory, away from the parameter block

// A message as the stand-in logs it: MsgLen, MsgId, the fields in order.
struct Msg {
    Bytes b = Bytes(4, 0);
    explicit Msg(uint16_t id) { hi_set_msg_id(b.data(), id); }
    Msg& u8(uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Msg& u16(uint32_t v) { return u8(v).u8(v >> 8); }
    Msg& u32(uint32_t v) { return u16(v).u16(v >> 16); }
    Msg& be32(uint32_t v) { return u8(v >> 24).u8(v >> 16).u8(v >> 8).u8(v); }
    Msg& zeros(size_t n) {
        b.resize(b.size() + n);
        return *this;
    }
    Bytes done() {
        hi_set_msg_len(b.data(), static_cast<uint16_t>(b.size()));
        return b;
    }
};

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
// on a line of its own would leave a line end before the first record).
std::string reg_file(unsigned pairs) {
    std::string text;
    for (unsigned i = 0; i < pairs; ++i)
        text += hexnum(kBase + 4 * i) + "," + hexnum(0x11223344 + i) + (i == 0 ? " // generated\n" : "\n");
    return text;
}

template <typename Row>
std::string row_name(const testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

class Memory : public InProcessOn<WithSim> {
protected:
    // Unnumbered, so that logged messages compare byte for byte.
    void start(std::vector<std::string> presets = {}) {
        presets.insert(presets.begin(), "set window 0");
        open(presets);
    }
    HiLog sent() { return HiLog(sim().received()); }
    std::string file(const std::string& text) {
        EXPECT_TRUE(dir_.write("regs.txt", text));
        return dir_.path() + "/regs.txt";
    }
    std::vector<unsigned> lens(unsigned id) {
        std::vector<unsigned> out;
        for (const HiMsg& m : sent().with({id}))
            out.push_back(m.len());
        return out;
    }

    TempDir dir_;
};

// ---- one request of each shape ----

TEST_F(Memory, OneRequestOfEachShape) {
    start();
    const uint32_t a[2] = {0x00200010, 0x0AC8015C}, v[2] = {0xA1B2C3D4, 0x1F};
    const Bytes five = {0x51, 0x52, 0x53, 0x54, 0x55};
    uint32_t word = 0;
    CaptureStdout();
    RQM_ReadMemory(ctx_, 0x1234567A, &word, 4);
    RQM_WriteMemory(ctx_, a[0], v[0]);
    RQM_WriteMemoryRange(ctx_, 0x1002, five.data(), 5);
    RQM_ReadRegsterEx(ctx_, a, &word, 1);
    RQM_WriteRegsterEx(ctx_, a, v, 2);
    RQM_HwReadReg(ctx_, 0x40001000, &word);
    RQM_GPIO_Write(ctx_, 3, 0x0102);
    RQM_BlockRegInit(ctx_, file("0x0ac8015c,0x0000001f\n0x00200004,0xa1b2c3d4").c_str());
    RQM_ReadPRCMRegister(ctx_, 0x40040058, &word);
    RQM_SetMib(ctx_, 296, 0x2A);
    GetCapturedStdout();
    const std::vector<Bytes> expected = {
        Msg(0).u32(0x1234567A).u16(4).u16(0xC0).done(),
        Msg(1).u32(a[0]).u16(4).u16(0xC0).u32(v[0]).done(),
        // The address as it is, flags 0, two filler bytes, the data, one more.
        Msg(1).u32(0x1002).u16(7).u16(0).u16(0).u8(0x51).u32(0x55545352).u8(0).done(),
        Msg(5).u16(1).u16(0xC0).u32(a[0]).done(),
        Msg(6).u16(2).u16(0xC0).u32(a[0]).u32(a[1]).zeros(504).u32(v[0]).u32(v[1]).zeros(504).done(),
        Msg(7).u32(0x40001000).u32(0xFFFFFFFF).done(),
        Msg(59).u8(2).u8(3).u16(0x0102).done(),
        Msg(99).be32(a[1]).be32(v[1]).be32(kBase + 4).be32(v[0]).done(),
        Msg(272).u32(0).u32(0x40040058).u32(0).done(),
        Msg(38).u32(296).u32(0x2A).u32(0).done(),
    };
    EXPECT_EQ(sent().bytes(), expected);
    EXPECT_EQ(get("mem 0x00200004"), "0xa1b2c3d4");
}

// ---- chunks, lists and blocks ----

TEST_F(Memory, BlockReadGoesOnPastAFailedChunkWhichStaysTheResult) {
    const Bytes data = pattern(2500);
    start({"set bytes 0x00200001 " + sim_hex(data), "fault 0 status 5 1 after 1"});
    Bytes got(2500);
    CaptureStdout();
    EXPECT_EQ(RQM_ReadMemory(ctx_, kBase + 1, got.data(), 2500), 5);
    EXPECT_EQ(GetCapturedStdout(),
              "RQM_ReadMemory failed (5:BOOT_ERR_CONNECTED\tRQM has already connected!)\n");
    EXPECT_EQ(got, data);
    EXPECT_EQ(sent().words(0),
              (std::vector<Words>{
                  {kBase + 1, 0x00C00400}, {kBase + 1025, 0x00C00400}, {kBase + 2049, 0x00C001C4}}));
}

TEST_F(Memory, ChunkAnsweredShortIsNoAnswerAndItsMissingBytesReadZero) {
    const Bytes data = pattern(8);
    start({"set bytes 0x00200000 " + sim_hex(data), "fault 0 short 14 1"});
    Bytes got(8, 0xEE);
    CaptureStdout();
    EXPECT_EQ(RQM_ReadMemory(ctx_, kBase, got.data(), 8), RQM_NO_CONFIRMATION);
    GetCapturedStdout();
    EXPECT_EQ(got, (Bytes{data[0], data[1], data[2], data[3], data[4], data[5], 0, 0}));
}

TEST_F(Memory, RegisterListsAndBlocksAcrossTheirRequestLimits) {
    start();
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

    EXPECT_EQ(lens(6), (std::vector<unsigned>{1032, 1032}));
    EXPECT_EQ(lens(5), (std::vector<unsigned>{1032, 184}));
    EXPECT_EQ(lens(1), (std::vector<unsigned>{1036, 188}));
    std::vector<unsigned> counts;
    for (const HiMsg& m : sent().with({6, 5}))
        counts.push_back(m.u16(4));
    EXPECT_EQ(counts, (std::vector<unsigned>{128, 72, 256, 44}));
    const std::vector<HiMsg> blocks = sent().with({1});
    EXPECT_EQ(blocks[1].u32(4), kBase + 0x10000 + 1024);
}

struct FailCase {
    const char* name;
    std::string fault;
    Call call;
    unsigned id;
    int result;
    size_t sent;
};

const std::vector<uint32_t> kList(300, kBase);
std::vector<uint32_t> g_out(300);
const Bytes kLong = pattern(3000);

// Reads go on after a failed chunk; writes stop at it. Either way the
// failure is the result.
const FailCase kFails[] = {
    {"ReadRegsterEx", "fault 5 status 4 1",
     [](RqmApiContext* c) { return RQM_ReadRegsterEx(c, kList.data(), g_out.data(), 300); }, 5, 4, 2},
    {"WriteRegBlk", "fault 1 status 4 1",
     [](RqmApiContext* c) { return RQM_WriteRegBlk(c, kBase, kList.data(), 300); }, 1, 4, 1},
    {"WriteRegsterEx", "fault 6 status 4 1",
     [](RqmApiContext* c) { return RQM_WriteRegsterEx(c, kList.data(), kList.data(), 200); }, 6, 4, 1},
    {"WriteMemoryRange", "fault 1 status 4 1",
     [](RqmApiContext* c) { return RQM_WriteMemoryRange(c, kBase, kLong.data(), 3000); }, 1, 4, 1},
};

class FirstFailure : public Memory, public testing::WithParamInterface<FailCase> {};

TEST_P(FirstFailure, IsTheResult) {
    const FailCase& c = GetParam();
    start({c.fault});
    CaptureStdout();
    EXPECT_EQ(c.call(ctx_), c.result);
    GetCapturedStdout();
    EXPECT_EQ(sent().count(c.id), c.sent);
}

INSTANTIATE_TEST_SUITE_P(Chunked, FirstFailure, testing::ValuesIn(kFails), row_name<FailCase>);

// ---- byte ranges ----

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

class RangeWrite : public Memory, public testing::WithParamInterface<RangeCase> {};

// The bytes land at the address and nowhere else; each message carries
// its filler, flags 0 and the count of filler and data, and stays within
// what the firmware and the channel take.
TEST_P(RangeWrite, BytesLandExactlyInMessagesWithinTheLimit) {
    const RangeCase& c = GetParam();
    const uint32_t addr = kBase + 4 + c.lead;
    const uint32_t span = 8 + c.lead + c.len;
    start({"set maxmsg " + std::to_string(c.maxmsg),
           "set bytes " + hexnum(kBase) + " " + sim_hex(Bytes(span, 0xEE))});
    const Bytes data = pattern(c.len);  // exactly the caller's bytes: a read past them is an ASan report
    CaptureStdout();
    EXPECT_EQ(RQM_WriteMemoryRange(ctx_, addr, data.data(), c.len), c.result);
    GetCapturedStdout();
    const std::vector<HiMsg> msgs = sent().with({1});
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

INSTANTIATE_TEST_SUITE_P(Alignments, RangeWrite,
                         testing::Values(RangeCase{1520, 1, 1, 0, 1}, RangeCase{1520, 2, 1, 0, 1},
                                         RangeCase{1520, 3, 1, 0, 1}, RangeCase{1520, 1, 5, 0, 1},
                                         RangeCase{1520, 2, 5, 0, 1}, RangeCase{1520, 3, 5, 0, 1},
                                         RangeCase{1520, 1, 1021, 0, 1}, RangeCase{1520, 2, 1021, 0, 1},
                                         RangeCase{1520, 3, 1021, 0, 1}));

INSTANTIATE_TEST_SUITE_P(Limits, RangeWrite,
                         testing::Values(RangeCase{24, 3, 5, 0, 1}, RangeCase{24, 1, 1021, 0, 86},
                                         RangeCase{17, 2, 1021, 0, 256}, RangeCase{4000, 1, 3000, 0, 2},
                                         RangeCase{0, 1, 5, 3, 0}, RangeCase{15, 0, 5, 3, 0}));

// ---- register-value files ----

struct FileCase {
    const char* name;
    std::string text;
    int result;
    std::vector<unsigned> lens;
};

const FileCase kFiles[] = {
    {"SixteenPairs", reg_file(16), 0, {132}},
    {"SeventeenPairs", reg_file(17), 0, {132, 12}},
    {"TwentyPairs", reg_file(20), 0, {132, 36}},
    {"Empty", "", 0, {}},
    {"ValueDoesNotParse", reg_file(2) + "0x00200100,0x0000zzzz\n", 37, {}},
    {"HalfAPair", reg_file(17) + "0x00200100,\n", 37, {}},
};

class RegFile : public Memory, public testing::WithParamInterface<FileCase> {};

TEST_P(RegFile, SixteenPairsAMessageOrNothingAtAll) {
    start();
    CaptureStdout();
    EXPECT_EQ(RQM_BlockRegInit(ctx_, file(GetParam().text).c_str()), GetParam().result);
    GetCapturedStdout();
    EXPECT_EQ(lens(99), GetParam().lens);
    EXPECT_EQ(get("mem " + hexnum(kBase + 4)), GetParam().lens.empty() ? "0x00000000" : "0x11223345");
}

INSTANTIATE_TEST_SUITE_P(Files, RegFile, testing::ValuesIn(kFiles), row_name<FileCase>);

// ---- the com-bus bracket ----

struct BracketCase {
    const char* name;
    std::vector<std::string> presets;
    int result;
    std::vector<unsigned> ids;
    std::string modeAfter;  // "" when the model's word says nothing
    std::string out;
};

const std::string kStatus3 = "failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\n";
const std::string kStatus5 = "failed (5:BOOT_ERR_CONNECTED\tRQM has already connected!)\n";
const std::string kReadFails = "RQM_GetComBusMode " + kStatus3 + "RQM_WriteMemoryRfAccess " + kStatus3;
const std::string kWriteFails = "RQM_WriteMemory " + kStatus5 + "RQM_WriteMemoryRfAccess " + kStatus5;

const BracketCase kBrackets[] = {
    {"AlreadyInModeOne", {"set combus 1"}, 0, {687, 1}, "1", ""},
    {"SwitchedAndRestored", {"set combus 2"}, 0, {687, 686, 1, 686}, "2", ""},
    {"ModeReadFails", {"fault 687 status 3"}, 3, {687}, "0", kReadFails},
    {"FailedSwitchSkipsTheWrite", {"fault 686 status 4 1"}, 4, {687, 686}, "", ""},
    {"FailedWriteWinsOverTheRestore", {"fault 1 status 5"}, 5, {687, 686, 1, 686}, "0", kWriteFails},
    {"FailedRestore", {"fault 686 status 6 1 after 1"}, 6, {687, 686, 1, 686}, "", ""},
    {"ModeThatCannotBeSetBack", {"set combus 7"}, 9, {687, 686, 1}, "1", ""},
};

class Bracket : public Memory, public testing::WithParamInterface<BracketCase> {};

TEST_P(Bracket, ModeSwitchesAroundTheWrite) {
    const BracketCase& c = GetParam();
    start(c.presets);
    CaptureStdout();
    EXPECT_EQ(RQM_WriteMemoryRfAccess(ctx_, kBase, 0x5A5A), c.result);
    const std::string out = GetCapturedStdout();
    if (!c.out.empty()) {
        EXPECT_EQ(out, c.out);
    }
    EXPECT_EQ(sent().ids(), c.ids);
    if (!c.modeAfter.empty()) {
        EXPECT_EQ(get("combus"), c.modeAfter);
    }
}

INSTANTIATE_TEST_SUITE_P(Switches, Bracket, testing::ValuesIn(kBrackets), row_name<BracketCase>);

TEST_F(Memory, RfReadsInTheBracket) {
    start({"set mem 0x00200000 0x11", "set mem 0x00200004 0x22", "set mem 0x00200008 0x33"});
    uint32_t words[3] = {};
    EXPECT_EQ(RQM_ReadMemoryRfAccess(ctx_, kBase, words, 10, 3), 0);
    EXPECT_EQ(std::vector<uint32_t>(words, words + 3), (std::vector<uint32_t>{0x11, 0x22, 0x33}));
    EXPECT_EQ(sent().ids(), (std::vector<unsigned>{687, 686, 58, 58, 58, 686}));
    EXPECT_EQ(get("combus"), "0");
}

// ---- registers, GPIO and the parameter block ----

TEST_F(Memory, RegistersGoRoundTrip) {
    start();
    uint32_t v = 0;
    EXPECT_EQ(RQM_WriteRegister(ctx_, kBase + 8, 0xCAFE0001), 0);
    EXPECT_EQ(RQM_ReadRegister(ctx_, kBase + 8, &v), 0);
    EXPECT_EQ(v, 0xCAFE0001u);
    EXPECT_EQ(RQM_HwWriteReg(ctx_, 0x40001000, 0x77), 0);
    EXPECT_EQ(RQM_HwReadReg(ctx_, 0x40001000, &v), 0);
    EXPECT_EQ(v, 0x77u);
    EXPECT_EQ(get("mem 0x40001000"), "0x00000000") << "hardware registers are not memory";
    EXPECT_EQ(RQM_WritePRCMRegister(ctx_, 0x40040058, 0xF85FFFFF), 0);
    EXPECT_EQ(RQM_ReadPRCMRegister(ctx_, 0x40040058, &v), 0);
    EXPECT_EQ(v, 0xF85FFFFFu);
    // The hardware read's status is at +12, and the value at +8 is taken
    // all the same.
    v = 5;
    uint16_t levels = 0xEEEE;
    CaptureStdout();
    EXPECT_EQ(RQM_HwReadReg(ctx_, 0x40001002, &v), 1);
    EXPECT_EQ(v, 0u);
    // The pins answer in the test mode, whose reset reports under a name of
    // its own.
    EXPECT_EQ(RQM_GPIO_Write(ctx_, 3, 1), 1);
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
    start({"set mib 0x00300000"});
    ASSERT_EQ(ctx_->MibBaseAddress, 0x00300000u);
    EXPECT_EQ(RQM_SetMib(ctx_, 296, 0x0000012A), 0);
    EXPECT_EQ(get("mem 0x00300128"), "0x0000012a");
    uint32_t v = 0;
    EXPECT_EQ(RQM_GetMib(ctx_, 296, 4, &v), 0);
    EXPECT_EQ(v, 0x12Au);
    EXPECT_EQ(RQM_ReadRegister(ctx_, 0x0AC8015C, &v), 0);
    EXPECT_EQ(v & 0xFF, 0x2Au) << "the frequency offset shows in the register";
    EXPECT_EQ(RQM_WriteMemory(ctx_, 0x00300004, 0x1C05), 0);
    EXPECT_EQ(RQM_GetMib(ctx_, 4, 4, &v), 0);
    EXPECT_EQ(v, 0x1C05u);
    ctl("log clear");
    CaptureStdout();
    EXPECT_EQ(RQM_SetMib(ctx_, 2, 1), 9);
    EXPECT_EQ(RQM_GetMib(ctx_, 2, 4, &v), 9);
    EXPECT_EQ(RQM_WriteMemoryRange(ctx_, kBase, nullptr, 4), 9);
    GetCapturedStdout();
    EXPECT_TRUE(sent().empty());
}

}  // namespace
