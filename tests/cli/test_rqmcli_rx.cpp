// "rx" in one run, frames injected into the stand-in, "rx_stop" in a later
// run: what the later run prints, each measurement worked out by hand from
// the injected frame's raw words, and the requests of both runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/rx_cli.h"
#include "tests/support/sim_rows.h"

namespace {

// The printout: mode, flag lines, CFO, SNR, RSSI, EVM, RCPI, then the counters.
std::string block(const std::string& mode, const std::string& flags, const std::vector<std::string>& v,
                  unsigned total, unsigned abort, unsigned crc) {
    return "\nRx mode is:\t" + mode + "\n" + flags + "\nCFO:\t\t" + v[0] + "\nSNR:\t\t" + v[1] +
           "\nRSSI:\t\t" + v[2] + "\nEVM:\t\t" + v[3] + "\nRCPI:\t\t" + v[4] + "\n\nTotal:\t\t" +
           std::to_string(total) + "\nAbortError:\t" + std::to_string(abort) + "\nCRCError:\t" +
           std::to_string(crc) + "\n\n" + kOk;
}

// main's line after a result of 1.
const std::string kHelpHint = "Input [help] for help message.Add options for more details!\n";

// "rx" in one run, then the presets and the row's run; ids: the receive and
// memory requests of the row's run.
// By hand: c = raw CFO as signed 16 bits, s = raw SNR, e = raw EVM.
// clang-format off
const RunRow kCases[] = {
    // c 1000: 1000/32768 = 0.030517578125 x 11e6 = 335693.359375 / 2 x 0.001 = 167.846680;
    // SNR 0x0440: bits 16-25 = 64, x 4 = 256 x 0.0625 = 16; EVM 0; RSSI 0xB0 = -80;
    // RCPI 0x50: 80/2 - 110 = -70. Counters 0x10002, 0x20003, 0x10005: 2, (3 - 5) & 0xFFFF, 5.
    {.name = "Dsss",
     .presets = "set rxinject count 0x10002 errors 0x20003 crc 0x10005 mode 1 cfo 1000 snr 0x0440 rssi 0xB0 "
         "evm 9 rcpi 0x50",
     .words = "rx_stop",
     .out = block("DSSS_LONG_PREAMBLE", "",
         {"167.846680", "16.000000", "-80.000000", "0.000000", "-70.000000"}, 2, 65534, 5),
     .ids = {75, 79, 122, 0}},
    // Control bit 0 clear, d = 2. c 0x8000 = -32768: -1 x 20e6 / 2 x 0.001 = -10000; s 32768:
    // -(10 log10 0.5 = -3.010300 + (0.051500 - 1.249387)) = 4.208188; e 328: 10 log10(328/32768)
    // = -19.995761; RSSI 0xC4 = -60; RCPI 0xA0: 80 - 110 = -30. Flags 0x1128.
    {.name = "OfdmBitClear",
     .presets = "set rx ctrl 0xFFFFFFFE;set rxinject count 3 errors 2 crc 1 start0 0x1128 mode 2 cfo 0x8000 "
         "snr 32768 rssi 0xC4 evm 328 rcpi 0xA0",
     .words = "rx_stop",
     .out = block("OFDM_PREAMBLE",
         "\nSmoothing:\tYES!\nSounding PPDU:\tYES!\nA-MPDU:\t\tYES!\nCoding:\t\tLDPC\nShort GI:\t800ns\n"
         "Bandwidth:\t40M\nSubchannel:\tLowerChannel\n",
         {"-10000.000000", "4.208188", "-60.000000", "-19.995761", "-30.000000"}, 3, 1, 1),
     .ids = {75, 79, 122, 0}},
    // Bit 0 set, d = 4. c 1000: 0.030517578125 x 20e6 = 610351.5625 / 4 x 0.001 = 152.587891;
    // s 16384: -(10 log10 0.25 = -6.020600 + (0.051500 - 0.901766)) = 6.870866; e 1024 = 2^10:
    // 10 log10 2^-5 = -15.051500; RSSI 0x9C = -100; RCPI 0: -110. Flags 0x2210.
    {.name = "HtBitSet",
     .presets = "set rx ctrl 1;set rxinject count 1 start0 0x2210 mode 5 cfo 1000 snr 16384 rssi 0x9C evm "
         "1024 rcpi 0",
     .words = "rx_stop",
     .out = block("OFDM_N_LONG_PREAMBLE",
         "\nSmoothing:\tNO!\nSounding PPDU:\tNO!\nA-MPDU:\t\tNO!\nCoding:\t\tConvolutional\n"
         "Short GI:\t400ns\nBandwidth:\t20M\nSubchannel:\tUpperChannel\n",
         {"152.587891", "6.870866", "-100.000000", "-15.051500", "-110.000000"}, 1, 0, 0),
     .ids = {75, 79, 122, 0}},
    {.name = "NoFrame", .words = "rx_stop", .out = "No frame Rxed!\n" + kOk, .ids = {75}},
    // Counters cut short are none: the stop's failure, as for no answer.
    {.name = "StopAnswerCutShort", .presets = "set rxinject count 2 errors 1;fault 75 short 13 1",
     .words = "rx_stop", .out = failed("RQM_ReceivePackets_Extended", 1) + "No frame Rxed!\n" + kHelpHint,
     .ids = {75}},
    {.name = "NoData", .presets = "set rxinject count 2 length 0", .words = "rx_stop", .out = kOk,
     .ids = {75, 79}},
    // Nothing measured: a fresh run's zeros.
    {.name = "FrameFetchFails", .presets = "set rxinject count 2;fault 122 status 5", .words = "rx_stop",
     .out = failed("RQM_GetRxFrame_Extended", 5) +
         block("DSSS_SHORT_PREAMBLE", "", std::vector<std::string>(5, "0.000000"), 2, 0, 0),
     .ids = {75, 79, 122}},
};
// clang-format on

class RxStop : public SimRows, public testing::WithParamInterface<RunRow> {};

TEST_P(RxStop, LaterRunPrintsWhatArrived) {
    ctl("set connected 1");
    const CliRun rx = run_on_sim(RQMCLI_SIM_PATH, {"rx", "ignored"});
    ASSERT_EQ(rx.out + rx.err, kOk);
    EXPECT_EQ(rx.wire.with({123, 75}), hi_msgs({HiBuild(123, {0, 2}), HiBuild(75, {0, 1, 0, 0, 0})}));
    const RowRuns stop = run_row(GetParam(), RQMCLI_SIM_PATH);
    EXPECT_EQ(stop.wire.ids({75, 79, 122, 0}), GetParam().ids);
    EXPECT_EQ(stop.wire.with({75}), hi_msgs({HiBuild(75, {0, 2, 0, 0, 0})}));
    for (const HiMsg& m : stop.wire.with({0}))
        EXPECT_EQ(m, HiMsg{HiBuild(0, {0x8ABB8004, 0x00C00004})});
}

INSTANTIATE_TEST_SUITE_P(Commands, RxStop, testing::ValuesIn(kCases), RowName());

// The conversion works on whatever raw values the state holds: the CFO
// field 0x8000 reads as -32768; a failed step leaves the values raw.
TEST(RxLevels, ConvertInPlace) {
    const struct {
        int status;
        uint32_t mode, ctrl;
        double cfo;
    } rows[] = {{0, 1, 0, -5500.0}, {0, 2, 0, -10000.0}, {0, 3, 1, -5000.0}, {5, 2, 0, 32768.0}};
    for (const auto& r : rows) {
        m_status = r.status, m_rx_mode = r.mode, m_rx_rictrl_val = r.ctrl, m_rx_CFO = 0x8000;
        calculate_levels();
        EXPECT_DOUBLE_EQ(m_rx_CFO, r.cfo) << r.mode << " " << r.status;
    }
}

}  // namespace
