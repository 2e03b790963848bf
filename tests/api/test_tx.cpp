// Transmission through the API against the stand-in: the bytes of each
// request shape, payload pieces by the announced message size, the two
// frequency-offset paths, the counters and configuration, and bursts,
// continuous and PRBS transmissions as the firmware runs them.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "common/driver_data.h"
#include "sim/sim_util.h"
#include "tests/support/sim_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Api = RqmApiContext*;
using Presets = std::vector<std::string>;

Bytes req(uint16_t id, std::vector<uint32_t> words, uint32_t len = 0) {
    Bytes m(len != 0 ? len : 4 + 4 * words.size(), 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    hi_set_msg_id(m.data(), id);
    for (size_t i = 0; i < words.size(); ++i)
        hi_wr32(m.data() + 4 + 4 * i, words[i]);
    return m;
}

// A failure report with the texts of code 4.
std::string bad_op(const char* name) {
    return std::string(name) + " failed (4:BOOT_ERR_BAD_OP\tInvalid operation!)\n";
}

Bytes payload(uint32_t n) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), uint8_t{1});
    return b;
}

template <typename Case>
std::string name_of(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

class Tx : public InProcessOn<WithSim> {
protected:
    void start(const Presets& presets, uint16_t variant = 0) {
        open(presets);
        g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = variant;
        testing::internal::CaptureStdout();
    }
    std::string out() { return testing::internal::GetCapturedStdout(); }
    // What went out, without the sequence numbers.
    std::vector<Bytes> sent() {
        std::vector<Bytes> msgs = wire();
        for (Bytes& m : msgs)
            m[3] &= 0x1F;
        return msgs;
    }
};

// ---- the request shapes ----

struct WireCase {
    const char* name;
    Presets presets;
    int (*call)(Api c);
    std::vector<Bytes> sent;
};

const Bytes kControlRead = req(0, {0x00080004, 0x00C00004});

const WireCase kWire[] = {
    {"OneWord", {}, [](Api c) { return RQM_SetNumberOfTxPkts(c, 50); }, {req(66, {0, 50})}},
    {"SoundingAsCount", {}, [](Api c) { return RQM_EnableSoundingFrame(c, 1); }, {req(66, {0, 1})}},
    {"Transmit",
     {},
     [](Api c) { return RQM_TransmitPRBS(c, 6, 7, 100, nullptr, nullptr); },
     {req(70, {6, 100, 7, 0, 0, 0})}},
    {"PayloadPiece",
     {},
     [](Api c) { return RQM_DefinePacketPayload(c, 2, "\x01\x02\x03", 3); },
     {Bytes{19, 0, 34, 0, 0, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 1, 2, 3}}},
    // The other bits of the control word go back as they were read.
    {"ReadModifyWrite",
     {"set mem 0x00080004 0xFFFF1C05"},
     [](Api c) { return RQM_SetTxPower(c, 15); },
     {kControlRead, req(38, {4, 0xFFFF1C0F, 0})}},
    {"LowerSubChannelIsZero",
     {"set mem 0x00080004 0x3C00"},
     [](Api c) { return RQM_SetTxSubChannel(c, 0); },
     {kControlRead, req(38, {4, 0x7C00, 0})}},
};

class Wire : public Tx, public testing::WithParamInterface<WireCase> {};

TEST_P(Wire, Bytes) {
    start(GetParam().presets);
    EXPECT_EQ(GetParam().call(ctx_), RQM_SUCCESS);
    out();
    EXPECT_EQ(sent(), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(Shapes, Wire, testing::ValuesIn(kWire), name_of<WireCase>);

// Out-of-range values are refused before anything is sent: a mode above 7
// would reach the bandwidth bit.
TEST_F(Tx, RangeChecksComeFirst) {
    start({});
    EXPECT_EQ(RQM_SetMode(ctx_, 8), RQM_INVALID_PARAMETER);
    EXPECT_EQ(RQM_SetMode(ctx_, -1), RQM_INVALID_PARAMETER);
    EXPECT_EQ(RQM_SetTxPower(ctx_, 16), RQM_INVALID_PARAMETER);
    EXPECT_EQ(RQM_SelectPacketId(ctx_, 4), RQM_INVALID_PARAMETER);
    EXPECT_EQ(RQM_SetCcaSensitiveTx(nullptr, 3), RQM_INVALID_PARAMETER);
    EXPECT_EQ(RQM_DefinePacketPayload(ctx_, 0, nullptr, 8193), RQM_INVALID_PARAMETER);
    EXPECT_EQ(RQM_TransmitPackets_Comprehensive(ctx_, 4, 1, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 1, 0),
              RQM_INVALID_PARAMETER);
    out();
    EXPECT_TRUE(wire().empty());
    ASSERT_EQ(RQM_SetMode(ctx_, 7), RQM_SUCCESS);
    EXPECT_EQ(RQM_GetMode(ctx_), 7);
    EXPECT_EQ(get("txmib.bw40"), "0");
}

// ---- payload pieces ----

struct PieceCase {
    const char* name;
    uint32_t maxMsg;  // announced at the startup; 16 and below: held by the context
    uint32_t length;
    int result;
    std::vector<std::pair<uint16_t, uint16_t>> pieces;  // length, offset
};

const PieceCase kPieces[] = {
    {"OneMessageAt1520", 1520, 1500, 0, {{1500, 0}}},
    {"SmallAnnouncedSize", 520, 1500, 0, {{504, 0}, {504, 504}, {492, 1008}}},
    {"NoLargerThanTheChannel", 4096, 3000, 0, {{1504, 0}, {1496, 1504}}},
    {"EmptyPayloadIsOnePiece", 1520, 0, 0, {{0, 0}}},
    {"NothingAnnouncedInThisRun", 0, 1500, 3, {}},
    {"RoomForNoByte", 16, 1500, 3, {}},
};

class Pieces : public Tx, public testing::WithParamInterface<PieceCase> {};

TEST_P(Pieces, ByTheFirmwaresMessageSize) {
    const PieceCase& c = GetParam();
    start(c.maxMsg > 16 ? Presets{"set maxmsg " + std::to_string(c.maxMsg)} : Presets{});
    if (c.maxMsg <= 16)
        ctx_->MaxMsgSize = c.maxMsg;
    const Bytes data = payload(c.length);
    EXPECT_EQ(RQM_DefinePacketPayload(ctx_, 1, data.data(), c.length), c.result);
    const std::string printed = out();
    std::vector<std::pair<uint16_t, uint16_t>> pieces;
    for (const HiMsg& m : HiLog(sim().received()).with({34})) {
        EXPECT_EQ(m.len(), 16u + m.u16(12));
        pieces.emplace_back(m.u16(12), m.u16(14));
    }
    EXPECT_EQ(pieces, c.pieces);
    if (c.result == 0)
        EXPECT_EQ(get("txbuf 1"), c.length == 0 ? "none" : sim_hex(data));
    else
        EXPECT_EQ(printed, "RQM_DefinePacketPayload failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\n");
}

INSTANTIATE_TEST_SUITE_P(Sizes, Pieces, testing::ValuesIn(kPieces), name_of<PieceCase>);

// ---- the frequency offset ----

struct OffsetCase {
    const char* name;
    uint16_t variant;
    Presets presets;
    int set;  // the value to set, or -1 for a read
    int result;
    std::string out;
    std::string key;  // and what it holds after
    std::string value;
};

const std::string kMemFailed = bad_op("RQM_ReadMemory") + bad_op("RQM_ReadRegister");
const std::string kPrcmFailed = bad_op("RQM_ReadPRCMRegister");
const std::string kTooLarge =
    "[RQM_SetFreqOffset],146:set the frequency offset is too large,reference value:0~127\n";
const char kPrcm[] = "prcm 0x40040058";
const char kInBlock[] = "txmib.freq_offset";

const OffsetCase kOffsets[] = {
    {"ReadLowByte", 0, {"set mem 0x0AC8015C 0x1234"}, -1, 0x34, "", kInBlock, "0"},
    {"ReadPrcmBits", 1, {"set prcm 0x40040058 0x00500000"}, -1, 5, "", "txmib.prcm_freq_offset", "5"},
    {"ReadPrcmFails", 1, {"fault 272 status 4"}, -1, -1, kPrcmFailed, kPrcm, "0x00000000"},
    {"TooLargeIs127", 0, {}, 200, 0, kTooLarge + "Cur freq_offset = 127.\n", kInBlock, "127"},
    {"ReadBackFails", 0, {"fault 0 status 4"}, 9, 0, kMemFailed + "Cur freq_offset = -1.\n", kInBlock, "9"},
    {"PrcmKeepsOtherBits",
     1,
     {"set prcm 0x40040058 0xFFFFFFFF"},
     5,
     0,
     "Cur freq_offset = 5.\n",
     kPrcm,
     "0xf85fffff"},
    {"PrcmReadFailsWritesNothing",
     1,
     {"set prcm 0x40040058 0x12345678", "fault 272 status 4"},
     5,
     4,
     kPrcmFailed + bad_op("RQM_SetFreqOffset"),
     kPrcm,
     "0x12345678"},
};

class Offset : public Tx, public testing::WithParamInterface<OffsetCase> {};

TEST_P(Offset, OfTheVariantsPath) {
    const OffsetCase& c = GetParam();
    start(c.presets, c.variant);
    if (c.set < 0)
        EXPECT_EQ(RQM_GetFreqOffset(ctx_, 0x0AC8015C), c.result);
    else
        EXPECT_EQ(RQM_SetFreqOffset(ctx_, 296, static_cast<uint8_t>(c.set)), c.result);
    EXPECT_EQ(out(), c.out);
    EXPECT_EQ(get(c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(Paths, Offset, testing::ValuesIn(kOffsets), name_of<OffsetCase>);

// ---- counters and configuration ----

struct WordsCase {
    const char* name;
    Presets presets;
    bool stats;
    int result;
    std::vector<uint32_t> words;
};

const Presets kBlock = {"set txmib mode 4", "set txmib bw40 1", "set txmib rate 7", "set txmib length 1000",
                        "set txmib short_gi 1"};
const std::vector<uint32_t> kCounted = {9, 0, 0, 0, 0, 0, 0, 0, 0, 3};

const WordsCase kWordsCases[] = {
    {"ConfigurationFromTheBlock", kBlock, false, 0, {0x40, 0x3000, 7, 1000, 1, 0, 1}},
    {"CountersWhateverTheStatus",
     {"set txstats successes 9", "set txstats fiq 3", "fault 53 status 5"},
     true,
     5,
     kCounted},
    {"NoAnswerWritesNothing", {"fault 53 short 6"}, true, 1, std::vector<uint32_t>(10, 0xEE)},
};

class Words : public Tx, public testing::WithParamInterface<WordsCase> {};

TEST_P(Words, Read) {
    const WordsCase& c = GetParam();
    start(c.presets);
    std::vector<uint32_t> w(c.words.size(), 0xEE);
    if (c.stats)
        EXPECT_EQ(
            RQM_GetTxStatistics(ctx_, &w[0], &w[1], &w[2], &w[3], &w[4], &w[5], &w[6], &w[7], &w[8], &w[9]),
            c.result);
    else
        EXPECT_EQ(RQM_GetFwTxConfig(ctx_, w.data()), c.result);
    out();
    EXPECT_EQ(w, c.words);
}

INSTANTIATE_TEST_SUITE_P(Answers, Words, testing::ValuesIn(kWordsCases), name_of<WordsCase>);

// ---- transmissions ----

TEST_F(Tx, CountedBurstAnsweredWhenDone) {
    start({});
    ASSERT_EQ(RQM_SetNumberOfTxPkts(ctx_, 50), 0);
    ASSERT_EQ(RQM_ReceiveAck(ctx_, 1), 0);
    uint32_t txed = 0, acked = 0;
    EXPECT_EQ(RQM_TransmitPackets(ctx_, 1, &txed, &acked), 0);
    EXPECT_EQ(txed, 50u);
    EXPECT_EQ(acked, 50u);
    ctl("set tx refuse 1");
    EXPECT_EQ(RQM_TransmitPackets(ctx_, 1, nullptr, nullptr), 0) << "a refusal is no failure";
    EXPECT_EQ(out(), "txed=50, acked=50\ntxed=0, acked=0\n[WARN]Invalid operation.\n");
    EXPECT_EQ(get("txstats.successes"), "50");
    EXPECT_EQ(get("tx.bursts"), "1");
}

TEST_F(Tx, ShortBurstIsACountMismatch) {
    start({"set tx shortfall 1"});
    const Bytes data = payload(100);
    EXPECT_EQ(RQM_TransmitPackets_Comprehensive(ctx_, 1, 100, 11, 2, 0, 3, 5, data.data(), 100, 0, 1, 1, 0),
              RQM_TX_COUNT_MISMATCH);
    EXPECT_EQ(out(),
              "RQM_EnablePhy!\ntxed=99, acked=99\n"
              "RQM_TransmitPackets_Comprehensive failed (42:unknown error)\n");
    EXPECT_EQ(get("txmib.mode") + get("txmib.rate") + get("txmib.power") + get("tx.delay"), "21135");
    EXPECT_EQ(get("txbuf 0"), sim_hex(data));
}

// A transmission outlives the run that started it: a later run, which has
// not connected and knows no message size, stops it. (Both sessions are
// of this process, so the firmware numbers nothing.)
TEST_F(Tx, ContinuousRunsUntilALaterRunStopsIt) {
    start({"set window 0"});
    EXPECT_EQ(RQM_TransmitPRBS(ctx_, 6, 7, 100, nullptr, nullptr), 0);
    EXPECT_EQ(RQM_TransmitPackets(ctx_, 2, nullptr, nullptr), 0) << "refused while one runs";
    out();
    EXPECT_EQ(get("tx.running") + " " + get("tx.prbs_seed") + " " + get("tx.prbs_length"), "6 7 100");
    api_.close();
    api_.open(false);
    ctx_ = api_.ctx;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_TransmitPackets(ctx_, 3, nullptr, nullptr), 0);
    EXPECT_EQ(out(), "txed=0, acked=0\n");
    EXPECT_EQ(get("tx.running"), "0");
}

}  // namespace
