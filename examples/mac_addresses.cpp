// A host of the rqm API: opens the driver channel, starts the test
// firmware with the driver channel's one-call starter, prints the chip's
// three MAC addresses, stops, and closes the channel.
//
//   mac_addresses IMAGE [SDD]
//
// IMAGE is the firmware image handed to the driver, SDD the SDD file sent
// after it (none when left out). The starter and the API print their own
// progress and error lines; the addresses follow them.
#include <cstdint>
#include <cstdio>

#include "api/rqm_api.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: %s IMAGE [SDD]\n", argv[0]);
        return 2;
    }
    // Every request of the context travels on this channel, so it opens
    // first and closes last.
    if (adapter_connect() != 0)
        return 1;
    // The UART text must be given and is not used on the driver channel.
    const RqmStartResult started =
        RQM_Start_CliHif(argv[1], argc == 3 ? argv[2] : "", 0, "", nullptr, nullptr, nullptr);
    RqmApiContext* ctx = started.pRqmApiContext;
    if (ctx == nullptr) {
        adapter_disconnect();
        return 1;
    }

    static const char* const kKind[] = {"source", "destination", "BSSID"};
    int status = 0;
    for (uint32_t kind = RQM_MAC_SOURCE; kind <= RQM_MAC_KIND_MAX; ++kind) {
        uint8_t mac[RQM_MAC_ADDR_BYTES] = {};
        if (RQM_GetMacAddr(ctx, kind, mac) != RQM_SUCCESS) {
            status = 1;  // the API has printed why
            continue;
        }
        printf("%-11s %02x:%02x:%02x:%02x:%02x:%02x\n", kKind[kind], mac[0], mac[1], mac[2], mac[3], mac[4],
               mac[5]);
    }

    RQM_Stop(ctx);
    adapter_disconnect();
    return status;
}
