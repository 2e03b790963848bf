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

using Txs = std::vector<Words>;

const std::string kIdle = "txed=0, acked=0\n";
const std::string kRefused = "Params set error!\n" + kError;
const std::string kBadOp = " failed (4:BOOT_ERR_BAD_OP\tInvalid operation!)\n" + kError;
const std::vector<unsigned> kSequenceIds = {0, 33, 38, 66, 67, 70, 101, 125, 126};
const Words kContinuous = {2, 0, 0, 0, 0, 0};
const Words kStop = {3, 0, 0, 0, 0, 0};

// Runs one after the other. A run that sends no transmit request (70)
// sends nothing of the transmit sequence, and only a run that ends well
// pushes the record.
struct TxCase {
    const char* name;
    const char* runs;  // '|' between them
    std::string out;   // stdout, then stderr, of every run
    Txs transmits;     // the requests 70 of every run, from 4
    uint16_t running;  // the driver's transmit-running word afterwards
    int length = -1;   // the packet length written, when it matters
    const char* presets = "";
    const char* settings = "";
};

const TxCase kCases[] = {
    {"StopTwice", "tx|tx_stop|tx_stop", kIdle + kOk + kIdle + kOk + kOk, Txs{kContinuous, kStop}, 0, 1024},
    {"ForcedStartStopped", "tx -f 1 -l 200|tx_stop", "packet length is:200!\n" + kIdle + kOk + kIdle + kOk,
     Txs{kContinuous, kStop}, 0, 4095},
    {"CountedBurst", "tx -n 50", "frame cnt is:50!\ntxed=50, acked=50\n" + kOk, Txs{{1, 0, 0, 0, 0, 0}}, 1},
    {"Prbs", "tx -x 1 -y 7 -z 100", "use PRBS!\nPRBS seed is :7!\nPRBS length is :100!\n" + kIdle + kOk,
     Txs{{6, 100, 7, 0, 0, 0}}, 1},
    {"LengthLowBits", "tx -l 70000", "packet length is:4464!\n" + kIdle + kOk, Txs{kContinuous}, 1, 4464},
    {"CountZero", "tx -n 0", "frame cnt should be >0!\n" + kRefused, {}, 0},
    {"CountCutToZero", "tx -n 65536", "frame cnt should be >0!\n" + kRefused, {}, 0},
    {"CountZeroFromTheSettingsFile",
     "tx",
     "frame cnt should be >0!\n" + kError,
     {},
     0,
     -1,
     "",
     "[Tx]\ncontinuous=0\nnumber=0\n"},
    {"Subchannel", "tx -u lower", "Tx sub channel should be \"UPPER\" or \"LOWER\" !\n" + kRefused, {}, 0},
    {"UnknownOption", "tx -q 1", kRefused + "tx: invalid option -- 'q'\n", {}, 0},
    {"Status",
     "tx_status x",
     "FwTxConfig ctrl0:\t\t0x00000040\nFwTxConfig ctrl1:\t\t0x00003000\nFwTxConfig rate:\t\t0\nFwTxConfig "
     "length:\t\t1000\nFwTxConfig HT40MPPDU:\t\t1\nFwTxConfig tx below:\t\t0\nFwTxConfig short GI:\t\t1\n\n" +
         kOk,
     {},
     0,
     -1,
     "set txmib short_gi 1;set txmib mode 4;set txmib bw40 1;set txmib length 1000"},
    {"StatusFails", "tx_status", "RQM_GetFwTxConfig" + kBadOp, {}, 0, -1, "fault 63 status 4"},
    // Counters cut short are none: not one is printed.
    {"CountersCutShort",
     "tx_cfg",
     failed("RQM_GetTxStatistics", 1) + kError,
     {},
     0,
     -1,
     "fault 53 short 13 1"},
    {"Counters",
     "tx_cfg",
     "Num tx successes:\t\t0\nNum tx acked:\t\t\t0\nNum tx fail(ptcs abort):\t0\nNum tx fail(bt "
     "abort):\t\t2\n"
     "Num tx queued :\t\t\t0\nNum tx Ttcs end :\t\t0\nNum tx ack Ttcs end :\t\t0\nNum tx ack success:\t\t0\n"
     "Ntd stats:\t\t\t0\nFiq count :\t\t\t-1\n" +
         kOk,
     {},
     0,
     -1,
     "set txstats fail_bt 2;set txstats fiq 4294967295"},
    {"CountersFail", "tx_c", "RQM_GetTxStatistics" + kBadOp, {}, 0, -1, "fault 53 status 4"},
};

class TxRun : public SimRows, public testing::WithParamInterface<TxCase> {};

TEST_P(TxRun, RunAfterRun) {
    const TxCase& c = GetParam();
    presets(std::string("set connected 1;") + c.presets);
    std::string out;
    Txs transmits;
    for (const std::string& words : split(c.runs, '|')) {
        const CliRun r = run_on_sim(RQMCLI_SIM_PATH, split(words), settings_of(c.settings));
        out += r.out + r.err;
        for (const Words& w : r.wire.words(70))
            transmits.push_back(w);
        if (!r.wire.has(70)) {
            EXPECT_TRUE(r.wire.ids(kSequenceIds).empty()) << words;
        }
        for (const Words& w : r.wire.words(38)) {
            if (w.at(0) == MIB_PACKET_LENGTH_OFF && c.length >= 0) {
                EXPECT_EQ(w.at(1), static_cast<uint32_t>(c.length)) << words;
            }
        }
        EXPECT_EQ(r.wire.has(994), r.out.ends_with(kOk)) << words;
    }
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(transmits, c.transmits);
    std::vector<uint8_t> record;
    ASSERT_TRUE(sim_parse_hex(get("record"), &record));
    EXPECT_EQ(hi_rd16(record.data() + 2 * CLI_WORD_TX_RUNNING), c.running);
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
