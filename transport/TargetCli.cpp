#include "TargetCli.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdio>

#include "common/hi_msg.h"
#include "target_temp.h"
#include "transport_variant.h"
#include "vormac_adapter.h"

pthread_t tID = 0;
std::atomic<int> rxed_boot_ind{0};

TargetCliContext* TargetCli_Create(TargetContext* pTarget) {
    auto* p = rqm_new<TargetCliContext>();
    if (p == nullptr)
        return nullptr;
    p->pTarget = pTarget;
    p->WakeFd = -1;
    return p;
}

// Sleeps until the socket has a datagram or the stopper writes WakeFd.
static void wait_for_rx(TargetCliContext* p) {
    pollfd fds[2] = {{sock_fd, POLLIN, 0}, {p->WakeFd, POLLIN, 0}};
    poll(fds, 2, -1);
}

static void* TargetCli_ReceiveThread(void* arg) {
    auto* p = static_cast<TargetCliContext*>(arg);
    uint32_t length = 0;
    for (;;) {
        if (p->bExit)
            return nullptr;
        if (p->bRxReset) {
            p->bRxReset = 0;
            length = 0;
        }
        int got = adapter_recvmsg_nb(p->RxBuffer.data() + length,
                                     static_cast<int>(TARGET_CLI_RX_BUFFER_SIZE - length));
        if (got <= 0) {
            wait_for_rx(p);
            continue;
        }
        length = TargetCli_HandleRx(p, length + static_cast<uint32_t>(got));
    }
}

int TargetCli_Init(TargetCliContext* p, uint16_t, const char*, TargetCliRxCb pfnRxCb, void* pRxCbUser) {
    p->pfnRxCb = pfnRxCb;
    p->pRxCbUser = pRxCbUser;
    p->bExit = 0;
    // Cleared before the thread runs: a BOOT indication may arrive at once.
    p->bBootLoaderReady = 0;
    p->bSddOk = 0;
    p->WakeFd = eventfd(0, EFD_CLOEXEC);
    if (p->WakeFd < 0 || pthread_create(&tID, nullptr, TargetCli_ReceiveThread, p) != 0) {
        tID = 0;
        puts("Create pthread error!");
        return 0;
    }
    // Named so that it can be told apart in top and in a debugger.
    pthread_setname_np(tID, TARGET_CLI_RX_THREAD_NAME);
    return 1;
}

// Wakes a sender waiting for room in the window to look again.
static void wake_window_waiter(TargetCliContext* p) {
    { std::lock_guard lock(p->WindowLock); }
    p->WindowCv.notify_all();
}

void TargetCli_Exit(TargetCliContext* p) {
    if (p == nullptr)
        return;
    {
        // A sender waiting for room in the window gives up and leaves
        // before the record goes.
        std::lock_guard lock(p->WindowLock);
        p->bExit = 1;
        p->WindowCv.notify_all();
        p->WindowCv.wait(p->WindowLock, [p] { return p->WindowWaiters == 0; });
    }
    if (tID != 0) {
        uint64_t one = 1;
        ssize_t woke = write(p->WakeFd, &one, sizeof one);
        (void)woke;  // an eventfd write of 1 cannot fail short of overflow
        pthread_join(tID, nullptr);
        tID = 0;
    }
    p->pfnRxCb = nullptr;
    if (p->WakeFd >= 0)
        close(p->WakeFd);
    rqm_delete(p);
}

static void put_boot_res_line(uint32_t res) {
    switch (res) {
    case 0:
        break;
    case 5:
        puts("RQM has already connected!");
        break;
    case 6:
        puts("Please turn off WIFI!");
        break;
    case 7:
        puts("RQM not connect,please connect first!");
        break;
    case 8:
    case 9:
        puts("Try to solve it by reboot!");
        break;
    case 10:
        if (g_transport_variant.LastRefusalLine >= 10) {
            puts("Please upgrade rqm cli version!");
            break;
        }
        [[fallthrough]];
    default:
        printf("Driver Unkown error(%d)!\n", static_cast<int>(res));
        break;
    }
}

static void handle_boot_ind(TargetCliContext* p, uint8_t* msg) {
    const uint32_t state = hi_rd32(msg + BOOT_IND_STATE_OFF);
    const uint32_t res = hi_rd32(msg + BOOT_IND_RES_OFF);
    rxed_boot_ind = 1;
    UI_Printf(p->pTarget, "Received BOOT Indication State=%d Res=%d\n", static_cast<int>(state),
              static_cast<int>(res));

    // The boot flag is raised after the flags it reports on, so a waiter
    // that sees it also sees them.
    if (state == BOOT_STATE_LOADER_READY && res == 0) {
        p->bBootLoaderReady = 1;
        p->bBootInd = 1;
        return;
    }
    if (state == BOOT_STATE_SDD_RESULT)
        p->bSddOk = res == 0 ? 1 : 0;
    if (state == BOOT_STATE_DISCONNECTED && res == 0) {
        p->bBootLoaderReady = 0;
        p->bBootInd = 1;
        hi_set_msg_id(msg, HI_DISCONNECT_CNF_ID);
        if (p->pfnRxCb != nullptr)
            p->pfnRxCb(p->pRxCbUser, msg);
        return;
    }
    p->bBootInd = 1;
    put_boot_res_line(res);
    if (res != 0 && p->pfnRxCb != nullptr)
        p->pfnRxCb(p->pRxCbUser, msg);
}

uint32_t TargetCli_HandleRx(TargetCliContext* p, uint32_t length) {
    // A datagram of up to 3 bytes cannot hold a header: keep it and append
    // the next one.
    if (length <= 3)
        return length;

    uint8_t* msg = p->RxBuffer.data();
    const uint16_t msgLen = hi_msg_len(msg);
    const uint16_t msgId = hi_msg_id(msg);
    if (msgLen < HI_MSG_MIN_LEN || msgLen > HI_MSG_MAX_LEN) {
        UI_ErrPrintf(p->pTarget, "Invalid Message Length 0x%04x\n", msgLen);
        return 0;
    }
    // A message that claims more than arrived is dropped after the warning:
    // its tail was never received, and nothing may read past what was.
    if (msgLen > length) {
        if (g_transport_variant.bOverflowWarningWithId) {
            puts("Warning:Buffer overflow!");
            printf("data length:%d \tbuffer length:%u MsgId = 0x%08x\n", msgLen, length & 0xFFFF, msgId);
        } else {
            printf("Warning:Buffer overflow!\ndata length:%d \tbuffer length:%u\n", msgLen, length & 0xFFFF);
        }
        return 0;
    }

    const uint16_t id = msgId & HI_MSG_ID_MASK;
    const uint16_t kind = id & HI_MSG_KIND_MASK;
    if (kind != HI_MSG_KIND_CNF && kind != HI_MSG_KIND_IND) {
        UI_ErrPrintf(p->pTarget, "Wrong Message Id 0x%04x\n", msgId);
        return 0;
    }

    if (id == HI_BOOT_IND_ID) {
        if (msgLen < BOOT_IND_SIZE) {
            UI_ErrPrintf(p->pTarget, "Short BOOT Indication %d\n", msgLen);
            return 0;
        }
        handle_boot_ind(p, msg);
        return 0;
    }

    if (p->pfnRxCb == nullptr)
        return 0;

    if (id == HI_STARTUP_IND_ID) {
        if (msgLen < STARTUP_IND_MIN_SIZE) {
            UI_ErrPrintf(p->pTarget, "Short startup Indication %d\n", msgLen);
            return 0;
        }
        p->SendWindow = hi_rd16(msg + STARTUP_IND_NUM_INP_BUFS_OFF);
        p->TxSeq = 0;
        p->CnfCount = 0;
        p->RxSeq = 0;
        wake_window_waiter(p);
        const uint16_t apiVer = hi_rd16(msg + STARTUP_IND_API_VER_OFF);
        if ((apiVer & 0xFF00) != 0x0400)
            UI_ErrPrintf(p->pTarget, "Wrong firmware API version %04x\n", apiVer);
    }

    if (p->SendWindow != 0 && id != HI_EXCEPTION_IND_ID) {
        const uint32_t rxSeq = p->RxSeq;
        if (static_cast<uint32_t>(msgId >> HI_MSG_SEQ_SHIFT) != (rxSeq & 7))
            UI_ErrPrintf(p->pTarget, "Wrong message sequence number %04x %04x\n", msgId, rxSeq & 0xFFFF);
        p->RxSeq = rxSeq + 1;
        if (id & HI_MSG_KIND_CNF) {
            p->CnfCount++;
            wake_window_waiter(p);
        }
    }
    hi_set_msg_id(msg, id);
    p->pfnRxCb(p->pRxCbUser, msg);
    return 0;
}

void DumpHiMsg(const uint8_t* msg) {
    const unsigned len = hi_msg_len(msg);
    unsigned i = 0;
    for (; i + 8 <= len; i += 8)
        printf("0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x ", msg[i], msg[i + 1], msg[i + 2],
               msg[i + 3], msg[i + 4], msg[i + 5], msg[i + 6], msg[i + 7]);
    for (; i < len; ++i)
        printf("0x%02x ", msg[i]);
    printf("\n");
}
