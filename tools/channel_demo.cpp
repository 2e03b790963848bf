// A short session on the netlink channel against rqmsim: each message goes
// out, and the receive thread shows how it classified the answer.
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include "common/hi_msg.h"
#include "transport/TargetCli.h"
#include "transport/vormac_adapter.h"

namespace {

std::mutex g_mutex;
std::condition_variable g_cv;
int g_seen = 0;

const char* kind_name(uint16_t id) {
    if (id == HI_BOOT_IND_ID)
        return "BOOT indication, passed on as the refusal";
    if (id == HI_DISCONNECT_CNF_ID)
        return "disconnect done (BOOT State 0), passed on as confirmation";
    if (id == HI_STARTUP_IND_ID)
        return "startup indication";
    return (id & HI_MSG_KIND_MASK) == HI_MSG_KIND_CNF ? "confirmation" : "indication";
}

void on_message(void*, uint8_t* msg) {
    const uint16_t id = hi_msg_id(msg);
    printf("  <- MsgId 0x%03x, %u bytes: %s", id, hi_msg_len(msg), kind_name(id));
    if (id == HI_STARTUP_IND_ID)
        printf(" (window %u, firmware \"%s\")", hi_rd16(msg + STARTUP_IND_NUM_INP_BUFS_OFF),
               reinterpret_cast<const char*>(msg + STARTUP_IND_LABEL_OFF));
    if (id == HI_BOOT_IND_ID)
        printf(" (Res %u)", hi_rd32(msg + BOOT_IND_RES_OFF));
    printf("\n");
    fflush(stdout);
    std::lock_guard lock(g_mutex);
    ++g_seen;
    g_cv.notify_all();
}

bool send_and_wait(TargetCliContext* target, const char* what, uint16_t id, uint16_t len, uint32_t word4 = 0,
                   uint32_t word8 = 0) {
    std::vector<uint8_t> msg(len, 0);
    hi_set_msg_len(msg.data(), len);
    // Once the firmware has opened its window, requests carry the sender's
    // sequence number, as the sending side will stamp them.
    uint16_t stamped = id;
    if (target->SendWindow != 0)
        stamped |= static_cast<uint16_t>((target->TxSeq++ & 7) << HI_MSG_SEQ_SHIFT);
    hi_set_msg_id(msg.data(), stamped);
    if (len >= 8)
        hi_wr32(msg.data() + 4, word4);
    if (len >= 12)
        hi_wr32(msg.data() + 8, word8);
    int seen;
    {
        std::lock_guard lock(g_mutex);
        seen = g_seen;
    }
    printf("-> %s: request %u (MsgId 0x%04x), %u bytes\n", what, id, stamped, len);
    fflush(stdout);
    if (adapter_sendmsg(msg.data(), len) <= 0)
        return false;
    std::unique_lock lock(g_mutex);
    if (!g_cv.wait_for(lock, std::chrono::seconds(2), [&] { return g_seen > seen; }))
        printf("  (no answer)\n");
    return true;
}

}  // namespace

int main() {
    if (adapter_connect() != 0) {
        puts("Driver exception!Please check!!");
        return 1;
    }
    TargetCliContext* target = TargetCli_Create(nullptr);
    if (target == nullptr || TargetCli_Init(target, 0, nullptr, on_message, nullptr) != 1) {
        adapter_disconnect();
        return 1;
    }
    bool ok = send_and_wait(target, "API context", 1016, 8) &&
              send_and_wait(target, "firmware request before connect", 70, 8) &&
              send_and_wait(target, "connect", 1018, 12, 0x02000009, 50);
    if (ok) {
        printf("   boot loader ready: %u, send window: %u\n", target->bBootLoaderReady.load(),
               target->SendWindow.load());
        ok = send_and_wait(target, "API context, numbered", 1016, 8) &&
             send_and_wait(target, "connect again", 1018, 12, 0x02000009, 50) &&
             send_and_wait(target, "disconnect", 1019, 4);
        printf("   confirmations counted in the window: %u\n", target->CnfCount.load());
    }
    TargetCli_Exit(target);
    adapter_disconnect();
    puts(ok ? "demo: done" : "demo: a send failed");
    return ok ? 0 : 1;
}
