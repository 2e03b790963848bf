// "tone" and a later "tone_stop" against the stand-in: the order of transmit
// (70), channel (757) and tone (739) requests and what they leave set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/sim_rows.h"

namespace {

const std::string kIdle = "txed=0, acked=0\n";
const std::string kOld = "set version 0x01010001";  // a driver that keeps no tool state
const std::string kRefused = "Params set error!\n" + kError;

// Words: mode | length << 4; index 1 | index 2 << 16 (312500 x k Hz is k - 1); quarter-dB code 1 |
// code 2 << 16 (-2.0 is 0xF8); delay. The settings' tones are 5 MHz (15) at 0 dB, mode 1.
Bytes tone(std::initializer_list<uint32_t> words) {
    return HiBuild(739, words);
}
const Bytes kOff = tone({0, 0, 0xF000F, 0, 0});

// After "set connected 1". ids: the transmit (70), channel (757) and tone
// (739) requests; sent: the tone requests. A run that sends none of them
// sends nothing but its start-up (1016, 993).
// clang-format off
const RunRow kCases[] = {
    {.name = "SingleThenStop", .presets = "set recword 3 6", .words = "tone -m 1 -f 312500 -a -2|tone_stop",
     .out = "Tone tone_mode is SINGLE_TONE_QUAD!\n\nTone frequency_1 is 312500!\n\n"
         "Tone amplitude_1 is -2.00!\n" + kIdle + kIdle + kIdle + "RQM_SetPulsedToneGen:eTMode=1\n" + kSkip +
         "delay=0\n" + kOk + "RQM_SetPulsedToneGen:eTMode=0\n" + kSkip + kIdle + kOk,
     .ids = {70, 70, 757, 70, 739, 739, 70, 757}, .sent = {tone({0, 1, 0xF0000, 0xF8, 0}), kOff},
     .after = "phy.channel=5;recword 13=1;tone.on=1|phy.channel=6;recword 13=0;tone.on=0"},
    {.name = "DualAtTheTop", .presets = "set recword 3 1",
     .words = "tone -m 4 -f 10000000 -a 1.75 -g 2500000 -b -1", .out = kSkip + kOk,
     .ids = {70, 70, 757, 70, 739}, .sent = {tone({0, 4, 0x7001F, 0xFC0007, 0})},
     .after = "phy.channel=0;recword 13=1;tone.on=1"},
    {.name = "PulsesInClassFour", .presets = "set recword 15 4;set recword 3 9",
     .words = "tone -l 100 -d 20 x",
     .out = "Tone pulse_length is 100!\nTone pulse_delay is 20!\n" + kSkip + kOk,
     .err = "tone: ignoring extra argument -- x\n", .ids = {70, 70, 757, 70, 739},
     .sent = {tone({0, 0x641, 0xF000F, 0, 20})}, .after = "phy.channel=264;recword 13=1;tone.on=1"},
    {.name = "ModeZeroPulseCut", .words = "tone -m 0 -l 65536 -d 70000",
     .out = "Tone tone_mode is DISABLE_TONE!\nTone pulse_length is 0!\nTone pulse_delay is 4464!\n" + kSkip +
         kOk,
     .ids = {70, 70, 757, 70, 739}, .sent = {tone({0, 0, 0xF000F, 0, 4464})},
     .after = "phy.channel=0;recword 13=1;tone.on=0"},
    {.name = "AmplitudeBeyond", .words = "tone -a 2",
     .out = "Tone amplitude_1 should be one of below:\n" + kSkip + kRefused,
     .after = "recword 13=0;tone.on=0"},
    {.name = "FrequencyBeyond", .words = "tone -g 10312500",
     .out = "Tone frequency_2 should be one of below:\n" + kSkip + kRefused,
     .after = "recword 13=0;tone.on=0"},
    {.name = "RetuneFails", .presets = "fault 757 status 4", .words = "tone",
     .out = kIdle + kIdle + kSkip + "set channel error!--1999" + kError, .ids = {70, 70, 757},
     .after = "phy.channel=0;recword 13=0;tone.on=0"},
    {.name = "ClassThirteen", .presets = kOld,
     .settings = SettingsFile("[phy_control]\nregulatory_class=13\n"), .words = "tone|tone_stop",
     .out = kSkip + "set channel error!--1999" + kError + kSkip + "set channel error!--2078" + kError,
     .after = "recword 13=0;tone.on=0|recword 13=0;tone.on=0"},
    // Not the record's channel 9 but the settings' 5, and the stop although word 13 is 0.
    {.name = "NoToolState", .presets = kOld + ";set recword 3 9",
     .settings = SettingsFile("[phy_control]\nchannel=5\n"), .words = "tone|tone_stop",
     .out = kSkip + kOk + kSkip + kOk, .ids = {70, 70, 757, 70, 739, 739, 70, 757},
     .sent = {tone({0, 1, 0xF000F, 0, 0}), kOff},
     .after = "phy.channel=4;recword 13=0;tone.on=1|phy.channel=5;recword 13=0;tone.on=0"},
    {.name = "StopWithoutTransmission", .presets = "set recword 3 11", .words = "tone_stop",
     .out = kSkip + kOk, .ids = {739, 757}, .sent = {kOff}, .after = "phy.channel=11;recword 13=0;tone.on=0"},
};
// clang-format on

class ToneRun : public SimRows, public testing::WithParamInterface<RunRow> {};

TEST_P(ToneRun, RunAfterRun) {
    ctl("set connected 1");
    const RowRuns r = run_row(GetParam(), RQMCLI_SIM_PATH, SettingsFile(std::string()));
    for (const CliRun& run : r.runs) {
        if (run.wire.ids({70, 757, 739}).empty()) {
            EXPECT_EQ(run.wire.ids(), (std::vector<unsigned>{1016, 993})) << run.out;
        }
    }
    EXPECT_EQ(r.wire.ids({70, 757, 739}), GetParam().ids);
    EXPECT_EQ(r.wire.with({739}), hi_msgs(GetParam().sent));
}

INSTANTIATE_TEST_SUITE_P(Commands, ToneRun, testing::ValuesIn(kCases), RowName());

}  // namespace
