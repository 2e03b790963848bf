// The PHY configuration and output-power requests against the stand-in:
// the request bytes the PHY commands' runs do not pin, the dBm limits,
// what the readings make of their answers (short and failed ones
// included), and the power set and read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "sim/sim_util.h"
#include "tests/support/api_calls.h"
#include "tests/support/sdd_builder.h"

namespace {

using Api = RqmApiContext*;
using Got = std::string*;

// An SDD in use with both user-power tables, the old one length bytes.
std::string sdd(const std::vector<uint16_t>& old, const std::vector<uint16_t>& now, size_t length) {
    SddBuilder b;
    b.version(2, 3).filler(5).power(0xE3, old, length).power(0xB0, now);
    return "set sdd " + sim_hex(b.bytes);
}

std::string fmt(double v) {
    char text[32];
    snprintf(text, sizeof text, "%.4f", v);
    return text;
}

// The readings: outputs start at a mark, got is what they hold after.
int pa_det(Api c, Got got) {
    uint32_t w[5] = {9, 9, 9, 9, 9};
    uint16_t analogue = 9, digital = 9;
    const int r = RQM_GetRawPADetReading(c, &w[0], &w[1], &w[2], &w[3], &w[4], &analogue, &digital);
    for (uint32_t v : w)
        *got += std::to_string(v) + " ";
    *got += std::to_string(analogue) + " " + std::to_string(digital);
    return r;
}

template <int Row, uint8_t Id>
int auto_dbm(Api c, Got got) {
    float v = 77.0f;
    const int r = RQM_GetOpPwrAuto_Dbm(c, Row, &v, Id);
    *got = fmt(v);
    return r;
}

int rssi(Api c, Got got) {
    double v = 7.0;
    const int r = RQM_PHY_MOD_GetRSSI(c, &v);
    *got = fmt(v);
    return r;
}

int version(Api c, Got got) {
    uint8_t major = 0xEE, minor = 0xEE;
    const int r = RQM_GetPhyVersion(c, &major, &minor, nullptr);
    *got = std::to_string(major) + " " + std::to_string(minor);
    return r;
}

int calibration(Api c, Got got) {
    uint32_t out = 9;
    uint8_t block[RQM_CAL_BLOCK_SIZE];
    memset(block, 0xEE, sizeof block);
    const int r = RQM_CalibrateTransmitter(c, 2, 0x07CF6108, 0, 0, &out, block);
    *got = std::to_string(out) + " " + sim_hex(block, 10) + " " + std::to_string(block[255]);
    return r;
}

int op_pwr_dbm(Api c, Got got) {
    double v = 7.0;
    c->CnfTimeoutMs = 100;
    const int r = RQM_GetOpPwr_Dbm(c, 3, &v);
    *got = fmt(v);
    return r;
}

// The dBm reads need their output: 9 each, reported, nothing sent.
int without_output(Api c, Got got) {
    *got = std::to_string(RQM_GetOpPwr_Dbm(c, 0, nullptr));
    return RQM_GetOpPwrAuto_Dbm(c, 0, nullptr, 0xB0);
}

int power_kept(Api c, Got got) {
    int r = RQM_SetOpPwr_Dbm(c, 12.25f, 3);
    r |= RQM_SetOpPwr_Raw(c, 1023, 17, 15);
    r |= RQM_SetOpPwrAuto_Dbm(c, 17.5f);
    double dbm = 0;
    uint32_t a = 0, b = 0;
    r |= RQM_GetOpPwr_Dbm(c, 3, &dbm);
    r |= RQM_GetOpPwr_Raw(c, 15, &a, &b);
    *got = fmt(dbm) + " " + std::to_string(a) + " " + std::to_string(b);
    return r;
}

template <int Hundredths>
int set_dbm(Api c, Got) {
    return RQM_SetOpPwrAuto_Dbm(c, static_cast<float>(Hundredths / 100.0));
}

// dBm x 16, truncated, sign-extended; the limits are inclusive.
std::vector<Bytes> dbm_sent(uint32_t word) {
    return {HiBuild(767, {0, word})};
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
const char kAuto[] = "RQM_GetOpPwrAuto_Dbm";
const std::string kRefused = failed("RQM_SetOpPwrAuto_Dbm", 9);
const char kCal[] = "set calblock 0102030405060708090a";
const char kCalOut[] = "set phy cal_out 77";

// clang-format off
const ApiCall kCalls[] = {
    // ---- request shapes ----
    {.name = "ZeroWords", .call = [](Api c, Got) { return RQM_ResetRFIP(c); }, .sent = {{HiBuild(685, {0})}}},
    {.name = "OneWordOfTheLow16Bits", .call = [](Api c, Got) { return RQM_SetChannel(c, 0x12345); },
     .sent = {{HiBuild(757, {0, 0x2345})}}},
    {.name = "TwoWords", .call = [](Api c, Got) { return RQM_ResetPhy(c, 1, 0); },
     .sent = {{HiBuild(692, {0, 1, 0})}}},
    {.name = "ThreeWords", .call = [](Api c, Got) { return RQM_SetChannelFec(c, 0, 64, 127); },
     .sent = {{HiBuild(698, {0, 0, 64, 127})}}},
    {.name = "PaDetectorShort", .call = pa_det, .got = "0 0 12 0 0 9 9", .sent = {{HiBuild(763).zeros(24)}}},
    {.name = "PaDetectorLongOnTheChipVariant", .call = pa_det, .got = "0 0 12 0 0 0 0",
     .sent = {{HiBuild(763).zeros(32)}}, .variant = 1},
    // ---- dBm limits; a value that is no number is refused before anything is made of it ----
    {.name = "MinusHalf", .call = set_dbm<-50>, .sent = dbm_sent(0xFFFFFFF8)},
    {.name = "Thirty", .call = set_dbm<3000>, .sent = dbm_sent(480)},
    {.name = "AboveThirty", .call = set_dbm<3001>, .result = 9, .out = kRefused, .sent = kNothingSent},
    {.name = "MinusHundred", .call = set_dbm<-10000>, .sent = dbm_sent(0xFFFFF9C0)},
    {.name = "NaN", .call = [](Api c, Got) { return RQM_SetOpPwrAuto_Dbm(c, kNaN); }, .result = 9,
     .out = kRefused, .sent = kNothingSent},
    {.name = "Infinite", .call = [](Api c, Got) { return RQM_SetOpPwrAuto_Dbm(c, -kInf); }, .result = 9,
     .out = kRefused, .sent = kNothingSent},
    // ---- what the readings make of their answers ----
    {.name = "RssiQuarterDb", .presets = {"set phy rssi 0x3FC"}, .call = rssi, .got = "-1.0000"},
    {.name = "RssiLinear", .presets = {"set phy rssi 0x10200000"}, .call = rssi, .got = "-3.0103"},
    {.name = "RssiOtherFormLeavesTheOutput", .presets = {"set phy rssi 0x20000000"}, .call = rssi,
     .got = "7.0000"},
    {.name = "VersionFailureReportedTwice", .presets = {"fault 693 status 4"}, .call = version, .result = 4,
     .got = "238 238",
     .out = failed("RQM_GetPhyVersionInHex", 4) + failed("RQM_GetPhyVersion", 4)},
    // A user-power table is all twelve entries: a shorter element gives none, even for a row inside it.
    {.name = "SddElementOf23BytesGivesNoPower", .presets = {sdd({208}, {1}, 23)}, .call = auto_dbm<0, 0xE3>,
     .result = -1, .got = "0.0000", .out = failed(kAuto, -1), .sddVersion = 23},
    {.name = "SddRowOutOfRange", .call = auto_dbm<12, 0xB0>, .result = 9, .got = "77.0000",
     .out = failed(kAuto, 9)},
    {.name = "NullOutputs", .call = without_output, .result = 9, .got = "9",
     .out = failed("RQM_GetOpPwr_Dbm", 9) + failed(kAuto, 9)},
    {.name = "OpPwrDbmWithoutAnswerIsZero", .presets = {"set pwrtable 3 0 0 160", "fault 765 noanswer"},
     .call = op_pwr_dbm, .result = 1, .got = "0.0000",
     .out = "Wait for cnf timed out!\nAdapter_Request pRqmApiContext->MsgReceivedSize == 0\n" +
            failed("RQM_GetOpPwr_Dbm", 1)},
    {.name = "PaDetectorGainsOnTheChipVariant",
     .presets = {"set padet index 5", "set padet analogue 300", "set padet digital 0x12345"}, .call = pa_det,
     .got = "0 0 5 0 0 300 9029", .variant = 1},
    {.name = "PaDetectorCutShortGivesNothing",
     .presets = {"set padet index 5", "set padet w20 6", "fault 763 short 20"}, .call = pa_det, .result = 1,
     .got = "9 9 9 9 9 9 9", .out = failed("RQM_GetRawPADetReading", 1), .variant = 1},
    {.name = "CalibrationTakenWhateverTheStatus", .presets = {kCal, kCalOut, "fault 742 status 3"},
     .call = calibration, .got = "77 0102030405060708090a 0"},
    {.name = "CalibrationCutShortGivesNothing", .presets = {kCal, kCalOut, "fault 742 short 16"},
     .call = calibration, .result = 1, .got = "9 eeeeeeeeeeeeeeeeeeee 238",
     .out = failed("RQM_CalibrateTransmitter", 1)},
    // ---- range edges: a value out of range is 9 before anything is sent ----
    {.name = "FecOf128", .call = [](Api c, Got) { return RQM_SetChannelFec(c, 0, 128, 0); }, .result = 9,
     .out = failed("RQM_SetChannelFec", 9), .sent = kNothingSent},
    {.name = "PowerIndex16", .call = [](Api c, Got) { return RQM_SetOpPwr_Dbm(c, 10.0f, 16); }, .result = 9,
     .out = failed("RQM_SetOpPwr_Dbm", 9), .sent = kNothingSent},
    {.name = "Raw1023", .call = [](Api c, Got) { return RQM_SetOpPwr_Raw(c, 1023, 0, 0); }, .ids = {{760}}},
    {.name = "Raw1024", .call = [](Api c, Got) { return RQM_SetOpPwr_Raw(c, 0, 1024, 0); }, .result = 9,
     .out = failed("RQM_SetOpPwr_Raw", 9), .sent = kNothingSent},
    {.name = "Measurement14", .call = [](Api c, Got) { return RQM_ArmPowerMeasurment(c, 14); },
     .ids = {{764}}},
    {.name = "Measurement15", .call = [](Api c, Got) { return RQM_ArmPowerMeasurment(c, 15); }, .result = 9,
     .out = failed("RQM_ArmPowerMeasurment", 9), .sent = kNothingSent},
    {.name = "OpStateZeroSilent", .call = [](Api c, Got) { return RQM_SetPhyOpState(c, 0); }, .result = 9,
     .sent = kNothingSent},
    {.name = "OpStateFiveSilent", .call = [](Api c, Got) { return RQM_SetPhyOpState(c, 5); }, .result = 9,
     .sent = kNothingSent},
    {.name = "ResetPhyTwo", .call = [](Api c, Got) { return RQM_ResetPhy(c, 0, 2); }, .result = 9,
     .out = failed("RQM_ResetPhy", 9), .sent = kNothingSent},
    // Never supported: 26, reported, nothing sent; a band other than 0 or 1 is 9.
    {.name = "Band", .call = [](Api c, Got) { return RQM_SetBand(c, 1); }, .result = 26,
     .out = failed("RQM_SetBand", 26), .sent = kNothingSent},
    {.name = "BandTwo", .call = [](Api c, Got) { return RQM_SetBand(c, 2); }, .result = 9,
     .out = failed("RQM_SetBand", 9), .sent = kNothingSent},
    {.name = "Modem", .call = [](Api c, Got) { return RQM_SetModem(c); }, .result = 26,
     .out = failed("RQM_SetModem", 26), .sent = kNothingSent},
    {.name = "RFGain", .call = [](Api c, Got) { return RQM_SetRFGain(c); }, .result = 26,
     .out = failed("RQM_SetRFGain", 26), .sent = kNothingSent},
    // ---- power kept by the firmware ----
    {.name = "PowerSetAndReadBack", .call = power_kept, .got = "12.2500 1023 17",
     .after = {{"power.auto_dbm", "280"}}},
};
// clang-format on

TEST_P(ApiCalls, Phy) {
    check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Phy, ApiCalls, testing::ValuesIn(kCalls), RowName());

}  // namespace
