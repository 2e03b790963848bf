// What differs in the front end between the two programs, in one record.
//
// rqmcli links cli/cli_variant_rqmcli.cpp, rqmcli-hf links
// hf/cli_variant_hf.cpp; each defines g_cli_variant. A small difference is
// a field read where it matters; a difference that is a whole flow is an
// operation, whose rqmcli-hf form lives in hf/. The layers below keep
// their own differences in profiles of their own (transport/
// transport_variant.h, api/api_variant.h), linked beside this one. To list
// every difference, read the definitions side by side.
#pragma once

#include <cstdint>
#include <span>

// Where the choices a later run needs are kept, and every look of the
// handlers at the tool-state record: each operation at the point of the
// handler that makes or needs the choice. rqmcli keeps them in the
// tool-state record, fetched before the command and pushed after one that
// succeeded (cli/kept_record.cpp, the record's owner); rqmcli-hf pushes
// each value to the driver the moment it changes, and fetches the saved
// values in the commands that need them (hf/hf_kept.cpp).
struct RqmKeptState {
    // ---- around the command ----
    // Before the command, with its word as typed.
    void (*pfnRunFetch)(const char* Word);
    // After the command's result line, with its word and result.
    void (*pfnRunPush)(const char* Word, int Result);

    // ---- rate, channel, bandwidth and sub-channel ----
    // rate, before its options: the bandwidth, sub-channel, channel and
    // transmit mode an earlier run chose.
    void (*pfnRateRestore)();
    // -r has found the rate's position in the rate table, before the rate
    // is checked against the mode.
    void (*pfnRateIndex)(int Index);
    // A transmit mode and its first rate were chosen: -m accepted, or rate
    // without words.
    void (*pfnModeChosen)(uint16_t Mode, uint16_t Rate);
    // -r met a mode without rates and fell back to this rate index and rate.
    void (*pfnRateFallback)(int Index, uint16_t Rate);
    // rate's 20 MHz correction has set the channel again.
    void (*pfnRateChannelAgain)(uint16_t Channel);
    // rate has set mode, rate and power: its last step.
    void (*pfnRateDone)();
    // channel, after the channel was set.
    void (*pfnChannelSet)(uint16_t Channel, uint16_t RegClass);
    // bandwidth, and rate's 20 MHz correction: the bandwidth and the
    // sub-channel set with it.
    void (*pfnBandwidthSet)(uint16_t Bandwidth, uint16_t Subchannel);
    // subchannel, after the sub-channel was set.
    void (*pfnSubchannelSet)(uint16_t Subchannel);

    // ---- transmission ----
    // tx, before its options: the forced flag, mode, bandwidth and
    // sub-channel earlier runs chose.
    void (*pfnTxRestore)();
    // tx -f.
    void (*pfnForceChosen)(int Force);
    // tx_stop: the forced flag earlier runs left, cleared.
    void (*pfnTxStopForce)();
    // A transmission was started (tx, or the tone's own start).
    void (*pfnTxStarted)();
    // tx_stop: whether the stop is to be sent.
    bool (*pfnTxStopNeeded)();

    // ---- the tone's re-tune (only a program whose tone re-tunes asks) ----
    // tone: the transmitter's settings earlier runs chose; false when no
    // record holds them.
    bool (*pfnToneRestore)();
    // tone_stop: the channel and class the radio is to be tuned back to;
    // false when no record holds them.
    bool (*pfnToneChannelRestore)();
    // Whether a transmission is recorded as running.
    bool (*pfnTxRecordedRunning)();

    // ---- the SDD in use (words the API reads as well) ----
    uint16_t (*pfnSddVersion)();
    void (*pfnSddVersionSet)(uint16_t Version);
    bool (*pfnChipVariant)();
};

struct RqmCliVariant {
    // The help pages' banner: a fixed line put on its own, or nullptr for
    // the version with the build date and time.
    const char* pchFixedBanner;
    // The command words this program dispatches (each checked against the
    // command table at compile time), and how a typed word selects one.
    std::span<const char* const> CommandWords;
    bool bExactWords;
    // "unknown cmd!" ends its own line, or runs into the help page.
    bool bUnknownCmdOwnLine;
    // Start value and default of the settings field Tx_subchannel.
    uint16_t TxSubchannelDefault;
    // The efuse commands know the Bluetooth output-power calibration.
    bool bEfusePoutCalBt;
    // The crystal-trim refusal line names this site and line number.
    const char* pchDcxoRefusalSite;
    int DcxoRefusalLine;
    // The line a failed efuse write ends with, a printf format of the code.
    const char* pchEfuseWriteFailed;
    // read_mem's column header (printed on a line of its own).
    const char* pchReadMemHeader;
    // "channel" knows the band word "5GHZ" beside "OFDM_5GHZ".
    bool bChannelWord5Ghz;
    // "channel" takes a trailing word "tone" after a 2.4 GHz channel: the
    // channel may then be 16, and the radio is set one channel lower.
    bool bChannelToneWord;
    // Enable_Phy asks the SDD in use for its version (word 17) before it
    // reads the power, and its failure lines name the step that failed.
    bool bEnablePhySddVersion;
    bool bEnablePhyStepLines;
    // What set_freq_offset prints for a value outside 0 to 127, as is.
    const char* pchFreqOffsetIllegal;
    // tone with the tone mode chosen, and tone_stop: rqmcli brings the
    // transmitter to a known state and tunes the radio one channel below
    // the stored one before it sets the generator, and tone_stop stops the
    // transmitter and tunes back; rqmcli-hf sets only the generator.
    int (*pfnTone)(uint32_t Mode);
    int (*pfnToneStop)();
    // How the handlers keep their choices for later runs.
    RqmKeptState Kept;
};

extern const RqmCliVariant g_cli_variant;
