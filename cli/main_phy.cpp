// The PHY commands: enabling the PHY, power, gain, calibration, the
// frequency offset, CCA and channel FEC; and the steps the rate command
// shares with the PHY's bring-up.
#include "main_phy.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "api/rqm_api.h"
#include "cli/cli_variant.h"
#include "cli/numbers.h"
#include "common/hi_bytes.h"
#include "common/sdd_elements.h"
#include "main.h"

namespace {

constexpr char SETTINGS_PROBLEM[] = "There was a problem with settings!";

constexpr int HELP_ENABLE_PHY = 3;  // the help row enable_phy shows after bad usage

// The sites Enable_Phy's failure lines name: the mode (also a mode too
// large for the control word), the rate, and the power read and set.
constexpr int SITE_MODE = 1019;
constexpr int SITE_RATE = 1025;
constexpr int SITE_POWER_READ = 1049;
constexpr int SITE_POWER_SET = 1055;

constexpr uint32_t GAIN_TABLE = 0x0ABB801C;  // one word per gain index
constexpr uint32_t GAIN_MASK = 0x3FF;
constexpr uint32_t GAIN_ANALOGUE_SHIFT = 10;

// The transmitter calibration's parameter word, field by field from bit 0.
constexpr uint32_t TX_CAL_PARAMS =
    8u | 1u << 8 | 0u << 9 | 3u << 13 | 0u << 15 | 15u << 16 | 0u << 20 | 31u << 22;
static_assert(TX_CAL_PARAMS == 0x07CF6108);
constexpr int TX_CAL_FIRST_WORD = 2;
constexpr unsigned TX_CAL_WORDS = 10;  // the block words read

void phy_settings_problem(int site) {
    if (g_cli_variant.bEnablePhyStepLines)
        settings_problem(site);
    else
        puts(SETTINGS_PROBLEM);
}

// Without the SDD's own version, the version each chip ships with.
void sdd_version_kept() {
    const RqmKeptState& kept = g_cli_variant.Kept;
    uint8_t version = 0;
    if (RQM_GetSddVeresion(cli_api(), &version) == RQM_SUCCESS) {
        kept.pfnSddVersionSet(version);
        return;
    }
    if (kept.pfnChipVariant()) {
        kept.pfnSddVersionSet(25);
        printf("RQM CLI WARN: Unable to get SDD version number. default:V%01f\n",
               kept.pfnSddVersion() / 10.0);
    } else {
        kept.pfnSddVersionSet(23);
        puts("RQM CLI WARN: Unable to get SDD version number. default:V2.3");
    }
}

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

void phy_bad_usage(const char* pchLine, int helpRow) {
    puts(pchLine);
    print_help_msg(helpRow);
}

// ---- the steps rate and enable_phy share ----

void settings_problem(int site) {
    printf("%s--%d\n", SETTINGS_PROBLEM, site);
}

bool set_mode_and_rate(int modeSite, int rateSite, void (*problem)(int)) {
    if (RQM_SetMode(cli_api(), setting.mode) != RQM_SUCCESS) {
        problem(modeSite);
        return false;
    }
    if (RQM_SetRate(cli_api(), setting.rate) != RQM_SUCCESS) {
        problem(rateSite);
        return false;
    }
    return true;
}

// The power the SDD in use holds for the selected rate, in the element of
// its version, then set as the output power. A power the SDD did not give
// (the request failed, the element is missing or short) is never used.
bool set_rate_power(int readSite, int setSite, void (*problem)(int)) {
    const uint8_t element =
        g_cli_variant.Kept.pfnSddVersion() > 24 ? SDD_ELEMENT_USER_POWER : SDD_ELEMENT_USER_POWER_OLD;
    float dbm = 0.0f;
    if (RQM_GetOpPwrAuto_Dbm(cli_api(), pwrRegN, &dbm, element) != RQM_SUCCESS) {
        problem(readSite);
        return false;
    }
    printf("power level:%d\n", static_cast<int>(dbm * 4.0f + 2.0f));
    if (Power_Level(dbm) != 0) {
        problem(setSite);
        return false;
    }
    return true;
}

// ---- PHY enable, power and calibration ----

int Enable_Phy() {
    RqmApiContext* ctx = cli_api();
    // A mode beyond the control word's three bits would reach its
    // bandwidth bits: refused before the PHY is touched.
    if (setting.mode > RQM_TX_MODE_MAX) {
        phy_settings_problem(SITE_MODE);
        return -1;
    }
    g_cli_variant.Kept.pfnSddVersionSet(0);
    if (RQM_SetPhyOpState(ctx, RQM_PHY_OP_ON) != RQM_SUCCESS)
        return -1;
    if (!set_mode_and_rate(SITE_MODE, SITE_RATE, phy_settings_problem))
        return -1;
    if (g_cli_variant.bEnablePhySddVersion)
        sdd_version_kept();
    if (!set_rate_power(SITE_POWER_READ, SITE_POWER_SET, phy_settings_problem))
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
    phy_bad_usage(INVALID_PARAMS, HELP_ENABLE_PHY);
    return 1;
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
        printf("%s", g_cli_variant.pchFreqOffsetIllegal);
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
