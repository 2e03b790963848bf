// rqmcli-hf's transport: fewer lines of its own, and a connect that names
// the firmware's facts instead of looking for the platform code.
#include <cstdio>

#include "common/rqm_context.h"
#include "transport/transport_variant.h"

namespace {

// After the connect handshake: the firmware's API version and label.
void print_connect_facts(RqmApiContext* ctx) {
    printf("FirmwareApiVer:0x%x\n", ctx->FirmwareApiVer);
    printf("FirmwareLabel:%s\n", ctx->FirmwareLabel);
}

}  // namespace

const RqmTransportVariant g_transport_variant = {
    .bNoAnswerLine = false,
    .bOverflowWarningWithId = false,
    .LastRefusalLine = 9,
    .pfnConnectFacts = print_connect_facts,
};
