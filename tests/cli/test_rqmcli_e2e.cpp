// Whole runs of the program, one process per run as on the board, against
// the stand-in driver: what each run prints, its exit status, which requests
// reach the driver and in what order, and the tool-state record the driver
// holds when the run is over. Then the tool-state exchange itself,
// in-process, byte for byte; and the shipped ARM program under the emulator.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "api/rqm_api.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "sim/sim_util.h"
#include "tests/support/help_pages.h"
#include "tests/support/sim_process.h"
#include "tests/support/sim_rows.h"
#include "transport/adapter.h"
#include "transport/vormac_adapter.h"

namespace {

// ---- the texts the program prints ----

const std::string kHint = "Input [help] for help message.Add options for more details!\n";
const std::string kBanner = "RQM version: 2.0.9  DATE TIME\n\n";

const std::string kGeneralPage = help_page(false, kBanner);
const std::string kFullPage = help_page(true, kBanner);

const std::string kTxPage2 = option_page("\nhelp tx msg:", kTxOpts, 2);
const std::string kTxPage6 = option_page("\nhelp tx msg:", kTxOpts, 6);
const std::string kTxPageAll = option_page("\nhelp tx msg:", kTxOpts, 19);
const std::string kTonePage = option_page("\nhelp tone msg:", kToneOpts, 7);
const std::string kRatePage = option_page("\nhelp rate msg:", kRateOpts, 2);
const std::string kSetMacWordPage = option_page("\nhelp setmac msg:", kMacOpts, 3);
const std::string kSetMacOptionPage = option_page("\nhelp set mac msg:", kMacOpts, 3, "[XX:XX:XX:XX:XX:XX]");
const std::string kMemoryPage = option_page("\nhelp memory msg:", kMemOpts, 8);

const std::string kStars(73, '*');
const std::string kVersionBanner =
    kStars + "\n*" + std::string(71, ' ') + "*\n" +
    "*    Your Adapter version is too low, 1.1.2 or above is recommended.    *\n*" + std::string(71, ' ') +
    "*\n" + kStars + "\n";
const std::string kNoGlobal = "[cli error]:Failed to get global variable!--3517\n";
const std::string kNotConnect = "RQM not connect,please connect first!\n";
const std::string kFetchRefused = kNotConnect + "RQM_Get_Cli_Param-1376 ErrCode = 7\n" +
                                  "RQM_Get_Cli_Param failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n";
const std::string kNoAnswer =
    "Wait for cnf timed out!\nAdapter_Request pRqmApiContext->MsgReceivedSize == 0\n";
const std::string kFetchFwDown =
    "RQM_API_FW_NOT_RUNNING!\nRQM_Get_Cli_Param-1376 ErrCode = 43\nRQM_Get_Cli_Param failed (43:unknown "
    "error)\n";
const std::string kRunning = "RQM fw is running!!\n\n";
const std::string kAlreadyConnected =
    "RQM has already connected!\nRQM_Connect failed (5:BOOT_ERR_CONNECTED\tRQM has already connected!)\n";

// ---- the tool-state record ----

Bytes pattern(uint8_t first) {
    Bytes r(CLI_DRIVER_DATA_SIZE);
    for (size_t i = 0; i < r.size(); ++i)
        r[i] = static_cast<uint8_t>(first + 3 * i);
    return r;
}

const Bytes kZero(CLI_DRIVER_DATA_SIZE, 0);
const Bytes kRecA = pattern(0x11);
const Bytes kRecB = pattern(0x80);

std::string set_record(const Bytes& r) {
    return "set record " + sim_hex(r);
}

// The record the driver holds afterwards, as a row's after.
std::string record_is(const Bytes& r) {
    return "record=" + sim_hex(r);
}

// The record a connect leaves with the driver: the defaults over what it
// fetched, and the chip-variant flag of the firmware's label.
Bytes connect_defaults(const Bytes& fetched, uint16_t chipVariant) {
    static constexpr std::pair<unsigned, uint16_t> kDefaults[] = {
        {0, 16}, {1, 0},    {2, 2},  {3, 7},  {4, 1},  {5, 1},  {6, 0},  {7, 1},
        {8, 1},  {9, 1000}, {10, 0}, {11, 0}, {13, 0}, {14, 0}, {15, 0}, {16, 1},
    };
    Bytes r = fetched;
    for (const auto& [word, value] : kDefaults)
        hi_wr16(r.data() + 2 * word, value);
    hi_wr16(r.data() + 2 * 18, chipVariant);
    return r;
}

// The fetch request, and the push of a record: 50 bytes and two of padding.
const Bytes kFetchRequest = HiBuild(993, {0, 0, 0x02000009});

Bytes push_request(const Bytes& record) {
    return HiBuild(994, {0, 50, 0x02000009}).put(record.data(), record.size()).zeros(2);
}

const Bytes kRecBConnected = connect_defaults(kRecB, 1);

// The records the driver holds after each run, as a row's after.
std::string records_after(const Msgs& records) {
    std::string after;
    for (const Bytes& r : records)
        after += (after.empty() ? "" : "|") + record_is(r);
    return after;
}

Bytes first_bytes(const Bytes& r, size_t n) {
    Bytes out(CLI_DRIVER_DATA_SIZE, 0);
    std::copy_n(r.begin(), n, out.begin());
    return out;
}

// ---- exactly "help", or no word: nothing but the help text ----

const std::string kInvalidParams = "Invalid params input!Please check again!\n" + kGeneralPage + kHint;

// clang-format off
const RunRow kHelpCases[] = {
    {.name = "NoWord", .out = kGeneralPage + kHint},
    {.name = "Help", .words = "help", .out = kGeneralPage + kHint},
    {.name = "TxWord", .words = "help tx", .out = kTxPage6 + kHint},
    {.name = "TxOptionWinsOverWord", .words = "help -t tx", .out = kTxPage2 + kHint},
    {.name = "OptionAfterTheWordWinsToo", .words = "help tx -t", .out = kTxPage2 + kHint},
    {.name = "TxAll", .words = "help -T", .out = kTxPageAll + kHint},
    {.name = "TxAllLong", .words = "help --help_tx_all", .out = kTxPageAll + kHint},
    {.name = "SetMacWord", .words = "help set_mac", .out = kSetMacWordPage + kHint},
    {.name = "SetMacOption", .words = "help -m", .out = kSetMacOptionPage + kHint},
    {.name = "ToneWord", .words = "help tone", .out = kTonePage + kHint},
    {.name = "ToneOption", .words = "help -o", .out = kTonePage + kHint},
    {.name = "RateWord", .words = "help rate extra", .out = kRatePage + kHint},
    {.name = "RateOption", .words = "help --help_rate", .out = kRatePage + kHint},
    {.name = "MemoryWord", .words = "help memory", .out = kMemoryPage + kHint},
    {.name = "MemoryOption", .words = "help -M", .out = kMemoryPage + kHint},
    {.name = "AllWord", .words = "help all", .out = "All cmds list below!\n" + kFullPage + kHint},
    {.name = "AllOption", .words = "help -a", .out = kFullPage + kHint},
    {.name = "OptionsRunInTheirOrder", .words = "help -r -t", .out = kRatePage + kTxPage2 + kHint},
    {.name = "GroupedOptions", .words = "help -ot", .out = kTonePage + kTxPage2 + kHint},
    {.name = "UnknownWord", .words = "help bogus", .out = kInvalidParams},
    {.name = "WordsAreExact", .words = "help TX", .out = kInvalidParams},
    {.name = "UnknownOption", .words = "help -z", .out = "Params set error!\n" + kHint,
     .err = "help: invalid option -- 'z'\n"},
    // The options before the bad one have run already.
    {.name = "UnknownOptionAfterAGoodOne", .words = "help -tz",
     .out = kTxPage2 + "Params set error!\n" + kHint, .err = "help: invalid option -- 'z'\n"},
    {.name = "UnknownLongOption", .words = "help --bogus", .out = "Params set error!\n" + kHint,
     .err = "help: unrecognized option '--bogus'\n"},
};
// clang-format on

class HelpRun : public SimRows, public testing::WithParamInterface<RunRow> {};

// The settings file is a FIFO nobody writes: a run that looked at it would
// say so.
TEST_P(HelpRun, PrintsOnlyHelpAndTouchesNothing) {
    ctl("set connected 1");
    EXPECT_TRUE(run_row(GetParam(), RQMCLI_SIM_PATH, Settings::Fifo).wire.empty()) << "the driver was asked";
}

INSTANTIATE_TEST_SUITE_P(Pages, HelpRun, testing::ValuesIn(kHelpCases), RowName());

TEST_F(WithSim, AnyOtherWordReadsTheSettingsFileFirst) {
    // The same FIFO fails a run of any other word before it reaches the
    // driver, which is what makes the help runs above a real check; it
    // neither waits for a writer nor goes on without its settings.
    ctl("set connected 1");
    const CliRun r = run_on_sim(RQMCLI_SIM_PATH, {"he"}, Settings::Fifo, 5000);
    ASSERT_FALSE(r.timed_out) << testing::PrintToString(r);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "\"./settings.ini\" is not a regular file!\nSending CMD error!\n");
    EXPECT_TRUE(r.wire.empty());
}

// ---- start-up, dispatch and the record around the command ----

// Every case starts with the record kRecA in the driver. ids: the
// driver-level requests (driver_requests). Which requests a handler sends
// to the firmware is its own business; the words here are chosen so that
// its outcome is fixed by the stand-in.
// clang-format off
const RunRow kRunCases[] = {
    {.name = "HePrefixRunsHelpAfterTheFullStartUp", .presets = "set connected 1", .words = "he",
     .out = kGeneralPage + kHint, .ids = {1016, 993}, .after = record_is(kRecA)},
    {.name = "HelpOptionsThroughTheDispatcher", .presets = "set connected 1", .words = "h -t",
     .out = kTxPage2 + kHint, .ids = {1016, 993}, .after = record_is(kRecA)},
    {.name = "HelpBadOptionThroughTheDispatcherIsACommandError", .presets = "set connected 1",
     .words = "he -z", .out = "Params set error!\n" + kError, .err = "he: invalid option -- 'z'\n",
     .ids = {1016, 993}, .after = record_is(kRecA)},
    {.name = "UnknownWordContinuesOnTheLine", .presets = "set connected 1", .words = "txx",
     .out = "unknown cmd!" + kGeneralPage + kHint, .ids = {1016, 993}, .after = record_is(kRecA)},
    {.name = "FailedFetchIsSilentForOtherWords", .presets = "set connected 1;fault 993 refuse 7",
     .words = "txx", .out = kFetchRefused + "unknown cmd!" + kGeneralPage + kHint, .ids = {1016, 993},
     .after = record_is(kRecA)},
    {.name = "EmptyWordSelectsConnectAfterAFetch", .presets = "set connected 1", .words = "\"\"",
     .out = kSkip + kError, .ids = {1016, 993, 1018}, .after = record_is(kRecA)},
    // A refused connect leaves the record of the session in progress.
    {.name = "ConnectRefusedNeitherFetchesNorPushes", .presets = "set connected 1", .words = "connect",
     .out = kSkip + kError, .ids = {1016, 1018}, .after = record_is(kRecA)},
    {.name = "ConnectResetsTheRecordKeepingItsChipVariant", .presets = "set label FW_Q23.02.0017",
     .words = "connect", .out = kRunning + kOk, .ids = {1016, 1018, 993, 994},
     .after = record_is(connect_defaults(kRecA, 1))},
    {.name = "ConnectToAnotherPlatform", .presets = "set label FW_Q24.01.0003", .words = "connect",
     .out = kRunning + kOk, .ids = {1016, 1018, 993, 994}, .after = record_is(connect_defaults(kRecA, 0))},
    // Only the label's first 'Q' counts, and the stand-in's own label has
    // one in its first word.
    {.name = "ConnectWithTheStandInsLabel", .words = "connect", .out = kRunning + kOk,
     .ids = {1016, 1018, 993, 994}, .after = record_is(connect_defaults(kRecA, 0))},
    {.name = "ConnectToAnOldDriverPushesNothing", .presets = "set version 0x01010001", .words = "connect",
     .out = kRunning + kOk, .ids = {1016, 1018, 993}, .after = record_is(kRecA)},
    {.name = "ConnectWhoseRefetchFailsPushesNothing", .presets = "fault 993 refuse 7", .words = "connect",
     .out = kRunning + kOk + kFetchRefused, .ids = {1016, 1018, 993}, .after = record_is(kRecA)},
    {.name = "DisconnectNeitherFetchesNorPushes", .presets = "set connected 1", .words = "disconnect",
     .out = kOk, .ids = {1016, 1019}, .after = record_is(kRecA)},
    {.name = "DisPrefixFetchesAndPushesBack", .presets = "set connected 1", .words = "dis", .out = kOk,
     .ids = {1016, 993, 1019, 994}, .after = record_is(kRecA)},
    {.name = "PushCarriesWhatTheFetchGot", .presets = "set connected 1;set cli_len 7", .words = "dis",
     .out = kOk, .ids = {1016, 993, 1019, 994}, .after = record_is(first_bytes(kRecA, 7))},
    {.name = "FetchStatusStillFillsAndPushes", .presets = "set connected 1;fault 993 status 5",
     .words = "dis",
     .out = "RQM_Get_Cli_Param failed (5:BOOT_ERR_CONNECTED\tRQM has already connected!)\n" + kOk,
     .ids = {1016, 993, 1019, 994}, .after = record_is(kRecA)},
    {.name = "OldDriverGetsNoPush", .presets = "set connected 1;set version 0x01010001", .words = "dis",
     .out = kOk, .ids = {1016, 993, 1019}, .after = record_is(kRecA)},
    {.name = "FailedFetchMeansNoPush", .presets = "set connected 1;fault 993 refuse 7", .words = "dis",
     .out = kFetchRefused + kOk, .ids = {1016, 993, 1019}, .after = record_is(kRecA)},
    {.name = "FailedCommandMeansNoPush", .presets = "set connected 1;fault 1019 refuse 7", .words = "dis",
     .out = kNotConnect + "RQM_Disconnect failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n" + kError,
     .ids = {1016, 993, 1019}, .after = record_is(kRecA)},
    {.name = "DriverRefusingToSaveStillExitsZero", .presets = "set connected 1;fault 994 status 1",
     .words = "dis", .out = kOk + "Error saving parameter!\n", .ids = {1016, 993, 1019, 994},
     .after = record_is(kRecA)},
    {.name = "FailedPushIsReportedAndExitsZero", .presets = "set connected 1;fault 994 refuse 7",
     .words = "dis",
     .out = kOk + kNotConnect + "Adapter_Request pRqmApiContext->MsgReceivedSize == 0\n" +
         "RQM_SetParamToDrive failed (1:BOOT_ERR_DECODE\tFirmware error!)\n" + "[cli error]:Failed to set "
         "global variable!--3543\n",
     .ids = {1016, 993, 1019, 994}, .after = record_is(kRecA)},
    {.name = "EnablePhyWarnsOfAnOldDriver", .presets = "set connected 1;set version 0x01010001",
     .words = "enable_phy", .out = kVersionBanner + kNoGlobal + kSkip, .ids = {1016, 993},
     .after = record_is(kRecA)},
    // The PHY comes up on the stand-in's SDD, so the record goes back.
    {.name = "EnablePhyReportsAFetchStatus", .presets = "set connected 1;fault 993 status 5",
     .words = "enable_phy",
     .out = "RQM_Get_Cli_Param failed (5:BOOT_ERR_CONNECTED\tRQM has already connected!)\n" + kNoGlobal +
         kSkip,
     .ids = {1016, 993, 994}},
    {.name = "EnablePhyWithTheFirmwareDown", .words = "enable_phy", .out = kFetchFwDown + kNoGlobal + kSkip,
     .ids = {1016}, .after = record_is(kRecA)},
    // Only the exact word is verbose.
    {.name = "EnablePhPrefixIsQuiet", .presets = "set connected 1;set version 0x01010001",
     .words = "enable_ph",
     .out = "power level:74\n" + kStandInGain + "Phy mode is OFDM_DSSS_2GHZ!\nChannel is 11!\n" +
         kStandInCalibration + kOk,
     .ids = {1016, 993}, .after = record_is(kRecA)},
    {.name = "EnablePhyWordAfterAnotherIsNotTheCommand", .presets = "set connected 1;set version 0x01010001",
     .words = "txx enable_phy", .out = "unknown cmd!" + kGeneralPage + kHint, .ids = {1016, 993},
     .after = record_is(kRecA)},
    {.name = "InitRefused", .presets = "fault 1016 refuse 7", .words = "he", .exit = 255,
     .out = kNotConnect + "RQM_GetAPIContext failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n"
         "Init error!\n",
     .ids = {1016}, .after = record_is(kRecA)},
    {.name = "InitAnswerTooShort", .presets = "fault 1016 short 6", .words = "he", .exit = 255,
     .out = "RQM_GetAPIContext failed (1:BOOT_ERR_DECODE\tFirmware error!)\nInit error!\n", .ids = {1016},
     .after = record_is(kRecA)},
    {.name = "InitStatus", .presets = "fault 1016 status 9", .words = "txx", .exit = 255,
     .out = "RQM_GetAPIContext failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!)\nInit error!\n",
     .ids = {1016}, .after = record_is(kRecA)},
    // Every run is a new process; the session lives in the driver. The
    // first "he" is not connected: its fetch is refused before it is sent,
    // and so is the first "disconnect".
    {.name = "SessionAcrossRuns", .presets = set_record(kRecB) + ";set label FW_Q23.01",
     .words = "he|connect|he|txx|connect|dis|disconnect|connect|disconnect",
     .out = kFetchFwDown + kGeneralPage + kHint + kRunning + kOk + kGeneralPage + kHint + "unknown cmd!" +
         kGeneralPage + kHint + kAlreadyConnected + kError + kOk + "RQM_API_FW_NOT_RUNNING!\n"
         "RQM_Disconnect failed (43:unknown error)\n" + kError + kRunning + kOk + kOk,
     .ids = {1016, 1016, 1018, 993, 994, 1016, 993, 1016, 993, 1016, 1018, 1016, 993, 1019, 994, 1016, 1016,
         1018, 993, 994, 1016, 1019},
     .after = records_after(std::vector<Bytes>{kRecB} + std::vector<Bytes>(8, kRecBConnected))},
};
// clang-format on

class CommandRun : public SimRows, public testing::WithParamInterface<RunRow> {};

TEST_P(CommandRun, OutputRequestsAndRecord) {
    ctl(set_record(kRecA));
    EXPECT_EQ(driver_requests(run_row(GetParam(), RQMCLI_SIM_PATH, Settings::File).wire), GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(Words, CommandRun, testing::ValuesIn(kRunCases), RowName());

// The request a run sends for its record, as it leaves the tool.
TEST_F(WithSim, RecordRequestsOfARunByteForByte) {
    ctl("set connected 1");
    ctl(set_record(kRecB));
    const CliRun r = run_on_sim(RQMCLI_SIM_PATH, {"dis"});
    ASSERT_EQ(r.exit_code, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.wire.with({993, 994}), hi_msgs({kFetchRequest, push_request(kRecB)}));
}

// ---- programs that cannot reach a driver ----

TEST_F(WithSim, NoDriverBehindThePort) {
    // The channel opens, but nobody listens where the datagrams go: above
    // every process id and below every stand-in's port.
    const std::string nobody = std::to_string(4194400 + getpid() % 5000);
    const RunResult r =
        run_program(RQMCLI_SIM_PATH, {"he"}, Settings::None, 10000, {{"RQMSIM_PORT", nobody}});
    EXPECT_EQ(r.exit_code, 255) << testing::PrintToString(r);
    EXPECT_EQ(r.out,
              "Driver exception!Please check!!\nRQM_GetAPIContext failed (41:unknown error)\nInit error!\n");
    // Where it looked, and how to start the stand-in there.
    EXPECT_EQ(r.err, "rqmsim is not answering on port " + nobody + ": start it with \"rqmsim --port " +
                         nobody + " &\"\n");
}

const std::string kNoChannel =
    "adapter_connect socket error(-1)!\nDriver exception!Please check!!\nInit error!\n";

// A port that is not one is refused before the channel opens, never taken
// for the default port, where another stand-in may be listening.
TEST_F(WithSim, PortThatIsNotANumberIsRefused) {
    for (const char* port : {"abc", "0", "-1", "4294967296", "0x", "12 "}) {
        SCOPED_TRACE(port);
        const RunResult r =
            run_program(RQMCLI_SIM_PATH, {"he"}, Settings::None, 10000, {{"RQMSIM_PORT", port}});
        EXPECT_EQ(r.exit_code, 255) << testing::PrintToString(r);
        EXPECT_EQ(r.out, kNoChannel);
        EXPECT_EQ(r.err,
                  "RQMSIM_PORT \"" + std::string(port) +
                      "\" is not a port of rqmsim: give 1 to 4294967295, or leave it unset for 4200000\n");
    }
}

// The shipped program speaks the driver's own protocol, which this
// machine does not have.
TEST_F(WithSim, ShippedProgramFindsNoDriverHere) {
    for (const char* word : {"he", "connect"}) {
        SCOPED_TRACE(word);
        const CliRun r = run_on_sim(RQMCLI_PATH, {word}, Settings::File);
        EXPECT_EQ(r.exit_code, 255) << testing::PrintToString(r);
        EXPECT_EQ(r.out, kNoChannel);
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(r.wire.empty());
    }
    const CliRun help = run_on_sim(RQMCLI_PATH, {"help", "tx"}, Settings::Fifo);
    EXPECT_EQ(help.exit_code, 0) << testing::PrintToString(help);
    EXPECT_EQ(help.out, kTxPage6 + kHint);
    EXPECT_TRUE(help.wire.empty());
}

// ---- the tool-state exchange in-process ----

// The API set up as the program sets it up, against the stand-in.
class ToolState : public WithSim {
protected:
    void SetUp() override {
        WithSim::SetUp();
        if (HasFatalFailure())
            return;
        sentinel_.Word.fill(0xEEEE);
    }
    void TearDown() override { close(); }

    void open(bool fwRunning = true) {
        ctl(fwRunning ? "set connected 1" : "set connected 0");
        api_.open(false);
        ctx_ = api_.ctx;
        ASSERT_NE(ctx_, nullptr);
        ASSERT_EQ(ctx_->FwRunning, fwRunning ? 1 : 0);
        ctl("log clear");
    }
    void close() {
        api_.close();
        ctx_ = nullptr;
    }

    int fetch(CliDriverData* rec, int* ok, int verbose, std::string* out) {
        testing::internal::CaptureStdout();
        const int result = RQM_Get_Cli_Param(ctx_, rec, ok, verbose);
        *out = testing::internal::GetCapturedStdout();
        return result;
    }
    int push(const Bytes& record, std::string* out) {
        CliDriverData rec{};
        for (unsigned i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
            rec.Word[i] = hi_rd16(record.data() + 2 * i);
        testing::internal::CaptureStdout();
        const int result = RQM_SetParamToDrive(ctx_, &rec);
        *out = testing::internal::GetCapturedStdout();
        return result;
    }
    Msgs requests() { return messages(sim().received()); }

    static Bytes bytes_of(const CliDriverData& rec) {
        Bytes b(CLI_DRIVER_DATA_SIZE);
        for (unsigned i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
            hi_wr16(b.data() + 2 * i, rec.Word[i]);
        return b;
    }

    ApiSession api_;
    RqmApiContext* ctx_ = nullptr;
    CliDriverData sentinel_{};
};

constexpr int kUntouched = 7;  // the ok flag before the fetch

struct FetchCase {
    const char* name;
    std::vector<std::string> presets;
    int verbose;
    int result;
    int ok;                       // kUntouched: not written
    std::optional<Bytes> record;  // nothing: not written
    std::string out;
    bool fwRunning = true;
    uint32_t timeoutMs = 10000;
};

const std::string kShortAnswer = "RQM_Get_Cli_Param failed (1:BOOT_ERR_DECODE\tFirmware error!)\n";
const std::string kCutAnswer = "RQM_Get_Cli_Param-1376 ErrCode = 1\n" + kShortAnswer;

const FetchCase kFetchCases[] = {
    {"PresetRecord", {set_record(kRecA)}, 0, 0, 1, kRecA, ""},
    {"FreshDriverAndItsDefaultVersion", {}, 1, 0, 1, kZero, ""},
    {"LengthZeroLeavesZeros", {set_record(kRecA), "set cli_len 0"}, 0, 0, 1, kZero, ""},
    {"LengthFiftyOne", {set_record(kRecA), "set cli_len 51"}, 0, 0, 1, kRecA, ""},
    {"LengthFortyNine", {set_record(kRecA), "set cli_len 49"}, 0, 0, 1, first_bytes(kRecA, 49), ""},
    {"LengthOne", {set_record(kRecA), "set cli_len 1"}, 0, 0, 1, first_bytes(kRecA, 1), ""},
    {"StatusStillFillsTheRecord",
     {set_record(kRecA), "fault 993 status 5"},
     0,
     5,
     1,
     kRecA,
     "RQM_Get_Cli_Param failed (5:BOOT_ERR_CONNECTED\tRQM has already connected!)\n"},
    {"StatusBeyondTheNamedCodes",
     {set_record(kRecA), "fault 993 status 11"},
     0,
     11,
     1,
     kRecA,
     "RQM_Get_Cli_Param failed (11:unknown error)\n"},
    // An answer cut before the end of the record bytes it counts is none.
    {"AnswerCutInsideTheRecord",
     {set_record(kRecA), "fault 993 short 40"},
     0,
     1,
     kUntouched,
     std::nullopt,
     kCutAnswer},
    {"AnswerEndingBeforeTheRecord",
     {set_record(kRecA), "fault 993 short 16"},
     0,
     1,
     kUntouched,
     std::nullopt,
     kCutAnswer},
    {"AnswerWithoutVersionWord",
     {set_record(kRecA), "fault 993 short 12"},
     0,
     1,
     kUntouched,
     std::nullopt,
     kCutAnswer},
    {"Refused", {set_record(kRecA), "fault 993 refuse 7"}, 1, 7, kUntouched, std::nullopt, kFetchRefused},
    {"Unanswered",
     {set_record(kRecA), "fault 993 noanswer"},
     1,
     1,
     kUntouched,
     std::nullopt,
     kNoAnswer + "RQM_Get_Cli_Param-1376 ErrCode = 1\n" + kShortAnswer,
     true,
     300},
    {"FirmwareNotRunning",
     {set_record(kRecA)},
     1,
     RQM_FW_NOT_RUNNING,
     kUntouched,
     std::nullopt,
     kFetchFwDown,
     false},
    {"OldDriverQuietly", {set_record(kRecA), "set version 0x01010001"}, 0, -1, 0, std::nullopt, ""},
    // The version decides before the status is looked at.
    {"OldDriverAndAStatus",
     {set_record(kRecA), "set version 0x01000009", "fault 993 status 5"},
     0,
     -1,
     0,
     std::nullopt,
     ""},
};

class Fetch : public ToolState, public testing::WithParamInterface<FetchCase> {};

TEST_P(Fetch, ResultFlagRecordAndWire) {
    const FetchCase& c = GetParam();
    for (const std::string& line : c.presets)
        ctl(line);
    open(c.fwRunning);
    if (HasFatalFailure())
        return;
    ctx_->CnfTimeoutMs = c.timeoutMs;
    CliDriverData rec = sentinel_;
    int ok = kUntouched;
    std::string out;
    EXPECT_EQ(fetch(&rec, &ok, c.verbose, &out), c.result);
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(sim_hex(bytes_of(rec)), sim_hex(c.record ? *c.record : bytes_of(sentinel_)));
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(requests(), c.fwRunning ? Msgs{kFetchRequest} : Msgs{});
}

INSTANTIATE_TEST_SUITE_P(Answers, Fetch, testing::ValuesIn(kFetchCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct VersionCase {
    uint32_t word;
    bool accepted;
};

void PrintTo(const VersionCase& c, std::ostream* os) {
    char b[16];
    snprintf(b, sizeof b, "0x%08X", c.word);
    *os << b;
}

// The driver version is major in bits 24-27, minor in 16-19, patch in 0-7.
const VersionCase kVersionCases[] = {
    {0x01010002, true},  {0x02000000, true},  {0x01020000, true},  {0x0F000000, true},  {0xF1F1FF02, true},
    {0x0101FF02, true},  {0x01010001, false}, {0x01000009, false}, {0xF1F1FF01, false}, {0x10010002, false},
    {0x01100002, false}, {0x01010201, false}, {0x00FFFFFF, false},
};

class DriverVersion : public ToolState, public testing::WithParamInterface<VersionCase> {};

TEST_P(DriverVersion, DecidesWhetherTheRecordIsTaken) {
    const VersionCase& c = GetParam();
    ctl(set_record(kRecA));
    char line[40];
    snprintf(line, sizeof line, "set version 0x%08X", c.word);
    ctl(line);
    open();
    if (HasFatalFailure())
        return;
    CliDriverData rec = sentinel_;
    int ok = kUntouched;
    std::string out;
    EXPECT_EQ(fetch(&rec, &ok, 1, &out), c.accepted ? 0 : -1);
    EXPECT_EQ(ok, c.accepted ? 1 : 0);
    EXPECT_EQ(bytes_of(rec), c.accepted ? kRecA : bytes_of(sentinel_));
    EXPECT_EQ(out, c.accepted ? "" : kVersionBanner);
    EXPECT_EQ(CheckVersion(c.word, 0), c.accepted ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Words, DriverVersion, testing::ValuesIn(kVersionCases),
                         [](const auto& info) { return testing::PrintToString(info.param).substr(2); });

struct PushCase {
    const char* name;
    std::vector<std::string> presets;
    int result;
    std::string out;
    bool fwRunning = true;
    uint32_t timeoutMs = 10000;
};

const PushCase kPushCases[] = {
    {"Stored", {}, 0, ""},
    // A driver that will not save is not a failed request.
    {"DriverWillNotSave", {"fault 994 status 1"}, 0, "Error saving parameter!\n"},
    // The 12-byte refusal does not fit the push's 8-byte answer: it ends
    // the wait, but nothing usable came.
    {"Refused",
     {"fault 994 refuse 7"},
     1,
     kNotConnect + "Adapter_Request pRqmApiContext->MsgReceivedSize == 0\n" +
         "RQM_SetParamToDrive failed (1:BOOT_ERR_DECODE\tFirmware error!)\n"},
    {"Unanswered",
     {"fault 994 noanswer"},
     1,
     kNoAnswer + "RQM_SetParamToDrive failed (1:BOOT_ERR_DECODE\tFirmware error!)\n",
     true,
     300},
    {"FirmwareNotRunning",
     {},
     RQM_FW_NOT_RUNNING,
     "RQM_API_FW_NOT_RUNNING!\nRQM_SetParamToDrive failed (43:unknown error)\n",
     false},
};

class Push : public ToolState, public testing::WithParamInterface<PushCase> {};

TEST_P(Push, ResultAndWire) {
    const PushCase& c = GetParam();
    for (const std::string& line : c.presets)
        ctl(line);
    open(c.fwRunning);
    if (HasFatalFailure())
        return;
    ctx_->CnfTimeoutMs = c.timeoutMs;
    std::string out;
    EXPECT_EQ(push(kRecB, &out), c.result);
    EXPECT_EQ(out, c.out);
    const auto sent = sim().received();
    if (!c.fwRunning) {
        EXPECT_TRUE(sent.empty());
        return;
    }
    ASSERT_EQ(sent.size(), 1u);
    // 68 bytes behind the netlink header; the last two are padding.
    ASSERT_EQ(sent[0].size(), 16u + 68u);
    EXPECT_EQ(hi_rd32(sent[0].data()), 84u);
    EXPECT_EQ(SimProcess::hi_payload(sent[0]), push_request(kRecB));
}

INSTANTIATE_TEST_SUITE_P(Answers, Push, testing::ValuesIn(kPushCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ToolState, PushedRecordComesBackInTheNextRun) {
    ctl(set_record(kRecA));
    open();
    if (HasFatalFailure())
        return;
    std::string out;
    ASSERT_EQ(push(kRecB, &out), 0);
    EXPECT_EQ(get("record"), sim_hex(kRecB));
    close();
    // A new context and channel, as the next run of the program has.
    open();
    if (HasFatalFailure())
        return;
    CliDriverData rec = sentinel_;
    int ok = kUntouched;
    EXPECT_EQ(fetch(&rec, &ok, 0, &out), 0);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(bytes_of(rec), kRecB);
}

TEST(ToolStateWithoutContext, BothReport255) {
    CliDriverData rec{};
    rec.Word.fill(0x1234);
    int ok = kUntouched;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_Get_Cli_Param(nullptr, &rec, &ok, 1), RQM_NO_CONTEXT);
    EXPECT_EQ(RQM_SetParamToDrive(nullptr, &rec), RQM_NO_CONTEXT);
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "RQM_Get_Cli_Param failed (255:unknown error)\nRQM_SetParamToDrive failed (255:unknown error)\n");
    EXPECT_EQ(ok, kUntouched);
    EXPECT_EQ(rec.Word[0], 0x1234);
}

// ---- the shipped ARM program under the emulator ----

struct ArmCase {
    const char* name;
    std::vector<std::string> words;
    int exit_code;
};

const ArmCase kArmCases[] = {
    {"NoWord", {}, 0},
    {"HelpAll", {"help", "-a"}, 0},
    {"HelpTxAll", {"help", "--help_tx_all"}, 0},
    {"HelpBadOption", {"help", "-z"}, 0},
    {"Connect", {"connect"}, 255},
};

// Each ARM program beside the host build of the same program.
struct ArmBuild {
    const char* name;
    const char* arm;
    const char* host;
};

const ArmBuild kArmBuilds[] = {
    {"rqmcli", RQMCLI_ARMEL_PATH, RQMCLI_PATH},
    {"rqmcli_hf", RQMCLI_HF_ARMHF_PATH, RQMCLI_HF_PATH},
};

class ArmProgram : public testing::TestWithParam<std::tuple<ArmBuild, ArmCase>> {};

// The same page and lines as the host build; only the build stamp differs.
TEST_P(ArmProgram, MatchesTheHostBuild) {
    const auto& [build, c] = GetParam();
    const std::string qemu = find_in_path("qemu-arm-static");
    if (qemu.empty() || access(build.arm, X_OK) != 0)
        GTEST_SKIP() << "needs qemu-arm-static and " << build.arm;
    std::vector<std::string> armWords = c.words;
    armWords.insert(armWords.begin(), build.arm);
    const RunResult arm = run_program(qemu, armWords, Settings::File, 30000);
    const RunResult host = run_program(build.host, c.words, Settings::File);
    EXPECT_EQ(arm.exit_code, c.exit_code) << testing::PrintToString(arm);
    EXPECT_EQ(host.exit_code, c.exit_code) << testing::PrintToString(host);
    EXPECT_EQ(normalized(arm.out), normalized(host.out));
    EXPECT_EQ(arm.err, host.err);
    if (c.exit_code == 255) {
        EXPECT_EQ(arm.out, kNoChannel);
    } else {
        EXPECT_NE(normalized(arm.out).find(kHint), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, ArmProgram,
                         testing::Combine(testing::ValuesIn(kArmBuilds), testing::ValuesIn(kArmCases)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

}  // namespace
