// rqmcli-hf: the earlier command set, matched word for word, without the
// SDD commands, set_cca and set_channel_fec, its choices kept in the driver
// value by value, and a tone that sets only the generator.
#include "cli/cli_variant.h"
#include "cli/commands.h"
#include "cli/kept_record.h"
#include "cli/main.h"
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

const RqmCliVariant g_cli_variant = {
    .pchFixedBanner = "RQM version: 1.4.1\n",
    .CommandWords = kWords,
    .bExactWords = true,
    .bUnknownCmdOwnLine = true,
    .TxSubchannelDefault = 0,
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
    .pfnTone = tone_send,
    .pfnToneStop = tone_off,
    .Kept =
        {
            .pfnRunFetch = hf_run_fetch,
            .pfnRunPush = hf_run_push,
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
            .pfnTxStarted = hf_tx_started,
            .pfnTxStopNeeded = hf_tx_stop_needed,
            // Its tone does not re-tune, and never asks.
            .pfnToneRestore = nullptr,
            .pfnToneChannelRestore = nullptr,
            .pfnTxRecordedRunning = nullptr,
            // The SDD in use is the process's own, as in rqmcli.
            .pfnSddVersion = record_sdd_version,
            .pfnSddVersionSet = record_sdd_version_set,
            .pfnChipVariant = record_chip_variant,
        },
};
