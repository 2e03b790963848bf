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
#include "tests/support/sim_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Program {
    const char* name;
    const char* path;
    const char* banner;
    unsigned driverReqLen;  // connect and reconnect
};

const Program kPrograms[] = {
    {"rqmcli", RQMCLI_SIM_PATH, "RQM version: 2.0.9  DATE TIME\n\n", 12},
    {"rqmcli_hf", RQMCLI_HF_SIM_PATH, "RQM version: 1.4.1\n\n", 8},
};

const std::string kHint = "Input [help] for help message.Add options for more details!\n";
const std::string kOk = "Sending CMD OK!\n";
const std::string kRunning = "RQM fw is running!!\n\n";
const std::string kFacts = "FirmwareApiVer:0x427\nFirmwareLabel:RQMFW_Q23.02.0017\n";
const std::string kMac = "Source mac address:\t00:11:22:33:44:55\n";
const std::string kMacs =
    "Source mac address:\t02:00:00:00:00:01\nDest mac "
    "address:\tFF:FF:FF:FF:FF:FF\nBSSID:\t\t\t02:00:00:00:00:02\n";
// The generator's lines for the settings' tones.
std::string generator(int mode, int length) {
    return "RQM_SetPulsedToneGen:eTMode=" + std::to_string(mode) + "\ndFreq_hz=5000000.000000\n" +
           "dAmp_db=0.000000\ndFreq2_hz=5000000.000000\ndAmp2_db=0.000000\n" +
           "frameLen=" + std::to_string(length) + "\ndelay=0\n";
}
// Where a page follows the banner, the banner is the program's.
const std::string kPage = "PAGE", kFull = "FULL";

struct SharedCase {
    const char* name;
    bool connected;  // the driver holds a session already
    std::vector<std::string> words;
    std::array<std::string, 2> out;  // rqmcli, rqmcli-hf ("": as rqmcli)
    std::array<std::vector<unsigned>, 2> requests;
};

const SharedCase kShared[] = {
    {"Connect",
     false,
     {"connect"},
     {kRunning + kOk, kRunning + kFacts + kOk},
     {{{1016, 1018, 993, 994}, {1016, 1018}}}},
    {"GetMac", true, {"get_mac"}, {kMacs + kOk}, {{{1016, 993, 55, 55, 55, 994}, {1016, 55, 55, 55}}}},
    {"SetMac",
     true,
     {"set_mac", "-s", "00:11:22:33:44:55"},
     {kMac + kOk},
     {{{1016, 993, 56, 994}, {1016, 56}}}},
    {"Reconnect", true, {"reconnect"}, {kRunning + kOk}, {{{1016, 993, 1020, 994}, {1016, 1020}}}},
    {"Disconnect", true, {"disconnect"}, {kOk}, {{{1016, 1019}, {1016, 1019}}}},
    {"HelpPage", false, {"help", "all"}, {"All cmds list below!\n" + kFull + kHint}, {}},
    {"UnknownWord",
     true,
     {"txx"},
     {"unknown cmd!" + kPage + kHint, "unknown cmd!\n" + kPage + kHint},
     {{{1016, 993}, {1016}}}},
    // rqmcli takes a word's beginning; rqmcli-hf only the whole word.
    {"ShortenedWord",
     true,
     {"he"},
     {kPage + kHint, "unknown cmd!\n" + kPage + kHint},
     {{{1016, 993}, {1016}}}},
    // rqmcli-hf sets the generator alone: no transmit restart, no re-tune.
    {"Tone",
     true,
     {"tone", "-l", "2"},
     {"Tone pulse_length is 2!\ntxed=0, acked=0\ntxed=0, acked=0\ntxed=0, acked=0\n" + generator(1, 2) + kOk,
      "Tone pulse_length is 2!\n" + generator(1, 2) + kOk},
     {{{1016, 993, 70, 70, 757, 70, 739, 994}, {1016, 739}}}},
    {"ToneStop", true, {"tone_stop"}, {generator(0, 0) + kOk}, {{{1016, 993, 739, 757, 994}, {1016, 739}}}},
};

std::string expand(std::string text, const Program& p) {
    for (const auto& [mark, page] :
         {std::pair{kPage, help_page(false, p.banner)}, {kFull, help_page(true, p.banner)}})
        if (const size_t at = text.find(mark); at != std::string::npos)
            text.replace(at, mark.size(), page);
    return text;
}

class SharedRun : public WithSim, public testing::WithParamInterface<std::tuple<size_t, SharedCase>> {};

TEST_P(SharedRun, OutputAndDriverTraffic) {
    const auto& [which, c] = GetParam();
    const Program& p = kPrograms[which];
    ctl(c.connected ? "set connected 1" : "set connected 0");
    const CliRun r = run_on_sim(p.path, c.words, Settings::File);
    ASSERT_FALSE(r.timed_out) << testing::PrintToString(r);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(normalized(r.out), expand(c.out[which].empty() ? c.out[0] : c.out[which], p));
    EXPECT_EQ(r.wire.ids({55, 56, 70, 739, 757, 993, 994, 1016, 1018, 1019, 1020}), c.requests[which]);
    for (const HiMsg& m : r.wire.with({1018, 1020}))
        EXPECT_EQ(m.len(), p.driverReqLen) << m.id();
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, SharedRun,
                         testing::Combine(testing::Values(0, 1), testing::ValuesIn(kShared)),
                         [](const auto& info) {
                             return std::string(kPrograms[std::get<0>(info.param)].name) + "_" +
                                    std::get<1>(info.param).name;
                         });

// ---- the saved values ----

class SavedParams : public WithSim {
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
    {"LastWordMissing", "fault 993 short 36", RQM_NO_CONFIRMATION, 5, 0},
    {"Refused", "fault 993 refuse 7", 7, 0xEE, 0xEE},
};

class SavedFetch : public SavedParams, public testing::WithParamInterface<FetchCase> {};

// Only a whole answer with status 0 is a success: the commands that load
// saved values fall back on their settings otherwise.
TEST_P(SavedFetch, ResultAndWords) {
    const FetchCase& c = GetParam();
    ctl("set param rate_index 5");
    ctl("set param subchannel 5");
    ctl(c.fault);
    RqmApiContext* ctx = open();
    ASSERT_NE(ctx, nullptr);
    CliSavedParams saved;
    saved.Word.fill(0xEE);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_Get_Cli_Param(ctx, &saved), c.result);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(saved.Word[CLI_SAVED_RATE_INDEX], c.first);
    EXPECT_EQ(saved.Word[CLI_SAVED_SUBCHANNEL], c.last);
}

INSTANTIATE_TEST_SUITE_P(Answers, SavedFetch, testing::ValuesIn(kFetches),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
