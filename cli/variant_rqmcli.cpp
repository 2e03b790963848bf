// rqmcli: the full command set, matched by prefix, with the tool-state
// record kept by the driver.
#include <array>

#include "api/rqm_api.h"
#include "cli/commands.h"
#include "cli/kept_record.h"
#include "common/variant.h"
#include "transport/adapter.h"

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

const RqmVariant g_variant = {
    .pchProgram = "rqmcli",
    .bNoAnswerLine = true,
    .bOverflowWarningWithId = true,
    .LastRefusalLine = 10,
    .pfnConnectFacts = Adapter_CheckPlatformCode,
    .bVersionInConnect = true,
    .LastNamedResultCode = 10,
    .bChannelFec = true,
    .FixedUserPowerElement = 0,
    .pfnUserPowerToDbm = rqm_user_power_to_dbm,
    .bPaDetLongForm = true,
    .bPrcmRequests = true,
    .bFreqOffsetPrcm = true,
    .FreqOffsetReadMask = 0xFF,
    .FreqOffsetWarningLine = 146,
    .TxLowerSubChannel = 0,
    .bTxRefusalIsResult = false,
    .pchFixedBanner = nullptr,
    .CommandWords = WORDS,
    .bExactWords = false,
    .bUnknownCmdOwnLine = false,
    .bKeepsRecord = true,
    .TxSubchannelDefault = 1,
    .bTxRunningWord = true,
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
    .bToneRetunes = true,
    .Kept =
        {
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
        },
};
