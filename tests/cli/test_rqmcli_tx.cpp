// The transmit commands as runs against the stand-in, one process each: a
// transmission started in one run and stopped in a later one, the options
// refused before anything is sent, the firmware's configuration and
// counters; then the counted burst in-process, where the broker's timeout
// and attempts can be seen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/kept_record.h"
#include "common/hi_bytes.h"
#include "sim/sim_util.h"
#include "tests/support/sim_rows.h"

namespace {

const std::string kIdle = "txed=0, acked=0\n";
const std::string kRefused = "Params set error!\n" + kError;
const std::string kBadOp = " failed (4:BOOT_ERR_BAD_OP\tInvalid operation!)\n" + kError;
const std::vector<unsigned> kSequenceIds = {0, 33, 38, 66, 67, 70, 101, 125, 126};
const Bytes kContinuous = HiBuild(70, {2, 0, 0, 0, 0, 0});
const Bytes kStop = HiBuild(70, {3, 0, 0, 0, 0, 0});

Bytes packet_length(uint32_t n) {
    return HiBuild(38, {MIB_PACKET_LENGTH_OFF, n, 0});
}

// After "set connected 1". sent: the transmit requests (70) and the
// packet-length writes (38 at MIB_PACKET_LENGTH_OFF). A run that sends no
// transmit request sends nothing of the transmit sequence, and only a run
// that ends well pushes the record.
// clang-format off
const RunRow kCases[] = {
    {.name = "StopTwice", .words = "tx|tx_stop|tx_stop", .out = kIdle + kOk + kIdle + kOk + kOk,
     .sent = {packet_length(1024), kContinuous, kStop}, .after = "recword 13=0"},
    {.name = "ForcedStartStopped", .words = "tx -f 1 -l 200|tx_stop",
     .out = "packet length is:200!\n" + kIdle + kOk + kIdle + kOk,
     .sent = {packet_length(4095), kContinuous, kStop}, .after = "recword 13=0"},
    {.name = "CountedBurst", .words = "tx -n 50", .out = "frame cnt is:50!\ntxed=50, acked=50\n" + kOk,
     .sent = {packet_length(1024), HiBuild(70, {1, 0, 0, 0, 0, 0})}, .after = "recword 13=1"},
    {.name = "Prbs", .words = "tx -x 1 -y 7 -z 100",
     .out = "use PRBS!\nPRBS seed is :7!\nPRBS length is :100!\n" + kIdle + kOk,
     .sent = {packet_length(1024), HiBuild(70, {6, 100, 7, 0, 0, 0})}, .after = "recword 13=1"},
    {.name = "LengthLowBits", .words = "tx -l 70000", .out = "packet length is:4464!\n" + kIdle + kOk,
     .sent = {packet_length(4464), kContinuous}, .after = "recword 13=1"},
    {.name = "CountZero", .words = "tx -n 0", .out = "frame cnt should be >0!\n" + kRefused,
     .after = "recword 13=0"},
    {.name = "CountCutToZero", .words = "tx -n 65536", .out = "frame cnt should be >0!\n" + kRefused,
     .after = "recword 13=0"},
    {.name = "CountZeroFromTheSettingsFile", .settings = SettingsFile("[Tx]\ncontinuous=0\nnumber=0\n"),
     .words = "tx", .out = "frame cnt should be >0!\n" + kError, .after = "recword 13=0"},
    {.name = "Subchannel", .words = "tx -u lower",
     .out = "Tx sub channel should be \"UPPER\" or \"LOWER\" !\n" + kRefused, .after = "recword 13=0"},
    {.name = "UnknownOption", .words = "tx -q 1", .out = kRefused, .err = "tx: invalid option -- 'q'\n",
     .after = "recword 13=0"},
    {.name = "Status",
     .presets = "set txmib short_gi 1;set txmib mode 4;set txmib bw40 1;set txmib length 1000",
     .words = "tx_status x",
     .out = "FwTxConfig ctrl0:\t\t0x00000040\nFwTxConfig ctrl1:\t\t0x00003000\nFwTxConfig rate:\t\t0\n"
         "FwTxConfig length:\t\t1000\nFwTxConfig HT40MPPDU:\t\t1\nFwTxConfig tx below:\t\t0\n"
         "FwTxConfig short GI:\t\t1\n\n" + kOk,
     .after = "recword 13=0"},
    {.name = "StatusFails", .presets = "fault 63 status 4", .words = "tx_status",
     .out = "RQM_GetFwTxConfig" + kBadOp, .after = "recword 13=0"},
    // Counters cut short are none: not one is printed.
    {.name = "CountersCutShort", .presets = "fault 53 short 13 1", .words = "tx_cfg",
     .out = failed("RQM_GetTxStatistics", 1) + kError, .after = "recword 13=0"},
    {.name = "Counters", .presets = "set txstats fail_bt 2;set txstats fiq 4294967295", .words = "tx_cfg",
     .out = "Num tx successes:\t\t0\nNum tx acked:\t\t\t0\nNum tx fail(ptcs abort):\t0\n"
         "Num tx fail(bt abort):\t\t2\nNum tx queued :\t\t\t0\nNum tx Ttcs end :\t\t0\n"
         "Num tx ack Ttcs end :\t\t0\nNum tx ack success:\t\t0\nNtd stats:\t\t\t0\nFiq count :\t\t\t-1\n" +
         kOk,
     .after = "recword 13=0"},
    {.name = "CountersFail", .presets = "fault 53 status 4", .words = "tx_c",
     .out = "RQM_GetTxStatistics" + kBadOp, .after = "recword 13=0"},
};
// clang-format on

class TxRun : public SimRows, public testing::WithParamInterface<RunRow> {};

TEST_P(TxRun, RunAfterRun) {
    ctl("set connected 1");
    const RowRuns r = run_row(GetParam(), RQMCLI_SIM_PATH);
    for (const CliRun& run : r.runs) {
        if (!run.wire.has(70)) {
            EXPECT_TRUE(run.wire.ids(kSequenceIds).empty()) << run.out;
        }
        EXPECT_EQ(run.wire.has(994), run.out.ends_with(kOk)) << run.out;
    }
    std::vector<HiMsg> sent;
    for (const HiMsg& m : r.wire.with({70, 38}))
        if (m.id() == 70 || m.u32(4) == MIB_PACKET_LENGTH_OFF)
            sent.push_back(m);
    EXPECT_EQ(sent, hi_msgs(GetParam().sent));
}

INSTANTIATE_TEST_SUITE_P(Commands, TxRun, testing::ValuesIn(kCases), RowName());

// The caller's timeout is shorter than the burst takes: only the raised one
// lets the late answer in, and its one attempt sends the request once.
struct BurstCase {
    const char* name;
    const char* preset;
    int result;
    size_t transmits;
};

class TxBurst : public CliInProcess, public testing::WithParamInterface<BurstCase> {};

TEST_P(TxBurst, TheBrokersWaitComesBack) {
    start(GetParam().preset);
    g_ver_support = 1;
    ctx_->CnfTimeoutMs = 1000;
    ctx_->Attempts = 3;
    Argv a("tx -n 50");
    printed([&] { EXPECT_EQ(proc_tx(a.argc(), a.argv()), GetParam().result); });
    EXPECT_EQ(ctx_->CnfTimeoutMs, 1000u);
    EXPECT_EQ(ctx_->Attempts, 3u);
    EXPECT_EQ(sent().count(70), GetParam().transmits);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, TxBurst,
                         testing::Values(BurstCase{"AnsweredLate", "fault 70 late 1500", 0, 1},
                                         BurstCase{"Refused", "set tx refuse 1", 0, 1},
                                         BurstCase{"CountFails", "fault 66 status 4", -1, 0},
                                         BurstCase{"TransmitFails", "fault 70 refuse 7", -1, 1}),
                         RowName());

}  // namespace
