// Whole runs of both programs against the stand-in, for the commands they
// share: one table, a row per program. Then rqmcli-hf's own tool-state exchange, value by value,
// across runs.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
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
const char* const kHf = RQMCLI_HF_SIM_PATH;

const Program& program_of(const RunRow& row) {
    return kPrograms[row.program == kHf ? 1 : 0];
}

const std::string kHint = "Input [help] for help message.Add options for more details!\n";
const std::string kRunning = "RQM fw is running!!\n\n";
const std::string kFacts = "FirmwareApiVer:0x427\nFirmwareLabel:RQMFW_Q23.02.0017\n";
const std::string kCheck = "Here phy mode param is only for channel check!\n";
const std::string kInvalid = "Invalid params input!Please check again!\n";
const std::string kIdle = "txed=0, acked=0\n";
const std::string kBandwidth40 = "Band width set to 40MHz!\nPlease set channel after setting bandwidth!\n";

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
// What tx sends after the record's fetch.
const Ids kTx = {67, 33, 38, 101, 0, 38, 0, 38, 0, 38, 0, 38, 126, 38, 125, 67, 38, 38, 38, 70};
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
const std::string kPage = help_page(false, kPrograms[0].banner),
                  kHfPage = help_page(false, kPrograms[1].banner);
const std::string kFull = help_page(true, kPrograms[0].banner),
                  kHfFull = help_page(true, kPrograms[1].banner);
const std::string kChannelPage = channel_page(kPrograms[0].banner);
const std::string kHfChannelPage = channel_page(kPrograms[1].banner);

// A value pushed alone (994 of 16 bytes): the value and its id.
Bytes pushed(uint32_t value, uint32_t id) {
    return HiBuild(994, {0, value, id});
}

Bytes channel(uint32_t ch) {
    return HiBuild(757, {0, ch});
}

// After a session, an SDD power table and the PA detector's gain. ids:
// every request of the run but the API context's (1016); sent: the
// channels (757) and the values pushed alone.
// clang-format off
const RunRow kShared[] = {
    {.name = "rqmcli_Connect", .presets = "set connected 0", .words = "connect", .out = kRunning + kOk,
     .ids = {1018, 54, 993, 994}},
    {.name = "rqmcli_hf_Connect", .program = kHf, .presets = "set connected 0", .words = "connect",
     .out = kRunning + kFacts + kOk, .ids = {1018, 54}},
    {.name = "rqmcli_Reconnect", .words = "reconnect", .out = kRunning + kOk, .ids = {993, 1020, 994}},
    {.name = "rqmcli_hf_Reconnect", .program = kHf, .words = "reconnect", .out = kRunning + kOk,
     .ids = {1020}},
    {.name = "rqmcli_HelpPage", .presets = "set connected 0", .words = "help all",
     .out = "All cmds list below!\n" + kFull + kHint},
    {.name = "rqmcli_hf_HelpPage", .program = kHf, .presets = "set connected 0", .words = "help all",
     .out = "All cmds list below!\n" + kHfFull + kHint},
    {.name = "rqmcli_UnknownWord", .words = "txx", .out = "unknown cmd!" + kPage + kHint, .ids = {993}},
    {.name = "rqmcli_hf_UnknownWord", .program = kHf, .words = "txx",
     .out = "unknown cmd!\n" + kHfPage + kHint},
    // rqmcli takes a word's beginning; rqmcli-hf only the whole word.
    {.name = "rqmcli_ShortenedWord", .words = "he", .out = kPage + kHint, .ids = {993}},
    {.name = "rqmcli_hf_ShortenedWord", .program = kHf, .words = "he",
     .out = "unknown cmd!\n" + kHfPage + kHint},
    {.name = "rqmcli_Channel", .words = "channel DSSS_2GHZ 6", .out = "channel 6 ok \n" + kCheck + kOk,
     .ids = {993, 757, 994}, .sent = {channel(6)}},
    {.name = "rqmcli_hf_Channel", .program = kHf, .words = "channel DSSS_2GHZ 6",
     .out = "channel 6 ok \n" + kCheck + kOk, .ids = {757, 994}, .sent = {channel(6), pushed(6, 3)}},
    // rqmcli-hf's tone form sends the channel below the one typed; it has
    // no "5GHZ" band word.
    {.name = "rqmcli_ChannelToneForm", .words = "channel OFDM_2GHZ 16 tone",
     .out = "Channel should be 1 to 15\n" + kInvalid + kChannelPage + kHint, .ids = {993}},
    {.name = "rqmcli_hf_ChannelToneForm", .program = kHf, .words = "channel OFDM_2GHZ 16 tone",
     .out = "channel 16 ok ---Single tone\n" + kCheck + kOk, .ids = {757, 994},
     .sent = {channel(15), pushed(16, 3)}},
    {.name = "rqmcli_Channel5GhzWord", .words = "channel 5GHZ 1 36", .out = kCheck + kOk,
     .ids = {993, 757, 994}, .sent = {channel(36)}},
    {.name = "rqmcli_hf_Channel5GhzWord", .program = kHf, .words = "channel 5GHZ 1 36",
     .out = kInvalid + kHfChannelPage + kHint},
    {.name = "rqmcli_ChannelOfdm5GhzWord", .words = "channel OFDM_5GHZ 1 36", .out = kCheck + kOk,
     .ids = {993, 757, 994}, .sent = {channel(36)}},
    {.name = "rqmcli_hf_ChannelOfdm5GhzWord", .program = kHf, .words = "channel OFDM_5GHZ 1 36",
     .out = kCheck + kOk, .ids = {757, 994}, .sent = {channel(36), pushed(36, 3)}},
    {.name = "rqmcli_RateAlone", .presets = "set recword 4 1;set param mode 1", .words = "rate", .out = kDsss,
     .ids = {993, 0, 38, 38, 1017, 767, 763, 0, 994}},
    {.name = "rqmcli_hf_RateAlone", .program = kHf, .presets = "set recword 4 1;set param mode 1",
     .words = "rate", .out = kGot + kDsss, .ids = {993, 994, 994, 0, 38, 38, 1017, 767, 763, 0},
     .sent = {pushed(1, 4), pushed(0, 5)}},
    // An OFDM rate ends with the forced writes (two memory writes, 1).
    {.name = "rqmcli_RateHt", .words = "rate -m 4 -r 5.5", .out = kMcs2,
     .ids = {993, 0, 38, 38, 1017, 767, 763, 0, 994}},
    {.name = "rqmcli_hf_RateHt", .program = kHf, .words = "rate -m 4 -r 5.5", .out = kGot + kMcs2,
     .ids = {993, 994, 994, 994, 0, 38, 38, 1017, 767, 763, 0, 1, 1},
     .sent = {pushed(4, 4), pushed(0, 5), pushed(18, 0)}},
    {.name = "rqmcli_RateOutsideMode", .words = "rate -m 2 -r 6.5", .out = kOfdm, .ids = {993}},
    {.name = "rqmcli_hf_RateOutsideMode", .program = kHf, .words = "rate -m 2 -r 6.5", .out = kGot + kOfdm,
     .ids = {993, 994, 994, 994}, .sent = {pushed(2, 4), pushed(11, 5), pushed(0, 0)}},
    {.name = "rqmcli_RateKeptModeWithoutRates", .presets = "set recword 4 3;set param mode 3",
     .words = "rate -r 54", .out = "Params set error!\n" + kError, .ids = {993}},
    {.name = "rqmcli_hf_RateKeptModeWithoutRates", .program = kHf,
     .presets = "set recword 4 3;set param mode 3", .words = "rate -r 54",
     .out = kGot + "Params set error!\n" + kError, .ids = {993, 994, 994, 994},
     .sent = {pushed(12, 0), pushed(16, 0), pushed(0, 5)}},
    {.name = "rqmcli_RateKept40MhzForced20",
     .presets = "set recword 6 2;set param bandwidth 2;set recword 3 11;set param channel 11",
     .words = "rate -m 1 -r 11", .out = kCck,
     .ids = {993, 677, 0, 38, 757, 0, 38, 38, 1017, 767, 763, 0, 994}, .sent = {channel(11)}},
    {.name = "rqmcli_hf_RateKept40MhzForced20", .program = kHf,
     .presets = "set recword 6 2;set param bandwidth 2;set recword 3 11;set param channel 11",
     .words = "rate -m 1 -r 11", .out = "line:1561 setting.Tx_bandwidth = 2\nsetting.Tx_subchannel\n" + kCck,
     .ids = {993, 994, 994, 994, 677, 0, 38, 757, 994, 994, 994, 0, 38, 38, 1017, 767, 763, 0},
     .sent = {pushed(1, 4), pushed(0, 5), pushed(19, 0), channel(11), pushed(0, 6), pushed(0, 7),
         pushed(11, 3)}},
    {.name = "rqmcli_Bandwidth40", .words = "bandwidth 40M", .out = kBandwidth40 + kOk,
     .ids = {993, 677, 0, 38, 697, 0, 38, 994}},
    {.name = "rqmcli_hf_Bandwidth40", .program = kHf, .words = "bandwidth 40M", .out = kBandwidth40 + kOk,
     .ids = {677, 0, 38, 697, 0, 38, 994, 994}, .sent = {pushed(2, 6), pushed(0, 7)}},
    // rqmcli-hf asks no SDD version (one 1017, for the power), and rqmcli
    // finds none; a failed calibration leaves the PHY up in both.
    {.name = "rqmcli_EnablePhy", .presets = "fault 742 refuse 7;set sddelem 0xC0 none", .words = "enable_phy",
     .out = kNoVersion + kPhyUp + kCalRefused + kOk,
     .ids = {993, 690, 0, 38, 38, 1017, 1017, 767, 763, 0, 694, 757, 742, 994}, .sent = {channel(11)}},
    {.name = "rqmcli_hf_EnablePhy", .program = kHf, .presets = "fault 742 refuse 7;set sddelem 0xC0 none",
     .words = "enable_phy", .out = kPhyUp + kCalRefused + kOk,
     .ids = {690, 0, 38, 38, 1017, 767, 763, 0, 694, 757, 742}, .sent = {channel(11)}},
    {.name = "rqmcli_EnablePhyModeBeyondField", .settings = SettingsFile("[Tx]\nmode=8\n"),
     .words = "enable_phy", .out = "There was a problem with settings!--1019\n" + kError, .ids = {993}},
    {.name = "rqmcli_hf_EnablePhyModeBeyondField", .program = kHf, .settings = SettingsFile("[Tx]\nmode=8\n"),
     .words = "enable_phy", .out = "There was a problem with settings!\n" + kError},
    // rqmcli-hf sets the generator alone: no transmit restart, no re-tune.
    // rqmcli: tx, tx_stop, the re-tune, tx again, the generator.
    {.name = "rqmcli_Tone", .words = "tone -l 2",
     .out = "Tone pulse_length is 2!\n" + kIdle + kIdle + kIdle + generator(1, 2) + kOk,
     .ids = Ids{993} + kTx + Ids{33, 38, 70, 757} + kTx + Ids{739, 994}, .sent = {channel(0)}},
    {.name = "rqmcli_hf_Tone", .program = kHf, .words = "tone -l 2",
     .out = "Tone pulse_length is 2!\n" + generator(1, 2) + kOk, .ids = {739}},
    {.name = "rqmcli_ToneStop", .words = "tone_stop", .out = generator(0, 0) + kOk,
     .ids = {993, 739, 757, 994}, .sent = {channel(0)}},
    {.name = "rqmcli_hf_ToneStop", .program = kHf, .words = "tone_stop", .out = generator(0, 0) + kOk,
     .ids = {739}},
    // rqmcli sends the stop only while its record says a transmission runs.
    {.name = "rqmcli_TxStopNothingRunning", .words = "tx_stop", .out = kOk, .ids = {993, 994}},
    {.name = "rqmcli_hf_TxStopNothingRunning", .program = kHf, .words = "tx_stop", .out = kIdle + kOk,
     .ids = {993, 33, 38, 70}},
};
// clang-format on

// The stand-in holds a session, an SDD power table and the PA detector's
// gain.
class BothSims : public SimRows {
protected:
    void SetUp() override {
        SimRows::SetUp();
        if (HasFatalFailure())
            return;
        preset();
    }
    void preset() {
        ctl("set connected 1");
        ctl("set sddelem 0xE3 d000d000d000d000d000d000d000d000d000d000d000d000");
        presets(kGainPresets);
    }
};

// The ids of the messages.
Ids ids_of(const std::vector<HiMsg>& msgs) {
    Ids ids;
    for (const HiMsg& m : msgs)
        ids.push_back(m.id());
    return ids;
}

// The channels and the values pushed alone.
std::vector<HiMsg> channels_and_values(const HiLog& wire) {
    std::vector<HiMsg> out;
    for (const HiMsg& m : wire.with({757, 994}))
        if (m.id() == 757 || m.len() == 16)
            out.push_back(m);
    return out;
}

class SharedRun : public BothSims, public testing::WithParamInterface<RunRow> {};

TEST_P(SharedRun, OutputAndDriverTraffic) {
    const RunRow& row = GetParam();
    const Program& p = program_of(row);
    const RowRuns r = run_row(row, p.path, Settings::File);
    EXPECT_EQ(ids_of(r.wire.without({1016})), row.ids);
    EXPECT_EQ(channels_and_values(r.wire), hi_msgs(row.sent));
    for (const HiMsg& m : r.wire.with({1018, 1020}))
        EXPECT_EQ(m.len(), p.driverReqLen) << m.id();
    for (const HiMsg& m : r.wire.with({993}))
        EXPECT_EQ(m.len(), p.fetchLen);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, SharedRun, testing::ValuesIn(kShared), RowName());

// The commands the programs run alike: rqmcli-hf prints what rqmcli prints
// (but for the parts of difference()) and sends the same requests, but for
// the record's fetch and push (and tx's own fetch).
// clang-format off
const RunRow kAlike[] = {
    {.name = "Disconnect", .words = "disconnect"},
    {.name = "GetMac", .words = "get_mac"},
    {.name = "SetMac", .words = "set_mac -s 00:11:22:33:44:55"},
    {.name = "PhyMode", .words = "phy_mode 2GHZ"},
    {.name = "Regulatory", .words = "regulatory 5"},
    {.name = "PowerLevel", .words = "power_level 42"},
    {.name = "Bandwidth", .words = "bandwidth"},
    {.name = "Subchannel", .words = "subchannel"},
    {.name = "TxCount", .words = "tx -n 5"},
    {.name = "TxStatus", .words = "tx_status"},
    {.name = "TxCfg", .words = "tx_cfg"},
    {.name = "Rx", .words = "rx"},
    {.name = "RxStop", .words = "rx_stop"},
    {.name = "Gain", .words = "gain"},
    {.name = "Calibration", .words = "calibration"},
    {.name = "WriteMem", .words = "write_mem 0x4 0x5"},
    {.name = "HwWriteReg", .words = "hw_write_reg 0x4 0x5"},
    {.name = "HwReadReg", .words = "hw_read_reg 0x4"},
    {.name = "ReadReg", .words = "read_reg"},
    {.name = "WriteReg", .words = "write_reg"},
    {.name = "LoadReg", .words = "load_reg"},
    {.name = "SaveReg", .words = "save_reg"},
    {.name = "ReadEfuse", .words = "read_efuse MAC"},
    {.name = "GetAntifuse", .words = "get_antifuse"},
    {.name = "GetFreqOffset", .words = "get_freq_offset"},
    {.name = "SoftReset", .words = "soft_reset"},
    {.name = "SddConfig", .words = "sdd_config"},
    {.name = "ReadMem", .words = "read_mem -a 0x4 -l 4"},
    {.name = "SetFreqOffset", .words = "set_freq_offset 200"},
    {.name = "WriteEfuse", .words = "write_efuse DCXO_TRIM 80"},
};
// clang-format on

// Where rqmcli-hf's text differs: the part of rqmcli's, and what
// rqmcli-hf prints in its place.
std::pair<std::string, std::string> difference(const std::string& name) {
    if (name == "ReadMem")
        return {"\t  00\t     04 \t08\t   0C\t      10\t 14\t    18\t       1C",
                "       00         04         08         0C         10         14         18         1C"};
    if (name == "SetFreqOffset")
        return {", reference value:0~127\n", ""};
    if (name == "WriteEfuse")
        return {"[write_dcxo_trim],2895 exit! reference value:0~127.\nret",
                "[CMD_Interpret],2656 exit! reference value:0~127.\nm_status"};
    return {"", ""};
}

class AlikeRun : public BothSims, public testing::WithParamInterface<RunRow> {};

TEST_P(AlikeRun, SameTextAndRequests) {
    const RunRow& row = GetParam();
    CliRun r[2];
    for (size_t which : {0, 1}) {
        ctl("reset");
        preset();
        r[which] = run_on_sim(kPrograms[which].path, split(row.words), Settings::File);
        ASSERT_FALSE(r[which].timed_out) << kPrograms[which].name;
    }
    const auto [rqmcli, hf] = difference(row.name);
    std::string expected = r[0].out;
    const size_t at = expected.find(rqmcli);
    ASSERT_NE(at, std::string::npos) << r[0].out;
    EXPECT_EQ(r[1].out, expected.replace(at, rqmcli.size(), hf));
    EXPECT_EQ(ids_of(r[1].wire.without({1016, 993, 994})), ids_of(r[0].wire.without({1016, 993, 994})));
    EXPECT_EQ(r[1].wire.with({757}), r[0].wire.with({757}));
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, AlikeRun, testing::ValuesIn(kAlike), RowName());

// ---- rqmcli-hf's values, across runs ----

// ids and sent: those of the last run, as for SharedRun.
const std::string kFetchStatus =
    "RQM_Get_Cli_Param failed (5:BOOT_ERR_CONNECTED\tRQM has already connected!)\n";
const std::string kHt13 = "mode is _802_11_N_OFDM_SHORT_GREENFIELD_\nrate is _13_Mbps_QPSK_Code_1_2_\n";

// clang-format off
const RunRow kAcross[] = {
    // tx takes the mode, bandwidth and sub-channel that earlier runs left,
    // and packets of that mode's length.
    {.name = "RateThenTx", .words = "bandwidth 40M|rate -m 4 -r 13|tx",
     .out = kBandwidth40 + kOk + "line:1561 setting.Tx_bandwidth = 2\nsetting.Tx_subchannel\n" + kHt13 +
         kSet + kIdle + kOk,
     .ids = Ids{993} + kTx,
     .after = "txmib.length=4095;txmib.bw40=1;mem 0x0AB98010=0x00001c04;mem 0x0AB98018=0x0fff0001"},
    {.name = "TxForcedThenStopped", .words = "tx -f 1|tx_stop", .out = kIdle + kOk + kIdle + kOk,
     .ids = {993, 994, 33, 38, 70}, .sent = {pushed(0, 1)}, .after = "param.forced=0"},
    // A fetch that failed gives no saved values: the settings' mode and no forced form.
    {.name = "TxFetchFailed", .presets = "set param mode 4;set param forced 1;fault 993 status 5",
     .words = "tx", .out = kFetchStatus + kIdle + kOk, .ids = Ids{993} + kTx,
     .after = "txmib.length=1024;param.forced=1"},
    {.name = "TxStopFetchFailed", .presets = "set param forced 1;fault 993 status 5", .words = "tx_stop",
     .out = kFetchStatus + kIdle + kOk, .ids = {993, 33, 38, 70}, .after = "param.forced=1"},
    // LOWER: the radio's lower sub-channel, the transmit control word's upper one.
    {.name = "SubchannelLower", .presets = "set txmib lower 1", .words = "subchannel LOWER",
     .out = "Set sub channel lower!\nPlease set channel after setting subchannel!\n" + kOk,
     .ids = {697, 0, 38, 994}, .sent = {pushed(0, 7)},
     .after = "phy.subchannel=0;txmib.lower=0;param.subchannel=0"},
};
// clang-format on

class AcrossRuns : public BothSims, public testing::WithParamInterface<RunRow> {};

TEST_P(AcrossRuns, SavedValuesTaken) {
    const RowRuns r = run_row(GetParam(), RQMCLI_HF_SIM_PATH, Settings::File);
    EXPECT_EQ(ids_of(r.runs.back().wire.without({1016})), GetParam().ids);
    EXPECT_EQ(channels_and_values(r.runs.back().wire), hi_msgs(GetParam().sent));
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
    const std::pair<uint32_t, uint32_t> values[] = {{11, 3}, {2, 6},  {1, 7}, {4, 4},
                                                    {7, 5},  {16, 0}, {1, 1}, {99, 2}};
    Msgs pushes;
    for (const auto& [value, id] : values) {
        EXPECT_EQ(RQM_SetParamToDev(ctx, value, id), RQM_SUCCESS);
        pushes.push_back(pushed(value, id));
    }
    EXPECT_EQ(HiLog(sim().received()).all(), hi_msgs(pushes));

    ctx = open();  // a new context and channel, as the next run has
    ASSERT_NE(ctx, nullptr);
    CliSavedParams saved{};
    EXPECT_EQ(RQM_Get_Cli_Param(ctx, &saved), RQM_SUCCESS);
    EXPECT_EQ(saved.Word, (std::array<uint32_t, CLI_SAVED_WORDS>{16, 1, 11, 4, 7, 2, 1}));
    EXPECT_EQ(HiLog(sim().received()).with({993}), hi_msgs({HiBuild(993, {0})}));
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
