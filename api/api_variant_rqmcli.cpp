// rqmcli's firmware interface: the API as its library carries it.
#include "api/api_variant.h"
#include "api/rqm_api.h"

const RqmApiVariant g_api_variant = {
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
};
