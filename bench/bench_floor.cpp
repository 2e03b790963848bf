// The least a run of the tool can cost: the channel opened, the API-context
// request and the tool-state fetch each sent and answered, the channel
// closed. No API context, no receive thread, no broker; blocking receives.
// bench_run measures the real program against this.
#include <cstdint>
#include <cstdio>

#include "common/hi_msg.h"
#include "transport/vormac_adapter.h"

namespace {

// Sends one request and blocks for one datagram; true when it is the
// confirmation of that request.
bool round_trip(const uint8_t* req, int len) {
    if (adapter_sendmsg(req, len) != len)
        return false;
    uint8_t cnf[256];
    const int got = adapter_recvmsg(cnf, sizeof cnf, 0);
    const uint16_t want = static_cast<uint16_t>((hi_msg_id(req) & HI_MSG_ID_MASK) | HI_MSG_KIND_CNF);
    return got >= 4 && (hi_msg_id(cnf) & HI_MSG_ID_MASK) == want;
}

}  // namespace

int main() {
    if (adapter_connect() != 0)
        return 1;
    uint8_t apiContext[8] = {};
    hi_set_msg_len(apiContext, sizeof apiContext);
    hi_set_msg_id(apiContext, 1016);
    uint8_t fetch[16] = {};
    hi_set_msg_len(fetch, sizeof fetch);
    hi_set_msg_id(fetch, 993);
    hi_wr32(fetch + 12, 0x02000009);
    const bool ok = round_trip(apiContext, sizeof apiContext) && round_trip(fetch, sizeof fetch);
    adapter_disconnect();
    if (!ok)
        fputs("bench_floor: no answer\n", stderr);
    return ok ? 0 : 2;
}
