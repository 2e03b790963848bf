// The transmit commands as runs against the stand-in, one process each: a
// transmission started in one run and stopped in a later one, the options
// refused before anything is sent, the firmware's configuration and
// counters; then the counted burst in-process, where the broker's timeout
// and attempts can be seen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/get_settings.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "common/hi_bytes.h"
#include "sim/sim_util.h"
#include "tests/support/sim_fixture.h"

namespace {

const std::string kOk = "Sending CMD OK!\n";
const std::string kIdle = "txed=0, acked=0\n";
const std::string kRefused = "Params set error!\nSending CMD error!\n";
const std::string kBadOp = " failed (4:BOOT_ERR_BAD_OP\tInvalid operation!)\nSending CMD error!\n";
const std::vector<unsigned> kSequenceIds = {0, 33, 38, 66, 67, 70, 101, 125, 126};
const Words kContinuous = {2, 0, 0, 0, 0, 0};
const Words kStop = {3, 0, 0, 0, 0, 0};

struct Step {
    std::vector<std::string> words;
    std::string out;   // stdout, then stderr
    Words transmit;    // its request 70; none: nothing of the sequence went out
    uint16_t running;  // the driver's transmit-running word afterwards
    int length = -1;   // the packet length written, when it matters
};

struct TxCase {
    const char* name;
    std::vector<std::string> presets;
    std::vector<Step> steps;
};

// clang-format off
const TxCase kCases[] = {
    {"StopTwice", {}, {{{"tx"}, kIdle + kOk, kContinuous, 1, 1024}, {{"tx_stop"}, kIdle + kOk, kStop, 0},
                       {{"tx_stop"}, kOk, {}, 0}}},
    {"ForcedStartStopped", {}, {{{"tx", "-f", "1", "-l", "200"}, "packet length is:200!\n" + kIdle + kOk, kContinuous, 1, 4095},
                                {{"tx_stop"}, kIdle + kOk, kStop, 0}}},
    {"CountedBurst", {}, {{{"tx", "-n", "50"}, "frame cnt is:50!\ntxed=50, acked=50\n" + kOk, {1, 0, 0, 0, 0, 0}, 1}}},
    {"Prbs", {}, {{{"tx", "-x", "1", "-y", "7", "-z", "100"}, "use PRBS!\nPRBS seed is :7!\nPRBS length is :100!\n" + kIdle + kOk,
                   {6, 100, 7, 0, 0, 0}, 1}}},
    {"LengthLowBits", {}, {{{"tx", "-l", "70000"}, "packet length is:4464!\n" + kIdle + kOk, kContinuous, 1, 4464}}},
    {"CountZero", {}, {{{"tx", "-n", "0"}, "frame cnt should be >0!\n" + kRefused, {}, 0}}},
    {"CountCutToZero", {}, {{{"tx", "-n", "65536"}, "frame cnt should be >0!\n" + kRefused, {}, 0}}},
    {"BufferFive", {}, {{{"tx", "-p", "5"}, "packet ID should be 1 to 4 !\n" + kRefused, {}, 0}}},
    {"Bandwidth", {}, {{{"tx", "-w", "30M"}, "Tx bandwidth should be \"10M\", \"20M\", \"40M\" !\n" + kRefused, {}, 0}}},
    {"Subchannel", {}, {{{"tx", "-u", "lower"}, "Tx sub channel should be \"UPPER\" or \"LOWER\" !\n" + kRefused, {}, 0}}},
    {"UnknownOption", {}, {{{"tx", "-q", "1"}, kRefused + "tx: invalid option -- 'q'\n", {}, 0}}},
    {"Status", {"set txmib short_gi 1", "set txmib mode 4", "set txmib bw40 1", "set txmib length 1000"},
     {{{"tx_status", "x"}, "FwTxConfig ctrl0:\t\t0x00000040\nFwTxConfig ctrl1:\t\t0x00003000\nFwTxConfig rate:\t\t0\n"
       "FwTxConfig length:\t\t1000\nFwTxConfig HT40MPPDU:\t\t1\nFwTxConfig tx below:\t\t0\nFwTxConfig short GI:\t\t1\n\n" + kOk, {}, 0}}},
    {"StatusFails", {"fault 63 status 4"}, {{{"tx_status"}, "RQM_GetFwTxConfig" + kBadOp, {}, 0}}},
    {"Counters", {"set txstats fail_bt 2", "set txstats fiq 4294967295"},
     {{{"tx_cfg"}, "Num tx successes:\t\t0\nNum tx acked:\t\t\t0\nNum tx fail(ptcs abort):\t0\nNum tx fail(bt abort):\t\t2\n"
       "Num tx queued :\t\t\t0\nNum tx Ttcs end :\t\t0\nNum tx ack Ttcs end :\t\t0\nNum tx ack success:\t\t0\n"
       "Ntd stats:\t\t\t0\nFiq count :\t\t\t-1\n" + kOk, {}, 0}}},
    {"CountersFail", {"fault 53 status 4"}, {{{"tx_c"}, "RQM_GetTxStatistics" + kBadOp, {}, 0}}},
};
// clang-format on

class TxRun : public WithSim, public testing::WithParamInterface<TxCase> {};

TEST_P(TxRun, RunAfterRun) {
    ctl("set connected 1");
    for (const std::string& line : GetParam().presets)
        ctl(line);
    for (const Step& s : GetParam().steps) {
        const CliRun r = run_on_sim(RQMCLI_SIM_PATH, s.words);
        EXPECT_EQ(r.out + r.err, s.out);
        EXPECT_EQ(r.wire.words(70),
                  s.transmit.empty() ? std::vector<Words>{} : std::vector<Words>{s.transmit});
        if (s.transmit.empty()) {
            EXPECT_TRUE(r.wire.ids(kSequenceIds).empty());
        }
        for (const Words& w : r.wire.words(38)) {
            if (w.at(0) == MIB_PACKET_LENGTH_OFF && s.length >= 0) {
                EXPECT_EQ(w.at(1), static_cast<uint32_t>(s.length));
            }
        }
        EXPECT_EQ(r.wire.has(994), r.out.ends_with(kOk));
        std::vector<uint8_t> record;
        ASSERT_TRUE(sim_parse_hex(get("record"), &record));
        EXPECT_EQ(hi_rd16(record.data() + 2 * CLI_WORD_TX_RUNNING), s.running);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, TxRun, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

class TxSettingsFile : public WithSim {};

TEST_F(TxSettingsFile, BurstOfNoPacketsIsRefusedBeforeAnythingIsSent) {
    ctl("set connected 1");
    const CliRun r = run_on_sim(RQMCLI_SIM_PATH, {"tx"}, SettingsFile("[Tx]\ncontinuous=0\nnumber=0\n"));
    EXPECT_EQ(r.out, "frame cnt should be >0!\nSending CMD error!\n");
    EXPECT_TRUE(r.wire.ids(kSequenceIds).empty());
}

// The caller's timeout is shorter than the burst takes: only the raised one
// lets the late answer in, and its one attempt sends the request once.
struct BurstCase {
    const char* name;
    const char* preset;
    int result;
    size_t transmits;
};

class TxBurst : public InProcessOn<WithSim>, public testing::WithParamInterface<BurstCase> {};

TEST_P(TxBurst, TheBrokersWaitComesBack) {
    open({GetParam().preset});
    g_rqm_config.pRqmApiContext = ctx_;
    g_ver_support = 1;
    g_driver_data = {};
    InitSettings(&setting);
    ctx_->CnfTimeoutMs = 1000;
    ctx_->Attempts = 3;
    std::string w[] = {"rqmcli", "tx", "-n", "50"};
    char* argv[] = {w[0].data(), w[1].data(), w[2].data(), w[3].data(), nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(proc_tx(4, argv), GetParam().result);
    testing::internal::GetCapturedStdout();
    g_rqm_config.pRqmApiContext = nullptr;
    EXPECT_EQ(ctx_->CnfTimeoutMs, 1000u);
    EXPECT_EQ(ctx_->Attempts, 3u);
    EXPECT_EQ(HiLog(sim().received()).count(70), GetParam().transmits);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, TxBurst,
                         testing::Values(BurstCase{"AnsweredLate", "fault 70 late 1500", 0, 1},
                                         BurstCase{"Refused", "set tx refuse 1", 0, 1},
                                         BurstCase{"CountFails", "fault 66 status 4", -1, 0},
                                         BurstCase{"TransmitFails", "fault 70 refuse 7", -1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
