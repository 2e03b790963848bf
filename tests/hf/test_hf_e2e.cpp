// Whole runs of both programs against the stand-in, for the commands they
// share: one table, a column per program where the text or the driver's
// traffic differs. Then rqmcli-hf's own tool-state exchange, value by value,
// across runs.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "hf/hf.h"
#include "tests/support/help_pages.h"
#include "tests/support/sim_rows.h"

namespace {

struct Program {
    const char* name;
    const char* path;
    const char* banner;
    unsigned driverReqLen;  // connect and reconnect
    unsigned fetchLen;      // 993
};

const Program kPrograms[] = {
    {"rqmcli", RQMCLI_SIM_PATH, "RQM version: 2.0.9  DATE TIME\n\n", 12, 16},
    {"rqmcli_hf", RQMCLI_HF_SIM_PATH, "RQM version: 1.4.1\n\n", 8, 8},
};

const std::string kHint = "Input [help] for help message.Add options for more details!\n";
const std::string kRunning = "RQM fw is running!!\n\n";
const std::string kFacts = "FirmwareApiVer:0x427\nFirmwareLabel:RQMFW_Q23.02.0017\n";
const std::string kCheck = "Here phy mode param is only for channel check!\n";
const std::string kInvalid = "Invalid params input!Please check again!\n";

// What rqmcli-hf's rate says of the values it fetched.
const std::string kGot = "line:1561 setting.Tx_bandwidth = 0\nsetting.Tx_subchannel\n";
const std::string kSet = "power level:42\n" + kGain + kOk;
const std::string kDsss = "mode is _802_11_B_DSSS_LONG_PREAMBLE_\nrate is _1Mbps_DSSS_\n" + kSet;
const std::string kMcs2 =
    "mode is _802_11_N_OFDM_SHORT_GREENFIELD_\nrate is _19_5Mbps_QPSK_Code_3_4_\n" + kSet;
const std::string kCck =
    "mode is _802_11_B_DSSS_LONG_PREAMBLE_\nrate is _11Mbps_CCK_\n[WARN]11b/g, bandwidth "
    "should be: 20M!\n" +
    kSet;
const std::string kOfdm =
    "mode is _802_11_A_OFDM_PREAMBLE_\nmode is _802_11_A_OFDM_PREAMBLE_\nrate should "
    "be:\n48.0 24.0 12.0 6.0 54.0 36.0 18.0 9.0 \nParams set error!\n" +
    kError;
const std::string kTx = "993 67 33 38 101 0 38 0 38 0 38 0 38 126 38 125 67 38 38 38 70";
const std::string kPhyUp = "power level:42\n" + kGain + "Phy mode is OFDM_DSSS_2GHZ!\nChannel is 11!\n";
const std::string kNoVersion =
    failed("RQM_GetSddVeresion", 1) + "RQM CLI WARN: Unable to get SDD version number. default:V2.3\n";
const std::string kCalRefused =
    "RQM not connect,please connect first!\n" + failed("RQM_CalibrateTransmitter", 7);
// The generator's lines for the settings' tones.
std::string generator(int mode, int length) {
    return "RQM_SetPulsedToneGen:eTMode=" + std::to_string(mode) + "\ndFreq_hz=5000000.000000\n" +
           "dAmp_db=0.000000\ndFreq2_hz=5000000.000000\ndAmp2_db=0.000000\n" +
           "frameLen=" + std::to_string(length) + "\ndelay=0\n";
}

// Where a page follows the banner, the banner is the program's; so is the
// channel command's page.
const std::string kPage = "PAGE", kFull = "FULL", kChannelPage = "CHANNEL";

// traffic: every request of the run by id but the API context's (1016),
// with the channel sent ("757:6"), and a value pushed alone with its value
// and id ("994:2,6").
struct SharedCase {
    const char* name;
    const char* presets;  // control lines, ';' between
    const char* words;
    std::string out;  // rqmcli's
    std::string traffic;
    std::string hfTraffic;
    std::string hfOut = "";          // "": as rqmcli's
    const char* settings = nullptr;  // nullptr: the usual file
};

const SharedCase kShared[] = {
    {"Connect", "set connected 0", "connect", kRunning + kOk, "1018 54 993 994", "1018 54",
     kRunning + kFacts + kOk},
    {"Reconnect", "", "reconnect", kRunning + kOk, "993 1020 994", "1020"},
    {"HelpPage", "set connected 0", "help all", "All cmds list below!\n" + kFull + kHint, "", ""},
    {"UnknownWord", "", "txx", "unknown cmd!" + kPage + kHint, "993", "", "unknown cmd!\n" + kPage + kHint},
    // rqmcli takes a word's beginning; rqmcli-hf only the whole word.
    {"ShortenedWord", "", "he", kPage + kHint, "993", "", "unknown cmd!\n" + kPage + kHint},
    {"Channel", "", "channel DSSS_2GHZ 6", "channel 6 ok \n" + kCheck + kOk, "993 757:6 994",
     "757:6 994:6,3"},
    // rqmcli-hf's tone form sends the channel below the one typed; it has
    // no "5GHZ" band word.
    {"ChannelToneForm", "", "channel OFDM_2GHZ 16 tone",
     "Channel should be 1 to 15\n" + kInvalid + kChannelPage + kHint, "993", "757:15 994:16,3",
     "channel 16 ok ---Single tone\n" + kCheck + kOk},
    {"Channel5GhzWord", "", "channel 5GHZ 1 36", kCheck + kOk, "993 757:36 994", "",
     kInvalid + kChannelPage + kHint},
    {"ChannelOfdm5GhzWord", "", "channel OFDM_5GHZ 1 36", kCheck + kOk, "993 757:36 994", "757:36 994:36,3"},
    {"RateAlone", "set recword 4 1;set param mode 1", "rate", kDsss, "993 0 38 38 1017 767 763 0 994",
     "993 994:1,4 994:0,5 0 38 38 1017 767 763 0", kGot + kDsss},
    // An OFDM rate ends with the forced writes (two memory writes, 1).
    {"RateHt", "", "rate -m 4 -r 5.5", kMcs2, "993 0 38 38 1017 767 763 0 994",
     "993 994:4,4 994:0,5 994:18,0 0 38 38 1017 767 763 0 1 1", kGot + kMcs2},
    {"RateOutsideMode", "", "rate -m 2 -r 6.5", kOfdm, "993", "993 994:2,4 994:11,5 994:0,0", kGot + kOfdm},
    {"RateKeptModeWithoutRates", "set recword 4 3;set param mode 3", "rate -r 54",
     "Params set error!\n" + kError, "993", "993 994:12,0 994:16,0 994:0,5",
     kGot + "Params set error!\n" + kError},
    {"RateKept40MhzForced20", "set recword 6 2;set param bandwidth 2;set recword 3 11;set param channel 11",
     "rate -m 1 -r 11", kCck, "993 677 0 38 757:11 0 38 38 1017 767 763 0 994",
     "993 994:1,4 994:0,5 994:19,0 677 0 38 757:11 994:0,6 994:0,7 994:11,3 0 38 38 1017 767 763 0",
     "line:1561 setting.Tx_bandwidth = 2\nsetting.Tx_subchannel\n" + kCck},
    {"Bandwidth40", "", "bandwidth 40M",
     "Band width set to 40MHz!\nPlease set channel after setting bandwidth!\n" + kOk,
     "993 677 0 38 697 0 38 994", "677 0 38 697 0 38 994:2,6 994:0,7"},
    // rqmcli-hf asks no SDD version (one 1017, for the power), and rqmcli
    // finds none; a failed calibration leaves the PHY up in both.
    {"EnablePhy", "fault 742 refuse 7;set sddelem 0xC0 none", "enable_phy",
     kNoVersion + kPhyUp + kCalRefused + kOk, "993 690 0 38 38 1017 1017 767 763 0 694 757:11 742 994",
     "690 0 38 38 1017 767 763 0 694 757:11 742", kPhyUp + kCalRefused + kOk},
    {"EnablePhyModeBeyondField", "", "enable_phy", "There was a problem with settings!--1019\n" + kError,
     "993", "", "There was a problem with settings!\n" + kError, "[Tx]\nmode=8\n"},
    // rqmcli-hf sets the generator alone: no transmit restart, no re-tune.
    {"Tone", "", "tone -l 2",
     "Tone pulse_length is 2!\ntxed=0, acked=0\ntxed=0, acked=0\ntxed=0, acked=0\n" + generator(1, 2) + kOk,
     // rqmcli: tx, tx_stop, the re-tune, tx again, the generator.
     kTx + " 33 38 70 757:0" + kTx.substr(3) + " 739 994", "739",
     "Tone pulse_length is 2!\n" + generator(1, 2) + kOk},
    {"ToneStop", "", "tone_stop", generator(0, 0) + kOk, "993 739 757:0 994", "739"},
    // rqmcli sends the stop only while its record says a transmission runs.
    {"TxStopNothingRunning", "", "tx_stop", kOk, "993 994", "993 33 38 70", "txed=0, acked=0\n" + kOk},
};

// The commands the programs run alike: rqmcli-hf prints what rqmcli prints
// and sends the same requests, but for the record's fetch and push (and
// tx's own fetch); "words|rqmcli's text|rqmcli-hf's" where a text differs.
const std::vector<std::string> kAlike = split(
    "disconnect;get_mac;set_mac -s 00:11:22:33:44:55;phy_mode 2GHZ;regulatory 5;power_level "
    "42;bandwidth;subchannel;tx -n "
    "5;tx_status;tx_cfg;rx;rx_stop;gain;"
    "calibration;write_mem 0x4 0x5;hw_write_reg 0x4 0x5;hw_read_reg 0x4;read_reg;write_reg;load_reg;save_reg;"
    "read_efuse MAC;get_antifuse;get_freq_offset;soft_reset;sdd_config;"
    "read_mem -a 0x4 -l 4|\t  00\t     04 \t08\t   0C\t      10\t 14\t    18\t       1C|       00         04"
    "         08         0C         10         14         18         1C;"
    "set_freq_offset 200|, reference value:0~127\n|;"
    "write_efuse DCXO_TRIM 80|[write_dcxo_trim],2895 exit! reference value:0~127.\nret|[CMD_Interpret],2656 "
    "exit! "
    "reference value:0~127.\nm_status",
    ';');

// The stand-in holds a session, an SDD power table and the PA detector's
// gain, then the row's presets.
class BothSims : public SimRows {
protected:
    void preset(const std::string& presets) {
        ctl("set connected 1");
        ctl("set sddelem 0xE3 d000d000d000d000d000d000d000d000d000d000d000d000");
        SimRows::presets(kGainPresets);
        SimRows::presets(presets);
    }
};

std::string expand(std::string text, const Program& p) {
    for (const auto& [mark, page] : {std::pair{kPage, help_page(false, p.banner)},
                                     {kFull, help_page(true, p.banner)},
                                     {kChannelPage, channel_page(p.banner)}})
        if (const size_t at = text.find(mark); at != std::string::npos)
            text.replace(at, mark.size(), page);
    return text;
}

std::string traffic(const HiLog& wire, bool withRecord = true) {
    std::string out;
    for (const HiMsg& m : wire.all()) {
        if (m.id() == 1016 || (!withRecord && (m.id() == 993 || m.id() == 994)))
            continue;
        out += (out.empty() ? "" : " ") + std::to_string(m.id());
        if (m.id() == 994 && m.len() == 16)
            out += ":" + std::to_string(m.u32(8)) + "," + std::to_string(m.u32(12));
        if (m.id() == 757)
            out += ":" + std::to_string(m.u32(8));
    }
    return out;
}

class SharedRun : public BothSims, public testing::WithParamInterface<std::tuple<size_t, SharedCase>> {};

TEST_P(SharedRun, OutputAndDriverTraffic) {
    const auto& [which, c] = GetParam();
    const Program& p = kPrograms[which];
    preset(c.presets);
    const CliRun r =
        run_on_sim(p.path, split(c.words), c.settings == nullptr ? Settings::File : SettingsFile(c.settings));
    ASSERT_FALSE(r.timed_out) << testing::PrintToString(r);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(normalized(r.out), expand(which == 1 && !c.hfOut.empty() ? c.hfOut : c.out, p));
    EXPECT_EQ(traffic(r.wire), which == 0 ? c.traffic : c.hfTraffic);
    for (const HiMsg& m : r.wire.with({1018, 1020}))
        EXPECT_EQ(m.len(), p.driverReqLen) << m.id();
    for (const HiMsg& m : r.wire.with({993}))
        EXPECT_EQ(m.len(), p.fetchLen);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, SharedRun,
                         testing::Combine(testing::Values(0, 1), testing::ValuesIn(kShared)),
                         [](const auto& info) {
                             return std::string(kPrograms[std::get<0>(info.param)].name) + "_" +
                                    std::get<1>(info.param).name;
                         });

class AlikeRun : public BothSims, public testing::WithParamInterface<std::string> {};

TEST_P(AlikeRun, SameTextAndRequests) {
    std::vector<std::string> c = split(GetParam(), '|');
    c.resize(3);
    CliRun r[2];
    for (size_t which : {0, 1}) {
        ctl("reset");
        preset("");
        r[which] = run_on_sim(kPrograms[which].path, split(c[0]), Settings::File);
        ASSERT_FALSE(r[which].timed_out) << kPrograms[which].name;
    }
    std::string expected = r[0].out;
    const size_t at = expected.find(c[1]);
    ASSERT_NE(at, std::string::npos) << r[0].out;
    EXPECT_EQ(r[1].out, expected.replace(at, c[1].size(), c[2]));
    EXPECT_EQ(traffic(r[1].wire, false), traffic(r[0].wire, false));
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, AlikeRun, testing::ValuesIn(kAlike));

// ---- rqmcli-hf's values, across runs ----

// Runs one after the other ('|' between); the traffic of the last, and
// stand-in state afterwards ("key=value", ';' between).
struct AcrossCase {
    const char* name;
    const char* presets;
    const char* runs;
    std::string traffic;
    const char* state;
};

const AcrossCase kAcross[] = {
    // tx takes the mode, bandwidth and sub-channel that earlier runs left,
    // and packets of that mode's length.
    {"RateThenTx", "", "bandwidth 40M|rate -m 4 -r 13|tx", kTx,
     "txmib.length=4095;txmib.bw40=1;mem 0x0AB98010=0x00001c04;mem 0x0AB98018=0x0fff0001"},
    {"TxForcedThenStopped", "", "tx -f 1|tx_stop", "993 994:0,1 33 38 70", "param.forced=0"},
    // A fetch that failed gives no saved values: the settings' mode and no forced form.
    {"TxFetchFailed", "set param mode 4;set param forced 1;fault 993 status 5", "tx", kTx,
     "txmib.length=1024;param.forced=1"},
    {"TxStopFetchFailed", "set param forced 1;fault 993 status 5", "tx_stop", "993 33 38 70",
     "param.forced=1"},
    // LOWER: the radio's lower sub-channel, the transmit control word's upper one.
    {"SubchannelLower", "set txmib lower 1", "subchannel LOWER", "697 0 38 994:0,7",
     "phy.subchannel=0;txmib.lower=0;param.subchannel=0"},
};

class AcrossRuns : public BothSims, public testing::WithParamInterface<AcrossCase> {};

TEST_P(AcrossRuns, SavedValuesTaken) {
    const AcrossCase& c = GetParam();
    preset(c.presets);
    CliRun r;
    for (const std::string& words : split(c.runs, '|')) {
        r = run_on_sim(RQMCLI_HF_SIM_PATH, split(words), Settings::File);
        EXPECT_TRUE(r.out.ends_with(kOk)) << words << ": " << r.out;
    }
    EXPECT_EQ(traffic(r.wire), c.traffic);
    expect_state(c.state);
}

INSTANTIATE_TEST_SUITE_P(RqmcliHf, AcrossRuns, testing::ValuesIn(kAcross), RowName());

// ---- the saved values ----

class SavedParams : public SimRows {
protected:
    void TearDown() override { api_.close(); }
    RqmApiContext* open() {
        api_.close();
        ctl("set connected 1");
        api_.open(false);
        ctl("log clear");
        return api_.ctx;
    }
    ApiSession api_;
};

TEST_F(SavedParams, PushedInOneRunFetchedInALaterOne) {
    RqmApiContext* ctx = open();
    ASSERT_NE(ctx, nullptr);
    const std::vector<Words> pushes = {{0, 11, 3}, {0, 2, 6},  {0, 1, 7}, {0, 4, 4},
                                       {0, 7, 5},  {0, 16, 0}, {0, 1, 1}, {0, 99, 2}};
    for (const Words& w : pushes)
        EXPECT_EQ(RQM_SetParamToDev(ctx, w[1], w[2]), RQM_SUCCESS);
    const HiLog pushed(sim().received());
    EXPECT_EQ(pushed.words(994), pushes);
    for (const HiMsg& m : pushed.all())
        EXPECT_EQ(m.len(), 16u);

    ctx = open();  // a new context and channel, as the next run has
    ASSERT_NE(ctx, nullptr);
    CliSavedParams saved{};
    EXPECT_EQ(RQM_Get_Cli_Param(ctx, &saved), RQM_SUCCESS);
    EXPECT_EQ(saved.Word, (std::array<uint32_t, CLI_SAVED_WORDS>{16, 1, 11, 4, 7, 2, 1}));
    EXPECT_EQ(HiLog(sim().received()).one(993).bytes, (Bytes{8, 0, 0xE1, 0x03, 0, 0, 0, 0}));
    EXPECT_EQ(get("param.unused"), "99");
}

struct FetchCase {
    const char* name;
    std::string fault;
    int result;
    uint32_t first, last;  // the first and last words afterwards
};

// The driver keeps 5 for both; the words start as 0xEE.
const FetchCase kFetches[] = {
    {"StatusStillFills", "fault 993 status 5", 5, 5, 5},
    {"LastWordMissing", "fault 993 short 36", RQM_NO_CONFIRMATION, 0xEE, 0xEE},
    {"Refused", "fault 993 refuse 7", 7, 0xEE, 0xEE},
};

class SavedFetch : public SavedParams, public testing::WithParamInterface<FetchCase> {};

// Only a whole answer with status 0 is a success: the commands that load
// saved values fall back on their settings otherwise.
TEST_P(SavedFetch, ResultAndWords) {
    const FetchCase& c = GetParam();
    presets("set param rate_index 5;set param subchannel 5;" + c.fault);
    RqmApiContext* ctx = open();
    ASSERT_NE(ctx, nullptr);
    CliSavedParams saved;
    saved.Word.fill(0xEE);
    printed([&] { EXPECT_EQ(RQM_Get_Cli_Param(ctx, &saved), c.result); });
    EXPECT_EQ(saved.Word[CLI_SAVED_RATE_INDEX], c.first);
    EXPECT_EQ(saved.Word[CLI_SAVED_SUBCHANNEL], c.last);
}

INSTANTIATE_TEST_SUITE_P(Answers, SavedFetch, testing::ValuesIn(kFetches), RowName());

}  // namespace
