// rqmcli-hf's older firmware interface: no PRCM registers, no channel FEC,
// the output power always from the SDD's older power element, a refused
// transmit as the result, and report tables that end at code 9.
#include "api/api_variant.h"
#include "common/sdd_elements.h"

namespace {

// An SDD user-power entry in whole dBm, read as the element of SDD
// versions before 2.5 holds it, whatever the version.
float user_power_to_dbm(uint16_t Entry) {
    return static_cast<float>((Entry >> 4) - 3);
}

}  // namespace

const RqmApiVariant g_api_variant = {
    .bVersionInConnect = false,
    .LastNamedResultCode = 9,
    .bChannelFec = false,
    .FixedUserPowerElement = SDD_ELEMENT_USER_POWER_OLD,
    .pfnUserPowerToDbm = user_power_to_dbm,
    .bPaDetLongForm = false,
    .bPrcmRequests = false,
    .bFreqOffsetPrcm = false,
    .FreqOffsetReadMask = 0x7F,
    .FreqOffsetWarningLine = 133,
    .TxLowerSubChannel = 1,
    .bTxRefusalIsResult = true,
};
