// The rate command: the transmit modes and their rates, the rate options
// (-m, -r), and the 20 MHz correction of modes that cannot go out at
// 40 MHz.
#include <array>
#include <cstdio>

#include "api/rqm_api.h"
#include "cli/cli_variant.h"
#include "cli/numbers.h"
#include "main.h"
#include "main_phy.h"

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
    g_cli_variant.Kept.pfnModeChosen(pSettings->mode, pSettings->rate);
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
    // The position matched is kept before it is checked against the mode,
    // so a refused rate still leaves it for the next run.
    g_iRateIndex = p;
    g_cli_variant.Kept.pfnRateIndex(p);

    const RateGroup* group = rate_group(pSettings->mode);
    if (group == nullptr) {
        pSettings->mode = 1;
        pSettings->rate = 0;
        g_iRateIndex = 16;
        g_cli_variant.Kept.pfnRateFallback(g_iRateIndex, pSettings->rate);
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

namespace {

constexpr int RATE_1MBPS = 16;  // position in TxRate
constexpr uint16_t MODE_DSSS_LONG = 1;

// The sites the failure lines name: the 20 MHz correction's steps, then
// the mode, the rate, and the power read and set.
constexpr int SITE_CHAN_BANDWIDTH = 1585;
constexpr int SITE_TX_BANDWIDTH = 1590;
constexpr int SITE_CHANNEL = 1595;
constexpr int SITE_MODE = 1616;
constexpr int SITE_RATE = 1622;
constexpr int SITE_POWER_READ = 1633;
constexpr int SITE_POWER_SET = 1641;

int rate_step_failed(int site) {
    printf("err:%s, %d!\n", "proc_rate", site);
    return -1;
}

// 802.11b/g cannot go out at 40 MHz: back to 20 MHz, upper sub-channel,
// and the channel set again without its class.
int rate_force_20mhz() {
    RqmApiContext* ctx = cli_api();
    puts("[WARN]11b/g, bandwidth should be: 20M!");
    if (RQM_SetChanBandwidth(ctx, RQM_CHANNEL_BANDWIDTH_20MHZ) != RQM_SUCCESS)
        return rate_step_failed(SITE_CHAN_BANDWIDTH);
    if (RQM_SetTxBandWidth(ctx, RQM_CHANNEL_BANDWIDTH_20MHZ) != RQM_SUCCESS)
        return rate_step_failed(SITE_TX_BANDWIDTH);
    if (RQM_SetChannel(ctx, setting.channel) != RQM_SUCCESS)
        return rate_step_failed(SITE_CHANNEL);
    bandwidth_kept(RQM_CHANNEL_BANDWIDTH_20MHZ, RQM_SUB_CHANNEL_UPPER);
    g_cli_variant.Kept.pfnRateChannelAgain(setting.channel);
    return 0;
}

// "rate" alone: 1 Mbit/s with the long preamble. The power row stays.
void rate_default() {
    setting.mode = MODE_DSSS_LONG;
    setting.rate = 0;
    printf("mode is %s\n", TxMode[MODE_DSSS_LONG]);
    printf("rate is %s\n", TxRateName[RATE_1MBPS]);
    g_cli_variant.Kept.pfnModeChosen(setting.mode, setting.rate);
}

}  // namespace

int proc_rate(int argc, char** argv) {
    // The rate itself comes from the options or the settings.
    g_cli_variant.Kept.pfnRateRestore();
    if (cli_parse_options(argc, argv, rate_options) != 0)
        return -1;
    if (setting.mode == 0 && setting.rate == 0) {
        puts("[rqm rate -m 0 -r 1] Invalid params input!Please check again!");
        return -1;
    }
    // A mode beyond the control word's bits sends nothing: it is above 3,
    // and RQM_SetMode refuses it before its request.
    if (setting.mode <= 3 && static_cast<int16_t>(setting.Tx_bandwidth) == RQM_CHANNEL_BANDWIDTH_40MHZ &&
        rate_force_20mhz() != 0)
        return -1;
    if (argc == 2)
        rate_default();
    if (!set_mode_and_rate(SITE_MODE, SITE_RATE, settings_problem) ||
        !set_rate_power(SITE_POWER_READ, SITE_POWER_SET, settings_problem))
        return -1;
    g_cli_variant.Kept.pfnRateDone();
    return 0;
}
