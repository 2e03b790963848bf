// What differs in the API between the firmware interfaces of the two
// programs, in one record.
//
// The API library rqm_api carries rqmcli's profile (api_variant_rqmcli.cpp),
// so that a program of the API alone gets the full interface; rqm_api_hf is
// the same core with rqmcli-hf's (api_variant_hf.cpp). Each program links
// one of the two. A small difference is a field read where it matters; to
// list every difference, read the two definitions side by side.
#pragma once

#include <cstdint>

struct RqmApiVariant {
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
};

extern const RqmApiVariant g_api_variant;
