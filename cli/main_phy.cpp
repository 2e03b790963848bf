// The PHY commands: enabling the PHY, its mode, channel and regulatory
// class, the transmit mode and rate, power, bandwidth and sub-channel, the
// frequency offset, calibration, gain, CCA and channel FEC.
#include "main_phy.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>

#include "api/rqm_api.h"
#include "cli/numbers.h"
#include "common/driver_data.h"
#include "common/hi_bytes.h"
#include "common/sdd_elements.h"
#include "common/variant.h"
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
    g_variant.Kept.pfnModeChosen(pSettings->mode, pSettings->rate);
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
    g_variant.Kept.pfnRateIndex(p);

    const RateGroup* group = rate_group(pSettings->mode);
    if (group == nullptr) {
        pSettings->mode = 1;
        pSettings->rate = 0;
        g_iRateIndex = 16;
        g_variant.Kept.pfnRateFallback(g_iRateIndex, pSettings->rate);
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

// ---- PHY modes, regulatory classes and channels ----

const char* const PhyMode[PHY_MODE_COUNT] = {"OFDM_2GHZ", "DSSS_2GHZ", "OFDM_DSSS_2GHZ", "OFDM_5GHZ", "INIT"};

// Not in ascending order: class 7 has code 0x0500, class 8 0x0400.
constexpr uint16_t RegClassId[REG_CLASS_COUNT] = {0x0000, 0x0000, 0x0000, 0x0000, 0x0100, 0x0200, 0x0300,
                                                  0x0500, 0x0400, 0x0000, 0x0600, 0x0800, 0x0700};
constexpr uint8_t ChannelOffsetList[REG_CLASS_COUNT] = {0, 14, 32, 55, 62, 66, 70, 76, 81, 83, 84, 94, 100};
constexpr uint8_t ChannelLengthList[REG_CLASS_COUNT] = {14, 18, 23, 7, 4, 4, 6, 5, 2, 1, 10, 6, 8};
// Class 1 lacks channel 60, which class 2 has.
constexpr uint8_t dot11ChannelList[DOT11_CHANNEL_COUNT] = {
    1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,                       // 0
    36,  40,  44,  48,  52,  56,  64,  100, 104, 108, 112, 116, 120, 124, 128, 132, 136, 140,  // 1
    36,  40,  44,  48,  52,  56,  60,  64,  149, 153, 157, 161,                                // 2
    100, 104, 108, 112, 116, 120, 124, 128, 132, 136, 140,                                     //
    8,   12,  16,  34,  38,  42,  46,                                                          // 3
    7,   8,   9,   11,                                                                         // 4
    184, 188, 192, 196,                                                                        // 5
    183, 184, 185, 187, 188, 189,                                                              // 6
    11,  13,  15,  17,  19,                                                                    // 7
    21,  25,                                                                                   // 8
    165,                                                                                       // 9
    1,   2,   3,   4,   5,   6,   7,   8,   9,   10,                                           // 10
    6,   7,   8,   9,   10,  11,                                                               // 11
    182, 183, 184, 185, 186, 187, 188, 189,                                                    // 12
};

namespace {

constexpr bool class_lists_tile() {
    unsigned next = 0;
    for (int c = 0; c < REG_CLASS_COUNT; ++c) {
        if (ChannelOffsetList[c] != next)
            return false;
        next += ChannelLengthList[c];
    }
    return next == DOT11_CHANNEL_COUNT;
}
static_assert(class_lists_tile());

constexpr char INVALID_PARAMS[] = "Invalid params input!Please check again!";
constexpr char SETTINGS_PROBLEM[] = "There was a problem with settings!";

// Help rows the handlers show after bad usage.
constexpr int HELP_ENABLE_PHY = 3;
constexpr int HELP_PHY_MODE = 14;
constexpr int HELP_CHANNEL = 15;
constexpr int HELP_REGULATORY = 21;

constexpr uint16_t PHY_MODE_5GHZ = 3;
constexpr int32_t CHANNEL_2GHZ_LAST = 15;
constexpr int32_t CHANNEL_TONE_LAST = 16;
constexpr int RATE_1MBPS = 16;  // position in TxRate
constexpr uint16_t MODE_DSSS_LONG = 1;

// The default channels: of 2.4 GHz, and of 5 GHz in class 1.
constexpr uint16_t CHANNEL_2GHZ_DEFAULT = 7;
constexpr uint16_t CLASS_5GHZ_DEFAULT = 1;
constexpr uint16_t CHANNEL_5GHZ_DEFAULT = 36;

constexpr uint32_t GAIN_TABLE = 0x0ABB801C;  // one word per gain index
constexpr uint32_t GAIN_MASK = 0x3FF;
constexpr uint32_t GAIN_ANALOGUE_SHIFT = 10;

// The transmitter calibration's parameter word, field by field from bit 0.
constexpr uint32_t TX_CAL_PARAMS =
    8u | 1u << 8 | 0u << 9 | 3u << 13 | 0u << 15 | 15u << 16 | 0u << 20 | 31u << 22;
static_assert(TX_CAL_PARAMS == 0x07CF6108);
constexpr int TX_CAL_FIRST_WORD = 2;
constexpr unsigned TX_CAL_WORDS = 10;  // the block words read

// The band words of "channel" and "phy_mode", with the PHY mode each means.
struct BandWord {
    const char* pchWord;
    uint16_t Mode;
};
constexpr BandWord BAND_WORDS[] = {
    {"OFDM_2GHZ", 0}, {"DSSS_2GHZ", 1}, {"2GHZ", 2}, {"OFDM_5GHZ", PHY_MODE_5GHZ}, {"5GHZ", PHY_MODE_5GHZ},
};
constexpr char BAND_5GHZ_SHORT[] = "5GHZ";

const BandWord* band_word(const char* pchWord, bool short5Ghz) {
    for (const BandWord& b : BAND_WORDS)
        if (strcmp(b.pchWord, pchWord) == 0 && (short5Ghz || strcmp(b.pchWord, BAND_5GHZ_SHORT) != 0))
            return &b;
    return nullptr;
}

std::span<const uint8_t> class_channels(int regClass) {
    return std::span(dot11ChannelList).subspan(ChannelOffsetList[regClass], ChannelLengthList[regClass]);
}

void bad_usage(const char* pchLine, int helpRow) {
    puts(pchLine);
    print_help_msg(helpRow);
}

// A 2.4 GHz channel from 1 to last; the tone form says so on its line.
int checked_2ghz(int32_t n, int32_t last, bool tone) {
    if (n < 1 || n > last) {
        puts("Channel should be 1 to 15");
        return 0;
    }
    if (tone)
        printf("channel %d ok ---Single tone\n", n);
    else
        printf("channel %d ok \n", n);
    return n;
}

// ---- what later runs read back ----
//
// Each choice a later run needs is kept in the way the program keeps them
// (its profile's operations).

void bandwidth_kept(uint16_t bandwidth, uint16_t subchannel) {
    setting.Tx_bandwidth = bandwidth;
    setting.Tx_subchannel = subchannel;
    g_variant.Kept.pfnBandwidthSet(bandwidth, subchannel);
}

void subchannel_kept(uint16_t subchannel) {
    setting.Tx_subchannel = subchannel;
    g_variant.Kept.pfnSubchannelSet(subchannel);
}

// ---- the steps rate and enable_phy share ----

void settings_problem(int line) {
    printf("%s--%d\n", SETTINGS_PROBLEM, line);
}

void phy_settings_problem(int line) {
    if (g_variant.bEnablePhyStepLines)
        settings_problem(line);
    else
        puts(SETTINGS_PROBLEM);
}

bool set_mode_and_rate(int modeLine, int rateLine, void (*problem)(int)) {
    if (RQM_SetMode(cli_api(), setting.mode) != RQM_SUCCESS) {
        problem(modeLine);
        return false;
    }
    if (RQM_SetRate(cli_api(), setting.rate) != RQM_SUCCESS) {
        problem(rateLine);
        return false;
    }
    return true;
}

// The power the SDD in use holds for the selected rate, in the element of
// its version, then set as the output power. A power the SDD did not give
// (the request failed, the element is missing or short) is never used.
bool set_rate_power(int readLine, int setLine, void (*problem)(int)) {
    const uint8_t element =
        g_driver_data.Word[CLI_WORD_SDD_VERSION] > 24 ? SDD_ELEMENT_USER_POWER : SDD_ELEMENT_USER_POWER_OLD;
    float dbm = 0.0f;
    if (RQM_GetOpPwrAuto_Dbm(cli_api(), pwrRegN, &dbm, element) != RQM_SUCCESS) {
        problem(readLine);
        return false;
    }
    printf("power level:%d\n", static_cast<int>(dbm * 4.0f + 2.0f));
    if (Power_Level(dbm) != 0) {
        problem(setLine);
        return false;
    }
    return true;
}

// Without the SDD's own version, the version each chip ships with.
void sdd_version_kept() {
    uint8_t version = 0;
    if (RQM_GetSddVeresion(cli_api(), &version) == RQM_SUCCESS) {
        g_driver_data.Word[CLI_WORD_SDD_VERSION] = version;
        return;
    }
    if (g_driver_data.Word[CLI_WORD_CHIP_VARIANT] != 0) {
        g_driver_data.Word[CLI_WORD_SDD_VERSION] = 25;
        printf("RQM CLI WARN: Unable to get SDD version number. default:V%01f\n",
               g_driver_data.Word[CLI_WORD_SDD_VERSION] / 10.0);
    } else {
        g_driver_data.Word[CLI_WORD_SDD_VERSION] = 23;
        puts("RQM CLI WARN: Unable to get SDD version number. default:V2.3");
    }
}

// ---- rate ----

int rate_step_failed(int line) {
    printf("err:%s, %d!\n", "proc_rate", line);
    return -1;
}

// 802.11b/g cannot go out at 40 MHz: back to 20 MHz, upper sub-channel,
// and the channel set again without its class.
int rate_force_20mhz() {
    RqmApiContext* ctx = cli_api();
    puts("[WARN]11b/g, bandwidth should be: 20M!");
    if (RQM_SetChanBandwidth(ctx, RQM_CHANNEL_BANDWIDTH_20MHZ) != RQM_SUCCESS)
        return rate_step_failed(1585);
    if (RQM_SetTxBandWidth(ctx, RQM_CHANNEL_BANDWIDTH_20MHZ) != RQM_SUCCESS)
        return rate_step_failed(1590);
    if (RQM_SetChannel(ctx, setting.channel) != RQM_SUCCESS)
        return rate_step_failed(1595);
    bandwidth_kept(RQM_CHANNEL_BANDWIDTH_20MHZ, RQM_SUB_CHANNEL_UPPER);
    g_variant.Kept.pfnRateChannelAgain(setting.channel);
    return 0;
}

// "rate" alone: 1 Mbit/s with the long preamble. The power row stays.
void rate_default() {
    setting.mode = MODE_DSSS_LONG;
    setting.rate = 0;
    printf("mode is %s\n", TxMode[MODE_DSSS_LONG]);
    printf("rate is %s\n", TxRateName[RATE_1MBPS]);
    g_variant.Kept.pfnModeChosen(setting.mode, setting.rate);
}

// ---- calibration ----

// -10 log10(num / (den + 1)): the sum in 64 bits, as den may be the
// largest int, the quotient in single precision.
double ratio_db(int32_t num, int32_t den) {
    const float ratio = static_cast<float>(num) / static_cast<float>(int64_t{den} + 1);
    return -10.0 * log10(static_cast<double>(ratio));
}

// The values are printed only when the calibration answered: without an
// answer nothing was measured.
int calibration_shown() {
    TxCalGains gains{};
    TxCalRatios ratios{};
    const int result = CalibrateTransmitter(TX_CAL_FIRST_WORD, &gains, &ratios);
    if (result != RQM_SUCCESS)
        return result;
    puts("\nCalibrations:");
    printf("lo_start:\t%.0f\n", ratios.lo_start);
    printf("im_start:\t%.0f\n", ratios.im_start);
    printf("lo_stop:\t%.0f\n", ratios.lo_stop);
    printf("im_stop:\t%.0f\n", ratios.im_stop);
    printf("gain:\t\t%d\n", gains.gain);
    printf("phase:\t\t%d\n", gains.phase);
    printf("i_ofs:\t\t%d\n", gains.i_ofs);
    printf("q_ofs:\t\t%d\n", gains.q_ofs);
    printf("\n");
    return result;
}

// An API code handed on as a command's result: 1 (no answer) would read as
// bad usage to main, so it becomes -1; the others stay.
int cli_api_result(int result) {
    return result == RQM_NO_CONFIRMATION ? -1 : result;
}

}  // namespace

int Channel_Check(const char* pchValue, const char* pchSecond, int band) {
    const int32_t n = pchValue != nullptr ? cli_atoi(pchValue) : 0;
    if (n <= 0)
        return 0;
    if (band >= 0 && band < PHY_MODE_5GHZ)
        return checked_2ghz(n, CHANNEL_2GHZ_LAST, false);
    if (band != PHY_MODE_5GHZ || n >= REG_CLASS_COUNT || pchSecond == nullptr)
        return 0;
    const int32_t c = cli_atoi(pchSecond);
    const std::span<const uint8_t> channels = class_channels(n);
    for (uint8_t ch : channels)
        if (ch == c)
            return c;
    printf("Channel should be:");
    for (uint8_t ch : channels)
        printf("%d ", ch);
    printf("\n");
    return 0;
}

int set_channel(uint16_t channel, uint16_t regClass, int tone) {
    // The class may come unchecked from the record or the settings file.
    if (regClass >= REG_CLASS_COUNT)
        return -1;
    if (tone != 0 && channel != 0)
        --channel;
    const uint32_t word = (RegClassId[regClass] & 0xFF00u) | (channel & 0xFFu);
    return RQM_SetChannel(cli_api(), word) != RQM_SUCCESS ? -1 : 0;
}

int proc_rate(int argc, char** argv) {
    // The rate itself comes from the options or the settings.
    g_variant.Kept.pfnRateRestore();
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
    if (!set_mode_and_rate(1616, 1622, settings_problem) || !set_rate_power(1633, 1641, settings_problem))
        return -1;
    g_variant.Kept.pfnRateDone();
    return 0;
}

int proc_channel(int argc, char** argv) {
    const char* band = argc > 2 ? argv[2] : nullptr;
    const char* first = argc > 3 ? argv[3] : nullptr;
    const char* second = argc > 4 ? argv[4] : nullptr;
    int tone = 0;
    if (band == nullptr || first == nullptr) {
        setting.phy_mode = 0;
        setting.regulatory_class = 0;
        setting.channel = CHANNEL_2GHZ_DEFAULT;
    } else {
        const BandWord* b = band_word(band, g_variant.bChannelWord5Ghz);
        int checked = 0;
        if (b != nullptr && b->Mode != PHY_MODE_5GHZ) {
            if (strcmp(band, "2GHZ") == 0)
                puts("band = 2GHZ");
            tone = g_variant.bChannelToneWord && second != nullptr && strcmp(second, "tone") == 0;
            if (tone == 0)
                checked = Channel_Check(first, nullptr, b->Mode);
            else if (const int32_t n = cli_atoi(first); n > 0)
                checked = checked_2ghz(n, CHANNEL_TONE_LAST, true);
            setting.regulatory_class = 0;
        } else if (b != nullptr) {
            checked = Channel_Check(first, second, PHY_MODE_5GHZ);
            setting.regulatory_class = static_cast<uint16_t>(cli_atoi(first));
        }
        if (checked == 0) {
            bad_usage(INVALID_PARAMS, HELP_CHANNEL);
            return 1;
        }
        setting.phy_mode = b->Mode;
        setting.channel = static_cast<uint16_t>(checked);
    }
    if (set_channel(setting.channel, setting.regulatory_class, tone) != 0)
        return -1;
    g_variant.Kept.pfnChannelSet(setting.channel, setting.regulatory_class);
    puts("Here phy mode param is only for channel check!");
    return 0;
}

int proc_regulatory(int argc, char** argv) {
    const int32_t regClass = argc > 2 ? cli_atoi(argv[2]) : 0;
    if (regClass < 1 || regClass >= REG_CLASS_COUNT) {
        bad_usage("Invalid option value!", HELP_REGULATORY);
        return 1;
    }
    RqmApiContext* ctx = cli_api();
    setting.phy_mode = PHY_MODE_5GHZ;
    setting.regulatory_class = static_cast<uint16_t>(regClass);
    setting.channel = class_channels(regClass).front();
    if (RQM_SetPhyMode(ctx, PHY_MODE_5GHZ) != RQM_SUCCESS ||
        RQM_SetChannel(ctx, setting.channel) != RQM_SUCCESS)
        return -1;
    printf("Phy mode is %s!\nRegulatory class is %d!\nChannel is %d!\n", PhyMode[PHY_MODE_5GHZ], regClass,
           setting.channel);
    return 0;
}

int proc_bandwidth(int argc, char** argv) {
    const bool wide = argc > 2 && strcmp(argv[2], "40M") == 0;
    const uint16_t bandwidth = wide ? RQM_CHANNEL_BANDWIDTH_40MHZ : RQM_CHANNEL_BANDWIDTH_20MHZ;
    puts(wide ? "Band width set to 40MHz!" : "Band width set to 20MHz!");
    puts("Please set channel after setting bandwidth!");
    RqmApiContext* ctx = cli_api();
    if (RQM_SetChanBandwidth(ctx, bandwidth) != RQM_SUCCESS ||
        RQM_SetTxBandWidth(ctx, bandwidth) != RQM_SUCCESS ||
        RQM_SetSubChannel(ctx, RQM_SUB_CHANNEL_UPPER) != RQM_SUCCESS ||
        RQM_SetTxSubChannel(ctx, RQM_SUB_CHANNEL_UPPER) != RQM_SUCCESS)
        return -1;
    bandwidth_kept(bandwidth, RQM_SUB_CHANNEL_UPPER);
    return 0;
}

int proc_subchannel(int argc, char** argv) {
    const bool lower = argc > 2 && strcmp(argv[2], "LOWER") == 0;
    const uint16_t subchannel = lower ? RQM_SUB_CHANNEL_LOWER : RQM_SUB_CHANNEL_UPPER;
    puts(lower ? "Set sub channel lower!" : "Set sub channel upper!");
    RqmApiContext* ctx = cli_api();
    if (RQM_SetSubChannel(ctx, subchannel) != RQM_SUCCESS ||
        RQM_SetTxSubChannel(ctx, subchannel) != RQM_SUCCESS)
        return -1;
    subchannel_kept(subchannel);
    puts("Please set channel after setting subchannel!");
    return 0;
}

// ---- PHY enable, power and calibration ----

int Enable_Phy() {
    RqmApiContext* ctx = cli_api();
    // A mode beyond the control word's three bits would reach its
    // bandwidth bits: refused before the PHY is touched.
    if (setting.mode > RQM_TX_MODE_MAX) {
        phy_settings_problem(1019);
        return -1;
    }
    g_driver_data.Word[CLI_WORD_SDD_VERSION] = 0;
    if (RQM_SetPhyOpState(ctx, RQM_PHY_OP_ON) != RQM_SUCCESS)
        return -1;
    if (!set_mode_and_rate(1019, 1025, phy_settings_problem))
        return -1;
    if (g_variant.bEnablePhySddVersion)
        sdd_version_kept();
    if (!set_rate_power(1049, 1055, phy_settings_problem))
        return -1;
    // RQM_SetPhyMode refuses a mode PhyMode does not name.
    if (RQM_SetPhyMode(ctx, setting.phy_mode) != RQM_SUCCESS ||
        RQM_SetChannel(ctx, setting.channel) != RQM_SUCCESS)
        return -1;
    printf("Phy mode is %s!\nChannel is %d!\n", PhyMode[setting.phy_mode], setting.channel);
    // The PHY is up whatever the calibration gives, and the SDD version
    // found must reach the record.
    calibration_shown();
    return 0;
}

int proc_enable_phy(int argc, char** argv) {
    if (argc < 3 || strcmp(argv[2], "ENABLE") == 0)
        return Enable_Phy();
    if (strcmp(argv[2], "DISABLE") == 0)
        return RQM_SetPhyOpState(cli_api(), RQM_PHY_OP_OFF) != RQM_SUCCESS ? -1 : 0;
    bad_usage(INVALID_PARAMS, HELP_ENABLE_PHY);
    return 1;
}

int proc_phy_mode(int argc, char** argv) {
    uint16_t mode = 0;
    if (argc > 2) {
        const BandWord* b = band_word(argv[2], true);
        if (b == nullptr) {
            bad_usage(INVALID_PARAMS, HELP_PHY_MODE);
            return 1;
        }
        mode = b->Mode;
    }
    RqmApiContext* ctx = cli_api();
    setting.phy_mode = mode;
    const bool modeSet = RQM_SetPhyMode(ctx, mode) == RQM_SUCCESS;
    const bool fiveGhz = mode == PHY_MODE_5GHZ;
    setting.regulatory_class = fiveGhz ? CLASS_5GHZ_DEFAULT : 0;
    setting.channel = fiveGhz ? CHANNEL_5GHZ_DEFAULT : CHANNEL_2GHZ_DEFAULT;
    printf("Phy mode is %s!\nRegulatory class is %d!\nChannel is %d!\n", PhyMode[mode],
           setting.regulatory_class, setting.channel);
    // The default channel goes out even after a refused mode, but the
    // command has failed.
    const bool channelSet = set_channel(setting.channel, setting.regulatory_class, 0) == 0;
    return modeSet && channelSet ? 0 : -1;
}

int Power_Level(float dbm) {
    if (RQM_SetOpPwrAuto_Dbm(cli_api(), dbm) != RQM_SUCCESS || Get_Gain() != 0)
        return -1;
    return 0;
}

int proc_power_level(int argc, char** argv) {
    const double level = argc > 2 ? cli_atod(argv[2]) : 0.0;
    if (argc < 3 || !(level >= 2.0 && level <= 120.0)) {
        puts("Params set error!Power should be 2 to 120 ");
        setting.power_dbm = 10.0f;
        return -1;
    }
    setting.power_dbm = static_cast<float>(level - 2.0) / 4.0f;
    printf("Power set to %d !\n", cli_atoi(argv[2]));
    return Power_Level(setting.power_dbm) != 0 ? -1 : 0;
}

int Get_Gain() {
    RqmApiContext* ctx = cli_api();
    uint32_t w1 = 0, w2 = 0, index = 0, w4 = 0, w5 = 0;
    uint16_t analogue = 0, digital = 0;
    if (RQM_GetRawPADetReading(ctx, &w1, &w2, &index, &w4, &w5, &analogue, &digital) != RQM_SUCCESS)
        return -1;
    uint8_t entry[4] = {};
    if (RQM_ReadMemory(ctx, GAIN_TABLE + 4 * index, entry, sizeof entry) != RQM_SUCCESS)
        return -1;
    // The chip variant's reading brings the gains; otherwise the table has them.
    if (analogue == 0 && digital == 0) {
        const uint32_t word = hi_rd32(entry);
        analogue = static_cast<uint16_t>((word >> GAIN_ANALOGUE_SHIFT) & GAIN_MASK);
        digital = static_cast<uint16_t>(word & GAIN_MASK);
    }
    puts("Transmit gain register value:");
    printf("digital:\t%d\n", digital);
    printf("analogue:\t%d\n", analogue);
    printf("index:\t\t%d\n\n", static_cast<int>(index));
    return 0;
}

int proc_gain(int, char**) {
    return Get_Gain() != 0 ? -1 : 0;
}

int CalibrateTransmitter(int firstWord, TxCalGains* pGains, TxCalRatios* pRatios) {
    // Zeroed, so that a calibration that did not answer reads as nothing
    // measured rather than as whatever the stack held.
    std::array<uint8_t, RQM_CAL_BLOCK_SIZE> block{};
    uint32_t out = 0;
    const int result = RQM_CalibrateTransmitter(cli_api(), firstWord, static_cast<int>(TX_CAL_PARAMS), 0, 0,
                                                &out, block.data());
    int32_t w[TX_CAL_WORDS];
    for (unsigned i = 0; i < TX_CAL_WORDS; ++i)
        w[i] = static_cast<int32_t>(hi_rd32(block.data() + 4 * i));
    *pRatios = {ratio_db(w[4], w[5]), ratio_db(w[4], w[6]), ratio_db(w[7], w[8]), ratio_db(w[7], w[9])};
    *pGains = {w[0], w[1], w[2], w[3]};
    return result;
}

int proc_calibration(int, char**) {
    return calibration_shown() != RQM_SUCCESS ? -1 : 0;
}

int proc_get_freq_offset(int, char**) {
    const int offset = RQM_GetFreqOffset(cli_api(), RQM_FREQ_OFFSET_REG);
    printf("Cur freq_offset = %d.\n", offset);
    return offset < 0 ? -1 : 0;
}

int proc_set_freq_offset(int argc, char** argv) {
    RqmApiContext* ctx = cli_api();
    const int current = RQM_GetFreqOffset(ctx, RQM_FREQ_OFFSET_REG);
    setting.freq_offset = static_cast<uint8_t>(current);
    if (argc < 3) {
        puts("cmd 'set_freqoffsetToo':too few parameters");
        return 0;
    }
    const int32_t value = cli_atoi(argv[2]);
    if (value >= 0 && value <= RQM_FREQ_OFFSET_MAX) {
        setting.freq_offset = static_cast<uint8_t>(value);
    } else {
        printf("%s", g_variant.pchFreqOffsetIllegal);
        // The current offset goes back, unless it could not be read.
        if (current < 0)
            return -1;
    }
    return RQM_SetFreqOffset(ctx, MIB_FREQ_OFFSET_OFF, setting.freq_offset) != RQM_SUCCESS ? -1 : 0;
}

int proc_set_cca(int argc, char** argv) {
    if (argc != 3) {
        printf("%s:Invalid params input!Please check again!\n", "proc_set_cca");
        return -1;
    }
    const int32_t type = cli_atoi(argv[2]);
    if (type < 0 || type > RQM_CCA_TYPE_MAX) {
        printf("%s:Invalid params input!cur val = %d\n", "proc_set_cca", type);
        return -1;
    }
    return cli_api_result(RQM_SetCcaSensitiveTx(cli_api(), type));
}

int proc_set_channel_fec(int argc, char** argv) {
    if (argc != 5) {
        printf("%s:Invalid params input!Please check again!\n", "proc_set_channel_fec");
        return -1;
    }
    return cli_api_result(
        RQM_SetChannelFec(cli_api(), cli_atoi(argv[2]), cli_atoi(argv[3]), cli_atoi(argv[4])));
}
