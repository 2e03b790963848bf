// The request/confirm broker: its start and exit, one request to its
// confirmation, the connect handshake and the receive callback. The
// firmware start and the driver-level requests are in adapter_start.cpp.
#include "adapter.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "adapter_wait.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "common/rqm_context.h"
#include "target_temp.h"
#include "transport_variant.h"

inline constexpr uint32_t CONNECT_CNF_SIZE = 184;
inline constexpr unsigned PLATFORM_CODE_SPAN = 32;  // label bytes searched for the platform code
inline constexpr uint8_t PLATFORM_CODE_CHIP_VARIANT = 23;

// The deadline is on the monotonic clock, so setting the wall clock during
// a wait neither ends it early nor stretches it; a signal resumes the same
// wait instead of counting as a timeout.
int time_lock(sem_t* sem, uint32_t sec, long nsec) {
    const timespec deadline = rqm_deadline_after(sec, nsec);
    for (;;) {
        if (sem_clockwait(sem, CLOCK_MONOTONIC, &deadline) == 0)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

int get_ms_time() {
    timespec ts{};
    if (clock_gettime(CLOCK_REALTIME, &ts) != 0)
        return -1;
    const uint32_t ms =
        static_cast<uint32_t>(ts.tv_sec) * 1000u + static_cast<uint32_t>(ts.tv_nsec / 1000000);
    return static_cast<int>(ms);
}

int Adapter_Init(RqmApiContext* ctx) {
    if (sem_init(&ctx->CnfSemaphore, 0, 1) != 0) {
        puts("Can't init sem_t!");
        return 0;
    }
    ctx->bCnfSemaphoreMade = true;
    sem_wait(&ctx->CnfSemaphore);

    ctx->Target = Target_Create();
    if (ctx->Target == nullptr) {
        RQM_UI_Printf(ctx, "Insufficient memory for Target_Create()\n");
        Adapter_Exit(ctx);
        return 0;
    }
    TargetConfig cfg{};
    cfg.pfnUI_Puts_Cb = ctx->pfnUI_Puts_Cb;
    cfg.ConnectionType = ctx->ConnectionType;
    cfg.RemoteMachineName = ctx->RemoteMachineName;
    cfg.HiApiVersion = HiApiVersion;
    cfg.Reserved = ctx->Reserved;
    cfg.UartPort = ctx->UartPort;
    cfg.TcpPort = ctx->TcpPort;
    cfg.UartCfg = ctx->UartCfg[0] != '\0' ? ctx->UartCfg : nullptr;
    if (!Target_Init(ctx->Target, &cfg, Adapter_Receive, ctx)) {
        Adapter_Exit(ctx);
        return 0;
    }
    return 1;
}

void Adapter_Exit(RqmApiContext* ctx) {
    Target_Exit(ctx->Target);
    ctx->Target = nullptr;
    {
        std::lock_guard lock(ctx->CnfLock);
        ctx->ExpectedMsgSize = 0;
    }
    if (ctx->bCnfSemaphoreMade) {
        sem_destroy(&ctx->CnfSemaphore);
        ctx->bCnfSemaphoreMade = false;
    }
}

// A post left by an answer nobody took any more (a late one, a duplicate)
// must not end this request's wait.
static void drain_stale_posts(RqmApiContext* ctx) {
    while (sem_trywait(&ctx->CnfSemaphore) == 0) {
    }
}

// The request bytes its answer must repeat, bounded by the request and by
// what the context keeps.
static AdapterEcho echo_of(const uint8_t* req, uint32_t off, uint32_t len) {
    const uint32_t reqLen = hi_msg_len(req);
    if (off >= reqLen || len == 0)
        return {};
    len = len < reqLen - off ? len : reqLen - off;
    len = len < RQM_ECHO_MAX ? len : RQM_ECHO_MAX;
    return {req + off, off, len};
}

void adapter_expect(RqmApiContext* ctx, uint16_t id, uint32_t size, AdapterEcho echo) {
    drain_stale_posts(ctx);
    std::lock_guard lock(ctx->CnfLock);
    ctx->MsgReceivedSize = 0;
    ctx->ExpectedMsgId = id;
    ctx->ExpectedEchoOff = echo.Off;
    ctx->ExpectedEchoLen = echo.Len;
    if (echo.Len != 0)
        memcpy(ctx->ExpectedEcho, echo.pBytes, echo.Len);
    ctx->ExpectedMsgSize = size;
}

// Under CnfLock. The bytes of the echo that arrived must be the request's;
// those past the message's end cannot disagree.
static bool echo_matches(const RqmApiContext* ctx, const uint8_t* msg, uint32_t len) {
    for (uint32_t i = 0; i < ctx->ExpectedEchoLen; ++i) {
        const uint32_t at = ctx->ExpectedEchoOff + i;
        if (at >= len)
            break;
        if (msg[at] != ctx->ExpectedEcho[i])
            return false;
    }
    return true;
}

uint32_t adapter_take_answer(RqmApiContext* ctx, uint8_t* dst, uint32_t room) {
    std::lock_guard lock(ctx->CnfLock);
    ctx->ExpectedMsgSize = 0;
    uint32_t got = ctx->MsgReceivedSize;
    if (got > room)
        got = 0;  // cannot happen: Adapter_Receive keeps only answers that fit
    if (got != 0)
        memcpy(dst, ctx->CnfBuffer, got);
    return got;
}

static void lose_transport(RqmApiContext* ctx) {
    {
        std::lock_guard lock(ctx->CnfLock);
        ctx->ExpectedMsgSize = 0;
    }
    ctx->FwRunning = 0;
    Target_Exit(ctx->Target);
    ctx->Target = nullptr;
}

// Sends and waits, Attempts times at most. 41 when the transport is lost,
// else 0 (whether an answer came is for adapter_take_answer to tell).
static int send_attempts(RqmApiContext* ctx, uint8_t* req, const char* timeoutLine) {
    const uint32_t timeoutMs = ctx->CnfTimeoutMs;
    for (uint32_t attempt = 0; attempt < ctx->Attempts; ++attempt) {
        if (attempt > 0)
            RQM_UI_Printf(ctx, "Timeout.. Retrying %d\n", static_cast<int>(attempt));
        const int sent = Target_SendToAdapter(ctx->Target, req, attempt > 0 ? 1 : 0, timeoutMs);
        if (sent == TARGET_SEND_FAILED) {
            lose_transport(ctx);
            return RQM_TRANSPORT_LOST;
        }
        // A send that gave up waiting for room in the window is an attempt
        // without an answer.
        if (sent == TARGET_SEND_SENT && time_lock(&ctx->CnfSemaphore, timeoutMs / 1000,
                                                  static_cast<long>(timeoutMs % 1000) * 1000000L) == 0)
            return RQM_SUCCESS;
        puts(timeoutLine);
    }
    return RQM_SUCCESS;
}

int Adapter_Request(RqmApiContext* ctx, uint8_t* pReq, uint8_t* pCnf, uint32_t CnfSize) {
    return Adapter_RequestEcho(ctx, pReq, pCnf, CnfSize, 0, 0);
}

int Adapter_RequestEcho(RqmApiContext* ctx, uint8_t* pReq, uint8_t* pCnf, uint32_t CnfSize, uint32_t EchoOff,
                        uint32_t EchoLen) {
    if (ctx->FwRunning != 1) {
        puts("RQM_API_FW_NOT_RUNNING!");
        return RQM_FW_NOT_RUNNING;
    }
    // Bits 13-15 are the sender's sequence number: a reused request buffer
    // or a resend must still match its confirmation by the id alone.
    const uint16_t id = hi_msg_id(pReq) & HI_MSG_ID_MASK;
    adapter_expect(ctx, static_cast<uint16_t>(id | HI_MSG_KIND_CNF), CnfSize,
                   echo_of(pReq, EchoOff, EchoLen));
    if (send_attempts(ctx, pReq, "Wait for cnf timed out!") == RQM_TRANSPORT_LOST)
        return RQM_TRANSPORT_LOST;
    const uint32_t got = adapter_take_answer(ctx, pCnf, CnfSize);
    if (got == 0) {
        if (g_transport_variant.bNoAnswerLine)
            printf("%s pRqmApiContext->MsgReceivedSize == 0\n", "Adapter_Request");
        return RQM_NO_CONFIRMATION;
    }
    if ((hi_msg_id(pCnf) & HI_MSG_ID_MASK) == HI_BOOT_IND_ID) {
        const uint32_t res = hi_rd32(pCnf + BOOT_IND_RES_OFF);
        return res != 0 ? static_cast<int>(res) : RQM_NO_CONFIRMATION;
    }
    return RQM_SUCCESS;
}

void Adapter_TakeStartupFacts(RqmApiContext* ctx, const uint8_t* ind) {
    ctx->FirmwareApiVer = hi_rd16(ind + STARTUP_IND_API_VER_OFF);
    ctx->MaxMsgSize = hi_rd16(ind + STARTUP_IND_MAX_MSG_SIZE_OFF);
    ctx->MibBaseAddress = hi_rd32(ind + STARTUP_IND_MIB_BASE_OFF);
    const char* label = reinterpret_cast<const char*>(ind + STARTUP_IND_LABEL_OFF);
    const size_t len = strnlen(label, sizeof ctx->FirmwareLabel - 1);
    memcpy(ctx->FirmwareLabel, label, len);
    ctx->FirmwareLabel[len] = '\0';
    RQM_UI_Printf(ctx, "FW: Api Ver = 0x%x, Label = %s\n", ctx->FirmwareApiVer, ctx->FirmwareLabel);
}

// atoi as the 32-bit board computes it: the digits after the sign, with a
// value beyond int saturated rather than undefined.
static int board_atoi(const char* text) {
    long long v = strtoll(text, nullptr, 10);
    if (v > INT_MAX)
        v = INT_MAX;
    if (v < INT_MIN)
        v = INT_MIN;
    return static_cast<int>(v);
}

// A label whose first 'Q' in its first 32 bytes is followed by the platform
// code 23 names the chip variant.
void Adapter_CheckPlatformCode(RqmApiContext* ctx) {
    const char* label = ctx->FirmwareLabel;
    const char* q = static_cast<const char*>(memchr(label, 'Q', strnlen(label, PLATFORM_CODE_SPAN)));
    if (q == nullptr)
        return;
    if (static_cast<uint8_t>(board_atoi(q + 1)) == PLATFORM_CODE_CHIP_VARIANT)
        driver_data_set_chip_variant();
}

int Adapter_Request_Connect(RqmApiContext* ctx, uint8_t* pReq, uint8_t*, uint32_t) {
    adapter_expect(ctx, HI_STARTUP_IND_ID, CONNECT_CNF_SIZE);
    if (send_attempts(ctx, pReq, "Wait for cnf timed out!\nMaybe rqm has already connected!") ==
        RQM_TRANSPORT_LOST)
        return RQM_TRANSPORT_LOST;
    uint8_t ind[CONNECT_CNF_SIZE] = {};
    const uint32_t got = adapter_take_answer(ctx, ind, sizeof ind);
    if (got == 0)
        return RQM_NO_CONFIRMATION;
    const uint16_t id = hi_msg_id(ind) & HI_MSG_ID_MASK;
    // The driver refuses a connect with a BOOT indication: its Res is the
    // answer, and the facts of the running firmware stay as they were.
    if (id == HI_BOOT_IND_ID) {
        const uint32_t res = got >= BOOT_IND_SIZE ? hi_rd32(ind + BOOT_IND_RES_OFF) : 0;
        return res != 0 ? static_cast<int>(res) : RQM_NO_CONFIRMATION;
    }
    if (id != HI_STARTUP_IND_ID || got < STARTUP_IND_MIN_SIZE)
        return RQM_NO_CONFIRMATION;
    Adapter_TakeStartupFacts(ctx, ind);
    g_transport_variant.pfnConnectFacts(ctx);
    return RQM_SUCCESS;
}

void Adapter_Receive(void* user, uint8_t* pMsg) {
    auto* ctx = static_cast<RqmApiContext*>(user);
    const uint16_t len = hi_msg_len(pMsg);
    if (len > HI_MSG_MAX_LEN) {
        RQM_UI_Printf(ctx, "Adapter_Receive() , bad message length=%u\n", len);
        return;
    }
    const uint16_t msgId = hi_msg_id(pMsg);
    const bool boot = (msgId & HI_MSG_ID_MASK) == HI_BOOT_IND_ID;
    bool taken = false;
    {
        std::lock_guard lock(ctx->CnfLock);
        if (ctx->ExpectedMsgSize != 0 &&
            (boot || (msgId == ctx->ExpectedMsgId && echo_matches(ctx, pMsg, len)))) {
            if (len <= ctx->ExpectedMsgSize) {
                memcpy(ctx->CnfBuffer, pMsg, len);
                ctx->MsgReceivedSize = len;
            } else {
                RQM_UI_Printf(ctx, "Adapter_Receive() , message too long, length=%u\n", len);
                RQM_UI_PrintMemory(ctx, "Adapter_Receive()", pMsg, len);
            }
            ctx->ExpectedMsgSize = 0;
            taken = true;
        }
    }
    if (taken) {
        if (msgId == HI_STARTUP_IND_ID) {
            RQM_UI_Printf(ctx, "Adapter_Receive() ,HI_STARTUP_IND_ID\n");
            ctx->FwRunning = 1;
            if (ctx->pfnRxIndMsgsCb != nullptr)
                ctx->pfnRxIndMsgsCb(ctx->pUserCB_Context, pMsg);
        }
        sem_post(&ctx->CnfSemaphore);
        return;
    }
    // Not awaited: a trace, an exception, a startup nobody asked for, a
    // BOOT indication while no request waits, or a confirmation that
    // answers another request than the one waiting.
    if (msgId == HI_TRACE_IND_ID) {
        RQM_UI_Printf(ctx, "Trace indication received\n");
        RQM_UI_PrintMemory(ctx, "Trace", pMsg, len);
    } else if (msgId == HI_EXCEPTION_IND_ID) {
        RQM_UI_Printf(ctx, "Exception indication received\n");
        RQM_UI_PrintMemory(ctx, "Exception", pMsg, len);
    }
    if (ctx->pfnRxIndMsgsCb != nullptr)
        ctx->pfnRxIndMsgsCb(ctx->pUserCB_Context, pMsg);
}

int Adapter_CheckAndDisplayError(RqmApiContext* ctx, int ErrorCode) {
    if (ErrorCode == 0) {
        RQM_UI_Printf(ctx, "Done\n");
        return 1;
    }
    RQM_UI_Printf(ctx, "Failed. Error = %08x\n", static_cast<unsigned>(ErrorCode));
    return 0;
}
