// The rate, channel, PHY, power, calibration and frequency-offset commands
// against the stand-in: what a run prints, what it sends the firmware, and
// the words of the driver's record it leaves for the next run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/main_phy.h"
#include "sim/sim_util.h"
#include "tests/support/help_pages.h"
#include "tests/support/sdd_builder.h"
#include "tests/support/sim_rows.h"

namespace {

const std::string kInvalid = "Invalid params input!Please check again!\n";
const std::string kChannelHelp = channel_page("RQM version: 2.0.9  DATE TIME\n\n") +
                                 "Input [help] for help message.Add options for more details!\n";
const std::string kChannelCheck = "Here phy mode param is only for channel check!\n";

// The words a connect leaves in the record, with SDD version 2.3.
const char kSession[] = "0=16 2=2 3=7 4=1 5=1 7=1 8=1 9=1000 16=1 17=23";

// Every row of a power table reads as a dBm of its own: row r is 10 + r
// in the old element (stored with its 3 dB), 5 + r in the new one.
std::string sdd_hex() {
    std::vector<uint16_t> oldRows, newRows;
    for (uint16_t r = 0; r < 12; ++r) {
        oldRows.push_back(static_cast<uint16_t>((13 + r) * 16));
        newRows.push_back(static_cast<uint16_t>((5 + r) * 16));
    }
    SddBuilder b;
    b.version(2, 3).filler(3).power(0xE3, oldRows).power(0xB0, newRows);
    return sim_hex(b.bytes);
}

// kCalBlock's words 0-9: gain 5, phase -3, i 7, q -8; 100 / (0 + 1) gives
// -20 dB, 100 / (9 + 1) -10, 1000 / (999 + 1) -0, and 1000 over the
// largest int plus one (2^31, no overflow) 63.
const std::string kCalBlock =
    "set calblock 05000000fdffffff07000000f8ffffff640000000000000009000000e8030000e7030000ffffff7f";
const std::string kCalPrinted =
    "\nCalibrations:\nlo_start:\t-20\nim_start:\t-10\nlo_stop:\t-0\nim_stop:\t63\ngain:\t\t5\nphase:\t\t-3\n"
    "i_ofs:\t\t7\nq_ofs:\t\t-8\n\n";

const std::string kMcs2 = "mode is _802_11_N_OFDM_SHORT_GREENFIELD_\nrate is _19_5Mbps_QPSK_Code_3_4_\n";
const std::string kPowerLevelRefused = "Params set error!Power should be 2 to 120 \n" + kError;
const std::string kPhyUp = "Phy mode is OFDM_DSSS_2GHZ!\nChannel is ";
const std::string kNoVersion =
    failed("RQM_GetSddVeresion", 1) + "RQM CLI WARN: Unable to get SDD version number. default:V2.";
const std::string kCalRefused =
    "RQM not connect,please connect first!\n" + failed("RQM_CalibrateTransmitter", 7);
const std::string kIllegal = "the freq_offset is illegality, reference value:0~127\n";
// The request for one element of the SDD in use.
Bytes sdd_element(uint8_t id) {
    return HiBuild(1017).u8(0).u8(id);
}
const Msgs kMcs2Sent = {HiBuild(38, {4, 0x1000, 0}), HiBuild(38, {8, 2, 0})};
const Msgs kPhyUpSent = {HiBuild(690, {0, 2}), HiBuild(38, {4, 0x400, 0}), HiBuild(38, {8, 0, 0}),
                         sdd_element(0xC0)};
const Msgs kCalSent = {HiBuild(742, {0, 2, 0x7CF6108, 0, 0})};
const std::string kNoPowerRow = "There was a problem with settings!--1633\n" + kError;

// After a session (kSession), the SDD of sdd_hex() and the gain presets.
// sent: the requests to the firmware but for the reads under
// read-modify-writes and the gain; after: words of the driver's record.
// clang-format off
const RunRow kCases[] = {
    // rate: MCS 2 (power row 5) by its CCK position 18; word 17 chooses
    // the element and its offset.
    {.name = "RateVersion24", .presets = "set recword 17 24", .words = "rate -m 4 -r 5.5",
     .out = kMcs2 + "power level:62\n" + kGain + kOk,
     .sent = kMcs2Sent + Msgs{sdd_element(0xE3), HiBuild(767, {0, 0xF0})},
     .after = "recword 0=18;recword 4=4;recword 5=2"},
    {.name = "RateVersion25", .presets = "set recword 17 25", .words = "rate -m 4 -r 5.5",
     .out = kMcs2 + "power level:42\n" + kGain + kOk,
     .sent = kMcs2Sent + Msgs{sdd_element(0xB0), HiBuild(767, {0, 0xA0})},
     .after = "recword 0=18;recword 4=4;recword 5=2"},
    // -r is checked against the stored mode, before -m changes it.
    {.name = "RateBeforeModeStoredOfdm", .presets = "set recword 4 2", .words = "rate -r 54 -m 4",
     .out = "rate is _54Mbps_64QAM_Code3_4_\nmode is _802_11_N_OFDM_SHORT_GREENFIELD_\npower level:50\n" +
         kGain + kOk,
     .sent = {HiBuild(38, {4, 0x1000, 0}), HiBuild(38, {8, 0, 0}), sdd_element(0xE3),
         HiBuild(767, {0, 0xC0})},
     .after = "recword 0=12;recword 4=4;recword 5=0"},
    {.name = "RateStored40MhzForced20",
     .presets = "set recword 6 2;set recword 7 0;set recword 3 11;set txmib bw40 1",
     .words = "rate -m 1 -r 11",
     .out = "mode is _802_11_B_DSSS_LONG_PREAMBLE_\nrate is _11Mbps_CCK_\n"
         "[WARN]11b/g, bandwidth should be: 20M!\npower level:46\n" + kGain + kOk,
     .sent = {HiBuild(677, {0, 0}), HiBuild(38, {4, 0, 0}), HiBuild(757, {0, 0xB}),
         HiBuild(38, {4, 0x400, 0}), HiBuild(38, {8, 3, 0}), sdd_element(0xE3), HiBuild(767, {0, 0xB0})},
     .after = "recword 3=11;recword 4=1;recword 5=3;recword 6=0;recword 7=1"},
    {.name = "RatePowerMissing", .presets = "set sddelem 0xE3 none", .words = "rate -m 4 -r 5.5",
     .out = kMcs2 + failed("RQM_GetOpPwrAuto_Dbm", 1) + kNoPowerRow,
     .sent = kMcs2Sent + Msgs{sdd_element(0xE3)}, .after = "recword 0=16;recword 4=1;recword 5=1"},
    {.name = "RatePowerShort", .presets = "set sddelem 0xE3 d000d000", .words = "rate -m 4 -r 5.5",
     .out = kMcs2 + failed("RQM_GetOpPwrAuto_Dbm", -1) + kNoPowerRow,
     .sent = kMcs2Sent + Msgs{sdd_element(0xE3)}, .after = "recword 0=16"},
    // channel
    {.name = "ChannelClassCode", .words = "channel 5GHZ 4 9", .out = kChannelCheck + kOk,
     .sent = {HiBuild(757, {0, 0x109})}, .after = "recword 3=9;recword 15=4"},
    {.name = "ChannelNotInClass", .words = "channel 5GHZ 1 60",
     .out = "Channel should be:36 40 44 48 52 56 64 100 104 108 112 116 120 124 128 132 136 140 \n" +
         kInvalid + kChannelHelp,
     .after = "recword 3=7;recword 15=0"},
    {.name = "Channel15", .words = "channel 2GHZ 15",
     .out = "band = 2GHZ\nchannel 15 ok \n" + kChannelCheck + kOk, .sent = {HiBuild(757, {0, 0xF})},
     .after = "recword 3=15;recword 15=0"},
    {.name = "ChannelBare", .presets = "set recword 3 11;set recword 15 4", .words = "channel",
     .out = kChannelCheck + kOk, .sent = {HiBuild(757, {0, 7})}, .after = "recword 3=7;recword 15=0"},
    {.name = "ChannelOneWord", .presets = "set recword 3 11", .words = "channel foo",
     .out = kChannelCheck + kOk, .sent = {HiBuild(757, {0, 7})}, .after = "recword 3=7"},
    // regulatory and phy_mode leave the record alone
    {.name = "Regulatory5", .words = "regulatory 5",
     .out = "Phy mode is OFDM_5GHZ!\nRegulatory class is 5!\nChannel is 184!\n" + kOk,
     .sent = {HiBuild(694, {0, 3}), HiBuild(757, {0, 0xB8})}, .after = "recword 3=7;recword 15=0"},
    {.name = "PhyModeRefusedStillSendsChannel", .presets = "fault 694 status 1", .words = "phy_mode 5GHZ",
     .out = failed("RQM_SetPhyMode", 1) + "Phy mode is OFDM_5GHZ!\nRegulatory class is 1!\nChannel is 36!\n" +
         kError,
     .sent = {HiBuild(694, {0, 3}), HiBuild(757, {0, 0x24})}, .after = "recword 3=7;recword 15=0"},
    {.name = "BandwidthLowerCaseIs20", .presets = "set recword 6 2", .words = "bandwidth 40m",
     .out = "Band width set to 20MHz!\nPlease set channel after setting bandwidth!\n" + kOk,
     .sent = {HiBuild(677, {0, 0}), HiBuild(38, {4, 0, 0}), HiBuild(697, {0, 1}), HiBuild(38, {4, 0, 0})},
     .after = "recword 6=0;recword 7=1"},
    // power_level: dBm = (level - 2) / 4, sent x 16
    {.name = "PowerLevel2", .words = "power_level 2", .out = "Power set to 2 !\n" + kGain + kOk,
     .sent = {HiBuild(767, {0, 0})}},
    {.name = "PowerLevel120", .words = "power_level 120", .out = "Power set to 120 !\n" + kGain + kOk,
     .sent = {HiBuild(767, {0, 0x1D8})}},
    {.name = "PowerLevelFraction", .words = "power_level 10.5", .out = "Power set to 10 !\n" + kGain + kOk,
     .sent = {HiBuild(767, {0, 0x22})}},
    {.name = "PowerLevel121", .words = "power_level 121", .out = kPowerLevelRefused},
    {.name = "PowerLevelNone", .words = "power_level", .out = kPowerLevelRefused},
    // enable_phy: the SDD's version, or the chip's default
    {.name = "EnablePhyVersionFromSdd", .presets = "set sddelem 0xC0 0205;" + kCalBlock,
     .words = "enable_phy", .out = "power level:22\n" + kGain + kPhyUp + "7!\n" + kCalPrinted + kOk,
     .sent = kPhyUpSent +
         Msgs{sdd_element(0xB0), HiBuild(767, {0, 0x50}), HiBuild(694, {0, 2}), HiBuild(757, {0, 7})} +
         kCalSent,
     .after = "recword 17=25"},
    {.name = "EnablePhyDefault23", .presets = "set sddelem 0xC0 none;set recword 17 25;" + kCalBlock,
     .words = "enable_phy",
     .out = kNoVersion + "3\npower level:42\n" + kGain + kPhyUp + "7!\n" + kCalPrinted + kOk,
     .sent = kPhyUpSent +
         Msgs{sdd_element(0xE3), HiBuild(767, {0, 0xA0}), HiBuild(694, {0, 2}), HiBuild(757, {0, 7})} +
         kCalSent,
     .after = "recword 17=23"},
    // A PHY that does not come up ends the bring-up there, and the failed
    // run pushes nothing: the record keeps the version it had.
    {.name = "EnablePhyOpStateRefused", .presets = "fault 690 status 3", .words = "enable_phy",
     .out = failed("RQM_SetPhyOpState", 3) + kError, .sent = {HiBuild(690, {0, 2})}, .after = "recword 17=23"},
    // The variant's longer reading brings no gains: the table's. A failed
    // calibration leaves the PHY up.
    {.name = "EnablePhyVariantDefault25",
     .presets = "set sddelem 0xC0 none;set recword 18 1;fault 742 refuse 7",
     .settings = SettingsFile("[phy_control]\nchannel=11\n"), .words = "enable_phy",
     .out = kNoVersion + "500000\npower level:22\n" + kGain + kPhyUp + "11!\n" + kCalRefused + kOk,
     .sent = kPhyUpSent +
         Msgs{sdd_element(0xB0), HiBuild(767, {0, 0x50}), HiBuild(694, {0, 2}), HiBuild(757, {0, 0xB})} +
         kCalSent,
     .after = "recword 17=25"},
    {.name = "CalibrationRefused", .presets = "fault 742 refuse 7", .words = "calibration",
     .out = kCalRefused + kError, .sent = kCalSent},
    // A reading cut short is none: no gain is shown from it.
    {.name = "GainCutShort", .presets = "fault 763 short 13 1", .words = "gain",
     .out = failed("RQM_GetRawPADetReading", 1) + kError},
    // frequency offset: parameter word 296, or the variant's PRCM bits
    {.name = "FreqOffsetInBlock", .words = "set_freq_offset 100", .out = "Cur freq_offset = 100.\n" + kOk,
     .sent = {HiBuild(38, {0x128, 0x64, 0})}},
    {.name = "FreqOffsetIllegalWritesCurrent", .presets = "set txmib freq_offset 16",
     .words = "set_freq_offset 128", .out = kIllegal + "Cur freq_offset = 16.\n" + kOk,
     .sent = {HiBuild(38, {0x128, 0x10, 0})}},
    {.name = "FreqOffsetVariant", .presets = "set recword 18 1;set prcm 0x40040058 0xFFFFFFFF",
     .words = "set_freq_offset 5", .out = "Cur freq_offset = 5.\n" + kOk,
     .sent = {HiBuild(272, {0, 0x40040058, 0}), HiBuild(272, {0, 0x40040058, 0}),
         HiBuild(273, {0, 0x40040058, 0xF85FFFFF})}},
    {.name = "FreqOffsetUnreadableIllegal", .presets = "set recword 18 1;fault 272 status 1",
     .words = "set_freq_offset 300", .out = failed("RQM_ReadPRCMRegister", 1) + kIllegal + kError,
     .sent = {HiBuild(272, {0, 0x40040058, 0})}},
    {.name = "FreqOffsetWriteFails", .presets = "set recword 18 1;fault 273 status 1",
     .words = "set_freq_offset 5",
     .out = failed("RQM_WritePRCMRegister", 1) + "Cur freq_offset = 5.\n" + failed("RQM_SetFreqOffset", 1) +
         kError,
     .sent = {HiBuild(272, {0, 0x40040058, 0}), HiBuild(272, {0, 0x40040058, 0}),
         HiBuild(273, {0, 0x40040058, 0x500000})}},
    {.name = "GetFreqOffsetFails", .presets = "set recword 18 1;fault 272 status 1",
     .words = "get_freq_offset",
     .out = failed("RQM_ReadPRCMRegister", 1) + "Cur freq_offset = -1.\n" + kError,
     .sent = {HiBuild(272, {0, 0x40040058, 0})}},
    // set_cca hands the API's code on, but 1 is an error
    {.name = "CcaNoConfirmation", .presets = "fault 127 short 6", .words = "set_cca 1",
     .out = failed("RQM_SetCcaSensitiveTx", 1) + kError, .sent = {HiBuild(127, {0, 1})}},
};
// clang-format on

class PhyRun : public SimRows, public testing::WithParamInterface<RunRow> {};

TEST_P(PhyRun, PrintsSendsAndKeeps) {
    presets("set connected 1;set sdd " + sdd_hex() + ";" + kGainPresets);
    for (const auto& [word, value] : pairs(kSession, ' '))
        ctl("set recword " + word + " " + value);
    const RowRuns r = run_row(GetParam(), RQMCLI_SIM_PATH);
    EXPECT_EQ(r.wire.without({993, 994, 1016, 0, 763}), hi_msgs(GetParam().sent));
}

INSTANTIATE_TEST_SUITE_P(Commands, PhyRun, testing::ValuesIn(kCases), RowName());

// A class beyond the 13 rows, as the settings file or the record may hold
// it, sends nothing.
class SetChannel : public CliInProcess {};

TEST_F(SetChannel, ClassBeyondTheTableSendsNothing) {
    start();
    const std::string text = "[phy_control]\nregulatory_class=13\nchannel=189\n";
    cli_settings_from_text({text.data(), static_cast<uint32_t>(text.size())}, &setting);
    EXPECT_EQ(set_channel(setting.channel, setting.regulatory_class, 0), -1);
    setting.regulatory_class = 12;
    EXPECT_EQ(set_channel(setting.channel, setting.regulatory_class, 1), 0);
    setting.channel = 0;
    EXPECT_EQ(set_channel(setting.channel, 4, 1), 0);
    EXPECT_EQ(sent().with({757}),
              hi_msgs({HiBuild(757, {0, 0x07BC}), HiBuild(757 | 1 << HI_MSG_SEQ_SHIFT, {0, 0x0100})}));
}

}  // namespace
