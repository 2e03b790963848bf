// rqmcli: the full command set, matched by prefix, with the tool-state
// record kept by the driver.
#include <array>

#include "cli/cli_variant.h"
#include "cli/commands.h"
#include "cli/kept_record.h"
#include "cli/main.h"

namespace {

constexpr std::array<const char*, COMMAND_COUNT> every_word() {
    std::array<const char*, COMMAND_COUNT> words{};
    for (int row = 0; row < COMMAND_COUNT; ++row)
        words[row] = command[row].pchName;
    return words;
}

constexpr std::array WORDS = every_word();
static_assert(command_words_known(WORDS));

}  // namespace

const RqmCliVariant g_cli_variant = {
    .pchFixedBanner = nullptr,
    .CommandWords = WORDS,
    .bExactWords = false,
    .bUnknownCmdOwnLine = false,
    .TxSubchannelDefault = 1,
    .bEfusePoutCalBt = true,
    .pchDcxoRefusalSite = "write_dcxo_trim",
    .DcxoRefusalLine = 2895,
    .pchEfuseWriteFailed = "ret = %d\n",
    .pchReadMemHeader = "\n  Address\t  00\t     04 \t08\t   0C\t      10\t 14\t    18\t       1C",
    .bChannelWord5Ghz = true,
    .bChannelToneWord = false,
    .bEnablePhySddVersion = true,
    .bEnablePhyStepLines = true,
    .pchFreqOffsetIllegal = "the freq_offset is illegality, reference value:0~127\n",
    .pfnTone = tone_retuned,
    .pfnToneStop = tone_stop_retuned,
    .Kept =
        {
            .pfnRunFetch = record_run_fetch,
            .pfnRunPush = record_run_push,
            .pfnRateRestore = record_rate_restore,
            .pfnRateIndex = record_rate_index,
            .pfnModeChosen = record_mode_chosen,
            .pfnRateFallback = record_rate_fallback,
            .pfnRateChannelAgain = record_rate_channel_again,
            .pfnRateDone = record_rate_done,
            .pfnChannelSet = record_channel_set,
            .pfnBandwidthSet = record_bandwidth_set,
            .pfnSubchannelSet = record_subchannel_set,
            .pfnTxRestore = record_tx_restore,
            .pfnForceChosen = record_force_chosen,
            .pfnTxStopForce = record_tx_stop_force,
            .pfnTxStarted = record_tx_started,
            .pfnTxStopNeeded = record_tx_stop_needed,
            .pfnToneRestore = record_tone_restore,
            .pfnToneChannelRestore = record_tone_channel_restore,
            .pfnTxRecordedRunning = record_tx_recorded_running,
            .pfnSddVersion = record_sdd_version,
            .pfnSddVersionSet = record_sdd_version_set,
            .pfnChipVariant = record_chip_variant,
        },
};
