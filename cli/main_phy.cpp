// The PHY commands: enabling the PHY, its mode, channel and regulatory
// class, the transmit mode and rate, power, bandwidth and sub-channel, the
// frequency offset, calibration, gain, CCA and channel FEC.
#include <cstdio>

#include "cli/numbers.h"
#include "common/driver_data.h"
#include "main.h"

const char* const TxMode[TX_MODE_COUNT] = {
    "_802_11_B_DSSS_SHORT_PREAMBLE_",   "_802_11_B_DSSS_LONG_PREAMBLE_",
    "_802_11_A_OFDM_PREAMBLE_",         "ERROR_MODE",
    "_802_11_N_OFDM_SHORT_GREENFIELD_", "_802_11_N_OFDM_LONG_MIXED_",
};

// Positions 0-7 are the HT rates, 8-15 the OFDM rates (not in ascending
// order), 16-19 the DSSS/CCK rates.
const float TxRate[TX_RATE_COUNT] = {6.5f, 13, 19.5f, 26, 39, 52, 58.5f, 65, 48,   24,
                                     12,   6,  54,    36, 18, 9,  1,     2,  5.5f, 11};

const char* const TxRateName[TX_RATE_COUNT] = {
    "_6_5Mbps_BPSK_Code_1_2_",
    "_13_Mbps_QPSK_Code_1_2_",
    "_19_5Mbps_QPSK_Code_3_4_",
    "_26_Mbps_16QAM_Code_1_2_",
    "_39_Mbps_16QAM_Code_3_4_",
    "_52_Mbps_64QAM_Code_2_3_",
    "_58_5Mbps_64QAM_Code_3_4_",
    "_65_Mbps_64QAM_Code_5_6_",
    "_48Mbps_64QAM_Code2_3_",
    "_24Mbps_16QAM_Code1_2_",
    "_12Mbps_QPSK_Code1_2_",
    "_6Mbps_BPSK_Code1_2_",
    "_54Mbps_64QAM_Code3_4_",
    "_36Mbps_16QAM_Code3_4_",
    "_18Mbps_QPSK_Code3_4_",
    "_9Mbps_BPSK_Code3_4_",
    "_1Mbps_DSSS_",
    "_2Mbps_DSSS_",
    "_5_5Mbps_CCK_",
    "_11Mbps_CCK_",
};

const int32_t PwrRegNum[TX_RATE_COUNT] = {2, 4, 5, 6, 7, 8, 9, 10, 8, 6, 4, 2, 9, 7, 5, 3, 0, 0, 1, 1};

int g_iRateIndex = 16;
int pwrRegN = 0;

namespace {

constexpr int32_t TX_MODES_ACCEPTED[] = {0, 1, 2, 4, 5};
constexpr char ADD_PARAM[] = "Please add param!";

// The rates of a transmit mode: the range of the position within its group
// that it accepts, and where its group starts in TxRate.
struct RateGroup {
    int First, Last;
    int Base;
};

const RateGroup* rate_group(unsigned mode) {
    static constexpr RateGroup DSSS = {0, 3, 16}, OFDM = {8, 15, 0}, HT = {0, 7, 0};
    switch (mode) {
    case 0:
    case 1:
        return &DSSS;
    case 2:
        return &OFDM;
    case 4:
    case 5:
        return &HT;
    default:
        return nullptr;
    }
}

// -m: a mode starts at its slowest rate: 1 Mbit/s, 6 Mbit/s or MCS 0.
int mode_chosen(CliSettings* pSettings, const char*, int iResult) {
    static constexpr int FIRST_RATE[TX_MODE_COUNT] = {16, 16, 11, 0, 0, 0};
    pSettings->rate = 0;
    if (iResult != 0)
        return iResult;
    const int p = FIRST_RATE[pSettings->mode];
    pSettings->rate = static_cast<uint16_t>(p < 16 ? p : p - 16);
    pwrRegN = PwrRegNum[p];
    return 0;
}

// -r: only the position within a group is checked against the mode in
// force, so a rate of another group at an accepted position selects the
// mode's own rate at that position; the rate index keeps the position typed.
int rate_chosen(CliSettings* pSettings, const char* pchArg, int) {
    const float mbps = cli_atof(pchArg);
    int p = 0;
    while (p < TX_RATE_COUNT && TxRate[p] != mbps)
        ++p;
    const int inGroup = p < 16 ? p : p < TX_RATE_COUNT ? p - 16 : TX_RATE_COUNT;
    g_iRateIndex = p;
    g_driver_data.Word[CLI_WORD_RATE_INDEX] = static_cast<uint16_t>(p);

    const RateGroup* group = rate_group(pSettings->mode);
    if (group == nullptr) {
        pSettings->mode = 1;
        pSettings->rate = 0;
        g_iRateIndex = 16;
        return -1;
    }
    if (inGroup < group->First || inGroup > group->Last) {
        printf("mode is %s\nrate should be:\n", TxMode[pSettings->mode]);
        for (int i = group->First; i <= group->Last; ++i)
            printf("%.1f ", static_cast<double>(TxRate[group->Base + i]));
        printf("\n");
        return -1;
    }
    pSettings->rate = static_cast<uint16_t>(inGroup);
    printf("rate is %s\n", TxRateName[group->Base + inGroup]);
    pwrRegN = PwrRegNum[group->Base + inGroup];
    return 0;
}

constexpr std::array RATE_ROWS{
    CliOption{.Letter = 'm',
              .pchLong = "tx_mode",
              .Dest = &CliSettings::mode,
              .Ints = TX_MODES_ACCEPTED,
              .Names = TxMode,
              .pchDone = "mode is %s\n",
              .pchRefused = "Tx mode should be 0,1,2,4,5",
              .Reset = 1,
              .pchListItem = "%d : %s!\n",
              .pfnHook = mode_chosen},
    CliOption{.Letter = 'r', .pchLong = "tx_rate", .Kind = CLI_CUSTOM, .pfnHook = rate_chosen},
};
static_assert(cli_rows_valid(RATE_ROWS));
constexpr auto RATE_GETOPT = cli_getopt_tables(RATE_ROWS);
constexpr const option* long_rate_options = RATE_GETOPT.Long.data();

}  // namespace

const CliOptionTable rate_options = {RATE_ROWS, RATE_GETOPT.Short.data(), long_rate_options, ADD_PARAM,
                                     ADD_PARAM};

int Rate_Settings_Interpret(char option, const char* pchArg) {
    return cli_option_apply(rate_options, option, pchArg, &setting, nullptr);
}

// Not in this build yet: they fail without a word of their own.
int proc_enable_phy(int, char**) {
    return -1;
}
int proc_phy_mode(int, char**) {
    return -1;
}
int proc_channel(int, char**) {
    return -1;
}
int proc_rate(int, char**) {
    return -1;
}
int proc_power_level(int, char**) {
    return -1;
}
int proc_bandwidth(int, char**) {
    return -1;
}
int proc_subchannel(int, char**) {
    return -1;
}
int proc_regulatory(int, char**) {
    return -1;
}
int proc_get_freq_offset(int, char**) {
    return -1;
}
int proc_set_freq_offset(int, char**) {
    return -1;
}
int proc_calibration(int, char**) {
    return -1;
}
int proc_gain(int, char**) {
    return -1;
}
int proc_set_cca(int, char**) {
    return -1;
}
int proc_set_channel_fec(int, char**) {
    return -1;
}
