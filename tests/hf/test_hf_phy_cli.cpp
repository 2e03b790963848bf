// rqmcli-hf's forms of the PHY commands, in-process against the stand-in:
// the channel command's "tone" word and its missing "5GHZ", Enable_Phy
// without the SDD version and without step numbers, and the shorter line
// of an illegal frequency offset.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/get_settings.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "sim/sim_util.h"
#include "tests/support/sdd_builder.h"
#include "tests/support/sim_fixture.h"

namespace {

constexpr uint32_t NO_CHANNEL = 0xFFFFFFFF;
const std::string kCheck = "Here phy mode param is only for channel check!\n";
const std::string kGain = "Transmit gain register value:\ndigital:\t34\nanalogue:\t17\nindex:\t\t3\n\n";
const std::string kChannelHelp =
    "Invalid params input!Please check again!\nRQM version: 1.4.1\n\n"
    "channel\t\t[OFDM_2GHZ/DSSS_2GHZ/2GHZ]\t[channelNum]\t\there phy mode param is only for channel "
    "check!\n\n";

struct HfCase {
    const char* name;
    std::string preset;  // one control line, or none
    std::string settings;
    const char* words;
    int result;
    std::string out;
    std::vector<unsigned> ids;  // of the PHY, power, SDD and block-write requests
    uint32_t channelWord;       // of 757, NO_CHANNEL without one
};

void PrintTo(const HfCase& c, std::ostream* os) {
    *os << c.name;
}

const HfCase kCases[] = {
    {"ToneChannelOneLower",
     "",
     "",
     "channel OFDM_2GHZ 16 tone",
     0,
     "channel 16 ok ---Single tone\n" + kCheck,
     {757},
     15},
    {"No5GhzWord", "", "", "channel 5GHZ 1 36", 1, kChannelHelp, {}, NO_CHANNEL},
    {"Ofdm5GhzWord", "", "", "channel OFDM_5GHZ 1 36", 0, kCheck, {757}, 36},
    // The power from the old element in whole dB, and no version asked.
    {"EnablePhyWithoutVersion",
     "fault 742 refuse 7",
     "",
     "enable_phy",
     0,
     "power level:42\n" + kGain +
         "Phy mode is OFDM_DSSS_2GHZ!\nChannel is 7!\nRQM not connect,please connect first!\n"
         "RQM_CalibrateTransmitter failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n",
     {690, 38, 38, 1017, 767, 694, 757, 742},
     7},
    {"EnablePhyModeBeyondField",
     "",
     "[Tx]\nmode=8\n",
     "enable_phy",
     -1,
     "There was a problem with settings!\n",
     {},
     NO_CHANNEL},
    {"FreqOffsetIllegal",
     "set txmib freq_offset 9",
     "",
     "set_freq_offset 200",
     0,
     "the freq_offset is illegalityCur freq_offset = 9.\n",
     {38},
     NO_CHANNEL},
};

class HfPhyCli : public InProcessOn<WithSim>, public testing::WithParamInterface<HfCase> {
protected:
    void TearDown() override {
        g_rqm_config.pRqmApiContext = nullptr;
        InProcessOn<WithSim>::TearDown();
    }
};

TEST_P(HfPhyCli, Runs) {
    const HfCase& c = GetParam();
    SddBuilder b;
    b.version(2, 5).power(0xE3, std::vector<uint16_t>(12, 13 * 16)).power(0xB0, std::vector<uint16_t>(12, 0));
    open({"set sdd " + sim_hex(b.bytes), "set padet index 3", "set gain 3 17 34",
          c.preset.empty() ? "state" : c.preset});
    g_rqm_config.pRqmApiContext = ctx_;
    g_driver_data = {};
    InitSettings(&setting);
    cli_settings_from_text({c.settings.data(), static_cast<uint32_t>(c.settings.size())}, &setting);

    std::istringstream in(std::string("rqmcli-hf ") + c.words);
    std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    testing::internal::CaptureStdout();
    const int result = CMD_Interpret(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    EXPECT_EQ(result, c.result);

    const HiLog wire(sim().received());
    EXPECT_EQ(wire.ids({38, 690, 694, 742, 757, 767, 1017}), c.ids);
    if (c.channelWord != NO_CHANNEL) {
        EXPECT_EQ(wire.one(757).words(), (Words{0, c.channelWord}));
    }
    for (const HiMsg& m : wire.with({1017}))
        EXPECT_EQ(m.u8(5), 0xE3);
    EXPECT_EQ(g_driver_data.Word[CLI_WORD_SDD_VERSION], 0);
}

INSTANTIATE_TEST_SUITE_P(Commands, HfPhyCli, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
