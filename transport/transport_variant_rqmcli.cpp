// rqmcli's transport: every line the driver's answers call for, and the
// chip variant told by the firmware label's platform code.
#include "transport/adapter.h"
#include "transport/transport_variant.h"

const RqmTransportVariant g_transport_variant = {
    .bNoAnswerLine = true,
    .bOverflowWarningWithId = true,
    .LastRefusalLine = 10,
    .pfnConnectFacts = Adapter_CheckPlatformCode,
};
