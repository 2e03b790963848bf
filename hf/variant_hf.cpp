// rqmcli-hf: the earlier command set, matched word for word, without the
// SDD commands, set_cca and set_channel_fec, and without the tool-state
// record.
#include "cli/commands.h"
#include "common/sdd_elements.h"
#include "common/variant.h"
#include "hf/hf.h"

namespace {

constexpr const char* kWords[] = {
    "connect",
    "disconnect",
    "enable_phy",
    "phy_mode",
    "channel",
    "rate",
    "tx",
    "tx_stop",
    "rx",
    "rx_stop",
    "tone",
    "tone_stop",
    "power_level",
    "bandwidth",
    "subchannel",
    "read_mem",
    "write_mem",
    "help",
    "set_mac",
    "get_mac",
    "read_efuse",
    "write_efuse",
    "get_freq_offset",
    "set_freq_offset",
    "reconnect",
    "soft_reset",
    "sdd_config",
    "regulatory",
    "get_antifuse",
    "calibration",
    "gain",
    "tx_status",
    "tx_cfg",
    "hw_write_reg",
    "hw_read_reg",
    "load_reg",
    "save_reg",
    "read_reg",
    "write_reg",
};
static_assert(sizeof kWords / sizeof kWords[0] == 39);
static_assert(command_words_known(kWords));

}  // namespace

const RqmVariant g_variant = {
    .pchProgram = "rqmcli-hf",
    .bNoAnswerLine = false,
    .bOverflowWarningWithId = false,
    .LastRefusalLine = 9,
    .pfnConnectFacts = hf_print_connect_facts,
    .bVersionInConnect = false,
    .LastNamedResultCode = 9,
    .bChannelFec = false,
    .FixedUserPowerElement = SDD_ELEMENT_USER_POWER_OLD,
    .pfnUserPowerToDbm = hf_user_power_to_dbm,
    .bPaDetLongForm = false,
    .bPrcmRequests = false,
    .bFreqOffsetPrcm = false,
    .FreqOffsetReadMask = 0x7F,
    .FreqOffsetWarningLine = 133,
    .TxLowerSubChannel = 1,
    .bTxRefusalIsResult = true,
    .pchFixedBanner = "RQM version: 1.4.1\n",
    .CommandWords = kWords,
    .bExactWords = true,
    .bUnknownCmdOwnLine = true,
    .bKeepsRecord = false,
    .TxSubchannelDefault = 0,
    .bTxRunningWord = false,
    .bEfusePoutCalBt = false,
    .pchDcxoRefusalSite = "CMD_Interpret",
    .DcxoRefusalLine = 2656,
    .pchEfuseWriteFailed = "m_status = %d\n",
    .pchReadMemHeader =
        "\n  Address       00         04         08         0C         10         14         18         1C",
    .bChannelWord5Ghz = false,
    .bChannelToneWord = true,
    .bEnablePhySddVersion = false,
    .bEnablePhyStepLines = false,
    .pchFreqOffsetIllegal = "the freq_offset is illegality",
    .bToneRetunes = false,
    .Kept =
        {
            .pfnRateRestore = hf_rate_restore,
            .pfnRateIndex = hf_rate_index,
            .pfnModeChosen = hf_mode_chosen,
            .pfnRateFallback = hf_rate_fallback,
            .pfnRateChannelAgain = hf_rate_channel_again,
            .pfnRateDone = hf_rate_done,
            .pfnChannelSet = hf_channel_set,
            .pfnBandwidthSet = hf_bandwidth_set,
            .pfnSubchannelSet = hf_subchannel_set,
            .pfnTxRestore = hf_tx_restore,
            .pfnForceChosen = hf_force_chosen,
            .pfnTxStopForce = hf_tx_stop_force,
        },
};
