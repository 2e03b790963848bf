// A first session by hand, as the README shows it: the stand-in as it
// starts, no presets, no settings file, one run after the other. Every run
// succeeds on what the stand-in holds at its start: the SDD in use and its
// file, the calibration, the gain table and the chip id. Then the README's
// own block, run as a newcomer pastes it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/cli_run.h"
#include "tests/support/sim_rows.h"

namespace {

std::string generator(int mode) {
    return "RQM_SetPulsedToneGen:eTMode=" + std::to_string(mode) +
           "\ndFreq_hz=5000000.000000\ndAmp_db=0.000000\ndFreq2_hz=5000000.000000\ndAmp2_db=0.000000\n"
           "frameLen=0\ndelay=0\n";
}

const std::string kStatus =
    "FwTxConfig ctrl0:\t\t0x00000000\nFwTxConfig ctrl1:\t\t0x00001000\nFwTxConfig rate:\t\t2\n"
    "FwTxConfig length:\t\t4095\nFwTxConfig HT40MPPDU:\t\t0\nFwTxConfig tx below:\t\t0\n"
    "FwTxConfig short GI:\t\t0\n\n";
const std::string kCounters =
    "Num tx successes:\t\t100\nNum tx acked:\t\t\t100\nNum tx fail(ptcs abort):\t0\n"
    "Num tx fail(bt abort):\t\t0\nNum tx queued :\t\t\t100\nNum tx Ttcs end :\t\t100\n"
    "Num tx ack Ttcs end :\t\t100\nNum tx ack success:\t\t100\nNtd stats:\t\t\t0\nFiq count :\t\t\t0\n";
const std::string kMemory =
    "Memory start address set to 0x89000000!\nMemory length set to:16!\n\nRead memory:\n\n"
    "  Address\t  00\t     04 \t08\t   0C\t      10\t 14\t    18\t       1C\n"
    "0x89000000: 0x00000000 0x00000000 0x00000000 0x00000000\n\n";
const std::string kChipId =
    "[CHIPID]:you can write 0 times.\n"
    "0x23 0x01 0x51 0x4d 0x00 0x00 0x00 0x17 0x5a 0x3c 0x96 0x0f 0x00 0x00 0x00 0x01 \n";
const std::string kSddFile =
    "sdd_path = PATH\nsddLength = 60\n"
    "00000000h:  c0  02  02  03  c9  02  42  00  e3  18  50  01  48  01  40  01  \n"
    "00000001h:  38  01  30  01  28  01  20  01  18  01  10  01  08  01  00  01  \n"
    "00000002h:  00  00  b0  18  20  01  18  01  10  01  08  01  00  01  f8  00  \n"
    "00000003h:  f0  00  e8  00  e0  00  d8  00  d0  00  00  00  \n";

// One run a line; PATH stands for the SDD path the stand-in serves.
// clang-format off
const RunRow kSession = {
    .name = "FirstSession",
    .words = "connect|enable_phy|channel OFDM_2GHZ 6|rate -m 4 -r 5.5|power_level 50|calibration|gain|"
             "tx -n 100|tx_status|tx_cfg|rx|rx_stop|tone|tone_stop|read_mem -a 0x89000000 -l 16|"
             "read_efuse CHIPID|get_sdd_file|get_sdd_power|disconnect",
    .out = "RQM fw is running!!\n\n" + kOk +
           "power level:74\n" + kStandInGain + "Phy mode is OFDM_DSSS_2GHZ!\nChannel is 7!\n" +
               kStandInCalibration + kOk +
           "channel 6 ok \nHere phy mode param is only for channel check!\n" + kOk +
           "mode is _802_11_N_OFDM_SHORT_GREENFIELD_\nrate is _19_5Mbps_QPSK_Code_3_4_\npower level:64\n" +
               kStandInGain + kOk +
           "Power set to 50 !\n" + kStandInGain + kOk +
           kStandInCalibration + kOk +
           kStandInGain + kOk +
           "frame cnt is:100!\ntxed=100, acked=100\n" + kOk +
           kStatus + kOk +
           kCounters + kOk +
           kOk +
           "No frame Rxed!\n" + kOk +
           "txed=0, acked=0\ntxed=0, acked=0\n" + generator(1) + kOk +
           generator(0) + "txed=0, acked=0\n" + kOk +
           kMemory + kOk +
           kChipId + kOk +
           kSddFile + kOk +
           "sdd_path = PATH\nsdd user power:\n  11b:  74\n  11gn: 70\n  MCS7: 54\n" + kOk +
           kOk,
};
// clang-format on

using Session = SimRows;

int replace_all(std::string* s, const std::string& from, const std::string& to) {
    int n = 0;
    for (size_t at = 0; (at = s->find(from, at)) != std::string::npos; at += to.size(), ++n)
        s->replace(at, from.size(), to);
    return n;
}

TEST_F(Session, FirstSessionOnTheStandInAsItStarts) {
    RunRow row = kSession;
    replace_all(&row.out, "PATH", get("sddpath"));
    run_row(row, RQMCLI_SIM_PATH);
}

// The indented block after the README's paragraph that begins "A session
// by hand", as it would be pasted.
std::string readme_session() {
    std::ifstream readme(RQM_README);
    std::string line, block;
    bool in_paragraph = false;
    while (std::getline(readme, line)) {
        if (line.rfind("A session by hand", 0) == 0)
            in_paragraph = true;
        else if (in_paragraph && line.rfind("    ", 0) == 0)
            block += line.substr(4) + "\n";
        else if (!block.empty())
            break;
    }
    return block;
}

std::string dir_of(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// On its own port, with this tree's programs in place of build/host's, and
// a stand-in that takes a second to come up, as on a loaded machine: the
// block must wait for it rather than race it. It prints what the session
// above pins, after the stand-in's ready line.
TEST(ReadmeSession, RunsAsWritten) {
    std::string script = readme_session();
    TempDir dir;
    const std::string port = std::to_string(5200000 + getpid());
    ASSERT_EQ(replace_all(&script, "4300001", port), 1) << script;
    ASSERT_EQ(replace_all(&script, "$PWD/build/host/sim", dir.path()), 1) << script;
    ASSERT_EQ(replace_all(&script, "$PWD/build/host/cli", dir_of(RQMCLI_SIM_PATH)), 1) << script;
    const std::string sim_dir = dir_of(RQMSIM_PATH);
    ASSERT_TRUE(dir.write("rqmsim", "#!/bin/sh\nsleep 1\nexec " + sim_dir + "/rqmsim \"$@\"\n"));
    ASSERT_EQ(chmod((dir.path() + "/rqmsim").c_str(), 0755), 0);
    ASSERT_EQ(symlink((sim_dir + "/rqmsimctl").c_str(), (dir.path() + "/rqmsimctl").c_str()), 0);
    // No stand-in outlives a session that fails half-way.
    ASSERT_TRUE(dir.write("session.sh", "trap 'kill $(jobs -p) 2>/dev/null' EXIT\n" + script));

    const RunResult r = run_in({"/bin/bash", dir.path() + "/session.sh"}, dir.path(), 60000);
    std::string want = "rqmsim: listening on port " + port + "\n" + kSession.out;
    std::smatch path;
    if (std::regex_search(r.out, path, std::regex("sdd_path = (\\S+)")))
        replace_all(&want, "PATH", path[1]);
    EXPECT_EQ(r.out, want);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_code, 0);
}

}  // namespace
