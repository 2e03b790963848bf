// "tone" and a later "tone_stop" against the stand-in: the order of transmit
// (70), channel (757) and tone (739) requests and what they leave set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/sim_rows.h"

namespace {

const std::string kIdle = "txed=0, acked=0\n";
const std::string kOld = "set version 0x01010001";  // a driver that keeps no tool state
const std::vector<unsigned> kFresh = {70, 70, 757, 70, 739}, kStop = {739, 70, 757};
const Words kOff = {0, 0, 0xF000F, 0, 0};

struct Step {
    const char* words;
    std::string head, tail;  // of stdout
    Words tone;              // 739 from 4
    std::vector<unsigned> order;
    int channel, running;  // the firmware's channel word, the driver's word 13
};
struct ToneCase {
    const char* name;
    std::string presets;  // ';' between them
    std::string settings;
    std::vector<Step> steps;
};

// Words: mode | length << 4; index 1 | index 2 << 16 (312500 x k Hz is k - 1); quarter-dB code 1 |
// code 2 << 16 (-2.0 is 0xF8); delay. The settings' tones are 5 MHz (15) at 0 dB, mode 1.
// clang-format off
const ToneCase kCases[] = {
    {"SingleThenStop", "set recword 3 6", "", {{"tone -m 1 -f 312500 -a -2",
        "Tone tone_mode is SINGLE_TONE_QUAD!\n\nTone frequency_1 is 312500!\n\nTone amplitude_1 is -2.00!\n" + kIdle + kIdle +
        kIdle + "RQM_SetPulsedToneGen:eTMode=1\n", "delay=0\n" + kOk, {0, 1, 0xF0000, 0xF8, 0}, kFresh, 5, 1},
        {"tone_stop", "RQM_SetPulsedToneGen:eTMode=0\n", kIdle + kOk, kOff, kStop, 6, 0}}},
    {"DualAtTheTop", "set recword 3 1", "", {{"tone -m 4 -f 10000000 -a 1.75 -g 2500000 -b -1",
        "", kOk, {0, 4, 0x7001F, 0xFC0007, 0}, kFresh, 0, 1}}},
    {"PulsesInClassFour", "set recword 15 4;set recword 3 9", "", {{"tone -l 100 -d 20 x",
        "Tone pulse_length is 100!\nTone pulse_delay is 20!\n", kOk, {0, 0x641, 0xF000F, 0, 20}, kFresh, 0x108, 1}}},
    {"ModeZeroPulseCut", "", "", {{"tone -m 0 -l 65536 -d 70000",
        "Tone tone_mode is DISABLE_TONE!\nTone pulse_length is 0!\nTone pulse_delay is 4464!\n", kOk, {0, 0, 0xF000F, 0, 4464}, kFresh, 0, 1}}},
    {"AmplitudeBeyond", "", "", {{"tone -a 2", "Tone amplitude_1 should be one of below:\n", "Params set error!\n" + kError, {}, {}, 0, 0}}},
    {"FrequencyBeyond", "", "", {{"tone -g 10312500", "Tone frequency_2 should be one of below:\n", "Params set error!\n" + kError, {}, {}, 0, 0}}},
    {"RetuneFails", "fault 757 status 4", "", {{"tone", kIdle + kIdle, "set channel error!--1999" + kError, {}, {70, 70, 757}, 0, 0}}},
    {"ClassThirteen", kOld, "[phy_control]\nregulatory_class=13\n", {{"tone", "", "set channel error!--1999" + kError, {}, {}, 0, 0},
        {"tone_stop", "", "set channel error!--2078" + kError, {}, {}, 0, 0}}},
    // Not the record's channel 9 but the settings' 5, and the stop although word 13 is 0.
    {"NoToolState", kOld + ";set recword 3 9", "[phy_control]\nchannel=5\n", {{"tone", "", kOk, {0, 1, 0xF000F, 0, 0}, kFresh, 4, 0},
        {"tone_stop", "", kOk, kOff, kStop, 5, 0}}},
    {"StopWithoutTransmission", "set recword 3 11", "", {{"tone_stop", "", kOk, kOff, {739, 757}, 11, 0}}},
};
// clang-format on

class ToneRun : public SimRows, public testing::WithParamInterface<ToneCase> {};

TEST_P(ToneRun, RunAfterRun) {
    presets("set connected 1;" + GetParam().presets);
    for (const Step& s : GetParam().steps) {
        const CliRun r = run_on_sim(RQMCLI_SIM_PATH, split(s.words), SettingsFile(GetParam().settings));
        EXPECT_TRUE(r.out.starts_with(s.head) && r.out.ends_with(s.tail)) << r.out;
        EXPECT_EQ(r.err, std::string(s.words).ends_with(" x") ? "tone: ignoring extra argument -- x\n" : "");
        EXPECT_EQ(r.wire.words(739), s.tone.empty() ? std::vector<Words>{} : std::vector<Words>{s.tone});
        EXPECT_EQ(r.wire.ids({70, 757, 739}), s.order);
        if (s.order.empty())
            EXPECT_EQ(r.wire.ids(), (std::vector<unsigned>{1016, 993}));
        else
            EXPECT_EQ(get("phy.channel"), std::to_string(s.channel));
        EXPECT_EQ(get("recword 13"), std::to_string(s.running));
        EXPECT_EQ(get("tone.on"), s.tone.empty() || (s.tone[1] & 0xF) == 0 ? "0" : "1");
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, ToneRun, testing::ValuesIn(kCases), RowName());

}  // namespace
