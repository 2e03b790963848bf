// Everything that differs between the two programs, in one record.
//
// rqmcli links cli/variant_rqmcli.cpp, rqmcli-hf links hf/variant_hf.cpp;
// each defines g_variant, and nothing else tells the programs apart. A
// small difference is a field read where it matters; a difference that is
// a whole flow is an operation, whose rqmcli-hf form lives in hf/. To list
// every difference, read the two definitions side by side.
#pragma once

#include <cstdint>
#include <span>

struct RqmApiContext;

// Where the choices a later run needs are kept, each at the point of the
// handler that makes it. rqmcli writes them into the tool-state record,
// fetched before the command and pushed after one that succeeded; rqmcli-hf
// pushes each value to the driver the moment it changes, and fetches the
// saved values in the commands that need them.
struct RqmKeptState {
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
    // tx, before its options: the forced flag, mode, bandwidth and
    // sub-channel earlier runs chose.
    void (*pfnTxRestore)();
    // tx -f.
    void (*pfnForceChosen)(int Force);
    // tx_stop: the forced flag earlier runs left, cleared.
    void (*pfnTxStopForce)();
};

struct RqmVariant {
    const char* pchProgram;

    // ---- transport ----
    // Adapter_Request prints "... MsgReceivedSize == 0" when no answer came.
    bool bNoAnswerLine;
    // The receive thread's overflow warning: two lines ending with the
    // MsgId, or one line without it.
    bool bOverflowWarningWithId;
    // The highest driver refusal code (BOOT Res) with a line of its own;
    // above it, the unknown-error line.
    uint32_t LastRefusalLine;
    // Runs after the connect handshake has taken the firmware's facts.
    void (*pfnConnectFacts)(RqmApiContext* pRqmApiContext);

    // ---- API ----
    // Connect and reconnect carry the tool's version word and the record
    // length (12 bytes), or are sent as 8 bytes without them.
    bool bVersionInConnect;
    // The highest result code with a name and tip in the report tables.
    uint32_t LastNamedResultCode;
    // The channel FEC request exists; without it RQM_SetChannelFec sends
    // nothing and gives 26.
    bool bChannelFec;
    // The SDD user-power element RQM_GetOpPwrAuto_Dbm asks for whatever
    // the caller names, or 0 for the caller's choice; and how an entry of
    // it reads in dBm.
    uint8_t FixedUserPowerElement;
    float (*pfnUserPowerToDbm)(uint16_t Entry);
    // The PA-detector reading takes its longer form with the gains on the
    // chip variant, or always the short one.
    bool bPaDetLongForm;
    // The PRCM register requests (272, 273) exist; without them their
    // functions answer "not supported" and send nothing.
    bool bPrcmRequests;
    // The chip variant keeps its frequency offset in a PRCM register;
    // without this path every chip keeps it in the parameter block.
    bool bFreqOffsetPrcm;
    // The bits of the frequency-offset register that read as the offset,
    // and the line number its too-large warning names.
    uint8_t FreqOffsetReadMask;
    int FreqOffsetWarningLine;
    // The sub-channel value that selects the lower sub-channel in the
    // transmit control word; tx -u LOWER stores it, UPPER the other of 0
    // and 1.
    int TxLowerSubChannel;
    // A transmit the firmware refused gives its refusal word as the
    // result, or a warning line and 0.
    bool bTxRefusalIsResult;

    // ---- front end ----
    // The help pages' banner: a fixed line put on its own, or nullptr for
    // the version with the build date and time.
    const char* pchFixedBanner;
    // The command words this program dispatches (each checked against the
    // command table at compile time), and how a typed word selects one.
    std::span<const char* const> CommandWords;
    bool bExactWords;
    // "unknown cmd!" ends its own line, or runs into the help page.
    bool bUnknownCmdOwnLine;
    // The 50-byte tool-state record is fetched before and pushed after the
    // command, with the driver version check.
    bool bKeepsRecord;
    // Start value and default of the settings field Tx_subchannel.
    uint16_t TxSubchannelDefault;
    // A transmission that tx starts is recorded in the tool-state record's
    // transmit-running word, and tx_stop sends the stop only while one is
    // recorded; without it tx records nothing and tx_stop always stops.
    bool bTxRunningWord;
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
    // tone brings the transmitter to a known state and tunes the radio one
    // channel below the stored one before it sets the generator, and
    // tone_stop stops the transmitter and tunes back; without it both set
    // only the generator.
    bool bToneRetunes;
    // How the rate, channel, bandwidth, sub-channel and transmit commands
    // keep their choices for later runs.
    RqmKeptState Kept;
};

extern const RqmVariant g_variant;
