// The PHY configuration and output-power requests against the stand-in:
// the bytes of each request shape, the dBm limits, what the readings make
// of their answers (short and failed ones included), and the power set
// and read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "common/driver_data.h"
#include "sim/sim_util.h"
#include "tests/support/sdd_builder.h"
#include "tests/support/sim_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Api = RqmApiContext*;

// A request: MsgLen, MsgId, then the words from +4; or len bytes of zeros
// after the header.
Bytes req(uint16_t id, std::vector<uint32_t> words, uint32_t len = 0) {
    Bytes m(len != 0 ? len : 4 + 4 * words.size(), 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    hi_set_msg_id(m.data(), id);
    for (size_t i = 0; i < words.size(); ++i)
        hi_wr32(m.data() + 4 + 4 * i, words[i]);
    return m;
}

std::string report(const char* name, int code,
                   const char* text = "RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!") {
    return std::string(name) + " failed (" + std::to_string(code) + ":" + text + ")\n";
}

// An SDD in use with both user-power tables, the old one length bytes.
std::string sdd(const std::vector<uint16_t>& old, const std::vector<uint16_t>& now, size_t length = 24) {
    SddBuilder b;
    b.version(2, 3).filler(5).power(0xE3, old, length).power(0xB0, now);
    return "set sdd " + sim_hex(b.bytes);
}

std::string fmt(double v) {
    char text[32];
    snprintf(text, sizeof text, "%.4f", v);
    return text;
}

// ---- the request shapes ----

struct WireCase {
    const char* name;
    int (*call)(Api c);
    Bytes sent;
    uint16_t variant = 0;  // the chip-variant word of the tool state
};

void PrintTo(const WireCase& c, std::ostream* os) {
    *os << c.name;
}

int pa_det(Api c, std::string* got) {
    uint32_t w[5] = {9, 9, 9, 9, 9};
    uint16_t analogue = 9, digital = 9;
    const int r = RQM_GetRawPADetReading(c, &w[0], &w[1], &w[2], &w[3], &w[4], &analogue, &digital);
    for (uint32_t v : w)
        *got += std::to_string(v) + " ";
    *got += std::to_string(analogue) + " " + std::to_string(digital);
    return r;
}

template <int Row, uint8_t Id>
int auto_dbm(Api c, std::string* got) {
    float v = 77.0f;
    const int r = RQM_GetOpPwrAuto_Dbm(c, Row, &v, Id);
    *got = fmt(v);
    return r;
}

std::string g_ignored;

const WireCase kWire[] = {
    {"ZeroWords", [](Api c) { return RQM_ResetRFIP(c); }, req(685, {0})},
    {"OneWordOfTheLow16Bits", [](Api c) { return RQM_SetChannel(c, 0x12345); }, req(757, {0, 0x2345})},
    {"TwoWords", [](Api c) { return RQM_ResetPhy(c, 1, 0); }, req(692, {0, 1, 0})},
    {"ThreeWords", [](Api c) { return RQM_SetChannelFec(c, 0, 64, 127); }, req(698, {0, 0, 64, 127})},
    {"Calibration", [](Api c) { return RQM_CalibrateTransmitter(c, 2, 0x07CF6108, 0, 0, nullptr, nullptr); },
     req(742, {0, 2, 0x07CF6108, 0, 0})},
    {"PaDetectorShort", [](Api c) { return pa_det(c, &g_ignored); }, req(763, {}, 28)},
    {"PaDetectorLongOnTheChipVariant", [](Api c) { return pa_det(c, &g_ignored); }, req(763, {}, 36), 1},
    {"SddElement", [](Api c) { return auto_dbm<0, 0xB0>(c, &g_ignored); }, Bytes{6, 0, 0xF9, 0x03, 0, 0xB0}},
};

class Wire : public InProcessOn<WithSim>, public testing::WithParamInterface<WireCase> {};

TEST_P(Wire, Bytes) {
    open({});
    g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = GetParam().variant;
    testing::internal::CaptureStdout();
    GetParam().call(ctx_);
    testing::internal::GetCapturedStdout();
    // The first request after the handshake carries number 0.
    EXPECT_EQ(wire(), std::vector<Bytes>{GetParam().sent});
}

INSTANTIATE_TEST_SUITE_P(Shapes, Wire, testing::ValuesIn(kWire),
                         [](const auto& info) { return std::string(info.param.name); });

// dBm x 16, truncated, sign-extended; the limits are inclusive, and a value
// that is no number is refused before anything is made of it.
struct DbmCase {
    const char* name;
    float dbm;
    int result;
    uint32_t word;  // sent when the result is 0
};

class Dbm : public InProcessOn<WithSim>, public testing::WithParamInterface<DbmCase> {};

TEST_P(Dbm, SentOrRefused) {
    const DbmCase& c = GetParam();
    open({});
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_SetOpPwrAuto_Dbm(ctx_, c.dbm), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.result == 0 ? "" : report("RQM_SetOpPwrAuto_Dbm", 9));
    const std::vector<Bytes> sent = wire();
    EXPECT_EQ(sent, c.result == 0 ? std::vector<Bytes>{req(767, {0, c.word})} : std::vector<Bytes>{});
}

INSTANTIATE_TEST_SUITE_P(Limits, Dbm,
                         testing::Values(DbmCase{"Ten", 10.0f, 0, 160},
                                         DbmCase{"MinusHalf", -0.5f, 0, 0xFFFFFFF8},
                                         DbmCase{"Thirty", 30.0f, 0, 480},
                                         DbmCase{"AboveThirty", 30.01f, 9, 0},
                                         DbmCase{"MinusHundred", -100.0f, 0, 0xFFFFF9C0},
                                         DbmCase{"NaN", std::numeric_limits<float>::quiet_NaN(), 9, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- what the readings make of their answers ----

struct ReadCase {
    const char* name;
    std::vector<std::string> presets;
    int (*call)(Api c, std::string* got);  // outputs start at a mark; got: what they hold after
    int result;
    std::string got;
    std::string out = "";
    uint16_t variant = 0;  // the tool-state words the API reads
    uint16_t sddVersion = 25;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

int rssi(Api c, std::string* got) {
    double v = 7.0;
    const int r = RQM_PHY_MOD_GetRSSI(c, &v);
    *got = fmt(v);
    return r;
}

int version(Api c, std::string* got) {
    uint8_t major = 0xEE, minor = 0xEE;
    const int r = RQM_GetPhyVersion(c, &major, &minor, nullptr);
    *got = std::to_string(major) + " " + std::to_string(minor);
    return r;
}

int calibration(Api c, std::string* got) {
    uint32_t out = 9;
    uint8_t block[RQM_CAL_BLOCK_SIZE];
    memset(block, 0xEE, sizeof block);
    const int r = RQM_CalibrateTransmitter(c, 2, 0x07CF6108, 0, 0, &out, block);
    *got = std::to_string(out) + " " + sim_hex(block, 10) + " " + std::to_string(block[255]);
    return r;
}

int op_pwr_dbm(Api c, std::string* got) {
    double v = 7.0;
    c->CnfTimeoutMs = 100;
    const int r = RQM_GetOpPwr_Dbm(c, 3, &v);
    *got = fmt(v);
    return r;
}

// The dBm reads need their output: 9 each, reported, nothing sent.
int without_output(Api c, std::string* got) {
    *got = std::to_string(RQM_GetOpPwr_Dbm(c, 0, nullptr));
    return RQM_GetOpPwrAuto_Dbm(c, 0, nullptr, 0xB0);
}

const char kCal[] = "set calblock 0102030405060708090a";
const char kCalOut[] = "set phy cal_out 77";
const std::string kNoAnswer =
    "Wait for cnf timed out!\nAdapter_Request pRqmApiContext->MsgReceivedSize == 0\n";
const char kDecode[] = "BOOT_ERR_DECODE\tFirmware error!";
const char kBadOp[] = "BOOT_ERR_BAD_OP\tInvalid operation!";
const char kUnknown[] = "unknown error";
const char kAuto[] = "RQM_GetOpPwrAuto_Dbm";
const char kOpDbm[] = "RQM_GetOpPwr_Dbm";
const char kCalWhole[] = "77 0102030405060708090a 0";
const char kCalCut[] = "77 01020304000000000000 0";
const std::vector<uint16_t> kRow11 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 160};

const std::string kVersionFailed =
    report("RQM_GetPhyVersionInHex", 4, kBadOp) + report("RQM_GetPhyVersion", 4, kBadOp);
const std::string kEndsBefore = sdd({208, 216}, {1}, 4);
const std::vector<std::string> kGains = {"set padet index 5", "set padet analogue 300",
                                         "set padet digital 0x12345"};
const std::vector<std::string> kCut = {"set padet index 5", "set padet w20 6", "fault 763 short 20"};
const std::vector<std::string> kNoAnswerAt3 = {"set pwrtable 3 0 0 160", "fault 765 noanswer"};

const ReadCase kReads[] = {
    {"RssiQuarterDb", {"set phy rssi 0x3FC"}, rssi, 0, "-1.0000"},
    {"RssiLinear", {"set phy rssi 0x10200000"}, rssi, 0, "-3.0103"},
    {"RssiOtherFormLeavesTheOutput", {"set phy rssi 0x20000000"}, rssi, 0, "7.0000"},
    {"VersionFailureReportedTwice", {"fault 693 status 4"}, version, 4, "238 238", kVersionFailed},
    {"SddPowerBelow25", {sdd({208}, {1})}, auto_dbm<0, 0xE3>, 0, "10.0000", "", 0, 23},
    {"SddPowerFrom25", {sdd({1}, kRow11)}, auto_dbm<11, 0xB0>, 0, "10.0000"},
    {"SddElementOf23BytesGivesNoPower",
     {sdd({208}, {1}, 23)},
     auto_dbm<0, 0xE3>,
     -1,
     "0.0000",
     report(kAuto, -1, kUnknown),
     0,
     23},
    {"SddElementEndsBeforeTheRow",
     {kEndsBefore},
     auto_dbm<2, 0xE3>,
     -1,
     "0.0000",
     report(kAuto, -1, kUnknown)},
    {"SddElementAbsent", {"set sdd c0020203"}, auto_dbm<0, 0xE3>, 1, "0.0000", report(kAuto, 1, kDecode)},
    {"SddRowOutOfRange", {}, auto_dbm<12, 0xB0>, 9, "77.0000", report(kAuto, 9)},
    {"NullOutputs", {}, without_output, 9, "9", report("RQM_GetOpPwr_Dbm", 9) + report(kAuto, 9)},
    {"OpPwrDbmWithoutAnswerIsZero", kNoAnswerAt3, op_pwr_dbm, 1, "0.0000",
     kNoAnswer + report(kOpDbm, 1, kDecode)},
    {"PaDetectorGainsOnTheChipVariant", kGains, pa_det, 0, "0 0 5 0 0 300 9029", "", 1},
    {"PaDetectorTakesOnlyWhatArrived", kCut, pa_det, 0, "0 0 5 0 0 0 0", "", 1},
    {"CalibrationTakenWhateverTheStatus", {kCal, kCalOut, "fault 742 status 3"}, calibration, 0, kCalWhole},
    {"CalibrationBlockBeyondTheAnswerIsZero", {kCal, kCalOut, "fault 742 short 16"}, calibration, 0, kCalCut},
};

class Read : public InProcessOn<WithSim>, public testing::WithParamInterface<ReadCase> {};

TEST_P(Read, OutputsResultAndReport) {
    const ReadCase& c = GetParam();
    open(c.presets);
    g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = c.variant;
    g_driver_data.Word[CLI_WORD_SDD_VERSION] = c.sddVersion;
    std::string got;
    testing::internal::CaptureStdout();
    EXPECT_EQ(c.call(ctx_, &got), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    EXPECT_EQ(got, c.got);
}

INSTANTIATE_TEST_SUITE_P(Answers, Read, testing::ValuesIn(kReads),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- power kept by the firmware ----

using PowerKept = InProcessOn<WithSim>;

TEST_F(PowerKept, SetAndReadBack) {
    open({});
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(RQM_SetOpPwr_Dbm(ctx_, 12.25f, 3), RQM_SUCCESS);
    EXPECT_EQ(RQM_SetOpPwr_Raw(ctx_, 1023, 17, 15), RQM_SUCCESS);
    EXPECT_EQ(RQM_SetOpPwrAuto_Dbm(ctx_, 17.5f), RQM_SUCCESS);
    double dbm = 0;
    uint32_t a = 0, b = 0;
    EXPECT_EQ(RQM_GetOpPwr_Dbm(ctx_, 3, &dbm), RQM_SUCCESS);
    EXPECT_EQ(dbm, 12.25);
    EXPECT_EQ(RQM_GetOpPwr_Raw(ctx_, 15, &a, &b), RQM_SUCCESS);
    EXPECT_EQ(a, 1023u);
    EXPECT_EQ(b, 17u);
    EXPECT_EQ(get("power.auto_dbm"), "280");
}

}  // namespace
