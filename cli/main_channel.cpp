// The channel commands: PHY modes, regulatory classes and channels, the
// channel word, bandwidth and sub-channel.
#include <cstdio>
#include <cstring>
#include <span>

#include "api/rqm_api.h"
#include "cli/cli_variant.h"
#include "cli/numbers.h"
#include "main.h"
#include "main_phy.h"

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

// Help rows the handlers show after bad usage.
constexpr int HELP_PHY_MODE = 14;
constexpr int HELP_CHANNEL = 15;
constexpr int HELP_REGULATORY = 21;

constexpr uint16_t PHY_MODE_5GHZ = 3;
constexpr int32_t CHANNEL_2GHZ_LAST = 15;
constexpr int32_t CHANNEL_TONE_LAST = 16;

// The default channels: of 2.4 GHz, and of 5 GHz in class 1.
constexpr uint16_t CHANNEL_2GHZ_DEFAULT = 7;
constexpr uint16_t CLASS_5GHZ_DEFAULT = 1;
constexpr uint16_t CHANNEL_5GHZ_DEFAULT = 36;

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

void subchannel_kept(uint16_t subchannel) {
    setting.Tx_subchannel = subchannel;
    g_cli_variant.Kept.pfnSubchannelSet(subchannel);
}

}  // namespace

// Each choice a later run needs is kept in the way the program keeps them
// (its profile's operations).
void bandwidth_kept(uint16_t bandwidth, uint16_t subchannel) {
    setting.Tx_bandwidth = bandwidth;
    setting.Tx_subchannel = subchannel;
    g_cli_variant.Kept.pfnBandwidthSet(bandwidth, subchannel);
}

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
        const BandWord* b = band_word(band, g_cli_variant.bChannelWord5Ghz);
        int checked = 0;
        if (b != nullptr && b->Mode != PHY_MODE_5GHZ) {
            if (strcmp(band, "2GHZ") == 0)
                puts("band = 2GHZ");
            tone = g_cli_variant.bChannelToneWord && second != nullptr && strcmp(second, "tone") == 0;
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
            phy_bad_usage(INVALID_PARAMS, HELP_CHANNEL);
            return 1;
        }
        setting.phy_mode = b->Mode;
        setting.channel = static_cast<uint16_t>(checked);
    }
    if (set_channel(setting.channel, setting.regulatory_class, tone) != 0)
        return -1;
    g_cli_variant.Kept.pfnChannelSet(setting.channel, setting.regulatory_class);
    puts("Here phy mode param is only for channel check!");
    return 0;
}

int proc_regulatory(int argc, char** argv) {
    const int32_t regClass = argc > 2 ? cli_atoi(argv[2]) : 0;
    if (regClass < 1 || regClass >= REG_CLASS_COUNT) {
        phy_bad_usage("Invalid option value!", HELP_REGULATORY);
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

int proc_phy_mode(int argc, char** argv) {
    uint16_t mode = 0;
    if (argc > 2) {
        const BandWord* b = band_word(argv[2], true);
        if (b == nullptr) {
            phy_bad_usage(INVALID_PARAMS, HELP_PHY_MODE);
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
