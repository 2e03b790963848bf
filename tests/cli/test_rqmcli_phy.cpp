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
const std::string kMcs2Sent = "38:4,1000,0 38:8,2,0 ";
const std::string kPhyUpSent = "690:0,2 38:4,400,0 38:8,0,0 1017:00c0 ";
const std::string kCalSent = "742:0,2,7cf6108,0,0";
const std::string kNoPowerRow = "There was a problem with settings!--1633\n" + kError;

// Presets at ';'. sent: the requests to the firmware (wire_text) but for
// the reads under read-modify-writes and the gain; record: "word=value"
// of the driver's record afterwards.
struct PhyCase {
    const char* name;
    std::string presets;
    const char* words;
    std::string out;  // banner date normalised
    std::string sent;
    const char* record = "";
    const char* settings = "";
};

const PhyCase kCases[] = {
    // rate: MCS 2 (power row 5) by its CCK position 18; word 17 chooses
    // the element and its offset.
    {"RateVersion24", "set recword 17 24", "rate -m 4 -r 5.5", kMcs2 + "power level:62\n" + kGain + kOk,
     kMcs2Sent + "1017:00e3 767:0,f0", "0=18 4=4 5=2"},
    {"RateVersion25", "set recword 17 25", "rate -m 4 -r 5.5", kMcs2 + "power level:42\n" + kGain + kOk,
     kMcs2Sent + "1017:00b0 767:0,a0", "0=18 4=4 5=2"},
    // -r is checked against the stored mode, before -m changes it.
    {"RateBeforeModeStoredOfdm", "set recword 4 2", "rate -r 54 -m 4",
     "rate is _54Mbps_64QAM_Code3_4_\nmode is _802_11_N_OFDM_SHORT_GREENFIELD_\npower level:50\n" + kGain +
         kOk,
     "38:4,1000,0 38:8,0,0 1017:00e3 767:0,c0", "0=12 4=4 5=0"},
    {"RateStored40MhzForced20", "set recword 6 2;set recword 7 0;set recword 3 11;set txmib bw40 1",
     "rate -m 1 -r 11",
     "mode is _802_11_B_DSSS_LONG_PREAMBLE_\nrate is _11Mbps_CCK_\n[WARN]11b/g, bandwidth should be: 20M!\n"
     "power level:46\n" +
         kGain + kOk,
     "677:0,0 38:4,0,0 757:0,b 38:4,400,0 38:8,3,0 1017:00e3 767:0,b0", "3=11 4=1 5=3 6=0 7=1"},
    {"RatePowerMissing", "set sddelem 0xE3 none", "rate -m 4 -r 5.5",
     kMcs2 + failed("RQM_GetOpPwrAuto_Dbm", 1) + kNoPowerRow, kMcs2Sent + "1017:00e3", "0=16 4=1 5=1"},
    {"RatePowerShort", "set sddelem 0xE3 d000d000", "rate -m 4 -r 5.5",
     kMcs2 + failed("RQM_GetOpPwrAuto_Dbm", -1) + kNoPowerRow, kMcs2Sent + "1017:00e3", "0=16"},
    // channel
    {"ChannelClassCode", "", "channel 5GHZ 4 9", kChannelCheck + kOk, "757:0,109", "3=9 15=4"},
    {"ChannelNotInClass", "", "channel 5GHZ 1 60",
     "Channel should be:36 40 44 48 52 56 64 100 104 108 112 116 120 124 128 132 136 140 \n" + kInvalid +
         kChannelHelp,
     "", "3=7 15=0"},
    {"Channel15", "", "channel 2GHZ 15", "band = 2GHZ\nchannel 15 ok \n" + kChannelCheck + kOk, "757:0,f",
     "3=15 15=0"},
    {"ChannelBare", "set recword 3 11;set recword 15 4", "channel", kChannelCheck + kOk, "757:0,7",
     "3=7 15=0"},
    {"ChannelOneWord", "set recword 3 11", "channel foo", kChannelCheck + kOk, "757:0,7", "3=7"},
    // regulatory and phy_mode leave the record alone
    {"Regulatory5", "", "regulatory 5",
     "Phy mode is OFDM_5GHZ!\nRegulatory class is 5!\nChannel is 184!\n" + kOk, "694:0,3 757:0,b8",
     "3=7 15=0"},
    {"PhyModeRefusedStillSendsChannel", "fault 694 status 1", "phy_mode 5GHZ",
     failed("RQM_SetPhyMode", 1) + "Phy mode is OFDM_5GHZ!\nRegulatory class is 1!\nChannel is 36!\n" +
         kError,
     "694:0,3 757:0,24", "3=7 15=0"},
    {"BandwidthLowerCaseIs20", "set recword 6 2", "bandwidth 40m",
     "Band width set to 20MHz!\nPlease set channel after setting bandwidth!\n" + kOk,
     "677:0,0 38:4,0,0 697:0,1 38:4,0,0", "6=0 7=1"},
    // power_level: dBm = (level - 2) / 4, sent x 16
    {"PowerLevel2", "", "power_level 2", "Power set to 2 !\n" + kGain + kOk, "767:0,0"},
    {"PowerLevel120", "", "power_level 120", "Power set to 120 !\n" + kGain + kOk, "767:0,1d8"},
    {"PowerLevelFraction", "", "power_level 10.5", "Power set to 10 !\n" + kGain + kOk, "767:0,22"},
    {"PowerLevel121", "", "power_level 121", kPowerLevelRefused, ""},
    {"PowerLevelNone", "", "power_level", kPowerLevelRefused, ""},
    // enable_phy: the SDD's version, or the chip's default
    {"EnablePhyVersionFromSdd", "set sddelem 0xC0 0205;" + kCalBlock, "enable_phy",
     "power level:22\n" + kGain + kPhyUp + "7!\n" + kCalPrinted + kOk,
     kPhyUpSent + "1017:00b0 767:0,50 694:0,2 757:0,7 " + kCalSent, "17=25"},
    {"EnablePhyDefault23", "set sddelem 0xC0 none;set recword 17 25;" + kCalBlock, "enable_phy",
     kNoVersion + "3\npower level:42\n" + kGain + kPhyUp + "7!\n" + kCalPrinted + kOk,
     kPhyUpSent + "1017:00e3 767:0,a0 694:0,2 757:0,7 " + kCalSent, "17=23"},
    // The variant's longer reading brings no gains: the table's. A failed
    // calibration leaves the PHY up.
    {"EnablePhyVariantDefault25", "set sddelem 0xC0 none;set recword 18 1;fault 742 refuse 7", "enable_phy",
     kNoVersion + "500000\npower level:22\n" + kGain + kPhyUp + "11!\n" + kCalRefused + kOk,
     kPhyUpSent + "1017:00b0 767:0,50 694:0,2 757:0,b " + kCalSent, "17=25", "[phy_control]\nchannel=11\n"},
    {"CalibrationRefused", "fault 742 refuse 7", "calibration", kCalRefused + kError, kCalSent},
    // A reading cut short is none: no gain is shown from it.
    {"GainCutShort", "fault 763 short 13 1", "gain", failed("RQM_GetRawPADetReading", 1) + kError, ""},
    // frequency offset: parameter word 296, or the variant's PRCM bits
    {"FreqOffsetInBlock", "", "set_freq_offset 100", "Cur freq_offset = 100.\n" + kOk, "38:128,64,0"},
    {"FreqOffsetIllegalWritesCurrent", "set txmib freq_offset 16", "set_freq_offset 128",
     kIllegal + "Cur freq_offset = 16.\n" + kOk, "38:128,10,0"},
    {"FreqOffsetVariant", "set recword 18 1;set prcm 0x40040058 0xFFFFFFFF", "set_freq_offset 5",
     "Cur freq_offset = 5.\n" + kOk, "272:0,40040058,0 272:0,40040058,0 273:0,40040058,f85fffff"},
    {"FreqOffsetUnreadableIllegal", "set recword 18 1;fault 272 status 1", "set_freq_offset 300",
     failed("RQM_ReadPRCMRegister", 1) + kIllegal + kError, "272:0,40040058,0"},
    {"FreqOffsetWriteFails", "set recword 18 1;fault 273 status 1", "set_freq_offset 5",
     failed("RQM_WritePRCMRegister", 1) + "Cur freq_offset = 5.\n" + failed("RQM_SetFreqOffset", 1) + kError,
     "272:0,40040058,0 272:0,40040058,0 273:0,40040058,500000"},
    {"GetFreqOffsetFails", "set recword 18 1;fault 272 status 1", "get_freq_offset",
     failed("RQM_ReadPRCMRegister", 1) + "Cur freq_offset = -1.\n" + kError, "272:0,40040058,0"},
    // set_cca hands the API's code on, but 1 is an error
    {"CcaNoConfirmation", "fault 127 short 6", "set_cca 1", failed("RQM_SetCcaSensitiveTx", 1) + kError,
     "127:0,1"},
};

class PhyRun : public SimRows, public testing::WithParamInterface<PhyCase> {};

TEST_P(PhyRun, PrintsSendsAndKeeps) {
    const PhyCase& c = GetParam();
    presets("set connected 1;set sdd " + sdd_hex() + ";" + kGainPresets);
    for (const auto& [word, value] : pairs(kSession, ' '))
        ctl("set recword " + word + " " + value);
    presets(c.presets);
    const CliRun r = run_on_sim(RQMCLI_SIM_PATH, split(c.words), settings_of(c.settings));
    EXPECT_EQ(normalized(r.out), c.out);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(wire_text(r.wire, {993, 994, 1016, 0, 763}), c.sent);
    for (const auto& [word, value] : pairs(c.record, ' '))
        EXPECT_EQ(get("recword " + word), value) << "word " << word;
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
    EXPECT_EQ(sent().words(757), (std::vector<Words>{{0, 0x07BC}, {0, 0x0100}}));
}

}  // namespace
